#pragma once
// The clear layer over the whole host view under an open paged pop-up menu: a touch that ends on
// it, outside the menu, closes the menu.

#include "platform/uikit/UIView.h"

class PGPopupMenu;

class PGPopupMenuOverlayView : public UIView {
    NS_OBJECT(PGPopupMenuOverlayView, UIView)
public:
    std::shared_ptr<PGPopupMenu> popupMenu() const { return m_popupMenu.lock(); }
    void setPopupMenu(const std::shared_ptr<PGPopupMenu>& menu) { m_popupMenu = menu; }

    void touchesEnded(const UITouchSet& touches, const UIEventRef& event) override;
    // Escape or Alt+Left closes the open menu, as a touch outside it does.
    bool takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers) override;

protected:
    void init(CGRect frame) override;

private:
    std::weak_ptr<PGPopupMenu> m_popupMenu;
};
