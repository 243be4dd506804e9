#include "app/AppDelegate.h"

#include "app/screens/login/ViewController.h"
#include "app/services/ServerUrlManger.h"
#include "app/services/ServiceHosts.h"
#include "app/services/ServiceRoad.h"
#include "library/payment/OrbipaySDK.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "library/widgets/keyboard/KMKeyboardManager.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIScreen.h"

namespace {

void showAlert(const NSString& title, const NSString& message)
{
    UIAlertView::create(title, message, nullptr, NSString("确定"), std::vector<NSString> {})->show();
}

} // namespace

std::shared_ptr<AppDelegate> AppDelegate::shared()
{
    return std::dynamic_pointer_cast<AppDelegate>(UIApplication::sharedApplication()->delegate());
}

AppDelegate::~AppDelegate()
{
    if (m_reach)
        m_reach->stopNotifier();
}

NSString AppDelegate::probeHost() { return ServiceHosts::mainServiceHost(); }

std::optional<bool> AppDelegate::didFinishLaunchingWithOptions(UIApplication&, const std::shared_ptr<NSDictionary>&)
{
    m_window = UIWindow::create(UIScreen::mainScreen()->bounds());
    auto keyboard = KMKeyboardManager::sharedManager();
    keyboard->setEnable(true);
    keyboard->setKeyboardDistanceFromTextField(15.0);
    keyboard->setEnableAutoToolbar(true);
    keyboard->setShouldShowTextFieldPlaceholder(true);
    // At a desktop a click beside the fields puts the keyboard away.
    keyboard->setShouldResignOnTouchOutside(true);
    networkIsConnected();
    auto center = NSNotificationCenter::defaultCenter();
    auto protectedSelf = self();
    center->addObserver(protectedSelf, &AppDelegate::reLogin, NSString(kCorvaneRestartNotification), nullptr);

    auto navigation = CustomNavigationController::create(ViewController::create());
    m_window->setRootViewController(navigation);
    m_window->setBackgroundColor(UIColor::whiteColor());
    m_window->makeKeyAndVisible();
    if (auto url = m_urlAfterLaunch.length() ? NSURL::URLWithString(m_urlAfterLaunch) : nullptr)
        UIApplication::sharedApplication()->handleIncomingURL(url, "command line");
    return true;
}

void AppDelegate::networkIsConnected()
{
    NSLog("-- probing the network through %@", probeHost());
    m_reach = Reachability::reachabilityWithHostName(probeHost());
    if (!m_reach)
        return;
    NSLog("-- current status: %@", m_reach->currentReachabilityString());
    auto protectedSelf = self();
    NSNotificationCenter::defaultCenter()->addObserver(protectedSelf, &AppDelegate::reachabilityChanged,
        NSString(kReachabilityChangedNotification), nullptr);
    std::weak_ptr<AppDelegate> weakSelf = protectedSelf;
    ServerUrlManger::sharedInstance()->setReachabilitySource([weakSelf]() -> std::shared_ptr<Reachability> {
        auto protectedSelf = weakSelf.lock();
        return protectedSelf ? protectedSelf->reach() : nullptr;
    });
    m_reach->startNotifier();
}

void AppDelegate::reachabilityChanged(const std::shared_ptr<NSNotification>& notification)
{
    auto reach = std::dynamic_pointer_cast<Reachability>(notification->object());
    if (!reach)
        return;
    if (reach->isReachable()) {
        NSLog("网络可用");
        NSLog(reach->isReachableViaWiFi() ? "当前通过wifi连接" : "wifi未开启，不能用");
        NSLog(reach->isReachableViaWWAN() ? "当前通过2g or 3g连接" : "2g or 3g网络未使用");
    } else {
        NSLog("网络不可用");
        showAlert("", "当前网络不可用，请检查网络连接");
    }
}

void AppDelegate::reLogin(const std::shared_ptr<NSNotification>& notification)
{
    STProgressHUD::dismiss();
    const id& object = notification->object();
    const bool timedOut = !ns::isNilOrNull(object) && ns::intValue(object) == -3;
    showAlert("", timedOut ? "长时间未操作，请重新登录！" : "您的账户从其他地方登录，请重新登录！");
    backToLogin();
}

void AppDelegate::backToLogin()
{
    if (auto navigation = navigationController())
        navigation->popToRootViewControllerAnimated(false);
}

std::shared_ptr<CustomNavigationController> AppDelegate::navigationController() const
{
    return m_window ? std::dynamic_pointer_cast<CustomNavigationController>(m_window->rootViewController()) : nullptr;
}

void AppDelegate::applicationDidEnterBackground(UIApplication&)
{
    if (m_reach)
        m_reach->stopNotifier();
    m_toBackDate = NSDate::date();
}

void AppDelegate::applicationWillEnterForeground(UIApplication&)
{
    if (m_reach)
        m_reach->startNotifier();
}

void AppDelegate::applicationDidBecomeActive(UIApplication&)
{
    if (!m_toBackDate)
        return;
    const NSTimeInterval away = NSDate::date()->timeIntervalSinceReferenceDate() - m_toBackDate->timeIntervalSinceReferenceDate();
    if (away > kBackgroundTimeout) {
        NSLog("=====time out====%f", away);
        // Used once: a later activation without a new trip to the background stays put.
        m_toBackDate = nullptr;
        backToLogin();
    }
}

void AppDelegate::applicationWillTerminate(UIApplication&)
{
    auto center = NSNotificationCenter::defaultCenter();
    center->removeObserver(self(), NSString(kReachabilityChangedNotification), nullptr);
    center->removeObserver(self(), NSString(kCorvaneRestartNotification), nullptr);
}

std::optional<bool> AppDelegate::openURL(UIApplication&, const std::shared_ptr<NSURL>& url, const NSString&, const id&)
{
    if (!url)
        return true;
    NSLog("paymentResult_url=%@", url->absoluteString());
    NSLog("pay host=%@", url->host());
    // The wallet comes back through the client's own scheme only; any other URL handed in with
    // a payment host is somebody's imitation of a result.
    if (url->scheme().caseInsensitiveCompare(kPaymentURLScheme) != NSOrderedSame)
        return true;
    std::weak_ptr<AppDelegate> weakSelf = self();
    auto callback = [weakSelf](const std::shared_ptr<NSDictionary>& result) {
        NSLog("result = %@", result ? result->description() : NSString());
        if (auto protectedSelf = weakSelf.lock())
            protectedSelf->payResult(result);
    };
    if (url->host().isEqualToString("payresult"))
        OrbipaySDK::defaultService()->processOrderWithPaymentResult(url, callback);
    if (url->host().isEqualToString("authresult"))
        OrbipaySDK::defaultService()->processAuthResult(url, callback);
    return true;
}

void AppDelegate::payResult(const std::shared_ptr<NSDictionary>& result)
{
    if (ns::intForKey(result, "resultStatus") == 9000)
        showAlert("提示", "充值成功");
    else
        showAlert("提示", ns::stringForKey(result, "memo"));
}
