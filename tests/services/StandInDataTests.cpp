// The stand-in's training writes against a failing database, its data file kept for weeks, and a
// data file with a damaged page.
#include "tools/service-standin/ServiceStandIn.h"
#include "tools/service-standin/ServicesTime.h"

#include "app/services/ServiceReply.h"
#include "library/json/JSONCodecDeserializing.h"
#include "platform/foundation/TypedValues.h"

#include "tests/support/FirstValue.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

constexpr const char* kFixed = "_format_=json&_license_key_=A7C19D04E2B85F63C0D9174BE6A2F58D&_app_id_=TSAPP";
constexpr const char* kDistribute = "/Tessalane/resource/sysbl/ctop/dt/interface/distri/distribute";
constexpr const char* kLearner = "510104199203154321";

std::string day(int fromToday)
{
    return standin::servicesTime("%Y-%m-%d", static_cast<std::time_t>(fromToday) * 86400);
}

std::string fileText(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class StandInData : public testing::Test {
protected:
    void SetUp() override
    {
        const char* home = std::getenv("CORVANE_HOME");
        directory = std::filesystem::path(home ? home : std::filesystem::temp_directory_path().string())
            / ("standin-data-" + std::to_string(::getpid()) + "-" + testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory);
        file = directory / "data.sqlite";
    }
    void TearDown() override
    {
        standIn.reset();
        std::filesystem::remove_all(directory);
    }

    bool start()
    {
        standIn = std::make_unique<standin::ServiceStandIn>(standin::Options { .databasePath = file.string(), .keepAlive = false });
        return standIn->start();
    }
    id post(int port, const std::string& path, const std::string& body)
    {
        httplib::Client client("127.0.0.1", port);
        client.set_read_timeout(std::chrono::seconds(20));
        auto answer = client.Post(path, body + "&" + kFixed, "application/x-www-form-urlencoded; charset=utf-8");
        return answer ? JSONCodecDeserializing::objectFromJSONString(NSString(standin::formDecode(answer->body))) : nullptr;
    }
    id main(const std::string& fields) { return post(standIn->mainPort(), kDistribute, fields + "&TALKID=" + talkId); }
    std::optional<int> logIn(const std::string& password = "123456")
    {
        auto reply = post(standIn->mainPort(), kDistribute,
            "METHOD=loginMethod&PROVINCE=510000&DEPCODE=510100&ROLETYPE=0&PASSWRD=" + password + "&USERCODE=" + kLearner);
        talkId = ns::stringForKey(ns::dictionaryValue(ServiceReply::rows(reply, "array1")->firstObject()), "SESSIONID").UTF8String();
        return ServiceReply::mainServiceCode(reply);
    }
    static std::string description(const id& reply)
    {
        auto head = ns::dictionaryForKey(ns::dictionaryForKey(ns::dictionaryValue(reply), "output"), "head");
        return ns::stringForKey(head, "retDesc").UTF8String();
    }
    // One statement on the data file; the first column of the first row of its answer.
    std::string sql(const std::string& statement) { return testing_support::firstValue(file, statement); }
    id book(const std::string& slot, const std::string& date, const std::string& time)
    {
        return main("METHOD=saveSchedueMethod&TSEMPLOYEEID=JL0002&SUBJECT=2&PERDRITYPE=C1&ABOUTIDS=" + slot + "&ABOUTTIME=" + time + "&ABOUTDATE=" + date);
    }

    std::filesystem::path directory;
    std::filesystem::path file;
    std::unique_ptr<standin::ServiceStandIn> standIn;
    std::string talkId;
};

} // namespace

