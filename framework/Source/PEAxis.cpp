#include "framework/Source/PEAxis.h"

#include "framework/Source/NSCoder_PEExtensions.h"
#include "framework/Source/PEAxisLabel.h"
#include "framework/Source/PEAxisLabelGroup.h"
#include "framework/Source/PEAxisSet.h"
#include "framework/Source/PEAxisTitle.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PEGridLineGroup.h"
#include "framework/Source/PEGridLines.h"
#include "framework/Source/PELimitBand.h"
#include "framework/Source/PELineCap.h"
#include "framework/Source/PELineStyle.h"
#include "framework/Source/PEMutablePlotRange.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotSpace.h"
#include "framework/Source/PETextLayer.h"
#include "framework/Source/PETextStyle.h"
#include "framework/Source/PEUtilities.h"
#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSDecimalNumber.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSLocale.h"
#include "platform/foundation/NSNumberFormatter.h"

#include <algorithm>
#include <cmath>

namespace {

// More ticks than this are never generated, whatever the interval and range.
constexpr int maximumTickCount = 1000;

NSDecimal roundedDecimal(const NSDecimal& value, NSRoundingMode mode)
{
    NSDecimal result;
    NSDecimalRound(&result, &value, 0, mode);
    return result;
}

void sortUnique(std::vector<NSDecimal>& locations)
{
    std::sort(locations.begin(), locations.end(), [](const NSDecimal& a, const NSDecimal& b) { return PEDecimalIsLess(a, b); });
    locations.erase(std::unique(locations.begin(), locations.end(), [](const NSDecimal& a, const NSDecimal& b) { return PEDecimalIsEqual(a, b); }),
        locations.end());
}

// 1, 2 or 5 times a power of ten, close to the wanted step.
NSDecimal niceInterval(double span, int wantedTicks)
{
    if (!(span > 0) || !std::isfinite(span))
        return PEDecimalWithInt(1);
    double raw = span / std::max(1, wantedTicks - 1);
    int exponent = static_cast<int>(std::floor(std::log10(raw)));
    double fraction = raw / std::pow(10.0, exponent);
    int nice = fraction < 1.5 ? 1 : fraction < 3.5 ? 2 : fraction < 7.5 ? 5 : 10;
    return ns::decimalWithMantissa(static_cast<unsigned long long>(nice), static_cast<short>(exponent), false);
}

} // namespace

void PEAxis::init()
{
    init(CGRectZero);
}

void PEAxis::init(CGRect frame)
{
    PELayer::init(frame);
    m_majorIntervalLength = PEDecimalWithInt(1);
    m_titleLocation = PEDecimalNotANumber();
    m_majorTickLineStyle = PELineStyle::lineStyle();
    m_axisLineStyle = PELineStyle::lineStyle();
    m_labelTextStyle = PETextStyle::textStyle();
    m_titleTextStyle = PETextStyle::textStyle();
    setNeedsDisplayOnBoundsChange(true);
}

void PEAxis::setNeedsRelabel()
{
    m_needsRelabel = true;
    setNeedsDisplay();
}

void PEAxis::setNeedsRelabelAndDisplay()
{
    setNeedsRelabel();
    if (auto area = plotArea())
        area->setNeedsDisplay();
}

void PEAxis::setCoordinate(PECoordinate coordinate)
{
    if (coordinate == m_coordinate)
        return;
    m_coordinate = coordinate;
    setNeedsRelabelAndDisplay();
}

void PEAxis::setPlotSpace(const std::shared_ptr<PEPlotSpace>& space)
{
    if (space == m_plotSpace)
        return;
    auto center = NSNotificationCenter::defaultCenter();
    if (m_plotSpace)
        center->removeObserver(self(), PEPlotSpaceCoordinateMappingDidChangeNotification, m_plotSpace);
    m_plotSpace = space;
    // New ranges or scales move every tick: the generated ones must follow.
    if (space)
        center->addObserver(self(), &PEAxis::plotSpaceMappingDidChange, PEPlotSpaceCoordinateMappingDidChangeNotification, space);
    setNeedsRelabel();
}

void PEAxis::plotSpaceMappingDidChange()
{
    setNeedsRelabel();
    setNeedsLayout();
}

PEAxis::~PEAxis()
{
    NSNotificationCenter::defaultCenter()->removeObserver(static_cast<const NSObject*>(this));
}

void PEAxis::setPlotArea(const std::shared_ptr<PEPlotArea>& plotArea)
{
    if (plotArea == m_plotArea.lock())
        return;
    detachLabelLayers();
    if (m_minorGridLines)
        m_minorGridLines->removeFromSuperlayer();
    if (m_majorGridLines)
        m_majorGridLines->removeFromSuperlayer();
    m_plotArea = plotArea;
    if (plotArea) {
        updateGridLineLayers();
        attachLabelLayers();
    }
}

