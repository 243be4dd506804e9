#include "library/widgets/alert/TAAlertViewController.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UIScreen.h"

const std::shared_ptr<TAAlertViewController>& TAAlertViewController::sharedController()
{
    static const std::shared_ptr<TAAlertViewController> controller = create();
    return controller;
}

// A window of its own, always: taking over another alert-level window (the system alert's) would
// replace that window's controller and strand its alert.
void TAAlertViewController::init()
{
    UIViewController::init();
    const CGRect screen = UIScreen::mainScreen()->bounds();
    m_alertWindow = UIWindow::create(screen);
    m_alertWindow->setWindowLevel(UIWindowLevelAlert);
    m_alertWindow->setRootViewController(self());
    m_alertWindow->setHidden(true);
    view()->setFrame(screen);
    view()->setBackgroundColor(UIColor::clearColor());
    m_tapGestureRecognizer = UITapGestureRecognizer::create(self(),
        &TAAlertViewController::dismiss);
    m_backgroundView = UIView::create(screen);
    m_backgroundView->setBackgroundColor(UIColor::colorWithWhite(0, 0.4));
    m_backgroundView->setUserInteractionEnabled(true);
    m_backgroundView->setMultipleTouchEnabled(false);
    m_backgroundView->addGestureRecognizer(m_tapGestureRecognizer);
    view()->addSubview(m_backgroundView);
}

void TAAlertViewController::setBackdropColor(const UIColorRef& color)
{
    m_backgroundView->setBackgroundColor(color ? color : UIColor::clearColor());
}

bool TAAlertViewController::containsAlertView(const TAAlertView& alert) const
{
    return std::any_of(m_alertViews.begin(), m_alertViews.end(), [&](const auto& entry) { return entry.get() == &alert; });
}

void TAAlertViewController::addAlertView(const std::shared_ptr<TAAlertView>& alert)
{
    NSAssertMainThread();
    if (m_alertViews.empty()) {
        m_alertWindow->setHidden(false);
        m_alertWindow->makeKeyAndVisible();
        showBackgroundView(nullptr);
    } else {
        std::weak_ptr<TAAlertView> below = m_alertViews.back();
        m_alertViews.back()->hideWithCompletion([below] {
            if (auto alertBelow = below.lock())
                alertBelow->removeFromSuperview();
        });
    }
    alert->updateFrameWithAnimationOfDuration(0);
    m_alertViews.push_back(alert);
    view()->addSubview(alert);
    m_currentAlertView = alert;
}

void TAAlertViewController::removeAlertView(const std::shared_ptr<TAAlertView>& alert)
{
    NSAssertMainThread();
    alert->removeFromSuperview();
    std::erase(m_alertViews, alert);
    if (!m_alertViews.empty()) {
        auto last = m_alertViews.back();
        view()->addSubview(last);
        last->unhideWithCompletion(nullptr);
        m_currentAlertView = last;
        return;
    }
    m_currentAlertView.reset();
    auto protectedSelf = self();
    hideBackgroundView([protectedSelf] {
        if (!protectedSelf->m_alertViews.empty())
            return;
        protectedSelf->m_alertWindow->setHidden(true);
        if (auto window = lastWindowWithLevel(UIWindowLevelNormal))
            window->makeKeyAndVisible();
    });
}

void TAAlertViewController::showBackgroundView(std::function<void()> completion)
{
    auto backdrop = m_backgroundView;
    UIView::animateWithDuration(0.3, [backdrop] { backdrop->setAlpha(1); }, [completion = std::move(completion)](bool) {
        if (completion)
            completion();
    });
}

void TAAlertViewController::hideBackgroundView(std::function<void()> completion)
{
    auto backdrop = m_backgroundView;
    UIView::animateWithDuration(0.3, [backdrop] { backdrop->setAlpha(0); }, [completion = std::move(completion)](bool) {
        if (completion)
            completion();
    });
}

void TAAlertViewController::dismiss(UITapGestureRecognizer&)
{
    if (auto alert = currentAlertView(); alert && alert->dismissesOnBackdropTap())
        alert->dismissWithBackdropTap();
}

std::shared_ptr<UIWindow> TAAlertViewController::firstWindowWithLevel(UIWindowLevel level)
{
    for (const auto& window : UIApplication::sharedApplication()->windows())
        if (window->windowLevel() == level)
            return window;
    return nullptr;
}

std::shared_ptr<UIWindow> TAAlertViewController::lastWindowWithLevel(UIWindowLevel level)
{
    const auto windows = UIApplication::sharedApplication()->windows();
    for (auto window = windows.rbegin(); window != windows.rend(); ++window)
        if ((*window)->windowLevel() == level)
            return *window;
    return nullptr;
}

void TAAlertViewController::windowsWithLevel(UIWindowLevel level, const std::function<void(const std::shared_ptr<UIWindow>&)>& block)
{
    if (!block)
        return;
    for (const auto& window : UIApplication::sharedApplication()->windows())
        if (window->windowLevel() == level)
            block(window);
}

CGRect TAAlertViewController::frameForOrientation(UIInterfaceOrientation orientation)
{
    CGRect frame = UIScreen::mainScreen()->bounds();
    const bool landscape = orientation == UIInterfaceOrientation::LandscapeLeft || orientation == UIInterfaceOrientation::LandscapeRight;
    if (landscape && UIDevice::currentDevice()->systemVersion().floatValue() < 8.0f)
        std::swap(frame.size.width, frame.size.height);
    return frame;
}

void TAAlertViewController::updateFrameWithOrientation(UIInterfaceOrientation orientation)
{
    const CGRect frame = frameForOrientation(orientation);
    view()->setFrame(frame);
    m_backgroundView->setFrame(frame);
    if (auto alert = currentAlertView())
        alert->updateFrameWithAnimationOfDuration(0);
}

bool TAAlertViewController::prefersStatusBarHidden() const
{
    return UIApplication::sharedApplication()->isStatusBarHidden();
}

UIStatusBarStyle TAAlertViewController::preferredStatusBarStyle() const
{
    return UIApplication::sharedApplication()->statusBarStyle();
}

void TAAlertViewController::willRotateToInterfaceOrientation(UIInterfaceOrientation orientation, NSTimeInterval)
{
    updateFrameWithOrientation(orientation);
    if (auto window = view()->window())
        window->setAlpha(0);
}

void TAAlertViewController::didRotateFromInterfaceOrientation(UIInterfaceOrientation)
{
    if (auto window = view()->window())
        window->setAlpha(1);
}
