#include "framework/Source/PEBarPlot.h"

#include "framework/Source/NSCoder_PEExtensions.h"
#include "framework/Source/PEColor.h"
#include "framework/Source/PEExceptions.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PEGradient.h"
#include "framework/Source/PEGraph.h"
#include "framework/Source/PEMutableLineStyle.h"
#include "framework/Source/PEMutableNumericData.h"
#include "framework/Source/PEMutablePlotRange.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotSpaceAnnotation.h"
#include "framework/Source/PEUtilities.h"
#include "framework/Source/PEXYPlotSpace.h"
#include "platform/foundation/NSDecimalNumber.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNull.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/CGPath.h"

#include <cmath>
#include <cstring>

namespace {

double roundedToMicro(double value) { return std::round(value * 1e6) / 1e6; }

} // namespace

void PEBarPlot::init(CGRect frame)
{
    PEPlot::init(frame);
    m_barWidth = PEDecimalFromString("0.5");
    m_barOffset = PEDecimalWithInt(0);
    m_baseValue = PEDecimalWithInt(0);
    m_lineStyle = PELineStyle::lineStyle();
    m_fill = PEFill::fillWithColor(PEColor::blackColor());
    setLabelOffset(10.0);
    setLabelField(PEBarPlotFieldBarTip);
}

std::shared_ptr<PEBarPlot> PEBarPlot::tubularBarPlotWithColor(const std::shared_ptr<PEColor>& color, bool horizontalBars)
{
    auto plot = create();
    auto line = PEMutableLineStyle::lineStyle();
    line->setLineWidth(1.0);
    line->setLineColor(PEColor::blackColor());
    plot->setLineStyle(line);
    plot->setBarsAreHorizontal(horizontalBars);
    plot->setBarWidth(PEDecimalWithDouble(0.8));
    plot->setBarWidthsAreInViewCoordinates(false);
    plot->setBarCornerRadius(2.0);
    auto gradient = PEGradient::gradientWithBeginningColor(color, PEColor::blackColor());
    gradient->setAngle(horizontalBars ? -90.0 : 0.0);
    plot->setFill(PEFill::fillWithGradient(gradient));
    return plot;
}

std::shared_ptr<PEBarPlotDataSource> PEBarPlot::barDataSource() const { return std::dynamic_pointer_cast<PEBarPlotDataSource>(dataSource()); }

// Setters.

void PEBarPlot::setBarWidth(const NSDecimal& width)
{
    if (PEDecimalIsEqual(width, m_barWidth))
        return;
    m_barWidth = width;
    setNeedsDisplay();
}

void PEBarPlot::setBarWidthScale(CGFloat scale)
{
    if (scale == m_barWidthScale)
        return;
    m_barWidthScale = scale;
    setNeedsDisplay();
}

void PEBarPlot::setBarOffset(const NSDecimal& offset)
{
    if (PEDecimalIsEqual(offset, m_barOffset))
        return;
    m_barOffset = offset;
    setNeedsDisplay();
    repositionAllLabelAnnotations();
}

void PEBarPlot::setBarOffsetScale(CGFloat scale)
{
    if (scale == m_barOffsetScale)
        return;
    m_barOffsetScale = scale;
    setNeedsDisplay();
    repositionAllLabelAnnotations();
}

void PEBarPlot::setBarCornerRadius(CGFloat radius)
{
    if (radius == m_barCornerRadius)
        return;
    m_barCornerRadius = std::fabs(radius);
    setNeedsDisplay();
    NSNotificationCenter::defaultCenter()->postNotificationName(PELegendNeedsRedrawForPlotNotification, self());
}

void PEBarPlot::setBarBaseCornerRadius(CGFloat radius)
{
    if (radius == m_barBaseCornerRadius)
        return;
    m_barBaseCornerRadius = std::fabs(radius);
    setNeedsDisplay();
    NSNotificationCenter::defaultCenter()->postNotificationName(PELegendNeedsRedrawForPlotNotification, self());
}

void PEBarPlot::setBarsAreHorizontal(bool horizontal)
{
    if (horizontal == m_barsAreHorizontal)
        return;
    m_barsAreHorizontal = horizontal;
    setNeedsDisplay();
    setNeedsLayout();
}

void PEBarPlot::setBaseValue(const NSDecimal& value)
{
    if (PEDecimalIsEqual(value, m_baseValue))
        return;
    m_baseValue = value;
    setNeedsDisplay();
    setNeedsLayout();
}

