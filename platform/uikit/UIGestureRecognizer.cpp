#include "platform/uikit/UIGestureRecognizer.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/SystemClock.h"
#include "platform/uikit/UIGestureEnvironment.h"
#include "platform/uikit/UIView.h"

UIGestureRecognizer::~UIGestureRecognizer() = default;

void UIGestureRecognizer::addTarget(const std::shared_ptr<NSObject>& target, Action action)
{
    NSAssertMainThread();
    if (!action)
        return;
    m_targets.push_back({ target, target.get(), target != nullptr, std::move(action) });
}

void UIGestureRecognizer::removeTarget(const std::shared_ptr<NSObject>& target)
{
    NSAssertMainThread();
    if (!target) {
        m_targets.clear();
        return;
    }
    std::erase_if(m_targets, [&](const Target& entry) { return entry.identity == target.get(); });
}

void UIGestureRecognizer::sendActions()
{
    auto protectedSelf = self();
    const auto targets = m_targets;
    for (const auto& entry : targets) {
        if (entry.hasTarget && entry.target.expired())
            continue;
        entry.action(*this);
    }
}

void UIGestureRecognizer::setEnabled(bool enabled)
{
    NSAssertMainThread();
    if (m_enabled == enabled)
        return;
    if (!enabled && m_state != UIGestureRecognizerState::Possible)
        setState(UIGestureRecognizerState::Cancelled);
    else if (!enabled)
        setState(UIGestureRecognizerState::Failed);
    m_enabled = enabled;
}

void UIGestureRecognizer::requireGestureRecognizerToFail(const std::shared_ptr<UIGestureRecognizer>& other)
{
    NSAssertMainThread();
    if (other && other.get() != this)
        m_failureRequirements.push_back(other);
}

void UIGestureRecognizer::setView(const std::shared_ptr<UIView>& view)
{
    if (m_view.lock() == view)
        return;
    if (m_state != UIGestureRecognizerState::Possible)
        setState(UIGestureRecognizerState::Cancelled);
    m_view = view;
}

CGPoint UIGestureRecognizer::locationInView(const std::shared_ptr<const UIView>& view) const
{
    if (m_touches.empty())
        return CGPointZero;
    CGPoint sum;
    for (const auto& touch : m_touches) {
        const CGPoint point = touch->locationInView(view);
        sum.x += point.x;
        sum.y += point.y;
    }
    const auto count = static_cast<CGFloat>(m_touches.count());
    return { sum.x / count, sum.y / count };
}

CGPoint UIGestureRecognizer::locationOfTouch(NSUInteger index, const std::shared_ptr<const UIView>& view) const
{
    if (index >= m_touches.count())
        return CGPointZero;
    return m_touches.allObjects()[index]->locationInView(view);
}

void UIGestureRecognizer::touchesBegan(const UITouchSet&, const UIEventRef&) { }
void UIGestureRecognizer::touchesMoved(const UITouchSet&, const UIEventRef&) { }
void UIGestureRecognizer::touchesEnded(const UITouchSet&, const UIEventRef&) { }
void UIGestureRecognizer::touchesCancelled(const UITouchSet&, const UIEventRef&)
{
    setState(m_state == UIGestureRecognizerState::Possible ? UIGestureRecognizerState::Failed
                                                           : UIGestureRecognizerState::Cancelled);
}

void UIGestureRecognizer::setState(UIGestureRecognizerState state)
{
    NSAssertMainThread();
    if (auto environment = m_environment.lock(); environment && environment->isTracking(*this)) {
        environment->requestState(*this, state);
        return;
    }
    // Outside a window's touches (driven by hand): the change and its actions, nothing more.
    if (state == m_state && state != UIGestureRecognizerState::Changed)
        return;
    const bool possibleToFailed = state == UIGestureRecognizerState::Failed;
    m_state = state;
    if (!possibleToFailed)
        sendActions();
    if (state == UIGestureRecognizerState::Ended || state == UIGestureRecognizerState::Cancelled
        || state == UIGestureRecognizerState::Failed) {
        if (m_touches.empty())
            resetToPossible();
    }
}

void UIGestureRecognizer::resetToPossible()
{
    m_state = UIGestureRecognizerState::Possible;
    m_pendingState.reset();
    m_touches = {};
    reset();
}

NSTimeInterval UIGestureRecognizer::currentTime() const
{
    if (auto environment = m_environment.lock())
        return environment->currentTime();
    return SystemClock::monotonicNow();
}
