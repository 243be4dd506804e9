#pragma once
// The one fixture of tests that drive time by hand: the manual clock from SetUp (at `start`
// seconds since the reference date, or wherever it last stood when negative), the real clock back
// after TearDown, so no test leaves the next one on a frozen clock.

#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/SystemClock.h"

#include <gtest/gtest.h>

#include <memory>

namespace testing_support {

template <int start = -1>
class ManualClockTest : public testing::Test {
protected:
    void SetUp() override { SystemClock::useManualClock(start); }
    void TearDown() override { SystemClock::useRealClock(); }

    // Runs what fell due at the clock's present time, so a test's timers do not fire in the next.
    void runDueWork() { loop->advanceClock(0); }

    std::shared_ptr<NSRunLoop> loop = NSRunLoop::mainRunLoop();
};

} // namespace testing_support
