#include "framework/Source/PETradingRangePlot.h"

#include "framework/Source/NSCoder_PEExtensions.h"
#include "framework/Source/PEColor.h"
#include "framework/Source/PEExceptions.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PEGraph.h"
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

void PETradingRangePlot::init(CGRect frame)
{
    PEPlot::init(frame);
    m_lineStyle = PELineStyle::lineStyle();
    m_increaseFill = PEFill::fillWithColor(PEColor::whiteColor());
    m_decreaseFill = PEFill::fillWithColor(PEColor::blackColor());
    setLabelField(PETradingRangePlotFieldClose);
}

void PETradingRangePlot::changed(bool legend)
{
    setNeedsDisplay();
    if (legend)
        NSNotificationCenter::defaultCenter()->postNotificationName(PELegendNeedsRedrawForPlotNotification, self());
}

void PETradingRangePlot::setPlotStyle(int style)
{
    if (style == m_plotStyle)
        return;
    m_plotStyle = style;
    changed(true);
}

#define PE_STYLE_SETTER(Setter, member, Type)                                                   \
    void PETradingRangePlot::Setter(const std::shared_ptr<Type>& value)                         \
    {                                                                                           \
        if (value == member)                                                                    \
            return;                                                                             \
        member = value ? std::static_pointer_cast<Type>(value->copy()) : nullptr;               \
        changed(true);                                                                          \
    }
PE_STYLE_SETTER(setLineStyle, m_lineStyle, PELineStyle)
PE_STYLE_SETTER(setIncreaseLineStyle, m_increaseLineStyle, PELineStyle)
PE_STYLE_SETTER(setDecreaseLineStyle, m_decreaseLineStyle, PELineStyle)
PE_STYLE_SETTER(setIncreaseFill, m_increaseFill, PEFill)
PE_STYLE_SETTER(setDecreaseFill, m_decreaseFill, PEFill)
#undef PE_STYLE_SETTER

void PETradingRangePlot::setBarWidth(CGFloat width)
{
    if (width == m_barWidth)
        return;
    m_barWidth = width;
    changed(true);
}

void PETradingRangePlot::setStickLength(CGFloat length)
{
    if (length == m_stickLength)
        return;
    m_stickLength = length;
    changed(true);
}

void PETradingRangePlot::setBarCornerRadius(CGFloat radius)
{
    if (radius == m_barCornerRadius)
        return;
    m_barCornerRadius = radius;
    changed(false);
}

std::shared_ptr<PEFill> PETradingRangePlot::increaseFillForIndex(NSUInteger index) const { return cachedStyleForKey("increaseFills", index, m_increaseFill); }
std::shared_ptr<PEFill> PETradingRangePlot::decreaseFillForIndex(NSUInteger index) const { return cachedStyleForKey("decreaseFills", index, m_decreaseFill); }
std::shared_ptr<PELineStyle> PETradingRangePlot::lineStyleForIndex(NSUInteger index) const { return cachedStyleForKey("lineStyles", index, m_lineStyle); }

std::shared_ptr<PELineStyle> PETradingRangePlot::increaseLineStyleForIndex(NSUInteger index) const
{
    auto style = cachedStyleForKey("increaseLineStyles", index, m_increaseLineStyle);
    return style ? style : lineStyleForIndex(index);
}

std::shared_ptr<PELineStyle> PETradingRangePlot::decreaseLineStyleForIndex(NSUInteger index) const
{
    auto style = cachedStyleForKey("decreaseLineStyles", index, m_decreaseLineStyle);
    return style ? style : lineStyleForIndex(index);
}

std::vector<NSUInteger> PETradingRangePlot::fieldIdentifiersForCoordinate(PECoordinate coordinate) const
{
    return fieldsAlongCoordinate(coordinate, { PETradingRangePlotFieldX },
        { PETradingRangePlotFieldOpen, PETradingRangePlotFieldLow, PETradingRangePlotFieldHigh, PETradingRangePlotFieldClose });
}

