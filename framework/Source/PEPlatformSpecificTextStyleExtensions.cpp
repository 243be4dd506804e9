#include "framework/Source/PEPlatformSpecificTextStyleExtensions.h"

#include "framework/Source/PEColor.h"
#include "framework/Source/PEPlatformSpecificMutableTextStyleExtensions.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIColor.h"

namespace PEPlatformSpecificMutableTextStyleExtensions {

std::shared_ptr<PEMutableTextStyle> textStyleWithAttributes(const NSAttributes& attributes)
{
    auto style = PEMutableTextStyle::textStyle();
    if (!attributes)
        return style;
    if (auto font = ns::cast<UIFont>(attributes->valueForKey(NSFontAttributeName))) {
        style->setFontName(font->fontName());
        style->setFontSize(font->pointSize());
    }
    if (auto color = ns::cast<UIColor>(attributes->valueForKey(NSForegroundColorAttributeName)))
        style->setColor(PEColor::colorWithCGColor(color->CGColor()));
    if (auto paragraph = ns::cast<NSParagraphStyle>(attributes->valueForKey(NSParagraphStyleAttributeName))) {
        style->setTextAlignment(paragraph->alignment());
        style->setLineBreakMode(paragraph->lineBreakMode());
    }
    return style;
}

} // namespace PEPlatformSpecificMutableTextStyleExtensions

namespace PEPlatformSpecificTextStyleExtensions {

std::shared_ptr<PETextStyle> textStyleWithAttributes(const NSAttributes& attributes)
{
    return PEPlatformSpecificMutableTextStyleExtensions::textStyleWithAttributes(attributes)->copyStyle();
}

NSAttributes attributes(const PETextStyle& style)
{
    auto result = NSMutableDictionary::dictionary();
    if (auto font = UIFont::fontWithName(style.fontName(), style.fontSize()))
        result->setObject(font, NSFontAttributeName);
    if (style.color()) {
        if (auto color = style.color()->uiColor())
            result->setObject(color, NSForegroundColorAttributeName);
    }
    auto paragraph = NSMutableParagraphStyle::create();
    paragraph->setAlignment(style.textAlignment());
    paragraph->setLineBreakMode(style.lineBreakMode());
    result->setObject(paragraph, NSParagraphStyleAttributeName);
    return result->copyDictionary();
}

} // namespace PEPlatformSpecificTextStyleExtensions
