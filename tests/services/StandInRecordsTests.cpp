// The stand-in's appeals, evaluations and letters against many clients and a failing database,
// and its data file: seeded whole or not at all, kept between starts, made anew when damaged.
#include "tools/service-standin/ServiceStandIn.h"

#include "app/services/ServiceReply.h"
#include "library/json/JSONCodecDeserializing.h"
#include "platform/foundation/TypedValues.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

namespace standin {
extern const char* const kSeedSQL;
}

namespace {

constexpr const char* kFixed = "_format_=json&_license_key_=A7C19D04E2B85F63C0D9174BE6A2F58D&_app_id_=TSAPP";
constexpr const char* kDistribute = "/Tessalane/resource/sysbl/ctop/dt/interface/distri/distribute";
constexpr const char* kAppeal = "/Tessalane/app/queryStudentHour";

std::filesystem::path dataFile(const char* name)
{
    const char* home = std::getenv("CORVANE_HOME");
    const auto path = std::filesystem::path(home ? home : std::filesystem::temp_directory_path().string()) / name;
    std::filesystem::remove(path);
    std::filesystem::remove(path.string() + ".damaged");
    return path;
}

bool runSQL(const std::filesystem::path& file, const std::string& sql)
{
    sqlite3* database = nullptr;
    const bool done = sqlite3_open(file.c_str(), &database) == SQLITE_OK && sqlite3_exec(database, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(database);
    return done;
}

class StandInRecords : public testing::Test {
protected:
    bool start(const std::string& database = ":memory:")
    {
        standIn = std::make_unique<standin::ServiceStandIn>(standin::Options { .databasePath = database, .keepAlive = false });
        return standIn->start();
    }
    id post(const std::string& path, const std::string& body)
    {
        httplib::Client client("127.0.0.1", standIn->mainPort());
        client.set_read_timeout(std::chrono::seconds(20));
        auto answer = client.Post(path, body + "&" + kFixed, "application/x-www-form-urlencoded; charset=utf-8");
        return answer ? JSONCodecDeserializing::objectFromJSONString(NSString(standin::formDecode(answer->body))) : nullptr;
    }
    bool logIn()
    {
        auto reply = post(kDistribute, "METHOD=loginMethod&PROVINCE=510000&DEPCODE=510100&ROLETYPE=0&PASSWRD=123456&USERCODE=510104199203154321");
        talkId = ns::stringForKey(ns::dictionaryValue(ServiceReply::rows(reply, "array1")->firstObject()), "SESSIONID").UTF8String();
        return !talkId.empty();
    }
    id main(const std::string& fields) { return post(kDistribute, fields + "&TALKID=" + talkId); }
    id appeal(const std::string& queryType, const std::string& more = "")
    {
        const std::string param = R"({"TALKID":")" + talkId + R"(","QUERY_TYPE":")" + queryType + "\"" + more + "}";
        return post(kAppeal, "type=1&param=" + standin::formEncode(param));
    }
    static int code(const id& reply) { return ns::intForKey(ns::dictionaryValue(reply), "code"); }
    static NSString message(const id& reply) { return ns::stringForKey(ns::dictionaryValue(reply), "message"); }

    std::unique_ptr<standin::ServiceStandIn> standIn;
    std::string talkId;
};

} // namespace

TEST_F(StandInRecords, appealsSentAtOnceForOneRecordStoreOneWithItsOwnId)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(logIn());
    const std::vector<std::string> records = { "XS201503050001", "XS201503050002", "XS201503090001", "XS201503160001", "XS201503280001",
        "XS201504020001", "XS201504180001", "XS201505060001" };
    std::set<std::string> accepted;
    for (const auto& record : records) {
        std::vector<std::thread> clients;
        std::mutex mutex;
        int acceptedForRecord = 0;
        for (int i = 0; i < 32; ++i) {
            clients.emplace_back([&, i] {
                auto reply = appeal("5", R"(,"RECORDID":")" + record + R"(","REASON":"第)" + std::to_string(i) + "次申诉\"");
                std::lock_guard lock(mutex);
                if (code(reply) != 0)
                    return;
                ++acceptedForRecord;
                accepted.insert(ns::stringForKey(ns::dictionaryForKey(ns::dictionaryValue(reply), "data"), "APPEALID").UTF8String());
            });
        }
        for (auto& client : clients)
            client.join();
        EXPECT_EQ(acceptedForRecord, 1) << record;
    }
    EXPECT_EQ(accepted.size(), records.size()) << "every accepted appeal has an id of its own";

    // What is stored: one appeal in process per record, each id once.
    auto listed = ns::arrayForKey(ns::dictionaryValue(appeal("4")), "data");
    ASSERT_TRUE(listed);
    std::set<std::string> ids;
    std::map<std::string, int> inProcess;
    for (NSUInteger i = 0; i < listed->count(); ++i) {
        auto row = ns::dictionaryValue(listed->objectAtIndex(i));
        ids.insert(ns::stringForKey(row, "APPEALID").UTF8String());
        inProcess[ns::stringForKey(row, "RECORDID").UTF8String()] += ns::stringForKey(row, "STATE").isEqualToString("0");
    }
    EXPECT_EQ(ids.size(), listed->count());
    for (const auto& record : records)
        EXPECT_EQ(inProcess[record], 1) << record;
}

