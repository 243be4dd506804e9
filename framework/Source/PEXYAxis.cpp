#include "framework/Source/PEXYAxis.h"

#include "framework/Source/NSCoder_PEExtensions.h"
#include "framework/Source/PEConstraints.h"
#include "framework/Source/PEExceptions.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PELimitBand.h"
#include "framework/Source/PELineCap.h"
#include "framework/Source/PELineStyle.h"
#include "framework/Source/PEMutablePlotRange.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotSpace.h"
#include "framework/Source/PEUtilities.h"
#include "platform/foundation/NSLog.h"

#include <algorithm>
#include <cmath>

void PEXYAxis::init()
{
    init(CGRectZero);
}

void PEXYAxis::init(CGRect frame)
{
    PEAxis::init(frame);
    m_orthogonalCoordinateDecimal = PEDecimalWithInt(0);
    setTickDirection(PESignNone);
}

void PEXYAxis::setOrthogonalCoordinateDecimal(const NSDecimal& value)
{
    if (NSDecimalCompare(&value, &m_orthogonalCoordinateDecimal) == NSOrderedSame)
        return;
    m_orthogonalCoordinateDecimal = value;
    setNeedsDisplay();
    setNeedsLayout();
}

void PEXYAxis::setCoordinate(PECoordinate coordinate)
{
    if (coordinate != PECoordinateX && coordinate != PECoordinateY)
        NSException::raise(NSInvalidArgumentException, "Invalid coordinate: %lu", static_cast<unsigned long>(coordinate));
    if (coordinate == this->coordinate())
        return;
    PEAxis::setCoordinate(coordinate);
    if (coordinate == PECoordinateX && labelAlignment() > PEAlignmentRight)
        setLabelAlignment(PEAlignmentCenter);
    if (coordinate == PECoordinateY && labelAlignment() < PEAlignmentTop)
        setLabelAlignment(PEAlignmentMiddle);
}

CGPoint PEXYAxis::viewPointForOrthogonalCoordinateDecimal(const NSDecimal& orthogonal, const NSDecimal& axisValue)
{
    NSDecimal plotPoint[2];
    plotPoint[coordinate()] = axisValue;
    plotPoint[PEOtherCoordinate(coordinate())] = orthogonal;
    if (!plotSpace())
        return CGPointZero;
    CGPoint point = plotSpace()->plotAreaViewPointForPlotPoint(plotPoint, 2);
    if (auto area = plotArea())
        point = convertPointFromLayer(point, area);
    return point;
}

void PEXYAxis::setAxisConstraints(const std::shared_ptr<PEConstraints>& constraints)
{
    if (m_axisConstraints && constraints && m_axisConstraints->isEqualToConstraint(constraints))
        return;
    if (!m_axisConstraints && !constraints)
        return;
    m_axisConstraints = constraints;
    setNeedsDisplay();
    setNeedsLayout();
}

CGPoint PEXYAxis::viewPointForCoordinateDecimalNumber(const NSDecimal& coordinateValue)
{
    CGPoint point = viewPointForOrthogonalCoordinateDecimal(m_orthogonalCoordinateDecimal, coordinateValue);
    auto orthogonalRange = plotSpace() ? plotSpace()->plotRangeForCoordinate(PEOtherCoordinate(coordinate())) : nullptr;
    if (m_axisConstraints && orthogonalRange) {
        CGFloat lower = 0, upper = 0;
        orthogonalCoordinateViewLowerBound(lower, upper);
        // A range of negative length puts its location above its end, and a degenerate mapping
        // gives NaN: the constraint gets the smaller and larger bound, and is skipped on NaN,
        // so drawing never raises.
        if (!std::isnan(lower) && !std::isnan(upper)) {
            CGFloat position = m_axisConstraints->positionForLowerBound(std::min(lower, upper), std::max(lower, upper));
            if (coordinate() == PECoordinateX)
                point.y = position;
            else
                point.x = position;
        }
    }
    if (std::isnan(point.x) || std::isnan(point.y)) {
        NSLog("[PEXYAxis viewPointForCoordinateDecimalNumber:%@] was %@", NSDecimalString(&coordinateValue), PEPointDescription(point));
        if (std::isnan(point.x))
            point.x = 0;
        if (std::isnan(point.y))
            point.y = 0;
    }
    return point;
}

