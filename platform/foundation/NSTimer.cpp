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
    const NSTimeInterval fireTime = fireDate ? fireDate->timeIntervalSinceReferenceDate() : SystemClock::now();
    auto state = m_state.lock();
    state->fireTime = fireTime;
    state->anchorTime = fireTime;
    state->target = target;
    state->action = std::move(action);
    state->userInfo = userInfo;
}

bool NSTimer::attach(const std::shared_ptr<NSRunLoop>& runLoop, PassKey<NSRunLoop>)
{
    auto state = m_state.lock();
    auto current = state->runLoop.lock();
    if (current && current != runLoop)
        return false;
    state->runLoop = runLoop;
    return true;
}

void NSTimer::fire()
{
    Action action;
    {
        auto state = m_state.lock();
        if (!state->valid)
            return;
        action = state->action;
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
        auto state = m_state.lock();
        if (!state->valid)
            return false;
        action = state->action;
        generation = state->fireDateGeneration;
    }
    auto protectedSelf = self();
    if (action)
        action(protectedSelf);
    if (!m_repeats) {
        invalidate();
        return false;
    }
    auto state = m_state.lock();
    if (!state->valid)
        return false;
    // A new fire date set by the action wins over the schedule.
    if (generation != state->fireDateGeneration)
        return true;
    // The next multiple of the interval after now, counted from the anchor so the timer keeps
    // its phase without summing rounding errors; a loop that fell behind fires once, not once
    // per missed interval.
    double late = std::floor((now - state->anchorTime) / m_interval) + 1;
    state->anchorCount = std::max(state->anchorCount + 1, late);
    state->fireTime = state->anchorTime + state->anchorCount * m_interval;
    return true;
}

void NSTimer::invalidate()
{
    std::shared_ptr<NSRunLoop> runLoop;
    id target;
    Action action;
    id userInfo;
    {
        auto state = m_state.lock();
        if (!state->valid)
            return;
        state->valid = false;
        runLoop = state->runLoop.lock();
        // Released outside the lock: the target's destructor may touch timers.
        target = std::move(state->target);
        action = std::move(state->action);
        userInfo = std::move(state->userInfo);
    }
    if (runLoop)
        runLoop->timerDidChange(this);
}

bool NSTimer::isValid() const
{
    return m_state.lock()->valid;
}

std::shared_ptr<NSDate> NSTimer::fireDate() const
{
    return NSDate::dateWithTimeIntervalSinceReferenceDate(fireTime());
}

NSTimeInterval NSTimer::fireTime() const
{
    return m_state.lock()->fireTime;
}

void NSTimer::setFireDate(const std::shared_ptr<NSDate>& date)
{
    if (!date)
        return;
    std::shared_ptr<NSRunLoop> runLoop;
    {
        auto state = m_state.lock();
        if (!state->valid)
            return;
        // A date in the past means "as soon as possible"; counting the schedule from now keeps
        // the next intervals exact instead of anchoring them on a date centuries ago.
        state->fireTime = std::max(date->timeIntervalSinceReferenceDate(), SystemClock::now());
        state->anchorTime = state->fireTime;
        state->anchorCount = 0;
        ++state->fireDateGeneration;
        runLoop = state->runLoop.lock();
    }
    if (runLoop)
        runLoop->timerDidChange(this);
}

NSTimeInterval NSTimer::tolerance() const
{
    return m_state.lock()->tolerance;
}

void NSTimer::setTolerance(NSTimeInterval tolerance)
{
    m_state.lock()->tolerance = std::max(tolerance, 0.0);
}

id NSTimer::userInfo() const
{
    return m_state.lock()->userInfo;
}
