#pragma once
// The device in a desktop window: the 320 × 568-point screen drawn at two pixels a point, shown
// at that size when the desktop is tall enough and shrunk to fit otherwise. The left mouse button
// is one finger; SDL's text input is typed text, so input methods work and their committed text
// arrives whole; Return, Backspace, Tab, Delete and the arrows are keys; Escape sends the
// application to the background and brings it back. The main run loop runs on the real clock
// between refreshes of the display, and a frame is drawn only when something changed. The
// status bar is drawn over the windows. Local notifications go to the desktop's notification
// service. Closing the window terminates the application.

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

    // Window pixels per screen point: 2 at full size, less when shrunk.
    CGFloat windowScale() const { return m_windowScale; }
    uint32_t windowID() const;
    NSUInteger framesDrawn() const { return m_framesDrawn; }
    const std::shared_ptr<ScreenDriver>& screen() const { return m_screen; }

protected:
    bool init(std::string* error);

private:
    struct Window;
    void handleEvents();
    void present(bool redraw);

    std::shared_ptr<Window> m_window;
    std::shared_ptr<ScreenDriver> m_screen;
    std::shared_ptr<StatusBarOverlay> m_statusBar;
    // Where the application's local notifications go.
    std::shared_ptr<DesktopNotificationSender> m_notifications;
    CGFloat m_windowScale { 2 };
    bool m_quitting { false };
    bool m_mouseDown { false };
    bool m_needsPresent { true };
    NSUInteger m_framesDrawn { 0 };
    NSTimeInterval m_nextFrame { 0 };
};
