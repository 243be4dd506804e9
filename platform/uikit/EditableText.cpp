#include "platform/uikit/EditableText.h"

#include <algorithm>

namespace {

bool isLineBreak(unichar unit)
{
    return unit == u'\n' || unit == u'\r' || unit == 0x2028 || unit == 0x2029;
}

} // namespace

void EditableText::setText(const NSString& text)
{
    m_text = text.isNil() ? NSString::string() : text;
    m_anchor = m_caret = m_text.length();
}

NSRange EditableText::selectedRange() const
{
    NSUInteger start = std::min(m_anchor, m_caret);
    return NSMakeRange(start, std::max(m_anchor, m_caret) - start);
}

void EditableText::setSelectedRange(NSRange range)
{
    NSUInteger length = m_text.length();
    NSUInteger start = std::min(range.location, length);
    NSUInteger end = std::min(length, start + std::min(range.length, length - start));
    NSRange whole = m_text.rangeOfComposedCharacterSequencesForRange(NSMakeRange(start, end - start));
    m_anchor = whole.location;
    m_caret = whole.end();
}

NSUInteger EditableText::snapped(NSUInteger index) const
{
    if (index >= m_text.length())
        return m_text.length();
    return m_text.rangeOfComposedCharacterSequenceAtIndex(index).location;
}

NSUInteger EditableText::previousBoundary(NSUInteger index) const
{
    return index == 0 ? 0 : m_text.rangeOfComposedCharacterSequenceAtIndex(index - 1).location;
}

NSUInteger EditableText::nextBoundary(NSUInteger index) const
{
    return index >= m_text.length() ? m_text.length() : m_text.rangeOfComposedCharacterSequenceAtIndex(index).end();
}

NSRange EditableText::rangeForDeleteBackward() const
{
    NSRange selection = selectedRange();
    if (selection.length > 0)
        return selection;
    NSUInteger start = previousBoundary(m_caret);
    return NSMakeRange(start, m_caret - start);
}

NSRange EditableText::rangeForDeleteForward() const
{
    NSRange selection = selectedRange();
    if (selection.length > 0)
        return selection;
    return NSMakeRange(m_caret, nextBoundary(m_caret) - m_caret);
}

void EditableText::replaceCharactersInRange(NSRange range, const NSString& replacement)
{
    NSUInteger length = m_text.length();
    NSUInteger start = std::min(range.location, length);
    NSUInteger count = std::min(range.length, length - start);
    NSString inserted = replacement.isNil() ? NSString::string() : replacement;
    m_text = m_text.stringByReplacingCharactersInRange(NSMakeRange(start, count), inserted);
    m_anchor = m_caret = snapped(start + inserted.length());
}

NSUInteger EditableText::lineStart(NSUInteger index) const
{
    auto units = m_text.view();
    while (index > 0 && !isLineBreak(units[index - 1]))
        --index;
    return index;
}

NSUInteger EditableText::lineEnd(NSUInteger index) const
{
    auto units = m_text.view();
    while (index < units.size() && !isLineBreak(units[index]))
        ++index;
    return index;
}

// Keeps the column, counted in composed characters, on the line above or below.
// FIXME: lines wrapped by the view's width count as one; the column follows the text, not the x.
NSUInteger EditableText::verticalTarget(NSUInteger from, bool up) const
{
    if (!m_multiline)
        return up ? 0 : m_text.length();
    NSUInteger start = lineStart(from);
    NSUInteger column = 0;
    for (NSUInteger index = start; index < from; index = nextBoundary(index))
        ++column;
    NSUInteger targetStart;
    if (up) {
        if (start == 0)
            return 0;
        targetStart = lineStart(previousBoundary(start));
    } else {
        NSUInteger end = lineEnd(from);
        if (end >= m_text.length())
            return m_text.length();
        targetStart = nextBoundary(end);
    }
    NSUInteger targetEnd = lineEnd(targetStart);
    NSUInteger index = targetStart;
    for (; column > 0 && index < targetEnd; --column)
        index = nextBoundary(index);
    return std::min(index, targetEnd);
}

bool EditableText::move(TextMovement movement, bool extendingSelection)
{
    NSRange selection = selectedRange();
    bool collapsing = !extendingSelection && selection.length > 0;
    NSUInteger target = m_caret;
    switch (movement) {
    case TextMovement::Backward:
        target = collapsing ? selection.location : previousBoundary(m_caret);
        break;
    case TextMovement::Forward:
        target = collapsing ? selection.end() : nextBoundary(m_caret);
        break;
    case TextMovement::Up:
        target = verticalTarget(collapsing ? selection.location : m_caret, true);
        break;
    case TextMovement::Down:
        target = verticalTarget(collapsing ? selection.end() : m_caret, false);
        break;
    case TextMovement::LineStart:
        target = m_multiline ? lineStart(m_caret) : 0;
        break;
    case TextMovement::LineEnd:
        target = m_multiline ? lineEnd(m_caret) : m_text.length();
        break;
    }
    NSUInteger anchor = extendingSelection ? m_anchor : target;
    bool changed = anchor != m_anchor || target != m_caret;
    m_anchor = anchor;
    m_caret = target;
    return changed;
}

bool EditableText::moveCaretTo(NSUInteger index, bool extendingSelection)
{
    const NSUInteger target = snapped(std::min(index, m_text.length()));
    const NSUInteger anchor = extendingSelection ? m_anchor : target;
    const bool changed = anchor != m_anchor || target != m_caret;
    m_anchor = anchor;
    m_caret = target;
    return changed;
}
