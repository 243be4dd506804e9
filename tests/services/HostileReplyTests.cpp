#include "tests/services/ServiceFixture.h"

#include "app/services/HttpService.h"
#include "app/services/HttpServiceVideoStud.h"
#include "app/services/HttpServiceWithHost.h"
#include "app/services/ServiceReply.h"
#include "app/session/User.h"
#include "app/session/VideoStUser.h"
#include "platform/foundation/SystemClock.h"
#include "platform/foundation/TypedValues.h"
#include "tests/net/LoopbackServer.h"
#include "tests/net/ReplyHold.h"
#include "tools/service-standin/ServiceStandIn.h"

namespace {

// Replies of a misbehaving service, each under its own path, sent as the services encode them
// unless the path says otherwise.
class HostileReplyTest : public ServiceFixture {
protected:
    void SetUp() override
    {
        ServiceFixture::SetUp();
        serve("/truncated", R"({"output":{"head":{"retCode":"0","retDe)");
        serve("/wrong-types", R"({"output":{"head":{"retCode":[1,2]},"body":{"array0":"rows","array1":{"rowSet":{"row":[null,"x",{"NAME":7}]}}}}})");
        serve("/output-is-text", R"({"output":"down for maintenance"})");
        serve("/head-is-null", R"({"output":{"head":null}})");
        serve("/array-reply", R"([{"code":-3}])");
        serve("/code-text-minus-three", R"({"output":{"head":{"retCode":"-3","retDesc":"timeout"}}})");
        serve("/code-number-minus-four", R"({"output":{"head":{"retCode":-4}}})");
        serve("/code-minus-five", R"({"output":{"head":{"retCode":-5,"retDesc":"refused"}}})");
        serve("/code-wide-minus-three", R"({"output":{"head":{"retCode":-4294967299}}})");
        serve("/video-minus-three", R"({"code":"-3","message":"timeout"})");
        serve("/video-null-code", R"({"code":null,"data":{"sub1time":"x12","ISPOWER":5}})");
        serve("/plus", R"({"code":0,"data":{"A":"x y+z"}})");
        m_server.routes().Post("/stray-percent", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("%7B%22a%22%3A%22100%%22%7D", "text/plain;charset=UTF-8");
        });
        m_server.routes().Post("/raw-payment", [](const httplib::Request&, httplib::Response& response) {
            response.set_content(R"({"code":0,"data":{"PAY_INFO":"a=1&sign=AB%2Bc+d"}})", "text/html");
        });
        m_server.routes().Post("/huge", [](const httplib::Request&, httplib::Response& response) {
            response.set_content(std::string(10 * 1024 * 1024, 'x'), "text/plain");
        });
        m_server.routes().Post("/html-error", [](const httplib::Request&, httplib::Response& response) {
            response.status = 500;
            response.set_content("<html><body><h1>500 Internal Server Error</h1></body></html>", "text/html");
        });
        m_server.routes().Post("/html-page", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("<html><body>维护中</body></html>", "text/html;charset=utf-8");
        });
        m_server.routes().Post("/never-ends", [this](const httplib::Request&, httplib::Response& response) {
            m_hold.wait();
            response.set_content("{}", "text/plain");
        });
        m_server.start();
        ServerUrlManger::sharedInstance()->setHttpUrl(NSString(m_server.URL("/")));
    }

    void TearDown() override
    {
        m_hold.end();
        m_server.stop();
        if (SystemClock::isManual())
            SystemClock::useRealClock();
        ServiceFixture::TearDown();
    }

    void serve(const std::string& path, const std::string& json)
    {
        m_server.routes().Post(path, [json](const httplib::Request&, httplib::Response& response) {
            response.set_content(standin::formEncode(json), "text/plain;charset=UTF-8");
        });
    }

    ServiceReplyRecord mainDict(const char* path)
    {
        ServiceReplyRecord record;
        HttpService::create()->httpRequestDict(recordSuccess(record), recordFailure(record), NSString(path).substringFromIndex(1), nullptr,
            NSMutableDictionary::dictionary());
        return record;
    }

    loopback::Server m_server;
    loopback::ReplyHold m_hold;
};

} // namespace

