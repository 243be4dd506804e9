#include "platform/uikit/UILongPressGestureRecognizer.h"

#include "platform/foundation/NSRunLoop.h"

#include <cmath>

UILongPressGestureRecognizer::~UILongPressGestureRecognizer() { stopTimer(); }

void UILongPressGestureRecognizer::setMinimumPressDuration(NSTimeInterval duration)
{
    m_minimumPressDuration = std::isfinite(duration) && duration > 0 ? duration : 0;
}

void UILongPressGestureRecognizer::setAllowableMovement(CGFloat distance)
{
    m_allowableMovement = std::isfinite(distance) && distance > 0 ? distance : 0;
}

void UILongPressGestureRecognizer::stopTimer()
{
    if (m_timer) {
        m_timer->invalidate();
        m_timer = nullptr;
    }
}

void UILongPressGestureRecognizer::touchesBegan(const UITouchSet& touches, const UIEventRef&)
{
    if (state() != UIGestureRecognizerState::Possible)
        return;
    for (const auto& touch : touches)
        m_starts[touch.get()] = touch->locationInView(nullptr);
    if (m_starts.size() > m_numberOfTouchesRequired) {
        stopTimer();
        setState(UIGestureRecognizerState::Failed);
        return;
    }
    if (m_starts.size() == m_numberOfTouchesRequired && !m_timer) {
        std::weak_ptr<UILongPressGestureRecognizer> weakSelf = self();
        m_timer = NSTimer::timerWithTimeInterval(m_minimumPressDuration, [weakSelf](const auto&) {
            if (auto recognizer = weakSelf.lock())
                recognizer->pressHeld();
        }, false);
        // A press is measured while a scroll view tracks it too.
        NSRunLoop::mainRunLoop()->addTimer(m_timer, NSRunLoopCommonModes);
    }
}

void UILongPressGestureRecognizer::pressHeld()
{
    m_timer = nullptr;
    if (state() == UIGestureRecognizerState::Possible)
        setState(UIGestureRecognizerState::Began);
}

void UILongPressGestureRecognizer::touchesMoved(const UITouchSet& touches, const UIEventRef&)
{
    if (state() == UIGestureRecognizerState::Began || state() == UIGestureRecognizerState::Changed) {
        setState(UIGestureRecognizerState::Changed);
        return;
    }
    if (state() != UIGestureRecognizerState::Possible)
        return;
    for (const auto& touch : touches) {
        const auto start = m_starts.find(touch.get());
        if (start == m_starts.end())
            continue;
        const CGPoint now = touch->locationInView(nullptr);
        if (std::hypot(now.x - start->second.x, now.y - start->second.y) > m_allowableMovement) {
            stopTimer();
            setState(UIGestureRecognizerState::Failed);
            return;
        }
    }
}

void UILongPressGestureRecognizer::touchesEnded(const UITouchSet& touches, const UIEventRef&)
{
    for (const auto& touch : touches)
        m_starts.erase(touch.get());
    if (state() == UIGestureRecognizerState::Began || state() == UIGestureRecognizerState::Changed) {
        setState(UIGestureRecognizerState::Ended);
    } else if (state() == UIGestureRecognizerState::Possible) {
        stopTimer();
        setState(UIGestureRecognizerState::Failed);
    }
}

void UILongPressGestureRecognizer::touchesCancelled(const UITouchSet& touches, const UIEventRef&)
{
    for (const auto& touch : touches)
        m_starts.erase(touch.get());
    stopTimer();
    if (state() == UIGestureRecognizerState::Began || state() == UIGestureRecognizerState::Changed)
        setState(UIGestureRecognizerState::Cancelled);
    else if (state() == UIGestureRecognizerState::Possible)
        setState(UIGestureRecognizerState::Failed);
}

void UILongPressGestureRecognizer::reset()
{
    stopTimer();
    m_starts.clear();
}
