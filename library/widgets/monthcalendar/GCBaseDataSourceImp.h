#pragma once
// The stock data source of the paged calendar: recycled or new stock cells, the stock header and
// no footer.

#include "library/widgets/monthcalendar/GCCalendarView.h"

class GCBaseDataSourceImp : public NSObject, public GCCalendarViewDataSource {
    NS_OBJECT(GCBaseDataSourceImp, NSObject)
public:
    static constexpr const char* kGridIdentifier = "BaseCalendarGridView";
    static constexpr const char* kDisableGridIdentifier = "GCBaseCalendarDisableGridView";

    GCCalendarGridViewRef calendarGridViewForRow(GCCalendarView& calendar, NSInteger row, NSInteger column, const GCCalDayRef& day) override;
    GCCalendarGridViewRef calendarDisableGridViewForRow(GCCalendarView& calendar, NSInteger row, NSInteger column, const GCCalDayRef& day) override;
    GCCalendarViewHeaderViewRef headerViewForCalendarView(GCCalendarView& calendar) override;
    GCCalendarViewFooterViewRef footerViewForCalendarView(GCCalendarView&) override { return nullptr; }
};