void PEBarPlot::setBarBasesVary(bool vary)
{
    if (vary == m_barBasesVary)
        return;
    m_barBasesVary = vary;
    setDataNeedsReloading();
    setNeedsDisplay();
    setNeedsLayout();
}

void PEBarPlot::setPlotRange(const std::shared_ptr<PEPlotRange>& range) { m_plotRange = range ? range->copyRange() : nullptr; }

void PEBarPlot::setLineStyle(const std::shared_ptr<PELineStyle>& style)
{
    if (style == m_lineStyle)
        return;
    m_lineStyle = style ? style->copyStyle() : nullptr;
    setNeedsDisplay();
    NSNotificationCenter::defaultCenter()->postNotificationName(PELegendNeedsRedrawForPlotNotification, self());
}

void PEBarPlot::setFill(const std::shared_ptr<PEFill>& fill)
{
    if (fill == m_fill)
        return;
    m_fill = fill ? std::static_pointer_cast<PEFill>(fill->copy()) : nullptr;
    setNeedsDisplay();
    NSNotificationCenter::defaultCenter()->postNotificationName(PELegendNeedsRedrawForPlotNotification, self());
}

std::shared_ptr<NSArray> PEBarPlot::barLocations() const
{
    auto numbers = cachedNumbersForField(PEBarPlotFieldBarLocation);
    return numbers ? numbers->sampleArray() : nullptr;
}

void PEBarPlot::setBarLocations(const std::shared_ptr<NSArray>& locations) { cacheNumbers(locations, PEBarPlotFieldBarLocation); }

std::shared_ptr<NSArray> PEBarPlot::barTips() const
{
    auto numbers = cachedNumbersForField(PEBarPlotFieldBarTip);
    return numbers ? numbers->sampleArray() : nullptr;
}

void PEBarPlot::setBarTips(const std::shared_ptr<NSArray>& tips) { cacheNumbers(tips, PEBarPlotFieldBarTip); }

std::shared_ptr<NSArray> PEBarPlot::barBases() const
{
    auto numbers = cachedNumbersForField(PEBarPlotFieldBarBase);
    return numbers ? numbers->sampleArray() : nullptr;
}

void PEBarPlot::setBarBases(const std::shared_ptr<NSArray>& bases) { cacheNumbers(bases, PEBarPlotFieldBarBase); }

// Reloading.

void PEBarPlot::reloadDataInIndexRange(NSRange indexRange)
{
    PEPlot::reloadDataInIndexRange(indexRange);
    auto source = barDataSource();
    auto plainSource = dataSource();

    if (!loadNumbersForAllFieldsFromDataSourceInRecordIndexRange(indexRange)) {
        if (plainSource) {
            cacheNumbers(numbersFromDataSourceForField(PEBarPlotFieldBarTip, indexRange), PEBarPlotFieldBarTip, indexRange.location);
            if (m_barBasesVary)
                cacheNumbers(numbersFromDataSourceForField(PEBarPlotFieldBarBase, indexRange), PEBarPlotFieldBarBase, indexRange.location);
        }
        // Fixed bases live in baseValue; dropping the field must not forget how many bars there are.
        if (!(plainSource && m_barBasesVary) && cachedNumbersForField(PEBarPlotFieldBarBase)) {
            const NSUInteger count = cachedDataCount();
            setBarBases(nullptr);
            setCachedDataCount(count);
        }

        if (m_plotRange || !plainSource) {
            const NSUInteger total = cachedDataCount();
            const NSUInteger n = indexRange.length;
            const bool useDoubles = doublePrecisionCache() || !cachedNumbersForField(PEBarPlotFieldBarTip);
            const _PENumericDataType type = useDoubles ? doubleDataType() : decimalDataType();
            auto locations = PEMutableNumericData::numericDataWithData(NSData::data(), type, nullptr);
            locations->setShape(NSArray::arrayWithObject(NSNumber::numberWithUnsignedInteger(n)));
            for (NSUInteger i = 0; i < n; ++i) {
                const NSUInteger record = indexRange.location + i;
                if (useDoubles) {
                    double value = static_cast<double>(record);
                    if (m_plotRange) {
                        const double step = total >= 2 ? m_plotRange->lengthDouble() / static_cast<double>(total - 1) : 1.0;
                        value = m_plotRange->locationDouble() + static_cast<double>(record) * step;
                    }
                    std::memcpy(locations->mutableBytes() + i * sizeof(double), &value, sizeof value);
                } else {
                    NSDecimal value = PEDecimalWithUnsignedLong(record);
                    if (m_plotRange) {
                        const NSDecimal step = total >= 2 ? PEDecimalQuotient(m_plotRange->length(), PEDecimalWithUnsignedLong(total - 1)) : PEDecimalWithLong(1);
                        value = PEDecimalSum(m_plotRange->location(), PEDecimalProduct(PEDecimalWithUnsignedLong(record), step));
                    }
                    std::memcpy(locations->mutableBytes() + i * sizeof(NSDecimal), &value, sizeof value);
                }
            }
            cacheNumbers(locations, PEBarPlotFieldBarLocation, indexRange.location);
        } else {
            cacheNumbers(numbersFromDataSourceForField(PEBarPlotFieldBarLocation, indexRange), PEBarPlotFieldBarLocation, indexRange.location);
        }
    }

    if (!source)
        return;
    bool perRecordFills = false;
    cacheStyleArray("barFills", indexRange,
        [&]() { return source->barFillsForBarPlot(*this, indexRange); },
        [&](NSUInteger index) -> std::optional<id> {
            auto fill = source->barFillForBarPlot(*this, index);
            if (!fill)
                return std::nullopt;
            perRecordFills = true;
            return std::static_pointer_cast<NSObject>(*fill);
        });
    cacheStyleArrayOfRecords("barLineStyles", indexRange, [&]() { return source->barLineStylesForBarPlot(*this, indexRange); },
        [&](NSUInteger index) { return source->barLineStyleForBarPlot(*this, index); });
    if (perRecordFills || dataSourceNamesEachBar())
        NSNotificationCenter::defaultCenter()->postNotificationName(PELegendNeedsRedrawForPlotNotification, self());
}

