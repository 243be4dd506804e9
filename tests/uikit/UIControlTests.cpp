#include "TouchScript.h"
#include "WidgetTestSupport.h"

#include "platform/uikit/UIButton.h"

#include "tests/support/ManualClockTest.h"

#include <gtest/gtest.h>

namespace {

class Recorder : public NSObject {
    NS_OBJECT(Recorder, NSObject)
public:
    void pressed(UIButton&) { events.push_back("up-inside"); }
    void released() { events.push_back("up-outside"); }
    void down(UIControl&, const UIEventRef& event) { events.push_back(event ? "down" : "down-without-event"); }
    std::vector<std::string> events;
};

class UIControlTouches : public testing_support::ManualClockTest<> {
protected:
    void SetUp() override
    {
        ManualClockTest::SetUp();
        m_window = UIWindow::create(CGRectMake(0, 0, 320, 568));
        m_window->makeKeyAndVisible();
        m_button = UIButton::buttonWithType(UIButtonTypeCustom);
        m_button->setFrame(CGRectMake(100, 200, 100, 40));
        m_window->addSubview(m_button);
        m_recorder = Recorder::create();
        m_button->addTarget(m_recorder, &Recorder::pressed, UIControlEventTouchUpInside);
        m_button->addTarget(m_recorder, &Recorder::released, UIControlEventTouchUpOutside);
    }

    // Down in the middle of the button, then up where asked.
    void pressAndLiftAt(CGPoint lift)
    {
        auto touch = m_touches.down(CGPointMake(150, 220));
        m_touches.move(touch, lift);
        m_touches.up(touch);
    }

    UIWindowRef m_window;
    UIButtonRef m_button;
    std::shared_ptr<Recorder> m_recorder;
    TouchScript m_touches { nullptr };
};

} // namespace

TEST_F(UIControlTouches, touchUpInsideOnlyWithinTheBoundsAndTheSlop)
{
    m_touches = TouchScript(m_window);
    const std::pair<CGPoint, const char*> lifts[] = {
        { CGPointMake(150, 220), "up-inside" },
        { CGPointMake(100, 200), "up-inside" },
        // 69 points beyond each edge is still inside; 71 is not.
        { CGPointMake(100 + 100 + 69, 220), "up-inside" },
        { CGPointMake(100 - 69, 220), "up-inside" },
        { CGPointMake(150, 200 - 69), "up-inside" },
        { CGPointMake(150, 240 + 69), "up-inside" },
        { CGPointMake(100 + 100 + 71, 220), "up-outside" },
        { CGPointMake(100 - 71, 220), "up-outside" },
        { CGPointMake(150, 200 - 71), "up-outside" },
        { CGPointMake(150, 240 + 71), "up-outside" },
    };
    for (const auto& [point, expected] : lifts) {
        m_recorder->events.clear();
        pressAndLiftAt(point);
        EXPECT_EQ(m_recorder->events, std::vector<std::string> { expected }) << point.x << "," << point.y;
        EXPECT_FALSE(m_button->isHighlighted());
        EXPECT_FALSE(m_button->isTracking());
    }
}

TEST_F(UIControlTouches, highlightFollowsTheFingerWithDragEvents)
{
    m_touches = TouchScript(m_window);
    std::vector<UIControlEvents> seen;
    m_button->addTarget(nullptr, UIControl::Action([&](UIControl&, const UIEventRef&) { seen.push_back(0); }),
        UIControlEventTouchDown);
    for (UIControlEvents event : { UIControlEventTouchDragInside, UIControlEventTouchDragOutside, UIControlEventTouchDragEnter,
             UIControlEventTouchDragExit, UIControlEventTouchCancel }) {
        m_button->addTarget(nullptr, UIControl::Action([&seen, event](UIControl&, const UIEventRef&) { seen.push_back(event); }), event);
    }
    auto touch = m_touches.down(CGPointMake(150, 220));
    EXPECT_TRUE(m_button->isHighlighted());
    EXPECT_EQ(m_button->state(), UIControlStateHighlighted);
    m_touches.move(touch, CGPointMake(400, 220));
    EXPECT_FALSE(m_button->isHighlighted());
    EXPECT_FALSE(m_button->isTouchInside());
    m_touches.move(touch, CGPointMake(420, 220));
    m_touches.move(touch, CGPointMake(160, 220));
    EXPECT_TRUE(m_button->isHighlighted());
    m_touches.cancel(touch);
    EXPECT_FALSE(m_button->isHighlighted());
    // Events of one move reach their targets in the order the targets were added.
    const std::vector<UIControlEvents> expected { 0, UIControlEventTouchDragOutside, UIControlEventTouchDragExit,
        UIControlEventTouchDragOutside, UIControlEventTouchDragInside, UIControlEventTouchDragEnter, UIControlEventTouchCancel };
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(m_recorder->events.empty());
}

