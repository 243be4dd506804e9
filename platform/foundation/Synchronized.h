#pragma once
// The @synchronized block: a recursive lock per object, taken for the guard's lifetime.
//     { Synchronized guard(self().get()); ... }
// Locks are made on first use and dropped when no guard holds or waits for them.

#include <cstddef>

class Synchronized {
public:
    explicit Synchronized(const void* object);
    ~Synchronized();
    Synchronized(const Synchronized&) = delete;
    Synchronized& operator=(const Synchronized&) = delete;

private:
    const void* m_object { nullptr };
};