TEST_F(StandInRecords, aReasonIsTakenUpToTwoHundredCharactersAndALongerOneIsToldSo)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(logIn());
    std::string longest;
    for (int i = 0; i < 200; ++i)
        longest += "长";
    auto tooLong = appeal("5", R"(,"RECORDID":"XS201503050001","REASON":")" + longest + "长\"");
    EXPECT_EQ(code(tooLong), 1);
    EXPECT_STREQ(message(tooLong).UTF8String().c_str(), "申诉理由不能超过200字");
    auto taken = appeal("5", R"(,"RECORDID":"XS201503050001","REASON":")" + longest + "\"");
    EXPECT_EQ(code(taken), 0) << message(taken).UTF8String();
}

TEST_F(StandInRecords, writesThatFailAreAnsweredWithTheErrorEnvelope)
{
    const auto file = dataFile("failing-writes.sqlite");
    ASSERT_TRUE(start(file.string())) << standIn->lastError();
    ASSERT_TRUE(logIn());
    ASSERT_TRUE(runSQL(file, "drop table records_mail; drop table records_school_comment; drop table records_coach_evaluation; "
                             "drop table records_appeal;"));
    auto mail = main("METHOD=addMailMethod&TITLE=t&CONTENT=c");
    EXPECT_EQ(ServiceReply::mainServiceCode(mail), 1);
    EXPECT_EQ(ServiceReply::mainServiceCode(main("METHOD=saveEnEvaluateMethod&ITEMIDS=01,02&SCORES=4.5,5&CONTENT=")), 1);
    EXPECT_EQ(ServiceReply::mainServiceCode(main("METHOD=saveEvaluateMethod&EMPLOYEEID=JL0001&ITEMIDS=11&SCORES=3&CONTENT=")), 1);
    EXPECT_EQ(code(appeal("5", R"(,"RECORDID":"XS201503050001","REASON":"理由")")), 1);
    // The school's evaluation is not half kept: its comment failing undoes its score too.
    EXPECT_TRUE(runSQL(file, "create table records_school_comment (usercode text primary key, itemids text, scores text, content text)"));
    EXPECT_EQ(ServiceReply::mainServiceCode(main("METHOD=saveEnEvaluateMethod&ITEMIDS=01,02&SCORES=4.5,5&CONTENT=")), 0);
}

TEST_F(StandInRecords, aStartCutShortWhileSeedingIsSeededAgainAndDataIsKeptBetweenStarts)
{
    // What a start killed during seeding used to leave: the first tables, account among them.
    const auto file = dataFile("half-seeded.sqlite");
    const std::string seed = standin::kSeedSQL;
    std::size_t cut = 0;
    for (int table = 0; table < 12 && cut != std::string::npos; ++table)
        cut = seed.find("create table", cut + 1);
    ASSERT_NE(cut, std::string::npos);
    ASSERT_TRUE(runSQL(file, "begin;" + seed.substr(0, cut) + ";commit;"));

    ASSERT_TRUE(start(file.string())) << standIn->lastError();
    ASSERT_TRUE(logIn());
    EXPECT_EQ(ServiceReply::mainServiceCode(main("METHOD=addMailMethod&TITLE=" + standin::formEncode("第一次") + "&CONTENT=c")), 0);
    EXPECT_TRUE(std::filesystem::exists(file.string() + ".damaged"));
    standIn.reset();

    // Started again on the same file: seeded already, and the letter is still there.
    ASSERT_TRUE(start(file.string())) << standIn->lastError();
    sqlite3* database = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &database), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(database, "select count(*) from records_mail where title = '第一次'", -1, &statement, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(statement, 0), 1);
    sqlite3_finalize(statement);
    sqlite3_close(database);
}

