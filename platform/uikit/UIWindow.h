#pragma once
// Windows: the roots of view trees that the screen shows, stacked by level (normal below
// status-bar below alert). A window shows once made visible; the key window gets typed text.
// A window delivers the touches that landed in it through its gesture environment.

#include "platform/uikit/UIView.h"

class UIGestureEnvironment;

using UIWindowLevel = CGFloat;
inline constexpr UIWindowLevel UIWindowLevelNormal = 0;
inline constexpr UIWindowLevel UIWindowLevelStatusBar = 1000;
inline constexpr UIWindowLevel UIWindowLevelAlert = 2000;

inline constexpr const char* UIWindowDidBecomeVisibleNotification = "UIWindowDidBecomeVisibleNotification";
inline constexpr const char* UIWindowDidBecomeHiddenNotification = "UIWindowDidBecomeHiddenNotification";
inline constexpr const char* UIWindowDidBecomeKeyNotification = "UIWindowDidBecomeKeyNotification";
inline constexpr const char* UIWindowDidResignKeyNotification = "UIWindowDidResignKeyNotification";

class UIWindow : public UIView {
    NS_OBJECT(UIWindow, UIView)
public:
    ~UIWindow() override;

    UIWindowLevel windowLevel() const { return m_windowLevel; }
    void setWindowLevel(UIWindowLevel level);
    bool isKeyWindow() const;
    void makeKeyWindow();
    void makeKeyAndVisible();
    void setHidden(bool hidden) override;
    virtual void becomeKeyWindow() { }
    virtual void resignKeyWindow() { }

    // Setting it puts the controller's view in the window, sized to it.
    const std::shared_ptr<UIViewController>& rootViewController() const { return m_rootViewController; }
    void setRootViewController(const std::shared_ptr<UIViewController>& controller);

    void sendEvent(const UIEventRef& event);
    const std::shared_ptr<UIGestureEnvironment>& gestureEnvironment() const { return m_gestureEnvironment; }

    // Point conversion between windows goes through the screen.
    CGPoint convertPointToWindow(CGPoint point, const std::shared_ptr<UIWindow>& window) const;
    CGPoint convertPointFromWindow(CGPoint point, const std::shared_ptr<UIWindow>& window) const;

    // The first responder of this window.
    std::shared_ptr<UIResponder> firstResponder() const { return m_firstResponder.lock(); }
    // For responders: the bookkeeping, without asking anyone.
    void setFirstResponder(const std::shared_ptr<UIResponder>& responder) { m_firstResponder = responder; }
    bool isTransferringFirstResponder() const { return m_transferring; }
    void setTransferringFirstResponder(bool transferring) { m_transferring = transferring; }
    // Forgets the first responder whether it wants to go or not, telling the keyboard.
    void dropFirstResponder();

    std::shared_ptr<UIResponder> nextResponder() const override;
    std::shared_ptr<UIWindow> responderWindow() const override;

protected:
    void init(CGRect frame) override;

private:
    UIWindowLevel m_windowLevel { UIWindowLevelNormal };
    std::shared_ptr<UIViewController> m_rootViewController;
    std::weak_ptr<UIResponder> m_firstResponder;
    bool m_transferring { false };
    std::shared_ptr<UIGestureEnvironment> m_gestureEnvironment;
};

using UIWindowRef = std::shared_ptr<UIWindow>;
