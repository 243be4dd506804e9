#pragma once
// A pop-up month calendar: a grid of day cells under a header (the month, previous and next,
// cancel and confirm), an optional period footer and a row of weekday names. Months page with the
// header's buttons or a quick horizontal swipe; one day is selected by a tap, or in multiple mode
// several up to a limit (dragging across cells selects them too); days before the minimum or
// after the maximum date cannot be selected, and only a selectable day is confirmed. Cells come
// from the data source (GCBaseDataSourceImp is the stock one) and are recycled by identifier.
//
//     auto calendar = GCCalendarView::viewFromNib();
//     calendar->setDataSource(GCBaseDataSourceImp::create());
//     calendar->setDelegate(self());
//     calendar->showInView(view());

#include "library/widgets/monthcalendar/GCCalMonth.h"
#include "library/widgets/monthcalendar/GCCalendarGridView.h"
#include "library/widgets/monthcalendar/GCCalendarScrollView.h"
#include "library/widgets/monthcalendar/GCCalendarViewFooterView.h"
#include "library/widgets/monthcalendar/GCCalendarViewHeaderView.h"
#include "platform/uikit/UISwipeGestureRecognizer.h"

#include <map>
#include <set>
#include <string>
#include <unordered_map>

class GCCalendarView;

class GCCalendarViewDataSource {
public:
    virtual ~GCCalendarViewDataSource() = default;
    // Seven names, Sunday first; none: "日" .. "六".
    virtual std::vector<NSString> weekTitlesForCalendarView(GCCalendarView&) { return {}; }
    // Nil or empty: "2015年3月".
    virtual NSString titleForMonth(GCCalendarView&, const GCCalMonthRef&) { return nullptr; }
    virtual GCCalendarGridViewRef calendarGridViewForRow(GCCalendarView&, NSInteger row, NSInteger column, const GCCalDayRef& day) = 0;
    virtual GCCalendarGridViewRef calendarDisableGridViewForRow(GCCalendarView&, NSInteger row, NSInteger column, const GCCalDayRef& day) = 0;
    virtual GCCalendarViewHeaderViewRef headerViewForCalendarView(GCCalendarView&) { return nullptr; }
    virtual GCCalendarViewFooterViewRef footerViewForCalendarView(GCCalendarView&) { return nullptr; }
};

class GCCalendarViewDelegate {
public:
    virtual ~GCCalendarViewDelegate() = default;
    virtual void calendarViewDidSelectDay(GCCalendarView&, const GCCalDayRef& day) { (void)day; }
    virtual void calendarViewDidSelectPeriodType(GCCalendarView&, int periodType) { (void)periodType; }
};

