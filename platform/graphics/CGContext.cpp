#include "platform/graphics/cairo/CairoBackend.h"

#include "platform/graphics/CGPathStroker.h"
#include "platform/graphics/CGShadowBlur.h"

#include <algorithm>
#include <cstring>
#include <span>

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

CGContext::~CGContext() = default;

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

void CGContext::init(BackendPointer backend)
{
    m_backend = std::move(backend);
    m_backend->m_owner = this;
}

CGFloat CGContext::deviceScale() const { return m_backend->deviceScale(); }
CGSize CGContext::deviceSize() const { return m_backend->deviceSize(); }
void CGContext::saveGState() { m_backend->saveGState(); }
void CGContext::restoreGState() { m_backend->restoreGState(); }
CGAffineTransform CGContext::ctm() const { return m_backend->ctm(); }
void CGContext::setCTM(CGAffineTransform ctm) { m_backend->setCTM(ctm); }
CGAffineTransform CGContext::textMatrix() const { return m_backend->textMatrix(); }
void CGContext::setTextMatrix(CGAffineTransform matrix) { m_backend->setTextMatrix(matrix); }

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

// The platform's C interface. Every function accepts a nil context and does nothing.

void CGContextFlush(const CGContextRef& c)
{
    if (c)
        cairo_surface_flush(c->backend().cairoSurface());
}

void CGContextSaveGState(const CGContextRef& c)
{
    if (c)
        c->backend().saveGState();
}

void CGContextRestoreGState(const CGContextRef& c)
{
    if (c)
        c->backend().restoreGState();
}

CGAffineTransform CGContextGetCTM(const CGContextRef& c) { return c ? c->backend().ctm() : CGAffineTransformIdentity; }

void CGContextConcatCTM(const CGContextRef& c, CGAffineTransform transform)
{
    if (c)
        c->backend().setCTM(CGAffineTransformConcat(transform, c->backend().ctm()));
}

void CGContextTranslateCTM(const CGContextRef& c, CGFloat tx, CGFloat ty)
{
    CGContextConcatCTM(c, CGAffineTransformMakeTranslation(tx, ty));
}

void CGContextScaleCTM(const CGContextRef& c, CGFloat sx, CGFloat sy)
{
    CGContextConcatCTM(c, CGAffineTransformMakeScale(sx, sy));
}

void CGContextRotateCTM(const CGContextRef& c, CGFloat angle)
{
    CGContextConcatCTM(c, CGAffineTransformMakeRotation(angle));
}

CGAffineTransform CGContextGetUserSpaceToDeviceSpaceTransform(const CGContextRef& c)
{
    return c ? c->backend().userToDeviceTransform() : CGAffineTransformIdentity;
}

CGPoint CGContextConvertPointToDeviceSpace(const CGContextRef& c, CGPoint point)
{
    return CGPointApplyAffineTransform(point, CGContextGetUserSpaceToDeviceSpaceTransform(c));
}

CGPoint CGContextConvertPointToUserSpace(const CGContextRef& c, CGPoint point)
{
    return CGPointApplyAffineTransform(point, CGAffineTransformInvert(CGContextGetUserSpaceToDeviceSpaceTransform(c)));
}

CGSize CGContextConvertSizeToDeviceSpace(const CGContextRef& c, CGSize size)
{
    return CGSizeApplyAffineTransform(size, CGContextGetUserSpaceToDeviceSpaceTransform(c));
}

CGSize CGContextConvertSizeToUserSpace(const CGContextRef& c, CGSize size)
{
    return CGSizeApplyAffineTransform(size, CGAffineTransformInvert(CGContextGetUserSpaceToDeviceSpaceTransform(c)));
}

CGRect CGContextConvertRectToDeviceSpace(const CGContextRef& c, CGRect rect)
{
    return CGRectApplyAffineTransform(rect, CGContextGetUserSpaceToDeviceSpaceTransform(c));
}

CGRect CGContextConvertRectToUserSpace(const CGContextRef& c, CGRect rect)
{
    return CGRectApplyAffineTransform(rect, CGAffineTransformInvert(CGContextGetUserSpaceToDeviceSpaceTransform(c)));
}

void CGContextSetLineWidth(const CGContextRef& c, CGFloat width)
{
    if (c && width >= 0 && std::isfinite(width))
        cairo_set_line_width(c->backend().cairoContext(), width);
}

void CGContextSetLineCap(const CGContextRef& c, CGLineCap cap)
{
    if (!c)
        return;
    cairo_set_line_cap(c->backend().cairoContext(),
        cap == kCGLineCapRound ? CAIRO_LINE_CAP_ROUND : cap == kCGLineCapSquare ? CAIRO_LINE_CAP_SQUARE : CAIRO_LINE_CAP_BUTT);
}

