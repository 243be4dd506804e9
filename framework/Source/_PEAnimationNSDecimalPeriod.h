#pragma once
// A period between two exact decimals (NSDecimalNumber), tweened in decimal arithmetic; a missing start or end counts as zero.

#include "framework/Source/PEAnimationPeriod.h"

class _PEAnimationNSDecimalPeriod : public PEAnimationPeriod {
    NS_OBJECT(_PEAnimationNSDecimalPeriod, PEAnimationPeriod)
public:
    void setStartValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter) override;
    id tweenedValueForProgress(double progress) const override;
    bool canStartWithValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter) const override;
};
