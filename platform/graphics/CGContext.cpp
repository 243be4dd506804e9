#include "platform/graphics/cairo/CairoBackend.h"

#include <algorithm>
#include <cmath>
#include <vector>

CGContext::~CGContext() = default;

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

// The platform's C interface. Every function accepts a nil context and does nothing.

void CGContextFlush(const CGContextRef& c)
{
    if (c)
        c->backend().flush();
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
        c->backend().setLineWidth(width);
}

void CGContextSetLineCap(const CGContextRef& c, CGLineCap cap)
{
    if (c)
        c->backend().setLineCap(cap);
}

void CGContextSetLineJoin(const CGContextRef& c, CGLineJoin join)
{
    if (c)
        c->backend().setLineJoin(join);
}

void CGContextSetMiterLimit(const CGContextRef& c, CGFloat limit)
{
    if (c && std::isfinite(limit))
        c->backend().setMiterLimit(std::max(CGFloat(1), limit));
}

void CGContextSetLineDash(const CGContextRef& c, CGFloat phase, const CGFloat* lengths, std::size_t count)
{
    if (c)
        c->backend().setLineDash(phase, std::vector<double>(lengths, lengths + (lengths ? count : 0)));
}

void CGContextSetFlatness(const CGContextRef& c, CGFloat flatness)
{
    if (c && flatness > 0 && std::isfinite(flatness))
        c->backend().setFlatness(flatness);
}

void CGContextSetAlpha(const CGContextRef& c, CGFloat alpha)
{
    if (c && !std::isnan(alpha))
        c->backend().state().alpha = std::clamp(alpha, CGFloat(0), CGFloat(1));
}

void CGContextSetBlendMode(const CGContextRef& c, CGBlendMode mode)
{
    if (c)
        c->backend().setBlendMode(mode);
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
        c->backend().beginPath();
}

void CGContextMoveToPoint(const CGContextRef& c, CGFloat x, CGFloat y)
{
    if (c)
        c->backend().moveTo({ x, y });
}

void CGContextAddLineToPoint(const CGContextRef& c, CGFloat x, CGFloat y)
{
    if (c && c->backend().hasCurrentPoint())
        c->backend().lineTo({ x, y });
}

void CGContextAddCurveToPoint(const CGContextRef& c, CGFloat cp1x, CGFloat cp1y, CGFloat cp2x, CGFloat cp2y, CGFloat x, CGFloat y)
{
    if (c && c->backend().hasCurrentPoint())
        c->backend().curveTo({ cp1x, cp1y }, { cp2x, cp2y }, { x, y });
}

void CGContextAddQuadCurveToPoint(const CGContextRef& c, CGFloat cpx, CGFloat cpy, CGFloat x, CGFloat y)
{
    if (c)
        c->backend().appendBuiltPath([&](const CGMutablePathRef& p) { CGPathAddQuadCurveToPoint(p, nullptr, cpx, cpy, x, y); });
}

void CGContextClosePath(const CGContextRef& c)
{
    if (c && c->backend().hasCurrentPoint())
        c->backend().closePath();
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
    return c ? c->backend().copyPath() : CGPathCreateMutable();
}

void CGContextReplacePathWithStrokedPath(const CGContextRef& c)
{
    if (!c)
        return;
    const auto outline = c->backend().lineStyle().strokedPath(*CGContextCopyPath(c));
    c->backend().beginPath();
    c->backend().appendPath(*outline);
}

bool CGContextIsPathEmpty(const CGContextRef& c)
{
    return !c || !c->backend().hasCurrentPoint();
}

CGPoint CGContextGetPathCurrentPoint(const CGContextRef& c)
{
    if (CGContextIsPathEmpty(c))
        return CGPointZero;
    return c->backend().currentPoint();
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
    return c->backend().pathContains(point, mode);
}

void CGContextDrawPath(const CGContextRef& c, CGPathDrawingMode mode)
{
    if (c)
        c->backend().drawPath(mode);
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
    const double previous = c->backend().lineWidth();
    CGContextSetLineWidth(c, width);
    CGContextStrokeRect(c, rect);
    c->backend().setLineWidth(previous);
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
    c->backend().clearRect(CGRectStandardize(rect));
}

void CGContextClip(const CGContextRef& c)
{
    if (c)
        c->backend().clip(false);
}

void CGContextEOClip(const CGContextRef& c)
{
    if (c)
        c->backend().clip(true);
}

void CGContextClipToRect(const CGContextRef& c, CGRect rect)
{
    CGContextClipToRects(c, &rect, 1);
}

void CGContextClipToRects(const CGContextRef& c, const CGRect* rects, std::size_t count)
{
    if (!c || !rects)
        return;
    c->backend().clipToRects(rects, count);
}

void CGContextClipToMask(const CGContextRef& c, CGRect rect, const CGImageRef& mask)
{
    if (c)
        c->backend().clipToMask(rect, mask);
}

CGRect CGContextGetClipBoundingBox(const CGContextRef& c)
{
    return c ? c->backend().clipBoundingBox() : CGRectNull;
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
