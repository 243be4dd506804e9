#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSThread.h"

#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

// Bounded: the block being waited for runs within a turn or two, or never.
bool runMainLoopUntil(const std::function<bool()>& done)
{
    for (int turn = 0; turn < 200 && !done(); ++turn)
        NSRunLoop::mainRunLoop()->runMode(NSDefaultRunLoopMode, NSDate::dateWithTimeIntervalSinceNow(0.1));
    return done();
}

dispatch_time_t bounded() { return dispatch_time(DISPATCH_TIME_NOW, int64_t(testing_support::kWaitSeconds * NSEC_PER_SEC)); }

TEST(DispatchQueue, mainQueueBlocksRunInPostingOrderOnTheMainThread)
{
    std::vector<std::string> order;
    bool allOnMain = true;
    auto record = [&](std::string name) {
        allOnMain = allOnMain && NSThread::isMainThread();
        order.push_back(std::move(name));
    };
    dispatch_async(dispatch_get_main_queue(), [&] {
        record("a");
        dispatch_async(dispatch_get_main_queue(), [&] { record("d"); });
    });
    auto serial = dispatch_queue_create("poster", DISPATCH_QUEUE_SERIAL);
    dispatch_sync(serial, [&] { dispatch_async(dispatch_get_main_queue(), [&] { record("b"); }); });
    dispatch_async(dispatch_get_main_queue(), [&] { record("c"); });
    EXPECT_TRUE(order.empty());
    ASSERT_TRUE(runMainLoopUntil([&] { return order.size() == 4; }));
    EXPECT_EQ(order, (std::vector<std::string> { "a", "b", "c", "d" }));
    EXPECT_TRUE(allOnMain);
}

TEST(DispatchQueue, syncReentranceIsDetectedThroughQueueSpecificData)
{
    static const char key = 0;
    auto queue = dispatch_queue_create("sqlite.store", nullptr);
    dispatch_queue_set_specific(queue, &key, queue.get(), nullptr);
    std::vector<std::string> log;
    // The store's pattern: run inline when already on the queue, else hop onto it.
    std::function<void(const std::function<void()>&)> inDatabase = [&](const std::function<void()>& block) {
        if (dispatch_get_specific(&key) == queue.get()) {
            log.push_back("re-entered");
            block();
            return;
        }
        dispatch_sync(queue, block);
    };
    EXPECT_EQ(dispatch_get_specific(&key), nullptr);
    inDatabase([&] {
        log.push_back("outer");
        inDatabase([&] { log.push_back("inner"); });
    });
    EXPECT_EQ(log, (std::vector<std::string> { "outer", "re-entered", "inner" }));

    // A queue that targets the store's queue sees the value through its target.
    auto child = dispatch_queue_create("child", DISPATCH_QUEUE_SERIAL);
    dispatch_set_target_queue(child, queue);
    void* seen = nullptr;
    dispatch_sync(child, [&] { seen = dispatch_get_specific(&key); });
    EXPECT_EQ(seen, queue.get());
    EXPECT_EQ(dispatch_queue_get_specific(child, &key), nullptr);
}

TEST(DispatchQueue, specificValueDestructorRunsWhenReplaced)
{
    static const char key = 0;
    static int destroyed;
    destroyed = 0;
    auto queue = dispatch_queue_create("q", DISPATCH_QUEUE_SERIAL);
    static int first = 1, second = 2;
    dispatch_queue_set_specific(queue, &key, &first, [](void* value) { destroyed += *static_cast<int*>(value); });
    dispatch_queue_set_specific(queue, &key, &second, nullptr);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(dispatch_queue_get_specific(queue, &key), &second);
}

TEST(DispatchQueue, serialQueueRunsOneBlockAtATimeInOrder)
{
    auto queue = dispatch_queue_create("serial", DISPATCH_QUEUE_SERIAL);
    std::vector<int> order;
    std::atomic<int> inside { 0 };
    std::atomic<bool> overlapped { false };
    for (int i = 0; i < 200; ++i) {
        dispatch_async(queue, [&, i] {
            if (++inside > 1)
                overlapped = true;
            order.push_back(i);
            --inside;
        });
    }
    std::thread::id syncThread;
    dispatch_sync(queue, [&] { syncThread = std::this_thread::get_id(); });
    EXPECT_EQ(syncThread, std::this_thread::get_id());
    ASSERT_EQ(order.size(), 200u);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(order[i], i);
    EXPECT_FALSE(overlapped);
}

