#pragma once
// The plot area's layer for the content layers of axis labels or titles. It neither draws nor
// lays out: labels keep exactly where their positioning put them.

#include "framework/Source/PELayer.h"

class PEAxisLabelGroup : public PELayer {
    NS_OBJECT(PEAxisLabelGroup, PELayer)
public:
    void renderAsVectorInContext(const CGContextRef&) override { }
    void layoutSublayers() override { }
};
