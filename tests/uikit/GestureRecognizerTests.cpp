#include "tests/uikit/UIKitTestSupport.h"

#include "platform/uikit/UIPanGestureRecognizer.h"
#include "platform/uikit/UITapGestureRecognizer.h"

#include <gtest/gtest.h>

namespace {

class Recorder : public NSObject {
    NS_OBJECT(Recorder, NSObject)
public:
    void tapped(UITapGestureRecognizer& recognizer)
    {
        log->push_back(name + "." + std::to_string(static_cast<int>(recognizer.state())));
    }
    void panned(UIPanGestureRecognizer& recognizer)
    {
        states.push_back(recognizer.state());
        translation = recognizer.translationInView(nullptr);
        velocity = recognizer.velocityInView(nullptr);
    }
    std::string name { "tap" };
    Log* log { nullptr };
    std::vector<UIGestureRecognizerState> states;
    CGPoint translation;
    CGPoint velocity;
};

class Refusing : public UIGestureRecognizerDelegate {
public:
    std::optional<bool> shouldReceiveTouch(UIGestureRecognizer&, UITouch&) override { return false; }
};

class GestureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host = HeadlessHost::create();
        root = UIViewController::create();
        host->showRootViewController(root);
        target = RecordingView::create(CGRectMake(0, 100, 320, 300));
        target->log = &log;
        root->view()->addSubview(target);
        recorder = Recorder::create();
        recorder->log = &log;
    }
    std::shared_ptr<UITapGestureRecognizer> addTap(const std::string& name, NSUInteger taps = 1)
    {
        auto tap = UITapGestureRecognizer::create(recorder, &Recorder::tapped);
        tap->setNumberOfTapsRequired(taps);
        auto named = Recorder::create();
        named->name = name;
        named->log = &log;
        tap->removeTarget(nullptr);
        tap->addTarget(named, &Recorder::tapped);
        keep.push_back(named);
        target->addGestureRecognizer(tap);
        return tap;
    }

    std::shared_ptr<HeadlessHost> host;
    std::shared_ptr<UIViewController> root;
    std::shared_ptr<RecordingView> target;
    std::shared_ptr<Recorder> recorder;
    std::vector<std::shared_ptr<Recorder>> keep;
    Log log;
};

} // namespace

TEST_F(GestureTest, aRecognisedTapTakesTheTouchFromTheView)
{
    addTap("tap");
    host->tap(CGPointMake(100, 200));
    EXPECT_EQ(log, (Log { "view.began", "tap.3", "view.cancelled" }));
}

TEST_F(GestureTest, withoutCancellingTheViewSeesTheWholeTouchAfterTheRecogniser)
{
    auto tap = addTap("tap");
    tap->setCancelsTouchesInView(false);
    host->tap(CGPointMake(100, 200));
    EXPECT_EQ(log, (Log { "view.began", "tap.3", "view.ended" }));
}

TEST_F(GestureTest, aFailedTapLetsTheViewEndItsTouch)
{
    addTap("tap");
    host->drag(CGPointMake(100, 200), CGPointMake(100, 260), 0.2);
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log.front(), "view.began");
    EXPECT_EQ(log.back(), "view.ended");
    EXPECT_EQ(std::count(log.begin(), log.end(), "tap.3"), 0);
}

TEST_F(GestureTest, aTapThatMustWaitForADoubleTapFiresOnlyWhenTheDoubleTapFails)
{
    auto single = addTap("single");
    auto twice = addTap("double", 2);
    single->requireGestureRecognizerToFail(twice);
    single->setCancelsTouchesInView(false);
    twice->setCancelsTouchesInView(false);

    host->tap(CGPointMake(100, 200));
    EXPECT_EQ(std::count(log.begin(), log.end(), "single.3"), 0);
    // The view's end waits too, until the double tap gives up.
    EXPECT_EQ(std::count(log.begin(), log.end(), "view.ended"), 0);
    host->advance(0.4);
    EXPECT_EQ(std::count(log.begin(), log.end(), "single.3"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "view.ended"), 1);

    log.clear();
    host->tap(CGPointMake(100, 200));
    host->advance(0.1);
    host->tap(CGPointMake(102, 201));
    host->advance(0.5);
    EXPECT_EQ(std::count(log.begin(), log.end(), "double.3"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "single.3"), 0);
}

TEST_F(GestureTest, aPanReportsTranslationAndVelocityThroughItsStates)
{
    auto pan = UIPanGestureRecognizer::create(recorder, &Recorder::panned);
    target->addGestureRecognizer(pan);
    host->drag(CGPointMake(50, 300), CGPointMake(250, 300), 0.3);
    ASSERT_GE(recorder->states.size(), 3u);
    EXPECT_EQ(recorder->states.front(), UIGestureRecognizerState::Began);
    EXPECT_EQ(recorder->states[1], UIGestureRecognizerState::Changed);
    EXPECT_EQ(recorder->states.back(), UIGestureRecognizerState::Ended);
    EXPECT_NEAR(recorder->translation.x, 200, 1e-6);
    EXPECT_NEAR(recorder->translation.y, 0, 1e-6);
    EXPECT_NEAR(recorder->velocity.x, 200 / 0.3, 40);
    EXPECT_EQ(pan->state(), UIGestureRecognizerState::Possible);
    // The view lost the touch when the pan began.
    EXPECT_NE(std::find(log.begin(), log.end(), "view.cancelled"), log.end());

    // A finger that rests before lifting has no speed left.
    recorder->states.clear();
    host->touchDown(CGPointMake(50, 300));
    host->advance(0.05);
    host->touchMove(CGPointMake(100, 300));
    host->advance(0.5);
    host->touchUp(CGPointMake(100, 300));
    EXPECT_EQ(recorder->states.back(), UIGestureRecognizerState::Ended);
    EXPECT_EQ(recorder->velocity.x, 0);
}

