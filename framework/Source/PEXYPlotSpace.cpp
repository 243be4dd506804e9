#include "framework/Source/PEXYPlotSpace.h"

#include "framework/Source/PEExceptions.h"
#include "framework/Source/PEGraph.h"
#include "framework/Source/PEMutablePlotRange.h"
#include "framework/Source/PEPlot.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEUtilities.h"
#include "platform/foundation/NSNotificationCenter.h"

#include <cmath>
#include <limits>

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

double linearViewCoordinate(double value, double location, double length, double extent)
{
    if (length == 0)
        return 0;
    return (value - location) / length * extent;
}

double logViewCoordinate(double value, double location, double length, double extent)
{
    double end = location + length;
    if (!(value > 0) || !(location > 0) || !(end > 0) || end == location)
        return notANumber;
    double logLocation = std::log10(location);
    return (std::log10(value) - logLocation) / (std::log10(end) - logLocation) * extent;
}

double linearDataCoordinate(double view, double location, double length, double extent)
{
    if (extent == 0)
        return location;
    return location + view / extent * length;
}

double logDataCoordinate(double view, double location, double length, double extent)
{
    double end = location + length;
    if (!(location > 0) || !(end > 0) || extent == 0)
        return notANumber;
    double logLocation = std::log10(location);
    return std::pow(10.0, logLocation + view / extent * (std::log10(end) - logLocation));
}

} // namespace

void PEXYPlotSpace::init()
{
    PEPlotSpace::init();
    m_xRange = PEPlotRange::plotRangeWithLocation(PEDecimalWithInt(0), PEDecimalWithInt(1));
    m_yRange = PEPlotRange::plotRangeWithLocation(PEDecimalWithInt(0), PEDecimalWithInt(1));
}

CGSize PEXYPlotSpace::plotAreaSize() const
{
    if (auto owner = graph()) {
        if (auto frame = owner->plotAreaFrame()) {
            if (auto area = frame->plotArea())
                return area->bounds().size;
        }
    }
    return CGSizeZero;
}

void PEXYPlotSpace::postMappingChange()
{
    NSNotificationCenter::defaultCenter()->postNotificationName(PEPlotSpaceCoordinateMappingDidChangeNotification, self());
    if (auto owner = graph()) {
        if (auto frame = owner->plotAreaFrame())
            frame->setNeedsLayout();
    }
}

std::shared_ptr<PEPlotRange> PEXYPlotSpace::constrainedRange(const std::shared_ptr<PEPlotRange>& range, const std::shared_ptr<PEPlotRange>& global) const
{
    if (!global || global->containsRange(range))
        return range;
    auto result = range->mutableCopyRange();
    if (PEDecimalIsGreater(PEDecimalDifference(range->maxLimit(), range->minLimit()), PEDecimalDifference(global->maxLimit(), global->minLimit()))) {
        return global->copyRange();
    }
    result->shiftLocationToFitInRange(global);
    result->shiftEndToFitInRange(global);
    return result->copyRange();
}

void PEXYPlotSpace::setXRange(const std::shared_ptr<PEPlotRange>& range)
{
    PEParameterAssert(range);
    if (range->isEqual(m_xRange))
        return;
    auto adjusted = constrainedRange(range, m_globalXRange);
    if (auto observer = delegate())
        adjusted = observer->willChangePlotRangeTo(*this, adjusted, PECoordinateX);
    if (!adjusted || adjusted->isEqual(m_xRange))
        return;
    m_xRange = adjusted->copyRange();
    postMappingChange();
    if (auto observer = delegate())
        observer->didChangePlotRangeForCoordinate(*this, PECoordinateX);
}

void PEXYPlotSpace::setYRange(const std::shared_ptr<PEPlotRange>& range)
{
    PEParameterAssert(range);
    if (range->isEqual(m_yRange))
        return;
    auto adjusted = constrainedRange(range, m_globalYRange);
    if (auto observer = delegate())
        adjusted = observer->willChangePlotRangeTo(*this, adjusted, PECoordinateY);
    if (!adjusted || adjusted->isEqual(m_yRange))
        return;
    m_yRange = adjusted->copyRange();
    postMappingChange();
    if (auto observer = delegate())
        observer->didChangePlotRangeForCoordinate(*this, PECoordinateY);
}

