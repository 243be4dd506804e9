#pragma once
// Layer tests run on the manual clock; whatever a test leaves animating is run to its end before
// the next test, so no animation or pending transaction leaks into it.

#include "platform/layers/CATransaction.h"
#include "tests/support/ManualClockTest.h"

class ManualClockLayerTest : public testing_support::ManualClockTest<1000> {
protected:
    void SetUp() override
    {
        ManualClockTest::SetUp();
        CATransaction::flush();
    }
    void TearDown() override
    {
        CATransaction::flush();
        loop->advanceClock(10);
        ManualClockTest::TearDown();
    }
};
