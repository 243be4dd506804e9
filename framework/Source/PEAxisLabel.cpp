#include "framework/Source/PEAxisLabel.h"

#include "framework/Source/NSCoder_PEExtensions.h"
#include "framework/Source/PELayer.h"
#include "framework/Source/PETextLayer.h"
#include "framework/Source/PEUtilities.h"
#include "platform/foundation/NSException.h"

#include <cmath>
#include <numbers>

std::shared_ptr<PEAxisLabel> PEAxisLabel::labelWithText(const NSString& text, const std::shared_ptr<PETextStyle>& style)
{
    return create(std::static_pointer_cast<PELayer>(PETextLayer::create(text, style)));
}

bool PEAxisLabel::init(const std::shared_ptr<PELayer>& layer)
{
    if (!layer)
        return false;
    m_contentLayer = layer;
    m_tickLocation = PEDecimalWithInt(0);
    return true;
}

void PEAxisLabel::positionRelativeToViewPoint(CGPoint point, PECoordinate coordinate, PESign direction)
{
    if (!m_contentLayer)
        return;
    CGFloat rotation = m_rotation;
    if (std::isnan(rotation))
        rotation = coordinate == PECoordinateX ? std::numbers::pi / 2 : 0;
    m_contentLayer->setTransform(CATransform3DMakeRotation(rotation, 0, 0, 1));
    CGSize size = m_contentLayer->frame().size;

    CGPoint position = point;
    CGFloat* along = coordinate == PECoordinateX ? &position.x : &position.y;
    switch (direction) {
    case PESignPositive:
        *along += m_offset;
        break;
    case PESignNegative:
    case PESignNone:
        *along -= m_offset;
        break;
    default:
        NSException::raise(NSInvalidArgumentException, "Invalid direction in positionRelativeToViewPoint:forCoordinate:inDirection:");
    }

    CGFloat angle;
    switch (coordinate) {
    case PECoordinateY:
        angle = direction == PESignPositive ? 3 * std::numbers::pi / 2 : std::numbers::pi / 2;
        if (m_alignment == PEAlignmentLeft)
            position.x += size.width / 2;
        else if (m_alignment == PEAlignmentRight)
            position.x -= size.width / 2;
        break;
    case PECoordinateX:
        angle = direction == PESignPositive ? std::numbers::pi : 2 * std::numbers::pi;
        if (m_alignment == PEAlignmentTop)
            position.y -= size.height / 2;
        else if (m_alignment == PEAlignmentBottom)
            position.y += size.height / 2;
        break;
    default:
        NSException::raise(NSInvalidArgumentException, "Invalid coordinate in positionRelativeToViewPoint:forCoordinate:inDirection:");
    }

    CGFloat a = angle - rotation;
    CGFloat s = std::sin(a);
    CGFloat k = std::cos(a);
    CGPoint anchor;
    if (std::abs(k) > std::abs(s)) {
        anchor.x = std::signbit(k) ? -1.0 : 1.0;
        anchor.y = s / std::abs(k);
    } else {
        anchor.x = k / std::abs(s);
        anchor.y = std::signbit(s) ? -1.0 : 1.0;
    }
    m_contentLayer->setAnchorPoint(CGPoint { (anchor.x + 1) * 0.5, (anchor.y + 1) * 0.5 });
    m_contentLayer->setPosition(position);
    m_contentLayer->pixelAlign();
}

void PEAxisLabel::positionBetweenViewPoint(CGPoint first, CGPoint second, PECoordinate coordinate, PESign direction)
{
    positionRelativeToViewPoint(CGPoint { (first.x + second.x) * 0.5, (first.y + second.y) * 0.5 }, coordinate, direction);
}

bool PEAxisLabel::isEqual(const id& other) const
{
    if (other.get() == this)
        return true;
    // Only labels of the very same class: a label never equals a title.
    auto label = std::dynamic_pointer_cast<const PEAxisLabel>(other);
    if (!label || std::string_view(label->className()) != className())
        return false;
    return PEDecimalIsEqual(m_tickLocation, label->m_tickLocation);
}

NSUInteger PEAxisLabel::hashOfDouble(double value)
{
    if (!std::isfinite(value))
        return 0;
    return static_cast<NSUInteger>(std::fmod(std::abs(value), 18446744073709551616.0));
}

NSUInteger PEAxisLabel::hash() const
{
    return hashOfDouble(PEDecimalAsDouble(m_tickLocation));
}

NSString PEAxisLabel::description() const
{
    return NSString::stringWithFormat("<%@ {%@}>", NSObject::description(), m_contentLayer ? m_contentLayer->description() : NSString("(null)"));
}

void PEAxisLabel::encodeWithCoder(NSCoder& coder) const
{
    coder.encodeObject(m_contentLayer, "PEAxisLabel.contentLayer");
    NSCoder_PEExtensions::encodeCGFloat(coder, m_offset, "PEAxisLabel.offset");
    NSCoder_PEExtensions::encodeCGFloat(coder, m_rotation, "PEAxisLabel.rotation");
    coder.encodeInt(m_alignment, "PEAxisLabel.alignment");
    NSCoder_PEExtensions::encodeDecimal(coder, m_tickLocation, "PEAxisLabel.tickLocation");
}

bool PEAxisLabel::init(NSCoder& coder)
{
    m_contentLayer = coder.decodeObjectOfClass<PELayer>("PEAxisLabel.contentLayer");
    if (!m_contentLayer)
        return false;
    m_offset = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "PEAxisLabel.offset");
    m_rotation = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "PEAxisLabel.rotation");
    int alignment = coder.decodeIntForKey("PEAxisLabel.alignment");
    m_alignment = alignment >= PEAlignmentLeft && alignment <= PEAlignmentBottom ? static_cast<PEAlignment>(alignment) : PEAlignmentCenter;
    m_tickLocation = NSCoder_PEExtensions::decodeDecimalForKey(coder, "PEAxisLabel.tickLocation");
    return true;
}
