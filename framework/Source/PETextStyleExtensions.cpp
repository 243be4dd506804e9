#include "framework/Source/PETextStyleExtensions.h"

#include "framework/Source/PEColor.h"
#include "framework/Source/PEPlatformSpecificTextStyleExtensions.h"
#include "framework/Source/PEUtilities.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/NSStringDrawing.h"

#include <cmath>

namespace {

constexpr NSStringDrawingOptions textOptions = NSStringDrawingUsesLineFragmentOrigin | NSStringDrawingUsesFontLeading | NSStringDrawingTruncatesLastVisibleLine;

} // namespace

namespace PETextStyleExtensions {

CGSize sizeWithTextStyle(const NSString& text, const std::shared_ptr<PETextStyle>& style)
{
    if (!style || text.isNil())
        return CGSizeZero;
    CGRect rect = NSStringDrawing::boundingRectWithSize(text, CGSize { 10000, 10000 }, textOptions,
        PEPlatformSpecificTextStyleExtensions::attributes(*style), nullptr);
    return CGSize { std::ceil(rect.size.width), std::ceil(rect.size.height) };
}

void drawInRect(const NSString& text, CGRect rect, const std::shared_ptr<PETextStyle>& style, const CGContextRef& context)
{
    if (!style || !style->color() || !context)
        return;
    CGContextSaveGState(context);
    CGContextSetStrokeColorWithColor(context, style->color()->cgColor());
    CGContextSetFillColorWithColor(context, style->color()->cgColor());
    UIGraphicsPushContext(context);
    NSStringDrawing::drawWithRect(text, rect, textOptions, PEPlatformSpecificTextStyleExtensions::attributes(*style), nullptr);
    CGContextRestoreGState(context);
    UIGraphicsPopContext();
}

} // namespace PETextStyleExtensions