void PEAxis::setTickDirection(PESign direction)
{
    if (direction == m_tickDirection)
        return;
    m_tickDirection = direction;
    setNeedsDisplay();
    setNeedsLayout();
}

void PEAxis::setMajorTickLength(CGFloat length)
{
    if (length == m_majorTickLength)
        return;
    m_majorTickLength = length;
    setNeedsDisplay();
}

void PEAxis::setMinorTickLength(CGFloat length)
{
    if (length == m_minorTickLength)
        return;
    m_minorTickLength = length;
    setNeedsDisplay();
}

void PEAxis::setMajorTickLineStyle(const std::shared_ptr<PELineStyle>& style)
{
    if (style == m_majorTickLineStyle)
        return;
    m_majorTickLineStyle = style ? style->copyStyle() : nullptr;
    setNeedsDisplay();
}

void PEAxis::setMinorTickLineStyle(const std::shared_ptr<PELineStyle>& style)
{
    if (style == m_minorTickLineStyle)
        return;
    m_minorTickLineStyle = style ? style->copyStyle() : nullptr;
    setNeedsDisplay();
}

void PEAxis::setMajorTickLocations(std::vector<NSDecimal> locations)
{
    sortUnique(locations);
    m_majorTickLocations = std::move(locations);
    if (m_labelingPolicy == PEAxisLabelingPolicyLocationsProvided)
        setNeedsRelabel();
    setNeedsDisplay();
}

void PEAxis::setMinorTickLocations(std::vector<NSDecimal> locations)
{
    sortUnique(locations);
    m_minorTickLocations = std::move(locations);
    setNeedsDisplay();
}

void PEAxis::setLabelingPolicy(PEAxisLabelingPolicy policy)
{
    if (policy == m_labelingPolicy)
        return;
    m_labelingPolicy = policy;
    setNeedsRelabelAndDisplay();
}

void PEAxis::setMajorIntervalLength(const NSDecimal& length)
{
    if (PEDecimalIsEqual(length, m_majorIntervalLength))
        return;
    m_majorIntervalLength = length;
    setNeedsRelabelAndDisplay();
}

void PEAxis::setMinorTicksPerInterval(NSUInteger count)
{
    if (count == m_minorTicksPerInterval)
        return;
    m_minorTicksPerInterval = count;
    setNeedsRelabel();
}

void PEAxis::setPreferredNumberOfMajorTicks(NSUInteger count)
{
    if (count == m_preferredNumberOfMajorTicks)
        return;
    m_preferredNumberOfMajorTicks = count;
    setNeedsRelabel();
}

void PEAxis::setVisibleRange(const std::shared_ptr<PEPlotRange>& range)
{
    if (ns::isEqual(range, m_visibleRange))
        return;
    m_visibleRange = range ? range->copyRange() : nullptr;
    setNeedsRelabelAndDisplay();
}

void PEAxis::setVisibleAxisRange(const std::shared_ptr<PEPlotRange>& range)
{
    if (ns::isEqual(range, m_visibleAxisRange))
        return;
    m_visibleAxisRange = range ? range->copyRange() : nullptr;
    setNeedsDisplay();
}

void PEAxis::setGridLinesRange(const std::shared_ptr<PEPlotRange>& range)
{
    if (ns::isEqual(range, m_gridLinesRange))
        return;
    m_gridLinesRange = range ? range->copyRange() : nullptr;
    setNeedsDisplay();
    if (auto area = plotArea())
        area->setNeedsDisplay();
}

void PEAxis::setAxisLineStyle(const std::shared_ptr<PELineStyle>& style)
{
    if (style == m_axisLineStyle)
        return;
    m_axisLineStyle = style ? style->copyStyle() : nullptr;
    setNeedsDisplay();
}

void PEAxis::setAxisLineCapMin(const std::shared_ptr<PELineCap>& cap)
{
    if (cap == m_axisLineCapMin)
        return;
    m_axisLineCapMin = cap ? std::static_pointer_cast<PELineCap>(cap->copy()) : nullptr;
    setNeedsDisplay();
}

void PEAxis::setAxisLineCapMax(const std::shared_ptr<PELineCap>& cap)
{
    if (cap == m_axisLineCapMax)
        return;
    m_axisLineCapMax = cap ? std::static_pointer_cast<PELineCap>(cap->copy()) : nullptr;
    setNeedsDisplay();
}

void PEAxis::setMajorGridLineStyle(const std::shared_ptr<PELineStyle>& style)
{
    if (style == m_majorGridLineStyle)
        return;
    m_majorGridLineStyle = style ? style->copyStyle() : nullptr;
    updateGridLineLayers();
    updatePlotAreaLayers(PEPlotAreaLayerTypeMajorGridLines);
}

