#include "platform/uikit/EditableText.h"

#include <gtest/gtest.h>

namespace {

EditableText textWith(const NSString& text, bool multiline = false)
{
    EditableText editable(multiline);
    editable.setText(text);
    return editable;
}

} // namespace

TEST(EditableText, backspaceTakesOneComposedCharacter)
{
    auto editable = textWith("科目👩‍👧e\u0301");
    EXPECT_EQ(editable.rangeForDeleteBackward(), NSMakeRange(7, 2));
    editable.replaceCharactersInRange(editable.rangeForDeleteBackward(), "");
    EXPECT_EQ(editable.rangeForDeleteBackward(), NSMakeRange(2, 5));
    editable.replaceCharactersInRange(editable.rangeForDeleteBackward(), "");
    EXPECT_EQ(editable.text(), "科目");
    editable.replaceCharactersInRange(editable.rangeForDeleteBackward(), "");
    editable.replaceCharactersInRange(editable.rangeForDeleteBackward(), "");
    EXPECT_EQ(editable.text(), "");
    EXPECT_EQ(editable.rangeForDeleteBackward(), NSMakeRange(0, 0));
}

TEST(EditableText, deletionTakesTheSelectionWhenThereIsOne)
{
    auto editable = textWith("abcdef");
    editable.setSelectedRange(NSMakeRange(1, 3));
    EXPECT_EQ(editable.rangeForDeleteBackward(), NSMakeRange(1, 3));
    EXPECT_EQ(editable.rangeForDeleteForward(), NSMakeRange(1, 3));
    editable.setSelectedRange(NSMakeRange(2, 0));
    EXPECT_EQ(editable.rangeForDeleteForward(), NSMakeRange(2, 1));
    editable.setSelectedRange(NSMakeRange(6, 0));
    EXPECT_EQ(editable.rangeForDeleteForward(), NSMakeRange(6, 0));
}

TEST(EditableText, insertionReplacesTheRangeAndPutsTheCaretAfterIt)
{
    auto editable = textWith("驾校");
    editable.setSelectedRange(NSMakeRange(1, 0));
    editable.replaceCharactersInRange(editable.selectedRange(), "驶学");
    EXPECT_EQ(editable.text(), "驾驶学校");
    EXPECT_EQ(editable.selectedRange(), NSMakeRange(3, 0));
    // A range past the end is clamped instead of raising.
    editable.replaceCharactersInRange(NSMakeRange(10, 4), "!");
    EXPECT_EQ(editable.text(), "驾驶学校!");
    EXPECT_EQ(editable.caret(), 5u);
    editable.setText(nullptr);
    EXPECT_FALSE(editable.text().isNil());
    EXPECT_EQ(editable.text().length(), 0u);
}

TEST(EditableText, selectionNeverSplitsAComposedCharacter)
{
    auto editable = textWith("a😀b");
    editable.setSelectedRange(NSMakeRange(2, 1));
    EXPECT_EQ(editable.selectedRange(), NSMakeRange(1, 2));
    editable.setSelectedRange(NSMakeRange(3, 50));
    EXPECT_EQ(editable.selectedRange(), NSMakeRange(3, 1));
    editable.setSelectedRange(NSMakeRange(99, 1));
    EXPECT_EQ(editable.selectedRange(), NSMakeRange(4, 0));
}

TEST(EditableText, arrowsMoveByComposedCharacterAndCollapseTheSelection)
{
    auto editable = textWith("a😀b");
    EXPECT_TRUE(editable.move(TextMovement::Backward, false));
    EXPECT_EQ(editable.caret(), 3u);
    editable.move(TextMovement::Backward, false);
    EXPECT_EQ(editable.caret(), 1u);
    editable.move(TextMovement::Backward, false);
    EXPECT_FALSE(editable.move(TextMovement::Backward, false));
    EXPECT_EQ(editable.caret(), 0u);
    editable.move(TextMovement::Forward, false);
    editable.move(TextMovement::Forward, false);
    EXPECT_EQ(editable.caret(), 3u);

    editable.setSelectedRange(NSMakeRange(1, 2));
    editable.move(TextMovement::Forward, false);
    EXPECT_EQ(editable.selectedRange(), NSMakeRange(3, 0));
    editable.setSelectedRange(NSMakeRange(1, 2));
    editable.move(TextMovement::Backward, false);
    EXPECT_EQ(editable.selectedRange(), NSMakeRange(1, 0));
}

TEST(EditableText, shiftArrowsGrowAndShrinkFromTheMovingEnd)
{
    auto editable = textWith("abcd");
    editable.setSelectedRange(NSMakeRange(2, 0));
    editable.move(TextMovement::Forward, true);
    editable.move(TextMovement::Forward, true);
    EXPECT_EQ(editable.selectedRange(), NSMakeRange(2, 2));
    editable.move(TextMovement::Backward, true);
    editable.move(TextMovement::Backward, true);
    editable.move(TextMovement::Backward, true);
    EXPECT_EQ(editable.selectedRange(), NSMakeRange(1, 1));
    EXPECT_EQ(editable.caret(), 1u);
    editable.move(TextMovement::Up, true);
    EXPECT_EQ(editable.selectedRange(), NSMakeRange(0, 2));
    editable.move(TextMovement::LineEnd, false);
    EXPECT_EQ(editable.selectedRange(), NSMakeRange(4, 0));
    editable.move(TextMovement::LineStart, false);
    EXPECT_EQ(editable.caret(), 0u);
    editable.move(TextMovement::Down, false);
    EXPECT_EQ(editable.caret(), 4u);
}

TEST(EditableText, upAndDownKeepTheColumnAcrossLines)
{
    auto editable = textWith("科目一\r\nab\n驾驶学校", true);
    editable.setSelectedRange(NSMakeRange(11, 0)); // after 驾驶学
    editable.move(TextMovement::Up, false);
    EXPECT_EQ(editable.caret(), 7u); // the short line ends before the column
    editable.move(TextMovement::Up, false);
    EXPECT_EQ(editable.caret(), 2u);
    editable.move(TextMovement::Up, false);
    EXPECT_EQ(editable.caret(), 0u);
    editable.move(TextMovement::Down, false);
    EXPECT_EQ(editable.caret(), 5u);
    editable.move(TextMovement::Down, false);
    EXPECT_EQ(editable.caret(), 8u);
    editable.move(TextMovement::LineEnd, false);
    EXPECT_EQ(editable.caret(), 12u);
    editable.move(TextMovement::LineStart, false);
    EXPECT_EQ(editable.caret(), 8u);
    editable.move(TextMovement::Down, false);
    EXPECT_EQ(editable.caret(), 12u);
}