TEST_F(StandInRecords, aDamagedFileIsPutAsideAndAFreshOneSeeded)
{
    const auto file = dataFile("damaged.sqlite");
    std::ofstream(file) << std::string(4096, 'x');
    ASSERT_TRUE(start(file.string())) << standIn->lastError();
    EXPECT_TRUE(logIn());
    EXPECT_TRUE(std::filesystem::exists(file.string() + ".damaged"));
}

namespace {

// Each row of a query on the sample data, its columns as text.
std::vector<std::vector<std::string>> sampleRows(const std::string& query)
{
    sqlite3* database = nullptr;
    std::vector<std::vector<std::string>> rows;
    if (sqlite3_open(":memory:", &database) == SQLITE_OK && sqlite3_exec(database, standin::kSeedSQL, nullptr, nullptr, nullptr) == SQLITE_OK) {
        sqlite3_exec(database, query.c_str(), [](void* out, int columns, char** values, char**) {
            auto& row = static_cast<std::vector<std::vector<std::string>>*>(out)->emplace_back();
            for (int column = 0; column < columns; ++column)
                row.emplace_back(values[column] ? values[column] : "");
            return 0;
        }, &rows, nullptr);
    }
    sqlite3_close(database);
    return rows;
}

int minutesOf(const std::string& time)
{
    return std::stoi(time.substr(0, 2)) * 60 + std::stoi(time.substr(3, 2));
}

} // namespace

TEST(StandInSampleData, practiceHoursAreTheSumOfTheLearnersSessions)
{
    const auto subjects = sampleRows("select h.usercode, h.subject, h.finishhours, h.effecthours, "
                                     "(select group_concat(t.starttime || '-' || t.endtime || '/' || t.effecttime) from records_training t "
                                     "where t.usercode = h.usercode and t.subject = h.subject) from records_hours h where h.hourtype = '2'");
    ASSERT_FALSE(subjects.empty());
    for (const auto& subject : subjects) {
        int trained = 0;
        int counted = 0;
        std::stringstream sessions(subject[4]);
        for (std::string session; std::getline(sessions, session, ',');) {
            trained += minutesOf(session.substr(6, 5)) - minutesOf(session.substr(0, 5));
            counted += std::stoi(session.substr(12));
        }
        EXPECT_DOUBLE_EQ(std::stod(subject[2]), trained / 60.0) << subject[0] << " subject " << subject[1] << ": hours recorded";
        EXPECT_DOUBLE_EQ(std::stod(subject[3]), counted / 60.0) << subject[0] << " subject " << subject[1] << ": hours that count";
    }
}

TEST(StandInSampleData, eachPhotoAndTheStampOnItsPictureFallWithinItsSession)
{
    const auto photos = sampleRows("select p.recordid, p.phototime, p.photo, t.recorddate, t.starttime, t.endtime "
                                   "from records_photo p join records_training t on t.recordid = p.recordid");
    ASSERT_FALSE(photos.empty());
    for (const auto& photo : photos) {
        const std::string& taken = photo[1];
        EXPECT_EQ(taken.substr(0, 10), photo[3]) << photo[0];
        EXPECT_GE(minutesOf(taken.substr(11)), minutesOf(photo[4])) << photo[0] << " " << taken;
        EXPECT_LE(minutesOf(taken.substr(11)), minutesOf(photo[5])) << photo[0] << " " << taken;
        // The picture shows the time it was taken, as the terminal stamps it.
        std::string name = photo[2].substr(photo[2].rfind('/') + 1);
        name = name.substr(0, name.rfind('.')) + ".svg";
        std::ifstream drawing(std::filesystem::path(CORVANE_STANDIN_PICTURES) / name);
        std::stringstream text;
        text << drawing.rdbuf();
        EXPECT_NE(text.str().find(">" + taken.substr(11, 5) + " "), std::string::npos) << photo[0] << " " << name << " is stamped otherwise";
    }
}
