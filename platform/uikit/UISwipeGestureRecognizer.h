#pragma once
// A quick stroke in one of the permitted directions: recognised as soon as the fingers have gone
// kMinimumDistance along a permitted direction while straying at most kMaximumDeviation across
// it, within kMaximumDuration of touching down. Anything slower, shorter or askew fails.

#include "platform/uikit/UIGestureRecognizer.h"

using UISwipeGestureRecognizerDirection = NSUInteger;
enum : UISwipeGestureRecognizerDirection {
    UISwipeGestureRecognizerDirectionRight = 1 << 0,
    UISwipeGestureRecognizerDirectionLeft = 1 << 1,
    UISwipeGestureRecognizerDirectionUp = 1 << 2,
    UISwipeGestureRecognizerDirectionDown = 1 << 3,
};

class UISwipeGestureRecognizer : public UIGestureRecognizer {
    NS_OBJECT(UISwipeGestureRecognizer, UIGestureRecognizer)
public:
    static constexpr CGFloat kMinimumDistance = 50;
    static constexpr CGFloat kMaximumDeviation = 50;
    static constexpr NSTimeInterval kMaximumDuration = 0.5;

    // Right unless set; several directions may be combined.
    UISwipeGestureRecognizerDirection direction() const { return m_direction; }
    void setDirection(UISwipeGestureRecognizerDirection direction) { m_direction = direction; }
    NSUInteger numberOfTouchesRequired() const { return m_numberOfTouchesRequired; }
    void setNumberOfTouchesRequired(NSUInteger count) { m_numberOfTouchesRequired = count ? count : 1; }

    void touchesBegan(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesMoved(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesEnded(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesCancelled(const UITouchSet& touches, const UIEventRef& event) override;
    void reset() override;

private:
    // Recognises, fails, or leaves the gesture possible, from the movement so far.
    void judge(bool final);

    UISwipeGestureRecognizerDirection m_direction { UISwipeGestureRecognizerDirectionRight };
    NSUInteger m_numberOfTouchesRequired { 1 };
    NSUInteger m_fingersDown { 0 };
    bool m_started { false };
    CGPoint m_start;
    NSTimeInterval m_startTime { 0 };
};

using UISwipeGestureRecognizerRef = std::shared_ptr<UISwipeGestureRecognizer>;
