#include "framework/Source/PEGradient.h"

#include "framework/Source/PEColor.h"
#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSNumber.h"
#include "platform/graphics/CGColorSpace.h"
#include "platform/graphics/CGGradient.h"

#include <algorithm>
#include <cmath>
#include <numbers>

std::shared_ptr<PEGradient> PEGradient::gradientWithBeginningColor(const std::shared_ptr<PEColor>& begin, const std::shared_ptr<PEColor>& end)
{
    auto gradient = create();
    gradient->m_stops.push_back({ begin, 0.0 });
    gradient->m_stops.push_back({ end, 1.0 });
    return gradient;
}

id PEGradient::copy() const
{
    auto gradient = create();
    gradient->m_stops = m_stops;
    gradient->m_angle = m_angle;
    return gradient;
}

std::shared_ptr<PEGradient> PEGradient::addColorStop(const std::shared_ptr<PEColor>& color, CGFloat position) const
{
    auto gradient = std::static_pointer_cast<PEGradient>(copy());
    ColorStop stop { color, position };
    auto place = std::upper_bound(gradient->m_stops.begin(), gradient->m_stops.end(), position,
        [](CGFloat value, const ColorStop& existing) { return value < existing.position; });
    gradient->m_stops.insert(place, stop);
    return gradient;
}

bool PEGradient::isEqual(const id& other) const
{
    if (other.get() == this)
        return true;
    auto gradient = std::dynamic_pointer_cast<const PEGradient>(other);
    if (!gradient || gradient->m_angle != m_angle || gradient->m_stops.size() != m_stops.size())
        return false;
    for (std::size_t i = 0; i < m_stops.size(); ++i) {
        if (m_stops[i].position != gradient->m_stops[i].position || !ns::isEqual(m_stops[i].color, gradient->m_stops[i].color))
            return false;
    }
    return true;
}

void PEGradient::endPointsInRect(CGRect rect, CGPoint& start, CGPoint& end) const
{
    rect = CGRectStandardize(rect);
    CGFloat radians = m_angle * std::numbers::pi / 180.0;
    CGFloat dx = std::cos(radians);
    CGFloat dy = std::sin(radians);
    // Half the extent of the rectangle along the direction, so that the first stop touches one
    // corner and the last the opposite one.
    CGFloat half = 0.5 * (std::abs(rect.size.width * dx) + std::abs(rect.size.height * dy));
    CGPoint centre { CGRectGetMidX(rect), CGRectGetMidY(rect) };
    start = CGPoint { centre.x - dx * half, centre.y - dy * half };
    end = CGPoint { centre.x + dx * half, centre.y + dy * half };
}

void PEGradient::drawInRect(CGRect rect, const CGContextRef& context) const
{
    if (m_stops.empty())
        return;
    std::vector<CGColorRef> colors;
    std::vector<CGFloat> locations;
    for (const auto& stop : m_stops) {
        colors.push_back(stop.color ? stop.color->cgColor() : CGColorCreateGenericRGB(0, 0, 0, 0));
        locations.push_back(stop.position);
    }
    if (colors.size() == 1) {
        colors.push_back(colors.front());
        locations.push_back(1.0);
    }
    CGGradientRef gradient = CGGradientCreateWithColors(CGColorSpaceCreateDeviceRGB(), colors, locations.data());
    CGPoint start, end;
    endPointsInRect(rect, start, end);
    CGContextDrawLinearGradient(context, gradient, start, end, kCGGradientDrawsBeforeStartLocation | kCGGradientDrawsAfterEndLocation);
}

void PEGradient::fillRect(CGRect rect, const CGContextRef& context) const
{
    if (!context)
        return;
    CGContextSaveGState(context);
    CGContextClipToRect(context, rect);
    drawInRect(rect, context);
    CGContextRestoreGState(context);
}

void PEGradient::fillPathInContext(const CGContextRef& context) const
{
    if (!context || CGContextIsPathEmpty(context))
        return;
    CGRect box = CGContextGetPathBoundingBox(context);
    CGContextSaveGState(context);
    CGContextClip(context);
    drawInRect(box, context);
    CGContextRestoreGState(context);
}

void PEGradient::encodeWithCoder(NSCoder& coder) const
{
    std::vector<id> colors;
    std::vector<id> positions;
    for (const auto& stop : m_stops) {
        colors.push_back(stop.color);
        positions.push_back(NSNumber::numberWithDouble(stop.position));
    }
    if (!coder.allowsKeyedCoding()) {
        coder.encodeObject(NSArray::create(colors));
        coder.encodeObject(NSArray::create(positions));
        CGFloat angle = m_angle;
        coder.encodeValueOfObjCType("d", &angle);
        return;
    }
    coder.encodeObject(NSArray::create(colors), "PEGradient.colors");
    coder.encodeObject(NSArray::create(positions), "PEGradient.positions");
    coder.encodeDouble(m_angle, "PEGradient.angle");
}

bool PEGradient::init(NSCoder& coder)
{
    const bool keyed = coder.allowsKeyedCoding();
    auto colors = keyed ? coder.decodeObjectOfClass<NSArray>("PEGradient.colors") : ns::cast<NSArray>(coder.decodeObject());
    auto positions = keyed ? coder.decodeObjectOfClass<NSArray>("PEGradient.positions") : ns::cast<NSArray>(coder.decodeObject());
    if (colors && positions) {
        for (NSUInteger i = 0; i < std::min(colors->count(), positions->count()); ++i) {
            auto position = ns::cast<NSNumber>(positions->objectAtIndex(i));
            double value = position ? position->doubleValue() : 0;
            if (!std::isfinite(value))
                return false;
            m_stops.push_back({ ns::cast<PEColor>(colors->objectAtIndex(i)), value });
        }
    }
    if (keyed)
        m_angle = coder.decodeDoubleForKey("PEGradient.angle");
    else
        coder.decodeValueOfObjCType("d", &m_angle, sizeof m_angle);
    return std::isfinite(m_angle);
}
