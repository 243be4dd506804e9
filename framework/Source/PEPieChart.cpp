#include "framework/Source/PEPieChart.h"

#include "framework/Source/NSCoder_PEExtensions.h"
#include "framework/Source/PEColor.h"
#include "framework/Source/PEExceptions.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PEGraph.h"
#include "framework/Source/PELegend.h"
#include "framework/Source/PELineStyle.h"
#include "framework/Source/PEMutableNumericData.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotSpace.h"
#include "framework/Source/PEPlotSpaceAnnotation.h"
#include "framework/Source/PEUtilities.h"
#include "platform/foundation/NSDecimalNumber.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/CGPath.h"
#include "platform/layers/NSValueGeometry.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr CGFloat twoPi = 2 * M_PI;

} // namespace

void PEPieChart::init(CGRect frame)
{
    PEPlot::init(frame);
    m_pieRadius = 0.8 * std::min(frame.size.width, frame.size.height) / 2;
    setLabelOffset(10.0);
    setLabelField(PEPieChartFieldSliceWidth);
}

std::shared_ptr<PEColor> PEPieChart::defaultPieSliceColorForIndex(NSUInteger index)
{
    static constexpr CGFloat palette[10][3] = { { 1, 0, 0 }, { 0, 1, 0 }, { 0, 0, 1 }, { 1, 1, 0 }, { 0.25, 0.5, 0.25 },
        { 1, 0, 1 }, { 0.5, 0.5, 0.5 }, { 0.25, 0.5, 0 }, { 0.25, 0.25, 0.25 }, { 0, 1, 1 } };
    const CGFloat lift = static_cast<CGFloat>(index / 10) * 0.1;
    const auto& row = palette[index % 10];
    return PEColor::colorWithComponentRed(row[0] + lift, row[1] + lift, row[2] + lift, 1.0);
}

std::shared_ptr<PEPieChartDataSource> PEPieChart::pieDataSource() const { return std::dynamic_pointer_cast<PEPieChartDataSource>(dataSource()); }

void PEPieChart::postLegend(const char* name) { NSNotificationCenter::defaultCenter()->postNotificationName(name, self()); }

// Setters.

void PEPieChart::setPieRadius(CGFloat radius)
{
    if (radius == m_pieRadius)
        return;
    m_pieRadius = std::fabs(radius);
    setNeedsDisplay();
    repositionAllLabelAnnotations();
}

void PEPieChart::setPieInnerRadius(CGFloat radius)
{
    if (radius == m_pieInnerRadius)
        return;
    m_pieInnerRadius = std::fabs(radius);
    setNeedsDisplay();
}

void PEPieChart::setStartAngle(CGFloat angle)
{
    if (angle == m_startAngle)
        return;
    m_startAngle = angle;
    setNeedsDisplay();
    repositionAllLabelAnnotations();
}

void PEPieChart::setEndAngle(CGFloat angle)
{
    if (angle == m_endAngle)
        return;
    m_endAngle = angle;
    setNeedsDisplay();
    repositionAllLabelAnnotations();
}

void PEPieChart::setSliceDirection(int direction)
{
    if (direction == m_sliceDirection)
        return;
    m_sliceDirection = direction;
    setNeedsDisplay();
    repositionAllLabelAnnotations();
}

void PEPieChart::setCenterAnchor(CGPoint anchor)
{
    if (anchor.x == m_centerAnchor.x && anchor.y == m_centerAnchor.y)
        return;
    m_centerAnchor = anchor;
    setNeedsDisplay();
    repositionAllLabelAnnotations();
}

void PEPieChart::setBorderLineStyle(const std::shared_ptr<PELineStyle>& style)
{
    if (style == m_borderLineStyle)
        return;
    m_borderLineStyle = style ? style->copyStyle() : nullptr;
    setNeedsDisplay();
    postLegend(PELegendNeedsRedrawForPlotNotification);
}

void PEPieChart::setOverlayFill(const std::shared_ptr<PEFill>& fill) { m_overlayFill = fill ? std::static_pointer_cast<PEFill>(fill->copy()) : nullptr; }

void PEPieChart::setLabelRotationRelativeToRadius(bool relative)
{
    if (relative == m_labelRotationRelativeToRadius)
        return;
    m_labelRotationRelativeToRadius = relative;
    repositionAllLabelAnnotations();
}

