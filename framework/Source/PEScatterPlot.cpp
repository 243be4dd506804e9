#include "framework/Source/PEScatterPlot.h"

#include "framework/Source/NSCoder_PEExtensions.h"
#include "framework/Source/PEExceptions.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PEGraph.h"
#include "framework/Source/PELegend.h"
#include "framework/Source/PELineStyle.h"
#include "framework/Source/PEMutableNumericData.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotRange.h"
#include "framework/Source/PEPlotSpaceAnnotation.h"
#include "framework/Source/PEPlotSymbol.h"
#include "framework/Source/PEUtilities.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "platform/foundation/NSDecimalNumber.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/CGPath.h"

#include <cmath>
#include <functional>

namespace {

bool isNaNPoint(CGPoint point) { return std::isnan(point.x) || std::isnan(point.y); }

// Traces the runs of present points from start to end: a missing point ends a run, and each run is
// closed down to the baseline where there is one. `join` draws to a point from the one before it.
void traceDataLine(const CGMutablePathRef& path, const std::vector<CGPoint>& viewPoints, NSUInteger start, NSUInteger end,
    CGFloat baselineYValue, const std::function<void(NSUInteger, CGPoint, CGPoint)>& join)
{
    bool lastPointSkipped = true;
    CGPoint previous {};
    CGFloat firstX = 0;
    auto closeRun = [&] {
        if (!lastPointSkipped && !std::isnan(baselineYValue)) {
            CGPathAddLineToPoint(path, nullptr, previous.x, baselineYValue);
            CGPathAddLineToPoint(path, nullptr, firstX, baselineYValue);
            CGPathCloseSubpath(path);
        }
    };
    for (NSUInteger i = start; i < end; ++i) {
        const CGPoint point = viewPoints[i];
        if (isNaNPoint(point)) {
            closeRun();
            lastPointSkipped = true;
            continue;
        }
        if (lastPointSkipped) {
            CGPathMoveToPoint(path, nullptr, point.x, point.y);
            firstX = point.x;
            lastPointSkipped = false;
        } else {
            join(i, previous, point);
        }
        previous = point;
    }
    closeRun();
}

} // namespace

void PEScatterPlot::init(CGRect frame)
{
    PEPlot::init(frame);
    m_dataLineStyle = PELineStyle::lineStyle();
    m_areaBaseValue = PEDecimalNotANumber();
    m_areaBaseValue2 = PEDecimalNotANumber();
    setLabelField(PEScatterPlotFieldY);
}

void PEScatterPlot::postLegendRedraw()
{
    NSNotificationCenter::defaultCenter()->postNotificationName(PELegendNeedsRedrawForPlotNotification, self());
}

void PEScatterPlot::setInterpolation(PEScatterPlotInterpolation interpolation)
{
    if (interpolation == m_interpolation)
        return;
    m_interpolation = interpolation;
    setNeedsDisplay();
}

void PEScatterPlot::setDataLineStyle(const std::shared_ptr<PELineStyle>& style)
{
    if (style == m_dataLineStyle)
        return;
    m_dataLineStyle = style ? style->copyStyle() : nullptr;
    setNeedsDisplay();
    postLegendRedraw();
}

void PEScatterPlot::setPlotSymbol(const std::shared_ptr<PEPlotSymbol>& symbol)
{
    if (symbol == m_plotSymbol)
        return;
    m_plotSymbol = symbol ? std::static_pointer_cast<PEPlotSymbol>(symbol->copy()) : nullptr;
    setNeedsDisplay();
    postLegendRedraw();
}

void PEScatterPlot::setAreaFill(const std::shared_ptr<PEFill>& fill)
{
    if (fill == m_areaFill)
        return;
    m_areaFill = fill ? std::static_pointer_cast<PEFill>(fill->copy()) : nullptr;
    setNeedsDisplay();
    postLegendRedraw();
}

void PEScatterPlot::setAreaFill2(const std::shared_ptr<PEFill>& fill)
{
    if (fill == m_areaFill2)
        return;
    m_areaFill2 = fill ? std::static_pointer_cast<PEFill>(fill->copy()) : nullptr;
    setNeedsDisplay();
    postLegendRedraw();
}