TEST_F(UIControlTouches, actionsGetTheEventAndRepeatsAreReportedOnce)
{
    m_touches = TouchScript(m_window);
    m_button->addTarget(m_recorder, &Recorder::down, UIControlEventTouchDown);
    // The same target and action again adds no second call.
    m_button->addTarget(m_recorder, &Recorder::pressed, UIControlEventTouchUpInside);
    m_touches.tap(CGPointMake(150, 220));
    EXPECT_EQ(m_recorder->events, (std::vector<std::string> { "down", "up-inside" }));

    int repeats = 0;
    m_button->addTarget(nullptr, UIControl::Action([&](UIControl&, const UIEventRef&) { ++repeats; }), UIControlEventTouchDownRepeat);
    m_touches.up(m_touches.down(CGPointMake(150, 220), 2));
    EXPECT_EQ(repeats, 1);

    m_button->sendActionsForControlEvents(UIControlEventTouchDown);
    EXPECT_EQ(m_recorder->events.back(), "down-without-event");
}

TEST_F(UIControlTouches, targetsAreWeakAndRemovable)
{
    m_touches = TouchScript(m_window);
    EXPECT_EQ(m_button->allControlEvents(), UIControlEventTouchUpInside | UIControlEventTouchUpOutside);
    EXPECT_EQ(m_button->allTargets().size(), 1u);
    m_button->removeTarget(m_recorder, UIControlEventTouchUpOutside);
    EXPECT_EQ(m_button->allControlEvents(), UIControlEventTouchUpInside);
    pressAndLiftAt(CGPointMake(500, 500));
    EXPECT_TRUE(m_recorder->events.empty());

    // A target gone away is skipped, not called.
    m_recorder.reset();
    m_touches.tap(CGPointMake(150, 220));
    EXPECT_EQ(m_button->allControlEvents(), 0u);
    EXPECT_TRUE(m_button->allTargets().empty());

    int blocks = 0;
    m_button->addTarget(nullptr, UIControl::Action([&](UIControl&, const UIEventRef&) { ++blocks; }), UIControlEventTouchUpInside);
    m_button->removeTarget(nullptr, UIControlEventAllEvents);
    m_touches.tap(CGPointMake(150, 220));
    EXPECT_EQ(blocks, 0);
}

TEST_F(UIControlTouches, aDisabledControlPassesItsTouchesOn)
{
    m_touches = TouchScript(m_window);
    m_button->setEnabled(false);
    EXPECT_EQ(m_button->state(), UIControlStateDisabled);
    m_touches.tap(CGPointMake(150, 220));
    EXPECT_TRUE(m_recorder->events.empty());
    EXPECT_FALSE(m_button->isHighlighted());
    m_button->setEnabled(true);
    m_button->setSelected(true);
    EXPECT_EQ(m_button->state(), UIControlStateSelected);
    m_touches.tap(CGPointMake(150, 220));
    EXPECT_EQ(m_recorder->events, std::vector<std::string> { "up-inside" });
}

TEST_F(UIControlTouches, anActionMayRemoveItsControl)
{
    m_touches = TouchScript(m_window);
    std::weak_ptr<UIButton> weakButton = m_button;
    m_button->addTarget(nullptr, UIControl::Action([&](UIControl& sender, const UIEventRef&) {
        sender.removeFromSuperview();
        m_button.reset();
    }), UIControlEventTouchUpInside);
    m_touches.tap(CGPointMake(150, 220));
    EXPECT_EQ(m_recorder->events, std::vector<std::string> { "up-inside" });
    auto button = weakButton.lock();
    EXPECT_TRUE(!button || !button->superview());
}

TEST_F(UIControlTouches, aSecondFingerDoesNotDisturbTheTrackedOne)
{
    m_touches = TouchScript(m_window);
    auto first = m_touches.down(CGPointMake(150, 220));
    auto second = m_touches.down(CGPointMake(160, 225));
    m_touches.up(second);
    EXPECT_TRUE(m_button->isTracking());
    EXPECT_TRUE(m_recorder->events.empty());
    m_touches.up(first);
    EXPECT_EQ(m_recorder->events, std::vector<std::string> { "up-inside" });
}
