#include "library/widgets/pagedmenu/PGPopupMenuOverlayView.h"

#include "library/widgets/pagedmenu/PGPopupMenu.h"
#include "platform/uikit/UITouch.h"

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
