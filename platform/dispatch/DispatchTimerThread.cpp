#include "platform/dispatch/DispatchTimerThread.h"

#include "platform/foundation/NeverDestroyed.h"
#include "platform/foundation/SystemClock.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

struct DispatchTimerThread::State {
    std::mutex mutex;
    std::condition_variable condition;
    // Ordered by deadline, then by token so equal deadlines keep their scheduling order.
    std::map<std::pair<dispatch_time_t, uint64_t>, std::function<void()>> deadlines;
    uint64_t nextToken { 1 };
    uint64_t clockChanges { 0 };
    bool running { false };
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
            std::lock_guard lock(state->mutex);
            ++state->clockChanges;
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
    std::lock_guard lock(m_state->mutex);
    uint64_t token = m_state->nextToken++;
    m_state->deadlines.emplace(std::make_pair(deadline, token), std::move(action));
    if (!m_state->running) {
        m_state->running = true;
        std::thread(work, m_state).detach();
    }
    m_state->condition.notify_all();
    return token;
}

void DispatchTimerThread::cancel(uint64_t token)
{
    std::lock_guard lock(m_state->mutex);
    std::erase_if(m_state->deadlines, [token](const auto& entry) { return entry.first.second == token; });
}

void DispatchTimerThread::work(std::shared_ptr<State> state)
{
    std::unique_lock lock(state->mutex);
    while (true) {
        if (state->deadlines.empty()) {
            state->condition.wait(lock);
            continue;
        }
        auto first = state->deadlines.begin();
        dispatch_time_t now = dispatchNow();
        if (first->first.first <= now) {
            auto action = std::move(first->second);
            state->deadlines.erase(first);
            lock.unlock();
            action();
            action = nullptr;
            lock.lock();
            continue;
        }
        if (SystemClock::isManual()) {
            uint64_t seen = state->clockChanges;
            size_t count = state->deadlines.size();
            auto earliest = first->first;
            state->condition.wait(lock, [&] {
                return state->clockChanges != seen || state->deadlines.size() != count || state->deadlines.empty() || state->deadlines.begin()->first != earliest;
            });
        } else {
            state->condition.wait_for(lock, std::chrono::nanoseconds(first->first.first - now));
        }
    }
}