void PEScatterPlot::setAreaBaseValue(const NSDecimal& value)
{
    if (PEDecimalIsEqual(value, m_areaBaseValue))
        return;
    m_areaBaseValue = value;
    setNeedsDisplay();
    postLegendRedraw();
}

void PEScatterPlot::setAreaBaseValue2(const NSDecimal& value)
{
    if (PEDecimalIsEqual(value, m_areaBaseValue2))
        return;
    m_areaBaseValue2 = value;
    setNeedsDisplay();
    postLegendRedraw();
}

std::shared_ptr<PEPlotSymbol> PEScatterPlot::plotSymbolForRecordIndex(NSUInteger index) const
{
    return cachedStyleForKey("plotSymbols", index, m_plotSymbol);
}

std::vector<NSUInteger> PEScatterPlot::fieldIdentifiersForCoordinate(PECoordinate coordinate) const
{
    return fieldsAlongCoordinate(coordinate, { PEScatterPlotFieldX }, { PEScatterPlotFieldY });
}

void PEScatterPlot::reloadDataInIndexRange(NSRange indexRange)
{
    PEPlot::reloadDataInIndexRange(indexRange);
    cacheNumbersFromDataSource(indexRange, PEScatterPlotFieldY + 1);
    auto source = std::dynamic_pointer_cast<PEScatterPlotDataSource>(dataSource());
    if (!source)
        return;
    cacheStyleArrayOfRecords("plotSymbols", indexRange, [&]() { return source->symbolsForScatterPlot(*this, indexRange); },
        [&](NSUInteger index) { return source->symbolForScatterPlot(*this, index); });
}

// Choosing and mapping points.

bool PEScatterPlot::needsEveryPoint() const
{
    return m_areaFill || m_areaFill2 || m_interpolation == PEScatterPlotInterpolationCurved
        || (m_dataLineStyle && (!m_dataLineStyle->dashPattern().empty() || m_dataLineStyle->lineFill()));
}

void PEScatterPlot::calculatePointsToDraw(std::vector<bool>& flags, const PEXYPlotSpace& space, bool visibleOnly, NSUInteger count) const
{
    flags.assign(count, false);
    if (count == 0)
        return;
    if (needsEveryPoint()) {
        flags.assign(count, true);
        return;
    }
    auto xRange = space.xRange();
    auto yRange = space.yRange();
    std::vector<int> xFlags(count);
    std::vector<int> yFlags(count);
    std::vector<bool> nanFlags(count);
    const bool doubles = doublePrecisionCache();
    for (NSUInteger i = 0; i < count; ++i) {
        if (doubles) {
            const double x = cachedDoubleForField(PEScatterPlotFieldX, i);
            const double y = cachedDoubleForField(PEScatterPlotFieldY, i);
            xFlags[i] = xRange ? xRange->compareToDouble(x) : 1;
            yFlags[i] = xFlags[i] == 1 && yRange ? yRange->compareToDouble(y) : 1;
            nanFlags[i] = std::isnan(x) || std::isnan(y);
        } else {
            const NSDecimal x = cachedDecimalForField(PEScatterPlotFieldX, i);
            const NSDecimal y = cachedDecimalForField(PEScatterPlotFieldY, i);
            nanFlags[i] = NSDecimalIsNotANumber(&x) || NSDecimalIsNotANumber(&y);
            xFlags[i] = xRange && !NSDecimalIsNotANumber(&x) ? xRange->compareToDecimal(x) : 1;
            yFlags[i] = xFlags[i] == 1 && yRange && !NSDecimalIsNotANumber(&y) ? yRange->compareToDecimal(y) : 1;
        }
    }
    auto visible = [&](NSUInteger i) { return xFlags[i] == 1 && yFlags[i] == 1 && !nanFlags[i]; };
    flags[0] = visible(0);
    for (NSUInteger i = 1; i < count; ++i) {
        if (!visibleOnly && !nanFlags[i - 1] && !nanFlags[i] && (xFlags[i - 1] != xFlags[i] || yFlags[i - 1] != yFlags[i])) {
            flags[i - 1] = true;
            flags[i] = true;
        } else if (visible(i)) {
            flags[i] = true;
        }
    }
}

