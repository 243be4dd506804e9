#include "platform/graphics/CGGeometry.h"

#include <algorithm>

bool CGRectIsNull(CGRect rect)
{
    return std::isinf(rect.origin.x) && rect.origin.x > 0 && std::isinf(rect.origin.y) && rect.origin.y > 0;
}

bool CGRectIsEmpty(CGRect rect)
{
    return CGRectIsNull(rect) || rect.size.width == 0 || rect.size.height == 0;
}

bool CGRectIsInfinite(CGRect rect)
{
    return rect == CGRectInfinite;
}

CGRect CGRectStandardize(CGRect rect)
{
    if (CGRectIsNull(rect) || CGRectIsInfinite(rect))
        return rect;
    if (rect.size.width < 0) {
        rect.origin.x += rect.size.width;
        rect.size.width = -rect.size.width;
    }
    if (rect.size.height < 0) {
        rect.origin.y += rect.size.height;
        rect.size.height = -rect.size.height;
    }
    return rect;
}

CGFloat CGRectGetMinX(CGRect rect) { return CGRectStandardize(rect).origin.x; }
CGFloat CGRectGetMinY(CGRect rect) { return CGRectStandardize(rect).origin.y; }
CGFloat CGRectGetMaxX(CGRect rect)
{
    rect = CGRectStandardize(rect);
    return rect.origin.x + rect.size.width;
}
CGFloat CGRectGetMaxY(CGRect rect)
{
    rect = CGRectStandardize(rect);
    return rect.origin.y + rect.size.height;
}
CGFloat CGRectGetMidX(CGRect rect)
{
    rect = CGRectStandardize(rect);
    return rect.origin.x + rect.size.width / 2;
}
CGFloat CGRectGetMidY(CGRect rect)
{
    rect = CGRectStandardize(rect);
    return rect.origin.y + rect.size.height / 2;
}
CGFloat CGRectGetWidth(CGRect rect) { return std::fabs(rect.size.width); }
CGFloat CGRectGetHeight(CGRect rect) { return std::fabs(rect.size.height); }

bool CGRectEqualToRect(CGRect a, CGRect b)
{
    const bool aNull = CGRectIsNull(a);
    const bool bNull = CGRectIsNull(b);
    if (aNull || bNull)
        return aNull && bNull;
    return CGRectStandardize(a) == CGRectStandardize(b);
}

bool CGRectContainsPoint(CGRect rect, CGPoint point)
{
    if (CGRectIsNull(rect))
        return false;
    rect = CGRectStandardize(rect);
    return point.x >= rect.origin.x && point.x < rect.origin.x + rect.size.width && point.y >= rect.origin.y
        && point.y < rect.origin.y + rect.size.height;
}

bool CGRectContainsRect(CGRect outer, CGRect inner)
{
    if (CGRectIsNull(inner))
        return true;
    if (CGRectIsNull(outer))
        return false;
    return CGRectEqualToRect(CGRectUnion(outer, inner), outer);
}

bool CGRectIntersectsRect(CGRect a, CGRect b)
{
    return !CGRectIsNull(CGRectIntersection(a, b));
}

CGRect CGRectOffset(CGRect rect, CGFloat dx, CGFloat dy)
{
    if (CGRectIsNull(rect) || CGRectIsInfinite(rect))
        return rect;
    rect = CGRectStandardize(rect);
    rect.origin.x += dx;
    rect.origin.y += dy;
    return rect;
}

CGRect CGRectInset(CGRect rect, CGFloat dx, CGFloat dy)
{
    if (CGRectIsNull(rect) || CGRectIsInfinite(rect))
        return rect;
    rect = CGRectStandardize(rect);
    rect.origin.x += dx;
    rect.origin.y += dy;
    rect.size.width -= 2 * dx;
    rect.size.height -= 2 * dy;
    if (rect.size.width < 0 || rect.size.height < 0)
        return CGRectNull;
    return rect;
}

