#pragma once
// A container that holds a centre controller and up to two drawers, one on each side. Opening a
// drawer slides the centre sideways so that the drawer lying underneath shows; closing slides it
// back. It forwards appearance to its children by hand, gives the drawer its look while it moves
// (drawerVisualState), casts a shadow along the centre, and lets the finger drag the centre where
// the gesture masks allow (both 0 at first: no gesture does anything until the owner sets them).
//
//     auto drawer = DWDrawerController::create(centre, menu, nullptr);
//     drawer->setOpenDrawerGestureModeMask(DWOpenDrawerGestureModeBezelPanningCenterView);
//     drawer->setDrawerVisualStateBlock(DWDrawerVisualState::slideAndScaleVisualStateBlock());
//     drawer->toggleDrawerSide(DWDrawerSideLeft, true, nullptr);
//
// While a drawer animates, open and close requests answer NO and the view takes no touches.

#include "library/widgets/drawer/DWDrawerCenterContainerView.h"
#include "platform/foundation/NSBundle.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIPanGestureRecognizer.h"
#include "platform/uikit/UIStateRestoring.h"
#include "platform/uikit/UITapGestureRecognizer.h"
#include "platform/uikit/UIViewController.h"

enum DWOpenDrawerGestureMode : NSInteger {
    DWOpenDrawerGestureModeNone = 0,
    DWOpenDrawerGestureModePanningNavigationBar = 1 << 1,
    DWOpenDrawerGestureModePanningCenterView = 1 << 2,
    DWOpenDrawerGestureModeBezelPanningCenterView = 1 << 3,
    DWOpenDrawerGestureModeCustom = 1 << 4,
};

enum DWCloseDrawerGestureMode : NSInteger {
    DWCloseDrawerGestureModeNone = 0,
    DWCloseDrawerGestureModePanningNavigationBar = 1 << 1,
    DWCloseDrawerGestureModePanningCenterView = 1 << 2,
    DWCloseDrawerGestureModeBezelPanningCenterView = 1 << 3,
    DWCloseDrawerGestureModeTapNavigationBar = 1 << 4,
    DWCloseDrawerGestureModeTapCenterView = 1 << 5,
    DWCloseDrawerGestureModePanningDrawerView = 1 << 6,
    DWCloseDrawerGestureModeCustom = 1 << 7,
};

class DWDrawerController : public UIViewController, public UIGestureRecognizerDelegate, public UIStateRestoring {
    NS_OBJECT(DWDrawerController, UIViewController)
public:
    using Completion = std::function<void(bool finished)>;
    using DrawerVisualStateBlock = std::function<void(DWDrawerController& drawerController, DWDrawerSide drawerSide, CGFloat percentVisible)>;
    using GestureShouldRecognizeTouchBlock = std::function<bool(DWDrawerController&, UIGestureRecognizer&, UITouch&)>;
    using GestureCompletionBlock = std::function<void(DWDrawerController&, UIGestureRecognizer&)>;

