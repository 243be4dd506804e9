#include "TextInputTestSupport.h"

#include "platform/uikit/KeyboardKeysView.h"
#include "platform/uikit/UITextInputTraits.h"

namespace {

// The least a responder needs to bring up the keyboard: it takes typed text.
class TypingView : public UIView, public UIKeyInput, public UITextInputTraits {
    NS_OBJECT(TypingView, UIView)
public:
    bool canBecomeFirstResponder() const override { return true; }
    bool hasText() const override { return !typed.empty(); }
    void insertText(const NSString& text) override { typed += text.UTF8String(); }
    void deleteBackward() override { typed.clear(); }
    bool returnKeyEnabled() const override { return !enablesReturnKeyAutomatically() || hasText(); }
    UIViewRef inputView() const override { return input; }
    UIViewRef inputAccessoryView() const override { return accessory; }

    std::string typed;
    UIViewRef input;
    UIViewRef accessory;
};

// Takes focus without taking text.
class FocusView : public UIView {
    NS_OBJECT(FocusView, UIView)
public:
    bool canBecomeFirstResponder() const override { return true; }
};

const std::string kHidden = "(0,568,320,216)";
const std::string kShown = "(0,352,320,216)";

} // namespace

class OnScreenKeyboardTest : public TextInputTest {
protected:
    void SetUp() override
    {
        TextInputTest::SetUp();
        m_typing = TypingView::create(CGRectMake(0, 100, 320, 40));
        m_other = TypingView::create(CGRectMake(0, 150, 320, 40));
        m_controller->view()->addSubview(m_typing);
        m_controller->view()->addSubview(m_other);
    }

    KeyboardKeysView& keys() { return static_cast<KeyboardKeysView&>(*m_keyboard->keysView()); }

    std::shared_ptr<TypingView> m_typing;
    std::shared_ptr<TypingView> m_other;
};

TEST_F(OnScreenKeyboardTest, comesUpForATextResponderAndGoesWhenItResigns)
{
    EXPECT_TRUE(m_typing->becomeFirstResponder());
    EXPECT_EQ(takeLog(), (Strings { "WillChangeFrame " + kHidden + ">" + kShown, "WillShow " + kHidden + ">" + kShown }));
    EXPECT_DOUBLE_EQ(m_duration, 0.25);
    EXPECT_EQ(m_curve, 7);
    EXPECT_FALSE(m_keyboard->window()->isHidden());
    EXPECT_EQ(m_keyboard->window()->windowLevel(), OnScreenKeyboard::windowLevel);
    EXPECT_EQ(m_keyboard->responder(), m_typing);
    EXPECT_FALSE(m_keyboard->window()->isKeyWindow());
    m_host->advance(0.3);
    EXPECT_EQ(takeLog(), (Strings { "DidChangeFrame " + kHidden + ">" + kShown, "DidShow " + kHidden + ">" + kShown }));
    EXPECT_TRUE(CGRectEqualToRect(m_keyboard->window()->frame(), CGRectMake(0, 352, 320, 216)));

    m_host->typeText("科目一");
    EXPECT_EQ(m_typing->typed, "科目一");

    EXPECT_TRUE(m_typing->resignFirstResponder());
    EXPECT_EQ(takeLog(), (Strings { "WillChangeFrame " + kShown + ">" + kHidden, "WillHide " + kShown + ">" + kHidden }));
    m_host->runUntilIdle();
    EXPECT_EQ(takeLog(), (Strings { "DidChangeFrame " + kShown + ">" + kHidden, "DidHide " + kShown + ">" + kHidden }));
    EXPECT_TRUE(m_keyboard->window()->isHidden());
    EXPECT_EQ(m_keyboard->responder(), nullptr);
}

TEST_F(OnScreenKeyboardTest, stayingUpFromOneResponderToTheNextAnnouncesTheNewFrame)
{
    m_typing->becomeFirstResponder();
    m_host->runUntilIdle();
    takeLog();
    m_other->accessory = UIView::create(CGRectMake(0, 0, 320, 44));
    m_other->becomeFirstResponder();
    m_host->runUntilIdle();
    EXPECT_EQ(takeLog(), (Strings { "WillChangeFrame " + kShown + ">(0,308,320,260)", "WillShow " + kShown + ">(0,308,320,260)",
                             "DidChangeFrame " + kShown + ">(0,308,320,260)", "DidShow " + kShown + ">(0,308,320,260)" }));
    // The accessory sits on the keys, inside the announced frame.
    EXPECT_EQ(m_other->accessory->window(), m_keyboard->window());
    EXPECT_TRUE(CGRectEqualToRect(m_other->accessory->frame(), CGRectMake(0, 0, 320, 44)));
    EXPECT_TRUE(CGRectEqualToRect(m_keyboard->keysView()->frame(), CGRectMake(0, 44, 320, 216)));
    EXPECT_TRUE(CGRectEqualToRect(m_keyboard->window()->frame(), CGRectMake(0, 308, 320, 260)));
}

