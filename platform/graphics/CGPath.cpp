#include "platform/graphics/CGPath.h"

#include "platform/graphics/CGPathStroker.h"

#include <algorithm>
#include <numbers>

namespace {

constexpr CGFloat kHalfPi = std::numbers::pi / 2;
constexpr CGFloat kTwoPi = std::numbers::pi * 2;
constexpr CGFloat kManyTurns = kTwoPi * 1024;
// Control-point distance of a quarter circle of radius 1 drawn with one cubic curve.
constexpr CGFloat kQuarterCircleKappa = 0.55228474983079339840;

CGPoint apply(const CGAffineTransform* m, CGPoint point)
{
    return m ? CGPointApplyAffineTransform(point, *m) : point;
}

CGPoint lerp(CGPoint a, CGPoint b, CGFloat t) { return { a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t }; }

CGFloat distance(CGPoint a, CGPoint b) { return std::hypot(b.x - a.x, b.y - a.y); }

int segmentsFor(CGFloat secondDifference, CGFloat tolerance)
{
    const CGFloat n = std::ceil(std::sqrt(0.75 * secondDifference / tolerance));
    return std::clamp(static_cast<int>(std::isfinite(n) ? n : 1), 1, 1000);
}

CGPoint cubicPoint(CGPoint p0, CGPoint p1, CGPoint p2, CGPoint p3, CGFloat t)
{
    const CGFloat u = 1 - t;
    const CGFloat a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    return { a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y };
}

CGPoint quadPoint(CGPoint p0, CGPoint p1, CGPoint p2, CGFloat t)
{
    const CGFloat u = 1 - t;
    return { u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x, u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y };
}

// Adds an arc of the circle (centre, radius) from startAngle through delta radians, joined to
// the current point by a line, or starting a subpath when there is none.
void appendArc(CGPath& path, const CGAffineTransform* m, CGPoint centre, CGFloat radius, CGFloat startAngle,
    CGFloat delta)
{
    const auto onCircle = [&](CGFloat angle) {
        return CGPoint { centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle) };
    };
    const CGPoint start = apply(m, onCircle(startAngle));
    if (path.hasCurrentPoint())
        path.lineTo(start);
    else
        path.moveTo(start);
    // A radius or sweep that is no number (a corner at infinity) draws no arc, and a sweep of
    // more turns than can be counted draws as many as cover the same points.
    if (delta == 0 || radius == 0 || !std::isfinite(delta) || !std::isfinite(radius))
        return;
    if (std::fabs(delta) > kManyTurns)
        delta = std::copysign(kTwoPi + std::fmod(std::fabs(delta), kTwoPi), delta);
    const int segments = std::max(1, static_cast<int>(std::ceil(std::fabs(delta) / kHalfPi - 1e-9)));
    const CGFloat step = delta / segments;
    const CGFloat k = 4.0 / 3.0 * std::tan(step / 4) * radius;
    CGFloat angle = startAngle;
    for (int i = 0; i < segments; ++i) {
        const CGFloat next = (i == segments - 1) ? startAngle + delta : angle + step;
        const CGPoint p0 = onCircle(angle);
        const CGPoint p3 = onCircle(next);
        const CGPoint c1 { p0.x - k * std::sin(angle), p0.y + k * std::cos(angle) };
        const CGPoint c2 { p3.x + k * std::sin(next), p3.y - k * std::cos(next) };
        path.curveTo(apply(m, c1), apply(m, c2), apply(m, p3));
        angle = next;
    }
}

