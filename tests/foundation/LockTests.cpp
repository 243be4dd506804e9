#include "platform/foundation/NSCondition.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSRecursiveLock.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/Synchronized.h"

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <thread>
#include <vector>

namespace {

TEST(Locks, synchronizedIsRecursiveAndExcludesOtherThreads)
{
    auto object = NSObject::create();
    int counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 1000; ++i) {
                Synchronized outer(object.get());
                Synchronized inner(object.get());
                ++counter;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 4000);
}

TEST(Locks, recursiveLockCanBeRetakenByItsOwnerOnly)
{
    auto lock = NSRecursiveLock::create();
    lock->setName("com.pembrocat.networking.operation.lock");
    lock->lock();
    EXPECT_TRUE(lock->tryLock());
    bool otherGotIt = true;
    std::thread([&] { otherGotIt = lock->tryLock(); }).join();
    EXPECT_FALSE(otherGotIt);
    lock->unlock();
    lock->unlock();
    EXPECT_EQ(lock->name(), NSString("com.pembrocat.networking.operation.lock"));
}

TEST(Locks, conditionHandsItemsFromProducerToConsumer)
{
    auto condition = NSCondition::create();
    std::deque<int> items;
    std::vector<int> consumed;
    auto consumer = std::thread([&] {
        condition->lock();
        while (consumed.size() < 3) {
            while (items.empty())
                condition->wait();
            consumed.push_back(items.front());
            items.pop_front();
        }
        condition->unlock();
    });
    for (int i = 1; i <= 3; ++i) {
        condition->lock();
        items.push_back(i);
        condition->signal();
        condition->unlock();
    }
    consumer.join();
    EXPECT_EQ(consumed, (std::vector<int> { 1, 2, 3 }));
    condition->lock();
    EXPECT_FALSE(condition->waitUntilDate(NSDate::distantPast()));
    condition->unlock();
}

} // namespace
