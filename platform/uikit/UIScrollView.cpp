#include "platform/uikit/UIScrollView.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSTimer.h"
#include "platform/layers/CADisplayLink.h"
#include "platform/uikit/UIPanGestureRecognizer.h"

#include <algorithm>

namespace {

// How long an animated setContentOffset takes, and how indicators fade.
constexpr NSTimeInterval kScrollAnimationDuration = 0.3;
constexpr NSTimeInterval kIndicatorFadeDuration = 0.25;
constexpr CGFloat kIndicatorThickness = 2.5;
constexpr CGFloat kIndicatorMargin = 3;
constexpr CGFloat kIndicatorMinimumLength = 7;
// A lift slower than this (points per millisecond) leaves content that rests inside its edges where it is.
constexpr CGFloat kRestingVelocity = 0.01;

CGFloat easeOut(CGFloat progress)
{
    const CGFloat rest = 1 - progress;
    return 1 - rest * rest * rest;
}

// The scroll view's pan: it also tells the view when a finger lands and lifts, before the pan
// has decided to begin, so that tracking starts at touch-down and a touch stops a motion.
class UIScrollViewPanGestureRecognizer final : public UIPanGestureRecognizer {
    NS_OBJECT(UIScrollViewPanGestureRecognizer, UIPanGestureRecognizer)
public:
    void setScrollView(const std::shared_ptr<UIScrollView>& scrollView) { m_scrollView = scrollView; }

    void touchesBegan(const UITouchSet& touches, const UIEventRef& event) override
    {
        if (auto scrollView = m_scrollView.lock(); scrollView && !scrollView->isTracking())
            scrollView->beginTracking();
        UIPanGestureRecognizer::touchesBegan(touches, event);
    }
    void touchesEnded(const UITouchSet& touches, const UIEventRef& event) override
    {
        UIPanGestureRecognizer::touchesEnded(touches, event);
        lifted(touches, event);
    }
    void touchesCancelled(const UITouchSet& touches, const UIEventRef& event) override
    {
        UIPanGestureRecognizer::touchesCancelled(touches, event);
        lifted(touches, event);
    }

private:
    void lifted(const UITouchSet& touches, const UIEventRef& event)
    {
        auto scrollView = m_scrollView.lock();
        if (!scrollView || scrollView->isDragging())
            return;
        // Tracking ends when the last finger on the view lifts.
        if (event) {
            for (const auto& touch : event->allTouches())
                if (!touches.containsObject(touch) && touch->phase() != UITouchPhase::Ended && touch->phase() != UITouchPhase::Cancelled)
                    return;
        }
        scrollView->endTracking();
    }

    std::weak_ptr<UIScrollView> m_scrollView;
};

}

namespace {

// Scroll views dragged or decelerating now; main thread only.
NSInteger scrollViewsInTrackingMode = 0;

}

UIScrollView::~UIScrollView()
{
    if (m_wheelPauseTimer)
        m_wheelPauseTimer->invalidate();
    if (m_displayLink)
        m_displayLink->invalidate();
    if (m_holdsTrackingMode)
        --scrollViewsInTrackingMode;
}

NSString UIScrollView::mainRunLoopMode()
{
    return scrollViewsInTrackingMode > 0 ? UITrackingRunLoopMode : NSDefaultRunLoopMode;
}

void UIScrollView::updateRunLoopMode()
{
    const bool wants = m_dragging || m_decelerating;
    if (wants == m_holdsTrackingMode)
        return;
    m_holdsTrackingMode = wants;
    scrollViewsInTrackingMode += wants ? 1 : -1;
}

void UIScrollView::init(CGRect frame)
{
    UIView::init(frame);
    setClipsToBounds(true);
    auto pan = UIScrollViewPanGestureRecognizer::create();
    pan->setScrollView(self());
    std::weak_ptr<UIScrollView> weakSelf = self();
    pan->addTarget(nullptr, [weakSelf](UIGestureRecognizer& recognizer) {
        if (auto scrollView = weakSelf.lock())
            scrollView->handlePan(recognizer);
    });
    m_pan = pan;
    addGestureRecognizer(m_pan);
}