void PETradingRangePlot::reloadDataInIndexRange(NSRange indexRange)
{
    PEPlot::reloadDataInIndexRange(indexRange);
    if (!dataSource()) {
        // Values set by hand do not outlive a reload: with nothing to pull they are emptied.
        for (NSUInteger field = PETradingRangePlotFieldX; field <= PETradingRangePlotFieldClose; ++field)
            cacheNumbers(nullptr, field);
        return;
    }
    cacheNumbersFromDataSource(indexRange, PETradingRangePlotFieldClose + 1);
    auto source = std::dynamic_pointer_cast<PETradingRangePlotDataSource>(dataSource());
    if (!source)
        return;
    cacheStyleArrayOfRecords("increaseFills", indexRange, [&]() { return source->increaseFillsForTradingRangePlot(*this, indexRange); },
        [&](NSUInteger i) { return source->increaseFillForTradingRangePlot(*this, i); });
    cacheStyleArrayOfRecords("decreaseFills", indexRange, [&]() { return source->decreaseFillsForTradingRangePlot(*this, indexRange); },
        [&](NSUInteger i) { return source->decreaseFillForTradingRangePlot(*this, i); });
    cacheStyleArrayOfRecords("lineStyles", indexRange, [&]() { return source->lineStylesForTradingRangePlot(*this, indexRange); },
        [&](NSUInteger i) { return source->lineStyleForTradingRangePlot(*this, i); });
    cacheStyleArrayOfRecords("increaseLineStyles", indexRange, [&]() { return source->increaseLineStylesForTradingRangePlot(*this, indexRange); },
        [&](NSUInteger i) { return source->increaseLineStyleForTradingRangePlot(*this, i); });
    cacheStyleArrayOfRecords("decreaseLineStyles", indexRange, [&]() { return source->decreaseLineStylesForTradingRangePlot(*this, indexRange); },
        [&](NSUInteger i) { return source->decreaseLineStyleForTradingRangePlot(*this, i); });
}

CGPoint PETradingRangePlot::viewPoint(NSUInteger index, NSUInteger field) const
{
    auto space = plotSpace();
    if (!space)
        return CGPoint { NAN, NAN };
    if (doublePrecisionCache()) {
        const double point[2] = { cachedDoubleForField(PETradingRangePlotFieldX, index), cachedDoubleForField(field, index) };
        if (std::isnan(point[0]) || std::isnan(point[1]))
            return CGPoint { NAN, NAN };
        return space->plotAreaViewPointForDoublePrecisionPlotPoint(point, 2);
    }
    const NSDecimal point[2] = { cachedDecimalForField(PETradingRangePlotFieldX, index), cachedDecimalForField(field, index) };
    if (NSDecimalIsNotANumber(&point[0]) || NSDecimalIsNotANumber(&point[1]))
        return CGPoint { NAN, NAN };
    return space->plotAreaViewPointForPlotPoint(point, 2);
}

void PETradingRangePlot::renderAsVectorInContext(const CGContextRef& context)
{
    if (isHidden())
        return;
    std::shared_ptr<PEMutableNumericData> fields[5];
    for (NSUInteger field = 0; field < 5; ++field) {
        fields[field] = cachedNumbersForField(field);
        if (!fields[field])
            return;
    }
    const NSUInteger count = fields[0]->numberOfSamples();
    if (count == 0)
        return;
    for (NSUInteger field = 1; field < 5; ++field) {
        if (fields[field]->numberOfSamples() != count)
            PERaise("Mismatching number of data values in trading range plot");
    }
    if (m_plotStyle != PETradingRangePlotStyleOHLC && m_plotStyle != PETradingRangePlotStyleCandleStick)
        PERaise("Invalid plot style in renderAsVectorInContext");
    PEPlot::renderAsVectorInContext(context);
    CGContextBeginTransparencyLayer(context, nullptr);
    for (NSUInteger i = 0; i < count; ++i) {
        if (std::isnan(cachedDoubleForField(PETradingRangePlotFieldX, i)))
            continue;
        const CGPoint open = viewPoint(i, PETradingRangePlotFieldOpen);
        const CGPoint high = viewPoint(i, PETradingRangePlotFieldHigh);
        const CGPoint low = viewPoint(i, PETradingRangePlotFieldLow);
        const CGPoint close = viewPoint(i, PETradingRangePlotFieldClose);
        // A record without an open or a high has no place to stand and is left out.
        const CGFloat x = std::isnan(open.x) ? high.x : open.x;
        if (std::isnan(x))
            continue;
        if (m_plotStyle == PETradingRangePlotStyleOHLC)
            drawOHLCInContext(context, i, x, open.y, close.y, high.y, low.y, alignsPointsToPixels());
        else
            drawCandleStickInContext(context, i, x, open.y, close.y, high.y, low.y, alignsPointsToPixels());
    }
    CGContextEndTransparencyLayer(context);
}

