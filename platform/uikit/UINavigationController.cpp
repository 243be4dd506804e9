#include "platform/uikit/UINavigationController.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSLog.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UnclaimedKeyRouting.h"

#include <algorithm>

class UINavigationController::ContainerView : public UIView {
    NS_OBJECT(ContainerView, UIView)
public:
    void setNavigationController(const std::shared_ptr<UINavigationController>& controller) { m_controller = controller; }
    void layoutSubviews() override
    {
        if (auto controller = m_controller.lock())
            controller->layoutContents();
    }

private:
    std::weak_ptr<UINavigationController> m_controller;
};

namespace {

// Lets the edge pan begin only from the left edge, with something to pop, and no transition running.
class PopGestureGate : public UIGestureRecognizerDelegate {
public:
    explicit PopGestureGate(std::weak_ptr<UINavigationController> controller) : m_controller(std::move(controller)) { }
    std::optional<bool> shouldReceiveTouch(UIGestureRecognizer&, UITouch& touch) override
    {
        auto controller = m_controller.lock();
        if (!controller)
            return false;
        return touch.locationInView(controller->viewIfLoaded()).x <= edgeWidth;
    }
    std::optional<bool> gestureRecognizerShouldBegin(UIGestureRecognizer&) override
    {
        auto controller = m_controller.lock();
        return controller && controller->viewControllers().size() > 1 && !controller->isTransitioning();
    }

private:
    static constexpr CGFloat edgeWidth = 20;
    std::weak_ptr<UINavigationController> m_controller;
};

// The bar's back button pops the top controller rather than only its item.
class BarLink : public UINavigationBarDelegate {
public:
    explicit BarLink(std::weak_ptr<UINavigationController> controller) : m_controller(std::move(controller)) { }
    std::optional<bool> shouldPopItem(UINavigationBar&, UINavigationItem& item) override
    {
        auto controller = m_controller.lock();
        if (!controller)
            return true;
        auto top = controller->topViewController();
        if (top && top->navigationItem().get() == &item && !controller->isTransitioning())
            controller->popViewControllerAnimated(true);
        return false;
    }

private:
    std::weak_ptr<UINavigationController> m_controller;
};

} // namespace

UINavigationController::~UINavigationController() = default;

void UINavigationController::init()
{
    UIViewController::init();
    m_popGesture = UIPanGestureRecognizer::create();
    m_popGesture->setMaximumNumberOfTouches(1);
    // As the platform's edge pan: a touch at the edge reaches its view once the pan is ruled out.
    m_popGesture->setDelaysTouchesBegan(true);
    m_popGesture->addTarget(self(), &UINavigationController::handlePopGesture);
    m_popGestureDelegate = std::make_shared<PopGestureGate>(self());
    m_popGesture->setDelegate(m_popGestureDelegate);
    m_barLink = std::make_shared<BarLink>(self());
    auto bar = UINavigationBar::create(CGRectMake(0, 0, UIScreen::mainScreen()->bounds().size.width, navigationBarHeight));
    bar->setDelegate(m_barLink);
    m_navigationBar = bar;
}

void UINavigationController::syncNavigationBar(bool animated)
{
    auto bar = navigationBar();
    if (!bar)
        return;
    std::vector<std::shared_ptr<UINavigationItem>> items;
    for (const auto& controller : m_stack)
        items.push_back(controller->navigationItem());
    bar->setItems(items, animated);
}

void UINavigationController::init(const std::shared_ptr<UIViewController>& rootViewController)
{
    init();
    if (rootViewController)
        setViewControllers({ rootViewController }, false);
}

void UINavigationController::loadView()
{
    auto container = ContainerView::create(UIScreen::mainScreen()->bounds());
    container->setNavigationController(self());
    container->setClipsToBounds(true);
    container->addGestureRecognizer(m_popGesture);
    setView(container);
    if (auto top = topViewController()) {
        auto view = top->view();
        view->setFrame(contentFrameFor(*top));
        view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
        container->addSubview(view);
        adjustScrollViewInsets(*top);
    }
    if (m_navigationBar)
        container->addSubview(m_navigationBar);
}

bool UINavigationController::takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    if (!UnclaimedKeyRouting::isBackKey(key, modifiers))
        return false;
    auto top = topViewController();
    if (m_stack.size() < 2 || !navigationBar() || m_navigationBarHidden || top->navigationItem()->hidesBackButton()
        || isTransitioning())
        return false;
    popViewControllerAnimated(true);
    return true;
}

std::shared_ptr<UIViewController> UINavigationController::visibleViewController() const
{
    auto top = topViewController();
    if (top && top->presentedViewController())
        return top->presentedViewController();
    return top;
}

