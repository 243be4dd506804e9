#pragma once
// The running application: its delegate and life cycle, its windows by level and the key
// window, the status bar, URLs, background tasks, and the entry of the host's input (touches by
// finger, typed text and keys). One shared object, made on first use.

#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSTimer.h"
#include "platform/net/NSURL.h"
#include "platform/uikit/UIKeyboardController.h"
#include "platform/uikit/UILocalNotification.h"
#include "platform/uikit/UIWindow.h"

#include <functional>
#include <map>
#include <optional>

class UIApplication;

enum class UIApplicationState : NSInteger {
    Active = 0,
    Inactive = 1,
    Background = 2,
};

enum class UIStatusBarStyle : NSInteger {
    Default = 0,
    LightContent = 1,
};

enum class UIStatusBarAnimation : NSInteger {
    None = 0,
    Fade = 1,
    Slide = 2,
};

enum class UIInterfaceOrientation : NSInteger {
    Unknown = 0,
    Portrait = 1,
    PortraitUpsideDown = 2,
    LandscapeLeft = 4,
    LandscapeRight = 3,
};

enum UIInterfaceOrientationMask : NSUInteger {
    UIInterfaceOrientationMaskPortrait = 1 << 1,
    UIInterfaceOrientationMaskPortraitUpsideDown = 1 << 2,
    UIInterfaceOrientationMaskLandscapeRight = 1 << 3,
    UIInterfaceOrientationMaskLandscapeLeft = 1 << 4,
    UIInterfaceOrientationMaskLandscape = (1 << 3) | (1 << 4),
    UIInterfaceOrientationMaskAll = (1 << 1) | (1 << 2) | (1 << 3) | (1 << 4),
    UIInterfaceOrientationMaskAllButUpsideDown = (1 << 1) | (1 << 3) | (1 << 4),
};

using UIBackgroundTaskIdentifier = NSUInteger;
inline constexpr UIBackgroundTaskIdentifier UIBackgroundTaskInvalid = 0;

inline constexpr const char* UIApplicationDidFinishLaunchingNotification = "UIApplicationDidFinishLaunchingNotification";
inline constexpr const char* UIApplicationDidBecomeActiveNotification = "UIApplicationDidBecomeActiveNotification";
inline constexpr const char* UIApplicationWillResignActiveNotification = "UIApplicationWillResignActiveNotification";
inline constexpr const char* UIApplicationDidEnterBackgroundNotification = "UIApplicationDidEnterBackgroundNotification";
inline constexpr const char* UIApplicationWillEnterForegroundNotification = "UIApplicationWillEnterForegroundNotification";
inline constexpr const char* UIApplicationWillTerminateNotification = "UIApplicationWillTerminateNotification";
inline constexpr const char* UIApplicationDidReceiveMemoryWarningNotification = "UIApplicationDidReceiveMemoryWarningNotification";
inline constexpr const char* UIApplicationWillChangeStatusBarOrientationNotification = "UIApplicationWillChangeStatusBarOrientationNotification";
inline constexpr const char* UIApplicationDidChangeStatusBarOrientationNotification = "UIApplicationDidChangeStatusBarOrientationNotification";
inline constexpr const char* UIApplicationStatusBarOrientationUserInfoKey = "UIApplicationStatusBarOrientationUserInfoKey";
inline constexpr const char* UIApplicationLaunchOptionsURLKey = "UIApplicationLaunchOptionsURLKey";
inline constexpr const char* UIApplicationLaunchOptionsSourceApplicationKey = "UIApplicationLaunchOptionsSourceApplicationKey";

// Every operation is optional.
class UIApplicationDelegate {
public:
    virtual ~UIApplicationDelegate() = default;
    virtual std::optional<bool> willFinishLaunchingWithOptions(UIApplication&, const std::shared_ptr<NSDictionary>&)
    {
        return std::nullopt;
    }
    virtual std::optional<bool> didFinishLaunchingWithOptions(UIApplication&, const std::shared_ptr<NSDictionary>&)
    {
        return std::nullopt;
    }
    virtual void applicationDidBecomeActive(UIApplication&) { }
    virtual void applicationWillResignActive(UIApplication&) { }
    virtual void applicationDidEnterBackground(UIApplication&) { }
    virtual void applicationWillEnterForeground(UIApplication&) { }
    virtual void applicationWillTerminate(UIApplication&) { }
    virtual void applicationDidReceiveMemoryWarning(UIApplication&) { }
    virtual std::optional<bool> openURL(UIApplication&, const std::shared_ptr<NSURL>&, const NSString& sourceApplication,
        const id& annotation)
    {
        (void)sourceApplication;
        (void)annotation;
        return std::nullopt;
    }
    virtual std::optional<bool> handleOpenURL(UIApplication&, const std::shared_ptr<NSURL>&) { return std::nullopt; }
    // The delegate's window property, which the platform reads.
    virtual std::shared_ptr<UIWindow> window() const { return nullptr; }
};

