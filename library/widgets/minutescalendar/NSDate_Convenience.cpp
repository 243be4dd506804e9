#include "library/widgets/minutescalendar/NSDate_Convenience.h"

#include "platform/foundation/NSCalendar.h"
#include "platform/foundation/NSDateComponents.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/NSTimeZone.h"

namespace NSDate_Convenience {

std::shared_ptr<NSCalendar> gregorian()
{
    auto calendar = NSCalendar::calendarWithIdentifier(NSCalendarIdentifierGregorian);
    calendar->setTimeZone(NSTimeZone::defaultTimeZone());
    return calendar;
}

int year(const std::shared_ptr<NSDate>& date) { return date ? static_cast<int>(gregorian()->component(NSCalendarUnitYear, date)) : 0; }
int month(const std::shared_ptr<NSDate>& date) { return date ? static_cast<int>(gregorian()->component(NSCalendarUnitMonth, date)) : 0; }
int day(const std::shared_ptr<NSDate>& date) { return date ? static_cast<int>(gregorian()->component(NSCalendarUnitDay, date)) : 0; }

int firstWeekDayInMonth(const std::shared_ptr<NSDate>& date)
{
    if (!date)
        return 1;
    auto first = dateWithYearMonthDay(year(date), month(date), 1);
    // 1 = Sunday .. 7 = Saturday, turned to Monday first.
    const auto weekday = gregorian()->component(NSCalendarUnitWeekday, first);
    return static_cast<int>((weekday + 5) % 7 + 1);
}

int numDaysInMonth(const std::shared_ptr<NSDate>& date)
{
    if (!date)
        return 0;
    const NSRange range = gregorian()->rangeOfUnit(NSCalendarUnitDay, NSCalendarUnitMonth, date);
    return range.location == NSNotFound ? 0 : static_cast<int>(range.length);
}

std::shared_ptr<NSDate> offsetMonth(const std::shared_ptr<NSDate>& date, int months)
{
    return date ? gregorian()->dateByAddingUnit(NSCalendarUnitMonth, months, date, 0) : nullptr;
}

std::shared_ptr<NSDate> offsetDay(const std::shared_ptr<NSDate>& date, int days)
{
    return date ? gregorian()->dateByAddingUnit(NSCalendarUnitDay, days, date, 0) : nullptr;
}

std::shared_ptr<NSDate> offsetHours(const std::shared_ptr<NSDate>& date, int hours)
{
    return date ? gregorian()->dateByAddingUnit(NSCalendarUnitHour, hours, date, 0) : nullptr;
}

std::shared_ptr<NSDate> dateStartOfDay(const std::shared_ptr<NSDate>& date)
{
    return date ? dateWithYearMonthDay(year(date), month(date), day(date)) : nullptr;
}

std::shared_ptr<NSDate> dateStartOfWeek()
{
    auto today = NSDate::date();
    const auto weekday = static_cast<int>(NSCalendar::currentCalendar()->component(NSCalendarUnitWeekday, today));
    return dateStartOfDay(offsetDay(today, -((weekday + 7 - 2) % 7)));
}

std::shared_ptr<NSDate> dateEndOfWeek()
{
    auto calendar = gregorian();
    auto today = NSDate::date();
    const auto weekday = static_cast<int>(calendar->component(NSCalendarUnitWeekday, today));
    const auto first = static_cast<int>(calendar->firstWeekday());
    return dateStartOfDay(offsetDay(today, 6 - (weekday + 7 - first) % 7));
}

std::shared_ptr<NSDate> dateWithYearMonthDay(int year, int month, int day)
{
    auto components = NSDateComponents::create();
    components->setYear(year);
    components->setMonth(month);
    components->setDay(day);
    components->setHour(0);
    components->setMinute(0);
    components->setSecond(0);
    return gregorian()->dateFromComponents(components);
}

namespace {

std::shared_ptr<NSDateFormatter> formatter(const NSString& format)
{
    auto formatter = NSDateFormatter::create();
    formatter->setCalendar(gregorian());
    formatter->setTimeZone(NSTimeZone::defaultTimeZone());
    formatter->setDateFormat(format);
    return formatter;
}

} // namespace

std::shared_ptr<NSDate> dateFromString(const NSString& text, const NSString& format)
{
    if (text.isNil() || text.length() == 0)
        return nullptr;
    return formatter(format)->dateFromString(text);
}

NSString stringFromDate(const std::shared_ptr<NSDate>& date, const NSString& format)
{
    return date ? formatter(format)->stringFromDate(date) : NSString();
}

} // namespace NSDate_Convenience