// Lengths along the location axis.

CGFloat PEBarPlot::lengthInView(const NSDecimal& length) const
{
    if (m_barWidthsAreInViewCoordinates)
        return PEDecimalAsCGFloat(length);
    auto space = std::dynamic_pointer_cast<PEXYPlotSpace>(plotSpace());
    if (!space || !space->xRange() || !space->yRange())
        return 0;
    NSDecimal origin[2] = { space->xRange()->location(), space->yRange()->location() };
    NSDecimal displaced[2] = { origin[0], origin[1] };
    const int slot = m_barsAreHorizontal ? 1 : 0;
    displaced[slot] = PEDecimalSum(origin[slot], length);
    const CGPoint from = space->plotAreaViewPointForPlotPoint(origin, 2);
    const CGPoint to = space->plotAreaViewPointForPlotPoint(displaced, 2);
    return m_barsAreHorizontal ? to.y - from.y : to.x - from.x;
}

double PEBarPlot::doubleLengthInPlotCoordinates(const NSDecimal& length) const
{
    if (!m_barWidthsAreInViewCoordinates)
        return PEDecimalAsDouble(length);
    auto space = plotSpace();
    if (!space)
        return 0;
    const CGFloat v = PEDecimalAsCGFloat(length);
    double from[2];
    double to[2];
    space->doublePrecisionPlotPoint(from, 2, CGPoint { 0, 0 });
    space->doublePrecisionPlotPoint(to, 2, CGPoint { v, v });
    const int slot = m_barsAreHorizontal ? 1 : 0;
    return to[slot] - from[slot];
}

NSDecimal PEBarPlot::lengthInPlotCoordinates(const NSDecimal& length) const
{
    if (!m_barWidthsAreInViewCoordinates)
        return length;
    auto space = plotSpace();
    if (!space)
        return PEDecimalWithInt(0);
    const CGFloat v = PEDecimalAsCGFloat(length);
    NSDecimal from[2];
    NSDecimal to[2];
    space->plotPoint(from, 2, CGPoint { 0, 0 });
    space->plotPoint(to, 2, CGPoint { v, v });
    const int slot = m_barsAreHorizontal ? 1 : 0;
    return PEDecimalDifference(to[slot], from[slot]);
}

std::shared_ptr<PEMutablePlotRange> PEBarPlot::plotRangeEnclosingBars() const
{
    auto locations = plotRangeForCoordinate(locationCoordinate());
    if (!locations)
        return nullptr;
    auto range = locations->mutableCopyRange();
    const NSDecimal offset = lengthInPlotCoordinates(m_barOffset);
    const NSDecimal width = lengthInPlotCoordinates(m_barWidth);
    const NSDecimal half = PEDecimalQuotient(width, PEDecimalWithLong(2));
    if (PEDecimalIsGreaterOrEqual(range->length(), PEDecimalWithInt(0))) {
        range->setLocation(PEDecimalSum(PEDecimalDifference(range->location(), half), offset));
        range->setLength(PEDecimalSum(range->length(), width));
    } else {
        range->setLocation(PEDecimalDifference(PEDecimalSum(range->location(), half), offset));
        range->setLength(PEDecimalDifference(range->length(), width));
    }
    return range;
}

