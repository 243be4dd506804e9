#pragma once
// A plain mutual-exclusion lock. Unlocking from another thread than the one that locked, or
// locking twice on one thread, is a programming error as on the platform.

#include "platform/foundation/TimedLock.h"

class NSLock : public TimedLock<std::timed_mutex> {
    NS_OBJECT(NSLock, TimedLock<std::timed_mutex>)
};
