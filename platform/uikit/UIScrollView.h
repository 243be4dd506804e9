#pragma once
// A view that shows a part of a larger content: the bounds' origin is the content offset. A pan
// of the finger drags the content; past the edges it meets a rubber band when the view bounces.
// At lift it decelerates at the deceleration rate (each millisecond the speed is multiplied by
// it), settles on a page when paging, and springs back inside the edges. While the finger is
// down the view is tracking; while the pan moves it, dragging; after lift, decelerating.
//
// Motion runs on a display link in the common modes, so it goes on while the run loop serves
// tracking. The delegate hears every step in the platform's order (UIScrollViewDelegate.h).

#include "platform/layers/CABase.h"
#include "platform/uikit/ScrollAxisMotion.h"
#include "platform/uikit/UIScrollViewDelegate.h"
#include "platform/uikit/UIView.h"

class CADisplayLink;
class UIGestureRecognizer;
class UIPanGestureRecognizer;

enum class UIScrollViewIndicatorStyle : NSInteger {
    Default = 0,
    Black = 1,
    White = 2,
};

class UIScrollView : public UIView {
    NS_OBJECT(UIScrollView, UIView)
public:
    ~UIScrollView() override;

    CGSize contentSize() const { return m_contentSize; }
    void setContentSize(CGSize size);
    CGPoint contentOffset() const { return bounds().origin; }
    void setContentOffset(CGPoint offset);
    // Animated: a run of didScroll calls that ends exactly on the offset, then
    // didEndScrollingAnimation. Not animated: stops any motion and moves at once.
    void setContentOffset(CGPoint offset, bool animated);
    // Room around the content; changing it never moves the content by itself.
    UIEdgeInsets contentInset() const { return m_contentInset; }
    void setContentInset(UIEdgeInsets insets);
    UIEdgeInsets scrollIndicatorInsets() const { return m_scrollIndicatorInsets; }
    void setScrollIndicatorInsets(UIEdgeInsets insets);
    // Scrolls as little as needed to show the rectangle (in content coordinates).
    void scrollRectToVisible(CGRect rect, bool animated);

    bool isScrollEnabled() const { return m_scrollEnabled; }
    void setScrollEnabled(bool enabled);
    bool bounces() const { return m_bounces; }
    void setBounces(bool bounces) { m_bounces = bounces; }
    bool alwaysBounceVertical() const { return m_alwaysBounceVertical; }
    void setAlwaysBounceVertical(bool bounce) { m_alwaysBounceVertical = bounce; }
    bool alwaysBounceHorizontal() const { return m_alwaysBounceHorizontal; }
    void setAlwaysBounceHorizontal(bool bounce) { m_alwaysBounceHorizontal = bounce; }
    bool isPagingEnabled() const { return m_pagingEnabled; }
    void setPagingEnabled(bool enabled) { m_pagingEnabled = enabled; }
    bool isDirectionalLockEnabled() const { return m_directionalLockEnabled; }
    void setDirectionalLockEnabled(bool enabled) { m_directionalLockEnabled = enabled; }
    CGFloat decelerationRate() const { return m_decelerationRate; }
    void setDecelerationRate(CGFloat rate);
    bool scrollsToTop() const { return m_scrollsToTop; }
    void setScrollsToTop(bool scrolls) { m_scrollsToTop = scrolls; }
    bool delaysContentTouches() const { return m_delaysContentTouches; }
    void setDelaysContentTouches(bool delays) { m_delaysContentTouches = delays; }
    bool canCancelContentTouches() const { return m_canCancelContentTouches; }
    void setCanCancelContentTouches(bool cancels) { m_canCancelContentTouches = cancels; }

    bool showsHorizontalScrollIndicator() const { return m_showsHorizontalIndicator; }
    void setShowsHorizontalScrollIndicator(bool shows);
    bool showsVerticalScrollIndicator() const { return m_showsVerticalIndicator; }
    void setShowsVerticalScrollIndicator(bool shows);
    UIScrollViewIndicatorStyle indicatorStyle() const { return m_indicatorStyle; }
    void setIndicatorStyle(UIScrollViewIndicatorStyle style) { m_indicatorStyle = style; }
    void flashScrollIndicators();

    // The finger is down on the content (it may not have moved yet).
    bool isTracking() const { return m_tracking; }
    // The finger has moved the content and not yet lifted.
    bool isDragging() const { return m_dragging; }
    // The content moves on after the finger has lifted.
    bool isDecelerating() const { return m_decelerating; }

