#pragma once
// The text a field or text view edits and its selection, in UTF-16 units as the platform counts
// them. Carets only rest between composed characters: moving, deleting and selecting never split a
// surrogate pair, a letter from its marks or an emoji sequence. The selection has an anchor and an
// active end, so extending it with the arrow keys grows or shrinks it from the end that moved.

#include "platform/foundation/NSString.h"

enum class TextMovement {
    Backward,
    Forward,
    Up,
    Down,
    LineStart,
    LineEnd,
};

class EditableText {
public:
    explicit EditableText(bool multiline = false) : m_multiline(multiline) { }

    // Never nil: a field given nil text edits the empty text.
    const NSString& text() const { return m_text; }
    // Puts the caret at the end, as a program setting the text does.
    void setText(const NSString& text);

    NSRange selectedRange() const;
    // Clamped to the text and widened to whole composed characters; the anchor is the start.
    void setSelectedRange(NSRange range);
    NSUInteger caret() const { return m_caret; }

    // What Backspace removes: the selection, or else the composed character before the caret
    // (empty at the start of the text).
    NSRange rangeForDeleteBackward() const;
    NSRange rangeForDeleteForward() const;

    // The range is clamped to the text; the caret lands after the new text.
    void replaceCharactersInRange(NSRange range, const NSString& replacement);

    // Answers whether the selection changed. Single-line text goes to its start on Up and to its end
    // on Down, as the platform's fields do.
    bool move(TextMovement movement, bool extendingSelection);
    // Puts the caret at an index found otherwise (a line above, a touch), keeping the anchor when
    // extending; answers whether the selection changed.
    bool moveCaretTo(NSUInteger index, bool extendingSelection);

private:
    NSUInteger snapped(NSUInteger index) const;
    NSUInteger previousBoundary(NSUInteger index) const;
    NSUInteger nextBoundary(NSUInteger index) const;
    NSUInteger lineStart(NSUInteger index) const;
    NSUInteger lineEnd(NSUInteger index) const;
    NSUInteger verticalTarget(NSUInteger from, bool up) const;

    NSString m_text { NSString::string() };
    NSUInteger m_anchor { 0 };
    NSUInteger m_caret { 0 };
    bool m_multiline { false };
};
