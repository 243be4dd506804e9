#pragma once
// Waits for work on other threads, woken by that work itself and bounded in real time, so that a
// regression fails the test instead of hanging it until the suite's time-out. Nothing here sleeps
// for a fixed time: a wait ends as soon as what it waits for has happened.

#include "platform/foundation/NSMachPort.h"
#include "platform/foundation/NSRunLoop.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace testing_support {

inline constexpr double kWaitSeconds = 20;
// Scripted sessions of the whole client wait on the stand-in, the network thread and a film's
// decoder at once, and on a machine busy twice over under the sanitizers one of their steps can
// take many times what it takes alone. Every wait of theirs is bounded by this one limit.
inline constexpr double kSessionWaitSeconds = 120;
inline constexpr double kLookAgainSeconds = 0.02;

// Told by the code under test (or by a test's callback into it) after each change a waiter may be
// waiting for. Copies share one state, so a block can keep its own copy and notify after the
// test that made it has returned.
class Signal {
public:
    void notify() const
    {
        // Under the lock: a waiter that has just found its condition false is already waiting.
        std::lock_guard lock(m_state->mutex);
        ++m_state->notices;
        m_state->condition.notify_all();
    }

    // Until notify() has been called `count` times in all.
    bool waitForNotices(int count = 1, double seconds = kWaitSeconds) const
    {
        return waitUntil([&] { return m_state->notices >= count; }, seconds);
    }

    // Until the condition holds, looked at again at each notify(); the condition is read under
    // the signal's lock, so it may read what the notifier wrote before notifying.
    bool waitUntil(const std::function<bool()>& done, double seconds = kWaitSeconds) const
    {
        std::unique_lock lock(m_state->mutex);
        return m_state->condition.wait_for(lock, std::chrono::duration<double>(seconds), done);
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable condition;
        int notices { 0 };
    };
    std::shared_ptr<State> m_state { std::make_shared<State>() };
};

// Runs a call that blocks until the code under test is done (a queue's or a thread's own wait) on
// a thread of its own, and waits for it to return: true when it did within the time. A call that
// never returns is left behind, so it must hold what it uses by value.
inline bool returnsWithin(std::function<void()> call, double seconds = kWaitSeconds)
{
    Signal returned;
    std::thread([call = std::move(call), returned] {
        call();
        returned.notify();
    }).detach();
    return returned.waitForNotices(1, seconds);
}

// Turns the calling thread's run loop in the default mode until the condition holds: looked at
// again after each input the loop handles, and at least every 20 ms of real time, so that work
// finishing on another thread without telling the loop is seen too. Under the manual clock the
// clock does not move.
inline bool runLoopUntil(const std::function<bool()>& done, double seconds = kWaitSeconds)
{
    auto runLoop = NSRunLoop::currentRunLoop();
    // Keeps the loop waiting for input instead of returning at once when nothing else is registered.
    auto port = NSMachPort::port();
    runLoop->addPort(port, NSDefaultRunLoopMode);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    bool held = done();
    while (!held) {
        const std::chrono::duration<double> left = deadline - std::chrono::steady_clock::now();
        if (left.count() <= 0)
            break;
        runLoop->runInMode(NSDefaultRunLoopMode, std::min(left.count(), kLookAgainSeconds), true);
        held = done();
    }
    runLoop->removePort(port, NSDefaultRunLoopMode);
    return held;
}

} // namespace testing_support
