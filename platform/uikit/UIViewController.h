#pragma once
// A screen's controller: it makes its view on first use (loadView, then viewDidLoad), hears the
// appearance calls as its view comes and goes (will, then did; a view does not appear twice in a
// row), contains child controllers, and presents and dismisses modal controllers over the
// whole screen.
//
// Order of the appearance calls, as on the platform: when one controller's view replaces
// another's (push, pop), the old one's viewWillDisappear, the new one's viewWillAppear, the old
// one's viewDidDisappear, the new one's viewDidAppear. A modal presentation: the presenter's
// viewWillDisappear, the presented one's viewWillAppear and viewDidAppear, then the presenter's
// viewDidDisappear; a dismissal the reverse.

#include "platform/foundation/NSNotification.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIView.h"

class UINavigationController;
class UINavigationItem;

enum UIRectEdge : NSUInteger {
    UIRectEdgeNone = 0,
    UIRectEdgeTop = 1 << 0,
    UIRectEdgeLeft = 1 << 1,
    UIRectEdgeBottom = 1 << 2,
    UIRectEdgeRight = 1 << 3,
    UIRectEdgeAll = 15,
};

enum class UIModalTransitionStyle : NSInteger {
    CoverVertical = 0,
    FlipHorizontal = 1,
    CrossDissolve = 2,
    PartialCurl = 3,
};

enum class UIModalPresentationStyle : NSInteger {
    FullScreen = 0,
    PageSheet = 1,
    FormSheet = 2,
    CurrentContext = 3,
    Custom = 4,
    OverFullScreen = 5,
};

class UIViewController : public UIResponder {
    NS_OBJECT(UIViewController, UIResponder)
public:
    ~UIViewController() override;

    // The view, loaded on first use.
    std::shared_ptr<UIView> view();
    std::shared_ptr<UIView> viewIfLoaded() const { return m_view; }
    bool isViewLoaded() const { return m_view != nullptr; }
    void setView(const std::shared_ptr<UIView>& view);
    // Makes the view; by default a plain view the size of the screen.
    virtual void loadView();
    virtual void viewDidLoad() { }

    // Appearance.
    virtual void viewWillAppear(bool animated) { (void)animated; }
    virtual void viewDidAppear(bool animated) { (void)animated; }
    virtual void viewWillDisappear(bool animated) { (void)animated; }
    virtual void viewDidDisappear(bool animated) { (void)animated; }
    virtual void viewWillLayoutSubviews() { }
    virtual void viewDidLayoutSubviews() { }
    // Drives the calls above; each begin is matched by one end. Children whose views are in
    // this controller's view follow when shouldAutomaticallyForwardAppearanceMethods.
    void beginAppearanceTransition(bool isAppearing, bool animated);
    void endAppearanceTransition();
    virtual bool shouldAutomaticallyForwardAppearanceMethods() const { return true; }
    bool isAppearing() const { return m_appearance == Appearance::Appearing; }
    bool hasAppeared() const { return m_appearance == Appearance::Appeared; }
    bool isBeingPresented() const { return m_beingPresented; }
    bool isBeingDismissed() const { return m_beingDismissed; }
    bool isMovingToParentViewController() const { return m_movingToParent; }
    bool isMovingFromParentViewController() const { return m_movingFromParent; }

    virtual void didReceiveMemoryWarning() { }

    const NSString& title() const { return m_title; }
    // Also the navigation item's title.
    virtual void setTitle(const NSString& title);
    // What a navigation bar shows for the controller, made on first use with its title.
    std::shared_ptr<UINavigationItem> navigationItem() const;

    // Children.
    const std::vector<std::shared_ptr<UIViewController>>& childViewControllers() const { return m_children; }
    void addChildViewController(const std::shared_ptr<UIViewController>& child);
    void removeFromParentViewController();
    virtual void willMoveToParentViewController(const std::shared_ptr<UIViewController>& parent) { (void)parent; }
    virtual void didMoveToParentViewController(const std::shared_ptr<UIViewController>& parent) { (void)parent; }
    std::shared_ptr<UIViewController> parentViewController() const { return m_parent.lock(); }
    // The nearest navigation controller up the parents.
    std::shared_ptr<UINavigationController> navigationController() const;

