#include "app/services/ServerUrlManger.h"
#include "app/services/ServiceHosts.h"

#include "platform/foundation/NSUserDefaults.h"
#include "platform/host/HeadlessHost.h"
#include "platform/sysconfig/SCNetworkReachabilityTesting.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIViewController.h"

#include <gtest/gtest.h>

namespace {

class ServerUrlMangerTest : public testing::Test {
protected:
    void TearDown() override
    {
        manager->setReachabilitySource(nullptr);
        manager->setNetworkUnavailableAlert(nullptr);
        SCNetworkReachabilityEndSimulation();
    }

    std::shared_ptr<ServerUrlManger> manager = ServerUrlManger::sharedInstance();
};

} // namespace

TEST_F(ServerUrlMangerTest, builtInBasesApplyWhileNothingOrTheEmptyTextIsStored)
{
    const std::string main = "http://" + ServiceHosts::mainServiceHost().UTF8String() + ":3600/Tessalane/resource/";
    EXPECT_EQ(manager->getHttpUrl().UTF8String(), main);
    EXPECT_EQ(manager->getHttpUrlForVideoStud().UTF8String(), "http://" + ServiceHosts::mainServiceHost().UTF8String() + ":3600/Tessalane/");
    EXPECT_EQ(manager->getHttpUrlForAppeal().UTF8String(), manager->getHttpUrlForVideoStud().UTF8String());
    EXPECT_TRUE(manager->getHttpUrlForPay().hasSuffix("/PayMent/resource/SYSBL/BRENLOW/DTTM/PUBL/ZXZF/"));

    manager->setHttpUrlForPay("");
    EXPECT_TRUE(manager->getHttpUrlForPay().isEqualToString(ServiceHosts::builtInPaymentBaseURL()));
    manager->setHttpUrlForPay("http://pay.example/");
    EXPECT_EQ(manager->getHttpUrlForPay().UTF8String(), "http://pay.example/");
}

TEST_F(ServerUrlMangerTest, settingTheMainBaseMovesTheVideoBaseAndTheAppealBaseFollows)
{
    manager->setHttpUrl("http://10.0.0.5:3600/Tessalane/Resource/x/RESOURCE/");
    EXPECT_EQ(manager->getHttpUrl().UTF8String(), "http://10.0.0.5:3600/Tessalane/Resource/x/RESOURCE/");
    EXPECT_EQ(manager->getHttpUrlForVideoStud().UTF8String(), "http://10.0.0.5:3600/Tessalane/x/");
    EXPECT_EQ(manager->getHttpUrlForAppeal().UTF8String(), "http://10.0.0.5:3600/Tessalane/x/");
    // The values are in the defaults' file, not only in memory.
    NSUserDefaults::resetStandardUserDefaults();
    EXPECT_EQ(NSUserDefaults::standardUserDefaults()->stringForKey(kHttpUrlForVideoStudKey).UTF8String(), "http://10.0.0.5:3600/Tessalane/x/");
    EXPECT_EQ(ServerUrlManger::create(), manager);
    EXPECT_EQ(manager->copy(), manager);
}

TEST_F(ServerUrlMangerTest, guardAnswersYesWithoutAMonitorAndAlertsEachTimeTheNetworkIsGone)
{
    int alerts = 0;
    manager->setNetworkUnavailableAlert([&](const NSString&, const NSString& message, const NSString&) {
        EXPECT_EQ(message.UTF8String(), "当前网络不可用，请检查网络连接");
        ++alerts;
    });
    SCNetworkReachabilitySimulateFlags(0);
    EXPECT_TRUE(ServerUrlManger::networkIsValid()) << "before launch made the monitor";

    auto monitor = Reachability::reachabilityWithHostname(ServiceHosts::mainServiceHost());
    manager->setReachabilitySource([monitor] { return monitor; });
    EXPECT_FALSE(ServerUrlManger::networkIsValid());
    EXPECT_FALSE(ServerUrlManger::networkIsValid());
    EXPECT_EQ(alerts, 2);
    SCNetworkReachabilitySimulateFlags(kSCNetworkReachabilityFlagsReachable | kSCNetworkReachabilityFlagsIsWWAN);
    EXPECT_TRUE(ServerUrlManger::networkIsValid());

    SCNetworkReachabilitySimulateFlags(0);
}

TEST_F(ServerUrlMangerTest, guardShowsTheSystemAlertOverTheScreenByDefault)
{
    auto host = HeadlessHost::create();
    host->showRootViewController(UIViewController::create());
    auto monitor = Reachability::reachabilityWithHostname(ServiceHosts::mainServiceHost());
    manager->setReachabilitySource([monitor] { return monitor; });
    SCNetworkReachabilitySimulateFlags(0);

    EXPECT_FALSE(ServerUrlManger::networkIsValid());
    host->runUntilIdle();
    auto alert = std::dynamic_pointer_cast<UIAlertView>(host->findView([](UIView& view) { return dynamic_cast<UIAlertView*>(&view) != nullptr; }));
    ASSERT_TRUE(alert);
    EXPECT_TRUE(alert->isVisible());
    EXPECT_EQ(alert->message().UTF8String(), "当前网络不可用，请检查网络连接");
    EXPECT_EQ(alert->buttonTitleAtIndex(alert->cancelButtonIndex()).UTF8String(), "确定");
    alert->dismissWithClickedButtonIndex(alert->cancelButtonIndex(), false);
    host->runUntilIdle();
}
