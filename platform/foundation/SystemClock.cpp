#include "platform/foundation/SystemClock.h"

#include <atomic>
#include <chrono>
#include <mutex>

namespace {

struct ClockState {
    std::mutex mutex;
    bool manual { false };
    NSTimeInterval manualNow { 0 };
    // The monotonic reading at the moment the manual clock started, so monotonic time stays
    // continuous across the switch.
    NSTimeInterval manualMonotonicBase { 0 };
    NSTimeInterval manualStart { 0 };
};

ClockState& state()
{
    static ClockState clock;
    return clock;
}

NSTimeInterval realNow()
{
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count() - 978307200.0;
}

NSTimeInterval realMonotonic()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

NSTimeInterval SystemClock::now()
{
    auto& clock = state();
    std::lock_guard lock(clock.mutex);
    return clock.manual ? clock.manualNow : realNow();
}

NSTimeInterval SystemClock::monotonicNow()
{
    auto& clock = state();
    std::lock_guard lock(clock.mutex);
    return clock.manual ? clock.manualMonotonicBase + (clock.manualNow - clock.manualStart) : realMonotonic();
}

bool SystemClock::isManual()
{
    auto& clock = state();
    std::lock_guard lock(clock.mutex);
    return clock.manual;
}

void SystemClock::useManualClock(NSTimeInterval startSinceReferenceDate)
{
    auto& clock = state();
    std::lock_guard lock(clock.mutex);
    clock.manualMonotonicBase = clock.manual ? clock.manualMonotonicBase + (clock.manualNow - clock.manualStart) : realMonotonic();
    clock.manual = true;
    clock.manualNow = startSinceReferenceDate >= 0 ? startSinceReferenceDate : realNow();
    clock.manualStart = clock.manualNow;
}

void SystemClock::useRealClock()
{
    auto& clock = state();
    std::lock_guard lock(clock.mutex);
    clock.manual = false;
}

void SystemClock::advance(NSTimeInterval seconds)
{
    auto& clock = state();
    std::lock_guard lock(clock.mutex);
    if (clock.manual && seconds > 0)
        clock.manualNow += seconds;
}
