#include "platform/layers/CAShapeLayer.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSNumber.h"

#include <algorithm>
#include <cmath>

namespace {

double doubleOf(const id& value)
{
    auto n = ns::cast<NSNumber>(value);
    return n ? n->doubleValue() : 0;
}

const char* const shapeKeys[] = { "path", "fillColor", "strokeColor", "strokeStart", "strokeEnd", "lineWidth", "miterLimit",
    "lineDashPhase" };

} // namespace

void CAShapeLayer::init(const CALayer& layer)
{
    super::init(layer);
    if (auto shape = dynamic_cast<const CAShapeLayer*>(&layer))
        m_shapeProperties = shape->m_shapeProperties;
}

void CAShapeLayer::setPath(const CGPathRef& path) { changeAnimatable(m_shapeProperties.path, path, "path"); }
void CAShapeLayer::setFillColor(const CGColorRef& color) { changeAnimatable(m_shapeProperties.fillColor, color, "fillColor"); }
void CAShapeLayer::setStrokeColor(const CGColorRef& color) { changeAnimatable(m_shapeProperties.strokeColor, color, "strokeColor"); }
void CAShapeLayer::setStrokeStart(CGFloat start) { changeAnimatable(m_shapeProperties.strokeStart, start, "strokeStart"); }
void CAShapeLayer::setStrokeEnd(CGFloat end) { changeAnimatable(m_shapeProperties.strokeEnd, end, "strokeEnd"); }
void CAShapeLayer::setLineWidth(CGFloat width) { changeAnimatable(m_shapeProperties.lineWidth, width, "lineWidth"); }
void CAShapeLayer::setMiterLimit(CGFloat limit) { changeAnimatable(m_shapeProperties.miterLimit, limit, "miterLimit"); }
void CAShapeLayer::setLineDashPhase(CGFloat phase) { changeAnimatable(m_shapeProperties.lineDashPhase, phase, "lineDashPhase"); }

void CAShapeLayer::setFillRule(const NSString& rule)
{
    NSAssertMainThread();
    if (m_shapeProperties.fillRule == rule)
        return;
    m_shapeProperties.fillRule = rule;
    setNeedsComposite();
}

void CAShapeLayer::setLineCap(const NSString& cap)
{
    NSAssertMainThread();
    if (m_shapeProperties.lineCap == cap)
        return;
    m_shapeProperties.lineCap = cap;
    setNeedsComposite();
}

void CAShapeLayer::setLineJoin(const NSString& join)
{
    NSAssertMainThread();
    if (m_shapeProperties.lineJoin == join)
        return;
    m_shapeProperties.lineJoin = join;
    setNeedsComposite();
}

void CAShapeLayer::setLineDashPattern(std::vector<CGFloat> pattern)
{
    NSAssertMainThread();
    if (m_shapeProperties.lineDashPattern == pattern)
        return;
    m_shapeProperties.lineDashPattern = std::move(pattern);
    setNeedsComposite();
}

id CAShapeLayer::valueForKey(const NSString& key) const
{
    const std::string k = key.UTF8String();
    if (k == "path") return std::const_pointer_cast<CGPath>(m_shapeProperties.path);
    if (k == "fillColor") return m_shapeProperties.fillColor;
    if (k == "strokeColor") return m_shapeProperties.strokeColor;
    if (k == "strokeStart") return NSNumber::numberWithDouble(m_shapeProperties.strokeStart);
    if (k == "strokeEnd") return NSNumber::numberWithDouble(m_shapeProperties.strokeEnd);
    if (k == "lineWidth") return NSNumber::numberWithDouble(m_shapeProperties.lineWidth);
    if (k == "miterLimit") return NSNumber::numberWithDouble(m_shapeProperties.miterLimit);
    if (k == "lineDashPhase") return NSNumber::numberWithDouble(m_shapeProperties.lineDashPhase);
    return super::valueForKey(key);
}

void CAShapeLayer::setValue(const id& value, const NSString& key)
{
    NSAssertMainThread();
    const std::string k = key.UTF8String();
    if (k == "path") return setPath(ns::cast<CGPath>(value));
    if (k == "fillColor") return setFillColor(ns::cast<CGColor>(value));
    if (k == "strokeColor") return setStrokeColor(ns::cast<CGColor>(value));
    if (k == "strokeStart") return setStrokeStart(doubleOf(value));
    if (k == "strokeEnd") return setStrokeEnd(doubleOf(value));
    if (k == "lineWidth") return setLineWidth(doubleOf(value));
    if (k == "miterLimit") return setMiterLimit(doubleOf(value));
    if (k == "lineDashPhase") return setLineDashPhase(doubleOf(value));
    super::setValue(value, key);
}

id CAShapeLayer::defaultActionForKey(const NSString& key) const
{
    const std::string k = key.UTF8String();
    if (std::any_of(std::begin(shapeKeys), std::end(shapeKeys), [&](const char* name) { return k == name; }))
        return implicitAnimationForKey(key);
    return super::defaultActionForKey(key);
}

