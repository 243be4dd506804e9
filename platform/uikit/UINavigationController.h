#pragma once
// A stack of controllers showing the top one's view. Pushing and popping run the appearance
// calls in the platform's order and, when animated, slide the views (the new one in from the
// right on a push) for a third of a second, with touches ignored meanwhile. A push or pop asked
// for while another runs first completes the running one.
//
// The navigation bar shows the navigation items of the stack and its back button pops the top
// controller. Another view may take its place through setNavigationBar; without one the
// contents fill the whole view. Its hidden flag is kept either way.

#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UIPanGestureRecognizer.h"
#include "platform/uikit/UIViewController.h"

class UINavigationController;

class UINavigationControllerDelegate {
public:
    virtual ~UINavigationControllerDelegate() = default;
    virtual void willShowViewController(UINavigationController&, UIViewController&, bool animated) { (void)animated; }
    virtual void didShowViewController(UINavigationController&, UIViewController&, bool animated) { (void)animated; }
};

class UINavigationController : public UIViewController {
    NS_OBJECT(UINavigationController, UIViewController)
public:
    ~UINavigationController() override;

    std::vector<std::shared_ptr<UIViewController>> viewControllers() const { return m_stack; }
    void setViewControllers(const std::vector<std::shared_ptr<UIViewController>>& controllers, bool animated = false);
    std::shared_ptr<UIViewController> topViewController() const { return m_stack.empty() ? nullptr : m_stack.back(); }
    // The top controller, or what it presents.
    std::shared_ptr<UIViewController> visibleViewController() const;

    void pushViewController(const std::shared_ptr<UIViewController>& controller, bool animated);
    // The popped controller; nil at the root.
    std::shared_ptr<UIViewController> popViewControllerAnimated(bool animated);
    // The popped controllers, bottom first; empty when the controller is not on the stack.
    std::vector<std::shared_ptr<UIViewController>> popToViewController(const std::shared_ptr<UIViewController>& controller, bool animated);
    std::vector<std::shared_ptr<UIViewController>> popToRootViewControllerAnimated(bool animated);

    bool isNavigationBarHidden() const { return m_navigationBarHidden; }
    void setNavigationBarHidden(bool hidden, bool animated = false);
    // Nil when a view of another kind took the bar's place.
    std::shared_ptr<UINavigationBar> navigationBar() const { return std::dynamic_pointer_cast<UINavigationBar>(m_navigationBar); }
    void setNavigationBar(const std::shared_ptr<UIView>& bar);
    static constexpr CGFloat navigationBarHeight = 44;

    // A pan from the left edge that pops the top controller.
    const std::shared_ptr<UIPanGestureRecognizer>& interactivePopGestureRecognizer() const { return m_popGesture; }

    std::shared_ptr<UINavigationControllerDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<UINavigationControllerDelegate>& delegate) { m_delegate = delegate; }

    bool isTransitioning() const { return static_cast<bool>(m_finishTransition); }
    static constexpr NSTimeInterval transitionDuration = 0.35;

    void loadView() override;
    bool shouldAutomaticallyForwardAppearanceMethods() const override { return false; }
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewDidDisappear(bool animated) override;
    std::shared_ptr<UIViewController> childViewControllerForStatusBarStyle() const override { return topViewController(); }
    std::shared_ptr<UIViewController> childViewControllerForStatusBarHidden() const override { return topViewController(); }
    // Escape or Alt+Left does what the bar's back button does, while the bar shows one.
    bool takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers) override;

protected:
    void init();
    void init(const std::shared_ptr<UIViewController>& rootViewController);

private:
    class ContainerView;
    // Replaces the shown controller by the new top, with the appearance calls.
    void transition(const std::shared_ptr<UIViewController>& from, const std::shared_ptr<UIViewController>& to,
        bool animated, bool forward, std::vector<std::shared_ptr<UIViewController>> removed);
    void finishRunningTransition();
    CGRect contentFrameFor(const UIViewController& controller) const;
    void layoutContents();
    void handlePopGesture(UIPanGestureRecognizer& recognizer);
    // Gives the bar the stack's navigation items.
    void syncNavigationBar(bool animated);
    // A controller whose scroll view runs under the bars gets room above its content for them,
    // as the platform gives it unless the controller says not to.
    void adjustScrollViewInsets(UIViewController& controller);

    std::vector<std::shared_ptr<UIViewController>> m_stack;
    std::shared_ptr<UIView> m_navigationBar;
    bool m_navigationBarHidden { false };
    std::shared_ptr<UIPanGestureRecognizer> m_popGesture;
    std::shared_ptr<UIGestureRecognizerDelegate> m_popGestureDelegate;
    std::shared_ptr<UINavigationBarDelegate> m_barLink;
    std::weak_ptr<UINavigationControllerDelegate> m_delegate;
    std::function<void()> m_finishTransition;
    struct AdjustedInsets {
        std::weak_ptr<UIView> scrollView;
        CGFloat top { 0 };
    };
    std::vector<AdjustedInsets> m_adjustedInsets;
};
