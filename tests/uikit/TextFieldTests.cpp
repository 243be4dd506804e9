#include "TextInputTestSupport.h"

#include "platform/uikit/KeyboardKeysView.h"
#include "platform/uikit/UIPasteboard.h"
#include "platform/uikit/UIPickerView.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UITextField.h"
#include "platform/uikit/UITextView.h"

#include <filesystem>

namespace {

// Answers as told and writes each question into the log it shares with the notifications.
class ScriptedFieldDelegate : public NSObject, public UITextFieldDelegate {
    NS_OBJECT(ScriptedFieldDelegate, NSObject)
public:
    std::optional<bool> textFieldShouldBeginEditing(UITextField& field) override { return note("shouldBegin", field, allowBegin); }
    void textFieldDidBeginEditing(UITextField& field) override { note("didBegin", field, true); }
    std::optional<bool> textFieldShouldEndEditing(UITextField& field) override { return note("shouldEnd", field, allowEnd); }
    void textFieldDidEndEditing(UITextField& field) override { note("didEnd", field, true); }
    std::optional<bool> shouldChangeCharactersInRange(UITextField&, NSRange range, const NSString& text) override
    {
        if (log)
            log->push_back("shouldChange " + std::to_string(range.location) + "," + std::to_string(range.length) + " " + text.UTF8String());
        return refusedText.isNil() || !text.containsString(refusedText);
    }
    std::optional<bool> textFieldShouldClear(UITextField& field) override { return note("shouldClear", field, allowClear); }
    std::optional<bool> textFieldShouldReturn(UITextField& field) override
    {
        if (onReturn)
            onReturn(field);
        return note("shouldReturn", field, true);
    }

    bool note(const std::string& what, UITextField& field, bool answer)
    {
        if (log)
            log->push_back(what + " #" + std::to_string(field.tag()));
        return answer;
    }

    std::vector<std::string>* log { nullptr };
    bool allowBegin { true };
    bool allowEnd { true };
    bool allowClear { true };
    NSString refusedText;
    std::function<void(UITextField&)> onReturn;
};

const std::string kHidden = "(0,568,320,216)";
const std::string kShown = "(0,352,320,216)";

} // namespace

class TextFieldTest : public TextInputTest {
protected:
    void SetUp() override
    {
        TextInputTest::SetUp();
        for (const char* name : { UITextFieldTextDidBeginEditingNotification, UITextFieldTextDidChangeNotification,
                 UITextFieldTextDidEndEditingNotification })
            observe(name, false);
        m_first = addField(CGRectMake(20, 100, 280, 31), 1);
        m_second = addField(CGRectMake(20, 150, 280, 31), 2);
        m_delegate = ScriptedFieldDelegate::create();
        m_delegate->log = &m_log;
        m_first->setDelegate(m_delegate);
        m_second->setDelegate(m_delegate);
        m_host->runUntilIdle();
    }

    UITextFieldRef addField(CGRect frame, NSInteger tag)
    {
        auto field = UITextField::create(frame);
        field->setTag(tag);
        field->setBorderStyle(UITextBorderStyle::RoundedRect);
        m_controller->view()->addSubview(field);
        return field;
    }

    UITextFieldRef m_first;
    UITextFieldRef m_second;
    std::shared_ptr<ScriptedFieldDelegate> m_delegate;
};

TEST_F(TextFieldTest, aTapBeginsEditingBeforeTheKeyboardAnnouncesItsFrames)
{
    m_host->tap(m_first);
    EXPECT_TRUE(m_first->isFirstResponder());
    EXPECT_TRUE(m_first->isEditing());
    EXPECT_EQ(takeLog(), (Strings { "shouldBegin #1", "didBegin #1", "DidBeginEditing #1", "WillChangeFrame " + kHidden + ">" + kShown,
                             "WillShow " + kHidden + ">" + kShown }));
    EXPECT_DOUBLE_EQ(m_duration, 0.25);
    EXPECT_EQ(m_curve, 7);

    m_host->advance(0.3);
    EXPECT_EQ(takeLog(), (Strings { "DidChangeFrame " + kHidden + ">" + kShown, "DidShow " + kHidden + ">" + kShown }));
    EXPECT_TRUE(m_keyboard->isVisible());
    EXPECT_FALSE(m_keyboard->window()->isHidden());
    EXPECT_TRUE(CGRectEqualToRect(m_keyboard->window()->frame(), CGRectMake(0, 352, 320, 216)));
}

