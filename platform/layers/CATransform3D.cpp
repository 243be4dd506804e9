#include "platform/layers/CATransform3D.h"

#include <algorithm>
#include <cmath>

namespace {

using Matrix = std::array<std::array<CGFloat, 4>, 4>;

Matrix toMatrix(const CATransform3D& t)
{
    return { { { t.m11, t.m12, t.m13, t.m14 }, { t.m21, t.m22, t.m23, t.m24 }, { t.m31, t.m32, t.m33, t.m34 },
        { t.m41, t.m42, t.m43, t.m44 } } };
}

CATransform3D fromMatrix(const Matrix& m)
{
    return { m[0][0], m[0][1], m[0][2], m[0][3], m[1][0], m[1][1], m[1][2], m[1][3], m[2][0], m[2][1], m[2][2], m[2][3],
        m[3][0], m[3][1], m[3][2], m[3][3] };
}

// Rotation matrix (row-vector form) of a unit quaternion.
std::array<std::array<CGFloat, 3>, 3> rotationOf(const std::array<CGFloat, 4>& q)
{
    const CGFloat x = q[0], y = q[1], z = q[2], w = q[3];
    // The column-vector matrix, transposed on the way out.
    const std::array<std::array<CGFloat, 3>, 3> c { { { 1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w) },
        { 2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w) },
        { 2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y) } } };
    std::array<std::array<CGFloat, 3>, 3> r {};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r[i][j] = c[j][i];
    return r;
}

std::array<CGFloat, 4> quaternionOf(const std::array<std::array<CGFloat, 3>, 3>& r)
{
    // c = rᵀ, the column-vector rotation.
    auto c = [&](int i, int j) { return r[j][i]; };
    std::array<CGFloat, 4> q;
    const CGFloat trace = c(0, 0) + c(1, 1) + c(2, 2);
    if (trace > 0) {
        const CGFloat s = std::sqrt(trace + 1) * 2;
        q = { (c(2, 1) - c(1, 2)) / s, (c(0, 2) - c(2, 0)) / s, (c(1, 0) - c(0, 1)) / s, s / 4 };
    } else if (c(0, 0) > c(1, 1) && c(0, 0) > c(2, 2)) {
        const CGFloat s = std::sqrt(1 + c(0, 0) - c(1, 1) - c(2, 2)) * 2;
        q = { s / 4, (c(0, 1) + c(1, 0)) / s, (c(0, 2) + c(2, 0)) / s, (c(2, 1) - c(1, 2)) / s };
    } else if (c(1, 1) > c(2, 2)) {
        const CGFloat s = std::sqrt(1 + c(1, 1) - c(0, 0) - c(2, 2)) * 2;
        q = { (c(0, 1) + c(1, 0)) / s, s / 4, (c(1, 2) + c(2, 1)) / s, (c(0, 2) - c(2, 0)) / s };
    } else {
        const CGFloat s = std::sqrt(1 + c(2, 2) - c(0, 0) - c(1, 1)) * 2;
        q = { (c(0, 2) + c(2, 0)) / s, (c(1, 2) + c(2, 1)) / s, s / 4, (c(1, 0) - c(0, 1)) / s };
    }
    const CGFloat length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    if (length > 0)
        for (auto& v : q)
            v /= length;
    return q;
}

} // namespace

bool CATransform3DIsIdentity(const CATransform3D& t) { return t == CATransform3DIdentity; }

bool CATransform3DEqualToTransform(const CATransform3D& a, const CATransform3D& b) { return a == b; }

CATransform3D CATransform3DMakeTranslation(CGFloat tx, CGFloat ty, CGFloat tz)
{
    CATransform3D t;
    t.m41 = tx, t.m42 = ty, t.m43 = tz;
    return t;
}

CATransform3D CATransform3DMakeScale(CGFloat sx, CGFloat sy, CGFloat sz)
{
    CATransform3D t;
    t.m11 = sx, t.m22 = sy, t.m33 = sz;
    return t;
}

CATransform3D CATransform3DMakeRotation(CGFloat angle, CGFloat x, CGFloat y, CGFloat z)
{
    const CGFloat length = std::sqrt(x * x + y * y + z * z);
    if (length == 0 || !std::isfinite(length))
        return CATransform3DIdentity;
    x /= length, y /= length, z /= length;
    const CGFloat c = std::cos(angle), s = std::sin(angle), k = 1 - c;
    // Rodrigues' rotation, transposed for row vectors.
    CATransform3D t;
    t.m11 = c + k * x * x, t.m12 = k * x * y + s * z, t.m13 = k * x * z - s * y;
    t.m21 = k * x * y - s * z, t.m22 = c + k * y * y, t.m23 = k * y * z + s * x;
    t.m31 = k * x * z + s * y, t.m32 = k * y * z - s * x, t.m33 = c + k * z * z;
    return t;
}

