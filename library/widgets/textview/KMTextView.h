#pragma once
// A text view that shows a grey placeholder while its text is empty. The placeholder follows
// every change of the text: typing, deleting and setText.

#include "platform/uikit/UILabel.h"
#include "platform/uikit/UITextView.h"

class KMTextView : public UITextView {
    NS_OBJECT(KMTextView, UITextView)
public:
    ~KMTextView() override;

    const NSString& placeholder() const { return m_placeholder; }
    void setPlaceholder(const NSString& placeholder);
    void refreshPlaceholder() const;
    const UILabelRef& placeHolderLabel() const { return m_placeHolderLabel; }

    void setText(const NSString& text) override;
    void setFont(const UIFontRef& font) override;
    std::shared_ptr<UITextViewDelegate> delegate() const override;

protected:
    void init(CGRect frame) override;

private:
    void textDidChange();

    UILabelRef m_placeHolderLabel;
    NSString m_placeholder;
};
