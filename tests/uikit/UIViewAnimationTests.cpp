#include "tests/uikit/UIKitTestSupport.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIDevice.h"

#include <gtest/gtest.h>
#include <optional>

namespace {

class UIViewAnimationTest : public ::testing::Test {
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
    CGFloat shownX() const { return view->layer()->presentationLayer()->position().x; }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIViewController> root;
    std::shared_ptr<UIView> view;
};

} // namespace

TEST_F(UIViewAnimationTest, modelChangesAtOnceAndTheScreenFollowsTheClockToTheEnd)
{
    std::optional<bool> finished;
    UIView::animateWithDuration(0.4, [&] { view->setCenter(CGPointMake(250, 50)); }, [&](bool done) { finished = done; });
    EXPECT_EQ(view->center().x, 250);
    host->advance(0.2);
    EXPECT_GT(shownX(), 60);
    EXPECT_LT(shownX(), 240);
    EXPECT_FALSE(finished);
    host->advance(0.25);
    ASSERT_TRUE(finished);
    EXPECT_TRUE(*finished);
    EXPECT_EQ(shownX(), 250);
}

TEST_F(UIViewAnimationTest, anInterruptedAnimationReportsNotFinished)
{
    std::optional<bool> first, second;
    UIView::animateWithDuration(0.4, [&] { view->setAlpha(0); }, [&](bool done) { first = done; });
    host->advance(0.1);
    UIView::animateWithDuration(0.4, 0, UIViewAnimationOptionBeginFromCurrentState, [&] { view->setAlpha(1); },
        [&](bool done) { second = done; });
    ASSERT_TRUE(first);
    EXPECT_FALSE(*first);
    EXPECT_FALSE(second);
    host->advance(0.5);
    ASSERT_TRUE(second);
    EXPECT_TRUE(*second);

    std::optional<bool> third;
    UIView::animateWithDuration(0.4, [&] { view->setCenter(CGPointMake(10, 10)); }, [&](bool done) { third = done; });
    view->layer()->removeAllAnimations();
    ASSERT_TRUE(third);
    EXPECT_FALSE(*third);
}

TEST_F(UIViewAnimationTest, aBlockThatAnimatesNothingCompletesOnTheNextTurn)
{
    std::optional<bool> finished;
    UIView::animateWithDuration(0.3, [] { }, [&](bool done) { finished = done; });
    EXPECT_FALSE(finished);
    host->drainRunLoop();
    ASSERT_TRUE(finished);
    EXPECT_TRUE(*finished);

    finished.reset();
    UIView::animateWithDuration(0, [&] { view->setAlpha(0.5); }, [&](bool done) { finished = done; });
    EXPECT_FALSE(finished);
    EXPECT_FALSE(view->layer()->hasAnimations());
    host->drainRunLoop();
    EXPECT_TRUE(finished.value_or(false));
}

TEST_F(UIViewAnimationTest, aDelayHoldsTheStartValueUntilTheAnimationBegins)
{
    std::optional<bool> finished;
    UIView::animateWithDuration(0.2, 0.3, UIViewAnimationOptionCurveLinear, [&] { view->setCenter(CGPointMake(150, 50)); },
        [&](bool done) { finished = done; });
    host->advance(0.2);
    EXPECT_EQ(shownX(), 50);
    host->advance(0.2);
    EXPECT_NEAR(shownX(), 100, 1);
    EXPECT_FALSE(finished);
    host->advance(0.15);
    EXPECT_TRUE(finished.value_or(false));
}

TEST_F(UIViewAnimationTest, aLooseSpringOvershootsAndSettlesAtTheEnd)
{
    std::optional<bool> finished;
    UIView::animateWithDuration(0.6, 0, 0.3, 0, 0, [&] { view->setCenter(CGPointMake(150, 50)); },
        [&](bool done) { finished = done; });
    CGFloat most = 0;
    for (int frame = 0; frame < 30; ++frame) {
        host->advance(1.0 / 60);
        most = std::max(most, shownX());
    }
    EXPECT_GT(most, 150);
    host->advance(0.2);
    EXPECT_TRUE(finished.value_or(false));
    EXPECT_EQ(shownX(), 150);
}

TEST_F(UIViewAnimationTest, changesWithoutAnimationOrOutsideBlocksDoNotAnimate)
{
    view->setCenter(CGPointMake(200, 50));
    UIView::animateWithDuration(0.3, [&] {
        UIView::performWithoutAnimation([&] { view->setAlpha(0.2); });
    });
    EXPECT_FALSE(view->layer()->hasAnimations());
    UIView::setAnimationsEnabled(false);
    UIView::animateWithDuration(0.3, [&] { view->setCenter(CGPointMake(20, 50)); });
    UIView::setAnimationsEnabled(true);
    EXPECT_FALSE(view->layer()->hasAnimations());
}

