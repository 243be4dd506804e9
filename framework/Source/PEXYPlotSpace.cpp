#include "framework/Source/PEXYPlotSpace.h"

#include "framework/Source/PEAnimation_PEAnimationPeriodAdditions.h"
#include "framework/Source/PEExceptions.h"
#include "framework/Source/PEGraph.h"
#include "framework/Source/PEMutablePlotRange.h"
#include "framework/Source/PEPlot.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEUtilities.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/SystemClock.h"
#include "platform/uikit/UIEvent.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

// The release speed is measured over the finger's last moments, so a finger that rests before
// lifting does not throw the graph.
constexpr NSTimeInterval velocityWindow = 0.1;
// Plot-area points per second.
constexpr double minimumGlideSpeed = 20;
// Points per second squared: the glide slows evenly, as the quadratic ease-out curve does.
constexpr double glideDeceleration = 2000;
constexpr double longestGlide = 1.0;
// How far a glide may carry a range beyond its global range, as a share of the plot area.
constexpr double overshootShare = 0.1;
constexpr double bounceDuration = 0.4;

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

std::shared_ptr<PEPlotArea> PEXYPlotSpace::plotArea() const
{
    if (auto owner = graph()) {
        if (auto frame = owner->plotAreaFrame())
            return frame->plotArea();
    }
    return nullptr;
}

CGSize PEXYPlotSpace::plotAreaSize() const
{
    auto area = plotArea();
    return area ? area->bounds().size : CGSizeZero;
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
    auto adjusted = m_allowsMomentumX ? range : constrainedRange(range, m_globalXRange);
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
    auto adjusted = m_allowsMomentumY ? range : constrainedRange(range, m_globalYRange);
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
    // A pinch is no drag: it stays inside the global ranges even where momentum lets drags out.
    setXRange(constrainedRange(scaled(*m_xRange, anchor[0]), m_globalXRange));
    setYRange(constrainedRange(scaled(*m_yRange, anchor[1]), m_globalYRange));
}

// MARK: Dragging, gliding and bouncing

void PEXYPlotSpace::setAllowsMomentum(bool allows)
{
    m_allowsMomentumX = allows;
    m_allowsMomentumY = allows;
}

double PEXYPlotSpace::extentFor(PECoordinate coordinate) const
{
    CGSize size = plotAreaSize();
    return coordinate == PECoordinateY ? size.height : size.width;
}

std::shared_ptr<PEPlotRange> PEXYPlotSpace::rangeShiftedBy(PECoordinate coordinate, double points) const
{
    const auto& range = coordinate == PECoordinateY ? m_yRange : m_xRange;
    const double extent = extentFor(coordinate);
    if (!(extent > 0) || !std::isfinite(points) || points == 0)
        return range;
    if (scaleTypeForCoordinate(coordinate) == PEScaleTypeLog) {
        double location = logDataCoordinate(points, range->locationDouble(), range->lengthDouble(), extent);
        double end = logDataCoordinate(extent + points, range->locationDouble(), range->lengthDouble(), extent);
        if (!std::isfinite(location) || !std::isfinite(end))
            return range;
        return PEPlotRange::plotRangeWithLocation(location, end - location);
    }
    // The length stays exact, so moving a range never changes its scale.
    NSDecimal shift = PEDecimalWithDouble(points / extent * range->lengthDouble());
    return PEPlotRange::plotRangeWithLocation(PEDecimalSum(range->location(), shift), range->length());
}

double PEXYPlotSpace::pointsBetween(PECoordinate coordinate, const PEPlotRange& from, const PEPlotRange& to) const
{
    const double extent = extentFor(coordinate);
    double points = scaleTypeForCoordinate(coordinate) == PEScaleTypeLog
        ? logViewCoordinate(to.locationDouble(), from.locationDouble(), from.lengthDouble(), extent)
        : linearViewCoordinate(to.locationDouble(), from.locationDouble(), from.lengthDouble(), extent);
    return std::isfinite(points) ? points : 0;
}

