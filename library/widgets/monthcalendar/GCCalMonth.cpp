#include "library/widgets/monthcalendar/GCCalMonth.h"

#include "library/widgets/monthcalendar/CalendarDateUtil.h"

std::shared_ptr<GCCalMonth> GCCalMonth::withReferenceDay(const GCCalDayRef& day)
{
    auto month = create();
    month->m_today = day;
    month->caculateMonth();
    return month;
}

std::shared_ptr<GCCalMonth> GCCalMonth::initWithMonth(NSUInteger month)
{
    return initWithMonth(month, NSUInteger(CalendarDateUtil::getCurrentYear()), 1);
}

std::shared_ptr<GCCalMonth> GCCalMonth::initWithMonth(NSUInteger month, NSUInteger year) { return initWithMonth(month, year, 1); }

std::shared_ptr<GCCalMonth> GCCalMonth::initWithMonth(NSUInteger month, NSUInteger year, NSUInteger day)
{
    return withReferenceDay(GCCalDay::initWithYear(NSInteger(year), NSInteger(month), NSInteger(day)));
}

std::shared_ptr<GCCalMonth> GCCalMonth::initWithDate(const std::shared_ptr<NSDate>& date) { return withReferenceDay(GCCalDay::initWithDate(date)); }

void GCCalMonth::caculateMonth()
{
    m_year = m_today->getYear();
    m_month = m_today->getMonth();
    m_numberOfDays = NSUInteger(CalendarDateUtil::numberOfDaysInMonth(NSInteger(m_month), NSInteger(m_year)));
    m_daysOfMonth.clear();
    for (NSUInteger d = 1; d <= m_numberOfDays; ++d)
        m_daysOfMonth.push_back(GCCalDay::initWithYear(NSInteger(m_year), NSInteger(m_month), NSInteger(d)));
}

std::shared_ptr<GCCalMonth> GCCalMonth::nextMonth() const
{
    return m_month == 12 ? initWithMonth(1, m_year + 1, 1) : initWithMonth(m_month + 1, m_year, 1);
}

std::shared_ptr<GCCalMonth> GCCalMonth::previousMonth() const
{
    return m_month == 1 ? initWithMonth(12, m_year - 1, 1) : initWithMonth(m_month - 1, m_year, 1);
}

GCCalDayRef GCCalMonth::calDayAtDay(NSUInteger day) const
{
    return day >= 1 && day <= m_daysOfMonth.size() ? m_daysOfMonth[day - 1] : nullptr;
}

NSString GCCalMonth::description() const
{
    return NSString::stringWithFormat("year:%d month:%d number of days in month:%d", int(m_year), int(m_month), int(m_numberOfDays));
}
