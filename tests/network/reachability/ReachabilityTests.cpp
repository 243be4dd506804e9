#include "library/network/reachability/Reachability.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSThread.h"
#include "platform/sysconfig/SCNetworkReachabilityTesting.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

constexpr SCNetworkReachabilityFlags R = kSCNetworkReachabilityFlagsReachable;
constexpr SCNetworkReachabilityFlags W = kSCNetworkReachabilityFlagsIsWWAN;
constexpr SCNetworkReachabilityFlags C = kSCNetworkReachabilityFlagsConnectionRequired;
constexpr SCNetworkReachabilityFlags T = kSCNetworkReachabilityFlagsTransientConnection;

class ReachabilityTest : public testing::Test {
protected:
    void TearDown() override
    {
        if (observer)
            NSNotificationCenter::defaultCenter()->removeObserver(observer);
        SCNetworkReachabilityEndSimulation();
    }

    void observe(const std::shared_ptr<Reachability>& monitor)
    {
        observer = NSNotificationCenter::defaultCenter()->addObserverForName(kReachabilityChangedNotification, monitor, nullptr,
            [this](const std::shared_ptr<NSNotification>& notification) {
                notifications.push_back(notification->object());
                postedOnMain = postedOnMain && NSThread::isMainThread();
            });
    }

    id observer;
    std::vector<id> notifications;
    bool postedOnMain { true };
};

} // namespace

TEST_F(ReachabilityTest, ruleWeighsTransientConnectionsAndMobileData)
{
    auto monitor = Reachability::reachabilityWithHostname("127.0.0.1");
    ASSERT_TRUE(monitor);
    EXPECT_TRUE(monitor->reachableOnWWAN());
    EXPECT_FALSE(monitor->isReachableWithFlags(0));
    EXPECT_FALSE(monitor->isReachableWithFlags(C | T));
    EXPECT_FALSE(monitor->isReachableWithFlags(R | C | T));
    EXPECT_TRUE(monitor->isReachableWithFlags(R | C));
    EXPECT_TRUE(monitor->isReachableWithFlags(R | T));
    EXPECT_TRUE(monitor->isReachableWithFlags(R | W));
    monitor->setReachableOnWWAN(false);
    EXPECT_FALSE(monitor->isReachableWithFlags(R | W));
    EXPECT_TRUE(monitor->isReachableWithFlags(R));
}

TEST_F(ReachabilityTest, statusAndTextsFollowTheCurrentFlags)
{
    auto monitor = Reachability::reachabilityForInternetConnection();
    ASSERT_TRUE(monitor);
    SCNetworkReachabilitySimulateFlags(R);
    EXPECT_EQ(monitor->currentReachabilityStatus(), ReachableViaWiFi);
    EXPECT_EQ(monitor->currentReachabilityString().UTF8String(), "WiFi");
    EXPECT_EQ(monitor->currentReachabilityFlags().UTF8String(), "-R -------");
    EXPECT_TRUE(monitor->isReachableViaWiFi());

    SCNetworkReachabilitySimulateFlags(R | W);
    EXPECT_EQ(monitor->currentReachabilityStatus(), ReachableViaWWAN);
    EXPECT_EQ(monitor->currentReachabilityString().UTF8String(), "Cellular");
    EXPECT_TRUE(monitor->isReachableViaWWAN());
    EXPECT_FALSE(monitor->isReachableViaWiFi());
    monitor->setReachableOnWWAN(false);
    EXPECT_EQ(monitor->currentReachabilityStatus(), NotReachable);

    SCNetworkReachabilitySimulateFlags(0);
    EXPECT_EQ(monitor->currentReachabilityString().UTF8String(), "No Connection");
    EXPECT_EQ(monitor->reachabilityFlags(), 0u);

    SCNetworkReachabilitySimulateFlags(C | kSCNetworkReachabilityFlagsConnectionOnDemand | kSCNetworkReachabilityFlagsInterventionRequired
        | kSCNetworkReachabilityFlagsIsLocalAddress | kSCNetworkReachabilityFlagsIsDirect | T | W | kSCNetworkReachabilityFlagsConnectionOnTraffic);
    EXPECT_TRUE(monitor->connectionRequired());
    EXPECT_TRUE(monitor->isConnectionRequired());
    EXPECT_TRUE(monitor->isConnectionOnDemand());
    EXPECT_TRUE(monitor->isInterventionRequired());
    EXPECT_EQ(monitor->currentReachabilityFlags().UTF8String(), "W- ctiCDld");
}

