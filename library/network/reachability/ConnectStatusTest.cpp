#include "library/network/reachability/ConnectStatusTest.h"

#include "library/network/reachability/Reachability.h"
#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"

#include <mutex>

namespace {

// The class answers the notification once however many demonstrations run, as a class that
// registers itself would.
void observeChangesOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        NSNotificationCenter::defaultCenter()->addObserverForName(kReachabilityChangedNotification, nullptr, nullptr,
            [](const std::shared_ptr<NSNotification>& notification) { ConnectStatusTest::reachabilityChanged(notification); });
    });
}

std::shared_ptr<Reachability> announceAndWatch()
{
    NSLog("-- checking the network through %@", NSString(ConnectStatusTest::probeHost));
    auto monitor = Reachability::reachabilityWithHostname(ConnectStatusTest::probeHost);
    if (monitor)
        NSLog("-- current status: %@", monitor->currentReachabilityString());
    observeChangesOnce();
    return monitor;
}

} // namespace

const char* const ConnectStatusTest::probeHost = "example.com";

void ConnectStatusTest::demoNotifier()
{
    if (auto monitor = announceAndWatch())
        monitor->startNotifier();
}

void ConnectStatusTest::deomBlock()
{
    auto monitor = announceAndWatch();
    if (!monitor)
        return;
    monitor->setReachableBlock([](Reachability&) { dispatch_async(dispatch_get_main_queue(), [] { NSLog("网络可用"); }); });
    monitor->setUnreachableBlock([](Reachability&) { dispatch_async(dispatch_get_main_queue(), [] { NSLog("网络不可用"); }); });
    monitor->startNotifier();
}

void ConnectStatusTest::reachabilityChanged(const std::shared_ptr<NSNotification>& notification)
{
    auto monitor = notification ? std::dynamic_pointer_cast<Reachability>(notification->object()) : nullptr;
    if (!monitor)
        return;
    if (!monitor->isReachable()) {
        NSLog("网络不可用");
        return;
    }
    NSLog("网络可用");
    NSLog(monitor->isReachableViaWiFi() ? "当前通过wifi连接" : "wifi未开启，不能用");
    NSLog(monitor->isReachableViaWWAN() ? "当前通过2g or 3g连接" : "2g or 3g网络未使用");
}