CGRect UINavigationController::contentFrameFor(const UIViewController& controller) const
{
    const CGRect bounds = isViewLoaded() ? viewIfLoaded()->bounds() : UIScreen::mainScreen()->bounds();
    if (!m_navigationBar || m_navigationBarHidden || (controller.edgesForExtendedLayout() & UIRectEdgeTop))
        return bounds;
    const CGFloat top = UIApplication::sharedApplication()->statusBarFrame().size.height + navigationBarHeight;
    return { { bounds.origin.x, bounds.origin.y + top }, { bounds.size.width, bounds.size.height - top } };
}

void UINavigationController::layoutContents()
{
    if (!isViewLoaded())
        return;
    auto container = viewIfLoaded();
    if (m_navigationBar) {
        const CGFloat top = UIApplication::sharedApplication()->statusBarFrame().size.height;
        m_navigationBar->setFrame({ { 0, top }, { container->bounds().size.width, navigationBarHeight } });
        m_navigationBar->setHidden(m_navigationBarHidden);
        container->bringSubviewToFront(m_navigationBar);
    }
    if (isTransitioning())
        return;
    if (auto top = topViewController(); top && top->isViewLoaded() && top->viewIfLoaded()->superview() == container) {
        top->viewIfLoaded()->setFrame(contentFrameFor(*top));
        adjustScrollViewInsets(*top);
    }
}

void UINavigationController::adjustScrollViewInsets(UIViewController& controller)
{
    std::erase_if(m_adjustedInsets, [](const AdjustedInsets& entry) { return entry.scrollView.expired(); });
    if (!controller.automaticallyAdjustsScrollViewInsets() || !(controller.edgesForExtendedLayout() & UIRectEdgeTop))
        return;
    auto view = controller.viewIfLoaded();
    if (!view)
        return;
    auto scrollView = std::dynamic_pointer_cast<UIScrollView>(view);
    if (!scrollView && !view->subviews().empty())
        scrollView = std::dynamic_pointer_cast<UIScrollView>(view->subviews().front());
    if (!scrollView)
        return;
    // The top layout guide: the status bar, and the navigation bar while it shows.
    CGFloat top = UIApplication::sharedApplication()->statusBarFrame().size.height;
    if (m_navigationBar && !m_navigationBarHidden)
        top += navigationBarHeight;
    auto entry = std::find_if(m_adjustedInsets.begin(), m_adjustedInsets.end(),
        [&](const AdjustedInsets& e) { return e.scrollView.lock() == scrollView; });
    const CGFloat applied = entry == m_adjustedInsets.end() ? 0 : entry->top;
    if (applied == top)
        return;
    const bool atTop = scrollView->contentOffset().y == -scrollView->contentInset().top;
    UIEdgeInsets insets = scrollView->contentInset();
    insets.top += top - applied;
    scrollView->setContentInset(insets);
    UIEdgeInsets indicators = scrollView->scrollIndicatorInsets();
    indicators.top += top - applied;
    scrollView->setScrollIndicatorInsets(indicators);
    if (atTop)
        scrollView->setContentOffset(CGPointMake(scrollView->contentOffset().x, -insets.top));
    if (entry == m_adjustedInsets.end())
        m_adjustedInsets.push_back({ scrollView, top });
    else
        entry->top = top;
}

void UINavigationController::setNavigationBarHidden(bool hidden, bool)
{
    NSAssertMainThread();
    if (m_navigationBarHidden == hidden)
        return;
    m_navigationBarHidden = hidden;
    if (isViewLoaded())
        viewIfLoaded()->setNeedsLayout();
}

void UINavigationController::setNavigationBar(const std::shared_ptr<UIView>& bar)
{
    NSAssertMainThread();
    if (m_navigationBar == bar)
        return;
    if (auto previous = navigationBar()) {
        // The screens' items belong to the new bar; the old one no longer answers to this stack.
        previous->setItems({});
        previous->setDelegate(nullptr);
    }
    if (m_navigationBar)
        m_navigationBar->removeFromSuperview();
    m_navigationBar = bar;
    if (auto navigationBar = this->navigationBar())
        navigationBar->setDelegate(m_barLink);
    syncNavigationBar(false);
    if (bar && isViewLoaded())
        viewIfLoaded()->addSubview(bar);
    if (isViewLoaded())
        viewIfLoaded()->setNeedsLayout();
}

// MARK: Appearance of the whole stack

void UINavigationController::viewWillAppear(bool animated)
{
    if (auto top = topViewController())
        top->beginAppearanceTransition(true, animated);
}