TEST_F(StandInData, aTrainingWriteThatFailsIsAnsweredAsFailedAndLeavesNothingHalfDone)
{
    ASSERT_TRUE(start()) << standIn->lastError();
    ASSERT_EQ(logIn(), 0);
    const std::string tomorrow = day(1);
    const std::string slot = "JL0002-" + tomorrow + "-3";
    // The slot's count is written after the booking row: the row must not stay without it.
    ASSERT_EQ(sql("create trigger refuse_slot before update on training_slot begin select raise(abort, 'refused'); end"), "");
    auto refused = book(slot, tomorrow, "14:00-16:00");
    EXPECT_EQ(ServiceReply::mainServiceCode(refused), 1);
    EXPECT_EQ(description(refused), "服务器忙，请稍候再试");
    EXPECT_EQ(sql("select count(*) from training_booking where aboutid = '" + slot + "'"), "0");
    auto cancel = main("METHOD=updateSchedueMethod&ABOUTINFOID=1&ABOUTID=JL0002-" + day(-2) + "-1");
    EXPECT_EQ(ServiceReply::mainServiceCode(cancel), 1);
    EXPECT_EQ(sql("select state from training_booking where aboutinfoid = 1"), "booked");

    // A save whose last write fails credits nothing anywhere.
    ASSERT_EQ(sql("create trigger refuse_account before update on video_account begin select raise(abort, 'refused'); end"), "");
    const std::string param = R"({"TALKID":")" + talkId + R"(","videoid":"V2002","intervalTime":10,"selSubject":1})";
    auto save = ns::dictionaryValue(post(standIn->mainPort(), "/Tessalane/app/saveTime", "param=" + standin::formEncode(param)));
    EXPECT_EQ(ns::intForKey(save, "code"), 1);
    EXPECT_EQ(sql("select learned from training_progress where usercode = '" + std::string(kLearner) + "' and videoid = 'V2002'"), "20");
    EXPECT_EQ(sql("select count(*) from training_day where usercode = '" + std::string(kLearner) + "'"), "0");

    ASSERT_EQ(sql("create trigger refuse_order before insert on training_order begin select raise(abort, 'refused'); end"), "");
    auto order = post(standIn->paymentPort(), standIn->paymentBaseURL().substr(standIn->paymentBaseURL().find("/PayMent")) + "GETORDERNUMAPP",
        std::string("GOODS_ID=100201500001&STU_ID=") + kLearner + "&PAY_NUM=1&PROJECT_CODE=400");
    EXPECT_EQ(ServiceReply::mainServiceCode(order), 1);
    EXPECT_EQ(ServiceReply::rows(order, "array0")->count(), 0u) << "no order number for an order not kept";

    // Once the database writes again, so does the stand-in.
    sql("drop trigger refuse_slot; drop trigger refuse_account; drop trigger refuse_order");
    EXPECT_EQ(ServiceReply::mainServiceCode(book(slot, tomorrow, "14:00-16:00")), 0);
    EXPECT_EQ(sql("select aboutnum from training_slot where aboutid = '" + slot + "'"), "2");
}

TEST_F(StandInData, aSlotNamedMoreThanOnceInOneBookingIsRefusedAndNothingWritten)
{
    ASSERT_TRUE(start()) << standIn->lastError();
    ASSERT_EQ(logIn(), 0);
    const std::string tomorrow = day(1);
    const std::string slot = "JL0002-" + tomorrow + "-3";
    const std::string places = sql("select aboutnum from training_slot where aboutid = '" + slot + "'");
    auto refused = book(slot + "," + slot + "," + slot, tomorrow, "14:00-16:00,14:00-16:00,14:00-16:00");
    EXPECT_EQ(ServiceReply::mainServiceCode(refused), 1);
    EXPECT_EQ(description(refused), "已预约该时段");
    EXPECT_EQ(sql("select aboutnum from training_slot where aboutid = '" + slot + "'"), places);
    EXPECT_EQ(sql("select count(*) from training_booking where aboutid = '" + slot + "'"), "0");
}

TEST_F(StandInData, addressesInsideTheGoodsTextNameTheStandInsOwnPortButLookalikesStay)
{
    ASSERT_TRUE(start()) << standIn->lastError();
    sql("insert into training_goods values ('GOODS-LOOKALIKES', '样品', '1', '510100', '100', '1', "
        "'见 http://127.0.0.1:3600/a（http://127.0.0.1:3600) xhttp://127.0.0.1:3600/b http://127.0.0.1:36000/c "
        "http://127.0.0.1:3600.example/d http://127.0.0.1:3600@e/ https://127.0.0.1:3600/f http://127.0.0.1:3600?g', "
        "'http://127.0.0.1:3600/Tessalane/images/school-lantian.png')");
    const auto goods = [&](const std::string& id) {
        return ns::dictionaryValue(ServiceReply::rows(post(standIn->paymentPort(), "/PayMent/resource/SYSBL/BRENLOW/DTTM/PUBL/ZXZF/QUERYGOODSBYID",
            "GOODS_ID=" + id), "array0")->firstObject());
    };
    const std::string own = "http://127.0.0.1:" + std::to_string(standIn->mainPort());
    const std::string detail = ns::stringForKey(goods("100201500001"), "GOODS_DETAIL").UTF8String();
    EXPECT_NE(detail.find(own + "/Tessalane/help.html"), std::string::npos) << detail;
    EXPECT_EQ(std::string(ns::stringForKey(goods("GOODS-LOOKALIKES"), "GOODS_DETAIL").UTF8String()),
        "见 " + own + "/a（" + own + ") xhttp://127.0.0.1:3600/b http://127.0.0.1:36000/c http://127.0.0.1:3600.example/d "
        "http://127.0.0.1:3600@e/ https://127.0.0.1:3600/f " + own + "?g");
}

