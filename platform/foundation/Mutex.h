#pragma once
// A plain mutex the thread-safety analysis knows, and its scoped locker. Fields it guards are
// declared GUARDED_BY(theMutex); the clang build then refuses an access made without holding it.
// Waiting on a condition goes through the locker, so the lock's state stays visible to the analysis.

#include "platform/foundation/ThreadSafety.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

class CAPABILITY("mutex") Mutex {
public:
    Mutex() = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    void lock() ACQUIRE() { m_mutex.lock(); }
    void unlock() RELEASE() { m_mutex.unlock(); }
    bool try_lock() TRY_ACQUIRE(true) { return m_mutex.try_lock(); }

private:
    friend class MutexLocker;
    std::mutex m_mutex;
};

class SCOPED_CAPABILITY MutexLocker {
public:
    explicit MutexLocker(Mutex& mutex) ACQUIRE(mutex) : m_lock(mutex.m_mutex) { }
    ~MutexLocker() RELEASE() = default;
    MutexLocker(const MutexLocker&) = delete;
    MutexLocker& operator=(const MutexLocker&) = delete;

    // Gives the lock up while waiting, and holds it again when the predicate is true.
    template <class Predicate>
    void wait(std::condition_variable& condition, Predicate predicate) { condition.wait(m_lock, std::move(predicate)); }
    void wait(std::condition_variable& condition) { condition.wait(m_lock); }
    // False when the deadline passed with the predicate still false.
    template <class Clock, class Duration, class Predicate>
    bool waitUntil(std::condition_variable& condition, const std::chrono::time_point<Clock, Duration>& deadline,
        Predicate predicate)
    {
        return condition.wait_until(m_lock, deadline, std::move(predicate));
    }
    // Wakes on a notification, a spurious wake-up or the time-out; the caller looks again.
    template <class Rep, class Period>
    void waitFor(std::condition_variable& condition, const std::chrono::duration<Rep, Period>& timeout) { condition.wait_for(m_lock, timeout); }
    template <class Rep, class Period, class Predicate>
    bool waitFor(std::condition_variable& condition, const std::chrono::duration<Rep, Period>& timeout, Predicate predicate)
    {
        return condition.wait_for(m_lock, timeout, std::move(predicate));
    }

    // For a stretch that must run without the lock (a callback that may re-enter); holds it again after.
    template <class Function>
    void unlocked(Function&& function)
    {
        m_lock.unlock();
        struct Relock {
            std::unique_lock<std::mutex>& lock;
            ~Relock() { lock.lock(); }
        } relock { m_lock };
        std::forward<Function>(function)();
    }

private:
    std::unique_lock<std::mutex> m_lock;
};
