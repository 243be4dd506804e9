#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/SystemClock.h"
#include "platform/net/NSURLConnection.h"
#include "platform/net/NSURLError.h"
#include "tests/net/ConnectionRecorder.h"
#include "tests/net/LoopbackServer.h"
#include "tests/net/ReplyHold.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <condition_variable>

namespace {

// Two servers: the one asked, and another that a redirect may name.
class LoadLimitsTest : public testing::Test {
protected:
    void SetUp() override
    {
        asked.routes().Post("/login", [this](const httplib::Request& request, httplib::Response& response) {
            const std::string target = request.get_param_value("to");
            response.status = std::stoi(request.get_param_value("status"));
            response.set_header("Location", target == "elsewhere" ? elsewhere.URL("/collect") : asked.URL("/accepted"));
        });
        asked.routes().Post("/accepted", [](const httplib::Request& request, httplib::Response& response) {
            response.set_content("accepted " + request.body, "text/plain");
        });
        asked.routes().Get("/accepted", [](const httplib::Request&, httplib::Response& response) { response.set_content("plain", "text/plain"); });
        elsewhere.routes().Post("/collect", [](const httplib::Request&, httplib::Response& response) { response.set_content("got it", "text/plain"); });
        elsewhere.routes().Get("/collect", [](const httplib::Request&, httplib::Response& response) { response.set_content("page", "text/plain"); });
        asked.routes().Get("/trickle", [this](const httplib::Request&, httplib::Response& response) {
            // Not a text type, so the server never holds the bytes back to compress them.
            response.set_chunked_content_provider("application/octet-stream", [this](std::size_t, httplib::DataSink& sink) {
                std::unique_lock lock(mutex);
                condition.wait_for(lock, std::chrono::seconds(20), [this] { return bytesLetGo > bytesSent || stopped; });
                if (stopped || bytesLetGo <= bytesSent)
                    return false;
                ++bytesSent;
                return sink.write("x", 1);
            });
        });
        asked.start();
        elsewhere.start();
    }

    void TearDown() override
    {
        {
            std::lock_guard lock(mutex);
            stopped = true;
        }
        condition.notify_all();
        asked.stop();
        elsewhere.stop();
        SystemClock::useRealClock();
    }

    std::shared_ptr<ConnectionRecorder> post(int status, const std::string& to)
    {
        auto request = NSMutableURLRequest::requestWithURL(NSURL::URLWithString(asked.URL("/login?status=" + std::to_string(status) + "&to=" + to)));
        request->setHTTPMethod("POST");
        const std::string form = "USERCODE=510104199203154321&PASSWRD=123456";
        request->setHTTPBody(NSData::dataWithBytes(form.data(), form.size()));
        request->setValue("application/x-www-form-urlencoded", "Content-Type");
        auto recorder = std::make_shared<ConnectionRecorder>();
        auto connection = NSURLConnection::connectionWithRequest(request, recorder);
        EXPECT_TRUE(testing_support::runLoopUntil([&] { return recorder->ended(); }));
        return recorder;
    }

    void letOneByteGo()
    {
        {
            std::lock_guard lock(mutex);
            ++bytesLetGo;
        }
        condition.notify_all();
    }

    loopback::Server asked;
    loopback::Server elsewhere;
    std::mutex mutex;
    std::condition_variable condition;
    int bytesLetGo { 0 };
    int bytesSent { 0 };
    bool stopped { false };
};

} // namespace

TEST_F(LoadLimitsTest, aRedirectThatWouldCarryTheBodyToAnotherServerFails)
{
    for (int status : { 307, 308 }) {
        auto recorder = post(status, "elsewhere");
        ASSERT_TRUE(recorder->error) << status;
        EXPECT_EQ(recorder->error->domain(), NSURLErrorDomain);
        EXPECT_EQ(recorder->error->code(), NSURLErrorRedirectToNonExistentLocation);
    }
    EXPECT_EQ(elsewhere.requestCount(), 0u);
}

TEST_F(LoadLimitsTest, redirectsThatKeepTheBodyAtHomeOrDropItStillGoOn)
{
    auto sameServer = post(307, "home");
    EXPECT_TRUE(sameServer->finished);
    EXPECT_EQ(sameServer->body, "accepted USERCODE=510104199203154321&PASSWRD=123456");

    // A 302 turns the POST into a GET without its body, which may go anywhere.
    auto dropped = post(302, "elsewhere");
    EXPECT_TRUE(dropped->finished);
    EXPECT_EQ(dropped->body, "page");
    ASSERT_EQ(elsewhere.requestCount(), 1u);
    EXPECT_EQ(elsewhere.requests()[0].method, "GET");
    EXPECT_TRUE(elsewhere.requests()[0].body.empty());
}

TEST_F(LoadLimitsTest, aReplyTricklingInFailsAfterFourIdleTimeOutsWhateverArrives)
{
    SystemClock::useManualClock();
    auto request = NSMutableURLRequest::requestWithURL(NSURL::URLWithString(asked.URL("/trickle")));
    request->setTimeoutInterval(10);
    auto recorder = std::make_shared<ConnectionRecorder>();
    auto connection = NSURLConnection::connectionWithRequest(request, recorder);
    auto loop = NSRunLoop::currentRunLoop();

    // A byte every nine seconds keeps the idle time-out from ever firing.
    std::size_t received = 0;
    for (int step = 0; step < 4; ++step) {
        letOneByteGo();
        ASSERT_TRUE(testing_support::runLoopUntil([&] { return recorder->body.size() > received; })) << step;
        received = recorder->body.size();
        loop->advanceClock(9);
        ASSERT_FALSE(recorder->ended()) << step;
    }
    letOneByteGo();
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return recorder->body.size() > received; }));
    loop->advanceClock(4.5);
    ASSERT_TRUE(recorder->error);
    EXPECT_EQ(recorder->error->code(), NSURLErrorTimedOut);
    EXPECT_EQ(recorder->body, "xxxxx");
}

TEST_F(LoadLimitsTest, theIdleTimeOutCountsFromTheLastBytesIn)
{
    SystemClock::useManualClock();
    auto request = NSMutableURLRequest::requestWithURL(NSURL::URLWithString(asked.URL("/trickle")));
    request->setTimeoutInterval(10);
    auto recorder = std::make_shared<ConnectionRecorder>();
    auto connection = NSURLConnection::connectionWithRequest(request, recorder);
    auto loop = NSRunLoop::currentRunLoop();
    letOneByteGo();
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return recorder->body.size() == 1; }));
    loop->advanceClock(9);
    letOneByteGo();
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return recorder->body.size() == 2; }));
    // The time-out first due at 10 s is now due ten seconds after the second byte.
    loop->advanceClock(9.9);
    EXPECT_FALSE(recorder->ended());
    loop->advanceClock(0.2);
    ASSERT_TRUE(recorder->error);
    EXPECT_EQ(recorder->error->code(), NSURLErrorTimedOut);
}