// Geometry of one bar.

bool PEBarPlot::barAtRecordIndex(NSUInteger index, CGPoint* basePoint, CGPoint* tipPoint) const
{
    auto space = plotSpace();
    if (!space)
        return false;
    const int locationSlot = m_barsAreHorizontal ? 1 : 0;
    const int valueSlot = 1 - locationSlot;
    CGPoint base;
    CGPoint tip;
    if (doublePrecisionCache()) {
        double point[2];
        point[locationSlot] = cachedDoubleForField(PEBarPlotFieldBarLocation, index);
        point[valueSlot] = cachedDoubleForField(PEBarPlotFieldBarTip, index);
        if (std::isnan(point[0]) || std::isnan(point[1]))
            return false;
        tip = space->plotAreaViewPointForDoublePrecisionPlotPoint(point, 2);
        point[valueSlot] = m_barBasesVary ? cachedDoubleForField(PEBarPlotFieldBarBase, index) : PEDecimalAsDouble(m_baseValue);
        if (std::isnan(point[valueSlot]))
            return false;
        base = space->plotAreaViewPointForDoublePrecisionPlotPoint(point, 2);
    } else {
        NSDecimal point[2];
        point[locationSlot] = cachedDecimalForField(PEBarPlotFieldBarLocation, index);
        point[valueSlot] = cachedDecimalForField(PEBarPlotFieldBarTip, index);
        if (NSDecimalIsNotANumber(&point[0]) || NSDecimalIsNotANumber(&point[1]))
            return false;
        tip = space->plotAreaViewPointForPlotPoint(point, 2);
        point[valueSlot] = m_barBasesVary ? cachedDecimalForField(PEBarPlotFieldBarBase, index) : m_baseValue;
        if (NSDecimalIsNotANumber(&point[valueSlot]))
            return false;
        base = space->plotAreaViewPointForPlotPoint(point, 2);
    }
    const CGFloat offset = lengthInView(m_barOffset) * m_barOffsetScale;
    if (m_barsAreHorizontal) {
        base.y += offset;
        tip.y += offset;
    } else {
        base.x += offset;
        tip.x += offset;
    }
    if (basePoint)
        *basePoint = base;
    if (tipPoint)
        *tipPoint = tip;
    return true;
}

CGPathRef PEBarPlot::newBarPathWithContext(const CGContextRef& context, NSUInteger recordIndex) const
{
    CGPoint base;
    CGPoint tip;
    if (!barAtRecordIndex(recordIndex, &base, &tip))
        return nullptr;
    return newBarPathWithContext(context, base, tip);
}