void PEXYPlotSpace::setGlobalXRange(const std::shared_ptr<PEPlotRange>& range)
{
    m_globalXRange = range ? range->copyRange() : nullptr;
    if (m_globalXRange)
        setXRange(constrainedRange(m_xRange, m_globalXRange));
}

void PEXYPlotSpace::setGlobalYRange(const std::shared_ptr<PEPlotRange>& range)
{
    m_globalYRange = range ? range->copyRange() : nullptr;
    if (m_globalYRange)
        setYRange(constrainedRange(m_yRange, m_globalYRange));
}

void PEXYPlotSpace::setXScaleType(PEScaleType type)
{
    if (type == m_xScaleType)
        return;
    m_xScaleType = type;
    postMappingChange();
}

void PEXYPlotSpace::setYScaleType(PEScaleType type)
{
    if (type == m_yScaleType)
        return;
    m_yScaleType = type;
    postMappingChange();
}

CGPoint PEXYPlotSpace::plotAreaViewPointForDoublePrecisionPlotPoint(const double* plotPoint, NSUInteger count) const
{
    if (count < 2 || !plotPoint)
        return CGPointZero;
    CGSize size = plotAreaSize();
    auto map = [](PEScaleType type, double value, const PEPlotRange& range, double extent) {
        return type == PEScaleTypeLog ? logViewCoordinate(value, range.locationDouble(), range.lengthDouble(), extent)
                                      : linearViewCoordinate(value, range.locationDouble(), range.lengthDouble(), extent);
    };
    return CGPoint { map(m_xScaleType, plotPoint[PECoordinateX], *m_xRange, size.width), map(m_yScaleType, plotPoint[PECoordinateY], *m_yRange, size.height) };
}

CGPoint PEXYPlotSpace::plotAreaViewPointForPlotPoint(const NSDecimal* plotPoint, NSUInteger count) const
{
    if (count < 2 || !plotPoint)
        return CGPointZero;
    CGSize size = plotAreaSize();
    auto map = [](PEScaleType type, const NSDecimal& value, const PEPlotRange& range, double extent) -> double {
        if (type == PEScaleTypeLog)
            return logViewCoordinate(PEDecimalAsDouble(value), range.locationDouble(), range.lengthDouble(), extent);
        // Exact decimal arithmetic keeps ticks of ranges far from 0 where they belong.
        if (range.lengthDouble() == 0)
            return 0;
        NSDecimal fraction = PEDecimalQuotient(PEDecimalDifference(value, range.location()), range.length());
        return PEDecimalAsDouble(fraction) * extent;
    };
    return CGPoint { map(m_xScaleType, plotPoint[PECoordinateX], *m_xRange, size.width), map(m_yScaleType, plotPoint[PECoordinateY], *m_yRange, size.height) };
}

void PEXYPlotSpace::doublePrecisionPlotPoint(double* plotPoint, NSUInteger count, CGPoint viewPoint) const
{
    if (count < 2 || !plotPoint)
        return;
    CGSize size = plotAreaSize();
    auto map = [](PEScaleType type, double view, const PEPlotRange& range, double extent) {
        return type == PEScaleTypeLog ? logDataCoordinate(view, range.locationDouble(), range.lengthDouble(), extent)
                                      : linearDataCoordinate(view, range.locationDouble(), range.lengthDouble(), extent);
    };
    plotPoint[PECoordinateX] = map(m_xScaleType, viewPoint.x, *m_xRange, size.width);
    plotPoint[PECoordinateY] = map(m_yScaleType, viewPoint.y, *m_yRange, size.height);
}

void PEXYPlotSpace::plotPoint(NSDecimal* plotPoint, NSUInteger count, CGPoint viewPoint) const
{
    if (count < 2 || !plotPoint)
        return;
    double values[2];
    doublePrecisionPlotPoint(values, 2, viewPoint);
    plotPoint[PECoordinateX] = PEDecimalWithDouble(values[0]);
    plotPoint[PECoordinateY] = PEDecimalWithDouble(values[1]);
}

