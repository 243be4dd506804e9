#pragma once
// The device in a desktop window: the 320 × 568-point screen drawn at two pixels a point, shown
// at that size when the desktop is tall enough and shrunk to fit otherwise. The window can be
// resized and maximised: the screen is scaled to fit with its aspect kept, bands beside or
// above it. The left mouse button is one finger; the wheel and the touchpad scroll what lies
// under the pointer, a notch of the wheel at a time (a picker turns a row a notch). SDL's text input is typed text, and an input method's composition shows
// in the field until it commits; Return, Backspace, Tab, Delete, Escape and the arrows are keys;
// Ctrl+X, C, V and A cut, copy, paste and select all, through the desktop's clipboard. A window
// on screen with the keyboard's focus is active; without the focus it is inactive; minimised, the
// application is in the background until the window is restored. The main run loop
// runs on the real clock between refreshes of the display, and a frame is drawn only when
// something changed. The status bar is drawn over the windows. Local notifications go to the
// desktop's notification service. Closing the window terminates the application.

#include "platform/host/ScreenDriver.h"
#include "platform/host/StatusBarOverlay.h"

#include <memory>
#include <string>

class DesktopNotificationSender;

class SDLHost : public NSObject {
    NS_OBJECT(SDLHost, NSObject)
public:
    ~SDLHost() override;

    // Nil, with the reason, when no window can be opened (no display).
    static std::shared_ptr<SDLHost> open(std::string* error = nullptr);

    bool launch(std::shared_ptr<UIApplicationDelegate> delegate, const std::shared_ptr<NSDictionary>& options = nullptr);
    // Turns until the window closes or quit() is called; answers the exit status.
    int run();
    // One turn: the waiting input, the run loop until the next refresh, a frame if one is due.
    // False once the host is quitting.
    bool runOnce();
    void quit();
    bool isQuitting() const { return m_quitting; }

    // Window units per screen point: 2 at full size, less when shrunk, more when enlarged.
    CGFloat windowScale() const { return m_windowScale; }
    // Pixels a point the screen is drawn with.
    CGFloat renderScale() const { return m_renderScale; }
    // Where the screen's top left corner is in the window, past the bands that keep its aspect.
    CGPoint windowOrigin() const { return m_windowOrigin; }
    // A point of the screen in the window's units, and back.
    CGPoint windowPointForScreenPoint(CGPoint point) const;
    CGPoint screenPointForWindowPoint(CGPoint point) const;
    // Points a notch of the mouse wheel scrolls.
    static constexpr CGFloat wheelStep = UIResponder::wheelNotch;
    uint32_t windowID() const;
    NSUInteger framesDrawn() const { return m_framesDrawn; }
    const std::shared_ptr<ScreenDriver>& screen() const { return m_screen; }

protected:
    bool init(std::string* error);

private:
    struct Window;
    void handleEvents();
    void handleWindowEvent(uint8_t event);
    void handleKey(int32_t key, uint16_t modifiers);
    void layoutScreenInWindow();
    void placeInputMethodWindow();
    void setWindowIcon();
    void present(bool redraw);

    std::shared_ptr<Window> m_window;
    std::shared_ptr<ScreenDriver> m_screen;
    std::shared_ptr<StatusBarOverlay> m_statusBar;
    // Where the application's local notifications go.
    std::shared_ptr<DesktopNotificationSender> m_notifications;
    CGFloat m_windowScale { 2 };
    // Pixels a point the screen is drawn with: the device's two, more on a dense display.
    CGFloat m_renderScale { 2 };
    CGPoint m_windowOrigin {};
    bool m_launched { false };
    bool m_quitting { false };
    // Where the input method's window was last put, in window units.
    CGRect m_inputMethodRect {};
    bool m_mouseDown { false };
    bool m_needsPresent { true };
    NSUInteger m_framesDrawn { 0 };
    NSTimeInterval m_nextFrame { 0 };
};
