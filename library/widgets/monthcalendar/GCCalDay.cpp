#include "library/widgets/monthcalendar/GCCalDay.h"

#include "library/widgets/monthcalendar/CalendarDateUtil.h"
#include "platform/foundation/NSCalendar.h"

std::shared_ptr<GCCalDay> GCCalDay::initWithDate(const std::shared_ptr<NSDate>& date)
{
    auto day = create();
    day->setDate(date ? date : NSDate::date());
    return day;
}

std::shared_ptr<GCCalDay> GCCalDay::initWithYear(NSInteger year, NSInteger month, NSInteger day)
{
    const auto calendar = NSCalendar::currentCalendar();
    auto components = NSDateComponents::create();
    components->setYear(year);
    components->setMonth(month);
    components->setDay(day);
    components->setHour(0);
    components->setMinute(0);
    components->setSecond(0);
    return initWithDate(calendar->dateFromComponents(components));
}

void GCCalDay::setDate(const std::shared_ptr<NSDate>& date)
{
    m_date = date;
    const auto parts = NSCalendar::currentCalendar()->components(
        NSCalendarUnitYear | NSCalendarUnitMonth | NSCalendarUnitDay | NSCalendarUnitWeekday, date);
    m_year = parts->year();
    m_month = parts->month();
    m_day = parts->day();
    m_weekDay = parts->weekday();
}

int GCCalDay::compare(const std::shared_ptr<GCCalDay>& other) const
{
    if (!other)
        return 1;
    for (auto [a, b] : { std::pair { m_year, other->m_year }, { m_month, other->m_month }, { m_day, other->m_day } })
        if (a != b)
            return a < b ? -1 : 1;
    return 0;
}

std::shared_ptr<GCCalDay> GCCalDay::nextDay() const { return initWithDate(NSCalendar::currentCalendar()->dateByAddingUnit(NSCalendarUnitDay, 1, m_date, 0)); }
std::shared_ptr<GCCalDay> GCCalDay::previousDay() const { return initWithDate(NSCalendar::currentCalendar()->dateByAddingUnit(NSCalendarUnitDay, -1, m_date, 0)); }

int GCCalDay::getMeaningfulWeekDay() const
{
    static constexpr int kMondayFirst[] = { 7, 1, 2, 3, 4, 5, 6 };
    return m_weekDay >= 1 && m_weekDay <= 7 ? kMondayFirst[m_weekDay - 1] : 0;
}

NSString GCCalDay::getWeekDayName() const
{
    static const char* const kNames[] = { "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday" };
    return m_weekDay >= 1 && m_weekDay <= 7 ? NSString(kNames[m_weekDay - 1]) : NSString("Unknown");
}

NSString GCCalDay::description() const
{
    return NSString::stringWithFormat("year:%d month:%d day:%d week:%d %@", int(m_year), int(m_month), int(m_day),
        getMeaningfulWeekDay(), getWeekDayName());
}

bool GCCalDay::isToday() const
{
    return m_year == CalendarDateUtil::getCurrentYear() && m_month == CalendarDateUtil::getCurrentMonth()
        && m_day == CalendarDateUtil::getCurrentDay();
}

bool GCCalDay::isEqualToDay(const std::shared_ptr<GCCalDay>& other) const { return other && compare(other) == 0; }