class UIApplication : public UIResponder {
    NS_OBJECT(UIApplication, UIResponder)
public:
    static const std::shared_ptr<UIApplication>& sharedApplication();

    std::shared_ptr<UIApplicationDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<UIApplicationDelegate>& delegate) { m_delegate = delegate; }
    // The delegate UIApplicationMain made, which the application keeps for the process.
    void adoptDelegate(std::shared_ptr<UIApplicationDelegate> delegate);

    UIApplicationState applicationState() const { return m_state; }

    // Windows.
    std::shared_ptr<UIWindow> keyWindow() const { return m_keyWindow.lock(); }
    // The visible windows, lowest level first, in the order they were shown within a level.
    std::vector<std::shared_ptr<UIWindow>> windows() const { return m_windows; }

    // Status bar.
    UIStatusBarStyle statusBarStyle() const { return m_statusBarStyle; }
    void setStatusBarStyle(UIStatusBarStyle style, bool animated = false);
    bool isStatusBarHidden() const { return m_statusBarHidden; }
    void setStatusBarHidden(bool hidden, UIStatusBarAnimation animation = UIStatusBarAnimation::None);
    // 20 points high at the top; empty while hidden.
    CGRect statusBarFrame() const;
    UIInterfaceOrientation statusBarOrientation() const { return UIInterfaceOrientation::Portrait; }
    bool isNetworkActivityIndicatorVisible() const { return m_networkActivityIndicatorVisible; }
    void setNetworkActivityIndicatorVisible(bool visible);
    // Tells the host to draw the status bar again.
    void setStatusBarObserver(std::function<void()> observer) { m_statusBarObserver = std::move(observer); }

    // URLs: the application's own schemes (from the bundle's URL types) come back to the
    // delegate on the next turn of the run loop; others go to the host's handler, and when it
    // cannot start, the user is told so (URLOpenFailureAlert).
    bool canOpenURL(const std::shared_ptr<NSURL>& url) const;
    bool openURL(const std::shared_ptr<NSURL>& url);
    void setSystemURLHandler(std::function<bool(const std::shared_ptr<NSURL>&)> handler) { m_systemURLHandler = std::move(handler); }
    // A URL opened by another program: to the delegate with its source.
    bool handleIncomingURL(const std::shared_ptr<NSURL>& url, const NSString& sourceApplication);

    // Local notifications: a copy goes to the host's presenter at once; without a host, nowhere.
    void presentLocalNotificationNow(const std::shared_ptr<UILocalNotification>& notification);
    using LocalNotificationPresenter = std::function<void(const std::shared_ptr<UILocalNotification>&)>;
    void setLocalNotificationPresenter(LocalNotificationPresenter presenter) { m_localNotificationPresenter = std::move(presenter); }

    // Interaction.
    void beginIgnoringInteractionEvents() { ++m_ignoringInteraction; }
    void endIgnoringInteractionEvents();
    bool isIgnoringInteractionEvents() const { return m_ignoringInteraction > 0; }

    // Background tasks: in the background each has until the time runs out (180 s), when its
    // expiration handler runs on the main thread; ending it early releases it. Beginning and
    // ending are safe on any thread, as on the platform.
    UIBackgroundTaskIdentifier beginBackgroundTaskWithExpirationHandler(std::function<void()> handler);
    void endBackgroundTask(UIBackgroundTaskIdentifier identifier);
    NSTimeInterval backgroundTimeRemaining() const;
    NSUInteger backgroundTaskCount() const;
    static constexpr NSTimeInterval backgroundTimeAllowed = 180;

    // The life cycle, driven by the host.
    bool launch(const std::shared_ptr<NSDictionary>& options = nullptr);
    void enterBackground();
    void enterForeground();
    // An interruption that leaves the application on screen (an alert of the system, a call).
    void resignActive();
    void becomeActive();
    void terminate();
    void receiveMemoryWarning();
    bool isTerminated() const { return m_terminated; }

    // Input from the host. A finger is known by its number from touch-down to lift-off; the
    // point is in screen coordinates.
    void sendTouch(NSUInteger finger, UITouchPhase phase, CGPoint point, NSTimeInterval timestamp);
    void sendEvent(const UIEventRef& event);
    // To the key window's first responder; false when nobody took it. A key its chain leaves goes
    // to the key window's panels, lists and screens (UnclaimedKeyRouting).
    bool sendText(const NSString& text);
    bool sendKey(UIKeyboardKey key, UIKeyModifierFlags modifiers = UIKeyModifierNone);
    // An input method's composition for the first responder (empty text ends it).
    bool sendMarkedText(const NSString& text, NSRange selectedRange);
    bool sendEditingAction(UIEditingAction action);
    // The wheel over a point of the screen: to the view under it, up its responder chain.
    bool sendScrollWheel(CGPoint point, CGPoint delta);
    // Whole notches of a mouse wheel over a point.
    bool sendScrollWheelNotches(CGPoint point, CGPoint notches);
    // The first responder of the key window.
    std::shared_ptr<UIResponder> firstResponder() const;

    // The keyboard.
    std::shared_ptr<UIKeyboardController> keyboardController() const { return m_keyboardController; }
    void setKeyboardController(std::shared_ptr<UIKeyboardController> controller) { m_keyboardController = std::move(controller); }
    void firstResponderDidChange(const UIResponderRef& previous, const UIResponderRef& current);

    // For windows.
    void windowDidChangeVisibility(const std::shared_ptr<UIWindow>& window);
    void windowDidChangeLevel(const std::shared_ptr<UIWindow>& window);
    void makeWindowKey(const std::shared_ptr<UIWindow>& window);
    void windowWillGoAway(UIWindow& window);

    // Puts the application back as it was made, for tests.
    void resetForTesting();

