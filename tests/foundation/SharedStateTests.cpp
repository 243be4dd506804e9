#include "platform/foundation/NSBlockOperation.h"
#include "platform/foundation/NSCache.h"
#include "platform/foundation/NSCalendar.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSDateComponents.h"
#include "platform/foundation/NSOperationQueue.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSTimeZone.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/SystemClock.h"

#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace {

// Runs its action when the last copy of what holds it goes: the way a block's captures or a
// cached object may call back into the object that lets go of them.
struct OnRelease {
    explicit OnRelease(std::function<void()> action) : action(std::move(action)) { }
    ~OnRelease() { action(); }
    std::function<void()> action;
};

class ReleaseWatcher : public NSObject {
    NS_OBJECT(ReleaseWatcher, NSObject)
public:
    ~ReleaseWatcher() override
    {
        if (onRelease)
            onRelease();
    }
    std::function<void()> onRelease;
};

TEST(SharedState, anObjectLeavingTheCacheMayUseTheCacheAsItGoes)
{
    // Evicted, replaced and removed objects each read and write the cache from their destructor;
    // each must leave after the cache's lock is given back, or the cache waits on itself.
    EXPECT_TRUE(testing_support::returnsWithin([] {
        auto cache = NSCache::create();
        cache->setCountLimit(1);
        auto released = std::make_shared<std::atomic<int>>(0);
        std::weak_ptr<NSCache> weakCache = cache;
        auto watched = [&](const char* key) {
            auto object = ReleaseWatcher::create();
            object->onRelease = [weakCache, released, key] {
                if (auto cache = weakCache.lock()) {
                    cache->objectForKey(NSString(key));
                    cache->setObject(NSString("note"), NSString("note-of-release"));
                }
                ++*released;
            };
            return object;
        };
        cache->setObject(watched("first"), NSString("first"));
        // Evicts the first, whose note evicts the second in turn.
        cache->setObject(watched("second"), NSString("second"));
        EXPECT_EQ(released->load(), 2);
        cache->setCountLimit(0);
        cache->setObject(watched("third"), NSString("third"));
        cache->setObject(watched("third again"), NSString("third")); // replaces the third
        cache->removeObjectForKey(NSString("third"));
        cache->removeAllObjects();
        EXPECT_EQ(released->load(), 4);
    }));
}

