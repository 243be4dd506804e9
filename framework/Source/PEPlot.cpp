#include "framework/Source/PEPlot.h"

#include "framework/Source/NSCoder_PEExtensions.h"
#include "framework/Source/PEExceptions.h"
#include "framework/Source/PEFill.h"
#include "framework/Source/PEGraph.h"
#include "framework/Source/PELegend.h"
#include "framework/Source/PELineStyle.h"
#include "framework/Source/PEMutableNumericData.h"
#include "framework/Source/PEMutablePlotRange.h"
#include "framework/Source/PEPlatformSpecificTextStyleExtensions.h"
#include "framework/Source/PEPlotArea.h"
#include "framework/Source/PEPlotAreaFrame.h"
#include "framework/Source/PEPlotSpace.h"
#include "framework/Source/PEPlotSpaceAnnotation.h"
#include "framework/Source/PEShadow.h"
#include "framework/Source/PETextLayer.h"
#include "framework/Source/PETextStyle.h"
#include "framework/Source/PEUtilities.h"
#include "platform/foundation/NSData.h"
#include "platform/foundation/NSDecimalNumber.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSNumberFormatter.h"
#include "platform/foundation/NSValue.h"
#include "platform/graphics/CGContext.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_set>
#include <utility>

namespace {

std::shared_ptr<NSArray> shapeOf(NSUInteger count) { return NSArray::arrayWithObject(NSNumber::numberWithUnsignedInteger(count)); }

} // namespace

void PEPlot::init(CGRect frame)
{
    PEAnnotationHostLayer::init(frame);
    setMasksToBounds(true);
    setNeedsDisplayOnBoundsChange(true);
}

PEPlot::~PEPlot() = default;

// Data source and titles.

void PEPlot::setDataSource(const std::shared_ptr<PEPlotDataSource>& dataSource)
{
    if (dataSource == m_dataSource.lock())
        return;
    m_dataSource = dataSource;
    setDataNeedsReloading();
}

void PEPlot::setTitle(const NSString& title)
{
    if (title == m_title)
        return;
    m_title = title;
    m_attributedTitle = nullptr;
    postLegendNotification(PELegendNeedsLayoutForPlotNotification);
}

void PEPlot::setAttributedTitle(const std::shared_ptr<NSAttributedString>& title)
{
    if (title == m_attributedTitle)
        return;
    m_attributedTitle = title ? std::static_pointer_cast<NSAttributedString>(title->copy()) : nullptr;
    m_title = title ? title->string() : NSString();
    postLegendNotification(PELegendNeedsLayoutForPlotNotification);
}

void PEPlot::setPlotSpace(const std::shared_ptr<PEPlotSpace>& space)
{
    if (space == m_plotSpace)
        return;
    auto old = std::exchange(m_plotSpace, space);
    setNeedsRelabel();
    setNeedsLayout();
    setNeedsDisplay();
    // A snapshot: an observer may remove itself or others while being told.
    auto observers = m_plotSpaceObservers;
    for (auto& [token, observer] : observers) {
        if (m_plotSpaceObservers.count(token))
            observer(old, space);
    }
}

NSUInteger PEPlot::addPlotSpaceObserver(PlotSpaceObserver observer)
{
    const NSUInteger token = m_nextPlotSpaceObserver++;
    m_plotSpaceObservers[token] = observer;
    observer(nullptr, m_plotSpace);
    return token;
}

void PEPlot::removePlotSpaceObserver(NSUInteger token) { m_plotSpaceObservers.erase(token); }

std::shared_ptr<PEPlotArea> PEPlot::plotArea() const
{
    auto owner = graph();
    if (!owner || !owner->plotAreaFrame())
        return nullptr;
    return owner->plotAreaFrame()->plotArea();
}

void PEPlot::postLegendNotification(const char* name)
{
    NSNotificationCenter::defaultCenter()->postNotificationName(name, self());
}

// Reload control.

void PEPlot::setDataNeedsReloading(bool needsReloading)
{
    if (needsReloading == m_dataNeedsReloading)
        return;
    m_dataNeedsReloading = needsReloading;
    if (needsReloading)
        setNeedsDisplay();
}

void PEPlot::reloadDataIfNeeded()
{
    if (m_dataNeedsReloading)
        reloadData();
}

NSUInteger PEPlot::recordCountFromDataSource()
{
    auto source = dataSource();
    return source ? source->numberOfRecordsForPlot(*this) : 0;
}

void PEPlot::reloadData()
{
    m_cachedNumbers.clear();
    m_cachedArrays.clear();
    m_cachedDataCount = 0;
    reloadDataInIndexRange(NSMakeRange(0, recordCountFromDataSource()));
}

void PEPlot::reloadDataInIndexRange(NSRange indexRange)
{
    auto source = dataSource();
    // Without a data source the figures set through the cache setters are the records.
    const NSUInteger available = source ? source->numberOfRecordsForPlot(*this) : std::max(m_cachedDataCount, NSMaxRange(indexRange));
    if (!(NSMaxRange(indexRange) <= available))
        PEParameterAssertionFailed("NSMaxRange(indexRange) <= [theDataSource numberOfRecordsForPlot:self]");
    setDataNeedsReloading(false);
    if (source) {
        auto protectedSource = source;
        cacheStyleArray("dataLabels", indexRange,
            [&]() -> std::optional<std::shared_ptr<NSArray>> {
                return protectedSource->dataLabelsForPlot(*this, indexRange);
            },
            [&](NSUInteger index) -> std::optional<id> {
                auto label = protectedSource->dataLabelForPlot(*this, index);
                if (!label)
                    return std::nullopt;
                return std::static_pointer_cast<NSObject>(*label);
            });
    }
    relabelIndexRange(indexRange);
}

