#include "platform/text/NSParagraphStyle.h"

#include <tuple>

namespace {

auto fields(const NSParagraphStyle& style)
{
    return std::make_tuple(style.alignment(), style.lineBreakMode(), style.lineSpacing(), style.paragraphSpacing(),
        style.paragraphSpacingBefore(), style.firstLineHeadIndent(), style.headIndent(), style.minimumLineHeight(),
        style.maximumLineHeight(), style.lineHeightMultiple(), style.minimumLineSpacing(), style.maximumLineSpacing());
}

} // namespace

std::shared_ptr<NSParagraphStyle> NSParagraphStyle::defaultParagraphStyle()
{
    static const std::shared_ptr<NSParagraphStyle> style = create();
    return style;
}

void NSParagraphStyle::init(const NSParagraphStyle& other)
{
    m_alignment = other.m_alignment;
    m_lineBreakMode = other.m_lineBreakMode;
    m_lineSpacing = other.m_lineSpacing;
    m_paragraphSpacing = other.m_paragraphSpacing;
    m_paragraphSpacingBefore = other.m_paragraphSpacingBefore;
    m_firstLineHeadIndent = other.m_firstLineHeadIndent;
    m_headIndent = other.m_headIndent;
    m_minimumLineHeight = other.m_minimumLineHeight;
    m_maximumLineHeight = other.m_maximumLineHeight;
    m_lineHeightMultiple = other.m_lineHeightMultiple;
    m_minimumLineSpacing = other.m_minimumLineSpacing;
    m_maximumLineSpacing = other.m_maximumLineSpacing;
}

bool NSParagraphStyle::isEqual(const id& other) const
{
    auto style = ns::cast<NSParagraphStyle>(other);
    return style && fields(*style) == fields(*this);
}

NSUInteger NSParagraphStyle::hash() const
{
    return static_cast<NSUInteger>(m_alignment) * 31 + static_cast<NSUInteger>(m_lineBreakMode);
}

id NSParagraphStyle::copy() const
{
    // Immutable: shared, as the platform's immutable values are.
    return NSObject::copy();
}

id NSParagraphStyle::mutableCopy() const
{
    return NSMutableParagraphStyle::create(*this);
}

void NSMutableParagraphStyle::setParagraphStyle(const std::shared_ptr<NSParagraphStyle>& style)
{
    init(style ? *style : *defaultParagraphStyle());
}

id NSMutableParagraphStyle::copy() const
{
    return NSParagraphStyle::create(static_cast<const NSParagraphStyle&>(*this));
}
