#pragma once
// A timer fires on the run loop it was added to, in the modes it was added for. A repeating
// timer keeps its schedule: after firing it moves to the next multiple of its interval after the
// scheduled fire date, so a loop that fell behind fires it once, not once per missed interval.
// A valid timer retains its target; invalidation releases it.

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/PassKey.h"

#include <functional>

class NSDate;
class NSRunLoop;

class NSTimer : public NSObject {
    NS_OBJECT(NSTimer, NSObject)
public:
    using Action = std::function<void(const std::shared_ptr<NSTimer>& timer)>;

    // Scheduled forms: added to the current thread's run loop in the default mode.
    static std::shared_ptr<NSTimer> scheduledTimerWithTimeInterval(NSTimeInterval interval, Action block, bool repeats);
    static std::shared_ptr<NSTimer> scheduledTimerWithTimeInterval(NSTimeInterval interval, const id& target, Action selector, const id& userInfo, bool repeats);
    // Unscheduled forms: the caller adds them to a run loop.
    static std::shared_ptr<NSTimer> timerWithTimeInterval(NSTimeInterval interval, Action block, bool repeats);
    static std::shared_ptr<NSTimer> timerWithTimeInterval(NSTimeInterval interval, const id& target, Action selector, const id& userInfo, bool repeats);

    // Runs the action now; a one-shot timer is then invalidated, a repeating one keeps its schedule.
    void fire();
    void invalidate();
    bool isValid() const;

    std::shared_ptr<NSDate> fireDate() const;
    // A date in the past fires the timer on the loop's next pass; the distant future pauses it.
    void setFireDate(const std::shared_ptr<NSDate>& date);
    NSTimeInterval timeInterval() const { return m_repeats ? m_interval : 0; }
    NSTimeInterval tolerance() const;
    void setTolerance(NSTimeInterval tolerance);
    // Nil once the timer is invalidated.
    id userInfo() const;

    // Seconds since the reference date; for the run loop.
    NSTimeInterval fireTime() const;
    // Called by the run loop that owns the timer; returns false when the timer must be dropped.
    bool fireFromRunLoop(NSTimeInterval now, PassKey<NSRunLoop>);
    bool attach(const std::shared_ptr<NSRunLoop>& runLoop, PassKey<NSRunLoop>);

protected:
    // initWithFireDate:interval:target:selector:userInfo:repeats:
    void init(const std::shared_ptr<NSDate>& fireDate, NSTimeInterval interval, const id& target, Action action, const id& userInfo, bool repeats);

private:
    struct State {
        bool valid { true };
        NSTimeInterval fireTime { 0 };
        NSTimeInterval anchorTime { 0 };
        double anchorCount { 0 };
        NSTimeInterval tolerance { 0 };
        NSUInteger fireDateGeneration { 0 };
        id target;
        Action action;
        id userInfo;
        std::weak_ptr<NSRunLoop> runLoop;
    };
    // Never held while the action runs or the run loop is told of a change.
    Guarded<State> m_state;
    // Fixed by init.
    NSTimeInterval m_interval { 0 };
    bool m_repeats { false };
};