void PEScatterPlot::calculateViewPoints(std::vector<CGPoint>& viewPoints, const std::vector<bool>& flags, NSUInteger count) const
{
    viewPoints.assign(count, CGPoint { NAN, NAN });
    auto space = plotSpace();
    if (!space)
        return;
    const bool doubles = doublePrecisionCache();
    for (NSUInteger i = 0; i < count; ++i) {
        if (!flags[i])
            continue;
        if (doubles) {
            const double point[2] = { cachedDoubleForField(PEScatterPlotFieldX, i), cachedDoubleForField(PEScatterPlotFieldY, i) };
            if (std::isnan(point[0]) || std::isnan(point[1]))
                continue;
            viewPoints[i] = space->plotAreaViewPointForDoublePrecisionPlotPoint(point, 2);
        } else {
            const NSDecimal point[2] = { cachedDecimalForField(PEScatterPlotFieldX, i), cachedDecimalForField(PEScatterPlotFieldY, i) };
            if (NSDecimalIsNotANumber(&point[0]) || NSDecimalIsNotANumber(&point[1]))
                continue;
            viewPoints[i] = space->plotAreaViewPointForPlotPoint(point, 2);
        }
    }
}

void PEScatterPlot::alignViewPointsToUserSpace(std::vector<CGPoint>& viewPoints, const CGContextRef& context, const std::vector<bool>& flags, NSUInteger count) const
{
    const bool crisp = m_dataLineStyle && m_dataLineStyle->lineWidth() > 0;
    for (NSUInteger i = 0; i < count; ++i) {
        if (flags[i] && !isNaNPoint(viewPoints[i]))
            viewPoints[i] = crisp ? PEPixelAlignPoint(context, viewPoints[i]) : PEPixelSnapPoint(context, viewPoints[i]);
    }
}

NSUInteger PEScatterPlot::extremeDrawnPointIndexForFlags(const std::vector<bool>& flags, NSUInteger count, bool lowerBound)
{
    if (count == 0)
        return NSNotFound;
    if (lowerBound) {
        for (NSUInteger i = 0; i < count; ++i) {
            if (flags[i])
                return i;
        }
    } else {
        for (NSUInteger i = count; i-- > 0;) {
            if (flags[i])
                return i;
        }
    }
    return NSNotFound;
}

