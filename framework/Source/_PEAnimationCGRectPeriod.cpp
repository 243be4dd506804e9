#include "framework/Source/_PEAnimationCGRectPeriod.h"

#include "platform/layers/NSValueGeometry.h"

namespace {

bool between(double value, double start, double end)
{
    return (value >= start && value <= end) || (value >= end && value <= start);
}

double tween(double start, double end, double progress) { return start + (end - start) * progress; }

} // namespace

void _PEAnimationCGRectPeriod::setStartValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter)
{
    setStartValue(NSValueGeometry::valueWithCGRect(PECurrentCGRectValue(boundObject, boundGetter)));
}

id _PEAnimationCGRectPeriod::tweenedValueForProgress(double progress) const
{
    const CGRect start = NSValueGeometry::CGRectValue(startValue());
    const CGRect end = NSValueGeometry::CGRectValue(endValue());
    return NSValueGeometry::valueWithCGRect(CGRectMake(tween(start.origin.x, end.origin.x, progress),
        tween(start.origin.y, end.origin.y, progress), tween(start.size.width, end.size.width, progress),
        tween(start.size.height, end.size.height, progress)));
}

bool _PEAnimationCGRectPeriod::canStartWithValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter) const
{
    if (!startValue())
        return true;
    const CGRect current = PECurrentCGRectValue(boundObject, boundGetter);
    const CGRect start = NSValueGeometry::CGRectValue(startValue());
    const CGRect end = NSValueGeometry::CGRectValue(endValue());
    return between(current.origin.x, start.origin.x, end.origin.x) && between(current.origin.y, start.origin.y, end.origin.y)
        && between(current.size.width, start.size.width, end.size.width)
        && between(current.size.height, start.size.height, end.size.height);
}
