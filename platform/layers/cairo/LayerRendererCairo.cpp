#include "platform/layers/LayerRenderer.h"
#include "platform/layers/cairo/LayerBackingStore.h"
#include "platform/layers/cairo/LayerPictureCache.h"

#include "platform/layers/CAAnimationGroup.h"
#include "platform/layers/CAPropertyAnimation.h"
#include "platform/layers/LayerRendererGeometry.h"
#include "platform/graphics/CGBitmapContext.h"

#include <pixman.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

using namespace LayerRendererGeometry;

namespace {

using Matrix3 = std::array<std::array<double, 3>, 3>;

// The plane-to-plane map of a flattened layer transform: rows x, y and w of the 4 × 4.
Matrix3 homography(const CATransform3D& t)
{
    return { { { t.m11, t.m12, t.m14 }, { t.m21, t.m22, t.m24 }, { t.m41, t.m42, t.m44 } } };
}

Matrix3 multiply(const Matrix3& a, const Matrix3& b)
{
    Matrix3 r {};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
    return r;
}

bool invert(const Matrix3& m, Matrix3& inverse)
{
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0])
        + m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    if (std::abs(det) < 1e-15 || !std::isfinite(det))
        return false;
    inverse[0][0] = (m[1][1] * m[2][2] - m[1][2] * m[2][1]) / det;
    inverse[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det;
    inverse[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det;
    inverse[1][0] = (m[1][2] * m[2][0] - m[1][0] * m[2][2]) / det;
    inverse[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det;
    inverse[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det;
    inverse[2][0] = (m[1][0] * m[2][1] - m[1][1] * m[2][0]) / det;
    inverse[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det;
    inverse[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;
    return true;
}

Matrix3 affineMatrix(CGAffineTransform t) { return { { { t.a, t.b, 0 }, { t.c, t.d, 0 }, { t.tx, t.ty, 1 } } }; }

bool animatesKeyNeedingDisplay(const CALayer& layer, const CAAnimation& animation)
{
    if (auto property = dynamic_cast<const CAPropertyAnimation*>(&animation)) {
        const std::string path = property->keyPath().UTF8String();
        return layer.needsDisplayForKey(NSString(path.substr(0, path.find('.'))));
    }
    if (auto group = dynamic_cast<const CAAnimationGroup*>(&animation))
        return std::any_of(group->animations().begin(), group->animations().end(),
            [&](const auto& child) { return child && animatesKeyNeedingDisplay(layer, *child); });
    return false;
}

// Paints part of a picture (pixels) into a rectangle of user space.
// Resamples the picture once for its place on the device; later frames copy the result, so
// long as the picture, the rectangles and the placement up to whole device pixels stay.
bool paintPlaced(cairo_t* cr, const std::function<CairoPattern()>& makePattern, cairo_surface_t* surface, CGRect source, CGRect destination,
    CALayer::BackingStore::PlacedContents& placed)
{
    constexpr double largest = 4096.0 * 4096.0;
    cairo_matrix_t ctm;
    cairo_get_matrix(cr, &ctm);
    double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
    for (auto [x, y] : { std::pair { CGRectGetMinX(destination), CGRectGetMinY(destination) },
             { CGRectGetMaxX(destination), CGRectGetMinY(destination) }, { CGRectGetMinX(destination), CGRectGetMaxY(destination) },
             { CGRectGetMaxX(destination), CGRectGetMaxY(destination) } }) {
        cairo_user_to_device(cr, &x, &y);
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
    if (!std::isfinite(minX) || !std::isfinite(minY) || !std::isfinite(maxX) || !std::isfinite(maxY)
        || (maxX - minX + 2) * (maxY - minY + 2) > largest)
        return false;
    const double x0 = std::floor(minX), y0 = std::floor(minY);
    const int width = static_cast<int>(std::ceil(maxX) - x0), height = static_cast<int>(std::ceil(maxY) - y0);
    if (width <= 0 || height <= 0)
        return false;
    const std::array<double, 6> placement { ctm.xx, ctm.yx, ctm.xy, ctm.yy, ctm.x0 - x0, ctm.y0 - y0 };
    if (placed.source.get() != surface || placed.placement != placement || !CGRectEqualToRect(placed.from, source)
        || !CGRectEqualToRect(placed.to, destination) || !placed.picture) {
        CairoSurface picture(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
        if (cairo_surface_status(picture.get()) != CAIRO_STATUS_SUCCESS)
            return false;
        {
            CairoContext pc(cairo_create(picture.get()));
            cairo_matrix_t m = ctm;
            m.x0 = placement[4], m.y0 = placement[5];
            cairo_set_matrix(pc.get(), &m);
            cairo_rectangle(pc.get(), destination.origin.x, destination.origin.y, destination.size.width, destination.size.height);
            cairo_clip(pc.get());
            const CairoPattern pattern = makePattern();
            cairo_set_source(pc.get(), pattern.get());
            cairo_paint(pc.get());
        }
        cairo_surface_flush(picture.get());
        placed = { retainSurface(surface), placement, source, destination, std::move(picture) };
    }
    cairo_identity_matrix(cr);
    cairo_set_source_surface(cr, placed.picture.get(), x0, y0);
    cairo_rectangle(cr, x0, y0, width, height);
    cairo_fill(cr);
    return true;
}

void paintSurface(cairo_t* cr, cairo_surface_t* surface, CGRect source, CGRect destination, double alpha,
    CALayer::BackingStore::PlacedContents* placed = nullptr)
{
    if (destination.size.width <= 0 || destination.size.height <= 0 || source.size.width <= 0 || source.size.height <= 0)
        return;
    const double sx = source.size.width / destination.size.width;
    const double sy = source.size.height / destination.size.height;
    cairo_matrix_t ctm;
    cairo_get_matrix(cr, &ctm);
    double ox = destination.origin.x, oy = destination.origin.y;
    cairo_user_to_device(cr, &ox, &oy);
    auto whole = [](double v) { return std::abs(v - std::round(v)) < 1e-6; };
    const bool exact = ctm.xy == 0 && ctm.yx == 0 && std::abs(ctm.xx - sx) < 1e-9 && std::abs(ctm.yy - sy) < 1e-9
        && whole(ox) && whole(oy) && whole(source.origin.x) && whole(source.origin.y);
    cairo_save(cr);
    cairo_new_path(cr);
    if (exact && whole(source.size.width) && whole(source.size.height)) {
        // Pixel for pixel on whole device pixels: a plain copy of the rectangle, the common case.
        // A copy resampled for an earlier place (an animation's) is no longer of use.
        if (placed && placed->picture)
            *placed = {};
        const double x = std::round(ox), y = std::round(oy);
        cairo_identity_matrix(cr);
        cairo_set_source_surface(cr, surface, x - std::round(source.origin.x), y - std::round(source.origin.y));
        cairo_rectangle(cr, x, y, std::round(source.size.width), std::round(source.size.height));
        if (alpha >= 1) {
            cairo_fill(cr);
        } else {
            cairo_clip(cr);
            cairo_paint_with_alpha(cr, alpha);
        }
        cairo_restore(cr);
        return;
    }
    // Made only when the picture is resampled: a placed picture that still fits is copied as is.
    const auto makePattern = [&] {
        CairoPattern pattern(cairo_pattern_create_for_surface(surface));
        cairo_matrix_t m;
        cairo_matrix_init(&m, sx, 0, 0, sy, source.origin.x - destination.origin.x * sx, source.origin.y - destination.origin.y * sy);
        cairo_pattern_set_matrix(pattern.get(), &m);
        cairo_pattern_set_filter(pattern.get(), exact ? CAIRO_FILTER_FAST : CAIRO_FILTER_GOOD);
        cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
        return pattern;
    };
    if (placed && alpha >= 1 && paintPlaced(cr, makePattern, surface, source, destination, *placed)) {
        cairo_restore(cr);
        return;
    }
    const CairoPattern pattern = makePattern();
    cairo_rectangle(cr, destination.origin.x, destination.origin.y, destination.size.width, destination.size.height);
    cairo_clip(cr);
    cairo_set_source(cr, pattern.get());
    cairo_paint_with_alpha(cr, alpha);
    cairo_restore(cr);
}

// The pixels of the surface a context draws on, at device pixel (x, y) of the context; null
// when the rectangle is not all on an image of 32-bit pixels.
std::uint32_t* targetPixels(cairo_t* cr, const cairo_rectangle_int_t& r, int x, int y, std::ptrdiff_t& stride)
{
    cairo_surface_t* target = cairo_get_group_target(cr);
    if (cairo_surface_get_type(target) != CAIRO_SURFACE_TYPE_IMAGE
        || (cairo_image_surface_get_format(target) != CAIRO_FORMAT_ARGB32 && cairo_image_surface_get_format(target) != CAIRO_FORMAT_RGB24))
        return nullptr;
    double ox = 0, oy = 0;
    cairo_surface_get_device_offset(target, &ox, &oy);
    const int left = x + r.x + int(ox), top = y + r.y + int(oy);
    if (left < 0 || top < 0 || left + r.width > cairo_image_surface_get_width(target) || top + r.height > cairo_image_surface_get_height(target))
        return nullptr;
    stride = cairo_image_surface_get_stride(target);
    return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(target) + top * stride) + left;
}

} // namespace

CGAffineTransform LayerRenderer::pixelTransform() const { return m_context->backend().cairoTransform(); }

void LayerRenderer::drawPicture(const CGImage& picture, CGRect rect)
{
    const CGContextRef& c = m_context;
    c->backend().drawWithEffects([&](cairo_t* cr) {
        paintSurface(cr, CGImageGetCairoSurface(picture), CGRectMake(0, 0, picture.width(), picture.height()), rect, c->backend().state().alpha);
    });
}

std::size_t LayerRenderer::releasePlacedContents(CALayer& layer)
{
    CALayer::BackingStore* store = layer.backingStore({});
    if (!store || !store->placedContents.picture)
        return 0;
    cairo_surface_t* picture = store->placedContents.picture.get();
    const std::size_t bytes = std::size_t(cairo_image_surface_get_stride(picture)) * std::size_t(cairo_image_surface_get_height(picture));
    store->placedContents = {};
    return bytes;
}

void LayerRenderer::castBackgroundShadow(const CALayer& source)
{
    const CGContextRef& c = m_context;
    const auto rgba = source.shadowColor() ? source.shadowColor()->rgba() : std::array<CGFloat, 4> { 0, 0, 0, 1 };
    c->saveGState();
    CGContextSetShadowWithColor(c, source.shadowOffset(), source.shadowRadius() * 2,
        CGColorCreateGenericRGB(rgba[0], rgba[1], rgba[2], rgba[3] * source.shadowOpacity()));
    CGContextSetFillColorWithColor(c, source.backgroundColor());
    CGContextBeginPath(c);
    if (source.cornerRadius() > 0)
        CGContextAddPath(c, roundedBoundsPath(source.bounds(), source.cornerRadius()));
    else
        CGContextAddRect(c, source.bounds());
    CGContext::Backend& backend = c->backend();
    cairo_t* main = backend.cairoContext();
    // The fill as it casts the shadow, painted on the shadow's surface only.
    backend.drawWithEffects([&](cairo_t* cr) {
        if (cr == main) {
            cairo_new_path(cr);
            return;
        }
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
        backend.setSourceToFillColor(cr);
        cairo_fill(cr);
    });
    cairo_new_path(main);
    c->restoreGState();
}

void LayerRenderer::drawContents(CALayer& model, const CALayer& source)
{
    const CGContextRef& c = m_context;
    const CGRect bounds = source.bounds();
    cairo_surface_t* surface = nullptr;
    CGFloat scale = 1;
    CGRect unitRect = source.contentsRect();
    if (!m_options.backingStores && !source.contents()) {
        // Drawing again, straight into the context, clipped as a backing store would be.
        c->saveGState();
        CGContextClipToRect(c, bounds);
        model.drawInContext(c);
        c->restoreGState();
        return;
    }
    const CALayer* store = &model;
    const auto& animations = model.animationEntries({});
    if (&source != &model && std::any_of(animations.begin(), animations.end(),
            [&](const auto& entry) { return animatesKeyNeedingDisplay(model, *entry.animation); })) {
        // Animated keys that change the drawing: the presentation copy draws every frame.
        auto& presentation = const_cast<CALayer&>(source);
        presentation.display();
        store = &presentation;
    }
    if (source.contents() && CGImageGetCairoSurface(*source.contents())) {
        surface = CGImageGetCairoSurface(*source.contents());
        scale = source.contentsScale() > 0 ? source.contentsScale() : 1;
    } else if (const CALayer::BackingStore* backing = store->backingStore({}); backing && backing->backing) {
        surface = backing->backing.get();
        scale = backing->backingScale;
        unitRect = CGRectMake(0, 0, 1, 1);
    }
    if (!surface)
        return;
    const double width = cairo_image_surface_get_width(surface);
    const double height = cairo_image_surface_get_height(surface);
    const CGRect pixels = CGRectIntersection(CGRectMake(unitRect.origin.x * width, unitRect.origin.y * height,
                                                 unitRect.size.width * width, unitRect.size.height * height),
        CGRectMake(0, 0, width, height));
    if (CGRectIsEmpty(pixels))
        return;
    const std::string gravity = source.contentsGravity().UTF8String();
    const CGRect destination = store->backingStore({}) && store->backingStore({})->backing.get() == surface
        ? CGRectMake(bounds.origin.x, bounds.origin.y, width / scale, height / scale)
        : gravityRect(gravity, bounds, { pixels.size.width / scale, pixels.size.height / scale });
    cairo_t* main = c->backend().cairoContext();
    c->backend().drawWithEffects([&](cairo_t* cr) {
        paintSurface(cr, surface, pixels, destination, c->backend().state().alpha, cr == main ? &model.makeBackingStore({}).placedContents : nullptr);
    });
}

void LayerRenderer::drawShadowPath(const CALayer& source)
{
    const CGContextRef& c = m_context;
    const auto rgba = source.shadowColor() ? source.shadowColor()->rgba() : std::array<CGFloat, 4> { 0, 0, 0, 1 };
    c->saveGState();
    CGContextSetAlpha(c, 1);
    CGContextSetShadowWithColor(c, source.shadowOffset(), source.shadowRadius() * 2,
        CGColorCreateGenericRGB(rgba[0], rgba[1], rgba[2], rgba[3] * source.shadowOpacity() * source.opacity()));
    CGContextAddPath(c, source.shadowPath());
    cairo_t* main = c->backend().cairoContext();
    // Only the shadow shows: the path itself is painted on the shadow's own surface, not here.
    c->backend().drawWithEffects([main](cairo_t* cr) {
        if (cr == main) {
            cairo_new_path(cr);
            return;
        }
        cairo_set_source_rgba(cr, 0, 0, 0, 1);
        cairo_fill(cr);
    });
    c->restoreGState();
}

void LayerRenderer::renderProjected(CALayer& model, const CALayer& source, const CATransform3D& toBase)
{
    const CGContextRef& c = m_context;
    const CGFloat scale = std::max(CGFloat(1), c->deviceScale());
    CGRect area = source.bounds();
    // Unclipped sublayers reach past the bounds (a mirror image hung below a picture): the flat
    // picture holds them too, within a sane size.
    const CGRect extent = subtreeExtent(source);
    constexpr CGFloat largestSide = 4096;
    if (!CGRectIsInfinite(extent) && !CGRectIsNull(extent) && extent.size.width <= largestSide && extent.size.height <= largestSide)
        area = CGRectUnion(area, extent);
    if (source.shadowOpacity() > 0) {
        const CGFloat margin = source.shadowRadius() * 2 + std::max(std::abs(source.shadowOffset().width), std::abs(source.shadowOffset().height)) + 1;
        area = CGRectInset(area, -margin, -margin);
    }
    const CGAffineTransform baseToDevice = CGAffineTransformConcat(m_baseCTM, CGAffineTransformConcat(CGAffineTransformInvert(c->ctm()), c->backend().cairoTransform()));
    {
        // A layer that lands wholly off the device, or partly behind the viewer, is left out
        // before its flat picture is drawn.
        const Matrix3 layerToDevice = multiply(homography(toBase), affineMatrix(baseToDevice));
        double left = HUGE_VAL, top = HUGE_VAL, right = -HUGE_VAL, bottom = -HUGE_VAL;
        for (CGPoint p : { CGPointMake(CGRectGetMinX(area), CGRectGetMinY(area)), CGPointMake(CGRectGetMaxX(area), CGRectGetMinY(area)),
                 CGPointMake(CGRectGetMinX(area), CGRectGetMaxY(area)), CGPointMake(CGRectGetMaxX(area), CGRectGetMaxY(area)) }) {
            const double w = p.x * layerToDevice[0][2] + p.y * layerToDevice[1][2] + layerToDevice[2][2];
            if (!(w > 1e-9))
                return;
            const double x = (p.x * layerToDevice[0][0] + p.y * layerToDevice[1][0] + layerToDevice[2][0]) / w;
            const double y = (p.x * layerToDevice[0][1] + p.y * layerToDevice[1][1] + layerToDevice[2][1]) / w;
            left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
        }
        const CGSize device = c->deviceSize();
        if (right <= 0 || bottom <= 0 || left >= device.width || top >= device.height)
            return;
    }
    auto flat = CGBitmapContext::createImageContext(area.size, false, scale);
    if (!flat)
        return;
    CGContextTranslateCTM(flat, -area.origin.x, -area.origin.y);
    {
        LayerRenderer renderer(flat, m_options);
        renderer.m_context->saveGState();
        renderer.drawBody(model, source, CATransform3DIdentity);
        renderer.m_context->restoreGState();
    }
    cairo_surface_t* picture = flat->backend().cairoSurface();
    cairo_surface_flush(picture);
    const int width = cairo_image_surface_get_width(picture);
    const int height = cairo_image_surface_get_height(picture);

    // Picture pixels → layer points → the base user space → device pixels (top-left origin).
    const Matrix3 pictureToLayer { { { 1 / scale, 0, 0 }, { 0, 1 / scale, 0 }, { area.origin.x, area.origin.y, 1 } } };
    const Matrix3 toDevice = multiply(multiply(pictureToLayer, homography(toBase)), affineMatrix(baseToDevice));

    double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
    // The picture's corners on the device, in order around it.
    std::array<CGPoint, 4> corners;
    std::size_t corner = 0;
    for (auto [u, v] : { std::pair { 0.0, 0.0 }, { double(width), 0.0 }, { double(width), double(height) }, { 0.0, double(height) } }) {
        const double x = u * toDevice[0][0] + v * toDevice[1][0] + toDevice[2][0];
        const double y = u * toDevice[0][1] + v * toDevice[1][1] + toDevice[2][1];
        const double w = u * toDevice[0][2] + v * toDevice[1][2] + toDevice[2][2];
        // Part of the layer behind the viewer: the platform clips it; we leave the layer out.
        if (!(w > 1e-9))
            return;
        minX = std::min(minX, x / w), maxX = std::max(maxX, x / w);
        minY = std::min(minY, y / w), maxY = std::max(maxY, y / w);
        corners[corner++] = CGPointMake(x / w, y / w);
    }
    const CGSize device = c->deviceSize();
    const int x0 = std::max(0, int(std::floor(minX))), y0 = std::max(0, int(std::floor(minY)));
    const int x1 = std::min(int(device.width), int(std::ceil(maxX))), y1 = std::min(int(device.height), int(std::ceil(maxY)));
    if (x1 <= x0 || y1 <= y0)
        return;
    Matrix3 fromDevice;
    if (!invert(toDevice, fromDevice))
        return;
    const Matrix3 warpToPicture = multiply({ { { 1, 0, 0 }, { 0, 1, 0 }, { double(x0), double(y0), 1 } } }, fromDevice);

    CairoSurface warped(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, x1 - x0, y1 - y0));
    if (cairo_surface_status(warped.get()) != CAIRO_STATUS_SUCCESS)
        return;
    // Pixman maps column vectors, in 16.16 fixed point, and keeps intermediate coordinates in
    // that range too: transpose, and scale the matrix (which changes nothing for a projective
    // map) so that w stays near 1.
    double normalise = 1 / warpToPicture[2][2];
    if (!std::isfinite(normalise) || std::abs(warpToPicture[2][2]) < 1e-6) {
        double largest = 0;
        for (const auto& row : warpToPicture)
            for (double v : row)
                largest = std::max(largest, std::abs(v));
        normalise = largest > 0 ? 1 / largest : 1;
    }
    pixman_f_transform floating;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            floating.m[i][j] = warpToPicture[j][i] * normalise;
    pixman_transform fixed;
    if (!pixman_transform_from_pixman_f_transform(&fixed, &floating))
        return;
    pixman_image_t* from = pixman_image_create_bits(PIXMAN_a8r8g8b8, width, height,
        reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(picture)), cairo_image_surface_get_stride(picture));
    pixman_image_t* target = pixman_image_create_bits(PIXMAN_a8r8g8b8, x1 - x0, y1 - y0,
        reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(warped.get())), cairo_image_surface_get_stride(warped.get()));
    if (from && target) {
        pixman_image_set_transform(from, &fixed);
        pixman_image_set_filter(from, PIXMAN_FILTER_BILINEAR, nullptr, 0);
        pixman_image_set_repeat(from, PIXMAN_REPEAT_NONE);
        pixman_image_composite32(PIXMAN_OP_SRC, from, nullptr, target, 0, 0, 0, 0, 0, 0, x1 - x0, y1 - y0);
    }
    if (from)
        pixman_image_unref(from);
    if (target)
        pixman_image_unref(target);
    cairo_surface_mark_dirty(warped.get());
    c->backend().drawWithEffects([&](cairo_t* cr) {
        cairo_save(cr);
        cairo_identity_matrix(cr);
        // The warp samples a little beyond the picture where the projection stretches it most
        // (one-pixel streaks beside a steeply turned layer): only the picture's own outline paints.
        cairo_new_path(cr);
        cairo_move_to(cr, corners[0].x, corners[0].y);
        for (std::size_t i = 1; i < corners.size(); ++i)
            cairo_line_to(cr, corners[i].x, corners[i].y);
        cairo_close_path(cr);
        cairo_clip(cr);
        cairo_set_source_surface(cr, warped.get(), x0, y0);
        cairo_paint_with_alpha(cr, c->backend().state().alpha);
        cairo_restore(cr);
    });
}

bool LayerRenderer::paintKept(const CALayer& model, const CALayer& source, int part, std::uint64_t revision, CGRect area, int margin,
    const std::vector<CGRect>& opaque, const std::function<void(LayerRenderer&)>& draw, bool opaqueIsCovered)
{
    LayerPictureCache* cache = m_options.pictures;
    if (!cache || &source != &model || CGRectIsNull(area) || CGRectIsInfinite(area) || CGRectIsEmpty(area))
        return false;
    CGContext::Backend& backend = m_context->backend();
    const auto& state = backend.state();
    cairo_t* cr = backend.cairoContext();
    // Copying a picture paints as drawing would only at full alpha, with nothing cast or masked.
    // Inside a transparency layer edges drawn through a clip of their own do not show: draw there.
    if (state.alpha != 1 || state.blendMode != kCGBlendModeNormal || state.shadowColor[3] > 0 || state.mask
        || cairo_get_operator(cr) != CAIRO_OPERATOR_OVER || cairo_get_antialias(cr) != CAIRO_ANTIALIAS_DEFAULT
        || cairo_get_group_target(cr) != cairo_get_target(cr))
        return false;
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    const CGAffineTransform toDevice = backend.cairoTransform();
    const CGRect device = CGRectStandardize(CGRectApplyAffineTransform(area, toDevice));
    const double left = std::floor(CGRectGetMinX(device)) - margin - 1, top = std::floor(CGRectGetMinY(device)) - margin - 1;
    const double right = std::ceil(CGRectGetMaxX(device)) + margin + 1, bottom = std::ceil(CGRectGetMaxY(device)) + margin + 1;
    if (!std::isfinite(left) || !std::isfinite(top) || !std::isfinite(right) || !std::isfinite(bottom) || std::abs(left) > 1e6
        || std::abs(top) > 1e6 || (right - left) * (bottom - top) * 4 > double(cache->largestPicture()))
        return false;

    LayerPictureCache::Picture& picture = cache->picture(model, LayerPictureCache::Part(part));
    const double shiftX = m.x0 - picture.matrix.x0, shiftY = m.y0 - picture.matrix.y0;
    // Moved by whole device pixels since it was drawn, the same picture serves.
    const bool current = picture.drawn && picture.revision == revision && picture.deviceScale == m_context->deviceScale()
        && picture.deviceHeight == m_context->deviceSize().height && m.xx == picture.matrix.xx && m.yx == picture.matrix.yx
        && m.xy == picture.matrix.xy && m.yy == picture.matrix.yy && wholePixel(shiftX) && wholePixel(shiftY);
    int x = static_cast<int>(left), y = static_cast<int>(top);
    int width = static_cast<int>(right - left), height = static_cast<int>(bottom - top);
    if (current) {
        x = picture.x + static_cast<int>(std::round(shiftX));
        y = picture.y + static_cast<int>(std::round(shiftY));
        width = picture.surface ? cairo_image_surface_get_width(picture.surface.get()) : width;
        height = picture.surface ? cairo_image_surface_get_height(picture.surface.get()) : height;
    }
    // A clip that cuts the picture must lie on whole pixels, or the copy would differ at its edge.
    if (!m_clipState.aligned && !CGRectContainsRect(m_clipState.inner, CGRectMake(x, y, width, height)))
        return false;
    const auto sameMatrix = [](const cairo_matrix_t& a, const cairo_matrix_t& b) {
        return a.xx == b.xx && a.yx == b.yx && a.xy == b.xy && a.yy == b.yy && a.x0 == b.x0 && a.y0 == b.y0;
    };
    if (!current && picture.drawn) {
        if (picture.wantedFrame != cache->frame()) {
            picture.changing = picture.wantedFrame + 1 == cache->frame() && (picture.wantedRevision != revision || !sameMatrix(picture.wantedMatrix, m));
            picture.wantedFrame = cache->frame();
            picture.wantedRevision = revision;
            picture.wantedMatrix = m;
        }
        if (picture.changing)
            return false;
    }

    if (!current) {
        CairoSurface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
        if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
            return false;
        // The picture's pixels are the device's pixels from (x, y): drawn with the very matrix.
        cairo_surface_set_device_offset(surface.get(), -x, -y);
        {
            const CGContextRef pictureContext = CGContextCreateWithCairoSurface(surface.get(), m_context->deviceSize(), m_context->ctm(),
                m_context->deviceScale());
            if (!pictureContext)
                return false;
            LayerRenderer inner(pictureContext, m_options);
            inner.m_baseCTM = m_baseCTM;
            inner.m_clip = CGRectInfinite;
            draw(inner);
        }
        cairo_surface_flush(surface.get());
        cairo_surface_set_device_offset(surface.get(), 0, 0);
        picture = LayerPictureCache::Picture {};
        picture.drawn = true;
        picture.x = x;
        picture.y = y;
        picture.matrix = m;
        picture.deviceScale = m_context->deviceScale();
        picture.deviceHeight = m_context->deviceSize().height;
        picture.revision = revision;
        picture.wantedFrame = cache->frame();
        picture.wantedRevision = revision;
        picture.wantedMatrix = m;

        const unsigned char* data = cairo_image_surface_get_data(surface.get());
        const int stride = cairo_image_surface_get_stride(surface.get());
        bool blank = true;
        for (int row = 0; row < height && blank; ++row) {
            const auto* pixels = reinterpret_cast<const std::uint32_t*>(data + std::ptrdiff_t(row) * stride);
            blank = std::all_of(pixels, pixels + width, [](std::uint32_t p) { return p == 0; });
        }
        if (!blank) {
            pixman_region32_t solid, rest;
            pixman_region32_init(&solid);
            pixman_region32_init_rect(&rest, 0, 0, unsigned(width), unsigned(height));
            if (toDevice.b == 0 && toDevice.c == 0)
                for (const CGRect& rect : opaque) {
                    const CGRect inside = CGRectIntersection(pixelsInside(CGRectApplyAffineTransform(rect, toDevice)),
                        CGRectMake(x, y, width, height));
                    if (!CGRectIsNull(inside) && !CGRectIsEmpty(inside))
                        pixman_region32_union_rect(&solid, &solid, int(inside.origin.x) - x, int(inside.origin.y) - y,
                            unsigned(inside.size.width), unsigned(inside.size.height));
                }
            pixman_region32_subtract(&rest, &rest, &solid);
            auto copy = [](pixman_region32_t* region, std::vector<cairo_rectangle_int_t>& into) {
                int count = 0;
                const pixman_box32_t* boxes = pixman_region32_rectangles(region, &count);
                for (int i = 0; i < count; ++i)
                    into.push_back({ boxes[i].x1, boxes[i].y1, boxes[i].x2 - boxes[i].x1, boxes[i].y2 - boxes[i].y1 });
            };
            if (!opaqueIsCovered)
                copy(&solid, picture.opaque);
            copy(&rest, picture.translucent);
            pixman_region32_fini(&solid);
            pixman_region32_fini(&rest);
            picture.surface = std::move(surface);
        }
    }
    picture.lastUse = cache->frame();
    if (!picture.surface)
        return true;
    // A shadow is painted through its blurred coverage with one composite, as a copy of it is;
    // other pictures copy only their opaque pixels and leave the edges to paintEdges.
    const bool copiesExactly = part == int(LayerPictureCache::Part::Shadow);
    backend.drawWithEffects(
        [&](cairo_t* target) {
            cairo_save(target);
            cairo_identity_matrix(target);
            cairo_new_path(target);
            cairo_set_source_surface(target, picture.surface.get(), x, y);
            // Opaque pixels replace what lies below, as painting them over it would.
            if (!picture.opaque.empty()) {
                cairo_set_operator(target, CAIRO_OPERATOR_SOURCE);
                for (const auto& r : picture.opaque)
                    cairo_rectangle(target, x + r.x, y + r.y, r.width, r.height);
                cairo_fill(target);
                cairo_set_operator(target, CAIRO_OPERATOR_OVER);
            }
            if (copiesExactly) {
                for (const auto& r : picture.translucent)
                    cairo_rectangle(target, x + r.x, y + r.y, r.width, r.height);
                cairo_fill(target);
            }
            cairo_restore(target);
        },
        false);
    if (!copiesExactly)
        paintEdges(picture, x, y, draw);
    return true;
}

void LayerRenderer::paintEdges(LayerPicture& picture, int x, int y, const std::function<void(LayerRenderer&)>& draw)
{
    if (picture.translucent.empty())
        return;
    cairo_t* cr = m_context->backend().cairoContext();
    // Edges the clip hides would draw nothing (a scrolled frame's strip mostly crosses none):
    // what was kept of them stays for the next time.
    cairo_matrix_t userMatrix;
    cairo_get_matrix(cr, &userMatrix);
    cairo_identity_matrix(cr);
    double clipLeft = 0, clipTop = 0, clipRight = 0, clipBottom = 0;
    cairo_clip_extents(cr, &clipLeft, &clipTop, &clipRight, &clipBottom);
    cairo_set_matrix(cr, &userMatrix);
    if (std::none_of(picture.translucent.begin(), picture.translucent.end(), [&](const cairo_rectangle_int_t& r) {
            return x + r.x < clipRight && x + r.x + r.width > clipLeft && y + r.y < clipBottom && y + r.y + r.height > clipTop;
        }))
        return;
    cairo_surface_t* target = cairo_get_group_target(cr);
    // Written and read in place only where nothing clips them.
    bool inClip = true;
    for (const auto& r : picture.translucent)
        inClip = inClip && CGRectContainsRect(m_clipState.inner, CGRectMake(x + r.x, y + r.y, r.width, r.height));
    cairo_surface_flush(target);
    if (inClip && picture.hasBelow && picture.belowX == x && picture.belowY == y) {
        // What lies below is what lay below when the edges were drawn: drawing them again would
        // give the pixels it gave then.
        bool same = true;
        std::size_t at = 0;
        for (const auto& r : picture.translucent) {
            std::ptrdiff_t stride = 0;
            const std::uint32_t* row = targetPixels(cr, r, x, y, stride);
            if (!row) {
                same = false;
                break;
            }
            for (int i = 0; i < r.height && same; ++i, at += std::size_t(r.width))
                same = std::memcmp(reinterpret_cast<const unsigned char*>(row) + i * stride, &picture.below[at], std::size_t(r.width) * 4) == 0;
            if (!same)
                break;
        }
        if (same) {
            at = 0;
            for (const auto& r : picture.translucent) {
                std::ptrdiff_t stride = 0;
                std::uint32_t* row = targetPixels(cr, r, x, y, stride);
                for (int i = 0; i < r.height; ++i, at += std::size_t(r.width))
                    std::memcpy(reinterpret_cast<unsigned char*>(row) + i * stride, &picture.over[at], std::size_t(r.width) * 4);
            }
            cairo_surface_mark_dirty(target);
            m_context->backend().didDraw();
            return;
        }
    }

    // Drawn again where the edges are, and what that gave kept for the next time.
    auto copyTarget = [&](std::vector<std::uint32_t>& into) {
        into.clear();
        for (const auto& r : picture.translucent) {
            std::ptrdiff_t stride = 0;
            const std::uint32_t* row = targetPixels(cr, r, x, y, stride);
            if (!row)
                return false;
            for (int i = 0; i < r.height; ++i) {
                const auto* pixels = reinterpret_cast<const std::uint32_t*>(reinterpret_cast<const unsigned char*>(row) + i * stride);
                into.insert(into.end(), pixels, pixels + r.width);
            }
        }
        return true;
    };
    picture.hasBelow = inClip && copyTarget(picture.below);
    m_context->saveGState();
    cairo_matrix_t matrix;
    cairo_get_matrix(cr, &matrix);
    cairo_identity_matrix(cr);
    cairo_new_path(cr);
    for (const auto& r : picture.translucent)
        cairo_rectangle(cr, x + r.x, y + r.y, r.width, r.height);
    cairo_clip(cr);
    cairo_set_matrix(cr, &matrix);
    const ClipState outer = m_clipState;
    // Inside this clip nothing is read or written in place.
    m_clipState.inner = CGRectNull;
    draw(*this);
    m_clipState = outer;
    m_context->restoreGState();
    if (picture.hasBelow) {
        cairo_surface_flush(target);
        picture.hasBelow = copyTarget(picture.over);
        picture.belowX = x;
        picture.belowY = y;
    }
    if (!picture.hasBelow) {
        picture.below.clear();
        picture.over.clear();
    }
}

bool LayerRenderer::fillAroundOpaqueSublayers(CALayer& model, const CALayer& source)
{
    if (!m_options.pictures || &source != &model || source.backgroundColor()->alpha() < 1)
        return false;
    CGContext::Backend& backend = m_context->backend();
    const auto& state = backend.state();
    cairo_t* cr = backend.cairoContext();
    if (state.alpha != 1 || state.blendMode != kCGBlendModeNormal || state.shadowColor[3] > 0 || state.mask
        || cairo_get_operator(cr) != CAIRO_OPERATOR_OVER)
        return false;
    const CGAffineTransform toDevice = backend.cairoTransform();
    if (toDevice.b != 0 || toDevice.c != 0)
        return false;
    const CGRect device = CGRectStandardize(CGRectApplyAffineTransform(source.bounds(), toDevice));
    const CGRect inside = pixelsInside(device);
    if (CGRectIsNull(inside) || !CGRectEqualToRect(inside, device))
        return false;
    // Holes outside the clip save nothing and cost their share of the fill's tessellation.
    const CGRect clip = CGRectIntersection(device,
        CGRectIntegral(CGRectStandardize(CGRectApplyAffineTransform(CGContextGetClipBoundingBox(m_context), toDevice))));
    // A few rows (a scrolled frame's strip) fill faster than the holes are found.
    if (CGRectIsNull(clip) || clip.size.width * clip.size.height < 32 * 1024)
        return false;
    pixman_region32_t holes;
    pixman_region32_init(&holes);
    for (const auto& sublayer : model.sublayers()) {
        const CALayer& child = *sublayer;
        if (child.hasAnimations() || child.mask() || child.isHidden() || !child.isDoubleSided())
            continue;
        const CATransform3D placement = child.placementIn(&source);
        if (!isAffineInPlane(placement))
            continue;
        const CGAffineTransform a = planeAffine(placement);
        if (a.b != 0 || a.c != 0 || !(a.a > 0) || !(a.d > 0))
            continue;
        const CGAffineTransform childToDevice = CGAffineTransformConcat(a, toDevice);
        if (!CGRectIntersectsRect(CGRectApplyAffineTransform(child.bounds(), childToDevice), clip))
            continue;
        // What paints every pixel of these rectangles opaquely, whatever lay below.
        std::vector<CGRect> covered = opaqueBackground(child);
        if (gradientIsOpaque(child))
            covered.push_back(child.bounds());
        for (const CGRect& rect : covered) {
            const CGRect hole = CGRectIntersection(pixelsInside(CGRectApplyAffineTransform(rect, childToDevice)), clip);
            if (!CGRectIsNull(hole) && !CGRectIsEmpty(hole))
                pixman_region32_union_rect(&holes, &holes, int(hole.origin.x), int(hole.origin.y), unsigned(hole.size.width),
                    unsigned(hole.size.height));
        }
    }
    int count = 0;
    const pixman_box32_t* boxes = pixman_region32_rectangles(&holes, &count);
    if (count == 0) {
        pixman_region32_fini(&holes);
        return false;
    }
    m_context->saveGState();
    CGContextSetFillColorWithColor(m_context, source.backgroundColor());
    const CGRect bounds = source.bounds();
    backend.drawWithEffects([&](cairo_t* target) {
        cairo_new_path(target);
        cairo_rectangle(target, bounds.origin.x, bounds.origin.y, bounds.size.width, bounds.size.height);
        cairo_save(target);
        cairo_identity_matrix(target);
        for (int i = 0; i < count; ++i)
            cairo_rectangle(target, boxes[i].x1, boxes[i].y1, boxes[i].x2 - boxes[i].x1, boxes[i].y2 - boxes[i].y1);
        cairo_restore(target);
        cairo_set_fill_rule(target, CAIRO_FILL_RULE_EVEN_ODD);
        backend.setSourceToFillColor(target);
        cairo_fill(target);
        cairo_set_fill_rule(target, CAIRO_FILL_RULE_WINDING);
    });
    m_context->restoreGState();
    pixman_region32_fini(&holes);
    return true;
}
