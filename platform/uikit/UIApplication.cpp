#include "platform/uikit/UIApplication.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/foundation/SystemClock.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UIGestureEnvironment.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/URLOpenFailureAlert.h"
#include "platform/uikit/UnclaimedKeyRouting.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr NSTimeInterval multipleTapInterval = 0.35;
constexpr CGFloat multipleTapDistance = 45;

} // namespace

const std::shared_ptr<UIApplication>& UIApplication::sharedApplication()
{
    // Never destroyed, as the platform's: the process ends with the application running, and
    // its delegate, windows and controllers must not be torn down after what they use is gone.
    static const NeverDestroyed<std::shared_ptr<UIApplication>> application(create());
    return application.get();
}

void UIApplication::adoptDelegate(std::shared_ptr<UIApplicationDelegate> delegate)
{
    m_ownedDelegate = std::move(delegate);
    m_delegate = m_ownedDelegate;
}

void UIApplication::post(const char* name, const std::shared_ptr<NSDictionary>& userInfo)
{
    NSNotificationCenter::defaultCenter()->postNotificationName(name, self(), userInfo);
}

// MARK: Life cycle

bool UIApplication::launch(const std::shared_ptr<NSDictionary>& options)
{
    NSAssertMainThread();
    if (m_launched)
        return true;
    m_launched = true;
    m_state = UIApplicationState::Inactive;
    bool handled = true;
    auto delegate = this->delegate();
    if (delegate) {
        if (auto answer = delegate->willFinishLaunchingWithOptions(*this, options); answer == false)
            handled = false;
        if (auto answer = delegate->didFinishLaunchingWithOptions(*this, options); answer == false)
            handled = false;
    }
    post(UIApplicationDidFinishLaunchingNotification);
    // A launch for a URL hands it over unless the delegate refused it.
    if (options && handled) {
        if (auto url = ns::cast<NSURL>(options->objectForKey(UIApplicationLaunchOptionsURLKey)))
            handleIncomingURL(url, ns::stringForKey(options, UIApplicationLaunchOptionsSourceApplicationKey));
    }
    becomeActive();
    return handled;
}

void UIApplication::becomeActive()
{
    if (m_state == UIApplicationState::Active || m_terminated)
        return;
    m_state = UIApplicationState::Active;
    if (auto delegate = this->delegate())
        delegate->applicationDidBecomeActive(*this);
    post(UIApplicationDidBecomeActiveNotification);
}

void UIApplication::resignActive()
{
    if (m_state != UIApplicationState::Active)
        return;
    if (auto delegate = this->delegate())
        delegate->applicationWillResignActive(*this);
    post(UIApplicationWillResignActiveNotification);
    m_state = UIApplicationState::Inactive;
}

void UIApplication::enterBackground()
{
    NSAssertMainThread();
    if (m_state == UIApplicationState::Background || m_terminated)
        return;
    resignActive();
    for (const auto& window : m_windows)
        window->gestureEnvironment()->cancelAll();
    m_state = UIApplicationState::Background;
    startBackgroundClock();
    if (auto delegate = this->delegate())
        delegate->applicationDidEnterBackground(*this);
    post(UIApplicationDidEnterBackgroundNotification);
}

void UIApplication::enterForeground()
{
    NSAssertMainThread();
    if (m_state != UIApplicationState::Background || m_terminated)
        return;
    stopBackgroundClock();
    if (auto delegate = this->delegate())
        delegate->applicationWillEnterForeground(*this);
    post(UIApplicationWillEnterForegroundNotification);
    m_state = UIApplicationState::Inactive;
    becomeActive();
}

void UIApplication::terminate()
{
    NSAssertMainThread();
    if (m_terminated)
        return;
    if (auto delegate = this->delegate())
        delegate->applicationWillTerminate(*this);
    post(UIApplicationWillTerminateNotification);
    m_terminated = true;
    stopBackgroundClock();
}

void UIApplication::receiveMemoryWarning()
{
    NSAssertMainThread();
    if (auto delegate = this->delegate())
        delegate->applicationDidReceiveMemoryWarning(*this);
    post(UIApplicationDidReceiveMemoryWarningNotification);
}

// MARK: Background tasks

UIBackgroundTaskIdentifier UIApplication::beginBackgroundTaskWithExpirationHandler(std::function<void()> handler)
{
    MutexLocker lock(m_backgroundMutex);
    // The platform refuses once the time has run out.
    if (m_state == UIApplicationState::Background && m_backgroundDeadline <= SystemClock::monotonicNow())
        return UIBackgroundTaskInvalid;
    const UIBackgroundTaskIdentifier identifier = m_nextBackgroundTask++;
    m_backgroundTasks[identifier] = { std::move(handler) };
    return identifier;
}

