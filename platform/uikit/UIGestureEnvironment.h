#pragma once
// Delivers a window's touches: first to the gesture recognisers that watch them, then to the
// views they landed on, and arbitrates between recognisers (exclusion, requirements to fail,
// touches taken from views, touch ends held while a recogniser is undecided).

#include "platform/uikit/UIGestureRecognizer.h"

class UIGestureEnvironment : public NSObject {
    NS_OBJECT(UIGestureEnvironment, NSObject)
public:
    // The touches of the event whose phase is not stationary move on; touch-down picks the
    // recognisers of the touch's view and its ancestors.
    void dispatch(const UIEventRef& event);
    // What a recogniser's setState asks for.
    void requestState(UIGestureRecognizer& recognizer, UIGestureRecognizerState state);
    // Cancels every gesture and every view's touches, as when the application leaves the screen.
    void cancelAll();

    NSTimeInterval currentTime() const { return m_time; }
    bool isTracking(const UIGestureRecognizer& recognizer) const;

private:
    void collectRecognizers(const UITouchRef& touch);
    void succeed(UIGestureRecognizer& recognizer, UIGestureRecognizerState state);
    void fail(UIGestureRecognizer& recognizer);
    void didFinish(UIGestureRecognizer& recognizer);
    void takeTouchFromView(const UITouchRef& touch);
    void releaseHeldEnds();
    bool isUndecidedDelayer(const UITouchRef& touch) const;
    bool isUndecidedBeganDelayer(const UITouchRef& touch) const;
    bool mustWaitFor(UIGestureRecognizer& waiting, UIGestureRecognizer& other) const;
    bool simultaneous(UIGestureRecognizer& a, UIGestureRecognizer& b) const;
    void deliverToViews(const std::vector<UITouchRef>& touches, UITouchPhase phase);
    void cleanUp();
    std::shared_ptr<UIGestureRecognizer> strong(UIGestureRecognizer& recognizer) const;

    std::vector<UIGestureRecognizerRef> m_recognizers;
    std::vector<UITouchRef> m_heldEnds;
    std::vector<UITouchRef> m_heldBegans;
    UIEventRef m_event;
    NSTimeInterval m_time { 0 };
};
