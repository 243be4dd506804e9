#include "platform/foundation/WorkerThreadPool.h"

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NeverDestroyed.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <thread>

namespace {

constexpr int maximumWorkers = 64;
constexpr auto idleLifetime = std::chrono::seconds(5);

} // namespace

struct WorkerThreadPool::State {
    struct Queue {
        std::deque<std::function<void()>> jobs;
        int workers { 0 };
        int idle { 0 };
    };
    Guarded<Queue> queue;
    std::condition_variable condition;
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
    auto queue = m_state->queue.lock();
    queue->jobs.push_back(std::move(job));
    if (static_cast<int>(queue->jobs.size()) > queue->idle && queue->workers < maximumWorkers) {
        ++queue->workers;
        // Workers share the state, so they outlive the pool object at process exit safely.
        std::thread(work, m_state).detach();
    } else {
        m_state->condition.notify_one();
    }
}

void WorkerThreadPool::work(std::shared_ptr<State> state)
{
    auto queue = state->queue.lock();
    while (true) {
        if (queue->jobs.empty()) {
            ++queue->idle;
            bool woken = queue.waitFor(state->condition, idleLifetime, [&] { return !queue->jobs.empty(); });
            --queue->idle;
            if (!woken) {
                --queue->workers;
                return;
            }
        }
        auto job = std::move(queue->jobs.front());
        queue->jobs.pop_front();
        queue.unlocked([&job] {
            job();
            job = nullptr;
        });
    }
}