TEST_F(OnScreenKeyboardTest, aResponderWithoutTextTakesTheKeyboardAway)
{
    auto focus = FocusView::create(CGRectMake(0, 200, 10, 10));
    m_controller->view()->addSubview(focus);
    m_typing->becomeFirstResponder();
    m_host->runUntilIdle();
    takeLog();
    EXPECT_TRUE(focus->becomeFirstResponder());
    m_host->runUntilIdle();
    EXPECT_EQ(takeLog(), (Strings { "WillChangeFrame " + kShown + ">" + kHidden, "WillHide " + kShown + ">" + kHidden,
                             "DidChangeFrame " + kShown + ">" + kHidden, "DidHide " + kShown + ">" + kHidden }));
    // Taking focus back from it brings the keyboard up again from below.
    m_other->becomeFirstResponder();
    EXPECT_EQ(takeLog().back(), "WillShow " + kHidden + ">" + kShown);
}

TEST_F(OnScreenKeyboardTest, anInputViewStandsInForTheKeysAndLeavesWithThem)
{
    auto picker = UIView::create(CGRectMake(0, 0, 320, 180));
    auto toolbar = UIView::create(CGRectMake(0, 0, 320, 44));
    m_typing->input = picker;
    m_typing->accessory = toolbar;
    m_typing->becomeFirstResponder();
    EXPECT_EQ(takeLog().back(), "WillShow (0,568,320,224)>(0,344,320,224)");
    EXPECT_TRUE(m_keyboard->keysView()->isHidden());
    EXPECT_TRUE(CGRectEqualToRect(picker->frame(), CGRectMake(0, 44, 320, 180)));
    m_typing->resignFirstResponder();
    m_host->runUntilIdle();
    EXPECT_EQ(picker->superview(), nullptr);
    EXPECT_EQ(toolbar->superview(), nullptr);

    // A view that someone else took meanwhile stays where it went.
    m_typing->becomeFirstResponder();
    auto elsewhere = UIView::create(CGRectMake(0, 0, 320, 300));
    elsewhere->addSubview(toolbar);
    m_typing->resignFirstResponder();
    m_host->runUntilIdle();
    EXPECT_EQ(toolbar->superview(), elsewhere);
}

TEST_F(OnScreenKeyboardTest, aDisabledReturnKeySwallowsReturn)
{
    m_typing->setEnablesReturnKeyAutomatically(true);
    m_typing->setReturnKeyType(UIReturnKeyType::Next);
    m_typing->becomeFirstResponder();
    EXPECT_EQ(keys().returnKeyTitle(), "下一项");
    EXPECT_TRUE(m_host->pressReturn());
    EXPECT_EQ(m_typing->typed, "");
    m_host->typeText("a");
    m_host->pressReturn();
    EXPECT_EQ(m_typing->typed, "a\n");
    EXPECT_EQ(KeyboardKeysView::returnKeyTitle(99), "换行");
    EXPECT_EQ(KeyboardKeysView::returnKeyTitle(10), "紧急呼叫");
    EXPECT_EQ(KeyboardKeysView::returnKeyTitle(static_cast<NSInteger>(UIReturnKeyType::Go)), "前往");
    EXPECT_EQ(KeyboardKeysView::returnKeyTitle(static_cast<NSInteger>(UIReturnKeyType::Done)), "完成");
    EXPECT_EQ(KeyboardKeysView::returnKeyTitle(static_cast<NSInteger>(UIReturnKeyType::Send)), "发送");
}

// Taps on the drawn keys, aimed at their centres on the screen.
class OnScreenKeyboardKeysTest : public OnScreenKeyboardTest {
protected:
    bool tapKey(const NSString& title)
    {
        const auto frame = keys().frameOfKey(title);
        if (!frame)
            return false;
        const CGPoint inView = CGPointMake(CGRectGetMidX(*frame), CGRectGetMidY(*frame));
        const CGPoint inWindow = m_keyboard->keysView()->convertPointToView(inView, nullptr);
        m_host->tap(m_keyboard->window()->convertPointToWindow(inWindow, nullptr));
        return true;
    }
};

