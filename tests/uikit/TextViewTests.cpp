#include "TextInputTestSupport.h"

#include "platform/uikit/UITextView.h"

namespace {

class ScriptedViewDelegate : public NSObject, public UITextViewDelegate {
    NS_OBJECT(ScriptedViewDelegate, NSObject)
public:
    std::optional<bool> textViewShouldBeginEditing(UITextView&) override { return note("shouldBegin", true); }
    std::optional<bool> textViewShouldEndEditing(UITextView&) override { return note("shouldEnd", allowEnd); }
    void textViewDidBeginEditing(UITextView&) override { note("didBegin", true); }
    void textViewDidEndEditing(UITextView&) override { note("didEnd", true); }
    std::optional<bool> shouldChangeTextInRange(UITextView&, NSRange range, const NSString& text) override
    {
        note("shouldChange " + std::to_string(range.location) + "," + std::to_string(range.length) + " " + text.UTF8String(), true);
        return !(refuseLineBreaks && text == NSString("\n"));
    }
    void textViewDidChange(UITextView&) override { note("didChange", true); }
    void textViewDidChangeSelection(UITextView&) override { note("didChangeSelection", true); }

    bool note(const std::string& what, bool answer)
    {
        if (log)
            log->push_back(what);
        return answer;
    }

    std::vector<std::string>* log { nullptr };
    bool allowEnd { true };
    bool refuseLineBreaks { false };
};

// Counts how often the view reads its delegate, as a placeholder text view relies on.
class CountingTextView : public UITextView {
    NS_OBJECT(CountingTextView, UITextView)
public:
    std::shared_ptr<UITextViewDelegate> delegate() const override
    {
        ++reads;
        return UITextView::delegate();
    }
    mutable int reads { 0 };
};

} // namespace

class TextViewTest : public TextInputTest {
protected:
    void SetUp() override
    {
        TextInputTest::SetUp();
        for (const char* name : { UITextViewTextDidBeginEditingNotification, UITextViewTextDidChangeNotification,
                 UITextViewTextDidEndEditingNotification })
            observe(name, false);
        m_view = CountingTextView::create(CGRectMake(20, 80, 200, 100));
        m_view->setTag(7);
        m_delegate = ScriptedViewDelegate::create();
        m_delegate->log = &m_log;
        m_view->setDelegate(m_delegate);
        m_controller->view()->addSubview(m_view);
        m_host->runUntilIdle();
    }

    std::shared_ptr<CountingTextView> m_view;
    std::shared_ptr<ScriptedViewDelegate> m_delegate;
};

TEST_F(TextViewTest, editingTellsTheDelegateInOrderAndReadsItForEveryEdit)
{
    m_host->tap(m_view);
    EXPECT_TRUE(m_view->isEditing());
    auto log = takeLog();
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(Strings(log.begin(), log.begin() + 3), (Strings { "shouldBegin", "didBegin", "DidBeginEditing #7" }));
    EXPECT_EQ(log[3].substr(0, 15), "WillChangeFrame");

    const int readsBefore = m_view->reads;
    m_host->typeText("科目");
    EXPECT_EQ(takeLog(), (Strings { "shouldChange 0,0 科目", "didChangeSelection", "didChange", "DidChange #7" }));
    EXPECT_GE(m_view->reads - readsBefore, 3);

    m_host->pressReturn();
    EXPECT_EQ(m_view->text(), "科目\n");
    m_delegate->refuseLineBreaks = true;
    m_host->pressReturn();
    EXPECT_EQ(m_view->text(), "科目\n");
    m_host->pressKey(UIKeyboardKey::Backspace);
    EXPECT_EQ(m_view->text(), "科目");
    takeLog();

    EXPECT_TRUE(m_view->resignFirstResponder());
    log = takeLog();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(Strings(log.begin(), log.begin() + 3), (Strings { "shouldEnd", "didEnd", "DidEndEditing #7" }));
}

