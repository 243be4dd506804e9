#pragma once
// How the hosts end the application when its window closes (or a headless run is done): the
// delegate and the observers hear that it terminates, and whatever they still send on its way
// (under a background task) is waited for, briefly, before the process goes. Quitting is leaving:
// a screen's closing save must not be cut off by the exit.

#include "platform/foundation/NSDate.h"

namespace ApplicationTermination {

// Long enough for a request on a working network, short enough that a closed window does not
// seem to hang.
inline constexpr NSTimeInterval kBound = 3;

// Terminates the application, then serves the main run loop until no background task is left or
// the bound has passed in real time (the manual clock does not move meanwhile). Answers whether
// every task ended.
bool terminateAndWait(NSTimeInterval bound = kBound);

} // namespace ApplicationTermination
