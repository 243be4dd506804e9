#include "platform/uikit/UIViewController.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNumber.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIWindow.h"

UIViewController::~UIViewController()
{
    NSNotificationCenter::defaultCenter()->removeObserver(this);
    if (m_view)
        m_view->setViewController(nullptr);
}

void UIViewController::init()
{
    NSNotificationCenter::defaultCenter()->addObserver(self(), &UIViewController::didReceiveMemoryWarning,
        UIApplicationDidReceiveMemoryWarningNotification, nullptr);
}

// MARK: The view

std::shared_ptr<UIView> UIViewController::view()
{
    NSAssertMainThread();
    if (!m_view && !m_loading) {
        m_loading = true;
        loadView();
        if (!m_view)
            setView(UIView::create(UIScreen::mainScreen()->bounds()));
        m_loading = false;
        viewDidLoad();
    }
    return m_view;
}

void UIViewController::setView(const std::shared_ptr<UIView>& view)
{
    NSAssertMainThread();
    if (m_view == view)
        return;
    if (m_view)
        m_view->setViewController(nullptr);
    m_view = view;
    if (m_view)
        m_view->setViewController(self());
}

void UIViewController::loadView()
{
    setView(UIView::create(UIScreen::mainScreen()->bounds()));
}

std::shared_ptr<UIWindow> UIViewController::responderWindow() const
{
    return m_view ? m_view->window() : nullptr;
}

std::shared_ptr<UIResponder> UIViewController::nextResponder() const
{
    if (m_view) {
        if (auto superview = m_view->superview())
            return superview;
    }
    if (auto parent = parentViewController())
        return parent;
    return presentingViewController();
}

// MARK: Appearance

void UIViewController::beginAppearanceTransition(bool isAppearing, bool animated)
{
    NSAssertMainThread();
    auto protectedSelf = self();
    if (isAppearing) {
        if (m_appearance == Appearance::Appearing || m_appearance == Appearance::Appeared)
            return;
        m_appearance = Appearance::Appearing;
        m_appearanceAnimated = animated;
        viewWillAppear(animated);
    } else {
        if (m_appearance == Appearance::Disappearing || m_appearance == Appearance::Disappeared)
            return;
        m_appearance = Appearance::Disappearing;
        m_appearanceAnimated = animated;
        viewWillDisappear(animated);
    }
    if (shouldAutomaticallyForwardAppearanceMethods())
        forwardAppearance(isAppearing, animated);
}

void UIViewController::endAppearanceTransition()
{
    NSAssertMainThread();
    auto protectedSelf = self();
    if (m_appearance == Appearance::Appearing) {
        m_appearance = Appearance::Appeared;
        viewDidAppear(m_appearanceAnimated);
    } else if (m_appearance == Appearance::Disappearing) {
        m_appearance = Appearance::Disappeared;
        viewDidDisappear(m_appearanceAnimated);
    } else {
        return;
    }
    if (shouldAutomaticallyForwardAppearanceMethods())
        forwardEndAppearance();
}

void UIViewController::forwardAppearance(bool isAppearing, bool animated)
{
    const auto children = m_children;
    for (const auto& child : children) {
        auto view = child->viewIfLoaded();
        if (view && m_view && view->isDescendantOfView(m_view))
            child->beginAppearanceTransition(isAppearing, animated);
    }
}

void UIViewController::forwardEndAppearance()
{
    const auto children = m_children;
    for (const auto& child : children)
        child->endAppearanceTransition();
}

// MARK: Children

void UIViewController::addChildViewController(const std::shared_ptr<UIViewController>& child)
{
    NSAssertMainThread();
    if (!child || child.get() == this)
        return;
    if (child->parentViewController().get() == this)
        return;
    child->removeFromParentViewController();
    child->willMoveToParentViewController(self());
    m_children.push_back(child);
    child->m_parent = self();
}

void UIViewController::removeFromParentViewController()
{
    NSAssertMainThread();
    auto parent = parentViewController();
    if (!parent)
        return;
    auto protectedSelf = self();
    std::erase(parent->m_children, protectedSelf);
    m_parent.reset();
    didMoveToParentViewController(nullptr);
}