// Parameter values in (0, 1) where one coordinate of a cubic has an extremum.
void cubicExtrema(CGFloat p0, CGFloat p1, CGFloat p2, CGFloat p3, std::vector<CGFloat>& out)
{
    const CGFloat a = -p0 + 3 * p1 - 3 * p2 + p3;
    const CGFloat b = 2 * (p0 - 2 * p1 + p2);
    const CGFloat c = p1 - p0;
    const auto keep = [&](CGFloat t) {
        if (t > 0 && t < 1)
            out.push_back(t);
    };
    if (std::fabs(a) < 1e-12) {
        if (std::fabs(b) > 1e-12)
            keep(-c / b);
        return;
    }
    const CGFloat discriminant = b * b - 4 * a * c;
    if (discriminant < 0)
        return;
    const CGFloat root = std::sqrt(discriminant);
    keep((-b + root) / (2 * a));
    keep((-b - root) / (2 * a));
}

CGRect boundsOf(const std::vector<CGPoint>& points)
{
    if (points.empty())
        return CGRectNull;
    CGFloat minX = points[0].x, maxX = points[0].x, minY = points[0].y, maxY = points[0].y;
    for (const CGPoint& p : points) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    return { { minX, minY }, { maxX - minX, maxY - minY } };
}

} // namespace

void CGPath::moveTo(CGPoint point)
{
    m_elements.push_back({ kCGPathElementMoveToPoint, { point } });
    m_currentPoint = point;
    m_subpathStart = point;
    m_hasCurrentPoint = true;
}

void CGPath::lineTo(CGPoint point)
{
    if (!m_hasCurrentPoint)
        return;
    m_elements.push_back({ kCGPathElementAddLineToPoint, { point } });
    m_currentPoint = point;
}

void CGPath::quadCurveTo(CGPoint control, CGPoint end)
{
    if (!m_hasCurrentPoint)
        return;
    m_elements.push_back({ kCGPathElementAddQuadCurveToPoint, { control, end } });
    m_currentPoint = end;
}

void CGPath::curveTo(CGPoint control1, CGPoint control2, CGPoint end)
{
    if (!m_hasCurrentPoint)
        return;
    m_elements.push_back({ kCGPathElementAddCurveToPoint, { control1, control2, end } });
    m_currentPoint = end;
}

void CGPath::closeSubpath()
{
    if (!m_hasCurrentPoint || m_elements.back().type == kCGPathElementCloseSubpath)
        return;
    m_elements.push_back({ kCGPathElementCloseSubpath, {} });
    m_currentPoint = m_subpathStart;
}

void CGPath::append(const CGPath& other, const CGAffineTransform* m)
{
    // Copied first: a path may be appended to itself.
    const std::vector<Element> elements = other.m_elements;
    for (const Element& element : elements) {
        switch (element.type) {
        case kCGPathElementMoveToPoint:
            moveTo(apply(m, element.points[0]));
            break;
        case kCGPathElementAddLineToPoint:
            lineTo(apply(m, element.points[0]));
            break;
        case kCGPathElementAddQuadCurveToPoint:
            quadCurveTo(apply(m, element.points[0]), apply(m, element.points[1]));
            break;
        case kCGPathElementAddCurveToPoint:
            curveTo(apply(m, element.points[0]), apply(m, element.points[1]), apply(m, element.points[2]));
            break;
        case kCGPathElementCloseSubpath:
            closeSubpath();
            break;
        }
    }
}

