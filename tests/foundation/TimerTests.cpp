#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/SystemClock.h"

#include "tests/support/ManualClockTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr NSTimeInterval start = 1000;

class TimerTest : public testing_support::ManualClockTest<static_cast<int>(start)> {
protected:
    void TearDown() override
    {
        for (auto& timer : timers)
            timer->invalidate();
        ManualClockTest::TearDown();
    }

    std::shared_ptr<NSTimer> schedule(NSTimeInterval interval, bool repeats, std::vector<NSTimeInterval>& fireTimes)
    {
        auto timer = NSTimer::scheduledTimerWithTimeInterval(interval, [&fireTimes](const auto&) {
            fireTimes.push_back(SystemClock::now() - start);
        }, repeats);
        timers.push_back(timer);
        return timer;
    }

    std::shared_ptr<NSRunLoop> loop = NSRunLoop::mainRunLoop();
    std::vector<std::shared_ptr<NSTimer>> timers;
};

TEST_F(TimerTest, timersFireInDueOrderEachAtItsOwnTime)
{
    std::vector<std::string> order;
    std::vector<NSTimeInterval> times;
    for (const auto& entry : std::vector<std::pair<std::string, double>> { { "c", 3 }, { "a", 1 }, { "b", 2 }, { "a2", 1 } }) {
        const std::string name = entry.first;
        timers.push_back(NSTimer::scheduledTimerWithTimeInterval(entry.second, [&, name](const auto&) {
            order.push_back(name);
            times.push_back(SystemClock::now() - start);
        }, false));
    }
    loop->advanceClock(2.5);
    EXPECT_EQ(order, (std::vector<std::string> { "a", "a2", "b" }));
    loop->advanceClock(10);
    EXPECT_EQ(order, (std::vector<std::string> { "a", "a2", "b", "c" }));
    EXPECT_EQ(times, (std::vector<NSTimeInterval> { 1, 1, 2, 3 }));
    EXPECT_DOUBLE_EQ(SystemClock::now(), start + 12.5);
    for (auto& timer : timers)
        EXPECT_FALSE(timer->isValid());
}

TEST_F(TimerTest, repeatingTimerFiresOncePerIntervalAdvanced)
{
    std::vector<NSTimeInterval> times;
    auto timer = schedule(1.0, true, times);
    loop->advanceClock(5);
    EXPECT_EQ(times, (std::vector<NSTimeInterval> { 1, 2, 3, 4, 5 }));
    EXPECT_TRUE(timer->isValid());
    EXPECT_DOUBLE_EQ(timer->fireDate()->timeIntervalSinceReferenceDate(), start + 6);

    std::vector<NSTimeInterval> frames;
    schedule(1.0 / 60, true, frames);
    loop->advanceClock(1.0);
    EXPECT_EQ(frames.size(), 60u);
}

TEST_F(TimerTest, defaultModeTimerWaitsWhileTrackingThenFiresOnceAndKeepsItsPhase)
{
    std::vector<NSTimeInterval> times;
    schedule(1.0, true, times);
    std::vector<NSTimeInterval> commonTimes;
    auto common = NSTimer::timerWithTimeInterval(1.0, [&](const auto&) { commonTimes.push_back(SystemClock::now() - start); }, true);
    timers.push_back(common);
    loop->addTimer(common, NSRunLoopCommonModes);

    loop->advanceClock(3.5, UITrackingRunLoopMode);
    EXPECT_TRUE(times.empty());
    EXPECT_EQ(commonTimes.size(), 3u);

    // Back in the default mode the late timer fires once, then on its old schedule.
    loop->advanceClock(0);
    EXPECT_EQ(times, (std::vector<NSTimeInterval> { 3.5 }));
    loop->advanceClock(0.5);
    EXPECT_EQ(times, (std::vector<NSTimeInterval> { 3.5, 4 }));
}

TEST_F(TimerTest, distantFutureFireDatePausesAndDistantPastResumesAtOnce)
{
    std::vector<NSTimeInterval> times;
    auto timer = schedule(1.0, true, times);
    loop->advanceClock(1);
    timer->setFireDate(NSDate::distantFuture());
    loop->advanceClock(10);
    EXPECT_EQ(times, (std::vector<NSTimeInterval> { 1 }));

    timer->setFireDate(NSDate::distantPast());
    loop->advanceClock(0);
    loop->advanceClock(2);
    EXPECT_EQ(times, (std::vector<NSTimeInterval> { 1, 11, 12, 13 }));
}

TEST_F(TimerTest, invalidationStopsTheTimerAndReleasesItsTarget)
{
    std::vector<NSTimeInterval> times;
    auto target = NSObject::create();
    std::weak_ptr<NSObject> weakTarget = target;
    auto timer = NSTimer::scheduledTimerWithTimeInterval(1.0, target, [&](const auto&) { times.push_back(1); }, nullptr, true);
    target.reset();
    loop->advanceClock(1);
    EXPECT_FALSE(weakTarget.expired());
    timer->invalidate();
    EXPECT_TRUE(weakTarget.expired());
    EXPECT_FALSE(timer->isValid());
    loop->advanceClock(5);
    EXPECT_EQ(times.size(), 1u);
}

TEST_F(TimerTest, timerInvalidatingItselfFromItsActionFiresNoMore)
{
    int count = 0;
    timers.push_back(NSTimer::scheduledTimerWithTimeInterval(1.0, [&](const std::shared_ptr<NSTimer>& timer) {
        if (++count == 3)
            timer->invalidate();
    }, true));
    loop->advanceClock(10);
    EXPECT_EQ(count, 3);
}

TEST_F(TimerTest, fireRunsAtOnceAndOnlyInvalidatesOneShotTimers)
{
    std::vector<NSTimeInterval> repeating;
    auto timer = schedule(1.0, true, repeating);
    loop->advanceClock(0.5);
    timer->fire();
    EXPECT_TRUE(timer->isValid());
    loop->advanceClock(0.5);
    EXPECT_EQ(repeating, (std::vector<NSTimeInterval> { 0.5, 1 }));

    std::vector<NSTimeInterval> once;
    auto oneShot = schedule(5.0, false, once);
    oneShot->fire();
    EXPECT_FALSE(oneShot->isValid());
    loop->advanceClock(10);
    EXPECT_EQ(once.size(), 1u);
}

TEST(TimerRealClock, runUntilDateFiresATimerOnTheRealClock)
{
    bool fired = false;
    auto timer = NSTimer::scheduledTimerWithTimeInterval(0.001, [&](const auto&) { fired = true; }, false);
    auto loop = NSRunLoop::currentRunLoop();
    for (int attempt = 0; attempt < 1000 && !fired; ++attempt)
        loop->runUntilDate(NSDate::dateWithTimeIntervalSinceNow(0.01));
    EXPECT_TRUE(fired);
}

} // namespace
