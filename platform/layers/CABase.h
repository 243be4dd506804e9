#pragma once
// The animation clock: seconds on the process's monotonic scale, so that it follows the manual
// clock in tests and layer times compare with the run loop's timers.

#include "platform/graphics/CGGeometry.h"

using CFTimeInterval = double;

CFTimeInterval CACurrentMediaTime();
