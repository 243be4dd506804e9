#include "framework/Source/PEMutablePlotRange.h"

#include "framework/Source/PEExceptions.h"
#include "framework/Source/PEUtilities.h"
#include "platform/foundation/NSDecimalNumber.h"

std::shared_ptr<PEMutablePlotRange> PEMutablePlotRange::plotRangeWithLocation(const NSDecimal& location, const NSDecimal& length)
{
    return create(location, length);
}

std::shared_ptr<PEMutablePlotRange> PEMutablePlotRange::plotRangeWithLocation(double location, double length)
{
    return create(PEDecimalWithDouble(location), PEDecimalWithDouble(length));
}

void PEMutablePlotRange::setLimits(const NSDecimal& newMinimum, const NSDecimal& newMaximum)
{
    if (PEDecimalIsGreaterOrEqual(length(), PEDecimalWithInt(0))) {
        setLocation(newMinimum);
        setLength(PEDecimalDifference(newMaximum, newMinimum));
    } else {
        setLocation(newMaximum);
        setLength(PEDecimalDifference(newMinimum, newMaximum));
    }
}

void PEMutablePlotRange::unionPlotRange(const std::shared_ptr<const PEPlotRange>& otherRange)
{
    if (!otherRange)
        return;
    NSDecimal newMinimum = PEDecimalIsLess(minLimit(), otherRange->minLimit()) ? minLimit() : otherRange->minLimit();
    NSDecimal newMaximum = PEDecimalIsGreater(maxLimit(), otherRange->maxLimit()) ? maxLimit() : otherRange->maxLimit();
    setLimits(newMinimum, newMaximum);
}

void PEMutablePlotRange::intersectionPlotRange(const std::shared_ptr<const PEPlotRange>& otherRange)
{
    if (!otherRange)
        return;
    NSDecimal newMinimum = PEDecimalIsGreater(minLimit(), otherRange->minLimit()) ? minLimit() : otherRange->minLimit();
    NSDecimal newMaximum = PEDecimalIsLess(maxLimit(), otherRange->maxLimit()) ? maxLimit() : otherRange->maxLimit();
    if (PEDecimalIsGreaterOrEqual(newMaximum, newMinimum) && !isEmpty() && !otherRange->isEmpty()) {
        setLimits(newMinimum, newMaximum);
        return;
    }
    // No overlap: a zero length at the old location would still "contain" that location, so the
    // result is marked empty as well.
    setLength(PEDecimalWithInt(0));
    setEmpty(true);
}

void PEMutablePlotRange::expandRangeByFactor(const NSDecimal& factor)
{
    NSDecimal newLength = PEDecimalProduct(length(), factor);
    NSDecimal newLocation = PEDecimalSum(location(), PEDecimalQuotient(PEDecimalDifference(length(), newLength), PEDecimalWithInt(2)));
    setLocation(newLocation);
    setLength(newLength);
}

void PEMutablePlotRange::shiftLocationToFitInRange(const std::shared_ptr<const PEPlotRange>& otherRange)
{
    PEParameterAssert(otherRange);
    switch (otherRange->compareToNumber(NSDecimalNumber::decimalNumberWithDecimal(location()))) {
    case PEPlotRangeComparisonResultNumberAboveRange:
        setLocation(otherRange->maxLimit());
        break;
    case PEPlotRangeComparisonResultNumberBelowRange:
        setLocation(otherRange->minLimit());
        break;
    default:
        break;
    }
}

void PEMutablePlotRange::shiftEndToFitInRange(const std::shared_ptr<const PEPlotRange>& otherRange)
{
    PEParameterAssert(otherRange);
    switch (otherRange->compareToNumber(NSDecimalNumber::decimalNumberWithDecimal(end()))) {
    case PEPlotRangeComparisonResultNumberAboveRange:
        setLocation(PEDecimalDifference(otherRange->maxLimit(), length()));
        break;
    case PEPlotRangeComparisonResultNumberBelowRange:
        setLocation(PEDecimalDifference(otherRange->minLimit(), length()));
        break;
    default:
        break;
    }
}