TEST_F(GestureTest, disablingAPanInTheMiddleCancelsIt)
{
    auto pan = UIPanGestureRecognizer::create(recorder, &Recorder::panned);
    target->addGestureRecognizer(pan);
    host->touchDown(CGPointMake(50, 300));
    host->advance(0.05);
    host->touchMove(CGPointMake(100, 300));
    pan->setEnabled(false);
    EXPECT_EQ(recorder->states.back(), UIGestureRecognizerState::Cancelled);
    host->touchUp(CGPointMake(120, 300));
    EXPECT_EQ(recorder->states.back(), UIGestureRecognizerState::Cancelled);
}

TEST_F(GestureTest, aDelegateCanKeepTouchesFromTheRecogniserAndMayGoAway)
{
    auto tap = addTap("tap");
    auto refusing = std::make_shared<Refusing>();
    tap->setDelegate(refusing);
    host->tap(CGPointMake(100, 200));
    EXPECT_EQ(log, (Log { "view.began", "view.ended" }));
    log.clear();
    refusing.reset();
    host->tap(CGPointMake(100, 200));
    EXPECT_EQ(log, (Log { "view.began", "tap.3", "view.cancelled" }));
}

TEST_F(GestureTest, aViewRemovedDuringItsOwnTouchHandlingStillEndsItsTouch)
{
    target->onEnded = [&] { target->removeFromSuperview(); };
    host->tap(CGPointMake(100, 200));
    EXPECT_EQ(log, (Log { "view.began", "view.ended" }));
    EXPECT_EQ(target->superview(), nullptr);

    auto gone = RecordingView::create(CGRectMake(0, 0, 100, 100));
    gone->log = &log;
    gone->name = "gone";
    root->view()->addSubview(gone);
    log.clear();
    host->touchDown(CGPointMake(10, 10));
    gone->removeFromSuperview();
    gone.reset();
    host->touchMove(CGPointMake(20, 20));
    host->touchUp(CGPointMake(20, 20));
    EXPECT_EQ(log, (Log { "gone.began", "gone.moved", "gone.ended" }));
}

TEST_F(GestureTest, anActionThatRemovesItsViewDoesNotBreakDelivery)
{
    auto tap = addTap("tap");
    tap->addTarget(nullptr, [&](UIGestureRecognizer&) { target->removeFromSuperview(); });
    host->tap(CGPointMake(100, 200));
    EXPECT_EQ(target->superview(), nullptr);
    EXPECT_NE(std::find(log.begin(), log.end(), "tap.3"), log.end());
}

TEST_F(GestureTest, ignoredInteractionDropsNewTouches)
{
    UIApplication::sharedApplication()->beginIgnoringInteractionEvents();
    host->tap(CGPointMake(100, 200));
    EXPECT_TRUE(log.empty());
    UIApplication::sharedApplication()->endIgnoringInteractionEvents();
    host->tap(CGPointMake(100, 200));
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(GestureTest, aViewWithoutMultipleTouchTakesOneFingerAtATime)
{
    host->touchDown(CGPointMake(100, 200), 0);
    host->touchDown(CGPointMake(150, 200), 1);
    host->touchUp(CGPointMake(150, 200), 1);
    host->touchUp(CGPointMake(100, 200), 0);
    EXPECT_EQ(log, (Log { "view.began", "view.ended" }));
    log.clear();
    target->setMultipleTouchEnabled(true);
    host->touchDown(CGPointMake(100, 200), 0);
    host->touchDown(CGPointMake(150, 200), 1);
    host->touchUp(CGPointMake(150, 200), 1);
    host->touchUp(CGPointMake(100, 200), 0);
    EXPECT_EQ(log.size(), 4u);
}

TEST_F(GestureTest, aRecogniserThatDelaysTouchDownHoldsTheViewsBeganUntilItFails)
{
    auto pan = UIPanGestureRecognizer::create(recorder, &Recorder::panned);
    pan->setDelaysTouchesBegan(true);
    target->addGestureRecognizer(pan);
    host->touchDown(CGPointMake(100, 200));
    host->touchMove(CGPointMake(102, 200));
    EXPECT_TRUE(log.empty());
    host->touchUp(CGPointMake(102, 200));
    EXPECT_EQ(log, (Log { "view.began", "view.ended" }));

    log.clear();
    host->drag(CGPointMake(100, 200), CGPointMake(200, 200), 0.2);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(recorder->states.back(), UIGestureRecognizerState::Ended);

    log.clear();
    host->touchDown(CGPointMake(100, 200));
    host->touchCancel();
    host->advance(0.1);
    EXPECT_TRUE(log.empty());
}
