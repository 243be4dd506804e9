#include "platform/foundation/NSTimer.h"
#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UIPanGestureRecognizer.h"
#include "tests/uikit/ScrollTestSupport.h"

#include "tests/support/ManualClockTest.h"

#include <gtest/gtest.h>

namespace {

class UIScrollViewTest : public testing_support::ManualClockTest<1000> {
protected:
    void SetUp() override
    {
        ManualClockTest::SetUp();
        scrollView = UIScrollView::create(CGRectMake(0, 0, 320, 480));
        scrollView->setContentSize(CGSizeMake(320, 5000));
        recorder = std::make_shared<ScrollRecorder>();
        scrollView->setDelegate(recorder);
    }

    // A drag by the distance, released at the velocity (points per second, finger direction).
    void drag(CGPoint distance, CGPoint velocity)
    {
        scrollView->beginTracking();
        scrollView->beginDragging();
        scrollView->dragBy(CGPointMake(distance.x / 2, distance.y / 2));
        scrollView->dragBy(distance);
        scrollView->endDragging(velocity);
    }

    std::shared_ptr<UIScrollView> scrollView;
    std::shared_ptr<ScrollRecorder> recorder;
};

using Calls = std::vector<std::string>;

}

TEST_F(UIScrollViewTest, aFlickDeceleratesWithTheDelegateCallsInOrder)
{
    drag(CGPointMake(0, -100), CGPointMake(0, -1000));
    EXPECT_TRUE(recorder->draggingAtBegin);
    EXPECT_FALSE(recorder->draggingAtEnd);
    EXPECT_EQ(recorder->calls, (Calls { "willBeginDragging", "didScroll", "willEndDragging", "didEndDragging(decelerate)", "willBeginDecelerating" }));
    // One point per millisecond at the normal rate carries the content about 500 points on.
    EXPECT_EQ(recorder->endVelocity, CGPointMake(0, 1));
    EXPECT_NEAR(recorder->proposedTarget.y, 100 + 499.5, 0.5);
    EXPECT_TRUE(scrollView->isDecelerating());
    EXPECT_FALSE(scrollView->isDragging());
    EXPECT_FALSE(scrollView->isTracking());

    recorder->calls.clear();
    advance(0.1);
    EXPECT_GT(scrollView->contentOffset().y, 100);
    EXPECT_LT(scrollView->contentOffset().y, recorder->proposedTarget.y);
    advance(10);
    EXPECT_EQ(recorder->calls, (Calls { "didScroll", "didEndDecelerating" }));
    EXPECT_EQ(scrollView->contentOffset(), recorder->proposedTarget);
    EXPECT_FALSE(scrollView->isDecelerating());
    // Each frame moved the content on, never back.
    for (size_t i = 1; i < recorder->offsets.size(); ++i)
        EXPECT_GE(recorder->offsets[i].y, recorder->offsets[i - 1].y);
}

TEST_F(UIScrollViewTest, aLiftWithoutSpeedEndsTheDragWithoutDeceleration)
{
    drag(CGPointMake(0, -60), CGPointZero);
    EXPECT_EQ(recorder->calls, (Calls { "willBeginDragging", "didScroll", "willEndDragging", "didEndDragging" }));
    EXPECT_EQ(scrollView->contentOffset(), CGPointMake(0, 60));
    EXPECT_FALSE(scrollView->isDecelerating());
}

TEST_F(UIScrollViewTest, theFastRateStopsSooner)
{
    scrollView->setDecelerationRate(UIScrollViewDecelerationRateFast);
    drag(CGPointMake(0, -100), CGPointMake(0, -1000));
    EXPECT_NEAR(recorder->proposedTarget.y, 100 + 99.5, 0.5);
    advance(5);
    EXPECT_EQ(scrollView->contentOffset(), recorder->proposedTarget);
}

TEST_F(UIScrollViewTest, theDelegateMayMoveTheTarget)
{
    recorder->replacementTarget = CGPointMake(0, 250);
    drag(CGPointMake(0, -100), CGPointMake(0, -1000));
    advance(10);
    EXPECT_EQ(scrollView->contentOffset(), CGPointMake(0, 250));
    EXPECT_EQ(recorder->calls.back(), "didEndDecelerating");
}