void UIScrollView::setContentSize(CGSize size)
{
    NSAssertMainThread();
    // A size computed from bad data must not poison every offset derived from it.
    const auto sane = [](CGFloat length) { return std::isfinite(length) ? length : 0; };
    size = { sane(size.width), sane(size.height) };
    if (size == m_contentSize)
        return;
    m_contentSize = size;
    setNeedsLayout();
}

void UIScrollView::setContentOffset(CGPoint offset)
{
    NSAssertMainThread();
    if (!std::isfinite(offset.x) || !std::isfinite(offset.y))
        return;
    CGRect bounds = this->bounds();
    bounds.origin = offset;
    setBounds(bounds);
}

void UIScrollView::setContentOffset(CGPoint offset, bool animated)
{
    NSAssertMainThread();
    if (!std::isfinite(offset.x) || !std::isfinite(offset.y))
        return;
    stopMotion();
    if (!animated || offset == contentOffset()) {
        setContentOffset(offset);
        return;
    }
    m_animationFrom = contentOffset();
    m_animationTo = offset;
    startMotion(Animation::ScrollAnimation);
}

void UIScrollView::setContentInset(UIEdgeInsets insets)
{
    NSAssertMainThread();
    if (insets == m_contentInset)
        return;
    m_contentInset = insets;
    setNeedsLayout();
}

void UIScrollView::setScrollIndicatorInsets(UIEdgeInsets insets)
{
    if (insets == m_scrollIndicatorInsets)
        return;
    m_scrollIndicatorInsets = insets;
    setNeedsLayout();
}

void UIScrollView::setScrollEnabled(bool enabled)
{
    NSAssertMainThread();
    m_scrollEnabled = enabled;
    m_pan->setEnabled(enabled);
}

void UIScrollView::setDecelerationRate(CGFloat rate)
{
    // Rates outside (0, 1) would stop at once or never.
    m_decelerationRate = std::clamp<CGFloat>(rate, 0.5, 0.9999);
}

void UIScrollView::setShowsHorizontalScrollIndicator(bool shows)
{
    m_showsHorizontalIndicator = shows;
    if (!shows && m_horizontalIndicator)
        m_horizontalIndicator->setHidden(true);
}

void UIScrollView::setShowsVerticalScrollIndicator(bool shows)
{
    m_showsVerticalIndicator = shows;
    if (!shows && m_verticalIndicator)
        m_verticalIndicator->setHidden(true);
}

CGPoint UIScrollView::minimumContentOffset() const
{
    return { -m_contentInset.left, -m_contentInset.top };
}

CGPoint UIScrollView::maximumContentOffset() const
{
    const CGSize size = bounds().size;
    const CGPoint minimum = minimumContentOffset();
    return { std::max(minimum.x, m_contentSize.width + m_contentInset.right - size.width),
        std::max(minimum.y, m_contentSize.height + m_contentInset.bottom - size.height) };
}

bool UIScrollView::canScrollHorizontally() const
{
    return maximumContentOffset().x > minimumContentOffset().x || (m_bounces && m_alwaysBounceHorizontal);
}

bool UIScrollView::canScrollVertically() const
{
    return maximumContentOffset().y > minimumContentOffset().y || (m_bounces && m_alwaysBounceVertical);
}

CGPoint UIScrollView::clampedOffset(CGPoint offset) const
{
    const CGPoint minimum = minimumContentOffset();
    const CGPoint maximum = maximumContentOffset();
    return { std::clamp(offset.x, minimum.x, maximum.x), std::clamp(offset.y, minimum.y, maximum.y) };
}

void UIScrollView::setBounds(CGRect bounds)
{
    const CGPoint oldOffset = contentOffset();
    UIView::setBounds(bounds);
    if (contentOffset() == oldOffset)
        return;
    // Subclasses lay out what comes into view; the indicators follow the offset.
    setNeedsLayout();
    if (auto delegate = m_delegate.lock())
        delegate->scrollViewDidScroll(*this);
}

void UIScrollView::layoutSubviews()
{
    UIView::layoutSubviews();
    layoutIndicators();
}

