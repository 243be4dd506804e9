#include "platform/dispatch/DispatchGroup.h"

#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/NSException.h"

#include <chrono>

void DispatchGroup::enter()
{
    std::lock_guard lock(m_mutex);
    ++m_count;
}

void DispatchGroup::leave()
{
    std::vector<std::pair<std::shared_ptr<DispatchQueue>, dispatch_block_t>> notifications;
    {
        std::lock_guard lock(m_mutex);
        if (m_count == 0)
            NSException::raise(NSInternalInconsistencyException, "unbalanced dispatch_group_leave");
        if (--m_count > 0)
            return;
        notifications.swap(m_notifications);
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
        std::lock_guard lock(m_mutex);
        if (m_count > 0) {
            m_notifications.emplace_back(queue, std::move(block));
            return;
        }
    }
    queue->async(std::move(block));
}

long DispatchGroup::wait(dispatch_time_t timeout)
{
    std::unique_lock lock(m_mutex);
    auto empty = [this] { return m_count == 0; };
    if (timeout == DISPATCH_TIME_FOREVER) {
        m_condition.wait(lock, empty);
        return 0;
    }
    return m_condition.wait_for(lock, std::chrono::duration<double>(dispatchSecondsUntil(timeout)), empty) ? 0 : 1;
}