bool PEPlot::cacheStyleArray(const std::string& key, NSRange indexRange,
    const std::function<std::optional<std::shared_ptr<NSArray>>()>& rangeForm,
    const std::function<std::optional<id>(NSUInteger)>& recordForm)
{
    if (auto array = rangeForm()) {
        cacheArray(*array, key, indexRange.location);
        return true;
    }
    if (indexRange.length == 0)
        return false;
    auto array = NSMutableArray::arrayWithCapacity(indexRange.length);
    for (NSUInteger index = indexRange.location; index < NSMaxRange(indexRange); ++index) {
        auto value = recordForm(index);
        if (!value)
            return false;
        array->addObject(*value ? *value : nilData());
    }
    cacheArray(array, key, indexRange.location);
    return true;
}

void PEPlot::cacheNumbersFromDataSource(NSRange indexRange, NSUInteger fieldCount)
{
    if (!dataSource() || loadNumbersForAllFieldsFromDataSourceInRecordIndexRange(indexRange))
        return;
    for (NSUInteger field = 0; field < fieldCount; ++field)
        cacheNumbers(numbersFromDataSourceForField(field, indexRange), field, indexRange.location);
}

std::vector<NSUInteger> PEPlot::fieldsAlongCoordinate(PECoordinate coordinate, std::vector<NSUInteger> xFields, std::vector<NSUInteger> yFields)
{
    switch (coordinate) {
    case PECoordinateX:
        return xFields;
    case PECoordinateY:
        return yFields;
    default:
        PERaise("Invalid coordinate passed to fieldIdentifiersForCoordinate:");
    }
}

std::shared_ptr<NSArray> PEPlot::cachedValuesForField(NSUInteger field) const
{
    auto numbers = cachedNumbersForField(field);
    return numbers ? numbers->sampleArray() : nullptr;
}

void PEPlot::setStyleArray(const std::shared_ptr<NSArray>& styles, const std::string& key)
{
    cacheArray(styles, key);
    setNeedsDisplay();
}

void PEPlot::insertDataAtIndex(NSUInteger index, NSUInteger numberOfRecords)
{
    // Reading the count of a plot whose data needs reloading pulls every record, the inserted
    // ones among them: opening room for them again would repeat records.
    const bool reloadsEverything = dataNeedsReloading();
    if (!(index <= cachedDataCount()))
        PEParameterAssertionFailed("idx <= self.cachedDataCount");
    if (reloadsEverything)
        return;
    for (auto& [field, numbers] : m_cachedNumbers) {
        const std::size_t sampleSize = numbers->sampleBytes();
        const NSUInteger oldSamples = numbers->numberOfSamples();
        auto data = numbers->mutableData();
        data->increaseLengthBy(numberOfRecords * sampleSize);
        if (index < oldSamples) {
            std::uint8_t* bytes = data->mutableBytes();
            std::memmove(bytes + (index + numberOfRecords) * sampleSize, bytes + index * sampleSize, (oldSamples - index) * sampleSize);
        }
        numbers->setShape(shapeOf(oldSamples + numberOfRecords));
    }
    for (auto& [key, array] : m_cachedArrays) {
        const NSUInteger at = std::min(index, array->count());
        for (NSUInteger i = 0; i < numberOfRecords; ++i)
            array->insertObject(NSNull::null(), at + i);
    }
    m_cachedDataCount += numberOfRecords;
    reloadDataInIndexRange(NSMakeRange(index, numberOfRecords));
}

void PEPlot::deleteDataInIndexRange(NSRange indexRange)
{
    if (!(NSMaxRange(indexRange) <= cachedDataCount()))
        PEParameterAssertionFailed("NSMaxRange(indexRange) <= self.cachedDataCount");
    for (auto& [field, numbers] : m_cachedNumbers) {
        const std::size_t sampleSize = numbers->sampleBytes();
        const NSUInteger samples = numbers->numberOfSamples();
        if (indexRange.location >= samples)
            continue;
        const NSUInteger removed = std::min(indexRange.length, samples - indexRange.location);
        auto data = numbers->mutableData();
        std::uint8_t* bytes = data->mutableBytes();
        std::memmove(bytes + indexRange.location * sampleSize, bytes + (indexRange.location + removed) * sampleSize,
            (samples - indexRange.location - removed) * sampleSize);
        data->setLength((samples - removed) * sampleSize);
        numbers->setShape(shapeOf(samples - removed));
    }
    for (auto& [key, array] : m_cachedArrays) {
        if (indexRange.location < array->count())
            array->removeObjectsInRange(NSMakeRange(indexRange.location, std::min(indexRange.length, array->count() - indexRange.location)));
    }
    m_cachedDataCount -= indexRange.length;
    relabelIndexRange(NSMakeRange(indexRange.location, m_cachedDataCount - std::min(indexRange.location, m_cachedDataCount)));
    setNeedsDisplay();
}

NSUInteger PEPlot::cachedDataCount()
{
    reloadDataIfNeeded();
    return m_cachedDataCount;
}

const id& PEPlot::nilData()
{
    static const id marker = NSObject::create();
    return marker;
}

// Pulling.

id PEPlot::numbersFromDataSourceForField(NSUInteger field, NSRange indexRange)
{
    auto source = dataSource();
    if (!source)
        return NSArray::array();
    if (auto data = source->dataForPlot(*this, field, indexRange))
        return *data;
    if (auto doubles = source->doublesForPlot(*this, field, indexRange)) {
        auto bytes = NSMutableData::dataWithLength(indexRange.length * sizeof(double));
        // An empty answer has no buffer to copy from.
        if (const std::size_t count = std::min(doubles->size(), static_cast<std::size_t>(indexRange.length)))
            std::memcpy(bytes->mutableBytes(), doubles->data(), count * sizeof(double));
        return bytes;
    }
    if (auto numbers = source->numbersForPlot(*this, field, indexRange))
        return *numbers ? NSArray::arrayWithArray(*numbers) : NSArray::array();
    if (indexRange.length > 0) {
        if (auto first = source->doubleForPlot(*this, field, indexRange.location)) {
            auto bytes = NSMutableData::dataWithLength(indexRange.length * sizeof(double));
            auto* values = reinterpret_cast<double*>(bytes->mutableBytes());
            values[0] = *first;
            for (NSUInteger i = 1; i < indexRange.length; ++i)
                values[i] = source->doubleForPlot(*this, field, indexRange.location + i).value_or(std::numeric_limits<double>::quiet_NaN());
            return bytes;
        }
        if (auto first = source->numberForPlot(*this, field, indexRange.location)) {
            auto array = NSMutableArray::arrayWithCapacity(indexRange.length);
            array->addObject(*first ? *first : NSNull::null());
            for (NSUInteger i = 1; i < indexRange.length; ++i) {
                id number = source->numberForPlot(*this, field, indexRange.location + i).value_or(nullptr);
                array->addObject(number ? number : NSNull::null());
            }
            return array;
        }
    }
    auto zeros = NSMutableArray::arrayWithCapacity(indexRange.length);
    for (NSUInteger i = 0; i < indexRange.length; ++i)
        zeros->addObject(NSDecimalNumber::zero());
    return zeros;
}

