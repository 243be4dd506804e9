#include "app/screens/base/UIColor_Extras.h"

#include "app/screens/base/UIColor_Extras_Support.h"
#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSScanner.h"
#include "platform/foundation/NeverDestroyed.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace UIColor_Extras {

namespace {

struct Components {
    CGFloat red { 0 };
    CGFloat green { 0 };
    CGFloat blue { 0 };
    CGFloat alpha { 0 };
};

std::optional<Components> rgba(const UIColor& color)
{
    Components c;
    if (!red(color, &c.red, &c.green, &c.blue, &c.alpha))
        return std::nullopt;
    return c;
}

CGFloat clamped(CGFloat value)
{
    return std::clamp<CGFloat>(value, 0, 1);
}

// A component of the colour's own, 0 where it has fewer.
CGFloat component(const UIColor& color, std::size_t index)
{
    const auto colorRef = color.CGColor();
    const CGFloat* components = CGColorGetComponents(colorRef);
    return components && index < CGColorGetNumberOfComponents(colorRef) ? components[index] : 0;
}

bool isMonochrome(const UIColor& color)
{
    return colorSpaceModel(color) == kCGColorSpaceModelMonochrome;
}

template <class Combine>
std::shared_ptr<UIColor> combined(const UIColor& color, const Components& with, Combine combine)
{
    const auto c = rgba(color);
    if (!c)
        return nullptr;
    return UIColor::colorWithRed(combine(c->red, with.red), combine(c->green, with.green), combine(c->blue, with.blue),
        combine(c->alpha, with.alpha));
}

// The colour forms combine the receiver's own components, not the other colour's, with the
// neutral alpha.
using FourValueOperation = std::shared_ptr<UIColor> (*)(const UIColor&, CGFloat, CGFloat, CGFloat, CGFloat);
std::shared_ptr<UIColor> withOwnComponents(const UIColor& color, CGFloat neutralAlpha, FourValueOperation operation)
{
    const auto c = rgba(color);
    return c ? operation(color, c->red, c->green, c->blue, neutralAlpha) : nullptr;
}

} // namespace

CGColorSpaceModel colorSpaceModel(const UIColor& color)
{
    const auto space = CGColorGetColorSpace(color.CGColor());
    return space ? space->model() : kCGColorSpaceModelUnknown;
}

NSString colorSpaceString(const UIColor& color)
{
    switch (colorSpaceModel(color)) {
    case kCGColorSpaceModelUnknown: return "kCGColorSpaceModelUnknown";
    case kCGColorSpaceModelMonochrome: return "kCGColorSpaceModelMonochrome";
    case kCGColorSpaceModelRGB: return "kCGColorSpaceModelRGB";
    case kCGColorSpaceModelCMYK: return "kCGColorSpaceModelCMYK";
    case kCGColorSpaceModelLab: return "kCGColorSpaceModelLab";
    case kCGColorSpaceModelDeviceN: return "kCGColorSpaceModelDeviceN";
    case kCGColorSpaceModelIndexed: return "kCGColorSpaceModelIndexed";
    case kCGColorSpaceModelPattern: return "kCGColorSpaceModelPattern";
    }
    return "Not a valid color space";
}

bool canProvideRGBComponents(const UIColor& color)
{
    const auto model = colorSpaceModel(color);
    return model == kCGColorSpaceModelMonochrome || model == kCGColorSpaceModelRGB;
}

bool red(const UIColor& color, CGFloat* red, CGFloat* green, CGFloat* blue, CGFloat* alpha)
{
    CGFloat r, g, b, a;
    switch (colorSpaceModel(color)) {
    case kCGColorSpaceModelMonochrome:
        r = g = b = component(color, 0);
        a = component(color, 1);
        break;
    case kCGColorSpaceModelRGB:
        r = component(color, 0);
        g = component(color, 1);
        b = component(color, 2);
        a = component(color, 3);
        break;
    default:
        return false;
    }
    if (red)
        *red = r;
    if (green)
        *green = g;
    if (blue)
        *blue = b;
    if (alpha)
        *alpha = a;
    return true;
}

std::shared_ptr<NSArray> arrayFromRGBAComponents(const UIColor& color)
{
    const auto c = rgba(color);
    if (!c)
        return nullptr;
    return NSArray::arrayWithObjects({ NSNumber::numberWithFloat(float(c->red)), NSNumber::numberWithFloat(float(c->green)),
        NSNumber::numberWithFloat(float(c->blue)), NSNumber::numberWithFloat(float(c->alpha)) });
}

CGFloat red(const UIColor& color) { return component(color, 0); }
CGFloat green(const UIColor& color) { return component(color, isMonochrome(color) ? 0 : 1); }
CGFloat blue(const UIColor& color) { return component(color, isMonochrome(color) ? 0 : 2); }
CGFloat white(const UIColor& color) { return component(color, 0); }
CGFloat alpha(const UIColor& color) { return CGColorGetAlpha(color.CGColor()); }

std::uint32_t rgbHex(const UIColor& color)
{
    const auto c = rgba(color);
    if (!c)
        return 0;
    const auto byte = [](CGFloat value) { return static_cast<std::uint32_t>(std::lround(float(clamped(value)) * 255.0f)); };
    return byte(c->red) << 16 | byte(c->green) << 8 | byte(c->blue);
}

NSString hexStringFromColor(const UIColor& color)
{
    return NSString::stringWithFormat("%0.6X", rgbHex(color));
}

