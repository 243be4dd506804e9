#include "platform/foundation/NSBlockOperation.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSOperationQueue.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSThread.h"

#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// Holds operations inside main() until opened.
class Gate {
public:
    void pass()
    {
        std::unique_lock lock(m_mutex);
        ++m_waiting;
        m_condition.notify_all();
        m_condition.wait_for(lock, std::chrono::duration<double>(testing_support::kWaitSeconds), [this] { return m_open; });
        --m_waiting;
    }
    bool waitForWaiting(int count)
    {
        std::unique_lock lock(m_mutex);
        return m_condition.wait_for(lock, std::chrono::duration<double>(testing_support::kWaitSeconds), [&] { return m_waiting >= count; });
    }
    void open()
    {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_condition.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_condition;
    int m_waiting { 0 };
    bool m_open { false };
};

// A concurrent operation in the manner of a connection operation: start() only kicks the work
// off, and the operation finishes when told to, announcing its state changes itself.
class ManualOperation : public NSOperation {
    NS_OBJECT(ManualOperation, NSOperation)
public:
    bool isConcurrent() const override { return true; }
    bool isExecuting() const override { return m_state == 2; }
    bool isFinished() const override { return m_state == 3; }
    void start() override
    {
        if (isCancelled()) {
            setState(3);
            return;
        }
        setState(2);
        started = true;
        startedSignal.notify();
    }
    void finish() { setState(3); }
    std::atomic<bool> started { false };
    testing_support::Signal startedSignal;

private:
    void setState(int state)
    {
        const char* oldKey = m_state == 2 ? "isExecuting" : "isReady";
        const char* newKey = state == 2 ? "isExecuting" : "isFinished";
        willChangeValueForKey(newKey);
        willChangeValueForKey(oldKey);
        m_state = state;
        didChangeValueForKey(oldKey);
        didChangeValueForKey(newKey);
    }
    std::atomic<int> m_state { 1 };
};

TEST(OperationQueue, neverRunsMoreThanTheConcurrencyLimit)
{
    auto queue = NSOperationQueue::create();
    queue->setMaxConcurrentOperationCount(2);
    Gate gate;
    std::atomic<int> running { 0 };
    std::atomic<int> mostRunning { 0 };
    std::vector<std::shared_ptr<NSOperation>> operations;
    for (int i = 0; i < 6; ++i) {
        auto operation = NSBlockOperation::blockOperationWithBlock([&] {
            int now = ++running;
            int seen = mostRunning;
            while (now > seen && !mostRunning.compare_exchange_weak(seen, now)) { }
            gate.pass();
            --running;
        });
        operations.push_back(operation);
        queue->addOperation(operation);
    }
    ASSERT_TRUE(gate.waitForWaiting(2));
    int executing = 0;
    for (const auto& operation : operations)
        executing += operation->isExecuting();
    EXPECT_EQ(executing, 2);
    EXPECT_EQ(queue->operationCount(), 6u);
    gate.open();
    queue->waitUntilAllOperationsAreFinished();
    EXPECT_EQ(mostRunning, 2);
    EXPECT_EQ(queue->operationCount(), 0u);
}

TEST(OperationQueue, dependenciesRunFirstWhateverTheOrderAdded)
{
    auto queue = NSOperationQueue::create();
    std::mutex mutex;
    std::vector<std::string> order;
    auto record = [&](std::string name) {
        return NSBlockOperation::blockOperationWithBlock([&, name] {
            std::lock_guard lock(mutex);
            order.push_back(name);
        });
    };
    auto a = record("a"), b = record("b"), c = record("c");
    c->addDependency(b);
    b->addDependency(a);
    EXPECT_FALSE(c->isReady());
    queue->addOperations({ c, b }, false);
    queue->addOperation(a);
    queue->waitUntilAllOperationsAreFinished();
    EXPECT_EQ(order, (std::vector<std::string> { "a", "b", "c" }));
    EXPECT_TRUE(c->isReady());
}

TEST(OperationQueue, cancelledOperationIsStartedWithoutWaitingForItsDependencies)
{
    auto queue = NSOperationQueue::create();
    auto never = ManualOperation::create();
    bool ran = false;
    int completions = 0;
    auto waiting = NSBlockOperation::blockOperationWithBlock([&] { ran = true; });
    waiting->setCompletionBlock([&] { ++completions; });
    waiting->addDependency(never);
    queue->addOperation(waiting);
    waiting->cancel();
    waiting->waitUntilFinished();
    EXPECT_TRUE(waiting->isFinished());
    EXPECT_FALSE(ran);
    EXPECT_FALSE(never->started);
    queue->waitUntilAllOperationsAreFinished();
    EXPECT_EQ(completions, 1);
}

TEST(OperationQueue, concurrentOperationHoldsItsSlotUntilItAnnouncesItsFinish)
{
    auto queue = NSOperationQueue::create();
    queue->setMaxConcurrentOperationCount(1);
    auto first = ManualOperation::create();
    std::atomic<bool> secondRan { false };
    std::atomic<int> completions { 0 };
    first->setCompletionBlock([&] { ++completions; });
    queue->addOperation(first);
    queue->addOperationWithBlock([&] { secondRan = true; });
    ASSERT_TRUE(first->startedSignal.waitUntil([&] { return first->started.load(); }));
    EXPECT_FALSE(secondRan);
    EXPECT_EQ(queue->operationCount(), 2u);

    first->finish();
    queue->waitUntilAllOperationsAreFinished();
    EXPECT_TRUE(secondRan);
    EXPECT_EQ(completions, 1);
    EXPECT_THROW(queue->addOperation(first), NSException);
}

TEST(OperationQueue, suspendedQueueStartsNothingAndCancelAllSkipsTheWork)
{
    auto queue = NSOperationQueue::create();
    queue->setSuspended(true);
    std::atomic<int> ran { 0 };
    for (int i = 0; i < 3; ++i)
        queue->addOperationWithBlock([&] { ++ran; });
    EXPECT_EQ(queue->operationCount(), 3u);
    queue->cancelAllOperations();
    for (const auto& operation : queue->operations())
        EXPECT_TRUE(operation->isCancelled());
    queue->setSuspended(false);
    queue->waitUntilAllOperationsAreFinished();
    EXPECT_EQ(ran, 0);
}

TEST(OperationQueue, aQueueNobodyHoldsStillRunsItsOperations)
{
    auto operation = NSBlockOperation::blockOperationWithBlock([] { });
    std::weak_ptr<NSOperationQueue> weakQueue;
    {
        auto queue = NSOperationQueue::create();
        queue->setSuspended(true);
        queue->addOperation(operation);
        weakQueue = queue;
        queue->setSuspended(false);
    }
    operation->waitUntilFinished();
    EXPECT_TRUE(operation->isFinished());
}

TEST(OperationQueue, mainQueueRunsOnTheMainRunLoopInOrder)
{
    std::vector<std::string> order;
    bool onMain = false;
    bool currentIsMain = false;
    auto mainQueue = NSOperationQueue::mainQueue();
    mainQueue->addOperationWithBlock([&] {
        order.push_back("first");
        onMain = NSThread::isMainThread();
        currentIsMain = NSOperationQueue::currentQueue() == NSOperationQueue::mainQueue();
    });
    mainQueue->addOperationWithBlock([&] { order.push_back("second"); });
    EXPECT_TRUE(order.empty());
    while (mainQueue->operationCount() > 0)
        NSRunLoop::mainRunLoop()->runMode(NSDefaultRunLoopMode, NSDate::dateWithTimeIntervalSinceNow(1));
    EXPECT_EQ(order, (std::vector<std::string> { "first", "second" }));
    EXPECT_TRUE(onMain);
    EXPECT_TRUE(currentIsMain);
}

TEST(OperationQueue, stateChangesAreAnnouncedWithTheNewStateInPlace)
{
    std::vector<std::string> seen;
    auto watch = [&](const std::shared_ptr<NSOperation>& operation) {
        std::vector<NSUInteger> tokens;
        for (const char* key : { "isExecuting", "isFinished", "isCancelled" }) {
            tokens.push_back(operation->addObserverForKeyPath(key, [&seen, raw = operation.get()](const NSString& keyPath) {
                seen.push_back(std::string(keyPath.UTF8String()) + " e" + std::to_string(raw->isExecuting())
                    + " f" + std::to_string(raw->isFinished()) + " c" + std::to_string(raw->isCancelled()));
            }));
        }
        return tokens;
    };

    int completions = 0;
    bool ranInside = false;
    std::shared_ptr<NSBlockOperation> run;
    run = NSBlockOperation::blockOperationWithBlock([&] { ranInside = run->isExecuting() && !run->isFinished(); });
    run->setCompletionBlock([&] { ++completions; });
    const auto tokens = watch(run);
    run->start();
    EXPECT_TRUE(ranInside);
    EXPECT_EQ(seen, (std::vector<std::string> { "isExecuting e1 f0 c0", "isFinished e0 f1 c0", "isExecuting e0 f1 c0" }));
    run->start();
    run->cancel();
    EXPECT_EQ(seen.size(), 3u) << "a finished operation neither runs again nor becomes cancelled";
    EXPECT_EQ(completions, 1);

    // Cancelled before it starts: it finishes without executing, and its block never runs.
    seen.clear();
    bool ran = false;
    auto cancelled = NSBlockOperation::blockOperationWithBlock([&] { ran = true; });
    watch(cancelled);
    cancelled->cancel();
    cancelled->start();
    EXPECT_FALSE(ran);
    EXPECT_EQ(seen, (std::vector<std::string> { "isCancelled e0 f0 c1", "isFinished e0 f1 c1" }));

    // A removed observer hears nothing more.
    seen.clear();
    auto again = NSBlockOperation::blockOperationWithBlock([] { });
    for (NSUInteger token : watch(again))
        again->removeObserverForKeyPath(token);
    again->start();
    EXPECT_TRUE(again->isFinished());
    EXPECT_TRUE(seen.empty());
    for (NSUInteger token : tokens)
        run->removeObserverForKeyPath(token);
}

} // namespace