TEST_F(TextFieldTest, typedChineseArrivesWholeAndBackspaceTakesOneComposedCharacter)
{
    m_host->tap(m_first);
    m_host->runUntilIdle();
    int changes = 0;
    m_first->addTarget(nullptr, [&](UIControl&, const UIEventRef&) { ++changes; }, UIControlEventEditingChanged);
    takeLog();

    EXPECT_TRUE(m_host->typeText("科目一"));
    EXPECT_TRUE(m_host->typeText("👩‍👧"));
    EXPECT_EQ(m_first->text(), "科目一👩‍👧");
    EXPECT_EQ(m_first->selectedRange(), NSMakeRange(8, 0));
    EXPECT_TRUE(m_host->pressKey(UIKeyboardKey::Backspace));
    EXPECT_EQ(m_first->text(), "科目一");
    m_host->pressKey(UIKeyboardKey::Backspace);
    EXPECT_EQ(m_first->text(), "科目");
    EXPECT_EQ(takeLog(), (Strings { "shouldChange 0,0 科目一", "DidChange #1", "shouldChange 3,0 👩‍👧", "DidChange #1",
                             "shouldChange 3,5 ", "DidChange #1", "shouldChange 2,1 ", "DidChange #1" }));
    EXPECT_EQ(changes, 4);
}

TEST_F(TextFieldTest, movingToAnotherFieldEndsTheFirstAndAnnouncesTheKeyboardAgain)
{
    m_host->tap(m_first);
    m_host->runUntilIdle();
    takeLog();
    m_host->tap(m_second);
    EXPECT_TRUE(m_second->isFirstResponder());
    EXPECT_FALSE(m_first->isEditing());
    EXPECT_EQ(takeLog(), (Strings { "shouldBegin #2", "shouldEnd #1", "didEnd #1", "DidEndEditing #1", "didBegin #2",
                             "DidBeginEditing #2", "WillChangeFrame " + kShown + ">" + kShown, "WillShow " + kShown + ">" + kShown }));
    m_host->runUntilIdle();
    EXPECT_EQ(takeLog(), (Strings { "DidChangeFrame " + kShown + ">" + kShown, "DidShow " + kShown + ">" + kShown }));
}

TEST_F(TextFieldTest, resigningHidesTheKeyboard)
{
    m_host->tap(m_first);
    m_host->runUntilIdle();
    takeLog();
    EXPECT_TRUE(m_first->resignFirstResponder());
    EXPECT_EQ(takeLog(), (Strings { "shouldEnd #1", "didEnd #1", "DidEndEditing #1", "WillChangeFrame " + kShown + ">" + kHidden,
                             "WillHide " + kShown + ">" + kHidden }));
    EXPECT_FALSE(m_keyboard->isVisible());
    m_host->runUntilIdle();
    EXPECT_EQ(takeLog(), (Strings { "DidChangeFrame " + kShown + ">" + kHidden, "DidHide " + kShown + ">" + kHidden }));
    EXPECT_TRUE(m_keyboard->window()->isHidden());
}

TEST_F(TextFieldTest, aDelegateMayRefuseBeginningChangingAndEnding)
{
    m_delegate->allowBegin = false;
    m_host->tap(m_first);
    EXPECT_FALSE(m_first->isFirstResponder());
    EXPECT_EQ(takeLog(), (Strings { "shouldBegin #1" }));

    m_delegate->allowBegin = true;
    m_delegate->refusedText = "7";
    m_host->tap(m_first);
    m_host->typeText("驾校");
    m_host->typeText("127");
    EXPECT_EQ(m_first->text(), "驾校");
    m_host->pressKey(UIKeyboardKey::Backspace);
    EXPECT_EQ(m_first->text(), "驾");

    m_delegate->allowEnd = false;
    EXPECT_FALSE(m_first->resignFirstResponder());
    m_host->tap(m_second);
    EXPECT_TRUE(m_first->isFirstResponder());
    EXPECT_TRUE(m_keyboard->isVisible());
    // Forcing ends editing whatever the delegate says.
    EXPECT_TRUE(m_controller->view()->endEditing(true));
    EXPECT_FALSE(m_first->isEditing());
    EXPECT_FALSE(m_keyboard->isVisible());
}

TEST_F(TextFieldTest, returnAsksTheDelegateAndADisabledReturnKeyDoesNothing)
{
    m_first->setReturnKeyType(UIReturnKeyType::Done);
    m_first->setEnablesReturnKeyAutomatically(true);
    int exits = 0;
    m_first->addTarget(nullptr, [&](UIControl&, const UIEventRef&) { ++exits; }, UIControlEventEditingDidEndOnExit);
    m_host->tap(m_first);
    takeLog();
    EXPECT_TRUE(m_host->pressReturn());
    EXPECT_TRUE(takeLog().empty());
    EXPECT_EQ(static_cast<KeyboardKeysView&>(*m_keyboard->keysView()).returnKeyTitle(), "完成");

    m_host->typeText("a");
    takeLog();
    m_host->pressReturn();
    EXPECT_EQ(exits, 1);
    EXPECT_FALSE(m_first->isFirstResponder());
    const auto log = takeLog();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "shouldReturn #1");
    EXPECT_EQ(log[1], "shouldEnd #1");
    EXPECT_EQ(m_first->text(), "a");
}