std::shared_ptr<PEMutableNumericData> PEPlot::numericDataForNumbers(const id& numbers) const
{
    if (auto data = ns::cast<PENumericData>(numbers)) {
        auto copy = std::static_pointer_cast<PEMutableNumericData>(data->mutableCopy());
        if (!PEDataTypeIsEqual(copy->dataType(), decimalDataType()) && !PEDataTypeIsEqual(copy->dataType(), doubleDataType()))
            copy->setDataType(doubleDataType());
        return copy;
    }
    if (auto bytes = ns::cast<NSData>(numbers))
        return PEMutableNumericData::numericDataWithData(bytes, doubleDataType(), nullptr);
    if (auto array = ns::cast<NSArray>(numbers)) {
        const bool decimal = array->count() > 0 && ns::cast<NSDecimalNumber>(array->objectAtIndex(0)) != nullptr;
        return PEMutableNumericData::numericDataWithArray(array, decimal ? decimalDataType() : doubleDataType(), nullptr);
    }
    PERaise("Unsupported number array format");
}

bool PEPlot::loadNumbersForAllFieldsFromDataSourceInRecordIndexRange(NSRange indexRange)
{
    auto source = dataSource();
    if (!source)
        return false;
    auto answer = source->dataForPlotRecordIndexRange(*this, indexRange);
    if (!answer)
        return false;
    auto data = *answer;
    if (!data || data->numberOfDimensions() != 2 || data->numberOfSamples() == 0)
        return false;
    const NSUInteger rows = ns::cast<NSNumber>(data->shape()->objectAtIndex(0))->unsignedIntegerValue();
    const NSUInteger columns = ns::cast<NSNumber>(data->shape()->objectAtIndex(1))->unsignedIntegerValue();
    if (columns == 0 || rows == 0)
        return false;
    _PENumericDataType target = data->dataType();
    switch (m_cachePrecision) {
    case PEPlotCachePrecisionDecimal:
        target = decimalDataType();
        break;
    case PEPlotCachePrecisionDouble:
        target = doubleDataType();
        break;
    case PEPlotCachePrecisionAuto:
        target = doublePrecisionCache() ? doubleDataType() : decimalDataType();
        break;
    default:
        break;
    }
    if (!PEDataTypeIsEqual(target, data->dataType())) {
        auto converted = std::static_pointer_cast<PEMutableNumericData>(data->mutableCopy());
        converted->setDataType(target);
        data = converted;
    }
    const std::size_t sampleSize = data->sampleBytes();
    const std::uint8_t* bytes = data->bytes();
    if (data->dataOrder() != PEDataOrderRowsFirst && data->dataOrder() != PEDataOrderColumnsFirst)
        return false;
    for (NSUInteger column = 0; column < columns; ++column) {
        auto columnData = NSMutableData::dataWithLength(rows * sampleSize);
        for (NSUInteger row = 0; row < rows; ++row) {
            const NSUInteger sample = data->dataOrder() == PEDataOrderRowsFirst ? row * columns + column : column * rows + row;
            std::memcpy(columnData->mutableBytes() + row * sampleSize, bytes + sample * sampleSize, sampleSize);
        }
        cacheNumbers(PEMutableNumericData::numericDataWithData(columnData, data->dataType(), nullptr), column, indexRange.location);
    }
    return true;
}

// The numeric cache.

void PEPlot::cacheNumbers(const id& numbers, NSUInteger field)
{
    if (!numbers) {
        m_cachedNumbers.erase(field);
        m_cachedDataCount = 0;
    } else {
        auto data = numericDataForNumbers(numbers);
        const NSUInteger samples = data->numberOfSamples();
        if (samples > 0)
            m_cachedNumbers[field] = data;
        else
            m_cachedNumbers.erase(field);
        m_cachedDataCount = samples;
        switch (m_cachePrecision) {
        case PEPlotCachePrecisionDecimal:
            setCachedDataType(decimalDataType());
            break;
        case PEPlotCachePrecisionDouble:
            setCachedDataType(doubleDataType());
            break;
        case PEPlotCachePrecisionAuto:
            setCachedDataType(data->dataType());
            break;
        default:
            break;
        }
    }
    // A whole field replaced every record, so every record's label may have changed.
    relabelIndexRange(NSMakeRange(0, m_cachedDataCount));
    setNeedsDisplay();
}

std::shared_ptr<PEMutableNumericData> PEPlot::convertedForCache(const std::shared_ptr<PEMutableNumericData>& numbers)
{
    switch (m_cachePrecision) {
    case PEPlotCachePrecisionDecimal:
        setCachedDataType(decimalDataType());
        numbers->setDataType(decimalDataType());
        break;
    case PEPlotCachePrecisionDouble:
        setCachedDataType(doubleDataType());
        numbers->setDataType(doubleDataType());
        break;
    case PEPlotCachePrecisionAuto:
        setCachedDataType(numbers->dataType());
        break;
    default:
        break;
    }
    return numbers;
}