void PEPieChart::setLabelRotation(CGFloat rotation)
{
    if (rotation == labelRotation())
        return;
    PEPlot::setLabelRotation(rotation);
    if (m_labelRotationRelativeToRadius)
        repositionAllLabelAnnotations();
}

std::shared_ptr<NSArray> PEPieChart::sliceWidths() const
{
    auto numbers = cachedNumbersForField(PEPieChartFieldSliceWidth);
    return numbers ? numbers->sampleArray() : nullptr;
}

void PEPieChart::setSliceWidths(const std::shared_ptr<NSArray>& widths)
{
    cacheNumbers(widths, PEPieChartFieldSliceWidth);
    updateNormalizedData();
}

void PEPieChart::setSliceRadialOffsets(const std::shared_ptr<NSArray>& offsets)
{
    cacheArray(offsets, "sliceRadialOffsets");
    setNeedsDisplay();
    setNeedsLayout();
}

// Reloading.

void PEPieChart::reloadData()
{
    PEPlot::reloadData();
    postLegend(PELegendNeedsReloadEntriesForPlotNotification);
}

void PEPieChart::reloadDataInIndexRange(NSRange indexRange)
{
    PEPlot::reloadDataInIndexRange(indexRange);
    auto plainSource = dataSource();
    if (!loadNumbersForAllFieldsFromDataSourceInRecordIndexRange(indexRange)) {
        if (plainSource)
            cacheNumbers(numbersFromDataSourceForField(PEPieChartFieldSliceWidth, indexRange), PEPieChartFieldSliceWidth, indexRange.location);
    }
    updateNormalizedData();

    auto source = pieDataSource();
    if (!source)
        return;
    cacheStyleArrayOfRecords("sliceFills", indexRange, [&]() { return source->sliceFillsForPieChart(*this, indexRange); },
        [&](NSUInteger index) { return source->sliceFillForPieChart(*this, index); });
    cacheStyleArray("sliceRadialOffsets", indexRange,
        [&]() { return source->radialOffsetsForPieChart(*this, indexRange); },
        [&](NSUInteger index) -> std::optional<id> {
            auto offset = source->radialOffsetForPieChart(*this, index);
            if (!offset)
                return std::nullopt;
            return std::static_pointer_cast<NSObject>(NSNumber::numberWithDouble(*offset));
        });
    // Whether the data source offers per-record titles or fills is learnt by asking it about a
    // record it has, whichever form the fills came in.
    const NSUInteger probe = indexRange.length > 0 ? indexRange.location : 0;
    if (probe < cachedDataCount() && (source->legendTitleForPieChart(*this, probe) || source->sliceFillForPieChart(*this, probe)))
        postLegend(PELegendNeedsRedrawForPlotNotification);
}

void PEPieChart::insertDataAtIndex(NSUInteger index, NSUInteger numberOfRecords)
{
    PEPlot::insertDataAtIndex(index, numberOfRecords);
    postLegend(PELegendNeedsReloadEntriesForPlotNotification);
}

void PEPieChart::deleteDataInIndexRange(NSRange indexRange)
{
    PEPlot::deleteDataInIndexRange(indexRange);
    updateNormalizedData();
    postLegend(PELegendNeedsReloadEntriesForPlotNotification);
}

