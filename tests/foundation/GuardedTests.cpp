#include "platform/foundation/Guarded.h"

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <thread>
#include <vector>

namespace {

struct Counter {
    long value { 0 };
    std::vector<int> seen;
};

TEST(Guarded, lockersOfManyThreadsLoseNoUpdate)
{
    Guarded<Counter> counter;
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 5000; ++i) {
                auto locked = counter.lock();
                ++locked->value;
                if (i == 0)
                    locked->seen.push_back(t);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(counter.withLock([](const Counter& c) { return c.value; }), 8 * 5000);
    EXPECT_EQ(counter.lock()->seen.size(), 8u);
}

TEST(Guarded, waitingGivesTheLockUpUntilThePredicateHolds)
{
    Guarded<std::deque<int>> queue;
    std::condition_variable ready;
    std::vector<int> taken;
    std::thread consumer([&] {
        for (int i = 0; i < 100; ++i) {
            auto locked = queue.lock();
            locked.wait(ready, [&] { return !locked->empty(); });
            taken.push_back(locked->front());
            locked->pop_front();
        }
    });
    for (int i = 0; i < 100; ++i) {
        queue.lock()->push_back(i);
        ready.notify_one();
    }
    consumer.join();
    ASSERT_EQ(taken.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(taken[i], i);
}

TEST(Guarded, timedWaitsReportWhetherThePredicateCameTrue)
{
    Guarded<bool> flag(false);
    std::condition_variable changed;
    {
        auto locked = flag.lock();
        EXPECT_FALSE(locked.waitFor(changed, std::chrono::milliseconds(1), [&] { return *locked; }));
        EXPECT_FALSE(locked.waitUntil(changed, std::chrono::steady_clock::now(), [&] { return *locked; }));
    }
    std::thread setter([&] {
        *flag.lock() = true;
        changed.notify_all();
    });
    {
        auto locked = flag.lock();
        EXPECT_TRUE(locked.waitFor(changed, std::chrono::hours(1), [&] { return *locked; }));
    }
    setter.join();
}

TEST(Guarded, aStretchRunWithoutTheLockLetsACallbackTakeItAgain)
{
    Guarded<int> value(1);
    auto locked = value.lock();
    *locked = 2;
    // A callback that locks the same data would deadlock if the lock were still held.
    locked.unlocked([&] { *value.lock() += 10; });
    EXPECT_EQ(*locked, 12);
}

TEST(Guarded, constDataIsReadThroughAConstLocker)
{
    const Guarded<std::vector<int>> values(std::vector<int> { 1, 2, 3 });
    auto locked = values.lock();
    static_assert(std::is_const_v<std::remove_reference_t<decltype(*locked)>>);
    EXPECT_EQ(locked->size(), 3u);
}

} // namespace
