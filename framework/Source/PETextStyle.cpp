#include "framework/Source/PETextStyle.h"

#include "framework/Source/NSCoder_PEExtensions.h"
#include "framework/Source/PEColor.h"
#include "framework/Source/PEMutableTextStyle.h"

void PETextStyle::init()
{
    m_fontName = "Helvetica";
    m_color = PEColor::blackColor();
}

void PETextStyle::copyFieldsFrom(const PETextStyle& other)
{
    m_fontName = other.m_fontName;
    m_fontSize = other.m_fontSize;
    m_color = other.m_color;
    m_textAlignment = other.m_textAlignment;
    m_lineBreakMode = other.m_lineBreakMode;
}

id PETextStyle::copy() const
{
    auto style = PETextStyle::create();
    style->copyFieldsFrom(*this);
    return style;
}

std::shared_ptr<PEMutableTextStyle> PETextStyle::mutableCopyStyle() const
{
    auto style = PEMutableTextStyle::create();
    style->copyFieldsFrom(*this);
    return style;
}

id PETextStyle::mutableCopy() const { return mutableCopyStyle(); }

bool PETextStyle::isEqual(const id& other) const
{
    if (other.get() == this)
        return true;
    auto style = std::dynamic_pointer_cast<const PETextStyle>(other);
    return style && style->m_fontName == m_fontName && style->m_fontSize == m_fontSize && ns::isEqual(style->m_color, m_color)
        && style->m_textAlignment == m_textAlignment && style->m_lineBreakMode == m_lineBreakMode;
}

NSUInteger PETextStyle::hash() const
{
    return std::hash<double>()(m_fontSize) ^ (m_color ? m_color->hash() : 0);
}

void PETextStyle::encodeWithCoder(NSCoder& coder) const
{
    coder.encodeObject(m_fontName, "PETextStyle.fontName");
    NSCoder_PEExtensions::encodeCGFloat(coder, m_fontSize, "PETextStyle.fontSize");
    coder.encodeObject(m_color, "PETextStyle.color");
    coder.encodeInteger(m_textAlignment, "PETextStyle.textAlignment");
    coder.encodeInteger(m_lineBreakMode, "PETextStyle.lineBreakMode");
}

bool PETextStyle::init(NSCoder& coder)
{
    init();
    if (auto name = coder.decodeObjectOfClass<NSStringObject>("PETextStyle.fontName"))
        m_fontName = NSString(name);
    m_fontSize = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "PETextStyle.fontSize");
    m_color = coder.decodeObjectOfClass<PEColor>("PETextStyle.color");
    NSInteger alignment = coder.decodeIntegerForKey("PETextStyle.textAlignment");
    NSInteger lineBreak = coder.decodeIntegerForKey("PETextStyle.lineBreakMode");
    // Sizes no screen shows, and values outside the enumerations, only come from damaged archives.
    if (!(m_fontSize > 0 && m_fontSize <= 1000) || alignment < NSTextAlignmentLeft || alignment > NSTextAlignmentNatural
        || lineBreak < NSLineBreakByWordWrapping || lineBreak > NSLineBreakByTruncatingMiddle)
        return false;
    m_textAlignment = static_cast<NSTextAlignment>(alignment);
    m_lineBreakMode = static_cast<NSLineBreakMode>(lineBreak);
    return true;
}
