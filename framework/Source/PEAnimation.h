#pragma once
// The engine's one animation scheduler. Operations bind a property of an object to a period and
// a timing curve; a repeating timer of 1/60 s on the main run loop (default mode) advances the
// animation clock by exactly 1/60 s per firing, whatever the real time between firings, and
// writes each running operation's tweened value through the property's setter.
//
// animate() returns the operation at once and lists it on a later pass of the run loop. A newer
// operation on the same property of the same object supersedes a running older one. The timer
// exists only while operations are listed. Everything runs on the main thread.

#include "framework/Source/PEAnimationOperation.h"
#include "framework/Source/PEAnimationTimingFunctions.h"
#include "platform/foundation/NSTimer.h"

#include <vector>

class PEAnimation : public NSObject {
    NS_OBJECT(PEAnimation, NSObject)
public:
    using OperationList = std::vector<std::shared_ptr<PEAnimationOperation>>;

    static std::shared_ptr<PEAnimation> sharedInstance();

    // Binds the property of that name (PEAnimationBinding) when the object has one; an operation
    // without a binding never runs.
    static std::shared_ptr<PEAnimationOperation> animate(const id& object, const NSString& property,
        const std::shared_ptr<PEAnimationPeriod>& period, PEAnimationCurve animationCurve,
        const std::weak_ptr<PEAnimationDelegate>& delegate);

    // Lists the operation and starts the timer. Not listed: an operation removed before it was
    // listed; one without a delegate that has nothing to do (no object, no period, or equal start
    // and end). Refused with animationCancelled: one that could never start (no binding, no
    // period, or a curve without a timing function).
    std::shared_ptr<PEAnimationOperation> addAnimationOperation(const std::shared_ptr<PEAnimationOperation>& animationOperation);
    // Cancels a listed operation, or one still waiting to be listed; nothing for others.
    void removeAnimationOperation(const std::shared_ptr<PEAnimationOperation>& animationOperation);
    void removeAllAnimationOperations();
    std::shared_ptr<PEAnimationOperation> operationWithIdentifier(const id& identifier) const;
    // Curve 0 stands for the default curve; null for codes without a function.
    PEAnimationTimingFunction timingFunctionForAnimationCurve(PEAnimationCurve animationCurve) const;

    // The tick, once per timer firing.
    void update();

    const OperationList& animationOperations() const { return m_animationOperations; }
    const OperationList& runningAnimationOperations() const { return m_runningAnimationOperations; }
    const OperationList& expiredAnimationOperations() const { return m_expiredAnimationOperations; }
    const std::shared_ptr<NSTimer>& timer() const { return m_timer; }
    double timeOffset() const { return m_timeOffset; }
    PEAnimationCurve defaultAnimationCurve() const { return m_defaultAnimationCurve; }
    void setDefaultAnimationCurve(PEAnimationCurve curve) { m_defaultAnimationCurve = curve; }

    NSString description() const override;

private:
    using Message = void (PEAnimationDelegate::*)(PEAnimationOperation&);
    // Sends the message from a later pass of the run loop; the request keeps the operation and
    // its delegate alive until then.
    void tellDelegate(const std::shared_ptr<PEAnimationOperation>& operation, const char* selector, Message message);
    void cancel(const std::shared_ptr<PEAnimationOperation>& operation);
    bool isExpired(const PEAnimationOperation* operation) const;

    OperationList m_animationOperations;
    OperationList m_runningAnimationOperations;
    OperationList m_expiredAnimationOperations;
    std::shared_ptr<NSTimer> m_timer;
    double m_timeOffset { 0 };
    PEAnimationCurve m_defaultAnimationCurve { PEAnimationCurveLinear };
};
