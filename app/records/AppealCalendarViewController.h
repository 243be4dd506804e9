#pragma once
// The month calendar of a subject's training minutes; a day with records opens them.

#include "app/records/RecordsListScreen.h"
#include "library/widgets/minutescalendar/MCCalendarView.h"

class AppealCalendarViewController : public RecordsListScreen, public MCCalendarViewDelegate {
    NS_OBJECT(AppealCalendarViewController, RecordsListScreen)
public:
    NSString screenTitle() const override { return NSString("学时日历"); }
    void loadView() override;
    void loadData() override;

    const NSString& subject() const { return m_subject; }
    void setSubject(const NSString& subject) { m_subject = subject; }
    const std::shared_ptr<MCCalendarView>& calendarView() const { return m_calendar; }
    const std::shared_ptr<UILabel>& summaryLabel() const { return m_summary; }

    void calendarViewSwitchedToMonth(MCCalendarView& calendarView, int month, float targetHeight, bool animated) override;
    void calendarViewDateSelected(MCCalendarView& calendarView, const std::shared_ptr<NSDate>& date) override;
    void calendarViewReset(MCCalendarView& calendarView) override;

private:
    void showMonths(const id& reply);
    void updateSummary();
    NSString m_subject;
    std::shared_ptr<MCCalendarView> m_calendar;
    std::shared_ptr<UILabel> m_summary;
};
