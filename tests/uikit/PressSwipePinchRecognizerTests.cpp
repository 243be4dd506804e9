#include "TouchScript.h"

#include "platform/uikit/UILongPressGestureRecognizer.h"
#include "platform/uikit/UIPinchGestureRecognizer.h"
#include "platform/uikit/UISwipeGestureRecognizer.h"

#include "tests/support/ManualClockTest.h"

#include <gtest/gtest.h>

namespace {

using State = UIGestureRecognizerState;

class Gestures : public testing_support::ManualClockTest<> {
protected:
    void SetUp() override
    {
        ManualClockTest::SetUp();
        m_window = UIWindow::create(CGRectMake(0, 0, 320, 568));
        m_window->makeKeyAndVisible();
        m_view = UIView::create(CGRectMake(0, 0, 320, 568));
        m_window->addSubview(m_view);
        m_touches = TouchScript(m_window);
    }

    // Adds the recogniser to the view, recording the state at each action.
    template <class R>
    std::shared_ptr<R> watch(std::shared_ptr<R> recognizer)
    {
        recognizer->addTarget(nullptr, [this](UIGestureRecognizer& sender) { m_states.push_back(sender.state()); });
        m_view->addGestureRecognizer(recognizer);
        return recognizer;
    }

    UIWindowRef m_window;
    UIViewRef m_view;
    TouchScript m_touches { nullptr };
    std::vector<State> m_states;
};

} // namespace

TEST_F(Gestures, aLongPressBeginsOnceHeldForItsDuration)
{
    auto press = watch(UILongPressGestureRecognizer::create());
    EXPECT_EQ(press->minimumPressDuration(), 0.5);
    auto finger = m_touches.down(CGPointMake(100, 100));
    TouchScript::advance(0.49);
    EXPECT_EQ(press->state(), State::Possible);
    TouchScript::advance(0.02);
    EXPECT_EQ(press->state(), State::Began);
    EXPECT_EQ(press->locationInView(m_view), CGPointMake(100, 100));
    // Once begun, the finger may wander as far as it likes.
    m_touches.move(finger, CGPointMake(200, 300));
    EXPECT_EQ(press->locationInView(m_view), CGPointMake(200, 300));
    m_touches.up(finger);
    EXPECT_EQ(m_states, (std::vector<State> { State::Began, State::Changed, State::Ended }));
}

TEST_F(Gestures, aLongPressFailsWhenLiftedOrMovedTooEarly)
{
    auto press = watch(UILongPressGestureRecognizer::create());
    press->setMinimumPressDuration(0.01);
    press->setAllowableMovement(10);
    m_touches.up(m_touches.down(CGPointMake(100, 100)));
    TouchScript::advance(1);

    auto finger = m_touches.down(CGPointMake(100, 100));
    m_touches.move(finger, CGPointMake(109, 100));
    m_touches.move(finger, CGPointMake(111, 100));
    TouchScript::advance(1);
    m_touches.up(finger);
    EXPECT_TRUE(m_states.empty());

    // The next press starts afresh.
    finger = m_touches.down(CGPointMake(100, 100));
    TouchScript::advance(0.01);
    m_touches.cancel(finger);
    EXPECT_EQ(m_states, (std::vector<State> { State::Began, State::Cancelled }));
}

TEST_F(Gestures, aLongPressNeedsItsNumberOfFingers)
{
    auto press = watch(UILongPressGestureRecognizer::create());
    press->setNumberOfTouchesRequired(2);
    auto first = m_touches.down(CGPointMake(100, 100));
    TouchScript::advance(1);
    EXPECT_EQ(press->state(), State::Possible);
    auto second = m_touches.down(CGPointMake(150, 100));
    TouchScript::advance(0.5);
    EXPECT_EQ(press->state(), State::Began);
    m_touches.up(second);
    m_touches.up(first);
    EXPECT_EQ(m_states.back(), State::Ended);
}

TEST_F(Gestures, aRecogniserGoneDuringItsPressStopsItsTimer)
{
    auto press = UILongPressGestureRecognizer::create();
    m_view->addGestureRecognizer(press);
    auto finger = m_touches.down(CGPointMake(100, 100));
    m_view->removeGestureRecognizer(press);
    press.reset();
    TouchScript::advance(1);
    m_touches.up(finger);
}

