#include "library/widgets/richlabel/NSMutableAttributedString_RA.h"

#include "platform/foundation/NSNumber.h"
#include "platform/text/CTFont.h"
#include "platform/text/CTStringAttributes.h"

namespace NSMutableAttributedString_RA {

void setTextColor(NSMutableAttributedString& string, const UIColorRef& color)
{
    setTextColor(string, color, NSMakeRange(0, string.length()));
}

void setTextColor(NSMutableAttributedString& string, const UIColorRef& color, NSRange range)
{
    if (!color || !color->CGColor())
        return;
    string.removeAttribute(kCTForegroundColorAttributeName, range);
    string.addAttribute(kCTForegroundColorAttributeName, color->CGColor(), range);
}

void setFont(NSMutableAttributedString& string, const UIFontRef& font)
{
    setFont(string, font, NSMakeRange(0, string.length()));
}

void setFont(NSMutableAttributedString& string, const UIFontRef& font, NSRange range)
{
    if (!font)
        return;
    string.removeAttribute(kCTFontAttributeName, range);
    if (auto engineFont = CTFontCreateWithName(font->fontName(), font->pointSize(), nullptr))
        string.addAttribute(kCTFontAttributeName, engineFont, range);
}

void setUnderlineStyle(NSMutableAttributedString& string, std::int32_t style, std::int32_t modifier)
{
    setUnderlineStyle(string, style, modifier, NSMakeRange(0, string.length()));
}

void setUnderlineStyle(NSMutableAttributedString& string, std::int32_t style, std::int32_t modifier, NSRange range)
{
    string.removeAttribute(kCTUnderlineColorAttributeName, range);
    string.addAttribute(kCTUnderlineStyleAttributeName, NSNumber::numberWithInt(style | modifier), range);
}

} // namespace NSMutableAttributedString_RA
