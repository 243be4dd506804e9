#include "library/widgets/pagedmenu/PGPlasticPopupMenu.h"

#include "platform/graphics/UIGraphics.h"

#include <array>
#include <vector>

namespace {

using RGB = std::array<CGFloat, 3>;

constexpr RGB grey(CGFloat value) { return { value, value, value }; }

struct Palette {
    RGB rim;
    RGB upperStart, upperEnd;
    RGB lowerStart, lowerEnd;
    std::array<RGB, 4> leftSeparator;
    std::array<RGB, 4> rightSeparator;
};

const Palette& palette(bool highlighted)
{
    static const Palette normal {
        grey(0.471),
        grey(0.314), grey(0.165),
        grey(0.102), grey(0),
        { grey(0.31), grey(0.31), grey(0.24), grey(0.05) },
        { grey(0.31), grey(0.06), grey(0.04), grey(0) },
    };
    static const Palette blue {
        { 0.384, 0.608, 0.906 },
        { 0.216, 0.471, 0.871 }, { 0.059, 0.353, 0.839 },
        { 0.047, 0.306, 0.827 }, { 0.027, 0.176, 0.737 },
        { RGB { 0.22, 0.47, 0.87 }, RGB { 0.12, 0.5, 0.89 }, RGB { 0.09, 0.47, 0.88 }, RGB { 0.03, 0.18, 0.74 } },
        { RGB { 0.22, 0.47, 0.87 }, RGB { 0.03, 0.18, 0.72 }, RGB { 0.02, 0.15, 0.73 }, RGB { 0.03, 0.17, 0.72 } },
    };
    return highlighted ? blue : normal;
}

void fill(const CGContextRef& context, const CGPathRef& path, const RGB& colour)
{
    CGContextAddPath(context, path);
    CGContextSetRGBFillColor(context, colour[0], colour[1], colour[2], 1);
    CGContextFillPath(context);
}

// A vertical gradient in device RGB that keeps its end colour past its end point.
void gradient(const CGContextRef& context, const std::vector<RGB>& stops, const CGFloat* locations, CGPoint start, CGPoint end)
{
    std::vector<CGFloat> components;
    for (const auto& stop : stops) {
        components.insert(components.end(), stop.begin(), stop.end());
        components.push_back(1);
    }
    std::vector<CGFloat> evenly;
    if (!locations) {
        for (std::size_t i = 0; i < stops.size(); ++i)
            evenly.push_back(stops.size() == 1 ? 0 : CGFloat(i) / CGFloat(stops.size() - 1));
        locations = evenly.data();
    }
    auto shading = CGGradientCreateWithColorComponents(CGColorSpaceCreateDeviceRGB(), components.data(), locations, stops.size());
    CGContextDrawLinearGradient(context, shading, start, end, kCGGradientDrawsAfterEndLocation);
}

void clipTo(const CGContextRef& context, const CGPathRef& path)
{
    CGContextAddPath(context, path);
    CGContextClip(context);
}

CGPathRef rectPath(CGRect rect) { return CGPathCreateWithRect(rect, nullptr); }

// Every piece is drawn alike: a black outline, the rim inside it, then an upper and a lower gradient.
void drawGloss(bool highlighted, CGRect rect, const CGPathRef& outline, const CGPathRef& rim, const CGPathRef& upper, const CGPathRef& lower)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    const Palette& colours = palette(highlighted);
    const CGFloat x = rect.origin.x, y = rect.origin.y, h = rect.size.height;
    CGContextSaveGState(context);
    fill(context, outline, grey(0));
    fill(context, rim, colours.rim);
    CGContextSaveGState(context);
    clipTo(context, upper);
    gradient(context, { colours.upperStart, colours.upperEnd }, nullptr, CGPointMake(x, y + 2), CGPointMake(x, y + h / 2 - 2));
    CGContextRestoreGState(context);
    clipTo(context, lower);
    gradient(context, { colours.lowerStart, colours.lowerEnd }, nullptr, CGPointMake(x, y + h / 2), CGPointMake(x, y + h - 1));
    CGContextRestoreGState(context);
}

// A one-point separator: a vertical gradient down its own rectangle.
void drawSeparator(CGRect rect, const std::array<RGB, 4>& stops)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    CGContextSaveGState(context);
    CGContextClipToRect(context, rect);
    gradient(context, { stops.begin(), stops.end() }, nullptr, rect.origin, CGPointMake(rect.origin.x, CGRectGetMaxY(rect)));
    CGContextRestoreGState(context);
}

} // namespace

// MARK: Paths

CGPathRef PGPlasticPopupMenu::upperHeadPathInRect(CGRect rect, CGFloat r) const { return cornerPathInRect(rect, r, true, false, false, false); }

CGPathRef PGPlasticPopupMenu::lowerHeadPathInRect(CGRect rect, CGFloat r) const { return cornerPathInRect(rect, r, false, false, false, true); }

CGPathRef PGPlasticPopupMenu::upperTailPathInRect(CGRect rect, CGFloat r) const { return cornerPathInRect(rect, r, false, true, false, false); }

CGPathRef PGPlasticPopupMenu::lowerTailPathInRect(CGRect rect, CGFloat r) const { return cornerPathInRect(rect, r, false, false, true, false); }

// MARK: Pieces

