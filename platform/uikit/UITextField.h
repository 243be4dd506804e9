#pragma once
// A field of one line of editable text. Tapping it makes it first responder, which brings up the
// keyboard; typed text goes in at the caret, Backspace takes one composed character (or the
// selection), the arrow keys move the caret and, with Shift, the selection. The delegate is asked
// before editing begins and ends, before each change and on Return and on the clear button.
//
// Order of what an edit session tells: shouldBeginEditing; didBeginEditing, the editing-did-begin
// control event, then UITextFieldTextDidBeginEditingNotification, all before the keyboard announces
// itself. Each change: shouldChangeCharactersInRange, the editing-changed event, then
// UITextFieldTextDidChangeNotification. The end: shouldEndEditing; didEndEditing, the
// editing-did-end event and UITextFieldTextDidEndEditingNotification.

#include "platform/text/NSAttributedString.h"
#include "platform/text/NSParagraphStyle.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/TextEditingResponder.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UITextInputTraits.h"

#include <optional>

class UITextField;

enum class UITextBorderStyle : NSInteger {
    None = 0,
    Line = 1,
    Bezel = 2,
    RoundedRect = 3,
};

enum class UITextFieldViewMode : NSInteger {
    Never = 0,
    WhileEditing = 1,
    UnlessEditing = 2,
    Always = 3,
};

inline constexpr const char* UITextFieldTextDidBeginEditingNotification = "UITextFieldTextDidBeginEditingNotification";
inline constexpr const char* UITextFieldTextDidEndEditingNotification = "UITextFieldTextDidEndEditingNotification";
inline constexpr const char* UITextFieldTextDidChangeNotification = "UITextFieldTextDidChangeNotification";

class UITextFieldDelegate {
public:
    virtual ~UITextFieldDelegate() = default;
    virtual std::optional<bool> textFieldShouldBeginEditing(UITextField&) { return std::nullopt; }
    virtual void textFieldDidBeginEditing(UITextField&) { }
    virtual std::optional<bool> textFieldShouldEndEditing(UITextField&) { return std::nullopt; }
    virtual void textFieldDidEndEditing(UITextField&) { }
    virtual std::optional<bool> shouldChangeCharactersInRange(UITextField&, NSRange range, const NSString& replacementString)
    {
        (void)range;
        (void)replacementString;
        return std::nullopt;
    }
    virtual std::optional<bool> textFieldShouldClear(UITextField&) { return std::nullopt; }
    virtual std::optional<bool> textFieldShouldReturn(UITextField&) { return std::nullopt; }
};

class UITextField : public UIControl, public TextEditingResponder, public UITextInputTraits {
    NS_OBJECT(UITextField, UIControl)
public:
    ~UITextField() override;

    // Never nil: the empty text when there is none.
    NSString text() const { return m_editor.text(); }
    // Programmatic: no delegate question and no change notification, as on the platform.
    void setText(const NSString& text);

    NSString placeholder() const;
    // Shown in the placeholder colour (70 % grey) unless the attributed placeholder sets another.
    void setPlaceholder(const NSString& placeholder);
    std::shared_ptr<NSAttributedString> attributedPlaceholder() const { return m_attributedPlaceholder; }
    void setAttributedPlaceholder(const std::shared_ptr<NSAttributedString>& placeholder);

    // font(), textColor() and textAlignment(): the system font of 17 points, black and left unless
    // set; nil restores the default.

    UITextBorderStyle borderStyle() const { return m_borderStyle; }
    void setBorderStyle(UITextBorderStyle style);
    UITextFieldViewMode clearButtonMode() const { return m_clearButtonMode; }
    void setClearButtonMode(UITextFieldViewMode mode);
    bool clearsOnBeginEditing() const { return m_clearsOnBeginEditing; }
    void setClearsOnBeginEditing(bool clears) { m_clearsOnBeginEditing = clears; }

    const UIViewRef& leftView() const { return m_leftView; }
    void setLeftView(const UIViewRef& view);
    UITextFieldViewMode leftViewMode() const { return m_leftViewMode; }
    void setLeftViewMode(UITextFieldViewMode mode);
    const UIViewRef& rightView() const { return m_rightView; }
    void setRightView(const UIViewRef& view);
    UITextFieldViewMode rightViewMode() const { return m_rightViewMode; }
    void setRightViewMode(UITextFieldViewMode mode);

