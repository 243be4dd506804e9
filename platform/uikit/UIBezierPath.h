#pragma once
// A path with its own stroke settings, drawn into the current UIKit context. Coordinates are
// UIKit's (y down), so an arc drawn clockwise turns clockwise on the screen.

#include "platform/foundation/NSObject.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/CGPath.h"

using UIRectCorner = NSUInteger;
enum : UIRectCorner {
    UIRectCornerTopLeft = 1 << 0,
    UIRectCornerTopRight = 1 << 1,
    UIRectCornerBottomLeft = 1 << 2,
    UIRectCornerBottomRight = 1 << 3,
    UIRectCornerAllCorners = ~0ul,
};

class UIBezierPath : public NSObject {
    NS_OBJECT(UIBezierPath, NSObject)
public:
    static std::shared_ptr<UIBezierPath> bezierPath() { return create(); }
    static std::shared_ptr<UIBezierPath> bezierPathWithRect(CGRect rect);
    static std::shared_ptr<UIBezierPath> bezierPathWithOvalInRect(CGRect rect);
    // Corner radii larger than half the shorter side are cut to it.
    static std::shared_ptr<UIBezierPath> bezierPathWithRoundedRect(CGRect rect, CGFloat cornerRadius);
    static std::shared_ptr<UIBezierPath> bezierPathWithRoundedRect(CGRect rect, UIRectCorner corners, CGSize cornerRadii);
    static std::shared_ptr<UIBezierPath> bezierPathWithArcCenter(CGPoint center, CGFloat radius, CGFloat startAngle,
        CGFloat endAngle, bool clockwise);
    static std::shared_ptr<UIBezierPath> bezierPathWithCGPath(const CGPathRef& path);

    void moveToPoint(CGPoint point);
    void addLineToPoint(CGPoint point);
    void addArcWithCenter(CGPoint center, CGFloat radius, CGFloat startAngle, CGFloat endAngle, bool clockwise);
    void addQuadCurveToPoint(CGPoint point, CGPoint controlPoint);
    void addCurveToPoint(CGPoint point, CGPoint controlPoint1, CGPoint controlPoint2);
    void closePath();
    void removeAllPoints();
    void appendPath(const std::shared_ptr<UIBezierPath>& path);
    void applyTransform(CGAffineTransform transform);

    // A copy: later changes of the path do not change it.
    CGPathRef CGPath() const { return CGPathCreateCopy(m_path); }
    void setCGPath(const CGPathRef& path);
    bool isEmpty() const { return CGPathIsEmpty(m_path); }
    CGRect bounds() const { return CGPathGetBoundingBox(m_path); }
    CGPoint currentPoint() const { return CGPathGetCurrentPoint(m_path); }
    bool containsPoint(CGPoint point) const { return CGPathContainsPoint(m_path, nullptr, point, m_usesEvenOddFillRule); }

    CGFloat lineWidth() const { return m_lineWidth; }
    void setLineWidth(CGFloat width) { m_lineWidth = width; }
    CGLineCap lineCapStyle() const { return m_lineCap; }
    void setLineCapStyle(CGLineCap cap) { m_lineCap = cap; }
    CGLineJoin lineJoinStyle() const { return m_lineJoin; }
    void setLineJoinStyle(CGLineJoin join) { m_lineJoin = join; }
    CGFloat miterLimit() const { return m_miterLimit; }
    void setMiterLimit(CGFloat limit) { m_miterLimit = limit; }
    bool usesEvenOddFillRule() const { return m_usesEvenOddFillRule; }
    void setUsesEvenOddFillRule(bool evenOdd) { m_usesEvenOddFillRule = evenOdd; }

    // In the current context with its fill or stroke colour; nothing without a context.
    void fill() const;
    void stroke() const;
    // Narrows the current context's clip to the path's inside.
    void addClip() const;

    id copy() const override;

protected:
    void init() { m_path = CGPathCreateMutable(); }

private:
    CGMutablePathRef m_path;
    CGFloat m_lineWidth { 1 };
    CGLineCap m_lineCap { kCGLineCapButt };
    CGLineJoin m_lineJoin { kCGLineJoinMiter };
    CGFloat m_miterLimit { 10 };
    bool m_usesEvenOddFillRule { false };
};

using UIBezierPathRef = std::shared_ptr<UIBezierPath>;
