#include "platform/host/SDLHost.h"

#include "platform/host/ApplicationTermination.h"
#include "platform/host/DesktopNotifications.h"
#include "platform/host/DesktopURLOpener.h"
#include "platform/host/SDLLibrary.h"
#include "platform/host/cairo/SDLHostCairo.h"
#include "platform/graphics/CGBitmapContext.h"
#include "platform/graphics/UIGraphics.h"

#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/SystemClock.h"
#include "platform/layers/CATransaction.h"
#include "platform/uikit/OnScreenKeyboard.h"
#include "platform/uikit/UIPasteboard.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIScrollView.h"


#include <algorithm>
#include <cmath>

// Clang names the address sanitizer through __has_feature only.
#if defined(__SANITIZE_ADDRESS__)
#define CORVANE_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CORVANE_LEAK_CHECKED 1
#endif
#endif

#if defined(CORVANE_LEAK_CHECKED)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// The display libraries SDL loads (X11, D-Bus) keep allocations for the life of the process,
// some of them in libraries unloaded again at exit: the leak checker is not to count them.
struct DisplayLibraryAllocations {
#if defined(CORVANE_LEAK_CHECKED)
    DisplayLibraryAllocations() { __lsan_disable(); }
    ~DisplayLibraryAllocations() { __lsan_enable(); }
#endif
};

// The window library, loaded before a window is first opened (SDLHost::init).
const SDLLibrary& sdl()
{
    std::string unused;
    return *SDLLibrary::shared(unused);
}

} // namespace

struct SDLHost::Window {
    SDL_Window* window { nullptr };
    SDL_Renderer* renderer { nullptr };
    SDL_Texture* texture { nullptr };

