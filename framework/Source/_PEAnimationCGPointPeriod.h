#pragma once
// A period between two points, boxed as NSValue "{CGPoint=dd}"; each coordinate tweens on its own.

#include "framework/Source/PEAnimationPeriod.h"

class _PEAnimationCGPointPeriod : public PEAnimationPeriod {
    NS_OBJECT(_PEAnimationCGPointPeriod, PEAnimationPeriod)
public:
    void setStartValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter) override;
    id tweenedValueForProgress(double progress) const override;
    bool canStartWithValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter) const override;
};