TEST_F(TextFieldTest, arrowKeysMoveTheCaretAndShiftSelectsWhatTypingReplaces)
{
    m_host->tap(m_first);
    m_host->typeText("科目一二");
    m_host->pressKey(UIKeyboardKey::LeftArrow);
    EXPECT_EQ(m_first->selectedRange(), NSMakeRange(3, 0));
    m_host->pressKey(UIKeyboardKey::LeftArrow, UIKeyModifierShift);
    m_host->pressKey(UIKeyboardKey::LeftArrow, UIKeyModifierShift);
    EXPECT_EQ(m_first->selectedRange(), NSMakeRange(1, 2));
    takeLog();
    m_host->typeText("三");
    EXPECT_EQ(m_first->text(), "科三二");
    EXPECT_EQ(takeLog().front(), "shouldChange 1,2 三");
    m_host->pressKey(UIKeyboardKey::Home);
    EXPECT_EQ(m_first->selectedRange(), NSMakeRange(0, 0));
    m_host->pressKey(UIKeyboardKey::DownArrow);
    EXPECT_EQ(m_first->selectedRange(), NSMakeRange(3, 0));
    m_host->pressKey(UIKeyboardKey::UpArrow, UIKeyModifierShift);
    EXPECT_EQ(m_first->selectedRange(), NSMakeRange(0, 3));
    m_host->pressKey(UIKeyboardKey::ForwardDelete);
    EXPECT_EQ(m_first->text(), "");
}

TEST_F(TextFieldTest, theClearButtonShowsWhileEditingAndEmptiesTheFieldWhenAllowed)
{
    m_first->setClearButtonMode(UITextFieldViewMode::WhileEditing);
    m_first->setText("驾驶");
    m_host->runUntilIdle();
    EXPECT_TRUE(m_first->clearButton()->isHidden());
    m_host->tap(m_first);
    m_host->runUntilIdle();
    ASSERT_FALSE(m_first->clearButton()->isHidden());
    EXPECT_LT(CGRectGetMaxX(m_first->textRectForBounds(m_first->bounds())), CGRectGetMinX(m_first->clearButton()->frame()) + 0.5);

    m_delegate->allowClear = false;
    takeLog();
    m_host->tap(m_first->clearButton());
    EXPECT_EQ(m_first->text(), "驾驶");
    m_delegate->allowClear = true;
    m_host->tap(m_first->clearButton());
    EXPECT_EQ(m_first->text(), "");
    EXPECT_EQ(takeLog(), (Strings { "shouldClear #1", "shouldClear #1", "DidChange #1" }));
    m_host->runUntilIdle();
    EXPECT_TRUE(m_first->clearButton()->isHidden());
}

TEST_F(TextFieldTest, secureEntryShowsBulletsAndPlaceholderShowsOnlyWhileEmpty)
{
    m_first->setSecureTextEntry(true);
    m_first->setPlaceholder("密码");
    EXPECT_EQ(m_first->visibleText(), "密码");
    m_first->setText("ab😀");
    EXPECT_EQ(m_first->visibleText(), NSString(u"•••\u200B"));
    EXPECT_EQ(m_first->text(), "ab😀");
    m_first->setSecureTextEntry(false);
    EXPECT_EQ(m_first->visibleText(), "ab😀");
    m_first->setText(nullptr);
    EXPECT_EQ(m_first->text(), "");
    EXPECT_EQ(m_first->placeholder(), "密码");
}

TEST_F(TextFieldTest, sideViewsFollowTheirModes)
{
    auto left = UIView::create(CGRectMake(0, 0, 30, 20));
    auto right = UIView::create(CGRectMake(0, 0, 24, 24));
    m_first->setLeftView(left);
    m_first->setLeftViewMode(UITextFieldViewMode::Always);
    m_first->setRightView(right);
    m_first->setRightViewMode(UITextFieldViewMode::UnlessEditing);
    m_host->runUntilIdle();
    EXPECT_FALSE(right->isHidden());
    EXPECT_TRUE(CGRectEqualToRect(left->frame(), CGRectMake(0, 5.5, 30, 20)));
    EXPECT_TRUE(CGRectEqualToRect(right->frame(), CGRectMake(256, 3.5, 24, 24)));
    const CGRect text = m_first->textRectForBounds(m_first->bounds());
    EXPECT_DOUBLE_EQ(text.origin.x, 30);
    EXPECT_DOUBLE_EQ(CGRectGetMaxX(text), 256);

    m_host->tap(m_first);
    m_host->runUntilIdle();
    EXPECT_TRUE(right->isHidden());
    EXPECT_DOUBLE_EQ(CGRectGetMaxX(m_first->textRectForBounds(m_first->bounds())), 273);
    EXPECT_FALSE(left->isHidden());
}