std::shared_ptr<UINavigationController> UIViewController::navigationController() const
{
    for (auto controller = parentViewController(); controller; controller = controller->parentViewController()) {
        if (auto navigation = std::dynamic_pointer_cast<UINavigationController>(controller))
            return navigation;
    }
    if (auto navigation = std::dynamic_pointer_cast<const UINavigationController>(self()))
        return std::const_pointer_cast<UINavigationController>(navigation);
    return nullptr;
}

std::shared_ptr<UIViewController> UIViewController::rootAncestor()
{
    auto controller = self();
    std::shared_ptr<UIViewController> current = controller;
    while (auto parent = current->parentViewController())
        current = parent;
    return current;
}

// MARK: Modal presentation

void UIViewController::finishModalTransition()
{
    if (auto finish = std::move(m_modalFinish)) {
        m_modalFinish = nullptr;
        finish();
    }
}

void UIViewController::presentViewController(const std::shared_ptr<UIViewController>& controller, bool animated,
    std::function<void()> completion)
{
    NSAssertMainThread();
    auto presenter = rootAncestor();
    presenter->finishModalTransition();
    if (!controller || controller == presenter || controller->presentingViewController() || controller->parentViewController()) {
        NSLog("Cannot present %@: it is already shown elsewhere", controller);
        return;
    }
    if (presenter->m_presented) {
        NSLog("Cannot present %@: %@ already presents %@", controller, presenter, presenter->m_presented);
        return;
    }
    auto presenterView = presenter->view();
    auto window = presenterView->window();
    if (!window) {
        NSLog("Cannot present %@: %@ is not in a window", controller, presenter);
        return;
    }
    presenter->m_presented = controller;
    controller->m_presenting = presenter;
    controller->m_beingPresented = true;
    auto view = controller->view();
    const CGRect bounds = window->bounds();
    view->setFrame(bounds);
    view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    presenter->beginAppearanceTransition(false, animated);
    controller->beginAppearanceTransition(true, animated);
    window->addSubview(view);

    std::weak_ptr<UIViewController> weakPresenter = presenter;
    std::weak_ptr<UIViewController> weakPresented = controller;
    const bool keepsPresenter = controller->m_modalPresentationStyle == UIModalPresentationStyle::OverFullScreen;
    auto finish = [weakPresenter, weakPresented, keepsPresenter, animated, completion = std::move(completion)] {
        auto presenter = weakPresenter.lock();
        auto presented = weakPresented.lock();
        if (animated)
            UIApplication::sharedApplication()->endIgnoringInteractionEvents();
        if (!presenter || !presented)
            return;
        presenter->m_modalFinish = nullptr;
        if (!keepsPresenter) {
            if (auto view = presenter->viewIfLoaded(); view && view->window() && presented->viewIfLoaded()
                && view != presented->viewIfLoaded())
                view->removeFromSuperview();
        }
        presented->m_beingPresented = false;
        presented->endAppearanceTransition();
        presenter->endAppearanceTransition();
        if (completion)
            completion();
    };
    if (!animated) {
        finish();
        return;
    }
    UIApplication::sharedApplication()->beginIgnoringInteractionEvents();
    std::weak_ptr<UIView> weakView = view;
    presenter->m_modalFinish = [weakView] {
        if (auto view = weakView.lock())
            view->layer()->removeAllAnimations();
    };
    const bool dissolve = controller->m_modalTransitionStyle == UIModalTransitionStyle::CrossDissolve;
    UIView::performWithoutAnimation([&] {
        if (dissolve)
            view->setAlpha(0);
        else
            view->setFrame(CGRectOffset(bounds, 0, bounds.size.height));
    });
    UIView::animateWithDuration(modalTransitionDuration, 0, UIViewAnimationOptionCurveEaseInOut, [&] {
        if (dissolve)
            view->setAlpha(1);
        else
            view->setFrame(bounds);
    }, [finish](bool) { finish(); });
}

