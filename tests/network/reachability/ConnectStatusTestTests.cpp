#include "library/network/reachability/ConnectStatusTest.h"
#include "library/network/reachability/Reachability.h"

#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/sysconfig/SCNetworkReachabilityTesting.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

namespace {

constexpr SCNetworkReachabilityFlags R = kSCNetworkReachabilityFlagsReachable;
constexpr SCNetworkReachabilityFlags W = kSCNetworkReachabilityFlagsIsWWAN;

class ConnectStatus : public ::testing::Test {
protected:
    void SetUp() override
    {
        SCNetworkReachabilitySimulateFlags(R);
        observer = NSNotificationCenter::defaultCenter()->addObserverForName(kReachabilityChangedNotification, nullptr,
            nullptr, [this](const std::shared_ptr<NSNotification>& notification) {
                if (auto monitor = std::dynamic_pointer_cast<Reachability>(notification->object()))
                    monitors.push_back(monitor);
            });
    }
    void TearDown() override
    {
        NSNotificationCenter::defaultCenter()->removeObserver(observer);
        // The demonstration lets its monitors run on; they go when stopped.
        for (const auto& monitor : monitors)
            monitor->stopNotifier();
        SCNetworkReachabilityEndSimulation();
    }
    // Runs the main queue until the change has been posted and everything queued before it ran.
    void change(SCNetworkReachabilityFlags flags)
    {
        const std::size_t before = monitors.size();
        SCNetworkReachabilitySimulateFlags(flags);
        ASSERT_TRUE(testing_support::runLoopUntil([&] { return monitors.size() > before; }));
        bool drained = false;
        dispatch_async(dispatch_get_main_queue(), [&] { drained = true; });
        ASSERT_TRUE(testing_support::runLoopUntil([&] { return drained; }));
    }

    id observer;
    std::vector<std::shared_ptr<Reachability>> monitors;
};

std::size_t count(const std::string& text, const std::string& line)
{
    std::size_t found = 0;
    for (auto at = text.find(line); at != std::string::npos; at = text.find(line, at + 1))
        ++found;
    return found;
}

} // namespace

TEST_F(ConnectStatus, logsTheStateAndEachChangeOfTheProbeHost)
{
    testing::internal::CaptureStderr();
    ConnectStatusTest::demoNotifier();
    change(0);
    change(R);
    change(R | W);
    const std::string log = testing::internal::GetCapturedStderr();

    EXPECT_NE(log.find(ConnectStatusTest::probeHost), std::string::npos);
    EXPECT_NE(log.find("-- current status: "), std::string::npos);
    EXPECT_EQ(count(log, "网络不可用"), 1u);
    EXPECT_EQ(count(log, "网络可用\n"), 2u);
    // Wi-Fi alone first, then the mobile network alone.
    const auto wifi = log.find("当前通过wifi连接");
    const auto noMobile = log.find("2g or 3g网络未使用");
    const auto noWifi = log.find("wifi未开启，不能用");
    const auto mobile = log.find("当前通过2g or 3g连接");
    ASSERT_NE(wifi, std::string::npos);
    ASSERT_NE(noMobile, std::string::npos);
    ASSERT_NE(noWifi, std::string::npos);
    ASSERT_NE(mobile, std::string::npos);
    EXPECT_LT(wifi, noMobile);
    EXPECT_LT(noMobile, noWifi);
    EXPECT_LT(noWifi, mobile);
}

TEST_F(ConnectStatus, theBlockDemonstrationAlsoLogsFromTheMonitorsBlocks)
{
    testing::internal::CaptureStderr();
    ConnectStatusTest::deomBlock();
    change(0);
    const std::string log = testing::internal::GetCapturedStderr();
    // One line from the block, one from the change handler, which answers once however often
    // the demonstrations ran.
    EXPECT_EQ(count(log, "网络不可用"), 2u);

    testing::internal::CaptureStderr();
    ConnectStatusTest::reachabilityChanged(nullptr);
    ConnectStatusTest::reachabilityChanged(NSNotification::notificationWithName("other", nullptr));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}