std::vector<CGPath::Polyline> CGPath::flatten(CGFloat tolerance) const
{
    std::vector<Polyline> result;
    CGPoint current;
    for (const Element& element : m_elements) {
        if (element.type == kCGPathElementMoveToPoint) {
            result.push_back({ { element.points[0] }, false });
            current = element.points[0];
            continue;
        }
        if (result.empty() || result.back().closed) {
            // A subpath continues after a close from the point the close returned to.
            result.push_back({ { current }, false });
        }
        Polyline& line = result.back();
        switch (element.type) {
        case kCGPathElementAddLineToPoint:
            line.points.push_back(element.points[0]);
            current = element.points[0];
            break;
        case kCGPathElementAddQuadCurveToPoint: {
            const CGPoint p0 = current, p1 = element.points[0], p2 = element.points[1];
            const CGFloat dd = std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y);
            const int n = segmentsFor(dd, tolerance);
            for (int i = 1; i <= n; ++i)
                line.points.push_back(i == n ? p2 : quadPoint(p0, p1, p2, CGFloat(i) / n));
            current = p2;
            break;
        }
        case kCGPathElementAddCurveToPoint: {
            const CGPoint p0 = current, p1 = element.points[0], p2 = element.points[1], p3 = element.points[2];
            const CGFloat dd = std::max(std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y),
                std::hypot(p1.x - 2 * p2.x + p3.x, p1.y - 2 * p2.y + p3.y));
            const int n = segmentsFor(dd, tolerance);
            for (int i = 1; i <= n; ++i)
                line.points.push_back(i == n ? p3 : cubicPoint(p0, p1, p2, p3, CGFloat(i) / n));
            current = p3;
            break;
        }
        case kCGPathElementCloseSubpath:
            line.closed = true;
            current = line.points.front();
            break;
        case kCGPathElementMoveToPoint:
            break;
        }
    }
    return result;
}

bool CGPath::containsPoint(CGPoint point, bool evenOdd) const
{
    int winding = 0;
    int crossings = 0;
    for (const Polyline& line : flatten()) {
        const std::size_t count = line.points.size();
        for (std::size_t i = 0; i < count; ++i) {
            const CGPoint a = line.points[i];
            const CGPoint b = line.points[(i + 1) % count];
            // Half-open in y so a vertex on the ray is counted once.
            if ((a.y <= point.y) != (b.y <= point.y)) {
                const CGFloat x = a.x + (point.y - a.y) * (b.x - a.x) / (b.y - a.y);
                if (x > point.x) {
                    ++crossings;
                    winding += (b.y > a.y) ? 1 : -1;
                }
            }
        }
    }
    return evenOdd ? (crossings % 2) != 0 : winding != 0;
}

CGRect CGPath::controlPointBounds() const
{
    std::vector<CGPoint> points;
    for (const Element& element : m_elements) {
        const int count = element.type == kCGPathElementCloseSubpath ? 0
            : element.type == kCGPathElementAddQuadCurveToPoint    ? 2
            : element.type == kCGPathElementAddCurveToPoint        ? 3
                                                                   : 1;
        points.insert(points.end(), element.points.begin(), element.points.begin() + count);
    }
    return boundsOf(points);
}

CGRect CGPath::exactBounds() const
{
    std::vector<CGPoint> points;
    CGPoint current;
    CGPoint start;
    // A curve's box is its end points and the points where it turns in x or in y.
    auto addCubic = [&](CGPoint p0, CGPoint p1, CGPoint p2, CGPoint p3) {
        std::vector<CGFloat> ts;
        cubicExtrema(p0.x, p1.x, p2.x, p3.x, ts);
        cubicExtrema(p0.y, p1.y, p2.y, p3.y, ts);
        for (CGFloat t : ts)
            points.push_back(cubicPoint(p0, p1, p2, p3, t));
        current = p3;
        points.push_back(current);
    };
    for (const Element& element : m_elements) {
        switch (element.type) {
        case kCGPathElementMoveToPoint:
            current = start = element.points[0];
            points.push_back(current);
            break;
        case kCGPathElementAddLineToPoint:
            current = element.points[0];
            points.push_back(current);
            break;
        case kCGPathElementAddQuadCurveToPoint: {
            // Raised to a cubic, so one extremum finder serves both.
            const CGPoint p0 = current, q = element.points[0], p3 = element.points[1];
            addCubic(p0, lerp(p0, q, 2.0 / 3.0), lerp(p3, q, 2.0 / 3.0), p3);
            break;
        }
        case kCGPathElementAddCurveToPoint:
            addCubic(current, element.points[0], element.points[1], element.points[2]);
            break;
        case kCGPathElementCloseSubpath:
            current = start;
            break;
        }
    }
    return boundsOf(points);
}

