#include "tools/service-standin/ServiceStandIn.h"

#include "app/services/ServiceReply.h"
#include "library/json/JSONCodecDeserializing.h"
#include "platform/foundation/TypedValues.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr const char* kFixed = "_format_=json&_license_key_=A7C19D04E2B85F63C0D9174BE6A2F58D&_app_id_=TSAPP";
constexpr const char* kDistribute = "/Tessalane/resource/sysbl/ctop/dt/interface/distri/distribute";

class StandInTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(standIn.start()) << standIn.lastError(); }

    // The decoded reply of a POST, and its status.
    id post(int port, const std::string& path, const std::string& body, int* status = nullptr)
    {
        httplib::Client client("127.0.0.1", port);
        auto answer = client.Post(path, body, "application/x-www-form-urlencoded; charset=utf-8");
        if (!answer)
            return nullptr;
        if (status)
            *status = answer->status;
        return JSONCodecDeserializing::objectFromJSONString(NSString(standin::formDecode(answer->body)));
    }

    standin::ServiceStandIn standIn { standin::Options { .keepAlive = false } };
};

} // namespace

TEST(StandInCoding, formCodingRoundTripsChineseAndReservedCharacters)
{
    const std::string text = R"({"a":"成都 市+%&=/?"})";
    const std::string encoded = standin::formEncode(text);
    EXPECT_EQ(encoded.find(' '), std::string::npos);
    EXPECT_EQ(encoded.find('+'), encoded.find("+%E5")) << encoded;
    EXPECT_EQ(standin::formDecode(encoded), text);
    EXPECT_EQ(ServiceReply::formDecode(NSString(encoded)).UTF8String(), text);
    EXPECT_EQ(standin::formDecode("%zz%4"), "%zz%4");
}

TEST_F(StandInTest, refusesRequestsWithoutTheFixedFieldsWithAnErrorEnvelope)
{
    auto wrongKey = post(standIn.mainPort(), kDistribute, "METHOD=loginMethod&_format_=json&_license_key_=0000&_app_id_=TSAPP");
    EXPECT_EQ(ServiceReply::mainServiceCode(wrongKey), -1);
    auto wrongApp = post(standIn.mainPort(), "/Tessalane/app/loginCheck", "param=%7B%7D&_format_=json&_license_key_=A7C19D04E2B85F63C0D9174BE6A2F58D&_app_id_=X");
    EXPECT_EQ(ServiceReply::topLevelCode(wrongApp), -1);
    auto payment = post(standIn.paymentPort(), "/PayMent/resource/SYSBL/BRENLOW/DTTM/PUBL/ZXZF/SYSBL/BRENLOW/DTTM/PUBL/ZXZF/QUERYGOODSBYID", "A=1");
    EXPECT_EQ(ServiceReply::mainServiceCode(payment), -1);
}

TEST_F(StandInTest, answersEveryBadRequestWithAnEnvelopeAndKeepsServing)
{
    int status = 0;
    EXPECT_EQ(ServiceReply::mainServiceCode(post(standIn.mainPort(), "/nowhere", kFixed, &status)), -1);
    EXPECT_EQ(status, 404);
    EXPECT_EQ(ServiceReply::mainServiceCode(post(standIn.mainPort(), kDistribute, std::string("METHOD=noSuchMethod&") + kFixed)), -1);
    EXPECT_EQ(ServiceReply::mainServiceCode(post(standIn.mainPort(), kDistribute, std::string("METHOD=loginMethod&") + kFixed)), -1);
    EXPECT_EQ(ServiceReply::mainServiceCode(post(standIn.mainPort(), kDistribute, std::string("METHOD=updatePwdMethod&TALKID=forged&") + kFixed)), -3);
    EXPECT_EQ(ServiceReply::topLevelCode(post(standIn.mainPort(), "/Tessalane/app/loginCheck", std::string("param=%5B%5B&") + kFixed)), -1);
    EXPECT_EQ(ServiceReply::topLevelCode(post(standIn.mainPort(), "/Tessalane/app/noSuchAction", kFixed, &status)), -1);
    EXPECT_EQ(ServiceReply::mainServiceCode(post(standIn.mainPort(), kDistribute, "%%%&&&==&_format_=%ZZ")), -1);

    httplib::Client client("127.0.0.1", standIn.mainPort());
    auto get = client.Get(kDistribute);
    ASSERT_TRUE(get);
    EXPECT_EQ(get->status, 405);

    auto regions = post(standIn.mainPort(), "/Tessalane/resource/sysbl/ctop/dt/interface/regional/getregional", kFixed);
    EXPECT_EQ(ServiceReply::rows(regions, "array0")->count(), 7u);
}

