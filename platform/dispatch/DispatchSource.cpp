#include "platform/dispatch/DispatchSource.h"

#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/DispatchTimerThread.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSTimer.h"

void DispatchSource::init(std::shared_ptr<DispatchQueue> queue)
{
    m_queue = queue ? std::move(queue) : DispatchQueue::globalQueue(0);
}

void DispatchSource::setTimer(dispatch_time_t start, uint64_t interval, uint64_t)
{
    std::shared_ptr<NSTimer> released;
    {
        MutexLocker locker(m_mutex);
        if (m_cancelled)
            return;
        m_start = start == DISPATCH_TIME_NOW ? dispatchNow() : start;
        m_interval = interval == 0 ? 1 : interval;
        if (m_armed) {
            disarmLocked(released);
            armLocked();
        }
    }
    if (released)
        released->invalidate();
}

void DispatchSource::setEventHandler(dispatch_block_t handler)
{
    MutexLocker locker(m_mutex);
    m_handler = std::move(handler);
}

void DispatchSource::setCancelHandler(dispatch_block_t handler)
{
    MutexLocker locker(m_mutex);
    m_cancelHandler = std::move(handler);
}

void DispatchSource::resume()
{
    bool deliverMissed = false;
    {
        MutexLocker locker(m_mutex);
        if (m_suspendCount == 0)
            NSException::raise(NSInternalInconsistencyException, "over-resume of a dispatch source");
        if (--m_suspendCount > 0 || m_cancelled)
            return;
        if (!m_armed)
            armLocked();
        deliverMissed = m_missed;
        m_missed = false;
    }
    if (deliverMissed)
        deliver();
}

void DispatchSource::suspend()
{
    MutexLocker locker(m_mutex);
    ++m_suspendCount;
}

void DispatchSource::cancel()
{
    std::shared_ptr<NSTimer> released;
    dispatch_block_t cancelHandler;
    {
        MutexLocker locker(m_mutex);
        if (m_cancelled)
            return;
        m_cancelled = true;
        disarmLocked(released);
        cancelHandler = std::move(m_cancelHandler);
        m_cancelHandler = nullptr;
        // Handlers often capture their source; dropping them here breaks that cycle.
        m_handler = nullptr;
    }
    if (released)
        released->invalidate();
    if (cancelHandler)
        m_queue->async(std::move(cancelHandler));
}

bool DispatchSource::isCancelled() const
{
    MutexLocker locker(m_mutex);
    return m_cancelled;
}

void DispatchSource::armLocked()
{
    if (m_start == DISPATCH_TIME_FOREVER)
        return;
    m_armed = true;
    uint64_t generation = ++m_generation;
    auto protectedSelf = self();
    if (m_queue->kind() == DispatchQueue::Kind::main) {
        bool repeats = m_interval != DISPATCH_TIME_FOREVER;
        double interval = repeats ? static_cast<double>(m_interval) / NSEC_PER_SEC : 0;
        auto fireDate = NSDate::dateWithTimeIntervalSinceNow(dispatchSecondsUntil(m_start));
        m_mainTimer = NSTimer::create(fireDate, interval, nullptr, [protectedSelf](const auto&) { protectedSelf->deliver(); }, nullptr, repeats);
        NSRunLoop::mainRunLoop()->addTimer(m_mainTimer, NSRunLoopCommonModes);
        return;
    }
    dispatch_time_t deadline = m_start;
    m_timerToken = DispatchTimerThread::shared().schedule(deadline, [protectedSelf, generation, deadline] {
        protectedSelf->timerThreadFired(generation, deadline);
    });
}

void DispatchSource::disarmLocked(std::shared_ptr<NSTimer>& releasedTimer)
{
    m_armed = false;
    ++m_generation;
    if (m_timerToken) {
        DispatchTimerThread::shared().cancel(m_timerToken);
        m_timerToken = 0;
    }
    releasedTimer = std::move(m_mainTimer);
    m_mainTimer = nullptr;
}

void DispatchSource::timerThreadFired(uint64_t generation, dispatch_time_t deadline)
{
    {
        MutexLocker locker(m_mutex);
        if (generation != m_generation || m_cancelled)
            return;
        m_timerToken = 0;
        if (m_interval != DISPATCH_TIME_FOREVER) {
            // Next multiple of the interval after now: a late thread fires once, not per interval.
            dispatch_time_t now = dispatchNow();
            dispatch_time_t next = deadline + m_interval;
            if (next <= now)
                next = deadline + ((now - deadline) / m_interval + 1) * m_interval;
            auto protectedSelf = self();
            m_timerToken = DispatchTimerThread::shared().schedule(next, [protectedSelf, generation, next] {
                protectedSelf->timerThreadFired(generation, next);
            });
        } else {
            m_armed = false;
        }
    }
    deliver();
}

void DispatchSource::deliver()
{
    MutexLocker locker(m_mutex);
    if (m_cancelled)
        return;
    if (m_suspendCount > 0) {
        m_missed = true;
        return;
    }
    if (m_deliveryPending)
        return;
    m_deliveryPending = true;
    m_queue->async([protectedSelf = self()] {
        dispatch_block_t handler;
        {
            MutexLocker locker(protectedSelf->m_mutex);
            protectedSelf->m_deliveryPending = false;
            if (protectedSelf->m_cancelled)
                return;
            handler = protectedSelf->m_handler;
        }
        if (handler)
            handler();
    });
}
