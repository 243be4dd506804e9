#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSMachPort.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/SystemClock.h"

#include "tests/support/Waiting.h"

#include "tests/support/ManualClockTest.h"

#include <gtest/gtest.h>

#include <atomic>
#include <poll.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

class RunLoopTest : public testing_support::ManualClockTest<500> {
protected:
    void TearDown() override
    {
        runDueWork();
        ManualClockTest::TearDown();
    }

    std::vector<std::string> log;
};

TEST_F(RunLoopTest, postedBlocksRunInPostingOrderOnlyInTheirModes)
{
    loop->performInModes({ NSDefaultRunLoopMode }, [&] { log.push_back("default"); });
    loop->performInModes({ UITrackingRunLoopMode }, [&] { log.push_back("tracking"); });
    loop->performBlock([&] { log.push_back("common"); });
    loop->runInMode(UITrackingRunLoopMode, 0, false);
    EXPECT_EQ(log, (std::vector<std::string> { "tracking", "common" }));
    EXPECT_TRUE(loop->runMode(NSDefaultRunLoopMode, NSDate::distantPast()));
    EXPECT_EQ(log, (std::vector<std::string> { "tracking", "common", "default" }));
}

TEST_F(RunLoopTest, blocksPostedByATimerRunBeforeTheNextTimerFires)
{
    auto first = NSTimer::scheduledTimerWithTimeInterval(1, [&](const auto&) {
        log.push_back("timer 1");
        loop->performBlock([&] { log.push_back("posted at " + std::to_string(int(SystemClock::now() - 500))); });
    }, false);
    auto second = NSTimer::scheduledTimerWithTimeInterval(2, [&](const auto&) { log.push_back("timer 2"); }, false);
    loop->advanceClock(3);
    EXPECT_EQ(log, (std::vector<std::string> { "timer 1", "posted at 1", "timer 2" }));
}

TEST_F(RunLoopTest, currentModeIsTheModeTheLoopRunsIn)
{
    EXPECT_TRUE(loop->currentMode().isNil());
    NSString seen;
    loop->performBlock([&] { seen = loop->currentMode(); });
    loop->runInMode(UITrackingRunLoopMode, 0, true);
    EXPECT_EQ(seen, NSString(UITrackingRunLoopMode));
}

TEST_F(RunLoopTest, delayedPerformRunsAfterItsDelayAndRetainsItsTarget)
{
    auto target = NSObject::create();
    std::weak_ptr<NSObject> weakTarget = target;
    DelayedPerform::performSelector(target, "reload", nullptr, 1.0, [&] { log.push_back("reload"); });
    DelayedPerform::performSelector(target, "next", nullptr, 0, [&] { log.push_back("next"); });
    target.reset();
    EXPECT_FALSE(weakTarget.expired());
    loop->advanceClock(0);
    EXPECT_EQ(log, (std::vector<std::string> { "next" }));
    loop->advanceClock(0.999);
    EXPECT_EQ(log.size(), 1u);
    loop->advanceClock(0.001);
    EXPECT_EQ(log, (std::vector<std::string> { "next", "reload" }));
    EXPECT_TRUE(weakTarget.expired());
}

TEST_F(RunLoopTest, cancelledDelayedPerformsNeverRun)
{
    auto target = NSObject::create();
    auto other = NSObject::create();
    auto argument = id(NSString("row 3"));
    DelayedPerform::performSelector(target, "reload", nullptr, 1.0, [&] { log.push_back("reload"); });
    DelayedPerform::performSelector(target, "select", argument, 1.0, [&] { log.push_back("select 3"); });
    DelayedPerform::performSelector(target, "select", nullptr, 1.0, [&] { log.push_back("select nil"); });
    DelayedPerform::performSelector(other, "reload", nullptr, 1.0, [&] { log.push_back("other"); });

    DelayedPerform::cancelPreviousPerformRequestsWithTarget(target, "select", id(NSString("row 3")));
    loop->advanceClock(0.5);
    DelayedPerform::cancelPreviousPerformRequestsWithTarget(target.get());
    loop->advanceClock(5);
    EXPECT_EQ(log, (std::vector<std::string> { "other" }));
}

