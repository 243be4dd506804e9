#pragma once
// Paths: a list of elements in the path's own space, the transform argument of each call applied
// as the element is added. Kept as elements (not as a Cairo path) so that callers can walk
// them, archive them and test points against them without a drawing surface.

#include "platform/foundation/NSObject.h"
#include "platform/graphics/CGAffineTransform.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

enum CGPathElementType : std::int32_t {
    kCGPathElementMoveToPoint = 0,
    kCGPathElementAddLineToPoint = 1,
    kCGPathElementAddQuadCurveToPoint = 2,
    kCGPathElementAddCurveToPoint = 3,
    kCGPathElementCloseSubpath = 4,
};

enum CGLineCap : std::int32_t { kCGLineCapButt = 0, kCGLineCapRound = 1, kCGLineCapSquare = 2 };
enum CGLineJoin : std::int32_t { kCGLineJoinMiter = 0, kCGLineJoinRound = 1, kCGLineJoinBevel = 2 };

struct CGPathElement {
    CGPathElementType type { kCGPathElementMoveToPoint };
    const CGPoint* points { nullptr };
};

class CGPath : public NSObject {
    NS_OBJECT(CGPath, NSObject)
public:
    struct Element {
        CGPathElementType type { kCGPathElementMoveToPoint };
        std::array<CGPoint, 3> points {};
        bool operator==(const Element&) const = default;
    };
    // One flattened subpath: a polyline, closed or open.
    struct Polyline {
        std::vector<CGPoint> points;
        bool closed { false };
    };

    const std::vector<Element>& elements() const { return m_elements; }
    bool isEmpty() const { return m_elements.empty(); }
    bool hasCurrentPoint() const { return m_hasCurrentPoint; }
    CGPoint currentPoint() const { return m_hasCurrentPoint ? m_currentPoint : CGPointZero; }

    void moveTo(CGPoint point);
    // Line and curve elements need a current point; without one they are ignored.
    void lineTo(CGPoint point);
    void quadCurveTo(CGPoint control, CGPoint end);
    void curveTo(CGPoint control1, CGPoint control2, CGPoint end);
    void closeSubpath();
    void append(const CGPath& other, const CGAffineTransform* transform);

    // Curves become line segments no farther than tolerance from the curve.
    std::vector<Polyline> flatten(CGFloat tolerance = 0.05) const;
    // Winding (or even-odd) test; open subpaths count as closed.
    bool containsPoint(CGPoint point, bool evenOdd) const;
    CGRect controlPointBounds() const;
    CGRect exactBounds() const;

    bool isEqual(const id& other) const override;
    NSUInteger hash() const override;
    id copy() const override;
    id mutableCopy() const override;

private:
    std::vector<Element> m_elements;
    CGPoint m_currentPoint;
    CGPoint m_subpathStart;
    bool m_hasCurrentPoint { false };
};

using CGPathRef = std::shared_ptr<const CGPath>;
using CGMutablePathRef = std::shared_ptr<CGPath>;

CGMutablePathRef CGPathCreateMutable();
CGPathRef CGPathCreateCopy(const CGPathRef& path);
CGPathRef CGPathCreateCopyByTransformingPath(const CGPathRef& path, const CGAffineTransform* transform);
CGMutablePathRef CGPathCreateMutableCopy(const CGPathRef& path);
CGMutablePathRef CGPathCreateMutableCopyByTransformingPath(const CGPathRef& path, const CGAffineTransform* transform);
CGPathRef CGPathCreateWithRect(CGRect rect, const CGAffineTransform* transform);
CGPathRef CGPathCreateWithEllipseInRect(CGRect rect, const CGAffineTransform* transform);
CGPathRef CGPathCreateWithRoundedRect(CGRect rect, CGFloat cornerWidth, CGFloat cornerHeight, const CGAffineTransform* transform);
// The outline of the stroke as a path to fill with the winding rule.
CGPathRef CGPathCreateCopyByStrokingPath(const CGPathRef& path, const CGAffineTransform* transform, CGFloat lineWidth,
    CGLineCap cap, CGLineJoin join, CGFloat miterLimit);
CGPathRef CGPathCreateCopyByDashingPath(const CGPathRef& path, const CGAffineTransform* transform, CGFloat phase,
    const CGFloat* lengths, std::size_t count);
inline CGPathRef CGPathRetain(const CGPathRef& path) { return path; }
inline void CGPathRelease(const CGPathRef&) { }

bool CGPathEqualToPath(const CGPathRef& a, const CGPathRef& b);
bool CGPathIsEmpty(const CGPathRef& path);
bool CGPathIsRect(const CGPathRef& path, CGRect* rect);
CGPoint CGPathGetCurrentPoint(const CGPathRef& path);
// Including control points; the null rectangle for an empty path.
CGRect CGPathGetBoundingBox(const CGPathRef& path);
// The curves' own extent, without their control points.
CGRect CGPathGetPathBoundingBox(const CGPathRef& path);
bool CGPathContainsPoint(const CGPathRef& path, const CGAffineTransform* transform, CGPoint point, bool eoFill);
void CGPathApply(const CGPathRef& path, void* info, void (*function)(void* info, const CGPathElement* element));
void CGPathApply(const CGPathRef& path, const std::function<void(const CGPathElement&)>& function);

void CGPathMoveToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x, CGFloat y);
void CGPathAddLineToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x, CGFloat y);
void CGPathAddQuadCurveToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat cpx, CGFloat cpy,
    CGFloat x, CGFloat y);
void CGPathAddCurveToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat cp1x, CGFloat cp1y,
    CGFloat cp2x, CGFloat cp2y, CGFloat x, CGFloat y);
void CGPathCloseSubpath(const CGMutablePathRef& path);
void CGPathAddLines(const CGMutablePathRef& path, const CGAffineTransform* m, const CGPoint* points, std::size_t count);
void CGPathAddRect(const CGMutablePathRef& path, const CGAffineTransform* m, CGRect rect);
void CGPathAddRects(const CGMutablePathRef& path, const CGAffineTransform* m, const CGRect* rects, std::size_t count);
void CGPathAddEllipseInRect(const CGMutablePathRef& path, const CGAffineTransform* m, CGRect rect);
void CGPathAddRoundedRect(const CGMutablePathRef& path, const CGAffineTransform* m, CGRect rect, CGFloat cornerWidth,
    CGFloat cornerHeight);
// Angles in radians from the positive x axis towards the positive y axis; clockwise means
// decreasing angle, which looks clockwise only where y points up.
void CGPathAddArc(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x, CGFloat y, CGFloat radius,
    CGFloat startAngle, CGFloat endAngle, bool clockwise);
void CGPathAddRelativeArc(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x, CGFloat y,
    CGFloat radius, CGFloat startAngle, CGFloat delta);
// The arc of the given radius tangent to the lines current point → (x1, y1) and (x1, y1) → (x2, y2).
void CGPathAddArcToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x1, CGFloat y1, CGFloat x2,
    CGFloat y2, CGFloat radius);
void CGPathAddPath(const CGMutablePathRef& path, const CGAffineTransform* m, const CGPathRef& other);
