#pragma once
// One month with the list of its days, built from a reference day inside it.

#include "library/widgets/monthcalendar/GCCalDay.h"

#include <vector>

class GCCalMonth : public NSObject {
    NS_OBJECT(GCCalMonth, NSObject)
public:
    // Day 1 of the month in the current year.
    static std::shared_ptr<GCCalMonth> initWithMonth(NSUInteger month);
    static std::shared_ptr<GCCalMonth> initWithMonth(NSUInteger month, NSUInteger year);
    static std::shared_ptr<GCCalMonth> initWithMonth(NSUInteger month, NSUInteger year, NSUInteger day);
    static std::shared_ptr<GCCalMonth> initWithDate(const std::shared_ptr<NSDate>& date);

    std::shared_ptr<GCCalMonth> nextMonth() const;
    std::shared_ptr<GCCalMonth> previousMonth() const;
    NSUInteger getYear() const { return m_year; }
    NSUInteger getMonth() const { return m_month; }
    NSUInteger days() const { return m_numberOfDays; }
    const GCCalDayRef& today() const { return m_today; }
    // Day 1 .. days; nil outside.
    GCCalDayRef calDayAtDay(NSUInteger day) const;
    GCCalDayRef firstDay() const { return calDayAtDay(1); }
    GCCalDayRef lastDay() const { return calDayAtDay(m_numberOfDays); }
    const std::vector<GCCalDayRef>& daysOfMonth() const { return m_daysOfMonth; }
    NSString description() const override;

private:
    static std::shared_ptr<GCCalMonth> withReferenceDay(const GCCalDayRef& day);
    void caculateMonth();

    NSUInteger m_month { 0 };
    NSUInteger m_year { 0 };
    NSUInteger m_numberOfDays { 0 };
    GCCalDayRef m_today;
    std::vector<GCCalDayRef> m_daysOfMonth;
};

using GCCalMonthRef = std::shared_ptr<GCCalMonth>;
