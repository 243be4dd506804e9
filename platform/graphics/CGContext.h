#pragma once
// Drawing contexts on Cairo. The Cairo context's matrix always equals the CTM followed by the
// context's base transform, which turns the platform's device space (pixels, origin at the
// bottom left) into Cairo's (pixels, origin at the top left). Contexts made for UIKit-style
// drawing start with a CTM that scales and flips, as the platform's do, so the CTM a caller
// reads includes the screen scale and pixel snapping through device space works.
//
// Cairo knows no shadows, separate fill and stroke colours or mask clips; this class adds them.
// Platform code that draws with Cairo directly (text, layer compositing) goes through
// cairoContext() and drawWithEffects(), so that shadow, alpha and masks apply to it too.

#include "platform/graphics/CGGradient.h"
#include "platform/graphics/CGImage.h"
#include "platform/graphics/CGPath.h"
#include "platform/graphics/CairoHandles.h"

#include <cstdint>
#include <functional>
#include <vector>

enum CGBlendMode : std::int32_t {
    kCGBlendModeNormal,
    kCGBlendModeMultiply,
    kCGBlendModeScreen,
    kCGBlendModeOverlay,
    kCGBlendModeDarken,
    kCGBlendModeLighten,
    kCGBlendModeColorDodge,
    kCGBlendModeColorBurn,
    kCGBlendModeSoftLight,
    kCGBlendModeHardLight,
    kCGBlendModeDifference,
    kCGBlendModeExclusion,
    kCGBlendModeHue,
    kCGBlendModeSaturation,
    kCGBlendModeColor,
    kCGBlendModeLuminosity,
    kCGBlendModeClear,
    kCGBlendModeCopy,
    kCGBlendModeSourceIn,
    kCGBlendModeSourceOut,
    kCGBlendModeSourceAtop,
    kCGBlendModeDestinationOver,
    kCGBlendModeDestinationIn,
    kCGBlendModeDestinationOut,
    kCGBlendModeDestinationAtop,
    kCGBlendModeXOR,
    kCGBlendModePlusDarker,
    kCGBlendModePlusLighter,
};

enum CGInterpolationQuality : std::int32_t {
    kCGInterpolationDefault = 0,
    kCGInterpolationNone = 1,
    kCGInterpolationLow = 2,
    kCGInterpolationMedium = 4,
    kCGInterpolationHigh = 3,
};

enum CGPathDrawingMode : std::int32_t {
    kCGPathFill,
    kCGPathEOFill,
    kCGPathStroke,
    kCGPathFillStroke,
    kCGPathEOFillStroke,
};

enum CGTextDrawingMode : std::int32_t {
    kCGTextFill,
    kCGTextStroke,
    kCGTextFillStroke,
    kCGTextInvisible,
    kCGTextFillClip,
    kCGTextStrokeClip,
    kCGTextFillStrokeClip,
    kCGTextClip,
};

class CGContext : public NSObject {
    NS_OBJECT(CGContext, NSObject)
public:
    ~CGContext() override;

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

    // Cairo's view of this context, for platform code only; its matrix is the CTM in pixels.
    cairo_t* cairoContext() const { return m_cairo.get(); }
    cairo_surface_t* cairoSurface() const { return m_surface.get(); }
    // Device pixels per point of the context's base space: the scale shadows are measured in.
    CGFloat deviceScale() const { return m_deviceScale; }
    CGSize deviceSize() const { return m_deviceSize; }

    const GState& state() const { return m_states.back(); }
    GState& state() { return m_states.back(); }
    void saveGState();
    void restoreGState();

    CGAffineTransform ctm() const { return state().ctm; }
    void setCTM(CGAffineTransform ctm);
    // User space to Cairo's device space (top-left origin).
    CGAffineTransform cairoTransform() const;
    CGAffineTransform userToDeviceTransform() const { return state().ctm; }

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

    CGAffineTransform textMatrix() const { return m_textMatrix; }
    void setTextMatrix(CGAffineTransform matrix) { m_textMatrix = matrix; }

