#pragma once
// The base of every screen: a root view of the screen's size with its own navigation bar at the
// top, built in code.
//
// A screen builds itself in this order: loadView (base first: root view and bar; then the
// background, the bar's title and buttons, the subviews below getNaviBarRect()), viewDidLoad
// (base first, then its service client and observers), viewWillAppear (base first: the bar comes
// to the front), actions named ...Event.

#include "app/screens/base/CustomNaviBarView.h"
#include "platform/uikit/UINavigationController.h"

class ParentViewController : public UIViewController {
    NS_OBJECT(ParentViewController, UIViewController)
public:
    ~ParentViewController() override;

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    bool prefersStatusBarHidden() const override { return m_isHideStatusBar; }
    // Escape or Alt+Left presses the bar's back (left) button while the bar shows it.
    bool takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers) override;

    const std::shared_ptr<CustomNaviBarView>& m_viewNaviBar() const { return m_naviBar; }
    void setViewNaviBar(const std::shared_ptr<CustomNaviBarView>& bar) { m_naviBar = bar; }
    bool isHideStatusBar() const { return m_isHideStatusBar; }
    // NO only clears the flag; the status bar stays as it is.
    void hideStatusBar(bool hide);

    void bringNaviBarToTopmost();
    // The zero rectangle while the bar is hidden or absent.
    CGRect getNaviBarRect() const;
    void hideNaviBar(bool hide);
    void setNaviBarTitle(const NSString& title);
    void setNaviBarLeftBtn(const std::shared_ptr<UIButton>& button);
    void setNaviBarRightBtn(const std::shared_ptr<UIButton>& button);
    void naviBarAddCoverView(const UIViewRef& view);
    void naviBarAddCoverViewOnTitleView(const UIViewRef& view);
    void naviBarRemoveCoverView(const UIViewRef& view);
    // Passed on to the navigation controller the screen is on.
    void navigationCanDragBack(bool canDragBack);


private:
    std::shared_ptr<CustomNaviBarView> m_naviBar;
    bool m_isHideStatusBar { false };
};
