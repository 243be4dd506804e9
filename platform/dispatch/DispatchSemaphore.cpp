#include "platform/dispatch/DispatchSemaphore.h"

#include <chrono>

long DispatchSemaphore::wait(dispatch_time_t timeout)
{
    auto state = m_state.lock();
    auto available = [&state] { return state->value > 0; };
    ++state->waiters;
    bool taken = true;
    if (timeout == DISPATCH_TIME_FOREVER)
        state.wait(m_condition, available);
    else
        taken = state.waitFor(m_condition, std::chrono::duration<double>(dispatchSecondsUntil(timeout)), available);
    --state->waiters;
    if (!taken)
        return 1;
    --state->value;
    return 0;
}

long DispatchSemaphore::signal()
{
    auto state = m_state.lock();
    ++state->value;
    if (state->waiters == 0)
        return 0;
    m_condition.notify_one();
    return 1;
}