void PETradingRangePlot::drawOHLCInContext(const CGContextRef& context, NSUInteger index, CGFloat x, CGFloat open, CGFloat close, CGFloat high, CGFloat low, bool alignPoints) const
{
    auto style = lineStyleForIndex(index);
    if (!style)
        return;
    auto path = CGPathCreateMutable();
    auto line = [&](CGPoint from, CGPoint to) {
        if (alignPoints) {
            from = PEPixelAlignPoint(context, from);
            to = PEPixelAlignPoint(context, to);
        }
        CGPathMoveToPoint(path, nullptr, from.x, from.y);
        CGPathAddLineToPoint(path, nullptr, to.x, to.y);
    };
    if (!std::isnan(high) && !std::isnan(low))
        line(CGPoint { x, high }, CGPoint { x, low });
    if (!std::isnan(open))
        line(CGPoint { x, open }, CGPoint { x - m_stickLength, open });
    if (!std::isnan(close))
        line(CGPoint { x, close }, CGPoint { x + m_stickLength, close });
    CGContextBeginPath(context);
    CGContextAddPath(context, path);
    style->setLineStyleInContext(context);
    style->strokePathInContext(context);
}

void PETradingRangePlot::drawCandleStickInContext(const CGContextRef& context, NSUInteger index, CGFloat x, CGFloat open, CGFloat close, CGFloat high, CGFloat low, bool alignPoints) const
{
    const CGFloat h = m_barWidth / 2;
    if (std::isnan(open) || std::isnan(close)) {
        // Without a body the record still shows its high-low line.
        auto style = lineStyleForIndex(index);
        if (!style || std::isnan(high) || std::isnan(low))
            return;
        CGPoint top { x, high };
        CGPoint bottom { x, low };
        if (alignPoints) {
            const bool crisp = style->lineWidth() > 0;
            top = crisp ? PEPixelAlignPoint(context, top) : PEPixelSnapPoint(context, top);
            bottom = crisp ? PEPixelAlignPoint(context, bottom) : PEPixelSnapPoint(context, bottom);
        }
        style->setLineStyleInContext(context);
        CGContextBeginPath(context);
        CGContextMoveToPoint(context, top.x, top.y);
        CGContextAddLineToPoint(context, bottom.x, bottom.y);
        style->strokePathInContext(context);
        return;
    }
    std::shared_ptr<PELineStyle> style;
    std::shared_ptr<PEFill> fill;
    if (close > open) {
        style = increaseLineStyleForIndex(index);
        fill = increaseFillForIndex(index);
    } else if (close < open) {
        style = decreaseLineStyleForIndex(index);
        fill = decreaseFillForIndex(index);
    } else {
        style = lineStyleForIndex(index);
        fill = style && style->lineColor() ? PEFill::fillWithColor(style->lineColor()) : nullptr;
    }
    if (style)
        style->setLineStyleInContext(context);
    if (!style && !fill)
        return;
    const bool crisp = style && style->lineWidth() > 0;
    auto align = [&](CGPoint point) {
        if (!alignPoints)
            return point;
        return crisp ? PEPixelAlignPoint(context, point) : PEPixelSnapPoint(context, point);
    };
    const CGFloat radius = std::min({ m_barCornerRadius, h, std::fabs(close - open) });
    CGPoint openRight = align(CGPoint { x + h, open });
    CGPoint closeRight = align(CGPoint { x + h, close });
    CGPoint closeMiddle = align(CGPoint { x, close });
    CGPoint closeLeft = align(CGPoint { x - h, close });
    CGPoint openLeft = align(CGPoint { x - h, open });
    if (open == close) {
        const CGFloat half = m_lineStyle ? m_lineStyle->lineWidth() / 2 : 0;
        openRight.y -= half;
        openLeft.y -= half;
        closeRight.y += half;
        closeMiddle.y += half;
        closeLeft.y += half;
    }
    auto path = CGPathCreateMutable();
    CGPathMoveToPoint(path, nullptr, openRight.x, openRight.y);
    CGPathAddArcToPoint(path, nullptr, closeRight.x, closeRight.y, closeMiddle.x, closeMiddle.y, radius);
    CGPathAddArcToPoint(path, nullptr, closeLeft.x, closeLeft.y, openLeft.x, openLeft.y, radius);
    CGPathAddLineToPoint(path, nullptr, openLeft.x, openLeft.y);
    CGPathCloseSubpath(path);
    if (fill) {
        CGContextBeginPath(context);
        CGContextAddPath(context, path);
        fill->fillPathInContext(context);
    }
    if (style) {
        const CGFloat bodyLow = std::min(open, close);
        const CGFloat bodyHigh = std::max(open, close);
        if (!std::isnan(low) && low < bodyLow) {
            const CGPoint from = align(CGPoint { x, bodyLow });
            const CGPoint to = align(CGPoint { x, low });
            CGPathMoveToPoint(path, nullptr, from.x, from.y);
            CGPathAddLineToPoint(path, nullptr, to.x, to.y);
        }
        if (!std::isnan(high) && high > bodyHigh) {
            const CGPoint from = align(CGPoint { x, bodyHigh });
            const CGPoint to = align(CGPoint { x, high });
            CGPathMoveToPoint(path, nullptr, from.x, from.y);
            CGPathAddLineToPoint(path, nullptr, to.x, to.y);
        }
        CGContextBeginPath(context);
        CGContextAddPath(context, path);
        style->strokePathInContext(context);
    }
}

