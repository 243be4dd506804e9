#pragma once
// Counts outstanding work; waiters and notification blocks go ahead when the count is back to 0.

#include "platform/dispatch/DispatchTypes.h"
#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSObject.h"

#include <condition_variable>
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
    using Notifications = std::vector<std::pair<std::shared_ptr<DispatchQueue>, dispatch_block_t>>;
    struct State {
        long count { 0 };
        Notifications notifications;
    };
    Guarded<State> m_state;
    std::condition_variable m_condition;
};
