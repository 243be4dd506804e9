#include "framework/Source/PEShadow.h"

#include "framework/Source/NSCoder_PEExtensions.h"
#include "framework/Source/PEColor.h"
#include "framework/Source/PEExceptions.h"
#include "framework/Source/PEMutableShadow.h"

#include <cmath>

namespace {

// Beyond a screen's size a blur or offset shows nothing more, but the blur's cost grows with the
// square of its margin: a decoded shadow past this bound is refused.
constexpr CGFloat maximumDecodedShadowExtent = 1024;

} // namespace

void PEShadow::setShadowBlurRadius(CGFloat radius)
{
    if (!(radius >= 0.0))
        PEParameterAssertionFailed("newShadowBlurRadius >= 0.0");
    m_shadowBlurRadius = radius;
}

void PEShadow::setShadowInContext(const CGContextRef& context) const
{
    if (!context)
        return;
    const auto& color = shadowColor();
    CGContextSetShadowWithColor(context, shadowOffset(), shadowBlurRadius(), color ? color->cgColor() : nullptr);
}

id PEShadow::copy() const
{
    auto shadow = PEShadow::create();
    shadow->m_shadowOffset = m_shadowOffset;
    shadow->m_shadowBlurRadius = m_shadowBlurRadius;
    shadow->m_shadowColor = m_shadowColor;
    return shadow;
}

id PEShadow::mutableCopy() const
{
    auto shadow = PEMutableShadow::create();
    shadow->m_shadowOffset = m_shadowOffset;
    shadow->m_shadowBlurRadius = m_shadowBlurRadius;
    shadow->m_shadowColor = m_shadowColor;
    return shadow;
}

void PEShadow::encodeWithCoder(NSCoder& coder) const
{
    NSCoder_PEExtensions::encodePESize(coder, m_shadowOffset, "PEShadow.shadowOffset");
    NSCoder_PEExtensions::encodeCGFloat(coder, m_shadowBlurRadius, "PEShadow.shadowBlurRadius");
    coder.encodeObject(m_shadowColor, "PEShadow.shadowColor");
}

bool PEShadow::init(NSCoder& coder)
{
    m_shadowOffset = NSCoder_PEExtensions::decodePESizeForKey(coder, "PEShadow.shadowOffset");
    CGFloat blur = NSCoder_PEExtensions::decodeCGFloatForKey(coder, "PEShadow.shadowBlurRadius");
    // The setter's precondition holds for decoded shadows too: a context never gets such a blur.
    if (!(blur >= 0.0) || !std::isfinite(m_shadowOffset.width) || !std::isfinite(m_shadowOffset.height))
        return false;
    if (blur > maximumDecodedShadowExtent || std::fabs(m_shadowOffset.width) > maximumDecodedShadowExtent
        || std::fabs(m_shadowOffset.height) > maximumDecodedShadowExtent)
        return false;
    m_shadowBlurRadius = blur;
    m_shadowColor = coder.decodeObjectOfClass<PEColor>("PEShadow.shadowColor");
    return true;
}
