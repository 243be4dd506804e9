#include "framework/Source/_PEAnimationPlotRangePeriod.h"

#include "framework/Source/PEUtilities.h"

namespace {

std::shared_ptr<PEPlotRange> rangeOf(const id& value) { return ns::cast<PEPlotRange>(value); }

NSDecimal locationOf(const std::shared_ptr<PEPlotRange>& range) { return range ? range->location() : PEDecimalWithInt(0); }
NSDecimal lengthOf(const std::shared_ptr<PEPlotRange>& range) { return range ? range->length() : PEDecimalWithInt(0); }

NSDecimal tween(const NSDecimal& start, const NSDecimal& end, const NSDecimal& progress)
{
    return PEDecimalSum(start, PEDecimalProduct(progress, PEDecimalDifference(end, start)));
}

} // namespace

void _PEAnimationPlotRangePeriod::setStartValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter)
{
    setStartValue(boundObject ? boundGetter.getValue(*boundObject) : nullptr);
}

id _PEAnimationPlotRangePeriod::tweenedValueForProgress(double progress) const
{
    auto start = rangeOf(startValue());
    auto end = rangeOf(endValue());
    const NSDecimal amount = PEDecimalWithCGFloat(progress);
    return PEPlotRange::plotRangeWithLocation(tween(locationOf(start), locationOf(end), amount),
        tween(lengthOf(start), lengthOf(end), amount));
}

bool _PEAnimationPlotRangePeriod::canStartWithValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter) const
{
    const NSDecimal current = locationOf(boundObject ? rangeOf(boundGetter.getValue(*boundObject)) : nullptr);
    const NSDecimal start = locationOf(rangeOf(startValue()));
    const NSDecimal end = locationOf(rangeOf(endValue()));
    return (PEDecimalIsGreaterOrEqual(current, start) && PEDecimalIsLessOrEqual(current, end))
        || (PEDecimalIsGreaterOrEqual(current, end) && PEDecimalIsLessOrEqual(current, start));
}
