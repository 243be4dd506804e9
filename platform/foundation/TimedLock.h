#pragma once
// What the plain and the recursive lock share: locking, with or without a deadline, and a name.
// The mutex decides whether the holding thread may take the lock again.

#include "platform/foundation/NSLocking.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

#include <mutex>

class NSDate;

template <class Mutex>
class TimedLock : public NSObject, public NSLocking {
public:
    void lock() override { m_lock.lock(); }
    void unlock() override { m_lock.unlock(); }
    bool tryLock() { return m_lock.try_lock(); }
    bool lockBeforeDate(const std::shared_ptr<NSDate>& limit);

    NSString name() const;
    void setName(const NSString& name);

protected:
    TimedLock() = default;

private:
    Mutex m_lock;
    mutable std::mutex m_nameMutex;
    NSString m_name;
};

extern template class TimedLock<std::timed_mutex>;
extern template class TimedLock<std::recursive_timed_mutex>;