CGRect CGRectIntegral(CGRect rect)
{
    if (CGRectIsNull(rect) || CGRectIsInfinite(rect))
        return rect;
    rect = CGRectStandardize(rect);
    if (rect.size.width == 0 && rect.size.height == 0) {
        // An empty rectangle keeps its place; the platform rounds only its origin down.
        return { { std::floor(rect.origin.x), std::floor(rect.origin.y) }, { 0, 0 } };
    }
    const CGFloat minX = std::floor(rect.origin.x);
    const CGFloat minY = std::floor(rect.origin.y);
    const CGFloat maxX = std::ceil(rect.origin.x + rect.size.width);
    const CGFloat maxY = std::ceil(rect.origin.y + rect.size.height);
    return { { minX, minY }, { maxX - minX, maxY - minY } };
}

CGRect CGRectUnion(CGRect a, CGRect b)
{
    if (CGRectIsNull(a))
        return CGRectStandardize(b);
    if (CGRectIsNull(b))
        return CGRectStandardize(a);
    if (CGRectIsInfinite(a) || CGRectIsInfinite(b))
        return CGRectInfinite;
    a = CGRectStandardize(a);
    b = CGRectStandardize(b);
    const CGFloat minX = std::min(a.origin.x, b.origin.x);
    const CGFloat minY = std::min(a.origin.y, b.origin.y);
    const CGFloat maxX = std::max(a.origin.x + a.size.width, b.origin.x + b.size.width);
    const CGFloat maxY = std::max(a.origin.y + a.size.height, b.origin.y + b.size.height);
    return { { minX, minY }, { maxX - minX, maxY - minY } };
}

CGRect CGRectIntersection(CGRect a, CGRect b)
{
    if (CGRectIsNull(a) || CGRectIsNull(b))
        return CGRectNull;
    if (CGRectIsInfinite(a))
        return CGRectStandardize(b);
    if (CGRectIsInfinite(b))
        return CGRectStandardize(a);
    a = CGRectStandardize(a);
    b = CGRectStandardize(b);
    const CGFloat minX = std::max(a.origin.x, b.origin.x);
    const CGFloat minY = std::max(a.origin.y, b.origin.y);
    const CGFloat maxX = std::min(a.origin.x + a.size.width, b.origin.x + b.size.width);
    const CGFloat maxY = std::min(a.origin.y + a.size.height, b.origin.y + b.size.height);
    // Rectangles that only touch meet in a zero-sized rectangle, not in the null one.
    if (maxX < minX || maxY < minY)
        return CGRectNull;
    return { { minX, minY }, { maxX - minX, maxY - minY } };
}

void CGRectDivide(CGRect rect, CGRect* slice, CGRect* remainder, CGFloat amount, CGRectEdge edge)
{
    CGRect sliceRect = CGRectNull;
    CGRect remainderRect = CGRectNull;
    if (!CGRectIsNull(rect)) {
        rect = CGRectStandardize(rect);
        const bool horizontal = edge == CGRectMinXEdge || edge == CGRectMaxXEdge;
        const CGFloat extent = horizontal ? rect.size.width : rect.size.height;
        amount = std::clamp(amount, CGFloat(0), extent);
        sliceRect = rect;
        remainderRect = rect;
        switch (edge) {
        case CGRectMinXEdge:
            sliceRect.size.width = amount;
            remainderRect.origin.x += amount;
            remainderRect.size.width -= amount;
            break;
        case CGRectMaxXEdge:
            sliceRect.origin.x += extent - amount;
            sliceRect.size.width = amount;
            remainderRect.size.width -= amount;
            break;
        case CGRectMinYEdge:
            sliceRect.size.height = amount;
            remainderRect.origin.y += amount;
            remainderRect.size.height -= amount;
            break;
        case CGRectMaxYEdge:
            sliceRect.origin.y += extent - amount;
            sliceRect.size.height = amount;
            remainderRect.size.height -= amount;
            break;
        }
    }
    if (slice)
        *slice = sliceRect;
    if (remainder)
        *remainder = remainderRect;
}
