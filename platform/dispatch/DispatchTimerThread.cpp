#include "platform/dispatch/DispatchTimerThread.h"

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/foundation/SystemClock.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <thread>

namespace {

struct Timers {
    // Ordered by deadline, then by token so equal deadlines keep their scheduling order.
    std::map<std::pair<dispatch_time_t, uint64_t>, std::function<void()>> deadlines;
    uint64_t nextToken { 1 };
    uint64_t clockChanges { 0 };
    bool running { false };
};

} // namespace

struct DispatchTimerThread::State {
    Guarded<Timers> timers;
    std::condition_variable condition;
};

dispatch_time_t dispatchNow()
{
    return static_cast<dispatch_time_t>(SystemClock::monotonicNow() * NSEC_PER_SEC);
}

double dispatchSecondsUntil(dispatch_time_t when)
{
    if (when == DISPATCH_TIME_FOREVER)
        return 1e10;
    dispatch_time_t now = dispatchNow();
    if (when == DISPATCH_TIME_NOW || when <= now)
        return 0;
    return static_cast<double>(when - now) / NSEC_PER_SEC;
}

DispatchTimerThread::DispatchTimerThread()
    : m_state(std::make_shared<State>())
{
    std::weak_ptr<State> weakState = m_state;
    SystemClock::addChangeListener([weakState] {
        if (auto state = weakState.lock()) {
            ++state->timers.lock()->clockChanges;
            state->condition.notify_all();
        }
    });
}

DispatchTimerThread& DispatchTimerThread::shared()
{
    static NeverDestroyed<DispatchTimerThread> thread;
    return thread.get();
}

uint64_t DispatchTimerThread::schedule(dispatch_time_t deadline, std::function<void()> action)
{
    uint64_t token;
    {
        auto timers = m_state->timers.lock();
        token = timers->nextToken++;
        timers->deadlines.emplace(std::make_pair(deadline, token), std::move(action));
        if (!timers->running) {
            timers->running = true;
            std::thread(work, m_state).detach();
        }
    }
    m_state->condition.notify_all();
    return token;
}

void DispatchTimerThread::cancel(uint64_t token)
{
    std::erase_if(m_state->timers.lock()->deadlines, [token](const auto& entry) { return entry.first.second == token; });
}

void DispatchTimerThread::work(std::shared_ptr<State> state)
{
    auto timers = state->timers.lock();
    while (true) {
        if (timers->deadlines.empty()) {
            timers.wait(state->condition);
            continue;
        }
        auto first = timers->deadlines.begin();
        dispatch_time_t now = dispatchNow();
        if (first->first.first <= now) {
            auto action = std::move(first->second);
            timers->deadlines.erase(first);
            timers.unlocked([&] {
                action();
                action = nullptr;
            });
            continue;
        }
        if (SystemClock::isManual()) {
            uint64_t seen = timers->clockChanges;
            size_t count = timers->deadlines.size();
            auto earliest = first->first;
            timers.wait(state->condition, [&] {
                return timers->clockChanges != seen || timers->deadlines.size() != count || timers->deadlines.empty() || timers->deadlines.begin()->first != earliest;
            });
        } else {
            timers.waitFor(state->condition, std::chrono::nanoseconds(first->first.first - now));
        }
    }
}
