#pragma once
// The axis set of a Cartesian graph: one x and one y axis, and the frame's border.

#include "framework/Source/PEAxisSet.h"

class PEXYAxis;

class PEXYAxisSet : public PEAxisSet {
    NS_OBJECT(PEXYAxisSet, PEAxisSet)
public:
    std::shared_ptr<PEXYAxis> xAxis() const;
    std::shared_ptr<PEXYAxis> yAxis() const;

    void renderAsVectorInContext(const CGContextRef& context) override;

protected:
    void init(CGRect frame);
    void init() { init(CGRectZero); }
};

using PEXYAxisSetRef = std::shared_ptr<PEXYAxisSet>;
