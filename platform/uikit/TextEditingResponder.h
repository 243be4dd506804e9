#pragma once
// What a text field and a text view share as the keyboard's first responder: the text being
// edited with its selection and its font, colour and alignment, whether editing is on, the views
// the keyboard brings with it, and the keys that edit (typed text, Backspace, Forward Delete) and
// move the caret (the arrows, Home, End). Each edit the user makes goes through the owner's
// replaceByUser, which asks its delegate and tells of the change.

#include "platform/text/NSParagraphStyle.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/EditableText.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIKeyInput.h"
#include "platform/uikit/UIView.h"

#include <functional>
#include <optional>

class UIResponder;

class TextEditingResponder : public UIKeyInput {
public:
    bool isEditing() const { return m_editing; }
    NSRange selectedRange() const { return m_editor.selectedRange(); }

    const UIFontRef& font() const { return m_font; }
    // Nil is the system font of the owner's default size.
    virtual void setFont(const UIFontRef& font);
    const UIColorRef& textColor() const { return m_textColor; }
    // Nil is black.
    void setTextColor(const UIColorRef& color);
    NSTextAlignment textAlignment() const { return m_textAlignment; }
    void setTextAlignment(NSTextAlignment alignment);

    void setInputView(const UIViewRef& view) { m_inputView = view; }
    void setInputAccessoryView(const UIViewRef& view) { m_inputAccessoryView = view; }

    bool hasText() const override { return m_editor.text().length() > 0; }
    // Only while editing; empty text is nothing to insert. Inserting ends a composition.
    void insertText(const NSString& text) override;
    void deleteBackward() override;
    // Only while editing; the composition shows at the caret until text is inserted.
    void setMarkedText(const NSString& text, NSRange selectedRange) override;
    NSString markedText() const override { return m_markedText; }
    // Where the input method's cursor is within the marked text.
    NSRange markedSelectedRange() const { return m_markedSelectedRange; }

protected:
    // Asks the delegate and applies an edit the user made; false when refused.
    virtual bool replaceByUser(NSRange range, const NSString& replacement) = 0;
    // Typed text while editing; by default it replaces the selection.
    virtual void insertTypedText(const NSString& text) { replaceByUser(m_editor.selectedRange(), text); }
    // Up and Down: by default to the start and end of one line of text.
    virtual bool moveVertically(bool up, bool extending) { return m_editor.move(up ? TextMovement::Up : TextMovement::Down, extending); }

    virtual CGFloat defaultFontSize() const = 0;
    // After the font changed (the text moves), or the colour or the alignment.
    virtual void textLookDidChange(bool fontChanged) = 0;

    // A key that edits or moves the caret: nullopt when the key is none of those, else whether the
    // selection moved.
    std::optional<bool> pressEditingKey(UIKeyboardKey key, bool extending);
    // Cut, copy, paste and select all on the general pasteboard, while editing. Secure text is
    // never copied; a single line takes pasted line breaks as spaces. False when it did nothing.
    bool performEditing(UIEditingAction action, bool secure, bool singleLine);
    // Tab and Shift+Tab: the next or previous control of the window that takes typed text, in
    // reading order (top to bottom, then left to right), round from the last to the first.
    static bool moveFocus(UIView& from, bool backward);
    // The selection or the marked text changed without the text changing.
    virtual void editingSelectionDidChange() = 0;
    // Where editing starts: the end of the text, unless a touch has just placed the caret.
    void placeCaretForEditing();
    // Becomes first responder keeping the caret where a touch placed it.
    void beginEditingAtTouchedCaret(UIResponder& responder);
    // The owner's resignFirstResponder: one that is first responder asks whether it may go (unless
    // a responder taking over has already asked), then goes through the owner's base class.
    static bool resignEditing(UIView& view, const std::function<bool()>& resignInBase);

    // Single-line unless the owner makes it otherwise when it starts.
    EditableText m_editor;
    UIFontRef m_font;
    UIColorRef m_textColor;
    NSTextAlignment m_textAlignment { NSTextAlignmentLeft };
    bool m_editing { false };
    // Set while a tap placed the caret, so beginning editing keeps it there.
    bool m_caretPlacedByTouch { false };
    NSString m_markedText { NSString::string() };
    NSRange m_markedSelectedRange { 0, 0 };
    UIViewRef m_inputView;
    UIViewRef m_inputAccessoryView;
};
