#pragma once
// The application delegate: the window with the navigation stack over the login screen, the
// reachability monitor, the session records, the way back to the login screen when a service
// says the session is gone or after half an hour in the background, and the payment call-back.

#include "app/screens/base/CustomNavigationController.h"
#include "app/session/User.h"
#include "app/session/VideoStUser.h"
#include "library/network/reachability/Reachability.h"
#include "platform/uikit/UIApplication.h"

class AppDelegate : public UIResponder, public UIApplicationDelegate {
    NS_OBJECT(AppDelegate, UIResponder)
public:
    static constexpr NSTimeInterval kBackgroundTimeout = 1800;
    static constexpr const char* kPaymentURLScheme = "corvaneOrbipayCallback";

    // The running application's delegate, through which screens reach the session records; nil
    // while the application has none (or one of another kind, as in a test of a lone screen).
    static std::shared_ptr<AppDelegate> shared();

    // A running monitor keeps itself alive through its notifier; it stops with the delegate.
    ~AppDelegate() override;

    std::optional<bool> didFinishLaunchingWithOptions(UIApplication&, const std::shared_ptr<NSDictionary>&) override;
    void applicationWillResignActive(UIApplication&) override { }
    void applicationDidEnterBackground(UIApplication&) override;
    void applicationWillEnterForeground(UIApplication&) override;
    void applicationDidBecomeActive(UIApplication&) override;
    void applicationWillTerminate(UIApplication&) override;
    std::optional<bool> openURL(UIApplication&, const std::shared_ptr<NSURL>& url, const NSString& sourceApplication,
        const id& annotation) override;

    void networkIsConnected();
    void reachabilityChanged(const std::shared_ptr<NSNotification>& notification);
    void reLogin(const std::shared_ptr<NSNotification>& notification);
    void payResult(const std::shared_ptr<NSDictionary>& result);

    std::shared_ptr<UIWindow> window() const override { return m_window; }
    const std::shared_ptr<Reachability>& reach() const { return m_reach; }
    const std::shared_ptr<User>& user() const { return m_user; }
    void setUser(const std::shared_ptr<User>& user) { m_user = user; }
    const std::shared_ptr<VideoStUser>& videoStUser() const { return m_videoStUser; }
    void setVideoStUser(const std::shared_ptr<VideoStUser>& user) { m_videoStUser = user; }
    std::shared_ptr<CustomNavigationController> navigationController() const;

    // A URL handed over at start (the command line's --open-url), opened once launching is done.
    void setURLToOpenAfterLaunch(const NSString& url) { m_urlAfterLaunch = url; }

    // The probe host of the reachability monitor; the services' host by default.
    static NSString probeHost();

private:
    void backToLogin();

    std::shared_ptr<UIWindow> m_window;
    std::shared_ptr<Reachability> m_reach;
    std::shared_ptr<User> m_user;
    std::shared_ptr<VideoStUser> m_videoStUser;
    std::shared_ptr<NSDate> m_toBackDate;
    NSString m_urlAfterLaunch;
};