void UIScrollView::scrollRectToVisible(CGRect rect, bool animated)
{
    NSAssertMainThread();
    rect = CGRectStandardize(rect);
    const CGRect visible = bounds();
    CGPoint offset = visible.origin;
    const auto axis = [](CGFloat origin, CGFloat length, CGFloat start, CGFloat extent) {
        if (start < origin || extent > length)
            return start;
        if (start + extent > origin + length)
            return start + extent - length;
        return origin;
    };
    offset.x = axis(visible.origin.x, visible.size.width, rect.origin.x, rect.size.width);
    offset.y = axis(visible.origin.y, visible.size.height, rect.origin.y, rect.size.height);
    offset = clampedOffset(offset);
    if (offset != contentOffset())
        setContentOffset(offset, animated);
}

void UIScrollView::beginTracking()
{
    NSAssertMainThread();
    // A touch stops the content where it is.
    m_touchStoppedMotion = m_animation == Animation::Deceleration;
    if (m_touchStoppedMotion)
        stopMotion();
    m_tracking = true;
}

void UIScrollView::endTracking()
{
    m_tracking = false;
    m_touchStoppedMotion = false;
    if (m_dragging || m_animation != Animation::None)
        return;
    // A touch that stopped a motion leaves the content where it must not rest: send it home.
    const CGPoint target = restingTarget(CGPointZero);
    if (target != contentOffset()) {
        m_horizontalMotion = motionFor(contentOffset().x, 0, target.x, false, minimumContentOffset().x,
            maximumContentOffset().x, bounds().size.width, canScrollHorizontally());
        m_verticalMotion = motionFor(contentOffset().y, 0, target.y, false, minimumContentOffset().y,
            maximumContentOffset().y, bounds().size.height, canScrollVertically());
        m_decelerating = true;
        updateRunLoopMode();
        startMotion(Animation::Deceleration);
    }
}

bool UIScrollView::scrollWheel(CGPoint delta)
{
    NSAssertMainThread();
    const bool wheelDragging = m_wheelPauseTimer != nullptr;
    // A finger on the content has it.
    if (m_tracking && !wheelDragging)
        return true;
    const CGPoint minimum = minimumContentOffset();
    const CGPoint maximum = maximumContentOffset();
    const CGPoint offset = contentOffset();
    auto roomFor = [](CGFloat step, CGFloat at, CGFloat low, CGFloat high) {
        return step != 0 && high > low && (step < 0 ? at > low : at < high);
    };
    const bool moves = roomFor(delta.x, offset.x, minimum.x, maximum.x) || roomFor(delta.y, offset.y, minimum.y, maximum.y);
    // At an edge the wheel goes on to the content around, unless this view's own wheel drag runs.
    if (!wheelDragging && (!m_scrollEnabled || !isUserInteractionEnabled() || !moves))
        return super::scrollWheel(delta);
    if (!wheelDragging) {
        beginTracking();
        beginDragging();
        m_wheelTranslation = CGPointZero;
    }
    auto axis = [](CGFloat translation, CGFloat step, CGFloat start, CGFloat low, CGFloat high) {
        return start - std::clamp(start - (translation - step), low, std::max(low, high));
    };
    m_wheelTranslation = { axis(m_wheelTranslation.x, delta.x, m_dragStartOffset.x, minimum.x, maximum.x),
        axis(m_wheelTranslation.y, delta.y, m_dragStartOffset.y, minimum.y, maximum.y) };
    dragBy(m_wheelTranslation);

    if (m_wheelPauseTimer)
        m_wheelPauseTimer->invalidate();
    std::weak_ptr<UIScrollView> weakSelf = self();
    m_wheelPauseTimer = NSTimer::timerWithTimeInterval(wheelPause, [weakSelf](const std::shared_ptr<NSTimer>&) {
        auto protectedSelf = weakSelf.lock();
        if (!protectedSelf)
            return;
        protectedSelf->m_wheelPauseTimer.reset();
        protectedSelf->endDragging(CGPointZero);
        protectedSelf->endTracking();
    }, false);
    NSRunLoop::mainRunLoop()->addTimer(m_wheelPauseTimer, NSRunLoopCommonModes);
    return true;
}

