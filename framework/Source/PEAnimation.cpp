#include "framework/Source/PEAnimation.h"

#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NeverDestroyed.h"

#include <algorithm>
#include <cmath>

namespace {

// The timer's interval and the clock's step are the same double.
constexpr double tickInterval = 1.0 / 60.0;

void removeIdentical(PEAnimation::OperationList& list, const PEAnimationOperation* operation)
{
    std::erase_if(list, [operation](const auto& member) { return member.get() == operation; });
}

bool containsIdentical(const PEAnimation::OperationList& list, const PEAnimationOperation* operation)
{
    return std::any_of(list.begin(), list.end(), [operation](const auto& member) { return member.get() == operation; });
}

} // namespace

std::shared_ptr<PEAnimation> PEAnimation::sharedInstance()
{
    static NeverDestroyed<std::shared_ptr<PEAnimation>> instance(create());
    return instance.get();
}

std::shared_ptr<PEAnimationOperation> PEAnimation::animate(const id& object, const NSString& property,
    const std::shared_ptr<PEAnimationPeriod>& period, PEAnimationCurve animationCurve,
    const std::weak_ptr<PEAnimationDelegate>& delegate)
{
    auto operation = PEAnimationOperation::create();
    operation->setPeriod(period);
    operation->setAnimationCurve(animationCurve);
    operation->setDelegate(delegate);
    if (object)
        operation->bind(object, PEAnimationBinding::bindingForProperty(object, property));

    // Listed on a later pass, never inside this call: the caller keeps the operation first.
    auto scheduler = sharedInstance();
    DelayedPerform::performSelector(scheduler, "addAnimationOperation:", operation, 0.0,
        [scheduler, operation] { scheduler->addAnimationOperation(operation); });
    return operation;
}

std::shared_ptr<PEAnimationOperation> PEAnimation::addAnimationOperation(const std::shared_ptr<PEAnimationOperation>& animationOperation)
{
    if (!animationOperation || animationOperation->m_state != PEAnimationOperation::State::Created)
        return animationOperation;
    const auto& period = animationOperation->period();
    if (!animationOperation->hasDelegate()) {
        const bool nothingToDo = !animationOperation->boundObject() || !period
            || (period->startValue() && period->startValue()->isEqual(period->endValue()));
        if (nothingToDo) {
            animationOperation->m_state = PEAnimationOperation::State::Ended;
            return animationOperation;
        }
    }
    // Listed, such an operation would wait for ever and keep the timer running.
    if (!animationOperation->binding() || !period || !timingFunctionForAnimationCurve(animationOperation->animationCurve())) {
        animationOperation->m_state = PEAnimationOperation::State::Cancelled;
        tellDelegate(animationOperation, "animationCancelled:", &PEAnimationDelegate::animationCancelled);
        return animationOperation;
    }

    animationOperation->m_state = PEAnimationOperation::State::Listed;
    m_animationOperations.push_back(animationOperation);
    if (!m_timer) {
        std::weak_ptr<PEAnimation> weakSelf = self();
        m_timer = NSTimer::timerWithTimeInterval(tickInterval, self(), [weakSelf](const auto&) {
            if (auto scheduler = weakSelf.lock())
                scheduler->update();
        }, nullptr, true);
        NSRunLoop::mainRunLoop()->addTimer(m_timer, NSDefaultRunLoopMode);
    }
    return animationOperation;
}

void PEAnimation::cancel(const std::shared_ptr<PEAnimationOperation>& operation)
{
    operation->m_state = PEAnimationOperation::State::Cancelled;
    tellDelegate(operation, "animationCancelled:", &PEAnimationDelegate::animationCancelled);
}

void PEAnimation::removeAnimationOperation(const std::shared_ptr<PEAnimationOperation>& animationOperation)
{
    if (!animationOperation)
        return;
    switch (animationOperation->m_state) {
    case PEAnimationOperation::State::Created:
        // Still waiting to be listed: it must not be listed afterwards.
        cancel(animationOperation);
        return;
    case PEAnimationOperation::State::Listed:
        if (!containsIdentical(m_animationOperations, animationOperation.get()))
            return;
        m_expiredAnimationOperations.push_back(animationOperation);
        removeIdentical(m_animationOperations, animationOperation.get());
        cancel(animationOperation);
        return;
    case PEAnimationOperation::State::Cancelled:
    case PEAnimationOperation::State::Ended:
        return;
    }
}

