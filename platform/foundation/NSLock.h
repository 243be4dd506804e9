#pragma once
// A plain mutual-exclusion lock. Unlocking from another thread than the one that locked, or
// locking twice on one thread, is a programming error as on the platform.

#include "platform/foundation/NSLocking.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

#include <mutex>

class NSDate;

class NSLock : public NSObject, public NSLocking {
    NS_OBJECT(NSLock, NSObject)
public:
    void lock() override { m_lock.lock(); }
    void unlock() override { m_lock.unlock(); }
    bool tryLock() { return m_lock.try_lock(); }
    bool lockBeforeDate(const std::shared_ptr<NSDate>& limit);

    NSString name() const;
    void setName(const NSString& name);

private:
    std::timed_mutex m_lock;
    mutable std::mutex m_nameMutex;
    NSString m_name;
};