    std::shared_ptr<UITextFieldDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<UITextFieldDelegate>& delegate) { m_delegate = delegate; }

    UIViewRef inputView() const override { return m_inputView; }
    UIViewRef inputAccessoryView() const override { return m_inputAccessoryView; }

    void setSelectedRange(NSRange range);

    // Where the parts go, for subclasses to move them.
    virtual CGRect borderRectForBounds(CGRect bounds) const { return bounds; }
    virtual CGRect textRectForBounds(CGRect bounds) const;
    virtual CGRect placeholderRectForBounds(CGRect bounds) const { return textRectForBounds(bounds); }
    virtual CGRect editingRectForBounds(CGRect bounds) const { return textRectForBounds(bounds); }
    virtual CGRect clearButtonRectForBounds(CGRect bounds) const;
    virtual CGRect leftViewRectForBounds(CGRect bounds) const;
    virtual CGRect rightViewRectForBounds(CGRect bounds) const;
    virtual void drawTextInRect(CGRect rect);
    virtual void drawPlaceholderInRect(CGRect rect);
    // The caret for an index of the text, in the field's coordinates.
    CGRect caretRectForIndex(NSUInteger index) const;
    // The index nearest to a point in the field's coordinates.
    NSUInteger indexForPoint(CGPoint point) const;
    // The clear button, for tests and the host's view tree.
    UIControlRef clearButton() const { return m_clearButton; }

    // Responder.
    bool canBecomeFirstResponder() const override;
    bool canResignFirstResponder() const override;
    bool resignFirstResponder() override;
    void didBecomeFirstResponder() override;
    void didResignFirstResponder() override;
    // Tab and Shift+Tab move to the window's next or previous text control.
    bool pressKey(UIKeyboardKey key, UIKeyModifierFlags modifiers) override;
    bool performEditingAction(UIEditingAction action) override;

    // Typed text (insertText): "\n" is the Return key.
    bool returnKeyEnabled() const override { return !enablesReturnKeyAutomatically() || hasText(); }
    void setSecureTextEntry(bool secure) override;

    void layoutSubviews() override;
    void drawRect(CGRect rect) override;
    void endTrackingWithTouch(UITouch* touch, const UIEventRef& event) override;
    CGSize sizeThatFits(CGSize size) const override;
    NSString visibleText() const override;

protected:
    void init(CGRect frame) override;

private:
    bool replaceByUser(NSRange range, const NSString& replacement) override;
    void insertTypedText(const NSString& text) override;
    void textDidChangeByUser();
    void clearButtonTapped();
    bool shows(UITextFieldViewMode mode) const;
    // The text as the field draws it: bullets for secure entry, the composition at the caret.
    NSString displayedText() const;
    NSString maskedText() const;
    std::shared_ptr<NSAttributedString> styledText(const NSString& text, const UIColorRef& color) const;
    std::shared_ptr<NSAttributedString> styledPlaceholder() const;
    // x of the text's start within the text rectangle, after alignment and the scroll that keeps
    // the caret in view.
    CGFloat textOriginX(CGRect textRect) const;
    CGFloat baselineInRect(CGRect rect) const;
    void contentDidChange();
    void editingSelectionDidChange() override { contentDidChange(); }
    CGFloat defaultFontSize() const override;
    void textLookDidChange(bool fontChanged) override;

    std::shared_ptr<NSAttributedString> m_attributedPlaceholder;
    UITextBorderStyle m_borderStyle { UITextBorderStyle::None };
    UITextFieldViewMode m_clearButtonMode { UITextFieldViewMode::Never };
    UITextFieldViewMode m_leftViewMode { UITextFieldViewMode::Never };
    UITextFieldViewMode m_rightViewMode { UITextFieldViewMode::Never };
    bool m_clearsOnBeginEditing { false };
    // Set while the delegate was already asked whether editing may end.
    bool m_endAnswered { false };
    CGFloat m_scrollX { 0 };
    UIViewRef m_leftView;
    UIViewRef m_rightView;
    UIControlRef m_clearButton;
    std::weak_ptr<UITextFieldDelegate> m_delegate;
};

using UITextFieldRef = std::shared_ptr<UITextField>;