TEST_F(UIScrollViewTest, pagingSettlesOnPageBoundaries)
{
    scrollView->setContentSize(CGSizeMake(320 * 5, 480));
    scrollView->setPagingEnabled(true);
    // A quick flick turns one page even after a short move.
    drag(CGPointMake(-60, 0), CGPointMake(-800, 0));
    EXPECT_EQ(recorder->proposedTarget, CGPointMake(320, 0));
    advance(3);
    EXPECT_EQ(scrollView->contentOffset(), CGPointMake(320, 0));
    EXPECT_EQ(recorder->calls.back(), "didEndDecelerating");
    // A slow release goes to the nearest page, back or forward.
    recorder->calls.clear();
    drag(CGPointMake(-100, 0), CGPointZero);
    EXPECT_EQ(recorder->calls.back(), "willBeginDecelerating");
    advance(3);
    EXPECT_EQ(scrollView->contentOffset(), CGPointMake(320, 0));
    drag(CGPointMake(-200, 0), CGPointMake(-10, 0));
    advance(3);
    EXPECT_EQ(scrollView->contentOffset(), CGPointMake(640, 0));
    // The last page is the last.
    drag(CGPointMake(-700, 0), CGPointMake(-3000, 0));
    advance(3);
    EXPECT_EQ(scrollView->contentOffset(), CGPointMake(1280, 0));
}

TEST_F(UIScrollViewTest, pulledPastTheTopTheContentResistsAndSpringsBack)
{
    scrollView->setContentInset(UIEdgeInsetsMake(64, 0, 0, 0));
    // Changing the inset leaves the offset alone.
    EXPECT_EQ(scrollView->contentOffset(), CGPointZero);
    scrollView->setContentOffset(CGPointMake(0, -64));
    drag(CGPointMake(0, 100), CGPointZero);
    const CGFloat pulled = -64 - scrollView->contentOffset().y;
    EXPECT_GT(pulled, 30);
    EXPECT_LT(pulled, 100);
    EXPECT_TRUE(scrollView->isDecelerating());
    advance(3);
    EXPECT_EQ(scrollView->contentOffset(), CGPointMake(0, -64));
    EXPECT_EQ(recorder->calls.back(), "didEndDecelerating");
}

TEST_F(UIScrollViewTest, contentCaughtPastAnEdgeDoesNotJump)
{
    drag(CGPointMake(0, 150), CGPointZero);
    advance(0.05);
    const CGPoint caught = scrollView->contentOffset();
    ASSERT_LT(caught.y, -5);
    scrollView->beginTracking();
    scrollView->beginDragging();
    scrollView->dragBy(CGPointZero);
    EXPECT_NEAR(scrollView->contentOffset().y, caught.y, 1e-9);
    scrollView->dragBy(CGPointMake(0, -400));
    EXPECT_GT(scrollView->contentOffset().y, 100);
    scrollView->endDragging(CGPointZero);
}

TEST_F(UIScrollViewTest, aFlickPastTheEndBouncesBackToTheEnd)
{
    scrollView->setContentOffset(CGPointMake(0, 4400));
    drag(CGPointMake(0, -50), CGPointMake(0, -2000));
    EXPECT_EQ(recorder->proposedTarget, CGPointMake(0, 4520));
    CGFloat furthest = 0;
    recorder->onScroll = [&](UIScrollView& view) { furthest = std::max(furthest, view.contentOffset().y); };
    advance(5);
    EXPECT_GT(furthest, 4520);
    EXPECT_EQ(scrollView->contentOffset(), CGPointMake(0, 4520));
}

TEST_F(UIScrollViewTest, withoutBounceTheContentStopsAtTheEdges)
{
    scrollView->setBounces(false);
    drag(CGPointMake(0, 80), CGPointMake(0, 500));
    EXPECT_EQ(scrollView->contentOffset(), CGPointZero);
    EXPECT_EQ(recorder->calls, (Calls { "willBeginDragging", "willEndDragging", "didEndDragging" }));
    scrollView->setContentOffset(CGPointMake(0, 4500));
    drag(CGPointMake(0, -80), CGPointMake(0, -3000));
    advance(5);
    EXPECT_EQ(scrollView->contentOffset(), CGPointMake(0, 4520));
    for (const CGPoint offset : recorder->offsets)
        EXPECT_LE(offset.y, 4520);
}

