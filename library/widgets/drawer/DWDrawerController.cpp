#include "library/widgets/drawer/DWDrawerController.h"

#include "library/network/device/UIDevice_System.h"
#include "library/widgets/drawer/UIViewController_DWDrawerController.h"
#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSNumber.h"
#include "platform/layers/CABasicAnimation.h"
#include "platform/layers/CAKeyframeAnimation.h"
#include "platform/layers/CATransaction.h"
#include "platform/layers/NSValueGeometry.h"
#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UITouch.h"

#include <cmath>

namespace {

DWDrawerSide otherSide(DWDrawerSide side)
{
    if (side == DWDrawerSideLeft)
        return DWDrawerSideRight;
    if (side == DWDrawerSideRight)
        return DWDrawerSideLeft;
    return DWDrawerSideNone;
}

void finish(const DWDrawerController::Completion& completion, bool finished)
{
    if (completion)
        completion(finished);
}

} // namespace

// MARK: Creation

void DWDrawerController::init(const NSString&, const std::shared_ptr<NSBundle>&)
{
    UIViewController::init();
    commonSetup();
    adapter();
}

void DWDrawerController::init(NSCoder&) { init(NSString(), nullptr); }

void DWDrawerController::init(const UIViewControllerRef& center, const UIViewControllerRef& leftDrawer, const UIViewControllerRef& rightDrawer)
{
    init(NSString(), nullptr);
    setCenterViewController(center);
    setLeftDrawerViewController(leftDrawer);
    setRightDrawerViewController(rightDrawer);
}

void DWDrawerController::init(const UIViewControllerRef& center, const UIViewControllerRef& drawer, DWDrawerSide side)
{
    init(center, side == DWDrawerSideLeft ? drawer : nullptr, side == DWDrawerSideRight ? drawer : nullptr);
}

void DWDrawerController::commonSetup()
{
    m_maximumLeftDrawerWidth = kDefaultMaximumDrawerWidth;
    m_maximumRightDrawerWidth = kDefaultMaximumDrawerWidth;
    m_animationVelocity = kDefaultAnimationVelocity;
    m_showsShadow = true;
    m_shouldStretchDrawer = true;
    m_openDrawerGestureModeMask = DWOpenDrawerGestureModeNone;
    m_closeDrawerGestureModeMask = DWCloseDrawerGestureModeNone;
    m_centerHiddenInteractionMode = DWDrawerOpenCenterInteractionModeNavigationBarOnly;
}

void DWDrawerController::adapter()
{
    if (UIDevice_System::isSystemGreaterEqualOS7(UIDevice::currentDevice()))
        setEdgesForExtendedLayout(UIRectEdgeAll);
    else
        setWantsFullScreenLayout(true);
}

void DWDrawerController::viewDidLoad()
{
    UIViewController::viewDidLoad();
    setupGestureRecognizers();
}

// MARK: Views

const UIViewRef& DWDrawerController::childControllerContainerView()
{
    if (!m_childControllerContainerView) {
        auto root = view();
        m_childControllerContainerView = UIView::create(root->bounds());
        m_childControllerContainerView->setBackgroundColor(UIColor::clearColor());
        m_childControllerContainerView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
        root->addSubview(m_childControllerContainerView);
    }
    return m_childControllerContainerView;
}

const UIViewRef& DWDrawerController::dummyStatusBarView()
{
    if (!m_dummyStatusBarView) {
        auto root = view();
        m_dummyStatusBarView = UIView::create(CGRectMake(0, 0, root->bounds().size.width, 20));
        m_dummyStatusBarView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
        m_dummyStatusBarView->setBackgroundColor(statusBarViewBackgroundColor());
        m_dummyStatusBarView->setHidden(!m_showsStatusBarBackgroundView);
        root->addSubview(m_dummyStatusBarView);
    }
    return m_dummyStatusBarView;
}

const UIColorRef& DWDrawerController::statusBarViewBackgroundColor()
{
    if (!m_statusBarViewBackgroundColor)
        m_statusBarViewBackgroundColor = UIColor::blackColor();
    return m_statusBarViewBackgroundColor;
}

void DWDrawerController::setStatusBarViewBackgroundColor(const UIColorRef& color)
{
    m_statusBarViewBackgroundColor = color;
    dummyStatusBarView()->setBackgroundColor(color);
}

CGFloat DWDrawerController::visibleLeftDrawerWidth() const
{
    if (!m_centerContainerView)
        return 0;
    const CGFloat x = CGRectGetMinX(m_centerContainerView->frame());
    return x > 0 ? x : 0;
}

CGFloat DWDrawerController::visibleRightDrawerWidth() const
{
    if (!m_centerContainerView || !m_childControllerContainerView)
        return 0;
    if (CGRectGetMinX(m_centerContainerView->frame()) < 0)
        return m_childControllerContainerView->bounds().size.width - CGRectGetMaxX(m_centerContainerView->frame());
    return 0;
}

// MARK: Children

UIViewControllerRef DWDrawerController::sideDrawerViewControllerForSide(DWDrawerSide side) const
{
    return side == DWDrawerSideNone ? nullptr : childViewControllerForSide(side);
}

UIViewControllerRef DWDrawerController::childViewControllerForSide(DWDrawerSide side) const
{
    switch (side) {
    case DWDrawerSideNone:
        return m_centerViewController;
    case DWDrawerSideLeft:
        return m_leftDrawerViewController;
    case DWDrawerSideRight:
        return m_rightDrawerViewController;
    }
    return nullptr;
}

