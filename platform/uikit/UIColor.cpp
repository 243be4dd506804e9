#include "platform/uikit/UIColor.h"

#include "platform/graphics/UIGraphics.h"

#include <algorithm>
#include <cmath>

namespace {

CGFloat clamp(CGFloat value) { return std::clamp(std::isnan(value) ? 0.0 : value, 0.0, 1.0); }

UIColorRef rgb(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha = 1)
{
    return UIColor::colorWithRed(red, green, blue, alpha);
}

UIColorRef gray(CGFloat white, CGFloat alpha = 1) { return UIColor::colorWithWhite(white, alpha); }

} // namespace

UIColorRef UIColor::colorWithRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
    return create(CGColorCreateGenericRGB(clamp(red), clamp(green), clamp(blue), clamp(alpha)));
}

UIColorRef UIColor::colorWithWhite(CGFloat white, CGFloat alpha)
{
    return create(CGColorCreateGenericGray(clamp(white), clamp(alpha)));
}

UIColorRef UIColor::colorWithHue(CGFloat hue, CGFloat saturation, CGFloat brightness, CGFloat alpha)
{
    hue = clamp(hue);
    saturation = clamp(saturation);
    brightness = clamp(brightness);
    const CGFloat sector = hue >= 1 ? 0 : hue * 6;
    const int index = static_cast<int>(std::floor(sector));
    const CGFloat fraction = sector - index;
    const CGFloat p = brightness * (1 - saturation);
    const CGFloat q = brightness * (1 - saturation * fraction);
    const CGFloat t = brightness * (1 - saturation * (1 - fraction));
    switch (index) {
    case 0: return colorWithRed(brightness, t, p, alpha);
    case 1: return colorWithRed(q, brightness, p, alpha);
    case 2: return colorWithRed(p, brightness, t, alpha);
    case 3: return colorWithRed(p, q, brightness, alpha);
    case 4: return colorWithRed(t, p, brightness, alpha);
    default: return colorWithRed(brightness, p, q, alpha);
    }
}

UIColorRef UIColor::colorWithCGColor(const CGColorRef& color)
{
    return color ? create(color) : nullptr;
}

UIColorRef UIColor::clearColor() { static const auto color = gray(0, 0); return color; }
UIColorRef UIColor::blackColor() { static const auto color = gray(0); return color; }
UIColorRef UIColor::whiteColor() { static const auto color = gray(1); return color; }
UIColorRef UIColor::grayColor() { static const auto color = gray(0.5); return color; }
UIColorRef UIColor::lightGrayColor() { static const auto color = gray(2.0 / 3); return color; }
UIColorRef UIColor::darkGrayColor() { static const auto color = gray(1.0 / 3); return color; }
UIColorRef UIColor::redColor() { static const auto color = rgb(1, 0, 0); return color; }
UIColorRef UIColor::greenColor() { static const auto color = rgb(0, 1, 0); return color; }
UIColorRef UIColor::blueColor() { static const auto color = rgb(0, 0, 1); return color; }
UIColorRef UIColor::cyanColor() { static const auto color = rgb(0, 1, 1); return color; }
UIColorRef UIColor::yellowColor() { static const auto color = rgb(1, 1, 0); return color; }
UIColorRef UIColor::magentaColor() { static const auto color = rgb(1, 0, 1); return color; }
UIColorRef UIColor::orangeColor() { static const auto color = rgb(1, 0.5, 0); return color; }
UIColorRef UIColor::purpleColor() { static const auto color = rgb(0.5, 0, 0.5); return color; }
UIColorRef UIColor::brownColor() { static const auto color = rgb(0.6, 0.4, 0.2); return color; }
UIColorRef UIColor::darkTextColor() { static const auto color = gray(0); return color; }
UIColorRef UIColor::lightTextColor() { static const auto color = gray(1, 0.6); return color; }
UIColorRef UIColor::groupTableViewBackgroundColor()
{
    static const auto color = rgb(239.0 / 255, 239.0 / 255, 244.0 / 255);
    return color;
}

UIColorRef UIColor::colorWithAlphaComponent(CGFloat alpha) const
{
    return create(CGColorCreateCopyWithAlpha(m_color, clamp(alpha)));
}

bool UIColor::getRed(CGFloat* red, CGFloat* green, CGFloat* blue, CGFloat* alpha) const
{
    const auto rgba = m_color->rgba();
    if (red)
        *red = rgba[0];
    if (green)
        *green = rgba[1];
    if (blue)
        *blue = rgba[2];
    if (alpha)
        *alpha = rgba[3];
    return true;
}

bool UIColor::getWhite(CGFloat* white, CGFloat* alpha) const
{
    if (m_color->components().size() != 2)
        return false;
    if (white)
        *white = m_color->components()[0];
    if (alpha)
        *alpha = m_color->components()[1];
    return true;
}

bool UIColor::getHue(CGFloat* hue, CGFloat* saturation, CGFloat* brightness, CGFloat* alpha) const
{
    const auto [r, g, b, a] = m_color->rgba();
    const CGFloat maximum = std::max({ r, g, b });
    const CGFloat minimum = std::min({ r, g, b });
    const CGFloat delta = maximum - minimum;
    CGFloat h = 0;
    if (delta > 0) {
        if (maximum == r)
            h = std::fmod((g - b) / delta + 6, 6);
        else if (maximum == g)
            h = (b - r) / delta + 2;
        else
            h = (r - g) / delta + 4;
        h /= 6;
    }
    if (hue)
        *hue = h;
    if (saturation)
        *saturation = maximum > 0 ? delta / maximum : 0;
    if (brightness)
        *brightness = maximum;
    if (alpha)
        *alpha = a;
    return true;
}

void UIColor::setFill() const
{
    if (auto context = UIGraphicsGetCurrentContext())
        CGContextSetFillColorWithColor(context, m_color);
}

void UIColor::setStroke() const
{
    if (auto context = UIGraphicsGetCurrentContext())
        CGContextSetStrokeColorWithColor(context, m_color);
}

void UIColor::set() const
{
    setFill();
    setStroke();
}

bool UIColor::isEqual(const id& other) const
{
    auto color = ns::cast<UIColor>(other);
    return color && CGColorEqualToColor(m_color, color->m_color);
}

NSUInteger UIColor::hash() const { return m_color->hash(); }

NSString UIColor::description() const { return m_color->description(); }

id UIColor::copy() const { return std::const_pointer_cast<UIColor>(self()); }
