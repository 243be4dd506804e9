#include "framework/Source/_PEAnimationNSDecimalPeriod.h"

#include "framework/Source/PEUtilities.h"
#include "platform/foundation/NSDecimalNumber.h"

namespace {

NSDecimal decimalOf(const id& value)
{
    auto number = ns::cast<NSNumber>(value);
    return number ? ns::decimalValue(*number) : PEDecimalWithInt(0);
}

} // namespace

void _PEAnimationNSDecimalPeriod::setStartValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter)
{
    setStartValue(NSDecimalNumber::decimalNumberWithDecimal(PECurrentDecimalValue(boundObject, boundGetter)));
}

id _PEAnimationNSDecimalPeriod::tweenedValueForProgress(double progress) const
{
    const NSDecimal start = decimalOf(startValue());
    const NSDecimal end = decimalOf(endValue());
    const NSDecimal value = PEDecimalSum(start, PEDecimalProduct(PEDecimalWithCGFloat(progress), PEDecimalDifference(end, start)));
    return NSDecimalNumber::decimalNumberWithDecimal(value);
}

bool _PEAnimationNSDecimalPeriod::canStartWithValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter) const
{
    const NSDecimal current = PECurrentDecimalValue(boundObject, boundGetter);
    const NSDecimal start = decimalOf(startValue());
    const NSDecimal end = decimalOf(endValue());
    return (PEDecimalIsGreaterOrEqual(current, start) && PEDecimalIsLessOrEqual(current, end))
        || (PEDecimalIsGreaterOrEqual(current, end) && PEDecimalIsLessOrEqual(current, start));
}
