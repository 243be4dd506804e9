#pragma once
// A lock the same thread may take again while it holds it; each lock needs its unlock.

#include "platform/foundation/TimedLock.h"

class NSRecursiveLock : public TimedLock<std::recursive_timed_mutex> {
    NS_OBJECT(NSRecursiveLock, TimedLock<std::recursive_timed_mutex>)
};
