#pragma once
// A date or a duration split into calendar fields. A field never set reads NSDateComponentUndefined.

#include "platform/foundation/NSDate.h"

class NSCalendar;
class NSTimeZone;

using NSCalendarUnit = NSUInteger;
enum : NSCalendarUnit {
    NSCalendarUnitEra = 1u << 1,
    NSCalendarUnitYear = 1u << 2,
    NSCalendarUnitMonth = 1u << 3,
    NSCalendarUnitDay = 1u << 4,
    NSCalendarUnitHour = 1u << 5,
    NSCalendarUnitMinute = 1u << 6,
    NSCalendarUnitSecond = 1u << 7,
    NSCalendarUnitWeekday = 1u << 9,
    NSCalendarUnitWeekdayOrdinal = 1u << 10,
    NSCalendarUnitQuarter = 1u << 11,
    NSCalendarUnitWeekOfMonth = 1u << 12,
    NSCalendarUnitWeekOfYear = 1u << 13,
    NSCalendarUnitYearForWeekOfYear = 1u << 14,
    NSCalendarUnitNanosecond = 1u << 15,
    NSCalendarUnitCalendar = 1u << 20,
    NSCalendarUnitTimeZone = 1u << 21,

    // The older names, still used by code written for earlier systems.
    NSEraCalendarUnit = NSCalendarUnitEra,
    NSYearCalendarUnit = NSCalendarUnitYear,
    NSMonthCalendarUnit = NSCalendarUnitMonth,
    NSDayCalendarUnit = NSCalendarUnitDay,
    NSHourCalendarUnit = NSCalendarUnitHour,
    NSMinuteCalendarUnit = NSCalendarUnitMinute,
    NSSecondCalendarUnit = NSCalendarUnitSecond,
    // The week of the year, as the earliest systems counted it.
    NSWeekCalendarUnit = 1u << 8,
    NSWeekdayCalendarUnit = NSCalendarUnitWeekday,
    NSWeekdayOrdinalCalendarUnit = NSCalendarUnitWeekdayOrdinal,
    NSQuarterCalendarUnit = NSCalendarUnitQuarter,
    NSWeekOfMonthCalendarUnit = NSCalendarUnitWeekOfMonth,
    NSWeekOfYearCalendarUnit = NSCalendarUnitWeekOfYear,
    NSYearForWeekOfYearCalendarUnit = NSCalendarUnitYearForWeekOfYear,
    NSCalendarCalendarUnit = NSCalendarUnitCalendar,
    NSTimeZoneCalendarUnit = NSCalendarUnitTimeZone,
};

inline constexpr NSInteger NSDateComponentUndefined = NSIntegerMax;
inline constexpr NSInteger NSUndefinedDateComponent = NSDateComponentUndefined;

class NSDateComponents : public NSObject {
    NS_OBJECT(NSDateComponents, NSObject)
public:
    NSInteger era() const { return m_era; }
    NSInteger year() const { return m_year; }
    NSInteger month() const { return m_month; }
    NSInteger day() const { return m_day; }
    NSInteger hour() const { return m_hour; }
    NSInteger minute() const { return m_minute; }
    NSInteger second() const { return m_second; }
    NSInteger nanosecond() const { return m_nanosecond; }
    NSInteger weekday() const { return m_weekday; }
    NSInteger weekdayOrdinal() const { return m_weekdayOrdinal; }
    NSInteger quarter() const { return m_quarter; }
    NSInteger weekOfMonth() const { return m_weekOfMonth; }
    NSInteger weekOfYear() const { return m_weekOfYear; }
    NSInteger yearForWeekOfYear() const { return m_yearForWeekOfYear; }
    NSInteger week() const { return m_week; }
    bool isLeapMonth() const { return m_leapMonth; }
    const std::shared_ptr<NSCalendar>& calendar() const { return m_calendar; }
    const std::shared_ptr<NSTimeZone>& timeZone() const { return m_timeZone; }

    void setEra(NSInteger value) { m_era = value; }
    void setYear(NSInteger value) { m_year = value; }
    void setMonth(NSInteger value) { m_month = value; }
    void setDay(NSInteger value) { m_day = value; }
    void setHour(NSInteger value) { m_hour = value; }
    void setMinute(NSInteger value) { m_minute = value; }
    void setSecond(NSInteger value) { m_second = value; }
    void setNanosecond(NSInteger value) { m_nanosecond = value; }
    void setWeekday(NSInteger value) { m_weekday = value; }
    void setWeekdayOrdinal(NSInteger value) { m_weekdayOrdinal = value; }
    void setQuarter(NSInteger value) { m_quarter = value; }
    void setWeekOfMonth(NSInteger value) { m_weekOfMonth = value; }
    void setWeekOfYear(NSInteger value) { m_weekOfYear = value; }
    void setYearForWeekOfYear(NSInteger value) { m_yearForWeekOfYear = value; }
    void setWeek(NSInteger value) { m_week = value; }
    void setLeapMonth(bool value) { m_leapMonth = value; }
    void setCalendar(const std::shared_ptr<NSCalendar>& calendar) { m_calendar = calendar; }
    void setTimeZone(const std::shared_ptr<NSTimeZone>& timeZone) { m_timeZone = timeZone; }

    // The field of one unit; NSDateComponentUndefined for units that are not fields.
    NSInteger valueForComponent(NSCalendarUnit unit) const;
    void setValue(NSInteger value, NSCalendarUnit unit);
    // The date the fields name in `calendar` (and `timeZone` when set); nil without a calendar.
    std::shared_ptr<NSDate> date() const;

    NSString description() const override;
    bool isEqual(const id& other) const override;
    NSUInteger hash() const override;
    id copy() const override;

private:
    NSInteger* field(NSCalendarUnit unit);

    NSInteger m_era { NSDateComponentUndefined };
    NSInteger m_year { NSDateComponentUndefined };
    NSInteger m_month { NSDateComponentUndefined };
    NSInteger m_day { NSDateComponentUndefined };
    NSInteger m_hour { NSDateComponentUndefined };
    NSInteger m_minute { NSDateComponentUndefined };
    NSInteger m_second { NSDateComponentUndefined };
    NSInteger m_nanosecond { NSDateComponentUndefined };
    NSInteger m_weekday { NSDateComponentUndefined };
    NSInteger m_weekdayOrdinal { NSDateComponentUndefined };
    NSInteger m_quarter { NSDateComponentUndefined };
    NSInteger m_weekOfMonth { NSDateComponentUndefined };
    NSInteger m_weekOfYear { NSDateComponentUndefined };
    NSInteger m_yearForWeekOfYear { NSDateComponentUndefined };
    NSInteger m_week { NSDateComponentUndefined };
    bool m_leapMonth { false };
    std::shared_ptr<NSCalendar> m_calendar;
    std::shared_ptr<NSTimeZone> m_timeZone;
};
