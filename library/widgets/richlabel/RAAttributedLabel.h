#pragma once
// The label of question texts, key points and goods descriptions: multi-line text laid out by the
// text engine, with pictures and whole views inside the flow of the text, web addresses turned
// into links that open when tapped, and a size calculation that makes the label exactly as tall
// as its content.
//
//     auto label = RAAttributedLabel::create(CGRectMake(10, 5, width, 100));
//     label->setLineSpacing(5);
//     label->setParagraphSpacing(10);
//     label->setFont(UIFont::systemFontOfSize(15));
//     label->setText("1.驾驶机动车在道路上……");
//     label->appendImage(picture, CGSizeMake(220, 140), UIEdgeInsetsMake(10, m, 5, m), 2);
//     label->setFrame({ { 10, 5 }, label->sizeThatFits(CGSizeMake(width, CGFLOAT_MAX)) });
//
// Addresses in texts of 6 to 50 characters are found in the first drawing; longer texts are
// searched on a private queue and get their links in a later drawing. Main thread only.

#include "library/widgets/richlabel/RAAttributedLabelAttachment.h"
#include "library/widgets/richlabel/RAAttributedLabelURL.h"
#include "platform/text/CTFrame.h"
#include "platform/text/NSAttributedString.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIView.h"

class RAAttributedLabel;

class RAAttributedLabelDelegate {
public:
    virtual ~RAAttributedLabelDelegate() = default;
    // Optional: false (not implemented) lets the label open the link itself.
    virtual bool clickedOnLink(RAAttributedLabel& label, const id& linkData)
    {
        (void)label, (void)linkData;
        return false;
    }
};