CGPathRef PEBarPlot::newBarPathWithContext(const CGContextRef& context, CGPoint basePoint, CGPoint tipPoint) const
{
    const CGFloat width = lengthInView(m_barWidth) * m_barWidthScale;
    CGRect rect = m_barsAreHorizontal
        ? CGRect { CGPoint { basePoint.x, basePoint.y - width / 2 }, CGSize { tipPoint.x - basePoint.x, width } }
        : CGRect { CGPoint { basePoint.x - width / 2, basePoint.y }, CGSize { width, tipPoint.y - basePoint.y } };
    if (context && alignsPointsToPixels()) {
        const bool widthNegative = std::signbit(rect.size.width);
        const bool heightNegative = std::signbit(rect.size.height);
        rect = CGRect { CGPoint { roundedToMicro(rect.origin.x), roundedToMicro(rect.origin.y) },
            CGSize { roundedToMicro(rect.size.width), roundedToMicro(rect.size.height) } };
        rect = m_lineStyle && m_lineStyle->lineWidth() > 0 ? PEPixelAlignRect(context, rect) : PEPixelSnapRect(context, rect);
        // Alignment normalises the rectangle; keep the base edge at the origin side.
        if (widthNegative && rect.size.width > 0) {
            rect.origin.x += rect.size.width;
            rect.size.width = -rect.size.width;
        }
        if (heightNegative && rect.size.height > 0) {
            rect.origin.y += rect.size.height;
            rect.size.height = -rect.size.height;
        }
    }
    const CGFloat x = rect.origin.x;
    const CGFloat y = rect.origin.y;
    const CGFloat maxX = x + rect.size.width;
    const CGFloat maxY = y + rect.size.height;
    const CGFloat midX = x + rect.size.width / 2;
    const CGFloat midY = y + rect.size.height / 2;
    const CGFloat limit = std::min(std::fabs(rect.size.width), std::fabs(rect.size.height)) / 2;
    const CGFloat tipRadius = std::min(m_barCornerRadius, limit);
    const CGFloat baseRadius = std::min(m_barBaseCornerRadius, limit);

    auto path = CGPathCreateMutable();
    if (tipRadius == 0 && baseRadius == 0) {
        CGPathAddRect(path, nullptr, rect);
    } else if (tipRadius == 0) {
        if (!m_barsAreHorizontal) {
            CGPathMoveToPoint(path, nullptr, x, maxY);
            CGPathAddArcToPoint(path, nullptr, x, y, midX, y, baseRadius);
            CGPathAddArcToPoint(path, nullptr, maxX, y, maxX, maxY, baseRadius);
            CGPathAddLineToPoint(path, nullptr, maxX, maxY);
        } else {
            CGPathMoveToPoint(path, nullptr, maxX, maxY);
            CGPathAddArcToPoint(path, nullptr, x, maxY, x, midY, baseRadius);
            CGPathAddArcToPoint(path, nullptr, x, y, maxX, y, baseRadius);
            CGPathAddLineToPoint(path, nullptr, maxX, y);
        }
        CGPathCloseSubpath(path);
    } else if (baseRadius == 0) {
        CGPathMoveToPoint(path, nullptr, x, y);
        if (!m_barsAreHorizontal) {
            CGPathAddArcToPoint(path, nullptr, x, maxY, midX, maxY, tipRadius);
            CGPathAddArcToPoint(path, nullptr, maxX, maxY, maxX, y, tipRadius);
            CGPathAddLineToPoint(path, nullptr, maxX, y);
        } else {
            CGPathAddArcToPoint(path, nullptr, maxX, y, maxX, midY, tipRadius);
            CGPathAddArcToPoint(path, nullptr, maxX, maxY, x, maxY, tipRadius);
            CGPathAddLineToPoint(path, nullptr, x, maxY);
        }
        CGPathCloseSubpath(path);
    } else {
        const CGFloat r1 = m_barsAreHorizontal ? baseRadius : tipRadius;
        const CGFloat r2 = tipRadius;
        const CGFloat r3 = m_barsAreHorizontal ? tipRadius : baseRadius;
        const CGFloat r4 = baseRadius;
        CGPathMoveToPoint(path, nullptr, x, midY);
        CGPathAddArcToPoint(path, nullptr, x, maxY, midX, maxY, r1);
        CGPathAddArcToPoint(path, nullptr, maxX, maxY, maxX, midY, r2);
        CGPathAddArcToPoint(path, nullptr, maxX, y, midX, y, r3);
        CGPathAddArcToPoint(path, nullptr, x, y, x, midY, r4);
        CGPathCloseSubpath(path);
    }
    return path;
}

bool PEBarPlot::barIsVisibleWithBasePoint(CGPoint basePoint) const
{
    auto area = plotArea();
    if (!area)
        return true;
    const CGFloat half = lengthInView(m_barWidth) * m_barWidthScale * 0.5;
    const CGRect bounds = area->bounds();
    if (m_barsAreHorizontal)
        return basePoint.y + half >= CGRectGetMinY(bounds) && basePoint.y - half <= CGRectGetMaxY(bounds);
    return basePoint.x + half >= CGRectGetMinX(bounds) && basePoint.x - half <= CGRectGetMaxX(bounds);
}

std::shared_ptr<PEFill> PEBarPlot::barFillForIndex(NSUInteger index) const
{
    return cachedStyleForKey("barFills", index, m_fill);
}

std::shared_ptr<PELineStyle> PEBarPlot::barLineStyleForIndex(NSUInteger index) const
{
    return cachedStyleForKey("barLineStyles", index, m_lineStyle);
}

// Drawing.

