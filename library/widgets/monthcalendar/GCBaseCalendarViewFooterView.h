#pragma once
// The stock period footer: "一个月", "三个月" and "一年", tagged with their length in months.

#include "library/widgets/monthcalendar/GCCalendarViewFooterView.h"

class GCBaseCalendarViewFooterView : public GCCalendarViewFooterView {
    NS_OBJECT(GCBaseCalendarViewFooterView, GCCalendarViewFooterView)
public:
    static constexpr CGSize kNibSize { 297, 36 };
    static std::shared_ptr<GCBaseCalendarViewFooterView> viewFromNib();

    // The chosen button stays chosen and untouchable until another is touched.
    void onPeriodButtonTouched(UIButton& button);
};
