#include "platform/uikit/UIWindow.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIGestureEnvironment.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIViewController.h"

UIWindow::~UIWindow()
{
    UIApplication::sharedApplication()->windowWillGoAway(*this);
    layer()->removeFromSuperlayer();
}

void UIWindow::init(CGRect frame)
{
    UIView::init(frame);
    m_gestureEnvironment = UIGestureEnvironment::create();
    UIView::setHidden(true);
}

void UIWindow::setWindowLevel(UIWindowLevel level)
{
    NSAssertMainThread();
    if (m_windowLevel == level)
        return;
    m_windowLevel = level;
    UIApplication::sharedApplication()->windowDidChangeLevel(self());
}

bool UIWindow::isKeyWindow() const
{
    return UIApplication::sharedApplication()->keyWindow().get() == this;
}

void UIWindow::makeKeyWindow()
{
    NSAssertMainThread();
    UIApplication::sharedApplication()->makeWindowKey(self());
}

void UIWindow::makeKeyAndVisible()
{
    NSAssertMainThread();
    setHidden(false);
    makeKeyWindow();
}

void UIWindow::setHidden(bool hidden)
{
    NSAssertMainThread();
    if (hidden == isHidden())
        return;
    auto protectedSelf = self();
    if (hidden && m_rootViewController)
        m_rootViewController->beginAppearanceTransition(false, false);
    UIView::setHidden(hidden);
    UIApplication::sharedApplication()->windowDidChangeVisibility(self());
    NSNotificationCenter::defaultCenter()->postNotificationName(
        hidden ? UIWindowDidBecomeHiddenNotification : UIWindowDidBecomeVisibleNotification, self(), nullptr);
    if (m_rootViewController) {
        if (!hidden)
            m_rootViewController->beginAppearanceTransition(true, false);
        m_rootViewController->endAppearanceTransition();
    }
}

void UIWindow::setRootViewController(const std::shared_ptr<UIViewController>& controller)
{
    NSAssertMainThread();
    if (m_rootViewController == controller)
        return;
    auto protectedSelf = self();
    auto previous = m_rootViewController;
    const bool visible = !isHidden();
    if (previous) {
        if (visible)
            previous->beginAppearanceTransition(false, false);
        if (auto view = previous->viewIfLoaded(); view && view->superview().get() == this)
            view->removeFromSuperview();
        if (visible)
            previous->endAppearanceTransition();
    }
    m_rootViewController = controller;
    if (!controller)
        return;
    auto view = controller->view();
    view->setFrame(bounds());
    view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    if (visible)
        controller->beginAppearanceTransition(true, false);
    addSubview(view);
    if (visible)
        controller->endAppearanceTransition();
}

void UIWindow::sendEvent(const UIEventRef& event)
{
    NSAssertMainThread();
    m_gestureEnvironment->dispatch(event);
}

CGPoint UIWindow::convertPointToWindow(CGPoint point, const std::shared_ptr<UIWindow>& window) const
{
    const auto& screen = UIScreen::mainScreen()->layer();
    const CGPoint onScreen = layer()->convertPointToLayer(point, screen);
    return window ? window->layer()->convertPointFromLayer(onScreen, screen) : onScreen;
}

CGPoint UIWindow::convertPointFromWindow(CGPoint point, const std::shared_ptr<UIWindow>& window) const
{
    const auto& screen = UIScreen::mainScreen()->layer();
    const CGPoint onScreen = window ? window->layer()->convertPointToLayer(point, screen) : point;
    return layer()->convertPointFromLayer(onScreen, screen);
}

void UIWindow::dropFirstResponder()
{
    auto previous = firstResponder();
    if (!previous)
        return;
    m_firstResponder.reset();
    previous->didResignFirstResponder();
    if (!firstResponder())
        UIApplication::sharedApplication()->firstResponderDidChange(previous, nullptr);
}

std::shared_ptr<UIResponder> UIWindow::nextResponder() const { return UIApplication::sharedApplication(); }

std::shared_ptr<UIWindow> UIWindow::responderWindow() const
{
    return std::const_pointer_cast<UIWindow>(self());
}
