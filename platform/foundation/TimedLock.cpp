#include "platform/foundation/TimedLock.h"

#include "platform/foundation/NSDate.h"

#include <algorithm>
#include <chrono>

template <class Lock>
bool TimedLock<Lock>::lockBeforeDate(const std::shared_ptr<NSDate>& limit)
{
    NSTimeInterval seconds = limit ? limit->timeIntervalSinceNow() : 0;
    return m_lock.try_lock_for(std::chrono::duration<double>(std::max(seconds, 0.0)));
}

template <class Lock>
NSString TimedLock<Lock>::name() const
{
    return *m_name.lock();
}

template <class Lock>
void TimedLock<Lock>::setName(const NSString& name)
{
    *m_name.lock() = name;
}

template class TimedLock<std::timed_mutex>;
template class TimedLock<std::recursive_timed_mutex>;