std::shared_ptr<PEPlotRange> PEXYPlotSpace::plotRangeForCoordinate(PECoordinate coordinate) const
{
    switch (coordinate) {
    case PECoordinateX:
        return m_xRange;
    case PECoordinateY:
        return m_yRange;
    default:
        return nullptr;
    }
}

void PEXYPlotSpace::setPlotRange(const std::shared_ptr<PEPlotRange>& range, PECoordinate coordinate)
{
    if (coordinate == PECoordinateX)
        setXRange(range);
    else if (coordinate == PECoordinateY)
        setYRange(range);
}

PEScaleType PEXYPlotSpace::scaleTypeForCoordinate(PECoordinate coordinate) const
{
    return coordinate == PECoordinateY ? m_yScaleType : m_xScaleType;
}

void PEXYPlotSpace::scaleToFitPlots(const std::vector<std::shared_ptr<PEPlot>>& plots)
{
    std::shared_ptr<PEMutablePlotRange> united[2];
    for (const auto& plot : plots) {
        if (!plot)
            continue;
        for (int coordinate = 0; coordinate < 2; ++coordinate) {
            auto range = plot->plotRangeForCoordinate(static_cast<PECoordinate>(coordinate));
            if (!range)
                continue;
            if (united[coordinate])
                united[coordinate]->unionPlotRange(range);
            else
                united[coordinate] = range->mutableCopyRange();
        }
    }
    if (united[0])
        setXRange(united[0]->copyRange());
    if (united[1])
        setYRange(united[1]->copyRange());
}

void PEXYPlotSpace::scaleBy(CGFloat interactionScale, CGPoint plotAreaPoint)
{
    if (!(interactionScale > 1e-6) || !std::isfinite(interactionScale))
        return;
    double anchor[2];
    doublePrecisionPlotPoint(anchor, 2, plotAreaPoint);
    auto scaled = [interactionScale](const PEPlotRange& range, double about) {
        if (!std::isfinite(about))
            about = range.midPointDouble();
        double location = about - (about - range.locationDouble()) / interactionScale;
        double length = range.lengthDouble() / interactionScale;
        return PEPlotRange::plotRangeWithLocation(location, length);
    };
    setXRange(scaled(*m_xRange, anchor[0]));
    setYRange(scaled(*m_yRange, anchor[1]));
}

void PEXYPlotSpace::encodeWithCoder(NSCoder& coder) const
{
    PEPlotSpace::encodeWithCoder(coder);
    coder.encodeObject(m_xRange, "PEXYPlotSpace.xRange");
    coder.encodeObject(m_yRange, "PEXYPlotSpace.yRange");
    coder.encodeObject(m_globalXRange, "PEXYPlotSpace.globalXRange");
    coder.encodeObject(m_globalYRange, "PEXYPlotSpace.globalYRange");
    coder.encodeInt(m_xScaleType, "PEXYPlotSpace.xScaleType");
    coder.encodeInt(m_yScaleType, "PEXYPlotSpace.yScaleType");
}

bool PEXYPlotSpace::init(NSCoder& coder)
{
    if (!PEPlotSpace::init(coder))
        return false;
    init();
    if (auto range = coder.decodeObjectOfClass<PEPlotRange>("PEXYPlotSpace.xRange"))
        m_xRange = range;
    if (auto range = coder.decodeObjectOfClass<PEPlotRange>("PEXYPlotSpace.yRange"))
        m_yRange = range;
    m_globalXRange = coder.decodeObjectOfClass<PEPlotRange>("PEXYPlotSpace.globalXRange");
    m_globalYRange = coder.decodeObjectOfClass<PEPlotRange>("PEXYPlotSpace.globalYRange");
    m_xScaleType = coder.decodeIntForKey("PEXYPlotSpace.xScaleType") == PEScaleTypeLog ? PEScaleTypeLog : PEScaleTypeLinear;
    m_yScaleType = coder.decodeIntForKey("PEXYPlotSpace.yScaleType") == PEScaleTypeLog ? PEScaleTypeLog : PEScaleTypeLinear;
    return true;
}
