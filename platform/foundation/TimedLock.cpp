#include "platform/foundation/TimedLock.h"

#include "platform/foundation/NSDate.h"

#include <algorithm>
#include <chrono>

template <class Mutex>
bool TimedLock<Mutex>::lockBeforeDate(const std::shared_ptr<NSDate>& limit)
{
    NSTimeInterval seconds = limit ? limit->timeIntervalSinceNow() : 0;
    return m_lock.try_lock_for(std::chrono::duration<double>(std::max(seconds, 0.0)));
}

template <class Mutex>
NSString TimedLock<Mutex>::name() const
{
    std::lock_guard lock(m_nameMutex);
    return m_name;
}

template <class Mutex>
void TimedLock<Mutex>::setName(const NSString& name)
{
    std::lock_guard lock(m_nameMutex);
    m_name = name;
}

template class TimedLock<std::timed_mutex>;
template class TimedLock<std::recursive_timed_mutex>;