void PEXYAxis::orthogonalCoordinateViewLowerBound(CGFloat& lower, CGFloat& upper)
{
    auto orthogonalRange = plotSpace() ? plotSpace()->plotRangeForCoordinate(PEOtherCoordinate(coordinate())) : nullptr;
    PEAssert(orthogonalRange, "The orthogonalRange was nil in orthogonalCoordinateViewLowerBound:upperBound:");
    NSDecimal zero = PEDecimalWithInt(0);
    CGPoint lowerPoint = viewPointForOrthogonalCoordinateDecimal(orthogonalRange->location(), zero);
    CGPoint upperPoint = viewPointForOrthogonalCoordinateDecimal(orthogonalRange->end(), zero);
    if (coordinate() == PECoordinateY) {
        lower = lowerPoint.x;
        upper = upperPoint.x;
    } else {
        lower = lowerPoint.y;
        upper = upperPoint.y;
    }
}

CGPoint PEXYAxis::alignedPoint(const CGContextRef& context, CGPoint point, const std::shared_ptr<PELineStyle>& style) const
{
    CGFloat width = style ? style->lineWidth() : 0;
    if (contentsScale() > 1.0 && std::round(width) == width)
        return PEPixelSnapPoint(context, point);
    return PEPixelAlignPoint(context, point);
}

void PEXYAxis::drawTicksInContext(const CGContextRef& context, const std::vector<NSDecimal>& locations, CGFloat length,
    const std::shared_ptr<PEPlotRange>& range, bool major)
{
    auto style = major ? majorTickLineStyle() : minorTickLineStyle();
    if (!style)
        return;
    style->setLineStyleInContext(context);
    CGContextBeginPath(context);
    CGFloat start = 0, end = 0;
    switch (tickDirection()) {
    case PESignNegative:
        start = 0;
        end = -1;
        break;
    case PESignNone:
        start = -0.5;
        end = 0.5;
        break;
    case PESignPositive:
        start = 0;
        end = 1;
        break;
    default:
        NSLog("Invalid sign in [PEXYAxis drawTicksInContext:]");
    }
    for (const auto& location : locations) {
        if (range && !range->contains(location))
            continue;
        CGPoint base = viewPointForCoordinateDecimalNumber(location);
        CGPoint from = base, to = base;
        if (coordinate() == PECoordinateX) {
            from.y += start * length;
            to.y += end * length;
        } else {
            from.x += start * length;
            to.x += end * length;
        }
        from = alignedPoint(context, from, style);
        to = alignedPoint(context, to, style);
        CGContextMoveToPoint(context, from.x, from.y);
        CGContextAddLineToPoint(context, to.x, to.y);
    }
    style->strokePathInContext(context);
}

void PEXYAxis::renderAsVectorInContext(const CGContextRef& context)
{
    if (isHidden())
        return;
    PEAxis::renderAsVectorInContext(context);
    relabel();

    auto range = visibleAxisCoordinateRange();
    bool filtered = labelingPolicy() == PEAxisLabelingPolicyNone || labelingPolicy() == PEAxisLabelingPolicyLocationsProvided;
    std::shared_ptr<PEPlotRange> filter = filtered ? std::static_pointer_cast<PEPlotRange>(range) : nullptr;
    if (filtered && !filter)
        filter = nullptr;
    drawTicksInContext(context, minorTickLocations(), minorTickLength(), filter, false);
    drawTicksInContext(context, majorTickLocations(), majorTickLength(), filter, true);

    if (!axisLineStyle() && !axisLineCapMin() && !axisLineCapMax())
        return;
    std::shared_ptr<PEPlotRange> lineRange = visibleAxisRange() ? visibleAxisRange() : std::static_pointer_cast<PEPlotRange>(range);
    NSDecimal zero = PEDecimalWithInt(0);
    NSDecimal location = lineRange ? lineRange->location() : zero;
    NSDecimal end = lineRange ? lineRange->end() : zero;
    if (auto style = axisLineStyle()) {
        CGPoint startPoint = alignedPoint(context, viewPointForCoordinateDecimalNumber(location), style);
        CGPoint endPoint = alignedPoint(context, viewPointForCoordinateDecimalNumber(end), style);
        style->setLineStyleInContext(context);
        CGContextBeginPath(context);
        CGContextMoveToPoint(context, startPoint.x, startPoint.y);
        CGContextAddLineToPoint(context, endPoint.x, endPoint.y);
        style->strokePathInContext(context);
    }
    // Each cap points outwards from the line. Which way that is on screen depends on the range
    // and on the plot space, either of which may run backwards, so it is read off the view points.
    const CGPoint minPoint = alignedPoint(context, viewPointForCoordinateDecimalNumber(lineRange ? lineRange->minLimit() : zero), axisLineStyle());
    const CGPoint maxPoint = alignedPoint(context, viewPointForCoordinateDecimalNumber(lineRange ? lineRange->maxLimit() : zero), axisLineStyle());
    const CGFloat along = coordinate() == PECoordinateX ? maxPoint.x - minPoint.x : maxPoint.y - minPoint.y;
    CGFloat sign = along > 0 ? 1 : -1;
    if (along == 0 || std::isnan(along))
        sign = !lineRange || lineRange->lengthDouble() >= 0 ? 1 : -1;
    const CGPoint direction = coordinate() == PECoordinateX ? CGPoint { sign, 0 } : CGPoint { 0, sign };
    if (auto cap = axisLineCapMin())
        cap->renderAsVectorInContext(context, minPoint, CGPoint { -direction.x, -direction.y });
    if (auto cap = axisLineCapMax())
        cap->renderAsVectorInContext(context, maxPoint, direction);
}