TEST_F(StandInData, aDataFileKeptForWeeksStillHasThisWeeksSampleDaysAndWhatUsersMade)
{
    ASSERT_TRUE(start()) << standIn->lastError();
    ASSERT_EQ(logIn(), 0);
    ASSERT_EQ(ServiceReply::mainServiceCode(main("METHOD=addMailMethod&TITLE=" + standin::formEncode("留下") + "&CONTENT=c")), 0);
    ASSERT_EQ(ServiceReply::mainServiceCode(book("JL0002-" + day(2) + "-3", day(2), "14:00-16:00")), 0);
    standIn.reset();

    // The file as a start nine days ago left it: its week of slots is over, the busy learner's day
    // and the officer's month are past.
    ASSERT_EQ(sql("delete from training_slot where aboutdate > '" + day(-3) + "' and aboutid <> 'JL0002-" + day(2) + "-3';"
                  "update training_day set day = '" + day(-9) + "';"
                  "delete from charts_learner where day > '2015-12-31';"
                  "insert into charts_learner select date('now', '+8 hours', 'start of month', '-1 month', printf('%+d days', column1)), column2, column3 from "
                  "(values (0, 1, 18), (3, 2, 9), (6, 3, 6), (9, 4, 3), (12, 0, 10), (-20, 1, 7), (-18, 9, 2), (-15, 0, 4));"
                  "select 1"),
        "1");
    const std::string lastMonthStart = sql("select date('now', '+8 hours', 'start of month', '-1 month')");
    const std::string charts = sql("select count(*) from charts_learner");

    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(start()) << standIn->lastError();
        ASSERT_EQ(logIn(), 0);
        for (int ahead = 0; ahead <= 7; ++ahead)
            EXPECT_EQ(sql("select count(*) from training_slot where aboutdate = '" + day(ahead) + "'"), "8") << "day " << ahead << ", run " << run;
        auto schedule = main("METHOD=checkSchedueMethod&SUBJECT=2&ABOUTDATE=" + day(7));
        EXPECT_EQ(ServiceReply::rows(schedule, "array1")->count(), 4u);
        // What the learner made is as they left it.
        EXPECT_EQ(sql("select count(*) from records_mail where title = '留下'"), "1");
        EXPECT_EQ(sql("select aboutnum from training_slot where aboutid = 'JL0002-" + day(2) + "-3'"), "2");
        EXPECT_EQ(sql("select count(*) from training_booking where state = 'booked'"), "2");
        EXPECT_EQ(sql("select seconds from training_day where usercode = '510104199411112222' and day = '" + day(0) + "'"), "14390");
        // The officer's sample month is this one, moved rather than added to.
        EXPECT_EQ(sql("select sum(learners) from charts_learner where day >= date('now', '+8 hours', 'start of month')"), "46");
        EXPECT_EQ(sql("select count(*) from charts_learner where day = '" + lastMonthStart + "' and subject = 1 and learners = 18"), "0");
        EXPECT_EQ(sql("select count(*) from charts_learner"), charts);
        standIn.reset();
    }
}