void PEPieChart::updateNormalizedData()
{
    const NSUInteger count = cachedDataCount();
    if (count == 0) {
        cacheNumbers(nullptr, PEPieChartFieldSliceWidthNormalized);
        cacheNumbers(nullptr, PEPieChartFieldSliceWidthSum);
        return;
    }
    auto shape = NSArray::arrayWithObject(NSNumber::numberWithUnsignedInteger(count));
    if (doublePrecisionCache()) {
        double total = 0;
        for (NSUInteger i = 0; i < count; ++i) {
            const double value = cachedDoubleForField(PEPieChartFieldSliceWidth, i);
            if (!std::isnan(value))
                total += value;
        }
        auto normalized = PEMutableNumericData::numericDataWithData(NSData::data(), doubleDataType(), nullptr);
        auto sums = PEMutableNumericData::numericDataWithData(NSData::data(), doubleDataType(), nullptr);
        normalized->setShape(shape);
        sums->setShape(shape);
        double running = 0;
        for (NSUInteger i = 0; i < count; ++i) {
            const double value = cachedDoubleForField(PEPieChartFieldSliceWidth, i);
            double width = std::numeric_limits<double>::quiet_NaN();
            if (!std::isnan(value)) {
                width = value / total;
                running += value;
            }
            const double sum = running / total;
            std::memcpy(normalized->mutableBytes() + i * sizeof(double), &width, sizeof width);
            std::memcpy(sums->mutableBytes() + i * sizeof(double), &sum, sizeof sum);
        }
        cacheNumbers(normalized, PEPieChartFieldSliceWidthNormalized);
        cacheNumbers(sums, PEPieChartFieldSliceWidthSum);
    } else {
        NSDecimal total = PEDecimalWithLong(0);
        for (NSUInteger i = 0; i < count; ++i) {
            const NSDecimal value = cachedDecimalForField(PEPieChartFieldSliceWidth, i);
            if (!NSDecimalIsNotANumber(&value))
                total = PEDecimalSum(total, value);
        }
        auto normalized = PEMutableNumericData::numericDataWithData(NSData::data(), decimalDataType(), nullptr);
        auto sums = PEMutableNumericData::numericDataWithData(NSData::data(), decimalDataType(), nullptr);
        normalized->setShape(shape);
        sums->setShape(shape);
        NSDecimal running = PEDecimalWithLong(0);
        for (NSUInteger i = 0; i < count; ++i) {
            const NSDecimal value = cachedDecimalForField(PEPieChartFieldSliceWidth, i);
            NSDecimal width = PEDecimalNotANumber();
            if (!NSDecimalIsNotANumber(&value)) {
                width = PEDecimalQuotient(value, total);
                running = PEDecimalSum(running, value);
            }
            const NSDecimal sum = PEDecimalQuotient(running, total);
            std::memcpy(normalized->mutableBytes() + i * sizeof(NSDecimal), &width, sizeof width);
            std::memcpy(sums->mutableBytes() + i * sizeof(NSDecimal), &sum, sizeof sum);
        }
        cacheNumbers(normalized, PEPieChartFieldSliceWidthNormalized);
        cacheNumbers(sums, PEPieChartFieldSliceWidthSum);
    }
    // Storing whole fields set the count from them; it is the same count.
    setCachedDataCount(count);
    relabelIndexRange(NSMakeRange(0, count));
}

// Geometry.

CGFloat PEPieChart::pieSpan() const
{
    switch (m_sliceDirection) {
    case PEPieDirectionCounterClockwise:
        return std::isnan(m_endAngle) ? twoPi : std::fabs(m_endAngle - m_startAngle);
    case PEPieDirectionClockwise:
        return std::isnan(m_endAngle) ? twoPi : twoPi - std::fabs(m_endAngle - m_startAngle);
    default:
        return 0;
    }
}

CGFloat PEPieChart::radiansForPieSliceValue(CGFloat fraction) const
{
    switch (m_sliceDirection) {
    case PEPieDirectionCounterClockwise:
        return m_startAngle + pieSpan() * fraction;
    case PEPieDirectionClockwise:
        return m_startAngle - pieSpan() * fraction;
    default:
        return m_startAngle;
    }
}

void PEPieChart::addSliceToPath(const CGMutablePathRef& path, CGPoint center, CGFloat startingAngle, CGFloat finishingAngle) const
{
    const bool clockwise = m_sliceDirection == PEPieDirectionClockwise;
    if (m_pieInnerRadius > 0) {
        CGPathAddArc(path, nullptr, center.x, center.y, m_pieRadius, startingAngle, finishingAngle, clockwise);
        CGPathAddArc(path, nullptr, center.x, center.y, m_pieInnerRadius, finishingAngle, startingAngle, !clockwise);
    } else {
        CGPathMoveToPoint(path, nullptr, center.x, center.y);
        CGPathAddArc(path, nullptr, center.x, center.y, m_pieRadius, startingAngle, finishingAngle, clockwise);
    }
}

std::shared_ptr<PEFill> PEPieChart::sliceFillForIndex(NSUInteger index) const
{
    id value = cachedValueForKey("sliceFills", index);
    if (!value || value == nilData())
        return PEFill::fillWithColor(PEPieChart::defaultPieSliceColorForIndex(index));
    return ns::cast<PEFill>(value);
}

CGFloat PEPieChart::radialOffsetForIndex(NSUInteger index) const
{
    auto number = ns::cast<NSNumber>(cachedValueForKey("sliceRadialOffsets", index));
    if (!number)
        return 0;
    const double offset = number->doubleValue();
    return std::isfinite(offset) ? offset : 0;
}