TEST_F(TextFieldTest, theAccessoryViewRidesOnTopOfTheKeysAndCountsInTheFrame)
{
    auto toolbar = UIView::create(CGRectMake(0, 0, 320, 44));
    m_second->setInputAccessoryView(toolbar);
    auto picker = UIView::create(CGRectMake(0, 0, 320, 180));
    m_second->setInputView(picker);
    m_host->tap(m_first);
    m_host->runUntilIdle();
    takeLog();

    m_host->tap(m_second);
    const auto log = takeLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "WillShow " + kShown + ">(0,344,320,224)");
    m_host->runUntilIdle();
    EXPECT_EQ(toolbar->window(), m_keyboard->window());
    EXPECT_TRUE(m_keyboard->keysView()->isHidden());
    CGRect toolbarOnScreen = toolbar->convertRectToView(toolbar->bounds(), nullptr);
    toolbarOnScreen.origin.y += m_keyboard->window()->frame().origin.y;
    EXPECT_TRUE(CGRectEqualToRect(toolbarOnScreen, CGRectMake(0, 344, 320, 44)));
    EXPECT_TRUE(CGRectEqualToRect(picker->frame(), CGRectMake(0, 44, 320, 180)));

    // Gone with the keyboard, so the field's views are free for the next time.
    m_second->resignFirstResponder();
    m_host->runUntilIdle();
    EXPECT_EQ(toolbar->superview(), nullptr);
    EXPECT_EQ(picker->superview(), nullptr);
    EXPECT_FALSE(m_keyboard->keysView()->isHidden() && !m_keyboard->window()->isHidden());
}

TEST_F(TextFieldTest, aFieldTakenOffTheScreenWhileEditingEndsAndTakesTheKeyboardAlong)
{
    m_host->tap(m_first);
    m_host->runUntilIdle();
    takeLog();
    m_first->removeFromSuperview();
    EXPECT_FALSE(m_first->isEditing());
    const auto log = takeLog();
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log[0], "didEnd #1");
    EXPECT_EQ(log[3], "WillHide " + kShown + ">" + kHidden);
}

TEST_F(TextFieldTest, aDelegateThatWentAwayIsNotAsked)
{
    m_delegate.reset();
    m_host->tap(m_first);
    m_host->typeText("科目");
    EXPECT_EQ(m_first->text(), "科目");
    EXPECT_TRUE(m_first->resignFirstResponder());
}

TEST_F(TextFieldTest, snapshotShowsTheFieldAboveTheDrawnKeyboard)
{
    m_controller->view()->setBackgroundColor(UIColor::colorWithRed(0.2, 0.4, 0.6, 1));
    m_first->setReturnKeyType(UIReturnKeyType::Done);
    auto placeholder = NSMutableAttributedString::withString("用户名");
    placeholder->addAttribute(NSForegroundColorAttributeName, UIColor::redColor(), NSMakeRange(0, 3));
    m_second->setAttributedPlaceholder(placeholder);
    m_host->tap(m_first);
    m_host->typeText("学员");
    m_host->runUntilIdle();

    const auto path = std::filesystem::path(getenv("CORVANE_HOME")) / "field-with-keyboard.png";
    ASSERT_TRUE(m_host->writePNG(NSString(path.string())));
    EXPECT_TRUE(std::filesystem::file_size(path) > 1000);

    auto near = [](std::array<uint8_t, 4> pixel, int r, int g, int b) {
        return std::abs(pixel[0] - r) < 12 && std::abs(pixel[1] - g) < 12 && std::abs(pixel[2] - b) < 12;
    };
    EXPECT_TRUE(near(m_host->pixelAt(CGPointMake(10, 60)), 51, 102, 153));    // the screen's own colour
    EXPECT_TRUE(near(m_host->pixelAt(CGPointMake(290, 115)), 255, 255, 255)); // inside the rounded field
    EXPECT_TRUE(near(m_host->pixelAt(CGPointMake(1, 355)), 209, 214, 219));   // the keyboard's background
    EXPECT_TRUE(near(m_host->pixelAt(CGPointMake(8, 366)), 255, 255, 255));   // the Q key
    EXPECT_TRUE(near(m_host->pixelAt(CGPointMake(245, 530)), 0, 122, 255));   // the blue Done key
    // The caret sits after the text, in the tint colour.
    const CGRect caret = m_first->convertRectToView(m_first->caretRectForIndex(2), nullptr);
    EXPECT_TRUE(near(m_host->pixelAt(CGPointMake(CGRectGetMidX(caret), CGRectGetMidY(caret))), 0, 122, 255));
    // Some of the placeholder's ink is red.
    int red = 0;
    for (int x = 28; x < 90; ++x)
        for (int y = 155; y < 176; ++y)
            red += near(m_host->pixelAt(CGPointMake(x, y)), 255, 0, 0);
    EXPECT_GT(red, 5);
}

