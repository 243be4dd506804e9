#pragma once
// A press held still: the gesture begins once the required fingers have stayed down for the
// minimum duration without straying further than the allowable movement, then reports every
// move as a change and ends when a finger lifts. Lifting or straying earlier fails it.

#include "platform/foundation/NSTimer.h"
#include "platform/uikit/UIGestureRecognizer.h"

#include <map>

class UILongPressGestureRecognizer : public UIGestureRecognizer {
    NS_OBJECT(UILongPressGestureRecognizer, UIGestureRecognizer)
public:
    ~UILongPressGestureRecognizer() override;

    NSTimeInterval minimumPressDuration() const { return m_minimumPressDuration; }
    void setMinimumPressDuration(NSTimeInterval duration);
    NSUInteger numberOfTouchesRequired() const { return m_numberOfTouchesRequired; }
    void setNumberOfTouchesRequired(NSUInteger count) { m_numberOfTouchesRequired = count ? count : 1; }
    CGFloat allowableMovement() const { return m_allowableMovement; }
    void setAllowableMovement(CGFloat distance);

    void touchesBegan(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesMoved(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesEnded(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesCancelled(const UITouchSet& touches, const UIEventRef& event) override;
    void reset() override;

private:
    void pressHeld();
    void stopTimer();

    NSTimeInterval m_minimumPressDuration { 0.5 };
    NSUInteger m_numberOfTouchesRequired { 1 };
    CGFloat m_allowableMovement { 10 };
    // Where each finger came down, in the window.
    std::map<const UITouch*, CGPoint> m_starts;
    std::shared_ptr<NSTimer> m_timer;
};

using UILongPressGestureRecognizerRef = std::shared_ptr<UILongPressGestureRecognizer>;