TEST_F(TextViewTest, longTextWrapsGrowsTheContentAndKeepsTheCaretInSight)
{
    m_host->tap(m_view);
    for (int line = 0; line < 16; ++line)
        m_host->typeText("驾驶员理论考试科目一模拟练习");
    m_host->runUntilIdle();
    EXPECT_GT(m_view->contentSize().height, 200);
    EXPECT_GT(m_view->contentOffset().y, 0);
    const CGRect caret = m_view->caretRectForPosition(m_view->selectedTextRange()->start());
    EXPECT_TRUE(CGRectContainsRect(m_view->bounds(), caret));

    // Up goes to the wrapped line above at about the same x, down comes back.
    const NSUInteger end = m_view->text().length();
    m_host->pressKey(UIKeyboardKey::UpArrow);
    const NSUInteger above = m_view->selectedRange().location;
    EXPECT_LT(above, end);
    EXPECT_LT(m_view->caretRectForIndex(above).origin.y, caret.origin.y);
    m_host->pressKey(UIKeyboardKey::DownArrow);
    EXPECT_EQ(m_view->selectedRange().location, end);
    m_host->pressKey(UIKeyboardKey::UpArrow, UIKeyModifierShift);
    EXPECT_EQ(m_view->selectedRange(), NSMakeRange(above, end - above));
    m_host->pressKey(UIKeyboardKey::Backspace);
    EXPECT_EQ(m_view->text().length(), above);
}

TEST_F(TextViewTest, linesStandOneLeadingApartWhateverFaceTheirCharactersTake)
{
    m_view->setText("Latin line\n中文一行\nmixed 中文 line\n\n驾驶员理论考试科目一模拟练习驾驶员理论考试科目一模拟练习\nend\n");
    std::vector<CGFloat> tops;
    for (NSUInteger index = 0; index <= m_view->text().length(); ++index) {
        const CGFloat top = m_view->caretRectForIndex(index).origin.y;
        if (tops.empty() || top > tops.back() + 0.5)
            tops.push_back(top);
    }
    ASSERT_GE(tops.size(), 8u) << "the long line wraps and the closing break opens a line";
    for (std::size_t line = 1; line < tops.size(); ++line)
        EXPECT_NEAR(tops[line] - tops[0], line * m_view->font()->leading(), 1e-6) << line;
}

TEST_F(TextViewTest, aTapPlacesTheCaretWhereItLands)
{
    m_view->setText("第一行\n第二行");
    m_host->runUntilIdle();
    const CGRect second = m_view->caretRectForIndex(5);
    m_host->tap(m_view->convertPointToView(CGPointMake(CGRectGetMidX(second), CGRectGetMidY(second)), nullptr));
    EXPECT_TRUE(m_view->isFirstResponder());
    EXPECT_EQ(m_view->selectedRange(), NSMakeRange(5, 0));
    // Beyond the end of the first line the caret stays before its break.
    const CGRect first = m_view->caretRectForIndex(0);
    m_host->tap(m_view->convertPointToView(CGPointMake(190, CGRectGetMidY(first)), nullptr));
    EXPECT_EQ(m_view->selectedRange(), NSMakeRange(3, 0));
}

TEST_F(TextViewTest, aViewThatIsOnlySelectableTakesFocusWithoutTheKeyboard)
{
    m_view->setText("只读");
    m_view->setEditable(false);
    m_host->tap(m_view);
    EXPECT_TRUE(m_view->isFirstResponder());
    EXPECT_FALSE(m_view->isEditing());
    EXPECT_FALSE(m_keyboard->isVisible());
    m_host->typeText("x");
    EXPECT_EQ(m_view->text(), "只读");
    m_view->resignFirstResponder();

    m_view->setSelectable(false);
    m_host->tap(m_view);
    EXPECT_FALSE(m_view->isFirstResponder());
}

TEST_F(TextViewTest, turningEditingOffEndsTheEdit)
{
    m_host->tap(m_view);
    EXPECT_TRUE(m_keyboard->isVisible());
    m_view->setEditable(false);
    EXPECT_FALSE(m_view->isEditing());
    EXPECT_FALSE(m_keyboard->isVisible());
    EXPECT_TRUE(CGRectIsNull(m_view->caretRectForPosition(nullptr)));
}

