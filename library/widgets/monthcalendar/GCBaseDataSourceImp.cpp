#include "library/widgets/monthcalendar/GCBaseDataSourceImp.h"

#include "library/widgets/monthcalendar/GCBaseCalendarDisableGridView.h"
#include "library/widgets/monthcalendar/GCBaseCalendarGridView.h"
#include "library/widgets/monthcalendar/GCBaseCalendarViewHeaderView.h"

GCCalendarGridViewRef GCBaseDataSourceImp::calendarGridViewForRow(GCCalendarView& calendar, NSInteger, NSInteger, const GCCalDayRef&)
{
    if (auto cell = calendar.dequeueCalendarGridViewWithIdentifier(kGridIdentifier))
        return cell;
    return GCBaseCalendarGridView::viewFromNibWithIdentifier(kGridIdentifier);
}

GCCalendarGridViewRef GCBaseDataSourceImp::calendarDisableGridViewForRow(GCCalendarView& calendar, NSInteger, NSInteger, const GCCalDayRef&)
{
    if (auto cell = calendar.dequeueCalendarGridViewWithIdentifier(kDisableGridIdentifier))
        return cell;
    return GCBaseCalendarDisableGridView::viewFromNibWithIdentifier(kDisableGridIdentifier);
}

GCCalendarViewHeaderViewRef GCBaseDataSourceImp::headerViewForCalendarView(GCCalendarView&) { return GCBaseCalendarViewHeaderView::viewFromNib(); }
