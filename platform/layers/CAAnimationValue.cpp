#include "platform/layers/CAAnimationValue.h"

#include "platform/foundation/NSNumber.h"
#include "platform/graphics/CGColor.h"
#include "platform/graphics/CGPath.h"
#include "platform/layers/NSValueGeometry.h"

#include <cmath>

namespace CAAnimationValue {

namespace {

CGFloat lerp(CGFloat a, CGFloat b, CGFloat t) { return a + (b - a) * t; }

template <class T>
bool bothHold(const std::shared_ptr<NSValue>& a, const std::shared_ptr<NSValue>& b)
{
    return a && b && a->holds<T>() && b->holds<T>();
}

id interpolatePaths(const CGPath& a, const CGPath& b, CGFloat t)
{
    const auto& ea = a.elements();
    const auto& eb = b.elements();
    if (ea.size() != eb.size())
        return nullptr;
    auto path = CGPath::create();
    for (std::size_t i = 0; i < ea.size(); ++i) {
        if (ea[i].type != eb[i].type)
            return nullptr;
        std::array<CGPoint, 3> p;
        for (int k = 0; k < 3; ++k)
            p[k] = { lerp(ea[i].points[k].x, eb[i].points[k].x, t), lerp(ea[i].points[k].y, eb[i].points[k].y, t) };
        switch (ea[i].type) {
        case kCGPathElementMoveToPoint: path->moveTo(p[0]); break;
        case kCGPathElementAddLineToPoint: path->lineTo(p[0]); break;
        case kCGPathElementAddQuadCurveToPoint: path->quadCurveTo(p[0], p[1]); break;
        case kCGPathElementAddCurveToPoint: path->curveTo(p[0], p[1], p[2]); break;
        case kCGPathElementCloseSubpath: path->closeSubpath(); break;
        }
    }
    return path;
}

} // namespace

id interpolate(const id& from, const id& to, CGFloat t)
{
    if (!from || !to)
        return t < 0.5 ? from : to;
    if (auto a = ns::cast<NSNumber>(from), b = ns::cast<NSNumber>(to); a && b)
        return NSNumber::numberWithDouble(lerp(a->doubleValue(), b->doubleValue(), t));
    auto va = ns::cast<NSValue>(from), vb = ns::cast<NSValue>(to);
    if (bothHold<CGPoint>(va, vb)) {
        const CGPoint p = va->get<CGPoint>(), q = vb->get<CGPoint>();
        return NSValueGeometry::valueWithCGPoint({ lerp(p.x, q.x, t), lerp(p.y, q.y, t) });
    }
    if (bothHold<CGSize>(va, vb)) {
        const CGSize p = va->get<CGSize>(), q = vb->get<CGSize>();
        return NSValueGeometry::valueWithCGSize({ lerp(p.width, q.width, t), lerp(p.height, q.height, t) });
    }
    if (bothHold<CGRect>(va, vb)) {
        const CGRect p = va->get<CGRect>(), q = vb->get<CGRect>();
        return NSValueGeometry::valueWithCGRect(CGRectMake(lerp(p.origin.x, q.origin.x, t), lerp(p.origin.y, q.origin.y, t),
            lerp(p.size.width, q.size.width, t), lerp(p.size.height, q.size.height, t)));
    }
    if (bothHold<CATransform3D>(va, vb))
        return NSValueGeometry::valueWithCATransform3D(CATransform3DInterpolate(va->get<CATransform3D>(), vb->get<CATransform3D>(), t));
    if (bothHold<CGAffineTransform>(va, vb)) {
        const CATransform3D m = CATransform3DInterpolate(CATransform3DMakeAffineTransform(va->get<CGAffineTransform>()),
            CATransform3DMakeAffineTransform(vb->get<CGAffineTransform>()), t);
        return NSValueGeometry::valueWithCGAffineTransform(CATransform3DGetAffineTransform(m));
    }
    if (auto a = ns::cast<CGColor>(from), b = ns::cast<CGColor>(to); a && b) {
        const auto p = a->rgba(), q = b->rgba();
        return CGColorCreateGenericRGB(lerp(p[0], q[0], t), lerp(p[1], q[1], t), lerp(p[2], q[2], t), lerp(p[3], q[3], t));
    }
    if (auto a = ns::cast<CGPath>(from), b = ns::cast<CGPath>(to); a && b) {
        if (id path = interpolatePaths(*a, *b, t))
            return path;
    }
    return t < 0.5 ? from : to;
}

id sum(const id& a, const id& b, CGFloat f)
{
    if (auto x = ns::cast<NSNumber>(a), y = ns::cast<NSNumber>(b); x && y)
        return NSNumber::numberWithDouble(x->doubleValue() + y->doubleValue() * f);
    auto va = ns::cast<NSValue>(a), vb = ns::cast<NSValue>(b);
    if (bothHold<CGPoint>(va, vb)) {
        const CGPoint p = va->get<CGPoint>(), q = vb->get<CGPoint>();
        return NSValueGeometry::valueWithCGPoint({ p.x + q.x * f, p.y + q.y * f });
    }
    if (bothHold<CGSize>(va, vb)) {
        const CGSize p = va->get<CGSize>(), q = vb->get<CGSize>();
        return NSValueGeometry::valueWithCGSize({ p.width + q.width * f, p.height + q.height * f });
    }
    if (bothHold<CGRect>(va, vb)) {
        const CGRect p = va->get<CGRect>(), q = vb->get<CGRect>();
        return NSValueGeometry::valueWithCGRect(CGRectMake(p.origin.x + q.origin.x * f, p.origin.y + q.origin.y * f,
            p.size.width + q.size.width * f, p.size.height + q.size.height * f));
    }
    if (bothHold<CATransform3D>(va, vb)) {
        // Transforms add by concatenation; subtracting concatenates the inverse.
        CATransform3D by = vb->get<CATransform3D>();
        if (f < 0)
            by = CATransform3DInvert(by);
        return NSValueGeometry::valueWithCATransform3D(CATransform3DConcat(va->get<CATransform3D>(), by));
    }
    return nullptr;
}

CGFloat distance(const id& a, const id& b)
{
    if (auto x = ns::cast<NSNumber>(a), y = ns::cast<NSNumber>(b); x && y)
        return std::abs(x->doubleValue() - y->doubleValue());
    auto va = ns::cast<NSValue>(a), vb = ns::cast<NSValue>(b);
    if (bothHold<CGPoint>(va, vb)) {
        const CGPoint p = va->get<CGPoint>(), q = vb->get<CGPoint>();
        return std::hypot(q.x - p.x, q.y - p.y);
    }
    if (bothHold<CGSize>(va, vb)) {
        const CGSize p = va->get<CGSize>(), q = vb->get<CGSize>();
        return std::hypot(q.width - p.width, q.height - p.height);
    }
    return 0;
}

} // namespace CAAnimationValue
