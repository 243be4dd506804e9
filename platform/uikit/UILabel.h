#pragma once
// Read-only text: plain text in the label's font, colour and alignment, or attributed text whose
// runs keep their own attributes (the label's fill in what a run lacks). Lines wrap within the
// bounds up to numberOfLines (0: as many as fit); a truncating line break mode cuts the last
// line shown with an ellipsis. The text block is centred vertically in the bounds.
//
// Subclasses change where the text goes through textRectForBounds and drawTextInRect, as on the
// platform: drawRect draws the text through drawTextInRect with the bounds, and sizeThatFits asks
// textRectForBounds.

#include "platform/text/NSAttributedString.h"
#include "platform/text/NSParagraphStyle.h"
#include "platform/text/UIFont.h"
#include "platform/text/TextLayout.h"
#include "platform/uikit/UIView.h"

#include <optional>

enum UIBaselineAdjustment : NSInteger {
    UIBaselineAdjustmentAlignBaselines = 0,
    UIBaselineAdjustmentAlignCenters = 1,
    UIBaselineAdjustmentNone = 2,
};

class UILabel : public UIView {
    NS_OBJECT(UILabel, UIView)
public:
    // With attributed text, its characters without the attributes.
    NSString text() const;
    void setText(const NSString& text);
    // The text as drawn, with the label's attributes where the text sets none; nil without text.
    std::shared_ptr<NSAttributedString> attributedText() const;
    virtual void setAttributedText(const std::shared_ptr<NSAttributedString>& text);

    // The system font of 17 points, and black, unless set; nil restores the default.
    const UIFontRef& font() const { return m_font; }
    virtual void setFont(const UIFontRef& font);
    const UIColorRef& textColor() const { return m_textColor; }
    virtual void setTextColor(const UIColorRef& color);
    NSTextAlignment textAlignment() const { return m_textAlignment; }
    void setTextAlignment(NSTextAlignment alignment);
    NSLineBreakMode lineBreakMode() const { return m_lineBreakMode; }
    void setLineBreakMode(NSLineBreakMode mode);
    NSInteger numberOfLines() const { return m_numberOfLines; }
    void setNumberOfLines(NSInteger lines);

    // No shadow without a colour; the offset defaults to one point up.
    const UIColorRef& shadowColor() const { return m_shadowColor; }
    void setShadowColor(const UIColorRef& color);
    CGSize shadowOffset() const { return m_shadowOffset; }
    void setShadowOffset(CGSize offset);

    // While highlighted the text takes the highlighted colour, when there is one.
    const UIColorRef& highlightedTextColor() const { return m_highlightedTextColor; }
    virtual void setHighlightedTextColor(const UIColorRef& color);
    bool isHighlighted() const { return m_highlighted; }
    void setHighlighted(bool highlighted);

    // A line too wide for the bounds shrinks its font, down to the larger of the minimum scale
    // factor and the minimum font size, before it is cut; only for labels of one line.
    bool adjustsFontSizeToFitWidth() const { return m_adjustsFontSizeToFitWidth; }
    void setAdjustsFontSizeToFitWidth(bool adjusts);
    CGFloat minimumScaleFactor() const { return m_minimumScaleFactor; }
    void setMinimumScaleFactor(CGFloat factor);
    CGFloat minimumFontSize() const { return m_minimumFontSize; }
    void setMinimumFontSize(CGFloat size);
    // Where shrunk text sits: on the baseline of the unshrunk text, centred, or at its top.
    UIBaselineAdjustment baselineAdjustment() const { return m_baselineAdjustment; }
    void setBaselineAdjustment(UIBaselineAdjustment adjustment);

    // The rectangle, at the bounds' origin, that the text needs within the bounds and the lines.
    virtual CGRect textRectForBounds(CGRect bounds, NSInteger numberOfLines) const;
    // Draws the text centred vertically in the rectangle.
    virtual void drawTextInRect(CGRect rect);
    // The font size the text is drawn at in a rectangle of that width, after any shrinking.
    CGFloat fontSizeFittingWidth(CGFloat width) const;

    void drawRect(CGRect rect) override;
    CGSize sizeThatFits(CGSize size) const override;
    CGSize intrinsicContentSize() const override;
    NSString visibleText() const override { return text(); }

protected:
    void init(CGRect frame) override;

private:
    // The text with every attribute it is drawn with, its fonts scaled by the factor.
    std::shared_ptr<NSAttributedString> styledText(CGFloat fontScale) const;
    // The factor by which fonts shrink to fit a line in the width; 1 when nothing shrinks.
    CGFloat fontScaleForWidth(CGFloat width) const;
    // The text styled at its own size, kept until something that styles it changes.
    const std::shared_ptr<NSAttributedString>& naturalText() const;
    // The text's lines in a size (a side of 0 or less, or CGFLOAT_MAX: unbounded) at most lines of
    // them (0: any number), at the font scale of its width; the last layout is kept, so that
    // measuring a label and drawing it lay its text out once. Nil without text.
    const TextLayout* laidOutText(CGSize size, NSInteger lines) const;
    void textDidChange();
    // Whatever may change how the text is styled or laid out forgets what was kept.
    void layoutInputsDidChange();

    NSString m_text;
    std::shared_ptr<NSAttributedString> m_attributedText;
    UIFontRef m_font;
    UIColorRef m_textColor;
    NSTextAlignment m_textAlignment { NSTextAlignmentLeft };
    NSLineBreakMode m_lineBreakMode { NSLineBreakByTruncatingTail };
    NSInteger m_numberOfLines { 1 };
    UIColorRef m_shadowColor;
    CGSize m_shadowOffset { 0, -1 };
    UIColorRef m_highlightedTextColor;
    bool m_highlighted { false };
    bool m_adjustsFontSizeToFitWidth { false };
    CGFloat m_minimumScaleFactor { 0 };
    CGFloat m_minimumFontSize { 0 };
    UIBaselineAdjustment m_baselineAdjustment { UIBaselineAdjustmentAlignBaselines };

    struct KeptLayout {
        CGFloat width;
        // The height it was made in; CGFLOAT_MAX when unbounded.
        CGFloat height;
        NSInteger lines;
        TextLayout layout;
        // The bottom of its lowest line: an unbounded layout is the layout of any height down to
        // there; CGFLOAT_MAX when it is not.
        CGFloat lowestBottom;
    };
    mutable std::optional<std::shared_ptr<NSAttributedString>> m_naturalText;
    mutable std::optional<std::pair<CGFloat, CGFloat>> m_fontScaleForWidth;
    mutable std::optional<KeptLayout> m_keptLayout;
};

using UILabelRef = std::shared_ptr<UILabel>;
