#pragma once
// 3-D layer transforms in the platform's row-vector convention: a point (x, y, z, 1) maps to
// (x, y, z, 1)·M, so translation sits in the fourth row and perspective (m34) in the fourth
// column, and Concat(a, b) applies a first, then b. Translate, Scale and Rotate prepend their
// operation, as the affine functions do.

#include "platform/graphics/CGAffineTransform.h"

#include <array>

struct CATransform3D {
    CGFloat m11 { 1 }, m12 { 0 }, m13 { 0 }, m14 { 0 };
    CGFloat m21 { 0 }, m22 { 1 }, m23 { 0 }, m24 { 0 };
    CGFloat m31 { 0 }, m32 { 0 }, m33 { 1 }, m34 { 0 };
    CGFloat m41 { 0 }, m42 { 0 }, m43 { 0 }, m44 { 1 };
    constexpr bool operator==(const CATransform3D&) const = default;
};

inline constexpr CATransform3D CATransform3DIdentity {};

bool CATransform3DIsIdentity(const CATransform3D& t);
bool CATransform3DEqualToTransform(const CATransform3D& a, const CATransform3D& b);
CATransform3D CATransform3DMakeTranslation(CGFloat tx, CGFloat ty, CGFloat tz);
CATransform3D CATransform3DMakeScale(CGFloat sx, CGFloat sy, CGFloat sz);
// Turns by angle radians about the axis (x, y, z); a zero axis gives the identity.
CATransform3D CATransform3DMakeRotation(CGFloat angle, CGFloat x, CGFloat y, CGFloat z);
CATransform3D CATransform3DTranslate(const CATransform3D& t, CGFloat tx, CGFloat ty, CGFloat tz);
CATransform3D CATransform3DScale(const CATransform3D& t, CGFloat sx, CGFloat sy, CGFloat sz);
CATransform3D CATransform3DRotate(const CATransform3D& t, CGFloat angle, CGFloat x, CGFloat y, CGFloat z);
CATransform3D CATransform3DConcat(const CATransform3D& a, const CATransform3D& b);
// A singular transform comes back unchanged.
CATransform3D CATransform3DInvert(const CATransform3D& t);
CATransform3D CATransform3DMakeAffineTransform(CGAffineTransform m);
bool CATransform3DIsAffine(const CATransform3D& t);
CGAffineTransform CATransform3DGetAffineTransform(const CATransform3D& t);

// The transform as the translation, scale, rotation and perspective it is made of (shear is
// not kept). Animations interpolate these parts, so a turn stays a turn half-way through; the
// "transform.rotation.z"-style key paths read and write them.
struct CATransform3DParts {
    std::array<CGFloat, 3> translation { 0, 0, 0 };
    std::array<CGFloat, 3> scale { 1, 1, 1 };
    // Unit quaternion (x, y, z, w) of the rotation.
    std::array<CGFloat, 4> rotation { 0, 0, 0, 1 };
    // The fourth column: m14, m24, m34, m44.
    std::array<CGFloat, 4> perspective { 0, 0, 0, 1 };
};
CATransform3DParts CATransform3DDecompose(const CATransform3D& t);
CATransform3D CATransform3DRecompose(const CATransform3DParts& parts);
CATransform3D CATransform3DInterpolate(const CATransform3D& from, const CATransform3D& to, CGFloat fraction);
// Angles about x, y and z, applied in that order, of the transform's rotation.
std::array<CGFloat, 3> CATransform3DGetEulerAngles(const CATransform3D& t);
CATransform3D CATransform3DWithEulerAngles(const CATransform3D& t, const std::array<CGFloat, 3>& angles);

// Where a point of the z = 0 plane lands, after the perspective division; w ≤ 0 (behind the
// viewer) is reported through the flag.
CGPoint CATransform3DProjectPoint(const CATransform3D& t, CGPoint point, bool* behindViewer = nullptr);