std::shared_ptr<UIViewController> DWDrawerController::childViewControllerForStatusBarStyle() const
{
    return childViewControllerForSide(m_openSide);
}

std::shared_ptr<UIViewController> DWDrawerController::childViewControllerForStatusBarHidden() const
{
    return childViewControllerForSide(m_openSide);
}

void DWDrawerController::setCenterViewController(const UIViewControllerRef& controller, bool animated)
{
    NSAssertMainThread();
    if (m_centerViewController == controller)
        return;
    auto container = childControllerContainerView();
    if (!m_centerContainerView) {
        m_centerContainerView = DWDrawerCenterContainerView::create(container->bounds());
        m_centerContainerView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
        m_centerContainerView->setBackgroundColor(UIColor::clearColor());
        m_centerContainerView->setOpenSide(m_openSide);
        m_centerContainerView->setCenterInteractionMode(m_centerHiddenInteractionMode);
        container->addSubview(m_centerContainerView);
    }
    if (auto old = m_centerViewController) {
        old->willMoveToParentViewController(nullptr);
        if (!animated)
            old->beginAppearanceTransition(false, false);
        old->removeFromParentViewController();
        if (auto oldView = old->viewIfLoaded())
            oldView->removeFromSuperview();
        if (!animated)
            old->endAppearanceTransition();
    }
    m_centerViewController = controller;
    if (!controller)
        return;
    addChildViewController(controller);
    controller->view()->setFrame(container->bounds());
    m_centerContainerView->addSubview(controller->view());
    container->bringSubviewToFront(m_centerContainerView);
    controller->view()->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    updateShadowForCenterView();
    if (!animated) {
        controller->beginAppearanceTransition(true, false);
        controller->endAppearanceTransition();
        controller->didMoveToParentViewController(self());
    }
}

void DWDrawerController::setCenterViewControllerWithCloseAnimation(const UIViewControllerRef& controller, bool closeAnimated, Completion completion)
{
    const bool animated = m_openSide != DWDrawerSideNone && closeAnimated;
    const bool changed = m_centerViewController != controller;
    // The replaced centre's view goes at once: it hears that it disappeared, which the animated
    // replacement leaves to its caller.
    auto oldCenter = animated && changed ? m_centerViewController : nullptr;
    if (oldCenter)
        oldCenter->beginAppearanceTransition(false, true);
    setCenterViewController(controller, animated);
    if (oldCenter)
        oldCenter->endAppearanceTransition();
    if (!animated) {
        finish(completion, true);
        return;
    }
    updateDrawerVisualStateForDrawerSide(m_openSide, 1.0);
    if (changed)
        controller->beginAppearanceTransition(true, true);
    auto protectedSelf = self();
    closeDrawerAnimated(animated, [protectedSelf, controller, changed, completion](bool finished) {
        if (changed && controller) {
            controller->endAppearanceTransition();
            controller->didMoveToParentViewController(protectedSelf);
        }
        finish(completion, finished);
    });
}

void DWDrawerController::setCenterViewControllerWithFullCloseAnimation(const UIViewControllerRef& controller, bool fullCloseAnimated,
    Completion completion)
{
    if (m_openSide == DWDrawerSideNone || !fullCloseAnimated || !m_centerContainerView) {
        setCenterViewController(controller, fullCloseAnimated);
        if (m_openSide != DWDrawerSideNone)
            closeDrawerAnimated(fullCloseAnimated, std::move(completion));
        else
            finish(completion, true);
        return;
    }
    auto container = childControllerContainerView();
    const DWDrawerSide side = m_openSide;
    const CGFloat width = container->bounds().size.width;
    const CGFloat targetX = side == DWDrawerSideLeft ? width : -width;
    const bool changed = m_centerViewController != controller;
    auto oldCenter = m_centerViewController;
    auto drawer = sideDrawerViewControllerForSide(side);
    setAnimatingDrawer(true);
    if (changed && oldCenter)
        oldCenter->beginAppearanceTransition(false, true);
    auto protectedSelf = self();
    CGRect pushedAway = m_centerContainerView->frame();
    pushedAway.origin.x = targetX;
    const NSTimeInterval firstDuration = animationDurationForAnimationDistance(std::fabs(CGRectGetMinX(m_centerContainerView->frame()) - targetX));
    UIView::animateWithDuration(firstDuration, 0, UIViewAnimationOptionNone, [protectedSelf, pushedAway, drawer, container] {
        protectedSelf->m_centerContainerView->setFrame(pushedAway);
        if (drawer)
            drawer->view()->setFrame(container->bounds());
    }, [protectedSelf, controller, changed, oldCenter, drawer, side, container, width, completion](bool) {
        const CGRect kept = protectedSelf->m_centerContainerView->frame();
        protectedSelf->setCenterViewController(controller, true);
        protectedSelf->m_centerContainerView->setFrame(kept);
        protectedSelf->updateDrawerVisualStateForDrawerSide(side, 1.0);
        if (changed) {
            if (oldCenter)
                oldCenter->endAppearanceTransition();
            if (controller)
                controller->beginAppearanceTransition(true, true);
        }
        if (drawer)
            drawer->beginAppearanceTransition(false, true);
        UIView::animateWithDuration(protectedSelf->animationDurationForAnimationDistance(width), 0.1f, UIViewAnimationOptionNone,
            [protectedSelf, side, container] {
                protectedSelf->m_centerContainerView->setFrame(container->bounds());
                protectedSelf->updateDrawerVisualStateForDrawerSide(side, 0.0);
            },
            [protectedSelf, controller, changed, drawer, side, completion](bool finished) {
                if (changed && controller) {
                    controller->endAppearanceTransition();
                    controller->didMoveToParentViewController(protectedSelf);
                }
                if (drawer) {
                    drawer->endAppearanceTransition();
                    protectedSelf->resetDrawerVisualStateForDrawerSide(side);
                    drawer->view()->setFrame(DWDrawerController_Category::dw_visibleDrawerFrame(*drawer));
                }
                protectedSelf->setOpenSide(DWDrawerSideNone);
                protectedSelf->setAnimatingDrawer(false);
                finish(completion, finished);
            });
    });
}

