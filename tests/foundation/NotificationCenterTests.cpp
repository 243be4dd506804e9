#include "platform/foundation/Foundation.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSOperationQueue.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

class Listener : public NSObject {
    NS_OBJECT(Listener, NSObject)
public:
    void heard(const std::shared_ptr<NSNotification>& notification) { names.push_back(notification->name().UTF8String()); }
    void poked() { ++pokes; }

    std::vector<std::string> names;
    int pokes { 0 };
};

class SelfRemoving : public NSObject {
    NS_OBJECT(SelfRemoving, NSObject)
public:
    ~SelfRemoving() override { m_center->removeObserver(this); }
    void setCenter(std::shared_ptr<NSNotificationCenter> center) { m_center = std::move(center); }

private:
    std::shared_ptr<NSNotificationCenter> m_center;
};

class NotificationCenterTest : public testing::Test {
protected:
    std::shared_ptr<NSNotificationCenter> center = NSNotificationCenter::create();
};

} // namespace

TEST_F(NotificationCenterTest, deliversSynchronouslyFilteredByNameAndObject)
{
    auto listener = Listener::create();
    id sender = NSObject::create();
    id otherSender = NSObject::create();
    center->addObserver(listener, &Listener::heard, "ping", sender);
    center->addObserver(listener, &Listener::heard, NSString(), nullptr);

    center->postNotificationName("ping", sender);
    center->postNotificationName("ping", otherSender);
    center->postNotificationName("pong", nullptr);

    EXPECT_EQ(listener->names, (std::vector<std::string> { "ping", "ping", "ping", "pong" }));
}

TEST_F(NotificationCenterTest, carriesObjectAndUserInfoToBlocks)
{
    id sender = NSObject::create();
    std::shared_ptr<NSNotification> received;
    id token = center->addObserverForName("done", nullptr, nullptr,
        [&](const std::shared_ptr<NSNotification>& notification) { received = notification; });

    center->postNotificationName("done", sender, ns::dictionary({ { "code", ns::number(7) } }));

    ASSERT_TRUE(received);
    EXPECT_EQ(received->object(), sender);
    EXPECT_EQ(ns::intForKey(received->userInfo(), "code"), 7);

    received = nullptr;
    center->removeObserver(token);
    center->postNotificationName("done", sender);
    EXPECT_FALSE(received);
}

TEST_F(NotificationCenterTest, removesOneNameOrEveryRegistrationOfAnObserver)
{
    auto listener = Listener::create();
    id sender = NSObject::create();
    center->addObserver(listener, &Listener::heard, "a", nullptr);
    center->addObserver(listener, &Listener::heard, "b", sender);
    center->addObserver(listener, &Listener::heard, "b", nullptr);

    center->removeObserver(listener, "b", sender);
    center->postNotificationName("b", sender);
    EXPECT_EQ(listener->names, (std::vector<std::string> { "b" }));

    center->removeObserver(listener);
    center->postNotificationName("a", nullptr);
    center->postNotificationName("b", nullptr);
    EXPECT_EQ(listener->names.size(), 1u);
    EXPECT_EQ(center->observationCount(), 0u);
}

TEST_F(NotificationCenterTest, observerRemovedWhilePostingIsNotCalledInThatPost)
{
    auto first = Listener::create();
    auto second = Listener::create();
    center->addObserver(first, [&](const std::shared_ptr<NSNotification>&) {
        ++first->pokes;
        center->removeObserver(second);
        center->removeObserver(first);
    }, "go", nullptr);
    center->addObserver(second, &Listener::poked, "go", nullptr);

    center->postNotificationName("go", nullptr);
    center->postNotificationName("go", nullptr);

    EXPECT_EQ(first->pokes, 1);
    EXPECT_EQ(second->pokes, 0);
}