void UIViewController::dismissViewControllerAnimated(bool animated, std::function<void()> completion)
{
    NSAssertMainThread();
    auto protectedSelf = self();
    std::shared_ptr<UIViewController> presenter = m_presented ? rootAncestor() : presentingViewController();
    if (!m_presented) {
        if (auto root = rootAncestor(); root->m_presented)
            presenter = root;
    }
    if (!presenter || !presenter->m_presented)
        return;
    presenter->finishModalTransition();
    auto presented = presenter->m_presented;
    if (!presented)
        return;
    // Whatever the presented controller presents goes with it, at once.
    if (presented->m_presented)
        presented->dismissViewControllerAnimated(false, nullptr);

    auto presentedView = presented->view();
    auto window = presentedView->window();
    presented->m_beingDismissed = true;
    presented->beginAppearanceTransition(false, animated);
    presenter->beginAppearanceTransition(true, animated);
    auto presenterView = presenter->view();
    if (window && !presenterView->window()) {
        presenterView->setFrame(window->bounds());
        window->insertSubviewBelowSubview(presenterView, presentedView);
    }

    std::weak_ptr<UIViewController> weakPresenter = presenter;
    auto finish = [weakPresenter, presented, animated, completion = std::move(completion)] {
        if (animated)
            UIApplication::sharedApplication()->endIgnoringInteractionEvents();
        auto presenter = weakPresenter.lock();
        if (presenter)
            presenter->m_modalFinish = nullptr;
        if (auto view = presented->viewIfLoaded())
            view->removeFromSuperview();
        presented->m_beingDismissed = false;
        presented->endAppearanceTransition();
        if (presenter) {
            presenter->endAppearanceTransition();
            if (presenter->m_presented == presented)
                presenter->m_presented = nullptr;
        }
        presented->m_presenting.reset();
        if (completion)
            completion();
    };
    if (!animated || !window) {
        finish();
        return;
    }
    UIApplication::sharedApplication()->beginIgnoringInteractionEvents();
    std::weak_ptr<UIView> weakView = presentedView;
    presenter->m_modalFinish = [weakView] {
        if (auto view = weakView.lock())
            view->layer()->removeAllAnimations();
    };
    const bool dissolve = presented->m_modalTransitionStyle == UIModalTransitionStyle::CrossDissolve;
    const CGRect bounds = window->bounds();
    UIView::animateWithDuration(modalTransitionDuration, 0, UIViewAnimationOptionCurveEaseInOut, [&] {
        if (dissolve)
            presentedView->setAlpha(0);
        else
            presentedView->setFrame(CGRectOffset(bounds, 0, bounds.size.height));
    }, [finish](bool) { finish(); });
}

// MARK: Status bar

void UIViewController::setNeedsStatusBarAppearanceUpdate()
{
    NSAssertMainThread();
    auto based = NSBundle::mainBundle()->objectForInfoDictionaryKey("UIViewControllerBasedStatusBarAppearance");
    if (auto number = ns::cast<NSNumber>(based); number && !number->boolValue())
        return;
    auto application = UIApplication::sharedApplication();
    auto window = application->keyWindow();
    if (!window || !window->rootViewController())
        return;
    auto owner = window->rootViewController();
    while (owner->m_presented)
        owner = owner->m_presented;
    auto styleOwner = owner;
    while (auto child = styleOwner->childViewControllerForStatusBarStyle())
        styleOwner = child;
    auto hiddenOwner = owner;
    while (auto child = hiddenOwner->childViewControllerForStatusBarHidden())
        hiddenOwner = child;
    application->setStatusBarStyle(styleOwner->preferredStatusBarStyle());
    application->setStatusBarHidden(hiddenOwner->prefersStatusBarHidden());
}

void UIViewController::setTitle(const NSString& title)
{
    m_title = title;
    if (m_navigationItem)
        m_navigationItem->setTitle(title);
}

std::shared_ptr<UINavigationItem> UIViewController::navigationItem() const
{
    if (!m_navigationItem)
        m_navigationItem = UINavigationItem::create(m_title);
    return m_navigationItem;
}
