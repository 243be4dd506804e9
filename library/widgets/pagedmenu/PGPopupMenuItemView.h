#pragma once
// The view of one entry of the paged pop-up menu: a button filling the view whose two background
// images are this view's slice of the menu's normal and highlighted pictures.

#include "library/widgets/pagedmenu/PGPopupMenuItem.h"
#include "platform/uikit/UIButton.h"

class PGPopupMenu;

class PGPopupMenuItemView : public UIView {
    NS_OBJECT(PGPopupMenuItemView, UIView)
public:
    static std::shared_ptr<PGPopupMenuItemView> itemViewWithItem(const PGPopupMenuItemRef& item) { return create(item); }

    std::shared_ptr<PGPopupMenu> popupMenu() const { return m_popupMenu.lock(); }
    void setPopupMenu(const std::shared_ptr<PGPopupMenu>& menu) { m_popupMenu = menu; }
    const UIButtonRef& button() const { return m_button; }
    const PGPopupMenuItemRef& item() const { return m_item; }
    void setItem(const PGPopupMenuItemRef& item);
    UIImageRef image() const { return m_button->backgroundImageForState(UIControlStateNormal); }
    void setImage(const UIImageRef& image) { m_button->setBackgroundImage(image, UIControlStateNormal); }
    UIImageRef highlightedImage() const { return m_button->backgroundImageForState(UIControlStateHighlighted); }
    void setHighlightedImage(const UIImageRef& image) { m_button->setBackgroundImage(image, UIControlStateHighlighted); }

    CGSize sizeThatFits(CGSize size) const override;
    virtual void performAction();

protected:
    void init(CGRect frame) override;
    void init(const PGPopupMenuItemRef& item);

private:
    std::weak_ptr<PGPopupMenu> m_popupMenu;
    UIButtonRef m_button;
    PGPopupMenuItemRef m_item;
};

using PGPopupMenuItemViewRef = std::shared_ptr<PGPopupMenuItemView>;