TEST_F(NotificationCenterTest, observerAddedWhilePostingHearsOnlyLaterPosts)
{
    auto late = Listener::create();
    bool added = false;
    center->addObserverForName("go", nullptr, nullptr, [&](const std::shared_ptr<NSNotification>&) {
        if (!added)
            center->addObserver(late, &Listener::poked, "go", nullptr);
        added = true;
    });

    center->postNotificationName("go", nullptr);
    EXPECT_EQ(late->pokes, 0);
    center->postNotificationName("go", nullptr);
    EXPECT_EQ(late->pokes, 1);
}

TEST_F(NotificationCenterTest, destroyedObserverIsSkippedAndPruned)
{
    auto survivor = Listener::create();
    auto doomed = Listener::create();
    center->addObserver(doomed, &Listener::poked, "go", nullptr);
    center->addObserver(survivor, &Listener::poked, "go", nullptr);
    std::weak_ptr<Listener> watch = doomed;
    doomed.reset();
    ASSERT_TRUE(watch.expired());

    center->postNotificationName("go", nullptr);

    EXPECT_EQ(survivor->pokes, 1);
    EXPECT_EQ(center->observationCount(), 1u);
}

TEST_F(NotificationCenterTest, observerDestroyedByAnEarlierObserverDuringAPostIsSkipped)
{
    auto doomed = Listener::create();
    std::weak_ptr<Listener> watch = doomed;
    center->addObserverForName("go", nullptr, nullptr, [&](const std::shared_ptr<NSNotification>&) { doomed.reset(); });
    center->addObserver(doomed, &Listener::poked, "go", nullptr);

    center->postNotificationName("go", nullptr);

    EXPECT_TRUE(watch.expired());
}

TEST_F(NotificationCenterTest, filterOnADestroyedSenderNeverMatchesANewObject)
{
    auto listener = Listener::create();
    id sender = NSObject::create();
    center->addObserver(listener, &Listener::poked, "go", sender);
    sender.reset();
    for (int attempt = 0; attempt < 8; ++attempt)
        center->postNotificationName("go", NSObject::create());
    EXPECT_EQ(listener->pokes, 0);
}

TEST_F(NotificationCenterTest, observerRemovingItselfInItsDestructorLeavesNothingBehind)
{
    auto observer = SelfRemoving::create();
    observer->setCenter(center);
    center->addObserver(observer, [](const std::shared_ptr<NSNotification>&) { }, "go", nullptr);
    observer.reset();
    EXPECT_EQ(center->observationCount(), 0u);
}

TEST_F(NotificationCenterTest, registersAndPostsFromSeveralThreads)
{
    std::atomic<int> calls { 0 };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                id token = center->addObserverForName("tick", nullptr, nullptr,
                    [&](const std::shared_ptr<NSNotification>&) { ++calls; });
                center->postNotificationName("tick", nullptr);
                center->removeObserver(token);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_GE(calls.load(), 800);
    EXPECT_EQ(center->observationCount(), 0u);
}

TEST_F(NotificationCenterTest, blockForAnotherQueueRunsThereAndOneForTheCurrentQueueRunsAtOnce)
{
    std::vector<std::string> order;
    std::mutex mutex;
    auto worker = NSOperationQueue::create();
    center->addObserverForName("go", nullptr, NSOperationQueue::mainQueue(), [&](const std::shared_ptr<NSNotification>&) {
        std::lock_guard lock(mutex);
        order.push_back("main");
    });
    center->addObserverForName("go", nullptr, worker, [&](const std::shared_ptr<NSNotification>&) {
        std::lock_guard lock(mutex);
        order.push_back("worker");
    });

    center->postNotificationName("go", nullptr);
    {
        std::lock_guard lock(mutex);
        ASSERT_FALSE(order.empty());
        EXPECT_EQ(order.front(), "main");
    }
    worker->waitUntilAllOperationsAreFinished();
    EXPECT_EQ(order, (std::vector<std::string> { "main", "worker" }));
}
