#pragma once
// A period between two CGFloat values, boxed as numbers.

#include "framework/Source/PEAnimationPeriod.h"

class _PEAnimationCGFloatPeriod : public PEAnimationPeriod {
    NS_OBJECT(_PEAnimationCGFloatPeriod, PEAnimationPeriod)
public:
    void setStartValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter) override;
    id tweenedValueForProgress(double progress) const override;
    bool canStartWithValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter) const override;
};