void PEAxis::setMinorGridLineStyle(const std::shared_ptr<PELineStyle>& style)
{
    if (style == m_minorGridLineStyle)
        return;
    m_minorGridLineStyle = style ? style->copyStyle() : nullptr;
    updateGridLineLayers();
    updatePlotAreaLayers(PEPlotAreaLayerTypeMinorGridLines);
}

void PEAxis::setAlternatingBandFills(std::vector<std::shared_ptr<PEFill>> fills)
{
    m_alternatingBandFills = std::move(fills);
    if (auto area = plotArea())
        area->setNeedsDisplay();
}

void PEAxis::addBackgroundLimitBand(const std::shared_ptr<PELimitBand>& band)
{
    if (!band)
        return;
    m_backgroundLimitBands.push_back(band);
    if (auto area = plotArea())
        area->setNeedsDisplay();
}

void PEAxis::removeBackgroundLimitBand(const std::shared_ptr<PELimitBand>& band)
{
    std::erase(m_backgroundLimitBands, band);
    if (auto area = plotArea())
        area->setNeedsDisplay();
}

void PEAxis::setSeparateLayers(bool separate)
{
    if (separate == m_separateLayers)
        return;
    m_separateLayers = separate;
    updateGridLineLayers();
}

void PEAxis::setLabelAlignment(PEAlignment alignment)
{
    if (alignment == m_labelAlignment)
        return;
    m_labelAlignment = alignment;
    setNeedsRelabel();
}

void PEAxis::setLabelTextStyle(const std::shared_ptr<PETextStyle>& style)
{
    if (style == m_labelTextStyle)
        return;
    m_labelTextStyle = style ? style->copyStyle() : nullptr;
    setNeedsRelabel();
}

void PEAxis::setMinorTickLabelTextStyle(const std::shared_ptr<PETextStyle>& style)
{
    if (style == m_minorTickLabelTextStyle)
        return;
    m_minorTickLabelTextStyle = style ? style->copyStyle() : nullptr;
    setNeedsRelabel();
}

void PEAxis::setLabelOffset(CGFloat offset)
{
    if (offset == m_labelOffset)
        return;
    m_labelOffset = offset;
    setNeedsRelabel();
}

void PEAxis::setLabelRotation(CGFloat rotation)
{
    if (rotation == m_labelRotation)
        return;
    m_labelRotation = rotation;
    setNeedsRelabel();
}

void PEAxis::setLabelFormatter(const std::shared_ptr<NSFormatter>& formatter)
{
    if (formatter == m_labelFormatter)
        return;
    m_labelFormatter = formatter;
    setNeedsRelabel();
}

void PEAxis::setAxisLabels(const LabelList& labels)
{
    detachLabelLayers();
    m_axisLabels.clear();
    for (const auto& label : labels) {
        if (!label)
            continue;
        bool repeated = std::any_of(m_axisLabels.begin(), m_axisLabels.end(), [&](const auto& existing) { return existing->isEqual(label); });
        if (!repeated)
            m_axisLabels.push_back(label);
    }
    attachLabelLayers();
    updatePlotAreaLayers(PEPlotAreaLayerTypeAxisLabels);
    setNeedsLayout();
}

void PEAxis::setAxisTitle(const std::shared_ptr<PEAxisTitle>& title)
{
    if (title == m_axisTitle)
        return;
    if (m_axisTitle && m_axisTitle->contentLayer())
        m_axisTitle->contentLayer()->removeFromSuperlayer();
    m_axisTitle = title;
    updatePlotAreaLayers(PEPlotAreaLayerTypeAxisTitles);
    attachLabelLayers();
    setNeedsLayout();
}

void PEAxis::setTitle(const NSString& title)
{
    if (title == m_title)
        return;
    m_title = title;
    if (title.isNil()) {
        setAxisTitle(nullptr);
        return;
    }
    if (m_axisTitle) {
        if (auto textLayer = std::dynamic_pointer_cast<PETextLayer>(m_axisTitle->contentLayer()))
            textLayer->setText(title);
        setNeedsLayout();
        return;
    }
    setAxisTitle(PEAxisTitle::titleWithText(title, m_titleTextStyle));
}

void PEAxis::setTitleTextStyle(const std::shared_ptr<PETextStyle>& style)
{
    if (style == m_titleTextStyle)
        return;
    m_titleTextStyle = style ? style->copyStyle() : nullptr;
    if (m_axisTitle) {
        if (auto textLayer = std::dynamic_pointer_cast<PETextLayer>(m_axisTitle->contentLayer()))
            textLayer->setTextStyle(m_titleTextStyle);
    }
    setNeedsLayout();
}

void PEAxis::setTitleOffset(CGFloat offset)
{
    if (offset == m_titleOffset)
        return;
    m_titleOffset = offset;
    setNeedsLayout();
}

