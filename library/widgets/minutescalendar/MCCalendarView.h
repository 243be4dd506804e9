#pragma once
// The month calendar of training minutes: a self-drawn month grid, Monday first, whose days with
// training records are blue and carry "%@分钟" under their number. The owner hands it the
// service's month records and a date to show; the header's arrows walk the months of those
// records in their order, and a tapped day goes to the delegate.
//
//     auto calendar = MCCalendarView::create(CGPointMake(0, 64));
//     calendar->setDelegate(self());
//     calendar->setDataArray(reply);          // [{"MONTH": "2015-03", "INFO": [{"RECORDDATE", "ALLEFFECTTIME"}]}]
//     calendar->reset(firstMonth);
//
// Every calendar computation is Gregorian in the default time zone. Main thread only.

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSDate.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"

class MCCalendarView;

class MCCalendarViewDelegate {
public:
    virtual ~MCCalendarViewDelegate() = default;
    virtual void calendarViewSwitchedToMonth(MCCalendarView& calendarView, int month, float targetHeight, bool animated) = 0;
    virtual void calendarViewDateSelected(MCCalendarView& calendarView, const std::shared_ptr<NSDate>& date) = 0;
    // After a month slide has finished.
    virtual void calendarViewReset(MCCalendarView& calendarView) = 0;
};

class MCCalendarView : public UIView {
    NS_OBJECT(MCCalendarView, UIView)
public:
    ~MCCalendarView() override;

    std::shared_ptr<MCCalendarViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<MCCalendarViewDelegate>& delegate) { m_delegate = delegate; }

    const std::shared_ptr<NSDate>& currentMonth() const { return m_currentMonth; }
    void setCurrentMonth(const std::shared_ptr<NSDate>& month) { m_currentMonth = month; }
    // The setters only store; none redraws.
    const std::shared_ptr<UILabel>& labelCurrentMonth() const { return m_labelCurrentMonth; }
    void setLabelCurrentMonth(const std::shared_ptr<UILabel>& label) { m_labelCurrentMonth = label; }
    bool isAnimating() const { return m_isAnimating; }
    void setIsAnimating(bool animating) { m_isAnimating = animating; }
    bool prepAnimationPreviousMonth() const { return m_prepAnimationPreviousMonth; }
    void setPrepAnimationPreviousMonth(bool preparing) { m_prepAnimationPreviousMonth = preparing; }
    bool prepAnimationNextMonth() const { return m_prepAnimationNextMonth; }
    void setPrepAnimationNextMonth(bool preparing) { m_prepAnimationNextMonth = preparing; }
    const std::shared_ptr<UIImageView>& animationView_A() const { return m_animationView_A; }
    void setAnimationView_A(const std::shared_ptr<UIImageView>& view) { m_animationView_A = view; }
    const std::shared_ptr<UIImageView>& animationView_B() const { return m_animationView_B; }
    void setAnimationView_B(const std::shared_ptr<UIImageView>& view) { m_animationView_B = view; }
    // Mark dictionaries: "day" (a number, or a date whose day is used) and "text".
    const std::shared_ptr<NSArray>& markedDates() const { return m_markedDates; }
    void setMarkedDates(const std::shared_ptr<NSArray>& marks) { m_markedDates = marks; }
    const std::shared_ptr<NSArray>& markedColors() const { return m_markedColors; }
    void setMarkedColors(const std::shared_ptr<NSArray>& colors) { m_markedColors = colors; }
    const std::shared_ptr<NSDate>& selectedDate() const { return m_selectedDate; }
    void setSelectedDate(const std::shared_ptr<NSDate>& date) { m_selectedDate = date; }
    // Month records: "MONTH" ("yyyy-MM") and "INFO" (days: "RECORDDATE" "yyyy-MM-dd", "ALLEFFECTTIME").
    const std::shared_ptr<NSArray>& dataArray() const { return m_dataArray; }
    void setDataArray(const std::shared_ptr<NSArray>& data) { m_dataArray = data; }

    // Shows the date's month without animation; the first call also stands for the calendar's
    // own delayed first showing of the current month.
    void reset(const std::shared_ptr<NSDate>& date);
    void showNextMonth();
    void showPreviousMonth();
    // A day of the shown month; days outside it fall into the neighbouring months.
    void selectDate(int day);
    void markDates(const std::shared_ptr<NSArray>& marks);
    void markDates(const std::shared_ptr<NSArray>& marks, const std::shared_ptr<NSArray>& colors);
    void updateSize();
    int numRows() const;
    float calendarHeight() const { return static_cast<float>(numRows() * 46 + 61); }
    // The height is the shown month's: a value set is not kept.
    void setCalendarHeight(float) { }

    void touchesBegan(const UITouchSet& touches, const UIEventRef& event) override;
    void drawRect(CGRect rect) override;
    // The grid below the header as an image, for the month slide.
    UIImageRef drawCurrentState();

protected:
    void init(CGPoint origin);

private:
    void switchMonth(bool next);
    // The marks of a month record; days that do not parse or lie outside the month are left out.
    void buildMarks(const std::shared_ptr<NSDictionary>& record, const std::shared_ptr<NSDate>& month);
    // The index of the record of the shown month, or -1.
    NSInteger recordIndexOfCurrentMonth() const;

    std::weak_ptr<MCCalendarViewDelegate> m_delegate;
    std::shared_ptr<NSDate> m_currentMonth;
    std::shared_ptr<UILabel> m_labelCurrentMonth;
    bool m_isAnimating { false };
    bool m_prepAnimationPreviousMonth { false };
    bool m_prepAnimationNextMonth { false };
    bool m_firstResetPending { true };
    std::shared_ptr<UIImageView> m_animationView_A;
    std::shared_ptr<UIImageView> m_animationView_B;
    std::shared_ptr<NSArray> m_markedDates;
    std::shared_ptr<NSArray> m_markedColors;
    std::shared_ptr<NSDate> m_selectedDate;
    std::shared_ptr<NSArray> m_dataArray;
};
