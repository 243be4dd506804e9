#include "library/widgets/monthcalendar/CalendarDateUtil.h"

#include "platform/foundation/NSCalendar.h"

namespace {

constexpr NSInteger kMonthLengths[12] = { 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };

NSInteger todayComponent(NSCalendarUnit unit) { return NSCalendar::currentCalendar()->component(unit, NSDate::date()); }

} // namespace

bool CalendarDateUtil::isLeapYear(NSInteger year) { return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0); }

NSInteger CalendarDateUtil::numberOfDaysInMonth(NSInteger month, NSInteger year)
{
    if (month < 1 || month > 12)
        return 0;
    return month == 2 ? (isLeapYear(year) ? 29 : 28) : kMonthLengths[month - 1];
}

NSInteger CalendarDateUtil::numberOfDaysInMonth(NSInteger month) { return numberOfDaysInMonth(month, getCurrentYear()); }
NSInteger CalendarDateUtil::getCurrentYear() { return todayComponent(NSCalendarUnitYear); }
NSInteger CalendarDateUtil::getCurrentMonth() { return todayComponent(NSCalendarUnitMonth); }
NSInteger CalendarDateUtil::getCurrentDay() { return todayComponent(NSCalendarUnitDay); }

NSInteger CalendarDateUtil::getMonthWithDate(const std::shared_ptr<NSDate>& date)
{
    return date ? NSCalendar::currentCalendar()->component(NSCalendarUnitMonth, date) : 0;
}

NSInteger CalendarDateUtil::getDayWithDate(const std::shared_ptr<NSDate>& date)
{
    return date ? NSCalendar::currentCalendar()->component(NSCalendarUnitDay, date) : 0;
}

std::shared_ptr<NSDate> CalendarDateUtil::dateSinceNowWithInterval(NSInteger days)
{
    return NSCalendar::currentCalendar()->dateByAddingUnit(NSCalendarUnitDay, days, NSDate::date(), 0);
}