void PEBarPlot::renderAsVectorInContext(const CGContextRef& context)
{
    if (isHidden())
        return;
    auto locations = cachedNumbersForField(PEBarPlotFieldBarLocation);
    auto tips = cachedNumbersForField(PEBarPlotFieldBarTip);
    auto bases = cachedNumbersForField(PEBarPlotFieldBarBase);
    if (!locations || !tips || (m_barBasesVary && !bases))
        return;
    const NSUInteger count = cachedDataCount();
    if (count == 0)
        return;
    if (locations->numberOfSamples() != tips->numberOfSamples())
        PERaise("Number of bar locations and lengths do not match");
    if (m_barBasesVary && tips->numberOfSamples() != bases->numberOfSamples())
        PERaise("Number of bar lengths and bases do not match");
    PEPlot::renderAsVectorInContext(context);
    CGContextBeginTransparencyLayer(context, nullptr);
    for (NSUInteger i = 0; i < count; ++i)
        drawBarInContext(context, i);
    CGContextEndTransparencyLayer(context);
}

void PEBarPlot::drawBarInContext(const CGContextRef& context, NSUInteger recordIndex) const
{
    CGPoint base;
    CGPoint tip;
    if (!barAtRecordIndex(recordIndex, &base, &tip) || !barIsVisibleWithBasePoint(base))
        return;
    auto path = newBarPathWithContext(context, base, tip);
    CGContextSaveGState(context);
    if (auto fill = barFillForIndex(recordIndex)) {
        CGContextBeginPath(context);
        CGContextAddPath(context, path);
        fill->fillPathInContext(context);
    }
    if (auto line = barLineStyleForIndex(recordIndex)) {
        CGContextBeginPath(context);
        CGContextAddPath(context, path);
        line->setLineStyleInContext(context);
        line->strokePathInContext(context);
    }
    CGContextRestoreGState(context);
}

// Ranges.

std::vector<NSUInteger> PEBarPlot::fieldIdentifiersForCoordinate(PECoordinate coordinate) const
{
    if (coordinate != PECoordinateX && coordinate != PECoordinateY)
        PERaise("Invalid coordinate passed to fieldIdentifiersForCoordinate:");
    if (coordinate == locationCoordinate())
        return { PEBarPlotFieldBarLocation };
    if (m_barBasesVary)
        return { PEBarPlotFieldBarTip, PEBarPlotFieldBarBase };
    return { PEBarPlotFieldBarTip };
}

std::shared_ptr<PEPlotRange> PEBarPlot::plotRangeForCoordinate(PECoordinate coordinate) const
{
    auto range = PEPlot::plotRangeForCoordinate(coordinate);
    if (!m_barBasesVary && coordinate == valueCoordinate() && range && !range->contains(m_baseValue)) {
        auto united = range->mutableCopyRange();
        united->unionPlotRange(PEPlotRange::plotRangeWithLocation(m_baseValue, PEDecimalWithInt(0)));
        return united;
    }
    return range;
}

// Labels.

void PEBarPlot::positionLabelAnnotation(const std::shared_ptr<PEPlotSpaceAnnotation>& label, NSUInteger index)
{
    auto space = plotSpace();
    if (!label || !space)
        return;
    const NSDecimal base = m_barBasesVary ? cachedDecimalForField(PEBarPlotFieldBarBase, index) : m_baseValue;
    auto location = ns::cast<NSNumber>(cachedNumberForField(PEBarPlotFieldBarLocation, index));
    auto tip = ns::cast<NSNumber>(cachedNumberForField(PEBarPlotFieldBarTip, index));
    const NSDecimal tipValue = cachedDecimalForField(PEBarPlotFieldBarTip, index);
    auto valueRange = space->plotRangeForCoordinate(valueCoordinate());
    const bool reversed = valueRange && PEDecimalIsLess(valueRange->length(), PEDecimalWithInt(0));
    const bool positive = PEDecimalIsGreaterOrEqual(tipValue, base) != reversed;

    std::shared_ptr<NSNumber> offsetLocation;
    if (doublePrecisionCache()) {
        const double value = (location ? location->doubleValue() : std::nan("")) + doubleLengthInPlotCoordinates(m_barOffset) * m_barOffsetScale;
        offsetLocation = NSNumber::numberWithDouble(value);
    } else {
        const NSDecimal value = cachedDecimalForField(PEBarPlotFieldBarLocation, index);
        offsetLocation = NSDecimalNumber::decimalNumberWithDecimal(
            PEDecimalSum(value, PEDecimalProduct(lengthInPlotCoordinates(m_barOffset), PEDecimalWithCGFloat(m_barOffsetScale))));
    }
    const CGFloat offset = positive ? labelOffset() : -labelOffset();
    if (m_barsAreHorizontal) {
        label->setAnchorPlotPoint({ tip, offsetLocation });
        label->setDisplacement(CGPoint { offset, 0 });
    } else {
        label->setAnchorPlotPoint({ offsetLocation, tip });
        label->setDisplacement(CGPoint { 0, offset });
    }
    const bool missing = !location || !tip || std::isnan(location->doubleValue()) || std::isnan(tip->doubleValue());
    if (label->contentLayer())
        label->contentLayer()->setHidden(isHidden() || missing);
}