NSUInteger PEScatterPlot::indexOfVisiblePointClosestToPlotAreaPoint(CGPoint point)
{
    const NSUInteger count = cachedDataCount();
    auto space = std::dynamic_pointer_cast<PEXYPlotSpace>(plotSpace());
    if (!space || count == 0)
        return NSNotFound;
    std::vector<bool> flags;
    std::vector<CGPoint> viewPoints;
    calculatePointsToDraw(flags, *space, true, count);
    calculateViewPoints(viewPoints, flags, count);
    NSUInteger best = NSNotFound;
    CGFloat bestDistance = INFINITY;
    for (NSUInteger i = 0; i < count; ++i) {
        if (!flags[i] || isNaNPoint(viewPoints[i]))
            continue;
        const CGFloat distance = PEPointDistanceSquared(viewPoints[i], point);
        if (best == NSNotFound || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

CGPoint PEScatterPlot::plotAreaPointOfVisiblePointAtIndex(NSUInteger index)
{
    if (!(index < cachedDataCount()))
        PEParameterAssertionFailed("idx < self.cachedDataCount");
    auto space = plotSpace();
    if (!space)
        return CGPoint { NAN, NAN };
    if (doublePrecisionCache()) {
        const double point[2] = { cachedDoubleForField(PEScatterPlotFieldX, index), cachedDoubleForField(PEScatterPlotFieldY, index) };
        return space->plotAreaViewPointForDoublePrecisionPlotPoint(point, 2);
    }
    const NSDecimal point[2] = { cachedDecimalForField(PEScatterPlotFieldX, index), cachedDecimalForField(PEScatterPlotFieldY, index) };
    return space->plotAreaViewPointForPlotPoint(point, 2);
}

// Paths.

CGPathRef PEScatterPlot::newDataLinePathForViewPoints(const std::vector<CGPoint>& viewPoints, NSRange indexRange, CGFloat baselineYValue) const
{
    if (m_interpolation == PEScatterPlotInterpolationCurved)
        return newCurvedDataLinePathForViewPoints(viewPoints, indexRange, baselineYValue);
    auto path = CGPathCreateMutable();
    const NSUInteger end = std::min<NSUInteger>(NSMaxRange(indexRange), viewPoints.size());
    traceDataLine(path, viewPoints, indexRange.location, end, baselineYValue, [&](NSUInteger, CGPoint previous, CGPoint point) {
        switch (m_interpolation) {
        case PEScatterPlotInterpolationLinear:
            CGPathAddLineToPoint(path, nullptr, point.x, point.y);
            break;
        case PEScatterPlotInterpolationStepped:
            CGPathAddLineToPoint(path, nullptr, point.x, previous.y);
            CGPathAddLineToPoint(path, nullptr, point.x, point.y);
            break;
        case PEScatterPlotInterpolationHistogram: {
            const CGFloat middle = (previous.x + point.x) * 0.5;
            CGPathAddLineToPoint(path, nullptr, middle, previous.y);
            CGPathAddLineToPoint(path, nullptr, middle, point.y);
            CGPathAddLineToPoint(path, nullptr, point.x, point.y);
            break;
        }
        default:
            PERaise("Interpolation method not supported in scatter plot.");
        }
    });
    return path;
}

CGPathRef PEScatterPlot::newCurvedDataLinePathForViewPoints(const std::vector<CGPoint>& viewPoints, NSRange indexRange, CGFloat baselineYValue) const
{
    auto path = CGPathCreateMutable();
    const NSUInteger end = std::min<NSUInteger>(NSMaxRange(indexRange), viewPoints.size());
    if (end == 0)
        return path;
    std::vector<CGPoint> controls1(end);
    std::vector<CGPoint> controls2(end);
    NSUInteger runStart = NSNotFound;
    for (NSUInteger i = indexRange.location; i <= end; ++i) {
        const bool valid = i < end && !isNaNPoint(viewPoints[i]);
        if (valid && runStart == NSNotFound)
            runStart = i;
        if (!valid && runStart != NSNotFound) {
            computeControlPoints(controls1, controls2, viewPoints, NSMakeRange(runStart, i - runStart));
            runStart = NSNotFound;
        }
    }
    traceDataLine(path, viewPoints, indexRange.location, end, baselineYValue, [&](NSUInteger i, CGPoint, CGPoint point) {
        CGPathAddCurveToPoint(path, nullptr, controls1[i].x, controls1[i].y, controls2[i].x, controls2[i].y, point.x, point.y);
    });
    return path;
}

void PEScatterPlot::computeControlPoints(std::vector<CGPoint>& points1, std::vector<CGPoint>& points2, const std::vector<CGPoint>& viewPoints, NSRange indexRange)
{
    const NSUInteger k = indexRange.length;
    const NSUInteger s = indexRange.location;
    if (k == 2) {
        points1[s + 1] = viewPoints[s];
        points2[s + 1] = viewPoints[s + 1];
        return;
    }
    if (k < 2)
        return;
    const NSUInteger m = k - 1;
    auto p = [&](NSUInteger i) { return viewPoints[s + i]; };
    std::vector<CGFloat> lower(m), diagonal(m), upper(m);
    std::vector<CGPoint> right(m), first(m);
    for (NSUInteger i = 0; i < m; ++i) {
        if (i == 0) {
            lower[i] = 0;
            diagonal[i] = 2;
            upper[i] = 1;
            right[i] = CGPoint { p(0).x + 2 * p(1).x, p(0).y + 2 * p(1).y };
        } else if (i == m - 1) {
            lower[i] = 2;
            diagonal[i] = 7;
            upper[i] = 0;
            right[i] = CGPoint { 8 * p(m - 1).x + p(m).x, 8 * p(m - 1).y + p(m).y };
        } else {
            lower[i] = 1;
            diagonal[i] = 4;
            upper[i] = 1;
            right[i] = CGPoint { 4 * p(i).x + 2 * p(i + 1).x, 4 * p(i).y + 2 * p(i + 1).y };
        }
    }
    for (NSUInteger i = 1; i < m; ++i) {
        const CGFloat w = lower[i] / diagonal[i - 1];
        diagonal[i] -= w * upper[i - 1];
        right[i] = CGPoint { right[i].x - w * right[i - 1].x, right[i].y - w * right[i - 1].y };
    }
    first[m - 1] = CGPoint { right[m - 1].x / diagonal[m - 1], right[m - 1].y / diagonal[m - 1] };
    for (NSUInteger i = m - 1; i-- > 0;)
        first[i] = CGPoint { (right[i].x - upper[i] * first[i + 1].x) / diagonal[i], (right[i].y - upper[i] * first[i + 1].y) / diagonal[i] };
    for (NSUInteger i = 0; i < m; ++i) {
        points1[s + i + 1] = first[i];
        if (i + 1 < m)
            points2[s + i + 1] = CGPoint { 2 * p(i + 1).x - first[i + 1].x, 2 * p(i + 1).y - first[i + 1].y };
        else
            points2[s + i + 1] = CGPoint { (p(m).x + first[i].x) * 0.5, (p(m).y + first[i].y) * 0.5 };
    }
}

// Drawing.

void PEScatterPlot::renderAsVectorInContext(const CGContextRef& context)
{
    if (isHidden())
        return;
    auto xs = cachedNumbersForField(PEScatterPlotFieldX);
    auto ys = cachedNumbersForField(PEScatterPlotFieldY);
    const NSUInteger count = cachedDataCount();
    auto symbols = plotSymbols();
    const bool anySymbols = m_plotSymbol || (symbols && symbols->count() > 0);
    if (!xs || !ys || count == 0 || (!m_dataLineStyle && !m_areaFill && !m_areaFill2 && !anySymbols))
        return;
    if (xs->numberOfSamples() != ys->numberOfSamples())
        PERaise("Number of x and y values do not match");
    auto space = std::dynamic_pointer_cast<PEXYPlotSpace>(plotSpace());
    if (!space)
        return;
    PEPlot::renderAsVectorInContext(context);

    std::vector<bool> flags;
    std::vector<CGPoint> viewPoints;
    calculatePointsToDraw(flags, *space, false, count);
    calculateViewPoints(viewPoints, flags, count);
    if (alignsPointsToPixels())
        alignViewPointsToUserSpace(viewPoints, context, flags, count);
    const NSUInteger first = extremeDrawnPointIndexForFlags(flags, count, true);
    const NSUInteger last = extremeDrawnPointIndexForFlags(flags, count, false);
    if (first == NSNotFound)
        return;
    const NSRange range = NSMakeRange(first, last - first + 1);

    const std::pair<std::shared_ptr<PEFill>, NSDecimal> areas[] = { { m_areaFill, m_areaBaseValue }, { m_areaFill2, m_areaBaseValue2 } };
    for (const auto& [fill, baseValue] : areas) {
        if (!fill || NSDecimalIsNotANumber(&baseValue))
            continue;
        if (m_dataLineStyle) {
            CGContextSaveGState(context);
            CGContextSetShadowWithColor(context, CGSize {}, 0, nullptr);
        }
        const NSDecimal basePoint[2] = { cachedDecimalForField(PEScatterPlotFieldX, first), baseValue };
        CGPoint base = space->plotAreaViewPointForPlotPoint(basePoint, 2);
        if (auto area = plotArea())
            base = convertPointFromLayer(base, area);
        if (alignsPointsToPixels())
            base = PEPixelSnapPoint(context, base);
        auto path = newDataLinePathForViewPoints(viewPoints, range, base.y);
        CGContextBeginPath(context);
        CGContextAddPath(context, path);
        fill->fillPathInContext(context);
        if (m_dataLineStyle)
            CGContextRestoreGState(context);
    }
    if (m_dataLineStyle) {
        auto path = newDataLinePathForViewPoints(viewPoints, range, NAN);
        CGContextBeginPath(context);
        CGContextAddPath(context, path);
        m_dataLineStyle->setLineStyleInContext(context);
        m_dataLineStyle->strokePathInContext(context);
    }
    if (anySymbols) {
        CGContextSetShadowWithColor(context, CGSize {}, 0, nullptr);
        for (NSUInteger i = first; i <= last; ++i) {
            if (!flags[i] || isNaNPoint(viewPoints[i]))
                continue;
            auto symbol = plotSymbolForRecordIndex(i);
            if (!symbol)
                continue;
            if (useFastRendering())
                symbol->renderInContext(context, viewPoints[i], contentsScale(), alignsPointsToPixels());
            else
                symbol->renderAsVectorInContext(context, viewPoints[i], 1.0);
        }
    }
}

void PEScatterPlot::drawSwatchForLegend(PELegend& legend, NSUInteger index, CGRect rect, const CGContextRef& context)
{
    PEPlot::drawSwatchForLegend(legend, index, rect, context);
    if (!drawLegendSwatchDecoration())
        return;
    if (m_dataLineStyle) {
        m_dataLineStyle->setLineStyleInContext(context);
        const CGPoint from = PEPixelAlignPoint(context, CGPoint { CGRectGetMinX(rect), CGRectGetMidY(rect) });
        const CGPoint to = PEPixelAlignPoint(context, CGPoint { CGRectGetMaxX(rect), CGRectGetMidY(rect) });
        CGContextBeginPath(context);
        CGContextMoveToPoint(context, from.x, from.y);
        CGContextAddLineToPoint(context, to.x, to.y);
        m_dataLineStyle->strokePathInContext(context);
    }
    if (m_plotSymbol) {
        m_plotSymbol->renderInContext(context, CGPoint { CGRectGetMidX(rect), CGRectGetMidY(rect) }, contentsScale(), true);
        return;
    }
    if (m_dataLineStyle || (!m_areaFill && !m_areaFill2))
        return;
    auto shape = PENewRoundedRectPath(PEPixelSnapRect(context, rect), legend.swatchCornerRadius());
    if (m_areaFill && m_areaFill2) {
        CGContextSaveGState(context);
        CGContextBeginPath(context);
        CGContextAddPath(context, shape);
        CGContextClip(context);
        const bool secondAbove = PEDecimalIsGreaterOrEqual(m_areaBaseValue2, m_areaBaseValue);
        CGRect lower, upper;
        CGRectDivide(rect, &lower, &upper, rect.size.height / 2, CGRectMinYEdge);
        (secondAbove ? m_areaFill : m_areaFill2)->fillRect(lower, context);
        (secondAbove ? m_areaFill2 : m_areaFill)->fillRect(upper, context);
        CGContextRestoreGState(context);
    } else {
        CGContextBeginPath(context);
        CGContextAddPath(context, shape);
        (m_areaFill ? m_areaFill : m_areaFill2)->fillPathInContext(context);
    }
}

// Labels and touches.

void PEScatterPlot::positionLabelAnnotation(const std::shared_ptr<PEPlotSpaceAnnotation>& label, NSUInteger index)
{
    if (label)
        placeLabelAtDataPoint(label, ns::cast<NSNumber>(cachedNumberForField(PEScatterPlotFieldX, index)), ns::cast<NSNumber>(cachedNumberForField(PEScatterPlotFieldY, index)));
}

bool PEScatterPlot::pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint)
{
    // Only a press on the symbol itself, widened by the hit margin, picks the point.
    auto recordAt = [this](CGPoint point) {
        const NSUInteger index = indexOfVisiblePointClosestToPlotAreaPoint(point);
        if (index == NSNotFound)
            return NSNotFound;
        const CGPoint center = plotAreaPointOfVisiblePointAtIndex(index);
        auto symbol = plotSymbolForRecordIndex(index);
        const CGSize size = symbol ? symbol->size() : CGSize {};
        const CGFloat margin = m_plotSymbolMarginForHitDetection;
        const CGRect box { CGPoint { center.x - size.width / 2 - margin, center.y - size.height / 2 - margin },
            CGSize { size.width + 2 * margin, size.height + 2 * margin } };
        return CGRectContainsPoint(box, point) ? index : NSNotFound;
    };
    return pointingDeviceDownOnRecord(event, interactionPoint, *this, &PEScatterPlotDelegate::plotSymbolWasSelectedAtRecordIndex,
        &PEScatterPlotDelegate::plotSymbolWasSelectedAtRecordIndexWithEvent, recordAt);
}

// Keyed coding.

void PEScatterPlot::encodeWithCoder(NSCoder& coder) const
{
    using namespace NSCoder_PEExtensions;
    PEPlot::encodeWithCoder(coder);
    coder.encodeInt(m_interpolation, "PEScatterPlot.interpolation");
    coder.encodeObject(m_dataLineStyle, "PEScatterPlot.dataLineStyle");
    coder.encodeObject(m_plotSymbol, "PEScatterPlot.plotSymbol");
    coder.encodeObject(m_areaFill, "PEScatterPlot.areaFill");
    coder.encodeObject(m_areaFill2, "PEScatterPlot.areaFill2");
    encodeDecimal(coder, m_areaBaseValue, "PEScatterPlot.areaBaseValue");
    encodeDecimal(coder, m_areaBaseValue2, "PEScatterPlot.areaBaseValue2");
    encodeCGFloat(coder, m_plotSymbolMarginForHitDetection, "PEScatterPlot.plotSymbolMarginForHitDetection");
}

bool PEScatterPlot::init(NSCoder& coder)
{
    using namespace NSCoder_PEExtensions;
    if (!PEPlot::init(coder))
        return false;
    const int interpolation = coder.decodeIntForKey("PEScatterPlot.interpolation");
    if (interpolation < PEScatterPlotInterpolationLinear || interpolation > PEScatterPlotInterpolationCurved)
        return false;
    m_interpolation = static_cast<PEScatterPlotInterpolation>(interpolation);
    m_dataLineStyle = coder.decodeObjectOfClass<PELineStyle>("PEScatterPlot.dataLineStyle");
    m_plotSymbol = coder.decodeObjectOfClass<PEPlotSymbol>("PEScatterPlot.plotSymbol");
    m_areaFill = coder.decodeObjectOfClass<PEFill>("PEScatterPlot.areaFill");
    m_areaFill2 = coder.decodeObjectOfClass<PEFill>("PEScatterPlot.areaFill2");
    m_areaBaseValue = decodeDecimalForKey(coder, "PEScatterPlot.areaBaseValue");
    m_areaBaseValue2 = decodeDecimalForKey(coder, "PEScatterPlot.areaBaseValue2");
    m_plotSymbolMarginForHitDetection = decodeCGFloatForKey(coder, "PEScatterPlot.plotSymbolMarginForHitDetection");
    return true;
}

void PEScatterPlot::init(const CALayer& layer)
{
    PEPlot::init(layer);
    auto model = dynamic_cast<const PEScatterPlot*>(&layer);
    if (!model)
        return;
    m_interpolation = model->m_interpolation;
    m_dataLineStyle = model->m_dataLineStyle;
    m_plotSymbol = model->m_plotSymbol;
    m_areaFill = model->m_areaFill;
    m_areaFill2 = model->m_areaFill2;
    m_areaBaseValue = model->m_areaBaseValue;
    m_areaBaseValue2 = model->m_areaBaseValue2;
    m_plotSymbolMarginForHitDetection = model->m_plotSymbolMarginForHitDetection;
}
