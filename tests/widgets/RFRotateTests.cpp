#include "library/widgets/rotate/RFRotate.h"

#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UIViewController.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>

namespace {

class RFRotateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        root = UIViewController::create();
        host->showRootViewController(root);
        view = UIView::create(CGRectMake(0, 0, 100, 100));
        root->view()->addSubview(view);
        host->advance(0.1);
    }
    double degrees() const
    {
        const CGAffineTransform t = view->transform();
        return std::atan2(t.b, t.a) * 180 / std::numbers::pi;
    }
    double shownDegrees() const
    {
        const CGAffineTransform t = view->layer()->presentationLayer()->affineTransform();
        return std::atan2(t.b, t.a) * 180 / std::numbers::pi;
    }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIViewController> root;
    std::shared_ptr<UIView> view;
};

} // namespace

TEST_F(RFRotateTest, turnsByTheAngleOnTopOfTheCurrentTransform)
{
    RFRotate::rotate90(view, 0.2);
    EXPECT_NEAR(degrees(), 90, 1e-9);
    host->advance(0.1);
    EXPECT_GT(shownDegrees(), 1);
    EXPECT_LT(shownDegrees(), 89);
    host->advance(0.2);
    EXPECT_NEAR(shownDegrees(), 90, 1e-6);

    RFRotate::rotate(view, 0.2, -30);
    host->advance(0.3);
    EXPECT_NEAR(degrees(), 60, 1e-9);

    RFRotate::rotate180(view, 0.2);
    host->advance(0.3);
    EXPECT_NEAR(degrees(), 60 - 180, 1e-4);
}

TEST_F(RFRotateTest, theBlockRunsInsideTheAnimationAndTheCompletionLearnsItFinished)
{
    int blocks = 0;
    std::optional<bool> finished;
    RFRotate::rotate90(view, 0.2, [&] { ++blocks; view->setAlpha(0.5); }, [&](bool done) { finished = done; });
    EXPECT_EQ(blocks, 1);
    EXPECT_FALSE(finished);
    host->advance(0.1);
    // The block's change is animated with the turn.
    EXPECT_GT(view->layer()->presentationLayer()->opacity(), 0.5);
    host->advance(0.2);
    ASSERT_TRUE(finished);
    EXPECT_TRUE(*finished);
    EXPECT_NEAR(degrees(), 90, 1e-9);

    finished.reset();
    RFRotate::rotate(view, 0.2, 45, nullptr, [&](bool done) { finished = done; });
    RFRotate::rotate180(view, 0.2, nullptr, nullptr);
    host->advance(0.3);
    EXPECT_NEAR(degrees(), 90 + 45 - 180, 1e-4);
}

TEST_F(RFRotateTest, anInterruptedTurnStopsWhereItWasHeadedAndReportsNotFinished)
{
    std::optional<bool> finished;
    RFRotate::rotate90(view, 0.4, nullptr, [&](bool done) { finished = done; });
    host->advance(0.1);
    view->layer()->removeAllAnimations();
    ASSERT_TRUE(finished);
    EXPECT_FALSE(*finished);
    host->advance(1.0);
    EXPECT_NEAR(degrees(), 90, 1e-9);

    RFRotate::rotate(view, 0.4, 30);
    host->advance(0.1);
    view->layer()->removeAllAnimations();
    host->advance(1.0);
    EXPECT_NEAR(degrees(), 120, 1e-9);
}

TEST_F(RFRotateTest, aFlexTurnSwingsBackFirstAndEndsAtTheAngle)
{
    int blocks = 0;
    std::optional<bool> finished;
    RFRotate::rotateWithFlex(view, 0.5, 90, [&] { ++blocks; }, [&](bool done) { finished = done; });
    EXPECT_NEAR(degrees(), -5, 1e-9);
    EXPECT_EQ(blocks, 0);
    host->advance(0.35);
    EXPECT_EQ(blocks, 1);
    EXPECT_NEAR(degrees(), 90, 1e-9);
    EXPECT_FALSE(finished);
    host->advance(0.6);
    ASSERT_TRUE(finished);
    EXPECT_TRUE(*finished);
    EXPECT_NEAR(shownDegrees(), 90, 1e-6);

    RFRotate::rotateWithFlex(view, 0.5, -90);
    host->advance(1.0);
    EXPECT_NEAR(degrees(), 0, 1e-9);
}

TEST_F(RFRotateTest, aFlexTurnInterruptedInItsSwingGoesNoFurther)
{
    int blocks = 0;
    std::optional<bool> finished;
    RFRotate::rotateWithFlex(view, 0.5, 90, [&] { ++blocks; }, [&](bool done) { finished = done; });
    host->advance(0.1);
    view->layer()->removeAllAnimations();
    ASSERT_TRUE(finished);
    EXPECT_FALSE(*finished);
    host->advance(1.0);
    EXPECT_EQ(blocks, 0);
    EXPECT_NEAR(degrees(), -5, 1e-9);
}

TEST_F(RFRotateTest, noViewMeansNoTurnAndNotFinished)
{
    std::optional<bool> finished;
    RFRotate::rotate90(nullptr, 0.2, nullptr, [&](bool done) { finished = done; });
    EXPECT_EQ(finished, false);
    finished.reset();
    // A view that goes away during the swing is not turned further.
    auto gone = UIView::create(CGRectMake(0, 0, 10, 10));
    RFRotate::rotateWithFlex(gone, 0.2, 90, nullptr, [&](bool done) { finished = done; });
    gone.reset();
    host->advance(0.5);
    EXPECT_EQ(finished, false);
}
