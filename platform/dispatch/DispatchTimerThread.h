#pragma once
// One thread that waits for the deadlines of dispatch_after and of timer sources on queues other
// than the main queue, then runs their (short) actions, which hand the work to a queue. It reads
// SystemClock, so under the manual clock it wakes when the clock is advanced.

#include "platform/dispatch/DispatchTypes.h"

#include <memory>

template <typename T>
class NeverDestroyed;

class DispatchTimerThread {
public:
    static DispatchTimerThread& shared();

    uint64_t schedule(dispatch_time_t deadline, std::function<void()> action);
    void cancel(uint64_t token);

private:
    struct State;
    friend class NeverDestroyed<DispatchTimerThread>;
    DispatchTimerThread();
    static void work(std::shared_ptr<State> state);

    std::shared_ptr<State> m_state;
};