void DWDrawerController::setDrawerViewController(const UIViewControllerRef& controller, DWDrawerSide side)
{
    NSAssertMainThread();
    if (side == DWDrawerSideNone)
        return;
    if (auto current = sideDrawerViewControllerForSide(side)) {
        current->beginAppearanceTransition(false, false);
        if (auto currentView = current->viewIfLoaded())
            currentView->removeFromSuperview();
        current->endAppearanceTransition();
        current->willMoveToParentViewController(nullptr);
        current->removeFromParentViewController();
    }
    NSUInteger autoresizing = UIViewAutoresizingFlexibleHeight;
    if (side == DWDrawerSideRight) {
        m_rightDrawerViewController = controller;
        autoresizing |= UIViewAutoresizingFlexibleLeftMargin;
    } else {
        m_leftDrawerViewController = controller;
        autoresizing |= UIViewAutoresizingFlexibleRightMargin;
    }
    if (!controller)
        return;
    addChildViewController(controller);
    auto container = childControllerContainerView();
    if (m_openSide == side && m_centerContainerView && m_centerContainerView->superview() == container) {
        container->insertSubviewBelowSubview(controller->view(), m_centerContainerView);
        controller->beginAppearanceTransition(true, false);
        controller->endAppearanceTransition();
    } else {
        container->addSubview(controller->view());
        container->sendSubviewToBack(controller->view());
        controller->view()->setHidden(true);
    }
    controller->didMoveToParentViewController(self());
    controller->view()->setAutoresizingMask(autoresizing);
    controller->view()->setFrame(DWDrawerController_Category::dw_visibleDrawerFrame(*controller));
}

// MARK: Opening and closing

NSTimeInterval DWDrawerController::animationDurationForAnimationDistance(CGFloat distance) const
{
    return std::max<NSTimeInterval>(distance / m_animationVelocity, 0.15f);
}

void DWDrawerController::openDrawerSide(DWDrawerSide side, bool animated, Completion completion)
{
    openDrawerSide(side, animated, m_animationVelocity, UIViewAnimationOptionNone, std::move(completion));
}

void DWDrawerController::openDrawerSide(DWDrawerSide side, bool animated, CGFloat velocity, NSUInteger animationOptions, Completion completion)
{
    NSAssertMainThread();
    if (m_animatingDrawer) {
        finish(completion, false);
        return;
    }
    auto drawer = sideDrawerViewControllerForSide(side);
    // A side without a drawer is not opened; raising the flag for it would refuse every later request.
    if (!drawer || !m_centerContainerView)
        return;
    setAnimatingDrawer(animated);
    if (m_openSide != side)
        prepareToPresentDrawer(side, animated);
    CGRect target = m_centerContainerView->frame();
    target.origin.x = side == DWDrawerSideLeft ? maximumLeftDrawerWidth() : -maximumRightDrawerWidth();
    const CGFloat distance = std::fabs(CGRectGetMinX(m_centerContainerView->frame()) - target.origin.x);
    const NSTimeInterval duration = animated ? std::max<NSTimeInterval>(distance / std::fabs(velocity), 0.15f) : 0;
    const bool wasOpen = m_openSide == side;
    auto protectedSelf = self();
    UIView::animateWithDuration(duration, 0, animationOptions, [protectedSelf, target, side] {
        protectedSelf->setNeedsStatusBarAppearanceUpdateIfSupported();
        protectedSelf->m_centerContainerView->setFrame(target);
        protectedSelf->updateDrawerVisualStateForDrawerSide(side, 1.0);
    }, [protectedSelf, drawer, side, wasOpen, completion](bool finished) {
        if (!wasOpen)
            drawer->endAppearanceTransition();
        protectedSelf->setOpenSide(side);
        protectedSelf->resetDrawerVisualStateForDrawerSide(side);
        protectedSelf->setAnimatingDrawer(false);
        finish(completion, finished);
    });
}

void DWDrawerController::closeDrawerAnimated(bool animated, Completion completion)
{
    closeDrawerAnimated(animated, m_animationVelocity, UIViewAnimationOptionNone, std::move(completion));
}

