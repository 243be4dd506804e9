#include "platform/text/CTFont.h"

#include <cmath>

CTFontRef CTFontCreateWithName(const NSString& name, CGFloat size, const CGAffineTransform*)
{
    // The engine reads a size of 0 as its default of 12 points.
    const CGFloat pointSize = std::isfinite(size) && size > 0 ? size : 12.0;
    if (auto font = UIFont::fontWithName(name, pointSize))
        return font;
    return UIFont::defaultTextFont()->fontWithSize(pointSize);
}

CTFontRef CTFontCreateCopyWithAttributes(const CTFontRef& font, CGFloat size, const CGAffineTransform* matrix, const id&)
{
    if (!font)
        return nullptr;
    return CTFontCreateWithName(font->fontName(), size > 0 ? size : font->pointSize(), matrix);
}

CGFloat CTFontGetSize(const CTFontRef& font) { return font ? font->pointSize() : 0; }
CGFloat CTFontGetAscent(const CTFontRef& font) { return font ? font->ascender() : 0; }
CGFloat CTFontGetDescent(const CTFontRef& font) { return font ? -font->descender() : 0; }
CGFloat CTFontGetLeading(const CTFontRef& font) { return font ? font->lineGap() : 0; }
CGFloat CTFontGetCapHeight(const CTFontRef& font) { return font ? font->capHeight() : 0; }
CGFloat CTFontGetXHeight(const CTFontRef& font) { return font ? font->xHeight() : 0; }
CGFloat CTFontGetUnderlinePosition(const CTFontRef& font) { return font ? font->underlinePosition() : 0; }
CGFloat CTFontGetUnderlineThickness(const CTFontRef& font) { return font ? font->underlineThickness() : 0; }
NSString CTFontCopyPostScriptName(const CTFontRef& font) { return font ? font->fontName() : NSString(); }
NSString CTFontCopyFamilyName(const CTFontRef& font) { return font ? font->familyName() : NSString(); }