CGPathRef CAShapeLayer::strokedPortion() const
{
    const CGFloat start = std::clamp(std::min(m_shapeProperties.strokeStart, m_shapeProperties.strokeEnd), CGFloat(0), CGFloat(1));
    const CGFloat end = std::clamp(std::max(m_shapeProperties.strokeStart, m_shapeProperties.strokeEnd), CGFloat(0), CGFloat(1));
    if (start <= 0 && end >= 1)
        return m_shapeProperties.path;
    if (end <= start)
        return nullptr;
    auto polylines = m_shapeProperties.path->flatten(0.05);
    for (auto& polyline : polylines)
        if (polyline.closed && !polyline.points.empty())
            polyline.points.push_back(polyline.points.front());
    CGFloat total = 0;
    for (const auto& polyline : polylines)
        for (std::size_t i = 1; i < polyline.points.size(); ++i)
            total += std::hypot(polyline.points[i].x - polyline.points[i - 1].x, polyline.points[i].y - polyline.points[i - 1].y);
    if (total <= 0)
        return nullptr;
    const CGFloat from = start * total, to = end * total;
    auto portion = CGPath::create();
    CGFloat walked = 0;
    for (const auto& polyline : polylines) {
        bool drawing = false;
        for (std::size_t i = 1; i < polyline.points.size(); ++i) {
            const CGPoint a = polyline.points[i - 1], b = polyline.points[i];
            const CGFloat length = std::hypot(b.x - a.x, b.y - a.y);
            const CGFloat segmentStart = walked, segmentEnd = walked + length;
            walked = segmentEnd;
            if (length <= 0 || segmentEnd <= from || segmentStart >= to)
                continue;
            auto at = [&](CGFloat distance) {
                const CGFloat t = std::clamp((distance - segmentStart) / length, CGFloat(0), CGFloat(1));
                return CGPoint { a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t };
            };
            if (!drawing) {
                portion->moveTo(at(std::max(from, segmentStart)));
                drawing = true;
            }
            portion->lineTo(at(std::min(to, segmentEnd)));
        }
    }
    return portion;
}

CGRect CAShapeLayer::vectorContentBounds() const
{
    if (!m_shapeProperties.path || m_shapeProperties.path->isEmpty())
        return CGRectNull;
    // Miter joins reach furthest: half the width times the limit.
    const CGFloat reach = m_shapeProperties.lineWidth / 2 * std::max(CGFloat(1), m_shapeProperties.miterLimit) + 1;
    return CGRectInset(CGPathGetBoundingBox(m_shapeProperties.path), -reach, -reach);
}

void CAShapeLayer::drawVectorContent(const CGContextRef& c) const
{
    drawVectorContentStep(c, 0);
    drawVectorContentStep(c, 1);
}

void CAShapeLayer::drawVectorContentStep(const CGContextRef& c, int step) const
{
    if (!m_shapeProperties.path || m_shapeProperties.path->isEmpty())
        return;
    if (step == 0) {
        if (!m_shapeProperties.fillColor || m_shapeProperties.fillColor->alpha() <= 0)
            return;
        CGContextSetFillColorWithColor(c, m_shapeProperties.fillColor);
        CGContextAddPath(c, m_shapeProperties.path);
        if (m_shapeProperties.fillRule == kCAFillRuleEvenOdd)
            CGContextEOFillPath(c);
        else
            CGContextFillPath(c);
        return;
    }
    if (!m_shapeProperties.strokeColor || m_shapeProperties.strokeColor->alpha() <= 0 || !(m_shapeProperties.lineWidth > 0))
        return;
    const CGPathRef stroked = strokedPortion();
    if (!stroked)
        return;
    c->saveGState();
    CGContextSetStrokeColorWithColor(c, m_shapeProperties.strokeColor);
    CGContextSetLineWidth(c, m_shapeProperties.lineWidth);
    CGContextSetMiterLimit(c, m_shapeProperties.miterLimit);
    CGContextSetLineCap(c, m_shapeProperties.lineCap == kCALineCapRound ? kCGLineCapRound : m_shapeProperties.lineCap == kCALineCapSquare ? kCGLineCapSquare : kCGLineCapButt);
    CGContextSetLineJoin(c, m_shapeProperties.lineJoin == kCALineJoinRound ? kCGLineJoinRound : m_shapeProperties.lineJoin == kCALineJoinBevel ? kCGLineJoinBevel : kCGLineJoinMiter);
    CGContextSetLineDash(c, m_shapeProperties.lineDashPhase, m_shapeProperties.lineDashPattern.data(), m_shapeProperties.lineDashPattern.size());
    CGContextAddPath(c, stroked);
    CGContextStrokePath(c);
    c->restoreGState();
}
