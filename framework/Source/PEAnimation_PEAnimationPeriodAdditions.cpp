#include "framework/Source/PEAnimation_PEAnimationPeriodAdditions.h"

namespace PEAnimation_PEAnimationPeriodAdditions {

Operation animate(const id& object, const NSString& property, CGFloat from, CGFloat to, double duration, double delay,
    PEAnimationCurve animationCurve, const Delegate& delegate)
{
    return PEAnimation::animate(object, property, PEAnimationPeriod::periodWithStart(from, to, duration, delay), animationCurve, delegate);
}

Operation animate(const id& object, const NSString& property, CGFloat from, CGFloat to, double duration,
    PEAnimationCurve animationCurve, const Delegate& delegate)
{
    return animate(object, property, from, to, duration, 0.0, animationCurve, delegate);
}

Operation animate(const id& object, const NSString& property, CGPoint fromPoint, CGPoint toPoint, double duration, double delay,
    PEAnimationCurve animationCurve, const Delegate& delegate)
{
    return PEAnimation::animate(object, property, PEAnimationPeriod::periodWithStartPoint(fromPoint, toPoint, duration, delay), animationCurve, delegate);
}

Operation animate(const id& object, const NSString& property, CGPoint fromPoint, CGPoint toPoint, double duration,
    PEAnimationCurve animationCurve, const Delegate& delegate)
{
    return animate(object, property, fromPoint, toPoint, duration, 0.0, animationCurve, delegate);
}

Operation animate(const id& object, const NSString& property, CGSize fromSize, CGSize toSize, double duration, double delay,
    PEAnimationCurve animationCurve, const Delegate& delegate)
{
    return PEAnimation::animate(object, property, PEAnimationPeriod::periodWithStartSize(fromSize, toSize, duration, delay), animationCurve, delegate);
}

Operation animate(const id& object, const NSString& property, CGSize fromSize, CGSize toSize, double duration,
    PEAnimationCurve animationCurve, const Delegate& delegate)
{
    return animate(object, property, fromSize, toSize, duration, 0.0, animationCurve, delegate);
}

Operation animate(const id& object, const NSString& property, CGRect fromRect, CGRect toRect, double duration, double delay,
    PEAnimationCurve animationCurve, const Delegate& delegate)
{
    return PEAnimation::animate(object, property, PEAnimationPeriod::periodWithStartRect(fromRect, toRect, duration, delay), animationCurve, delegate);
}

Operation animate(const id& object, const NSString& property, CGRect fromRect, CGRect toRect, double duration,
    PEAnimationCurve animationCurve, const Delegate& delegate)
{
    return animate(object, property, fromRect, toRect, duration, 0.0, animationCurve, delegate);
}

Operation animate(const id& object, const NSString& property, const NSDecimal& fromDecimal, const NSDecimal& toDecimal, double duration, double delay,
    PEAnimationCurve animationCurve, const Delegate& delegate)
{
    return PEAnimation::animate(object, property, PEAnimationPeriod::periodWithStartDecimal(fromDecimal, toDecimal, duration, delay), animationCurve, delegate);
}

Operation animate(const id& object, const NSString& property, const NSDecimal& fromDecimal, const NSDecimal& toDecimal, double duration,
    PEAnimationCurve animationCurve, const Delegate& delegate)
{
    return animate(object, property, fromDecimal, toDecimal, duration, 0.0, animationCurve, delegate);
}

Operation animate(const id& object, const NSString& property, const std::shared_ptr<PEPlotRange>& fromPlotRange, const std::shared_ptr<PEPlotRange>& toPlotRange, double duration, double delay,
    PEAnimationCurve animationCurve, const Delegate& delegate)
{
    return PEAnimation::animate(object, property, PEAnimationPeriod::periodWithStartPlotRange(fromPlotRange, toPlotRange, duration, delay), animationCurve, delegate);
}

Operation animate(const id& object, const NSString& property, const std::shared_ptr<PEPlotRange>& fromPlotRange, const std::shared_ptr<PEPlotRange>& toPlotRange, double duration,
    PEAnimationCurve animationCurve, const Delegate& delegate)
{
    return animate(object, property, fromPlotRange, toPlotRange, duration, 0.0, animationCurve, delegate);
}

} // namespace PEAnimation_PEAnimationPeriodAdditions