void DWDrawerController::closeDrawerAnimated(bool animated, CGFloat velocity, NSUInteger animationOptions, Completion completion)
{
    NSAssertMainThread();
    if (m_animatingDrawer) {
        finish(completion, false);
        return;
    }
    if (!m_centerContainerView) {
        finish(completion, true);
        return;
    }
    setAnimatingDrawer(animated);
    const CGRect target = childControllerContainerView()->bounds();
    const CGRect current = m_centerContainerView->frame();
    const CGFloat x = CGRectGetMinX(current);
    DWDrawerSide visibleSide = DWDrawerSideNone;
    CGFloat percent = 0;
    if (x > 0) {
        visibleSide = DWDrawerSideLeft;
        percent = maximumLeftDrawerWidth() > 0 ? x / maximumLeftDrawerWidth() : 0;
    } else if (x < 0) {
        visibleSide = DWDrawerSideRight;
        percent = maximumRightDrawerWidth() > 0 ? -x / maximumRightDrawerWidth() : 0;
    }
    percent = std::max<CGFloat>(percent, 0);
    auto drawer = sideDrawerViewControllerForSide(visibleSide);
    updateDrawerVisualStateForDrawerSide(visibleSide, percent);
    if (drawer)
        drawer->beginAppearanceTransition(false, animated);
    const NSTimeInterval duration = animated ? std::max<NSTimeInterval>(std::fabs(x) / std::fabs(velocity), 0.15f) : 0;
    auto protectedSelf = self();
    UIView::animateWithDuration(duration, 0, animationOptions, [protectedSelf, target, visibleSide] {
        protectedSelf->setNeedsStatusBarAppearanceUpdateIfSupported();
        protectedSelf->m_centerContainerView->setFrame(target);
        protectedSelf->updateDrawerVisualStateForDrawerSide(visibleSide, 0);
    }, [protectedSelf, drawer, visibleSide, completion](bool finished) {
        if (drawer)
            drawer->endAppearanceTransition();
        protectedSelf->setOpenSide(DWDrawerSideNone);
        protectedSelf->resetDrawerVisualStateForDrawerSide(visibleSide);
        protectedSelf->setAnimatingDrawer(false);
        finish(completion, finished);
    });
}

void DWDrawerController::toggleDrawerSide(DWDrawerSide side, bool animated, Completion completion)
{
    if (m_openSide == DWDrawerSideNone && side != DWDrawerSideNone)
        openDrawerSide(side, animated, std::move(completion));
    else if (m_openSide != DWDrawerSideNone && side == m_openSide)
        closeDrawerAnimated(animated, std::move(completion));
    else
        finish(completion, false);
}

void DWDrawerController::setMaximumDrawerWidth(CGFloat width, DWDrawerSide side, bool animated, Completion completion)
{
    CGFloat old = 0;
    if (side == DWDrawerSideLeft) {
        old = m_maximumLeftDrawerWidth;
        m_maximumLeftDrawerWidth = width;
    } else if (side == DWDrawerSideRight) {
        old = m_maximumRightDrawerWidth;
        m_maximumRightDrawerWidth = width;
    }
    auto drawer = sideDrawerViewControllerForSide(side);
    const NSTimeInterval duration = animationDurationForAnimationDistance(std::fabs(width - old));
    if (m_openSide != side || !m_centerContainerView) {
        if (drawer)
            drawer->view()->setFrame(DWDrawerController_Category::dw_visibleDrawerFrame(*drawer));
        finish(completion, true);
        return;
    }
    CGRect target = m_centerContainerView->frame();
    target.origin.x = side == DWDrawerSideLeft ? width : -width;
    auto protectedSelf = self();
    UIView::animateWithDuration(animated ? duration : 0, 0, UIViewAnimationOptionNone, [protectedSelf, target, drawer] {
        protectedSelf->m_centerContainerView->setFrame(target);
        if (drawer)
            drawer->view()->setFrame(DWDrawerController_Category::dw_visibleDrawerFrame(*drawer));
    }, [completion](bool finished) { finish(completion, finished); });
}

void DWDrawerController::bouncePreviewForDrawerSide(DWDrawerSide side, CGFloat distance, Completion completion)
{
    auto drawer = sideDrawerViewControllerForSide(side);
    if (!drawer || m_openSide != DWDrawerSideNone || !m_centerContainerView) {
        finish(completion, false);
        return;
    }
    prepareToPresentDrawer(side, true);
    updateDrawerVisualStateForDrawerSide(side, 1.0);
    CATransaction::begin();
    CATransaction::setCompletionBlock([drawer, completion] {
        drawer->endAppearanceTransition();
        drawer->beginAppearanceTransition(false, false);
        drawer->endAppearanceTransition();
        finish(completion, true);
    });
    const CGFloat sign = side == DWDrawerSideLeft ? 1 : -1;
    static const int kFactors[] = { 0, 32, 60, 83, 100, 114, 124, 128, 128, 124, 114, 100, 83, 60, 32, 0, 24, 42, 54, 62, 64, 62, 54, 42,
        24, 0, 18, 28, 32, 28, 18, 0 };
    auto values = NSMutableArray::array();
    const CGFloat midX = CGRectGetMidX(m_centerContainerView->bounds());
    for (int factor : kFactors)
        values->addObject(NSNumber::numberWithDouble(midX + sign * distance * factor / 128.0));
    auto bounce = CAKeyframeAnimation::animationWithKeyPath("position.x");
    bounce->setValues(values);
    bounce->setRepeatCount(1);
    bounce->setRemovedOnCompletion(true);
    bounce->setAutoreverses(false);
    bounce->setFillMode(kCAFillModeForwards);
    bounce->setDuration(0.8);
    m_centerContainerView->layer()->addAnimation(bounce, "bouncing");
    CATransaction::commit();
}

// MARK: Settings

void DWDrawerController::setOpenSide(DWDrawerSide side)
{
    if (m_openSide == side)
        return;
    m_openSide = side;
    if (m_centerContainerView)
        m_centerContainerView->setOpenSide(side);
    if (side == DWDrawerSideNone) {
        if (m_leftDrawerViewController && m_leftDrawerViewController->isViewLoaded())
            m_leftDrawerViewController->view()->setHidden(true);
        if (m_rightDrawerViewController && m_rightDrawerViewController->isViewLoaded())
            m_rightDrawerViewController->view()->setHidden(true);
    }
    setNeedsStatusBarAppearanceUpdateIfSupported();
}