void PEAxis::setTitleLocation(const NSDecimal& location)
{
    if (PEDecimalIsEqual(location, m_titleLocation))
        return;
    m_titleLocation = location;
    setNeedsLayout();
}

std::shared_ptr<PEPlotRange> PEAxis::visibleAxisCoordinateRange() const
{
    if (!m_plotSpace)
        return nullptr;
    auto range = m_plotSpace->plotRangeForCoordinate(m_coordinate);
    if (!range)
        return nullptr;
    auto result = range->mutableCopyRange();
    if (m_visibleRange)
        result->intersectionPlotRange(m_visibleRange);
    return result;
}

void PEAxis::generateTickLocations(const PEPlotRange& range)
{
    if (range.isEmpty())
        return;
    NSDecimal minimum = range.minLimit();
    NSDecimal maximum = range.maxLimit();
    NSDecimal zero = PEDecimalWithInt(0);
    std::vector<NSDecimal> majors;
    NSDecimal interval = m_majorIntervalLength;

    switch (m_labelingPolicy) {
    case PEAxisLabelingPolicyNone:
    case PEAxisLabelingPolicyLocationsProvided:
        return;
    case PEAxisLabelingPolicyAutomatic:
        interval = niceInterval(PEDecimalAsDouble(PEDecimalDifference(maximum, minimum)), static_cast<int>(std::max<NSUInteger>(2, m_preferredNumberOfMajorTicks)));
        [[fallthrough]];
    case PEAxisLabelingPolicyFixedInterval: {
        if (!PEDecimalIsGreater(interval, zero))
            break;
        // Multiples of the interval, counted from 0, inside the range.
        NSDecimal first = roundedDecimal(PEDecimalQuotient(minimum, interval), NSRoundUp);
        NSDecimal value = PEDecimalProduct(first, interval);
        for (int i = 0; i < maximumTickCount && PEDecimalIsLessOrEqual(value, maximum); ++i) {
            majors.push_back(value);
            value = PEDecimalSum(value, interval);
        }
        break;
    }
    case PEAxisLabelingPolicyEqualDivisions: {
        NSUInteger count = std::max<NSUInteger>(2, std::min<NSUInteger>(m_preferredNumberOfMajorTicks, maximumTickCount));
        interval = PEDecimalQuotient(PEDecimalDifference(maximum, minimum), PEDecimalWithUnsignedLongLong(count - 1));
        for (NSUInteger i = 0; i < count; ++i)
            majors.push_back(PEDecimalSum(minimum, PEDecimalProduct(interval, PEDecimalWithUnsignedLongLong(i))));
        break;
    }
    }

    std::vector<NSDecimal> minors;
    if (m_minorTicksPerInterval > 0 && PEDecimalIsGreater(interval, zero) && !majors.empty()) {
        NSDecimal step = PEDecimalQuotient(interval, PEDecimalWithUnsignedLongLong(m_minorTicksPerInterval + 1));
        // From one interval below the first major to one above the last, kept inside the range.
        NSDecimal start = PEDecimalDifference(majors.front(), interval);
        int total = static_cast<int>((majors.size() + 1) * (m_minorTicksPerInterval + 1));
        for (int i = 1; i < total && i < maximumTickCount * 4; ++i) {
            if (i % static_cast<int>(m_minorTicksPerInterval + 1) == 0)
                continue;
            NSDecimal value = PEDecimalSum(start, PEDecimalProduct(step, PEDecimalWithInt(i)));
            if (range.contains(value))
                minors.push_back(value);
        }
    }
    m_majorTickLocations = std::move(majors);
    m_minorTickLocations = std::move(minors);
}

NSString PEAxis::labelTextForLocation(const NSDecimal& location) const
{
    auto number = NSDecimalNumber::decimalNumberWithDecimal(location);
    if (m_labelFormatter)
        return m_labelFormatter->stringForObjectValue(number);
    static const auto defaultFormatter = [] {
        auto formatter = NSNumberFormatter::create();
        formatter->setLocale(NSLocale::create("en_US_POSIX"));
        formatter->setNumberStyle(NSNumberFormatterDecimalStyle);
        formatter->setUsesGroupingSeparator(false);
        formatter->setMinimumFractionDigits(0);
        formatter->setMaximumFractionDigits(2);
        return formatter;
    }();
    return defaultFormatter->stringForObjectValue(number);
}

void PEAxis::rebuildLabels()
{
    if (m_labelingPolicy == PEAxisLabelingPolicyNone)
        return;
    detachLabelLayers();
    LabelList labels;
    auto range = visibleAxisCoordinateRange();
    for (const auto& location : m_majorTickLocations) {
        if (range && !range->contains(location))
            continue;
        NSString text = labelTextForLocation(location);
        if (text.isNil() || !m_labelTextStyle)
            continue;
        auto label = PEAxisLabel::labelWithText(text, m_labelTextStyle);
        label->setTickLocation(location);
        label->setRotation(m_labelRotation);
        label->setAlignment(m_labelAlignment);
        label->setOffset(m_labelOffset);
        labels.push_back(label);
    }
    m_axisLabels = std::move(labels);
    attachLabelLayers();
}