void PEXYPlotSpace::stopAnimations()
{
    auto operations = std::move(m_animations);
    m_animations.clear();
    auto scheduler = PEAnimation::sharedInstance();
    for (const auto& operation : operations)
        scheduler->removeAnimationOperation(operation);
}

bool PEXYPlotSpace::pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint)
{
    if (!m_allowsUserInteraction)
        return false;
    auto area = plotArea();
    auto owner = graph();
    if (!area || !owner)
        return false;
    CGPoint point = area->convertPointFromLayer(interactionPoint, owner);
    if (!CGRectContainsPoint(area->bounds(), point))
        return false;
    // The ranges stay where the glide or bounce has brought them.
    stopAnimations();
    m_isDragging = true;
    m_lastDragPoint = point;
    m_dragSamples.clear();
    m_dragSamples.push_back({ event ? event->timestamp() : SystemClock::monotonicNow(), point });
    return true;
}

void PEXYPlotSpace::dragTo(CGPoint plotAreaPoint, NSTimeInterval time)
{
    if (!std::isfinite(plotAreaPoint.x) || !std::isfinite(plotAreaPoint.y))
        return;
    const double dx = plotAreaPoint.x - m_lastDragPoint.x;
    const double dy = plotAreaPoint.y - m_lastDragPoint.y;
    m_lastDragPoint = plotAreaPoint;
    // The data under the finger stays under it: the ranges move against the finger.
    if (dx != 0)
        setXRange(rangeShiftedBy(PECoordinateX, -dx));
    if (dy != 0)
        setYRange(rangeShiftedBy(PECoordinateY, -dy));
    m_dragSamples.push_back({ time, plotAreaPoint });
    while (m_dragSamples.size() > 2 && m_dragSamples.front().time < time - velocityWindow)
        m_dragSamples.pop_front();
}

CGPoint PEXYPlotSpace::releaseVelocity() const
{
    if (m_dragSamples.size() < 2)
        return CGPointZero;
    const DragSample& last = m_dragSamples.back();
    // The oldest sample within the window before the release (the last one at least).
    auto first = std::find_if(m_dragSamples.begin(), m_dragSamples.end(),
        [&](const DragSample& sample) { return sample.time >= last.time - velocityWindow; });
    const NSTimeInterval span = last.time - first->time;
    if (!(span > 0))
        return CGPointZero;
    return CGPoint { (last.point.x - first->point.x) / span, (last.point.y - first->point.y) / span };
}

bool PEXYPlotSpace::pointingDeviceDraggedEvent(const UIEventRef& event, CGPoint interactionPoint)
{
    auto area = plotArea();
    auto owner = graph();
    if (!m_isDragging || !area || !owner)
        return false;
    dragTo(area->convertPointFromLayer(interactionPoint, owner), event ? event->timestamp() : SystemClock::monotonicNow());
    return true;
}

bool PEXYPlotSpace::pointingDeviceUpEvent(const UIEventRef& event, CGPoint interactionPoint)
{
    auto area = plotArea();
    auto owner = graph();
    if (!m_isDragging)
        return false;
    if (area && owner)
        dragTo(area->convertPointFromLayer(interactionPoint, owner), event ? event->timestamp() : SystemClock::monotonicNow());
    endDrag(releaseVelocity());
    return true;
}

bool PEXYPlotSpace::pointingDeviceCancelledEvent(const UIEventRef&)
{
    if (!m_isDragging)
        return false;
    endDrag(CGPointZero);
    return true;
}

void PEXYPlotSpace::endDrag(CGPoint velocity)
{
    m_isDragging = false;
    m_dragSamples.clear();
    if (m_allowsMomentumX)
        glide(PECoordinateX, velocity.x);
    if (m_allowsMomentumY)
        glide(PECoordinateY, velocity.y);
}