void PGPlasticPopupMenu::drawHeadInRect(CGRect rect, CGFloat r, bool highlighted)
{
    const CGFloat x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;
    drawGloss(highlighted, rect, headPathInRect(rect, r), headPathInRect(CGRectMake(x + 1, y + 1, w - 1, h - 2), r - 1),
        upperHeadPathInRect(CGRectMake(x + 1, y + 2, w - 1, h / 2 - 2), r - 1), lowerHeadPathInRect(CGRectMake(x + 1, y + h / 2, w - 1, h / 2 - 1), r - 1));
}

void PGPlasticPopupMenu::drawTailInRect(CGRect rect, CGFloat r, bool highlighted)
{
    const CGFloat x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;
    drawGloss(highlighted, rect, tailPathInRect(rect, r), tailPathInRect(CGRectMake(x, y + 1, w - 1, h - 2), r - 1),
        upperTailPathInRect(CGRectMake(x, y + 2, w - 1, h / 2 - 2), r - 1), lowerTailPathInRect(CGRectMake(x, y + h / 2, w - 1, h / 2 - 1), r - 1));
}

void PGPlasticPopupMenu::drawBodyInRect(CGRect rect, bool firstItem, bool lastItem, bool highlighted)
{
    const CGFloat x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;
    drawGloss(highlighted, rect, rectPath(rect), rectPath(CGRectMake(x, y + 1, w, h - 2)), rectPath(CGRectMake(x, y + 2, w, h / 2 - 2)),
        rectPath(CGRectMake(x, y + h / 2, w, h / 2 - 1)));
    if (!firstItem)
        drawLeftSeparatorInRect(CGRectMake(x, y + 2, 1, h - 3), highlighted);
    if (!lastItem)
        drawRightSeparatorInRect(CGRectMake(x + w - 1, y + 2, 1, h - 3), highlighted);
}

void PGPlasticPopupMenu::drawLeftSeparatorInRect(CGRect rect, bool highlighted) { drawSeparator(rect, palette(highlighted).leftSeparator); }

void PGPlasticPopupMenu::drawRightSeparatorInRect(CGRect rect, bool highlighted) { drawSeparator(rect, palette(highlighted).rightSeparator); }

void PGPlasticPopupMenu::drawArrowInRect(CGRect rect, NSUInteger d, bool highlighted)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    const Palette& colours = palette(highlighted);
    const CGFloat x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;
    CGContextSaveGState(context);
    CGRect outline = rect;
    if (d == PGPopupMenuArrowDirectionUp)
        outline = CGRectOffset(rect, 0, 0.6);
    else if (d == PGPopupMenuArrowDirectionDown)
        outline = CGRectOffset(rect, 0, -0.6);
    else if (d == PGPopupMenuArrowDirectionLeft)
        outline = CGRectOffset(rect, 0.6, -0.5);
    else if (d == PGPopupMenuArrowDirectionRight)
        outline = CGRectOffset(rect, -0.6, -0.5);
    fill(context, arrowPathInRect(outline, d), grey(0));

    if (d == PGPopupMenuArrowDirectionUp)
        fill(context, arrowPathInRect(CGRectMake(x, y + 2, w, h), d), colours.rim);
    else if (d == PGPopupMenuArrowDirectionLeft)
        fill(context, arrowPathInRect(CGRectMake(x + 2, y + 0.5, w - 1, h - 2), d), colours.rim);
    else if (d == PGPopupMenuArrowDirectionRight)
        fill(context, arrowPathInRect(CGRectMake(x - 1, y + 0.5, w - 1, h - 2), d), colours.rim);

    static const std::array<RGB, 4> sideNormal { grey(0.216), grey(0.165), grey(0.102), grey(0.051) };
    static const std::array<RGB, 4> sideBlue { RGB { 0.082, 0.376, 0.859 }, RGB { 0.004, 0.333, 0.851 }, RGB { 0, 0.282, 0.839 },
        RGB { 0, 0.216, 0.796 } };
    static const CGFloat sideLocations[] = { 0, 0.5, 0.5, 1 };
    if (d == PGPopupMenuArrowDirectionUp) {
        clipTo(context, arrowPathInRect(CGRectMake(x + 1.4, y + 3.4, w - 2.8, h - 1.4), d));
        gradient(context, highlighted ? std::vector<RGB> { { 0.29, 0.58, 1.0 }, { 0.216, 0.471, 0.871 } } : std::vector<RGB> { grey(0.401), grey(0.314) },
            nullptr, CGPointMake(x, y + 2), CGPointMake(x, y + h));
    } else if (d == PGPopupMenuArrowDirectionDown) {
        // The normal downward arrow stays plain black, like the bottom of the lower gradient.
        if (highlighted) {
            clipTo(context, arrowPathInRect(CGRectMake(x, y - 2, w, h), d));
            gradient(context, { { 0.027, 0.169, 0.733 }, { 0.02, 0.114, 0.675 } }, nullptr, CGPointMake(x, y - 2), CGPointMake(x, y + h));
        }
    } else if (d == PGPopupMenuArrowDirectionLeft || d == PGPopupMenuArrowDirectionRight) {
        const CGRect clip = d == PGPopupMenuArrowDirectionLeft ? CGRectMake(x + 2, y + 1.5, w - 1, h - 2) : CGRectMake(x - 1, y + 1.5, w - 1, h - 2);
        clipTo(context, arrowPathInRect(clip, d));
        const auto& stops = highlighted ? sideBlue : sideNormal;
        gradient(context, { stops.begin(), stops.end() }, sideLocations, CGPointMake(x, y - 1), CGPointMake(x, y + h));
    }
    CGContextRestoreGState(context);
}
