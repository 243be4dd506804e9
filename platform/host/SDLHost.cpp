#include "platform/host/SDLHost.h"
#include "platform/host/DesktopNotifications.h"
#include "platform/graphics/CGBitmapContext.h"

#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/SystemClock.h"
#include "platform/layers/CATransaction.h"
#include "platform/uikit/OnScreenKeyboard.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIScrollView.h"

#include <SDL.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// The display libraries SDL loads (X11, D-Bus) keep allocations for the life of the process,
// some of them in libraries unloaded again at exit: the leak checker is not to count them.
struct DisplayLibraryAllocations {
#if defined(__SANITIZE_ADDRESS__)
    DisplayLibraryAllocations() { __lsan_disable(); }
    ~DisplayLibraryAllocations() { __lsan_enable(); }
#endif
};

} // namespace

struct SDLHost::Window {
    SDL_Window* window { nullptr };
    SDL_Renderer* renderer { nullptr };
    SDL_Texture* texture { nullptr };

    ~Window()
    {
        [[maybe_unused]] DisplayLibraryAllocations displayLibraries;
        if (texture)
            SDL_DestroyTexture(texture);
        if (renderer)
            SDL_DestroyRenderer(renderer);
        if (window)
            SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
};

std::shared_ptr<SDLHost> SDLHost::open(std::string* error)
{
    return create(error);
}

bool SDLHost::init(std::string* error)
{
    auto fail = [error](const std::string& reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (SystemClock::isManual())
        SystemClock::useRealClock();
    [[maybe_unused]] DisplayLibraryAllocations displayLibraries;
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return fail(std::string("no display: ") + SDL_GetError());
    m_window = std::make_shared<Window>();

    const CGSize points = UIScreen::mainScreen()->bounds().size;
    const CGFloat pixelScale = UIScreen::mainScreen()->scale();
    // Shrunk to fit a small desktop, keeping room for the title bar and panels.
    SDL_Rect usable { 0, 0, 0, 0 };
    m_windowScale = pixelScale;
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.h > 0) {
        const CGFloat fit = std::min((usable.h - 48) / points.height, usable.w / points.width);
        m_windowScale = std::clamp(fit, 0.5, pixelScale);
    }
    const int width = static_cast<int>(std::lround(points.width * m_windowScale));
    const int height = static_cast<int>(std::lround(points.height * m_windowScale));
    m_window->window = SDL_CreateWindow("Corvane", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
        SDL_WINDOW_ALLOW_HIGHDPI);
    if (!m_window->window)
        return fail(std::string("no window: ") + SDL_GetError());
    m_window->renderer = SDL_CreateRenderer(m_window->window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!m_window->renderer)
        m_window->renderer = SDL_CreateRenderer(m_window->window, -1, SDL_RENDERER_SOFTWARE);
    if (!m_window->renderer)
        return fail(std::string("no renderer: ") + SDL_GetError());
    m_window->texture = SDL_CreateTexture(m_window->renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
        static_cast<int>(points.width * pixelScale), static_cast<int>(points.height * pixelScale));
    if (!m_window->texture)
        return fail(std::string("no texture: ") + SDL_GetError());
    SDL_StartTextInput();

    // A fresh device, as the headless host makes.
    UIApplication::sharedApplication()->resetForTesting();
    OnScreenKeyboard::install();
    m_screen = ScreenDriver::create();
    m_statusBar = StatusBarOverlay::create();
    UIScreen::mainScreen()->layer()->addSublayer(m_statusBar->layer());
    std::weak_ptr<StatusBarOverlay> weakBar = m_statusBar;
    UIApplication::sharedApplication()->setStatusBarObserver([weakBar] {
        if (auto bar = weakBar.lock())
            bar->update();
    });
    m_notifications = DesktopNotificationSender::create();
    std::weak_ptr<DesktopNotificationSender> weakNotifications = m_notifications;
    UIApplication::sharedApplication()->setLocalNotificationPresenter(
        [weakNotifications](const std::shared_ptr<UILocalNotification>& notification) {
            if (auto notifications = weakNotifications.lock())
                notifications->post(*notification);
        });
    return true;
}

SDLHost::~SDLHost()
{
    UIApplication::sharedApplication()->setStatusBarObserver(nullptr);
    UIApplication::sharedApplication()->setLocalNotificationPresenter(nullptr);
    [[maybe_unused]] DisplayLibraryAllocations displayLibraries;
    if (m_window)
        SDL_StopTextInput();
}

uint32_t SDLHost::windowID() const { return m_window ? SDL_GetWindowID(m_window->window) : 0; }

bool SDLHost::launch(std::shared_ptr<UIApplicationDelegate> delegate, const std::shared_ptr<NSDictionary>& options)
{
    auto application = UIApplication::sharedApplication();
    application->adoptDelegate(std::move(delegate));
    return application->launch(options);
}

void SDLHost::quit() { m_quitting = true; }

int SDLHost::run()
{
    while (runOnce()) {
    }
    return 0;
}

bool SDLHost::runOnce()
{
    handleEvents();
    if (m_quitting)
        return false;
    auto loop = NSRunLoop::mainRunLoop();
    const NSTimeInterval now = SystemClock::monotonicNow();
    if (m_nextFrame <= 0 || m_nextFrame < now - ScreenDriver::frameInterval)
        m_nextFrame = now;
    // Serve the run loop until the refresh, waking for input it watches; SDL's own events wait
    // at most a frame.
    for (int turn = 0; turn < 1000; ++turn) {
        const NSTimeInterval wait = m_nextFrame - SystemClock::monotonicNow();
        if (wait <= 0)
            break;
        loop->runInMode(UIScrollView::mainRunLoopMode(), wait, true);
        if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT))
            break;
    }
    if (SystemClock::monotonicNow() >= m_nextFrame) {
        m_nextFrame += ScreenDriver::frameInterval;
        CATransaction::flush();
        const bool drew = m_screen->renderFrameIfNeeded();
        if (drew)
            ++m_framesDrawn;
        present(drew);
    }
    return !m_quitting;
}