void UIApplication::endBackgroundTask(UIBackgroundTaskIdentifier identifier)
{
    MutexLocker lock(m_backgroundMutex);
    m_backgroundTasks.erase(identifier);
}

NSUInteger UIApplication::backgroundTaskCount() const
{
    MutexLocker lock(m_backgroundMutex);
    return m_backgroundTasks.size();
}

NSTimeInterval UIApplication::backgroundTimeRemaining() const
{
    if (m_state != UIApplicationState::Background)
        return HUGE_VAL;
    MutexLocker lock(m_backgroundMutex);
    return std::max(0.0, m_backgroundDeadline - SystemClock::monotonicNow());
}

void UIApplication::startBackgroundClock()
{
    stopBackgroundClock();
    {
        MutexLocker lock(m_backgroundMutex);
        m_backgroundDeadline = SystemClock::monotonicNow() + backgroundTimeAllowed;
    }
    std::weak_ptr<UIApplication> weakSelf = self();
    m_backgroundTimer = NSTimer::scheduledTimerWithTimeInterval(backgroundTimeAllowed, [weakSelf](const auto&) {
        if (auto strongSelf = weakSelf.lock())
            strongSelf->expireBackgroundTasks();
    }, false);
}

void UIApplication::stopBackgroundClock()
{
    if (m_backgroundTimer)
        m_backgroundTimer->invalidate();
    m_backgroundTimer = nullptr;
}

void UIApplication::expireBackgroundTasks()
{
    m_backgroundTimer = nullptr;
    // Each handler runs once, outside the lock: a handler may end its own task or others.
    std::vector<UIBackgroundTaskIdentifier> identifiers;
    {
        MutexLocker lock(m_backgroundMutex);
        for (const auto& [identifier, task] : m_backgroundTasks)
            identifiers.push_back(identifier);
    }
    for (auto identifier : identifiers) {
        std::function<void()> handler;
        {
            MutexLocker lock(m_backgroundMutex);
            auto task = m_backgroundTasks.find(identifier);
            if (task == m_backgroundTasks.end())
                continue;
            handler = std::move(task->second.expirationHandler);
            task->second.expirationHandler = nullptr;
        }
        if (handler)
            handler();
    }
    MutexLocker lock(m_backgroundMutex);
    if (!m_backgroundTasks.empty())
        NSLog("%lu background tasks were not ended before their time ran out", static_cast<unsigned long>(m_backgroundTasks.size()));
    m_backgroundTasks.clear();
}

// MARK: Status bar

void UIApplication::statusBarDidChange()
{
    if (m_statusBarObserver)
        m_statusBarObserver();
}

void UIApplication::setStatusBarStyle(UIStatusBarStyle style, bool)
{
    if (m_statusBarStyle == style)
        return;
    m_statusBarStyle = style;
    statusBarDidChange();
}

void UIApplication::setStatusBarHidden(bool hidden, UIStatusBarAnimation)
{
    if (m_statusBarHidden == hidden)
        return;
    m_statusBarHidden = hidden;
    statusBarDidChange();
}

CGRect UIApplication::statusBarFrame() const
{
    return m_statusBarHidden ? CGRectZero : CGRectMake(0, 0, UIScreen::mainScreen()->bounds().size.width, 20);
}

void UIApplication::setNetworkActivityIndicatorVisible(bool visible)
{
    if (m_networkActivityIndicatorVisible == visible)
        return;
    m_networkActivityIndicatorVisible = visible;
    statusBarDidChange();
}

// MARK: URLs

std::vector<NSString> UIApplication::ownURLSchemes() const
{
    std::vector<NSString> schemes;
    auto types = ns::cast<NSArray>(NSBundle::mainBundle()->objectForInfoDictionaryKey("CFBundleURLTypes"));
    if (!types)
        return schemes;
    for (NSUInteger i = 0; i < types->count(); ++i) {
        auto entry = ns::cast<NSDictionary>(types->objectAtIndex(i));
        auto list = ns::arrayForKey(entry, "CFBundleURLSchemes");
        for (NSUInteger k = 0; list && k < list->count(); ++k) {
            NSString scheme = NSString::fromId(list->objectAtIndex(k));
            if (!scheme.isNil())
                schemes.push_back(scheme.lowercaseString());
        }
    }
    return schemes;
}