void PEAnimation::removeAllAnimationOperations()
{
    for (const auto& operation : m_animationOperations)
        cancel(operation);
    m_expiredAnimationOperations.insert(m_expiredAnimationOperations.end(), m_animationOperations.begin(),
        m_animationOperations.end());
    m_animationOperations.clear();
}

std::shared_ptr<PEAnimationOperation> PEAnimation::operationWithIdentifier(const id& identifier) const
{
    for (const auto& operation : m_animationOperations) {
        if (operation->identifier() && operation->identifier()->isEqual(identifier))
            return operation;
    }
    return nullptr;
}

PEAnimationTimingFunction PEAnimation::timingFunctionForAnimationCurve(PEAnimationCurve animationCurve) const
{
    if (animationCurve == PEAnimationCurveDefault)
        animationCurve = m_defaultAnimationCurve;
    return PEAnimationTimingFunctionForCurve(animationCurve);
}

bool PEAnimation::isExpired(const PEAnimationOperation* operation) const
{
    return containsIdentical(m_expiredAnimationOperations, operation);
}

void PEAnimation::tellDelegate(const std::shared_ptr<PEAnimationOperation>& operation, const char* selector, Message message)
{
    auto delegate = operation->delegate();
    if (!delegate)
        return;
    DelayedPerform::performSelector(operation, selector, operation, 0.0,
        [delegate, operation, message] { ((*delegate).*message)(*operation); });
}

void PEAnimation::update()
{
    m_timeOffset += tickInterval;
    const double now = m_timeOffset;

    // A setter may add or cancel animations; the list walked is the one this tick began with.
    const OperationList operations = m_animationOperations;
    for (const auto& operation : operations) {
        if (operation->m_state != PEAnimationOperation::State::Listed)
            continue;
        const auto& period = operation->period();
        const double duration = period->duration();
        const double startOffset = period->startOffset();
        double start = 0;
        if (std::isnan(period->delay())) {
            if (!operation->boundObject() || !operation->binding()
                || !period->canStartWithValueFromObject(operation->boundObject(), *operation->binding()))
                continue;
            period->setDelay(now - startOffset);
            start = now;
        } else {
            start = startOffset + period->delay();
        }
        if (now < start)
            continue;
        PEAnimationTimingFunction timingFunction = timingFunctionForAnimationCurve(operation->animationCurve());
        if (!operation->boundObject() || !operation->binding() || !timingFunction)
            continue;

        if (!containsIdentical(m_runningAnimationOperations, operation.get())) {
            for (const auto& running : m_runningAnimationOperations) {
                if (running->boundObject() == operation->boundObject() && running->binding() == operation->binding()
                    && !isExpired(running.get())) {
                    // The newer animation of a property takes over; the older one is told it ended.
                    m_expiredAnimationOperations.push_back(running);
                    cancel(running);
                }
            }
            m_runningAnimationOperations.push_back(operation);
            tellDelegate(operation, "animationDidStart:", &PEAnimationDelegate::animationDidStart);
            if (!period->startValue())
                period->setStartValueFromObject(operation->boundObject(), *operation->binding());
        }
        if (isExpired(operation.get()))
            continue;

        // The finishing tick writes the end value itself, whatever the curve gives there.
        const bool finished = now >= start + duration;
        const double progress = finished ? 1.0 : timingFunction(now - start, duration);
        id value = period->tweenedValueForProgress(progress);
        tellDelegate(operation, "animationWillUpdate:", &PEAnimationDelegate::animationWillUpdate);
        operation->binding()->setValue(*operation->boundObject(), value);
        tellDelegate(operation, "animationDidUpdate:", &PEAnimationDelegate::animationDidUpdate);
        if (finished) {
            m_expiredAnimationOperations.push_back(operation);
            operation->m_state = PEAnimationOperation::State::Ended;
            tellDelegate(operation, "animationDidFinish:", &PEAnimationDelegate::animationDidFinish);
        }
    }

    for (const auto& expired : m_expiredAnimationOperations) {
        removeIdentical(m_runningAnimationOperations, expired.get());
        removeIdentical(m_animationOperations, expired.get());
    }
    m_expiredAnimationOperations.clear();

    if (m_animationOperations.empty() && m_timer) {
        m_timer->invalidate();
        m_timer = nullptr;
    }
}

NSString PEAnimation::description() const
{
    return NSString::stringWithFormat("<%@ timeOffset: %g; %u active and %u expired operations>", NSObject::description(),
        m_timeOffset, static_cast<unsigned>(m_animationOperations.size()),
        static_cast<unsigned>(m_expiredAnimationOperations.size()));
}
