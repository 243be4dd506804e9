#include "platform/uikit/UIBezierPath.h"

#include "platform/graphics/UIGraphics.h"

#include <algorithm>
#include <cmath>

std::shared_ptr<UIBezierPath> UIBezierPath::bezierPathWithRect(CGRect rect)
{
    auto path = create();
    CGPathAddRect(path->m_path, nullptr, rect);
    return path;
}

std::shared_ptr<UIBezierPath> UIBezierPath::bezierPathWithOvalInRect(CGRect rect)
{
    auto path = create();
    CGPathAddEllipseInRect(path->m_path, nullptr, rect);
    return path;
}

std::shared_ptr<UIBezierPath> UIBezierPath::bezierPathWithRoundedRect(CGRect rect, CGFloat cornerRadius)
{
    return bezierPathWithRoundedRect(rect, UIRectCornerAllCorners, CGSizeMake(cornerRadius, cornerRadius));
}

std::shared_ptr<UIBezierPath> UIBezierPath::bezierPathWithRoundedRect(CGRect rect, UIRectCorner corners, CGSize cornerRadii)
{
    auto path = create();
    rect = CGRectStandardize(rect);
    const CGFloat limit = std::min(rect.size.width, rect.size.height) / 2;
    const CGFloat radius = std::clamp(cornerRadii.width, CGFloat(0), limit);
    const auto radiusOf = [&](UIRectCorner corner) { return corners & corner ? radius : 0; };
    const CGFloat left = CGRectGetMinX(rect), right = CGRectGetMaxX(rect);
    const CGFloat top = CGRectGetMinY(rect), bottom = CGRectGetMaxY(rect);
    const auto& p = path->m_path;
    // Clockwise on the screen from the top edge; a corner of radius 0 is a plain corner.
    CGPathMoveToPoint(p, nullptr, left + radiusOf(UIRectCornerTopLeft), top);
    const auto corner = [&](CGFloat x, CGFloat y, CGFloat nextX, CGFloat nextY, UIRectCorner which) {
        if (radiusOf(which) > 0)
            CGPathAddArcToPoint(p, nullptr, x, y, nextX, nextY, radiusOf(which));
        else
            CGPathAddLineToPoint(p, nullptr, x, y);
    };
    corner(right, top, right, bottom, UIRectCornerTopRight);
    corner(right, bottom, left, bottom, UIRectCornerBottomRight);
    corner(left, bottom, left, top, UIRectCornerBottomLeft);
    corner(left, top, right, top, UIRectCornerTopLeft);
    CGPathCloseSubpath(p);
    return path;
}

std::shared_ptr<UIBezierPath> UIBezierPath::bezierPathWithArcCenter(CGPoint center, CGFloat radius, CGFloat startAngle,
    CGFloat endAngle, bool clockwise)
{
    auto path = create();
    path->addArcWithCenter(center, radius, startAngle, endAngle, clockwise);
    return path;
}

std::shared_ptr<UIBezierPath> UIBezierPath::bezierPathWithCGPath(const CGPathRef& cgPath)
{
    auto path = create();
    path->setCGPath(cgPath);
    return path;
}

void UIBezierPath::setCGPath(const CGPathRef& path)
{
    m_path = path ? CGPathCreateMutableCopy(path) : CGPathCreateMutable();
}

void UIBezierPath::moveToPoint(CGPoint point)
{
    CGPathMoveToPoint(m_path, nullptr, point.x, point.y);
}

void UIBezierPath::addLineToPoint(CGPoint point)
{
    CGPathAddLineToPoint(m_path, nullptr, point.x, point.y);
}

void UIBezierPath::addArcWithCenter(CGPoint center, CGFloat radius, CGFloat startAngle, CGFloat endAngle, bool clockwise)
{
    // With y down, the angle grows clockwise on the screen; the path's flag counts it the other way.
    CGPathAddArc(m_path, nullptr, center.x, center.y, radius, startAngle, endAngle, !clockwise);
}

void UIBezierPath::addQuadCurveToPoint(CGPoint point, CGPoint controlPoint)
{
    CGPathAddQuadCurveToPoint(m_path, nullptr, controlPoint.x, controlPoint.y, point.x, point.y);
}

void UIBezierPath::addCurveToPoint(CGPoint point, CGPoint controlPoint1, CGPoint controlPoint2)
{
    CGPathAddCurveToPoint(m_path, nullptr, controlPoint1.x, controlPoint1.y, controlPoint2.x, controlPoint2.y, point.x, point.y);
}

void UIBezierPath::closePath()
{
    CGPathCloseSubpath(m_path);
}

void UIBezierPath::removeAllPoints()
{
    m_path = CGPathCreateMutable();
}

void UIBezierPath::appendPath(const std::shared_ptr<UIBezierPath>& path)
{
    if (path)
        CGPathAddPath(m_path, nullptr, path->m_path);
}

void UIBezierPath::applyTransform(CGAffineTransform transform)
{
    m_path = CGPathCreateMutableCopyByTransformingPath(m_path, &transform);
}

void UIBezierPath::fill() const
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    CGContextSaveGState(context);
    CGContextBeginPath(context);
    CGContextAddPath(context, m_path);
    if (m_usesEvenOddFillRule)
        CGContextEOFillPath(context);
    else
        CGContextFillPath(context);
    CGContextRestoreGState(context);
}

void UIBezierPath::stroke() const
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    CGContextSaveGState(context);
    CGContextSetLineWidth(context, m_lineWidth);
    CGContextSetLineCap(context, m_lineCap);
    CGContextSetLineJoin(context, m_lineJoin);
    CGContextSetMiterLimit(context, m_miterLimit);
    CGContextBeginPath(context);
    CGContextAddPath(context, m_path);
    CGContextStrokePath(context);
    CGContextRestoreGState(context);
}

void UIBezierPath::addClip() const
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    CGContextBeginPath(context);
    CGContextAddPath(context, m_path);
    if (m_usesEvenOddFillRule)
        CGContextEOClip(context);
    else
        CGContextClip(context);
}

id UIBezierPath::copy() const
{
    auto duplicate = create();
    duplicate->m_path = CGPathCreateMutableCopy(m_path);
    duplicate->m_lineWidth = m_lineWidth;
    duplicate->m_lineCap = m_lineCap;
    duplicate->m_lineJoin = m_lineJoin;
    duplicate->m_miterLimit = m_miterLimit;
    duplicate->m_usesEvenOddFillRule = m_usesEvenOddFillRule;
    return duplicate;
}
