#pragma once
// A Cartesian graph: an XY plot space with linear scales and an XY axis set.

#include "framework/Source/PEGraph.h"

class PEXYGraph : public PEGraph {
    NS_OBJECT(PEXYGraph, PEGraph)
public:
    std::shared_ptr<PEPlotSpace> newPlotSpace() override;
    std::shared_ptr<PEAxisSet> newAxisSet() override;

protected:
    void init(CGRect frame);
    void init() { init(CGRectZero); }
};

using PEXYGraphRef = std::shared_ptr<PEXYGraph>;