TEST_F(ReachabilityTest, loopbackProbeHostIsReachableWithoutSimulation)
{
    auto monitor = Reachability::reachabilityWithHostName("127.0.0.1");
    EXPECT_TRUE(monitor->isReachable());
    EXPECT_TRUE(Reachability::reachabilityForLocalWiFi());
    EXPECT_FALSE(Reachability::reachabilityWithHostname(""));
}

TEST_F(ReachabilityTest, notifierRunsTheBlocksOffMainAndPostsOnMain)
{
    std::weak_ptr<Reachability> weakMonitor;
    std::atomic<int> reachableCalls { 0 };
    std::atomic<int> unreachableCalls { 0 };
    std::atomic<bool> blocksOffMain { true };
    {
        auto monitor = Reachability::reachabilityWithHostname("127.0.0.1");
        weakMonitor = monitor;
        monitor->setReachableBlock([&](Reachability&) {
            blocksOffMain = blocksOffMain && !NSThread::isMainThread();
            ++reachableCalls;
        });
        monitor->setUnreachableBlock([&](Reachability&) {
            blocksOffMain = blocksOffMain && !NSThread::isMainThread();
            ++unreachableCalls;
        });
        observe(monitor);
        ASSERT_TRUE(monitor->startNotifier());
        EXPECT_EQ(monitor->reachabilityObject(), monitor);
        EXPECT_TRUE(monitor->reachabilitySerialQueue());
    }
    // The running notifier keeps the monitor although its creator let go.
    auto monitor = weakMonitor.lock();
    ASSERT_TRUE(monitor);

    SCNetworkReachabilitySimulateFlags(0);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return notifications.size() == 1; }));
    EXPECT_EQ(notifications[0], monitor);
    EXPECT_EQ(unreachableCalls, 1);

    SCNetworkReachabilitySimulateFlags(R);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return notifications.size() == 2; }));
    EXPECT_EQ(reachableCalls, 1);
    EXPECT_TRUE(blocksOffMain);
    EXPECT_TRUE(postedOnMain);

    monitor->stopNotifier();
    EXPECT_FALSE(monitor->reachabilityObject());
    EXPECT_FALSE(monitor->reachabilitySerialQueue());
    SCNetworkReachabilitySimulateFlags(0);
    testing_support::runLoopUntil([] { return false; }, 0.1);
    EXPECT_EQ(notifications.size(), 2u);
    NSNotificationCenter::defaultCenter()->removeObserver(observer);
    observer = nullptr;
    notifications.clear();
    monitor.reset();
    EXPECT_TRUE(weakMonitor.expired());
}

TEST_F(ReachabilityTest, changeWithoutBlocksStillPostsAndStopWithoutStartIsHarmless)
{
    auto monitor = Reachability::reachabilityWithHostname("127.0.0.1");
    monitor->stopNotifier();
    EXPECT_FALSE(monitor->reachabilityObject());
    observe(monitor);
    ASSERT_TRUE(monitor->startNotifier());
    SCNetworkReachabilitySimulateFlags(0);
    ASSERT_TRUE(testing_support::runLoopUntil([&] { return notifications.size() == 1; }));
    monitor->stopNotifier();
    EXPECT_NE(monitor->description().UTF8String().find("<Reachability: 0x"), std::string::npos);
}
