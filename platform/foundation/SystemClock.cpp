#include "platform/foundation/SystemClock.h"

#include "platform/foundation/NeverDestroyed.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <utility>
#include <vector>

namespace {

struct ClockState {
    std::mutex mutex;
    bool manual { false };
    NSTimeInterval manualNow { 0 };
    // The monotonic reading at the moment the manual clock started, so monotonic time stays
    // continuous across the switch.
    NSTimeInterval manualMonotonicBase { 0 };
    NSTimeInterval manualStart { 0 };

    std::mutex listenersMutex;
    NSUInteger nextListener { 1 };
    std::vector<std::pair<NSUInteger, std::shared_ptr<std::function<void()>>>> listeners;
};

ClockState& state()
{
    static NeverDestroyed<ClockState> clock;
    return clock.get();
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

void notifyListeners()
{
    auto& clock = state();
    std::vector<std::shared_ptr<std::function<void()>>> listeners;
    {
        std::lock_guard lock(clock.listenersMutex);
        for (auto& entry : clock.listeners)
            listeners.push_back(entry.second);
    }
    for (auto& listener : listeners)
        (*listener)();
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
    {
        auto& clock = state();
        std::lock_guard lock(clock.mutex);
        clock.manualMonotonicBase = clock.manual ? clock.manualMonotonicBase + (clock.manualNow - clock.manualStart) : realMonotonic();
        clock.manual = true;
        clock.manualNow = startSinceReferenceDate >= 0 ? startSinceReferenceDate : realNow();
        clock.manualStart = clock.manualNow;
    }
    notifyListeners();
}

void SystemClock::useRealClock()
{
    {
        auto& clock = state();
        std::lock_guard lock(clock.mutex);
        clock.manual = false;
    }
    notifyListeners();
}

void SystemClock::advance(NSTimeInterval seconds)
{
    {
        auto& clock = state();
        std::lock_guard lock(clock.mutex);
        if (!clock.manual || seconds <= 0)
            return;
        clock.manualNow += seconds;
    }
    notifyListeners();
}

void SystemClock::advanceTo(NSTimeInterval secondsSinceReferenceDate)
{
    {
        auto& clock = state();
        std::lock_guard lock(clock.mutex);
        if (!clock.manual || secondsSinceReferenceDate <= clock.manualNow)
            return;
        clock.manualNow = secondsSinceReferenceDate;
    }
    notifyListeners();
}

NSUInteger SystemClock::addChangeListener(std::function<void()> listener)
{
    auto& clock = state();
    std::lock_guard lock(clock.listenersMutex);
    NSUInteger token = clock.nextListener++;
    clock.listeners.emplace_back(token, std::make_shared<std::function<void()>>(std::move(listener)));
    return token;
}

void SystemClock::removeChangeListener(NSUInteger token)
{
    auto& clock = state();
    std::lock_guard lock(clock.listenersMutex);
    std::erase_if(clock.listeners, [token](const auto& entry) { return entry.first == token; });
}