void PEPlot::cacheNumbers(const id& numbers, NSUInteger field, NSUInteger atRecordIndex)
{
    if (!numbers)
        return;
    auto data = numericDataForNumbers(numbers);
    const NSUInteger newSamples = data->numberOfSamples();
    if (newSamples == 0) {
        setNeedsDisplay();
        return;
    }
    convertedForCache(data);
    auto& entry = m_cachedNumbers[field];
    if (!entry)
        entry = PEMutableNumericData::numericDataWithData(NSData::data(), data->dataType(), nullptr);
    else if (!PEDataTypeIsEqual(entry->dataType(), data->dataType()))
        entry->setDataType(data->dataType());
    auto source = dataSource();
    const NSUInteger count = source ? source->numberOfRecordsForPlot(*this) : std::max(m_cachedDataCount, atRecordIndex + newSamples);
    entry->setShape(shapeOf(count));
    m_cachedDataCount = count;
    // A count that shrank beneath the caller leaves nothing to copy rather than a wrapped length.
    const std::size_t start = data->sampleBytes() * atRecordIndex;
    const std::size_t room = entry->length() > start ? entry->length() - start : 0;
    const std::size_t length = std::min<std::size_t>(data->length(), room);
    if (length > 0)
        std::memcpy(entry->mutableBytes() + start, data->bytes(), length);
    relabelIndexRange(NSMakeRange(atRecordIndex, newSamples));
    setNeedsDisplay();
}

void PEPlot::setCachePrecision(int precision)
{
    if (precision == m_cachePrecision)
        return;
    m_cachePrecision = precision;
    switch (precision) {
    case PEPlotCachePrecisionAuto:
        break;
    case PEPlotCachePrecisionDouble:
        setCachedDataType(doubleDataType());
        break;
    case PEPlotCachePrecisionDecimal:
        setCachedDataType(decimalDataType());
        break;
    default:
        NSException::raise(NSInvalidArgumentException, "Invalid cache precision");
    }
}

void PEPlot::setCachedDataType(const _PENumericDataType& dataType)
{
    for (auto& [field, numbers] : m_cachedNumbers) {
        if (!PEDataTypeIsEqual(numbers->dataType(), dataType))
            numbers->setDataType(dataType);
    }
}

bool PEPlot::doublePrecisionCache() const
{
    switch (m_cachePrecision) {
    case PEPlotCachePrecisionAuto:
        return !m_cachedNumbers.empty() && PEDataTypeIsEqual(m_cachedNumbers.begin()->second->dataType(), doubleDataType());
    case PEPlotCachePrecisionDouble:
        return true;
    default:
        return false;
    }
}

const _PENumericDataType& PEPlot::doubleDataType()
{
    static const _PENumericDataType type = PEDataTypeMake(PEFloatingPointDataType, sizeof(double), CFByteOrderLittleEndian);
    return type;
}

const _PENumericDataType& PEPlot::decimalDataType()
{
    static const _PENumericDataType type = PEDataTypeMake(PEDecimalDataType, sizeof(NSDecimal), CFByteOrderLittleEndian);
    return type;
}

std::shared_ptr<PEMutableNumericData> PEPlot::cachedNumbersForField(NSUInteger field) const
{
    auto found = m_cachedNumbers.find(field);
    return found == m_cachedNumbers.end() ? nullptr : found->second;
}

id PEPlot::cachedNumberForField(NSUInteger field, NSUInteger index) const
{
    auto numbers = cachedNumbersForField(field);
    return numbers ? numbers->sampleValue(index) : nullptr;
}

double PEPlot::cachedDoubleForField(NSUInteger field, NSUInteger index) const
{
    auto numbers = cachedNumbersForField(field);
    if (!numbers || index >= numbers->numberOfSamples())
        return std::numeric_limits<double>::quiet_NaN();
    const void* sample = numbers->samplePointer(index);
    switch (numbers->dataTypeFormat()) {
    case PEFloatingPointDataType: {
        double value;
        std::memcpy(&value, sample, sizeof value);
        return value;
    }
    case PEDecimalDataType: {
        NSDecimal value;
        std::memcpy(&value, sample, sizeof value);
        return PEDecimalAsDouble(value);
    }
    default:
        PERaise("Unsupported data type format");
    }
}

NSDecimal PEPlot::cachedDecimalForField(NSUInteger field, NSUInteger index) const
{
    auto numbers = cachedNumbersForField(field);
    if (!numbers || index >= numbers->numberOfSamples())
        return PEDecimalNotANumber();
    const void* sample = numbers->samplePointer(index);
    switch (numbers->dataTypeFormat()) {
    case PEFloatingPointDataType: {
        double value;
        std::memcpy(&value, sample, sizeof value);
        return PEDecimalWithDouble(value);
    }
    case PEDecimalDataType: {
        NSDecimal value;
        std::memcpy(&value, sample, sizeof value);
        return value;
    }
    default:
        PERaise("Unsupported data type format");
    }
}

// The style cache.

std::shared_ptr<NSMutableArray> PEPlot::cachedArrayForKey(const std::string& key) const
{
    auto found = m_cachedArrays.find(key);
    return found == m_cachedArrays.end() ? nullptr : found->second;
}

id PEPlot::cachedValueForKey(const std::string& key, NSUInteger index) const
{
    auto array = cachedArrayForKey(key);
    return array ? array->objectAtIndexOrNil(index) : nullptr;
}

void PEPlot::cacheArray(const std::shared_ptr<NSArray>& array, const std::string& key)
{
    // Styles set wholesale describe the records; they do not decide how many there are.
    if (array && array->count() > 0)
        m_cachedArrays[key] = array->mutableCopyArray();
    else
        m_cachedArrays.erase(key);
}

void PEPlot::cacheArray(const std::shared_ptr<NSArray>& array, const std::string& key, NSUInteger atRecordIndex)
{
    if (!array || array->count() == 0)
        return;
    auto source = dataSource();
    const NSUInteger count = source ? source->numberOfRecordsForPlot(*this) : std::max(m_cachedDataCount, atRecordIndex + array->count());
    auto& entry = m_cachedArrays[key];
    if (!entry)
        entry = NSMutableArray::arrayWithCapacity(count);
    // Grow with the data source as numeric entries do, so newly appended records can be reloaded.
    while (entry->count() < count)
        entry->addObject(NSNull::null());
    while (entry->count() > count)
        entry->removeLastObject();
    m_cachedDataCount = count;
    for (NSUInteger i = 0; i < array->count() && atRecordIndex + i < entry->count(); ++i)
        entry->replaceObjectAtIndex(atRecordIndex + i, array->objectAtIndex(i));
}