TEST_F(HostileReplyTest, unreadableRepliesReachTheScreenAsNil)
{
    for (const char* path : { "/truncated", "/huge", "/html-page" }) {
        auto record = mainDict(path);
        ASSERT_TRUE(waitFor(record)) << path;
        EXPECT_TRUE(record.succeeded) << path;
        EXPECT_FALSE(record.object) << path;
        EXPECT_FALSE(User::userFromLoginReply(record.object, "p")) << path;
    }
    EXPECT_TRUE(restartCodes.empty());
}

TEST_F(HostileReplyTest, membersOfTheWrongTypeReadAsZeroValues)
{
    for (const char* path : { "/wrong-types", "/output-is-text", "/head-is-null", "/array-reply" }) {
        auto record = mainDict(path);
        ASSERT_TRUE(waitFor(record)) << path;
        EXPECT_TRUE(record.succeeded) << path;
        EXPECT_TRUE(ServiceReply::rows(record.object, "array0")->count() == 0) << path;
    }
    auto record = mainDict("/wrong-types");
    ASSERT_TRUE(waitFor(record));
    EXPECT_EQ(ServiceReply::mainServiceCode(record.object), 0);
    // A retCode of 0 read from an array: the records fill with what can be read.
    auto user = User::userFromLoginReply(record.object, "p");
    ASSERT_TRUE(user);
    EXPECT_TRUE(user->name().isNil());
    EXPECT_EQ(ServiceReply::rows(record.object, "array1")->count(), 3u);

    ServiceReplyRecord video;
    HttpServiceVideoStud::create()->httpRequestDict(recordSuccess(video), recordFailure(video), "video-null-code", nullptr,
        NSMutableDictionary::dictionary());
    ASSERT_TRUE(waitFor(video));
    auto account = VideoStUser::videoStUserFromLoginCheckReply(video.object);
    ASSERT_TRUE(account);
    EXPECT_EQ(account->sub1time(), 0);
    EXPECT_EQ(account->isPower().UTF8String(), "5");
    EXPECT_TRUE(restartCodes.empty());
}

TEST_F(HostileReplyTest, lostSessionCodesPostRestartAndOtherCodesReachTheScreen)
{
    auto timedOut = mainDict("/code-text-minus-three");
    ASSERT_TRUE(waitForRestart(timedOut));
    auto elsewhere = mainDict("/code-number-minus-four");
    ASSERT_TRUE(waitForRestart(elsewhere));
    auto wide = mainDict("/code-wide-minus-three");
    ASSERT_TRUE(waitForRestart(wide));
    EXPECT_EQ(restartCodes, (std::vector<int> { -3, -4, -3 }));

    auto refused = mainDict("/code-minus-five");
    ASSERT_TRUE(waitFor(refused));
    EXPECT_EQ(ServiceReply::mainServiceCode(refused.object), -5);

    // The login makes no session test.
    ServiceReplyRecord login;
    HttpService::create()->httpLogin(recordSuccess(login), recordFailure(login), "code-text-minus-three", nullptr,
        NSMutableDictionary::dictionary());
    ASSERT_TRUE(waitFor(login));
    EXPECT_EQ(ServiceReply::mainServiceCode(login.object), -3);

    ServiceReplyRecord video;
    HttpServiceWithHost::create()->httpRequestDict(recordSuccess(video), recordFailure(video), NSString(m_server.URL("/")),
        "video-minus-three", nullptr, NSMutableDictionary::dictionary());
    ASSERT_TRUE(waitForRestart(video));
    ServiceReplyRecord hostArray;
    HttpServiceWithHost::create()->httpRequestArray(recordSuccess(hostArray), recordFailure(hostArray), NSString(m_server.URL("/")),
        "video-minus-three", nullptr, nullptr);
    ASSERT_TRUE(waitForRestart(hostArray));
    ServiceReplyRecord mainArray;
    HttpService::create()->httpRequestArray(recordSuccess(mainArray), recordFailure(mainArray), "code-number-minus-four", nullptr, nullptr);
    ASSERT_TRUE(waitForRestart(mainArray));
    // A payment reply carries the main envelope, which the top-level test does not look into.
    ServiceReplyRecord payment;
    HttpServiceWithHost::create()->httpRequestDict(recordSuccess(payment), recordFailure(payment), NSString(m_server.URL("/")),
        "code-text-minus-three", nullptr, NSMutableDictionary::dictionary());
    ASSERT_TRUE(waitFor(payment));
    EXPECT_TRUE(payment.succeeded);
    EXPECT_EQ(restartCodes, (std::vector<int> { -3, -4, -3, -3, -3, -4 }));
}