TEST(SharedState, aCacheStaysConsistentUnderReadersAndWritersOfManyThreads)
{
    auto cache = NSCache::create();
    cache->setTotalCostLimit(64);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([cache, t] {
            for (int i = 0; i < 2000; ++i) {
                NSString key = NSString::stringWithFormat("%d", (i * 7 + t) % 50);
                if (i % 3 == 0)
                    cache->setObject(key, key, 3);
                else if (i % 11 == 0)
                    cache->removeObjectForKey(key);
                else if (auto found = NSString::fromId(cache->objectForKey(key)); !found.isNil()) {
                    EXPECT_TRUE(found == key);
                }
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    int kept = 0;
    for (int k = 0; k < 50; ++k)
        kept += cache->objectForKey(NSString::stringWithFormat("%d", k)) ? 1 : 0;
    EXPECT_LE(kept * 3, 64);
}

TEST(SharedState, theCompletionBlockAnOperationLetsGoMayAskTheOperationAsItGoes)
{
    EXPECT_TRUE(testing_support::returnsWithin([] {
        auto operation = NSBlockOperation::blockOperationWithBlock([] { });
        std::weak_ptr<NSOperation> weakOperation = operation;
        auto asked = std::make_shared<std::atomic<bool>>(false);
        auto captured = std::make_shared<OnRelease>([weakOperation, asked] {
            if (auto operation = weakOperation.lock()) {
                operation->completionBlock();
                operation->name();
            }
            *asked = true;
        });
        operation->setCompletionBlock([captured] { });
        captured = nullptr;
        operation->setCompletionBlock([] { });
        EXPECT_TRUE(*asked);
    }));
}

TEST(SharedState, anObserverAnOperationLetsGoMayObserveItAgainAsItGoes)
{
    EXPECT_TRUE(testing_support::returnsWithin([] {
        auto operation = NSBlockOperation::blockOperationWithBlock([] { });
        std::weak_ptr<NSOperation> weakOperation = operation;
        auto finishes = std::make_shared<std::atomic<int>>(0);
        auto captured = std::make_shared<OnRelease>([weakOperation, finishes] {
            if (auto operation = weakOperation.lock())
                operation->addObserverForKeyPath("isFinished", [finishes](const NSString&) { ++*finishes; });
        });
        NSUInteger token = operation->addObserverForKeyPath("isFinished", [captured](const NSString&) { });
        captured = nullptr;
        operation->removeObserverForKeyPath(token);
        operation->start();
        EXPECT_EQ(finishes->load(), 1);
    }));
}

TEST(SharedState, everyThreadWaitingForAnOperationWakesWhenItFinishes)
{
    auto queue = NSOperationQueue::create();
    auto release = std::make_shared<testing_support::Signal>();
    auto operation = NSBlockOperation::blockOperationWithBlock([release] { release->waitForNotices(); });
    queue->addOperation(operation);
    std::atomic<int> woken { 0 };
    std::vector<std::thread> waiters;
    for (int t = 0; t < 6; ++t) {
        waiters.emplace_back([&] {
            operation->waitUntilFinished();
            ++woken;
        });
    }
    release->notify();
    for (auto& waiter : waiters)
        waiter.join();
    EXPECT_EQ(woken.load(), 6);
    EXPECT_TRUE(operation->isFinished());
    queue->waitUntilAllOperationsAreFinished();
    EXPECT_EQ(queue->operationCount(), 0u);
}

TEST(SharedState, aClockListenerLetGoMayAddAnotherAsItGoes)
{
    EXPECT_TRUE(testing_support::returnsWithin([] {
        auto added = std::make_shared<std::atomic<NSUInteger>>(0);
        auto captured = std::make_shared<OnRelease>([added] { *added = SystemClock::addChangeListener([] { }); });
        NSUInteger token = SystemClock::addChangeListener([captured] { });
        captured = nullptr;
        SystemClock::removeChangeListener(token);
        EXPECT_NE(added->load(), 0u);
        SystemClock::removeChangeListener(*added);
    }));
}

TEST(SharedState, blocksPostedFromManyThreadsEachRunOnceOnTheLoop)
{
    auto runLoop = NSRunLoop::currentRunLoop();
    std::atomic<int> ran { 0 };
    std::vector<std::thread> posters;
    for (int t = 0; t < 6; ++t) {
        posters.emplace_back([&] {
            for (int i = 0; i < 200; ++i)
                runLoop->performBlock([&] { ++ran; });
        });
    }
    EXPECT_TRUE(testing_support::runLoopUntil([&] { return ran.load() == 1200; }));
    for (auto& poster : posters)
        poster.join();
    runLoop->runInMode(NSDefaultRunLoopMode, 0, false);
    EXPECT_EQ(ran.load(), 1200);
}

TEST(SharedState, aTimerLetsGoOfItsUserInfoWhenInvalidated)
{
    auto info = NSObject::create();
    std::weak_ptr<NSObject> weakInfo = info;
    auto timer = NSTimer::timerWithTimeInterval(10, nullptr, [](const auto&) { }, info, false);
    info = nullptr;
    EXPECT_EQ(timer->userInfo(), weakInfo.lock());
    EXPECT_TRUE(timer->userInfo());
    timer->invalidate();
    EXPECT_FALSE(timer->userInfo());
    EXPECT_TRUE(weakInfo.expired());
}

TEST(SharedState, aCalendarChangedFromTwoThreadsAnswersWithItsLastSettings)
{
    // Each change remakes the calendar the answers come from; one made from older settings must
    // never land after one made from newer.
    auto calendar = NSCalendar::calendarWithIdentifier(NSCalendarIdentifierGregorian);
    auto utc = NSTimeZone::timeZoneWithName("UTC");
    auto tokyo = NSTimeZone::timeZoneWithName("Asia/Tokyo");
    for (int round = 0; round < 20; ++round) {
        std::thread zones([&] {
            for (int i = 0; i < 20; ++i)
                calendar->setTimeZone(i % 2 ? utc : tokyo);
            calendar->setTimeZone(tokyo);
        });
        std::thread weeks([&] {
            for (int i = 0; i < 20; ++i)
                calendar->setFirstWeekday(1 + i % 7);
            calendar->setFirstWeekday(3);
        });
        zones.join();
        weeks.join();
        EXPECT_EQ(calendar->firstWeekday(), 3u);
        auto midnightUTC = NSDate::dateWithTimeIntervalSince1970(0);
        EXPECT_EQ(calendar->components(NSCalendarUnitHour, midnightUTC)->hour(), 9);
        calendar->setTimeZone(utc);
        calendar->setFirstWeekday(1);
    }
}

} // namespace
