#pragma once
// The process clock. Real time by default; tests switch it to a manual clock that only moves
// when advanced, so countdowns and time-outs are tested in microseconds without sleeping.
// The run loop reads its time here, and so does NSDate::date().

#include "platform/foundation/NSObjCRuntime.h"

#include <functional>

class SystemClock {
public:
    // Seconds since the reference date 2001-01-01 UTC.
    static NSTimeInterval now();
    // Seconds on a monotonic scale, for intervals and timer deadlines.
    static NSTimeInterval monotonicNow();

    static bool isManual();
    // Freezes the clock at the given date (now by default); until advanced, time stands still.
    static void useManualClock(NSTimeInterval startSinceReferenceDate = -1);
    static void useRealClock();
    // Moves a manual clock forward without running anything; the run loop's own advancing
    // steps through due timers and calls this for each.
    static void advance(NSTimeInterval seconds);
    // Moves a manual clock forward to the date exactly (never backwards).
    static void advanceTo(NSTimeInterval secondsSinceReferenceDate);

    // Called after every move of the manual clock (and after switching clocks), so that waiting
    // run loops and timer threads re-read the time. Listeners must not block.
    static NSUInteger addChangeListener(std::function<void()> listener);
    static void removeChangeListener(NSUInteger token);
};
