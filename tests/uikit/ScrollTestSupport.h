#pragma once
// A scroll-view delegate that writes down what it hears, and the clock helpers the scroll and
// table tests share.

#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSString.h"
#include "platform/foundation/SystemClock.h"
#include "platform/uikit/UIScrollView.h"

#include <functional>
#include <string>
#include <vector>

class ScrollRecorder : public UIScrollViewDelegate {
public:
    void scrollViewDidScroll(UIScrollView& scrollView) override
    {
        offsets.push_back(scrollView.contentOffset());
        if (calls.empty() || calls.back() != "didScroll")
            calls.push_back("didScroll");
        if (onScroll)
            onScroll(scrollView);
    }
    void scrollViewWillBeginDragging(UIScrollView& scrollView) override
    {
        draggingAtBegin = scrollView.isDragging();
        calls.push_back("willBeginDragging");
    }
    void scrollViewWillEndDragging(UIScrollView&, CGPoint velocity, CGPoint* target) override
    {
        calls.push_back("willEndDragging");
        endVelocity = velocity;
        proposedTarget = *target;
        if (replacementTarget)
            *target = *replacementTarget;
    }
    void scrollViewDidEndDragging(UIScrollView& scrollView, bool decelerate) override
    {
        calls.push_back(decelerate ? "didEndDragging(decelerate)" : "didEndDragging");
        draggingAtEnd = scrollView.isDragging();
    }
    void scrollViewWillBeginDecelerating(UIScrollView&) override { calls.push_back("willBeginDecelerating"); }
    void scrollViewDidEndDecelerating(UIScrollView&) override { calls.push_back("didEndDecelerating"); }
    void scrollViewDidEndScrollingAnimation(UIScrollView&) override { calls.push_back("didEndScrollingAnimation"); }
    std::optional<bool> scrollViewShouldScrollToTop(UIScrollView&) override { return allowScrollToTop; }
    void scrollViewDidScrollToTop(UIScrollView&) override { calls.push_back("didScrollToTop"); }

    std::vector<std::string> calls;
    std::vector<CGPoint> offsets;
    CGPoint endVelocity;
    CGPoint proposedTarget;
    std::optional<CGPoint> replacementTarget;
    std::optional<bool> allowScrollToTop;
    std::function<void(UIScrollView&)> onScroll;
    bool draggingAtBegin { false };
    bool draggingAtEnd { true };
};

// Runs the main loop's timers (the display link among them) for the seconds of manual time.
inline void advance(NSTimeInterval seconds)
{
    NSRunLoop::mainRunLoop()->advanceClock(seconds);
}