TEST_F(UIViewAnimationTest, aNewViewAnimatesFromItsFirstValues)
{
    auto fresh = UIView::create(CGRectMake(0, 0, 10, 10));
    fresh->setAlpha(0);
    root->view()->addSubview(fresh);
    UIView::animateWithDuration(0.3, [&] { fresh->setAlpha(1); });
    EXPECT_TRUE(fresh->layer()->hasAnimations());
}

TEST_F(UIViewAnimationTest, aTransitionRunsTheChangesAtOnceAndCompletesAfterItsDuration)
{
    auto label = UIView::create(CGRectMake(0, 0, 10, 10));
    view->addSubview(label);
    std::optional<bool> finished;
    UIView::transitionWithView(view, 0.3, UIViewAnimationOptionTransitionCrossDissolve | UIViewAnimationOptionAllowUserInteraction,
        [&] { label->setHidden(true); }, [&](bool done) { finished = done; });
    EXPECT_TRUE(label->isHidden());
    EXPECT_FALSE(finished);
    host->advance(0.35);
    EXPECT_TRUE(finished.value_or(false));

    auto replacement = UIView::create(CGRectMake(0, 0, 10, 10));
    finished.reset();
    UIView::transitionFromView(label, replacement, 0.2, UIViewAnimationOptionTransitionFlipFromLeft,
        [&](bool done) { finished = done; });
    EXPECT_EQ(label->superview(), nullptr);
    EXPECT_EQ(replacement->superview(), view);
    host->advance(0.25);
    EXPECT_TRUE(finished.value_or(false));
}

TEST_F(UIViewAnimationTest, theOlderFormAnimatesWithItsSettingsAndCallsTheStopBlock)
{
    std::vector<std::string> stops;
    auto delegate = NSObject::create();
    id context = NSObject::create();
    UIView::beginAnimations("slide", context);
    UIView::setAnimationDuration(0.5);
    UIView::setAnimationCurve(UIViewAnimationCurve::Linear);
    UIView::setAnimationDelegate(delegate);
    UIView::setAnimationDidStopSelector([&](const NSString& identifier, bool finished, const id& given) {
        stops.push_back(identifier.UTF8String() + std::string(finished ? " finished" : " stopped") + (given == context ? " ctx" : ""));
    });
    view->setCenter(CGPointMake(150, 50));
    UIView::commitAnimations();
    host->advance(0.25);
    EXPECT_NEAR(shownX(), 100, 1);
    host->advance(0.3);
    EXPECT_EQ(stops, (std::vector<std::string> { "slide finished ctx" }));

    // A delegate that went away hears nothing.
    UIView::beginAnimations("gone", nullptr);
    UIView::setAnimationDelegate(delegate);
    UIView::setAnimationDidStopSelector([&](const NSString&, bool, const id&) { stops.push_back("gone"); });
    UIView::setAnimationTransition(UIViewAnimationTransition::CurlUp, view, true);
    view->setAlpha(0.5);
    UIView::commitAnimations();
    delegate.reset();
    host->advance(0.5);
    EXPECT_EQ(stops.size(), 1u);
    // Settings outside begin and commit change nothing.
    UIView::setAnimationDuration(3);
    UIView::commitAnimations();
}

TEST_F(UIViewAnimationTest, aViewInFlightTakesTouchesOnlyWhenTheAnimationAllowsThem)
{
    auto window = host->keyWindow();
    UIView::animateWithDuration(0.5, [&] { view->setAlpha(0.8); });
    EXPECT_NE(window->hitTest(CGPointMake(10, 10), nullptr), view);
    host->advance(0.6);
    EXPECT_EQ(window->hitTest(CGPointMake(10, 10), nullptr), view);
    UIView::animateWithDuration(0.5, 0, UIViewAnimationOptionAllowUserInteraction, [&] { view->setAlpha(1); }, nullptr);
    EXPECT_EQ(window->hitTest(CGPointMake(10, 10), nullptr), view);
}

TEST(UIDeviceOrientation, turnsArePostedOnlyWhileGenerating)
{
    auto host = HeadlessHost::create();
    auto device = UIDevice::currentDevice();
    int posted = 0;
    auto observer = NSObject::create();
    NSNotificationCenter::defaultCenter()->addObserver(observer, [&](const auto&) { ++posted; },
        UIDeviceOrientationDidChangeNotification, nullptr);
    device->setOrientation(UIDeviceOrientation::LandscapeLeft);
    EXPECT_EQ(posted, 0);
    device->beginGeneratingDeviceOrientationNotifications();
    device->setOrientation(UIDeviceOrientation::Portrait);
    device->setOrientation(UIDeviceOrientation::Portrait);
    EXPECT_EQ(posted, 1);
    device->endGeneratingDeviceOrientationNotifications();
    device->endGeneratingDeviceOrientationNotifications();
    EXPECT_FALSE(device->isGeneratingDeviceOrientationNotifications());
    NSNotificationCenter::defaultCenter()->removeObserver(observer);
}