TEST_F(Gestures, aSwipeIsRecognisedInItsDirectionOnly)
{
    auto swipe = watch(UISwipeGestureRecognizer::create());
    EXPECT_EQ(swipe->direction(), UISwipeGestureRecognizerDirectionRight);
    m_touches.drag(CGPointMake(100, 300), CGPointMake(40, 300), 0.2);
    EXPECT_TRUE(m_states.empty());
    m_touches.drag(CGPointMake(100, 300), CGPointMake(200, 310), 0.2);
    EXPECT_EQ(m_states, std::vector<State> { State::Recognized });

    m_states.clear();
    swipe->setDirection(UISwipeGestureRecognizerDirectionLeft | UISwipeGestureRecognizerDirectionUp);
    m_touches.drag(CGPointMake(100, 300), CGPointMake(40, 300), 0.2);
    m_touches.drag(CGPointMake(100, 300), CGPointMake(100, 200), 0.2);
    m_touches.drag(CGPointMake(100, 300), CGPointMake(100, 400), 0.2);
    EXPECT_EQ(m_states, (std::vector<State> { State::Recognized, State::Recognized }));
}

TEST_F(Gestures, slowShortOrSlantedStrokesAreNoSwipe)
{
    auto swipe = watch(UISwipeGestureRecognizer::create());
    swipe->setDirection(UISwipeGestureRecognizerDirectionDown);
    m_touches.drag(CGPointMake(100, 100), CGPointMake(100, 300), 1.5);
    m_touches.drag(CGPointMake(100, 100), CGPointMake(100, 130), 0.1);
    m_touches.drag(CGPointMake(100, 100), CGPointMake(200, 200), 0.2);
    EXPECT_TRUE(m_states.empty());
    // Two fingers where one is asked for.
    auto first = m_touches.down(CGPointMake(100, 100));
    auto second = m_touches.down(CGPointMake(120, 100));
    m_touches.move(first, CGPointMake(100, 200));
    m_touches.up(first);
    m_touches.up(second);
    EXPECT_TRUE(m_states.empty());
    swipe->setNumberOfTouchesRequired(2);
    first = m_touches.down(CGPointMake(100, 100));
    second = m_touches.down(CGPointMake(120, 100));
    m_touches.move(first, CGPointMake(100, 200));
    m_touches.move(second, CGPointMake(120, 200));
    EXPECT_EQ(m_states, std::vector<State> { State::Recognized });
    m_touches.up(first);
    m_touches.up(second);
}

TEST_F(Gestures, aPinchReportsTheScaleOfTheFingersDistance)
{
    auto pinch = watch(UIPinchGestureRecognizer::create());
    auto first = m_touches.down(CGPointMake(100, 300));
    auto second = m_touches.down(CGPointMake(200, 300));
    m_touches.move(second, CGPointMake(204, 300));
    EXPECT_EQ(pinch->state(), State::Possible);
    TouchScript::advance(0.1);
    m_touches.move(second, CGPointMake(250, 300));
    EXPECT_EQ(pinch->state(), State::Began);
    EXPECT_DOUBLE_EQ(pinch->scale(), 1.5);
    TouchScript::advance(0.1);
    m_touches.move(second, CGPointMake(300, 300));
    EXPECT_DOUBLE_EQ(pinch->scale(), 2);
    EXPECT_NEAR(pinch->velocity(), 5, 1e-3);
    EXPECT_EQ(pinch->locationInView(m_view), CGPointMake(200, 300));

    // Setting the scale makes later ones relative to now.
    pinch->setScale(1);
    TouchScript::advance(0.1);
    m_touches.move(first, CGPointMake(200, 300));
    EXPECT_DOUBLE_EQ(pinch->scale(), 0.5);
    m_touches.up(first);
    m_touches.up(second);
    EXPECT_EQ(m_states, (std::vector<State> { State::Began, State::Changed, State::Changed, State::Ended }));
    EXPECT_EQ(pinch->scale(), 1);
}

TEST_F(Gestures, oneFingerMakesNoPinch)
{
    auto pinch = watch(UIPinchGestureRecognizer::create());
    m_touches.drag(CGPointMake(100, 300), CGPointMake(300, 300), 0.3);
    auto first = m_touches.down(CGPointMake(100, 300));
    auto second = m_touches.down(CGPointMake(200, 300));
    m_touches.cancel(first);
    m_touches.cancel(second);
    EXPECT_TRUE(m_states.empty());
    pinch->setScale(-1);
    EXPECT_EQ(pinch->scale(), 1);
}
