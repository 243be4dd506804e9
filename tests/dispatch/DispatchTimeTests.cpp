#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/SystemClock.h"

#include "tests/support/Waiting.h"

#include "tests/support/ManualClockTest.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

namespace {

class DispatchTime : public testing_support::ManualClockTest<2000> {
protected:
    void TearDown() override
    {
        runDueWork();
        ManualClockTest::TearDown();
    }

    dispatch_time_t after(double seconds) { return dispatch_time(DISPATCH_TIME_NOW, static_cast<int64_t>(seconds * NSEC_PER_SEC)); }
};

TEST_F(DispatchTime, mainQueueAfterFollowsTheManualClock)
{
    std::vector<std::string> order;
    dispatch_after(after(0.3), dispatch_get_main_queue(), [&] { order.push_back("0.3"); });
    dispatch_after(after(0.1), dispatch_get_main_queue(), [&] { order.push_back("0.1"); });
    loop->advanceClock(0.2);
    EXPECT_EQ(order, (std::vector<std::string> { "0.1" }));
    // It waits for neither the default mode nor real time.
    loop->advanceClock(0.1, UITrackingRunLoopMode);
    EXPECT_EQ(order, (std::vector<std::string> { "0.1", "0.3" }));
}

TEST_F(DispatchTime, mainQueueTimerSourceFiresPerIntervalMergesWhileSuspendedAndCancels)
{
    auto source = dispatch_source_create(DISPATCH_SOURCE_TYPE_TIMER, 0, 0, dispatch_get_main_queue());
    int fires = 0;
    bool cancelled = false;
    dispatch_source_set_timer(source, after(1), NSEC_PER_SEC, 0);
    dispatch_source_set_event_handler(source, [&] { ++fires; });
    dispatch_source_set_cancel_handler(source, [&] { cancelled = true; });
    loop->advanceClock(0.5);
    EXPECT_EQ(fires, 0);
    dispatch_resume(source);
    loop->advanceClock(2.5);
    EXPECT_EQ(fires, 3);

    dispatch_suspend(source);
    loop->advanceClock(3);
    EXPECT_EQ(fires, 3);
    dispatch_resume(source);
    loop->advanceClock(0);
    EXPECT_EQ(fires, 4);

    dispatch_source_cancel(source);
    EXPECT_EQ(dispatch_source_testcancel(source), 1);
    loop->advanceClock(5);
    EXPECT_EQ(fires, 4);
    EXPECT_TRUE(cancelled);
}

TEST_F(DispatchTime, backgroundQueueWorkWaitsForTheClockToReachItsTime)
{
    auto queue = dispatch_queue_create("timers", DISPATCH_QUEUE_SERIAL);
    auto semaphore = dispatch_semaphore_create(0);
    std::atomic<int> ran { 0 };
    dispatch_after(after(10), queue, [&] {
        ++ran;
        dispatch_semaphore_signal(semaphore);
    });
    auto source = dispatch_source_create(DISPATCH_SOURCE_TYPE_TIMER, 0, 0, queue);
    dispatch_source_set_timer(source, after(20), DISPATCH_TIME_FOREVER, 0);
    dispatch_source_set_event_handler(source, [&] {
        ran += 10;
        dispatch_semaphore_signal(semaphore);
    });
    dispatch_resume(source);

    SystemClock::advance(9);
    EXPECT_NE(dispatch_semaphore_wait(semaphore, DISPATCH_TIME_NOW), 0);
    SystemClock::advance(1);
    EXPECT_EQ(dispatch_semaphore_wait(semaphore, dispatch_time(DISPATCH_TIME_NOW, int64_t(testing_support::kWaitSeconds * NSEC_PER_SEC))), 0);
    EXPECT_EQ(ran, 1);
    SystemClock::advance(10);
    EXPECT_EQ(dispatch_semaphore_wait(semaphore, dispatch_time(DISPATCH_TIME_NOW, int64_t(testing_support::kWaitSeconds * NSEC_PER_SEC))), 0);
    EXPECT_EQ(ran, 11);
    dispatch_source_cancel(source);
}

} // namespace