TEST_F(RunLoopTest, delayedPerformInTheDefaultModeWaitsWhileTracking)
{
    auto target = NSObject::create();
    DelayedPerform::performSelector(target, "next", nullptr, 0.5, [&] { log.push_back("next"); });
    loop->advanceClock(1, UITrackingRunLoopMode);
    EXPECT_TRUE(log.empty());
    loop->advanceClock(0);
    EXPECT_EQ(log, (std::vector<std::string> { "next" }));
}

TEST_F(RunLoopTest, aThreadRunLoopRunsPerformsInOrderUntilStopped)
{
    std::atomic<bool> returned { false };
    testing_support::Signal ended;
    auto thread = NSThread::create([&, ended] {
        NSRunLoop::currentRunLoop()->addPort(NSMachPort::port(), NSDefaultRunLoopMode);
        CFRunLoopRun();
        returned = true;
        ended.notify();
    });
    thread->setName("worker");
    thread->start();

    std::vector<std::string> order;
    thread->performBlock([&] { order.push_back("start"); }, false);
    thread->performBlock([&] { order.push_back("cancel"); }, false);
    bool onThread = false;
    NSString name;
    thread->performBlock([&] {
        onThread = NSThread::currentThread() == thread && !NSThread::isMainThread();
        name = NSThread::currentThread()->name();
    }, true);
    EXPECT_EQ(order, (std::vector<std::string> { "start", "cancel" }));
    EXPECT_TRUE(onThread);
    EXPECT_EQ(name, NSString("worker"));

    CFRunLoopStop(thread->runLoop());
    ASSERT_TRUE(ended.waitForNotices());
    EXPECT_TRUE(returned);
}

TEST_F(RunLoopTest, aLoopWithNothingToWaitForReturnsAtOnce)
{
    bool result = true;
    testing_support::Signal ended;
    auto thread = NSThread::create([&, ended] {
        result = NSRunLoop::currentRunLoop()->runMode(NSDefaultRunLoopMode, NSDate::distantFuture());
        ended.notify();
    });
    thread->start();
    ASSERT_TRUE(ended.waitForNotices());
    EXPECT_FALSE(result);
    EXPECT_TRUE(NSThread::isMainThread());
    EXPECT_TRUE(NSThread::currentThread()->isMain());
}

TEST_F(RunLoopTest, waitingOnTheMainThreadFromItselfRunsAtOnce)
{
    bool ran = false;
    NSThread::performOnMainThread([&] { ran = true; }, true);
    EXPECT_TRUE(ran);
}

TEST_F(RunLoopTest, watchedDescriptorWakesTheLoopAndCountsAsASource)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    short seen = 0;
    NSUInteger token = loop->addFileDescriptor(fds[0], POLLIN, [&](short events) {
        seen = events;
        char byte;
        [[maybe_unused]] auto n = read(fds[0], &byte, 1);
    }, { NSDefaultRunLoopMode });
    ASSERT_EQ(write(fds[1], "x", 1), 1);
    EXPECT_EQ(loop->runInMode(NSDefaultRunLoopMode, 5, true), kCFRunLoopRunHandledSource);
    EXPECT_TRUE(seen & POLLIN);
    loop->removeFileDescriptor(token);
    close(fds[0]);
    close(fds[1]);
}

TEST_F(RunLoopTest, stopRequestedFromAnotherThreadEndsTheRun)
{
    auto thread = NSThread::detachNewThreadWithBlock([this] { CFRunLoopStop(loop); });
    EXPECT_EQ(loop->runInMode(NSDefaultRunLoopMode, 30, false), kCFRunLoopRunStopped);
}