TEST_F(TextFieldTest, longTextScrollsToKeepTheCaretInsideTheField)
{
    m_first->setFrame(CGRectMake(20, 100, 120, 31));
    m_host->tap(m_first);
    m_host->typeText("驾驶员理论考试科目一模拟练习题");
    m_host->runUntilIdle();
    const CGRect text = m_first->editingRectForBounds(m_first->bounds());
    CGRect caret = m_first->caretRectForIndex(m_first->selectedRange().location);
    EXPECT_LE(CGRectGetMaxX(caret), CGRectGetMaxX(text) + 0.5);
    EXPECT_GE(caret.origin.x, text.origin.x);
    m_host->pressKey(UIKeyboardKey::Home);
    m_host->runUntilIdle();
    caret = m_first->caretRectForIndex(0);
    EXPECT_NEAR(caret.origin.x, text.origin.x, 1);
    m_host->pressKey(UIKeyboardKey::End);
    m_host->pressKey(UIKeyboardKey::LeftArrow);
    m_host->pressKey(UIKeyboardKey::RightArrow);
    EXPECT_EQ(m_first->selectedRange(), NSMakeRange(m_first->text().length(), 0));
    // Unhandled keys go on up the responder chain (plain Escape, which nothing on the way takes,
    // ends in putting the keyboard away).
    EXPECT_FALSE(m_host->pressKey(UIKeyboardKey::Escape, UIKeyModifierControl));
}

TEST_F(TextFieldTest, aTapWhileEditingMovesTheCaretAndClearsOnBeginEditingEmpties)
{
    m_first->setText("ABCDEFGH");
    m_host->tap(m_first);
    EXPECT_EQ(m_first->selectedRange().location, 8u);
    const CGRect third = m_first->caretRectForIndex(3);
    m_host->tap(m_first->convertPointToView(CGPointMake(third.origin.x + 1, CGRectGetMidY(third)), nullptr));
    EXPECT_EQ(m_first->selectedRange(), NSMakeRange(3, 0));
    EXPECT_EQ(m_first->indexForPoint(CGPointMake(-50, 10)), 0u);
    EXPECT_EQ(m_first->indexForPoint(CGPointMake(500, 10)), 8u);

    m_second->setText("旧");
    m_second->setClearsOnBeginEditing(true);
    m_host->tap(m_second);
    EXPECT_EQ(m_second->text(), "");
    // A disabled field takes no focus.
    m_first->setEnabled(false);
    EXPECT_FALSE(m_first->becomeFirstResponder());
}

TEST_F(TextFieldTest, drawsItsBorderTextAndSelectionAsConfigured)
{
    auto near = [](std::array<uint8_t, 4> pixel, int r, int g, int b) {
        return std::abs(pixel[0] - r) < 30 && std::abs(pixel[1] - g) < 30 && std::abs(pixel[2] - b) < 30;
    };
    auto inkBetween = [&](CGFloat from, CGFloat to, CGFloat y) {
        int ink = 0;
        for (CGFloat x = from; x < to; x += 0.5)
            ink += !near(m_host->pixelAt(CGPointMake(x, y)), 255, 255, 255);
        return ink;
    };
    m_first->setBorderStyle(UITextBorderStyle::Line);
    m_first->setText("MMM");
    m_first->setTextAlignment(NSTextAlignmentRight);
    m_first->setFont(UIFont::boldSystemFontOfSize(20));
    m_first->setTextColor(UIColor::blackColor());
    m_second->setBorderStyle(UITextBorderStyle::Bezel);
    m_second->setText("MMM");
    m_second->setTextAlignment(NSTextAlignmentCenter);
    auto third = addField(CGRectMake(20, 200, 280, 31), 3);
    third->setBorderStyle(UITextBorderStyle::None);
    third->setPlaceholder("右");
    third->setTextAlignment(NSTextAlignmentRight);
    m_host->runUntilIdle();

    EXPECT_TRUE(near(m_host->pixelAt(CGPointMake(20.25, 115)), 0, 0, 0));        // the line border
    EXPECT_TRUE(near(m_host->pixelAt(CGPointMake(20.25, 165)), 115, 115, 115));  // the bezel's dark side
    EXPECT_TRUE(near(m_host->pixelAt(CGPointMake(20.25, 215)), 255, 255, 255));  // no border at all
    EXPECT_EQ(inkBetween(25, 150, 116), 0);                                      // right-aligned text
    EXPECT_GT(inkBetween(200, 298, 116), 0);
    EXPECT_EQ(inkBetween(25, 110, 166), 0);                                      // centred text
    EXPECT_GT(inkBetween(130, 190, 166), 0);
    EXPECT_GT(inkBetween(260, 300, 216), 0);                                     // right-aligned placeholder

    // A selection is tinted behind the text.
    m_host->tap(m_second);
    m_second->setSelectedRange(NSMakeRange(0, 3));
    m_host->runUntilIdle();
    const CGRect start = m_second->convertRectToView(m_second->caretRectForIndex(0), nullptr);
    const auto tinted = m_host->pixelAt(CGPointMake(start.origin.x + 1, start.origin.y + 1));
    EXPECT_GT(tinted[2], tinted[0]);
}