// Data extents.

std::shared_ptr<PEPlotRange> PEPlot::plotRangeForField(NSUInteger field) const
{
    if (m_dataNeedsReloading)
        const_cast<PEPlot*>(this)->reloadData();
    auto numbers = cachedNumbersForField(field);
    if (!numbers || numbers->numberOfSamples() == 0)
        return nullptr;
    const NSUInteger samples = numbers->numberOfSamples();
    if (doublePrecisionCache()) {
        double minimum = std::numeric_limits<double>::infinity();
        double maximum = -std::numeric_limits<double>::infinity();
        for (NSUInteger i = 0; i < samples; ++i) {
            const double value = cachedDoubleForField(field, i);
            if (std::isnan(value))
                continue;
            minimum = std::min(minimum, value);
            maximum = std::max(maximum, value);
        }
        if (!(maximum >= minimum))
            return nullptr;
        return PEPlotRange::plotRangeWithLocation(PEDecimalWithDouble(minimum), PEDecimalWithDouble(maximum - minimum));
    }
    NSDecimal minimum = NSDecimalNumber::maximumDecimalNumber()->decimalValue();
    NSDecimal maximum = NSDecimalNumber::minimumDecimalNumber()->decimalValue();
    bool any = false;
    for (NSUInteger i = 0; i < samples; ++i) {
        const NSDecimal value = cachedDecimalForField(field, i);
        if (NSDecimalIsNotANumber(&value))
            continue;
        any = true;
        if (PEDecimalIsLess(value, minimum))
            minimum = value;
        if (PEDecimalIsGreater(value, maximum))
            maximum = value;
    }
    if (!any || !PEDecimalIsGreaterOrEqual(maximum, minimum))
        return nullptr;
    return PEPlotRange::plotRangeWithLocation(minimum, PEDecimalDifference(maximum, minimum));
}

std::shared_ptr<PEPlotRange> PEPlot::plotRangeForCoordinate(PECoordinate coordinate) const
{
    std::shared_ptr<PEMutablePlotRange> united;
    for (NSUInteger field : fieldIdentifiersForCoordinate(coordinate)) {
        auto range = plotRangeForField(field);
        if (!range)
            continue;
        if (!united)
            united = range->mutableCopyRange();
        else
            united->unionPlotRange(range);
    }
    return united;
}

// Data labels.

void PEPlot::setShowLabels(bool show)
{
    if (show == m_showLabels)
        return;
    m_showLabels = show;
    if (show)
        setNeedsLayout();
    setNeedsRelabel();
}

void PEPlot::setLabelTextStyle(const std::shared_ptr<PETextStyle>& style)
{
    if (style == m_labelTextStyle)
        return;
    m_labelTextStyle = style ? style->copyStyle() : nullptr;
    if (m_labelTextStyle && !m_labelFormatter) {
        auto formatter = NSNumberFormatter::create();
        formatter->setMinimumIntegerDigits(1);
        formatter->setMinimumFractionDigits(1);
        formatter->setMaximumFractionDigits(1);
        m_labelFormatter = formatter;
    }
    relabelIndexRange(NSMakeRange(0, m_cachedDataCount));
}

void PEPlot::setLabelFormatter(const std::shared_ptr<NSFormatter>& formatter)
{
    if (formatter == m_labelFormatter)
        return;
    m_labelFormatter = formatter;
    relabelIndexRange(NSMakeRange(0, m_cachedDataCount));
}

void PEPlot::setLabelOffset(CGFloat offset)
{
    if (offset == m_labelOffset)
        return;
    m_labelOffset = offset;
    repositionAllLabelAnnotations();
}

void PEPlot::setLabelRotation(CGFloat rotation)
{
    if (rotation == m_labelRotation)
        return;
    m_labelRotation = rotation;
    if (!m_labelAnnotations)
        return;
    for (const id& slot : *m_labelAnnotations) {
        if (auto annotation = ns::cast<PEPlotSpaceAnnotation>(slot)) {
            annotation->setRotation(rotation);
            updateContentAnchorForLabel(annotation);
        }
    }
}

void PEPlot::setLabelShadow(const std::shared_ptr<PEShadow>& shadow)
{
    if (shadow == m_labelShadow)
        return;
    m_labelShadow = shadow;
    if (!m_labelAnnotations)
        return;
    for (const id& slot : *m_labelAnnotations) {
        if (auto annotation = ns::cast<PEAnnotation>(slot); annotation && annotation->contentLayer())
            annotation->contentLayer()->setShadow(shadow);
    }
}

void PEPlot::setAlignsPointsToPixels(bool aligns)
{
    if (aligns == m_alignsPointsToPixels)
        return;
    m_alignsPointsToPixels = aligns;
    setNeedsDisplay();
}

void PEPlot::setHidden(bool hidden)
{
    if (hidden == isHidden())
        return;
    PEAnnotationHostLayer::setHidden(hidden);
    setNeedsRelabel();
}

std::shared_ptr<NSArray> PEPlot::dataLabels() const { return cachedArrayForKey("dataLabels"); }

void PEPlot::setDataLabels(const std::shared_ptr<NSArray>& labels)
{
    cacheArray(labels, "dataLabels");
    setNeedsRelabel();
}

void PEPlot::setNeedsRelabel(bool needsRelabel)
{
    if (needsRelabel == m_needsRelabel)
        return;
    m_needsRelabel = needsRelabel;
    if (needsRelabel)
        setNeedsLayout();
}

void PEPlot::setNeedsRelabel()
{
    m_labelIndexRange = NSMakeRange(0, cachedDataCount());
    setNeedsRelabel(true);
}

void PEPlot::relabelIndexRange(NSRange indexRange)
{
    m_labelIndexRange = indexRange;
    setNeedsRelabel(true);
}

