#include "platform/graphics/cairo/CairoBackend.h"

#include "platform/graphics/CGPathStroker.h"
#include "platform/graphics/CGShadowBlur.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

namespace {

cairo_matrix_t toCairo(CGAffineTransform t)
{
    cairo_matrix_t m;
    cairo_matrix_init(&m, t.a, t.b, t.c, t.d, t.tx, t.ty);
    return m;
}

bool isInvertible(CGAffineTransform t)
{
    const CGFloat determinant = t.a * t.d - t.b * t.c;
    return determinant != 0 && std::isfinite(determinant) && std::isfinite(t.tx) && std::isfinite(t.ty);
}

cairo_operator_t operatorFor(CGBlendMode mode)
{
    switch (mode) {
    case kCGBlendModeNormal: return CAIRO_OPERATOR_OVER;
    case kCGBlendModeMultiply: return CAIRO_OPERATOR_MULTIPLY;
    case kCGBlendModeScreen: return CAIRO_OPERATOR_SCREEN;
    case kCGBlendModeOverlay: return CAIRO_OPERATOR_OVERLAY;
    case kCGBlendModeDarken: return CAIRO_OPERATOR_DARKEN;
    case kCGBlendModeLighten: return CAIRO_OPERATOR_LIGHTEN;
    case kCGBlendModeColorDodge: return CAIRO_OPERATOR_COLOR_DODGE;
    case kCGBlendModeColorBurn: return CAIRO_OPERATOR_COLOR_BURN;
    case kCGBlendModeSoftLight: return CAIRO_OPERATOR_SOFT_LIGHT;
    case kCGBlendModeHardLight: return CAIRO_OPERATOR_HARD_LIGHT;
    case kCGBlendModeDifference: return CAIRO_OPERATOR_DIFFERENCE;
    case kCGBlendModeExclusion: return CAIRO_OPERATOR_EXCLUSION;
    case kCGBlendModeHue: return CAIRO_OPERATOR_HSL_HUE;
    case kCGBlendModeSaturation: return CAIRO_OPERATOR_HSL_SATURATION;
    case kCGBlendModeColor: return CAIRO_OPERATOR_HSL_COLOR;
    case kCGBlendModeLuminosity: return CAIRO_OPERATOR_HSL_LUMINOSITY;
    case kCGBlendModeClear: return CAIRO_OPERATOR_CLEAR;
    case kCGBlendModeCopy: return CAIRO_OPERATOR_SOURCE;
    case kCGBlendModeSourceIn: return CAIRO_OPERATOR_IN;
    case kCGBlendModeSourceOut: return CAIRO_OPERATOR_OUT;
    case kCGBlendModeSourceAtop: return CAIRO_OPERATOR_ATOP;
    case kCGBlendModeDestinationOver: return CAIRO_OPERATOR_DEST_OVER;
    case kCGBlendModeDestinationIn: return CAIRO_OPERATOR_DEST_IN;
    case kCGBlendModeDestinationOut: return CAIRO_OPERATOR_DEST_OUT;
    case kCGBlendModeDestinationAtop: return CAIRO_OPERATOR_DEST_ATOP;
    case kCGBlendModeXOR: return CAIRO_OPERATOR_XOR;
    case kCGBlendModePlusDarker: return CAIRO_OPERATOR_OVER;
    case kCGBlendModePlusLighter: return CAIRO_OPERATOR_ADD;
    }
    return CAIRO_OPERATOR_OVER;
}

std::shared_ptr<cairo_surface_t> shareSurface(cairo_surface_t* surface)
{
    return std::shared_ptr<cairo_surface_t>(surface, [](cairo_surface_t* s) { cairo_surface_destroy(s); });
}

// The user-to-pattern matrix that puts an image's top row at the rectangle's maximum y.
cairo_matrix_t imageMatrix(CGRect rect, double width, double height)
{
    cairo_matrix_t m;
    const double sx = width / rect.size.width;
    const double sy = height / rect.size.height;
    cairo_matrix_init(&m, sx, 0, 0, -sy, -rect.origin.x * sx, (rect.origin.y + rect.size.height) * sy);
    return m;
}

// Keeps the caller's current path across an operation that paints without it.
class PathKeeper {
public:
    explicit PathKeeper(cairo_t* cairo) : m_cairo(cairo), m_path(cairo_copy_path(cairo)) { }
    ~PathKeeper()
    {
        cairo_new_path(m_cairo);
        if (m_path && m_path->status == CAIRO_STATUS_SUCCESS)
            cairo_append_path(m_cairo, m_path.get());
    }
    PathKeeper(const PathKeeper&) = delete;
    PathKeeper& operator=(const PathKeeper&) = delete;

private:
    cairo_t* m_cairo;
    CairoPath m_path;
};

} // namespace

void CGContext::BackendDeleter::operator()(Backend* backend) const
{
    std::default_delete<Backend>()(backend);
}

