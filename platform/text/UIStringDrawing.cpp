#include "platform/text/UIStringDrawing.h"

#include "platform/text/CTStringAttributes.h"
#include "platform/text/TextLayout.h"

#include "platform/foundation/NSNumber.h"
#include "platform/graphics/UIGraphics.h"

#include <cmath>

namespace {

std::shared_ptr<NSAttributedString> textInFont(const NSString& text, const UIFontRef& font)
{
    return NSAttributedString::withString(text, ns::dictionary({
        { NSFontAttributeName, font },
        { kCTForegroundColorFromContextAttributeName, NSNumber::numberWithBool(true) },
    }));
}

TextLayout layOut(const NSString& text, const UIFontRef& font, CGSize size, NSLineBreakMode mode, NSTextAlignment alignment)
{
    auto string = textInFont(text, font);
    TextLayout::Options options;
    options.size = size;
    options.wrapInEveryMode = true;
    options.keepsFirstLine = true;
    options.usesFontLeading = true;
    options.lineBreakMode = mode;
    options.alignment = alignment;
    return TextLayout(string, NSMakeRange(0, string->length()), options);
}

CGSize rounded(CGSize size)
{
    return CGSizeMake(std::ceil(size.width), std::ceil(size.height));
}

CGSize draw(const NSString& text, CGRect rect, const UIFontRef& font, NSLineBreakMode mode, NSTextAlignment alignment)
{
    if (text.isNil() || !font)
        return CGSizeZero;
    const TextLayout layout = layOut(text, font, rect.size, mode, alignment);
    layout.drawInContext(UIGraphicsGetCurrentContext(), rect.origin);
    return rounded(layout.usedSize());
}

} // namespace

CGSize UIStringDrawing::sizeWithFont(const NSString& text, const UIFontRef& font)
{
    return sizeWithFont(text, font, CGSizeMake(CGFLOAT_MAX, CGFLOAT_MAX), NSLineBreakByWordWrapping);
}

CGSize UIStringDrawing::sizeWithFont(const NSString& text, const UIFontRef& font, CGSize constrainedToSize)
{
    return sizeWithFont(text, font, constrainedToSize, NSLineBreakByWordWrapping);
}

CGSize UIStringDrawing::sizeWithFont(const NSString& text, const UIFontRef& font, CGSize constrainedToSize, NSLineBreakMode lineBreakMode)
{
    if (text.isNil() || !font)
        return CGSizeZero;
    return rounded(layOut(text, font, constrainedToSize, lineBreakMode, NSTextAlignmentLeft).usedSize());
}

CGSize UIStringDrawing::sizeWithFont(const NSString& text, const UIFontRef& font, CGFloat forWidth, NSLineBreakMode lineBreakMode)
{
    if (!font)
        return CGSizeZero;
    // One line: the height allows no second.
    return sizeWithFont(text, font, CGSizeMake(forWidth, font->lineHeight()), lineBreakMode);
}

CGSize UIStringDrawing::drawAtPoint(const NSString& text, CGPoint point, const UIFontRef& font)
{
    return draw(text, CGRectMake(point.x, point.y, CGFLOAT_MAX, CGFLOAT_MAX), font, NSLineBreakByWordWrapping, NSTextAlignmentLeft);
}

CGSize UIStringDrawing::drawAtPoint(const NSString& text, CGPoint point, CGFloat forWidth, const UIFontRef& font, NSLineBreakMode lineBreakMode)
{
    if (!font)
        return CGSizeZero;
    return draw(text, CGRectMake(point.x, point.y, forWidth, font->lineHeight()), font, lineBreakMode, NSTextAlignmentLeft);
}

CGSize UIStringDrawing::drawInRect(const NSString& text, CGRect rect, const UIFontRef& font)
{
    return draw(text, rect, font, NSLineBreakByWordWrapping, NSTextAlignmentLeft);
}

CGSize UIStringDrawing::drawInRect(const NSString& text, CGRect rect, const UIFontRef& font, NSLineBreakMode lineBreakMode)
{
    return draw(text, rect, font, lineBreakMode, NSTextAlignmentLeft);
}

CGSize UIStringDrawing::drawInRect(const NSString& text, CGRect rect, const UIFontRef& font, NSLineBreakMode lineBreakMode, NSTextAlignment alignment)
{
    return draw(text, rect, font, lineBreakMode, alignment);
}