void SDLHost::present(bool redraw)
{
    if (!redraw && !m_needsPresent)
        return;
    m_needsPresent = false;
    [[maybe_unused]] DisplayLibraryAllocations displayLibraries;
    if (redraw) {
        const CGContextRef& frame = m_screen->compositor()->bitmapContext();
        SDL_UpdateTexture(m_window->texture, nullptr, CGBitmapContextGetData(frame), int(CGBitmapContextGetBytesPerRow(frame)));
    }
    SDL_RenderClear(m_window->renderer);
    SDL_RenderCopy(m_window->renderer, m_window->texture, nullptr, nullptr);
    SDL_RenderPresent(m_window->renderer);
}

namespace {

std::optional<UIKeyboardKey> keyFor(SDL_Keycode code)
{
    switch (code) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return UIKeyboardKey::Return;
    case SDLK_BACKSPACE: return UIKeyboardKey::Backspace;
    case SDLK_TAB: return UIKeyboardKey::Tab;
    case SDLK_DELETE: return UIKeyboardKey::ForwardDelete;
    case SDLK_LEFT: return UIKeyboardKey::LeftArrow;
    case SDLK_RIGHT: return UIKeyboardKey::RightArrow;
    case SDLK_UP: return UIKeyboardKey::UpArrow;
    case SDLK_DOWN: return UIKeyboardKey::DownArrow;
    case SDLK_HOME: return UIKeyboardKey::Home;
    case SDLK_END: return UIKeyboardKey::End;
    default: return std::nullopt;
    }
}

UIKeyModifierFlags modifiersFor(Uint16 mod)
{
    NSInteger flags = 0;
    if (mod & KMOD_SHIFT)
        flags |= UIKeyModifierShift;
    if (mod & KMOD_CTRL)
        flags |= UIKeyModifierControl;
    if (mod & KMOD_ALT)
        flags |= UIKeyModifierAlternate;
    if (mod & KMOD_CAPS)
        flags |= UIKeyModifierAlphaShift;
    return static_cast<UIKeyModifierFlags>(flags);
}

} // namespace

void SDLHost::handleEvents()
{
    auto application = UIApplication::sharedApplication();
    SDL_Event event;
    auto poll = [&event] {
        [[maybe_unused]] DisplayLibraryAllocations displayLibraries;
        return SDL_PollEvent(&event) != 0;
    };
    while (poll()) {
        CATransaction::flush();
        const NSTimeInterval now = SystemClock::monotonicNow();
        switch (event.type) {
        case SDL_QUIT:
            application->terminate();
            m_quitting = true;
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                application->terminate();
                m_quitting = true;
            } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                m_needsPresent = true;
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT) {
                m_mouseDown = true;
                application->sendTouch(0, UITouchPhase::Began, { event.button.x / m_windowScale, event.button.y / m_windowScale }, now);
            }
            break;
        case SDL_MOUSEMOTION:
            if (m_mouseDown)
                application->sendTouch(0, UITouchPhase::Moved, { event.motion.x / m_windowScale, event.motion.y / m_windowScale }, now);
            break;
        case SDL_MOUSEBUTTONUP:
            if (event.button.button == SDL_BUTTON_LEFT && m_mouseDown) {
                m_mouseDown = false;
                application->sendTouch(0, UITouchPhase::Ended, { event.button.x / m_windowScale, event.button.y / m_windowScale }, now);
            }
            break;
        case SDL_TEXTINPUT:
            application->sendText(NSString(std::string(event.text.text)));
            break;
        case SDL_KEYDOWN:
            if (event.key.keysym.sym == SDLK_ESCAPE) {
                if (application->applicationState() == UIApplicationState::Background)
                    application->enterForeground();
                else
                    application->enterBackground();
                m_needsPresent = true;
            } else if (auto key = keyFor(event.key.keysym.sym)) {
                application->sendKey(*key, modifiersFor(event.key.keysym.mod));
            }
            break;
        default:
            break;
        }
    }
}
