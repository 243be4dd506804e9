#pragma once
// A period between two plot ranges: location and length each tween in decimal arithmetic; the start condition looks at the locations only.

#include "framework/Source/PEAnimationPeriod.h"

class _PEAnimationPlotRangePeriod : public PEAnimationPeriod {
    NS_OBJECT(_PEAnimationPlotRangePeriod, PEAnimationPeriod)
public:
    void setStartValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter) override;
    id tweenedValueForProgress(double progress) const override;
    bool canStartWithValueFromObject(const id& boundObject, const PEAnimationBinding& boundGetter) const override;
};
