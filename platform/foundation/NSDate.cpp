#include "platform/foundation/NSDate.h"

#include "platform/foundation/SystemClock.h"

#include <cmath>
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

NSComparisonResult NSDate::compare(const std::shared_ptr<NSDate>& other) const
{
    return NSCompare(m_seconds, other ? other->m_seconds : 0.0);
}

bool NSDate::isEqualToDate(const std::shared_ptr<NSDate>& other) const
{
    return other && other->m_seconds == m_seconds;
}

std::shared_ptr<NSDate> NSDate::earlierDate(const std::shared_ptr<NSDate>& other) const
{
    auto me = std::const_pointer_cast<NSDate>(self());
    return other && other->m_seconds < m_seconds ? other : me;
}

std::shared_ptr<NSDate> NSDate::laterDate(const std::shared_ptr<NSDate>& other) const
{
    auto me = std::const_pointer_cast<NSDate>(self());
    return other && other->m_seconds > m_seconds ? other : me;
}

NSString NSDate::description() const
{
    std::time_t seconds = std::time_t(std::floor(timeIntervalSince1970()));
    std::tm utc {};
    gmtime_r(&seconds, &utc);
    char buffer[64];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S +0000", &utc);
    return buffer;
}

bool NSDate::isEqual(const id& other) const
{
    return isEqualToDate(ns::cast<NSDate>(other));
}

NSUInteger NSDate::hash() const
{
    return NSUInteger(static_cast<std::int64_t>(m_seconds));
}

id NSDate::copy() const
{
    return std::const_pointer_cast<NSDate>(self());
}
