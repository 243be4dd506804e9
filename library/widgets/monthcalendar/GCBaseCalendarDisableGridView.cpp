#include "library/widgets/monthcalendar/GCBaseCalendarDisableGridView.h"

#include "library/widgets/monthcalendar/GCCalendarCellFace.h"

std::shared_ptr<GCBaseCalendarDisableGridView> GCBaseCalendarDisableGridView::viewFromNib()
{
    auto cell = create(CGRectMake(0, 0, kNibSize.width, kNibSize.height));
    cell->m_gridButton = GCCalendarCellFace::makeButton(cell->bounds());
    cell->m_gridButton->setTitleColor(UIColor::colorWithRed(200.0 / 255, 200.0 / 255, 200.0 / 255, 1), UIControlStateNormal);
    cell->m_gridButton->setAlpha(0.6);
    cell->addSubview(cell->m_gridButton);
    cell->awakeFromNib();
    return cell;
}

std::shared_ptr<GCBaseCalendarDisableGridView> GCBaseCalendarDisableGridView::viewFromNibWithIdentifier(const NSString& identifier)
{
    auto cell = viewFromNib();
    cell->setIdentifier(identifier);
    return cell;
}

void GCBaseCalendarDisableGridView::awakeFromNib()
{
    GCCalendarGridView::awakeFromNib();
    m_gridButton->setUserInteractionEnabled(false);
}

void GCBaseCalendarDisableGridView::select()
{
    setSelected(true);
    m_gridButton->setSelected(true);
}

void GCBaseCalendarDisableGridView::deselect()
{
    setSelected(false);
    m_gridButton->setSelected(false);
}

void GCBaseCalendarDisableGridView::layoutSubviews()
{
    GCCalendarGridView::layoutSubviews();
    m_gridButton->setTitle(NSString::stringWithFormat("%d", calDay() ? int(calDay()->getDay()) : 0), UIControlStateNormal);
    m_gridButton->setSelected(selected());
}
