#pragma once
// An animation between two values of a property. Of fromValue, toValue and byValue the
// platform's combinations apply: from → to, from → from + by, to − by → to, from → the
// current value, the current value → to, the current value → current + by.

#include "platform/layers/CAPropertyAnimation.h"

class CABasicAnimation : public CAPropertyAnimation {
    NS_OBJECT(CABasicAnimation, CAPropertyAnimation)
public:
    static std::shared_ptr<CABasicAnimation> animation() { return create(); }
    static std::shared_ptr<CABasicAnimation> animationWithKeyPath(const NSString& keyPath);

    const id& fromValue() const { return m_fromValue; }
    void setFromValue(const id& value) { m_fromValue = value; }
    const id& toValue() const { return m_toValue; }
    void setToValue(const id& value) { m_toValue = value; }
    const id& byValue() const { return m_byValue; }
    void setByValue(const id& value) { m_byValue = value; }

    id copy() const override;
    id valueAtFraction(CGFloat fraction, const id& underlyingValue) const override;

protected:
    void init(const CABasicAnimation& other);

private:
    id m_fromValue;
    id m_toValue;
    id m_byValue;
};
