#pragma once
// One calendar day: its date and its year, month, day and weekday (1 Sunday .. 7 Saturday) in the
// user's calendar.

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSString.h"

class GCCalDay : public NSObject {
    NS_OBJECT(GCCalDay, NSObject)
public:
    static std::shared_ptr<GCCalDay> initWithDate(const std::shared_ptr<NSDate>& date);
    // Midnight of that day; values out of range carry over (30 February is 2 March).
    static std::shared_ptr<GCCalDay> initWithYear(NSInteger year, NSInteger month, NSInteger day);

    const std::shared_ptr<NSDate>& date() const { return m_date; }
    NSUInteger getYear() const { return NSUInteger(m_year); }
    NSUInteger getMonth() const { return NSUInteger(m_month); }
    NSUInteger getDay() const { return NSUInteger(m_day); }
    NSUInteger getWeekDay() const { return NSUInteger(m_weekDay); }

    // -1, 0 or 1 by year, then month, then day.
    int compare(const std::shared_ptr<GCCalDay>& other) const;
    // The next and previous calendar day (not 24 hours away: a daylight-saving day is no step).
    std::shared_ptr<GCCalDay> nextDay() const;
    std::shared_ptr<GCCalDay> previousDay() const;
    // 1 Monday .. 7 Sunday; 0 for no weekday.
    int getMeaningfulWeekDay() const;
    NSString getWeekDayName() const;
    NSString description() const override;
    bool isToday() const;
    bool isEqualToDay(const std::shared_ptr<GCCalDay>& other) const;

private:
    void setDate(const std::shared_ptr<NSDate>& date);

    std::shared_ptr<NSDate> m_date;
    int64_t m_month { 0 };
    int64_t m_day { 0 };
    int64_t m_year { 0 };
    int64_t m_weekDay { 0 };
};

using GCCalDayRef = std::shared_ptr<GCCalDay>;
