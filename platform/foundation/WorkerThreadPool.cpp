#include "platform/foundation/WorkerThreadPool.h"

#include "platform/foundation/NeverDestroyed.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

constexpr int maximumWorkers = 64;
constexpr auto idleLifetime = std::chrono::seconds(5);

} // namespace

struct WorkerThreadPool::State {
    std::mutex mutex;
    std::condition_variable condition;
    std::deque<std::function<void()>> jobs;
    int workers { 0 };
    int idle { 0 };
};

WorkerThreadPool::WorkerThreadPool()
    : m_state(std::make_shared<State>())
{
}

WorkerThreadPool& WorkerThreadPool::shared()
{
    static NeverDestroyed<WorkerThreadPool> pool;
    return pool.get();
}

void WorkerThreadPool::run(std::function<void()> job)
{
    if (!job)
        return;
    std::lock_guard lock(m_state->mutex);
    m_state->jobs.push_back(std::move(job));
    if (static_cast<int>(m_state->jobs.size()) > m_state->idle && m_state->workers < maximumWorkers) {
        ++m_state->workers;
        // Workers share the state, so they outlive the pool object at process exit safely.
        std::thread(work, m_state).detach();
    } else {
        m_state->condition.notify_one();
    }
}

void WorkerThreadPool::work(std::shared_ptr<State> state)
{
    std::unique_lock lock(state->mutex);
    while (true) {
        if (state->jobs.empty()) {
            ++state->idle;
            bool woken = state->condition.wait_for(lock, idleLifetime, [&] { return !state->jobs.empty(); });
            --state->idle;
            if (!woken) {
                --state->workers;
                return;
            }
        }
        auto job = std::move(state->jobs.front());
        state->jobs.pop_front();
        lock.unlock();
        job();
        job = nullptr;
        lock.lock();
    }
}
