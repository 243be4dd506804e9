#include "platform/foundation/NSDate.h"

#include "platform/foundation/SystemClock.h"

#include <cmath>
#include <cstdio>
#include <ctime>

NSTimeInterval NSDate::timeIntervalSinceReferenceDateNow()
{
    return SystemClock::now();
}

std::shared_ptr<NSDate> NSDate::date()
{
    return create();
}

std::shared_ptr<NSDate> NSDate::dateWithTimeIntervalSinceNow(NSTimeInterval seconds)
{
    return create(timeIntervalSinceReferenceDateNow() + seconds);
}

std::shared_ptr<NSDate> NSDate::dateWithTimeInterval(NSTimeInterval seconds, const std::shared_ptr<NSDate>& since)
{
    return create((since ? since->m_seconds : 0) + seconds);
}

std::shared_ptr<NSDate> NSDate::distantFuture()
{
    return create(63113904000.0);
}

std::shared_ptr<NSDate> NSDate::distantPast()
{
    return create(-63114076800.0);
}

NSTimeInterval NSDate::timeIntervalSinceNow() const
{
    return m_seconds - timeIntervalSinceReferenceDateNow();
}

NSTimeInterval NSDate::timeIntervalSinceDate(const std::shared_ptr<NSDate>& other) const
{
    return m_seconds - (other ? other->m_seconds : 0);
}

namespace {

// NaN (read from damaged files) orders before every other date and equals itself, so sorting
// and comparing stay consistent.
NSComparisonResult compareSeconds(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) == std::isnan(b) ? NSOrderedSame : (std::isnan(a) ? NSOrderedAscending : NSOrderedDescending);
    return NSCompare(a, b);
}

} // namespace

NSComparisonResult NSDate::compare(const std::shared_ptr<NSDate>& other) const
{
    return compareSeconds(m_seconds, other ? other->m_seconds : 0.0);
}

bool NSDate::isEqualToDate(const std::shared_ptr<NSDate>& other) const
{
    return other && compareSeconds(other->m_seconds, m_seconds) == NSOrderedSame;
}

std::shared_ptr<NSDate> NSDate::earlierDate(const std::shared_ptr<NSDate>& other) const
{
    auto me = std::const_pointer_cast<NSDate>(self());
    return other && compareSeconds(other->m_seconds, m_seconds) == NSOrderedAscending ? other : me;
}

std::shared_ptr<NSDate> NSDate::laterDate(const std::shared_ptr<NSDate>& other) const
{
    auto me = std::const_pointer_cast<NSDate>(self());
    return other && compareSeconds(other->m_seconds, m_seconds) == NSOrderedDescending ? other : me;
}

NSString NSDate::description() const
{
    const double since1970 = std::floor(timeIntervalSince1970());
    if (std::isnan(since1970))
        return "nan";
    char buffer[80];
    std::tm utc {};
    if (std::fabs(since1970) < 9.0e18) {
        const auto seconds = static_cast<std::time_t>(since1970);
        if (gmtime_r(&seconds, &utc)) {
            std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S +0000", &utc);
            return buffer;
        }
    }
    // Past the years the calendar can count, the seconds themselves.
    std::snprintf(buffer, sizeof buffer, "%.17g seconds since 2001-01-01 00:00:00 +0000", m_seconds);
    return buffer;
}

bool NSDate::isEqual(const id& other) const
{
    return isEqualToDate(ns::cast<NSDate>(other));
}

NSUInteger NSDate::hash() const
{
    if (!(std::fabs(m_seconds) < 9.0e18))
        return std::isnan(m_seconds) ? 0 : NSUInteger(m_seconds > 0 ? 1 : 2);
    return NSUInteger(static_cast<std::int64_t>(m_seconds));
}

id NSDate::copy() const
{
    return std::const_pointer_cast<NSDate>(self());
}