void DWDrawerController::setCenterHiddenInteractionMode(NSInteger mode)
{
    if (m_centerHiddenInteractionMode == mode)
        return;
    m_centerHiddenInteractionMode = mode;
    if (m_centerContainerView)
        m_centerContainerView->setCenterInteractionMode(mode);
}

void DWDrawerController::setShowsShadow(bool shows)
{
    m_showsShadow = shows;
    updateShadowForCenterView();
}

void DWDrawerController::setAnimatingDrawer(bool animating)
{
    m_animatingDrawer = animating;
    view()->setUserInteractionEnabled(!animating);
}

void DWDrawerController::setShowsStatusBarBackgroundView(bool shows)
{
    const NSString version = UIDevice::currentDevice()->systemVersion();
    const auto parts = version.componentsSeparatedByString(".");
    const int major = parts && parts->count() ? NSString::fromId(parts->objectAtIndex(0)).intValue() : 0;
    if (major < 7) {
        m_showsStatusBarBackgroundView = false;
        return;
    }
    if (m_showsStatusBarBackgroundView == shows)
        return;
    m_showsStatusBarBackgroundView = shows;
    auto container = childControllerContainerView();
    const CGRect frame = container->frame();
    const CGFloat height = view()->bounds().size.height;
    if (shows) {
        container->setFrame(CGRectMake(frame.origin.x, 20, frame.size.width, height - 20));
        dummyStatusBarView()->setHidden(false);
    } else {
        container->setFrame(CGRectMake(frame.origin.x, 0, frame.size.width, height));
        dummyStatusBarView()->setHidden(true);
    }
}

void DWDrawerController::updateShadowForCenterView()
{
    if (!m_centerContainerView)
        return;
    const auto& layer = m_centerContainerView->layer();
    if (m_showsShadow) {
        layer->setMasksToBounds(false);
        layer->setShadowRadius(10);
        layer->setShadowOpacity(0.8f);
        const CGRect bounds = m_centerContainerView->bounds();
        if (!layer->shadowPath() || !CGRectEqualToRect(CGPathGetBoundingBox(layer->shadowPath()), bounds))
            layer->setShadowPath(CGPathCreateWithRect(bounds, nullptr));
    } else if (layer->shadowPath()) {
        layer->setShadowRadius(0);
        layer->setShadowOpacity(0);
        layer->setShadowPath(nullptr);
        layer->setMasksToBounds(true);
    }
}

// MARK: Visual state

void DWDrawerController::prepareToPresentDrawer(DWDrawerSide drawer, bool animated)
{
    auto container = childControllerContainerView();
    if (auto other = sideDrawerViewControllerForSide(otherSide(drawer))) {
        container->sendSubviewToBack(other->view());
        other->view()->setHidden(true);
    }
    auto presented = sideDrawerViewControllerForSide(drawer);
    if (!presented)
        return;
    presented->view()->setHidden(false);
    resetDrawerVisualStateForDrawerSide(drawer);
    presented->view()->setFrame(DWDrawerController_Category::dw_visibleDrawerFrame(*presented));
    updateDrawerVisualStateForDrawerSide(drawer, 0.0);
    presented->beginAppearanceTransition(true, animated);
}

void DWDrawerController::updateDrawerVisualStateForDrawerSide(DWDrawerSide drawerSide, CGFloat percentVisible)
{
    if (m_drawerVisualState)
        m_drawerVisualState(*this, drawerSide, percentVisible);
    else if (m_shouldStretchDrawer)
        applyOvershootScaleTransformForDrawerSide(drawerSide, percentVisible);
}

void DWDrawerController::applyOvershootScaleTransformForDrawerSide(DWDrawerSide drawerSide, CGFloat percentVisible)
{
    if (percentVisible < 1.0)
        return;
    auto drawer = sideDrawerViewControllerForSide(drawerSide);
    if (!drawer)
        return;
    CATransform3D transform = CATransform3DIdentity;
    if (drawerSide == DWDrawerSideLeft) {
        transform = CATransform3DMakeScale(percentVisible, 1, 1);
        transform = CATransform3DTranslate(transform, m_maximumLeftDrawerWidth * (percentVisible - 1) / 2, 0, 0);
    } else if (drawerSide == DWDrawerSideRight) {
        transform = CATransform3DMakeScale(percentVisible, 1, 1);
        transform = CATransform3DTranslate(transform, -m_maximumRightDrawerWidth * (percentVisible - 1) / 2, 0, 0);
    }
    drawer->view()->layer()->setTransform(transform);
}

void DWDrawerController::resetDrawerVisualStateForDrawerSide(DWDrawerSide drawerSide)
{
    auto drawer = sideDrawerViewControllerForSide(drawerSide);
    if (!drawer)
        return;
    drawer->view()->layer()->setAnchorPoint(CGPointMake(0.5, 0.5));
    drawer->view()->layer()->setTransform(CATransform3DIdentity);
    drawer->view()->setAlpha(1.0);
}

// MARK: Gestures

void DWDrawerController::setupGestureRecognizers()
{
    auto delegate = self();
    m_pan = UIPanGestureRecognizer::create(delegate, &DWDrawerController::panGestureCallback);
    m_pan->setDelegate(delegate);
    view()->addGestureRecognizer(m_pan);
    m_tap = UITapGestureRecognizer::create(delegate, &DWDrawerController::tapGestureCallback);
    m_tap->setDelegate(delegate);
    view()->addGestureRecognizer(m_tap);
}

