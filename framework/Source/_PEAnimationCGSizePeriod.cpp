#include "framework/Source/_PEAnimationCGSizePeriod.h"

#include "platform/layers/NSValueGeometry.h"

namespace {

bool between(double value, double start, double end)
{
    return (value >= start && value <= end) || (value >= end && value <= start);
}

} // namespace

void _PEAnimationCGSizePeriod::setStartValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter)
{
    setStartValue(NSValueGeometry::valueWithCGSize(PECurrentCGSizeValue(boundObject, boundGetter)));
}

id _PEAnimationCGSizePeriod::tweenedValueForProgress(double progress) const
{
    const CGSize start = NSValueGeometry::CGSizeValue(startValue());
    const CGSize end = NSValueGeometry::CGSizeValue(endValue());
    return NSValueGeometry::valueWithCGSize(CGSizeMake(start.width + (end.width - start.width) * progress,
        start.height + (end.height - start.height) * progress));
}

bool _PEAnimationCGSizePeriod::canStartWithValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter) const
{
    if (!startValue())
        return true;
    const CGSize current = PECurrentCGSizeValue(boundObject, boundGetter);
    const CGSize start = NSValueGeometry::CGSizeValue(startValue());
    const CGSize end = NSValueGeometry::CGSizeValue(endValue());
    return between(current.width, start.width, end.width) && between(current.height, start.height, end.height);
}
