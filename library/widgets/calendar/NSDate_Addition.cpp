#include "library/widgets/calendar/NSDate_Addition.h"

#include "platform/foundation/NSCalendar.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/NSLocale.h"
#include "platform/foundation/NSTimeZone.h"

#include <array>

namespace NSDate_Addition {

namespace {

// Making a formatter costs many times a conversion, and the screens convert dates per table
// cell: each thread keeps one and brings it up to the device's locale and zone before each use.
NSDateFormatter& formatterFor(const NSString& format)
{
    struct Cached {
        std::shared_ptr<NSDateFormatter> formatter;
        std::shared_ptr<NSLocale> locale;
        std::shared_ptr<NSTimeZone> zone;
    };
    thread_local Cached cached;
    if (!cached.formatter) {
        cached.formatter = NSDateFormatter::create();
        cached.formatter->setCalendar(NSCalendar::calendarWithIdentifier(NSCalendarIdentifierGregorian));
    }
    // Set explicitly: a formatter left on the defaults would keep the ones it first built with.
    auto locale = NSLocale::currentLocale();
    if (!cached.locale || !cached.locale->isEqual(locale)) {
        cached.formatter->setLocale(locale);
        cached.locale = std::move(locale);
    }
    auto zone = NSTimeZone::defaultTimeZone();
    if (!cached.zone || !cached.zone->isEqual(zone)) {
        cached.formatter->setTimeZone(zone);
        cached.zone = std::move(zone);
    }
    if (cached.formatter->dateFormat() != format)
        cached.formatter->setDateFormat(format);
    return *cached.formatter;
}

std::shared_ptr<NSDate> addDays(const std::shared_ptr<NSDate>& date, NSInteger days)
{
    if (!date)
        return nullptr;
    return NSCalendar::currentCalendar()->dateByAddingUnit(NSCalendarUnitDay, days, date, 0);
}

} // namespace

std::shared_ptr<NSDate> dateFromString(const NSString& text, const NSString& format)
{
    if (text.isNil() || format.isNil())
        return nullptr;
    return formatterFor(format).dateFromString(text);
}

NSString stringFromDate(const std::shared_ptr<NSDate>& date, const NSString& format)
{
    if (!date || format.isNil())
        return NSString();
    return formatterFor(format).stringFromDate(date);
}

std::shared_ptr<NSDate> getTomorrow()
{
    return NSCalendar::currentCalendar()->dateByAddingUnit(NSCalendarUnitHour, 24, NSDate::date(), 0);
}

std::shared_ptr<NSDate> getYestoday()
{
    return NSCalendar::currentCalendar()->dateByAddingUnit(NSCalendarUnitHour, -24, NSDate::date(), 0);
}

std::shared_ptr<NSDate> getSomeDay(NSInteger days) { return addDays(NSDate::date(), days); }

std::shared_ptr<NSDate> getMondayOfWeek(const std::shared_ptr<NSDate>& date)
{
    if (!date)
        return nullptr;
    const NSInteger weekday = NSCalendar::currentCalendar()->component(NSCalendarUnitWeekday, date);
    return addDays(date, 2 - weekday);
}

std::shared_ptr<NSDate> getSundayOfWeek(const std::shared_ptr<NSDate>& date)
{
    if (!date)
        return nullptr;
    const NSInteger weekday = NSCalendar::currentCalendar()->component(NSCalendarUnitWeekday, date);
    return addDays(date, 8 - weekday);
}

NSString weekdayOfWeek(const std::shared_ptr<NSDate>& date)
{
    static const std::array<const char*, 8> names { nullptr, "星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六" };
    if (!date)
        return NSString();
    auto calendar = NSCalendar::calendarWithIdentifier(NSCalendarIdentifierGregorian);
    calendar->setTimeZone(NSTimeZone::timeZoneWithName("Asia/Shanghai"));
    const NSInteger weekday = calendar->component(NSCalendarUnitWeekday, date);
    if (weekday < 1 || weekday > 7)
        return NSString();
    return NSString(names[size_t(weekday)]);
}

std::shared_ptr<NSDate> getFirstDayOfMonth(const std::shared_ptr<NSDate>& date)
{
    if (!date)
        return nullptr;
    std::shared_ptr<NSDate> start;
    NSTimeInterval length = 0;
    if (!NSCalendar::autoupdatingCurrentCalendar()->rangeOfUnit(NSCalendarUnitMonth, &start, &length, date))
        return nullptr;
    return start;
}

// The day count comes from the calendar, not from the month's length in seconds: a month with a
// daylight-saving change is an hour short of its days and would lose its last one.
std::shared_ptr<NSDate> getLastDayOfMonth(const std::shared_ptr<NSDate>& date)
{
    if (!date)
        return nullptr;
    const auto calendar = NSCalendar::autoupdatingCurrentCalendar();
    auto components = calendar->components(NSCalendarUnitYear | NSCalendarUnitMonth | NSCalendarUnitDay, date);
    components->setDay(NSInteger(calendar->rangeOfUnit(NSCalendarUnitDay, NSCalendarUnitMonth, date).length));
    return calendar->dateFromComponents(components);
}

NSInteger getDaysOfMonth(const std::shared_ptr<NSDate>& date)
{
    if (!date)
        return 0;
    return NSInteger(NSCalendar::currentCalendar()->rangeOfUnit(NSCalendarUnitDay, NSCalendarUnitMonth, date).length);
}

NSInteger getWeeksOfMonth(const std::shared_ptr<NSDate>& date)
{
    if (!date)
        return 0;
    return NSInteger(NSCalendar::currentCalendar()->rangeOfUnit(NSCalendarUnitWeekOfMonth, NSCalendarUnitMonth, date).length);
}

std::shared_ptr<NSDate> getPreviousDate(const std::shared_ptr<NSDate>& date) { return addDays(date, -1); }
std::shared_ptr<NSDate> getNextDate(const std::shared_ptr<NSDate>& date) { return addDays(date, 1); }

} // namespace NSDate_Addition
