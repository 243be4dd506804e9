#include "platform/layers/CABasicAnimation.h"

#include "platform/layers/CAAnimationValue.h"

std::shared_ptr<CABasicAnimation> CABasicAnimation::animationWithKeyPath(const NSString& keyPath)
{
    auto animation = create();
    animation->setKeyPath(keyPath);
    return animation;
}

void CABasicAnimation::init(const CABasicAnimation& other)
{
    super::init(other);
    m_fromValue = other.m_fromValue;
    m_toValue = other.m_toValue;
    m_byValue = other.m_byValue;
}

id CABasicAnimation::copy() const { return create(*this); }

id CABasicAnimation::valueAtFraction(CGFloat fraction, const id& underlying) const
{
    using CAAnimationValue::interpolate;
    using CAAnimationValue::sum;
    if (m_fromValue && m_toValue)
        return interpolate(m_fromValue, m_toValue, fraction);
    if (m_fromValue && m_byValue)
        return interpolate(m_fromValue, sum(m_fromValue, m_byValue), fraction);
    if (m_byValue && m_toValue)
        return interpolate(sum(m_toValue, m_byValue, -1), m_toValue, fraction);
    if (m_fromValue)
        return interpolate(m_fromValue, underlying, fraction);
    if (m_toValue)
        return interpolate(underlying, m_toValue, fraction);
    if (m_byValue)
        return interpolate(underlying, sum(underlying, m_byValue), fraction);
    return nullptr;
}