void UINavigationController::viewDidAppear(bool)
{
    if (auto top = topViewController())
        top->endAppearanceTransition();
}

void UINavigationController::viewWillDisappear(bool animated)
{
    finishRunningTransition();
    if (auto top = topViewController())
        top->beginAppearanceTransition(false, animated);
}

void UINavigationController::viewDidDisappear(bool)
{
    if (auto top = topViewController())
        top->endAppearanceTransition();
}

// MARK: The stack

void UINavigationController::finishRunningTransition()
{
    if (auto finish = std::move(m_finishTransition)) {
        m_finishTransition = nullptr;
        finish();
    }
}

void UINavigationController::pushViewController(const std::shared_ptr<UIViewController>& controller, bool animated)
{
    NSAssertMainThread();
    finishRunningTransition();
    if (!controller || std::find(m_stack.begin(), m_stack.end(), controller) != m_stack.end()
        || controller->parentViewController() || std::dynamic_pointer_cast<UINavigationController>(controller)) {
        NSLog("Cannot push %@ onto %@", controller, self());
        return;
    }
    auto from = topViewController();
    m_stack.push_back(controller);
    addChildViewController(controller);
    transition(from, controller, animated, true, {});
}

std::shared_ptr<UIViewController> UINavigationController::popViewControllerAnimated(bool animated)
{
    NSAssertMainThread();
    finishRunningTransition();
    if (m_stack.size() < 2)
        return nullptr;
    auto popped = m_stack.back();
    m_stack.pop_back();
    popped->willMoveToParentViewController(nullptr);
    transition(popped, m_stack.back(), animated, false, { popped });
    return popped;
}

std::vector<std::shared_ptr<UIViewController>> UINavigationController::popToViewController(
    const std::shared_ptr<UIViewController>& controller, bool animated)
{
    NSAssertMainThread();
    finishRunningTransition();
    auto position = std::find(m_stack.begin(), m_stack.end(), controller);
    if (position == m_stack.end() || position + 1 == m_stack.end())
        return {};
    std::vector<std::shared_ptr<UIViewController>> removed(position + 1, m_stack.end());
    auto from = m_stack.back();
    m_stack.erase(position + 1, m_stack.end());
    for (const auto& gone : removed)
        gone->willMoveToParentViewController(nullptr);
    transition(from, controller, animated, false, removed);
    return removed;
}

std::vector<std::shared_ptr<UIViewController>> UINavigationController::popToRootViewControllerAnimated(bool animated)
{
    if (m_stack.empty())
        return {};
    return popToViewController(m_stack.front(), animated);
}

void UINavigationController::setViewControllers(const std::vector<std::shared_ptr<UIViewController>>& controllers, bool animated)
{
    NSAssertMainThread();
    finishRunningTransition();
    std::vector<std::shared_ptr<UIViewController>> next;
    for (const auto& controller : controllers) {
        if (!controller || std::find(next.begin(), next.end(), controller) != next.end())
            continue;
        if (auto parent = controller->parentViewController(); parent && parent.get() != this)
            continue;
        next.push_back(controller);
    }
    auto from = topViewController();
    std::vector<std::shared_ptr<UIViewController>> removed;
    for (const auto& old : m_stack) {
        if (std::find(next.begin(), next.end(), old) == next.end()) {
            old->willMoveToParentViewController(nullptr);
            removed.push_back(old);
        }
    }
    const bool forward = !next.empty() && std::find(m_stack.begin(), m_stack.end(), next.back()) == m_stack.end();
    m_stack = next;
    for (const auto& controller : m_stack) {
        if (controller->parentViewController().get() != this) {
            addChildViewController(controller);
            if (controller != m_stack.back())
                controller->didMoveToParentViewController(self());
        }
    }
    auto to = topViewController();
    syncNavigationBar(animated);
    if (from == to) {
        for (const auto& gone : removed)
            gone->removeFromParentViewController();
        return;
    }
    transition(from, to, animated, forward, removed);
}