class RAAttributedLabel : public UIView {
    NS_OBJECT(RAAttributedLabel, UIView)
public:
    std::shared_ptr<RAAttributedLabelDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<RAAttributedLabelDelegate>& delegate) { m_delegate = delegate; }

    const UIFontRef& font() const { return m_font; }
    void setFont(const UIFontRef& font);
    const UIColorRef& textColor() const { return m_textColor; }
    void setTextColor(const UIColorRef& color);
    const UIColorRef& highlightColor() const { return m_highlightColor; }
    void setHighlightColor(const UIColorRef& color);
    const UIColorRef& linkColor() const { return m_linkColor; }
    void setLinkColor(const UIColorRef& color);
    bool underLineForLink() const { return m_underLineForLink; }
    void setUnderLineForLink(bool underline) { m_underLineForLink = underline; }
    bool autoDetectLinks() const { return m_autoDetectLinks; }
    void setAutoDetectLinks(bool detect) { m_autoDetectLinks = detect; }
    // 0 or less: no limit. Takes effect with the next layout, as do the settings below.
    NSInteger numberOfLines() const { return m_numberOfLines; }
    void setNumberOfLines(NSInteger lines) { m_numberOfLines = lines; }
    // The text engine's numbering: 0 left, 1 right, 2 centre.
    std::uint8_t textAlignment() const { return m_textAlignment; }
    void setTextAlignment(std::uint8_t alignment) { m_textAlignment = alignment; }
    // 0 word wrap, 1 character wrap, 2 clip, 3 truncate head, 4 truncate tail, 5 truncate middle.
    std::uint8_t lineBreakMode() const { return m_lineBreakMode; }
    void setLineBreakMode(std::uint8_t mode) { m_lineBreakMode = mode; }
    CGFloat lineSpacing() const { return m_lineSpacing; }
    void setLineSpacing(CGFloat spacing) { m_lineSpacing = spacing; }
    CGFloat paragraphSpacing() const { return m_paragraphSpacing; }
    void setParagraphSpacing(CGFloat spacing) { m_paragraphSpacing = spacing; }

    // The text, one U+FFFC per attachment.
    const std::shared_ptr<NSMutableAttributedString>& attributedString() const { return m_attributedString; }
    const RAAttributedLabelURLRef& touchedLink() const { return m_touchedLink; }
    bool linkDetected() const { return m_linkDetected; }
    const std::vector<RAAttributedLabelAttachmentRef>& attachments() const { return m_attachments; }
    const std::vector<RAAttributedLabelURLRef>& links() const { return m_linkLocations; }

    // Text. Setting the text drops every attachment, link and subview.
    void setText(const NSString& text);
    void setAttributedText(const std::shared_ptr<NSAttributedString>& text);
    void appendText(const NSString& text);
    void appendAttributedText(const std::shared_ptr<NSAttributedString>& text);
    void appendAttachment(const RAAttributedLabelAttachmentRef& attachment);
    void appendImage(const UIImageRef& image);
    void appendImage(const UIImageRef& image, CGSize maxSize);
    void appendImage(const UIImageRef& image, CGSize maxSize, UIEdgeInsets margin);
    void appendImage(const UIImageRef& image, CGSize maxSize, UIEdgeInsets margin, std::int32_t alignment);
    void appendView(const UIViewRef& view);
    void appendView(const UIViewRef& view, UIEdgeInsets margin);
    void appendView(const UIViewRef& view, UIEdgeInsets margin, std::int32_t alignment);
    void addCustomLink(const id& linkData, NSRange range);
    void addCustomLink(const id& linkData, NSRange range, const UIColorRef& linkColor);
    static void setCustomDetectMethod(RAAttributedLabelURL::DetectMethod method);

    // Sizing.
    CGSize sizeThatFits(CGSize size) const override;
    CGSize intrinsicContentSize() const override;
    // Lines of the laid-out text, capped by numberOfLines; 0 before the first drawing.
    NSInteger numberOfDisplayedLines() const;

    // Links: the link under a point of the label (only on the lines shown), and its data.
    RAAttributedLabelURLRef urlForPoint(CGPoint point) const;
    id linkDataForPoint(CGPoint point) const;
    RAAttributedLabelURLRef linkAtIndex(CFIndex index) const;
    // Hands the link under the point to the delegate, or opens it; true when there was one.
    bool onLabelClick(CGPoint point);

    void setFrame(CGRect frame) override;
    void setBounds(CGRect bounds) override;
    void drawRect(CGRect rect) override;
    void touchesBegan(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesMoved(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesEnded(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesCancelled(const UITouchSet& touches, const UIEventRef& event) override;

protected:
    void init(CGRect frame) override;

private:
    std::shared_ptr<NSMutableAttributedString> attributedStringFromText(const NSString& text) const;
    std::shared_ptr<NSMutableAttributedString> attributedStringForDraw() const;
    void resetFont();
    void resetTextFrame();
    void prepareTextFrame(const std::shared_ptr<NSAttributedString>& string, CGRect rect);
    void drawHighlightWithRect(CGRect rect, const CGContextRef& context);
    void drawAttachments(const CGContextRef& context);
    void drawText(const std::shared_ptr<NSAttributedString>& string, CGRect rect, const CGContextRef& context);
    CGAffineTransform transformForCoreText() const;
    CGRect getLineBounds(const CTLineRef& line, CGPoint point) const;
    CGRect rectForRange(NSRange range, const CTLineRef& line, CGPoint lineOrigin) const;
    void recomputeLinksIfNeeded();
    void computeLink(const NSString& text, bool sync);
    void linksDetected(const std::optional<RAAttributedLabelURL::Links>& links);
    void addAutoDetectedLink(const RAAttributedLabelURLRef& link);

    std::vector<RAAttributedLabelAttachmentRef> m_attachments;
    std::vector<RAAttributedLabelURLRef> m_linkLocations;
    CTFrameRef m_textFrame;
    CGFloat m_fontAscent { 0 };
    CGFloat m_fontDescent { 0 };
    CGFloat m_fontHeight { 0 };
    std::weak_ptr<RAAttributedLabelDelegate> m_delegate;
    UIFontRef m_font;
    UIColorRef m_textColor;
    UIColorRef m_highlightColor;
    UIColorRef m_linkColor;
    bool m_underLineForLink { true };
    bool m_autoDetectLinks { true };
    NSInteger m_numberOfLines { 0 };
    std::uint8_t m_textAlignment { 0 };
    std::uint8_t m_lineBreakMode { 0 };
    CGFloat m_lineSpacing { 0 };
    CGFloat m_paragraphSpacing { 0 };
    std::shared_ptr<NSMutableAttributedString> m_attributedString;
    RAAttributedLabelURLRef m_touchedLink;
    // The link the finger came down on; only it can open.
    RAAttributedLabelURLRef m_touchBeganLink;
    // The superclass saw the touch's beginning, so it gets the rest of the sequence too.
    bool m_touchForwarded { false };
    bool m_linkDetected { false };
    bool m_ignoreRedraw { false };
};