void CGContextSetLineJoin(const CGContextRef& c, CGLineJoin join)
{
    if (!c)
        return;
    cairo_set_line_join(c->backend().cairoContext(),
        join == kCGLineJoinRound ? CAIRO_LINE_JOIN_ROUND : join == kCGLineJoinBevel ? CAIRO_LINE_JOIN_BEVEL : CAIRO_LINE_JOIN_MITER);
}

void CGContextSetMiterLimit(const CGContextRef& c, CGFloat limit)
{
    if (c && std::isfinite(limit))
        cairo_set_miter_limit(c->backend().cairoContext(), std::max(CGFloat(1), limit));
}

void CGContextSetLineDash(const CGContextRef& c, CGFloat phase, const CGFloat* lengths, std::size_t count)
{
    if (!c)
        return;
    std::vector<double> dashes(lengths, lengths + (lengths ? count : 0));
    const bool usable = !dashes.empty() && std::all_of(dashes.begin(), dashes.end(), [](double d) { return d >= 0 && std::isfinite(d); })
        && std::any_of(dashes.begin(), dashes.end(), [](double d) { return d > 0; });
    // Cairo puts a bad dash array into an error state for good; such arrays turn dashing off.
    cairo_set_dash(c->backend().cairoContext(), usable ? dashes.data() : nullptr, usable ? static_cast<int>(dashes.size()) : 0,
        std::isfinite(phase) ? phase : 0);
}

void CGContextSetFlatness(const CGContextRef& c, CGFloat flatness)
{
    if (c && flatness > 0 && std::isfinite(flatness))
        cairo_set_tolerance(c->backend().cairoContext(), std::clamp(flatness / 5, 0.01, 1.0));
}

void CGContextSetAlpha(const CGContextRef& c, CGFloat alpha)
{
    if (c && !std::isnan(alpha))
        c->backend().state().alpha = std::clamp(alpha, CGFloat(0), CGFloat(1));
}

void CGContextSetBlendMode(const CGContextRef& c, CGBlendMode mode)
{
    if (!c)
        return;
    c->backend().state().blendMode = mode;
    cairo_set_operator(c->backend().cairoContext(), operatorFor(mode));
}

void CGContextSetShouldAntialias(const CGContextRef& c, bool shouldAntialias)
{
    if (!c)
        return;
    c->backend().state().shouldAntialias = shouldAntialias;
    c->backend().applyAntialias();
}

void CGContextSetAllowsAntialiasing(const CGContextRef& c, bool allowsAntialiasing)
{
    if (!c)
        return;
    c->backend().state().allowsAntialiasing = allowsAntialiasing;
    c->backend().applyAntialias();
}

void CGContextSetInterpolationQuality(const CGContextRef& c, CGInterpolationQuality quality)
{
    if (c)
        c->backend().state().interpolationQuality = quality;
}

CGInterpolationQuality CGContextGetInterpolationQuality(const CGContextRef& c)
{
    return c ? c->backend().state().interpolationQuality : kCGInterpolationDefault;
}

void CGContextSetFillColorWithColor(const CGContextRef& c, const CGColorRef& color)
{
    if (!c)
        return;
    // A nil colour paints nothing.
    c->backend().state().fillColor = color ? color->rgba() : std::array<CGFloat, 4> { 0, 0, 0, 0 };
    c->backend().state().fillColorRef = color;
}

void CGContextSetStrokeColorWithColor(const CGContextRef& c, const CGColorRef& color)
{
    if (!c)
        return;
    c->backend().state().strokeColor = color ? color->rgba() : std::array<CGFloat, 4> { 0, 0, 0, 0 };
    c->backend().state().strokeColorRef = color;
}

void CGContextSetRGBFillColor(const CGContextRef& c, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
    CGContextSetFillColorWithColor(c, CGColorCreateGenericRGB(red, green, blue, alpha));
}

void CGContextSetRGBStrokeColor(const CGContextRef& c, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
    CGContextSetStrokeColorWithColor(c, CGColorCreateGenericRGB(red, green, blue, alpha));
}

void CGContextSetGrayFillColor(const CGContextRef& c, CGFloat gray, CGFloat alpha)
{
    CGContextSetFillColorWithColor(c, CGColorCreateGenericGray(gray, alpha));
}