    static constexpr CGFloat kDefaultMaximumDrawerWidth = 280;
    static constexpr CGFloat kDefaultAnimationVelocity = 840;
    static constexpr CGFloat kBezelRange = 20;
    static constexpr CGFloat kPanVelocityXAnimationThreshold = 200;
    static constexpr CGFloat kMinimumFlingVelocity = 400;

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewDidDisappear(bool animated) override;
    bool shouldAutomaticallyForwardAppearanceMethods() const override { return false; }
    bool shouldAutomaticallyForwardRotationMethods() const { return false; }
    bool automaticallyForwardAppearanceAndRotationMethodsToChildViewControllers() const { return false; }
    bool shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation) const override { return true; }
    std::shared_ptr<UIViewController> childViewControllerForStatusBarStyle() const override;
    std::shared_ptr<UIViewController> childViewControllerForStatusBarHidden() const override;

    // Children.
    const UIViewControllerRef& centerViewController() const { return m_centerViewController; }
    void setCenterViewController(const UIViewControllerRef& controller) { setCenterViewController(controller, false); }
    void setCenterViewController(const UIViewControllerRef& controller, bool animated);
    void setCenterViewControllerWithCloseAnimation(const UIViewControllerRef& controller, bool closeAnimated, Completion completion);
    void setCenterViewControllerWithFullCloseAnimation(const UIViewControllerRef& controller, bool fullCloseAnimated, Completion completion);
    const UIViewControllerRef& leftDrawerViewController() const { return m_leftDrawerViewController; }
    void setLeftDrawerViewController(const UIViewControllerRef& controller) { setDrawerViewController(controller, DWDrawerSideLeft); }
    const UIViewControllerRef& rightDrawerViewController() const { return m_rightDrawerViewController; }
    void setRightDrawerViewController(const UIViewControllerRef& controller) { setDrawerViewController(controller, DWDrawerSideRight); }
    UIViewControllerRef sideDrawerViewControllerForSide(DWDrawerSide side) const;
    UIViewControllerRef childViewControllerForSide(DWDrawerSide side) const;

    // Opening and closing.
    void openDrawerSide(DWDrawerSide side, bool animated, Completion completion);
    void openDrawerSide(DWDrawerSide side, bool animated, CGFloat velocity, NSUInteger animationOptions, Completion completion);
    void closeDrawerAnimated(bool animated, Completion completion);
    void closeDrawerAnimated(bool animated, CGFloat velocity, NSUInteger animationOptions, Completion completion);
    void toggleDrawerSide(DWDrawerSide side, bool animated, Completion completion);
    void bouncePreviewForDrawerSide(DWDrawerSide side, Completion completion) { bouncePreviewForDrawerSide(side, 50.0, std::move(completion)); }
    void bouncePreviewForDrawerSide(DWDrawerSide side, CGFloat distance, Completion completion);
    NSTimeInterval animationDurationForAnimationDistance(CGFloat distance) const;

    // Settings.
    CGFloat maximumLeftDrawerWidth() const { return m_leftDrawerViewController ? m_maximumLeftDrawerWidth : 0; }
    void setMaximumLeftDrawerWidth(CGFloat width) { setMaximumLeftDrawerWidth(width, false, nullptr); }
    void setMaximumLeftDrawerWidth(CGFloat width, bool animated, Completion completion)
    {
        setMaximumDrawerWidth(width, DWDrawerSideLeft, animated, std::move(completion));
    }
    CGFloat maximumRightDrawerWidth() const { return m_rightDrawerViewController ? m_maximumRightDrawerWidth : 0; }
    void setMaximumRightDrawerWidth(CGFloat width) { setMaximumRightDrawerWidth(width, false, nullptr); }
    void setMaximumRightDrawerWidth(CGFloat width, bool animated, Completion completion)
    {
        setMaximumDrawerWidth(width, DWDrawerSideRight, animated, std::move(completion));
    }
    CGFloat visibleLeftDrawerWidth() const;
    CGFloat visibleRightDrawerWidth() const;
    CGFloat animationVelocity() const { return m_animationVelocity; }
    void setAnimationVelocity(CGFloat velocity) { m_animationVelocity = velocity; }
    bool shouldStretchDrawer() const { return m_shouldStretchDrawer; }
    void setShouldStretchDrawer(bool stretch) { m_shouldStretchDrawer = stretch; }
    DWDrawerSide openSide() const { return m_openSide; }
    void setOpenSide(DWDrawerSide side);
    NSInteger openDrawerGestureModeMask() const { return m_openDrawerGestureModeMask; }
    void setOpenDrawerGestureModeMask(NSInteger mask) { m_openDrawerGestureModeMask = mask; }
    NSInteger closeDrawerGestureModeMask() const { return m_closeDrawerGestureModeMask; }
    void setCloseDrawerGestureModeMask(NSInteger mask) { m_closeDrawerGestureModeMask = mask; }
    NSInteger centerHiddenInteractionMode() const { return m_centerHiddenInteractionMode; }
    void setCenterHiddenInteractionMode(NSInteger mode);
    bool showsShadow() const { return m_showsShadow; }
    void setShowsShadow(bool shows);
    bool showsStatusBarBackgroundView() const { return m_showsStatusBarBackgroundView; }
    void setShowsStatusBarBackgroundView(bool shows);
    const UIColorRef& statusBarViewBackgroundColor();
    void setStatusBarViewBackgroundColor(const UIColorRef& color);
    bool isAnimatingDrawer() const { return m_animatingDrawer; }
    void setAnimatingDrawer(bool animating);
    void setDrawerVisualStateBlock(DrawerVisualStateBlock block) { m_drawerVisualState = std::move(block); }
    void setGestureShouldRecognizeTouchBlock(GestureShouldRecognizeTouchBlock block) { m_gestureShouldRecognizeTouch = std::move(block); }
    void setGestureCompletionBlock(GestureCompletionBlock block) { m_gestureCompletion = std::move(block); }

    // Views.
    const UIViewRef& childControllerContainerView();
    const std::shared_ptr<DWDrawerCenterContainerView>& centerContainerView() const { return m_centerContainerView; }
    const UIViewRef& dummyStatusBarView();
    CGRect startingPanRect() const { return m_startingPanRect; }
    const std::shared_ptr<UIPanGestureRecognizer>& panGestureRecognizer() const { return m_pan; }
    const std::shared_ptr<UITapGestureRecognizer>& tapGestureRecognizer() const { return m_tap; }

    // Gestures.
    std::optional<bool> shouldReceiveTouch(UIGestureRecognizer& recognizer, UITouch& touch) override;
    NSInteger possibleOpenGestureModesForGestureRecognizer(UIGestureRecognizer& recognizer, UITouch& touch);
    NSInteger possibleCloseGestureModesForGestureRecognizer(UIGestureRecognizer& recognizer, UITouch& touch);
    bool isPointContainedWithinNavigationRect(CGPoint point);
    bool isPointContainedWithinCenterViewContentRect(CGPoint point);
    bool isPointContainedWithinLeftBezelRect(CGPoint point);
    bool isPointContainedWithRightBezelRect(CGPoint point);
    void tapGestureCallback(UITapGestureRecognizer& recognizer);
    void panGestureCallback(UIPanGestureRecognizer& recognizer);
    void finishAnimationForPanGestureWithXVelocity(CGFloat xVelocity, Completion completion);
    CGFloat roundedOriginXForDrawerConstriants(CGFloat originX) const;

    // Visual state hooks.
    void prepareToPresentDrawer(DWDrawerSide drawer, bool animated);
    void updateDrawerVisualStateForDrawerSide(DWDrawerSide drawerSide, CGFloat percentVisible);
    void applyOvershootScaleTransformForDrawerSide(DWDrawerSide drawerSide, CGFloat percentVisible);
    void resetDrawerVisualStateForDrawerSide(DWDrawerSide drawerSide);
    void updateShadowForCenterView();
    void setNeedsStatusBarAppearanceUpdateIfSupported() { setNeedsStatusBarAppearanceUpdate(); }

    // Rotation, as the window reports it; each call is passed on to every child controller.
    void willRotateToInterfaceOrientation(UIInterfaceOrientation orientation, NSTimeInterval duration) override;
    void willAnimateRotationToInterfaceOrientation(UIInterfaceOrientation orientation, NSTimeInterval duration) override;
    void didRotateFromInterfaceOrientation(UIInterfaceOrientation orientation) override;

    // State restoration.
    void encodeRestorableStateWithCoder(NSCoder& coder) override;
    void decodeRestorableStateWithCoder(NSCoder& coder) override;