TEST_F(TextFieldTest, measuresAndAlignsItsLineVertically)
{
    m_first->setText("科目");
    const CGSize rounded = m_first->sizeThatFits(CGSizeZero);
    EXPECT_GE(rounded.height, 30);
    EXPECT_GT(rounded.width, 34);
    m_first->setBorderStyle(UITextBorderStyle::None);
    EXPECT_LT(m_first->sizeThatFits(CGSizeZero).height, rounded.height);

    m_first->setFrame(CGRectMake(20, 100, 280, 60));
    const CGFloat centre = m_first->caretRectForIndex(0).origin.y;
    m_first->setContentVerticalAlignment(UIControlContentVerticalAlignmentTop);
    EXPECT_LT(m_first->caretRectForIndex(0).origin.y, centre);
    m_first->setContentVerticalAlignment(UIControlContentVerticalAlignmentBottom);
    EXPECT_GT(m_first->caretRectForIndex(0).origin.y, centre);
    m_first->setFont(nullptr);
    EXPECT_DOUBLE_EQ(m_first->font()->pointSize(), 17);
    m_first->setTextColor(nullptr);
    EXPECT_TRUE(m_first->textColor() != nullptr);
    // A side view replaced takes the old one out of the field.
    auto old = UIView::create(CGRectMake(0, 0, 10, 10));
    m_first->setLeftView(old);
    m_first->setRightView(old);
    m_first->setLeftView(nullptr);
    m_first->setRightView(UIView::create(CGRectMake(0, 0, 10, 10)));
    EXPECT_EQ(old->superview(), nullptr);
}

TEST_F(TextFieldTest, aFieldTakenAwayByItsOwnDelegateEndsCleanly)
{
    std::weak_ptr<UITextField> weakField = m_first;
    m_delegate->onReturn = [this](UITextField& field) {
        field.removeFromSuperview();
        m_first.reset();
    };
    m_host->tap(m_first);
    m_host->typeText("科目");
    m_host->pressReturn();
    m_host->runUntilIdle();
    // The last touch event holds its view until the next touch.
    m_host->tap(CGPointMake(5, 500));
    EXPECT_TRUE(weakField.expired());
    EXPECT_FALSE(m_keyboard->isVisible());
    EXPECT_FALSE(m_host->typeText("x"));
}

// The desktop's ways in: Tab, the editing shortcuts, input methods and the wheel.

namespace {

class Rows : public NSObject, public UIPickerViewDataSource, public UIPickerViewDelegate, public UITableViewDataSource {
    NS_OBJECT(Rows, NSObject)
public:
    NSInteger numberOfComponentsInPickerView(UIPickerView&) override { return 1; }
    NSInteger pickerViewNumberOfRowsInComponent(UIPickerView&, NSInteger) override { return 20; }
    std::optional<NSString> pickerViewTitleForRow(UIPickerView&, NSInteger row, NSInteger) override
    {
        return NSString(std::to_string(row));
    }
    NSInteger numberOfRowsInSection(UITableView&, NSInteger) override { return 100; }
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(UITableView&, const std::shared_ptr<NSIndexPath>&) override
    {
        return UITableViewCell::create(UITableViewCellStyle::Default, "row");
    }
};

} // namespace