// Legend.

bool PEBarPlot::dataSourceNamesEachBar() const
{
    auto source = barDataSource();
    return source && (source->respondsToLegendTitleForBarPlot() || source->respondsToBarFillForBarPlot());
}

NSUInteger PEBarPlot::numberOfLegendEntries() const
{
    if (!dataSourceNamesEachBar())
        return 1;
    return const_cast<PEBarPlot*>(this)->cachedDataCount();
}

NSString PEBarPlot::titleForLegendEntryAtIndex(NSUInteger index) const
{
    if (auto source = barDataSource(); source && index < const_cast<PEBarPlot*>(this)->cachedDataCount()) {
        if (auto title = source->legendTitleForBarPlot(const_cast<PEBarPlot&>(*this), index))
            return *title;
    }
    return PEPlot::titleForLegendEntryAtIndex(index);
}

std::shared_ptr<NSAttributedString> PEBarPlot::attributedTitleForLegendEntryAtIndex(NSUInteger index) const
{
    if (auto source = barDataSource(); source && index < const_cast<PEBarPlot*>(this)->cachedDataCount()) {
        if (auto title = source->attributedLegendTitleForBarPlot(const_cast<PEBarPlot&>(*this), index))
            return *title;
    }
    return PEPlot::attributedTitleForLegendEntryAtIndex(index);
}

void PEBarPlot::drawSwatchForLegend(PELegend& legend, NSUInteger index, CGRect rect, const CGContextRef& context)
{
    PEPlot::drawSwatchForLegend(legend, index, rect, context);
    if (!drawLegendSwatchDecoration())
        return;
    auto fill = barFillForIndex(index);
    auto line = barLineStyleForIndex(index);
    if (!fill && !line)
        return;
    const CGFloat radius = std::max(m_barCornerRadius, m_barBaseCornerRadius);
    if (fill) {
        CGContextBeginPath(context);
        PEAddRoundedRectPathToContext(context, PEPixelSnapRect(context, rect), radius);
        fill->fillPathInContext(context);
    }
    if (line) {
        line->setLineStyleInContext(context);
        CGContextBeginPath(context);
        PEAddRoundedRectPathToContext(context, PEPixelAlignBorderedRect(context, rect, line), radius);
        line->strokePathInContext(context);
    }
}

// Touches.

NSUInteger PEBarPlot::dataIndexFromInteractionPoint(CGPoint point)
{
    const NSUInteger count = cachedDataCount();
    for (NSUInteger i = 0; i < count; ++i) {
        auto path = newBarPathWithContext(nullptr, i);
        if (path && CGPathContainsPoint(path, nullptr, point, false))
            return i;
    }
    return NSNotFound;
}

bool PEBarPlot::pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint)
{
    return pointingDeviceDownOnRecord(event, interactionPoint, *this, &PEBarPlotDelegate::barWasSelectedAtRecordIndex, &PEBarPlotDelegate::barWasSelectedAtRecordIndexWithEvent);
}

// Keyed coding.

void PEBarPlot::encodeWithCoder(NSCoder& coder) const
{
    using namespace NSCoder_PEExtensions;
    PEPlot::encodeWithCoder(coder);
    coder.encodeObject(m_lineStyle, "PEBarPlot.lineStyle");
    coder.encodeObject(m_fill, "PEBarPlot.fill");
    encodeDecimal(coder, m_barWidth, "PEBarPlot.barWidth");
    encodeCGFloat(coder, m_barWidthScale, "PEBarPlot.barWidthScale");
    encodeDecimal(coder, m_barOffset, "PEBarPlot.barOffset");
    encodeCGFloat(coder, m_barOffsetScale, "PEBarPlot.barOffsetScale");
    encodeCGFloat(coder, m_barCornerRadius, "PEBarPlot.barCornerRadius");
    encodeCGFloat(coder, m_barBaseCornerRadius, "PEBarPlot.barBaseCornerRadius");
    encodeDecimal(coder, m_baseValue, "PEBarPlot.baseValue");
    coder.encodeBool(m_barsAreHorizontal, "PEBarPlot.barsAreHorizontal");
    coder.encodeBool(m_barBasesVary, "PEBarPlot.barBasesVary");
    coder.encodeBool(m_barWidthsAreInViewCoordinates, "PEBarPlot.barWidthsAreInViewCoordinates");
    coder.encodeObject(m_plotRange, "PEBarPlot.plotRange");
}

