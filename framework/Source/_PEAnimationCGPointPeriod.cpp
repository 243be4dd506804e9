#include "framework/Source/_PEAnimationCGPointPeriod.h"

#include "platform/layers/NSValueGeometry.h"

namespace {

bool between(double value, double start, double end)
{
    return (value >= start && value <= end) || (value >= end && value <= start);
}

} // namespace

void _PEAnimationCGPointPeriod::setStartValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter)
{
    setStartValue(NSValueGeometry::valueWithCGPoint(PECurrentCGPointValue(boundObject, boundGetter)));
}

id _PEAnimationCGPointPeriod::tweenedValueForProgress(double progress) const
{
    const CGPoint start = NSValueGeometry::CGPointValue(startValue());
    const CGPoint end = NSValueGeometry::CGPointValue(endValue());
    return NSValueGeometry::valueWithCGPoint(
        CGPointMake(start.x + (end.x - start.x) * progress, start.y + (end.y - start.y) * progress));
}

bool _PEAnimationCGPointPeriod::canStartWithValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter) const
{
    if (!startValue())
        return true;
    const CGPoint current = PECurrentCGPointValue(boundObject, boundGetter);
    const CGPoint start = NSValueGeometry::CGPointValue(startValue());
    const CGPoint end = NSValueGeometry::CGPointValue(endValue());
    return between(current.x, start.x, end.x) && between(current.y, start.y, end.y);
}