void UIScrollView::beginDragging()
{
    NSAssertMainThread();
    stopMotion();
    m_tracking = true;
    m_dragging = true;
    // Content caught past an edge continues from the pull that shows it there.
    const CGPoint offset = contentOffset();
    const CGPoint minimum = minimumContentOffset();
    const CGPoint maximum = maximumContentOffset();
    const auto unbanded = [](CGFloat value, CGFloat low, CGFloat high, CGFloat dimension) {
        if (value < low)
            return low + ScrollPhysics::rubberBandPull(value - low, dimension);
        if (value > high)
            return high + ScrollPhysics::rubberBandPull(value - high, dimension);
        return value;
    };
    m_dragStartOffset = { unbanded(offset.x, minimum.x, maximum.x, bounds().size.width),
        unbanded(offset.y, minimum.y, maximum.y, bounds().size.height) };
    updateRunLoopMode();
    showIndicators();
    if (auto delegate = m_delegate.lock())
        delegate->scrollViewWillBeginDragging(*this);
}

void UIScrollView::dragBy(CGPoint translation)
{
    if (!m_dragging)
        return;
    const CGPoint minimum = minimumContentOffset();
    const CGPoint maximum = maximumContentOffset();
    const auto axis = [this](CGFloat start, CGFloat moved, CGFloat low, CGFloat high, CGFloat dimension, bool scrollable) {
        if (!scrollable)
            return start;
        const CGFloat raw = start - moved;
        if (raw < low)
            return m_bounces ? low + ScrollPhysics::rubberBand(raw - low, dimension) : low;
        if (raw > high)
            return m_bounces ? high + ScrollPhysics::rubberBand(raw - high, dimension) : high;
        return raw;
    };
    const CGSize size = bounds().size;
    CGPoint offset;
    offset.x = axis(m_dragStartOffset.x, translation.x, minimum.x, maximum.x, size.width, canScrollHorizontally());
    offset.y = axis(m_dragStartOffset.y, translation.y, minimum.y, maximum.y, size.height, canScrollVertically());
    setContentOffset(offset);
    showIndicators();
}

CGPoint UIScrollView::restingTarget(CGPoint velocity) const
{
    const CGPoint offset = contentOffset();
    if (m_pagingEnabled) {
        const CGSize size = bounds().size;
        const CGPoint maximum = maximumContentOffset();
        return { canScrollHorizontally() ? ScrollPhysics::pageOffset(offset.x, velocity.x, size.width, maximum.x) : offset.x,
            canScrollVertically() ? ScrollPhysics::pageOffset(offset.y, velocity.y, size.height, maximum.y) : offset.y };
    }
    const CGPoint resting { ScrollPhysics::restingOffset(offset.x, velocity.x, m_decelerationRate),
        ScrollPhysics::restingOffset(offset.y, velocity.y, m_decelerationRate) };
    return clampedOffset(resting);
}

ScrollAxisMotion UIScrollView::motionFor(CGFloat offset, CGFloat velocity, CGFloat target, bool targetMoved,
    CGFloat minimum, CGFloat maximum, CGFloat dimension, bool scrollable) const
{
    (void)dimension;
    if (!scrollable)
        return ScrollAxisMotion::resting(offset);
    const bool outside = offset < minimum || offset > maximum;
    if (outside)
        return ScrollAxisMotion::springBack(offset, velocity, target);
    if (targetMoved || m_pagingEnabled)
        return ScrollAxisMotion::decelerate(offset, target, m_pagingEnabled ? UIScrollViewDecelerationRateFast : m_decelerationRate);
    if (std::abs(velocity) < kRestingVelocity)
        return ScrollAxisMotion::resting(offset);
    const CGFloat resting = ScrollPhysics::restingOffset(offset, velocity, m_decelerationRate);
    if (m_bounces && (resting < minimum || resting > maximum))
        return ScrollAxisMotion::decelerateAndBounce(offset, velocity, resting < minimum ? minimum : maximum, m_decelerationRate);
    return ScrollAxisMotion::decelerate(offset, target, m_decelerationRate);
}