void PEXYAxis::drawGridLinesInContext(const CGContextRef& context, bool major)
{
    auto style = major ? majorGridLineStyle() : minorGridLineStyle();
    if (!style || !plotSpace())
        return;
    PEAxis::renderAsVectorInContext(context);
    relabel();
    const auto& locations = major ? majorTickLocations() : minorTickLocations();
    auto orthogonal = plotSpace()->plotRangeForCoordinate(PEOtherCoordinate(coordinate()));
    std::shared_ptr<PEMutablePlotRange> o = orthogonal ? orthogonal->mutableCopyRange() : nullptr;
    if (o && gridLinesRange())
        o->intersectionPlotRange(gridLinesRange());
    std::shared_ptr<PEPlotRange> filter;
    if (labelingPolicy() == PEAxisLabelingPolicyNone || labelingPolicy() == PEAxisLabelingPolicyLocationsProvided)
        filter = visibleAxisCoordinateRange();
    if (o && o->isEmpty())
        return;

    NSDecimal zero = PEDecimalWithInt(0);
    NSDecimal startPlotPoint[2], endPlotPoint[2];
    startPlotPoint[PEOtherCoordinate(coordinate())] = o ? o->location() : zero;
    endPlotPoint[PEOtherCoordinate(coordinate())] = o ? o->end() : zero;
    CGPoint offset = CGPointZero;
    if (auto area = plotArea())
        offset = convertPointFromLayer(area->bounds().origin, area);

    CGContextBeginPath(context);
    for (const auto& location : locations) {
        if (filter && !filter->contains(location))
            continue;
        startPlotPoint[coordinate()] = location;
        endPlotPoint[coordinate()] = location;
        CGPoint start = plotSpace()->plotAreaViewPointForPlotPoint(startPlotPoint, 2);
        CGPoint end = plotSpace()->plotAreaViewPointForPlotPoint(endPlotPoint, 2);
        if (std::isnan(start.x) || std::isnan(start.y) || std::isnan(end.x) || std::isnan(end.y))
            continue;
        start = alignedPoint(context, CGPoint { start.x + offset.x, start.y + offset.y }, style);
        end = alignedPoint(context, CGPoint { end.x + offset.x, end.y + offset.y }, style);
        CGContextMoveToPoint(context, start.x, start.y);
        CGContextAddLineToPoint(context, end.x, end.y);
    }
    style->setLineStyleInContext(context);
    style->strokePathInContext(context);
}

std::shared_ptr<PEMutablePlotRange> PEXYAxis::orthogonalRangeForBands() const
{
    auto orthogonal = plotSpace() ? plotSpace()->plotRangeForCoordinate(PEOtherCoordinate(coordinate())) : nullptr;
    if (!orthogonal)
        return nullptr;
    auto o = orthogonal->mutableCopyRange();
    if (gridLinesRange())
        o->intersectionPlotRange(gridLinesRange());
    return o;
}

namespace {

void fillBand(const CGContextRef& context, const PEFill& fill, CGPoint a, CGPoint b)
{
    CGRect rect { { std::min(a.x, b.x), std::min(a.y, b.y) }, { std::abs(a.x - b.x), std::abs(a.y - b.y) } };
    fill.fillRect(PEPixelSnapRect(context, rect), context);
}

} // namespace

