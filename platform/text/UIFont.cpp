#include "platform/text/pango/PangoText.h"

#include "platform/text/pango/FontLibrary.h"

#include <cmath>
#include <string_view>

namespace {

// The system font of the 7.x and 8.x systems; the font file maps these names.
constexpr const char* systemFontName = ".HelveticaNeueInterface-Regular";
constexpr const char* boldSystemFontName = ".HelveticaNeueInterface-MediumP4";
constexpr const char* italicSystemFontName = ".HelveticaNeueInterface-Italic";

} // namespace

std::shared_ptr<UIFont> UIFont::fontWithName(const NSString& fontName, CGFloat fontSize)
{
    if (fontName.isNil() || !FontLibrary::shared().hasFontNamed(fontName.UTF8String()))
        return nullptr;
    return create(fontName, fontSize);
}

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

void UIFont::BackendDeleter::operator()(Backend* backend) const
{
    std::default_delete<Backend>()(backend);
}

bool UIFont::init(const NSString& fontName, CGFloat fontSize)
{
    if (fontName.isNil() || !std::isfinite(fontSize) || fontSize < 0)
        return false;
    m_fontName = fontName;
    m_pointSize = fontSize;
    PangoFontDescription* description = pango_font_description_new();
    m_backend.reset(std::make_unique<Backend>(description).release());
    pango_font_description_set_family(description, fontName.UTF8String().c_str());
    pango_font_description_set_absolute_size(description, fontSize * PANGO_SCALE);

    FontLibrary& library = FontLibrary::shared();
    PangoFont* font = library.loadFont(description);
    const FontFaceMetrics metrics = library.metricsOfFont(font);
    if (font) {
        std::lock_guard lock(library.mutex());
        g_object_unref(font);
    }
    m_ascender = metrics.ascent * fontSize;
    m_descender = -metrics.descent * fontSize;
    m_lineGap = metrics.lineGap * fontSize;
    m_capHeight = metrics.capHeight * fontSize;
    m_xHeight = metrics.xHeight * fontSize;
    m_underlinePosition = metrics.underlinePosition * fontSize;
    m_underlineThickness = metrics.underlineThickness * fontSize;
    return true;
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

void UIFont::releaseResidentFontPages()
{
    FontLibrary::shared().releaseResidentFontPages();
}
