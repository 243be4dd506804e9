#include "platform/foundation/NSCondition.h"

#include "platform/foundation/NSDate.h"

#include <chrono>

void NSCondition::wait()
{
    std::unique_lock lock(m_mutex, std::adopt_lock);
    m_condition.wait(lock);
    lock.release();
}

bool NSCondition::waitUntilDate(const std::shared_ptr<NSDate>& limit)
{
    NSTimeInterval seconds = limit ? limit->timeIntervalSinceNow() : 0;
    std::unique_lock lock(m_mutex, std::adopt_lock);
    bool signalled = m_condition.wait_for(lock, std::chrono::duration<double>(std::max(seconds, 0.0))) == std::cv_status::no_timeout;
    lock.release();
    return signalled;
}

NSString NSCondition::name() const
{
    return *m_name.lock();
}

void NSCondition::setName(const NSString& name)
{
    *m_name.lock() = name;
}