bool PEBarPlot::init(NSCoder& coder)
{
    using namespace NSCoder_PEExtensions;
    if (!PEPlot::init(coder))
        return false;
    m_lineStyle = coder.decodeObjectOfClass<PELineStyle>("PEBarPlot.lineStyle");
    m_fill = coder.decodeObjectOfClass<PEFill>("PEBarPlot.fill");
    m_barWidth = decodeDecimalForKey(coder, "PEBarPlot.barWidth");
    m_barWidthScale = decodeCGFloatForKey(coder, "PEBarPlot.barWidthScale");
    m_barOffset = decodeDecimalForKey(coder, "PEBarPlot.barOffset");
    m_barOffsetScale = decodeCGFloatForKey(coder, "PEBarPlot.barOffsetScale");
    m_barCornerRadius = std::fabs(decodeCGFloatForKey(coder, "PEBarPlot.barCornerRadius"));
    m_barBaseCornerRadius = std::fabs(decodeCGFloatForKey(coder, "PEBarPlot.barBaseCornerRadius"));
    m_baseValue = decodeDecimalForKey(coder, "PEBarPlot.baseValue");
    m_barsAreHorizontal = coder.decodeBoolForKey("PEBarPlot.barsAreHorizontal");
    m_barBasesVary = coder.decodeBoolForKey("PEBarPlot.barBasesVary");
    m_barWidthsAreInViewCoordinates = coder.decodeBoolForKey("PEBarPlot.barWidthsAreInViewCoordinates");
    m_plotRange = coder.decodeObjectOfClass<PEPlotRange>("PEBarPlot.plotRange");
    return std::isfinite(m_barWidthScale) && std::isfinite(m_barOffsetScale) && std::isfinite(m_barCornerRadius)
        && std::isfinite(m_barBaseCornerRadius);
}

void PEBarPlot::init(const CALayer& layer)
{
    PEPlot::init(layer);
    auto model = dynamic_cast<const PEBarPlot*>(&layer);
    if (!model)
        return;
    m_barWidthsAreInViewCoordinates = model->m_barWidthsAreInViewCoordinates;
    m_barWidth = model->m_barWidth;
    m_barWidthScale = model->m_barWidthScale;
    m_barOffset = model->m_barOffset;
    m_barOffsetScale = model->m_barOffsetScale;
    m_barCornerRadius = model->m_barCornerRadius;
    m_barBaseCornerRadius = model->m_barBaseCornerRadius;
    m_barsAreHorizontal = model->m_barsAreHorizontal;
    m_baseValue = model->m_baseValue;
    m_barBasesVary = model->m_barBasesVary;
    m_plotRange = model->m_plotRange;
    m_lineStyle = model->m_lineStyle;
    m_fill = model->m_fill;
}

std::span<const PELayer::FloatKey<PEBarPlot>> PEBarPlot::animatableFloatKeys()
{
    static const FloatKey<PEBarPlot> keys[] {
        { "barCornerRadius", &PEBarPlot::m_barCornerRadius, &PEBarPlot::setBarCornerRadius },
        { "barBaseCornerRadius", &PEBarPlot::m_barBaseCornerRadius, &PEBarPlot::setBarBaseCornerRadius },
        { "barOffsetScale", &PEBarPlot::m_barOffsetScale, &PEBarPlot::setBarOffsetScale },
        { "barWidthScale", &PEBarPlot::m_barWidthScale, &PEBarPlot::setBarWidthScale },
    };
    return keys;
}

bool PEBarPlot::needsDisplayForKey(const NSString& key) const
{
    return isFloatKey(animatableFloatKeys(), key) || PEPlot::needsDisplayForKey(key);
}

id PEBarPlot::valueForKey(const NSString& key) const
{
    if (id value = valueForFloatKey(*this, animatableFloatKeys(), key))
        return value;
    return PEPlot::valueForKey(key);
}

void PEBarPlot::setValue(const id& value, const NSString& key)
{
    if (setValueForFloatKey(*this, animatableFloatKeys(), value, key))
        return;
    PEPlot::setValue(value, key);
}
