// Fonts loaded through the font library: the face's metrics at the asked size, and the
// description the back end lays text out with.
#include "platform/text/pango/PangoText.h"

#include "platform/text/pango/FontLibrary.h"

#include <cmath>

std::shared_ptr<UIFont> UIFont::fontWithName(const NSString& fontName, CGFloat fontSize)
{
    if (fontName.isNil() || !FontLibrary::shared().hasFontNamed(fontName.UTF8String()))
        return nullptr;
    return create(fontName, fontSize);
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
        MutexLocker lock(library.mutex());
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

void UIFont::releaseResidentFontPages()
{
    FontLibrary::shared().releaseResidentFontPages();
}
