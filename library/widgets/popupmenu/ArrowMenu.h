#pragma once
// The process-wide front of the pop-up menu with arrow: one menu open at a time, closed by a tap
// outside, by choosing an item or by an orientation change.
//
//     ArrowMenu::showMenuInView(view(), button->frame(), { favourite, share }, [weakSelf] { ... });

#include "library/widgets/popupmenu/ArrowMenuView.h"
#include "platform/text/UIFont.h"

class ArrowMenu : public NSObject {
    NS_OBJECT(ArrowMenu, NSObject)
public:
    ~ArrowMenu() override;

    static const std::shared_ptr<ArrowMenu>& sharedMenu();
    static void showMenuInView(const UIViewRef& view, CGRect fromRect, const std::vector<ArrowMenuItemRef>& menuItems,
        ArrowMenuView::DismissBlock dismiss = nullptr);
    static void dismissMenu();
    // Take effect for menus built later.
    static UIColorRef tintColor();
    static void setTintColor(const UIColorRef& color);
    static UIFontRef titleFont();
    static void setTitleFont(const UIFontRef& font);

    void showMenuInViewFromRect(const UIViewRef& view, CGRect fromRect, const std::vector<ArrowMenuItemRef>& menuItems,
        ArrowMenuView::DismissBlock dismiss);
    void dismissMenuView();
    void orientationWillChange();

    const std::shared_ptr<ArrowMenuView>& menuView() const { return m_menuView; }
    bool isObserving() const { return m_observing; }

private:
    std::shared_ptr<ArrowMenuView> m_menuView;
    bool m_observing { false };
};
