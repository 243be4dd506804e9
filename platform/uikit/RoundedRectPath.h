#pragma once
// A rounded rectangle added to a context's path, for the controls that draw one.

#include "platform/graphics/CGContext.h"

#include <algorithm>

inline void addRoundedRectPath(const CGContextRef& context, CGRect rect, CGFloat radius)
{
    radius = std::min({ radius, rect.size.width / 2, rect.size.height / 2 });
    const CGFloat left = CGRectGetMinX(rect), right = CGRectGetMaxX(rect);
    const CGFloat top = CGRectGetMinY(rect), bottom = CGRectGetMaxY(rect);
    CGContextMoveToPoint(context, left + radius, top);
    CGContextAddArcToPoint(context, right, top, right, bottom, radius);
    CGContextAddArcToPoint(context, right, bottom, left, bottom, radius);
    CGContextAddArcToPoint(context, left, bottom, left, top, radius);
    CGContextAddArcToPoint(context, left, top, right, top, radius);
    CGContextClosePath(context);
}
