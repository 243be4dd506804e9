#include "app/screens/base/ParentViewController.h"

#include "app/screens/base/CustomNavigationController.h"
#include "app/screens/base/UtilityFunc.h"
#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UnclaimedKeyRouting.h"

ParentViewController::~ParentViewController()
{
    UtilityFunc::cancelPerformRequestAndNotification(this);
}

void ParentViewController::viewDidLoad()
{
    UIViewController::viewDidLoad();
    if (m_isHideStatusBar)
        setNeedsStatusBarAppearanceUpdate();
}

void ParentViewController::viewWillAppear(bool animated)
{
    UIViewController::viewWillAppear(animated);
    if (m_naviBar && !m_naviBar->isHidden())
        view()->bringSubviewToFront(m_naviBar);
}

bool ParentViewController::takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    if (!UnclaimedKeyRouting::isBackKey(key, modifiers) || !m_naviBar || !isViewLoaded())
        return false;
    // The bar's left place holds its back button, the bar's own or the screen's (which saves or
    // asks before it goes); a screen without one has emptied the place.
    const auto& back = m_naviBar->m_btnLeft();
    if (!back || !back->isEnabled())
        return false;
    // Shown means in this screen's view and visible all the way up to it.
    const auto root = viewIfLoaded();
    for (std::shared_ptr<UIView> view = back; view != root; view = view->superview()) {
        if (!view || view->isHidden() || view->alpha() < 0.01)
            return false;
    }
    back->sendActionsForControlEvents(UIControlEventTouchUpInside);
    return true;
}

void ParentViewController::hideStatusBar(bool hide)
{
    NSAssertMainThread();
    m_isHideStatusBar = hide;
    if (hide)
        setNeedsStatusBarAppearanceUpdate();
}

void ParentViewController::bringNaviBarToTopmost()
{
    if (m_naviBar)
        view()->bringSubviewToFront(m_naviBar);
}

CGRect ParentViewController::getNaviBarRect() const
{
    return m_naviBar && !m_naviBar->isHidden() ? m_naviBar->frame() : CGRectZero;
}

void ParentViewController::hideNaviBar(bool hide)
{
    if (m_naviBar)
        m_naviBar->setHidden(hide);
}

void ParentViewController::setNaviBarTitle(const NSString& title)
{
    if (m_naviBar)
        m_naviBar->setTitle(title);
}

void ParentViewController::setNaviBarLeftBtn(const std::shared_ptr<UIButton>& button)
{
    if (m_naviBar)
        m_naviBar->setLeftBtn(button);
}

void ParentViewController::setNaviBarRightBtn(const std::shared_ptr<UIButton>& button)
{
    if (m_naviBar)
        m_naviBar->setRightBtn(button);
}

void ParentViewController::naviBarAddCoverView(const UIViewRef& view)
{
    if (m_naviBar && view)
        m_naviBar->showCoverView(view, true);
}

void ParentViewController::naviBarAddCoverViewOnTitleView(const UIViewRef& view)
{
    if (m_naviBar && view)
        m_naviBar->showCoverViewOnTitleView(view);
}

void ParentViewController::naviBarRemoveCoverView(const UIViewRef& view)
{
    if (m_naviBar)
        m_naviBar->hideCoverView(view);
}

void ParentViewController::navigationCanDragBack(bool canDragBack)
{
    if (auto navigation = std::dynamic_pointer_cast<CustomNavigationController>(navigationController()))
        navigation->navigationCanDragBack(canDragBack);
}