TEST_F(OnScreenKeyboardKeysTest, lettersShiftDeleteSpaceAndTheOtherPagesType)
{
    m_typing->becomeFirstResponder();
    m_host->runUntilIdle();
    ASSERT_TRUE(tapKey("⇧"));
    EXPECT_TRUE(keys().isShifted());
    ASSERT_TRUE(tapKey("Q"));
    EXPECT_FALSE(keys().isShifted());
    ASSERT_TRUE(tapKey("w"));
    ASSERT_TRUE(tapKey("空格"));
    ASSERT_TRUE(tapKey("123"));
    EXPECT_EQ(keys().page(), KeyboardKeysView::Page::Digits);
    ASSERT_TRUE(tapKey("5"));
    ASSERT_TRUE(tapKey("@"));
    ASSERT_TRUE(tapKey("#+="));
    ASSERT_TRUE(tapKey("%"));
    ASSERT_TRUE(tapKey("ABC"));
    EXPECT_EQ(keys().page(), KeyboardKeysView::Page::Letters);
    ASSERT_TRUE(tapKey("，"));
    EXPECT_EQ(m_typing->typed, "Qw 5@%，");
    ASSERT_TRUE(tapKey("⌫"));
    EXPECT_EQ(m_typing->typed, "");
    // Keys that are not shown now are not there to tap.
    EXPECT_FALSE(keys().frameOfKey("%"));
}

TEST_F(OnScreenKeyboardKeysTest, theReturnKeyIsTheResponderReturnKeyAndANumberPadTypesDigits)
{
    m_typing->setReturnKeyType(UIReturnKeyType::Go);
    m_typing->setEnablesReturnKeyAutomatically(true);
    m_typing->becomeFirstResponder();
    m_host->runUntilIdle();
    ASSERT_TRUE(tapKey("前往"));
    EXPECT_EQ(m_typing->typed, "") << "a disabled return key does nothing";
    ASSERT_TRUE(tapKey("a"));
    ASSERT_TRUE(tapKey("前往"));
    EXPECT_EQ(m_typing->typed, "a\n");

    m_other->setKeyboardType(UIKeyboardType::NumberPad);
    m_other->becomeFirstResponder();
    m_host->runUntilIdle();
    EXPECT_EQ(keys().keyTitles().size(), 12u);
    for (const char* digit : { "5", "1", "0" })
        ASSERT_TRUE(tapKey(digit));
    EXPECT_EQ(m_other->typed, "510");
    // A finger that slides off every key types nothing.
    const CGPoint gap = m_keyboard->window()->convertPointToWindow(m_keyboard->keysView()->convertPointToView(CGPointMake(160, -30), nullptr), nullptr);
    m_host->tap(gap);
    EXPECT_EQ(m_other->typed, "510");
}

TEST_F(OnScreenKeyboardTest, aResponderRemovedWhileTypingTakesTheKeyboardAlong)
{
    m_typing->becomeFirstResponder();
    m_host->runUntilIdle();
    takeLog();
    m_typing->removeFromSuperview();
    EXPECT_FALSE(m_keyboard->isVisible());
    EXPECT_EQ(takeLog().back(), "WillHide " + kShown + ">" + kHidden);
}

TEST_F(OnScreenKeyboardTest, theKeysAreDrawnForTheKindOfText)
{
    m_controller->view()->setBackgroundColor(UIColor::colorWithRed(0.2, 0.4, 0.6, 1));
    m_typing->setReturnKeyType(UIReturnKeyType::Done);
    m_typing->becomeFirstResponder();
    m_host->runUntilIdle();
    auto near = [](std::array<uint8_t, 4> pixel, int r, int g, int b) {
        return std::abs(pixel[0] - r) < 12 && std::abs(pixel[1] - g) < 12 && std::abs(pixel[2] - b) < 12;
    };
    EXPECT_TRUE(near(m_host->pixelAt(CGPointMake(10, 300)), 51, 102, 153));
    EXPECT_TRUE(near(m_host->pixelAt(CGPointMake(1, 355)), 209, 214, 219));
    EXPECT_TRUE(near(m_host->pixelAt(CGPointMake(8, 366)), 255, 255, 255));
    EXPECT_TRUE(near(m_host->pixelAt(CGPointMake(245, 530)), 0, 122, 255));

    // A dark number pad for the next responder.
    m_other->setKeyboardType(UIKeyboardType::NumberPad);
    m_other->setKeyboardAppearance(UIKeyboardAppearance::Dark);
    m_other->becomeFirstResponder();
    m_host->runUntilIdle();
    EXPECT_TRUE(near(m_host->pixelAt(CGPointMake(2, 355)), 64, 64, 69));
    EXPECT_TRUE(near(m_host->pixelAt(CGPointMake(50, 380)), 115, 115, 120));
}