void PEXYAxis::drawBackgroundBandsInContext(const CGContextRef& context)
{
    const auto& fills = alternatingBandFills();
    if (fills.empty() || majorTickLocations().empty() || !plotSpace())
        return;
    auto r = visibleAxisCoordinateRange();
    auto o = orthogonalRangeForBands();
    NSDecimal orthogonalStart = o ? o->location() : PEDecimalNotANumber();
    NSDecimal orthogonalEnd = o ? o->end() : PEDecimalNotANumber();
    auto locations = majorTickLocations();
    if (r && r->lengthDouble() < 0)
        std::reverse(locations.begin(), locations.end());
    auto viewPoint = [&](const NSDecimal& along, const NSDecimal& across) {
        NSDecimal plotPoint[2];
        plotPoint[coordinate()] = along;
        plotPoint[PEOtherCoordinate(coordinate())] = across;
        return plotSpace()->plotAreaViewPointForPlotPoint(plotPoint, 2);
    };
    NSDecimal last = r ? r->location() : PEDecimalNotANumber();
    std::size_t index = 0;
    for (const auto& value : locations) {
        NSDecimal difference = PEDecimalDifference(value, last);
        if (!PEDecimalIsEqual(difference, PEDecimalWithInt(0))) {
            const auto& fill = fills[index];
            index = (index + 1) % fills.size();
            if (fill)
                fillBand(context, *fill, viewPoint(value, orthogonalStart), viewPoint(last, orthogonalEnd));
        }
        last = value;
    }
    NSDecimal end = r ? r->end() : PEDecimalNotANumber();
    if (!PEDecimalIsEqual(last, end)) {
        if (const auto& fill = fills[index])
            fillBand(context, *fill, viewPoint(end, orthogonalStart), viewPoint(last, orthogonalEnd));
    }
}

void PEXYAxis::drawBackgroundLimitsInContext(const CGContextRef& context)
{
    if (backgroundLimitBands().empty() || !plotSpace())
        return;
    auto r = visibleAxisCoordinateRange();
    auto o = orthogonalRangeForBands();
    NSDecimal orthogonalStart = o ? o->location() : PEDecimalNotANumber();
    NSDecimal orthogonalEnd = o ? o->end() : PEDecimalNotANumber();
    for (const auto& band : backgroundLimitBands()) {
        if (!band->fill() || !band->range())
            continue;
        auto range = band->range()->mutableCopyRange();
        range->intersectionPlotRange(r);
        if (range->isEmpty())
            continue;
        NSDecimal a[2], b[2];
        a[coordinate()] = range->location();
        a[PEOtherCoordinate(coordinate())] = orthogonalStart;
        b[coordinate()] = range->end();
        b[PEOtherCoordinate(coordinate())] = orthogonalEnd;
        fillBand(context, *band->fill(), plotSpace()->plotAreaViewPointForPlotPoint(a, 2), plotSpace()->plotAreaViewPointForPlotPoint(b, 2));
    }
}

NSDecimal PEXYAxis::defaultTitleLocation()
{
    auto range = plotSpace() ? plotSpace()->plotRangeForCoordinate(coordinate()) : nullptr;
    if (!range)
        return PEDecimalWithInt(0);
    // A log axis shows only values above 0, so both ends must be.
    if (plotSpace()->scaleTypeForCoordinate(coordinate()) == PEScaleTypeLog && range->locationDouble() > 0 && range->endDouble() > 0) {
        double mean = (std::log10(range->locationDouble()) + std::log10(range->endDouble())) / 2;
        return PEDecimalWithDouble(std::pow(10.0, mean));
    }
    return range->midPoint();
}

NSString PEXYAxis::description() const
{
    auto self = std::const_pointer_cast<PEXYAxis>(this->self());
    auto range = plotSpace() ? plotSpace()->plotRangeForCoordinate(coordinate()) : nullptr;
    NSDecimal zero = PEDecimalWithInt(0);
    return NSString::stringWithFormat("<%@ with range: %@ viewCoordinates: %@ to %@>", PELayer::description(),
        range ? range->description() : NSString("(null)"), PEPointDescription(self->viewPointForCoordinateDecimalNumber(range ? range->location() : zero)),
        PEPointDescription(self->viewPointForCoordinateDecimalNumber(range ? range->end() : zero)));
}

void PEXYAxis::encodeWithCoder(NSCoder& coder) const
{
    PEAxis::encodeWithCoder(coder);
    NSCoder_PEExtensions::encodeDecimal(coder, m_orthogonalCoordinateDecimal, "PEXYAxis.orthogonalCoordinateDecimal");
    coder.encodeObject(m_axisConstraints, "PEXYAxis.axisConstraints");
}

bool PEXYAxis::init(NSCoder& coder)
{
    if (!PEAxis::init(coder))
        return false;
    m_orthogonalCoordinateDecimal = NSCoder_PEExtensions::decodeDecimalForKey(coder, "PEXYAxis.orthogonalCoordinateDecimal");
    m_axisConstraints = coder.decodeObjectOfClass<PEConstraints>("PEXYAxis.axisConstraints");
    return true;
}

void PEXYAxis::init(const CALayer& layer)
{
    PEAxis::init(layer);
    auto model = dynamic_cast<const PEXYAxis*>(&layer);
    if (!model)
        return;
    m_orthogonalCoordinateDecimal = model->m_orthogonalCoordinateDecimal;
    m_axisConstraints = model->m_axisConstraints;
}