std::optional<bool> DWDrawerController::shouldReceiveTouch(UIGestureRecognizer& recognizer, UITouch& touch)
{
    if (m_openSide != DWDrawerSideNone)
        return (m_closeDrawerGestureModeMask & possibleCloseGestureModesForGestureRecognizer(recognizer, touch)) > 0;
    return (m_openDrawerGestureModeMask & possibleOpenGestureModesForGestureRecognizer(recognizer, touch)) > 0;
}

NSInteger DWDrawerController::possibleOpenGestureModesForGestureRecognizer(UIGestureRecognizer& recognizer, UITouch& touch)
{
    if (!dynamic_cast<UIPanGestureRecognizer*>(&recognizer))
        return DWOpenDrawerGestureModeNone;
    const CGPoint point = touch.locationInView(childControllerContainerView());
    NSInteger modes = DWOpenDrawerGestureModeNone;
    if (isPointContainedWithinNavigationRect(point))
        modes |= DWOpenDrawerGestureModePanningNavigationBar;
    if (isPointContainedWithinCenterViewContentRect(point))
        modes |= DWOpenDrawerGestureModePanningCenterView;
    if ((isPointContainedWithinLeftBezelRect(point) && m_leftDrawerViewController)
        || (isPointContainedWithRightBezelRect(point) && m_rightDrawerViewController))
        modes |= DWOpenDrawerGestureModeBezelPanningCenterView;
    if ((m_openDrawerGestureModeMask & DWOpenDrawerGestureModeCustom) && m_gestureShouldRecognizeTouch
        && m_gestureShouldRecognizeTouch(*this, recognizer, touch))
        modes |= DWOpenDrawerGestureModeCustom;
    return modes;
}

NSInteger DWDrawerController::possibleCloseGestureModesForGestureRecognizer(UIGestureRecognizer& recognizer, UITouch& touch)
{
    const CGPoint point = touch.locationInView(childControllerContainerView());
    NSInteger modes = DWCloseDrawerGestureModeNone;
    const bool onBar = isPointContainedWithinNavigationRect(point);
    const bool onContent = isPointContainedWithinCenterViewContentRect(point);
    if (dynamic_cast<UITapGestureRecognizer*>(&recognizer)) {
        if (onBar)
            modes |= DWCloseDrawerGestureModeTapNavigationBar;
        if (onContent)
            modes |= DWCloseDrawerGestureModeTapCenterView;
    } else if (dynamic_cast<UIPanGestureRecognizer*>(&recognizer)) {
        if (onBar)
            modes |= DWCloseDrawerGestureModePanningNavigationBar;
        if (onContent)
            modes |= DWCloseDrawerGestureModePanningCenterView;
        if ((m_openSide == DWDrawerSideLeft && isPointContainedWithRightBezelRect(point))
            || (m_openSide == DWDrawerSideRight && isPointContainedWithinLeftBezelRect(point)))
            modes |= DWCloseDrawerGestureModeBezelPanningCenterView;
        if (!onBar && !onContent)
            modes |= DWCloseDrawerGestureModePanningDrawerView;
    }
    if ((m_closeDrawerGestureModeMask & DWCloseDrawerGestureModeCustom) && m_gestureShouldRecognizeTouch
        && m_gestureShouldRecognizeTouch(*this, recognizer, touch))
        modes |= DWCloseDrawerGestureModeCustom;
    return modes;
}

CGRect DWDrawerController::navigationRect()
{
    auto navigation = std::dynamic_pointer_cast<UINavigationController>(m_centerViewController);
    if (!navigation)
        return CGRectNull;
    auto bar = navigation->navigationBar();
    auto container = childControllerContainerView();
    const CGRect rect = bar->convertRectToView(bar->bounds(), container);
    return CGRectIntersection(rect, container->bounds());
}

bool DWDrawerController::isPointContainedWithinNavigationRect(CGPoint point) { return CGRectContainsPoint(navigationRect(), point); }

bool DWDrawerController::isPointContainedWithinCenterViewContentRect(CGPoint point)
{
    if (!m_centerContainerView)
        return false;
    const CGRect content = CGRectIntersection(m_centerContainerView->frame(), childControllerContainerView()->bounds());
    return CGRectContainsPoint(content, point) && !isPointContainedWithinNavigationRect(point);
}

bool DWDrawerController::isPointContainedWithinLeftBezelRect(CGPoint point)
{
    const CGRect bounds = childControllerContainerView()->bounds();
    const CGRect bezel = CGRectMake(CGRectGetMinX(bounds), CGRectGetMinY(bounds), kBezelRange, bounds.size.height);
    return CGRectContainsPoint(bezel, point) && isPointContainedWithinCenterViewContentRect(point);
}

bool DWDrawerController::isPointContainedWithRightBezelRect(CGPoint point)
{
    const CGRect bounds = childControllerContainerView()->bounds();
    const CGRect bezel = CGRectMake(CGRectGetMaxX(bounds) - kBezelRange, CGRectGetMinY(bounds), kBezelRange, bounds.size.height);
    return CGRectContainsPoint(bezel, point) && isPointContainedWithinCenterViewContentRect(point);
}

