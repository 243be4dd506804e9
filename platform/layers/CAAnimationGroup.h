#pragma once
// Animations that run together on one layer, in the group's time: each starts at its beginTime
// after the group's, takes the group's duration when it has none, and is cut off where the
// group ends.

#include "platform/layers/CAAnimation.h"

class CAAnimationGroup : public CAAnimation {
    NS_OBJECT(CAAnimationGroup, CAAnimation)
public:
    static std::shared_ptr<CAAnimationGroup> animation() { return create(); }

    const std::vector<CAAnimationRef>& animations() const { return m_animations; }
    void setAnimations(std::vector<CAAnimationRef> animations) { m_animations = std::move(animations); }

    id copy() const override;
    void applyAtTime(CFTimeInterval parentTime, CALayer& layer, CFTimeInterval inheritedDuration = 0) const override;

protected:
    void init(const CAAnimationGroup& other);

private:
    std::vector<CAAnimationRef> m_animations;
};
