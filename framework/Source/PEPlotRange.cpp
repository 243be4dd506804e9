#include "framework/Source/PEPlotRange.h"

#include "framework/Source/NSCoder_PEExtensions.h"
#include "framework/Source/PEMutablePlotRange.h"
#include "framework/Source/PEUtilities.h"
#include "platform/foundation/NSDecimalNumber.h"

#include <cmath>

std::shared_ptr<PEPlotRange> PEPlotRange::plotRangeWithLocation(const NSDecimal& location, const NSDecimal& length)
{
    return create(location, length);
}

std::shared_ptr<PEPlotRange> PEPlotRange::plotRangeWithLocation(double location, double length)
{
    return create(PEDecimalWithDouble(location), PEDecimalWithDouble(length));
}

void PEPlotRange::init()
{
    init(PEDecimalWithInt(0), PEDecimalWithInt(0));
}

void PEPlotRange::init(const NSDecimal& location, const NSDecimal& length)
{
    m_location = location;
    m_length = length;
    m_locationDouble = PEDecimalAsDouble(location);
    m_lengthDouble = PEDecimalAsDouble(length);
}

void PEPlotRange::setLocation(const NSDecimal& location)
{
    m_isEmpty = false;
    if (PEDecimalIsEqual(m_location, location))
        return;
    m_location = location;
    m_locationDouble = PEDecimalAsDouble(location);
}

void PEPlotRange::setLength(const NSDecimal& length)
{
    m_isEmpty = false;
    if (PEDecimalIsEqual(m_length, length))
        return;
    m_length = length;
    m_lengthDouble = PEDecimalAsDouble(length);
}

NSDecimal PEPlotRange::end() const { return PEDecimalSum(m_location, m_length); }

NSDecimal PEPlotRange::minLimit() const
{
    NSDecimal endValue = end();
    return PEDecimalIsLess(endValue, m_location) ? endValue : m_location;
}

NSDecimal PEPlotRange::maxLimit() const
{
    NSDecimal endValue = end();
    return PEDecimalIsGreater(endValue, m_location) ? endValue : m_location;
}

double PEPlotRange::minLimitDouble() const { return std::fmin(m_locationDouble, endDouble()); }
double PEPlotRange::maxLimitDouble() const { return std::fmax(m_locationDouble, endDouble()); }

NSDecimal PEPlotRange::midPoint() const
{
    return PEDecimalSum(m_location, PEDecimalQuotient(m_length, PEDecimalWithInt(2)));
}

bool PEPlotRange::contains(const NSDecimal& value) const
{
    if (m_isEmpty || NSDecimalIsNotANumber(&value))
        return false;
    return PEDecimalIsLessOrEqual(minLimit(), value) && PEDecimalIsLessOrEqual(value, maxLimit());
}

bool PEPlotRange::containsDouble(double value) const
{
    if (m_isEmpty)
        return false;
    return minLimitDouble() <= value && value <= maxLimitDouble();
}

bool PEPlotRange::containsRange(const std::shared_ptr<const PEPlotRange>& otherRange) const
{
    if (!otherRange || otherRange->m_isEmpty)
        return false;
    return contains(otherRange->minLimit()) && contains(otherRange->maxLimit());
}

bool PEPlotRange::intersectsRange(const std::shared_ptr<const PEPlotRange>& otherRange) const
{
    if (!otherRange || m_isEmpty || otherRange->m_isEmpty)
        return false;
    return PEDecimalIsLessOrEqual(otherRange->minLimit(), maxLimit()) && PEDecimalIsLessOrEqual(minLimit(), otherRange->maxLimit());
}

PEPlotRangeComparisonResult PEPlotRange::compareToDecimal(const NSDecimal& value) const
{
    if (contains(value))
        return PEPlotRangeComparisonResultNumberInRange;
    if (PEDecimalIsLess(value, minLimit()))
        return PEPlotRangeComparisonResultNumberBelowRange;
    return PEPlotRangeComparisonResultNumberAboveRange;
}

PEPlotRangeComparisonResult PEPlotRange::compareToDouble(double value) const
{
    if (value < minLimitDouble())
        return PEPlotRangeComparisonResultNumberBelowRange;
    if (value > maxLimitDouble())
        return PEPlotRangeComparisonResultNumberAboveRange;
    return PEPlotRangeComparisonResultNumberInRange;
}

PEPlotRangeComparisonResult PEPlotRange::compareToNumber(const std::shared_ptr<NSNumber>& number) const
{
    if (!number)
        return PEPlotRangeComparisonResultNumberInRange;
    if (auto decimalNumber = std::dynamic_pointer_cast<NSDecimalNumber>(number))
        return compareToDecimal(decimalNumber->decimalValue());
    return compareToDouble(number->doubleValue());
}

bool PEPlotRange::isEqualToRange(const std::shared_ptr<const PEPlotRange>& otherRange) const
{
    if (!otherRange)
        return false;
    return PEDecimalIsEqual(m_location, otherRange->m_location) && PEDecimalIsEqual(m_length, otherRange->m_length)
        && m_isEmpty == otherRange->m_isEmpty;
}

bool PEPlotRange::isEqual(const id& other) const
{
    if (other.get() == this)
        return true;
    return isEqualToRange(std::dynamic_pointer_cast<const PEPlotRange>(other));
}

NSUInteger PEPlotRange::hash() const
{
    std::hash<double> hasher;
    return hasher(m_locationDouble) ^ (hasher(m_lengthDouble) << 1);
}

NSString PEPlotRange::description() const
{
    return NSString::stringWithFormat("<%s {%@, %@}>", className(), NSDecimalString(&m_location), NSDecimalString(&m_length));
}

std::shared_ptr<PEPlotRange> PEPlotRange::copyRange() const
{
    auto range = PEPlotRange::create(m_location, m_length);
    range->m_isEmpty = m_isEmpty;
    return range;
}

std::shared_ptr<PEMutablePlotRange> PEPlotRange::mutableCopyRange() const
{
    auto range = PEMutablePlotRange::create(m_location, m_length);
    range->setEmpty(m_isEmpty);
    return range;
}

id PEPlotRange::copy() const { return copyRange(); }
id PEPlotRange::mutableCopy() const { return mutableCopyRange(); }

void PEPlotRange::encodeWithCoder(NSCoder& coder) const
{
    if (!coder.allowsKeyedCoding()) {
        coder.encodeObject(NSDecimalNumber::decimalNumberWithDecimal(m_location));
        coder.encodeObject(NSDecimalNumber::decimalNumberWithDecimal(m_length));
        return;
    }
    NSCoder_PEExtensions::encodeDecimal(coder, m_location, "PEPlotRange.location");
    NSCoder_PEExtensions::encodeDecimal(coder, m_length, "PEPlotRange.length");
    coder.encodeBool(m_isEmpty, "PEPlotRange.isEmpty");
}

bool PEPlotRange::init(NSCoder& coder)
{
    if (!coder.allowsKeyedCoding()) {
        auto location = ns::cast<NSDecimalNumber>(coder.decodeObject());
        auto length = ns::cast<NSDecimalNumber>(coder.decodeObject());
        if (!location || !length)
            return false;
        init(location->decimalValue(), length->decimalValue());
        return true;
    }
    init(NSCoder_PEExtensions::decodeDecimalForKey(coder, "PEPlotRange.location"), NSCoder_PEExtensions::decodeDecimalForKey(coder, "PEPlotRange.length"));
    m_isEmpty = coder.decodeBoolForKey("PEPlotRange.isEmpty");
    return true;
}
