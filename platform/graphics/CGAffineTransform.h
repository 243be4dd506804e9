#pragma once
// Affine transforms in the platform's row-vector convention: a point maps as
// (x', y') = (a·x + c·y + tx, b·x + d·y + ty), and Concat(t1, t2) applies t1 first, then t2.

#include "platform/graphics/CGGeometry.h"

struct CGAffineTransform {
    CGFloat a { 1 };
    CGFloat b { 0 };
    CGFloat c { 0 };
    CGFloat d { 1 };
    CGFloat tx { 0 };
    CGFloat ty { 0 };
    constexpr bool operator==(const CGAffineTransform&) const = default;
};

inline constexpr CGAffineTransform CGAffineTransformIdentity {};

constexpr CGAffineTransform CGAffineTransformMake(CGFloat a, CGFloat b, CGFloat c, CGFloat d, CGFloat tx, CGFloat ty)
{
    return { a, b, c, d, tx, ty };
}
constexpr CGAffineTransform CGAffineTransformMakeTranslation(CGFloat tx, CGFloat ty) { return { 1, 0, 0, 1, tx, ty }; }
constexpr CGAffineTransform CGAffineTransformMakeScale(CGFloat sx, CGFloat sy) { return { sx, 0, 0, sy, 0, 0 }; }
CGAffineTransform CGAffineTransformMakeRotation(CGFloat angle);

bool CGAffineTransformIsIdentity(CGAffineTransform t);
bool CGAffineTransformEqualToTransform(CGAffineTransform a, CGAffineTransform b);
CGAffineTransform CGAffineTransformConcat(CGAffineTransform first, CGAffineTransform second);
// These prepend the operation: the new transform is applied to points before t.
CGAffineTransform CGAffineTransformTranslate(CGAffineTransform t, CGFloat tx, CGFloat ty);
CGAffineTransform CGAffineTransformScale(CGAffineTransform t, CGFloat sx, CGFloat sy);
CGAffineTransform CGAffineTransformRotate(CGAffineTransform t, CGFloat angle);
// A singular transform has no inverse and comes back unchanged, as on the platform.
CGAffineTransform CGAffineTransformInvert(CGAffineTransform t);

CGPoint CGPointApplyAffineTransform(CGPoint point, CGAffineTransform t);
CGSize CGSizeApplyAffineTransform(CGSize size, CGAffineTransform t);
// The bounding box of the transformed corners.
CGRect CGRectApplyAffineTransform(CGRect rect, CGAffineTransform t);