TEST_F(StandInTest, officerLogsInWithTheOfficerRoleOnly)
{
    auto asLearner = post(standIn.mainPort(), kDistribute,
        std::string("METHOD=loginMethod&PROVINCE=510000&DEPCODE=510100&ROLETYPE=0&USERCODE=yunguan01&PASSWRD=654321&") + kFixed);
    EXPECT_EQ(ServiceReply::mainServiceCode(asLearner), 1);
    auto asOfficer = post(standIn.mainPort(), kDistribute,
        std::string("METHOD=loginMethod&PROVINCE=510000&DEPCODE=510100&ROLETYPE=4&USERCODE=yunguan01&PASSWRD=654321&") + kFixed);
    EXPECT_EQ(ServiceReply::mainServiceCode(asOfficer), 0);
    auto person = ns::dictionaryValue(ServiceReply::rows(asOfficer, "array1")->firstObject());
    EXPECT_EQ(ns::stringForKey(person, "NAME").UTF8String(), "刘志远");
    EXPECT_TRUE(ns::stringForKey(person, "STUID").isNil()) << "what the service does not know is left out";
}

TEST(StandInStart, aPortInUseIsReportedNotFatal)
{
    standin::ServiceStandIn first;
    ASSERT_TRUE(first.start());
    standin::Options options;
    options.mainPort = first.mainPort();
    standin::ServiceStandIn second(options);
    EXPECT_FALSE(second.start());
    EXPECT_NE(second.lastError().find("cannot listen"), std::string::npos);
    EXPECT_EQ(second.requestCount(), 0u);
}

TEST(StandInStart, theRunCommandStartsOneOnlyWhenNothingServesThePort)
{
    standin::ServiceStandIn first;
    ASSERT_TRUE(first.start());
    standin::Options options;
    options.mainPort = first.mainPort();
    EXPECT_FALSE(standin::startUnlessServed(options));
    const int freePort = first.mainPort();
    first.stop();
    options.mainPort = freePort;
    auto started = standin::startUnlessServed(options);
    ASSERT_TRUE(started);
    EXPECT_EQ(started->mainPort(), freePort);
}

namespace {

const std::string kLearnerLogin = "METHOD=loginMethod&PROVINCE=510000&DEPCODE=510100&ROLETYPE=0&PASSWRD=123456&";

} // namespace

TEST_F(StandInTest, anAccountNameWithATrailingNulIsAnotherAccount)
{
    auto forged = post(standIn.mainPort(), kDistribute, kLearnerLogin + "USERCODE=510104199203154321%00x&" + kFixed);
    EXPECT_EQ(ServiceReply::mainServiceCode(forged), 1);
    auto real = post(standIn.mainPort(), kDistribute, kLearnerLogin + "USERCODE=510104199203154321&" + kFixed);
    EXPECT_EQ(ServiceReply::mainServiceCode(real), 0);
}

TEST_F(StandInTest, refusesLoginsAfterRepeatedWrongPasswordsEvenWithTheRightOne)
{
    const std::string wrong = "METHOD=loginMethod&PROVINCE=510000&DEPCODE=510100&ROLETYPE=0&USERCODE=510104199203154321&PASSWRD=000000&";
    for (int attempt = 0; attempt < 10; ++attempt)
        ASSERT_EQ(ServiceReply::mainServiceCode(post(standIn.mainPort(), kDistribute, wrong + kFixed)), 1);
    auto refused = post(standIn.mainPort(), kDistribute, kLearnerLogin + "USERCODE=510104199203154321&" + kFixed);
    EXPECT_EQ(ServiceReply::mainServiceCode(refused), 1);
    auto head = ns::dictionaryForKey(ns::dictionaryForKey(ns::dictionaryValue(refused), "output"), "head");
    EXPECT_EQ(ns::stringForKey(head, "retDesc").UTF8String(), "登录失败次数过多，请稍后再试");
    // Other accounts are not affected.
    auto officer = post(standIn.mainPort(), kDistribute,
        std::string("METHOD=loginMethod&PROVINCE=510000&DEPCODE=510100&ROLETYPE=4&USERCODE=yunguan01&PASSWRD=654321&") + kFixed);
    EXPECT_EQ(ServiceReply::mainServiceCode(officer), 0);
}

TEST_F(StandInTest, tooLargeAndEmptyPostsGetTheServicesEnvelope)
{
    int status = 0;
    auto tooLarge = post(standIn.mainPort(), kDistribute, std::string("PAD=") + std::string(2 << 20, 'a'), &status);
    EXPECT_EQ(status, 413);
    EXPECT_EQ(ServiceReply::mainServiceCode(tooLarge), -1);

    auto empty = post(standIn.mainPort(), kDistribute, "", &status);
    EXPECT_EQ(ServiceReply::mainServiceCode(empty), -1);
}

