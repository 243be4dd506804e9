#include "platform/uikit/KeyboardTransitions.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/SystemClock.h"
#include "platform/layers/NSValueGeometry.h"

#include "tests/support/ManualClockTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Heard {
    std::string name;
    CGRect begin;
    CGRect end;
    double duration;
    NSInteger curve;
};

class KeyboardTransitionsTest : public testing_support::ManualClockTest<1000> {
protected:
    void SetUp() override
    {
        ManualClockTest::SetUp();
        for (const char* name : { UIKeyboardWillShowNotification, UIKeyboardDidShowNotification, UIKeyboardWillHideNotification,
                 UIKeyboardDidHideNotification, UIKeyboardWillChangeFrameNotification, UIKeyboardDidChangeFrameNotification }) {
            m_tokens.push_back(NSNotificationCenter::defaultCenter()->addObserverForName(name, nullptr, nullptr,
                [this](const std::shared_ptr<NSNotification>& notification) {
                    auto info = notification->userInfo();
                    auto number = [&](const char* key) { return std::dynamic_pointer_cast<NSNumber>(info->objectForKey(key)); };
                    m_heard.push_back({ notification->name().UTF8String(),
                        NSValueGeometry::CGRectValue(info->objectForKey(UIKeyboardFrameBeginUserInfoKey)),
                        NSValueGeometry::CGRectValue(info->objectForKey(UIKeyboardFrameEndUserInfoKey)),
                        number(UIKeyboardAnimationDurationUserInfoKey)->doubleValue(),
                        number(UIKeyboardAnimationCurveUserInfoKey)->integerValue() });
                }));
        }
        m_keyboard = KeyboardTransitions::create(CGRectMake(0, 0, 320, 568));
    }

    void TearDown() override
    {
        for (auto& token : m_tokens)
            NSNotificationCenter::defaultCenter()->removeObserver(token);
        ManualClockTest::TearDown();
    }

    std::vector<std::string> names() const
    {
        std::vector<std::string> result;
        for (auto& heard : m_heard)
            result.push_back(heard.name);
        return result;
    }

    std::vector<id> m_tokens;
    std::vector<Heard> m_heard;
    std::shared_ptr<KeyboardTransitions> m_keyboard;
};

const std::vector<std::string> showSequence { "UIKeyboardWillChangeFrameNotification", "UIKeyboardWillShowNotification",
    "UIKeyboardDidChangeFrameNotification", "UIKeyboardDidShowNotification" };
const std::vector<std::string> hideSequence { "UIKeyboardWillChangeFrameNotification", "UIKeyboardWillHideNotification",
    "UIKeyboardDidChangeFrameNotification", "UIKeyboardDidHideNotification" };

} // namespace

TEST_F(KeyboardTransitionsTest, showAnnouncesAtOnceAndFinishesAfterTheDuration)
{
    m_keyboard->show(216);
    ASSERT_EQ(names(), std::vector<std::string>(showSequence.begin(), showSequence.begin() + 2));
    EXPECT_EQ(m_keyboard->phase(), KeyboardTransitions::Phase::Showing);
    EXPECT_TRUE(CGRectEqualToRect(m_heard[1].begin, CGRectMake(0, 568, 320, 216)));
    EXPECT_TRUE(CGRectEqualToRect(m_heard[1].end, CGRectMake(0, 352, 320, 216)));
    EXPECT_DOUBLE_EQ(m_heard[1].duration, 0.25);
    EXPECT_EQ(m_heard[1].curve, 7);

    NSRunLoop::mainRunLoop()->advanceClock(0.2);
    EXPECT_EQ(m_heard.size(), 2u);
    NSRunLoop::mainRunLoop()->advanceClock(0.1);
    EXPECT_EQ(names(), showSequence);
    EXPECT_TRUE(CGRectEqualToRect(m_heard[3].end, CGRectMake(0, 352, 320, 216)));
    EXPECT_EQ(m_keyboard->phase(), KeyboardTransitions::Phase::Shown);
    EXPECT_TRUE(m_keyboard->isVisible());
}

TEST_F(KeyboardTransitionsTest, hideMovesTheKeyboardBelowTheScreen)
{
    m_keyboard->show(260);
    NSRunLoop::mainRunLoop()->advanceClock(1);
    m_heard.clear();
    m_keyboard->hide();
    EXPECT_FALSE(m_keyboard->isVisible());
    NSRunLoop::mainRunLoop()->advanceClock(1);
    EXPECT_EQ(names(), hideSequence);
    EXPECT_TRUE(CGRectEqualToRect(m_heard[1].begin, CGRectMake(0, 308, 320, 260)));
    EXPECT_TRUE(CGRectEqualToRect(m_heard[1].end, CGRectMake(0, 568, 320, 260)));
    EXPECT_EQ(m_keyboard->phase(), KeyboardTransitions::Phase::Hidden);

    m_heard.clear();
    m_keyboard->hide();
    EXPECT_TRUE(m_heard.empty());
}

TEST_F(KeyboardTransitionsTest, showWhileUpAnnouncesTheMoveFromThePresentFrame)
{
    m_keyboard->show(216);
    NSRunLoop::mainRunLoop()->advanceClock(1);
    m_heard.clear();
    m_keyboard->show(260);
    NSRunLoop::mainRunLoop()->advanceClock(1);
    EXPECT_EQ(names(), showSequence);
    EXPECT_TRUE(CGRectEqualToRect(m_heard[1].begin, CGRectMake(0, 352, 320, 216)));
    EXPECT_TRUE(CGRectEqualToRect(m_heard[1].end, CGRectMake(0, 308, 320, 260)));
}

TEST_F(KeyboardTransitionsTest, anInterruptedTransitionStillEndsWithItsDidNotifications)
{
    std::vector<KeyboardTransitions::Phase> started;
    m_keyboard->setTransitionHandler([&](KeyboardTransitions::Phase phase, CGRect, CGRect) { started.push_back(phase); });
    m_keyboard->show(216);
    m_keyboard->hide();
    m_keyboard->show(216);
    NSRunLoop::mainRunLoop()->advanceClock(1);
    std::vector<std::string> expected(showSequence);
    expected.insert(expected.end(), hideSequence.begin(), hideSequence.end());
    expected.insert(expected.end(), showSequence.begin(), showSequence.end());
    EXPECT_EQ(names(), expected);
    EXPECT_EQ(started, (std::vector { KeyboardTransitions::Phase::Showing, KeyboardTransitions::Phase::Hiding, KeyboardTransitions::Phase::Showing }));
    // The second show starts below the screen, where the hide sent it.
    EXPECT_TRUE(CGRectEqualToRect(m_heard[9].begin, CGRectMake(0, 568, 320, 216)));
}

TEST_F(KeyboardTransitionsTest, aKeyboardGoneBeforeItsAnimationEndsPostsNothingMore)
{
    m_keyboard->show(216);
    m_keyboard.reset();
    NSRunLoop::mainRunLoop()->advanceClock(1);
    EXPECT_EQ(m_heard.size(), 2u);
}
