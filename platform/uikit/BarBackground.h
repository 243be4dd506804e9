#pragma once
// What navigation bars and toolbars share: their styles and how their backgrounds are drawn.

#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UIColor.h"

#include <map>

enum UIBarStyle : NSInteger {
    UIBarStyleDefault = 0,
    UIBarStyleBlack = 1,
    UIBarStyleBlackOpaque = 1,
    UIBarStyleBlackTranslucent = 2,
};

namespace bar_background {

// Images by metrics; a missing kind falls back to the default metrics' image.
using Images = std::map<NSInteger, UIImageRef>;

inline UIImageRef imageFor(const Images& images, NSInteger metrics)
{
    if (auto found = images.find(metrics); found != images.end())
        return found->second;
    if (auto found = images.find(UIBarMetricsDefault); found != images.end())
        return found->second;
    return nullptr;
}

inline void setImage(Images& images, const UIImageRef& image, NSInteger metrics)
{
    if (image)
        images[metrics] = image;
    else
        images.erase(metrics);
}

// An image fills the bar (stretched or tiled as it was made); without one the bar is the light
// grey or black of its style, or its bar tint, with a hairline on the edge towards the content.
inline void draw(CGRect bounds, const UIImageRef& image, UIBarStyle style, const UIColorRef& barTint, bool translucent,
    bool hairlineAtBottom)
{
    const CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    if (image) {
        image->drawInRect(bounds);
        return;
    }
    const bool dark = style != UIBarStyleDefault;
    UIColorRef fill = barTint ? barTint : (dark ? UIColor::colorWithWhite(0.07, 1) : UIColor::colorWithWhite(247.0 / 255, 1));
    if (translucent && !barTint)
        fill = fill->colorWithAlphaComponent(0.97);
    CGContextSetFillColorWithColor(context, fill->CGColor());
    CGContextFillRect(context, bounds);
    const CGFloat y = hairlineAtBottom ? CGRectGetMaxY(bounds) - 0.5 : CGRectGetMinY(bounds);
    CGContextSetFillColorWithColor(context, UIColor::colorWithWhite(dark ? 0 : 178.0 / 255, 1)->CGColor());
    CGContextFillRect(context, CGRectMake(bounds.origin.x, y, bounds.size.width, 0.5));
}

} // namespace bar_background
