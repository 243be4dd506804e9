#include "platform/uikit/TextEditingResponder.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/uikit/UIResponder.h"
#include "platform/uikit/UIWindow.h"

void TextEditingResponder::insertText(const NSString& text)
{
    NSAssertMainThread();
    if (!m_editing || text.isNil() || text.length() == 0)
        return;
    insertTypedText(text);
}

void TextEditingResponder::deleteBackward()
{
    NSAssertMainThread();
    if (!m_editing)
        return;
    const NSRange range = m_editor.rangeForDeleteBackward();
    if (range.length > 0)
        replaceByUser(range, NSString::string());
}

void TextEditingResponder::setFont(const UIFontRef& font)
{
    NSAssertMainThread();
    const UIFontRef chosen = font ? font : UIFont::systemFontOfSize(defaultFontSize());
    if (ns::isEqual(m_font, chosen))
        return;
    m_font = chosen;
    textLookDidChange(true);
}

void TextEditingResponder::setTextColor(const UIColorRef& color)
{
    NSAssertMainThread();
    m_textColor = color ? color : UIColor::blackColor();
    textLookDidChange(false);
}

void TextEditingResponder::setTextAlignment(NSTextAlignment alignment)
{
    NSAssertMainThread();
    if (m_textAlignment == alignment)
        return;
    m_textAlignment = alignment;
    textLookDidChange(false);
}

std::optional<bool> TextEditingResponder::pressEditingKey(UIKeyboardKey key, bool extending)
{
    switch (key) {
    case UIKeyboardKey::LeftArrow:
        return m_editor.move(TextMovement::Backward, extending);
    case UIKeyboardKey::RightArrow:
        return m_editor.move(TextMovement::Forward, extending);
    case UIKeyboardKey::UpArrow:
    case UIKeyboardKey::DownArrow:
        return moveVertically(key == UIKeyboardKey::UpArrow, extending);
    case UIKeyboardKey::Home:
        return m_editor.move(TextMovement::LineStart, extending);
    case UIKeyboardKey::End:
        return m_editor.move(TextMovement::LineEnd, extending);
    case UIKeyboardKey::ForwardDelete:
        if (const NSRange range = m_editor.rangeForDeleteForward(); m_editing && range.length > 0)
            replaceByUser(range, NSString::string());
        return false;
    default:
        return std::nullopt;
    }
}

void TextEditingResponder::placeCaretForEditing()
{
    if (!m_caretPlacedByTouch)
        m_editor.setSelectedRange(NSMakeRange(m_editor.text().length(), 0));
}

void TextEditingResponder::beginEditingAtTouchedCaret(UIResponder& responder)
{
    m_caretPlacedByTouch = true;
    responder.becomeFirstResponder();
    m_caretPlacedByTouch = false;
}

bool TextEditingResponder::resignEditing(UIView& view, const std::function<bool()>& resignInBase)
{
    if (!view.isFirstResponder())
        return true;
    auto window = view.window();
    if (!(window && window->isTransferringFirstResponder()) && !view.canResignFirstResponder())
        return false;
    return resignInBase();
}
