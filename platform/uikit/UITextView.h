#pragma once
// Scrolling text of many lines, editable or only selectable. Lines wrap at the view's width within
// the text container inset; the content grows with the text and the view scrolls to keep the caret
// in sight. Editing works as in a text field (EditableText), Return inserts a line break, and the
// arrows move by composed character and, up and down, by laid-out line.
//
// The delegate is read again for every question and report, as the platform reads it, so a
// subclass that watches delegate() sees each edit. Order of an edit: shouldChangeTextInRange,
// textViewDidChangeSelection, textViewDidChange, then UITextViewTextDidChangeNotification.

#include "platform/text/NSAttributedString.h"
#include "platform/text/NSParagraphStyle.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/TextEditingResponder.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UITextInputTraits.h"

#include <optional>

class NSURL;
class UITextView;
class TextViewContentView;

inline constexpr const char* UITextViewTextDidBeginEditingNotification = "UITextViewTextDidBeginEditingNotification";
inline constexpr const char* UITextViewTextDidChangeNotification = "UITextViewTextDidChangeNotification";
inline constexpr const char* UITextViewTextDidEndEditingNotification = "UITextViewTextDidEndEditingNotification";

// A place in the text, for the platform's text-input calls.
class UITextPosition : public NSObject {
    NS_OBJECT(UITextPosition, NSObject)
public:
    NSUInteger offset() const { return m_offset; }

protected:
    void init(NSUInteger offset) { m_offset = offset; }

private:
    NSUInteger m_offset { 0 };
};

class UITextRange : public NSObject {
    NS_OBJECT(UITextRange, NSObject)
public:
    const std::shared_ptr<UITextPosition>& start() const { return m_start; }
    const std::shared_ptr<UITextPosition>& end() const { return m_end; }
    bool isEmpty() const { return m_start->offset() == m_end->offset(); }

protected:
    void init(NSRange range)
    {
        m_start = UITextPosition::create(range.location);
        m_end = UITextPosition::create(range.end());
    }

private:
    std::shared_ptr<UITextPosition> m_start;
    std::shared_ptr<UITextPosition> m_end;
};

class UITextViewDelegate : public UIScrollViewDelegate {
public:
    virtual std::optional<bool> textViewShouldBeginEditing(UITextView&) { return std::nullopt; }
    virtual std::optional<bool> textViewShouldEndEditing(UITextView&) { return std::nullopt; }
    virtual void textViewDidBeginEditing(UITextView&) { }
    virtual void textViewDidEndEditing(UITextView&) { }
    virtual std::optional<bool> shouldChangeTextInRange(UITextView&, NSRange range, const NSString& replacementText)
    {
        (void)range;
        (void)replacementText;
        return std::nullopt;
    }
    virtual void textViewDidChange(UITextView&) { }
    virtual void textViewDidChangeSelection(UITextView&) { }
    virtual std::optional<bool> shouldInteractWithURL(UITextView&, const std::shared_ptr<NSURL>& url, NSRange range)
    {
        (void)url;
        (void)range;
        return std::nullopt;
    }
    virtual std::optional<bool> shouldInteractWithTextAttachment(UITextView&, const id& attachment, NSRange range)
    {
        (void)attachment;
        (void)range;
        return std::nullopt;
    }
};

class UITextView : public UIScrollView, public TextEditingResponder, public UITextInputTraits {
    NS_OBJECT(UITextView, UIScrollView)
public:
    ~UITextView() override;

    // Never nil.
    NSString text() const { return m_editor.text(); }
    // Programmatic: no delegate question and no notification; the caret goes to the end.
    virtual void setText(const NSString& text);
    // font(), textColor() and textAlignment(): the system font of 12 points, black and left unless
    // set; nil restores the default.

    // Room around the text; the platform's 8 points above and below by default.
    UIEdgeInsets textContainerInset() const { return m_textContainerInset; }
    void setTextContainerInset(UIEdgeInsets inset);

    bool isEditable() const { return m_editable; }
    // Turning editing off ends an edit in progress.
    void setEditable(bool editable);
    bool isSelectable() const { return m_selectable; }
    void setSelectable(bool selectable);

    // Read for every edit; a subclass may watch it.
    virtual std::shared_ptr<UITextViewDelegate> delegate() const { return m_textDelegate.lock(); }
    void setDelegate(const std::shared_ptr<UITextViewDelegate>& delegate);

    UIViewRef inputView() const override { return m_inputView; }
    UIViewRef inputAccessoryView() const override { return m_inputAccessoryView; }

    void setSelectedRange(NSRange range);
    std::shared_ptr<UITextRange> selectedTextRange() const { return UITextRange::create(m_editor.selectedRange()); }
    // In the view's content coordinates; a nil position gives the null rectangle.
    CGRect caretRectForPosition(const std::shared_ptr<UITextPosition>& position) const;
    CGRect caretRectForIndex(NSUInteger index) const;
    // The index nearest to a point of the content.
    NSUInteger indexForPoint(CGPoint point) const;
    void scrollRangeToVisible(NSRange range);

    // Responder.
    bool canBecomeFirstResponder() const override;
    bool canResignFirstResponder() const override;
    bool resignFirstResponder() override;
    void didBecomeFirstResponder() override;
    void didResignFirstResponder() override;
    // Tab and Shift+Tab move to the window's next or previous text control.
    bool pressKey(UIKeyboardKey key, UIKeyModifierFlags modifiers) override;
    bool performEditingAction(UIEditingAction action) override;
    void touchesBegan(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesEnded(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesCancelled(const UITouchSet& touches, const UIEventRef& event) override;

    bool wantsKeyboard() const override { return m_editable; }

    void layoutSubviews() override;
    void setBounds(CGRect bounds) override;
    NSString visibleText() const override { return text(); }

    // Draws the text, selection and caret into the content; for the content view.
    void drawContent(CGRect rect);
    void drawMarkedText(const CGContextRef& context);

protected:
    void init(CGRect frame) override;

private:
    struct Layout;
    const Layout& layout() const;
    void invalidateLayout();
    std::shared_ptr<NSAttributedString> styledText() const;
    bool replaceByUser(NSRange range, const NSString& replacement) override;
    // By the lines as laid out, wrapped ones included.
    bool moveVertically(bool up, bool extending) override;
    void selectionDidChangeByUser();
    void editingSelectionDidChange() override { selectionDidChangeByUser(); }
    void contentDidChange();
    CGFloat defaultFontSize() const override;
    void textLookDidChange(bool fontChanged) override;
    void keepCaretVisible();

    UIEdgeInsets m_textContainerInset { 8, 0, 8, 0 };
    bool m_editable { true };
    bool m_selectable { true };
    bool m_touchDown { false };
    std::weak_ptr<UITextViewDelegate> m_textDelegate;
    std::shared_ptr<TextViewContentView> m_contentView;
    mutable std::shared_ptr<Layout> m_layout;
};

using UITextViewRef = std::shared_ptr<UITextView>;