    // Bitmap contexts over foreign memory copy their pixels out after each drawing.
    virtual void didDraw() { }

protected:
    void init(cairo_surface_t* surface, CGSize deviceSize, CGAffineTransform initialCTM, CGFloat deviceScale);
    void resetState(CGAffineTransform initialCTM);

private:
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

using CGContextRef = std::shared_ptr<CGContext>;

inline CGContextRef CGContextRetain(const CGContextRef& context) { return context; }
inline void CGContextRelease(const CGContextRef&) { }
void CGContextFlush(const CGContextRef& c);

void CGContextSaveGState(const CGContextRef& c);
void CGContextRestoreGState(const CGContextRef& c);

CGAffineTransform CGContextGetCTM(const CGContextRef& c);
void CGContextConcatCTM(const CGContextRef& c, CGAffineTransform transform);
void CGContextTranslateCTM(const CGContextRef& c, CGFloat tx, CGFloat ty);
void CGContextScaleCTM(const CGContextRef& c, CGFloat sx, CGFloat sy);
void CGContextRotateCTM(const CGContextRef& c, CGFloat angle);
CGAffineTransform CGContextGetUserSpaceToDeviceSpaceTransform(const CGContextRef& c);
CGPoint CGContextConvertPointToDeviceSpace(const CGContextRef& c, CGPoint point);
CGPoint CGContextConvertPointToUserSpace(const CGContextRef& c, CGPoint point);
CGSize CGContextConvertSizeToDeviceSpace(const CGContextRef& c, CGSize size);
CGSize CGContextConvertSizeToUserSpace(const CGContextRef& c, CGSize size);
// Bounding boxes of the converted rectangle: standardised, as on the platform.
CGRect CGContextConvertRectToDeviceSpace(const CGContextRef& c, CGRect rect);
CGRect CGContextConvertRectToUserSpace(const CGContextRef& c, CGRect rect);

void CGContextSetLineWidth(const CGContextRef& c, CGFloat width);
void CGContextSetLineCap(const CGContextRef& c, CGLineCap cap);
void CGContextSetLineJoin(const CGContextRef& c, CGLineJoin join);
void CGContextSetMiterLimit(const CGContextRef& c, CGFloat limit);
// An empty or null array turns dashing off.
void CGContextSetLineDash(const CGContextRef& c, CGFloat phase, const CGFloat* lengths, std::size_t count);
void CGContextSetFlatness(const CGContextRef& c, CGFloat flatness);
void CGContextSetAlpha(const CGContextRef& c, CGFloat alpha);
void CGContextSetBlendMode(const CGContextRef& c, CGBlendMode mode);
void CGContextSetShouldAntialias(const CGContextRef& c, bool shouldAntialias);
void CGContextSetAllowsAntialiasing(const CGContextRef& c, bool allowsAntialiasing);
void CGContextSetInterpolationQuality(const CGContextRef& c, CGInterpolationQuality quality);
CGInterpolationQuality CGContextGetInterpolationQuality(const CGContextRef& c);

void CGContextSetFillColorWithColor(const CGContextRef& c, const CGColorRef& color);
void CGContextSetStrokeColorWithColor(const CGContextRef& c, const CGColorRef& color);
void CGContextSetRGBFillColor(const CGContextRef& c, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
void CGContextSetRGBStrokeColor(const CGContextRef& c, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
void CGContextSetGrayFillColor(const CGContextRef& c, CGFloat gray, CGFloat alpha);
void CGContextSetGrayStrokeColor(const CGContextRef& c, CGFloat gray, CGFloat alpha);
void CGContextSetFillColor(const CGContextRef& c, const CGFloat* components);
void CGContextSetStrokeColor(const CGContextRef& c, const CGFloat* components);

// Offset and blur are in base space, unaffected by the CTM; a positive height moves the shadow
// down the picture. A nil colour, or zero offset and blur, turns shadows off.
void CGContextSetShadowWithColor(const CGContextRef& c, CGSize offset, CGFloat blur, const CGColorRef& color);
// Black at one third alpha.
void CGContextSetShadow(const CGContextRef& c, CGSize offset, CGFloat blur);

void CGContextBeginPath(const CGContextRef& c);
void CGContextMoveToPoint(const CGContextRef& c, CGFloat x, CGFloat y);
void CGContextAddLineToPoint(const CGContextRef& c, CGFloat x, CGFloat y);
void CGContextAddCurveToPoint(const CGContextRef& c, CGFloat cp1x, CGFloat cp1y, CGFloat cp2x, CGFloat cp2y, CGFloat x, CGFloat y);
void CGContextAddQuadCurveToPoint(const CGContextRef& c, CGFloat cpx, CGFloat cpy, CGFloat x, CGFloat y);
void CGContextClosePath(const CGContextRef& c);
void CGContextAddRect(const CGContextRef& c, CGRect rect);
void CGContextAddRects(const CGContextRef& c, const CGRect* rects, std::size_t count);
void CGContextAddLines(const CGContextRef& c, const CGPoint* points, std::size_t count);
void CGContextAddEllipseInRect(const CGContextRef& c, CGRect rect);
void CGContextAddArc(const CGContextRef& c, CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle, CGFloat endAngle, int clockwise);
void CGContextAddArcToPoint(const CGContextRef& c, CGFloat x1, CGFloat y1, CGFloat x2, CGFloat y2, CGFloat radius);
void CGContextAddPath(const CGContextRef& c, const CGPathRef& path);
// The current path in user space.
CGPathRef CGContextCopyPath(const CGContextRef& c);
void CGContextReplacePathWithStrokedPath(const CGContextRef& c);
bool CGContextIsPathEmpty(const CGContextRef& c);
CGPoint CGContextGetPathCurrentPoint(const CGContextRef& c);
CGRect CGContextGetPathBoundingBox(const CGContextRef& c);
bool CGContextPathContainsPoint(const CGContextRef& c, CGPoint point, CGPathDrawingMode mode);

void CGContextDrawPath(const CGContextRef& c, CGPathDrawingMode mode);
void CGContextFillPath(const CGContextRef& c);
void CGContextEOFillPath(const CGContextRef& c);
void CGContextStrokePath(const CGContextRef& c);
void CGContextFillRect(const CGContextRef& c, CGRect rect);
void CGContextFillRects(const CGContextRef& c, const CGRect* rects, std::size_t count);
void CGContextStrokeRect(const CGContextRef& c, CGRect rect);
void CGContextStrokeRectWithWidth(const CGContextRef& c, CGRect rect, CGFloat width);
void CGContextFillEllipseInRect(const CGContextRef& c, CGRect rect);
void CGContextStrokeEllipseInRect(const CGContextRef& c, CGRect rect);
void CGContextStrokeLineSegments(const CGContextRef& c, const CGPoint* points, std::size_t count);
// Makes the rectangle transparent, whatever the blend mode, alpha or shadow.
void CGContextClearRect(const CGContextRef& c, CGRect rect);

void CGContextClip(const CGContextRef& c);
void CGContextEOClip(const CGContextRef& c);
void CGContextClipToRect(const CGContextRef& c, CGRect rect);
void CGContextClipToRects(const CGContextRef& c, const CGRect* rects, std::size_t count);
// A gray image (or one with alpha) used as coverage: white or opaque paints, black or clear not.
void CGContextClipToMask(const CGContextRef& c, CGRect rect, const CGImageRef& mask);
CGRect CGContextGetClipBoundingBox(const CGContextRef& c);

// The upper row of the image goes to the rectangle's maximum y, as on the platform: in a
// flipped context that draws it upside down unless the caller flips back.
void CGContextDrawImage(const CGContextRef& c, CGRect rect, const CGImageRef& image);
// Copies of the image side by side over the whole clip, one of them in rect, each placed as
// CGContextDrawImage places it.
void CGContextDrawTiledImage(const CGContextRef& c, CGRect rect, const CGImageRef& image);
void CGContextDrawLinearGradient(const CGContextRef& c, const CGGradientRef& gradient, CGPoint startPoint,
    CGPoint endPoint, CGGradientDrawingOptions options);
void CGContextDrawRadialGradient(const CGContextRef& c, const CGGradientRef& gradient, CGPoint startCenter,
    CGFloat startRadius, CGPoint endCenter, CGFloat endRadius, CGGradientDrawingOptions options);

void CGContextBeginTransparencyLayer(const CGContextRef& c, const void* auxiliaryInfo);
void CGContextBeginTransparencyLayerWithRect(const CGContextRef& c, CGRect rect, const void* auxiliaryInfo);
void CGContextEndTransparencyLayer(const CGContextRef& c);

void CGContextSetTextMatrix(const CGContextRef& c, CGAffineTransform matrix);
CGAffineTransform CGContextGetTextMatrix(const CGContextRef& c);
void CGContextSetTextPosition(const CGContextRef& c, CGFloat x, CGFloat y);
CGPoint CGContextGetTextPosition(const CGContextRef& c);
void CGContextSetTextDrawingMode(const CGContextRef& c, CGTextDrawingMode mode);
void CGContextSetCharacterSpacing(const CGContextRef& c, CGFloat spacing);