    ~Window()
    {
        [[maybe_unused]] DisplayLibraryAllocations displayLibraries;
        if (texture)
            sdl().DestroyTexture(texture);
        if (renderer)
            sdl().DestroyRenderer(renderer);
        if (window)
            sdl().DestroyWindow(window);
        sdl().QuitSubSystem(SDL_INIT_VIDEO);
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
    std::string missing;
    if (!SDLLibrary::shared(missing))
        return fail("no window: " + missing);
    sdl().SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    sdl().SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    if (sdl().InitSubSystem(SDL_INIT_VIDEO) != 0)
        return fail(std::string("no display: ") + sdl().GetError());
    m_window = std::make_shared<Window>();

    const CGSize points = UIScreen::mainScreen()->bounds().size;
    const CGFloat pixelScale = UIScreen::mainScreen()->scale();
    // Shrunk to fit a small desktop, keeping room for the title bar and panels. A dense display
    // (more dots an inch than the desktop's 96) shows the screen as large as an ordinary one
    // does, and the screen is drawn with as many more pixels, so that it stays sharp.
    SDL_Rect usable { 0, 0, 0, 0 };
    m_windowScale = pixelScale;
    float dotsPerInch = 0;
    const CGFloat density = sdl().GetDisplayDPI(0, &dotsPerInch, nullptr, nullptr) == 0 && dotsPerInch > 0
        ? std::max<CGFloat>(1, dotsPerInch / 96)
        : 1;
    if (sdl().GetDisplayUsableBounds(0, &usable) == 0 && usable.h > 0) {
        const CGFloat fit = std::min((usable.h - 48 * density) / points.height, usable.w / points.width);
        m_windowScale = std::clamp(fit, 0.5, pixelScale * std::min<CGFloat>(density, 2));
    }
    m_renderScale = m_windowScale > 3.25 ? 4 : m_windowScale > 2.25 ? 3 : pixelScale;
    UIGraphicsSetMainScreenScale(m_renderScale);
    const int width = static_cast<int>(std::lround(points.width * m_windowScale));
    const int height = static_cast<int>(std::lround(points.height * m_windowScale));
    m_window->window = sdl().CreateWindow("Corvane", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
        SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_RESIZABLE);
    if (!m_window->window)
        return fail(std::string("no window: ") + sdl().GetError());
    sdl().SetWindowMinimumSize(m_window->window, static_cast<int>(points.width / 2), static_cast<int>(points.height / 2));
    setWindowIcon();
    m_window->renderer = sdl().CreateRenderer(m_window->window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!m_window->renderer)
        m_window->renderer = sdl().CreateRenderer(m_window->window, -1, SDL_RENDERER_SOFTWARE);
    if (!m_window->renderer)
        return fail(std::string("no renderer: ") + sdl().GetError());
    m_window->texture = sdl().CreateTexture(m_window->renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
        static_cast<int>(points.width * m_renderScale), static_cast<int>(points.height * m_renderScale));
    if (!m_window->texture)
        return fail(std::string("no texture: ") + sdl().GetError());
    sdl().StartTextInput();
    layoutScreenInWindow();

    // A fresh device, as the headless host makes.
    UIApplication::sharedApplication()->resetForTesting();
    OnScreenKeyboard::install();
    m_screen = ScreenDriver::create(m_renderScale);
    m_statusBar = StatusBarOverlay::create();
    UIScreen::mainScreen()->layer()->addSublayer(m_statusBar->layer());
    std::weak_ptr<StatusBarOverlay> weakBar = m_statusBar;
    UIApplication::sharedApplication()->setStatusBarObserver([weakBar] {
        if (auto bar = weakBar.lock())
            bar->update();
    });
    UIPasteboard::generalPasteboard()->setSystemClipboard(
        [] {
            [[maybe_unused]] DisplayLibraryAllocations displayLibraries;
            if (!sdl().HasClipboardText())
                return NSString();
            char* text = sdl().GetClipboardText();
            NSString result = text ? NSString(std::string(text)) : NSString();
            sdl().free(text);
            return result;
        },
        [](const NSString& text) {
            [[maybe_unused]] DisplayLibraryAllocations displayLibraries;
            sdl().SetClipboardText(text.UTF8String().c_str());
        });
    m_notifications = DesktopNotificationSender::create();
    std::weak_ptr<DesktopNotificationSender> weakNotifications = m_notifications;
    UIApplication::sharedApplication()->setLocalNotificationPresenter(
        [weakNotifications](const std::shared_ptr<UILocalNotification>& notification) {
            if (auto notifications = weakNotifications.lock())
                notifications->post(*notification);
        });
    UIApplication::sharedApplication()->setSystemURLHandler(DesktopURLOpener::openURL);
    return true;
}

SDLHost::~SDLHost()
{
    UIGraphicsSetMainScreenScale(UIScreen::mainScreen()->scale());
    UIPasteboard::generalPasteboard()->setSystemClipboard(nullptr, nullptr);
    UIApplication::sharedApplication()->setStatusBarObserver(nullptr);
    UIApplication::sharedApplication()->setLocalNotificationPresenter(nullptr);
    UIApplication::sharedApplication()->setSystemURLHandler(nullptr);
    [[maybe_unused]] DisplayLibraryAllocations displayLibraries;
    if (m_window)
        sdl().StopTextInput();
}

uint32_t SDLHost::windowID() const { return m_window ? sdl().GetWindowID(m_window->window) : 0; }

bool SDLHost::launch(std::shared_ptr<UIApplicationDelegate> delegate, const std::shared_ptr<NSDictionary>& options)
{
    auto application = UIApplication::sharedApplication();
    application->adoptDelegate(std::move(delegate));
    m_launched = true;
    return application->launch(options);
}

void SDLHost::setWindowIcon()
{
    // Drawn by the project and rendered with the other pictures when the bundle is built.
    const NSString path = NSBundle::mainBundle()->pathForResource("AppIcon@2x", "png");
    if (path.isNil())
        return;
    auto picture = SDLHostCairo::readPNG(path.UTF8String());
    if (!picture)
        return;
    [[maybe_unused]] DisplayLibraryAllocations displayLibraries;
    if (SDL_Surface* icon = sdl().CreateRGBSurfaceFrom(picture->pixels.data(), picture->width, picture->height, 32, picture->width * 4,
            0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)) {
        sdl().SetWindowIcon(m_window->window, icon);
        sdl().FreeSurface(icon);
    }
}

void SDLHost::layoutScreenInWindow()
{
    int width = 0, height = 0;
    sdl().GetWindowSize(m_window->window, &width, &height);
    const CGSize points = UIScreen::mainScreen()->bounds().size;
    if (width <= 0 || height <= 0)
        return;
    m_windowScale = std::min(width / points.width, height / points.height);
    m_windowOrigin = { (width - points.width * m_windowScale) / 2, (height - points.height * m_windowScale) / 2 };
    m_needsPresent = true;
}

CGPoint SDLHost::windowPointForScreenPoint(CGPoint point) const
{
    return { m_windowOrigin.x + point.x * m_windowScale, m_windowOrigin.y + point.y * m_windowScale };
}

CGPoint SDLHost::screenPointForWindowPoint(CGPoint point) const
{
    return { (point.x - m_windowOrigin.x) / m_windowScale, (point.y - m_windowOrigin.y) / m_windowScale };
}

void SDLHost::quit() { m_quitting = true; }

int SDLHost::run()
{
    while (runOnce()) {
    }
    // A closed window: what the application still sends is waited for, briefly.
    if (UIApplication::sharedApplication()->isTerminated())
        ApplicationTermination::terminateAndWait();
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
        if (sdl().HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT))
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
        sdl().UpdateTexture(m_window->texture, nullptr, CGBitmapContextGetData(frame), int(CGBitmapContextGetBytesPerRow(frame)));
    }
    // The drawable may have more pixels than the window has units (a dense display).
    int windowWidth = 0, windowHeight = 0, pixelWidth = 0, pixelHeight = 0;
    sdl().GetWindowSize(m_window->window, &windowWidth, &windowHeight);
    sdl().GetRendererOutputSize(m_window->renderer, &pixelWidth, &pixelHeight);
    const CGFloat density = windowWidth > 0 ? CGFloat(pixelWidth) / windowWidth : 1;
    const CGSize points = UIScreen::mainScreen()->bounds().size;
    const SDL_Rect target { static_cast<int>(std::lround(m_windowOrigin.x * density)), static_cast<int>(std::lround(m_windowOrigin.y * density)),
        static_cast<int>(std::lround(points.width * m_windowScale * density)), static_cast<int>(std::lround(points.height * m_windowScale * density)) };
    sdl().SetRenderDrawColor(m_window->renderer, 0x20, 0x22, 0x25, 0xFF);
    sdl().RenderClear(m_window->renderer);
    sdl().RenderCopy(m_window->renderer, m_window->texture, nullptr, &target);
    sdl().RenderPresent(m_window->renderer);
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