void PEPlot::relabel()
{
    if (!m_needsRelabel)
        return;
    m_needsRelabel = false;

    auto cachedLabels = cachedArrayForKey("dataLabels");
    bool hasCachedLabels = false;
    if (cachedLabels) {
        for (const id& label : *cachedLabels)
            hasCachedLabels = hasCachedLabels || !ns::cast<NSNull>(label);
    }
    auto removeAll = [this] {
        if (m_labelAnnotations) {
            for (const id& slot : *m_labelAnnotations) {
                if (auto annotation = ns::cast<PEAnnotation>(slot))
                    removeAnnotation(annotation);
            }
        }
        m_labelAnnotations = nullptr;
    };
    if (!m_showLabels || (!hasCachedLabels && (!m_labelTextStyle || !m_labelFormatter))) {
        removeAll();
        return;
    }
    // Plot-space annotations need a plot space; the graph gives one and relabels then.
    if (!m_plotSpace)
        return;

    // Formatters that make attributed text start from the label text style's attributes.
    const NSAttributes defaultAttributes = m_labelTextStyle ? PEPlatformSpecificTextStyleExtensions::attributes(*m_labelTextStyle) : nullptr;
    const bool attributedLabels = m_labelFormatter
        && ns::cast<NSAttributedString>(m_labelFormatter->attributedStringForObjectValue(NSDecimalNumber::zero(), defaultAttributes));
    const NSUInteger sampleCount = m_cachedDataCount;
    if (!m_labelAnnotations)
        m_labelAnnotations = NSMutableArray::array();
    const NSUInteger oldSlots = m_labelAnnotations->count();
    auto labelNumbers = cachedNumbersForField(m_labelField);
    const NSUInteger end = std::min(NSMaxRange(m_labelIndexRange), sampleCount);

    for (NSUInteger i = m_labelIndexRange.location; i < end; ++i) {
        id value = labelNumbers ? labelNumbers->sampleValue(i) : nullptr;
        std::shared_ptr<PELayer> labelLayer;
        auto number = ns::cast<NSNumber>(value);
        if (!(number && std::isnan(number->doubleValue()))) {
            id cached = cachedLabels ? cachedLabels->objectAtIndexOrNil(i) : nullptr;
            labelLayer = ns::cast<PELayer>(cached);
            if ((!cached || cached == nilData()) && m_labelTextStyle && m_labelFormatter) {
                if (attributedLabels) {
                    auto text = ns::cast<NSAttributedString>(m_labelFormatter->attributedStringForObjectValue(value, defaultAttributes));
                    labelLayer = PETextLayer::create(text);
                } else {
                    labelLayer = PETextLayer::create(m_labelFormatter->stringForObjectValue(value), m_labelTextStyle);
                }
            }
        }
        if (labelLayer)
            labelLayer->setShadow(m_labelShadow);

        std::shared_ptr<PEPlotSpaceAnnotation> annotation;
        if (i < oldSlots) {
            annotation = ns::cast<PEPlotSpaceAnnotation>(m_labelAnnotations->objectAtIndex(i));
            if (labelLayer && !annotation) {
                annotation = PEPlotSpaceAnnotation::create(m_plotSpace, std::vector<std::shared_ptr<NSNumber>>());
                m_labelAnnotations->replaceObjectAtIndex(i, annotation);
                addAnnotation(annotation);
            } else if (!labelLayer && annotation) {
                m_labelAnnotations->replaceObjectAtIndex(i, NSNull::null());
                removeAnnotation(annotation);
                annotation = nullptr;
            }
        } else {
            // Slots below i that were never labelled hold NSNull so indices keep matching records.
            while (m_labelAnnotations->count() < i)
                m_labelAnnotations->addObject(NSNull::null());
            if (labelLayer) {
                annotation = PEPlotSpaceAnnotation::create(m_plotSpace, std::vector<std::shared_ptr<NSNumber>>());
                m_labelAnnotations->addObject(annotation);
                addAnnotation(annotation);
            } else {
                m_labelAnnotations->addObject(NSNull::null());
            }
        }
        if (labelLayer && annotation) {
            annotation->setContentLayer(labelLayer);
            annotation->setRotation(m_labelRotation);
            positionLabelAnnotation(annotation, i);
            updateContentAnchorForLabel(annotation);
        }
    }
    while (m_labelAnnotations->count() > sampleCount) {
        if (auto annotation = ns::cast<PEAnnotation>(m_labelAnnotations->lastObject()))
            removeAnnotation(annotation);
        m_labelAnnotations->removeLastObject();
    }
}

void PEPlot::updateContentAnchorForLabel(const std::shared_ptr<PEPlotSpaceAnnotation>& label) const
{
    if (!label || !m_adjustLabelAnchors)
        return;
    CGPoint displacement = label->displacement();
    if (displacement.x == 0 && displacement.y == 0)
        displacement = CGPoint { 0, 1 };
    const double angle = std::atan2(displacement.y, displacement.x) + M_PI - label->rotation();
    const double sn = std::sin(angle);
    const double cs = std::cos(angle);
    auto sign = [](double value) { return std::signbit(value) ? -1.0 : 1.0; };
    CGPoint anchor;
    if (std::fabs(cs) <= std::fabs(sn))
        anchor = CGPoint { (cs / std::fabs(sn) + 1) / 2, (sign(sn) + 1) / 2 };
    else
        anchor = CGPoint { (sign(cs) + 1) / 2, (sn / std::fabs(cs) + 1) / 2 };
    label->setContentAnchorPoint(anchor);
}

void PEPlot::repositionAllLabelAnnotations()
{
    if (!m_labelAnnotations)
        return;
    for (NSUInteger i = 0; i < m_labelAnnotations->count(); ++i) {
        if (auto annotation = ns::cast<PEPlotSpaceAnnotation>(m_labelAnnotations->objectAtIndex(i))) {
            positionLabelAnnotation(annotation, i);
            updateContentAnchorForLabel(annotation);
        }
    }
}

// Drawing.

void PEPlot::drawInContext(const CGContextRef& context)
{
    reloadDataIfNeeded();
    PEAnnotationHostLayer::drawInContext(context);
    if (auto observer = delegate())
        observer->didFinishDrawing(*this);
}

