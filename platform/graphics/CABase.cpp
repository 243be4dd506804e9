#include "platform/graphics/CABase.h"

#include "platform/foundation/SystemClock.h"

CFTimeInterval CACurrentMediaTime() { return SystemClock::monotonicNow(); }