TEST_F(HostileReplyTest, plusSignsAndStrayPercentSignsDecodeAsTheirOperationSays)
{
    ServiceReplyRecord dict;
    HttpServiceVideoStud::create()->httpRequestDict(recordSuccess(dict), recordFailure(dict), "plus", nullptr, nullptr);
    ServiceReplyRecord array;
    HttpServiceVideoStud::create()->httpRequestArray(recordSuccess(array), recordFailure(array), "plus", nullptr, nullptr);
    ServiceReplyRecord raw;
    HttpServiceWithHost::create()->httpRequestOrbipayInfo(recordSuccess(raw), recordFailure(raw), NSString(m_server.URL("/")),
        "raw-payment", nullptr, nullptr);
    ServiceReplyRecord mainArray;
    HttpService::create()->httpRequestArray(recordSuccess(mainArray), recordFailure(mainArray), "plus", nullptr, nullptr);
    ServiceReplyRecord stray = mainDict("/stray-percent");
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return dict.done() && array.done() && raw.done() && stray.done() && mainArray.done(); }));

    auto text = [](const ServiceReplyRecord& record, const char* key) {
        return ns::stringForKey(ns::dictionaryForKey(ns::dictionaryValue(record.object), "data"), key).UTF8String();
    };
    EXPECT_EQ(text(dict, "A"), "x y+z");
    EXPECT_EQ(text(array, "A"), "x+y+z");
    EXPECT_EQ(text(mainArray, "A"), "x+y+z");
    EXPECT_EQ(text(raw, "PAY_INFO"), "a=1&sign=AB%2Bc+d");
    EXPECT_EQ(ns::stringForKey(ns::dictionaryValue(stray.object), "a").UTF8String(), "100%");
}

TEST_F(HostileReplyTest, anErrorPageReachesTheFailureCallback)
{
    auto record = mainDict("/html-error");
    ASSERT_TRUE(waitFor(record));
    EXPECT_TRUE(record.failed);
    EXPECT_TRUE(record.onMainThread);
    EXPECT_EQ(record.error->code(), -1011);
}

TEST_F(HostileReplyTest, aReplyThatNeverEndsTimesOutAfterThirtySecondsOfSilence)
{
    SystemClock::useManualClock();
    auto record = mainDict("/never-ends");
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return m_server.requestCount() == 1; }));
    NSRunLoop::mainRunLoop()->advanceClock(29);
    testing_support::runLoopUntil([] { return false; }, 0.1);
    EXPECT_FALSE(record.done());
    // The time-out counts from the transfer's last activity, which the network thread may note
    // a little after the request reached the server: step on until it gives up.
    for (int second = 0; second < 60 && !record.done(); ++second) {
        NSRunLoop::mainRunLoop()->advanceClock(1);
        testing_support::runLoopUntil([&] { return record.done(); }, 0.05);
    }
    ASSERT_TRUE(record.done());
    EXPECT_TRUE(record.failed);
    ASSERT_TRUE(record.error);
    EXPECT_EQ(record.error->code(), NSURLErrorTimedOut);
}
