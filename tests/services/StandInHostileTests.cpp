#include "tools/service-standin/ConnectionWatch.h"
#include "tools/service-standin/ServiceStandIn.h"

#include "app/services/ServiceReply.h"
#include "library/json/JSONCodecDeserializing.h"
#include "platform/foundation/TypedValues.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <sqlite3.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <numeric>
#include <optional>
#include <thread>
#include <vector>

namespace {

constexpr const char* kFixed = "_format_=json&_license_key_=A7C19D04E2B85F63C0D9174BE6A2F58D&_app_id_=TSAPP";
constexpr const char* kDistribute = "/Tessalane/resource/sysbl/ctop/dt/interface/distri/distribute";
constexpr const char* kRegions = "/Tessalane/resource/sysbl/ctop/dt/interface/regional/getregional";

class StandInHostile : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(standIn.start()) << standIn.lastError(); }

    id post(int port, const std::string& path, const std::string& body)
    {
        httplib::Client client("127.0.0.1", port);
        auto answer = client.Post(path, body, "application/x-www-form-urlencoded; charset=utf-8");
        return answer ? JSONCodecDeserializing::objectFromJSONString(NSString(standin::formDecode(answer->body))) : nullptr;
    }

    std::optional<int> login(const std::string& usercode, const std::string& password)
    {
        return ServiceReply::mainServiceCode(post(standIn.mainPort(), kDistribute,
            "METHOD=loginMethod&PROVINCE=510000&DEPCODE=510100&ROLETYPE=0&USERCODE=" + usercode + "&PASSWRD=" + password + "&" + kFixed));
    }

    // Wrong logins of that many names no account has, over one connection.
    void floodOfMadeUpNames(const std::string& prefix, int count)
    {
        httplib::Client client("127.0.0.1", standIn.mainPort());
        client.set_keep_alive(true);
        for (int account = 0; account < count; ++account) {
            const std::string body = "METHOD=loginMethod&PROVINCE=510000&DEPCODE=510100&ROLETYPE=0&USERCODE=" + prefix + std::to_string(account)
                + "&PASSWRD=x&" + kFixed;
            ASSERT_TRUE(client.Post(kDistribute, body, "application/x-www-form-urlencoded")) << account;
        }
    }

    standin::ServiceStandIn standIn { standin::Options { .keepAlive = false } };
};

int connectTo(int port)
{
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(socket);
        return -1;
    }
    return socket;
}

// Connections that each start a request and say nothing more, as one trickling a line every few
// seconds does between lines.
std::vector<int> slowConnections(int port, int count)
{
    std::vector<int> slow;
    for (int i = 0; i < count; ++i) {
        const int socket = connectTo(port);
        const char* start = "POST /Tessalane/app/loginCheck HTTP/1.1\r\nHost: x\r\n";
        if (socket < 0 || ::send(socket, start, std::strlen(start), MSG_NOSIGNAL) <= 0)
            break;
        slow.push_back(socket);
    }
    return slow;
}

// Three requests, each answered within a second.
void expectAnsweredWhileSlowOnesWait(int port, const std::string& path, const std::string& body)
{
    for (int round = 0; round < 3; ++round) {
        httplib::Client client("127.0.0.1", port);
        client.set_connection_timeout(std::chrono::seconds(1));
        client.set_read_timeout(std::chrono::seconds(1));
        auto answer = client.Post(path, body, "application/x-www-form-urlencoded");
        EXPECT_TRUE(answer && answer->status == 200) << "round " << round;
    }
}

} // namespace

TEST_F(StandInHostile, slowConnectionsOnEveryWorkerStillLeaveANormalRequestAnswered)
{
    const auto slow = slowConnections(standIn.mainPort(), 40);
    ASSERT_EQ(slow.size(), 40u) << "more than the 32 workers it starts with";
    expectAnsweredWhileSlowOnesWait(standIn.mainPort(), kRegions, kFixed);
    for (int socket : slow)
        ::close(socket);
}