class GCCalendarView : public UIView,
                       public GCCalendarGridViewDelegate,
                       public GCCalendarViewHeaderViewDelegate,
                       public GCCalendarViewFooterViewDelegate,
                       public GCCalendarScrollViewDelegate {
    NS_OBJECT(GCCalendarView, UIView)
public:
    // Marks a touch sequence whose duration is not measured yet.
    static constexpr double kUnmeasured = 978307200;
    static constexpr CGFloat kHeightWithoutFooter = 255;

    static std::shared_ptr<GCCalendarView> viewFromNib();

    const std::shared_ptr<GCCalendarViewDataSource>& dataSource() const { return m_dataSource; }
    void setDataSource(const std::shared_ptr<GCCalendarViewDataSource>& dataSource);
    std::shared_ptr<GCCalendarViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<GCCalendarViewDelegate>& delegate) { m_delegate = delegate; }

    const std::shared_ptr<NSDate>& date() const { return m_date; }
    void setDate(const std::shared_ptr<NSDate>& date);
    const GCCalMonthRef& calMonth() const { return m_calMonth; }
    void setCalMonth(const GCCalMonthRef& month);
    const std::shared_ptr<NSDate>& minimumDate() const { return m_minimumDate; }
    void setMinimumDate(const std::shared_ptr<NSDate>& date);
    const std::shared_ptr<NSDate>& maximumDate() const { return m_maximumDate; }
    void setMaximumDate(const std::shared_ptr<NSDate>& date);
    bool allowsMultipleSelection() const { return m_allowsMultipleSelection; }
    void setAllowsMultipleSelection(bool allows) { m_allowsMultipleSelection = allows; }
    NSUInteger MaxSelection() const { return m_MaxSelection; }
    void setMaxSelection(NSUInteger limit) { m_MaxSelection = limit; }
    CGSize gridSize() const { return m_gridSize; }
    void setGridSize(CGSize size);
    int selectedPeriod() const { return m_selectedPeriod; }
    void setSelectedPeriod(int period) { m_selectedPeriod = period; }
    // Nil when nothing selectable is selected.
    const GCCalDayRef& selectedDay() const { return m_selectedDay; }
    void setSelectedDay(const GCCalDayRef& day) { m_selectedDay = day; }
    std::shared_ptr<NSDate> selectedDate() const { return m_selectedDay ? m_selectedDay->date() : nullptr; }
    // Every selected day, in order; empty unless several may be selected.
    std::vector<std::shared_ptr<NSDate>> selectedDateArray() const;
    // Keys "yyyyMMdd" of every selected day, across months.
    const std::set<std::string>& selectedDayDic() const { return m_selectedDayDic; }

    const UIViewRef& weekHintView() const { return m_weekHintView; }
    const UIViewRef& headerView() const { return m_headerView; }
    const UIViewRef& footerView() const { return m_footerView; }
    const GCCalendarScrollViewRef& gridScrollView() const { return m_gridScrollView; }
    const GCCalendarViewHeaderViewRef& calendarHeaderView() const { return m_calendarHeaderView; }
    const GCCalendarViewFooterViewRef& calendarFooterView() const { return m_calendarFooterView; }
    // The cell at (row, column) of the grid on show; nil where there is none.
    GCCalendarGridViewRef gridViewAt(NSInteger row, NSInteger column) const;
    // The cells of the month's own days, in day order.
    const std::vector<GCCalendarGridViewRef>& monthGridViewsArray() const { return m_monthGridViewsArray; }
    NSInteger numberOfRows() const;

    GCCalendarGridViewRef dequeueCalendarGridViewWithIdentifier(const NSString& identifier);
    void nextMonth();
    void previousMonth();

    void showInView(const UIViewRef& view);
    void show();
    void hide();
    bool isHide() const { return m_isHide; }
    // Escape or Alt+Left is the header's cancel while the calendar shows.
    bool takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers) override;
    bool appear() const { return alpha() > 0; }

    void layoutSubviews() override;
    void swipe(UISwipeGestureRecognizer& recognizer);

    void gcCalendarGridViewDidSelectGrid(GCCalendarGridView&) override { }
    void calendarViewHeaderViewNextMonth(GCCalendarViewHeaderView&) override { nextMonth(); }
    void calendarViewHeaderViewPreviousMonth(GCCalendarViewHeaderView&) override { previousMonth(); }
    void calendarViewHeaderViewDidCancel(GCCalendarViewHeaderView&) override { hide(); }
    void calendarViewHeaderViewDidSelection(GCCalendarViewHeaderView&) override;
    void calendarViewFooterViewDidSelectPeriod(GCCalendarViewFooterView&, int periodType) override;
    void calendarSrollViewTouchesBegan(GCCalendarScrollView&, const UITouchSet& touches, const UIEventRef& event) override;
    void calendarSrollViewTouchesMoved(GCCalendarScrollView&, const UITouchSet& touches, const UIEventRef& event) override;
    void calendarSrollViewTouchesEnded(GCCalendarScrollView&, const UITouchSet& touches, const UIEventRef& event) override;
    void calendarSrollViewTouchesCancelled(GCCalendarScrollView&, const UITouchSet& touches, const UIEventRef& event) override;

protected:
    virtual void awakeFromNib();

private:
    struct Cell {
        NSInteger row;
        NSInteger column;
        auto operator<=>(const Cell&) const = default;
    };

    void initParameters();
    void layoutGridCells();
    void recyleAllGridViews();
    void storeCell(const GCCalendarGridViewRef& cell, NSInteger row, NSInteger column);
    CGRect cellFrame(NSInteger row, NSInteger column) const;
    std::optional<Cell> hitTestCell(CGPoint point) const;
    bool isSelectable(const GCCalDayRef& day) const;
    bool isSelectableCell(const GCCalendarGridViewRef& cell) const;
    // The selectable day of the opening date, or of day 1.
    void resetSelectedDay();
    void updateCells();
    void changeMonth(bool next);
    static std::string keyOf(const GCCalDayRef& day);

    bool m_moved { false };
    bool m_firstLayout { true };
    bool m_allowsMultipleSelection { false };
    bool m_isHide { false };
    NSUInteger m_MaxSelection { 0 };
    int m_selectedPeriod { 12 };
    Cell m_previousSelectedIndex { INT64_MAX, INT64_MAX };
    CGSize m_gridSize { 39, 31 };
    std::shared_ptr<NSDate> m_date;
    std::shared_ptr<NSDate> m_minimumDate;
    std::shared_ptr<NSDate> m_maximumDate;
    GCCalDayRef m_minimumDay;
    GCCalDayRef m_maximumDay;
    GCCalDayRef m_selectedDay;
    GCCalMonthRef m_calMonth;
    GCCalendarViewHeaderViewRef m_calendarHeaderView;
    GCCalendarViewFooterViewRef m_calendarFooterView;
    UIViewRef m_parentView;
    std::vector<std::vector<GCCalendarGridViewRef>> m_gridViewsArray;
    std::vector<GCCalendarGridViewRef> m_monthGridViewsArray;
    std::unordered_map<std::string, std::vector<GCCalendarGridViewRef>> m_recyledGridSetDic;
    std::map<Cell, bool> m_selectedGridViewIndicesDic;
    std::set<std::string> m_selectedDayDic;
    std::shared_ptr<GCCalendarViewDataSource> m_dataSource;
    std::weak_ptr<GCCalendarViewDelegate> m_delegate;
    double m_swipeTimeInterval { kUnmeasured };
    double m_begintimeInterval { 0 };
    UIViewRef m_weekHintView;
    UIViewRef m_headerView;
    UIViewRef m_footerView;
    GCCalendarScrollViewRef m_gridScrollView;
};

using GCCalendarViewRef = std::shared_ptr<GCCalendarView>;
