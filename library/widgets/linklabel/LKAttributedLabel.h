#pragma once
// A label that lays out and draws attributed text itself: pieces of the text may carry their own
// colours and fonts, pieces without them take the label's, and the last line that does not fit
// ends in a token ("…" unless set). Ranges of the text may be links: drawn in the link
// attributes, pressed in the active ones, found under a finger (or a few points beside it),
// reported to the delegate, listed for screen readers, and kept in keyed archives.
//
//     auto label = LKAttributedLabel::create();
//     label->setFont(UIFont::systemFontOfSize(12));
//     label->setText(hourText);                    // NSAttributedString with red figures
//     label->addLinkToURL(NSURL::URLWithString("http://www.cdjg.gov.cn"), NSRange { 5, 4 });
//
// Main thread only.

#include "library/widgets/linklabel/LKAttributedLabelDelegate.h"
#include "library/widgets/linklabel/LKAttributedLabelLink.h"
#include "platform/foundation/NSArray.h"
#include "platform/text/CTFramesetter.h"
#include "platform/text/NSAttributedString.h"
#include "platform/uikit/UILabel.h"

class LKAttributedLabel : public UILabel, public NSCoding {
    NS_OBJECT(LKAttributedLabel, UILabel)
public:
    // One element a screen reader walks: a link, or the whole label (listed last).
    struct AccessibilityElement {
        NSString label;
        NSString value;
        NSString hint;
        CGRect frame { };
        bool isLink { false };
    };

    // Plain text takes the label's font and colour over its whole length.
    void setText(const NSString& text);
    // Links of the previous text go; ranges carrying NSLinkAttributeName become links.
    void setText(const std::shared_ptr<NSAttributedString>& text);
    const std::shared_ptr<NSAttributedString>& attributedText() const { return m_attributedText; }
    // The text as laid out: the label's font and colour filled in where a range has none.
    std::shared_ptr<NSAttributedString> renderedAttributedText() const;

    // nil: "…".
    const NSString& truncationTokenString() const { return m_truncationTokenString; }
    void setTruncationTokenString(const NSString& token) { m_truncationTokenString = token; }
    // nil: the attributes of the text where it is cut.
    const std::shared_ptr<NSDictionary>& truncationTokenStringAttributes() const { return m_truncationTokenStringAttributes; }
    void setTruncationTokenStringAttributes(const std::shared_ptr<NSDictionary>& attributes) { m_truncationTokenStringAttributes = attributes; }
    // The whole token; wins over the two above. One carrying NSLinkAttributeName becomes a link.
    const std::shared_ptr<NSAttributedString>& attributedTruncationToken() const { return m_attributedTruncationToken; }
    void setAttributedTruncationToken(const std::shared_ptr<NSAttributedString>& token) { m_attributedTruncationToken = token; }
    UIEdgeInsets textInsets() const { return m_textInsets; }
    void setTextInsets(UIEdgeInsets insets) { m_textInsets = insets; }

