#include "framework/Source/PEPlotSpace.h"

#include "framework/Source/NSCoder_PEExtensions.h"
#include "framework/Source/PEGraph.h"
#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PEUtilities.h"

CGPoint PEPlotSpace::plotAreaViewPointForPlotPoint(const NSDecimal* plotPoint, NSUInteger count) const
{
    CGPoint point {};
    if (count > 0)
        point.x = PEDecimalAsDouble(plotPoint[0]);
    if (count > 1)
        point.y = PEDecimalAsDouble(plotPoint[1]);
    return point;
}

CGPoint PEPlotSpace::plotAreaViewPointForDoublePrecisionPlotPoint(const double* plotPoint, NSUInteger count) const
{
    return CGPoint { count > 0 ? plotPoint[0] : 0, count > 1 ? plotPoint[1] : 0 };
}

void PEPlotSpace::plotPoint(NSDecimal* plotPoint, NSUInteger count, CGPoint viewPoint) const
{
    if (count > 0)
        plotPoint[0] = PEDecimalWithDouble(viewPoint.x);
    if (count > 1)
        plotPoint[1] = PEDecimalWithDouble(viewPoint.y);
}

void PEPlotSpace::doublePrecisionPlotPoint(double* plotPoint, NSUInteger count, CGPoint viewPoint) const
{
    if (count > 0)
        plotPoint[0] = viewPoint.x;
    if (count > 1)
        plotPoint[1] = viewPoint.y;
}

std::shared_ptr<PEPlotRange> PEPlotSpace::plotRangeForCoordinate(PECoordinate) const { return nullptr; }
void PEPlotSpace::setPlotRange(const std::shared_ptr<PEPlotRange>&, PECoordinate) { }
PEScaleType PEPlotSpace::scaleTypeForCoordinate(PECoordinate) const { return PEScaleTypeLinear; }
void PEPlotSpace::scaleToFitPlots(const std::vector<std::shared_ptr<PEPlot>>&) { }
void PEPlotSpace::scaleBy(CGFloat, CGPoint) { }

bool PEPlotSpace::pointingDeviceDownEvent(const UIEventRef&, CGPoint) { return false; }
bool PEPlotSpace::pointingDeviceUpEvent(const UIEventRef&, CGPoint) { return false; }
bool PEPlotSpace::pointingDeviceDraggedEvent(const UIEventRef&, CGPoint) { return false; }
bool PEPlotSpace::pointingDeviceCancelledEvent(const UIEventRef&) { return false; }

void PEPlotSpace::encodeWithCoder(NSCoder& coder) const
{
    coder.encodeConditionalObject(graph(), "PEPlotSpace.graph");
    coder.encodeObject(m_identifier, "PEPlotSpace.identifier");
}

bool PEPlotSpace::init(NSCoder& coder)
{
    coder.registerDecodingObject(self());
    m_graph = coder.decodeWeakObjectOfClass<PEGraph>("PEPlotSpace.graph");
    m_identifier = NSCoder_PEExtensions::decodeIdentifierForKey(coder, "PEPlotSpace.identifier");
    return true;
}
