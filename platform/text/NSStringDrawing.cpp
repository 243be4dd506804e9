#include "platform/text/NSStringDrawing.h"

#include "platform/text/TextLayout.h"

#include "platform/graphics/UIGraphics.h"

namespace {

std::shared_ptr<NSAttributedString> attributed(const NSString& text, const NSAttributes& attributes)
{
    return NSAttributedString::withString(text.isNil() ? NSString::string() : text, attributes);
}

// clipsToHeight: lines below the rectangle are left out even when the last one is not cut.
TextLayout layOut(const std::shared_ptr<NSAttributedString>& text, CGSize size, NSStringDrawingOptions options, bool clipsToHeight = false)
{
    TextLayout::Options layoutOptions;
    const bool lineFragments = options & NSStringDrawingUsesLineFragmentOrigin;
    layoutOptions.size = lineFragments ? size : CGSizeMake(CGFLOAT_MAX, CGFLOAT_MAX);
    if (layoutOptions.size.width <= 0)
        layoutOptions.size.width = CGFLOAT_MAX;
    if (layoutOptions.size.height <= 0 || !(clipsToHeight || options & NSStringDrawingTruncatesLastVisibleLine))
        layoutOptions.size.height = CGFLOAT_MAX;
    layoutOptions.truncateLastVisibleLine = options & NSStringDrawingTruncatesLastVisibleLine;
    layoutOptions.keepsFirstLine = true;
    layoutOptions.usesFontLeading = options & NSStringDrawingUsesFontLeading;
    return TextLayout(text, NSMakeRange(0, text ? text->length() : 0), layoutOptions);
}

CGRect boundsOf(const TextLayout& layout, NSStringDrawingOptions options)
{
    const CGSize used = layout.usedSize();
    if (options & NSStringDrawingUsesLineFragmentOrigin || layout.lines().empty())
        return CGRectMake(0, 0, used.width, used.height);
    return CGRectMake(0, -layout.lines().front().origin.y, used.width, used.height);
}

void draw(const std::shared_ptr<NSAttributedString>& text, CGRect rect, NSStringDrawingOptions options)
{
    if (!text)
        return;
    const TextLayout layout = layOut(text, rect.size, options, true);
    CGPoint topLeft = rect.origin;
    if (!(options & NSStringDrawingUsesLineFragmentOrigin) && !layout.lines().empty())
        topLeft.y -= layout.lines().front().origin.y;
    layout.drawInContext(UIGraphicsGetCurrentContext(), topLeft);
}

constexpr NSStringDrawingOptions inRect = NSStringDrawingUsesLineFragmentOrigin | NSStringDrawingUsesFontLeading;

} // namespace

CGSize NSStringDrawing::size(const std::shared_ptr<NSAttributedString>& text)
{
    if (!text)
        return CGSizeZero;
    return boundingRectWithSize(text, CGSizeMake(CGFLOAT_MAX, CGFLOAT_MAX), NSStringDrawingUsesLineFragmentOrigin | NSStringDrawingUsesFontLeading, nullptr).size;
}

CGRect NSStringDrawing::boundingRectWithSize(const std::shared_ptr<NSAttributedString>& text, CGSize size, NSStringDrawingOptions options, const id&)
{
    if (!text)
        return CGRectZero;
    return boundsOf(layOut(text, size, options), options);
}

void NSStringDrawing::drawAtPoint(const std::shared_ptr<NSAttributedString>& text, CGPoint point)
{
    draw(text, CGRectMake(point.x, point.y, CGFLOAT_MAX, CGFLOAT_MAX), NSStringDrawingUsesLineFragmentOrigin | NSStringDrawingUsesFontLeading);
}

void NSStringDrawing::drawInRect(const std::shared_ptr<NSAttributedString>& text, CGRect rect)
{
    draw(text, rect, inRect);
}

void NSStringDrawing::drawWithRect(const std::shared_ptr<NSAttributedString>& text, CGRect rect, NSStringDrawingOptions options, const id&)
{
    draw(text, rect, options);
}

CGSize NSStringDrawing::sizeWithAttributes(const NSString& text, const NSAttributes& attributes)
{
    return size(attributed(text, attributes));
}

CGRect NSStringDrawing::boundingRectWithSize(const NSString& text, CGSize size, NSStringDrawingOptions options, const NSAttributes& attributes, const id& context)
{
    return boundingRectWithSize(attributed(text, attributes), size, options, context);
}

void NSStringDrawing::drawAtPoint(const NSString& text, CGPoint point, const NSAttributes& attributes)
{
    drawAtPoint(attributed(text, attributes), point);
}

void NSStringDrawing::drawInRect(const NSString& text, CGRect rect, const NSAttributes& attributes)
{
    drawInRect(attributed(text, attributes), rect);
}

void NSStringDrawing::drawWithRect(const NSString& text, CGRect rect, NSStringDrawingOptions options, const NSAttributes& attributes, const id& context)
{
    drawWithRect(attributed(text, attributes), rect, options, context);
}
