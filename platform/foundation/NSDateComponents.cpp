#include "platform/foundation/NSDateComponents.h"

#include "platform/foundation/NSCalendar.h"
#include "platform/foundation/NSTimeZone.h"

NSInteger* NSDateComponents::field(NSCalendarUnit unit)
{
    switch (unit) {
    case NSCalendarUnitEra: return &m_era;
    case NSCalendarUnitYear: return &m_year;
    case NSCalendarUnitMonth: return &m_month;
    case NSCalendarUnitDay: return &m_day;
    case NSCalendarUnitHour: return &m_hour;
    case NSCalendarUnitMinute: return &m_minute;
    case NSCalendarUnitSecond: return &m_second;
    case NSCalendarUnitNanosecond: return &m_nanosecond;
    case NSCalendarUnitWeekday: return &m_weekday;
    case NSCalendarUnitWeekdayOrdinal: return &m_weekdayOrdinal;
    case NSCalendarUnitQuarter: return &m_quarter;
    case NSCalendarUnitWeekOfMonth: return &m_weekOfMonth;
    case NSCalendarUnitWeekOfYear: return &m_weekOfYear;
    case NSCalendarUnitYearForWeekOfYear: return &m_yearForWeekOfYear;
    case NSWeekCalendarUnit: return &m_week;
    default: return nullptr;
    }
}

NSInteger NSDateComponents::valueForComponent(NSCalendarUnit unit) const
{
    const NSInteger* value = const_cast<NSDateComponents*>(this)->field(unit);
    return value ? *value : NSDateComponentUndefined;
}

void NSDateComponents::setValue(NSInteger value, NSCalendarUnit unit)
{
    if (NSInteger* target = field(unit))
        *target = value;
}

std::shared_ptr<NSDate> NSDateComponents::date() const
{
    if (!m_calendar)
        return nullptr;
    return m_calendar->dateFromComponents(std::const_pointer_cast<NSDateComponents>(self()));
}

namespace {

constexpr std::pair<NSCalendarUnit, const char*> fieldNames[] = {
    { NSCalendarUnitEra, "era" }, { NSCalendarUnitYear, "year" }, { NSCalendarUnitMonth, "month" },
    { NSCalendarUnitDay, "day" }, { NSCalendarUnitHour, "hour" }, { NSCalendarUnitMinute, "minute" },
    { NSCalendarUnitSecond, "second" }, { NSCalendarUnitNanosecond, "nanosecond" },
    { NSCalendarUnitWeekday, "weekday" }, { NSCalendarUnitWeekdayOrdinal, "weekdayOrdinal" },
    { NSCalendarUnitQuarter, "quarter" }, { NSCalendarUnitWeekOfMonth, "weekOfMonth" },
    { NSCalendarUnitWeekOfYear, "weekOfYear" }, { NSCalendarUnitYearForWeekOfYear, "yearForWeekOfYear" },
    { NSWeekCalendarUnit, "week" },
};

} // namespace

NSString NSDateComponents::description() const
{
    auto text = NSMutableString::stringWithString("<NSDateComponents>");
    for (const auto& [unit, name] : fieldNames) {
        const NSInteger value = valueForComponent(unit);
        if (value != NSDateComponentUndefined)
            text->appendFormat(" %s: %ld", name, static_cast<long>(value));
    }
    if (m_leapMonth)
        text->appendString(" leapMonth: 1");
    return NSString(text);
}

bool NSDateComponents::isEqual(const id& other) const
{
    auto components = ns::cast<NSDateComponents>(other);
    if (!components)
        return false;
    for (const auto& entry : fieldNames) {
        if (valueForComponent(entry.first) != components->valueForComponent(entry.first))
            return false;
    }
    return m_leapMonth == components->m_leapMonth && ns::isEqual(m_calendar, components->m_calendar)
        && ns::isEqual(m_timeZone, components->m_timeZone);
}

NSUInteger NSDateComponents::hash() const
{
    NSUInteger value = 0;
    for (const auto& entry : fieldNames)
        value = value * 31 + static_cast<NSUInteger>(valueForComponent(entry.first));
    return value;
}

id NSDateComponents::copy() const
{
    auto components = create();
    for (const auto& entry : fieldNames)
        components->setValue(valueForComponent(entry.first), entry.first);
    components->m_leapMonth = m_leapMonth;
    components->m_calendar = m_calendar;
    components->m_timeZone = m_timeZone;
    return components;
}
