#include "platform/layers/CAPropertyAnimation.h"

#include "platform/layers/CAAnimationValue.h"
#include "platform/layers/CALayer.h"

#include <cmath>

std::shared_ptr<CAPropertyAnimation> CAPropertyAnimation::animationWithKeyPath(const NSString& keyPath)
{
    auto animation = create();
    animation->setKeyPath(keyPath);
    return animation;
}

void CAPropertyAnimation::init(const CAPropertyAnimation& other)
{
    super::init(other);
    m_keyPath = other.m_keyPath;
    m_additive = other.m_additive;
    m_cumulative = other.m_cumulative;
}

id CAPropertyAnimation::copy() const { return create(*this); }

id CAPropertyAnimation::valueAtFraction(CGFloat, const id&) const { return nullptr; }

void CAPropertyAnimation::applyAtTime(CFTimeInterval parentTime, CALayer& layer, CFTimeInterval inheritedDuration) const
{
    if (!m_keyPath || m_keyPath.length() == 0)
        return;
    const std::optional<CFTimeInterval> time = simpleTime(parentTime, inheritedDuration);
    if (!time)
        return;
    const CFTimeInterval duration = effectiveDuration(inheritedDuration);
    const CGFloat fraction = duration > 0 ? *time / duration : 1;
    const CGFloat curved = timingFunction() ? timingFunction()->solve(fraction) : fraction;
    const id underlying = layer.valueForKeyPath(m_keyPath);
    id value = valueAtFraction(curved, underlying);
    if (!value)
        return;
    if (m_cumulative) {
        // Each finished repetition adds the value of a whole one.
        const CFTimeInterval cycle = duration * (autoreverses() ? 2 : 1);
        const CFTimeInterval local = std::max(0.0, (parentTime - beginTime()) * speed() + timeOffset());
        const double repetitions = std::floor(std::min(local, activeDuration(inheritedDuration)) / cycle);
        if (repetitions > 0) {
            if (id whole = valueAtFraction(1, underlying))
                if (id start = valueAtFraction(0, underlying))
                    if (id step = CAAnimationValue::sum(whole, start, -1))
                        if (id added = CAAnimationValue::sum(value, step, repetitions))
                            value = added;
        }
    }
    if (m_additive) {
        if (id added = CAAnimationValue::sum(underlying, value))
            value = added;
    }
    layer.setValueForKeyPath(value, m_keyPath);
}