void CGContextSetGrayStrokeColor(const CGContextRef& c, CGFloat gray, CGFloat alpha)
{
    CGContextSetStrokeColorWithColor(c, CGColorCreateGenericGray(gray, alpha));
}

void CGContextSetFillColor(const CGContextRef& c, const CGFloat* components)
{
    if (c && components) {
        const CGColorRef current = c->backend().state().fillColorRef;
        CGContextSetFillColorWithColor(c, CGColorCreate(current ? current->colorSpace() : CGColorSpaceCreateDeviceRGB(), components));
    }
}

void CGContextSetStrokeColor(const CGContextRef& c, const CGFloat* components)
{
    if (c && components) {
        const CGColorRef current = c->backend().state().strokeColorRef;
        CGContextSetStrokeColorWithColor(c, CGColorCreate(current ? current->colorSpace() : CGColorSpaceCreateDeviceRGB(), components));
    }
}

void CGContextSetShadowWithColor(const CGContextRef& c, CGSize offset, CGFloat blur, const CGColorRef& color)
{
    if (!c)
        return;
    auto& s = c->backend().state();
    s.shadowOffset = offset;
    s.shadowBlur = std::isfinite(blur) ? std::max(CGFloat(0), blur) : 0;
    s.shadowColor = color ? color->rgba() : std::array<CGFloat, 4> { 0, 0, 0, 0 };
}

void CGContextSetShadow(const CGContextRef& c, CGSize offset, CGFloat blur)
{
    CGContextSetShadowWithColor(c, offset, blur, CGColorCreateGenericGray(0, 1.0 / 3.0));
}

void CGContextBeginPath(const CGContextRef& c)
{
    if (c)
        cairo_new_path(c->backend().cairoContext());
}

void CGContextMoveToPoint(const CGContextRef& c, CGFloat x, CGFloat y)
{
    if (c)
        cairo_move_to(c->backend().cairoContext(), x, y);
}

void CGContextAddLineToPoint(const CGContextRef& c, CGFloat x, CGFloat y)
{
    if (c && cairo_has_current_point(c->backend().cairoContext()))
        cairo_line_to(c->backend().cairoContext(), x, y);
}

void CGContextAddCurveToPoint(const CGContextRef& c, CGFloat cp1x, CGFloat cp1y, CGFloat cp2x, CGFloat cp2y, CGFloat x, CGFloat y)
{
    if (c && cairo_has_current_point(c->backend().cairoContext()))
        cairo_curve_to(c->backend().cairoContext(), cp1x, cp1y, cp2x, cp2y, x, y);
}

void CGContextAddQuadCurveToPoint(const CGContextRef& c, CGFloat cpx, CGFloat cpy, CGFloat x, CGFloat y)
{
    if (c)
        c->backend().appendBuiltPath([&](const CGMutablePathRef& p) { CGPathAddQuadCurveToPoint(p, nullptr, cpx, cpy, x, y); });
}

void CGContextClosePath(const CGContextRef& c)
{
    if (c && cairo_has_current_point(c->backend().cairoContext()))
        cairo_close_path(c->backend().cairoContext());
}

void CGContextAddRect(const CGContextRef& c, CGRect rect)
{
    if (c)
        c->backend().appendPath(*CGPathCreateWithRect(rect, nullptr));
}

void CGContextAddRects(const CGContextRef& c, const CGRect* rects, std::size_t count)
{
    for (std::size_t i = 0; rects && i < count; ++i)
        CGContextAddRect(c, rects[i]);
}

void CGContextAddLines(const CGContextRef& c, const CGPoint* points, std::size_t count)
{
    if (c)
        c->backend().appendBuiltPath([&](const CGMutablePathRef& p) { CGPathAddLines(p, nullptr, points, count); });
}

void CGContextAddEllipseInRect(const CGContextRef& c, CGRect rect)
{
    if (c)
        c->backend().appendPath(*CGPathCreateWithEllipseInRect(rect, nullptr));
}

void CGContextAddArc(const CGContextRef& c, CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle, CGFloat endAngle, int clockwise)
{
    if (c)
        c->backend().appendBuiltPath([&](const CGMutablePathRef& p) { CGPathAddArc(p, nullptr, x, y, radius, startAngle, endAngle, clockwise != 0); });
}

void CGContextAddArcToPoint(const CGContextRef& c, CGFloat x1, CGFloat y1, CGFloat x2, CGFloat y2, CGFloat radius)
{
    if (c)
        c->backend().appendBuiltPath([&](const CGMutablePathRef& p) { CGPathAddArcToPoint(p, nullptr, x1, y1, x2, y2, radius); });
}

