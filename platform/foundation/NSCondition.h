#pragma once
// A lock with a condition: wait() releases the lock while it sleeps and takes it again before
// returning. Waits may wake spuriously, so callers test their predicate in a loop. Like the other
// locks the platform hands to callers it is taken and given back by separate calls, so it is no
// capability the thread-safety analysis follows.

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSLocking.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

#include <condition_variable>
#include <mutex>

class NSDate;

class NSCondition : public NSObject, public NSLocking {
    NS_OBJECT(NSCondition, NSObject)
public:
    void lock() override { m_mutex.lock(); }
    void unlock() override { m_mutex.unlock(); }
    // Both must be called with the lock held.
    void wait();
    // False when the date passed without a signal.
    bool waitUntilDate(const std::shared_ptr<NSDate>& limit);
    void signal() { m_condition.notify_one(); }
    void broadcast() { m_condition.notify_all(); }

    NSString name() const;
    void setName(const NSString& name);

private:
    std::mutex m_mutex;
    std::condition_variable m_condition;
    Guarded<NSString> m_name;
};