void PEAxis::relabel()
{
    if (!m_needsRelabel || !m_plotSpace)
        return;
    if (auto observer = delegate(); observer && !observer->axisShouldRelabel(*this))
        return;
    if (auto range = visibleAxisCoordinateRange())
        generateTickLocations(*range);
    rebuildLabels();
    updatePlotAreaLayers(PEPlotAreaLayerTypeAxisLabels);
    m_needsRelabel = false;
    updateAxisLabelPositions();
    if (!m_alternatingBandFills.empty()) {
        if (auto area = plotArea())
            area->setNeedsDisplay();
    }
    if (auto observer = delegate())
        observer->axisDidRelabel(*this);
}

void PEAxis::detachLabelLayers()
{
    for (const auto& label : m_axisLabels) {
        if (label->contentLayer())
            label->contentLayer()->removeFromSuperlayer();
    }
}

void PEAxis::attachLabelLayers()
{
    auto area = plotArea();
    if (!area)
        return;
    if (!m_axisLabels.empty()) {
        area->setAxisSetLayersForType(PEPlotAreaLayerTypeAxisLabels);
        if (auto group = area->axisLabelGroup()) {
            for (const auto& label : m_axisLabels) {
                if (label->contentLayer() && label->contentLayer()->superlayer() != group)
                    group->addSublayer(label->contentLayer());
            }
        }
    }
    if (m_axisTitle && m_axisTitle->contentLayer()) {
        area->setAxisSetLayersForType(PEPlotAreaLayerTypeAxisTitles);
        if (auto group = area->axisTitleGroup(); group && m_axisTitle->contentLayer()->superlayer() != group)
            group->addSublayer(m_axisTitle->contentLayer());
    }
}

void PEAxis::updateAxisLabelPositions()
{
    auto area = plotArea();
    if (!area || !m_plotSpace)
        return;
    PECoordinate across = PEOtherCoordinate(m_coordinate);
    PESign side = m_tickDirection == PESignPositive ? PESignPositive : PESignNegative;
    if (auto group = area->axisLabelGroup()) {
        for (const auto& label : m_axisLabels) {
            if (!label->contentLayer())
                continue;
            CGPoint point = group->convertPointFromLayer(viewPointForCoordinateDecimalNumber(label->tickLocation()), self());
            // Ticks on the labels' side push the labels out by their length.
            CGFloat tickExtent = m_tickDirection == PESignNone ? m_majorTickLength / 2 : (m_tickDirection == side ? m_majorTickLength : 0);
            CGFloat savedOffset = label->offset();
            label->setOffset(savedOffset + tickExtent);
            label->positionRelativeToViewPoint(point, across, side);
            label->setOffset(savedOffset);
        }
    }
    if (m_axisTitle && m_axisTitle->contentLayer()) {
        if (auto group = area->axisTitleGroup()) {
            NSDecimal location = NSDecimalIsNotANumber(&m_titleLocation) ? defaultTitleLocation() : m_titleLocation;
            CGPoint point = group->convertPointFromLayer(viewPointForCoordinateDecimalNumber(location), self());
            m_axisTitle->setOffset(m_titleOffset);
            m_axisTitle->positionRelativeToViewPoint(point, across, side);
        }
    }
}

bool PEAxis::needsLayerOfType(PEPlotAreaLayerType type) const
{
    switch (type) {
    case PEPlotAreaLayerTypeMinorGridLines:
        return m_minorGridLineStyle != nullptr;
    case PEPlotAreaLayerTypeMajorGridLines:
        return m_majorGridLineStyle != nullptr;
    case PEPlotAreaLayerTypeAxisLabels:
        return !m_axisLabels.empty();
    case PEPlotAreaLayerTypeAxisTitles:
        return m_axisTitle != nullptr;
    default:
        return false;
    }
}

void PEAxis::updatePlotAreaLayers(PEPlotAreaLayerType type)
{
    if (auto area = plotArea())
        area->updateAxisSetLayersForType(type);
    if (type == PEPlotAreaLayerTypeAxisLabels || type == PEPlotAreaLayerTypeAxisTitles)
        attachLabelLayers();
}