bool UIApplication::canOpenURL(const std::shared_ptr<NSURL>& url) const
{
    if (!url || url->scheme().isNil() || url->scheme().length() == 0)
        return false;
    const NSString scheme = url->scheme().lowercaseString();
    const auto own = ownURLSchemes();
    if (std::any_of(own.begin(), own.end(), [&](const NSString& s) { return s.isEqualToString(scheme); }))
        return true;
    static const char* const system[] = { "http", "https", "tel", "telprompt", "mailto", "sms", "itms", "itms-apps", "maps" };
    return std::any_of(std::begin(system), std::end(system), [&](const char* s) { return scheme.isEqualToString(s); });
}

void UIApplication::presentLocalNotificationNow(const std::shared_ptr<UILocalNotification>& notification)
{
    NSAssertMainThread();
    // The copy is what the user sees, whatever the caller changes afterwards.
    if (notification && m_localNotificationPresenter)
        m_localNotificationPresenter(ns::cast<UILocalNotification>(notification->copy()));
}

bool UIApplication::openURL(const std::shared_ptr<NSURL>& url)
{
    NSAssertMainThread();
    if (!canOpenURL(url))
        return false;
    const NSString scheme = url->scheme().lowercaseString();
    const auto own = ownURLSchemes();
    if (std::any_of(own.begin(), own.end(), [&](const NSString& s) { return s.isEqualToString(scheme); })) {
        std::weak_ptr<UIApplication> weakSelf = self();
        const NSString source = NSBundle::mainBundle()->bundleIdentifier();
        NSRunLoop::mainRunLoop()->performBlock([weakSelf, url, source] {
            if (auto strongSelf = weakSelf.lock())
                strongSelf->handleIncomingURL(url, source);
        });
        return true;
    }
    if (m_systemURLHandler) {
        if (m_systemURLHandler(url))
            return true;
        URLOpenFailureAlert::show(url);
        return false;
    }
    NSLog("No program opens %@ here", url);
    return false;
}

bool UIApplication::handleIncomingURL(const std::shared_ptr<NSURL>& url, const NSString& sourceApplication)
{
    NSAssertMainThread();
    auto delegate = this->delegate();
    if (!delegate || !url)
        return false;
    if (auto answer = delegate->openURL(*this, url, sourceApplication, nullptr))
        return *answer;
    return delegate->handleOpenURL(*this, url).value_or(false);
}

void UIApplication::endIgnoringInteractionEvents()
{
    if (m_ignoringInteraction > 0)
        --m_ignoringInteraction;
}

// MARK: Windows

void UIApplication::placeWindowLayers()
{
    const auto& screenLayer = UIScreen::mainScreen()->layer();
    for (const auto& window : m_windows)
        screenLayer->addSublayer(window->layer());
}

void UIApplication::windowDidChangeVisibility(const std::shared_ptr<UIWindow>& window)
{
    const bool listed = std::find(m_windows.begin(), m_windows.end(), window) != m_windows.end();
    if (!window->isHidden() && !listed) {
        auto position = std::upper_bound(m_windows.begin(), m_windows.end(), window->windowLevel(),
            [](UIWindowLevel level, const auto& w) { return level < w->windowLevel(); });
        m_windows.insert(position, window);
        placeWindowLayers();
    } else if (window->isHidden() && listed) {
        auto protectedWindow = window;
        std::erase(m_windows, window);
        window->layer()->removeFromSuperlayer();
        if (m_keyWindow.lock() == window) {
            window->resignKeyWindow();
            m_keyWindow.reset();
            NSNotificationCenter::defaultCenter()->postNotificationName(UIWindowDidResignKeyNotification, window, nullptr);
        }
    }
}

void UIApplication::windowDidChangeLevel(const std::shared_ptr<UIWindow>& window)
{
    if (std::find(m_windows.begin(), m_windows.end(), window) == m_windows.end())
        return;
    std::erase(m_windows, window);
    auto position = std::upper_bound(m_windows.begin(), m_windows.end(), window->windowLevel(),
        [](UIWindowLevel level, const auto& w) { return level < w->windowLevel(); });
    m_windows.insert(position, window);
    placeWindowLayers();
}

void UIApplication::makeWindowKey(const std::shared_ptr<UIWindow>& window)
{
    auto previous = m_keyWindow.lock();
    if (previous == window)
        return;
    auto center = NSNotificationCenter::defaultCenter();
    if (previous) {
        previous->resignKeyWindow();
        center->postNotificationName(UIWindowDidResignKeyNotification, previous, nullptr);
    }
    m_keyWindow = window;
    if (window) {
        window->becomeKeyWindow();
        center->postNotificationName(UIWindowDidBecomeKeyNotification, window, nullptr);
    }
}