    // Modal presentation over the whole window.
    void presentViewController(const std::shared_ptr<UIViewController>& controller, bool animated,
        std::function<void()> completion = nullptr);
    void dismissViewControllerAnimated(bool animated, std::function<void()> completion = nullptr);
    std::shared_ptr<UIViewController> presentedViewController() const { return m_presented; }
    std::shared_ptr<UIViewController> presentingViewController() const { return m_presenting.lock(); }
    UIModalTransitionStyle modalTransitionStyle() const { return m_modalTransitionStyle; }
    void setModalTransitionStyle(UIModalTransitionStyle style) { m_modalTransitionStyle = style; }
    UIModalPresentationStyle modalPresentationStyle() const { return m_modalPresentationStyle; }
    void setModalPresentationStyle(UIModalPresentationStyle style) { m_modalPresentationStyle = style; }
    static constexpr NSTimeInterval modalTransitionDuration = 0.4;

    // Orientation and status bar answers.
    virtual bool shouldAutorotate() const { return true; }
    virtual NSUInteger supportedInterfaceOrientations() const { return UIInterfaceOrientationMaskAllButUpsideDown; }
    virtual bool shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation orientation) const
    {
        return orientation == UIInterfaceOrientation::Portrait;
    }
    UIInterfaceOrientation interfaceOrientation() const { return UIInterfaceOrientation::Portrait; }
    // Rotation as the window reports it (the host stays portrait: only a container passing the
    // calls on, or a test, sends them).
    virtual void willRotateToInterfaceOrientation(UIInterfaceOrientation, NSTimeInterval) { }
    virtual void willAnimateRotationToInterfaceOrientation(UIInterfaceOrientation, NSTimeInterval) { }
    virtual void didRotateFromInterfaceOrientation(UIInterfaceOrientation) { }
    virtual UIStatusBarStyle preferredStatusBarStyle() const { return UIStatusBarStyle::Default; }
    virtual bool prefersStatusBarHidden() const { return false; }
    virtual std::shared_ptr<UIViewController> childViewControllerForStatusBarStyle() const { return nullptr; }
    virtual std::shared_ptr<UIViewController> childViewControllerForStatusBarHidden() const { return nullptr; }
    // Applies the answers of the controller that owns the screen to the status bar.
    void setNeedsStatusBarAppearanceUpdate();

    // Layout answers for containers.
    NSUInteger edgesForExtendedLayout() const { return m_edgesForExtendedLayout; }
    void setEdgesForExtendedLayout(NSUInteger edges) { m_edgesForExtendedLayout = edges; }
    bool automaticallyAdjustsScrollViewInsets() const { return m_automaticallyAdjustsScrollViewInsets; }
    void setAutomaticallyAdjustsScrollViewInsets(bool adjusts) { m_automaticallyAdjustsScrollViewInsets = adjusts; }
    bool wantsFullScreenLayout() const { return m_wantsFullScreenLayout; }
    void setWantsFullScreenLayout(bool wants) { m_wantsFullScreenLayout = wants; }

    std::shared_ptr<UIResponder> nextResponder() const override;

    // For containers: marks moves to and from a parent while their appearance calls run.
    void setMovingToParent(bool moving) { m_movingToParent = moving; }
    void setMovingFromParent(bool moving) { m_movingFromParent = moving; }

protected:
    void init();
    // The window of the view, for first-responder bookkeeping.
    std::shared_ptr<UIWindow> responderWindow() const override;

private:
    enum class Appearance { Disappeared, Appearing, Appeared, Disappearing };
    void forwardAppearance(bool isAppearing, bool animated);
    void forwardEndAppearance();
    void finishModalTransition();
    std::shared_ptr<UIViewController> rootAncestor();

    std::shared_ptr<UIView> m_view;
    bool m_loading { false };
    NSString m_title;
    mutable std::shared_ptr<UINavigationItem> m_navigationItem;
    Appearance m_appearance { Appearance::Disappeared };
    bool m_appearanceAnimated { false };
    bool m_beingPresented { false };
    bool m_beingDismissed { false };
    bool m_movingToParent { false };
    bool m_movingFromParent { false };
    std::vector<std::shared_ptr<UIViewController>> m_children;
    std::weak_ptr<UIViewController> m_parent;
    std::shared_ptr<UIViewController> m_presented;
    std::weak_ptr<UIViewController> m_presenting;
    std::function<void()> m_modalFinish;
    UIModalTransitionStyle m_modalTransitionStyle { UIModalTransitionStyle::CoverVertical };
    UIModalPresentationStyle m_modalPresentationStyle { UIModalPresentationStyle::FullScreen };
    NSUInteger m_edgesForExtendedLayout { UIRectEdgeAll };
    bool m_automaticallyAdjustsScrollViewInsets { true };
    bool m_wantsFullScreenLayout { false };
};

using UIViewControllerRef = std::shared_ptr<UIViewController>;
