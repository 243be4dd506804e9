#pragma once
// Two fingers moving apart or together: the gesture begins once their distance has changed by
// kBeginThreshold points, then reports the scale (distance over the distance at touch-down) and
// its rate of change per second; it ends when a finger lifts. Setting the scale makes later
// scales relative to the distance at that moment.

#include "platform/uikit/UIGestureRecognizer.h"

class UIPinchGestureRecognizer : public UIGestureRecognizer {
    NS_OBJECT(UIPinchGestureRecognizer, UIGestureRecognizer)
public:
    static constexpr CGFloat kBeginThreshold = 8;

    CGFloat scale() const { return m_scale; }
    void setScale(CGFloat scale);
    CGFloat velocity() const { return m_velocity; }

    void touchesBegan(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesMoved(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesEnded(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesCancelled(const UITouchSet& touches, const UIEventRef& event) override;
    void reset() override;

private:
    CGFloat fingerDistance() const;

    std::vector<UITouchRef> m_fingers;
    CGFloat m_scale { 1 };
    CGFloat m_velocity { 0 };
    // The distance that counts as scale 1.
    CGFloat m_baseDistance { 0 };
    NSTimeInterval m_lastTime { 0 };
};

using UIPinchGestureRecognizerRef = std::shared_ptr<UIPinchGestureRecognizer>;