std::optional<CGPoint> PEPieChart::centerInPlotArea() const
{
    auto area = plotArea();
    if (!area)
        return std::nullopt;
    const CGRect bounds = area->bounds();
    return CGPoint { bounds.origin.x + bounds.size.width * m_centerAnchor.x, bounds.origin.y + bounds.size.height * m_centerAnchor.y };
}

// Drawing.

void PEPieChart::renderAsVectorInContext(const CGContextRef& context)
{
    if (isHidden())
        return;
    const NSUInteger count = cachedDataCount();
    auto area = plotArea();
    auto centerInArea = centerInPlotArea();
    if (count == 0 || !area || !centerInArea)
        return;
    PEPlot::renderAsVectorInContext(context);
    if (pieSpan() == 0)
        return;
    CGContextBeginTransparencyLayer(context, nullptr);
    CGPoint center = convertPointFromLayer(*centerInArea, area);
    if (alignsPointsToPixels())
        center = PEPixelAlignPoint(context, center);

    bool anyOffset = false;
    for (NSUInteger i = 0; i < count && !anyOffset; ++i)
        anyOffset = radialOffsetForIndex(i) != 0;
    const bool overlayEachSlice = anyOffset && m_overlayFill;
    const CGFloat overlayRadius = m_pieRadius + (m_borderLineStyle ? m_borderLineStyle->lineWidth() / 2 : 0);
    const CGRect overlaySquare { CGPoint { center.x - overlayRadius, center.y - overlayRadius }, CGSize { 2 * overlayRadius, 2 * overlayRadius } };
    if (m_borderLineStyle)
        m_borderLineStyle->setLineStyleInContext(context);

    CGFloat fraction = 0;
    for (NSUInteger i = 0; i < count; ++i) {
        const double width = cachedDoubleForField(PEPieChartFieldSliceWidthNormalized, i);
        if (std::isnan(width))
            continue;
        const CGFloat offset = radialOffsetForIndex(i);
        CGContextSaveGState(context);
        const CGFloat a0 = radiansForPieSliceValue(fraction);
        fraction += width;
        const CGFloat a1 = radiansForPieSliceValue(fraction);
        CGPoint sliceCenter = center;
        CGSize shift {};
        if (offset != 0) {
            const CGFloat middle = (a0 + a1) / 2;
            shift = CGSize { offset * std::cos(middle), offset * std::sin(middle) };
            sliceCenter = CGPoint { center.x + shift.width, center.y + shift.height };
            if (alignsPointsToPixels())
                sliceCenter = PEPixelAlignPoint(context, sliceCenter);
        }
        auto path = CGPathCreateMutable();
        addSliceToPath(path, sliceCenter, a0, a1);
        CGPathCloseSubpath(path);
        if (auto fill = sliceFillForIndex(i)) {
            CGContextBeginPath(context);
            CGContextAddPath(context, path);
            fill->fillPathInContext(context);
        }
        if (m_borderLineStyle) {
            CGContextBeginPath(context);
            CGContextAddPath(context, path);
            m_borderLineStyle->strokePathInContext(context);
        }
        if (overlayEachSlice) {
            CGContextSaveGState(context);
            CGContextBeginPath(context);
            CGContextAddPath(context, path);
            CGContextClip(context);
            m_overlayFill->fillRect(CGRectOffset(overlaySquare, shift.width, shift.height), context);
            CGContextRestoreGState(context);
        }
        CGContextRestoreGState(context);
    }
    CGContextEndTransparencyLayer(context);

    if (!anyOffset && m_overlayFill) {
        CGContextSetShadowWithColor(context, CGSize {}, 0, nullptr);
        CGContextBeginPath(context);
        if (m_pieInnerRadius > 0) {
            CGContextAddArc(context, center.x, center.y, m_pieRadius, 0, twoPi, false);
            CGContextAddArc(context, center.x, center.y, m_pieInnerRadius, twoPi, 0, true);
        } else {
            CGContextMoveToPoint(context, center.x, center.y);
            CGContextAddArc(context, center.x, center.y, m_pieRadius, 0, twoPi, false);
        }
        CGContextClosePath(context);
        m_overlayFill->fillPathInContext(context);
    }
}

// Legend.

NSUInteger PEPieChart::numberOfLegendEntries() const { return const_cast<PEPieChart*>(this)->cachedDataCount(); }