TEST(StandInLoad, keepsOnlyTheLatestRequests)
{
    standin::ServiceStandIn standIn;
    ASSERT_TRUE(standIn.start());
    httplib::Client client("127.0.0.1", standIn.mainPort());
    client.set_keep_alive(true);
    client.set_tcp_nodelay(true);
    for (int i = 0; i < 2100; ++i)
        ASSERT_TRUE(client.Post("/nowhere", std::to_string(i), "text/plain"));
    const auto kept = standIn.requests();
    ASSERT_EQ(kept.size(), 2000u);
    EXPECT_EQ(kept.front().body, "100");
    EXPECT_EQ(kept.back().body, "2099");
}

TEST(StandInLoad, answersTwoHundredClientsAtOnce)
{
    standin::ServiceStandIn standIn;
    ASSERT_TRUE(standIn.start());
    std::atomic<int> answered { 0 };
    std::vector<std::thread> clients;
    for (int i = 0; i < 200; ++i) {
        clients.emplace_back([&] {
            httplib::Client client("127.0.0.1", standIn.mainPort());
            client.set_connection_timeout(std::chrono::seconds(20));
            client.set_read_timeout(std::chrono::seconds(20));
            auto answer = client.Post("/Tessalane/resource/sysbl/ctop/dt/interface/regional/getregional", kFixed,
                "application/x-www-form-urlencoded");
            if (answer && answer->status == 200)
                ++answered;
        });
    }
    for (auto& thread : clients)
        thread.join();
    EXPECT_EQ(answered.load(), 200);
}

TEST(StandInLoad, slowClientsDoNotStopItAnsweringOthers)
{
    standin::ServiceStandIn standIn;
    ASSERT_TRUE(standIn.start());
    // Eight connections that start a request and then say nothing more.
    std::vector<int> slow;
    for (int i = 0; i < 8; ++i) {
        const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(standIn.mainPort()));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        const char* start = "POST /Tessalane/app/loginCheck HTTP/1.1\r\nHost: x\r\n";
        ASSERT_GT(::send(socket, start, std::strlen(start), 0), 0);
        slow.push_back(socket);
    }
    httplib::Client client("127.0.0.1", standIn.mainPort());
    client.set_read_timeout(std::chrono::seconds(3));
    auto answer = client.Post("/Tessalane/resource/sysbl/ctop/dt/interface/regional/getregional", kFixed,
        "application/x-www-form-urlencoded");
    EXPECT_TRUE(answer && answer->status == 200);
    for (int socket : slow)
        ::close(socket);
}

TEST_F(StandInTest, theLearnersPhotoIsServedOnlyToALiveSessionOfThatLearner)
{
    auto login = post(standIn.mainPort(), kDistribute, kLearnerLogin + "USERCODE=510104199203154321&" + kFixed);
    ASSERT_EQ(ServiceReply::mainServiceCode(login), 0);
    const std::string photo = ns::stringForKey(ns::dictionaryValue(ServiceReply::rows(login, "array1")->firstObject()), "URLIMG").UTF8String();
    const std::string base = "http://127.0.0.1:" + std::to_string(standIn.mainPort());
    ASSERT_EQ(photo.rfind(base + "/Tessalane/photos/learner-chen.png?key=", 0), 0u) << photo;

    httplib::Client client("127.0.0.1", standIn.mainPort());
    const std::string path = photo.substr(base.size());
    auto served = client.Get(path);
    ASSERT_TRUE(served);
    EXPECT_EQ(served->status, 200);
    EXPECT_EQ(served->get_header_value("Content-Type"), "image/png");
    EXPECT_GT(served->body.size(), 100u);

    // Without the key, with a made-up one, or for another picture: nothing.
    for (const std::string& other : { std::string("/Tessalane/photos/learner-chen.png"), std::string("/Tessalane/photos/learner-chen.png?key=0000"),
             path.substr(0, path.find('?')) + "/../seed.sql" + path.substr(path.find('?')),
             std::string("/Tessalane/photos/school-lantian.png") + path.substr(path.find('?')) }) {
        auto refused = client.Get(other);
        ASSERT_TRUE(refused) << other;
        EXPECT_NE(refused->status, 200) << other;
    }

    // A newer login of the same learner ends the old session's key.
    ASSERT_EQ(ServiceReply::mainServiceCode(post(standIn.mainPort(), kDistribute, kLearnerLogin + "USERCODE=510104199203154321&" + kFixed)), 0);
    auto stale = client.Get(path);
    ASSERT_TRUE(stale);
    EXPECT_EQ(stale->status, 403);
}