void PEPlot::renderAsVectorInContext(const CGContextRef& context)
{
    PEAnnotationHostLayer::renderAsVectorInContext(context);
    if (auto area = plotArea())
        CGContextClipToRect(context, convertRectFromLayer(area->bounds(), area));
}

void PEPlot::layoutSublayers()
{
    relabel();
    PEAnnotationHostLayer::layoutSublayers();
}

// Legend hooks.

NSString PEPlot::titleForLegendEntryAtIndex(NSUInteger) const
{
    if (m_title)
        return m_title;
    if (auto text = ns::cast<NSStringObject>(identifier()))
        return NSString(text);
    return nullptr;
}

std::shared_ptr<NSAttributedString> PEPlot::attributedTitleForLegendEntryAtIndex(NSUInteger) const
{
    if (m_attributedTitle)
        return m_attributedTitle;
    if (auto text = ns::cast<NSAttributedString>(identifier()))
        return text;
    return nullptr;
}

void PEPlot::drawSwatchForLegend(PELegend& legend, NSUInteger index, CGRect rect, const CGContextRef& context)
{
    auto legendDelegate = legend.legendDelegate();
    std::shared_ptr<PEFill> fill = legendDelegate ? legendDelegate->fillForEntryAtIndex(legend, index, *this) : nullptr;
    if (!fill)
        fill = legend.swatchFill();
    std::shared_ptr<PELineStyle> line = legendDelegate ? legendDelegate->lineStyleForEntryAtIndex(legend, index, *this) : nullptr;
    if (!line)
        line = legend.swatchBorderLineStyle();
    if (!fill && !line)
        return;
    const CGFloat radius = legend.swatchCornerRadius();
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

bool PEPlot::yRangeIsReversed() const
{
    auto space = plotSpace();
    auto yRange = space ? space->plotRangeForCoordinate(PECoordinateY) : nullptr;
    return yRange && PEDecimalIsLess(yRange->length(), PEDecimalWithInt(0));
}

void PEPlot::placeLabelAtDataPoint(const std::shared_ptr<PEPlotSpaceAnnotation>& label,
    const std::shared_ptr<NSNumber>& x, const std::shared_ptr<NSNumber>& y)
{
    label->setAnchorPlotPoint({ x, y });
    const bool missing = !x || !y || std::isnan(x->doubleValue()) || std::isnan(y->doubleValue());
    if (label->contentLayer())
        label->contentLayer()->setHidden(isHidden() || missing);
    label->setDisplacement(CGPoint { 0, yRangeIsReversed() ? -labelOffset() : labelOffset() });
}

bool PEPlot::pointingDeviceDownOnRecord(const UIEventRef& event, CGPoint interactionPoint,
    const std::function<bool(NSUInteger)>& select, const std::function<NSUInteger(CGPoint)>& recordAt)
{
    auto owner = graph();
    auto area = plotArea();
    if (!owner || !area || isHidden())
        return false;
    if (select) {
        const CGPoint point = owner->convertPointToLayer(interactionPoint, area);
        const NSUInteger index = recordAt ? recordAt(point) : dataIndexFromInteractionPoint(point);
        if (index != NSNotFound && select(index))
            return true;
    }
    return PEPlot::pointingDeviceDownEvent(event, interactionPoint);
}

bool PEPlot::pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint)
{
    auto owner = graph();
    if (!owner || isHidden())
        return false;
    auto observer = delegate();
    if (observer && m_labelAnnotations) {
        for (NSUInteger i = 0; i < m_labelAnnotations->count(); ++i) {
            auto annotation = ns::cast<PEAnnotation>(m_labelAnnotations->objectAtIndex(i));
            auto content = annotation ? annotation->contentLayer() : nullptr;
            if (!content || content->isHidden())
                continue;
            CGPoint point = owner->convertPointToLayer(interactionPoint, content);
            if (!CGRectContainsPoint(content->bounds(), point))
                continue;
            const bool plain = observer->dataLabelWasSelectedAtRecordIndex(*this, i);
            const bool withEvent = observer->dataLabelWasSelectedAtRecordIndexWithEvent(*this, i, event);
            if (plain || withEvent)
                return true;
            break;
        }
    }
    return PEAnnotationHostLayer::pointingDeviceDownEvent(event, interactionPoint);
}

// Keyed coding: the cache is never archived, so a decoded plot pulls again before it is drawn.

void PEPlot::encodeWithCoder(NSCoder& coder) const
{
    using namespace NSCoder_PEExtensions;
    PEAnnotationHostLayer::encodeWithCoder(coder);
    if (auto source = std::dynamic_pointer_cast<NSObject>(dataSource()); source && dynamic_cast<NSCoding*>(source.get()))
        coder.encodeConditionalObject(source, "PEPlot.dataSource");
    coder.encodeObject(m_title ? id(m_title) : nullptr, "PEPlot.title");
    coder.encodeObject(m_attributedTitle, "PEPlot.attributedTitle");
    coder.encodeObject(m_plotSpace, "PEPlot.plotSpace");
    coder.encodeInt(m_cachePrecision, "PEPlot.cachePrecision");
    coder.encodeBool(m_needsRelabel, "PEPlot.needsRelabel");
    coder.encodeBool(m_adjustLabelAnchors, "PEPlot.adjustLabelAnchors");
    coder.encodeBool(m_showLabels, "PEPlot.showLabels");
    encodeCGFloat(coder, m_labelOffset, "PEPlot.labelOffset");
    encodeCGFloat(coder, m_labelRotation, "PEPlot.labelRotation");
    coder.encodeInteger(static_cast<NSInteger>(m_labelField), "PEPlot.labelField");
    coder.encodeObject(m_labelTextStyle, "PEPlot.labelTextStyle");
    encodeObjectIfDecodable(coder, m_labelFormatter, "PEPlot.labelFormatter");
    coder.encodeObject(m_labelShadow, "PEPlot.labelShadow");
    coder.encodeObject(NSValue::valueWithRange(m_labelIndexRange), "PEPlot.labelIndexRange");
    coder.encodeObject(m_labelAnnotations, "PEPlot.labelAnnotations");
    coder.encodeBool(m_alignsPointsToPixels, "PEPlot.alignsPointsToPixels");
    coder.encodeBool(m_drawLegendSwatchDecoration, "PEPlot.drawLegendSwatchDecoration");
}