void PETradingRangePlot::drawSwatchForLegend(PELegend& legend, NSUInteger index, CGRect rect, const CGContextRef& context)
{
    PEPlot::drawSwatchForLegend(legend, index, rect, context);
    if (!drawLegendSwatchDecoration())
        return;
    if (m_lineStyle)
        m_lineStyle->setLineStyleInContext(context);
    const CGFloat x = CGRectGetMidX(rect);
    const CGFloat open = CGRectGetMinY(rect) + rect.size.height / 3;
    const CGFloat close = CGRectGetMinY(rect) + rect.size.height * (2.0 / 3.0);
    if (m_plotStyle == PETradingRangePlotStyleOHLC)
        drawOHLCInContext(context, index, x, open, close, CGRectGetMaxY(rect), CGRectGetMinY(rect), true);
    else if (m_plotStyle == PETradingRangePlotStyleCandleStick)
        drawCandleStickInContext(context, index, x, open, close, CGRectGetMaxY(rect), CGRectGetMinY(rect), true);
}

void PETradingRangePlot::positionLabelAnnotation(const std::shared_ptr<PEPlotSpaceAnnotation>& label, NSUInteger index)
{
    if (!label)
        return;
    const bool reversed = yRangeIsReversed();
    // Only present numbers take part: NaN has no place in an order.
    std::shared_ptr<NSNumber> chosen;
    for (NSUInteger field : { PETradingRangePlotFieldOpen, PETradingRangePlotFieldClose, PETradingRangePlotFieldHigh, PETradingRangePlotFieldLow }) {
        auto number = ns::cast<NSNumber>(cachedNumberForField(field, index));
        if (!number || std::isnan(number->doubleValue()))
            continue;
        if (!chosen || (reversed ? number->doubleValue() < chosen->doubleValue() : number->doubleValue() > chosen->doubleValue()))
            chosen = number;
    }
    placeLabelAtDataPoint(label, ns::cast<NSNumber>(cachedNumberForField(PETradingRangePlotFieldX, index)), chosen);
}