NSString PEPieChart::titleForLegendEntryAtIndex(NSUInteger index) const
{
    if (auto source = pieDataSource()) {
        if (auto title = source->legendTitleForPieChart(const_cast<PEPieChart&>(*this), index))
            return *title;
    }
    return PEPlot::titleForLegendEntryAtIndex(index);
}

std::shared_ptr<NSAttributedString> PEPieChart::attributedTitleForLegendEntryAtIndex(NSUInteger index) const
{
    if (auto source = pieDataSource()) {
        if (auto title = source->attributedLegendTitleForPieChart(const_cast<PEPieChart&>(*this), index))
            return *title;
    }
    return PEPlot::attributedTitleForLegendEntryAtIndex(index);
}

void PEPieChart::drawSwatchForLegend(PELegend& legend, NSUInteger index, CGRect rect, const CGContextRef& context)
{
    PEPlot::drawSwatchForLegend(legend, index, rect, context);
    if (!drawLegendSwatchDecoration())
        return;
    auto fill = sliceFillForIndex(index);
    const CGFloat radius = legend.swatchCornerRadius();
    if (fill) {
        CGContextBeginPath(context);
        PEAddRoundedRectPathToContext(context, PEPixelSnapRect(context, rect), radius);
        fill->fillPathInContext(context);
    }
    if (m_borderLineStyle) {
        m_borderLineStyle->setLineStyleInContext(context);
        CGContextBeginPath(context);
        PEAddRoundedRectPathToContext(context, PEPixelAlignBorderedRect(context, rect, m_borderLineStyle), radius);
        m_borderLineStyle->strokePathInContext(context);
    }
}

// Positions, labels and hit testing.

CGFloat PEPieChart::normalizedPosition(CGFloat angle) const
{
    CGFloat position = std::fmod(angle / twoPi, 1.0);
    return position < 0 ? position + 1.0 : position;
}

bool PEPieChart::angleBetween(CGFloat position, CGFloat startPosition, CGFloat endPosition) const
{
    switch (m_sliceDirection) {
    case PEPieDirectionCounterClockwise:
        return (startPosition <= position && position <= endPosition) || (endPosition > 1.0 && position + 1.0 <= endPosition);
    case PEPieDirectionClockwise:
        return (endPosition <= position && position <= startPosition) || (endPosition < 0.0 && position - 1.0 >= endPosition);
    default:
        return false;
    }
}

NSUInteger PEPieChart::pieSliceIndexAtAngle(CGFloat angle)
{
    const NSUInteger count = cachedDataCount();
    if (count == 0 || pieSpan() == 0)
        return NSNotFound;
    const CGFloat target = normalizedPosition(angle);
    CGFloat start = normalizedPosition(m_startAngle);
    for (NSUInteger i = 0; i < count; ++i) {
        const double width = cachedDoubleForField(PEPieChartFieldSliceWidthNormalized, i);
        if (std::isnan(width))
            continue;
        const CGFloat end = m_sliceDirection == PEPieDirectionClockwise ? start - width : start + width;
        if (angleBetween(target, start, end))
            return i;
        start = end;
    }
    return NSNotFound;
}

CGFloat PEPieChart::medianAngleForPieSliceIndex(NSUInteger index)
{
    if (!(index < cachedDataCount()))
        PEParameterAssertionFailed("idx < sampleCount");
    CGFloat before = 0;
    for (NSUInteger i = 0; i < index; ++i) {
        const double width = cachedDoubleForField(PEPieChartFieldSliceWidthNormalized, i);
        if (!std::isnan(width))
            before += width;
    }
    const double width = cachedDoubleForField(PEPieChartFieldSliceWidthNormalized, index);
    if (std::isnan(width))
        return NAN;
    return (radiansForPieSliceValue(before) + radiansForPieSliceValue(before + width)) / 2;
}