TEST_F(UIScrollViewTest, contentThatFitsOnlyBouncesWhenAskedTo)
{
    scrollView->setContentSize(CGSizeMake(320, 200));
    drag(CGPointMake(40, 40), CGPointZero);
    EXPECT_EQ(scrollView->contentOffset(), CGPointZero);
    scrollView->setAlwaysBounceVertical(true);
    scrollView->beginTracking();
    scrollView->beginDragging();
    scrollView->dragBy(CGPointMake(40, 40));
    EXPECT_EQ(scrollView->contentOffset().x, 0);
    EXPECT_LT(scrollView->contentOffset().y, 0);
    scrollView->endDragging(CGPointZero);
    advance(3);
    EXPECT_EQ(scrollView->contentOffset(), CGPointZero);
}

TEST_F(UIScrollViewTest, aTouchStopsTheDecelerationWhereItIs)
{
    drag(CGPointMake(0, -100), CGPointMake(0, -2000));
    advance(0.2);
    const CGPoint caught = scrollView->contentOffset();
    scrollView->beginTracking();
    EXPECT_FALSE(scrollView->isDecelerating());
    EXPECT_TRUE(scrollView->isTracking());
    advance(1);
    EXPECT_EQ(scrollView->contentOffset(), caught);
    scrollView->endTracking();
    EXPECT_FALSE(scrollView->isTracking());
    advance(1);
    EXPECT_EQ(scrollView->contentOffset(), caught);
}

TEST_F(UIScrollViewTest, aPageCaughtHalfWayGoesToTheNearestPageAtLift)
{
    scrollView->setContentSize(CGSizeMake(320 * 3, 480));
    scrollView->setPagingEnabled(true);
    drag(CGPointMake(-30, 0), CGPointMake(-2000, 0));
    advance(0.05);
    scrollView->beginTracking();
    const CGFloat caught = scrollView->contentOffset().x;
    ASSERT_GT(caught, 30);
    ASSERT_LT(caught, 320);
    scrollView->endTracking();
    advance(3);
    EXPECT_EQ(scrollView->contentOffset().x, caught < 160 ? 0 : 320);
}

TEST_F(UIScrollViewTest, animatedOffsetsEndExactlyOnTheTarget)
{
    scrollView->setContentOffset(CGPointMake(0, 333.3), true);
    EXPECT_EQ(scrollView->contentOffset(), CGPointZero);
    advance(1);
    EXPECT_EQ(scrollView->contentOffset(), CGPointMake(0, 333.3));
    EXPECT_GT(recorder->offsets.size(), 5u);
    EXPECT_EQ(recorder->offsets.back(), CGPointMake(0, 333.3));
    EXPECT_EQ(recorder->calls, (Calls { "didScroll", "didEndScrollingAnimation" }));
    // Back to zero exactly, as a loop that waits for zero needs.
    recorder->calls.clear();
    scrollView->setContentOffset(CGPointZero, true);
    advance(1);
    EXPECT_EQ(scrollView->contentOffset(), CGPointZero);
    EXPECT_EQ(recorder->calls, (Calls { "didScroll", "didEndScrollingAnimation" }));
    // Without animation: one didScroll, no end call; to the same place: nothing.
    recorder->calls.clear();
    scrollView->setContentOffset(CGPointMake(0, 40), false);
    scrollView->setContentOffset(CGPointMake(0, 40), true);
    advance(1);
    EXPECT_EQ(recorder->calls, (Calls { "didScroll" }));
}

TEST_F(UIScrollViewTest, aDragTakesOverFromAnAnimation)
{
    scrollView->setContentOffset(CGPointMake(0, 1000), true);
    advance(0.1);
    drag(CGPointMake(0, -10), CGPointZero);
    const CGPoint held = scrollView->contentOffset();
    advance(1);
    EXPECT_EQ(scrollView->contentOffset(), held);
    EXPECT_EQ(std::count(recorder->calls.begin(), recorder->calls.end(), "didEndScrollingAnimation"), 0);
}

TEST_F(UIScrollViewTest, scrollRectToVisibleMovesAsLittleAsNeeded)
{
    scrollView->scrollRectToVisible(CGRectMake(0, 100, 10, 10), false);
    EXPECT_EQ(scrollView->contentOffset(), CGPointZero);
    scrollView->scrollRectToVisible(CGRectMake(0, 1000, 10, 50), false);
    EXPECT_EQ(scrollView->contentOffset(), CGPointMake(0, 570));
    scrollView->scrollRectToVisible(CGRectMake(0, 200, 10, 50), true);
    advance(1);
    EXPECT_EQ(scrollView->contentOffset(), CGPointMake(0, 200));
    EXPECT_EQ(recorder->calls.back(), "didEndScrollingAnimation");
    // Never past the end.
    scrollView->scrollRectToVisible(CGRectMake(0, 4990, 10, 100), false);
    EXPECT_EQ(scrollView->contentOffset(), CGPointMake(0, 4520));
}

