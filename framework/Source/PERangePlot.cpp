#include "framework/Source/PERangePlot.h"

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
#include "framework/Source/PEUtilities.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNumber.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/CGPath.h"

#include <cmath>

void PERangePlot::init(CGRect frame)
{
    PEPlot::init(frame);
    m_barLineStyle = PELineStyle::lineStyle();
    setLabelField(PERangePlotFieldX);
}

void PERangePlot::postLegendRedraw() { NSNotificationCenter::defaultCenter()->postNotificationName(PELegendNeedsRedrawForPlotNotification, self()); }

void PERangePlot::setBarLineStyle(const std::shared_ptr<PELineStyle>& style)
{
    if (style == m_barLineStyle)
        return;
    m_barLineStyle = style ? style->copyStyle() : nullptr;
    setNeedsDisplay();
    postLegendRedraw();
}

void PERangePlot::setAreaFill(const std::shared_ptr<PEFill>& fill)
{
    if (fill == m_areaFill)
        return;
    m_areaFill = fill ? std::static_pointer_cast<PEFill>(fill->copy()) : nullptr;
    setNeedsDisplay();
    postLegendRedraw();
}

void PERangePlot::setAreaBorderLineStyle(const std::shared_ptr<PELineStyle>& style)
{
    if (style == m_areaBorderLineStyle)
        return;
    m_areaBorderLineStyle = style ? style->copyStyle() : nullptr;
    setNeedsDisplay();
    postLegendRedraw();
}

void PERangePlot::setBarWidth(CGFloat width)
{
    if (width == m_barWidth)
        return;
    m_barWidth = width;
    setNeedsDisplay();
}

void PERangePlot::setGapHeight(CGFloat height)
{
    if (height == m_gapHeight)
        return;
    m_gapHeight = height;
    setNeedsDisplay();
}

void PERangePlot::setGapWidth(CGFloat width)
{
    if (width == m_gapWidth)
        return;
    m_gapWidth = width;
    setNeedsDisplay();
}

std::shared_ptr<PELineStyle> PERangePlot::barLineStyleForIndex(NSUInteger index) const
{
    return cachedStyleForKey("barLineStyles", index, m_barLineStyle);
}

std::vector<NSUInteger> PERangePlot::fieldIdentifiersForCoordinate(PECoordinate coordinate) const
{
    return fieldsAlongCoordinate(coordinate, { PERangePlotFieldX }, { PERangePlotFieldY });
}

void PERangePlot::reloadDataInIndexRange(NSRange indexRange)
{
    PEPlot::reloadDataInIndexRange(indexRange);
    if (!dataSource()) {
        // Values set by hand do not outlive a reload: with nothing to pull they are emptied.
        for (NSUInteger field = PERangePlotFieldX; field <= PERangePlotFieldRight; ++field)
            cacheNumbers(nullptr, field);
        return;
    }
    cacheNumbersFromDataSource(indexRange, PERangePlotFieldRight + 1);
    // Styles come the same way however the numbers arrived.
    if (auto source = std::dynamic_pointer_cast<PERangePlotDataSource>(dataSource())) {
        cacheStyleArrayOfRecords("barLineStyles", indexRange, [&]() { return source->barLineStylesForRangePlot(*this, indexRange); },
            [&](NSUInteger index) { return source->barLineStyleForRangePlot(*this, index); });
    }
}

void PERangePlot::calculatePointsToDraw(std::vector<bool>& flags, NSUInteger count, const PEXYPlotSpace& space) const
{
    flags.assign(count, false);
    if (count == 0)
        return;
    if (m_areaFill) {
        flags.assign(count, true);
        return;
    }
    auto xRange = space.xRange();
    auto yRange = space.yRange();
    const bool doubles = doublePrecisionCache();
    for (NSUInteger i = 0; i < count; ++i) {
        if (doubles) {
            const double x = cachedDoubleForField(PERangePlotFieldX, i);
            const double y = cachedDoubleForField(PERangePlotFieldY, i);
            flags[i] = !std::isnan(x) && !std::isnan(y) && (!xRange || xRange->compareToDouble(x) == PEPlotRangeComparisonResultNumberInRange)
                && (!yRange || yRange->compareToDouble(y) == PEPlotRangeComparisonResultNumberInRange);
        } else {
            const NSDecimal x = cachedDecimalForField(PERangePlotFieldX, i);
            const NSDecimal y = cachedDecimalForField(PERangePlotFieldY, i);
            flags[i] = !NSDecimalIsNotANumber(&x) && !NSDecimalIsNotANumber(&y)
                && (!xRange || xRange->compareToDecimal(x) == PEPlotRangeComparisonResultNumberInRange)
                && (!yRange || yRange->compareToDecimal(y) == PEPlotRangeComparisonResultNumberInRange);
        }
    }
}

