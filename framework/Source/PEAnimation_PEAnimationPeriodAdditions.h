#pragma once
// Animations of one property from a start value to an end value, by value type: each builds the
// period for its type and hands it to PEAnimation::animate. A NaN start (a nil range) starts from
// the property's value at the first tick. The forms without a delay start at once and default to
// the default curve and no delegate.

#include "framework/Source/PEAnimation.h"

namespace PEAnimation_PEAnimationPeriodAdditions {

using Operation = std::shared_ptr<PEAnimationOperation>;
using Delegate = std::weak_ptr<PEAnimationDelegate>;

Operation animate(const id& object, const NSString& property, CGFloat from, CGFloat to, double duration, double delay,
    PEAnimationCurve animationCurve, const Delegate& delegate);
Operation animate(const id& object, const NSString& property, CGFloat from, CGFloat to, double duration,
    PEAnimationCurve animationCurve = PEAnimationCurveDefault, const Delegate& delegate = {});

Operation animate(const id& object, const NSString& property, CGPoint fromPoint, CGPoint toPoint, double duration, double delay,
    PEAnimationCurve animationCurve, const Delegate& delegate);
Operation animate(const id& object, const NSString& property, CGPoint fromPoint, CGPoint toPoint, double duration,
    PEAnimationCurve animationCurve = PEAnimationCurveDefault, const Delegate& delegate = {});

Operation animate(const id& object, const NSString& property, CGSize fromSize, CGSize toSize, double duration, double delay,
    PEAnimationCurve animationCurve, const Delegate& delegate);
Operation animate(const id& object, const NSString& property, CGSize fromSize, CGSize toSize, double duration,
    PEAnimationCurve animationCurve = PEAnimationCurveDefault, const Delegate& delegate = {});

Operation animate(const id& object, const NSString& property, CGRect fromRect, CGRect toRect, double duration, double delay,
    PEAnimationCurve animationCurve, const Delegate& delegate);
Operation animate(const id& object, const NSString& property, CGRect fromRect, CGRect toRect, double duration,
    PEAnimationCurve animationCurve = PEAnimationCurveDefault, const Delegate& delegate = {});

Operation animate(const id& object, const NSString& property, const NSDecimal& fromDecimal, const NSDecimal& toDecimal, double duration, double delay,
    PEAnimationCurve animationCurve, const Delegate& delegate);
Operation animate(const id& object, const NSString& property, const NSDecimal& fromDecimal, const NSDecimal& toDecimal, double duration,
    PEAnimationCurve animationCurve = PEAnimationCurveDefault, const Delegate& delegate = {});

Operation animate(const id& object, const NSString& property, const std::shared_ptr<PEPlotRange>& fromPlotRange, const std::shared_ptr<PEPlotRange>& toPlotRange, double duration, double delay,
    PEAnimationCurve animationCurve, const Delegate& delegate);
Operation animate(const id& object, const NSString& property, const std::shared_ptr<PEPlotRange>& fromPlotRange, const std::shared_ptr<PEPlotRange>& toPlotRange, double duration,
    PEAnimationCurve animationCurve = PEAnimationCurveDefault, const Delegate& delegate = {});

} // namespace PEAnimation_PEAnimationPeriodAdditions
