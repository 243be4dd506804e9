#include "framework/Source/_PEAnimationCGFloatPeriod.h"

#include "platform/foundation/NSNumber.h"

namespace {

double valueOf(const id& value)
{
    auto number = ns::cast<NSNumber>(value);
    return number ? number->doubleValue() : 0;
}

} // namespace

void _PEAnimationCGFloatPeriod::setStartValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter)
{
    setStartValue(NSNumber::numberWithDouble(PECurrentCGFloatValue(boundObject, boundGetter)));
}

id _PEAnimationCGFloatPeriod::tweenedValueForProgress(double progress) const
{
    const double start = valueOf(startValue());
    const double end = valueOf(endValue());
    return NSNumber::numberWithDouble(start + (end - start) * progress);
}

bool _PEAnimationCGFloatPeriod::canStartWithValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter) const
{
    // Without a start there is nothing to wait for: the start is read when the animation begins.
    if (!startValue())
        return true;
    const double current = PECurrentCGFloatValue(boundObject, boundGetter);
    const double start = valueOf(startValue());
    const double end = valueOf(endValue());
    return (current >= start && current <= end) || (current >= end && current <= start);
}