NSUInteger PETradingRangePlot::dataIndexFromInteractionPoint(CGPoint point)
{
    auto space = std::dynamic_pointer_cast<PEXYPlotSpace>(plotSpace());
    const NSUInteger count = cachedDataCount();
    if (!space || count == 0)
        return NSNotFound;
    if (m_plotStyle != PETradingRangePlotStyleOHLC && m_plotStyle != PETradingRangePlotStyleCandleStick)
        PERaise("Invalid plot style in -dataIndexFromInteractionPoint:");
    NSUInteger best = NSNotFound;
    CGFloat bestDistance = INFINITY;
    CGFloat bestX = NAN, bottom = NAN, top = NAN;
    for (NSUInteger i = 0; i < count; ++i) {
        const double x = cachedDoubleForField(PETradingRangePlotFieldX, i);
        if (std::isnan(x) || (space->xRange() && !space->xRange()->containsDouble(x)))
            continue;
        CGPoint taken[4] = { { NAN, NAN }, { NAN, NAN }, { NAN, NAN }, { NAN, NAN } };
        bool holdsBest = false;
        const NSUInteger order[4] = { PETradingRangePlotFieldOpen, PETradingRangePlotFieldHigh, PETradingRangePlotFieldLow, PETradingRangePlotFieldClose };
        for (int k = 0; k < 4; ++k) {
            const double value = cachedDoubleForField(order[k], i);
            if (std::isnan(value) || (space->yRange() && !space->yRange()->containsDouble(value)))
                continue;
            taken[k] = viewPoint(i, order[k]);
            const CGFloat distance = PEPointDistanceSquared(taken[k], point);
            if (best == NSNotFound || distance < bestDistance) {
                best = i;
                bestDistance = distance;
                holdsBest = true;
            }
        }
        if (holdsBest && best == i) {
            bestX = std::isnan(taken[0].x) ? taken[1].x : taken[0].x;
            double lowest = INFINITY;
            double highest = -INFINITY;
            for (const CGPoint& p : taken) {
                if (!std::isnan(p.y)) {
                    lowest = std::min(lowest, p.y);
                    highest = std::max(highest, p.y);
                }
            }
            bottom = lowest;
            top = highest;
            if (std::isnan(bestX)) {
                for (const CGPoint& p : taken) {
                    if (!std::isnan(p.x))
                        bestX = p.x;
                }
            }
        }
    }
    if (best == NSNotFound)
        return NSNotFound;
    const CGFloat half = m_plotStyle == PETradingRangePlotStyleCandleStick ? m_barWidth / 2 : m_stickLength;
    if (bestX - half > point.x || bestX + half < point.x || bottom > point.y || top < point.y)
        return NSNotFound;
    return best;
}

bool PETradingRangePlot::pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint)
{
    return pointingDeviceDownOnRecord(event, interactionPoint, *this, &PETradingRangePlotDelegate::barWasSelectedAtRecordIndex, &PETradingRangePlotDelegate::barWasSelectedAtRecordIndexWithEvent);
}