void PEPieChart::positionLabelAnnotation(const std::shared_ptr<PEPlotSpaceAnnotation>& label, NSUInteger index)
{
    if (!label)
        return;
    auto centerInArea = centerInPlotArea();
    auto space = plotSpace();
    if (!label->contentLayer() || !centerInArea || !space) {
        label->setAnchorPlotPoint({});
        label->setDisplacement(CGPoint {});
        return;
    }
    NSDecimal anchor[2];
    space->plotPoint(anchor, 2, *centerInArea);
    label->setAnchorPlotPoint({ NSDecimalNumber::decimalNumberWithDecimal(anchor[0]), NSDecimalNumber::decimalNumberWithDecimal(anchor[1]) });

    const double width = cachedDoubleForField(PEPieChartFieldSliceWidthNormalized, index);
    const bool hidden = isHidden() || std::isnan(width);
    if (!hidden) {
        const CGFloat distance = radialOffsetForIndex(index) + m_pieRadius + labelOffset();
        const double before = index == 0 ? 0 : cachedDoubleForField(PEPieChartFieldSliceWidthSum, index - 1);
        const CGFloat angle = radiansForPieSliceValue(before + width / 2);
        label->setDisplacement(CGPoint { distance * std::cos(angle), distance * std::sin(angle) });
        if (m_labelRotationRelativeToRadius) {
            CGFloat position = normalizedPosition(angle + labelRotation());
            if (position > 0.25 && position < 0.75)
                position -= 0.5;
            label->setRotation(position * twoPi);
        }
    }
    label->contentLayer()->setHidden(hidden);
}

NSUInteger PEPieChart::dataIndexFromInteractionPoint(CGPoint point)
{
    auto area = plotArea();
    auto centerInArea = centerInPlotArea();
    const NSUInteger count = cachedDataCount();
    if (!graph() || !area || !centerInArea || count == 0)
        return NSNotFound;
    // Drawing and hit testing share one arc: a pie with no room is hit nowhere.
    const CGFloat span = pieSpan();
    if (span == 0)
        return NSNotFound;
    const CGFloat scale = twoPi / span;
    // The touch arrives in plot-area coordinates; the centre is taken in the same ones.
    const CGPoint center = *centerInArea;
    const CGFloat dx = point.x - center.x;
    const CGFloat dy = point.y - center.y;
    const CGFloat distanceSquared = dx * dx + dy * dy;
    const CGFloat target = normalizedPosition(std::atan2(dy, dx));
    CGFloat start = normalizedPosition(m_startAngle);
    const CGFloat inner = m_pieInnerRadius * m_pieInnerRadius;
    const CGFloat outer = m_pieRadius * m_pieRadius;
    for (NSUInteger i = 0; i < count; ++i) {
        const double width = cachedDoubleForField(PEPieChartFieldSliceWidthNormalized, i);
        if (std::isnan(width))
            continue;
        const CGFloat end = m_sliceDirection == PEPieDirectionCounterClockwise ? start + width / scale : start - width / scale;
        CGFloat ownTarget = target;
        CGFloat ownDistance = distanceSquared;
        if (const CGFloat offset = radialOffsetForIndex(i); offset != 0) {
            const CGFloat middle = M_PI * (start + end);
            const CGFloat ox = dx - offset * std::cos(middle);
            const CGFloat oy = dy - offset * std::sin(middle);
            ownTarget = normalizedPosition(std::atan2(oy, ox));
            ownDistance = ox * ox + oy * oy;
        }
        if (angleBetween(target, start, end)) {
            if (!angleBetween(ownTarget, start, end))
                return NSNotFound;
            if (inner <= ownDistance && ownDistance <= outer)
                return i;
        }
        start = end;
    }
    return NSNotFound;
}

bool PEPieChart::pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint)
{
    auto owner = graph();
    auto area = plotArea();
    if (!owner || !area || isHidden())
        return false;
    if (auto observer = std::dynamic_pointer_cast<PEPieChartDelegate>(delegate())) {
        const NSUInteger index = dataIndexFromInteractionPoint(owner->convertPointToLayer(interactionPoint, area));
        if (index != NSNotFound) {
            const bool plain = observer->sliceWasSelectedAtRecordIndex(*this, index);
            const bool withEvent = observer->sliceWasSelectedAtRecordIndexWithEvent(*this, index, event);
            if (plain || withEvent)
                return true;
        }
    }
    return PEPlot::pointingDeviceDownEvent(event, interactionPoint);
}

// Keyed coding.

