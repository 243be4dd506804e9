#pragma once
// The device without a display, for tests and screenshots: the manual clock, the main run loop
// turned by hand, scripted touches and typing, and pictures and text of what the screen shows.
//
//     auto host = HeadlessHost::create();
//     host->showRootViewController(LoginViewController::create());
//     host->tap(host->findViewWithText("登录"));
//     host->typeText("科目一");
//     host->runUntilIdle();
//     EXPECT_NE(host->viewTree().find("欢迎"), npos);
//
// Creating a host resets the shared application, so each test starts from a fresh device.

#include "platform/host/ScreenDriver.h"
#include "platform/uikit/UILocalNotification.h"
#include "platform/uikit/UIViewController.h"

#include <functional>
#include <vector>

enum class UISwipeDirectionHint { Right, Left, Up, Down };

class HeadlessHost : public NSObject {
    NS_OBJECT(HeadlessHost, NSObject)
public:
    ~HeadlessHost() override;

    // Launches the application with the delegate, which the application keeps.
    bool launch(std::shared_ptr<UIApplicationDelegate> delegate, const std::shared_ptr<NSDictionary>& options = nullptr);
    // A key window on the whole screen with the controller at its root; the application is
    // launched (and active) if it was not.
    std::shared_ptr<UIWindow> showRootViewController(const std::shared_ptr<UIViewController>& controller);
    std::shared_ptr<UIWindow> keyWindow() const;

    // Touches, in screen points. Each waits between its steps on the clock, then lets the run
    // loop handle what was posted. Tapping a view aims at its centre and answers whether the
    // view (or one inside it) was what the finger hit.
    bool tap(CGPoint point);
    bool tap(const std::shared_ptr<UIView>& view);
    void longPress(CGPoint point, NSTimeInterval duration = 1.0);
    // Moves in steps of a frame from one point to the other over the duration, then lifts.
    void drag(CGPoint from, CGPoint to, NSTimeInterval duration = 0.3);
    // A quick flick of 150 points from the point in the direction.
    void swipe(CGPoint from, UISwipeDirectionHint direction);
    // Fingers one by one, for gestures of several fingers or held touches.
    void touchDown(CGPoint point, NSUInteger finger = 0);
    void touchMove(CGPoint point, NSUInteger finger = 0);
    void touchUp(CGPoint point, NSUInteger finger = 0);
    void touchCancel(NSUInteger finger = 0);

    // Keyboard: committed text (an input method's result arrives whole) and keys.
    bool typeText(const NSString& text);
    bool pressReturn();
    bool pressKey(UIKeyboardKey key, UIKeyModifierFlags modifiers = UIKeyModifierNone);
    // The desktop's shortcuts for cut, copy, paste and select all.
    bool performEditingAction(UIEditingAction action);
    // An input method's composition, as the window host hands it on (empty text ends it); its
    // commit arrives as typeText.
    bool compose(const NSString& text, NSRange selectedRange);
    bool compose(const NSString& text) { return compose(text, NSMakeRange(text.length(), 0)); }
    // The mouse wheel or touchpad over a point: the content moves by the delta (positive y shows
    // what lies further down).
    bool scrollWheel(CGPoint point, CGPoint delta);
    // Clicks of a mouse wheel over a point (positive y: towards the user).
    bool scrollWheelNotches(CGPoint point, CGPoint notches);

    // Time: moves the clock, firing what falls due and drawing frames while something moves.
    void advance(NSTimeInterval seconds);
    // Runs until nothing is posted, nothing moves on screen and no timer falls due within half a
    // second, for at most the limit; answers whether it got there.
    bool runUntilIdle(NSTimeInterval limit = 10);
    // Handles what is posted to the main run loop, without moving the clock.
    void drainRunLoop();

    // Life cycle.
    void sendToBackground();
    void bringToForeground();
    // The local notifications the application presented, oldest first.
    const std::vector<std::shared_ptr<UILocalNotification>>& presentedLocalNotifications() const
    {
        return m_presentedLocalNotifications;
    }

    // What the screen shows.
    const std::shared_ptr<ScreenDriver>& screen() const { return m_screen; }
    std::array<uint8_t, 4> pixelAt(CGPoint point);
    bool writePNG(const NSString& path);
    bool writePNG(const std::shared_ptr<UIView>& view, const NSString& path);
    // The key window's view tree (or the view's) as text.
    std::string viewTree(const std::shared_ptr<UIView>& root = nullptr) const;
    // The first view, depth first over the visible windows from the top, whose visibleText is
    // the text; nil when none.
    std::shared_ptr<UIView> findViewWithText(const NSString& text) const;
    std::shared_ptr<UIView> findView(const std::function<bool(UIView&)>& matches) const;

    // The touch timestamps: the manual clock's monotonic time.
    static NSTimeInterval now();

protected:
    void init();

private:
    void send(NSUInteger finger, UITouchPhase phase, CGPoint point);

    std::shared_ptr<ScreenDriver> m_screen;
    std::shared_ptr<UIWindow> m_window;
    std::vector<std::shared_ptr<UILocalNotification>> m_presentedLocalNotifications;
};
