#include "app/training/BookingDay.h"

#include "platform/foundation/NSCalendar.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/NSLocale.h"
#include "platform/foundation/NSTimeZone.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

namespace {

std::optional<std::chrono::year_month_day> parse(const NSString& day)
{
    if (day.length() != 10)
        return std::nullopt;
    int year = 0;
    unsigned month = 0;
    unsigned date = 0;
    char extra = 0;
    if (std::sscanf(std::string(day.UTF8String()).c_str(), "%4d-%2u-%2u%c", &year, &month, &date, &extra) != 3)
        return std::nullopt;
    const std::chrono::year_month_day ymd { std::chrono::year { year }, std::chrono::month { month }, std::chrono::day { date } };
    if (!ymd.ok())
        return std::nullopt;
    return ymd;
}

NSString format(const std::chrono::year_month_day& ymd)
{
    return NSString::stringWithFormat("%04d-%02u-%02u", int(ymd.year()), unsigned(ymd.month()), unsigned(ymd.day()));
}

NSString step(const NSString& day, int days)
{
    const auto ymd = parse(day);
    if (!ymd)
        return nullptr;
    return format(std::chrono::year_month_day { std::chrono::sys_days { *ymd } + std::chrono::days { days } });
}

} // namespace

NSString BookingDay::today()
{
    auto formatter = NSDateFormatter::create();
    formatter->setLocale(NSLocale::localeWithLocaleIdentifier("en_US_POSIX"));
    formatter->setCalendar(NSCalendar::calendarWithIdentifier(NSCalendarIdentifierGregorian));
    formatter->setTimeZone(NSTimeZone::defaultTimeZone());
    formatter->setDateFormat("yyyy-MM-dd");
    return formatter->stringFromDate(NSDate::date());
}

NSString BookingDay::previous(const NSString& day)
{
    return step(day, -1);
}

NSString BookingDay::next(const NSString& day)
{
    return step(day, 1);
}

NSString BookingDay::weekdayName(const NSString& day)
{
    static const char* names[] = { "星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六" };
    const auto ymd = parse(day);
    if (!ymd)
        return "";
    return names[std::chrono::weekday { std::chrono::sys_days { *ymd } }.c_encoding()];
}