TEST(StandInDeadline, aRequestNotWholeWithinItsDeadlineHasItsConnectionClosed)
{
    // A deadline shorter than the server's time-out for each read, which a line every few seconds
    // would restart: the connection ends at the deadline, before the socket here gives up waiting.
    standin::ServiceStandIn standIn { standin::Options { .requestDeadline = std::chrono::seconds(1), .keepAlive = false } };
    ASSERT_TRUE(standIn.start());
    const auto slow = slowConnections(standIn.mainPort(), 1);
    ASSERT_EQ(slow.size(), 1u);
    timeval wait { .tv_sec = 4, .tv_usec = 0 };
    ::setsockopt(slow[0], SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    char byte = 0;
    EXPECT_EQ(::recv(slow[0], &byte, 1, 0), 0) << "closed, not still waiting";
    ::close(slow[0]);
}

TEST(ConnectionWatch, pastTheMostWorkersTheConnectionWaitingLongestForItsRequestGivesItsWorkerUp)
{
    httplib::Server server;
    std::unique_ptr<standin::ConnectionWatch> watch;
    server.new_task_queue = [&watch] { return watch->newTaskQueue(); };
    server.set_read_timeout(std::chrono::seconds(30));
    server.Post("/", [&watch](const httplib::Request& request, httplib::Response& response) {
        standin::ConnectionWatch::Answering answering(*watch, request);
        response.set_content("answered", "text/plain");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    ASSERT_GT(port, 0);
    watch = std::make_unique<standin::ConnectionWatch>(port, 2, 4, std::chrono::seconds(30));
    std::thread listening([&] { server.listen_after_bind(); });
    while (!server.is_running())
        std::this_thread::yield();

    const auto slow = slowConnections(port, 10);
    ASSERT_EQ(slow.size(), 10u);
    expectAnsweredWhileSlowOnesWait(port, "/", "x");
    server.stop();
    listening.join();
    for (int socket : slow)
        ::close(socket);
}

TEST_F(StandInHostile, aFloodOfMadeUpAccountsDoesNotResetTheFailedLoginLimit)
{
    for (int attempt = 0; attempt < 10; ++attempt)
        ASSERT_EQ(login("510104199203154321", "000000"), 1);
    ASSERT_EQ(login("510104199203154321", "123456"), 1) << "the account is held at its limit";

    ASSERT_NO_FATAL_FAILURE(floodOfMadeUpNames("made-up-", 10'001));
    EXPECT_EQ(login("510104199203154321", "123456"), 1) << "still held after 10,001 made-up accounts";
}

TEST_F(StandInHostile, aRealAccountAndAMadeUpNameAreRefusedAlikeThroughAFloodOfMadeUpNames)
{
    const auto answer = [this](const std::string& usercode) {
        auto reply = post(standIn.mainPort(), kDistribute,
            "METHOD=loginMethod&PROVINCE=510000&DEPCODE=510100&ROLETYPE=0&USERCODE=" + usercode + "&PASSWRD=000000&" + kFixed);
        return std::string(ns::stringForKey(ns::dictionaryForKey(ns::dictionaryForKey(ns::dictionaryValue(reply), "output"), "head"), "retDesc").UTF8String());
    };
    for (int attempt = 0; attempt < 11; ++attempt) {
        answer("510104199203154321");
        answer("510104199909099999");
    }
    ASSERT_NO_FATAL_FAILURE(floodOfMadeUpNames("flood-", 10'500));
    EXPECT_EQ(answer("510104199203154321"), "登录失败次数过多，请稍后再试");
    EXPECT_EQ(answer("510104199909099999"), "登录失败次数过多，请稍后再试") << "a made-up name answers as a real one";
}

TEST(StandInLoginLimit, twoHundredGuessesSentAtOnceHaveNoMoreThanTheLimitLookedAt)
{
    // The data file is held by another program while the guesses arrive, so that they are all
    // under way before the first is answered.
    const auto file = std::filesystem::temp_directory_path() / ("standin-guesses-" + std::to_string(::getpid()) + ".sqlite");
    std::filesystem::remove(file);
    standin::ServiceStandIn standIn { standin::Options { .databasePath = file.string(), .keepAlive = false } };
    ASSERT_TRUE(standIn.start()) << standIn.lastError();
    const auto answerTo = [&](const std::string& usercode, const std::string& password) {
        httplib::Client client("127.0.0.1", standIn.mainPort());
        client.set_read_timeout(std::chrono::seconds(30));
        auto answer = client.Post(kDistribute,
            "METHOD=loginMethod&PROVINCE=510000&DEPCODE=510100&ROLETYPE=0&USERCODE=" + usercode + "&PASSWRD=" + password + "&" + kFixed,
            "application/x-www-form-urlencoded");
        return answer ? standin::formDecode(answer->body) : std::string();
    };
    for (const std::string usercode : { "510104199203154321", "510104199909099999" }) {
        sqlite3* holder = nullptr;
        ASSERT_EQ(sqlite3_open(file.c_str(), &holder), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(holder, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
        std::atomic<int> sent { 0 };
        std::atomic<int> looked { 0 };
        std::vector<std::thread> guesses;
        for (int guess = 0; guess < 200; ++guess) {
            guesses.emplace_back([&, guess] {
                ++sent;
                if (answerTo(usercode, "guess" + std::to_string(guess)).find("用户名或密码错误") != std::string::npos)
                    ++looked;
            });
        }
        while (sent < 200)
            std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        sqlite3_exec(holder, "commit", nullptr, nullptr, nullptr);
        sqlite3_close(holder);
        for (auto& guess : guesses)
            guess.join();
        EXPECT_EQ(looked, 10) << usercode << ": a real account and a made-up name alike";
    }
    EXPECT_NE(answerTo("510104199203154321", "123456").find("登录失败次数过多"), std::string::npos) << "held at the limit";
    standIn.stop();
    std::filesystem::remove(file);
}

TEST_F(StandInHostile, madeUpNamesFailingBetweenGuessesCannotPushTheAccountUnderAttackOut)
{
    // The table of names filled with made-up ones failed twice, from a few clients at once.
    std::vector<std::thread> fillers;
    for (int part = 0; part < 4; ++part) {
        fillers.emplace_back([this, part] {
            httplib::Client client("127.0.0.1", standIn.mainPort());
            client.set_keep_alive(true);
            for (int account = part; account < 9'999; account += 4) {
                const std::string body = "METHOD=loginMethod&PROVINCE=510000&DEPCODE=510100&ROLETYPE=0&USERCODE=filler-" + std::to_string(account)
                    + "&PASSWRD=x&" + kFixed;
                for (int twice = 0; twice < 2; ++twice)
                    client.Post(kDistribute, body, "application/x-www-form-urlencoded");
            }
        });
    }
    for (auto& filler : fillers)
        filler.join();
    // Then one guess at the account, one new made-up name, and again, past the limit.
    for (int round = 0; round < 12; ++round) {
        ASSERT_EQ(login("510104199203154321", "guess" + std::to_string(round)), 1);
        ASSERT_EQ(login("newcomer-" + std::to_string(round), "x"), 1);
    }
    EXPECT_EQ(login("510104199203154321", "123456"), 1) << "held after twelve wrong guesses";
}

TEST_F(StandInHostile, theRequestLogIsBoundedInBytes)
{
    httplib::Client client("127.0.0.1", standIn.mainPort());
    client.set_keep_alive(true);
    const std::string body(1000 * 1000, 'a');
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(client.Post("/nowhere", body, "text/plain"));
    const std::string small(20 * 1000, 'b');
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE(client.Post("/nowhere", small + std::to_string(i), "text/plain"));

    const auto kept = standIn.requests();
    ASSERT_FALSE(kept.empty());
    const std::size_t bodies = std::accumulate(kept.begin(), kept.end(), std::size_t { 0 }, [](std::size_t sum, const auto& request) {
        EXPECT_LE(request.body.size(), 16u * 1024) << "a body is kept cut";
        return sum + request.body.size();
    });
    EXPECT_LE(bodies, 16u * 1024 * 1024);
    EXPECT_EQ(kept.back().body.substr(0, 3), "bbb") << "the latest are kept";
}

TEST_F(StandInHostile, theLearnersPhotoIsNotOnThePublicPicturesRoad)
{
    httplib::Client client("127.0.0.1", standIn.mainPort());
    auto learner = client.Get("/Tessalane/images/learner-chen.png");
    ASSERT_TRUE(learner);
    EXPECT_EQ(learner->status, 404);
    for (const char* picture : { "/Tessalane/images/coach-zhang.png", "/Tessalane/images/school-lantian.png" }) {
        auto served = client.Get(picture);
        ASSERT_TRUE(served) << picture;
        EXPECT_EQ(served->status, 200) << picture;
    }
    // A control character anywhere in the path is refused before the name is looked at, even
    // after a public picture's name; nor are a learner's record photos public.
    for (const char* refused : { "/Tessalane/images/learner-chen.png%00", "/Tessalane/images/learner-chen.png%00.txt",
             "/Tessalane/images/school-lantian.png%00", "/Tessalane/images/coach-zhang.png%0a", "/Tessalane/images/coach-zhang.png%7f",
             "/Tessalane/photos/learner-chen.png%00?key=x", "/Tessalane/images/records-face-start.png", "/Tessalane/images/records-face-end.png" }) {
        auto answer = client.Get(refused);
        ASSERT_TRUE(answer) << refused;
        EXPECT_NE(answer->status, 200) << refused;
        EXPECT_EQ(answer->body.find("PNG"), std::string::npos) << refused;
    }
}

TEST_F(StandInHostile, noFormOfALearnersPictureIsOnThePublicPicturesRoad)
{
    httplib::Client client("127.0.0.1", standIn.mainPort());
    for (const char* refused : { "/Tessalane/images/records-face-start.svg", "/Tessalane/images/records-face-end.svg",
             "/Tessalane/images/Records-Face-Start.SVG", "/Tessalane/images/records-face-end.PNG", "/Tessalane/images/records-face-start%2esvg",
             "/Tessalane/images/records%2Dface%2Dend.svg", "/Tessalane/images/records-face-start.svg%2e%2e", "/Tessalane/images/elsewhere/records-face-end.svg",
             "/Tessalane/images/elsewhere/../records-face-start.svg", "/Tessalane/images/records-face-start", "/Tessalane/images/LEARNER-CHEN.png" }) {
        auto answer = client.Get(refused);
        ASSERT_TRUE(answer) << refused;
        EXPECT_EQ(answer->status, 404) << refused;
        EXPECT_EQ(answer->body.find("<svg"), std::string::npos) << refused;
        EXPECT_EQ(answer->body.find("PNG"), std::string::npos) << refused;
    }
    auto drawing = client.Get("/Tessalane/images/coach-zhang.svg");
    ASSERT_TRUE(drawing);
    EXPECT_EQ(drawing->status, 200) << "a coach's drawing stays public";
}

TEST(StandInTimeZone, datesAreWrittenInChinasTimeWhateverTheMachinesZone)
{
    const char* previous = std::getenv("TZ");
    const std::string saved = previous ? previous : "";
    ::setenv("TZ", "America/Los_Angeles", 1);
    ::tzset();
    standin::ServiceStandIn standIn { standin::Options { .keepAlive = false } };
    ASSERT_TRUE(standIn.start());
    auto chinaHour = [] {
        const std::time_t now = std::time(nullptr) + 8 * 3600;
        std::tm fields {};
        gmtime_r(&now, &fields);
        char text[32];
        return std::string(text, std::strftime(text, sizeof text, "%Y-%m-%d %H", &fields));
    };
    const std::string before = chinaHour();
    httplib::Client client("127.0.0.1", standIn.paymentPort());
    auto answer = client.Post(standIn.paymentBaseURL().substr(standIn.paymentBaseURL().find("/PayMent")) + "GETORDERNUMAPP",
        std::string("GOODS_ID=100201500001&STU_ID=510104199203154321&PAY_NUM=1&PROJECT_CODE=400&") + kFixed,
        "application/x-www-form-urlencoded");
    const std::string after = chinaHour();
    if (previous)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
    ASSERT_TRUE(answer);
    auto reply = JSONCodecDeserializing::objectFromJSONString(NSString(standin::formDecode(answer->body)));
    const std::string created = ns::stringForKey(ns::dictionaryValue(ServiceReply::rows(reply, "array0")->firstObject()), "Create_Date").UTF8String();
    ASSERT_GE(created.size(), 13u) << answer->body;
    EXPECT_TRUE(created.substr(0, 13) == before || created.substr(0, 13) == after) << created << " is not China's " << before;
}
