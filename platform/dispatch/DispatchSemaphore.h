#pragma once
// A counting semaphore: wait takes one unit or blocks until one is signalled.

#include "platform/dispatch/DispatchTypes.h"
#include "platform/foundation/NSObject.h"

#include <condition_variable>
#include <mutex>

class DispatchSemaphore : public NSObject {
    NS_OBJECT(DispatchSemaphore, NSObject)
public:
    // 0 when a unit was taken, non-zero when the time-out came first.
    long wait(dispatch_time_t timeout);
    // Non-zero when a waiting thread was woken.
    long signal();

protected:
    void init(long value) { m_value = value; }

private:
    std::mutex m_mutex;
    std::condition_variable m_condition;
    long m_value { 0 };
    long m_waiters { 0 };
};
