#pragma once
// A timer source: after resume its event handler runs on the source's queue at the start time
// and then every interval, following SystemClock (on the main queue through a main run loop
// timer, so advancing the manual clock fires it in order with other timers). Firings that come
// while the handler is still pending, or while the source is suspended, merge into one. A resumed
// source stays alive until cancelled; the cancel handler then runs once on the queue.

#include "platform/dispatch/DispatchTypes.h"
#include "platform/foundation/NSObject.h"

#include <mutex>

class DispatchQueue;
class NSTimer;

enum DispatchSourceType { DISPATCH_SOURCE_TYPE_TIMER };

class DispatchSource : public NSObject {
    NS_OBJECT(DispatchSource, NSObject)
public:
    // An interval of DISPATCH_TIME_FOREVER fires once.
    void setTimer(dispatch_time_t start, uint64_t interval, uint64_t leeway);
    void setEventHandler(dispatch_block_t handler);
    void setCancelHandler(dispatch_block_t handler);
    // Sources start suspended; each resume balances one suspend.
    void resume();
    void suspend();
    void cancel();
    bool isCancelled() const;

protected:
    void init(std::shared_ptr<DispatchQueue> queue);

private:
    void armLocked();
    void disarmLocked(std::shared_ptr<NSTimer>& releasedTimer);
    void timerThreadFired(uint64_t generation, dispatch_time_t deadline);
    void deliver();

    mutable std::mutex m_mutex;
    std::shared_ptr<DispatchQueue> m_queue;
    dispatch_block_t m_handler;
    dispatch_block_t m_cancelHandler;
    dispatch_time_t m_start { DISPATCH_TIME_FOREVER };
    uint64_t m_interval { DISPATCH_TIME_FOREVER };
    int m_suspendCount { 1 };
    bool m_cancelled { false };
    bool m_armed { false };
    bool m_missed { false };
    bool m_deliveryPending { false };
    uint64_t m_generation { 0 };
    uint64_t m_timerToken { 0 };
    std::shared_ptr<NSTimer> m_mainTimer;
};