void PEPieChart::encodeWithCoder(NSCoder& coder) const
{
    using namespace NSCoder_PEExtensions;
    PEPlot::encodeWithCoder(coder);
    encodeCGFloat(coder, m_pieRadius, "PEPieChart.pieRadius");
    encodeCGFloat(coder, m_pieInnerRadius, "PEPieChart.pieInnerRadius");
    encodeCGFloat(coder, m_startAngle, "PEPieChart.startAngle");
    encodeCGFloat(coder, m_endAngle, "PEPieChart.endAngle");
    coder.encodeInt(m_sliceDirection, "PEPieChart.sliceDirection");
    encodePEPoint(coder, m_centerAnchor, "PEPieChart.centerAnchor");
    coder.encodeObject(m_borderLineStyle, "PEPieChart.borderLineStyle");
    coder.encodeObject(m_overlayFill, "PEPieChart.overlayFill");
    coder.encodeBool(m_labelRotationRelativeToRadius, "PEPieChart.labelRotationRelativeToRadius");
}

bool PEPieChart::init(NSCoder& coder)
{
    using namespace NSCoder_PEExtensions;
    if (!PEPlot::init(coder))
        return false;
    m_pieRadius = std::fabs(decodeCGFloatForKey(coder, "PEPieChart.pieRadius"));
    m_pieInnerRadius = std::fabs(decodeCGFloatForKey(coder, "PEPieChart.pieInnerRadius"));
    m_startAngle = decodeCGFloatForKey(coder, "PEPieChart.startAngle");
    m_endAngle = decodeCGFloatForKey(coder, "PEPieChart.endAngle");
    m_sliceDirection = coder.decodeIntForKey("PEPieChart.sliceDirection");
    m_centerAnchor = decodePEPointForKey(coder, "PEPieChart.centerAnchor");
    m_borderLineStyle = coder.decodeObjectOfClass<PELineStyle>("PEPieChart.borderLineStyle");
    m_overlayFill = coder.decodeObjectOfClass<PEFill>("PEPieChart.overlayFill");
    m_labelRotationRelativeToRadius = coder.decodeBoolForKey("PEPieChart.labelRotationRelativeToRadius");
    return std::isfinite(m_pieRadius) && std::isfinite(m_pieInnerRadius) && std::isfinite(m_startAngle)
        && (m_sliceDirection == PEPieDirectionClockwise || m_sliceDirection == PEPieDirectionCounterClockwise);
}

void PEPieChart::init(const CALayer& layer)
{
    PEPlot::init(layer);
    auto model = dynamic_cast<const PEPieChart*>(&layer);
    if (!model)
        return;
    m_pieRadius = model->m_pieRadius;
    m_pieInnerRadius = model->m_pieInnerRadius;
    m_startAngle = model->m_startAngle;
    m_endAngle = model->m_endAngle;
    m_sliceDirection = model->m_sliceDirection;
    m_centerAnchor = model->m_centerAnchor;
    m_borderLineStyle = model->m_borderLineStyle;
    m_overlayFill = model->m_overlayFill;
    m_labelRotationRelativeToRadius = model->m_labelRotationRelativeToRadius;
}

std::span<const PELayer::FloatKey<PEPieChart>> PEPieChart::animatableFloatKeys()
{
    static const FloatKey<PEPieChart> keys[] {
        { "pieRadius", &PEPieChart::m_pieRadius, &PEPieChart::setPieRadius },
        { "pieInnerRadius", &PEPieChart::m_pieInnerRadius, &PEPieChart::setPieInnerRadius },
        { "startAngle", &PEPieChart::m_startAngle, &PEPieChart::setStartAngle },
        { "endAngle", &PEPieChart::m_endAngle, &PEPieChart::setEndAngle },
    };
    return keys;
}

bool PEPieChart::needsDisplayForKey(const NSString& key) const
{
    return isFloatKey(animatableFloatKeys(), key) || key == NSString("centerAnchor") || PEPlot::needsDisplayForKey(key);
}

id PEPieChart::valueForKey(const NSString& key) const
{
    if (id value = valueForFloatKey(*this, animatableFloatKeys(), key))
        return value;
    if (key == NSString("centerAnchor"))
        return NSValueGeometry::valueWithCGPoint(m_centerAnchor);
    return PEPlot::valueForKey(key);
}

void PEPieChart::setValue(const id& value, const NSString& key)
{
    if (setValueForFloatKey(*this, animatableFloatKeys(), value, key))
        return;
    if (key == NSString("centerAnchor")) {
        setGeometryValue(*this, &PEPieChart::m_centerAnchor, &PEPieChart::setCenterAnchor, NSValueGeometry::CGPointEncoding, value);
        return;
    }
    PEPlot::setValue(value, key);
}
