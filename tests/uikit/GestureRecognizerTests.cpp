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

namespace {
class Simultaneous : public UIGestureRecognizerDelegate {
public:
    std::optional<bool> shouldRecognizeSimultaneouslyWithGestureRecognizer(UIGestureRecognizer&, UIGestureRecognizer&) override
    {
        return true;
    }
};
} // namespace

TEST_F(GestureTest, twoFingersMakeATwoFingerTapAndAPanFollowsTheirCentre)
{
    auto tap = addTap("two");
    tap->setNumberOfTouchesRequired(2);
    target->setMultipleTouchEnabled(true);
    host->touchDown(CGPointMake(100, 200), 0);
    host->touchDown(CGPointMake(140, 200), 1);
    EXPECT_EQ(tap->numberOfTouches(), 2u);
    EXPECT_EQ(tap->locationInView(nullptr), CGPointMake(120, 200));
    EXPECT_EQ(tap->locationOfTouch(1, nullptr), CGPointMake(140, 200));
    EXPECT_EQ(tap->locationOfTouch(5, nullptr), CGPointZero);
    host->touchUp(CGPointMake(140, 200), 1);
    host->touchUp(CGPointMake(100, 200), 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), "two.3"), 1);
    EXPECT_EQ(tap->locationInView(target), CGPointMake(120, 100));

    log.clear();
    host->tap(CGPointMake(100, 200));
    EXPECT_EQ(std::count(log.begin(), log.end(), "two.3"), 0);

    target->removeGestureRecognizer(tap);
    auto pan = UIPanGestureRecognizer::create(recorder, &Recorder::panned);
    pan->setMinimumNumberOfTouches(2);
    target->addGestureRecognizer(pan);
    host->touchDown(CGPointMake(100, 200), 0);
    host->touchMove(CGPointMake(130, 200), 0);
    EXPECT_TRUE(recorder->states.empty());
    host->touchDown(CGPointMake(100, 240), 1);
    host->touchMove(CGPointMake(150, 200), 0);
    ASSERT_FALSE(recorder->states.empty());
    pan->setTranslation(CGPointZero, target);
    host->touchMove(CGPointMake(160, 200), 0);
    EXPECT_NEAR(recorder->translation.x, 5, 1e-9);
    host->touchUp(CGPointMake(160, 200), 0);
    host->touchUp(CGPointMake(100, 240), 1);
    EXPECT_EQ(recorder->states.back(), UIGestureRecognizerState::Ended);
}

TEST_F(GestureTest, recognisersMayAgreeToRecogniseTogetherAndTargetsCanBeRemoved)
{
    auto first = addTap("first");
    auto second = addTap("second");
    auto together = std::make_shared<Simultaneous>();
    second->setDelegate(together);
    host->tap(CGPointMake(100, 200));
    EXPECT_EQ(std::count(log.begin(), log.end(), "first.3"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "second.3"), 1);
    log.clear();
    first->removeTarget(keep.front());
    second->removeTarget(nullptr);
    host->tap(CGPointMake(100, 200));
    EXPECT_EQ(std::count(log.begin(), log.end(), "first.3"), 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), "second.3"), 0);
}

TEST(GestureByHand, aRecogniserOutsideAnyWindowStillChangesAndSendsItsActions)
{
    auto host = HeadlessHost::create();
    std::vector<UIGestureRecognizerState> seen;
    auto pan = UIPanGestureRecognizer::create([&](UIGestureRecognizer& recognizer) { seen.push_back(recognizer.state()); });
    auto view = UIView::create();
    view->addGestureRecognizer(pan);
    EXPECT_EQ(pan->view(), view);
    EXPECT_EQ(pan->translationInView(view), CGPointZero);
    EXPECT_EQ(pan->velocityInView(view), CGPointZero);
    // Moved to another view, the recogniser leaves the first.
    auto other = UIView::create();
    other->addGestureRecognizer(pan);
    EXPECT_TRUE(view->gestureRecognizers().empty());
    other->removeGestureRecognizer(pan);
    other->removeGestureRecognizer(pan);
    EXPECT_EQ(pan->view(), nullptr);
    pan->setEnabled(false);
    pan->setEnabled(false);
    EXPECT_FALSE(pan->isEnabled());
    EXPECT_TRUE(seen.empty());
    pan->requireGestureRecognizerToFail(pan);
    pan->requireGestureRecognizerToFail(nullptr);
    EXPECT_TRUE(pan->failureRequirements().empty());
}

TEST_F(GestureTest, anEventTellsItsTouchesByViewWindowAndRecogniser)
{
    auto tap = addTap("tap");
    host->touchDown(CGPointMake(100, 200));
    auto touch = tap->touches().anyObject();
    ASSERT_TRUE(touch);
    auto event = UIEvent::create();
    event->setTouches(UITouchSet(touch));
    EXPECT_EQ(event->type(), UIEventType::Touches);
    EXPECT_EQ(event->touchesForView(target).count(), 1u);
    EXPECT_EQ(event->touchesForView(root->view()).count(), 0u);
    EXPECT_EQ(event->touchesForWindow(host->keyWindow()).count(), 1u);
    EXPECT_EQ(event->touchesForGestureRecognizer(tap).count(), 1u);
    EXPECT_EQ(event->touchesForGestureRecognizer(UITapGestureRecognizer::create()).count(), 0u);
    EXPECT_EQ(touch->tapCount(), 1u);
    EXPECT_EQ(touch->phase(), UITouchPhase::Began);
    EXPECT_EQ(touch->previousLocationInView(target), CGPointMake(100, 100));
    UITouchSet set;
    EXPECT_EQ(set.anyObject(), nullptr);
    set.addObject(touch);
    set.addObject(touch);
    set.addObject(nullptr);
    EXPECT_EQ(set.count(), 1u);
    set.removeObject(touch);
    EXPECT_TRUE(set.empty());
    host->touchUp(CGPointMake(100, 200));
    // A second tap soon after at the same place counts as the second of a series.
    host->touchDown(CGPointMake(101, 200));
    EXPECT_EQ(tap->touches().anyObject()->tapCount(), 2u);
    host->touchUp(CGPointMake(101, 200));
}