void UIScrollView::endDragging(CGPoint velocity)
{
    if (!m_dragging)
        return;
    const auto protectedSelf = self();
    m_tracking = false;
    // The content moves against the finger; the delegate hears points per millisecond.
    const CGPoint velocityPerMillisecond { -velocity.x / 1000, -velocity.y / 1000 };
    const CGPoint proposed = restingTarget(velocityPerMillisecond);
    CGPoint target = proposed;
    if (auto delegate = m_delegate.lock())
        delegate->scrollViewWillEndDragging(*this, velocityPerMillisecond, &target);
    m_dragging = false;
    updateRunLoopMode();
    const CGPoint offset = contentOffset();
    const CGPoint minimum = minimumContentOffset();
    const CGPoint maximum = maximumContentOffset();
    const CGSize size = bounds().size;
    m_horizontalMotion = motionFor(offset.x, velocityPerMillisecond.x, target.x, target.x != proposed.x, minimum.x, maximum.x,
        size.width, canScrollHorizontally());
    m_verticalMotion = motionFor(offset.y, velocityPerMillisecond.y, target.y, target.y != proposed.y, minimum.y, maximum.y,
        size.height, canScrollVertically());
    const bool willDecelerate = !m_horizontalMotion.isFinishedAt(0) || !m_verticalMotion.isFinishedAt(0);
    if (auto delegate = m_delegate.lock())
        delegate->scrollViewDidEndDragging(*this, willDecelerate);
    // The delegate may have started a motion of its own, or dragged again.
    if (!willDecelerate || m_dragging || m_animation != Animation::None) {
        if (!m_dragging && m_animation == Animation::None)
            hideIndicatorsSoon();
        return;
    }
    m_decelerating = true;
    updateRunLoopMode();
    if (auto delegate = m_delegate.lock())
        delegate->scrollViewWillBeginDecelerating(*this);
    if (m_decelerating && m_animation == Animation::None)
        startMotion(Animation::Deceleration);
}

void UIScrollView::handlePan(UIGestureRecognizer& recognizer)
{
    auto& pan = static_cast<UIPanGestureRecognizer&>(recognizer);
    switch (pan.state()) {
    case UIGestureRecognizerState::Began:
        m_panTranslationAtBegin = pan.translationInView(nullptr);
        beginDragging();
        break;
    case UIGestureRecognizerState::Changed: {
        const CGPoint translation = pan.translationInView(nullptr);
        dragBy(CGPointMake(translation.x - m_panTranslationAtBegin.x, translation.y - m_panTranslationAtBegin.y));
        break;
    }
    case UIGestureRecognizerState::Ended:
        endDragging(pan.velocityInView(nullptr));
        break;
    case UIGestureRecognizerState::Cancelled:
    case UIGestureRecognizerState::Failed:
        endDragging(CGPointZero);
        break;
    default:
        break;
    }
}

void UIScrollView::startMotion(Animation animation)
{
    m_animation = animation;
    m_motionStart = CACurrentMediaTime();
    showIndicators();
    if (!m_displayLink) {
        std::weak_ptr<UIScrollView> weakSelf = self();
        // The link holds its target strongly: give it none, and reach the view weakly.
        m_displayLink = CADisplayLink::displayLinkWithTarget(nullptr, [weakSelf](const auto&) {
            if (auto scrollView = weakSelf.lock())
                scrollView->step();
        });
        m_displayLink->addToRunLoop(NSRunLoop::mainRunLoop(), NSRunLoopCommonModes);
    }
    m_displayLink->setPaused(false);
}

void UIScrollView::stopMotion()
{
    m_decelerating = false;
    updateRunLoopMode();
    if (m_animation == Animation::None)
        return;
    m_animation = Animation::None;
    if (m_displayLink)
        m_displayLink->setPaused(true);
}

