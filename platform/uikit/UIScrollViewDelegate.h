#pragma once
// What a scroll view tells its delegate, in the platform's order. A drag: willBeginDragging,
// didScroll for each move, then at lift willEndDragging (the velocity in points per
// millisecond; the delegate may move the target), didEndDragging, and when the content still
// moves, willBeginDecelerating, didScroll for each frame and didEndDecelerating. An animated
// setContentOffset or scrollRectToVisible ends with didEndScrollingAnimation; a scroll to the
// top from the status bar ends with didScrollToTop instead.

#include "platform/graphics/CGGeometry.h"

#include <optional>

class UIScrollView;

class UIScrollViewDelegate {
public:
    virtual ~UIScrollViewDelegate() = default;

    virtual void scrollViewDidScroll(UIScrollView&) { }
    virtual void scrollViewWillBeginDragging(UIScrollView&) { }
    virtual void scrollViewWillEndDragging(UIScrollView&, CGPoint velocity, CGPoint* targetContentOffset)
    {
        (void)velocity;
        (void)targetContentOffset;
    }
    virtual void scrollViewDidEndDragging(UIScrollView&, bool willDecelerate) { (void)willDecelerate; }
    virtual void scrollViewWillBeginDecelerating(UIScrollView&) { }
    virtual void scrollViewDidEndDecelerating(UIScrollView&) { }
    virtual void scrollViewDidEndScrollingAnimation(UIScrollView&) { }
    // Yes when not implemented.
    virtual std::optional<bool> scrollViewShouldScrollToTop(UIScrollView&) { return std::nullopt; }
    virtual void scrollViewDidScrollToTop(UIScrollView&) { }
};
