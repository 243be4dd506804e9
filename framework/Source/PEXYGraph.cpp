#include "framework/Source/PEXYGraph.h"

#include "framework/Source/PEXYAxisSet.h"
#include "framework/Source/PEXYPlotSpace.h"

void PEXYGraph::init(CGRect frame)
{
    PEGraph::init(frame);
}

std::shared_ptr<PEPlotSpace> PEXYGraph::newPlotSpace() { return PEXYPlotSpace::create(); }
std::shared_ptr<PEAxisSet> PEXYGraph::newAxisSet() { return PEXYAxisSet::create(bounds()); }
