#include "platform/host/HeadlessHost.h"

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/SystemClock.h"
#include "platform/layers/CATransaction.h"
#include "platform/uikit/OnScreenKeyboard.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIScrollView.h"

#include <cmath>

HeadlessHost::~HeadlessHost()
{
    if (m_window)
        m_window->setHidden(true);
}

void HeadlessHost::init()
{
    // Once manual, the clock stays where it is: setting it again would move the date back to
    // the real time, behind timers already scheduled.
    if (!SystemClock::isManual())
        SystemClock::useManualClock();
    UIApplication::sharedApplication()->resetForTesting();
    OnScreenKeyboard::install();
    m_screen = ScreenDriver::create();
    std::weak_ptr<HeadlessHost> weakSelf = self();
    UIApplication::sharedApplication()->setLocalNotificationPresenter(
        [weakSelf](const std::shared_ptr<UILocalNotification>& notification) {
            if (auto host = weakSelf.lock())
                host->m_presentedLocalNotifications.push_back(notification);
        });
}

NSTimeInterval HeadlessHost::now() { return SystemClock::monotonicNow(); }

bool HeadlessHost::launch(std::shared_ptr<UIApplicationDelegate> delegate, const std::shared_ptr<NSDictionary>& options)
{
    auto application = UIApplication::sharedApplication();
    application->adoptDelegate(std::move(delegate));
    const bool launched = application->launch(options);
    drainRunLoop();
    m_screen->renderFrameIfNeeded();
    return launched;
}

std::shared_ptr<UIWindow> HeadlessHost::showRootViewController(const std::shared_ptr<UIViewController>& controller)
{
    auto application = UIApplication::sharedApplication();
    if (application->applicationState() != UIApplicationState::Active)
        application->launch();
    if (m_window)
        m_window->setHidden(true);
    m_window = UIWindow::create(UIScreen::mainScreen()->bounds());
    m_window->setRootViewController(controller);
    m_window->makeKeyAndVisible();
    drainRunLoop();
    m_screen->renderFrameIfNeeded();
    return m_window;
}

std::shared_ptr<UIWindow> HeadlessHost::keyWindow() const { return UIApplication::sharedApplication()->keyWindow(); }

// MARK: Touches

void HeadlessHost::send(NSUInteger finger, UITouchPhase phase, CGPoint point)
{
    CATransaction::flush();
    UIApplication::sharedApplication()->sendTouch(finger, phase, point, now());
    drainRunLoop();
}

void HeadlessHost::touchDown(CGPoint point, NSUInteger finger) { send(finger, UITouchPhase::Began, point); }
void HeadlessHost::touchMove(CGPoint point, NSUInteger finger) { send(finger, UITouchPhase::Moved, point); }
void HeadlessHost::touchUp(CGPoint point, NSUInteger finger) { send(finger, UITouchPhase::Ended, point); }
void HeadlessHost::touchCancel(NSUInteger finger) { send(finger, UITouchPhase::Cancelled, CGPointZero); }

bool HeadlessHost::tap(CGPoint point)
{
    touchDown(point);
    advance(0.05);
    touchUp(point);
    return true;
}

bool HeadlessHost::tap(const std::shared_ptr<UIView>& view)
{
    auto point = ScreenDriver::screenPointOfView(view);
    if (!point)
        return false;
    std::shared_ptr<UIView> hit;
    const auto windows = UIApplication::sharedApplication()->windows();
    for (auto window = windows.rbegin(); window != windows.rend() && !hit; ++window)
        hit = (*window)->hitTest((*window)->convertPointFromWindow(*point, nullptr), nullptr);
    tap(*point);
    return hit && hit->isDescendantOfView(view);
}

void HeadlessHost::longPress(CGPoint point, NSTimeInterval duration)
{
    touchDown(point);
    advance(duration);
    touchUp(point);
}

void HeadlessHost::drag(CGPoint from, CGPoint to, NSTimeInterval duration)
{
    touchDown(from);
    const int steps = std::max(1, static_cast<int>(std::lround(duration / ScreenDriver::frameInterval)));
    for (int step = 1; step <= steps; ++step) {
        advance(duration / steps);
        const CGFloat fraction = static_cast<CGFloat>(step) / steps;
        touchMove({ from.x + (to.x - from.x) * fraction, from.y + (to.y - from.y) * fraction });
    }
    touchUp(to);
}

void HeadlessHost::swipe(CGPoint from, UISwipeDirectionHint direction)
{
    constexpr CGFloat distance = 150;
    CGPoint to = from;
    switch (direction) {
    case UISwipeDirectionHint::Right: to.x += distance; break;
    case UISwipeDirectionHint::Left: to.x -= distance; break;
    case UISwipeDirectionHint::Up: to.y -= distance; break;
    case UISwipeDirectionHint::Down: to.y += distance; break;
    }
    drag(from, to, 0.1);
}

// MARK: Keyboard

bool HeadlessHost::typeText(const NSString& text)
{
    CATransaction::flush();
    const bool taken = UIApplication::sharedApplication()->sendText(text);
    drainRunLoop();
    return taken;
}

bool HeadlessHost::pressReturn() { return pressKey(UIKeyboardKey::Return); }

