#include "platform/text/UIFont.h"

#include <cmath>
#include <string_view>

namespace {

// The system font of the 7.x and 8.x systems; the font file maps these names.
constexpr const char* systemFontName = ".HelveticaNeueInterface-Regular";
constexpr const char* boldSystemFontName = ".HelveticaNeueInterface-MediumP4";
constexpr const char* italicSystemFontName = ".HelveticaNeueInterface-Italic";

} // namespace

std::shared_ptr<UIFont> UIFont::systemFontOfSize(CGFloat fontSize)
{
    return create(NSString(systemFontName), fontSize);
}

std::shared_ptr<UIFont> UIFont::boldSystemFontOfSize(CGFloat fontSize)
{
    return create(NSString(boldSystemFontName), fontSize);
}

std::shared_ptr<UIFont> UIFont::italicSystemFontOfSize(CGFloat fontSize)
{
    return create(NSString(italicSystemFontName), fontSize);
}

std::shared_ptr<UIFont> UIFont::defaultTextFont()
{
    static const std::shared_ptr<UIFont> font = create(NSString("Helvetica"), 12.0);
    return font;
}

std::shared_ptr<UIFont> UIFont::fontWithSize(CGFloat fontSize) const
{
    return create(m_fontName, fontSize);
}

NSString UIFont::familyName() const
{
    // The platform's family names for its PostScript names: the part before the style,
    // spelled as the family is.
    static constexpr std::pair<std::string_view, std::string_view> families[] = {
        { ".HelveticaNeueInterface", ".Helvetica Neue Interface" },
        { "HelveticaNeue", "Helvetica Neue" },
        { "ArialMT", "Arial" },
        { "TimesNewRomanPSMT", "Times New Roman" },
        { "TimesNewRomanPS", "Times New Roman" },
        { "CourierNewPSMT", "Courier New" },
        { "CourierNewPS", "Courier New" },
        { "STHeitiSC", "Heiti SC" },
        { "PingFangSC", "PingFang SC" },
    };
    const std::string name = m_fontName.UTF8String();
    const std::string stem = name.substr(0, name.find('-', 1));
    for (const auto& [prefix, family] : families) {
        if (stem == prefix)
            return NSString(std::string(family));
    }
    return NSString(stem);
}

bool UIFont::isEqual(const id& other) const
{
    auto font = ns::cast<UIFont>(other);
    return font && font->m_pointSize == m_pointSize && font->m_fontName == m_fontName;
}

NSUInteger UIFont::hash() const
{
    return m_fontName.hash() ^ static_cast<NSUInteger>(m_pointSize * 64);
}

NSString UIFont::description() const
{
    return NSString::stringWithFormat("<UIFont: font-family: \"%@\"; font-size: %.2fpt>", static_cast<id>(m_fontName), m_pointSize);
}
