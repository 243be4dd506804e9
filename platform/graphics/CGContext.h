#pragma once
// Drawing contexts. Device space is in pixels with the origin at the bottom left. Contexts made
// for UIKit-style drawing start with a CTM that scales and flips, as the platform's do, so the
// CTM a caller reads includes the screen scale and pixel snapping through device space works.
// Shadows, alpha and mask clips apply to everything drawn, text and layers included.

#include "platform/graphics/CGGradient.h"
#include "platform/graphics/CGImage.h"
#include "platform/graphics/CGPath.h"

#include <cstdint>
#include <memory>
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

    // The drawing back end's half of the context (its state and surface). The type is complete
    // only inside the back end, which is all that may use it.
    class Backend;
    struct BackendDeleter {
        void operator()(Backend* backend) const;
    };
    using BackendPointer = std::unique_ptr<Backend, BackendDeleter>;
    Backend& backend() const { return *m_backend; }

    // Device pixels per point of the context's base space: the scale shadows are measured in.
    CGFloat deviceScale() const;
    CGSize deviceSize() const;

    void saveGState();
    void restoreGState();
    CGAffineTransform ctm() const;
    void setCTM(CGAffineTransform ctm);

    CGAffineTransform textMatrix() const;
    void setTextMatrix(CGAffineTransform matrix);

    // Bitmap contexts over foreign memory copy their pixels out after each drawing.
    virtual void didDraw() { }

protected:
    void init(BackendPointer backend);

private:
    BackendPointer m_backend;
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
