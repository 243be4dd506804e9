#include "library/widgets/linklabel/LKRunDecorations.h"

#include "library/widgets/linklabel/LKAttributedLabel.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSValue.h"
#include "platform/foundation/TypedValues.h"
#include "platform/text/CTStringAttributes.h"
#include "platform/text/TextColor.h"

#include <cmath>

namespace LKRunDecorations {

namespace {

id valueOf(const CTRunRef& run, NSAttributedStringKey key)
{
    const auto& attributes = run->attributes();
    return attributes ? attributes->objectForKey(NSString(key)) : nullptr;
}

CGFloat numberOf(const CTRunRef& run, NSAttributedStringKey key)
{
    auto number = ns::cast<NSNumber>(valueOf(run, key));
    const double value = number ? number->doubleValue() : 0;
    return std::isfinite(value) ? static_cast<CGFloat>(value) : 0;
}

// The run's glyph box in the line's y-down space: left edge, width, ascent and descent.
struct RunBox {
    CGFloat x;
    CGFloat width;
    CGFloat ascent;
    CGFloat descent;
};

RunBox runBox(const CTLineRef& line, const CTRunRef& run)
{
    CGFloat ascent = 0, descent = 0;
    const CGFloat width = static_cast<CGFloat>(CTRunGetTypographicBounds(run, CFRange { 0, 0 }, &ascent, &descent, nullptr));
    const CFRange range = run->stringRange();
    // A right-to-left run starts, in the line, at the index after its last character.
    const CFIndex index = (run->status() & kCTRunStatusRightToLeft) ? range.location + range.length : range.location;
    const CGFloat start = line->offsetForStringIndex(line->stringRange().location);
    CGFloat x = line->offsetForStringIndex(index) - start;
    if (!std::isfinite(x))
        x = run->x();
    return RunBox { x, width, ascent, descent };
}

} // namespace

CGColorRef colourOfValue(const id& value)
{
    if (auto colour = ns::cast<CGColor>(value))
        return colour;
    if (auto providing = std::dynamic_pointer_cast<CGColorProviding>(value))
        return providing->CGColor();
    return nullptr;
}

std::vector<Box> backgroundBoxes(const std::vector<PlacedLine>& lines, UIEdgeInsets edgeInset)
{
    std::vector<Box> boxes;
    for (const auto& placed : lines) {
        if (!placed.line)
            continue;
        const CGFloat lineWidth = placed.line->width();
        for (const auto& run : placed.line->runs()) {
            Box box;
            box.fill = colourOfValue(valueOf(run, kLKBackgroundFillColorAttributeName));
            box.stroke = colourOfValue(valueOf(run, kLKBackgroundStrokeColorAttributeName));
            if (!box.fill && !box.stroke)
                continue;
            UIEdgeInsets padding {};
            if (auto boxed = ns::cast<NSValue>(valueOf(run, kLKBackgroundFillPaddingAttributeName)))
                padding = boxed->get<UIEdgeInsets>();
            box.cornerRadius = std::max<CGFloat>(0, numberOf(run, kLKBackgroundCornerRadiusAttributeName));
            box.lineWidth = std::max<CGFloat>(0, numberOf(run, kLKBackgroundLineWidthAttributeName));
            const RunBox glyphs = runBox(placed.line, run);
            CGRect rect = CGRectMake(placed.baselineOrigin.x + glyphs.x - padding.left, placed.baselineOrigin.y - glyphs.ascent - padding.top,
                std::min(glyphs.width + padding.left + padding.right, lineWidth), glyphs.ascent + glyphs.descent + padding.top + padding.bottom);
            rect = UIEdgeInsetsInsetRect(rect, edgeInset);
            rect = CGRectInset(rect, box.lineWidth, box.lineWidth);
            if (rect.size.width <= 0 || rect.size.height <= 0)
                continue;
            box.rect = rect;
            boxes.push_back(box);
        }
    }
    return boxes;
}

std::vector<Strike> strikes(const std::vector<PlacedLine>& lines, const UIFontRef& font)
{
    std::vector<Strike> found;
    const CGFloat thickness = font && font->underlineThickness() > 0 ? font->underlineThickness() : 1;
    for (const auto& placed : lines) {
        if (!placed.line)
            continue;
        for (const auto& run : placed.line->runs()) {
            auto marked = ns::cast<NSNumber>(valueOf(run, kLKStrikeOutAttributeName));
            if (!marked || !marked->boolValue())
                continue;
            const RunBox glyphs = runBox(placed.line, run);
            // Worked out y up, as the text engine places runs, then turned to the y-down space.
            CGFloat y = -glyphs.descent;
            const CGFloat height = glyphs.ascent + glyphs.descent;
            const auto superscript = static_cast<long>(numberOf(run, kCTSuperscriptAttributeName));
            if (superscript == -1)
                y += 0.25 * glyphs.ascent;
            else if (superscript == 1)
                y += static_cast<float>(-0.47) * glyphs.ascent;
            const CGFloat middle = std::round(placed.baselineOrigin.y - (y + height * 0.5));
            Strike strike;
            strike.from = CGPointMake(placed.baselineOrigin.x + glyphs.x, middle);
            strike.to = CGPointMake(strike.from.x + std::min(glyphs.width, placed.line->width()), middle);
            strike.width = thickness;
            strike.colour = colourOfValue(valueOf(run, kCTForegroundColorAttributeName));
            if (!strike.colour)
                strike.colour = colourOfValue(valueOf(run, NSForegroundColorAttributeName));
            if (!strike.colour)
                strike.colour = CGColorCreateGenericGray(0, 1);
            found.push_back(strike);
        }
    }
    return found;
}

void drawBoxes(const CGContextRef& context, const std::vector<Box>& boxes)
{
    for (const auto& box : boxes) {
        const CGFloat radius = std::min({ box.cornerRadius, box.rect.size.width / 2, box.rect.size.height / 2 });
        auto path = CGPathCreateWithRoundedRect(box.rect, radius, radius, nullptr);
        CGContextSetLineJoin(context, kCGLineJoinRound);
        if (box.fill) {
            CGContextSetFillColorWithColor(context, box.fill);
            CGContextAddPath(context, path);
            CGContextFillPath(context);
        }
        if (box.stroke) {
            CGContextSetStrokeColorWithColor(context, box.stroke);
            if (box.lineWidth > 0)
                CGContextSetLineWidth(context, box.lineWidth);
            CGContextAddPath(context, path);
            CGContextStrokePath(context);
        }
    }
}

void drawStrikes(const CGContextRef& context, const std::vector<Strike>& strikes)
{
    for (const auto& strike : strikes) {
        CGContextSetStrokeColorWithColor(context, strike.colour);
        CGContextSetLineWidth(context, strike.width);
        CGContextMoveToPoint(context, strike.from.x, strike.from.y);
        CGContextAddLineToPoint(context, strike.to.x, strike.to.y);
        CGContextStrokePath(context);
    }
}

} // namespace LKRunDecorations
