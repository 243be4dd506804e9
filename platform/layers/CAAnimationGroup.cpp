#include "platform/layers/CAAnimationGroup.h"

void CAAnimationGroup::init(const CAAnimationGroup& other)
{
    super::init(other);
    for (const auto& animation : other.m_animations)
        if (animation)
            m_animations.push_back(std::static_pointer_cast<CAAnimation>(animation->copy()));
}

id CAAnimationGroup::copy() const { return create(*this); }

void CAAnimationGroup::applyAtTime(CFTimeInterval parentTime, CALayer& layer, CFTimeInterval inheritedDuration) const
{
    const std::optional<CFTimeInterval> time = simpleTime(parentTime, inheritedDuration);
    if (!time)
        return;
    const CFTimeInterval duration = effectiveDuration(inheritedDuration);
    for (const auto& animation : m_animations)
        animation->applyAtTime(*time, layer, duration);
}
