// Letting go of an object without count updates must never cut short a life another holder,
// a weak watcher or an aliasing pointer still counts on.
#include "platform/foundation/Foundation.h"
#include "platform/foundation/UnsharedRelease.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

class Counted : public NSObject {
    NS_OBJECT(Counted, NSObject)
public:
    ~Counted() override { ++*m_ended; }
    id member;

protected:
    void init(std::atomic<int>* ended) { m_ended = ended; }

private:
    std::atomic<int>* m_ended { nullptr };
};

} // namespace

TEST(UnsharedRelease, endsASoleObjectAtOnceAndKeepsOneSharedOrWatched)
{
    std::atomic<int> ended { 0 };
    id sole = Counted::create(&ended);
    ns::releaseUnshared(sole);
    EXPECT_FALSE(sole);
    EXPECT_EQ(ended.load(), 1);

    id held = Counted::create(&ended);
    id other = held;
    ns::releaseUnshared(held);
    EXPECT_FALSE(held);
    EXPECT_EQ(ended.load(), 1);
    EXPECT_EQ(other.use_count(), 1);
    // The self-link still answers for the object that lived on.
    EXPECT_EQ(other->self(), other);

    std::weak_ptr<NSObject> watcher = other;
    ns::releaseUnshared(other);
    EXPECT_EQ(ended.load(), 2);
    EXPECT_TRUE(watcher.expired());
    EXPECT_FALSE(watcher.lock());

    id nothing;
    ns::releaseUnshared(nothing);
    EXPECT_FALSE(nothing);
}

// An aliasing pointer names one object and counts for another: only the counted one may end.
TEST(UnsharedRelease, anAliasingPointerReleasesWhatItCounts)
{
    std::atomic<int> ended { 0 };
    auto outer = Counted::create(&ended);
    auto inner = Counted::create(&ended);
    outer->member = inner;
    id alias(std::shared_ptr<Counted>(outer), inner.get());
    outer.reset();
    ns::releaseUnshared(alias);
    // The outer object went with its last count and let go of the member; the member lives on.
    EXPECT_EQ(ended.load(), 1);
    EXPECT_EQ(inner.use_count(), 1);
    EXPECT_EQ(inner->self(), inner);

    // Made without a self-link: the object is still ended exactly once.
    std::shared_ptr<NSObject> bare(inner.get(), [](NSObject*) { });
    ns::releaseUnshared(bare);
    EXPECT_EQ(ended.load(), 1);
    id last = inner;
    inner.reset();
    ns::releaseUnshared(last);
    EXPECT_EQ(ended.load(), 2);
}

// Holders on several threads let go at once: the object ends once, after every holder is done.
TEST(UnsharedRelease, holdersOnSeveralThreadsEndTheObjectOnce)
{
    std::atomic<int> ended { 0 };
    constexpr int kRounds = 300;
    for (int round = 0; round < kRounds; ++round) {
        auto object = Counted::create(&ended);
        object->member = static_cast<id>(NSString("kept until the end"));
        std::vector<id> copies(3, object);
        object.reset();
        std::atomic<bool> go { false };
        std::vector<std::thread> threads;
        for (auto& copy : copies) {
            threads.emplace_back([&go, &copy] {
                while (!go.load())
                    std::this_thread::yield();
                EXPECT_EQ(NSString::fromId(static_cast<Counted&>(*copy).member), NSString("kept until the end"));
                ns::releaseUnshared(copy);
            });
        }
        go = true;
        for (auto& thread : threads)
            thread.join();
    }
    EXPECT_EQ(ended.load(), kRounds);
}
