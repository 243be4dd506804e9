#pragma once
// A drag: begins once the fingers have moved a few points from where they went down, then
// reports the translation from touch-down and the velocity over the last tenth of a second.

#include "platform/uikit/UIGestureRecognizer.h"

#include <deque>

class UIPanGestureRecognizer : public UIGestureRecognizer {
    NS_OBJECT(UIPanGestureRecognizer, UIGestureRecognizer)
public:
    NSUInteger minimumNumberOfTouches() const { return m_minimumNumberOfTouches; }
    void setMinimumNumberOfTouches(NSUInteger count) { m_minimumNumberOfTouches = count ? count : 1; }
    NSUInteger maximumNumberOfTouches() const { return m_maximumNumberOfTouches; }
    void setMaximumNumberOfTouches(NSUInteger count) { m_maximumNumberOfTouches = count; }

    // In the coordinates of the view (nil: the window), as a distance.
    CGPoint translationInView(const std::shared_ptr<const UIView>& view) const;
    void setTranslation(CGPoint translation, const std::shared_ptr<const UIView>& view);
    // Points per second in the view's coordinates.
    CGPoint velocityInView(const std::shared_ptr<const UIView>& view) const;

    void touchesBegan(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesMoved(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesEnded(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesCancelled(const UITouchSet& touches, const UIEventRef& event) override;
    void reset() override;

    // How far the fingers move before a pan begins.
    static constexpr CGFloat hysteresis = 10;

private:
    struct Sample {
        NSTimeInterval time;
        CGPoint location;
    };
    CGPoint centroid() const;
    void addSample(CGPoint location);
    // A window-space vector in the view's coordinates.
    CGPoint vectorInView(CGPoint vector, const std::shared_ptr<const UIView>& view) const;

    NSUInteger m_minimumNumberOfTouches { 1 };
    NSUInteger m_maximumNumberOfTouches { static_cast<NSUInteger>(-1) };
    CGPoint m_touchDown;
    CGPoint m_origin;
    CGPoint m_current;
    // The centroid jumps when a finger joins or leaves; the offset keeps the translation steady.
    CGPoint m_centroidOffset;
    std::deque<Sample> m_samples;
    std::weak_ptr<UIWindow> m_window;
};
