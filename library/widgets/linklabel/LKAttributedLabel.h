#pragma once
// A label that lays out and draws attributed text itself: pieces of the text may carry their own
// colours and fonts, pieces without them take the label's, and the last line that does not fit
// ends in "…". The token is drawn once per drawing and the stored text is never changed by it.
//
//     auto label = LKAttributedLabel::create();
//     label->setFont(UIFont::systemFontOfSize(12));
//     label->setTextColor(UIColor::grayColor());
//     label->setText(hourText);                    // NSAttributedString with red figures
//
// Main thread only.

#include "platform/text/CTFramesetter.h"
#include "platform/text/NSAttributedString.h"
#include "platform/uikit/UILabel.h"

class LKAttributedLabel : public UILabel {
    NS_OBJECT(LKAttributedLabel, UILabel)
public:
    // Plain text takes the label's font and colour over its whole length.
    void setText(const NSString& text);
    void setText(const std::shared_ptr<NSAttributedString>& text);
    const std::shared_ptr<NSAttributedString>& attributedText() const { return m_attributedText; }
    // The text as laid out: the label's font and colour filled in where a range has none.
    std::shared_ptr<NSAttributedString> renderedAttributedText() const;

    // nil: "…".
    const NSString& truncationTokenString() const { return m_truncationTokenString; }
    void setTruncationTokenString(const NSString& token) { m_truncationTokenString = token; }
    UIEdgeInsets textInsets() const { return m_textInsets; }
    void setTextInsets(UIEdgeInsets insets) { m_textInsets = insets; }

    CGSize sizeThatFits(CGSize size) const override;
    void drawTextInRect(CGRect rect) override;
    // The lines the last drawing drew, after truncation, as plain text.
    const std::vector<NSString>& drawnLines() const { return m_drawnLines; }

private:
    std::shared_ptr<NSAttributedString> m_attributedText;
    NSString m_truncationTokenString;
    UIEdgeInsets m_textInsets { 0, 0, 0, 0 };
    std::vector<NSString> m_drawnLines;
};
