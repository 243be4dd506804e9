#include "platform/dispatch/DispatchGroup.h"

#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/NSException.h"

#include <chrono>

void DispatchGroup::enter()
{
    ++m_state.lock()->count;
}

void DispatchGroup::leave()
{
    Notifications notifications;
    {
        auto state = m_state.lock();
        if (state->count == 0)
            NSException::raise(NSInternalInconsistencyException, "unbalanced dispatch_group_leave");
        if (--state->count > 0)
            return;
        notifications.swap(state->notifications);
        m_condition.notify_all();
    }
    for (auto& [queue, block] : notifications)
        queue->async(std::move(block));
}

void DispatchGroup::notify(const std::shared_ptr<DispatchQueue>& queue, dispatch_block_t block)
{
    if (!queue || !block)
        return;
    {
        auto state = m_state.lock();
        if (state->count > 0) {
            state->notifications.emplace_back(queue, std::move(block));
            return;
        }
    }
    queue->async(std::move(block));
}

long DispatchGroup::wait(dispatch_time_t timeout)
{
    auto state = m_state.lock();
    auto empty = [&state] { return state->count == 0; };
    if (timeout == DISPATCH_TIME_FOREVER) {
        state.wait(m_condition, empty);
        return 0;
    }
    return state.waitFor(m_condition, std::chrono::duration<double>(dispatchSecondsUntil(timeout)), empty) ? 0 : 1;
}
