#include "platform/uikit/ScrollAxisMotion.h"

#include <gtest/gtest.h>

namespace {

// Samples a motion frame by frame (60 a second) until it finishes; answers the offsets seen.
std::vector<CGFloat> run(const ScrollAxisMotion& motion)
{
    std::vector<CGFloat> offsets;
    for (double t = 0; offsets.size() < 2000; t += 1000.0 / 60) {
        offsets.push_back(motion.offsetAt(t));
        if (motion.isFinishedAt(t))
            break;
    }
    return offsets;
}

}

TEST(ScrollPhysics, restingPlaceFollowsTheRate)
{
    // One point per millisecond at the normal rate carries about 500 points, at the fast 100.
    EXPECT_NEAR(ScrollPhysics::restingOffset(0, 1, UIScrollViewDecelerationRateNormal), 499.5, 0.1);
    EXPECT_NEAR(ScrollPhysics::restingOffset(100, -1, UIScrollViewDecelerationRateFast), 100 - 99.5, 0.1);
    EXPECT_EQ(ScrollPhysics::restingOffset(30, 5, 1.0), 30);
}

TEST(ScrollPhysics, rubberBandResistsMoreTheFurtherItIsPulled)
{
    const CGFloat first = ScrollPhysics::rubberBand(10, 568);
    EXPECT_GT(first, 4);
    EXPECT_LT(first, 10);
    EXPECT_LT(ScrollPhysics::rubberBand(1000, 568), 568);
    EXPECT_LT(ScrollPhysics::rubberBand(200, 568) - ScrollPhysics::rubberBand(190, 568), first);
    EXPECT_EQ(ScrollPhysics::rubberBand(-10, 568), -first);
    EXPECT_EQ(ScrollPhysics::rubberBand(10, 0), 0);
    // The pull that shows a distance is found back from it.
    for (const CGFloat pull : { -300.0, -12.5, 0.0, 40.0, 900.0 })
        EXPECT_NEAR(ScrollPhysics::rubberBandPull(ScrollPhysics::rubberBand(pull, 480), 480), pull, 1e-6);
    EXPECT_EQ(ScrollPhysics::rubberBandPull(5, 0), 0);
    EXPECT_TRUE(std::isfinite(ScrollPhysics::rubberBandPull(480, 480)));
}

TEST(ScrollPhysics, pagesFollowFlicksAndOtherwiseTheNearestPage)
{
    EXPECT_EQ(ScrollPhysics::pageOffset(100, 0, 320, 960), 0);
    EXPECT_EQ(ScrollPhysics::pageOffset(200, 0, 320, 960), 320);
    EXPECT_EQ(ScrollPhysics::pageOffset(40, 1.0, 320, 960), 320);
    EXPECT_EQ(ScrollPhysics::pageOffset(600, -1.0, 320, 960), 320);
    EXPECT_EQ(ScrollPhysics::pageOffset(950, 2.0, 320, 960), 960);
    EXPECT_EQ(ScrollPhysics::pageOffset(-30, -2.0, 320, 960), 0);
    // A last page shorter than the view ends at the largest offset.
    EXPECT_EQ(ScrollPhysics::pageOffset(700, 1.0, 320, 800), 800);
    EXPECT_EQ(ScrollPhysics::pageOffset(50, 1.0, 0, 800), 0);
}

TEST(ScrollAxisMotion, decelerationSlowsDownAndEndsExactlyOnTheTarget)
{
    const auto motion = ScrollAxisMotion::decelerate(0, 480, UIScrollViewDecelerationRateNormal);
    const auto offsets = run(motion);
    ASSERT_GT(offsets.size(), 10u);
    EXPECT_EQ(offsets.back(), 480);
    CGFloat lastStep = offsets[1] - offsets[0];
    EXPECT_GT(lastStep, 0);
    for (size_t i = 2; i < offsets.size() - 1; ++i) {
        const CGFloat step = offsets[i] - offsets[i - 1];
        EXPECT_LE(step, lastStep + 1e-9);
        EXPECT_LE(offsets[i], 480);
        lastStep = step;
    }
    // Its speed at the start is the one that carries it to the target.
    EXPECT_NEAR(motion.offsetAt(1) - motion.offsetAt(0), 480 * (1 - UIScrollViewDecelerationRateNormal), 0.01);
    EXPECT_EQ(motion.offsetAt(1e9), 480);
    EXPECT_EQ(motion.offsetAt(-5), 0);
}

TEST(ScrollAxisMotion, theFastRateStopsSooner)
{
    const auto normal = run(ScrollAxisMotion::decelerate(0, 300, UIScrollViewDecelerationRateNormal));
    const auto fast = run(ScrollAxisMotion::decelerate(0, 300, UIScrollViewDecelerationRateFast));
    EXPECT_LT(fast.size() * 3, normal.size());
    EXPECT_EQ(fast.back(), 300);
}

TEST(ScrollAxisMotion, aMotionAlreadyAtItsTargetIsFinished)
{
    EXPECT_TRUE(ScrollAxisMotion::decelerate(12, 12.01, UIScrollViewDecelerationRateNormal).isFinishedAt(0));
    const auto resting = ScrollAxisMotion::resting(7);
    EXPECT_TRUE(resting.isFinishedAt(0));
    EXPECT_EQ(resting.offsetAt(100), 7);
}

TEST(ScrollAxisMotion, aFlickPastTheEdgeOvershootsThenComesBackToIt)
{
    // Heading for about 1000 points with the edge at 400.
    const auto motion = ScrollAxisMotion::decelerateAndBounce(0, 2, 400, UIScrollViewDecelerationRateNormal);
    EXPECT_EQ(motion.kind(), ScrollAxisMotion::Kind::DecelerateAndBounce);
    EXPECT_EQ(motion.target(), 400);
    const auto offsets = run(motion);
    const CGFloat furthest = *std::max_element(offsets.begin(), offsets.end());
    EXPECT_GT(furthest, 410);
    EXPECT_LT(furthest, 600);
    EXPECT_EQ(offsets.back(), 400);
    // Going up past the top edge works the same way.
    const auto up = run(ScrollAxisMotion::decelerateAndBounce(100, -3, 0, UIScrollViewDecelerationRateNormal));
    EXPECT_LT(*std::min_element(up.begin(), up.end()), -10);
    EXPECT_EQ(up.back(), 0);
}

TEST(ScrollAxisMotion, aFlickThatStopsShortOfTheEdgeDoesNotBounce)
{
    const auto motion = ScrollAxisMotion::decelerateAndBounce(0, 0.2, 400, UIScrollViewDecelerationRateNormal);
    EXPECT_EQ(motion.kind(), ScrollAxisMotion::Kind::Decelerate);
    EXPECT_NEAR(motion.target(), 99.9, 0.1);
}

TEST(ScrollAxisMotion, contentPulledPastAnEdgeSpringsBackWithoutCrossingIt)
{
    const auto motion = ScrollAxisMotion::springBack(-80, 0, 0);
    const auto offsets = run(motion);
    for (const CGFloat offset : offsets)
        EXPECT_LE(offset, 0);
    EXPECT_EQ(offsets.back(), 0);
    EXPECT_LT(offsets.size(), 120u);
    // Released while still moving outwards, it goes a little further first.
    const auto moving = run(ScrollAxisMotion::springBack(-80, -0.5, 0));
    EXPECT_LT(*std::min_element(moving.begin(), moving.end()), -80);
    EXPECT_EQ(moving.back(), 0);
}