void PEAxis::updateGridLineLayers()
{
    auto area = plotArea();
    auto update = [&](std::shared_ptr<PEGridLines>& layer, const std::shared_ptr<PELineStyle>& style, bool major) {
        bool wanted = m_separateLayers && style && area;
        if (!wanted) {
            if (layer)
                layer->removeFromSuperlayer();
            layer = nullptr;
            return;
        }
        PEPlotAreaLayerType type = major ? PEPlotAreaLayerTypeMajorGridLines : PEPlotAreaLayerTypeMinorGridLines;
        area->setAxisSetLayersForType(type);
        auto group = major ? area->majorGridLineGroup() : area->minorGridLineGroup();
        if (!group)
            return;
        if (!layer) {
            layer = PEGridLines::create(group->bounds());
            layer->setAxis(self());
            layer->setMajor(major);
        }
        if (layer->superlayer() != group)
            group->insertSublayer(layer, static_cast<unsigned>(area->sublayerIndexForAxis(self(), type)));
    };
    update(m_minorGridLines, m_minorGridLineStyle, false);
    update(m_majorGridLines, m_majorGridLineStyle, true);
}

CGPoint PEAxis::viewPointForCoordinateDecimalNumber(const NSDecimal&) { return CGPointZero; }
void PEAxis::drawGridLinesInContext(const CGContextRef&, bool) { }
void PEAxis::drawBackgroundBandsInContext(const CGContextRef&) { }
void PEAxis::drawBackgroundLimitsInContext(const CGContextRef&) { }
NSDecimal PEAxis::defaultTitleLocation() { return PEDecimalNotANumber(); }

namespace {

std::shared_ptr<NSArray> decimalNumbers(const std::vector<NSDecimal>& decimals)
{
    std::vector<id> numbers;
    for (const auto& decimal : decimals)
        numbers.push_back(NSDecimalNumber::decimalNumberWithDecimal(decimal));
    return NSArray::create(numbers);
}

std::vector<NSDecimal> decimalsOf(const std::shared_ptr<NSArray>& array)
{
    std::vector<NSDecimal> decimals;
    for (NSUInteger i = 0; array && i < array->count() && i < static_cast<NSUInteger>(maximumTickCount) * 8; ++i) {
        if (auto number = ns::cast<NSDecimalNumber>(array->objectAtIndex(i)))
            decimals.push_back(number->decimalValue());
    }
    return decimals;
}

template <class T>
std::shared_ptr<NSArray> objectsArray(const std::vector<std::shared_ptr<T>>& objects)
{
    std::vector<id> values;
    for (const auto& object : objects)
        values.push_back(object ? id(object) : id(NSNull::null()));
    return NSArray::create(values);
}

template <class T>
std::vector<std::shared_ptr<T>> objectsOf(const std::shared_ptr<NSArray>& array, bool keepNulls)
{
    std::vector<std::shared_ptr<T>> objects;
    for (NSUInteger i = 0; array && i < array->count(); ++i) {
        auto object = ns::cast<T>(array->objectAtIndex(i));
        if (object || keepNulls)
            objects.push_back(object);
    }
    return objects;
}

} // namespace

void PEAxis::encodeWithCoder(NSCoder& coder) const
{
    using namespace NSCoder_PEExtensions;
    PELayer::encodeWithCoder(coder);
    coder.encodeInt(m_coordinate, "PEAxis.coordinate");
    coder.encodeConditionalObject(m_plotSpace, "PEAxis.plotSpace");
    coder.encodeInt(m_tickDirection, "PEAxis.tickDirection");
    encodeCGFloat(coder, m_majorTickLength, "PEAxis.majorTickLength");
    encodeCGFloat(coder, m_minorTickLength, "PEAxis.minorTickLength");
    coder.encodeObject(m_majorTickLineStyle, "PEAxis.majorTickLineStyle");
    coder.encodeObject(m_minorTickLineStyle, "PEAxis.minorTickLineStyle");
    coder.encodeObject(decimalNumbers(m_majorTickLocations), "PEAxis.majorTickLocations");
    coder.encodeObject(decimalNumbers(m_minorTickLocations), "PEAxis.minorTickLocations");
    coder.encodeInt(m_labelingPolicy, "PEAxis.labelingPolicy");
    encodeDecimal(coder, m_majorIntervalLength, "PEAxis.majorIntervalLength");
    coder.encodeInteger(static_cast<NSInteger>(m_minorTicksPerInterval), "PEAxis.minorTicksPerInterval");
    coder.encodeInteger(static_cast<NSInteger>(m_preferredNumberOfMajorTicks), "PEAxis.preferredNumberOfMajorTicks");
    coder.encodeObject(m_visibleRange, "PEAxis.visibleRange");
    coder.encodeObject(m_visibleAxisRange, "PEAxis.visibleAxisRange");
    coder.encodeObject(m_gridLinesRange, "PEAxis.gridLinesRange");
    coder.encodeObject(m_axisLineStyle, "PEAxis.axisLineStyle");
    coder.encodeObject(m_axisLineCapMin, "PEAxis.axisLineCapMin");
    coder.encodeObject(m_axisLineCapMax, "PEAxis.axisLineCapMax");
    coder.encodeObject(m_majorGridLineStyle, "PEAxis.majorGridLineStyle");
    coder.encodeObject(m_minorGridLineStyle, "PEAxis.minorGridLineStyle");
    coder.encodeObject(objectsArray(m_alternatingBandFills), "PEAxis.alternatingBandFills");
    coder.encodeObject(objectsArray(m_backgroundLimitBands), "PEAxis.backgroundLimitBands");
    coder.encodeBool(m_separateLayers, "PEAxis.separateLayers");
    coder.encodeInt(m_labelAlignment, "PEAxis.labelAlignment");
    coder.encodeObject(m_labelTextStyle, "PEAxis.labelTextStyle");
    coder.encodeObject(m_minorTickLabelTextStyle, "PEAxis.minorTickLabelTextStyle");
    encodeCGFloat(coder, m_labelOffset, "PEAxis.labelOffset");
    encodeCGFloat(coder, m_labelRotation, "PEAxis.labelRotation");
    coder.encodeObject(m_title, "PEAxis.title");
    coder.encodeObject(m_titleTextStyle, "PEAxis.titleTextStyle");
    encodeCGFloat(coder, m_titleOffset, "PEAxis.titleOffset");
    encodeDecimal(coder, m_titleLocation, "PEAxis.titleLocation");
    encodeObjectIfDecodable(coder, m_labelFormatter, "PEAxis.labelFormatter");
    // Other policies make their labels again from the ticks.
    if (m_labelingPolicy == PEAxisLabelingPolicyNone)
        coder.encodeObject(objectsArray(m_axisLabels), "PEAxis.axisLabels");
}