CGContext::BackendPointer CGContextMakeCairoBackend(cairo_surface_t* surface, CGSize deviceSize,
    CGAffineTransform initialCTM, CGFloat deviceScale)
{
    return CGContext::BackendPointer(
        std::make_unique<CGContext::Backend>(surface, deviceSize, initialCTM, deviceScale).release());
}

CGContextRef CGContextCreateWithCairoSurface(cairo_surface_t* surface, CGSize deviceSize, CGAffineTransform initialCTM,
    CGFloat deviceScale)
{
    return CGContext::create(CGContextMakeCairoBackend(surface, deviceSize, initialCTM, deviceScale));
}

CGContext::Backend::Backend(cairo_surface_t* surface, CGSize deviceSize, CGAffineTransform initialCTM, CGFloat deviceScale)
    : m_surface(retainSurface(surface))
    , m_cairo(cairo_create(surface))
    , m_deviceSize(deviceSize)
    , m_deviceScale(deviceScale)
{
    resetState(initialCTM);
}

void CGContext::Backend::resetState(CGAffineTransform initialCTM)
{
    cairo_t* cr = m_cairo.get();
    cairo_reset_clip(cr);
    cairo_new_path(cr);
    cairo_set_line_width(cr, 1);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    cairo_set_miter_limit(cr, 10);
    cairo_set_dash(cr, nullptr, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
    m_states.assign(1, GState {});
    m_layers.clear();
    m_textMatrix = CGAffineTransformIdentity;
    setCTM(initialCTM);
}

void CGContext::Backend::saveGState()
{
    m_states.push_back(m_states.back());
    cairo_save(m_cairo.get());
}

void CGContext::Backend::restoreGState()
{
    // An unbalanced restore is ignored, as is one that would reach through a transparency layer.
    const std::size_t floor = m_layers.empty() ? 1 : m_layers.back().stateDepth + 1;
    if (m_states.size() <= floor)
        return;
    m_states.pop_back();
    cairo_restore(m_cairo.get());
}

void CGContext::Backend::setCTM(CGAffineTransform ctm)
{
    state().ctm = ctm;
    if (!isInvertible(ctm))
        return;
    const cairo_matrix_t m = toCairo(cairoTransform());
    cairo_set_matrix(m_cairo.get(), &m);
}

CGAffineTransform CGContext::Backend::cairoTransform() const
{
    const CGAffineTransform base { 1, 0, 0, -1, 0, m_deviceSize.height };
    return CGAffineTransformConcat(state().ctm, base);
}

void CGContext::Backend::setSourceToFillColor(cairo_t* cairo) const
{
    const auto& c = state().fillColor;
    cairo_set_source_rgba(cairo, c[0], c[1], c[2], c[3] * state().alpha);
}

void CGContext::Backend::setSourceToStrokeColor(cairo_t* cairo) const
{
    const auto& c = state().strokeColor;
    cairo_set_source_rgba(cairo, c[0], c[1], c[2], c[3] * state().alpha);
}

void CGContext::Backend::applyAntialias()
{
    cairo_set_antialias(m_cairo.get(),
        state().shouldAntialias && state().allowsAntialiasing ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
}

cairo_rectangle_int_t CGContext::Backend::deviceClipExtents() const
{
    cairo_t* cr = m_cairo.get();
    cairo_save(cr);
    cairo_identity_matrix(cr);
    double x1, y1, x2, y2;
    cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
    cairo_restore(cr);
    // Unbounded targets report huge extents; nothing is drawn beyond the device anyway.
    x1 = std::max(x1, -1.0), y1 = std::max(y1, -1.0);
    x2 = std::min(x2, m_deviceSize.width + 1), y2 = std::min(y2, m_deviceSize.height + 1);
    cairo_rectangle_int_t r;
    r.x = static_cast<int>(std::floor(x1));
    r.y = static_cast<int>(std::floor(y1));
    r.width = std::max(0, static_cast<int>(std::ceil(x2)) - r.x);
    r.height = std::max(0, static_cast<int>(std::ceil(y2)) - r.y);
    return r;
}

void CGContext::Backend::drawWithEffects(const std::function<void(cairo_t*)>& draw, bool castsShadow)
{
    if (!isInvertible(state().ctm))
        return;
    cairo_t* cr = m_cairo.get();
    const GState& s = state();
    const bool shadow = castsShadow && s.shadowColor[3] > 0
        && (s.shadowBlur > 0 || s.shadowOffset.width != 0 || s.shadowOffset.height != 0);
    const std::shared_ptr<cairo_surface_t> mask = s.mask;
    if (mask)
        cairo_push_group(cr);
    if (shadow)
        drawShadow(draw);
    draw(cr);
    if (mask) {
        CairoPattern group(cairo_pop_group(cr));
        // The popped group maps the user space of the moment; it is painted in device space.
        cairo_matrix_t identity;
        cairo_matrix_init_identity(&identity);
        cairo_pattern_set_matrix(group.get(), &identity);
        cairo_save(cr);
        cairo_identity_matrix(cr);
        cairo_set_source(cr, group.get());
        cairo_mask_surface(cr, mask.get(), 0, 0);
        cairo_restore(cr);
    }
    didDraw();
}

void CGContext::Backend::drawShadow(const std::function<void(cairo_t*)>& draw)
{
    cairo_t* cr = m_cairo.get();
    const GState& s = state();
    const CGShadowBlur blur(std::max(CGFloat(0), s.shadowBlur) * m_deviceScale);
    const double dx = s.shadowOffset.width * m_deviceScale;
    const double dy = s.shadowOffset.height * m_deviceScale;
    const cairo_rectangle_int_t clip = deviceClipExtents();
    if (clip.width <= 0 || clip.height <= 0)
        return;
    // The shadow that lands in the clip comes from content around the clip shifted back by the offset.
    const int pad = blur.reach() + 1;
    double left = clip.x - dx - pad, top = clip.y - dy - pad;
    double right = clip.x + clip.width - dx + pad + 1, bottom = clip.y + clip.height - dy + pad + 1;
    if (cairo_has_current_point(cr)) {
        // A path bounds what can be painted (with its stroke); nothing else needs a shadow.
        double x1, y1, x2, y2;
        cairo_stroke_extents(cr, &x1, &y1, &x2, &y2);
        double fx1, fy1, fx2, fy2;
        cairo_fill_extents(cr, &fx1, &fy1, &fx2, &fy2);
        x1 = std::min(x1, fx1), y1 = std::min(y1, fy1), x2 = std::max(x2, fx2), y2 = std::max(y2, fy2);
        const CGRect device = CGRectApplyAffineTransform(CGRectMake(x1, y1, x2 - x1, y2 - y1), cairoTransform());
        left = std::max(left, device.origin.x - pad - 1);
        top = std::max(top, device.origin.y - pad - 1);
        right = std::min(right, device.origin.x + device.size.width + pad + 1);
        bottom = std::min(bottom, device.origin.y + device.size.height + pad + 1);
    }
    if (right <= left || bottom <= top)
        return;
    const int x0 = static_cast<int>(std::floor(left));
    const int y0 = static_cast<int>(std::floor(top));
    const int width = static_cast<int>(std::ceil(right)) - x0;
    const int height = static_cast<int>(std::ceil(bottom)) - y0;
    CairoSurface coverage(cairo_image_surface_create(CAIRO_FORMAT_A8, width, height));
    if (cairo_surface_status(coverage.get()) != CAIRO_STATUS_SUCCESS)
        return;
    cairo_surface_set_device_offset(coverage.get(), -x0, -y0);
    {
        CairoContext sc(cairo_create(coverage.get()));
        cairo_matrix_t m;
        cairo_get_matrix(cr, &m);
        cairo_set_matrix(sc.get(), &m);
        cairo_set_line_width(sc.get(), cairo_get_line_width(cr));
        cairo_set_line_cap(sc.get(), cairo_get_line_cap(cr));
        cairo_set_line_join(sc.get(), cairo_get_line_join(cr));
        cairo_set_miter_limit(sc.get(), cairo_get_miter_limit(cr));
        cairo_set_antialias(sc.get(), cairo_get_antialias(cr));
        const int dashCount = cairo_get_dash_count(cr);
        if (dashCount > 0) {
            std::vector<double> dashes(static_cast<std::size_t>(dashCount));
            double offset = 0;
            cairo_get_dash(cr, dashes.data(), &offset);
            cairo_set_dash(sc.get(), dashes.data(), dashCount, offset);
        }
        CairoPath path(cairo_copy_path(cr));
        if (path && path->status == CAIRO_STATUS_SUCCESS)
            cairo_append_path(sc.get(), path.get());
        draw(sc.get());
    }
    cairo_surface_set_device_offset(coverage.get(), 0, 0);
    cairo_surface_t* blurred = blurredShadow(coverage.get(), std::max(CGFloat(0), s.shadowBlur) * m_deviceScale);
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_set_source_rgba(cr, s.shadowColor[0], s.shadowColor[1], s.shadowColor[2], s.shadowColor[3]);
    cairo_mask_surface(cr, blurred, x0 + dx, y0 + dy);
    cairo_restore(cr);
}

cairo_surface_t* CGContext::Backend::blurredShadow(cairo_surface_t* coverage, double blur)
{
    constexpr std::size_t kept = 8;
    constexpr std::size_t largest = 1 << 20;
    cairo_surface_flush(coverage);
    const int width = cairo_image_surface_get_width(coverage);
    const int height = cairo_image_surface_get_height(coverage);
    const auto stride = static_cast<std::size_t>(cairo_image_surface_get_stride(coverage));
    const unsigned char* data = cairo_image_surface_get_data(coverage);
    const std::size_t size = stride * static_cast<std::size_t>(height);
    ++m_shadowUses;
    for (auto& entry : m_blurredShadows)
        if (entry.blur == blur && entry.width == width && entry.height == height && entry.source.size() == size
            && std::memcmp(entry.source.data(), data, size) == 0) {
            entry.lastUse = m_shadowUses;
            return entry.blurred.get();
        }
    std::vector<unsigned char> source;
    if (size <= largest)
        source.assign(data, data + size);
    CGShadowBlur(blur).apply(cairo_image_surface_get_data(coverage), stride, static_cast<std::size_t>(width),
        static_cast<std::size_t>(height));
    cairo_surface_mark_dirty(coverage);
    if (source.empty())
        return coverage;
    if (m_blurredShadows.size() >= kept)
        m_blurredShadows.erase(std::min_element(m_blurredShadows.begin(), m_blurredShadows.end(),
            [](const auto& a, const auto& b) { return a.lastUse < b.lastUse; }));
    m_blurredShadows.push_back({ blur, width, height, std::move(source), retainSurface(coverage), m_shadowUses });
    return coverage;
}

void CGContext::Backend::beginTransparencyLayer(CGRect bounds, bool bounded)
{
    cairo_t* cr = m_cairo.get();
    saveGState();
    if (bounded) {
        PathKeeper keep(cr);
        cairo_new_path(cr);
        const CGRect r = CGRectStandardize(bounds);
        cairo_rectangle(cr, r.origin.x, r.origin.y, r.size.width, r.size.height);
        cairo_clip(cr);
    }
    m_layers.push_back({ m_states.size() });
    cairo_push_group(cr);
    // Inside the layer drawing starts plain; alpha, shadow and blend apply to the layer as a whole.
    GState& s = state();
    s.alpha = 1;
    s.shadowColor = { 0, 0, 0, 0 };
    s.blendMode = kCGBlendModeNormal;
    s.mask.reset();
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
}

void CGContext::Backend::endTransparencyLayer()
{
    if (m_layers.empty())
        return;
    cairo_t* cr = m_cairo.get();
    const std::size_t depth = m_layers.back().stateDepth;
    while (m_states.size() > depth) {
        m_states.pop_back();
        cairo_restore(cr);
    }
    CairoPattern group(cairo_pop_group(cr));
    // Painted below in device space, where the group's pixels are.
    cairo_matrix_t identity;
    cairo_matrix_init_identity(&identity);
    cairo_pattern_set_matrix(group.get(), &identity);
    m_layers.pop_back();
    m_states.pop_back();
    cairo_restore(cr);
    const CGFloat alpha = state().alpha;
    PathKeeper keep(cr);
    drawWithEffects([&](cairo_t* target) {
        cairo_new_path(target);
        cairo_save(target);
        cairo_identity_matrix(target);
        cairo_set_source(target, group.get());
        cairo_paint_with_alpha(target, alpha);
        cairo_restore(target);
    });
}

void CGContext::Backend::clipToMask(CGRect rect, const CGImageRef& image)
{
    rect = CGRectStandardize(rect);
    if (!image || !CGImageGetCairoSurface(*image) || rect.size.width <= 0 || rect.size.height <= 0 || !isInvertible(state().ctm)) {
        // Nothing to draw through: everything is clipped.
        PathKeeper keep(m_cairo.get());
        cairo_new_path(m_cairo.get());
        cairo_rectangle(m_cairo.get(), 0, 0, 0, 0);
        cairo_clip(m_cairo.get());
        return;
    }
    cairo_surface_t* source = CGImageGetCairoSurface(*image);
    const int width = static_cast<int>(image->width());
    const int height = static_cast<int>(image->height());
    // Coverage from the image: its alpha when it has one, otherwise its gray level.
    CairoSurface alpha(cairo_image_surface_create(CAIRO_FORMAT_A8, width, height));
    if (cairo_image_surface_get_format(source) == CAIRO_FORMAT_A8) {
        CairoContext copy(cairo_create(alpha.get()));
        cairo_set_source_surface(copy.get(), source, 0, 0);
        cairo_set_operator(copy.get(), CAIRO_OPERATOR_SOURCE);
        cairo_paint(copy.get());
    } else {
        cairo_surface_flush(alpha.get());
        const CGImageAlphaInfo info = static_cast<CGImageAlphaInfo>(image->bitmapInfo() & kCGBitmapAlphaInfoMask);
        const bool hasAlpha = info != kCGImageAlphaNone && info != kCGImageAlphaNoneSkipFirst && info != kCGImageAlphaNoneSkipLast;
        const unsigned char* from = cairo_image_surface_get_data(source);
        unsigned char* to = cairo_image_surface_get_data(alpha.get());
        const int fromStride = cairo_image_surface_get_stride(source);
        const int toStride = cairo_image_surface_get_stride(alpha.get());
        for (int y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(from + y * fromStride);
            for (int x = 0; x < width; ++x) {
                const std::uint32_t p = row[x];
                const std::uint32_t luminance = (((p >> 16) & 0xFF) * 54 + ((p >> 8) & 0xFF) * 183 + (p & 0xFF) * 19 + 128) >> 8;
                to[y * toStride + x] = static_cast<unsigned char>(hasAlpha ? p >> 24 : luminance);
            }
        }
        cairo_surface_mark_dirty(alpha.get());
    }
    const int deviceWidth = static_cast<int>(std::ceil(m_deviceSize.width));
    const int deviceHeight = static_cast<int>(std::ceil(m_deviceSize.height));
    CairoSurface coverage(cairo_image_surface_create(CAIRO_FORMAT_A8, deviceWidth, deviceHeight));
    {
        CairoContext m(cairo_create(coverage.get()));
        const cairo_matrix_t transform = toCairo(cairoTransform());
        cairo_set_matrix(m.get(), &transform);
        cairo_rectangle(m.get(), rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
        cairo_clip(m.get());
        CairoPattern pattern(cairo_pattern_create_for_surface(alpha.get()));
        const cairo_matrix_t placement = imageMatrix(rect, width, height);
        cairo_pattern_set_matrix(pattern.get(), &placement);
        cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
        cairo_set_source(m.get(), pattern.get());
        cairo_paint(m.get());
        if (state().mask) {
            cairo_identity_matrix(m.get());
            cairo_reset_clip(m.get());
            cairo_set_operator(m.get(), CAIRO_OPERATOR_IN);
            cairo_set_source_surface(m.get(), state().mask.get(), 0, 0);
            cairo_paint(m.get());
        }
    }
    state().mask = shareSurface(coverage.release());
}

void CGContext::Backend::drawImage(CGRect rect, const CGImageRef& image)
{
    if (!image || !CGImageGetCairoSurface(*image))
        return;
    cairo_filter_t filter = CAIRO_FILTER_GOOD;
    switch (state().interpolationQuality) {
    case kCGInterpolationNone: filter = CAIRO_FILTER_NEAREST; break;
    case kCGInterpolationLow: filter = CAIRO_FILTER_FAST; break;
    case kCGInterpolationHigh: filter = CAIRO_FILTER_BEST; break;
    default: break;
    }
    if (!image->shouldInterpolate())
        filter = CAIRO_FILTER_NEAREST;
    drawSurface(rect, CGImageGetCairoSurface(*image), filter);
}

void CGContext::Backend::drawTiledImage(CGRect tile, const CGImageRef& image)
{
    cairo_surface_t* surface = image ? CGImageGetCairoSurface(*image) : nullptr;
    if (!surface || tile.size.width == 0 || tile.size.height == 0 || CGRectIsNull(tile)
        || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE)
        return;
    const bool isMask = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_A8;
    const double width = cairo_image_surface_get_width(surface);
    const double height = cairo_image_surface_get_height(surface);
    PathKeeper keep(m_cairo.get());
    drawWithEffects([&](cairo_t* cr) {
        cairo_new_path(cr);
        CairoPattern pattern(cairo_pattern_create_for_surface(surface));
        const cairo_matrix_t m = imageMatrix(tile, width, height);
        cairo_pattern_set_matrix(pattern.get(), &m);
        cairo_pattern_set_filter(pattern.get(), image->shouldInterpolate() ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST);
        cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
        if (isMask) {
            setSourceToFillColor(cr);
            cairo_mask(cr, pattern.get());
        } else {
            cairo_set_source(cr, pattern.get());
            cairo_paint_with_alpha(cr, state().alpha);
        }
    });
}

void CGContext::Backend::drawSurface(CGRect rect, cairo_surface_t* surface, cairo_filter_t filter)
{
    if (!surface || rect.size.width == 0 || rect.size.height == 0 || CGRectIsNull(rect)
        || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE)
        return;
    const bool isMask = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_A8;
    const double width = cairo_image_surface_get_width(surface);
    const double height = cairo_image_surface_get_height(surface);
    const CGRect bounds = CGRectStandardize(rect);
    PathKeeper keep(m_cairo.get());
    drawWithEffects([&](cairo_t* cr) {
        cairo_new_path(cr);
        cairo_save(cr);
        cairo_rectangle(cr, bounds.origin.x, bounds.origin.y, bounds.size.width, bounds.size.height);
        cairo_clip(cr);
        CairoPattern pattern(cairo_pattern_create_for_surface(surface));
        const cairo_matrix_t m = imageMatrix(rect, width, height);
        cairo_pattern_set_matrix(pattern.get(), &m);
        cairo_pattern_set_filter(pattern.get(), filter);
        cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
        if (isMask) {
            // An alpha-only image paints the fill colour through its coverage.
            setSourceToFillColor(cr);
            cairo_mask(cr, pattern.get());
        } else {
            cairo_set_source(cr, pattern.get());
            cairo_paint_with_alpha(cr, state().alpha);
        }
        cairo_restore(cr);
    });
}

namespace {

void addStops(cairo_pattern_t* pattern, const CGGradient& gradient)
{
    for (const CGGradient::Stop& stop : gradient.stops())
        cairo_pattern_add_color_stop_rgba(pattern, stop.location, stop.rgba[0], stop.rgba[1], stop.rgba[2], stop.rgba[3]);
}

// Radius, around origin, of a circle that covers the whole clip.
double coveringRadius(cairo_t* cr, CGPoint origin)
{
    double x1, y1, x2, y2;
    cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
    double radius = 1;
    for (const auto& corner : { std::pair { x1, y1 }, std::pair { x2, y1 }, std::pair { x1, y2 }, std::pair { x2, y2 } })
        radius = std::max(radius, std::hypot(corner.first - origin.x, corner.second - origin.y));
    return radius + 1;
}

} // namespace

void CGContext::Backend::drawLinearGradient(const CGGradientRef& gradient, CGPoint start, CGPoint end, CGGradientDrawingOptions options)
{
    if (!gradient || start == end)
        return;
    const bool before = options & kCGGradientDrawsBeforeStartLocation;
    const bool after = options & kCGGradientDrawsAfterEndLocation;
    PathKeeper keep(m_cairo.get());
    drawWithEffects(
        [&](cairo_t* cr) {
            cairo_new_path(cr);
            cairo_save(cr);
            CairoPattern pattern(cairo_pattern_create_linear(start.x, start.y, end.x, end.y));
            addStops(pattern.get(), *gradient);
            cairo_pattern_set_extend(pattern.get(), before || after ? CAIRO_EXTEND_PAD : CAIRO_EXTEND_NONE);
            if (before != after) {
                // Extend on one side only: clip to the half plane on that side of the other end.
                const double length = std::hypot(end.x - start.x, end.y - start.y);
                const CGPoint u { (end.x - start.x) / length, (end.y - start.y) / length };
                const CGPoint n { -u.y, u.x };
                const CGPoint edge = after ? start : end;
                const double direction = after ? 1 : -1;
                const double r = coveringRadius(cr, edge);
                cairo_move_to(cr, edge.x + n.x * r, edge.y + n.y * r);
                cairo_line_to(cr, edge.x - n.x * r, edge.y - n.y * r);
                cairo_line_to(cr, edge.x - n.x * r + direction * u.x * r, edge.y - n.y * r + direction * u.y * r);
                cairo_line_to(cr, edge.x + n.x * r + direction * u.x * r, edge.y + n.y * r + direction * u.y * r);
                cairo_close_path(cr);
                cairo_clip(cr);
            }
            cairo_set_source(cr, pattern.get());
            cairo_paint_with_alpha(cr, state().alpha);
            cairo_restore(cr);
        },
        false);
}

void CGContext::Backend::drawRadialGradient(const CGGradientRef& gradient, CGPoint startCentre, CGFloat startRadius,
    CGPoint endCentre, CGFloat endRadius, CGGradientDrawingOptions options)
{
    if (!gradient || startRadius < 0 || endRadius < 0)
        return;
    const bool before = options & kCGGradientDrawsBeforeStartLocation;
    const bool after = options & kCGGradientDrawsAfterEndLocation;
    PathKeeper keep(m_cairo.get());
    drawWithEffects(
        [&](cairo_t* cr) {
            cairo_new_path(cr);
            cairo_save(cr);
            CairoPattern pattern(cairo_pattern_create_radial(startCentre.x, startCentre.y, startRadius, endCentre.x,
                endCentre.y, endRadius));
            addStops(pattern.get(), *gradient);
            cairo_pattern_set_extend(pattern.get(), before || after ? CAIRO_EXTEND_PAD : CAIRO_EXTEND_NONE);
            if (after && !before && startRadius > 0) {
                // Leave out the inside of the start circle.
                const double r = coveringRadius(cr, startCentre);
                cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
                cairo_rectangle(cr, startCentre.x - r, startCentre.y - r, 2 * r, 2 * r);
                cairo_new_sub_path(cr);
                cairo_arc(cr, startCentre.x, startCentre.y, startRadius, 0, 2 * M_PI);
                cairo_clip(cr);
            } else if (before && !after) {
                cairo_arc(cr, endCentre.x, endCentre.y, endRadius, 0, 2 * M_PI);
                cairo_clip(cr);
            }
            cairo_set_source(cr, pattern.get());
            cairo_paint_with_alpha(cr, state().alpha);
            cairo_restore(cr);
        },
        false);
}

namespace {

void appendElements(cairo_t* cr, std::span<const CGPath::Element> elements)
{
    for (const CGPath::Element& e : elements) {
        switch (e.type) {
        case kCGPathElementMoveToPoint:
            cairo_move_to(cr, e.points[0].x, e.points[0].y);
            break;
        case kCGPathElementAddLineToPoint:
            if (cairo_has_current_point(cr))
                cairo_line_to(cr, e.points[0].x, e.points[0].y);
            break;
        case kCGPathElementAddQuadCurveToPoint: {
            if (!cairo_has_current_point(cr))
                break;
            double x0, y0;
            cairo_get_current_point(cr, &x0, &y0);
            const CGPoint q = e.points[0], p = e.points[1];
            cairo_curve_to(cr, x0 + 2.0 / 3.0 * (q.x - x0), y0 + 2.0 / 3.0 * (q.y - y0), p.x + 2.0 / 3.0 * (q.x - p.x),
                p.y + 2.0 / 3.0 * (q.y - p.y), p.x, p.y);
            break;
        }
        case kCGPathElementAddCurveToPoint:
            if (cairo_has_current_point(cr))
                cairo_curve_to(cr, e.points[0].x, e.points[0].y, e.points[1].x, e.points[1].y, e.points[2].x, e.points[2].y);
            break;
        case kCGPathElementCloseSubpath:
            cairo_close_path(cr);
            break;
        }
    }
}

} // namespace

void CGContext::Backend::appendPath(const CGPath& path)
{
    appendElements(m_cairo.get(), path.elements());
}

void CGContext::Backend::appendBuiltPath(const std::function<void(const CGMutablePathRef&)>& build)
{
    cairo_t* cr = m_cairo.get();
    auto path = CGPathCreateMutable();
    const bool continues = cairo_has_current_point(cr);
    if (continues) {
        double x, y;
        cairo_get_current_point(cr, &x, &y);
        path->moveTo({ x, y });
    }
    build(path);
    std::span<const CGPath::Element> elements = path->elements();
    appendElements(cr, continues && !elements.empty() ? elements.subspan(1) : elements);
}

void CGContext::Backend::flush() { cairo_surface_flush(m_surface.get()); }

double CGContext::Backend::lineWidth() const { return cairo_get_line_width(m_cairo.get()); }

void CGContext::Backend::setLineWidth(double width) { cairo_set_line_width(m_cairo.get(), width); }

void CGContext::Backend::setLineCap(CGLineCap cap)
{
    cairo_set_line_cap(m_cairo.get(),
        cap == kCGLineCapRound ? CAIRO_LINE_CAP_ROUND : cap == kCGLineCapSquare ? CAIRO_LINE_CAP_SQUARE : CAIRO_LINE_CAP_BUTT);
}

void CGContext::Backend::setLineJoin(CGLineJoin join)
{
    cairo_set_line_join(m_cairo.get(),
        join == kCGLineJoinRound ? CAIRO_LINE_JOIN_ROUND : join == kCGLineJoinBevel ? CAIRO_LINE_JOIN_BEVEL : CAIRO_LINE_JOIN_MITER);
}

void CGContext::Backend::setMiterLimit(double limit) { cairo_set_miter_limit(m_cairo.get(), limit); }

void CGContext::Backend::setLineDash(double phase, const std::vector<double>& lengths)
{
    const bool usable = !lengths.empty() && std::all_of(lengths.begin(), lengths.end(), [](double d) { return d >= 0 && std::isfinite(d); })
        && std::any_of(lengths.begin(), lengths.end(), [](double d) { return d > 0; });
    // Cairo puts a bad dash array into an error state for good; such arrays turn dashing off.
    cairo_set_dash(m_cairo.get(), usable ? lengths.data() : nullptr, usable ? static_cast<int>(lengths.size()) : 0,
        std::isfinite(phase) ? phase : 0);
}

void CGContext::Backend::setFlatness(double flatness) { cairo_set_tolerance(m_cairo.get(), std::clamp(flatness / 5, 0.01, 1.0)); }

void CGContext::Backend::setBlendMode(CGBlendMode mode)
{
    state().blendMode = mode;
    cairo_set_operator(m_cairo.get(), operatorFor(mode));
}

CGPathStroker CGContext::Backend::lineStyle() const
{
    cairo_t* cr = m_cairo.get();
    CGPathStroker stroker;
    stroker.setLineWidth(cairo_get_line_width(cr));
    const cairo_line_cap_t cap = cairo_get_line_cap(cr);
    stroker.setLineCap(cap == CAIRO_LINE_CAP_ROUND ? kCGLineCapRound : cap == CAIRO_LINE_CAP_SQUARE ? kCGLineCapSquare : kCGLineCapButt);
    const cairo_line_join_t join = cairo_get_line_join(cr);
    stroker.setLineJoin(join == CAIRO_LINE_JOIN_ROUND ? kCGLineJoinRound : join == CAIRO_LINE_JOIN_BEVEL ? kCGLineJoinBevel : kCGLineJoinMiter);
    stroker.setMiterLimit(cairo_get_miter_limit(cr));
    const int dashCount = cairo_get_dash_count(cr);
    if (dashCount > 0) {
        std::vector<double> dashes(static_cast<std::size_t>(dashCount));
        double phase = 0;
        cairo_get_dash(cr, dashes.data(), &phase);
        stroker.setDash(phase, std::move(dashes));
    }
    return stroker;
}

void CGContext::Backend::beginPath() { cairo_new_path(m_cairo.get()); }

bool CGContext::Backend::hasCurrentPoint() const { return cairo_has_current_point(m_cairo.get()); }

CGPoint CGContext::Backend::currentPoint() const
{
    double x, y;
    cairo_get_current_point(m_cairo.get(), &x, &y);
    return { x, y };
}

void CGContext::Backend::moveTo(CGPoint point) { cairo_move_to(m_cairo.get(), point.x, point.y); }

void CGContext::Backend::lineTo(CGPoint point) { cairo_line_to(m_cairo.get(), point.x, point.y); }

void CGContext::Backend::curveTo(CGPoint control1, CGPoint control2, CGPoint point)
{
    cairo_curve_to(m_cairo.get(), control1.x, control1.y, control2.x, control2.y, point.x, point.y);
}

void CGContext::Backend::closePath() { cairo_close_path(m_cairo.get()); }

CGMutablePathRef CGContext::Backend::copyPath() const
{
    auto path = CGPathCreateMutable();
    CairoPath copy(cairo_copy_path(m_cairo.get()));
    if (!copy || copy->status != CAIRO_STATUS_SUCCESS)
        return path;
    for (int i = 0; i < copy->num_data; i += copy->data[i].header.length) {
        const cairo_path_data_t* d = &copy->data[i];
        switch (d->header.type) {
        case CAIRO_PATH_MOVE_TO:
            path->moveTo({ d[1].point.x, d[1].point.y });
            break;
        case CAIRO_PATH_LINE_TO:
            path->lineTo({ d[1].point.x, d[1].point.y });
            break;
        case CAIRO_PATH_CURVE_TO:
            path->curveTo({ d[1].point.x, d[1].point.y }, { d[2].point.x, d[2].point.y }, { d[3].point.x, d[3].point.y });
            break;
        case CAIRO_PATH_CLOSE_PATH:
            path->closeSubpath();
            break;
        }
    }
    return path;
}

bool CGContext::Backend::pathContains(CGPoint point, CGPathDrawingMode mode)
{
    cairo_t* cr = m_cairo.get();
    const bool evenOdd = mode == kCGPathEOFill || mode == kCGPathEOFillStroke;
    cairo_set_fill_rule(cr, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    const bool fills = mode != kCGPathStroke;
    const bool strokes = mode == kCGPathStroke || mode == kCGPathFillStroke || mode == kCGPathEOFillStroke;
    return (fills && cairo_in_fill(cr, point.x, point.y)) || (strokes && cairo_in_stroke(cr, point.x, point.y));
}

namespace {

void strokeCurrentPath(const CGContext::Backend& context, cairo_t* cr)
{
    context.setSourceToStrokeColor(cr);
    const double width = cairo_get_line_width(cr);
    if (width > 0) {
        cairo_stroke(cr);
        return;
    }
    // A zero width draws the thinnest line the device can show.
    double dx = 1, dy = 0;
    cairo_device_to_user_distance(cr, &dx, &dy);
    cairo_set_line_width(cr, std::hypot(dx, dy));
    cairo_stroke(cr);
    cairo_set_line_width(cr, 0);
}

} // namespace

void CGContext::Backend::drawPath(CGPathDrawingMode mode)
{
    drawWithEffects([&](cairo_t* cr) {
        const bool evenOdd = mode == kCGPathEOFill || mode == kCGPathEOFillStroke;
        cairo_set_fill_rule(cr, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
        if (mode == kCGPathStroke) {
            strokeCurrentPath(*this, cr);
            return;
        }
        setSourceToFillColor(cr);
        if (mode == kCGPathFill || mode == kCGPathEOFill) {
            cairo_fill(cr);
            return;
        }
        cairo_fill_preserve(cr);
        strokeCurrentPath(*this, cr);
    });
    cairo_new_path(m_cairo.get());
}

void CGContext::Backend::clearRect(CGRect rect)
{
    cairo_t* cr = m_cairo.get();
    PathKeeper keep(cr);
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_rectangle(cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_fill(cr);
    cairo_restore(cr);
    didDraw();
}

void CGContext::Backend::clip(bool evenOdd)
{
    cairo_set_fill_rule(m_cairo.get(), evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    cairo_clip(m_cairo.get());
}

void CGContext::Backend::clipToRects(const CGRect* rects, std::size_t count)
{
    cairo_t* cr = m_cairo.get();
    PathKeeper keep(cr);
    cairo_new_path(cr);
    for (std::size_t i = 0; i < count; ++i) {
        const CGRect r = CGRectStandardize(rects[i]);
        if (!CGRectIsNull(r))
            cairo_rectangle(cr, r.origin.x, r.origin.y, r.size.width, r.size.height);
    }
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_clip(cr);
}

CGRect CGContext::Backend::clipBoundingBox() const
{
    double x1, y1, x2, y2;
    cairo_clip_extents(m_cairo.get(), &x1, &y1, &x2, &y2);
    if (x2 <= x1 || y2 <= y1)
        return CGRectNull;
    return CGRectMake(x1, y1, x2 - x1, y2 - y1);
}
