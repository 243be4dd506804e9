#pragma once
// Paragraph attributes: alignment, line breaking, indents and the spacing of lines and
// paragraphs. The text engine's paragraph style is the same object (CTParagraphStyle.h).

#include "platform/foundation/NSString.h"
#include "platform/graphics/CGGeometry.h"

// The phone platform's numbering: centre is 1, right 2.
enum NSTextAlignment : NSInteger {
    NSTextAlignmentLeft = 0,
    NSTextAlignmentCenter = 1,
    NSTextAlignmentRight = 2,
    NSTextAlignmentJustified = 3,
    NSTextAlignmentNatural = 4,
};

enum NSLineBreakMode : NSInteger {
    NSLineBreakByWordWrapping = 0,
    NSLineBreakByCharWrapping = 1,
    NSLineBreakByClipping = 2,
    NSLineBreakByTruncatingHead = 3,
    NSLineBreakByTruncatingTail = 4,
    NSLineBreakByTruncatingMiddle = 5,
};

class NSMutableParagraphStyle;

class NSParagraphStyle : public NSObject {
    NS_OBJECT(NSParagraphStyle, NSObject)
public:
    static std::shared_ptr<NSParagraphStyle> defaultParagraphStyle();

    NSTextAlignment alignment() const { return m_alignment; }
    NSLineBreakMode lineBreakMode() const { return m_lineBreakMode; }
    // Added between the lines of a paragraph.
    CGFloat lineSpacing() const { return m_lineSpacing; }
    // Added after the last line of a paragraph, and before the first (paragraphSpacingBefore).
    CGFloat paragraphSpacing() const { return m_paragraphSpacing; }
    CGFloat paragraphSpacingBefore() const { return m_paragraphSpacingBefore; }
    CGFloat firstLineHeadIndent() const { return m_firstLineHeadIndent; }
    CGFloat headIndent() const { return m_headIndent; }
    // Line heights are clamped to these (0: no bound) after the multiple is applied.
    CGFloat minimumLineHeight() const { return m_minimumLineHeight; }
    CGFloat maximumLineHeight() const { return m_maximumLineHeight; }
    CGFloat lineHeightMultiple() const { return m_lineHeightMultiple; }
    // The text engine's bounds on the space between lines (0: no bound).
    CGFloat minimumLineSpacing() const { return m_minimumLineSpacing; }
    CGFloat maximumLineSpacing() const { return m_maximumLineSpacing; }

    bool isEqual(const id& other) const override;
    NSUInteger hash() const override;
    id copy() const override;
    id mutableCopy() const override;

protected:
    void init(const NSParagraphStyle& other);

    NSTextAlignment m_alignment { NSTextAlignmentNatural };
    NSLineBreakMode m_lineBreakMode { NSLineBreakByWordWrapping };
    CGFloat m_lineSpacing { 0 };
    CGFloat m_paragraphSpacing { 0 };
    CGFloat m_paragraphSpacingBefore { 0 };
    CGFloat m_firstLineHeadIndent { 0 };
    CGFloat m_headIndent { 0 };
    CGFloat m_minimumLineHeight { 0 };
    CGFloat m_maximumLineHeight { 0 };
    CGFloat m_lineHeightMultiple { 0 };
    CGFloat m_minimumLineSpacing { 0 };
    CGFloat m_maximumLineSpacing { 0 };
};

class NSMutableParagraphStyle final : public NSParagraphStyle {
    NS_OBJECT(NSMutableParagraphStyle, NSParagraphStyle)
public:
    void setAlignment(NSTextAlignment alignment) { m_alignment = alignment; }
    void setLineBreakMode(NSLineBreakMode mode) { m_lineBreakMode = mode; }
    void setLineSpacing(CGFloat spacing) { m_lineSpacing = spacing; }
    void setParagraphSpacing(CGFloat spacing) { m_paragraphSpacing = spacing; }
    void setParagraphSpacingBefore(CGFloat spacing) { m_paragraphSpacingBefore = spacing; }
    void setFirstLineHeadIndent(CGFloat indent) { m_firstLineHeadIndent = indent; }
    void setHeadIndent(CGFloat indent) { m_headIndent = indent; }
    void setMinimumLineHeight(CGFloat height) { m_minimumLineHeight = height; }
    void setMaximumLineHeight(CGFloat height) { m_maximumLineHeight = height; }
    void setLineHeightMultiple(CGFloat multiple) { m_lineHeightMultiple = multiple; }
    void setMinimumLineSpacing(CGFloat spacing) { m_minimumLineSpacing = spacing; }
    void setMaximumLineSpacing(CGFloat spacing) { m_maximumLineSpacing = spacing; }
    void setParagraphStyle(const std::shared_ptr<NSParagraphStyle>& style);

    id copy() const override;
};