bool PEAxis::init(NSCoder& coder)
{
    using namespace NSCoder_PEExtensions;
    if (!PELayer::init(coder))
        return false;
    int coordinate = coder.decodeIntForKey("PEAxis.coordinate");
    int direction = coder.decodeIntForKey("PEAxis.tickDirection");
    int policy = coder.decodeIntForKey("PEAxis.labelingPolicy");
    int alignment = coder.decodeIntForKey("PEAxis.labelAlignment");
    if (coordinate < PECoordinateX || coordinate > PECoordinateY || direction < -1 || direction > 1
        || policy < PEAxisLabelingPolicyNone || policy > PEAxisLabelingPolicyEqualDivisions
        || alignment < PEAlignmentLeft || alignment > PEAlignmentBottom) {
        return false;
    }
    m_coordinate = static_cast<PECoordinate>(coordinate);
    if (auto space = coder.decodeObjectOfClass<PEPlotSpace>("PEAxis.plotSpace"))
        setPlotSpace(space);
    m_tickDirection = static_cast<PESign>(direction);
    m_majorTickLength = decodeCGFloatForKey(coder, "PEAxis.majorTickLength");
    m_minorTickLength = decodeCGFloatForKey(coder, "PEAxis.minorTickLength");
    m_majorTickLineStyle = coder.decodeObjectOfClass<PELineStyle>("PEAxis.majorTickLineStyle");
    m_minorTickLineStyle = coder.decodeObjectOfClass<PELineStyle>("PEAxis.minorTickLineStyle");
    m_majorTickLocations = decimalsOf(coder.decodeObjectOfClass<NSArray>("PEAxis.majorTickLocations"));
    m_minorTickLocations = decimalsOf(coder.decodeObjectOfClass<NSArray>("PEAxis.minorTickLocations"));
    sortUnique(m_majorTickLocations);
    sortUnique(m_minorTickLocations);
    m_labelingPolicy = static_cast<PEAxisLabelingPolicy>(policy);
    m_majorIntervalLength = decodeDecimalForKey(coder, "PEAxis.majorIntervalLength");
    auto count = [&](const char* key) {
        NSInteger value = coder.decodeIntegerForKey(key);
        return value < 0 || value > maximumTickCount ? NSUInteger { 0 } : static_cast<NSUInteger>(value);
    };
    m_minorTicksPerInterval = count("PEAxis.minorTicksPerInterval");
    m_preferredNumberOfMajorTicks = count("PEAxis.preferredNumberOfMajorTicks");
    m_visibleRange = coder.decodeObjectOfClass<PEPlotRange>("PEAxis.visibleRange");
    m_visibleAxisRange = coder.decodeObjectOfClass<PEPlotRange>("PEAxis.visibleAxisRange");
    m_gridLinesRange = coder.decodeObjectOfClass<PEPlotRange>("PEAxis.gridLinesRange");
    m_axisLineStyle = coder.decodeObjectOfClass<PELineStyle>("PEAxis.axisLineStyle");
    m_axisLineCapMin = coder.decodeObjectOfClass<PELineCap>("PEAxis.axisLineCapMin");
    m_axisLineCapMax = coder.decodeObjectOfClass<PELineCap>("PEAxis.axisLineCapMax");
    m_majorGridLineStyle = coder.decodeObjectOfClass<PELineStyle>("PEAxis.majorGridLineStyle");
    m_minorGridLineStyle = coder.decodeObjectOfClass<PELineStyle>("PEAxis.minorGridLineStyle");
    m_alternatingBandFills = objectsOf<PEFill>(coder.decodeObjectOfClass<NSArray>("PEAxis.alternatingBandFills"), true);
    m_backgroundLimitBands = objectsOf<PELimitBand>(coder.decodeObjectOfClass<NSArray>("PEAxis.backgroundLimitBands"), false);
    m_separateLayers = coder.decodeBoolForKey("PEAxis.separateLayers");
    m_labelAlignment = static_cast<PEAlignment>(alignment);
    m_labelTextStyle = coder.decodeObjectOfClass<PETextStyle>("PEAxis.labelTextStyle");
    m_minorTickLabelTextStyle = coder.decodeObjectOfClass<PETextStyle>("PEAxis.minorTickLabelTextStyle");
    m_labelOffset = decodeCGFloatForKey(coder, "PEAxis.labelOffset");
    m_labelRotation = decodeCGFloatForKey(coder, "PEAxis.labelRotation");
    m_titleTextStyle = coder.decodeObjectOfClass<PETextStyle>("PEAxis.titleTextStyle");
    m_titleOffset = decodeCGFloatForKey(coder, "PEAxis.titleOffset");
    m_titleLocation = decodeDecimalForKey(coder, "PEAxis.titleLocation");
    if (auto title = coder.decodeObjectOfClass<NSStringObject>("PEAxis.title"))
        setTitle(NSString(title));
    m_labelFormatter = coder.decodeObjectOfClass<NSFormatter>("PEAxis.labelFormatter");
    if (m_labelingPolicy == PEAxisLabelingPolicyNone)
        setAxisLabels(objectsOf<PEAxisLabel>(coder.decodeObjectOfClass<NSArray>("PEAxis.axisLabels"), false));
    m_needsRelabel = true;
    setNeedsDisplayOnBoundsChange(true);
    return true;
}