protected:
    // No nib: the views are made in code; the name and bundle are not read.
    void init() { init(NSString(), nullptr); }
    void init(const NSString& nibName, const std::shared_ptr<NSBundle>& bundle);
    void init(NSCoder& coder);
    void init(const UIViewControllerRef& center, const UIViewControllerRef& leftDrawer, const UIViewControllerRef& rightDrawer);
    void init(const UIViewControllerRef& center, const UIViewControllerRef& drawer, DWDrawerSide side);

private:
    void commonSetup();
    void adapter();
    void setupGestureRecognizers();
    void setDrawerViewController(const UIViewControllerRef& controller, DWDrawerSide side);
    void setMaximumDrawerWidth(CGFloat width, DWDrawerSide side, bool animated, Completion completion);
    CGRect navigationRect();

    UIViewControllerRef m_centerViewController;
    UIViewControllerRef m_leftDrawerViewController;
    UIViewControllerRef m_rightDrawerViewController;
    CGFloat m_maximumLeftDrawerWidth { kDefaultMaximumDrawerWidth };
    CGFloat m_maximumRightDrawerWidth { kDefaultMaximumDrawerWidth };
    CGFloat m_animationVelocity { kDefaultAnimationVelocity };
    bool m_shouldStretchDrawer { true };
    DWDrawerSide m_openSide { DWDrawerSideNone };
    NSInteger m_openDrawerGestureModeMask { 0 };
    NSInteger m_closeDrawerGestureModeMask { 0 };
    NSInteger m_centerHiddenInteractionMode { DWDrawerOpenCenterInteractionModeNavigationBarOnly };
    bool m_showsShadow { true };
    bool m_showsStatusBarBackgroundView { false };
    UIColorRef m_statusBarViewBackgroundColor;
    UIViewRef m_childControllerContainerView;
    std::shared_ptr<DWDrawerCenterContainerView> m_centerContainerView;
    UIViewRef m_dummyStatusBarView;
    CGRect m_startingPanRect { CGRectNull };
    DrawerVisualStateBlock m_drawerVisualState;
    GestureShouldRecognizeTouchBlock m_gestureShouldRecognizeTouch;
    GestureCompletionBlock m_gestureCompletion;
    bool m_animatingDrawer { false };
    std::shared_ptr<UIPanGestureRecognizer> m_pan;
    std::shared_ptr<UITapGestureRecognizer> m_tap;
};