TEST_F(RunLoopTest, whatACalloutAddsToItsOwnLoopIsServedInTheSameRun)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(write(fds[1], "x", 1), 1);
    NSUInteger token = 0;
    loop->performBlock([&] {
        token = loop->addFileDescriptor(fds[0], POLLIN, [&](short) {
            loop->removeFileDescriptor(token);
            loop->stop();
        }, { NSDefaultRunLoopMode });
    });
    EXPECT_EQ(loop->runInMode(NSDefaultRunLoopMode, 30, false), kCFRunLoopRunStopped);
    close(fds[0]);
    close(fds[1]);
}

TEST_F(RunLoopTest, blocksPostedFromAnotherThreadAtAnyMomentAllRun)
{
    // Each block is posted only once the one before it has run, so the posts land at every point
    // of the loop's pass, including while an earlier wake-up is still unread.
    constexpr int rounds = 2000;
    std::atomic<int> ran { 0 };
    std::atomic<bool> abandoned { false };
    testing_support::Signal ended;
    auto poster = NSThread::detachNewThreadWithBlock([&, ended] {
        for (int i = 0; i < rounds && !abandoned; ++i) {
            loop->performBlock([&] {
                if (++ran == rounds)
                    loop->stop();
            });
            while (ran.load() <= i && !abandoned)
                std::this_thread::yield();
        }
        ended.notify();
    });
    // A lost wake-up leaves the loop waiting until the run's end.
    EXPECT_EQ(loop->runInMode(NSDefaultRunLoopMode, 10, false), kCFRunLoopRunStopped);
    abandoned = true;
    EXPECT_EQ(ran.load(), rounds);
    ASSERT_TRUE(ended.waitForNotices());
}

} // namespace

TEST_F(RunLoopTest, theKeptPollSetFollowsDescriptorsAndModes)
{
    int first[2], second[2];
    ASSERT_EQ(pipe(first), 0);
    ASSERT_EQ(pipe(second), 0);
    std::vector<std::string> served;
    auto drain = [](int fd) {
        char byte;
        [[maybe_unused]] auto n = read(fd, &byte, 1);
    };
    NSUInteger firstToken = loop->addFileDescriptor(first[0], POLLIN, [&](short) {
        served.push_back("first");
        drain(first[0]);
    }, { NSDefaultRunLoopMode });
    ASSERT_EQ(write(first[1], "x", 1), 1);
    EXPECT_EQ(loop->runInMode(NSDefaultRunLoopMode, 5, true), kCFRunLoopRunHandledSource);
    // Added after the set was made: it is polled from the next turn on.
    NSUInteger secondToken = loop->addFileDescriptor(second[0], POLLIN, [&](short) {
        served.push_back("second");
        drain(second[0]);
    }, { UITrackingRunLoopMode });
    ASSERT_EQ(write(second[1], "x", 1), 1);
    EXPECT_EQ(loop->runInMode(UITrackingRunLoopMode, 5, true), kCFRunLoopRunHandledSource);
    // Back in the default mode only the first is watched; removed, it is not served any more.
    ASSERT_EQ(write(second[1], "x", 1), 1);
    ASSERT_EQ(write(first[1], "x", 1), 1);
    EXPECT_EQ(loop->runInMode(NSDefaultRunLoopMode, 5, true), kCFRunLoopRunHandledSource);
    loop->removeFileDescriptor(firstToken);
    ASSERT_EQ(write(first[1], "x", 1), 1);
    EXPECT_NE(loop->runInMode(NSDefaultRunLoopMode, 0.05, true), kCFRunLoopRunHandledSource);
    EXPECT_EQ(served, (std::vector<std::string> { "first", "second", "first" }));
    loop->removeFileDescriptor(secondToken);
    for (int fd : { first[0], first[1], second[0], second[1] })
        close(fd);
}