// SDL counts the composition's cursor in characters; the text counts UTF-16 units.
NSUInteger utf16Index(const char* text, int characters)
{
    NSUInteger units = 0;
    for (const char* at = text; *at && characters > 0; --characters) {
        const auto lead = static_cast<unsigned char>(*at);
        const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        units += length == 4 ? 2 : 1;
        for (int byte = 0; byte < length && *at; ++byte)
            ++at;
    }
    return units;
}

} // namespace

void SDLHost::handleWindowEvent(uint8_t event)
{
    auto application = UIApplication::sharedApplication();
    switch (event) {
    case SDL_WINDOWEVENT_CLOSE:
        application->terminate();
        m_quitting = true;
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        m_needsPresent = true;
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESIZED:
        layoutScreenInWindow();
        break;
    // Only minimising counts: a window being mapped is briefly hidden and shown again.
    case SDL_WINDOWEVENT_MINIMIZED:
        if (m_launched)
            application->enterBackground();
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        if (m_launched && application->applicationState() == UIApplicationState::Background)
            application->enterForeground();
        m_needsPresent = true;
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        if (m_launched)
            application->resignActive();
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        if (m_launched && application->applicationState() == UIApplicationState::Inactive)
            application->becomeActive();
        break;
    default:
        break;
    }
}

void SDLHost::handleKey(int32_t key, uint16_t modifiers)
{
    auto application = UIApplication::sharedApplication();
    if ((modifiers & KMOD_CTRL) && !(modifiers & KMOD_ALT)) {
        switch (key) {
        case SDLK_x: application->sendEditingAction(UIEditingAction::Cut); return;
        case SDLK_c: application->sendEditingAction(UIEditingAction::Copy); return;
        case SDLK_v: application->sendEditingAction(UIEditingAction::Paste); return;
        case SDLK_a: application->sendEditingAction(UIEditingAction::SelectAll); return;
        default: break;
        }
    }
    if (key == SDLK_ESCAPE)
        application->sendKey(UIKeyboardKey::Escape, modifiersFor(modifiers));
    else if (auto mapped = keyFor(key))
        application->sendKey(*mapped, modifiersFor(modifiers));
}

