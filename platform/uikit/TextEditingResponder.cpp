#include "platform/uikit/TextEditingResponder.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSCharacterSet.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIPasteboard.h"
#include "platform/uikit/UIResponder.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>
#include <cmath>

void TextEditingResponder::insertText(const NSString& text)
{
    NSAssertMainThread();
    if (!m_editing || text.isNil() || text.length() == 0)
        return;
    if (m_markedText.length() > 0) {
        m_markedText = NSString::string();
        m_markedSelectedRange = NSMakeRange(0, 0);
        editingSelectionDidChange();
    }
    insertTypedText(text);
}

void TextEditingResponder::setMarkedText(const NSString& text, NSRange selectedRange)
{
    NSAssertMainThread();
    if (!m_editing)
        return;
    m_markedText = text.isNil() ? NSString::string() : text;
    const NSUInteger length = m_markedText.length();
    const NSUInteger location = std::min(selectedRange.location, length);
    m_markedSelectedRange = NSMakeRange(location, std::min(selectedRange.length, length - location));
    editingSelectionDidChange();
}

bool TextEditingResponder::performEditing(UIEditingAction action, bool secure, bool singleLine)
{
    NSAssertMainThread();
    if (!m_editing)
        return false;
    const NSRange selection = m_editor.selectedRange();
    auto pasteboard = UIPasteboard::generalPasteboard();
    switch (action) {
    case UIEditingAction::SelectAll:
        m_editor.setSelectedRange(NSMakeRange(0, m_editor.text().length()));
        editingSelectionDidChange();
        return true;
    case UIEditingAction::Copy:
    case UIEditingAction::Cut:
        if (secure || selection.length == 0)
            return false;
        pasteboard->setString(m_editor.text().substringWithRange(selection));
        if (action == UIEditingAction::Cut)
            replaceByUser(selection, NSString::string());
        return true;
    case UIEditingAction::Paste: {
        NSString text = pasteboard->string();
        if (text.isNil())
            return false;
        if (singleLine) {
            text = text.stringByTrimmingCharactersInSet(*NSCharacterSet::newlineCharacterSet());
            text = text.stringByReplacingOccurrencesOfString("\r\n", " ").stringByReplacingOccurrencesOfString("\r", " ").stringByReplacingOccurrencesOfString("\n", " ");
        }
        if (text.length() == 0)
            return false;
        m_markedText = NSString::string();
        m_markedSelectedRange = NSMakeRange(0, 0);
        replaceByUser(selection, text);
        return true;
    }
    }
    return false;
}

namespace {

bool takesTabFocus(const UIView& view)
{
    if (view.isHidden() || view.alpha() <= 0.01 || !view.isUserInteractionEnabled())
        return false;
    if (auto control = dynamic_cast<const UIControl*>(&view); control && !control->isEnabled())
        return false;
    return true;
}

void collectTextControls(const UIViewRef& view, std::vector<UIViewRef>& found)
{
    if (!takesTabFocus(*view))
        return;
    if (dynamic_cast<TextEditingResponder*>(view.get())) {
        found.push_back(view);
        return;
    }
    for (const auto& subview : view->subviews())
        collectTextControls(subview, found);
}

} // namespace

bool TextEditingResponder::moveFocus(UIView& from, bool backward)
{
    auto window = from.window();
    if (!window)
        return false;
    std::vector<UIViewRef> controls;
    collectTextControls(window, controls);
    auto origin = [](const UIViewRef& view) {
        const CGRect frame = view->superview() ? view->superview()->convertRectToView(view->frame(), nullptr) : view->frame();
        return std::make_pair(std::round(frame.origin.y), frame.origin.x);
    };
    std::stable_sort(controls.begin(), controls.end(), [&](const UIViewRef& a, const UIViewRef& b) { return origin(a) < origin(b); });
    const auto here = std::find_if(controls.begin(), controls.end(), [&](const UIViewRef& view) { return view.get() == &from; });
    if (here == controls.end() || controls.size() < 2)
        return false;
    const std::size_t count = controls.size();
    const std::size_t start = static_cast<std::size_t>(here - controls.begin());
    for (std::size_t step = 1; step < count; ++step) {
        const std::size_t index = backward ? (start + count - step) % count : (start + step) % count;
        if (controls[index]->becomeFirstResponder())
            return true;
    }
    return false;
}

void TextEditingResponder::deleteBackward()
{
    NSAssertMainThread();
    if (!m_editing || m_markedText.length() > 0)
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