class DesktopInputTest : public TextInputTest {
protected:
    void SetUp() override
    {
        TextInputTest::SetUp();
        UIPasteboard::generalPasteboard()->setString(NSString());
        // Two rows of a form, each field in a row view of its own, added bottom row first.
        auto view = m_controller->view();
        auto lower = UIView::create(CGRectMake(0, 200, 320, 50));
        auto upper = UIView::create(CGRectMake(0, 100, 320, 50));
        view->addSubview(lower);
        view->addSubview(upper);
        m_password = UITextField::create(CGRectMake(20, 10, 280, 30));
        m_password->setSecureTextEntry(true);
        lower->addSubview(m_password);
        m_account = UITextField::create(CGRectMake(20, 10, 280, 30));
        upper->addSubview(m_account);
        m_notes = UITextView::create(CGRectMake(20, 300, 280, 80));
        view->addSubview(m_notes);
        m_host->runUntilIdle();
    }

    UITextFieldRef m_account;
    UITextFieldRef m_password;
    std::shared_ptr<UITextView> m_notes;
};

TEST_F(DesktopInputTest, tabAndShiftTabGoRoundTheTextControlsInReadingOrder)
{
    m_host->tap(m_account);
    ASSERT_TRUE(m_account->isFirstResponder());
    EXPECT_TRUE(m_host->pressKey(UIKeyboardKey::Tab));
    EXPECT_TRUE(m_password->isFirstResponder());
    m_host->pressKey(UIKeyboardKey::Tab);
    EXPECT_TRUE(m_notes->isFirstResponder());
    m_host->pressKey(UIKeyboardKey::Tab);
    EXPECT_TRUE(m_account->isFirstResponder()) << "round from the last to the first";
    m_host->pressKey(UIKeyboardKey::Tab, UIKeyModifierShift);
    EXPECT_TRUE(m_notes->isFirstResponder());

    // A field that cannot take focus now is passed over.
    m_password->setEnabled(false);
    m_host->pressKey(UIKeyboardKey::Tab, UIKeyModifierShift);
    EXPECT_TRUE(m_account->isFirstResponder());
    // Tab types nothing.
    EXPECT_EQ(m_account->text(), NSString(""));
}

TEST_F(DesktopInputTest, theShortcutsCutCopyPasteAndSelectAllThroughTheGeneralPasteboard)
{
    auto pasteboard = UIPasteboard::generalPasteboard();
    m_host->tap(m_account);
    // An identity-card number copied with the line break after it.
    pasteboard->setString("510104199203154321\n");
    EXPECT_TRUE(m_host->performEditingAction(UIEditingAction::Paste));
    EXPECT_EQ(m_account->text(), NSString("510104199203154321"));

    EXPECT_TRUE(m_host->performEditingAction(UIEditingAction::SelectAll));
    EXPECT_EQ(m_account->selectedRange().length, 18u);
    EXPECT_TRUE(m_host->performEditingAction(UIEditingAction::Cut));
    EXPECT_EQ(m_account->text(), NSString(""));
    EXPECT_EQ(pasteboard->string(), NSString("510104199203154321"));

    // A secure field takes a paste but never gives its text away.
    m_host->pressKey(UIKeyboardKey::Tab);
    ASSERT_TRUE(m_password->isFirstResponder());
    pasteboard->setString("123456");
    m_host->performEditingAction(UIEditingAction::Paste);
    EXPECT_EQ(m_password->text(), NSString("123456"));
    m_host->performEditingAction(UIEditingAction::SelectAll);
    EXPECT_FALSE(m_host->performEditingAction(UIEditingAction::Copy));
    EXPECT_FALSE(m_host->performEditingAction(UIEditingAction::Cut));
    EXPECT_EQ(m_password->text(), NSString("123456"));

    // A text view keeps the line breaks it is given.
    m_host->tap(m_notes);
    pasteboard->setString("第一行\n第二行");
    m_host->performEditingAction(UIEditingAction::Paste);
    EXPECT_EQ(m_notes->text(), NSString("第一行\n第二行"));
    m_host->performEditingAction(UIEditingAction::SelectAll);
    m_host->performEditingAction(UIEditingAction::Copy);
    EXPECT_EQ(pasteboard->string(), NSString("第一行\n第二行"));
}

