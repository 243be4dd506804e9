#pragma once
// What the plain and the recursive lock share: locking, with or without a deadline, and a name.
// The mutex decides whether the holding thread may take the lock again. These are the locks the
// platform hands to callers, taken and given back by separate calls, so they are no capability
// the thread-safety analysis follows; code of our own guards its data with Guarded or Mutex.

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSLocking.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

#include <mutex>

class NSDate;

template <class Lock>
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
    Lock m_lock;
    Guarded<NSString> m_name;
};

extern template class TimedLock<std::timed_mutex>;
extern template class TimedLock<std::recursive_timed_mutex>;