bool CGPath::isEqual(const id& other) const
{
    const auto path = ns::cast<CGPath>(other);
    return path && path->m_elements == m_elements;
}

NSUInteger CGPath::hash() const
{
    NSUInteger value = m_elements.size();
    for (const Element& element : m_elements)
        value = value * 31 + static_cast<NSUInteger>(element.type) + std::hash<double>()(element.points[0].x);
    return value;
}

id CGPath::copy() const { return mutableCopy(); }

id CGPath::mutableCopy() const
{
    auto path = CGPath::create();
    path->m_elements = m_elements;
    path->m_currentPoint = m_currentPoint;
    path->m_subpathStart = m_subpathStart;
    path->m_hasCurrentPoint = m_hasCurrentPoint;
    return path;
}

CGMutablePathRef CGPathCreateMutable() { return CGPath::create(); }

CGPathRef CGPathCreateCopy(const CGPathRef& path) { return CGPathCreateMutableCopy(path); }

CGMutablePathRef CGPathCreateMutableCopy(const CGPathRef& path)
{
    return path ? std::static_pointer_cast<CGPath>(path->mutableCopy()) : nullptr;
}

CGMutablePathRef CGPathCreateMutableCopyByTransformingPath(const CGPathRef& path, const CGAffineTransform* transform)
{
    if (!path)
        return nullptr;
    auto copy = CGPath::create();
    copy->append(*path, transform);
    return copy;
}

CGPathRef CGPathCreateCopyByTransformingPath(const CGPathRef& path, const CGAffineTransform* transform)
{
    return CGPathCreateMutableCopyByTransformingPath(path, transform);
}

CGPathRef CGPathCreateWithRect(CGRect rect, const CGAffineTransform* transform)
{
    auto path = CGPath::create();
    CGPathAddRect(path, transform, rect);
    return path;
}

CGPathRef CGPathCreateWithEllipseInRect(CGRect rect, const CGAffineTransform* transform)
{
    auto path = CGPath::create();
    CGPathAddEllipseInRect(path, transform, rect);
    return path;
}

CGPathRef CGPathCreateWithRoundedRect(CGRect rect, CGFloat cornerWidth, CGFloat cornerHeight,
    const CGAffineTransform* transform)
{
    auto path = CGPath::create();
    CGPathAddRoundedRect(path, transform, rect, cornerWidth, cornerHeight);
    return path;
}

CGPathRef CGPathCreateCopyByStrokingPath(const CGPathRef& path, const CGAffineTransform* transform, CGFloat lineWidth,
    CGLineCap cap, CGLineJoin join, CGFloat miterLimit)
{
    if (!path)
        return nullptr;
    CGPathStroker stroker;
    stroker.setLineWidth(lineWidth);
    stroker.setLineCap(cap);
    stroker.setLineJoin(join);
    stroker.setMiterLimit(miterLimit);
    auto outline = stroker.strokedPath(*path);
    if (transform) {
        auto transformed = CGPath::create();
        transformed->append(*outline, transform);
        return transformed;
    }
    return outline;
}

CGPathRef CGPathCreateCopyByDashingPath(const CGPathRef& path, const CGAffineTransform* transform, CGFloat phase,
    const CGFloat* lengths, std::size_t count)
{
    if (!path)
        return nullptr;
    CGPathStroker stroker;
    stroker.setDash(phase, std::vector<CGFloat>(lengths, lengths + (lengths ? count : 0)));
    auto dashed = stroker.dashedPath(*path);
    if (transform) {
        auto transformed = CGPath::create();
        transformed->append(*dashed, transform);
        return transformed;
    }
    return dashed;
}

bool CGPathEqualToPath(const CGPathRef& a, const CGPathRef& b)
{
    if (!a || !b)
        return a == b;
    return a->elements() == b->elements();
}

bool CGPathIsEmpty(const CGPathRef& path) { return !path || path->isEmpty(); }

