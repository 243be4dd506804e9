#include "library/widgets/monthcalendar/GCCalendarCellFace.h"

namespace GCCalendarCellFace {

UIButtonRef makeButton(CGRect frame)
{
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(frame);
    button->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    button->setBackgroundImage(UIImage::imageNamed("monthcalendar/grid_normal.png"), UIControlStateNormal);
    button->setBackgroundImage(UIImage::imageNamed("monthcalendar/grid_selected.png"), UIControlStateSelected);
    button->setTitleColor(UIColor::whiteColor(), UIControlStateSelected);
    button->titleLabel()->setFont(UIFont::boldSystemFontOfSize(15));
    return button;
}

} // namespace GCCalendarCellFace
