#pragma once

#include <memory>
#include <new>
#include <utility>

// Holds a process-wide object that is built on first use and never destroyed. Threads (the
// networking thread, queue workers, run-loop timers) keep running while static destructors
// run at exit; whatever they may reach then must still be there. The object stays in static
// storage, so leak checkers still see it as reachable. A class with a private constructor
// befriends NeverDestroyed<Class>. Work a destructor would do at exit is done where the process
// ends instead (an atexit handler registered at first use).
template <typename T>
class NeverDestroyed {
public:
    template <typename... Args>
    explicit NeverDestroyed(Args&&... args)
    {
        ::new (static_cast<void*>(m_storage)) T(std::forward<Args>(args)...);
    }

    NeverDestroyed(const NeverDestroyed&) = delete;
    NeverDestroyed& operator=(const NeverDestroyed&) = delete;
    ~NeverDestroyed() = default;

    T& get() { return *pointer(); }
    const T& get() const { return *std::launder(reinterpret_cast<const T*>(m_storage)); }

private:
    T* pointer() { return std::launder(reinterpret_cast<T*>(m_storage)); }

    alignas(T) unsigned char m_storage[sizeof(T)];
};
