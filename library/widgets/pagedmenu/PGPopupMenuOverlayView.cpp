#include "library/widgets/pagedmenu/PGPopupMenuOverlayView.h"

#include "library/widgets/pagedmenu/PGPopupMenu.h"
#include "platform/uikit/UITouch.h"
#include "platform/uikit/UnclaimedKeyRouting.h"

void PGPopupMenuOverlayView::init(CGRect frame)
{
    UIView::init(frame);
    setBackgroundColor(UIColor::clearColor());
}

void PGPopupMenuOverlayView::touchesEnded(const UITouchSet& touches, const UIEventRef&)
{
    auto touch = touches.anyObject();
    if (touch && touch->view().get() == this)
        if (auto menu = popupMenu())
            menu->dismissAnimated(true);
}

bool PGPopupMenuOverlayView::takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    auto menu = popupMenu();
    if (!menu || !menu->isVisible() || !UnclaimedKeyRouting::isBackKey(key, modifiers))
        return false;
    menu->dismissAnimated(true);
    return true;
}