    std::shared_ptr<UIScrollViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<UIScrollViewDelegate>& delegate) { m_delegate = delegate; }

    const std::shared_ptr<UIPanGestureRecognizer>& panGestureRecognizer() const { return m_pan; }

    // The status bar was tapped: scrolls the window's one scroll view that scrolls to the top,
    // if there is exactly one that the delegate lets go. Answers whether one scrolled.
    static bool scrollToTopInWindow(const std::shared_ptr<UIView>& window);

    // The mode the main run loop runs in: tracking while any scroll view is dragged or
    // decelerates, so that timers of the default mode wait as on the platform; else default.
    static NSString mainRunLoopMode();

    // The range the offset rests in: from minus the top and left insets to where the content's
    // end (with the bottom and right insets) meets the bounds' end.
    CGPoint minimumContentOffset() const;
    CGPoint maximumContentOffset() const;

    // Runs the steps of a pan; the pan recogniser calls them, and so may a subclass or a test.
    void beginTracking();
    void beginDragging();
    // The finger has moved by the translation since the drag began.
    void dragBy(CGPoint translation);
    // The finger lifted with the velocity in points per second (the pan recogniser's).
    void endDragging(CGPoint velocity);
    // The touch went away without a drag, or the drag was cancelled.
    void endTracking();

    // The wheel drags the content as a finger would, without passing the edges; a pause of
    // wheelPause ends the drag, so the content settles as after a lift (a page, a row).
    bool scrollWheel(CGPoint delta) override;
    bool scrollWheelNotches(CGPoint notches) override { return scrollWheel(CGPointMake(notches.x * wheelNotch, notches.y * wheelNotch)); }
    static constexpr NSTimeInterval wheelPause = 0.15;

    void setBounds(CGRect bounds) override;
    void layoutSubviews() override;

protected:
    void init(CGRect frame) override;
    // Whether the finger now down landed on moving content and stopped it: such a touch is
    // not a tap on what lies under it.
    bool touchStoppedMotion() const { return m_touchStoppedMotion; }

private:
    enum class Animation {
        None,
        Deceleration,
        ScrollAnimation,
        ScrollToTop,
    };
    struct Axis;

    void handlePan(UIGestureRecognizer& recognizer);
    bool canScrollHorizontally() const;
    bool canScrollVertically() const;
    CGPoint clampedOffset(CGPoint offset) const;
    CGPoint restingTarget(CGPoint velocityPerMillisecond) const;
    ScrollAxisMotion motionFor(CGFloat offset, CGFloat velocity, CGFloat target, bool targetMoved, CGFloat minimum,
        CGFloat maximum, CGFloat dimension, bool scrollable) const;
    void startMotion(Animation animation);
    void stopMotion();
    void step();
    void finishMotion();
    void scrollToTop();
    // Keeps the count of scroll views that hold the run loop in the tracking mode.
    void updateRunLoopMode();
    void showIndicators();
    void hideIndicatorsSoon();
    void layoutIndicators();
    std::shared_ptr<UIView> makeIndicator();

    CGSize m_contentSize;
    UIEdgeInsets m_contentInset;
    UIEdgeInsets m_scrollIndicatorInsets;
    bool m_scrollEnabled { true };
    bool m_bounces { true };
    bool m_alwaysBounceVertical { false };
    bool m_alwaysBounceHorizontal { false };
    bool m_pagingEnabled { false };
    bool m_directionalLockEnabled { false };
    CGFloat m_decelerationRate { UIScrollViewDecelerationRateNormal };
    bool m_scrollsToTop { true };
    bool m_delaysContentTouches { true };
    bool m_canCancelContentTouches { true };
    bool m_showsHorizontalIndicator { true };
    bool m_showsVerticalIndicator { true };
    UIScrollViewIndicatorStyle m_indicatorStyle { UIScrollViewIndicatorStyle::Default };

    bool m_tracking { false };
    bool m_dragging { false };
    bool m_decelerating { false };
    bool m_touchStoppedMotion { false };
    bool m_holdsTrackingMode { false };
    std::weak_ptr<UIScrollViewDelegate> m_delegate;
    std::shared_ptr<UIPanGestureRecognizer> m_pan;

    // The drag: where the content would be without the rubber band when it began, and the
    // pan's translation then (the few points it moves before it begins do not scroll).
    CGPoint m_dragStartOffset;
    CGPoint m_panTranslationAtBegin;
    // The running motion, on a display link from the start time.
    Animation m_animation { Animation::None };
    std::shared_ptr<CADisplayLink> m_displayLink;
    CFTimeInterval m_motionStart { 0 };
    ScrollAxisMotion m_horizontalMotion;
    ScrollAxisMotion m_verticalMotion;
    // Animated setContentOffset: from where, to where, how long.
    CGPoint m_animationFrom;
    CGPoint m_animationTo;
    std::shared_ptr<UIView> m_horizontalIndicator;
    std::shared_ptr<UIView> m_verticalIndicator;
    // The wheel's drag: its translation so far and the pause that ends it.
    CGPoint m_wheelTranslation;
    std::shared_ptr<class NSTimer> m_wheelPauseTimer;
};

using UIScrollViewRef = std::shared_ptr<UIScrollView>;