void DWDrawerController::tapGestureCallback(UITapGestureRecognizer& recognizer)
{
    if (m_openSide == DWDrawerSideNone || m_animatingDrawer)
        return;
    auto protectedSelf = self();
    auto protectedRecognizer = std::static_pointer_cast<UIGestureRecognizer>(recognizer.self());
    closeDrawerAnimated(true, [protectedSelf, protectedRecognizer](bool) {
        if (protectedSelf->m_gestureCompletion)
            protectedSelf->m_gestureCompletion(*protectedSelf, *protectedRecognizer);
    });
}

void DWDrawerController::panGestureCallback(UIPanGestureRecognizer& recognizer)
{
    switch (recognizer.state()) {
    case UIGestureRecognizerState::Began:
        if (m_animatingDrawer) {
            // Disabling cancels the gesture; enabled again at once so that the next drag works.
            recognizer.setEnabled(false);
            recognizer.setEnabled(true);
            return;
        }
        m_startingPanRect = m_centerContainerView ? m_centerContainerView->frame() : CGRectZero;
        [[fallthrough]];
    case UIGestureRecognizerState::Changed: {
        if (!m_centerContainerView || CGRectIsNull(m_startingPanRect))
            return;
        view()->setUserInteractionEnabled(false);
        const CGPoint translation = recognizer.translationInView(m_centerContainerView);
        const CGFloat x = roundedOriginXForDrawerConstriants(translation.x + m_startingPanRect.origin.x);
        const CGRect moved = CGRectIntegral(CGRectMake(x, m_startingPanRect.origin.y, m_startingPanRect.size.width, m_startingPanRect.size.height));
        DWDrawerSide side = DWDrawerSideNone;
        CGFloat percent = 0;
        if (moved.origin.x > 0) {
            side = DWDrawerSideLeft;
            percent = maximumLeftDrawerWidth() > 0 ? moved.origin.x / maximumLeftDrawerWidth() : 0;
        } else if (moved.origin.x < 0) {
            side = DWDrawerSideRight;
            percent = maximumRightDrawerWidth() > 0 ? -moved.origin.x / maximumRightDrawerWidth() : 0;
        }
        if (side != m_openSide) {
            if (auto previous = sideDrawerViewControllerForSide(m_openSide)) {
                previous->beginAppearanceTransition(false, false);
                previous->endAppearanceTransition();
            }
            prepareToPresentDrawer(side, false);
            if (auto next = sideDrawerViewControllerForSide(side))
                next->endAppearanceTransition();
            setOpenSide(side);
        }
        updateDrawerVisualStateForDrawerSide(side, percent);
        m_centerContainerView->setCenter(CGPointMake(CGRectGetMidX(moved), CGRectGetMidY(moved)));
        break;
    }
    case UIGestureRecognizerState::Ended:
    case UIGestureRecognizerState::Cancelled: {
        m_startingPanRect = CGRectNull;
        const CGPoint velocity = recognizer.velocityInView(childControllerContainerView());
        auto protectedSelf = self();
        auto protectedRecognizer = std::static_pointer_cast<UIGestureRecognizer>(recognizer.self());
        finishAnimationForPanGestureWithXVelocity(velocity.x, [protectedSelf, protectedRecognizer](bool) {
            if (protectedSelf->m_gestureCompletion)
                protectedSelf->m_gestureCompletion(*protectedSelf, *protectedRecognizer);
        });
        // Touches come back when the finishing animation ends (setAnimatingDrawer), not before.
        if (!m_animatingDrawer)
            view()->setUserInteractionEnabled(true);
        break;
    }
    default:
        break;
    }
}

void DWDrawerController::finishAnimationForPanGestureWithXVelocity(CGFloat xVelocity, Completion completion)
{
    const CGFloat fling = std::max(std::fabs(xVelocity), kMinimumFlingVelocity);
    const CGFloat x = m_centerContainerView ? CGRectGetMinX(m_centerContainerView->frame()) : 0;
    if (m_openSide == DWDrawerSideLeft) {
        if (xVelocity > kPanVelocityXAnimationThreshold)
            openDrawerSide(DWDrawerSideLeft, true, fling, UIViewAnimationOptionCurveEaseOut, std::move(completion));
        else if (xVelocity < -kPanVelocityXAnimationThreshold)
            closeDrawerAnimated(true, fling, UIViewAnimationOptionCurveEaseOut, std::move(completion));
        else if (x < maximumLeftDrawerWidth() / 2)
            closeDrawerAnimated(true, std::move(completion));
        else
            openDrawerSide(DWDrawerSideLeft, true, std::move(completion));
    } else if (m_openSide == DWDrawerSideRight) {
        const CGFloat width = childControllerContainerView()->bounds().size.width;
        const CGFloat maxX = m_centerContainerView ? CGRectGetMaxX(m_centerContainerView->frame()) : width;
        if (xVelocity > kPanVelocityXAnimationThreshold)
            closeDrawerAnimated(true, fling, UIViewAnimationOptionCurveEaseOut, std::move(completion));
        else if (xVelocity < -kPanVelocityXAnimationThreshold)
            openDrawerSide(DWDrawerSideRight, true, fling, UIViewAnimationOptionCurveEaseOut, std::move(completion));
        else if (maxX > width - maximumRightDrawerWidth() + maximumRightDrawerWidth() / 2)
            closeDrawerAnimated(true, std::move(completion));
        else
            openDrawerSide(DWDrawerSideRight, true, std::move(completion));
    } else {
        finish(completion, false);
    }
}

