#include "platform/foundation/NSTimer.h"

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/SystemClock.h"

#include <cmath>

namespace {

// The platform's floor for a repeating interval; a zero interval would spin the run loop.
constexpr NSTimeInterval minimumRepeatInterval = 0.0001;

} // namespace

std::shared_ptr<NSTimer> NSTimer::scheduledTimerWithTimeInterval(NSTimeInterval interval, Action block, bool repeats)
{
    auto timer = timerWithTimeInterval(interval, std::move(block), repeats);
    NSRunLoop::currentRunLoop()->addTimer(timer, NSDefaultRunLoopMode);
    return timer;
}

std::shared_ptr<NSTimer> NSTimer::scheduledTimerWithTimeInterval(NSTimeInterval interval, const id& target, Action selector, const id& userInfo, bool repeats)
{
    auto timer = timerWithTimeInterval(interval, target, std::move(selector), userInfo, repeats);
    NSRunLoop::currentRunLoop()->addTimer(timer, NSDefaultRunLoopMode);
    return timer;
}

std::shared_ptr<NSTimer> NSTimer::timerWithTimeInterval(NSTimeInterval interval, Action block, bool repeats)
{
    return timerWithTimeInterval(interval, nullptr, std::move(block), nullptr, repeats);
}

std::shared_ptr<NSTimer> NSTimer::timerWithTimeInterval(NSTimeInterval interval, const id& target, Action selector, const id& userInfo, bool repeats)
{
    return create(NSDate::dateWithTimeIntervalSinceNow(std::max(interval, 0.0)), interval, target, std::move(selector), userInfo, repeats);
}

void NSTimer::init(const std::shared_ptr<NSDate>& fireDate, NSTimeInterval interval, const id& target, Action action, const id& userInfo, bool repeats)
{
    m_repeats = repeats;
    m_interval = repeats ? std::max(interval, minimumRepeatInterval) : 0;
    m_fireTime = fireDate ? fireDate->timeIntervalSinceReferenceDate() : SystemClock::now();
    m_anchorTime = m_fireTime;
    m_target = target;
    m_action = std::move(action);
    m_userInfo = userInfo;
}

bool NSTimer::attach(const std::shared_ptr<NSRunLoop>& runLoop, PassKey<NSRunLoop>)
{
    std::lock_guard lock(m_mutex);
    auto current = m_runLoop.lock();
    if (current && current != runLoop)
        return false;
    m_runLoop = runLoop;
    return true;
}

void NSTimer::fire()
{
    Action action;
    {
        std::lock_guard lock(m_mutex);
        if (!m_valid)
            return;
        action = m_action;
    }
    // The timer may be released by its own action; keep it until the action returns.
    auto protectedSelf = self();
    if (action)
        action(protectedSelf);
    if (!m_repeats)
        invalidate();
}

bool NSTimer::fireFromRunLoop(NSTimeInterval now, PassKey<NSRunLoop>)
{
    Action action;
    NSUInteger generation;
    {
        std::lock_guard lock(m_mutex);
        if (!m_valid)
            return false;
        action = m_action;
        generation = m_fireDateGeneration;
    }
    auto protectedSelf = self();
    if (action)
        action(protectedSelf);
    if (!m_repeats) {
        invalidate();
        return false;
    }
    std::lock_guard lock(m_mutex);
    if (!m_valid)
        return false;
    // A new fire date set by the action wins over the schedule.
    if (generation != m_fireDateGeneration)
        return true;
    // The next multiple of the interval after now, counted from the anchor so the timer keeps
    // its phase without summing rounding errors; a loop that fell behind fires once, not once
    // per missed interval.
    double late = std::floor((now - m_anchorTime) / m_interval) + 1;
    m_anchorCount = std::max(m_anchorCount + 1, late);
    m_fireTime = m_anchorTime + m_anchorCount * m_interval;
    return true;
}

void NSTimer::invalidate()
{
    std::shared_ptr<NSRunLoop> runLoop;
    id target;
    Action action;
    id userInfo;
    {
        std::lock_guard lock(m_mutex);
        if (!m_valid)
            return;
        m_valid = false;
        runLoop = m_runLoop.lock();
        // Released outside the lock: the target's destructor may touch timers.
        target = std::move(m_target);
        action = std::move(m_action);
        userInfo = std::move(m_userInfo);
    }
    if (runLoop)
        runLoop->timerDidChange(this);
}

bool NSTimer::isValid() const
{
    std::lock_guard lock(m_mutex);
    return m_valid;
}

std::shared_ptr<NSDate> NSTimer::fireDate() const
{
    return NSDate::dateWithTimeIntervalSinceReferenceDate(fireTime());
}

NSTimeInterval NSTimer::fireTime() const
{
    std::lock_guard lock(m_mutex);
    return m_fireTime;
}

void NSTimer::setFireDate(const std::shared_ptr<NSDate>& date)
{
    if (!date)
        return;
    std::shared_ptr<NSRunLoop> runLoop;
    {
        std::lock_guard lock(m_mutex);
        if (!m_valid)
            return;
        // A date in the past means "as soon as possible"; counting the schedule from now keeps
        // the next intervals exact instead of anchoring them on a date centuries ago.
        m_fireTime = std::max(date->timeIntervalSinceReferenceDate(), SystemClock::now());
        m_anchorTime = m_fireTime;
        m_anchorCount = 0;
        ++m_fireDateGeneration;
        runLoop = m_runLoop.lock();
    }
    if (runLoop)
        runLoop->timerDidChange(this);
}

NSTimeInterval NSTimer::tolerance() const
{
    std::lock_guard lock(m_mutex);
    return m_tolerance;
}

void NSTimer::setTolerance(NSTimeInterval tolerance)
{
    std::lock_guard lock(m_mutex);
    m_tolerance = std::max(tolerance, 0.0);
}