void CGContextAddPath(const CGContextRef& c, const CGPathRef& path)
{
    if (c && path)
        c->backend().appendPath(*path);
}

CGPathRef CGContextCopyPath(const CGContextRef& c)
{
    auto path = CGPathCreateMutable();
    if (!c)
        return path;
    CairoPath copy(cairo_copy_path(c->backend().cairoContext()));
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

void CGContextReplacePathWithStrokedPath(const CGContextRef& c)
{
    if (!c)
        return;
    cairo_t* cr = c->backend().cairoContext();
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
    const auto outline = stroker.strokedPath(*CGContextCopyPath(c));
    cairo_new_path(cr);
    c->backend().appendPath(*outline);
}

bool CGContextIsPathEmpty(const CGContextRef& c)
{
    return !c || !cairo_has_current_point(c->backend().cairoContext());
}

CGPoint CGContextGetPathCurrentPoint(const CGContextRef& c)
{
    if (CGContextIsPathEmpty(c))
        return CGPointZero;
    double x, y;
    cairo_get_current_point(c->backend().cairoContext(), &x, &y);
    return { x, y };
}

CGRect CGContextGetPathBoundingBox(const CGContextRef& c)
{
    if (CGContextIsPathEmpty(c))
        return CGRectNull;
    return CGPathGetBoundingBox(CGContextCopyPath(c));
}

bool CGContextPathContainsPoint(const CGContextRef& c, CGPoint point, CGPathDrawingMode mode)
{
    if (CGContextIsPathEmpty(c))
        return false;
    cairo_t* cr = c->backend().cairoContext();
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

void CGContextDrawPath(const CGContextRef& c, CGPathDrawingMode mode)
{
    if (!c)
        return;
    c->backend().drawWithEffects([&](cairo_t* cr) {
        const bool evenOdd = mode == kCGPathEOFill || mode == kCGPathEOFillStroke;
        cairo_set_fill_rule(cr, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
        if (mode == kCGPathStroke) {
            strokeCurrentPath(c->backend(), cr);
            return;
        }
        c->backend().setSourceToFillColor(cr);
        if (mode == kCGPathFill || mode == kCGPathEOFill) {
            cairo_fill(cr);
            return;
        }
        cairo_fill_preserve(cr);
        strokeCurrentPath(c->backend(), cr);
    });
    cairo_new_path(c->backend().cairoContext());
}

void CGContextFillPath(const CGContextRef& c) { CGContextDrawPath(c, kCGPathFill); }
void CGContextEOFillPath(const CGContextRef& c) { CGContextDrawPath(c, kCGPathEOFill); }
void CGContextStrokePath(const CGContextRef& c) { CGContextDrawPath(c, kCGPathStroke); }

void CGContextFillRect(const CGContextRef& c, CGRect rect)
{
    CGContextFillRects(c, &rect, 1);
}

void CGContextFillRects(const CGContextRef& c, const CGRect* rects, std::size_t count)
{
    if (!c || !rects)
        return;
    CGContextBeginPath(c);
    CGContextAddRects(c, rects, count);
    CGContextFillPath(c);
}

void CGContextStrokeRect(const CGContextRef& c, CGRect rect)
{
    if (!c)
        return;
    CGContextBeginPath(c);
    CGContextAddRect(c, rect);
    CGContextStrokePath(c);
}

void CGContextStrokeRectWithWidth(const CGContextRef& c, CGRect rect, CGFloat width)
{
    if (!c)
        return;
    cairo_t* cr = c->backend().cairoContext();
    const double previous = cairo_get_line_width(cr);
    CGContextSetLineWidth(c, width);
    CGContextStrokeRect(c, rect);
    cairo_set_line_width(cr, previous);
}

void CGContextFillEllipseInRect(const CGContextRef& c, CGRect rect)
{
    if (!c)
        return;
    CGContextBeginPath(c);
    CGContextAddEllipseInRect(c, rect);
    CGContextFillPath(c);
}

void CGContextStrokeEllipseInRect(const CGContextRef& c, CGRect rect)
{
    if (!c)
        return;
    CGContextBeginPath(c);
    CGContextAddEllipseInRect(c, rect);
    CGContextStrokePath(c);
}

void CGContextStrokeLineSegments(const CGContextRef& c, const CGPoint* points, std::size_t count)
{
    if (!c || !points)
        return;
    CGContextBeginPath(c);
    for (std::size_t i = 0; i + 1 < count; i += 2) {
        CGContextMoveToPoint(c, points[i].x, points[i].y);
        CGContextAddLineToPoint(c, points[i + 1].x, points[i + 1].y);
    }
    CGContextStrokePath(c);
}

void CGContextClearRect(const CGContextRef& c, CGRect rect)
{
    if (!c || CGRectIsNull(rect))
        return;
    cairo_t* cr = c->backend().cairoContext();
    PathKeeper keep(cr);
    rect = CGRectStandardize(rect);
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_rectangle(cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_fill(cr);
    cairo_restore(cr);
    c->backend().didDraw();
}

void CGContextClip(const CGContextRef& c)
{
    if (!c)
        return;
    cairo_set_fill_rule(c->backend().cairoContext(), CAIRO_FILL_RULE_WINDING);
    cairo_clip(c->backend().cairoContext());
}

void CGContextEOClip(const CGContextRef& c)
{
    if (!c)
        return;
    cairo_set_fill_rule(c->backend().cairoContext(), CAIRO_FILL_RULE_EVEN_ODD);
    cairo_clip(c->backend().cairoContext());
}

void CGContextClipToRect(const CGContextRef& c, CGRect rect)
{
    CGContextClipToRects(c, &rect, 1);
}

void CGContextClipToRects(const CGContextRef& c, const CGRect* rects, std::size_t count)
{
    if (!c || !rects)
        return;
    cairo_t* cr = c->backend().cairoContext();
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

void CGContextClipToMask(const CGContextRef& c, CGRect rect, const CGImageRef& mask)
{
    if (c)
        c->backend().clipToMask(rect, mask);
}

CGRect CGContextGetClipBoundingBox(const CGContextRef& c)
{
    if (!c)
        return CGRectNull;
    double x1, y1, x2, y2;
    cairo_clip_extents(c->backend().cairoContext(), &x1, &y1, &x2, &y2);
    if (x2 <= x1 || y2 <= y1)
        return CGRectNull;
    return CGRectMake(x1, y1, x2 - x1, y2 - y1);
}

void CGContextDrawImage(const CGContextRef& c, CGRect rect, const CGImageRef& image)
{
    if (c)
        c->backend().drawImage(rect, image);
}

void CGContextDrawTiledImage(const CGContextRef& c, CGRect rect, const CGImageRef& image)
{
    if (c)
        c->backend().drawTiledImage(CGRectStandardize(rect), image);
}

void CGContextDrawLinearGradient(const CGContextRef& c, const CGGradientRef& gradient, CGPoint startPoint,
    CGPoint endPoint, CGGradientDrawingOptions options)
{
    if (c)
        c->backend().drawLinearGradient(gradient, startPoint, endPoint, options);
}

void CGContextDrawRadialGradient(const CGContextRef& c, const CGGradientRef& gradient, CGPoint startCenter,
    CGFloat startRadius, CGPoint endCenter, CGFloat endRadius, CGGradientDrawingOptions options)
{
    if (c)
        c->backend().drawRadialGradient(gradient, startCenter, startRadius, endCenter, endRadius, options);
}

void CGContextBeginTransparencyLayer(const CGContextRef& c, const void*)
{
    if (c)
        c->backend().beginTransparencyLayer(CGRectNull, false);
}

void CGContextBeginTransparencyLayerWithRect(const CGContextRef& c, CGRect rect, const void*)
{
    if (c)
        c->backend().beginTransparencyLayer(rect, true);
}

void CGContextEndTransparencyLayer(const CGContextRef& c)
{
    if (c)
        c->backend().endTransparencyLayer();
}

void CGContextSetTextMatrix(const CGContextRef& c, CGAffineTransform matrix)
{
    if (c)
        c->backend().setTextMatrix(matrix);
}

CGAffineTransform CGContextGetTextMatrix(const CGContextRef& c) { return c ? c->backend().textMatrix() : CGAffineTransformIdentity; }

void CGContextSetTextPosition(const CGContextRef& c, CGFloat x, CGFloat y)
{
    if (!c)
        return;
    CGAffineTransform matrix = c->backend().textMatrix();
    matrix.tx = x;
    matrix.ty = y;
    c->backend().setTextMatrix(matrix);
}

CGPoint CGContextGetTextPosition(const CGContextRef& c)
{
    const CGAffineTransform matrix = CGContextGetTextMatrix(c);
    return { matrix.tx, matrix.ty };
}

void CGContextSetTextDrawingMode(const CGContextRef& c, CGTextDrawingMode mode)
{
    if (c)
        c->backend().state().textDrawingMode = mode;
}

void CGContextSetCharacterSpacing(const CGContextRef& c, CGFloat spacing)
{
    if (c)
        c->backend().state().characterSpacing = spacing;
}
