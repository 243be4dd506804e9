#pragma once
// A tap: the required number of fingers down and up, the required number of times, each tap
// starting soon after the last and near it, no finger straying more than a few points.

#include "platform/foundation/NSTimer.h"
#include "platform/uikit/UIGestureRecognizer.h"

class UITapGestureRecognizer : public UIGestureRecognizer {
    NS_OBJECT(UITapGestureRecognizer, UIGestureRecognizer)
public:
    ~UITapGestureRecognizer() override;

    NSUInteger numberOfTapsRequired() const { return m_numberOfTapsRequired; }
    void setNumberOfTapsRequired(NSUInteger taps) { m_numberOfTapsRequired = taps ? taps : 1; }
    NSUInteger numberOfTouchesRequired() const { return m_numberOfTouchesRequired; }
    void setNumberOfTouchesRequired(NSUInteger touches) { m_numberOfTouchesRequired = touches ? touches : 1; }

    // Where the last tap was made.
    CGPoint locationInView(const std::shared_ptr<const UIView>& view) const override;

    void touchesBegan(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesMoved(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesEnded(const UITouchSet& touches, const UIEventRef& event) override;
    void reset() override;
    bool waitsForNextTouch() const override { return m_tapsMade > 0 && m_tapsMade < m_numberOfTapsRequired; }

    // How far a finger may move during a tap, and how long and how far the next tap may wait.
    static constexpr CGFloat allowableMovement = 10;
    static constexpr NSTimeInterval maximumIntervalBetweenTaps = 0.35;
    static constexpr CGFloat maximumDistanceBetweenTaps = 45;

private:
    void failLater();

    NSUInteger m_numberOfTapsRequired { 1 };
    NSUInteger m_numberOfTouchesRequired { 1 };
    NSUInteger m_tapsMade { 0 };
    NSUInteger m_fingersDown { 0 };
    NSUInteger m_mostFingers { 0 };
    CGPoint m_tapStart;
    CGPoint m_firstTapStart;
    CGPoint m_lastLocation;
    std::shared_ptr<UIWindow> lastWindow() const { return m_window.lock(); }
    std::weak_ptr<UIWindow> m_window;
    std::shared_ptr<NSTimer> m_failTimer;
};
