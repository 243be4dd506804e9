#pragma once
// An animation of one property of the layer, named by key path ("opacity", "position.x",
// "transform.scale.y", "bounds.size", a subclass's own key). Additive animations add their
// value to the property's underlying value instead of replacing it.

#include "platform/layers/CAAnimation.h"

class CAPropertyAnimation : public CAAnimation {
    NS_OBJECT(CAPropertyAnimation, CAAnimation)
public:
    static std::shared_ptr<CAPropertyAnimation> animationWithKeyPath(const NSString& keyPath);

    const NSString& keyPath() const { return m_keyPath; }
    void setKeyPath(const NSString& keyPath) { m_keyPath = keyPath; }
    bool isAdditive() const { return m_additive; }
    void setAdditive(bool additive) { m_additive = additive; }
    bool isCumulative() const { return m_cumulative; }
    void setCumulative(bool cumulative) { m_cumulative = cumulative; }

    id copy() const override;
    void applyAtTime(CFTimeInterval parentTime, CALayer& layer, CFTimeInterval inheritedDuration = 0) const override;

    // The value at a (timing-curved) fraction of one repetition, given the value the property
    // has underneath; nil leaves the property as it is.
    virtual id valueAtFraction(CGFloat fraction, const id& underlyingValue) const;

protected:
    void init(const CAPropertyAnimation& other);

private:
    NSString m_keyPath;
    bool m_additive { false };
    bool m_cumulative { false };
};
