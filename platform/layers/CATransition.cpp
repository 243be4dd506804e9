#include "platform/layers/CATransition.h"

void CATransition::init(const CATransition& other)
{
    super::init(other);
    m_type = other.m_type;
    m_subtype = other.m_subtype;
    m_startProgress = other.m_startProgress;
    m_endProgress = other.m_endProgress;
    m_snapshot = other.m_snapshot;
    m_snapshotScale = other.m_snapshotScale;
}

id CATransition::copy() const { return create(*this); }

std::optional<CGFloat> CATransition::progressAtTime(CFTimeInterval parentTime) const
{
    const std::optional<CFTimeInterval> time = simpleTime(parentTime);
    if (!time)
        return std::nullopt;
    const CFTimeInterval duration = effectiveDuration();
    CGFloat fraction = duration > 0 ? *time / duration : 1;
    if (timingFunction())
        fraction = timingFunction()->solve(fraction);
    return m_startProgress + (m_endProgress - m_startProgress) * fraction;
}