void PERangePlot::calculateViewPoints(std::vector<CGPointError>& viewPoints, const std::vector<bool>& flags, NSUInteger count) const
{
    viewPoints.assign(count, CGPointError {});
    auto space = plotSpace();
    if (!space)
        return;
    for (NSUInteger i = 0; i < count; ++i) {
        if (!flags[i])
            continue;
        const double x = cachedDoubleForField(PERangePlotFieldX, i);
        const double y = cachedDoubleForField(PERangePlotFieldY, i);
        if (std::isnan(x) || std::isnan(y))
            continue;
        auto map = [&](double px, double py) {
            const double point[2] = { px, py };
            return space->plotAreaViewPointForDoublePrecisionPlotPoint(point, 2);
        };
        CGPointError& view = viewPoints[i];
        const CGPoint centre = map(x, y);
        view.x = centre.x;
        view.y = centre.y;
        const double high = cachedDoubleForField(PERangePlotFieldHigh, i);
        const double low = cachedDoubleForField(PERangePlotFieldLow, i);
        const double left = cachedDoubleForField(PERangePlotFieldLeft, i);
        const double right = cachedDoubleForField(PERangePlotFieldRight, i);
        view.high = std::isnan(high) ? NAN : map(x, y + high).y;
        view.low = std::isnan(low) ? NAN : map(x, y - low).y;
        view.left = std::isnan(left) ? NAN : map(x - left, y).x;
        view.right = std::isnan(right) ? NAN : map(x + right, y).x;
    }
}

void PERangePlot::alignViewPointsToUserSpace(std::vector<CGPointError>& viewPoints, const CGContextRef& context, const std::vector<bool>& flags, NSUInteger count) const
{
    const bool crisp = m_barLineStyle && m_barLineStyle->lineWidth() > 0;
    auto align = [&](CGPoint point) { return crisp ? PEPixelAlignPoint(context, point) : PEPixelSnapPoint(context, point); };
    for (NSUInteger i = 0; i < count; ++i) {
        if (!flags[i])
            continue;
        CGPointError& view = viewPoints[i];
        const double x = view.x;
        const double y = view.y;
        const CGPoint centre = align(CGPoint { x, y });
        view.x = centre.x;
        view.y = centre.y;
        view.high = align(CGPoint { x, view.high }).y;
        view.low = align(CGPoint { x, view.low }).y;
        view.left = align(CGPoint { view.left, y }).x;
        view.right = align(CGPoint { view.right, y }).x;
    }
}

NSUInteger PERangePlot::extremeDrawnPointIndexForFlags(const std::vector<bool>& flags, NSUInteger count, bool lowerBound)
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

void PERangePlot::drawRangeInContext(const CGContextRef& context, const std::shared_ptr<PELineStyle>& lineStyle, const CGPointError& view,
    CGSize halfGap, CGFloat halfBar, bool alignPoints) const
{
    if (!lineStyle || std::isnan(view.x) || std::isnan(view.y))
        return;
    auto path = CGPathCreateMutable();
    auto segment = [&](CGFloat x0, CGFloat y0, CGFloat x1, CGFloat y1) {
        CGPoint from { x0, y0 };
        CGPoint to { x1, y1 };
        if (alignPoints) {
            from = PEPixelAlignPoint(context, from);
            to = PEPixelAlignPoint(context, to);
        }
        CGPathMoveToPoint(path, nullptr, from.x, from.y);
        CGPathAddLineToPoint(path, nullptr, to.x, to.y);
    };
    if (!std::isnan(view.high))
        segment(view.x, view.y + halfGap.height, view.x, view.high);
    if (!std::isnan(view.low))
        segment(view.x, view.y - halfGap.height, view.x, view.low);
    if (!std::isnan(view.high))
        segment(view.x - halfBar, view.high, view.x + halfBar, view.high);
    if (!std::isnan(view.low))
        segment(view.x - halfBar, view.low, view.x + halfBar, view.low);
    if (!std::isnan(view.left))
        segment(view.x - halfGap.width, view.y, view.left, view.y);
    if (!std::isnan(view.right))
        segment(view.x + halfGap.width, view.y, view.right, view.y);
    if (!std::isnan(view.left))
        segment(view.left, view.y - halfBar, view.left, view.y + halfBar);
    if (!std::isnan(view.right))
        segment(view.right, view.y - halfBar, view.right, view.y + halfBar);
    CGContextBeginPath(context);
    CGContextAddPath(context, path);
    lineStyle->setLineStyleInContext(context);
    lineStyle->strokePathInContext(context);
}

