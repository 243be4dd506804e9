#include "library/widgets/monthcalendar/GCBaseCalendarGridView.h"

#include "library/widgets/monthcalendar/GCCalendarCellFace.h"

std::shared_ptr<GCBaseCalendarGridView> GCBaseCalendarGridView::viewFromNib()
{
    auto cell = create(CGRectMake(0, 0, kNibSize.width, kNibSize.height));
    cell->m_gridButton = GCCalendarCellFace::makeButton(cell->bounds());
    cell->m_gridButton->addTarget(cell, &GCBaseCalendarGridView::onGridButtonTouched, UIControlEventTouchUpInside);
    cell->addSubview(cell->m_gridButton);
    cell->awakeFromNib();
    return cell;
}

std::shared_ptr<GCBaseCalendarGridView> GCBaseCalendarGridView::viewFromNibWithIdentifier(const NSString& identifier)
{
    auto cell = viewFromNib();
    cell->setIdentifier(identifier);
    return cell;
}

void GCBaseCalendarGridView::select()
{
    GCCalendarGridView::setSelected(true);
    m_gridButton->setSelected(true);
    m_gridButton->setUserInteractionEnabled(false);
}

void GCBaseCalendarGridView::deselect()
{
    GCCalendarGridView::setSelected(false);
    m_gridButton->setSelected(false);
    m_gridButton->setUserInteractionEnabled(true);
}

void GCBaseCalendarGridView::setSelected(bool selected)
{
    GCCalendarGridView::setSelected(selected);
    setNeedsLayout();
}

void GCBaseCalendarGridView::layoutSubviews()
{
    GCCalendarGridView::layoutSubviews();
    m_gridButton->setTitle(NSString::stringWithFormat("%d", calDay() ? int(calDay()->getDay()) : 0), UIControlStateNormal);
    if (selectedEanable()) {
        m_gridButton->setSelected(selected());
        m_gridButton->setTitleColor(UIColor::colorWithRed(122.0 / 255, 119.0 / 255, 122.0 / 255, 1), UIControlStateNormal);
    } else {
        m_gridButton->setSelected(false);
        m_gridButton->setTitleColor(UIColor::colorWithRed(233.0 / 255, 232.0 / 255, 231.0 / 255, 1), UIControlStateNormal);
    }
}

void GCBaseCalendarGridView::onGridButtonTouched(UIButton&)
{
    auto protectedSelf = self();
    if (auto delegate = this->delegate())
        delegate->gcCalendarGridViewDidSelectGrid(*this);
}