bool HeadlessHost::pressKey(UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    CATransaction::flush();
    const bool taken = UIApplication::sharedApplication()->sendKey(key, modifiers);
    drainRunLoop();
    return taken;
}

bool HeadlessHost::performEditingAction(UIEditingAction action)
{
    CATransaction::flush();
    const bool taken = UIApplication::sharedApplication()->sendEditingAction(action);
    drainRunLoop();
    return taken;
}

bool HeadlessHost::compose(const NSString& text, NSRange selectedRange)
{
    CATransaction::flush();
    const bool taken = UIApplication::sharedApplication()->sendMarkedText(text, selectedRange);
    drainRunLoop();
    return taken;
}

bool HeadlessHost::scrollWheel(CGPoint point, CGPoint delta)
{
    CATransaction::flush();
    const bool taken = UIApplication::sharedApplication()->sendScrollWheel(point, delta);
    drainRunLoop();
    return taken;
}

bool HeadlessHost::scrollWheelNotches(CGPoint point, CGPoint notches)
{
    CATransaction::flush();
    const bool taken = UIApplication::sharedApplication()->sendScrollWheelNotches(point, notches);
    drainRunLoop();
    return taken;
}

// MARK: Time

void HeadlessHost::drainRunLoop()
{
    auto loop = NSRunLoop::mainRunLoop();
    // Bounded: a block that posts itself again forever must not hang a test.
    for (int turn = 0; turn < 10000; ++turn) {
        if (loop->runInMode(UIScrollView::mainRunLoopMode(), 0, true) != kCFRunLoopRunHandledSource)
            break;
    }
    CATransaction::flush();
}

void HeadlessHost::advance(NSTimeInterval seconds)
{
    auto loop = NSRunLoop::mainRunLoop();
    drainRunLoop();
    NSTimeInterval remaining = seconds;
    while (remaining > 1e-9) {
        NSTimeInterval step = remaining;
        if (m_screen->needsFrame())
            step = std::min(remaining, ScreenDriver::frameInterval);
        // While content scrolls the loop serves the tracking mode, as the device's does.
        loop->advanceClock(step, UIScrollView::mainRunLoopMode());
        remaining -= step;
        drainRunLoop();
        m_screen->renderFrameIfNeeded();
    }
    drainRunLoop();
    m_screen->renderFrameIfNeeded();
}

bool HeadlessHost::runUntilIdle(NSTimeInterval limit)
{
    auto loop = NSRunLoop::mainRunLoop();
    NSTimeInterval elapsed = 0;
    drainRunLoop();
    while (true) {
        m_screen->renderFrameIfNeeded();
        const bool moving = m_screen->needsFrame();
        bool timerSoon = false;
        if (auto next = loop->limitDateForMode(NSDefaultRunLoopMode))
            timerSoon = next->timeIntervalSinceReferenceDate() - SystemClock::now() <= 0.5;
        if (!moving && !timerSoon)
            return true;
        if (elapsed >= limit)
            return false;
        advance(ScreenDriver::frameInterval);
        elapsed += ScreenDriver::frameInterval;
    }
}

// MARK: Life cycle

void HeadlessHost::sendToBackground()
{
    UIApplication::sharedApplication()->enterBackground();
    drainRunLoop();
}

void HeadlessHost::bringToForeground()
{
    UIApplication::sharedApplication()->enterForeground();
    drainRunLoop();
}

// MARK: What the screen shows

std::array<uint8_t, 4> HeadlessHost::pixelAt(CGPoint point)
{
    m_screen->renderFrameIfNeeded();
    return m_screen->pixelAt(point);
}

bool HeadlessHost::writePNG(const NSString& path) { return m_screen->writePNG(path); }

bool HeadlessHost::writePNG(const std::shared_ptr<UIView>& view, const NSString& path)
{
    return ScreenDriver::writePNG(view, path);
}

std::string HeadlessHost::viewTree(const std::shared_ptr<UIView>& root) const
{
    if (root)
        return ScreenDriver::viewTree(root).UTF8String();
    std::string text;
    for (const auto& window : UIApplication::sharedApplication()->windows())
        text += ScreenDriver::viewTree(window).UTF8String();
    return text;
}

std::shared_ptr<UIView> HeadlessHost::findView(const std::function<bool(UIView&)>& matches) const
{
    std::function<std::shared_ptr<UIView>(const std::shared_ptr<UIView>&)> search = [&](const std::shared_ptr<UIView>& view)
        -> std::shared_ptr<UIView> {
        if (matches(*view))
            return view;
        for (const auto& subview : view->subviews()) {
            if (auto found = search(subview))
                return found;
        }
        return nullptr;
    };
    const auto windows = UIApplication::sharedApplication()->windows();
    for (auto window = windows.rbegin(); window != windows.rend(); ++window) {
        if (auto found = search(*window))
            return found;
    }
    return nullptr;
}

std::shared_ptr<UIView> HeadlessHost::findViewWithText(const NSString& text) const
{
    return findView([&](UIView& view) {
        NSString shown = view.visibleText();
        return !shown.isNil() && shown.isEqualToString(text);
    });
}
