#include "platform/uikit/UIPinchGestureRecognizer.h"

#include <algorithm>
#include <cmath>

CGFloat UIPinchGestureRecognizer::fingerDistance() const
{
    if (m_fingers.size() < 2)
        return 0;
    const CGPoint a = m_fingers[0]->locationInView(nullptr), b = m_fingers[1]->locationInView(nullptr);
    return std::hypot(a.x - b.x, a.y - b.y);
}

void UIPinchGestureRecognizer::setScale(CGFloat scale)
{
    if (!std::isfinite(scale) || scale <= 0)
        return;
    m_scale = scale;
    if (const CGFloat distance = fingerDistance(); distance > 0)
        m_baseDistance = distance / scale;
}

void UIPinchGestureRecognizer::touchesBegan(const UITouchSet& touches, const UIEventRef&)
{
    for (const auto& touch : touches) {
        if (m_fingers.size() < 2)
            m_fingers.push_back(touch);
    }
    if (state() == UIGestureRecognizerState::Possible && m_fingers.size() == 2 && m_baseDistance == 0) {
        m_baseDistance = fingerDistance();
        m_lastTime = currentTime();
    }
}

void UIPinchGestureRecognizer::touchesMoved(const UITouchSet&, const UIEventRef&)
{
    if (m_fingers.size() < 2 || m_baseDistance <= 0)
        return;
    const CGFloat distance = fingerDistance();
    const NSTimeInterval now = currentTime();
    if (state() == UIGestureRecognizerState::Possible) {
        if (std::abs(distance - m_baseDistance) < kBeginThreshold)
            return;
        m_scale = distance / m_baseDistance;
        m_velocity = 0;
        m_lastTime = now;
        setState(UIGestureRecognizerState::Began);
        return;
    }
    if (state() != UIGestureRecognizerState::Began && state() != UIGestureRecognizerState::Changed)
        return;
    const CGFloat scale = distance / m_baseDistance;
    if (now > m_lastTime)
        m_velocity = (scale - m_scale) / (now - m_lastTime);
    m_scale = scale;
    m_lastTime = now;
    setState(UIGestureRecognizerState::Changed);
}

void UIPinchGestureRecognizer::touchesEnded(const UITouchSet& touches, const UIEventRef&)
{
    const bool lostFinger = std::any_of(m_fingers.begin(), m_fingers.end(),
        [&](const UITouchRef& finger) { return touches.containsObject(finger); });
    if (!lostFinger)
        return;
    std::erase_if(m_fingers, [&](const UITouchRef& finger) { return touches.containsObject(finger); });
    if (state() == UIGestureRecognizerState::Began || state() == UIGestureRecognizerState::Changed)
        setState(UIGestureRecognizerState::Ended);
    else if (state() == UIGestureRecognizerState::Possible && m_fingers.empty())
        setState(UIGestureRecognizerState::Failed);
}

void UIPinchGestureRecognizer::touchesCancelled(const UITouchSet&, const UIEventRef&)
{
    if (state() == UIGestureRecognizerState::Began || state() == UIGestureRecognizerState::Changed)
        setState(UIGestureRecognizerState::Cancelled);
    else if (state() == UIGestureRecognizerState::Possible)
        setState(UIGestureRecognizerState::Failed);
}

void UIPinchGestureRecognizer::reset()
{
    m_fingers.clear();
    m_scale = 1;
    m_velocity = 0;
    m_baseDistance = 0;
}
