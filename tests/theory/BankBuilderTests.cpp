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
        return run("'" + (folder / "bank.db").string() + "' '" + folder.string() + "' '" + (folder / "pictures").string() + "' clip_redlight C1", said)
            && fs::exists(folder / "bank.db");
    }
    bool run(const std::string& arguments, std::string& said)
    {
        const std::string command = std::string("'") + CORVANE_QUESTIONBANK_BUILDER + "' " + arguments + " 2>'" + (folder / "said.txt").string() + "' >/dev/null";
        const int status = std::system(command.c_str());
        said = read("said.txt");
        return status == 0;
    }
    std::string read(const char* name) const
    {
        std::ifstream in(folder / name);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path folder;
};

} // namespace

TEST_F(BankBuilder, aFaultyWordAndAReusedIdEachStopTheBuildWhileAFamilyIsOrderedApart)
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
    // Side by side in the file, the picture's two questions are put as far apart as four allow.
    EXPECT_EQ(said.find("are of one family"), std::string::npos) << said;
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

TEST_F(BankBuilder, aQuestionSwappedInUnderItsIdStopsTheBuildUntilItsRewordingIsRecorded)
{
    const std::string firstLine = "1010001\t0\t1\t以下哪些路段不得停车？\t交叉路口\t隧道\t\t\tA,B\t\t交叉路口和隧道不得停车。\n";
    write("1-01.tsv", std::string(kHeader) + firstLine + "1010002\t2\t1\t临时停车时，驾驶人不得离车。\t\t\t\t\tY\t\t临时停车时驾驶人不得离开车辆。\n");
    write("issued.tsv", "chapter\tlast id issued\n1-01\t1010002\n");
    write("retired.tsv", "id\tquestion\n");
    write("asked.tsv", "id\tqutype\tquestion\tA\tB\tC\tD\tpicture or clip\n");
    std::string said;
    // Recording the ids issued; one neither in the bank nor retired is refused.
    EXPECT_FALSE(run("--record '" + folder.string() + "' 1010001 1010002 1010003", said));
    EXPECT_NE(said.find("1010003 is neither in the bank nor retired"), std::string::npos) << said;
    EXPECT_EQ(read("asked.tsv").find("1010001"), std::string::npos);
    ASSERT_TRUE(run("--record '" + folder.string() + "' 1010002 1010001", said)) << said;
    EXPECT_EQ(read("asked.tsv"), "id\tqutype\tquestion\tA\tB\tC\tD\tpicture or clip\n1010001\t0\t以下哪些路段不得停车？\t交叉路口\t隧道\t\t\t\n"
                                 "1010002\t2\t临时停车时，驾驶人不得离车。\t\t\t\t\t\n");
    build(said);
    EXPECT_EQ(said.find("1010001"), std::string::npos) << said;

    // Another question under 1010002 stops the build and says how a rewording is recorded.
    write("1-01.tsv", std::string(kHeader) + firstLine + "1010002\t2\t1\t隧道内可以临时停车。\t\t\t\t\tN\t\t隧道内不得停车。\n");
    EXPECT_FALSE(build(said));
    EXPECT_NE(said.find("1-01.tsv:3: id 1010002 was issued for true/false \"临时停车时，驾驶人不得离车。|||||\" and now asks true/false \"隧道内可以临时停车。|||||\""),
        std::string::npos)
        << said;
    EXPECT_NE(said.find("questionbank_build --record <bank folder> 1010002"), std::string::npos) << said;
    // Recorded as a rewording, it passes; the other entries stay.
    ASSERT_TRUE(run("--record '" + folder.string() + "' 1010002", said)) << said;
    build(said);
    EXPECT_EQ(said.find("1010002"), std::string::npos) << said;
    EXPECT_NE(read("asked.tsv").find("1010001\t0\t以下哪些路段不得停车？"), std::string::npos);

    // Retiring the id takes its entry out; the gap check still holds.
    write("1-01.tsv", std::string(kHeader) + firstLine);
    write("retired.tsv", "id\tquestion\n1010002\t隧道内可以临时停车。\n");
    ASSERT_TRUE(run("--record '" + folder.string() + "' 1010002", said)) << said;
    EXPECT_EQ(read("asked.tsv").find("1010002"), std::string::npos);
    write("retired.tsv", "id\tquestion\n");
    EXPECT_FALSE(build(said));
    EXPECT_NE(said.find("id 1010002 of 1-01 is neither in the bank nor retired"), std::string::npos) << said;
}

TEST_F(BankBuilder, aSingleChoiceQuestionTurnedMultipleChoiceStopsTheBuildAndNothingIsRecordedWithoutTheLedger)
{
    const std::string statementLine = "1010002\t2\t1\t临时停车时，驾驶人不得离车。\t\t\t\t\tY\t\t临时停车时驾驶人不得离开车辆。\n";
    write("1-01.tsv", std::string(kHeader) + "1010001\t0\t1\t以下哪个路段不得停车？\t交叉路口\t加油站附近\t\t\tA\t\t交叉路口不得停车。\n" + statementLine);
    write("issued.tsv", "chapter\tlast id issued\n1-01\t1010002\n");
    write("retired.tsv", "id\tquestion\n");
    write("asked.tsv", "id\tqutype\tquestion\tA\tB\tC\tD\tpicture or clip\n");
    std::string said;
    ASSERT_TRUE(run("--record '" + folder.string() + "' 1010001 1010002", said)) << said;

    // The same words and options, asked as multiple choice: a learner's marks of the single choice would land on it.
    write("1-01.tsv", std::string(kHeader) + "1010001\t1\t1\t以下哪个路段不得停车？\t交叉路口\t加油站附近\t\t\tA,B\t\t都不得停车。\n" + statementLine);
    EXPECT_FALSE(build(said));
    EXPECT_NE(said.find("id 1010001 was issued for single choice \"以下哪个路段不得停车？|交叉路口|加油站附近|||\" and now asks multiple choice"),
        std::string::npos)
        << said;

    // Recording without the ledger fails and writes none.
    fs::remove(folder / "asked.tsv");
    EXPECT_FALSE(run("--record '" + folder.string() + "' 1010001", said));
    EXPECT_NE(said.find("asked.tsv: missing"), std::string::npos) << said;
    EXPECT_FALSE(fs::exists(folder / "asked.tsv"));
}
