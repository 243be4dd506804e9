#pragma once
// A lock the same thread may take again while it holds it; each lock needs its unlock.

#include "platform/foundation/NSLocking.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

#include <mutex>

class NSDate;

class NSRecursiveLock : public NSObject, public NSLocking {
    NS_OBJECT(NSRecursiveLock, NSObject)
public:
    void lock() override { m_lock.lock(); }
    void unlock() override { m_lock.unlock(); }
    bool tryLock() { return m_lock.try_lock(); }
    bool lockBeforeDate(const std::shared_ptr<NSDate>& limit);

    NSString name() const;
    void setName(const NSString& name);

private:
    std::recursive_timed_mutex m_lock;
    mutable std::mutex m_nameMutex;
    NSString m_name;
};
