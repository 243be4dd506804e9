#include "platform/foundation/NSRecursiveLock.h"

#include "platform/foundation/NSDate.h"

#include <chrono>

bool NSRecursiveLock::lockBeforeDate(const std::shared_ptr<NSDate>& limit)
{
    NSTimeInterval seconds = limit ? limit->timeIntervalSinceNow() : 0;
    return m_lock.try_lock_for(std::chrono::duration<double>(std::max(seconds, 0.0)));
}

NSString NSRecursiveLock::name() const
{
    std::lock_guard lock(m_nameMutex);
    return m_name;
}

void NSRecursiveLock::setName(const NSString& name)
{
    std::lock_guard lock(m_nameMutex);
    m_name = name;
}
