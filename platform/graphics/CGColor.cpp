#include "platform/graphics/CGColor.h"

#include "platform/foundation/NSString.h"

#include <algorithm>

bool CGColor::init(CGColorSpaceRef space, std::vector<CGFloat> components)
{
    if (!space || space->numberOfComponents() == 0 || space->model() == kCGColorSpaceModelIndexed
        || components.size() != space->numberOfComponents() + 1)
        return false;
    m_space = std::move(space);
    m_components = std::move(components);
    return true;
}

std::array<CGFloat, 4> CGColor::rgba() const
{
    const auto clamp = [](CGFloat v) { return std::isnan(v) ? 0.0 : std::clamp(v, 0.0, 1.0); };
    const CGFloat a = clamp(alpha());
    switch (m_space->model()) {
    case kCGColorSpaceModelMonochrome:
        return { clamp(m_components[0]), clamp(m_components[0]), clamp(m_components[0]), a };
    case kCGColorSpaceModelCMYK: {
        const CGFloat k = clamp(m_components[3]);
        return { (1 - clamp(m_components[0])) * (1 - k), (1 - clamp(m_components[1])) * (1 - k),
            (1 - clamp(m_components[2])) * (1 - k), a };
    }
    default:
        return { clamp(m_components[0]), clamp(m_components[1]), clamp(m_components[2]), a };
    }
}

bool CGColor::isEqual(const id& other) const
{
    const auto color = ns::cast<CGColor>(other);
    return color && color->m_space->model() == m_space->model() && color->m_components == m_components;
}

NSUInteger CGColor::hash() const
{
    NSUInteger value = static_cast<NSUInteger>(m_space->model());
    for (CGFloat component : m_components)
        value = value * 31 + static_cast<NSUInteger>(component * 255);
    return value;
}

NSString CGColor::description() const
{
    std::string text = "<CGColor ";
    for (std::size_t i = 0; i < m_components.size(); ++i)
        text += (i ? " " : "") + std::to_string(m_components[i]);
    return text + ">";
}

CGColorRef CGColorCreate(const CGColorSpaceRef& space, const CGFloat* components)
{
    if (!space || !components)
        return nullptr;
    return CGColor::create(space, std::vector<CGFloat>(components, components + space->numberOfComponents() + 1));
}

CGColorRef CGColorCreateGenericRGB(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
    return CGColor::create(CGColorSpaceCreateDeviceRGB(), std::vector<CGFloat> { red, green, blue, alpha });
}

CGColorRef CGColorCreateGenericGray(CGFloat gray, CGFloat alpha)
{
    return CGColor::create(CGColorSpaceCreateDeviceGray(), std::vector<CGFloat> { gray, alpha });
}

CGColorRef CGColorCreateCopy(const CGColorRef& color) { return color; }

CGColorRef CGColorCreateCopyWithAlpha(const CGColorRef& color, CGFloat alpha)
{
    if (!color)
        return nullptr;
    std::vector<CGFloat> components = color->components();
    components.back() = alpha;
    return CGColor::create(color->colorSpace(), std::move(components));
}

bool CGColorEqualToColor(const CGColorRef& a, const CGColorRef& b)
{
    if (!a || !b)
        return a == b;
    return a->isEqual(b);
}

CGColorSpaceRef CGColorGetColorSpace(const CGColorRef& color) { return color ? color->colorSpace() : nullptr; }

std::size_t CGColorGetNumberOfComponents(const CGColorRef& color) { return color ? color->components().size() : 0; }

const CGFloat* CGColorGetComponents(const CGColorRef& color)
{
    return color ? color->components().data() : nullptr;
}

CGFloat CGColorGetAlpha(const CGColorRef& color) { return color ? color->alpha() : 0; }
