#include "platform/foundation/SystemClock.h"

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NeverDestroyed.h"

#include <chrono>
#include <utility>
#include <vector>

namespace {

struct Clock {
    bool manual { false };
    NSTimeInterval manualNow { 0 };
    // The monotonic reading at the moment the manual clock started, so monotonic time stays
    // continuous across the switch.
    NSTimeInterval manualMonotonicBase { 0 };
    NSTimeInterval manualStart { 0 };
};

struct Listeners {
    NSUInteger next { 1 };
    std::vector<std::pair<NSUInteger, std::shared_ptr<std::function<void()>>>> entries;
};

// Two locks: the time is read far more often than listeners come and go, and listeners are
// called with neither held.
struct ClockState {
    Guarded<Clock> clock;
    Guarded<Listeners> listeners;
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
    std::vector<std::shared_ptr<std::function<void()>>> listeners;
    {
        auto registered = state().listeners.lock();
        for (auto& entry : registered->entries)
            listeners.push_back(entry.second);
    }
    for (auto& listener : listeners)
        (*listener)();
}

} // namespace

NSTimeInterval SystemClock::now()
{
    auto clock = state().clock.lock();
    return clock->manual ? clock->manualNow : realNow();
}

NSTimeInterval SystemClock::monotonicNow()
{
    auto clock = state().clock.lock();
    return clock->manual ? clock->manualMonotonicBase + (clock->manualNow - clock->manualStart) : realMonotonic();
}

bool SystemClock::isManual()
{
    return state().clock.lock()->manual;
}

void SystemClock::useManualClock(NSTimeInterval startSinceReferenceDate)
{
    {
        auto clock = state().clock.lock();
        clock->manualMonotonicBase = clock->manual ? clock->manualMonotonicBase + (clock->manualNow - clock->manualStart) : realMonotonic();
        clock->manual = true;
        clock->manualNow = startSinceReferenceDate >= 0 ? startSinceReferenceDate : realNow();
        clock->manualStart = clock->manualNow;
    }
    notifyListeners();
}

void SystemClock::useRealClock()
{
    {
        state().clock.lock()->manual = false;
    }
    notifyListeners();
}

void SystemClock::advance(NSTimeInterval seconds)
{
    {
        auto clock = state().clock.lock();
        if (!clock->manual || seconds <= 0)
            return;
        clock->manualNow += seconds;
    }
    notifyListeners();
}

void SystemClock::advanceTo(NSTimeInterval secondsSinceReferenceDate)
{
    {
        auto clock = state().clock.lock();
        if (!clock->manual || secondsSinceReferenceDate <= clock->manualNow)
            return;
        clock->manualNow = secondsSinceReferenceDate;
    }
    notifyListeners();
}

NSUInteger SystemClock::addChangeListener(std::function<void()> listener)
{
    auto entry = std::make_shared<std::function<void()>>(std::move(listener));
    auto listeners = state().listeners.lock();
    NSUInteger token = listeners->next++;
    listeners->entries.emplace_back(token, std::move(entry));
    return token;
}

void SystemClock::removeChangeListener(NSUInteger token)
{
    // The listener goes after the lock: its captures may hold the last reference to anything.
    std::shared_ptr<std::function<void()>> removed;
    auto listeners = state().listeners.lock();
    std::erase_if(listeners->entries, [&](auto& entry) {
        if (entry.first != token)
            return false;
        removed = std::move(entry.second);
        return true;
    });
}
