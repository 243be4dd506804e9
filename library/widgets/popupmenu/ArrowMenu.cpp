#include "library/widgets/popupmenu/ArrowMenu.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIApplication.h"

namespace {

// The menu's look for menus built later; main thread only, like the menus themselves.
UIColorRef& sharedTintColor()
{
    static UIColorRef color;
    return color;
}

UIFontRef& sharedTitleFont()
{
    static UIFontRef font;
    return font;
}

} // namespace

const std::shared_ptr<ArrowMenu>& ArrowMenu::sharedMenu()
{
    static const std::shared_ptr<ArrowMenu> menu = create();
    return menu;
}

ArrowMenu::~ArrowMenu()
{
    if (m_observing)
        NSNotificationCenter::defaultCenter()->removeObserver(this);
}

void ArrowMenu::showMenuInView(const UIViewRef& view, CGRect fromRect, const std::vector<ArrowMenuItemRef>& menuItems,
    ArrowMenuView::DismissBlock dismiss)
{
    sharedMenu()->showMenuInViewFromRect(view, fromRect, menuItems, std::move(dismiss));
}

void ArrowMenu::dismissMenu() { sharedMenu()->dismissMenuView(); }

UIColorRef ArrowMenu::tintColor() { return sharedTintColor(); }
void ArrowMenu::setTintColor(const UIColorRef& color) { sharedTintColor() = color; }
UIFontRef ArrowMenu::titleFont() { return sharedTitleFont(); }
void ArrowMenu::setTitleFont(const UIFontRef& font) { sharedTitleFont() = font; }

void ArrowMenu::showMenuInViewFromRect(const UIViewRef& view, CGRect fromRect, const std::vector<ArrowMenuItemRef>& menuItems,
    ArrowMenuView::DismissBlock dismiss)
{
    if (m_menuView) {
        m_menuView->dismissMenu(false);
        m_menuView = nullptr;
    }
    if (!m_observing) {
        m_observing = true;
        NSNotificationCenter::defaultCenter()->addObserver(self(), &ArrowMenu::orientationWillChange,
            UIApplicationWillChangeStatusBarOrientationNotification, nullptr);
    }
    m_menuView = ArrowMenuView::create();
    m_menuView->showMenuInView(view, fromRect, menuItems, std::move(dismiss));
}

void ArrowMenu::dismissMenuView()
{
    if (m_menuView) {
        m_menuView->dismissMenu(false);
        m_menuView = nullptr;
    }
    if (m_observing) {
        m_observing = false;
        NSNotificationCenter::defaultCenter()->removeObserver(this);
    }
}

void ArrowMenu::orientationWillChange() { dismissMenuView(); }
