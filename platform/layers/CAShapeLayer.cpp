#include "platform/layers/CAShapeLayer.h"

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
    if (auto shape = dynamic_cast<const CAShapeLayer*>(&layer)) {
        m_path = shape->m_path;
        m_fillColor = shape->m_fillColor;
        m_fillRule = shape->m_fillRule;
        m_strokeColor = shape->m_strokeColor;
        m_strokeStart = shape->m_strokeStart;
        m_strokeEnd = shape->m_strokeEnd;
        m_lineWidth = shape->m_lineWidth;
        m_miterLimit = shape->m_miterLimit;
        m_lineCap = shape->m_lineCap;
        m_lineJoin = shape->m_lineJoin;
        m_lineDashPhase = shape->m_lineDashPhase;
        m_lineDashPattern = shape->m_lineDashPattern;
    }
}

void CAShapeLayer::setPath(const CGPathRef& path) { changeAnimatable(m_path, path, "path"); }
void CAShapeLayer::setFillColor(const CGColorRef& color) { changeAnimatable(m_fillColor, color, "fillColor"); }
void CAShapeLayer::setStrokeColor(const CGColorRef& color) { changeAnimatable(m_strokeColor, color, "strokeColor"); }
void CAShapeLayer::setStrokeStart(CGFloat start) { changeAnimatable(m_strokeStart, start, "strokeStart"); }
void CAShapeLayer::setStrokeEnd(CGFloat end) { changeAnimatable(m_strokeEnd, end, "strokeEnd"); }
void CAShapeLayer::setLineWidth(CGFloat width) { changeAnimatable(m_lineWidth, width, "lineWidth"); }
void CAShapeLayer::setMiterLimit(CGFloat limit) { changeAnimatable(m_miterLimit, limit, "miterLimit"); }
void CAShapeLayer::setLineDashPhase(CGFloat phase) { changeAnimatable(m_lineDashPhase, phase, "lineDashPhase"); }

void CAShapeLayer::setFillRule(const NSString& rule)
{
    if (m_fillRule == rule)
        return;
    m_fillRule = rule;
    setNeedsComposite();
}

void CAShapeLayer::setLineCap(const NSString& cap)
{
    if (m_lineCap == cap)
        return;
    m_lineCap = cap;
    setNeedsComposite();
}

void CAShapeLayer::setLineJoin(const NSString& join)
{
    if (m_lineJoin == join)
        return;
    m_lineJoin = join;
    setNeedsComposite();
}

void CAShapeLayer::setLineDashPattern(std::vector<CGFloat> pattern)
{
    if (m_lineDashPattern == pattern)
        return;
    m_lineDashPattern = std::move(pattern);
    setNeedsComposite();
}

id CAShapeLayer::valueForKey(const NSString& key) const
{
    const std::string k = key.UTF8String();
    if (k == "path") return std::const_pointer_cast<CGPath>(m_path);
    if (k == "fillColor") return m_fillColor;
    if (k == "strokeColor") return m_strokeColor;
    if (k == "strokeStart") return NSNumber::numberWithDouble(m_strokeStart);
    if (k == "strokeEnd") return NSNumber::numberWithDouble(m_strokeEnd);
    if (k == "lineWidth") return NSNumber::numberWithDouble(m_lineWidth);
    if (k == "miterLimit") return NSNumber::numberWithDouble(m_miterLimit);
    if (k == "lineDashPhase") return NSNumber::numberWithDouble(m_lineDashPhase);
    return super::valueForKey(key);
}

void CAShapeLayer::setValue(const id& value, const NSString& key)
{
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
    const CGFloat start = std::clamp(std::min(m_strokeStart, m_strokeEnd), CGFloat(0), CGFloat(1));
    const CGFloat end = std::clamp(std::max(m_strokeStart, m_strokeEnd), CGFloat(0), CGFloat(1));
    if (start <= 0 && end >= 1)
        return m_path;
    if (end <= start)
        return nullptr;
    auto polylines = m_path->flatten(0.05);
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
    if (!m_path || m_path->isEmpty())
        return CGRectNull;
    // Miter joins reach furthest: half the width times the limit.
    const CGFloat reach = m_lineWidth / 2 * std::max(CGFloat(1), m_miterLimit) + 1;
    return CGRectInset(CGPathGetBoundingBox(m_path), -reach, -reach);
}

void CAShapeLayer::drawVectorContent(const CGContextRef& c) const
{
    if (!m_path || m_path->isEmpty())
        return;
    if (m_fillColor && m_fillColor->alpha() > 0) {
        CGContextSetFillColorWithColor(c, m_fillColor);
        CGContextAddPath(c, m_path);
        if (m_fillRule == kCAFillRuleEvenOdd)
            CGContextEOFillPath(c);
        else
            CGContextFillPath(c);
    }
    if (!m_strokeColor || m_strokeColor->alpha() <= 0 || !(m_lineWidth > 0))
        return;
    const CGPathRef stroked = strokedPortion();
    if (!stroked)
        return;
    c->saveGState();
    CGContextSetStrokeColorWithColor(c, m_strokeColor);
    CGContextSetLineWidth(c, m_lineWidth);
    CGContextSetMiterLimit(c, m_miterLimit);
    CGContextSetLineCap(c, m_lineCap == kCALineCapRound ? kCGLineCapRound : m_lineCap == kCALineCapSquare ? kCGLineCapSquare : kCGLineCapButt);
    CGContextSetLineJoin(c, m_lineJoin == kCALineJoinRound ? kCGLineJoinRound : m_lineJoin == kCALineJoinBevel ? kCGLineJoinBevel : kCGLineJoinMiter);
    CGContextSetLineDash(c, m_lineDashPhase, m_lineDashPattern.data(), m_lineDashPattern.size());
    CGContextAddPath(c, stroked);
    CGContextStrokePath(c);
    c->restoreGState();
}