bool CGPathIsRect(const CGPathRef& path, CGRect* rect)
{
    if (!path)
        return false;
    const auto& e = path->elements();
    if (e.size() < 4 || e.size() > 6 || e[0].type != kCGPathElementMoveToPoint)
        return false;
    std::vector<CGPoint> corners { e[0].points[0] };
    std::size_t i = 1;
    for (; i < e.size() && e[i].type == kCGPathElementAddLineToPoint; ++i)
        corners.push_back(e[i].points[0]);
    for (; i < e.size(); ++i) {
        if (e[i].type != kCGPathElementCloseSubpath)
            return false;
    }
    if (corners.size() == 5 && corners[4] == corners[0])
        corners.pop_back();
    if (corners.size() != 4)
        return false;
    const bool horizontalFirst = corners[0].y == corners[1].y && corners[1].x == corners[2].x
        && corners[2].y == corners[3].y && corners[3].x == corners[0].x;
    const bool verticalFirst = corners[0].x == corners[1].x && corners[1].y == corners[2].y
        && corners[2].x == corners[3].x && corners[3].y == corners[0].y;
    if (!horizontalFirst && !verticalFirst)
        return false;
    if (rect)
        *rect = CGRectStandardize({ corners[0], { corners[2].x - corners[0].x, corners[2].y - corners[0].y } });
    return true;
}

CGPoint CGPathGetCurrentPoint(const CGPathRef& path) { return path ? path->currentPoint() : CGPointZero; }

CGRect CGPathGetBoundingBox(const CGPathRef& path) { return path ? path->controlPointBounds() : CGRectNull; }

CGRect CGPathGetPathBoundingBox(const CGPathRef& path) { return path ? path->exactBounds() : CGRectNull; }

bool CGPathContainsPoint(const CGPathRef& path, const CGAffineTransform* transform, CGPoint point, bool eoFill)
{
    if (!path)
        return false;
    if (transform) {
        // The transform places the path; the point is tested against the placed path.
        auto placed = CGPath::create();
        placed->append(*path, transform);
        return placed->containsPoint(point, eoFill);
    }
    return path->containsPoint(point, eoFill);
}

void CGPathApply(const CGPathRef& path, const std::function<void(const CGPathElement&)>& function)
{
    if (!path || !function)
        return;
    for (const CGPath::Element& element : path->elements())
        function(CGPathElement { element.type, element.points.data() });
}

void CGPathApply(const CGPathRef& path, void* info, void (*function)(void*, const CGPathElement*))
{
    if (!function)
        return;
    CGPathApply(path, [&](const CGPathElement& element) { function(info, &element); });
}

void CGPathMoveToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x, CGFloat y)
{
    if (path)
        path->moveTo(apply(m, { x, y }));
}

void CGPathAddLineToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x, CGFloat y)
{
    if (path)
        path->lineTo(apply(m, { x, y }));
}

void CGPathAddQuadCurveToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat cpx, CGFloat cpy,
    CGFloat x, CGFloat y)
{
    if (path)
        path->quadCurveTo(apply(m, { cpx, cpy }), apply(m, { x, y }));
}

void CGPathAddCurveToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat cp1x, CGFloat cp1y,
    CGFloat cp2x, CGFloat cp2y, CGFloat x, CGFloat y)
{
    if (path)
        path->curveTo(apply(m, { cp1x, cp1y }), apply(m, { cp2x, cp2y }), apply(m, { x, y }));
}

void CGPathCloseSubpath(const CGMutablePathRef& path)
{
    if (path)
        path->closeSubpath();
}

void CGPathAddLines(const CGMutablePathRef& path, const CGAffineTransform* m, const CGPoint* points, std::size_t count)
{
    if (!path || !points || count == 0)
        return;
    path->moveTo(apply(m, points[0]));
    for (std::size_t i = 1; i < count; ++i)
        path->lineTo(apply(m, points[i]));
}