TEST_F(UIScrollViewTest, theStatusBarScrollsTheOneScrollViewToTheTop)
{
    auto root = UIView::create(CGRectMake(0, 0, 320, 568));
    root->addSubview(scrollView);
    scrollView->setContentInset(UIEdgeInsetsMake(20, 0, 0, 0));
    scrollView->setContentOffset(CGPointMake(0, 900));
    recorder->allowScrollToTop = false;
    EXPECT_FALSE(UIScrollView::scrollToTopInWindow(root));
    recorder->allowScrollToTop = std::nullopt;
    EXPECT_TRUE(UIScrollView::scrollToTopInWindow(root));
    advance(1);
    EXPECT_EQ(scrollView->contentOffset(), CGPointMake(0, -20));
    EXPECT_EQ(recorder->calls.back(), "didScrollToTop");
    // Two candidates: neither moves.
    auto other = UIScrollView::create(CGRectMake(0, 0, 100, 100));
    root->addSubview(other);
    scrollView->setContentOffset(CGPointMake(0, 300));
    EXPECT_FALSE(UIScrollView::scrollToTopInWindow(root));
    other->setScrollsToTop(false);
    EXPECT_TRUE(UIScrollView::scrollToTopInWindow(root));
    EXPECT_FALSE(UIScrollView::scrollToTopInWindow(nullptr));
}

TEST_F(UIScrollViewTest, indicatorsShowWhileScrollingInsideTheVisibleArea)
{
    scrollView->setScrollIndicatorInsets(UIEdgeInsetsMake(10, 0, 10, 0));
    scrollView->beginTracking();
    scrollView->beginDragging();
    scrollView->dragBy(CGPointMake(0, -1000));
    scrollView->addSubview(UIView::create(CGRectMake(0, 0, 10, 10)));
    scrollView->layoutIfNeeded();
    std::shared_ptr<UIView> indicator;
    for (const auto& subview : scrollView->subviews())
        indicator = subview;
    ASSERT_TRUE(indicator);
    EXPECT_FALSE(indicator->isHidden());
    EXPECT_GT(indicator->alpha(), 0.5);
    const CGRect frame = indicator->frame();
    EXPECT_GE(frame.origin.y, 1000 + 10);
    EXPECT_LE(frame.origin.y + frame.size.height, 1000 + 480 - 10);
    EXPECT_NEAR(frame.size.height, (480 - 20 - 6) * 480.0 / 5000, 1);
    EXPECT_GT(frame.origin.x, 310);
    scrollView->endDragging(CGPointZero);
    advance(2);
    EXPECT_EQ(indicator->alpha(), 0);
    // Hidden indicators stay hidden.
    scrollView->setShowsVerticalScrollIndicator(false);
    drag(CGPointMake(0, -10), CGPointZero);
    EXPECT_TRUE(indicator->isHidden());
}

TEST_F(UIScrollViewTest, undefinedSizesAndOffsetsAreRefused)
{
    scrollView->setContentOffset(CGPointMake(0, 300));
    scrollView->setContentOffset(CGPointMake(NAN, 10));
    scrollView->setContentOffset(CGPointMake(0, INFINITY), true);
    advance(1);
    EXPECT_EQ(scrollView->contentOffset(), CGPointMake(0, 300));
    EXPECT_EQ(std::count(recorder->calls.begin(), recorder->calls.end(), "didEndScrollingAnimation"), 0);
    scrollView->setContentSize(CGSizeMake(NAN, INFINITY));
    EXPECT_EQ(scrollView->contentSize(), CGSizeZero);
    EXPECT_EQ(scrollView->maximumContentOffset(), CGPointZero);
    drag(CGPointMake(0, -50), CGPointMake(0, -1000));
    advance(3);
    EXPECT_TRUE(std::isfinite(scrollView->contentOffset().y));
}

TEST_F(UIScrollViewTest, aDelegateThatWentAwayHearsNothing)
{
    recorder.reset();
    drag(CGPointMake(0, -100), CGPointMake(0, -1000));
    advance(10);
    EXPECT_FALSE(scrollView->isDecelerating());
}