TEST_F(DesktopInputTest, aCompositionShowsAtTheCaretUntilTheInputMethodCommits)
{
    m_host->tap(m_account);
    m_host->typeText("学员");
    takeLog();
    EXPECT_TRUE(m_host->compose("zhong"));
    EXPECT_EQ(m_account->text(), NSString("学员"));
    EXPECT_EQ(m_account->markedText(), NSString("zhong"));
    EXPECT_EQ(m_account->visibleText(), NSString("学员zhong"));
    // The input method owns the keys while it composes.
    m_host->pressKey(UIKeyboardKey::Backspace);
    m_host->pressReturn();
    EXPECT_EQ(m_account->text(), NSString("学员"));
    EXPECT_TRUE(m_account->isFirstResponder());

    m_host->typeText("中");
    EXPECT_EQ(m_account->text(), NSString("学员中"));
    EXPECT_EQ(m_account->markedText(), NSString(""));
    EXPECT_EQ(m_account->visibleText(), NSString("学员中"));

    // A composition given up leaves the text as it was; leaving the field drops one.
    m_host->compose("wen", NSMakeRange(1, 0));
    m_host->compose("");
    EXPECT_EQ(m_account->visibleText(), NSString("学员中"));
    m_host->compose("wen");
    m_host->tap(m_password);
    EXPECT_EQ(m_account->visibleText(), NSString("学员中"));

    // A text view too.
    m_host->tap(m_notes);
    m_host->compose("ke");
    EXPECT_EQ(m_notes->markedText(), NSString("ke"));
    m_host->typeText("科");
    EXPECT_EQ(m_notes->text(), NSString("科"));
}

TEST_F(DesktopInputTest, theWheelScrollsTheViewUnderThePointerWithinItsEdges)
{
    auto view = m_controller->view();
    auto outer = UIScrollView::create(CGRectMake(0, 0, 320, 400));
    outer->setContentSize(CGSizeMake(320, 1000));
    auto inner = UIScrollView::create(CGRectMake(0, 0, 320, 100));
    inner->setContentSize(CGSizeMake(1000, 100));
    outer->addSubview(inner);
    view->addSubview(outer);
    m_host->runUntilIdle();

    EXPECT_TRUE(m_host->scrollWheel(CGPointMake(160, 300), CGPointMake(0, 120)));
    EXPECT_DOUBLE_EQ(outer->contentOffset().y, 120);
    m_host->scrollWheel(CGPointMake(160, 300), CGPointMake(0, 2000));
    EXPECT_DOUBLE_EQ(outer->contentOffset().y, 600) << "never past the end";
    m_host->advance(1);
    EXPECT_DOUBLE_EQ(outer->contentOffset().y, 600);
    EXPECT_FALSE(outer->isDragging());

    // Sideways to the inner view; up and down, which it cannot, to the one around it.
    m_host->scrollWheel(CGPointMake(160, 50), CGPointMake(0, -100));
    m_host->advance(1);
    EXPECT_DOUBLE_EQ(outer->contentOffset().y, 500);
    // The inner view now sits 600 points higher: back to the top to reach it.
    m_host->scrollWheel(CGPointMake(160, 300), CGPointMake(0, -500));
    m_host->advance(1);
    m_host->scrollWheel(CGPointMake(160, 50), CGPointMake(80, 0));
    m_host->advance(1);
    EXPECT_DOUBLE_EQ(inner->contentOffset().x, 80);
    EXPECT_DOUBLE_EQ(outer->contentOffset().y, 0);

    // Nothing to scroll under the pointer: nobody takes it.
    outer->removeFromSuperview();
    EXPECT_FALSE(m_host->scrollWheel(CGPointMake(160, 300), CGPointMake(0, 50)));
}

TEST_F(DesktopInputTest, theWheelTurnsATableAndAPickerWheelToARow)
{
    auto view = m_controller->view();
    auto rows = Rows::create();
    auto picker = UIPickerView::create(CGRectMake(0, 300, 320, 216));
    picker->setDataSource(rows);
    picker->setDelegate(rows);
    view->addSubview(picker);
    auto table = UITableView::create(CGRectMake(0, 0, 320, 200), UITableViewStyle::Plain);
    table->setDataSource(rows);
    view->addSubview(table);
    m_host->runUntilIdle();

    m_host->scrollWheel(CGPointMake(160, 100), CGPointMake(0, 300));
    m_host->advance(1);
    EXPECT_DOUBLE_EQ(table->contentOffset().y, 300);

    ASSERT_EQ(picker->selectedRowInComponent(0), 0);
    // Three rows and a little: the wheel settles on the row under the bar.
    EXPECT_TRUE(m_host->scrollWheel(CGPointMake(160, 408), CGPointMake(0, 3 * UIPickerView::kDefaultRowHeight + 5)));
    auto wheel = std::dynamic_pointer_cast<UIScrollView>(picker->wheelForComponent(0));
    m_host->advance(1);
    EXPECT_FALSE(wheel->isDragging());
    EXPECT_FALSE(wheel->isDecelerating());
    EXPECT_DOUBLE_EQ(wheel->contentOffset().y + wheel->contentInset().top, 3 * UIPickerView::kDefaultRowHeight);
}
