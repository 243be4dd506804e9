#pragma once
// The locking protocol shared by the platform's locks.

class NSLocking {
public:
    virtual ~NSLocking() = default;
    virtual void lock() = 0;
    virtual void unlock() = 0;
};
