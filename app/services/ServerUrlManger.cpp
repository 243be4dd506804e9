#include "app/services/ServerUrlManger.h"

#include "app/services/ServiceHosts.h"
#include "library/network/device/NSString_MD5Addition.h"
#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/uikit/UIAlertView.h"

#include <mutex>

namespace {

NSString withoutResourceSegment(const NSString& url)
{
    return NSString_MD5Addition::replaceRegexAll(url, "resource/", "");
}

// The system alert, as the guard has always shown it; tests install their own through
// setNetworkUnavailableAlert.
void showNetworkUnavailableAlert(const NSString& title, const NSString& message, const NSString& cancelButtonTitle)
{
    UIAlertView::create(title, message, nullptr, cancelButtonTitle, std::vector<NSString> {})->show();
}

} // namespace

std::shared_ptr<ServerUrlManger> ServerUrlManger::sharedInstance()
{
    static std::once_flag once;
    static std::shared_ptr<ServerUrlManger> shared;
    std::call_once(once, [] {
        shared = ns::construct<ServerUrlManger>();
        shared->m_networkUnavailableAlert = showNetworkUnavailableAlert;
    });
    return shared;
}

NSString ServerUrlManger::storedOrDefault(const char* key, const NSString& fallback) const
{
    NSString stored = NSUserDefaults::standardUserDefaults()->stringForKey(key);
    if (stored.length() == 0)
        return fallback;
    return stored;
}

NSString ServerUrlManger::getHttpUrl() const
{
    return storedOrDefault(kHttpUrlKey, ServiceHosts::builtInMainBaseURL());
}

NSString ServerUrlManger::getHttpUrlForVideoStud() const
{
    return storedOrDefault(kHttpUrlForVideoStudKey, withoutResourceSegment(getHttpUrl()));
}

NSString ServerUrlManger::getHttpUrlForPay() const
{
    return storedOrDefault(kHttpUrlForPayKey, ServiceHosts::builtInPaymentBaseURL());
}

NSString ServerUrlManger::getHttpUrlForAppeal() const
{
    return storedOrDefault(kHttpUrlForAppealKey, withoutResourceSegment(getHttpUrl()));
}

void ServerUrlManger::setHttpUrl(const NSString& url)
{
    auto defaults = NSUserDefaults::standardUserDefaults();
    defaults->setObject(url, kHttpUrlKey);
    defaults->synchronize();
    setHttpUrlForVideoStud(url.isNil() ? url : withoutResourceSegment(url));
}

void ServerUrlManger::setHttpUrlForVideoStud(const NSString& url)
{
    auto defaults = NSUserDefaults::standardUserDefaults();
    defaults->setObject(url, kHttpUrlForVideoStudKey);
    defaults->synchronize();
}

void ServerUrlManger::setHttpUrlForPay(const NSString& url)
{
    auto defaults = NSUserDefaults::standardUserDefaults();
    defaults->setObject(url, kHttpUrlForPayKey);
    defaults->synchronize();
}

bool ServerUrlManger::networkIsValid()
{
    NSAssertMainThread();
    auto manager = sharedInstance();
    auto monitor = manager->m_reachabilitySource ? manager->m_reachabilitySource() : nullptr;
    if (!monitor || monitor->isReachable())
        return true;
    if (manager->m_networkUnavailableAlert)
        manager->m_networkUnavailableAlert("", "当前网络不可用，请检查网络连接", "确定");
    return false;
}

void ServerUrlManger::setReachabilitySource(ReachabilitySource source)
{
    m_reachabilitySource = std::move(source);
}

void ServerUrlManger::setNetworkUnavailableAlert(NetworkUnavailableAlert alert)
{
    m_networkUnavailableAlert = alert ? std::move(alert) : NetworkUnavailableAlert(showNetworkUnavailableAlert);
}