TEST(DispatchQueue, barrierWaitsForEarlierBlocksAndHoldsBackLaterOnes)
{
    auto queue = dispatch_queue_create("barrier", DISPATCH_QUEUE_CONCURRENT);
    std::atomic<int> before { 0 };
    std::atomic<bool> barrierDone { false };
    std::atomic<int> afterSawBarrier { 0 };
    int beforeSeenByBarrier = -1;
    for (int i = 0; i < 8; ++i)
        dispatch_async(queue, [&] { ++before; });
    dispatch_barrier_async(queue, [&] {
        beforeSeenByBarrier = before;
        barrierDone = true;
    });
    for (int i = 0; i < 8; ++i)
        dispatch_async(queue, [&] { afterSawBarrier += barrierDone ? 1 : 0; });
    int total = 0;
    dispatch_barrier_sync(queue, [&] { total = afterSawBarrier; });
    EXPECT_EQ(beforeSeenByBarrier, 8);
    EXPECT_EQ(total, 8);
}

TEST(DispatchQueue, suspendedQueueHoldsItsBlocksUntilResumed)
{
    auto queue = dispatch_queue_create("suspended", DISPATCH_QUEUE_SERIAL);
    dispatch_suspend(queue);
    std::atomic<bool> ran { false };
    dispatch_async(queue, [&] { ran = true; });
    auto semaphore = dispatch_semaphore_create(0);
    dispatch_async(queue, [&] { dispatch_semaphore_signal(semaphore); });
    EXPECT_NE(dispatch_semaphore_wait(semaphore, DISPATCH_TIME_NOW), 0);
    EXPECT_FALSE(ran);
    dispatch_resume(queue);
    EXPECT_EQ(dispatch_semaphore_wait(semaphore, bounded()), 0);
    EXPECT_TRUE(ran);
    EXPECT_THROW(dispatch_resume(queue), NSException);
}

TEST(DispatchQueue, groupNotifiesOnTheMainQueueWhenAllWorkHasLeft)
{
    auto group = dispatch_group_create();
    auto global = dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_DEFAULT, 0);
    std::atomic<int> done { 0 };
    for (int i = 0; i < 5; ++i)
        dispatch_group_async(group, global, [&] { ++done; });
    dispatch_group_enter(group);
    bool notified = false;
    int doneWhenNotified = -1;
    dispatch_group_notify(group, dispatch_get_main_queue(), [&] {
        notified = true;
        doneWhenNotified = done;
    });
    EXPECT_NE(dispatch_group_wait(group, DISPATCH_TIME_NOW), 0);
    dispatch_async(global, [&] {
        ++done;
        dispatch_group_leave(group);
    });
    EXPECT_EQ(dispatch_group_wait(group, bounded()), 0);
    ASSERT_TRUE(runMainLoopUntil([&] { return notified; }));
    EXPECT_EQ(doneWhenNotified, 6);
    EXPECT_THROW(dispatch_group_leave(group), NSException);
}

TEST(DispatchQueue, workerSyncOntoTheMainQueueRunsOnTheMainThread)
{
    std::atomic<bool> finished { false };
    bool onMain = false;
    dispatch_async(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_HIGH, 0), [&] {
        dispatch_sync(dispatch_get_main_queue(), [&] { onMain = NSThread::isMainThread(); });
        finished = true;
    });
    ASSERT_TRUE(runMainLoopUntil([&] { return finished.load(); }));
    EXPECT_TRUE(onMain);
    EXPECT_THROW(dispatch_sync(dispatch_get_main_queue(), [] { }), NSException);
}

TEST(DispatchQueue, onceRunsOnceAcrossThreadsAndApplyCoversEveryIndex)
{
    dispatch_once_t onceToken;
    std::atomic<int> initialised { 0 };
    std::vector<std::atomic<int>> hits(100);
    dispatch_apply(100, dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_DEFAULT, 0), [&](size_t index) {
        dispatch_once(&onceToken, [&] { ++initialised; });
        ++hits[index];
    });
    EXPECT_EQ(initialised, 1);
    for (const auto& hit : hits)
        EXPECT_EQ(hit, 1);
}

} // namespace