TEST_F(TextViewTest, keysMoveDeleteAndTheSelectionIsDrawn)
{
    m_view->setFont(UIFont::systemFontOfSize(16));
    m_view->setTextColor(UIColor::darkGrayColor());
    m_view->setTextContainerInset({ 4, 4, 4, 4 });
    m_view->setText("第一行\n第二行");
    m_host->tap(m_view);
    m_host->pressKey(UIKeyboardKey::Home);
    EXPECT_EQ(m_view->selectedRange(), NSMakeRange(4, 0));
    m_host->pressKey(UIKeyboardKey::RightArrow, UIKeyModifierShift);
    m_host->pressKey(UIKeyboardKey::End, UIKeyModifierShift);
    EXPECT_EQ(m_view->selectedRange(), NSMakeRange(4, 3));
    m_host->runUntilIdle();
    const CGRect start = m_view->convertRectToView(m_view->caretRectForIndex(4), nullptr);
    const auto tinted = m_host->pixelAt(CGPointMake(start.origin.x + 1, start.origin.y + 1));
    EXPECT_GT(tinted[2], tinted[0]);
    m_host->pressKey(UIKeyboardKey::LeftArrow);
    m_host->pressKey(UIKeyboardKey::ForwardDelete);
    EXPECT_EQ(m_view->text(), "第一行\n二行");
    m_host->pressKey(UIKeyboardKey::UpArrow);
    m_host->pressKey(UIKeyboardKey::UpArrow);
    EXPECT_EQ(m_view->selectedRange(), NSMakeRange(0, 0));
    m_host->pressKey(UIKeyboardKey::DownArrow);
    m_host->pressKey(UIKeyboardKey::DownArrow);
    EXPECT_EQ(m_view->selectedRange().location, m_view->text().length());
    EXPECT_FALSE(m_host->pressKey(UIKeyboardKey::Escape, UIKeyModifierControl));
}

TEST_F(TextViewTest, alignmentInsetsAndScrollingToARange)
{
    m_view->setTextAlignment(NSTextAlignmentCenter);
    const CGRect centred = m_view->caretRectForIndex(0);
    EXPECT_NEAR(centred.origin.x, 100, 1);
    m_view->setTextAlignment(NSTextAlignmentRight);
    EXPECT_NEAR(m_view->caretRectForIndex(0).origin.x, 195, 1);
    m_view->setTextAlignment(NSTextAlignmentLeft);
    m_view->setTextContainerInset({ 20, 0, 8, 0 });
    EXPECT_DOUBLE_EQ(m_view->caretRectForIndex(0).origin.y, 20);
    m_view->setFont(nullptr);
    EXPECT_DOUBLE_EQ(m_view->font()->pointSize(), 12);

    std::string many;
    for (int line = 0; line < 30; ++line)
        many += "行" + std::to_string(line) + "\n";
    m_view->setText(NSString(many));
    m_view->setSelectedRange(NSMakeRange(0, 0));
    m_host->runUntilIdle();
    m_view->scrollRangeToVisible(NSMakeRange(m_view->text().length(), 0));
    EXPECT_GT(m_view->contentOffset().y, 100);
    // Below the last line a tap lands after the final line break.
    EXPECT_EQ(m_view->indexForPoint(CGPointMake(10, m_view->contentSize().height - 2)), m_view->text().length());
}

TEST_F(TextViewTest, aDelegateThatRefusesToEndKeepsTheFocus)
{
    m_host->tap(m_view);
    m_delegate->allowEnd = false;
    EXPECT_FALSE(m_view->resignFirstResponder());
    EXPECT_TRUE(m_view->isEditing());
    m_delegate->allowEnd = true;
    EXPECT_TRUE(m_view->resignFirstResponder());
    EXPECT_FALSE(m_view->isEditing());
}
