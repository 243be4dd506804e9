#include "platform/layers/CAGradientLayer.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/layers/NSValueGeometry.h"

void CAGradientLayer::init(const CALayer& layer)
{
    super::init(layer);
    if (auto gradient = dynamic_cast<const CAGradientLayer*>(&layer))
        m_gradientProperties = gradient->m_gradientProperties;
}

void CAGradientLayer::setColors(std::vector<CGColorRef> colors)
{
    NSAssertMainThread();
    if (m_gradientProperties.colors == colors)
        return;
    m_gradientProperties.colors = std::move(colors);
    setNeedsComposite();
}

void CAGradientLayer::setLocations(std::vector<CGFloat> locations)
{
    NSAssertMainThread();
    if (m_gradientProperties.locations == locations)
        return;
    m_gradientProperties.locations = std::move(locations);
    setNeedsComposite();
}

void CAGradientLayer::setStartPoint(CGPoint point) { changeAnimatable(m_gradientProperties.startPoint, point, "startPoint"); }
void CAGradientLayer::setEndPoint(CGPoint point) { changeAnimatable(m_gradientProperties.endPoint, point, "endPoint"); }

id CAGradientLayer::valueForKey(const NSString& key) const
{
    const std::string k = key.UTF8String();
    if (k == "startPoint") return NSValueGeometry::valueWithCGPoint(m_gradientProperties.startPoint);
    if (k == "endPoint") return NSValueGeometry::valueWithCGPoint(m_gradientProperties.endPoint);
    return super::valueForKey(key);
}

void CAGradientLayer::setValue(const id& value, const NSString& key)
{
    NSAssertMainThread();
    const std::string k = key.UTF8String();
    if (k == "startPoint") return setStartPoint(NSValueGeometry::CGPointValue(value));
    if (k == "endPoint") return setEndPoint(NSValueGeometry::CGPointValue(value));
    super::setValue(value, key);
}

id CAGradientLayer::defaultActionForKey(const NSString& key) const
{
    const std::string k = key.UTF8String();
    if (k == "startPoint" || k == "endPoint")
        return implicitAnimationForKey(key);
    return super::defaultActionForKey(key);
}

void CAGradientLayer::drawVectorContent(const CGContextRef& c) const
{
    if (m_gradientProperties.colors.empty())
        return;
    std::vector<CGColorRef> colors;
    for (const auto& color : m_gradientProperties.colors)
        colors.push_back(color ? color : CGColorCreateGenericRGB(0, 0, 0, 0));
    if (colors.size() == 1)
        colors.push_back(colors.front());
    const bool locationsFit = m_gradientProperties.locations.size() == colors.size();
    const CGGradientRef gradient = CGGradientCreateWithColors(nullptr, colors, locationsFit ? m_gradientProperties.locations.data() : nullptr);
    if (!gradient)
        return;
    const CGRect b = bounds();
    const CGPoint start { b.origin.x + m_gradientProperties.startPoint.x * b.size.width, b.origin.y + m_gradientProperties.startPoint.y * b.size.height };
    const CGPoint end { b.origin.x + m_gradientProperties.endPoint.x * b.size.width, b.origin.y + m_gradientProperties.endPoint.y * b.size.height };
    c->saveGState();
    CGContextClipToRect(c, b);
    CGContextDrawLinearGradient(c, gradient, start, end, kCGGradientDrawsBeforeStartLocation | kCGGradientDrawsAfterEndLocation);
    c->restoreGState();
}