CATransform3D CATransform3DConcat(const CATransform3D& a, const CATransform3D& b)
{
    const Matrix x = toMatrix(a), y = toMatrix(b);
    Matrix r {};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r[i][j] = x[i][0] * y[0][j] + x[i][1] * y[1][j] + x[i][2] * y[2][j] + x[i][3] * y[3][j];
    return fromMatrix(r);
}

CATransform3D CATransform3DTranslate(const CATransform3D& t, CGFloat tx, CGFloat ty, CGFloat tz)
{
    return CATransform3DConcat(CATransform3DMakeTranslation(tx, ty, tz), t);
}

CATransform3D CATransform3DScale(const CATransform3D& t, CGFloat sx, CGFloat sy, CGFloat sz)
{
    return CATransform3DConcat(CATransform3DMakeScale(sx, sy, sz), t);
}

CATransform3D CATransform3DRotate(const CATransform3D& t, CGFloat angle, CGFloat x, CGFloat y, CGFloat z)
{
    return CATransform3DConcat(CATransform3DMakeRotation(angle, x, y, z), t);
}

CATransform3D CATransform3DInvert(const CATransform3D& t)
{
    // Gauss-Jordan with partial pivoting.
    Matrix a = toMatrix(t);
    Matrix inverse = toMatrix(CATransform3DIdentity);
    for (int column = 0; column < 4; ++column) {
        int pivot = column;
        for (int row = column + 1; row < 4; ++row)
            if (std::abs(a[row][column]) > std::abs(a[pivot][column]))
                pivot = row;
        if (std::abs(a[pivot][column]) < 1e-12)
            return t;
        std::swap(a[pivot], a[column]);
        std::swap(inverse[pivot], inverse[column]);
        const CGFloat scale = a[column][column];
        for (int j = 0; j < 4; ++j)
            a[column][j] /= scale, inverse[column][j] /= scale;
        for (int row = 0; row < 4; ++row) {
            if (row == column)
                continue;
            const CGFloat factor = a[row][column];
            for (int j = 0; j < 4; ++j)
                a[row][j] -= factor * a[column][j], inverse[row][j] -= factor * inverse[column][j];
        }
    }
    return fromMatrix(inverse);
}

CATransform3D CATransform3DMakeAffineTransform(CGAffineTransform m)
{
    CATransform3D t;
    t.m11 = m.a, t.m12 = m.b, t.m21 = m.c, t.m22 = m.d, t.m41 = m.tx, t.m42 = m.ty;
    return t;
}

bool CATransform3DIsAffine(const CATransform3D& t)
{
    return t.m13 == 0 && t.m14 == 0 && t.m23 == 0 && t.m24 == 0 && t.m31 == 0 && t.m32 == 0 && t.m33 == 1 && t.m34 == 0
        && t.m43 == 0 && t.m44 == 1;
}

CGAffineTransform CATransform3DGetAffineTransform(const CATransform3D& t) { return { t.m11, t.m12, t.m21, t.m22, t.m41, t.m42 }; }

CATransform3DParts CATransform3DDecompose(const CATransform3D& t)
{
    CATransform3DParts parts;
    parts.translation = { t.m41, t.m42, t.m43 };
    parts.perspective = { t.m14, t.m24, t.m34, t.m44 };
    std::array<std::array<CGFloat, 3>, 3> rows { { { t.m11, t.m12, t.m13 }, { t.m21, t.m22, t.m23 }, { t.m31, t.m32, t.m33 } } };
    for (int i = 0; i < 3; ++i) {
        const CGFloat length = std::sqrt(rows[i][0] * rows[i][0] + rows[i][1] * rows[i][1] + rows[i][2] * rows[i][2]);
        parts.scale[i] = length;
        if (length > 0)
            for (auto& v : rows[i])
                v /= length;
    }
    const CGFloat determinant = rows[0][0] * (rows[1][1] * rows[2][2] - rows[1][2] * rows[2][1])
        - rows[0][1] * (rows[1][0] * rows[2][2] - rows[1][2] * rows[2][0])
        + rows[0][2] * (rows[1][0] * rows[2][1] - rows[1][1] * rows[2][0]);
    if (determinant < 0) {
        // A mirror: carried by the x scale, so the rest is a proper rotation.
        parts.scale[0] = -parts.scale[0];
        for (auto& v : rows[0])
            v = -v;
    }
    if (parts.scale[0] == 0 || parts.scale[1] == 0 || parts.scale[2] == 0)
        rows = { { { 1, 0, 0 }, { 0, 1, 0 }, { 0, 0, 1 } } };
    parts.rotation = quaternionOf(rows);
    return parts;
}

