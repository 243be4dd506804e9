#include "platform/layers/CABase.h"

#include "platform/foundation/SystemClock.h"

CFTimeInterval CACurrentMediaTime() { return SystemClock::monotonicNow(); }
