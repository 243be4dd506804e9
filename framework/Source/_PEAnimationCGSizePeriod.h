#pragma once
// A period between two sizes, boxed as NSValue "{CGSize=dd}".

#include "framework/Source/PEAnimationPeriod.h"

class _PEAnimationCGSizePeriod : public PEAnimationPeriod {
    NS_OBJECT(_PEAnimationCGSizePeriod, PEAnimationPeriod)
public:
    void setStartValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter) override;
    id tweenedValueForProgress(double progress) const override;
    bool canStartWithValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter) const override;
};