void PEAxis::init(const CALayer& layer)
{
    PELayer::init(layer);
    auto model = dynamic_cast<const PEAxis*>(&layer);
    if (!model)
        return;
    m_coordinate = model->m_coordinate;
    m_plotSpace = model->m_plotSpace;
    m_plotArea = model->m_plotArea;
    m_delegate = model->m_delegate;
    m_tickDirection = model->m_tickDirection;
    m_majorTickLength = model->m_majorTickLength;
    m_minorTickLength = model->m_minorTickLength;
    m_majorTickLineStyle = model->m_majorTickLineStyle;
    m_minorTickLineStyle = model->m_minorTickLineStyle;
    m_majorTickLocations = model->m_majorTickLocations;
    m_minorTickLocations = model->m_minorTickLocations;
    m_labelingPolicy = model->m_labelingPolicy;
    m_majorIntervalLength = model->m_majorIntervalLength;
    m_minorTicksPerInterval = model->m_minorTicksPerInterval;
    m_preferredNumberOfMajorTicks = model->m_preferredNumberOfMajorTicks;
    m_visibleRange = model->m_visibleRange;
    m_visibleAxisRange = model->m_visibleAxisRange;
    m_gridLinesRange = model->m_gridLinesRange;
    m_axisLineStyle = model->m_axisLineStyle;
    m_axisLineCapMin = model->m_axisLineCapMin;
    m_axisLineCapMax = model->m_axisLineCapMax;
    m_majorGridLineStyle = model->m_majorGridLineStyle;
    m_minorGridLineStyle = model->m_minorGridLineStyle;
    m_alternatingBandFills = model->m_alternatingBandFills;
    m_backgroundLimitBands = model->m_backgroundLimitBands;
    m_separateLayers = model->m_separateLayers;
    m_labelAlignment = model->m_labelAlignment;
    m_labelTextStyle = model->m_labelTextStyle;
    m_minorTickLabelTextStyle = model->m_minorTickLabelTextStyle;
    m_labelOffset = model->m_labelOffset;
    m_labelRotation = model->m_labelRotation;
    m_labelFormatter = model->m_labelFormatter;
    m_axisLabels = model->m_axisLabels;
    m_axisTitle = model->m_axisTitle;
    m_title = model->m_title;
    m_titleTextStyle = model->m_titleTextStyle;
    m_titleOffset = model->m_titleOffset;
    m_titleLocation = model->m_titleLocation;
    m_needsRelabel = model->m_needsRelabel;
    m_minorGridLines = model->m_minorGridLines;
    m_majorGridLines = model->m_majorGridLines;
}