CATransform3D CATransform3DRecompose(const CATransform3DParts& parts)
{
    const auto r = rotationOf(parts.rotation);
    CATransform3D t;
    t.m11 = r[0][0] * parts.scale[0], t.m12 = r[0][1] * parts.scale[0], t.m13 = r[0][2] * parts.scale[0];
    t.m21 = r[1][0] * parts.scale[1], t.m22 = r[1][1] * parts.scale[1], t.m23 = r[1][2] * parts.scale[1];
    t.m31 = r[2][0] * parts.scale[2], t.m32 = r[2][1] * parts.scale[2], t.m33 = r[2][2] * parts.scale[2];
    t.m41 = parts.translation[0], t.m42 = parts.translation[1], t.m43 = parts.translation[2];
    t.m14 = parts.perspective[0], t.m24 = parts.perspective[1], t.m34 = parts.perspective[2], t.m44 = parts.perspective[3];
    return t;
}

CATransform3D CATransform3DInterpolate(const CATransform3D& from, const CATransform3D& to, CGFloat fraction)
{
    if (fraction <= 0)
        return from;
    if (fraction >= 1)
        return to;
    const CATransform3DParts a = CATransform3DDecompose(from);
    const CATransform3DParts b = CATransform3DDecompose(to);
    auto lerp = [fraction](CGFloat x, CGFloat y) { return x + (y - x) * fraction; };
    CATransform3DParts r;
    for (int i = 0; i < 3; ++i) {
        r.translation[i] = lerp(a.translation[i], b.translation[i]);
        r.scale[i] = lerp(a.scale[i], b.scale[i]);
    }
    for (int i = 0; i < 4; ++i)
        r.perspective[i] = lerp(a.perspective[i], b.perspective[i]);
    // Spherical interpolation along the shorter arc.
    std::array<CGFloat, 4> qb = b.rotation;
    CGFloat dot = a.rotation[0] * qb[0] + a.rotation[1] * qb[1] + a.rotation[2] * qb[2] + a.rotation[3] * qb[3];
    if (dot < 0) {
        for (auto& v : qb)
            v = -v;
        dot = -dot;
    }
    CGFloat wa = 1 - fraction, wb = fraction;
    if (dot < 0.9995) {
        const CGFloat theta = std::acos(dot);
        wa = std::sin((1 - fraction) * theta) / std::sin(theta);
        wb = std::sin(fraction * theta) / std::sin(theta);
    }
    CGFloat length = 0;
    for (int i = 0; i < 4; ++i) {
        r.rotation[i] = wa * a.rotation[i] + wb * qb[i];
        length += r.rotation[i] * r.rotation[i];
    }
    length = std::sqrt(length);
    if (length > 0)
        for (auto& v : r.rotation)
            v /= length;
    return CATransform3DRecompose(r);
}

std::array<CGFloat, 3> CATransform3DGetEulerAngles(const CATransform3D& t)
{
    const auto r = rotationOf(CATransform3DDecompose(t).rotation);
    // r = Rx·Ry·Rz in row form, i.e. the column form Rz·Ry·Rx.
    const CGFloat sinY = std::clamp(r[0][2], CGFloat(-1), CGFloat(1));
    const CGFloat y = -std::asin(sinY);
    const CGFloat x = std::atan2(r[1][2], r[2][2]);
    const CGFloat z = std::atan2(r[0][1], r[0][0]);
    return { x, y, z };
}

CATransform3D CATransform3DWithEulerAngles(const CATransform3D& t, const std::array<CGFloat, 3>& angles)
{
    CATransform3DParts parts = CATransform3DDecompose(t);
    CATransform3D rotation = CATransform3DConcat(CATransform3DMakeRotation(angles[0], 1, 0, 0),
        CATransform3DConcat(CATransform3DMakeRotation(angles[1], 0, 1, 0), CATransform3DMakeRotation(angles[2], 0, 0, 1)));
    parts.rotation = CATransform3DDecompose(rotation).rotation;
    return CATransform3DRecompose(parts);
}

CGPoint CATransform3DProjectPoint(const CATransform3D& t, CGPoint p, bool* behindViewer)
{
    const CGFloat x = p.x * t.m11 + p.y * t.m21 + t.m41;
    const CGFloat y = p.x * t.m12 + p.y * t.m22 + t.m42;
    const CGFloat w = p.x * t.m14 + p.y * t.m24 + t.m44;
    if (behindViewer)
        *behindViewer = w <= 0;
    if (w == 0)
        return p;
    return { x / w, y / w };
}
