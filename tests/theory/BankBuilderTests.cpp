// The bank's builder run on small banks made for each test: a fault of the bank as a whole stops
// the build, says what it is, and leaves no bank behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kHeader = "id\tqutype\tqncontype\tquestion\tA\tB\tC\tD\tanswer\tmedia\texplanation\n";

class BankBuilder : public testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("bank-builder-" + std::to_string(::getpid()) + "-" + testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder / "pictures");
        std::ofstream(folder / "pictures" / "dash_parking_brake.svg") << "<svg xmlns=\"http://www.w3.org/2000/svg\"/>";
    }
    void TearDown() override { fs::remove_all(folder); }

    void write(const char* name, const std::string& text) { std::ofstream(folder / name) << text; }

    // Runs the builder; answers whether it built the bank, with what it said in `said`.
    bool build(std::string& said)
    {
        const fs::path output = folder / "bank.db";
        const std::string command = std::string("'") + CORVANE_QUESTIONBANK_BUILDER + "' '" + output.string() + "' '" + folder.string() + "' '"
            + (folder / "pictures").string() + "' clip_redlight C1 2>'" + (folder / "said.txt").string() + "' >/dev/null";
        const int status = std::system(command.c_str());
        std::ifstream in(folder / "said.txt");
        std::stringstream text;
        text << in.rdbuf();
        said = text.str();
        return status == 0 && fs::exists(output);
    }

    fs::path folder;
};

} // namespace

TEST_F(BankBuilder, aBrokenFamilyAFaultyWordAndAReusedIdEachStopTheBuild)
{
    write("1-01.tsv", std::string(kHeader)
            + "1010001\t0\t0\t仪表板上这个指示灯亮表示什么？\t驻车制动未松开\t远光灯已开启\t\t\tA\tdash_parking_brake\t驻车制动未松开。\n"
              "1010002\t2\t0\t仪表板上这个指示灯亮表示驻车制动未松开。\t\t\t\t\tY\tdash_parking_brake\t驻车制动未松开。\n"
              "1010003\t2\t1\t因抢救受伤人员变动现场的，应当不必记录。\t\t\t\t\tN\t\t应当标明位置。\n"
              "1010005\t2\t1\t临时停车时，驾驶人不得离车。\t\t\t\t\tY\t\t临时停车时驾驶人不得离开车辆。\n");
    write("issued.tsv", "chapter\tlast id issued\n1-01\t1010005\n");
    write("retired.tsv", "id\tquestion\n1010004\t\n1010005\t以下哪些路段不得停车？\n");
    std::string said;
    EXPECT_FALSE(build(said));
    EXPECT_NE(said.find("1010001 and 1010002 are of one family"), std::string::npos) << said;
    EXPECT_NE(said.find("faulty words \"应当不必\""), std::string::npos) << said;
    EXPECT_NE(said.find("1-01.tsv:5: id 1010005 is retired"), std::string::npos) << said;
    EXPECT_NE(said.find("4 distinct items, at least 1500 wanted"), std::string::npos) << said;
    EXPECT_NE(said.find("1-01 kind 0: 1 distinct items for a row of 10, at least 30 wanted"), std::string::npos) << said;
    EXPECT_NE(said.find("the bank is not built"), std::string::npos) << said;

    // A removed question whose id is not retired, and a bank without the list of ids given out.
    write("retired.tsv", "id\tquestion\n1010005\t以下哪些路段不得停车？\n");
    EXPECT_FALSE(build(said));
    EXPECT_NE(said.find("id 1010004 of 1-01 is neither in the bank nor retired"), std::string::npos) << said;
    fs::remove(folder / "issued.tsv");
    EXPECT_FALSE(build(said));
    EXPECT_NE(said.find("issued.tsv: missing"), std::string::npos) << said;
}