void UINavigationController::transition(const std::shared_ptr<UIViewController>& from,
    const std::shared_ptr<UIViewController>& to, bool animated, bool forward,
    std::vector<std::shared_ptr<UIViewController>> removed)
{
    auto protectedSelf = self();
    syncNavigationBar(animated);
    const bool visible = isViewLoaded() && viewIfLoaded()->window() && (hasAppeared() || isAppearing());
    animated = animated && visible && from && to && UIView::areAnimationsEnabled();
    auto delegate = this->delegate();
    std::shared_ptr<UIView> container = isViewLoaded() ? viewIfLoaded() : nullptr;

    // The new view loads first, as on the platform.
    if (container && to)
        to->view();
    if (visible && from)
        from->beginAppearanceTransition(false, animated);
    if (visible && to && delegate)
        delegate->willShowViewController(*this, *to, animated);
    std::shared_ptr<UIView> toView;
    if (container && to) {
        toView = to->view();
        const CGRect frame = contentFrameFor(*to);
        UIView::performWithoutAnimation([&] {
            toView->setTransform(CGAffineTransformIdentity);
            toView->setFrame(frame);
        });
        toView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
        adjustScrollViewInsets(*to);
        if (visible)
            to->beginAppearanceTransition(true, animated);
        auto fromView = from ? from->viewIfLoaded() : nullptr;
        if (!forward && fromView && fromView->superview() == container)
            container->insertSubviewBelowSubview(toView, fromView);
        else
            container->addSubview(toView);
        if (m_navigationBar)
            container->bringSubviewToFront(m_navigationBar);
    }

    std::weak_ptr<UINavigationController> weakSelf = self();
    auto finish = [weakSelf, from, to, forward, visible, animated, removed = std::move(removed)] {
        auto self = weakSelf.lock();
        if (animated)
            UIApplication::sharedApplication()->endIgnoringInteractionEvents();
        if (!self)
            return;
        self->m_finishTransition = nullptr;
        auto container = self->viewIfLoaded();
        if (from && from != to) {
            if (auto fromView = from->viewIfLoaded()) {
                UIView::performWithoutAnimation([&] { fromView->setTransform(CGAffineTransformIdentity); });
                if (fromView->superview() == container)
                    fromView->removeFromSuperview();
            }
        }
        if (to) {
            if (auto toView = to->viewIfLoaded())
                UIView::performWithoutAnimation([&] { toView->setFrame(self->contentFrameFor(*to)); });
        }
        if (visible && from)
            from->endAppearanceTransition();
        if (visible && to)
            to->endAppearanceTransition();
        for (const auto& gone : removed)
            gone->removeFromParentViewController();
        if (forward && to)
            to->didMoveToParentViewController(self);
        if (visible && to) {
            if (auto delegate = self->delegate())
                delegate->didShowViewController(*self, *to, animated);
        }
    };
    if (!animated) {
        finish();
        return;
    }
    UIApplication::sharedApplication()->beginIgnoringInteractionEvents();
    auto fromView = from->viewIfLoaded();
    const CGFloat width = container->bounds().size.width;
    const CGRect toFrame = toView->frame();
    UIView::performWithoutAnimation([&] {
        toView->setFrame(CGRectOffset(toFrame, forward ? width : -width / 3, 0));
    });
    std::weak_ptr<UIView> weakTo = toView;
    std::weak_ptr<UIView> weakFrom = fromView;
    m_finishTransition = [weakTo, weakFrom] {
        // Taking the animations away ends them at once, which runs the completion below.
        if (auto view = weakTo.lock())
            view->layer()->removeAllAnimations();
        if (auto view = weakFrom.lock())
            view->layer()->removeAllAnimations();
    };
    auto sharedFinish = std::make_shared<decltype(finish)>(std::move(finish));
    UIView::animateWithDuration(transitionDuration, 0, UIViewAnimationOptionCurveEaseInOut, [&] {
        toView->setFrame(toFrame);
        if (fromView)
            fromView->setTransform(CGAffineTransformMakeTranslation(forward ? -width / 3 : width, 0));
    }, [sharedFinish](bool) { (*sharedFinish)(); });
}

void UINavigationController::handlePopGesture(UIPanGestureRecognizer& recognizer)
{
    auto top = topViewController();
    if (!top || m_stack.size() < 2 || !isViewLoaded())
        return;
    auto view = top->viewIfLoaded();
    if (!view)
        return;
    const CGFloat width = viewIfLoaded()->bounds().size.width;
    const CGFloat distance = std::max(0.0, recognizer.translationInView(viewIfLoaded()).x);
    switch (recognizer.state()) {
    case UIGestureRecognizerState::Began:
    case UIGestureRecognizerState::Changed:
        UIView::performWithoutAnimation([&] { view->setTransform(CGAffineTransformMakeTranslation(distance, 0)); });
        break;
    case UIGestureRecognizerState::Ended:
        if (distance > width / 2 || recognizer.velocityInView(viewIfLoaded()).x > 500) {
            UIView::performWithoutAnimation([&] { view->setTransform(CGAffineTransformIdentity); });
            popViewControllerAnimated(true);
            break;
        }
        [[fallthrough]];
    default:
        UIView::animateWithDuration(0.2, [view] { view->setTransform(CGAffineTransformIdentity); });
        break;
    }
}