void PEXYPlotSpace::glide(PECoordinate coordinate, double velocity)
{
    using namespace PEAnimation_PEAnimationPeriodAdditions;
    const NSString property = coordinate == PECoordinateY ? "yRange" : "xRange";
    const auto current = plotRangeForCoordinate(coordinate);
    const auto& global = globalRangeFor(coordinate);
    const std::weak_ptr<PEAnimationDelegate> delegate = std::static_pointer_cast<PEAnimationDelegate>(self());
    const bool fitsInGlobal = !global
        || PEDecimalIsLessOrEqual(PEDecimalDifference(current->maxLimit(), current->minLimit()), PEDecimalDifference(global->maxLimit(), global->minLimit()));

    // The range moves against the finger; a constant deceleration ends the glide.
    double shift = 0;
    double duration = 0;
    if (std::fabs(velocity) >= minimumGlideSpeed && fitsInGlobal && extentFor(coordinate) > 0) {
        duration = std::min(std::fabs(velocity) / glideDeceleration, longestGlide);
        shift = -velocity * duration / 2;
        if (global) {
            auto glided = rangeShiftedBy(coordinate, shift);
            const double back = std::fabs(pointsBetween(coordinate, *glided, *constrainedRange(glided, global)));
            const double excess = back - overshootShare * extentFor(coordinate);
            if (excess > 0) {
                const double shorter = std::fabs(shift) - excess;
                shift = shorter > 0 ? std::copysign(shorter, shift) : 0;
                duration = 2 * std::fabs(shift) / std::fabs(velocity);
            }
        }
    }

    auto target = rangeShiftedBy(coordinate, shift);
    double bounceDelay = 0;
    if (shift != 0 && duration > 0 && !target->isEqual(current)) {
        m_animations.push_back(animate(self(), property, current, target, duration, 0.0, m_momentumAnimationCurve, delegate));
        bounceDelay = duration;
    }
    if (global) {
        auto settled = constrainedRange(target, global);
        if (!settled->isEqual(target)) {
            // Starts from wherever the glide really ended.
            m_animations.push_back(animate(self(), property, std::shared_ptr<PEPlotRange>(), settled, bounceDuration, bounceDelay, m_bounceAnimationCurve, delegate));
        }
    }
}

void PEXYPlotSpace::animationDidFinish(PEAnimationOperation& operation)
{
    std::erase_if(m_animations, [&](const auto& member) { return member.get() == &operation; });
}

void PEXYPlotSpace::animationCancelled(PEAnimationOperation& operation)
{
    std::erase_if(m_animations, [&](const auto& member) { return member.get() == &operation; });
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
    coder.encodeBool(m_allowsUserInteraction, "PEXYPlotSpace.allowsUserInteraction");
    coder.encodeBool(m_allowsMomentumX, "PEXYPlotSpace.allowsMomentumX");
    coder.encodeBool(m_allowsMomentumY, "PEXYPlotSpace.allowsMomentumY");
    coder.encodeInt(m_momentumAnimationCurve, "PEXYPlotSpace.momentumAnimationCurve");
    coder.encodeInt(m_bounceAnimationCurve, "PEXYPlotSpace.bounceAnimationCurve");
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
    m_allowsUserInteraction = coder.decodeBoolForKey("PEXYPlotSpace.allowsUserInteraction");
    m_allowsMomentumX = coder.decodeBoolForKey("PEXYPlotSpace.allowsMomentumX");
    m_allowsMomentumY = coder.decodeBoolForKey("PEXYPlotSpace.allowsMomentumY");
    // A curve without a timing function would leave the range stuck where a glide began.
    auto curve = [&coder](const char* key) {
        if (!coder.containsValueForKey(key))
            return PEAnimationCurveQuadraticOut;
        auto code = static_cast<PEAnimationCurve>(coder.decodeIntForKey(key));
        return code == PEAnimationCurveDefault || PEAnimationTimingFunctionForCurve(code) ? code : PEAnimationCurveQuadraticOut;
    };
    m_momentumAnimationCurve = curve("PEXYPlotSpace.momentumAnimationCurve");
    m_bounceAnimationCurve = curve("PEXYPlotSpace.bounceAnimationCurve");
    return true;
}