void UIScrollView::step()
{
    if (m_animation == Animation::None)
        return;
    const double elapsed = (CACurrentMediaTime() - m_motionStart) * 1000;
    bool finished = false;
    CGPoint offset;
    if (m_animation == Animation::Deceleration) {
        offset = { m_horizontalMotion.offsetAt(elapsed), m_verticalMotion.offsetAt(elapsed) };
        finished = m_horizontalMotion.isFinishedAt(elapsed) && m_verticalMotion.isFinishedAt(elapsed);
    } else {
        const CGFloat progress = std::min(1.0, elapsed / (kScrollAnimationDuration * 1000));
        finished = progress >= 1;
        const CGFloat eased = easeOut(progress);
        offset = finished ? m_animationTo
                          : CGPoint { m_animationFrom.x + (m_animationTo.x - m_animationFrom.x) * eased,
                              m_animationFrom.y + (m_animationTo.y - m_animationFrom.y) * eased };
    }
    const auto protectedSelf = self();
    const Animation running = m_animation;
    setContentOffset(offset);
    // The delegate's didScroll may have stopped or replaced the motion.
    if (finished && m_animation == running)
        finishMotion();
}

void UIScrollView::finishMotion()
{
    const Animation finished = m_animation;
    stopMotion();
    hideIndicatorsSoon();
    auto delegate = m_delegate.lock();
    if (!delegate)
        return;
    switch (finished) {
    case Animation::Deceleration:
        delegate->scrollViewDidEndDecelerating(*this);
        break;
    case Animation::ScrollAnimation:
        delegate->scrollViewDidEndScrollingAnimation(*this);
        break;
    case Animation::ScrollToTop:
        delegate->scrollViewDidScrollToTop(*this);
        break;
    case Animation::None:
        break;
    }
}

void UIScrollView::scrollToTop()
{
    stopMotion();
    m_animationFrom = contentOffset();
    m_animationTo = { contentOffset().x, minimumContentOffset().y };
    if (m_animationFrom == m_animationTo)
        return;
    startMotion(Animation::ScrollToTop);
}

bool UIScrollView::scrollToTopInWindow(const std::shared_ptr<UIView>& window)
{
    if (!window)
        return false;
    std::vector<std::shared_ptr<UIScrollView>> candidates;
    std::vector<std::shared_ptr<UIView>> pending { window };
    while (!pending.empty()) {
        auto view = pending.back();
        pending.pop_back();
        if (view->isHidden())
            continue;
        if (auto scrollView = std::dynamic_pointer_cast<UIScrollView>(view); scrollView && scrollView->scrollsToTop())
            candidates.push_back(scrollView);
        for (const auto& subview : view->subviews())
            pending.push_back(subview);
    }
    // As on the platform, two candidates cancel each other.
    if (candidates.size() != 1)
        return false;
    auto& scrollView = candidates.front();
    if (auto delegate = scrollView->delegate())
        if (delegate->scrollViewShouldScrollToTop(*scrollView) == false)
            return false;
    scrollView->scrollToTop();
    return true;
}

std::shared_ptr<UIView> UIScrollView::makeIndicator()
{
    auto indicator = UIView::create(CGRectZero);
    indicator->setUserInteractionEnabled(false);
    indicator->layer()->setCornerRadius(kIndicatorThickness / 2);
    indicator->setAlpha(0);
    addSubview(indicator);
    return indicator;
}

void UIScrollView::showIndicators()
{
    const bool horizontal = m_showsHorizontalIndicator && maximumContentOffset().x > minimumContentOffset().x;
    const bool vertical = m_showsVerticalIndicator && maximumContentOffset().y > minimumContentOffset().y;
    if (horizontal && !m_horizontalIndicator)
        m_horizontalIndicator = makeIndicator();
    if (vertical && !m_verticalIndicator)
        m_verticalIndicator = makeIndicator();
    const CGFloat white = m_indicatorStyle == UIScrollViewIndicatorStyle::White ? 1 : 0;
    for (const auto& [indicator, shown] : { std::pair { m_horizontalIndicator, horizontal }, std::pair { m_verticalIndicator, vertical } }) {
        if (!indicator)
            continue;
        // A colour is made only when the style changed, not for every move of the finger.
        const auto& current = indicator->backgroundColor();
        CGFloat currentWhite = -1;
        CGFloat currentAlpha = 0;
        if (!current || !current->getWhite(&currentWhite, &currentAlpha) || currentWhite != white)
            indicator->setBackgroundColor(UIColor::colorWithWhite(white, white > 0 ? 0.6 : 0.4));
        indicator->setHidden(!shown);
        if (shown && indicator->alpha() < 1) {
            indicator->layer()->removeAllAnimations();
            const auto& bar = indicator;
            UIView::performWithoutAnimation([&bar] { bar->setAlpha(1); });
        }
    }
    layoutIndicators();
}