void PERangePlot::renderAsVectorInContext(const CGContextRef& context)
{
    if (isHidden())
        return;
    auto xs = cachedNumbersForField(PERangePlotFieldX);
    auto ys = cachedNumbersForField(PERangePlotFieldY);
    const NSUInteger count = cachedDataCount();
    if (!xs || !ys || count == 0)
        return;
    if (xs->numberOfSamples() != ys->numberOfSamples())
        PERaise("Number of x and y values do not match");
    auto space = std::dynamic_pointer_cast<PEXYPlotSpace>(plotSpace());
    if (!space)
        return;
    PEPlot::renderAsVectorInContext(context);
    std::vector<bool> flags;
    std::vector<CGPointError> views;
    calculatePointsToDraw(flags, count, *space);
    calculateViewPoints(views, flags, count);
    if (alignsPointsToPixels())
        alignViewPointsToUserSpace(views, context, flags, count);
    const NSUInteger first = extremeDrawnPointIndexForFlags(flags, count, true);
    const NSUInteger last = extremeDrawnPointIndexForFlags(flags, count, false);
    if (first == NSNotFound)
        return;
    if (m_areaFill) {
        auto path = CGPathCreateMutable();
        bool started = false;
        for (NSUInteger i = first; i <= last; ++i) {
            const double y = std::isnan(views[i].high) ? views[i].y : views[i].high;
            if (std::isnan(views[i].x) || std::isnan(y))
                continue;
            if (!started)
                CGPathMoveToPoint(path, nullptr, views[i].x, y);
            else
                CGPathAddLineToPoint(path, nullptr, views[i].x, y);
            started = true;
        }
        for (NSUInteger i = last + 1; i-- > first;) {
            const double y = std::isnan(views[i].low) ? views[i].y : views[i].low;
            if (std::isnan(views[i].x) || std::isnan(y) || !started)
                continue;
            CGPathAddLineToPoint(path, nullptr, views[i].x, y);
        }
        if (started) {
            CGPathCloseSubpath(path);
            CGContextBeginPath(context);
            CGContextAddPath(context, path);
            m_areaFill->fillPathInContext(context);
            if (m_areaBorderLineStyle) {
                CGContextBeginPath(context);
                CGContextAddPath(context, path);
                m_areaBorderLineStyle->setLineStyleInContext(context);
                m_areaBorderLineStyle->strokePathInContext(context);
            }
        }
    }
    const CGSize halfGap { m_gapWidth / 2, m_gapHeight / 2 };
    for (NSUInteger i = first; i <= last; ++i)
        drawRangeInContext(context, barLineStyleForIndex(i), views[i], halfGap, m_barWidth / 2, alignsPointsToPixels());
}

void PERangePlot::drawSwatchForLegend(PELegend& legend, NSUInteger index, CGRect rect, const CGContextRef& context)
{
    PEPlot::drawSwatchForLegend(legend, index, rect, context);
    if (!drawLegendSwatchDecoration())
        return;
    if (m_areaFill) {
        CGContextBeginPath(context);
        PEAddRoundedRectPathToContext(context, PEPixelSnapRect(context, rect), legend.swatchCornerRadius());
        m_areaFill->fillPathInContext(context);
        if (m_areaBorderLineStyle) {
            CGContextBeginPath(context);
            PEAddRoundedRectPathToContext(context, PEPixelSnapRect(context, rect), legend.swatchCornerRadius());
            m_areaBorderLineStyle->setLineStyleInContext(context);
            m_areaBorderLineStyle->strokePathInContext(context);
        }
    }
    if (auto style = barLineStyleForIndex(index)) {
        const CGPointError view { CGRectGetMidX(rect), CGRectGetMidY(rect), CGRectGetMaxY(rect), CGRectGetMinY(rect), CGRectGetMinX(rect), CGRectGetMaxX(rect) };
        const CGSize halfGap { std::min(m_gapWidth, rect.size.width / 2) / 2, std::min(m_gapHeight, rect.size.height / 2) / 2 };
        drawRangeInContext(context, style, view, halfGap, std::min({ m_barWidth, rect.size.width, rect.size.height }) / 2, true);
    }
}

void PERangePlot::positionLabelAnnotation(const std::shared_ptr<PEPlotSpaceAnnotation>& label, NSUInteger index)
{
    if (label)
        placeLabelAtDataPoint(label, ns::cast<NSNumber>(cachedNumberForField(PERangePlotFieldX, index)), ns::cast<NSNumber>(cachedNumberForField(PERangePlotFieldY, index)));
}

