#pragma once
// The threads behind operation queues and dispatch queues. A job gets an idle worker or a new
// one, up to a cap, so jobs that block (a run loop waiting for a download, a synchronous hop to
// the main thread) do not starve the others. Idle workers leave after a few seconds.

#include <functional>
#include <memory>

template <typename T>
class NeverDestroyed;

class WorkerThreadPool {
public:
    static WorkerThreadPool& shared();

    // Jobs must not throw.
    void run(std::function<void()> job);

private:
    friend class NeverDestroyed<WorkerThreadPool>;
    struct State;
    WorkerThreadPool();
    static void work(std::shared_ptr<State> state);

    std::shared_ptr<State> m_state;
};