    // Links.
    const std::shared_ptr<NSDictionary>& linkAttributes() const { return m_linkAttributes; }
    void setLinkAttributes(const std::shared_ptr<NSDictionary>& attributes) { m_linkAttributes = attributes; }
    const std::shared_ptr<NSDictionary>& activeLinkAttributes() const { return m_activeLinkAttributes; }
    void setActiveLinkAttributes(const std::shared_ptr<NSDictionary>& attributes) { m_activeLinkAttributes = attributes; }
    const std::shared_ptr<NSDictionary>& inactiveLinkAttributes() const { return m_inactiveLinkAttributes; }
    void setInactiveLinkAttributes(const std::shared_ptr<NSDictionary>& attributes) { m_inactiveLinkAttributes = attributes; }
    bool extendsLinkTouchArea() const { return m_extendsLinkTouchArea; }
    void setExtendsLinkTouchArea(bool extends) { m_extendsLinkTouchArea = extends; }
    std::shared_ptr<LKAttributedLabelDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<LKAttributedLabelDelegate>& delegate) { m_delegate = delegate; }

    std::shared_ptr<LKAttributedLabelLink> addLinkToURL(const id& URL, NSRange range);
    std::shared_ptr<LKAttributedLabelLink> addLinkToPhoneNumber(const NSString& phoneNumber, NSRange range);
    std::shared_ptr<LKAttributedLabelLink> addLinkToDate(const std::shared_ptr<NSDate>& date, NSRange range);
    std::shared_ptr<LKAttributedLabelLink> addLinkWithTextCheckingResult(const std::shared_ptr<NSTextCheckingResult>& result);
    std::shared_ptr<LKAttributedLabelLink> addLinkWithTextCheckingResult(const std::shared_ptr<NSTextCheckingResult>& result, const std::shared_ptr<NSDictionary>& attributes);
    std::vector<std::shared_ptr<LKAttributedLabelLink>> addLinksWithTextCheckingResults(const std::vector<std::shared_ptr<NSTextCheckingResult>>& results,
        const std::shared_ptr<NSDictionary>& attributes);
    void addLink(const std::shared_ptr<LKAttributedLabelLink>& link);
    // Links whose range does not lie within the text are left out.
    void addLinks(const std::vector<std::shared_ptr<LKAttributedLabelLink>>& links);
    const std::vector<std::shared_ptr<LKAttributedLabelLink>>& linkModels() const { return m_linkModels; }
    void setLinkModels(std::vector<std::shared_ptr<LKAttributedLabelLink>> links);
    std::vector<std::shared_ptr<NSTextCheckingResult>> links() const;
    const std::shared_ptr<LKAttributedLabelLink>& activeLink() const { return m_activeLink; }
    void setActiveLink(const std::shared_ptr<LKAttributedLabelLink>& link);

    // The character drawn under a point of the label, NSNotFound when none.
    NSInteger characterIndexAtPoint(CGPoint point);
    // The link added last among those covering the character.
    std::shared_ptr<LKAttributedLabelLink> linkAtCharacterIndex(NSInteger index) const;
    // Also a few points beside the text when extendsLinkTouchArea is set.
    std::shared_ptr<LKAttributedLabelLink> linkAtPoint(CGPoint point);
    std::shared_ptr<LKAttributedLabelLink> linkAtRadius(double radius, CGPoint point);
    bool containslinkAtPoint(CGPoint point) { return linkAtPoint(point) != nullptr; }
    // The box of the drawn characters of the range, in the label's space (CGRectNull when none).
    CGRect boundingRectForCharacterRange(NSRange range);

    std::shared_ptr<UIView> hitTest(CGPoint point, const UIEventRef& event) override;
    void touchesBegan(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesMoved(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesEnded(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesCancelled(const UITouchSet& touches, const UIEventRef& event) override;

    // Accessibility: one element per link, then the label; rebuilt when the links change.
    bool isAccessibilityElement() const { return false; }
    const std::vector<AccessibilityElement>& accessibilityElements();
    NSInteger accessibilityElementCount() { return static_cast<NSInteger>(accessibilityElements().size()); }
    const NSString& accessibilityLabel() const { return m_accessibilityLabel; }
    void setAccessibilityLabel(const NSString& label) { m_accessibilityLabel = label; }
    const NSString& accessibilityHint() const { return m_accessibilityHint; }
    void setAccessibilityHint(const NSString& hint) { m_accessibilityHint = hint; }

    void encodeWithCoder(NSCoder& coder) const override;

    CGSize sizeThatFits(CGSize size) const override;
    void drawTextInRect(CGRect rect) override;
    // The lines the last drawing drew, after truncation, as plain text.
    const std::vector<NSString>& drawnLines() const { return m_drawnLines; }

protected:
    void init(CGRect frame) override;
    bool init(NSCoder& coder);

private:
    struct Layout;
    Layout layoutIn(CGRect rect, const std::shared_ptr<NSAttributedString>& rendered) const;
    void commonInit();
    void storeAttributedText(const std::shared_ptr<NSAttributedString>& text);
    void linkToken(const std::shared_ptr<NSAttributedString>& token, NSRange range);
    void report(LKAttributedLabelLink& link, bool longPress, CGPoint point);

    std::shared_ptr<NSAttributedString> m_attributedText;
    std::shared_ptr<NSAttributedString> m_inactiveAttributedText;
    NSString m_truncationTokenString;
    std::shared_ptr<NSDictionary> m_truncationTokenStringAttributes;
    std::shared_ptr<NSAttributedString> m_attributedTruncationToken;
    UIEdgeInsets m_textInsets { 0, 0, 0, 0 };
    std::vector<NSString> m_drawnLines;
    std::shared_ptr<NSDictionary> m_linkAttributes;
    std::shared_ptr<NSDictionary> m_activeLinkAttributes;
    std::shared_ptr<NSDictionary> m_inactiveLinkAttributes;
    bool m_extendsLinkTouchArea { true };
    std::weak_ptr<LKAttributedLabelDelegate> m_delegate;
    std::vector<std::shared_ptr<LKAttributedLabelLink>> m_linkModels;
    std::shared_ptr<LKAttributedLabelLink> m_activeLink;
    // The link a linked token made, kept so later drawings of the same text add none.
    std::shared_ptr<LKAttributedLabelLink> m_tokenLink;
    std::optional<std::vector<AccessibilityElement>> m_accessibilityElements;
    NSString m_accessibilityLabel;
    NSString m_accessibilityHint;
};
