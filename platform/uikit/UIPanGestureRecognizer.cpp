#include "platform/uikit/UIPanGestureRecognizer.h"

#include "platform/uikit/UIView.h"
#include "platform/uikit/UIWindow.h"

#include <cmath>

namespace {

constexpr NSTimeInterval velocityWindow = 0.1;

} // namespace

CGPoint UIPanGestureRecognizer::centroid() const
{
    CGPoint sum;
    for (const auto& touch : touches()) {
        sum.x += touch->locationInWindow().x;
        sum.y += touch->locationInWindow().y;
    }
    const auto count = static_cast<CGFloat>(std::max<NSUInteger>(touches().count(), 1));
    return { sum.x / count + m_centroidOffset.x, sum.y / count + m_centroidOffset.y };
}

void UIPanGestureRecognizer::addSample(CGPoint location)
{
    const NSTimeInterval now = currentTime();
    m_samples.push_back({ now, location });
    while (m_samples.size() > 2 && m_samples[1].time <= now - velocityWindow)
        m_samples.pop_front();
}

void UIPanGestureRecognizer::touchesBegan(const UITouchSet& touches, const UIEventRef&)
{
    m_window = touches.anyObject()->window();
    if (this->touches().count() > m_maximumNumberOfTouches) {
        if (state() == UIGestureRecognizerState::Possible)
            setState(UIGestureRecognizerState::Failed);
        return;
    }
    if (this->touches().count() == touches.count()) {
        m_centroidOffset = {};
        m_touchDown = centroid();
        m_current = m_touchDown;
        m_samples.clear();
        addSample(m_current);
        return;
    }
    // Another finger joined: keep the reported point where it was.
    m_centroidOffset = {};
    const CGPoint plain = centroid();
    m_centroidOffset = { m_current.x - plain.x, m_current.y - plain.y };
}

void UIPanGestureRecognizer::touchesMoved(const UITouchSet&, const UIEventRef&)
{
    m_current = centroid();
    addSample(m_current);
    if (state() == UIGestureRecognizerState::Possible) {
        if (touches().count() < m_minimumNumberOfTouches)
            return;
        if (std::hypot(m_current.x - m_touchDown.x, m_current.y - m_touchDown.y) < hysteresis)
            return;
        // The translation counts from touch-down, so it is already past the threshold at the start.
        m_origin = m_touchDown;
        setState(UIGestureRecognizerState::Began);
        return;
    }
    if (state() == UIGestureRecognizerState::Began || state() == UIGestureRecognizerState::Changed)
        setState(UIGestureRecognizerState::Changed);
}

void UIPanGestureRecognizer::touchesEnded(const UITouchSet& touches, const UIEventRef&)
{
    const bool allUp = this->touches().count() == touches.count();
    if (!allUp) {
        UITouchSet remaining;
        for (const auto& touch : this->touches())
            if (!touches.containsObject(touch))
                remaining.addObject(touch);
        CGPoint sum;
        for (const auto& touch : remaining) {
            sum.x += touch->locationInWindow().x;
            sum.y += touch->locationInWindow().y;
        }
        const auto count = static_cast<CGFloat>(remaining.count());
        m_centroidOffset = { m_current.x - sum.x / count, m_current.y - sum.y / count };
        return;
    }
    addSample(m_current);
    if (state() == UIGestureRecognizerState::Began || state() == UIGestureRecognizerState::Changed)
        setState(UIGestureRecognizerState::Ended);
    else
        setState(UIGestureRecognizerState::Failed);
}

void UIPanGestureRecognizer::touchesCancelled(const UITouchSet&, const UIEventRef&)
{
    setState(state() == UIGestureRecognizerState::Possible ? UIGestureRecognizerState::Failed
                                                           : UIGestureRecognizerState::Cancelled);
}

void UIPanGestureRecognizer::reset()
{
    m_samples.clear();
    m_centroidOffset = {};
    m_origin = m_current = m_touchDown = {};
}

CGPoint UIPanGestureRecognizer::vectorInView(CGPoint vector, const std::shared_ptr<const UIView>& view) const
{
    if (!view)
        return vector;
    auto window = m_window.lock();
    const CGPoint a = view->convertPointFromView(CGPointZero, window);
    const CGPoint b = view->convertPointFromView(vector, window);
    return { b.x - a.x, b.y - a.y };
}

CGPoint UIPanGestureRecognizer::translationInView(const std::shared_ptr<const UIView>& view) const
{
    if (state() == UIGestureRecognizerState::Possible)
        return CGPointZero;
    return vectorInView({ m_current.x - m_origin.x, m_current.y - m_origin.y }, view);
}

void UIPanGestureRecognizer::setTranslation(CGPoint translation, const std::shared_ptr<const UIView>& view)
{
    // The inverse of vectorInView: map the view's vector back into the window.
    CGPoint vector = translation;
    if (view) {
        auto window = m_window.lock();
        const CGPoint a = view->convertPointToView(CGPointZero, window);
        const CGPoint b = view->convertPointToView(translation, window);
        vector = { b.x - a.x, b.y - a.y };
    }
    m_origin = { m_current.x - vector.x, m_current.y - vector.y };
}

CGPoint UIPanGestureRecognizer::velocityInView(const std::shared_ptr<const UIView>& view) const
{
    if (m_samples.size() < 2)
        return CGPointZero;
    const NSTimeInterval now = currentTime();
    const Sample& last = m_samples.back();
    // A finger that rested before lifting has no speed left.
    if (now - last.time > velocityWindow)
        return CGPointZero;
    const Sample* first = nullptr;
    for (const auto& sample : m_samples) {
        if (sample.time >= last.time - velocityWindow) {
            first = &sample;
            break;
        }
    }
    const NSTimeInterval elapsed = first ? last.time - first->time : 0;
    if (elapsed <= 0)
        return CGPointZero;
    return vectorInView({ (last.location.x - first->location.x) / elapsed, (last.location.y - first->location.y) / elapsed }, view);
}
