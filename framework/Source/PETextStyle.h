#pragma once
// How text looks: font name and size, colour, alignment and line breaking. Immutable;
// PEMutableTextStyle changes it. Owners keep a copy.

#include "platform/foundation/NSCoder.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/text/NSParagraphStyle.h"

class PEColor;
class PEMutableTextStyle;

class PETextStyle : public NSObject, public NSCoding {
    NS_OBJECT(PETextStyle, NSObject)
public:
    // "Helvetica", 12 points, black, left aligned, word wrapping.
    static std::shared_ptr<PETextStyle> textStyle() { return create(); }

    const NSString& fontName() const { return m_fontName; }
    CGFloat fontSize() const { return m_fontSize; }
    const std::shared_ptr<PEColor>& color() const { return m_color; }
    NSTextAlignment textAlignment() const { return m_textAlignment; }
    NSLineBreakMode lineBreakMode() const { return m_lineBreakMode; }

    bool isEqual(const id& other) const override;
    NSUInteger hash() const override;
    id copy() const override;
    id mutableCopy() const override;
    std::shared_ptr<PETextStyle> copyStyle() const { return std::static_pointer_cast<PETextStyle>(copy()); }
    std::shared_ptr<PEMutableTextStyle> mutableCopyStyle() const;

    void encodeWithCoder(NSCoder& coder) const override;

protected:
    void init();
    bool init(NSCoder& coder);
    void copyFieldsFrom(const PETextStyle& other);

    void setFontName(const NSString& name) { m_fontName = name; }
    void setFontSize(CGFloat size) { m_fontSize = size; }
    void setColor(const std::shared_ptr<PEColor>& color) { m_color = color; }
    void setTextAlignment(NSTextAlignment alignment) { m_textAlignment = alignment; }
    void setLineBreakMode(NSLineBreakMode mode) { m_lineBreakMode = mode; }

private:
    NSString m_fontName;
    CGFloat m_fontSize { 12.0 };
    std::shared_ptr<PEColor> m_color;
    NSTextAlignment m_textAlignment { NSTextAlignmentLeft };
    NSLineBreakMode m_lineBreakMode { NSLineBreakByWordWrapping };
};

using PETextStyleRef = std::shared_ptr<PETextStyle>;
