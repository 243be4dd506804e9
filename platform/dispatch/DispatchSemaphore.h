#pragma once
// A counting semaphore: wait takes one unit or blocks until one is signalled.

#include "platform/dispatch/DispatchTypes.h"
#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSObject.h"

#include <condition_variable>

class DispatchSemaphore : public NSObject {
    NS_OBJECT(DispatchSemaphore, NSObject)
public:
    // 0 when a unit was taken, non-zero when the time-out came first.
    long wait(dispatch_time_t timeout);
    // Non-zero when a waiting thread was woken.
    long signal();

protected:
    void init(long value) { m_state.lock()->value = value; }

private:
    struct State {
        long value { 0 };
        long waiters { 0 };
    };
    Guarded<State> m_state;
    std::condition_variable m_condition;
};