private:
    std::shared_ptr<UIView> wheelTarget(CGPoint point) const;
    bool sendKeyToResponders(const std::shared_ptr<UIResponder>& responder, const std::shared_ptr<UIWindow>& window,
        UIKeyboardKey key, UIKeyModifierFlags modifiers);

    struct BackgroundTask {
        std::function<void()> expirationHandler;
    };
    struct ActiveTouch {
        UITouchRef touch;
    };

    void setState(UIApplicationState state) { m_state = state; }
    void post(const char* name, const std::shared_ptr<NSDictionary>& userInfo = nullptr);
    void startBackgroundClock();
    void stopBackgroundClock();
    void expireBackgroundTasks();
    void statusBarDidChange();
    std::vector<NSString> ownURLSchemes() const;
    void placeWindowLayers();

    std::weak_ptr<UIApplicationDelegate> m_delegate;
    std::shared_ptr<UIApplicationDelegate> m_ownedDelegate;
    UIApplicationState m_state { UIApplicationState::Inactive };
    bool m_launched { false };
    bool m_terminated { false };
    std::vector<std::shared_ptr<UIWindow>> m_windows;
    std::weak_ptr<UIWindow> m_keyWindow;
    UIStatusBarStyle m_statusBarStyle { UIStatusBarStyle::Default };
    bool m_statusBarHidden { false };
    bool m_networkActivityIndicatorVisible { false };
    std::function<void()> m_statusBarObserver;
    std::function<bool(const std::shared_ptr<NSURL>&)> m_systemURLHandler;
    LocalNotificationPresenter m_localNotificationPresenter;
    NSInteger m_ignoringInteraction { 0 };
    // Background tasks are begun and ended from any thread.
    mutable Mutex m_backgroundMutex;
    std::map<UIBackgroundTaskIdentifier, BackgroundTask> m_backgroundTasks GUARDED_BY(m_backgroundMutex);
    UIBackgroundTaskIdentifier m_nextBackgroundTask GUARDED_BY(m_backgroundMutex) { 1 };
    std::shared_ptr<NSTimer> m_backgroundTimer;
    NSTimeInterval m_backgroundDeadline GUARDED_BY(m_backgroundMutex) { 0 };
    std::map<NSUInteger, UITouchRef> m_touches;
    // Touches that began while interaction was ignored, dropped until they lift.
    std::vector<NSUInteger> m_droppedFingers;
    NSTimeInterval m_lastTapTime { -1 };
    CGPoint m_lastTapPoint;
    NSUInteger m_lastTapCount { 0 };
    std::weak_ptr<UIView> m_lastTapView;
    std::shared_ptr<UIKeyboardController> m_keyboardController;
};

using UIApplicationRef = std::shared_ptr<UIApplication>;
