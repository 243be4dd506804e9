#include "platform/uikit/UISwipeGestureRecognizer.h"

#include <cmath>

void UISwipeGestureRecognizer::touchesBegan(const UITouchSet& touches, const UIEventRef&)
{
    if (state() != UIGestureRecognizerState::Possible)
        return;
    m_fingersDown += touches.count();
    if (m_fingersDown > m_numberOfTouchesRequired) {
        setState(UIGestureRecognizerState::Failed);
        return;
    }
    if (m_fingersDown == m_numberOfTouchesRequired) {
        m_started = true;
        m_start = locationInView(nullptr);
        m_startTime = currentTime();
    }
}

void UISwipeGestureRecognizer::touchesMoved(const UITouchSet&, const UIEventRef&) { judge(false); }

void UISwipeGestureRecognizer::touchesEnded(const UITouchSet& touches, const UIEventRef&)
{
    judge(true);
    m_fingersDown -= std::min<NSUInteger>(m_fingersDown, touches.count());
}

void UISwipeGestureRecognizer::touchesCancelled(const UITouchSet&, const UIEventRef&)
{
    if (state() == UIGestureRecognizerState::Possible)
        setState(UIGestureRecognizerState::Failed);
}

void UISwipeGestureRecognizer::reset()
{
    m_fingersDown = 0;
    m_started = false;
}

void UISwipeGestureRecognizer::judge(bool final)
{
    if (state() != UIGestureRecognizerState::Possible)
        return;
    if (!m_started || currentTime() - m_startTime > kMaximumDuration) {
        setState(UIGestureRecognizerState::Failed);
        return;
    }
    const CGPoint now = locationInView(nullptr);
    const CGFloat dx = now.x - m_start.x, dy = now.y - m_start.y;
    struct Axis {
        UISwipeGestureRecognizerDirection direction;
        CGFloat along;
        CGFloat across;
    };
    const Axis axes[] = {
        { UISwipeGestureRecognizerDirectionRight, dx, dy },
        { UISwipeGestureRecognizerDirectionLeft, -dx, dy },
        { UISwipeGestureRecognizerDirectionUp, -dy, dx },
        { UISwipeGestureRecognizerDirectionDown, dy, dx },
    };
    bool stillPossible = false;
    for (const Axis& axis : axes) {
        if (!(m_direction & axis.direction) || std::abs(axis.across) > kMaximumDeviation)
            continue;
        if (axis.along >= kMinimumDistance) {
            setState(UIGestureRecognizerState::Recognized);
            return;
        }
        stillPossible = true;
    }
    if (!stillPossible || final)
        setState(UIGestureRecognizerState::Failed);
}