// The input method's candidates go under the field being edited.
void SDLHost::placeInputMethodWindow()
{
    auto view = std::dynamic_pointer_cast<UIView>(UIApplication::sharedApplication()->firstResponder());
    if (!view || !view->window() || !std::dynamic_pointer_cast<UIKeyInput>(view))
        return;
    const CGRect bounds = view->bounds();
    const CGPoint topLeft = view->window()->convertPointToWindow(view->convertPointToView(bounds.origin, nullptr), nullptr);
    const CGPoint bottomRight = view->window()->convertPointToWindow(
        view->convertPointToView(CGPointMake(CGRectGetMaxX(bounds), CGRectGetMaxY(bounds)), nullptr), nullptr);
    const CGPoint from = windowPointForScreenPoint(topLeft);
    const CGPoint to = windowPointForScreenPoint(bottomRight);
    const CGRect rect = CGRectMake(std::round(from.x), std::round(from.y), std::round(to.x - from.x), std::round(to.y - from.y));
    if (CGRectEqualToRect(rect, m_inputMethodRect))
        return;
    m_inputMethodRect = rect;
    SDL_Rect area { int(rect.origin.x), int(rect.origin.y), int(rect.size.width), int(rect.size.height) };
    [[maybe_unused]] DisplayLibraryAllocations displayLibraries;
    sdl().SetTextInputRect(&area);
}

void SDLHost::handleEvents()
{
    auto application = UIApplication::sharedApplication();
    SDL_Event event;
    auto poll = [&event] {
        [[maybe_unused]] DisplayLibraryAllocations displayLibraries;
        return sdl().PollEvent(&event) != 0;
    };
    bool any = false;
    while (poll()) {
        any = true;
        CATransaction::flush();
        const NSTimeInterval now = SystemClock::monotonicNow();
        switch (event.type) {
        case SDL_QUIT:
            application->terminate();
            m_quitting = true;
            break;
        case SDL_WINDOWEVENT:
            handleWindowEvent(event.window.event);
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT) {
                m_mouseDown = true;
                application->sendTouch(0, UITouchPhase::Began, screenPointForWindowPoint(CGPointMake(event.button.x, event.button.y)), now);
            }
            break;
        case SDL_MOUSEMOTION:
            if (m_mouseDown)
                application->sendTouch(0, UITouchPhase::Moved, screenPointForWindowPoint(CGPointMake(event.motion.x, event.motion.y)), now);
            break;
        case SDL_MOUSEBUTTONUP:
            if (event.button.button == SDL_BUTTON_LEFT && m_mouseDown) {
                m_mouseDown = false;
                application->sendTouch(0, UITouchPhase::Ended, screenPointForWindowPoint(CGPointMake(event.button.x, event.button.y)), now);
            }
            break;
        case SDL_MOUSEWHEEL: {
            // Away from the user shows what lies above.
            const CGFloat flip = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1;
            const CGPoint notches { flip * event.wheel.preciseX, -flip * event.wheel.preciseY };
            const CGPoint point = screenPointForWindowPoint(CGPointMake(event.wheel.mouseX, event.wheel.mouseY));
            // A mouse wheel clicks in whole notches; a touchpad glides in fractions of one.
            if (notches.x == std::round(notches.x) && notches.y == std::round(notches.y))
                application->sendScrollWheelNotches(point, notches);
            else
                application->sendScrollWheel(point, CGPointMake(notches.x * wheelStep, notches.y * wheelStep));
            break;
        }
        case SDL_TEXTEDITING:
            application->sendMarkedText(NSString(std::string(event.edit.text)),
                NSMakeRange(utf16Index(event.edit.text, event.edit.start), 0));
            break;
        case SDL_TEXTINPUT:
            application->sendText(NSString(std::string(event.text.text)));
            break;
        case SDL_KEYDOWN:
            handleKey(event.key.keysym.sym, event.key.keysym.mod);
            break;
        default:
            break;
        }
    }
    if (any)
        placeInputMethodWindow();
}
