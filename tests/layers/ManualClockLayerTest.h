#pragma once
// Layer tests run on the manual clock; whatever a test leaves animating is run to its end before
// the next test, so no animation or pending transaction leaks into it.

#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/SystemClock.h"
#include "platform/layers/CATransaction.h"

#include <gtest/gtest.h>

class ManualClockLayerTest : public testing::Test {
protected:
    void SetUp() override
    {
        SystemClock::useManualClock(1000);
        CATransaction::flush();
    }
    void TearDown() override
    {
        CATransaction::flush();
        loop->advanceClock(10);
        SystemClock::useRealClock();
    }

    std::shared_ptr<NSRunLoop> loop = NSRunLoop::mainRunLoop();
};