TEST_F(StandInData, aFileWithADamagedPageIsSetAsideWithItsJournalBesideAnEarlierCopy)
{
    ASSERT_TRUE(start()) << standIn->lastError();
    standIn.reset();
    const long page = std::atol(sql("pragma page_size").c_str());
    const long accounts = std::atol(sql("select rootpage from sqlite_master where name = 'account'").c_str());
    ASSERT_GT(page, 0);
    ASSERT_GT(accounts, 1);
    {
        std::fstream data(file, std::ios::in | std::ios::out | std::ios::binary);
        data.seekp((accounts - 1) * page);
        data << std::string(static_cast<std::size_t>(page), '\x5a');
    }
    const std::string damagedPath = file.string() + ".damaged";
    std::ofstream(damagedPath) << "an earlier copy";
    // A journal SQLite does not replay (its first byte is zero) but that belongs to the file.
    const std::string journal = std::string(1, '\0') + "the file's journal";
    std::ofstream(file.string() + "-journal", std::ios::binary) << journal;

    ASSERT_TRUE(start()) << standIn->lastError();
    EXPECT_EQ(logIn(), 0) << "the right password logs in on the fresh file";
    EXPECT_EQ(fileText(damagedPath), "an earlier copy");
    EXPECT_TRUE(std::filesystem::exists(file.string() + ".damaged-2"));
    EXPECT_EQ(fileText(file.string() + ".damaged-2-journal"), journal);
    EXPECT_FALSE(std::filesystem::exists(file.string() + "-journal"));
}

TEST_F(StandInData, aRecordsPhotosGoOnlyToTheSignedInLearnerWhoseRecordsTheyAre)
{
    ASSERT_TRUE(start()) << standIn->lastError();
    // Another learner with a record whose one photo is also one of the first learner's.
    sql("insert into records_training values ('XS201601010001', '510104199605207788', '2', '2016-01-01', '08:00', '09:00', 60, '张建国', '川A1234学');"
        "insert into records_photo values ('XS201601010001', 1, '2016-01-01 08:01', 'http://127.0.0.1:3600/Tessalane/images/records-face-end.png')");
    auto photos = [this](const std::string& record) {
        const std::string param = R"({"TALKID":")" + talkId + R"(","QUERY_TYPE":"3","RECORDID":")" + record + "\"}";
        auto rows = ns::arrayForKey(ns::dictionaryValue(post(standIn->mainPort(), "/Tessalane/app/queryStudentHour", "type=1&param=" + standin::formEncode(param))), "data");
        std::vector<std::string> paths;
        const std::string base = "http://127.0.0.1:" + std::to_string(standIn->mainPort());
        for (NSUInteger i = 0; rows && i < rows->count(); ++i) {
            const std::string address = ns::stringForKey(ns::dictionaryValue(rows->objectAtIndex(i)), "PHOTOURL").UTF8String();
            paths.push_back(address.rfind(base, 0) == 0 ? address.substr(base.size()) : address);
        }
        return paths;
    };
    httplib::Client client("127.0.0.1", standIn->mainPort());
    auto status = [&](const std::string& path) {
        auto answer = client.Get(path);
        return answer ? answer->status : 0;
    };

    ASSERT_EQ(logIn(), 0);
    const auto own = photos("XS201503050001");
    ASSERT_EQ(own.size(), 2u);
    for (const auto& path : own) {
        ASSERT_EQ(path.rfind("/Tessalane/photos/", 0), 0u) << path;
        EXPECT_EQ(status(path), 200) << path;
    }
    ASSERT_NE(own.front().find('?'), std::string::npos);
    const std::string start = own.front().substr(0, own.front().find('?'));
    EXPECT_NE(status(start), 200) << "not without the session's key";

    auto other = post(standIn->mainPort(), kDistribute, "METHOD=loginMethod&PROVINCE=510000&DEPCODE=510100&ROLETYPE=0&PASSWRD=123456&USERCODE=510104199605207788");
    talkId = ns::stringForKey(ns::dictionaryValue(ServiceReply::rows(other, "array1")->firstObject()), "SESSIONID").UTF8String();
    EXPECT_TRUE(photos("XS201503050001").empty()) << "another learner's record lists nothing";
    const auto theirs = photos("XS201601010001");
    ASSERT_EQ(theirs.size(), 1u);
    EXPECT_EQ(status(theirs.front()), 200);
    ASSERT_NE(theirs.front().find('?'), std::string::npos);
    const std::string otherKey = theirs.front().substr(theirs.front().find('?'));
    EXPECT_NE(status(start + otherKey), 200) << "a photo of another learner's records";
}
