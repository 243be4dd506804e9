#include "platform/dispatch/DispatchSemaphore.h"

#include <chrono>

long DispatchSemaphore::wait(dispatch_time_t timeout)
{
    std::unique_lock lock(m_mutex);
    auto available = [this] { return m_value > 0; };
    ++m_waiters;
    bool taken = true;
    if (timeout == DISPATCH_TIME_FOREVER)
        m_condition.wait(lock, available);
    else
        taken = m_condition.wait_for(lock, std::chrono::duration<double>(dispatchSecondsUntil(timeout)), available);
    --m_waiters;
    if (!taken)
        return 1;
    --m_value;
    return 0;
}

long DispatchSemaphore::signal()
{
    std::lock_guard lock(m_mutex);
    ++m_value;
    if (m_waiters == 0)
        return 0;
    m_condition.notify_one();
    return 1;
}