void UIScrollView::hideIndicatorsSoon()
{
    const auto horizontal = m_horizontalIndicator;
    const auto vertical = m_verticalIndicator;
    if (!horizontal && !vertical)
        return;
    UIView::animateWithDuration(kIndicatorFadeDuration, 0.1, UIViewAnimationOptionNone, [horizontal, vertical] {
        for (const auto& indicator : { horizontal, vertical })
            if (indicator)
                indicator->setAlpha(0);
    }, nullptr);
}

void UIScrollView::flashScrollIndicators()
{
    showIndicators();
    hideIndicatorsSoon();
}

void UIScrollView::layoutIndicators()
{
    if (!m_horizontalIndicator && !m_verticalIndicator)
        return;
    // Subviews added since stay below the indicators, which are the last one or two.
    const auto mine = [this](const std::shared_ptr<UIView>& indicator) { return indicator && indicator->superview().get() == this; };
    const long count = long(mine(m_horizontalIndicator)) + long(mine(m_verticalIndicator));
    for (const auto& indicator : { m_horizontalIndicator, m_verticalIndicator }) {
        const auto& views = subviews();
        if (mine(indicator) && std::find(views.rbegin(), views.rend(), indicator) - views.rbegin() >= count)
            bringSubviewToFront(indicator);
    }
    const CGRect visible = bounds();
    const UIEdgeInsets insets = m_scrollIndicatorInsets;
    const CGPoint minimum = minimumContentOffset();
    const CGPoint maximum = maximumContentOffset();
    // Along one axis: the bar's length shows how much of the content is in view, shortened
    // while the content is pulled past an edge; its place shows where the view is.
    const auto bar = [](CGFloat offset, CGFloat low, CGFloat high, CGFloat viewLength, CGFloat track) {
        const CGFloat range = high - low;
        const CGFloat extent = range + viewLength;
        CGFloat length = extent > 0 ? track * viewLength / extent : track;
        const CGFloat overshoot = offset < low ? low - offset : (offset > high ? offset - high : 0);
        length = std::clamp(length - overshoot, kIndicatorMinimumLength, std::max(kIndicatorMinimumLength, track));
        const CGFloat fraction = range > 0 ? std::clamp((offset - low) / range, 0.0, 1.0) : 0;
        return std::pair { fraction * (track - length), length };
    };
    const bool both = m_horizontalIndicator && !m_horizontalIndicator->isHidden() && m_verticalIndicator && !m_verticalIndicator->isHidden();
    const CGFloat corner = both ? kIndicatorThickness + kIndicatorMargin : 0;
    if (m_verticalIndicator) {
        const CGFloat track = visible.size.height - insets.top - insets.bottom - 2 * kIndicatorMargin - corner;
        const auto [start, length] = bar(visible.origin.y, minimum.y, maximum.y, visible.size.height, track);
        m_verticalIndicator->setFrame(CGRectMake(visible.origin.x + visible.size.width - insets.right - kIndicatorMargin - kIndicatorThickness,
            visible.origin.y + insets.top + kIndicatorMargin + start, kIndicatorThickness, length));
    }
    if (m_horizontalIndicator) {
        const CGFloat track = visible.size.width - insets.left - insets.right - 2 * kIndicatorMargin - corner;
        const auto [start, length] = bar(visible.origin.x, minimum.x, maximum.x, visible.size.width, track);
        m_horizontalIndicator->setFrame(CGRectMake(visible.origin.x + insets.left + kIndicatorMargin + start,
            visible.origin.y + visible.size.height - insets.bottom - kIndicatorMargin - kIndicatorThickness, length, kIndicatorThickness));
    }
}
