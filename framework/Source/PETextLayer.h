#pragma once
// A bordered layer showing a string in a text style, or an attributed string in its own
// attributes, sized to fit its text plus the paddings.

#include "framework/Source/PEBorderedLayer.h"
#include "platform/text/NSAttributedString.h"

class PETextStyle;

class PETextLayer : public PEBorderedLayer {
    NS_OBJECT(PETextLayer, PEBorderedLayer)
public:
    const NSString& text() const { return m_text; }
    void setText(const NSString& text);
    const std::shared_ptr<PETextStyle>& textStyle() const { return m_textStyle; }
    void setTextStyle(const std::shared_ptr<PETextStyle>& style);
    const std::shared_ptr<NSAttributedString>& attributedText() const { return m_attributedText; }
    void setAttributedText(const std::shared_ptr<NSAttributedString>& text);
    // Limits sizeToFit in each dimension where above 0.
    CGSize maximumSize() const { return m_maximumSize; }
    void setMaximumSize(CGSize size);

    // The text's size plus the paddings, limited and rounded up; the origin stays.
    CGSize sizeThatFits() const;
    void sizeToFit();

    void renderAsVectorInContext(const CGContextRef& context) override;

    void encodeWithCoder(NSCoder& coder) const override;

protected:
    // initWithText:style:
    void init(const NSString& text, const std::shared_ptr<PETextStyle>& style);
    // initWithAttributedText:
    void init(const std::shared_ptr<NSAttributedString>& text);
    void init();
    void init(CGRect frame);
    bool init(NSCoder& coder);

private:
    NSString m_text;
    std::shared_ptr<PETextStyle> m_textStyle;
    std::shared_ptr<NSAttributedString> m_attributedText;
    CGSize m_maximumSize {};
};

using PETextLayerRef = std::shared_ptr<PETextLayer>;