CGFloat DWDrawerController::roundedOriginXForDrawerConstriants(CGFloat originX) const
{
    auto stretched = [this](CGFloat x, CGFloat target, CGFloat maximumWidth) {
        const CGFloat width = m_centerContainerView ? m_centerContainerView->frame().size.width : 0;
        const CGFloat maxOvershoot = static_cast<float>((width - maximumWidth) * 0.1f);
        const CGFloat linearRange = maxOvershoot * 0.75;
        const CGFloat delta = std::fabs(x - target);
        if (delta < linearRange)
            return x;
        const CGFloat beyond = delta - linearRange;
        const CGFloat overshoot = std::round(linearRange + beyond * linearRange / std::sqrt(beyond * beyond + 15000));
        return target < 0 ? target - overshoot : target + overshoot;
    };
    const CGFloat right = maximumRightDrawerWidth(), left = maximumLeftDrawerWidth();
    if (originX < -right) {
        if (m_shouldStretchDrawer && m_rightDrawerViewController)
            return stretched(originX, -right, right);
        return -right;
    }
    if (originX > left) {
        if (m_shouldStretchDrawer && m_leftDrawerViewController)
            return stretched(originX, left, left);
        return left;
    }
    return originX;
}

// MARK: Appearance and rotation

void DWDrawerController::viewWillAppear(bool animated)
{
    UIViewController::viewWillAppear(animated);
    if (m_centerViewController)
        m_centerViewController->beginAppearanceTransition(true, animated);
    if (auto drawer = sideDrawerViewControllerForSide(m_openSide))
        drawer->beginAppearanceTransition(true, animated);
}

void DWDrawerController::viewDidAppear(bool animated)
{
    UIViewController::viewDidAppear(animated);
    updateShadowForCenterView();
    if (m_centerViewController)
        m_centerViewController->endAppearanceTransition();
    if (auto drawer = sideDrawerViewControllerForSide(m_openSide))
        drawer->endAppearanceTransition();
}

void DWDrawerController::viewWillDisappear(bool animated)
{
    UIViewController::viewWillDisappear(animated);
    if (m_centerViewController)
        m_centerViewController->beginAppearanceTransition(false, animated);
    if (auto drawer = sideDrawerViewControllerForSide(m_openSide))
        drawer->beginAppearanceTransition(false, animated);
}

void DWDrawerController::viewDidDisappear(bool animated)
{
    UIViewController::viewDidDisappear(animated);
    if (m_centerViewController)
        m_centerViewController->endAppearanceTransition();
    if (auto drawer = sideDrawerViewControllerForSide(m_openSide))
        drawer->endAppearanceTransition();
}

void DWDrawerController::willRotateToInterfaceOrientation(UIInterfaceOrientation orientation, NSTimeInterval duration)
{
    bool cancelled = false;
    for (const auto& recognizer : view()->gestureRecognizers()) {
        if (recognizer->state() == UIGestureRecognizerState::Changed) {
            recognizer->setEnabled(false);
            recognizer->setEnabled(true);
            cancelled = true;
        }
    }
    if (cancelled)
        resetDrawerVisualStateForDrawerSide(m_openSide);
    for (const auto& child : childViewControllers())
        child->willRotateToInterfaceOrientation(orientation, duration);
}

void DWDrawerController::willAnimateRotationToInterfaceOrientation(UIInterfaceOrientation orientation, NSTimeInterval duration)
{
    if (m_showsShadow && m_centerContainerView) {
        const auto& layer = m_centerContainerView->layer();
        if (auto oldPath = layer->shadowPath()) {
            updateShadowForCenterView();
            auto transition = CABasicAnimation::animationWithKeyPath("shadowPath");
            transition->setFromValue(std::const_pointer_cast<CGPath>(oldPath));
            transition->setTimingFunction(CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseInEaseOut));
            transition->setDuration(duration);
            layer->addAnimation(transition, "transition");
        } else {
            updateShadowForCenterView();
        }
    }
    for (const auto& child : childViewControllers())
        child->willAnimateRotationToInterfaceOrientation(orientation, duration);
}

void DWDrawerController::didRotateFromInterfaceOrientation(UIInterfaceOrientation orientation)
{
    for (const auto& child : childViewControllers())
        child->didRotateFromInterfaceOrientation(orientation);
}

// MARK: State restoration

void DWDrawerController::encodeRestorableStateWithCoder(NSCoder& coder)
{
    UIStateRestoring::encodeRestorableStateWithCoder(coder);
    UIStateRestoration::encodeViewController(coder, m_leftDrawerViewController, "DWDrawerLeftDrawer");
    UIStateRestoration::encodeViewController(coder, m_rightDrawerViewController, "DWDrawerRightDrawer");
    UIStateRestoration::encodeViewController(coder, m_centerViewController, "DWDrawerCenter");
    coder.encodeInteger(m_openSide, "DWDrawerOpenSide");
}

void DWDrawerController::decodeRestorableStateWithCoder(NSCoder& coder)
{
    UIStateRestoring::decodeRestorableStateWithCoder(coder);
    if (auto left = UIStateRestoration::decodeViewController(coder, "DWDrawerLeftDrawer"))
        setLeftDrawerViewController(left);
    if (auto right = UIStateRestoration::decodeViewController(coder, "DWDrawerRightDrawer"))
        setRightDrawerViewController(right);
    if (auto center = UIStateRestoration::decodeViewController(coder, "DWDrawerCenter"))
        setCenterViewController(center);
    const NSInteger side = coder.decodeIntegerForKey("DWDrawerOpenSide");
    if (side == DWDrawerSideLeft || side == DWDrawerSideRight)
        openDrawerSide(static_cast<DWDrawerSide>(side), false, nullptr);
}
