#pragma once
// What both halves of the layer renderer (the drawing and its back end's) need to know of
// a layer's geometry: whether a transform stays in the plane, where contents go under a gravity,
// which device pixels a rectangle covers wholly, and what paints opaquely.

#include "platform/layers/CAGradientLayer.h"
#include "platform/graphics/CGPath.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace LayerRendererGeometry {

inline bool isAffineInPlane(const CATransform3D& t) { return t.m14 == 0 && t.m24 == 0 && t.m44 == 1; }

inline CGAffineTransform planeAffine(const CATransform3D& t) { return { t.m11, t.m12, t.m21, t.m22, t.m41, t.m42 }; }

inline CGPathRef roundedBoundsPath(CGRect bounds, CGFloat radius)
{
    radius = std::min({ radius, bounds.size.width / 2, bounds.size.height / 2 });
    if (radius <= 0)
        return CGPathCreateWithRect(bounds, nullptr);
    return CGPathCreateWithRoundedRect(bounds, radius, radius, nullptr);
}

// Where contents of the given size (points) go in the bounds under a gravity.
inline CGRect gravityRect(const std::string& gravity, CGRect bounds, CGSize size)
{
    const CGFloat w = bounds.size.width, h = bounds.size.height;
    if (gravity == kCAGravityResize || size.width <= 0 || size.height <= 0)
        return bounds;
    if (gravity == kCAGravityResizeAspect || gravity == kCAGravityResizeAspectFill) {
        const CGFloat sx = w / size.width, sy = h / size.height;
        const CGFloat scale = gravity == kCAGravityResizeAspect ? std::min(sx, sy) : std::max(sx, sy);
        size = { size.width * scale, size.height * scale };
    }
    CGFloat x = bounds.origin.x + (w - size.width) / 2;
    CGFloat y = bounds.origin.y + (h - size.height) / 2;
    if (gravity.find("eft") != std::string::npos)
        x = bounds.origin.x;
    if (gravity.find("ight") != std::string::npos)
        x = bounds.origin.x + w - size.width;
    if (gravity.rfind("top", 0) == 0)
        y = bounds.origin.y;
    if (gravity.rfind("bottom", 0) == 0)
        y = bounds.origin.y + h - size.height;
    return CGRectMake(x, y, size.width, size.height);
}

inline bool wholePixel(double value) { return std::abs(value - std::round(value)) < 1e-9; }

// The device pixels wholly inside a rectangle of device space.
inline CGRect pixelsInside(CGRect device)
{
    device = CGRectStandardize(device);
    const double x0 = std::ceil(CGRectGetMinX(device) - 1e-9), y0 = std::ceil(CGRectGetMinY(device) - 1e-9);
    const double x1 = std::floor(CGRectGetMaxX(device) + 1e-9), y1 = std::floor(CGRectGetMaxY(device) + 1e-9);
    if (!(x1 > x0) || !(y1 > y0) || !std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1))
        return CGRectNull;
    return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}

// Whether the layer is a gradient that paints all its bounds opaquely.
inline bool gradientIsOpaque(const CALayer& layer)
{
    const auto* gradient = dynamic_cast<const CAGradientLayer*>(&layer);
    if (!gradient || gradient->colors().empty() || layer.isHidden() || layer.opacity() < 1)
        return false;
    return std::all_of(gradient->colors().begin(), gradient->colors().end(), [](const CGColorRef& color) { return color && color->alpha() >= 1; });
}

} // namespace LayerRendererGeometry