NSUInteger PERangePlot::dataIndexFromInteractionPoint(CGPoint point)
{
    const NSUInteger count = cachedDataCount();
    auto space = std::dynamic_pointer_cast<PEXYPlotSpace>(plotSpace());
    if (!space || count == 0)
        return NSNotFound;
    std::vector<bool> flags;
    std::vector<CGPointError> views;
    calculatePointsToDraw(flags, count, *space);
    calculateViewPoints(views, flags, count);
    NSUInteger best = NSNotFound;
    CGFloat bestDistance = INFINITY;
    for (NSUInteger i = 0; i < count; ++i) {
        if (!flags[i] || std::isnan(views[i].x) || std::isnan(views[i].y))
            continue;
        const CGFloat distance = PEPointDistanceSquared(point, CGPoint { views[i].x, views[i].y });
        if (best == NSNotFound || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    if (best == NSNotFound)
        return NSNotFound;
    const CGPointError& view = views[best];
    // A reversed axis puts the high end below the low end; the box is the same. A missing end
    // leaves its side open.
    auto within = [](double value, double centre, double a, double b) {
        if (std::isnan(a) && std::isnan(b))
            return true;
        if (std::isnan(a) || std::isnan(b)) {
            const double known = std::isnan(a) ? b : a;
            return known >= centre ? value <= known : value >= known;
        }
        return value >= std::min(a, b) && value <= std::max(a, b);
    };
    const bool vertical = within(point.y, view.y, view.low, view.high);
    const bool horizontal = within(point.x, view.x, view.left, view.right);
    return vertical && horizontal ? best : NSNotFound;
}

bool PERangePlot::pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint)
{
    return pointingDeviceDownOnRecord(event, interactionPoint, *this, &PERangePlotDelegate::rangeWasSelectedAtRecordIndex, &PERangePlotDelegate::rangeWasSelectedAtRecordIndexWithEvent);
}

void PERangePlot::encodeWithCoder(NSCoder& coder) const
{
    using namespace NSCoder_PEExtensions;
    PEPlot::encodeWithCoder(coder);
    coder.encodeObject(m_barLineStyle, "PERangePlot.barLineStyle");
    encodeCGFloat(coder, m_barWidth, "PERangePlot.barWidth");
    encodeCGFloat(coder, m_gapHeight, "PERangePlot.gapHeight");
    encodeCGFloat(coder, m_gapWidth, "PERangePlot.gapWidth");
    coder.encodeObject(m_areaFill, "PERangePlot.areaFill");
    coder.encodeObject(m_areaBorderLineStyle, "PERangePlot.areaBorderLineStyle");
}

bool PERangePlot::init(NSCoder& coder)
{
    using namespace NSCoder_PEExtensions;
    if (!PEPlot::init(coder))
        return false;
    m_barLineStyle = coder.decodeObjectOfClass<PELineStyle>("PERangePlot.barLineStyle");
    m_barWidth = decodeCGFloatForKey(coder, "PERangePlot.barWidth");
    m_gapHeight = decodeCGFloatForKey(coder, "PERangePlot.gapHeight");
    m_gapWidth = decodeCGFloatForKey(coder, "PERangePlot.gapWidth");
    m_areaFill = coder.decodeObjectOfClass<PEFill>("PERangePlot.areaFill");
    m_areaBorderLineStyle = coder.decodeObjectOfClass<PELineStyle>("PERangePlot.areaBorderLineStyle");
    return std::isfinite(m_barWidth) && std::isfinite(m_gapHeight) && std::isfinite(m_gapWidth);
}

void PERangePlot::init(const CALayer& layer)
{
    PEPlot::init(layer);
    auto model = dynamic_cast<const PERangePlot*>(&layer);
    if (!model)
        return;
    m_barLineStyle = model->m_barLineStyle;
    m_barWidth = model->m_barWidth;
    m_gapHeight = model->m_gapHeight;
    m_gapWidth = model->m_gapWidth;
    m_areaFill = model->m_areaFill;
    m_areaBorderLineStyle = model->m_areaBorderLineStyle;
}

std::span<const PELayer::FloatKey<PERangePlot>> PERangePlot::animatableFloatKeys()
{
    static const FloatKey<PERangePlot> keys[] {
        { "barWidth", &PERangePlot::m_barWidth, &PERangePlot::setBarWidth },
        { "gapHeight", &PERangePlot::m_gapHeight, &PERangePlot::setGapHeight },
        { "gapWidth", &PERangePlot::m_gapWidth, &PERangePlot::setGapWidth },
    };
    return keys;
}

bool PERangePlot::needsDisplayForKey(const NSString& key) const
{
    return isFloatKey(animatableFloatKeys(), key) || PEPlot::needsDisplayForKey(key);
}

id PERangePlot::valueForKey(const NSString& key) const
{
    if (id value = valueForFloatKey(*this, animatableFloatKeys(), key))
        return value;
    return PEPlot::valueForKey(key);
}

void PERangePlot::setValue(const id& value, const NSString& key)
{
    if (setValueForFloatKey(*this, animatableFloatKeys(), value, key))
        return;
    PEPlot::setValue(value, key);
}
