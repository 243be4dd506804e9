#include "platform/layers/CAAnimation.h"

#include "platform/foundation/NSDictionary.h"
#include "platform/layers/CALayer.h"

#include <cmath>
#include <limits>

namespace {
constexpr CFTimeInterval defaultDuration = 0.25;
}

void CAAnimation::init(const CAAnimation& other)
{
    m_timingFunction = other.m_timingFunction;
    m_delegate = other.m_delegate;
    m_removedOnCompletion = other.m_removedOnCompletion;
    m_beginTime = other.m_beginTime;
    m_duration = other.m_duration;
    m_speed = other.m_speed;
    m_timeOffset = other.m_timeOffset;
    m_repeatCount = other.m_repeatCount;
    m_repeatDuration = other.m_repeatDuration;
    m_autoreverses = other.m_autoreverses;
    m_fillMode = other.m_fillMode;
    if (other.m_values)
        m_values = NSMutableDictionary::dictionaryWithDictionary(other.m_values);
}

id CAAnimation::copy() const { return create(*this); }

id CAAnimation::valueForKey(const NSString& key) const { return m_values ? m_values->objectForKey(key) : nullptr; }

void CAAnimation::setValue(const id& value, const NSString& key)
{
    if (!m_values)
        m_values = NSMutableDictionary::dictionary();
    if (value)
        m_values->setObject(value, key);
    else
        m_values->removeObjectForKey(key);
}

void CAAnimation::runActionForKey(const NSString& key, const id& object, const std::shared_ptr<NSDictionary>&)
{
    if (auto layer = ns::cast<CALayer>(object))
        layer->addAnimation(self(), key);
}

bool CAAnimation::fillsForwards() const
{
    const std::string mode = m_fillMode.UTF8String();
    return mode == kCAFillModeForwards || mode == kCAFillModeBoth;
}

bool CAAnimation::fillsBackwards() const
{
    const std::string mode = m_fillMode.UTF8String();
    return mode == kCAFillModeBackwards || mode == kCAFillModeBoth;
}

CFTimeInterval CAAnimation::effectiveDuration(CFTimeInterval inheritedDuration) const
{
    if (m_duration > 0)
        return m_duration;
    return inheritedDuration > 0 ? inheritedDuration : defaultDuration;
}

CFTimeInterval CAAnimation::activeDuration(CFTimeInterval inheritedDuration) const
{
    const CFTimeInterval cycle = effectiveDuration(inheritedDuration) * (m_autoreverses ? 2 : 1);
    if (m_repeatDuration > 0)
        return m_repeatDuration;
    if (m_repeatCount > 0)
        return std::isinf(m_repeatCount) ? std::numeric_limits<CFTimeInterval>::infinity() : cycle * m_repeatCount;
    return cycle;
}

CFTimeInterval CAAnimation::endTime(CFTimeInterval inheritedDuration) const
{
    const CFTimeInterval active = activeDuration(inheritedDuration);
    if (m_speed == 0 || std::isinf(active))
        return std::numeric_limits<CFTimeInterval>::infinity();
    return m_beginTime + std::max(0.0, active - m_timeOffset) / std::abs(m_speed);
}

std::optional<CFTimeInterval> CAAnimation::simpleTime(CFTimeInterval parentTime, CFTimeInterval inheritedDuration) const
{
    const CFTimeInterval duration = effectiveDuration(inheritedDuration);
    const CFTimeInterval cycle = duration * (m_autoreverses ? 2 : 1);
    const CFTimeInterval active = activeDuration(inheritedDuration);
    CFTimeInterval t = (parentTime - m_beginTime) * m_speed + m_timeOffset;
    if (parentTime < m_beginTime) {
        if (!fillsBackwards())
            return std::nullopt;
        t = 0;
    }
    CFTimeInterval position;
    if (t >= active) {
        if (!fillsForwards())
            return std::nullopt;
        // The end state: where the last (perhaps partial) repetition stopped.
        const double repetitions = active / cycle;
        const double partial = repetitions - std::floor(repetitions);
        position = partial > 1e-9 ? partial * cycle : cycle;
    } else {
        position = std::fmod(std::max(0.0, t), cycle);
    }
    if (m_autoreverses && position > duration)
        position = cycle - position;
    return std::clamp(position, 0.0, duration);
}

void CAAnimation::applyAtTime(CFTimeInterval, CALayer&, CFTimeInterval) const { }
