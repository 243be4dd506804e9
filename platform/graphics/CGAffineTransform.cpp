#include "platform/graphics/CGAffineTransform.h"

#include <algorithm>

CGAffineTransform CGAffineTransformMakeRotation(CGFloat angle)
{
    const CGFloat sine = std::sin(angle);
    const CGFloat cosine = std::cos(angle);
    return { cosine, sine, -sine, cosine, 0, 0 };
}

bool CGAffineTransformIsIdentity(CGAffineTransform t) { return t == CGAffineTransformIdentity; }
bool CGAffineTransformEqualToTransform(CGAffineTransform a, CGAffineTransform b) { return a == b; }

CGAffineTransform CGAffineTransformConcat(CGAffineTransform t1, CGAffineTransform t2)
{
    return {
        t1.a * t2.a + t1.b * t2.c,
        t1.a * t2.b + t1.b * t2.d,
        t1.c * t2.a + t1.d * t2.c,
        t1.c * t2.b + t1.d * t2.d,
        t1.tx * t2.a + t1.ty * t2.c + t2.tx,
        t1.tx * t2.b + t1.ty * t2.d + t2.ty,
    };
}

CGAffineTransform CGAffineTransformTranslate(CGAffineTransform t, CGFloat tx, CGFloat ty)
{
    return CGAffineTransformConcat(CGAffineTransformMakeTranslation(tx, ty), t);
}

CGAffineTransform CGAffineTransformScale(CGAffineTransform t, CGFloat sx, CGFloat sy)
{
    return CGAffineTransformConcat(CGAffineTransformMakeScale(sx, sy), t);
}

CGAffineTransform CGAffineTransformRotate(CGAffineTransform t, CGFloat angle)
{
    return CGAffineTransformConcat(CGAffineTransformMakeRotation(angle), t);
}

CGAffineTransform CGAffineTransformInvert(CGAffineTransform t)
{
    const CGFloat determinant = t.a * t.d - t.b * t.c;
    if (determinant == 0 || !std::isfinite(determinant))
        return t;
    const CGFloat a = t.d / determinant;
    const CGFloat b = -t.b / determinant;
    const CGFloat c = -t.c / determinant;
    const CGFloat d = t.a / determinant;
    return { a, b, c, d, -(t.tx * a + t.ty * c), -(t.tx * b + t.ty * d) };
}

CGPoint CGPointApplyAffineTransform(CGPoint p, CGAffineTransform t)
{
    return { t.a * p.x + t.c * p.y + t.tx, t.b * p.x + t.d * p.y + t.ty };
}

CGSize CGSizeApplyAffineTransform(CGSize s, CGAffineTransform t)
{
    return { t.a * s.width + t.c * s.height, t.b * s.width + t.d * s.height };
}

CGRect CGRectApplyAffineTransform(CGRect rect, CGAffineTransform t)
{
    if (CGRectIsNull(rect) || CGRectIsInfinite(rect))
        return rect;
    rect = CGRectStandardize(rect);
    const CGPoint corners[4] = {
        CGPointApplyAffineTransform(rect.origin, t),
        CGPointApplyAffineTransform({ rect.origin.x + rect.size.width, rect.origin.y }, t),
        CGPointApplyAffineTransform({ rect.origin.x, rect.origin.y + rect.size.height }, t),
        CGPointApplyAffineTransform({ rect.origin.x + rect.size.width, rect.origin.y + rect.size.height }, t),
    };
    CGFloat minX = corners[0].x, maxX = corners[0].x, minY = corners[0].y, maxY = corners[0].y;
    for (const CGPoint& corner : corners) {
        minX = std::min(minX, corner.x);
        maxX = std::max(maxX, corner.x);
        minY = std::min(minY, corner.y);
        maxY = std::max(maxY, corner.y);
    }
    return { { minX, minY }, { maxX - minX, maxY - minY } };
}
