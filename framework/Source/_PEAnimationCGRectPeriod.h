#pragma once
// A period between two rectangles, boxed as NSValue "{CGRect={CGPoint=dd}{CGSize=dd}}"; origin and size components tween on their own.

#include "framework/Source/PEAnimationPeriod.h"

class _PEAnimationCGRectPeriod : public PEAnimationPeriod {
    NS_OBJECT(_PEAnimationCGRectPeriod, PEAnimationPeriod)
public:
    void setStartValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter) override;
    id tweenedValueForProgress(double progress) const override;
    bool canStartWithValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter) const override;
};
