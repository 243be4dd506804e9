#include "framework/Source/PEColor.h"

#include "platform/uikit/UIColor.h"

#include <cmath>

namespace {

std::shared_ptr<PEColor> sharedGray(CGFloat gray)
{
    return PEColor::colorWithGenericGray(gray);
}

} // namespace

std::shared_ptr<PEColor> PEColor::blackColor()
{
    static const auto color = sharedGray(0.0);
    return color;
}

std::shared_ptr<PEColor> PEColor::whiteColor()
{
    static const auto color = sharedGray(1.0);
    return color;
}

std::shared_ptr<PEColor> PEColor::lightGrayColor()
{
    static const auto color = sharedGray(2.0 / 3.0);
    return color;
}

std::shared_ptr<PEColor> PEColor::grayColor()
{
    static const auto color = sharedGray(0.5);
    return color;
}

std::shared_ptr<PEColor> PEColor::darkGrayColor()
{
    static const auto color = sharedGray(1.0 / 3.0);
    return color;
}

std::shared_ptr<PEColor> PEColor::clearColor()
{
    static const auto color = colorWithComponentRed(0, 0, 0, 0);
    return color;
}

std::shared_ptr<PEColor> PEColor::redColor() { return colorWithComponentRed(1, 0, 0, 1); }
std::shared_ptr<PEColor> PEColor::blueColor() { return colorWithComponentRed(0, 0, 1, 1); }

std::shared_ptr<PEColor> PEColor::colorWithGenericGray(CGFloat gray)
{
    return colorWithComponentRed(gray, gray, gray, 1.0);
}

std::shared_ptr<PEColor> PEColor::colorWithComponentRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
    return create(CGColorCreateGenericRGB(red, green, blue, alpha));
}

std::shared_ptr<PEColor> PEColor::colorWithCGColor(const CGColorRef& color)
{
    return create(color);
}

std::shared_ptr<PEColor> PEColor::colorWithAlphaComponent(CGFloat alpha) const
{
    return create(m_color ? CGColorCreateCopyWithAlpha(m_color, alpha) : CGColorCreateGenericRGB(0, 0, 0, alpha));
}

std::shared_ptr<UIColor> PEColor::uiColor() const
{
    return m_color ? UIColor::colorWithCGColor(m_color) : nullptr;
}

CGFloat PEColor::alpha() const { return m_color ? CGColorGetAlpha(m_color) : 0; }

bool PEColor::isEqual(const id& other) const
{
    if (other.get() == this)
        return true;
    auto color = std::dynamic_pointer_cast<const PEColor>(other);
    return color && CGColorEqualToColor(m_color, color->m_color);
}

NSUInteger PEColor::hash() const
{
    if (!m_color)
        return 0;
    NSUInteger result = 0;
    const CGFloat* components = CGColorGetComponents(m_color);
    for (std::size_t i = 0; i < CGColorGetNumberOfComponents(m_color); ++i)
        result = result * 31 + static_cast<NSUInteger>(std::lround(components[i] * 255.0));
    return result;
}

NSString PEColor::description() const
{
    if (!m_color)
        return "<PEColor nil>";
    const CGFloat* c = CGColorGetComponents(m_color);
    if (CGColorGetNumberOfComponents(m_color) >= 4)
        return NSString::stringWithFormat("<PEColor %g %g %g %g>", c[0], c[1], c[2], c[3]);
    return NSString::stringWithFormat("<PEColor gray %g>", c[0]);
}

void PEColor::encodeWithCoder(NSCoder& coder) const
{
    CGFloat components[4] { 0, 0, 0, 0 };
    if (m_color) {
        const CGFloat* source = CGColorGetComponents(m_color);
        std::size_t count = CGColorGetNumberOfComponents(m_color);
        if (count >= 4) {
            for (int i = 0; i < 4; ++i)
                components[i] = source[i];
        } else if (count == 2) {
            components[0] = components[1] = components[2] = source[0];
            components[3] = source[1];
        }
    }
    if (!coder.allowsKeyedCoding()) {
        for (CGFloat& component : components)
            coder.encodeValueOfObjCType("d", &component);
        return;
    }
    coder.encodeDouble(components[0], "PEColor.red");
    coder.encodeDouble(components[1], "PEColor.green");
    coder.encodeDouble(components[2], "PEColor.blue");
    coder.encodeDouble(components[3], "PEColor.alpha");
}

bool PEColor::init(NSCoder& coder)
{
    if (!coder.allowsKeyedCoding()) {
        CGFloat components[4];
        for (CGFloat& component : components)
            coder.decodeValueOfObjCType("d", &component, sizeof component);
        m_color = CGColorCreateGenericRGB(components[0], components[1], components[2], components[3]);
        return true;
    }
    m_color = CGColorCreateGenericRGB(coder.decodeDoubleForKey("PEColor.red"), coder.decodeDoubleForKey("PEColor.green"),
        coder.decodeDoubleForKey("PEColor.blue"), coder.decodeDoubleForKey("PEColor.alpha"));
    return true;
}
