#pragma once
// Counts outstanding work; waiters and notification blocks go ahead when the count is back to 0.

#include "platform/dispatch/DispatchTypes.h"
#include "platform/foundation/NSObject.h"

#include <condition_variable>
#include <mutex>
#include <vector>

class DispatchQueue;

class DispatchGroup : public NSObject {
    NS_OBJECT(DispatchGroup, NSObject)
public:
    void enter();
    // Leaving more often than entering is a programming error and raises.
    void leave();
    void notify(const std::shared_ptr<DispatchQueue>& queue, dispatch_block_t block);
    // 0 when the group emptied, non-zero when the time-out came first.
    long wait(dispatch_time_t timeout);

private:
    std::mutex m_mutex;
    std::condition_variable m_condition;
    long m_count { 0 };
    std::vector<std::pair<std::shared_ptr<DispatchQueue>, dispatch_block_t>> m_notifications;
};