namespace {

// Starts on the thread that schedules it, as an operation that only hands its work elsewhere.
class HandingOverOperation final : public ManualOperation {
    NS_OBJECT(HandingOverOperation, ManualOperation)
public:
    bool startsWithoutBlocking() const override { return true; }
    void start() override
    {
        startedOn = std::this_thread::get_id();
        queueWhileStarting = NSOperationQueue::currentQueue();
        ManualOperation::start();
    }
    std::thread::id startedOn;
    std::shared_ptr<NSOperationQueue> queueWhileStarting;
};

} // namespace

TEST(OperationQueue, anOperationThatStartsWithoutBlockingStartsOnTheSchedulingThread)
{
    auto queue = NSOperationQueue::create();
    auto handing = HandingOverOperation::create();
    auto following = HandingOverOperation::create();
    following->addDependency(handing);
    queue->addOperation(handing);
    queue->addOperation(following);
    EXPECT_TRUE(handing->started);
    EXPECT_EQ(handing->startedOn, std::this_thread::get_id());
    EXPECT_EQ(handing->queueWhileStarting, queue);
    EXPECT_FALSE(following->started);
    // Its finish, announced on another thread, starts the next one there.
    std::thread finisher([&] { handing->finish(); });
    const auto finisherId = finisher.get_id();
    finisher.join();
    EXPECT_TRUE(following->started);
    EXPECT_EQ(following->startedOn, finisherId);
    following->finish();
    queue->waitUntilAllOperationsAreFinished();
    EXPECT_EQ(queue->operationCount(), 0u);
}