void CGPathAddRect(const CGMutablePathRef& path, const CGAffineTransform* m, CGRect rect)
{
    if (!path || CGRectIsNull(rect))
        return;
    const CGFloat x = rect.origin.x, y = rect.origin.y;
    const CGFloat maxX = x + rect.size.width, maxY = y + rect.size.height;
    path->moveTo(apply(m, { x, y }));
    path->lineTo(apply(m, { maxX, y }));
    path->lineTo(apply(m, { maxX, maxY }));
    path->lineTo(apply(m, { x, maxY }));
    path->closeSubpath();
}

void CGPathAddRects(const CGMutablePathRef& path, const CGAffineTransform* m, const CGRect* rects, std::size_t count)
{
    for (std::size_t i = 0; rects && i < count; ++i)
        CGPathAddRect(path, m, rects[i]);
}

void CGPathAddEllipseInRect(const CGMutablePathRef& path, const CGAffineTransform* m, CGRect rect)
{
    if (!path || CGRectIsNull(rect))
        return;
    rect = CGRectStandardize(rect);
    const CGFloat rx = rect.size.width / 2, ry = rect.size.height / 2;
    const CGFloat cx = rect.origin.x + rx, cy = rect.origin.y + ry;
    const CGFloat kx = rx * kQuarterCircleKappa, ky = ry * kQuarterCircleKappa;
    // From the maximum x edge, in increasing angle, as the platform builds it.
    path->moveTo(apply(m, { cx + rx, cy }));
    path->curveTo(apply(m, { cx + rx, cy + ky }), apply(m, { cx + kx, cy + ry }), apply(m, { cx, cy + ry }));
    path->curveTo(apply(m, { cx - kx, cy + ry }), apply(m, { cx - rx, cy + ky }), apply(m, { cx - rx, cy }));
    path->curveTo(apply(m, { cx - rx, cy - ky }), apply(m, { cx - kx, cy - ry }), apply(m, { cx, cy - ry }));
    path->curveTo(apply(m, { cx + kx, cy - ry }), apply(m, { cx + rx, cy - ky }), apply(m, { cx + rx, cy }));
    path->closeSubpath();
}

void CGPathAddRoundedRect(const CGMutablePathRef& path, const CGAffineTransform* m, CGRect rect, CGFloat cornerWidth,
    CGFloat cornerHeight)
{
    if (!path || CGRectIsNull(rect))
        return;
    rect = CGRectStandardize(rect);
    // The platform asserts on corners that do not fit; clamping draws the nearest sound shape.
    const CGFloat cw = std::clamp(cornerWidth, CGFloat(0), rect.size.width / 2);
    const CGFloat ch = std::clamp(cornerHeight, CGFloat(0), rect.size.height / 2);
    if (cw == 0 || ch == 0) {
        CGPathAddRect(path, m, rect);
        return;
    }
    const CGFloat minX = rect.origin.x, minY = rect.origin.y;
    const CGFloat maxX = minX + rect.size.width, maxY = minY + rect.size.height;
    const CGFloat kx = cw * kQuarterCircleKappa, ky = ch * kQuarterCircleKappa;
    path->moveTo(apply(m, { minX + cw, minY }));
    path->lineTo(apply(m, { maxX - cw, minY }));
    path->curveTo(apply(m, { maxX - cw + kx, minY }), apply(m, { maxX, minY + ch - ky }), apply(m, { maxX, minY + ch }));
    path->lineTo(apply(m, { maxX, maxY - ch }));
    path->curveTo(apply(m, { maxX, maxY - ch + ky }), apply(m, { maxX - cw + kx, maxY }), apply(m, { maxX - cw, maxY }));
    path->lineTo(apply(m, { minX + cw, maxY }));
    path->curveTo(apply(m, { minX + cw - kx, maxY }), apply(m, { minX, maxY - ch + ky }), apply(m, { minX, maxY - ch }));
    path->lineTo(apply(m, { minX, minY + ch }));
    path->curveTo(apply(m, { minX, minY + ch - ky }), apply(m, { minX + cw - kx, minY }), apply(m, { minX + cw, minY }));
    path->closeSubpath();
}

