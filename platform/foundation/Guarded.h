#pragma once
// Data and the lock that guards it in one object: the data can be reached only through a Locker,
// which holds the lock for as long as it lives. A class's shared state goes into one struct held
// as Guarded<State>, so no field can be read without its lock and no lock guards nothing.
//
//     Guarded<State> m_state;
//     m_state.lock()->pending.push_back(item);               // one access
//     { auto state = m_state.lock(); state.wait(m_ready, [&] { return !state->pending.empty(); }); }
//     auto count = m_state.withLock([](State& s) { return s.pending.size(); });

#include "platform/foundation/Mutex.h"

#include <utility>

template <class T>
class Guarded {
public:
    template <class... Args>
    explicit Guarded(Args&&... args) : m_value(std::forward<Args>(args)...) { }
    Guarded(const Guarded&) = delete;
    Guarded& operator=(const Guarded&) = delete;

    template <class Value>
    class BasicLocker {
    public:
        explicit BasicLocker(Mutex& mutex, Value& value) : m_locker(mutex), m_value(value) { }

        Value* operator->() const { return &m_value; }
        Value& operator*() const { return m_value; }

        template <class Predicate>
        void wait(std::condition_variable& condition, Predicate predicate) { m_locker.wait(condition, std::move(predicate)); }
        void wait(std::condition_variable& condition) { m_locker.wait(condition); }
        template <class Clock, class Duration, class Predicate>
        bool waitUntil(std::condition_variable& condition, const std::chrono::time_point<Clock, Duration>& deadline,
            Predicate predicate)
        {
            return m_locker.waitUntil(condition, deadline, std::move(predicate));
        }
        template <class Rep, class Period>
        void waitFor(std::condition_variable& condition, const std::chrono::duration<Rep, Period>& timeout) { m_locker.waitFor(condition, timeout); }
        template <class Rep, class Period, class Predicate>
        bool waitFor(std::condition_variable& condition, const std::chrono::duration<Rep, Period>& timeout, Predicate predicate)
        {
            return m_locker.waitFor(condition, timeout, std::move(predicate));
        }
        // Runs the function without the lock; the data must not be touched meanwhile.
        template <class Function>
        void unlocked(Function&& function) { m_locker.unlocked(std::forward<Function>(function)); }

    private:
        MutexLocker m_locker;
        Value& m_value;
    };
    using Locker = BasicLocker<T>;
    using ConstLocker = BasicLocker<const T>;

    // NO_THREAD_SAFETY_ANALYSIS: the locker takes the lock before the reference is used, which the
    // analysis cannot see through the constructor.
    Locker lock() NO_THREAD_SAFETY_ANALYSIS { return Locker(m_mutex, m_value); }
    ConstLocker lock() const NO_THREAD_SAFETY_ANALYSIS { return ConstLocker(m_mutex, m_value); }

    template <class Function>
    decltype(auto) withLock(Function&& function) { return std::forward<Function>(function)(*lock()); }
    template <class Function>
    decltype(auto) withLock(Function&& function) const { return std::forward<Function>(function)(*lock()); }

private:
    mutable Mutex m_mutex;
    T m_value GUARDED_BY(m_mutex);
};