TEST_F(RunLoopTest, aWatchedDescriptorTakesNewEventsInTheKeptSet)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    int served = 0;
    NSUInteger token = 0;
    // The write end never becomes readable: watched for input it is never served. Served for
    // output, it turns back to input from inside its handler, as curl does.
    token = loop->addFileDescriptor(fds[1], POLLIN, [&](short events) {
        ++served;
        EXPECT_TRUE(events & POLLOUT);
        loop->setFileDescriptorEvents(token, POLLIN);
    }, { NSDefaultRunLoopMode });
    EXPECT_NE(loop->runInMode(NSDefaultRunLoopMode, 0.05, true), kCFRunLoopRunHandledSource);
    EXPECT_EQ(served, 0);
    loop->setFileDescriptorEvents(token, POLLOUT);
    EXPECT_EQ(loop->runInMode(NSDefaultRunLoopMode, 5, true), kCFRunLoopRunHandledSource);
    EXPECT_EQ(served, 1);
    EXPECT_NE(loop->runInMode(NSDefaultRunLoopMode, 0.05, true), kCFRunLoopRunHandledSource);
    EXPECT_EQ(served, 1);
    // Unknown tokens change nothing.
    loop->setFileDescriptorEvents(token + 1000, POLLOUT);
    loop->removeFileDescriptor(token);
    close(fds[0]);
    close(fds[1]);
}

TEST_F(RunLoopTest, passObserversRunAfterEachPassPerformsAndTimersUntilRemoved)
{
    NSUInteger token = loop->addPassObserver([&] { log.push_back("pass"); });
    EXPECT_EQ(loop->addPassObserver(nullptr), 0u);
    loop->performBlock([&] { log.push_back("perform"); });
    auto timer = NSTimer::scheduledTimerWithTimeInterval(0, [&](const auto&) { log.push_back("timer"); }, false);
    loop->runInMode(NSDefaultRunLoopMode, 0, false);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 3), (std::vector<std::string> { "perform", "timer", "pass" }));

    // An observer that ends a pass's holding-back may post to the loop: the wait sees the post.
    log.clear();
    NSUInteger posting = loop->addPassObserver([&] {
        if (log.size() == 1)
            loop->performBlock([&] { log.push_back("posted by the observer"); });
    });
    loop->removePassObserver(token);
    loop->performBlock([&] { log.push_back("perform"); });
    EXPECT_EQ(loop->runInMode(NSDefaultRunLoopMode, 5, true), kCFRunLoopRunHandledSource);
    loop->runInMode(NSDefaultRunLoopMode, 5, true);
    EXPECT_EQ(log, (std::vector<std::string> { "perform", "posted by the observer" }));
    loop->removePassObserver(posting);
    loop->performBlock([&] { log.push_back("after"); });
    loop->runInMode(NSDefaultRunLoopMode, 0, false);
    EXPECT_EQ(log.back(), "after");
}

namespace {

// A target that cancels what it scheduled when it goes, as views and controls do.
class SelfCancellingTarget : public NSObject {
    NS_OBJECT(SelfCancellingTarget, NSObject)
public:
    ~SelfCancellingTarget() override { DelayedPerform::cancelPreviousPerformRequestsWithTarget(this); }

protected:
    bool init() { return true; }
};

} // namespace

TEST(DelayedPerformRegistry, aThreadEndingWithRequestsPendingLetsTheirTargetsCancelThemselves)
{
    std::atomic<int> ran { 0 };
    std::thread worker([&] {
        auto first = SelfCancellingTarget::create();
        auto second = SelfCancellingTarget::create();
        DelayedPerform::performSelector(first, "later", nullptr, 100, [&] { ++ran; });
        DelayedPerform::performSelector(second, "later", nullptr, 100, [&] { ++ran; });
        DelayedPerform::performSelector(first, "again", nullptr, 200, [&] { ++ran; });
        // Only the registry keeps the targets now; it lets them go as the thread ends.
    });
    worker.join();
    EXPECT_EQ(ran.load(), 0);
}
