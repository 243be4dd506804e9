#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/SystemClock.h"
#include "platform/net/NSURLConnection.h"
#include "platform/net/NSURLError.h"
#include "tests/net/ConnectionRecorder.h"
#include "tests/net/LoopbackServer.h"
#include "tests/net/ReplyHold.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Loads that get no reply, on the manual clock: the loads of one run loop share its time-outs.
class TimeOutTest : public testing::Test {
protected:
    void SetUp() override
    {
        server.routes().Get("/hang", [this](const httplib::Request&, httplib::Response& response) {
            hold.wait();
            response.set_content("late", "text/plain");
        });
        server.start();
        SystemClock::useManualClock();
    }

    void TearDown() override
    {
        hold.end();
        server.stop();
        SystemClock::useRealClock();
    }

    struct Load {
        std::shared_ptr<ConnectionRecorder> recorder;
        std::shared_ptr<NSURLConnection> connection;
    };

    Load start(NSTimeInterval timeout)
    {
        const auto before = server.requestCount();
        auto request = NSMutableURLRequest::requestWithURL(NSURL::URLWithString(server.URL("/hang")));
        request->setTimeoutInterval(timeout);
        Load load { std::make_shared<ConnectionRecorder>(), nullptr };
        load.connection = NSURLConnection::connectionWithRequest(request, load.recorder);
        EXPECT_TRUE(testing_support::runLoopUntil([&] { return server.requestCount() > before; }));
        return load;
    }

    static bool timedOut(const Load& load) { return load.recorder->error && load.recorder->error->code() == NSURLErrorTimedOut; }

    loopback::Server server;
    loopback::ReplyHold hold;
    std::shared_ptr<NSRunLoop> loop = NSRunLoop::currentRunLoop();
};

} // namespace

TEST_F(TimeOutTest, aShorterTimeOutStartedLaterStillEndsFirstAndEachEndsOnItsMoment)
{
    auto slow = start(30);
    auto quick = start(5);
    loop->advanceClock(4.9);
    EXPECT_FALSE(slow.recorder->ended());
    EXPECT_FALSE(quick.recorder->ended());
    loop->advanceClock(0.2);
    EXPECT_TRUE(timedOut(quick));
    EXPECT_FALSE(slow.recorder->ended());
    loop->advanceClock(24.8);
    EXPECT_FALSE(slow.recorder->ended());
    loop->advanceClock(0.2);
    EXPECT_TRUE(timedOut(slow));
    EXPECT_EQ(std::count(quick.recorder->events.begin(), quick.recorder->events.end(), "fail"), 1);
}

TEST_F(TimeOutTest, aCancelledLoadNeverTimesOutAndLeavesTheOthersTheirs)
{
    auto cancelled = start(5);
    auto kept = start(10);
    cancelled.connection->cancel();
    loop->advanceClock(6);
    EXPECT_FALSE(cancelled.recorder->ended());
    EXPECT_FALSE(kept.recorder->ended());
    loop->advanceClock(4.1);
    EXPECT_TRUE(timedOut(kept));
    EXPECT_FALSE(cancelled.recorder->ended());
    // A load started long after, on the loop whose time-outs all came and went.
    auto late = start(2);
    loop->advanceClock(1.9);
    EXPECT_FALSE(late.recorder->ended());
    loop->advanceClock(0.2);
    EXPECT_TRUE(timedOut(late));
}
