#pragma once
// A timer source: after resume its event handler runs on the source's queue at the start time
// and then every interval, following SystemClock (on the main queue through a main run loop
// timer, so advancing the manual clock fires it in order with other timers). Firings that come
// while the handler is still pending, or while the source is suspended, merge into one. A resumed
// source stays alive until cancelled; the cancel handler then runs once on the queue.

#include "platform/dispatch/DispatchTypes.h"
#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSObject.h"

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
    void armLocked() REQUIRES(m_mutex);
    void disarmLocked(std::shared_ptr<NSTimer>& releasedTimer) REQUIRES(m_mutex);
    void timerThreadFired(uint64_t generation, dispatch_time_t deadline);
    void deliver();

    mutable Mutex m_mutex;
    // Set once by init, then only read.
    std::shared_ptr<DispatchQueue> m_queue;
    dispatch_block_t m_handler GUARDED_BY(m_mutex);
    dispatch_block_t m_cancelHandler GUARDED_BY(m_mutex);
    dispatch_time_t m_start GUARDED_BY(m_mutex) { DISPATCH_TIME_FOREVER };
    uint64_t m_interval GUARDED_BY(m_mutex) { DISPATCH_TIME_FOREVER };
    int m_suspendCount GUARDED_BY(m_mutex) { 1 };
    bool m_cancelled GUARDED_BY(m_mutex) { false };
    bool m_armed GUARDED_BY(m_mutex) { false };
    bool m_missed GUARDED_BY(m_mutex) { false };
    bool m_deliveryPending GUARDED_BY(m_mutex) { false };
    uint64_t m_generation GUARDED_BY(m_mutex) { 0 };
    uint64_t m_timerToken GUARDED_BY(m_mutex) { 0 };
    std::shared_ptr<NSTimer> m_mainTimer GUARDED_BY(m_mutex);
};
