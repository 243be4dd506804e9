#pragma once
// One running animation: a property of an object (through its binding), the period that knows
// its start, end and timing, the curve, and the delegate to tell. The identifier and user info
// are the caller's own; the scheduler looks an operation up by identifier.

#include "framework/Source/PEAnimationBinding.h"
#include "framework/Source/PEAnimationDelegate.h"
#include "framework/Source/PEAnimationPeriod.h"
#include "framework/Source/PEAnimationTimingFunctions.h"
#include "platform/foundation/NSDictionary.h"

class PEAnimationOperation : public NSObject {
    NS_OBJECT(PEAnimationOperation, NSObject)
public:
    const std::shared_ptr<PEAnimationPeriod>& period() const { return m_period; }
    void setPeriod(const std::shared_ptr<PEAnimationPeriod>& period) { m_period = period; }
    PEAnimationCurve animationCurve() const { return m_animationCurve; }
    void setAnimationCurve(PEAnimationCurve curve) { m_animationCurve = curve; }

    const id& boundObject() const { return m_boundObject; }
    // The property's getter and setter; null when the object has no such animatable property.
    const std::shared_ptr<const PEAnimationBinding>& binding() const { return m_binding; }
    // The selector names ("xRange", "setXRange:"); nil without a binding.
    NSString boundGetter() const { return m_binding ? m_binding->getterName() : NSString(); }
    NSString boundSetter() const { return m_binding ? m_binding->setterName() : NSString(); }
    void bind(const id& object, const std::shared_ptr<const PEAnimationBinding>& binding);

    std::shared_ptr<PEAnimationDelegate> delegate() const { return m_delegate.lock(); }
    bool hasDelegate() const { return !m_delegate.expired(); }
    void setDelegate(const std::weak_ptr<PEAnimationDelegate>& delegate) { m_delegate = delegate; }
    const id& identifier() const { return m_identifier; }
    void setIdentifier(const id& identifier) { m_identifier = identifier ? identifier->copy() : nullptr; }
    const std::shared_ptr<NSDictionary>& userInfo() const { return m_userInfo; }
    void setUserInfo(const std::shared_ptr<NSDictionary>& userInfo);

    NSString description() const override;

private:
    friend class PEAnimation;
    // Where the operation is in its life; the scheduler alone moves it on.
    enum class State { Created, Listed, Cancelled, Ended };

    std::shared_ptr<PEAnimationPeriod> m_period;
    PEAnimationCurve m_animationCurve { PEAnimationCurveDefault };
    id m_boundObject;
    std::shared_ptr<const PEAnimationBinding> m_binding;
    std::weak_ptr<PEAnimationDelegate> m_delegate;
    id m_identifier;
    std::shared_ptr<NSDictionary> m_userInfo;
    State m_state { State::Created };
};
