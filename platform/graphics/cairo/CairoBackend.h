#pragma once
// The Cairo half of contexts and images, for the platform's back-end code only (graphics, text
// and layers draw through it); nothing outside platform/ includes this header.
//
// The Cairo context's matrix always equals the CTM followed by the context's base transform,
// which turns the platform's device space (pixels, origin at the bottom left) into Cairo's
// (pixels, origin at the top left). Cairo knows no shadows, separate fill and stroke colours or
// mask clips; the back end adds them. Code that draws with Cairo directly goes through
// drawWithEffects(), so that shadow, alpha and masks apply to it too.

#include "platform/graphics/CGBitmapContext.h"
#include "platform/graphics/CGPathStroker.h"
#include "platform/graphics/cairo/CairoHandles.h"

#include <functional>
#include <mutex>
#include <vector>

class CGContext::Backend {
public:
    // The state the platform keeps beside Cairo's own (line style, clip and matrix live in Cairo).
    struct GState {
        CGAffineTransform ctm;
        std::array<CGFloat, 4> fillColor { 0, 0, 0, 1 };
        std::array<CGFloat, 4> strokeColor { 0, 0, 0, 1 };
        CGColorRef fillColorRef;
        CGColorRef strokeColorRef;
        CGFloat alpha { 1 };
        CGBlendMode blendMode { kCGBlendModeNormal };
        CGSize shadowOffset;
        CGFloat shadowBlur { 0 };
        std::array<CGFloat, 4> shadowColor { 0, 0, 0, 0 };
        bool shouldAntialias { true };
        bool allowsAntialiasing { true };
        CGInterpolationQuality interpolationQuality { kCGInterpolationDefault };
        CGTextDrawingMode textDrawingMode { kCGTextFill };
        CGFloat characterSpacing { 0 };
        // Device-space coverage of every mask clip so far, multiplied together.
        std::shared_ptr<cairo_surface_t> mask;
    };

    Backend(cairo_surface_t* surface, CGSize deviceSize, CGAffineTransform initialCTM, CGFloat deviceScale);
    Backend(const Backend&) = delete;
    Backend& operator=(const Backend&) = delete;

    // The matrix of this Cairo context is the CTM in pixels.
    cairo_t* cairoContext() const { return m_cairo.get(); }
    cairo_surface_t* cairoSurface() const { return m_surface.get(); }
    CGFloat deviceScale() const { return m_deviceScale; }
    CGSize deviceSize() const { return m_deviceSize; }

    const GState& state() const { return m_states.back(); }
    GState& state() { return m_states.back(); }
    void saveGState();
    void restoreGState();
    void resetState(CGAffineTransform initialCTM);

    CGAffineTransform ctm() const { return state().ctm; }
    void setCTM(CGAffineTransform ctm);
    // User space to Cairo's device space (top-left origin).
    CGAffineTransform cairoTransform() const;
    CGAffineTransform userToDeviceTransform() const { return state().ctm; }
    CGAffineTransform textMatrix() const { return m_textMatrix; }
    void setTextMatrix(CGAffineTransform matrix) { m_textMatrix = matrix; }

    // Sources carrying the state's colour and alpha.
    void setSourceToFillColor(cairo_t* cairo) const;
    void setSourceToStrokeColor(cairo_t* cairo) const;
    // Runs draw on this context with the state's shadow and mask applied. draw must paint with the
    // state's alpha itself (the sources above include it), may be run twice (once for the
    // shadow, on another Cairo context) and must consume the current path if it uses it.
    void drawWithEffects(const std::function<void(cairo_t*)>& draw, bool castsShadow = true);

    void beginTransparencyLayer(CGRect bounds, bool bounded);
    void endTransparencyLayer();
    void clipToMask(CGRect rect, const CGImageRef& mask);
    void drawImage(CGRect rect, const CGImageRef& image);
    // Repeats the image over the whole clip, one copy in tile and the others beside it.
    void drawTiledImage(CGRect tile, const CGImageRef& image);
    // As drawImage, for a Cairo image surface (ARGB32, RGB24 or A8) the caller owns.
    void drawSurface(CGRect rect, cairo_surface_t* surface, cairo_filter_t filter = CAIRO_FILTER_GOOD);
    void drawLinearGradient(const CGGradientRef& gradient, CGPoint start, CGPoint end, CGGradientDrawingOptions options);
    void drawRadialGradient(const CGGradientRef& gradient, CGPoint startCentre, CGFloat startRadius, CGPoint endCentre,
        CGFloat endRadius, CGGradientDrawingOptions options);
    void appendPath(const CGPath& path);
    // Runs build on a path that starts at the current point (in user space), then appends it.
    void appendBuiltPath(const std::function<void(const CGMutablePathRef&)>& build);
    void applyAntialias();