NSString stringFromColor(const UIColor& color)
{
    switch (colorSpaceModel(color)) {
    case kCGColorSpaceModelMonochrome:
        return NSString::stringWithFormat("{%0.3f, %0.3f}", white(color), alpha(color));
    case kCGColorSpaceModelRGB:
        return NSString::stringWithFormat("{%0.3f, %0.3f, %0.3f, %0.3f}", red(color), green(color), blue(color), alpha(color));
    default:
        return NSString();
    }
}

std::shared_ptr<UIColor> colorByLuminanceMapping(const UIColor& color)
{
    const auto c = rgba(color);
    if (!c)
        return nullptr;
    const float luminance = 0.2126f * float(c->red) + 0.7152f * float(c->green) + 0.0722f * float(c->blue);
    return UIColor::colorWithWhite(luminance, c->alpha);
}

std::shared_ptr<UIColor> colorByMultiplyingByRed(const UIColor& color, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
    return combined(color, { red, green, blue, alpha }, [](CGFloat a, CGFloat b) { return clamped(a * b); });
}

std::shared_ptr<UIColor> colorByAddingRed(const UIColor& color, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
    return combined(color, { red, green, blue, alpha }, [](CGFloat a, CGFloat b) { return clamped(a + b); });
}

std::shared_ptr<UIColor> colorByLighteningToRed(const UIColor& color, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
    return combined(color, { red, green, blue, alpha }, [](CGFloat a, CGFloat b) { return std::max(a, b); });
}

std::shared_ptr<UIColor> colorByDarkeningToRed(const UIColor& color, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
    return combined(color, { red, green, blue, alpha }, [](CGFloat a, CGFloat b) { return std::min(a, b); });
}

std::shared_ptr<UIColor> colorByMultiplyingBy(const UIColor& color, CGFloat f) { return colorByMultiplyingByRed(color, f, f, f, 1); }
std::shared_ptr<UIColor> colorByAdding(const UIColor& color, CGFloat f) { return colorByAddingRed(color, f, f, f, 0); }
std::shared_ptr<UIColor> colorByLighteningTo(const UIColor& color, CGFloat f) { return colorByLighteningToRed(color, f, f, f, 0); }
std::shared_ptr<UIColor> colorByDarkeningTo(const UIColor& color, CGFloat f) { return colorByDarkeningToRed(color, f, f, f, 1); }

std::shared_ptr<UIColor> colorByMultiplyingByColor(const UIColor& color, const std::shared_ptr<UIColor>&)
{
    return withOwnComponents(color, 1, colorByMultiplyingByRed);
}

std::shared_ptr<UIColor> colorByAddingColor(const UIColor& color, const std::shared_ptr<UIColor>&)
{
    return withOwnComponents(color, 0, colorByAddingRed);
}

std::shared_ptr<UIColor> colorByLighteningToColor(const UIColor& color, const std::shared_ptr<UIColor>&)
{
    return withOwnComponents(color, 0, colorByLighteningToRed);
}

std::shared_ptr<UIColor> colorByDarkeningToColor(const UIColor& color, const std::shared_ptr<UIColor>&)
{
    return withOwnComponents(color, 1, colorByDarkeningToRed);
}

std::shared_ptr<UIColor> colorWithRGBHex(std::uint32_t hex)
{
    const auto part = [hex](int shift) { return CGFloat(float((hex >> shift) & 0xff) / 255.0f); };
    return UIColor::colorWithRed(part(16), part(8), part(0), 1);
}

std::shared_ptr<UIColor> colorWithHexString(const NSString& text)
{
    unsigned value = 0;
    if (text.isNil() || !NSScanner::scannerWithString(text)->scanHexInt(&value))
        return nullptr;
    return colorWithRGBHex(value);
}

std::shared_ptr<UIColor> colorWithString(const NSString& text)
{
    if (text.isNil())
        return nullptr;
    auto scanner = NSScanner::scannerWithString(text);
    if (!scanner->scanString("{", nullptr))
        return nullptr;
    std::vector<float> values;
    float value = 0;
    if (!scanner->scanFloat(&value))
        return nullptr;
    values.push_back(value);
    while (!scanner->scanString("}", nullptr)) {
        if (values.size() == 4 || !scanner->scanString(",", nullptr) || !scanner->scanFloat(&value))
            return nullptr;
        values.push_back(value);
    }
    if (!scanner->isAtEnd())
        return nullptr;
    if (values.size() == 4)
        return UIColor::colorWithRed(values[0], values[1], values[2], values[3]);
    if (values.size() == 2)
        return UIColor::colorWithWhite(values[0], values[1]);
    return nullptr;
}

std::shared_ptr<UIColor> randomColor()
{
    const auto draw = [] { return CGFloat(::random() % 256) / 255.0; };
    const CGFloat r = draw(), g = draw(), b = draw();
    return UIColor::colorWithRed(r, g, b, 1);
}

std::shared_ptr<UIColor> colorWithName(const NSString& name)
{
    // A miss is kept as nil, so that it is not searched again.
    static NeverDestroyed<std::mutex> cacheLock;
    static NeverDestroyed<std::map<std::string, std::shared_ptr<UIColor>>> cache;
    const std::string key = name.isNil() ? std::string() : name.UTF8String();
    std::lock_guard lock(cacheLock.get());
    const auto found = cache.get().find(key);
    if (found != cache.get().end())
        return found->second;
    auto color = UIColor_Extras_Support::searchForColorByName(name);
    cache.get().emplace(key, color);
    return color;
}

} // namespace UIColor_Extras