void PETradingRangePlot::encodeWithCoder(NSCoder& coder) const
{
    using namespace NSCoder_PEExtensions;
    PEPlot::encodeWithCoder(coder);
    coder.encodeObject(m_lineStyle, "PETradingRangePlot.lineStyle");
    coder.encodeObject(m_increaseLineStyle, "PETradingRangePlot.increaseLineStyle");
    coder.encodeObject(m_decreaseLineStyle, "PETradingRangePlot.decreaseLineStyle");
    coder.encodeObject(m_increaseFill, "PETradingRangePlot.increaseFill");
    coder.encodeObject(m_decreaseFill, "PETradingRangePlot.decreaseFill");
    coder.encodeInt(m_plotStyle, "PETradingRangePlot.plotStyle");
    encodeCGFloat(coder, m_barWidth, "PETradingRangePlot.barWidth");
    encodeCGFloat(coder, m_stickLength, "PETradingRangePlot.stickLength");
    encodeCGFloat(coder, m_barCornerRadius, "PETradingRangePlot.barCornerRadius");
}

bool PETradingRangePlot::init(NSCoder& coder)
{
    using namespace NSCoder_PEExtensions;
    if (!PEPlot::init(coder))
        return false;
    m_lineStyle = coder.decodeObjectOfClass<PELineStyle>("PETradingRangePlot.lineStyle");
    m_increaseLineStyle = coder.decodeObjectOfClass<PELineStyle>("PETradingRangePlot.increaseLineStyle");
    m_decreaseLineStyle = coder.decodeObjectOfClass<PELineStyle>("PETradingRangePlot.decreaseLineStyle");
    m_increaseFill = coder.decodeObjectOfClass<PEFill>("PETradingRangePlot.increaseFill");
    m_decreaseFill = coder.decodeObjectOfClass<PEFill>("PETradingRangePlot.decreaseFill");
    m_plotStyle = coder.decodeIntForKey("PETradingRangePlot.plotStyle");
    m_barWidth = decodeCGFloatForKey(coder, "PETradingRangePlot.barWidth");
    m_stickLength = decodeCGFloatForKey(coder, "PETradingRangePlot.stickLength");
    m_barCornerRadius = decodeCGFloatForKey(coder, "PETradingRangePlot.barCornerRadius");
    return (m_plotStyle == PETradingRangePlotStyleOHLC || m_plotStyle == PETradingRangePlotStyleCandleStick) && std::isfinite(m_barWidth)
        && std::isfinite(m_stickLength) && std::isfinite(m_barCornerRadius);
}

void PETradingRangePlot::init(const CALayer& layer)
{
    PEPlot::init(layer);
    auto model = dynamic_cast<const PETradingRangePlot*>(&layer);
    if (!model)
        return;
    m_plotStyle = model->m_plotStyle;
    m_lineStyle = model->m_lineStyle;
    m_increaseLineStyle = model->m_increaseLineStyle;
    m_decreaseLineStyle = model->m_decreaseLineStyle;
    m_increaseFill = model->m_increaseFill;
    m_decreaseFill = model->m_decreaseFill;
    m_barWidth = model->m_barWidth;
    m_stickLength = model->m_stickLength;
    m_barCornerRadius = model->m_barCornerRadius;
}

std::span<const PELayer::FloatKey<PETradingRangePlot>> PETradingRangePlot::animatableFloatKeys()
{
    static const FloatKey<PETradingRangePlot> keys[] {
        { "barWidth", &PETradingRangePlot::m_barWidth, &PETradingRangePlot::setBarWidth },
        { "stickLength", &PETradingRangePlot::m_stickLength, &PETradingRangePlot::setStickLength },
        { "barCornerRadius", &PETradingRangePlot::m_barCornerRadius, &PETradingRangePlot::setBarCornerRadius },
    };
    return keys;
}

bool PETradingRangePlot::needsDisplayForKey(const NSString& key) const
{
    return isFloatKey(animatableFloatKeys(), key) || PEPlot::needsDisplayForKey(key);
}

id PETradingRangePlot::valueForKey(const NSString& key) const
{
    if (id value = valueForFloatKey(*this, animatableFloatKeys(), key))
        return value;
    return PEPlot::valueForKey(key);
}

void PETradingRangePlot::setValue(const id& value, const NSString& key)
{
    if (setValueForFloatKey(*this, animatableFloatKeys(), value, key))
        return;
    PEPlot::setValue(value, key);
}