    // What the C interface asks of Cairo itself; it has checked the values it passes.
    void flush();
    double lineWidth() const;
    void setLineWidth(double width);
    void setLineCap(CGLineCap cap);
    void setLineJoin(CGLineJoin join);
    void setMiterLimit(double limit);
    // Lengths none of which is positive, or with one negative or not finite, turn dashing off.
    void setLineDash(double phase, const std::vector<double>& lengths);
    void setFlatness(double flatness);
    void setBlendMode(CGBlendMode mode);
    // A stroker that draws lines as this context's line style does.
    CGPathStroker lineStyle() const;
    // The current path, in user space.
    void beginPath();
    bool hasCurrentPoint() const;
    CGPoint currentPoint() const;
    void moveTo(CGPoint point);
    void lineTo(CGPoint point);
    void curveTo(CGPoint control1, CGPoint control2, CGPoint point);
    void closePath();
    CGMutablePathRef copyPath() const;
    bool pathContains(CGPoint point, CGPathDrawingMode mode);
    // Fills, strokes or both with the state's colours and effects; the path is used up.
    void drawPath(CGPathDrawingMode mode);
    // Makes the rectangle's pixels transparent; the current path stays.
    void clearRect(CGRect rect);
    // Narrows the clip to the current path, which is used up.
    void clip(bool evenOdd);
    // Narrows the clip to the rectangles' union (null ones add nothing); the current path stays.
    void clipToRects(const CGRect* rects, std::size_t count);
    // In user space; null when the clip leaves nothing.
    CGRect clipBoundingBox() const;

    // Tells the context that owns this half that pixels changed.
    void didDraw() const
    {
        if (m_owner)
            m_owner->didDraw();
    }

private:
    friend class CGContext;
    struct Layer {
        std::size_t stateDepth { 0 };
    };
    // A blurred shadow coverage and the coverage it came from: a layer that moves by whole
    // pixels, or is composited again unchanged, casts the same shadow without blurring again.
    struct BlurredShadow {
        double blur { 0 };
        int width { 0 };
        int height { 0 };
        std::vector<unsigned char> source;
        CairoSurface blurred;
        std::uint64_t lastUse { 0 };
    };
    void drawShadow(const std::function<void(cairo_t*)>& draw);
    // Blurs coverage in place, or hands back an earlier blur of the same pixels.
    cairo_surface_t* blurredShadow(cairo_surface_t* coverage, double blur);
    cairo_rectangle_int_t deviceClipExtents() const;

    CGContext* m_owner { nullptr };
    CairoSurface m_surface;
    CairoContext m_cairo;
    CGSize m_deviceSize;
    CGFloat m_deviceScale { 1 };
    std::vector<GState> m_states { GState {} };
    std::vector<Layer> m_layers;
    CGAffineTransform m_textMatrix;
    std::vector<BlurredShadow> m_blurredShadows;
    std::uint64_t m_shadowUses { 0 };
};

class CGImage::Backend {
public:
    // The bytes the image was made from, if any; the surface is made from them on first use.
    CGDataProviderRef createdFrom;
    // Or what makes the pixels (a decoder), run on first use and then let go.
    std::function<CairoSurface()> deferred;
    std::once_flag once;
    CairoSurface surface;
};

// A back end for a context drawing into the surface, whose pixels are deviceSize.
CGContext::BackendPointer CGContextMakeCairoBackend(cairo_surface_t* surface, CGSize deviceSize,
    CGAffineTransform initialCTM, CGFloat deviceScale);
// A context drawing into the surface, whose pixels are deviceSize; its CTM starts as given.
CGContextRef CGContextCreateWithCairoSurface(cairo_surface_t* surface, CGSize deviceSize, CGAffineTransform initialCTM,
    CGFloat deviceScale);

// The image's pixels as a Cairo surface: premultiplied ARGB32 (A8 for alpha-only images), owned
// by the image; null when it could not be made.
cairo_surface_t* CGImageGetCairoSurface(const CGImage& image);
// An image holding a copy of the surface's pixels, described by the given layout.
CGImageRef CGImageCreateWithCairoSurface(cairo_surface_t* surface, CGColorSpaceRef space, CGBitmapInfo info,
    bool shouldInterpolate = true);
// An image of the size whose pixels produce makes (ARGB32, the size given) when they are first
// drawn or read, then kept as CGImageCreateWithCairoSurface keeps a copy; pixels it cannot make
// read as transparent.
CGImageRef CGImageCreateDeferred(std::size_t width, std::size_t height, CGColorSpaceRef space, CGBitmapInfo info,
    std::function<CairoSurface()> produce);

// The Cairo format that holds pixels of the layout.
cairo_format_t CGPixelFormatCairoFormat(const CGPixelFormat& format);