void UIApplication::windowWillGoAway(UIWindow& window)
{
    std::erase_if(m_windows, [&](const auto& w) { return w.get() == &window; });
}

// MARK: Input

void UIApplication::sendTouch(NSUInteger finger, UITouchPhase phase, CGPoint point, NSTimeInterval timestamp)
{
    NSAssertMainThread();
    if (phase == UITouchPhase::Began) {
        if (m_touches.count(finger))
            return;
        if (isIgnoringInteractionEvents() || m_state == UIApplicationState::Background) {
            m_droppedFingers.push_back(finger);
            return;
        }
        // The highest visible window that has a view under the point takes the touch.
        std::shared_ptr<UIWindow> window;
        std::shared_ptr<UIView> view;
        for (auto candidate = m_windows.rbegin(); candidate != m_windows.rend() && !view; ++candidate) {
            const CGPoint inWindow = (*candidate)->layer()->convertPointFromLayer(point, UIScreen::mainScreen()->layer());
            if (auto hit = (*candidate)->hitTest(inWindow, nullptr)) {
                window = *candidate;
                view = hit;
            }
        }
        if (!window) {
            m_droppedFingers.push_back(finger);
            return;
        }
        const CGPoint inWindow = window->layer()->convertPointFromLayer(point, UIScreen::mainScreen()->layer());
        // A view that takes one touch at a time, or an exclusive one, keeps others out.
        for (const auto& [other, touch] : m_touches) {
            auto otherView = touch->view();
            if (!otherView)
                continue;
            if ((otherView == view && !view->isMultipleTouchEnabled()) || otherView->isExclusiveTouch()
                || view->isExclusiveTouch()) {
                m_droppedFingers.push_back(finger);
                return;
            }
        }
        auto touch = UITouch::create(inWindow, timestamp);
        touch->setWindow(window);
        touch->setView(view);
        const bool repeat = m_lastTapTime >= 0 && timestamp - m_lastTapTime <= multipleTapInterval
            && std::hypot(point.x - m_lastTapPoint.x, point.y - m_lastTapPoint.y) <= multipleTapDistance
            && m_lastTapView.lock() == view;
        touch->setTapCount(repeat ? m_lastTapCount + 1 : 1);
        m_touches[finger] = touch;
    } else {
        if (auto dropped = std::find(m_droppedFingers.begin(), m_droppedFingers.end(), finger); dropped != m_droppedFingers.end()) {
            if (phase == UITouchPhase::Ended || phase == UITouchPhase::Cancelled)
                m_droppedFingers.erase(dropped);
            return;
        }
        auto entry = m_touches.find(finger);
        if (entry == m_touches.end())
            return;
        const auto& touch = entry->second;
        auto window = touch->window();
        const CGPoint inWindow = window ? window->layer()->convertPointFromLayer(point, UIScreen::mainScreen()->layer()) : point;
        touch->moveTo(inWindow);
        touch->setPhase(phase);
        touch->setTimestamp(timestamp);
    }

    std::vector<UITouchRef> all;
    for (const auto& [other, touch] : m_touches) {
        if (other != finger)
            touch->setPhase(UITouchPhase::Stationary);
        all.push_back(touch);
    }
    auto event = UIEvent::create();
    event->setTimestamp(timestamp);
    event->setTouches(UITouchSet(all));
    auto touch = m_touches[finger];
    if (phase == UITouchPhase::Ended || phase == UITouchPhase::Cancelled) {
        m_touches.erase(finger);
        if (phase == UITouchPhase::Ended) {
            m_lastTapTime = timestamp;
            m_lastTapPoint = point;
            m_lastTapCount = touch->tapCount();
            m_lastTapView = touch->view();
        }
    }
    sendEvent(event);
}

void UIApplication::sendEvent(const UIEventRef& event)
{
    NSAssertMainThread();
    std::vector<std::shared_ptr<UIWindow>> windows;
    for (const auto& touch : event->allTouches()) {
        auto window = touch->window();
        if (window && std::find(windows.begin(), windows.end(), window) == windows.end())
            windows.push_back(window);
    }
    for (const auto& window : windows)
        window->sendEvent(event);
}

std::shared_ptr<UIResponder> UIApplication::firstResponder() const
{
    auto window = keyWindow();
    return window ? window->firstResponder() : nullptr;
}