void CGPathAddArc(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x, CGFloat y, CGFloat radius,
    CGFloat startAngle, CGFloat endAngle, bool clockwise)
{
    if (!path || !std::isfinite(startAngle) || !std::isfinite(endAngle))
        return;
    CGFloat delta = endAngle - startAngle;
    if (!clockwise) {
        if (delta < 0)
            delta = std::fmod(delta, kTwoPi) + kTwoPi;
        else if (delta > kTwoPi)
            delta = std::fmod(delta, kTwoPi) == 0 ? kTwoPi : std::fmod(delta, kTwoPi);
    } else {
        if (delta > 0)
            delta = std::fmod(delta, kTwoPi) - kTwoPi;
        else if (delta < -kTwoPi)
            delta = std::fmod(delta, kTwoPi) == 0 ? -kTwoPi : std::fmod(delta, kTwoPi);
    }
    appendArc(*path, m, { x, y }, radius, startAngle, delta);
}

void CGPathAddRelativeArc(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x, CGFloat y,
    CGFloat radius, CGFloat startAngle, CGFloat delta)
{
    if (path && std::isfinite(startAngle) && std::isfinite(delta))
        appendArc(*path, m, { x, y }, radius, startAngle, delta);
}

void CGPathAddArcToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x1, CGFloat y1, CGFloat x2,
    CGFloat y2, CGFloat radius)
{
    if (!path || !path->hasCurrentPoint())
        return;
    // The construction happens in the caller's space, before m places it.
    CGPoint p0 = path->currentPoint();
    if (m)
        p0 = CGPointApplyAffineTransform(p0, CGAffineTransformInvert(*m));
    const CGPoint p1 { x1, y1 }, p2 { x2, y2 };
    const CGFloat l1 = distance(p0, p1), l2 = distance(p1, p2);
    const CGFloat cross = (p1.x - p0.x) * (p2.y - p1.y) - (p1.y - p0.y) * (p2.x - p1.x);
    if (l1 == 0 || l2 == 0 || !(radius > 0) || !std::isfinite(l1 + l2 + radius) || std::fabs(cross) <= 1e-12 * l1 * l2) {
        path->lineTo(apply(m, p1));
        return;
    }
    const CGPoint u1 { (p0.x - p1.x) / l1, (p0.y - p1.y) / l1 };
    const CGPoint u2 { (p2.x - p1.x) / l2, (p2.y - p1.y) / l2 };
    const CGFloat angle = std::acos(std::clamp(u1.x * u2.x + u1.y * u2.y, CGFloat(-1), CGFloat(1)));
    const CGFloat tangent = radius / std::tan(angle / 2);
    const CGPoint t1 { p1.x + u1.x * tangent, p1.y + u1.y * tangent };
    CGPoint bisector { u1.x + u2.x, u1.y + u2.y };
    const CGFloat bisectorLength = std::hypot(bisector.x, bisector.y);
    bisector = { bisector.x / bisectorLength, bisector.y / bisectorLength };
    const CGFloat centreDistance = radius / std::sin(angle / 2);
    const CGPoint centre { p1.x + bisector.x * centreDistance, p1.y + bisector.y * centreDistance };
    const CGFloat startAngle = std::atan2(t1.y - centre.y, t1.x - centre.x);
    const CGFloat sweep = std::numbers::pi - angle;
    appendArc(*path, m, centre, radius, startAngle, cross > 0 ? sweep : -sweep);
}

void CGPathAddPath(const CGMutablePathRef& path, const CGAffineTransform* m, const CGPathRef& other)
{
    if (path && other)
        path->append(*other, m);
}