TEST_F(UIScrollViewTest, aScrollViewThatGoesAwayWhileDeceleratingStopsCleanly)
{
    drag(CGPointMake(0, -100), CGPointMake(0, -1000));
    scrollView.reset();
    advance(10);
    EXPECT_EQ(recorder->calls.back(), "willBeginDecelerating");
}

namespace {

// A screen whose view holds a paging scroll view of five pages, through the headless host.
class ScrollScreenTest : public testing::Test {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        auto controller = UIViewController::create();
        scrollView = UIScrollView::create(CGRectMake(0, 100, 320, 300));
        scrollView->setContentSize(CGSizeMake(320 * 5, 300));
        scrollView->setPagingEnabled(true);
        recorder = std::make_shared<ScrollRecorder>();
        scrollView->setDelegate(recorder);
        controller->view()->addSubview(scrollView);
        host->showRootViewController(controller);
        host->runUntilIdle();
    }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIScrollView> scrollView;
    std::shared_ptr<ScrollRecorder> recorder;
};

}

TEST_F(ScrollScreenTest, aPanMovesTheContentWhichDeceleratesAndSettlesOnAPage)
{
    host->touchDown(CGPointMake(250, 250));
    EXPECT_TRUE(scrollView->isTracking());
    EXPECT_FALSE(scrollView->isDragging());
    for (int step = 1; step <= 6; ++step) {
        host->advance(1.0 / 60);
        host->touchMove(CGPointMake(250 - 20 * step, 250));
    }
    EXPECT_TRUE(scrollView->isDragging());
    // The move that began the pan (20 points, past its threshold) does not scroll.
    static_assert(UIPanGestureRecognizer::hysteresis < 20);
    EXPECT_EQ(scrollView->contentOffset(), CGPointMake(100, 0));
    host->touchUp(CGPointMake(130, 250));
    EXPECT_FALSE(scrollView->isTracking());
    EXPECT_TRUE(scrollView->isDecelerating());
    EXPECT_GT(recorder->endVelocity.x, 0.5);
    EXPECT_EQ(recorder->proposedTarget, CGPointMake(320, 0));
    host->runUntilIdle();
    EXPECT_EQ(scrollView->contentOffset(), CGPointMake(320, 0));
    EXPECT_EQ(recorder->calls, (Calls { "willBeginDragging", "didScroll", "willEndDragging", "didEndDragging(decelerate)",
                                   "willBeginDecelerating", "didScroll", "didEndDecelerating" }));
    EXPECT_FALSE(scrollView->isDecelerating());
}

TEST_F(ScrollScreenTest, aTapDoesNotScrollAndATouchCatchesAMovingPage)
{
    host->tap(CGPointMake(100, 200));
    EXPECT_TRUE(recorder->calls.empty());
    EXPECT_FALSE(scrollView->isTracking());
    host->swipe(CGPointMake(250, 250), UISwipeDirectionHint::Left);
    host->advance(0.05);
    ASSERT_TRUE(scrollView->isDecelerating());
    host->touchDown(CGPointMake(200, 250));
    EXPECT_FALSE(scrollView->isDecelerating());
    host->touchUp(CGPointMake(200, 250));
    host->runUntilIdle();
    const CGFloat x = scrollView->contentOffset().x;
    EXPECT_TRUE(x == 0 || x == 320) << x;
}

TEST_F(ScrollScreenTest, defaultModeTimersWaitWhileTheContentScrolls)
{
    int fired = 0;
    auto timer = NSTimer::scheduledTimerWithTimeInterval(0.05, [&](const auto&) { ++fired; }, false);
    host->touchDown(CGPointMake(250, 250));
    EXPECT_EQ(UIScrollView::mainRunLoopMode(), NSString(NSDefaultRunLoopMode));
    host->advance(1.0 / 60);
    host->touchMove(CGPointMake(200, 250));
    EXPECT_EQ(UIScrollView::mainRunLoopMode(), NSString(UITrackingRunLoopMode));
    host->advance(0.2);
    EXPECT_EQ(fired, 0);
    host->touchUp(CGPointMake(200, 250));
    host->runUntilIdle();
    EXPECT_EQ(UIScrollView::mainRunLoopMode(), NSString(NSDefaultRunLoopMode));
    EXPECT_EQ(fired, 1);
}