bool PEPlot::init(NSCoder& coder)
{
    using namespace NSCoder_PEExtensions;
    if (!PEAnnotationHostLayer::init(coder))
        return false;
    // Not kept: the data source is written only where something else in the archive owns it.
    m_dataSource = std::dynamic_pointer_cast<PEPlotDataSource>(coder.decodeWeakObjectForKey("PEPlot.dataSource"));
    if (auto title = coder.decodeObjectOfClass<NSStringObject>("PEPlot.title"))
        m_title = NSString(title);
    if (auto title = coder.decodeObjectOfClass<NSAttributedString>("PEPlot.attributedTitle"))
        m_attributedTitle = title;
    m_plotSpace = coder.decodeObjectOfClass<PEPlotSpace>("PEPlot.plotSpace");
    const int precision = coder.decodeIntForKey("PEPlot.cachePrecision");
    if (precision < PEPlotCachePrecisionAuto || precision > PEPlotCachePrecisionDecimal)
        return false;
    m_cachePrecision = precision;
    m_needsRelabel = coder.decodeBoolForKey("PEPlot.needsRelabel");
    m_adjustLabelAnchors = coder.decodeBoolForKey("PEPlot.adjustLabelAnchors");
    m_showLabels = coder.decodeBoolForKey("PEPlot.showLabels");
    m_labelOffset = decodeCGFloatForKey(coder, "PEPlot.labelOffset");
    m_labelRotation = decodeCGFloatForKey(coder, "PEPlot.labelRotation");
    m_labelField = static_cast<NSUInteger>(std::max<NSInteger>(0, coder.decodeIntegerForKey("PEPlot.labelField")));
    m_labelTextStyle = coder.decodeObjectOfClass<PETextStyle>("PEPlot.labelTextStyle");
    m_labelFormatter = coder.decodeObjectOfClass<NSFormatter>("PEPlot.labelFormatter");
    m_labelShadow = coder.decodeObjectOfClass<PEShadow>("PEPlot.labelShadow");
    if (auto range = coder.decodeObjectOfClass<NSValue>("PEPlot.labelIndexRange"))
        m_labelIndexRange = range->rangeValue();
    if (auto slots = coder.decodeObjectOfClass<NSArray>("PEPlot.labelAnnotations")) {
        // Relabelling removes a slot's annotation from this layer, which raises for one it does
        // not host: a slot keeps only a hosted annotation, and only the first time it is named.
        std::unordered_set<const PEAnnotation*> unclaimed;
        for (const auto& annotation : annotations())
            unclaimed.insert(annotation.get());
        m_labelAnnotations = NSMutableArray::array();
        for (NSUInteger i = 0; i < slots->count(); ++i) {
            auto annotation = ns::cast<PEPlotSpaceAnnotation>(slots->objectAtIndex(i));
            if (annotation && unclaimed.erase(annotation.get()))
                m_labelAnnotations->addObject(annotation);
            else
                m_labelAnnotations->addObject(NSNull::null());
        }
    }
    m_alignsPointsToPixels = coder.decodeBoolForKey("PEPlot.alignsPointsToPixels");
    m_drawLegendSwatchDecoration = coder.decodeBoolForKey("PEPlot.drawLegendSwatchDecoration");
    setMasksToBounds(true);
    setNeedsDisplayOnBoundsChange(true);
    m_cachedDataCount = 0;
    m_dataNeedsReloading = true;
    return true;
}

void PEPlot::init(const CALayer& layer)
{
    PEAnnotationHostLayer::init(layer);
    auto model = dynamic_cast<const PEPlot*>(&layer);
    if (!model)
        return;
    m_dataSource = model->m_dataSource;
    m_delegate = model->m_delegate;
    m_title = model->m_title;
    m_attributedTitle = model->m_attributedTitle;
    m_plotSpace = model->m_plotSpace;
    m_dataNeedsReloading = model->m_dataNeedsReloading;
    m_cachedNumbers = model->m_cachedNumbers;
    m_cachedArrays = model->m_cachedArrays;
    m_cachedDataCount = model->m_cachedDataCount;
    m_cachePrecision = model->m_cachePrecision;
    m_needsRelabel = model->m_needsRelabel;
    m_adjustLabelAnchors = model->m_adjustLabelAnchors;
    m_showLabels = model->m_showLabels;
    m_labelOffset = model->m_labelOffset;
    m_labelRotation = model->m_labelRotation;
    m_labelField = model->m_labelField;
    m_labelTextStyle = model->m_labelTextStyle;
    m_labelFormatter = model->m_labelFormatter;
    m_labelIndexRange = model->m_labelIndexRange;
    m_labelAnnotations = model->m_labelAnnotations;
    m_labelShadow = model->m_labelShadow;
    m_alignsPointsToPixels = model->m_alignsPointsToPixels;
    m_drawLegendSwatchDecoration = model->m_drawLegendSwatchDecoration;
}

std::span<const PELayer::FloatKey<PEPlot>> PEPlot::animatableFloatKeys()
{
    static const FloatKey<PEPlot> keys[] {
        { "labelOffset", &PEPlot::m_labelOffset, &PEPlot::setLabelOffset },
        { "labelRotation", &PEPlot::m_labelRotation, &PEPlot::setLabelRotation },
    };
    return keys;
}

bool PEPlot::needsDisplayForKey(const NSString& key) const
{
    return isFloatKey(animatableFloatKeys(), key) || PEAnnotationHostLayer::needsDisplayForKey(key);
}

id PEPlot::valueForKey(const NSString& key) const
{
    if (id value = valueForFloatKey(*this, animatableFloatKeys(), key))
        return value;
    return PEAnnotationHostLayer::valueForKey(key);
}

void PEPlot::setValue(const id& value, const NSString& key)
{
    if (setValueForFloatKey(*this, animatableFloatKeys(), value, key))
        return;
    PEAnnotationHostLayer::setValue(value, key);
}