bool UIApplication::sendText(const NSString& text)
{
    NSAssertMainThread();
    auto responder = firstResponder();
    if (!responder || text.isNil() || text.length() == 0)
        return false;
    if (m_keyboardController && m_keyboardController->handleTypedText(*responder, text))
        return true;
    auto input = std::dynamic_pointer_cast<UIKeyInput>(responder);
    if (!input)
        return false;
    input->insertText(text);
    return true;
}

bool UIApplication::sendKey(UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    NSAssertMainThread();
    auto window = keyWindow();
    auto responder = firstResponder();
    if (sendKeyToResponders(responder, window, key, modifiers))
        return true;
    // While a transition ignores touches, a key must not start another.
    if (!window || isIgnoringInteractionEvents() || m_state == UIApplicationState::Background)
        return false;
    return UnclaimedKeyRouting::route(*window, responder, key, modifiers);
}

bool UIApplication::sendKeyToResponders(const std::shared_ptr<UIResponder>& responder, const std::shared_ptr<UIWindow>& window,
    UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    if (!responder) {
        // Keys nobody holds go to the key window: an alert's takes Return and Escape.
        return window && window->pressKey(key, modifiers);
    }
    if (m_keyboardController && m_keyboardController->handleKey(*responder, key, modifiers))
        return true;
    if (auto input = std::dynamic_pointer_cast<UIKeyInput>(responder)) {
        // While an input method composes, the keys are its own.
        if (input->markedText().length() > 0)
            return true;
        if (key == UIKeyboardKey::Return) {
            input->insertText("\n");
            return true;
        }
        if (key == UIKeyboardKey::Backspace) {
            input->deleteBackward();
            return true;
        }
    }
    return responder->pressKey(key, modifiers);
}

bool UIApplication::sendMarkedText(const NSString& text, NSRange selectedRange)
{
    NSAssertMainThread();
    auto input = std::dynamic_pointer_cast<UIKeyInput>(firstResponder());
    if (!input)
        return false;
    input->setMarkedText(text.isNil() ? NSString::string() : text, selectedRange);
    return true;
}

bool UIApplication::sendEditingAction(UIEditingAction action)
{
    NSAssertMainThread();
    auto responder = firstResponder();
    return responder && responder->performEditingAction(action);
}

bool UIApplication::sendScrollWheel(CGPoint point, CGPoint delta)
{
    auto hit = wheelTarget(point);
    return hit && hit->scrollWheel(delta);
}

bool UIApplication::sendScrollWheelNotches(CGPoint point, CGPoint notches)
{
    auto hit = wheelTarget(point);
    return hit && hit->scrollWheelNotches(notches);
}

std::shared_ptr<UIView> UIApplication::wheelTarget(CGPoint point) const
{
    NSAssertMainThread();
    if (isIgnoringInteractionEvents() || m_state == UIApplicationState::Background)
        return nullptr;
    for (auto candidate = m_windows.rbegin(); candidate != m_windows.rend(); ++candidate) {
        const CGPoint inWindow = (*candidate)->layer()->convertPointFromLayer(point, UIScreen::mainScreen()->layer());
        if (auto hit = (*candidate)->hitTest(inWindow, nullptr))
            return hit;
    }
    return nullptr;
}

void UIApplication::firstResponderDidChange(const UIResponderRef& previous, const UIResponderRef& current)
{
    if (m_keyboardController)
        m_keyboardController->firstResponderDidChange(previous, current);
}

void UIApplication::resetForTesting()
{
    const auto windows = m_windows;
    for (const auto& window : windows)
        window->setHidden(true);
    m_windows.clear();
    m_keyWindow.reset();
    m_delegate.reset();
    m_ownedDelegate.reset();
    m_state = UIApplicationState::Inactive;
    m_launched = false;
    m_terminated = false;
    m_statusBarStyle = UIStatusBarStyle::Default;
    m_statusBarHidden = false;
    m_networkActivityIndicatorVisible = false;
    m_statusBarObserver = nullptr;
    m_systemURLHandler = nullptr;
    m_localNotificationPresenter = nullptr;
    m_ignoringInteraction = 0;
    {
        MutexLocker lock(m_backgroundMutex);
        m_backgroundTasks.clear();
    }
    stopBackgroundClock();
    m_touches.clear();
    m_droppedFingers.clear();
    m_lastTapTime = -1;
    m_lastTapCount = 0;
    m_keyboardController = nullptr;
    UIDevice::currentDevice()->setOrientation(UIDeviceOrientation::Portrait);
}
