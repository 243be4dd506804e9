#pragma once
// A colour utility set beside UIColor_Addition: components, hexadecimal and text forms, arithmetic
// on colours and colours by CSS keyword. The operations on a colour take it first; those that
// need RGB components (a monochrome or RGB colour) answer NO, 0 or nil without them. Its own
// colorWithHexString reads the whole text as one number; the screens use UIColor_Addition's.

#include "platform/graphics/CGColorSpace.h"
#include "platform/uikit/UIColor.h"

#include <cstdint>

namespace UIColor_Extras {

CGColorSpaceModel colorSpaceModel(const UIColor& color);
NSString colorSpaceString(const UIColor& color);
bool canProvideRGBComponents(const UIColor& color);
bool red(const UIColor& color, CGFloat* red, CGFloat* green, CGFloat* blue, CGFloat* alpha);
std::shared_ptr<NSArray> arrayFromRGBAComponents(const UIColor& color);
CGFloat red(const UIColor& color);
CGFloat green(const UIColor& color);
CGFloat blue(const UIColor& color);
CGFloat white(const UIColor& color);
CGFloat alpha(const UIColor& color);
std::uint32_t rgbHex(const UIColor& color);
NSString hexStringFromColor(const UIColor& color);
NSString stringFromColor(const UIColor& color);

std::shared_ptr<UIColor> colorByLuminanceMapping(const UIColor& color);
// Each result clamped to 0...1.
std::shared_ptr<UIColor> colorByMultiplyingByRed(const UIColor& color, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
std::shared_ptr<UIColor> colorByAddingRed(const UIColor& color, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
// Not clamped.
std::shared_ptr<UIColor> colorByLighteningToRed(const UIColor& color, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
std::shared_ptr<UIColor> colorByDarkeningToRed(const UIColor& color, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
std::shared_ptr<UIColor> colorByMultiplyingBy(const UIColor& color, CGFloat f);
std::shared_ptr<UIColor> colorByAdding(const UIColor& color, CGFloat f);
std::shared_ptr<UIColor> colorByLighteningTo(const UIColor& color, CGFloat f);
std::shared_ptr<UIColor> colorByDarkeningTo(const UIColor& color, CGFloat f);
// These combine the receiver's own components; the colour given is not read.
std::shared_ptr<UIColor> colorByMultiplyingByColor(const UIColor& color, const std::shared_ptr<UIColor>& other);
std::shared_ptr<UIColor> colorByAddingColor(const UIColor& color, const std::shared_ptr<UIColor>& other);
std::shared_ptr<UIColor> colorByLighteningToColor(const UIColor& color, const std::shared_ptr<UIColor>& other);
std::shared_ptr<UIColor> colorByDarkeningToColor(const UIColor& color, const std::shared_ptr<UIColor>& other);

std::shared_ptr<UIColor> colorWithRGBHex(std::uint32_t hex);
// Nil when the text holds no hexadecimal digit.
std::shared_ptr<UIColor> colorWithHexString(const NSString& text);
// The forms of stringFromColor: "{white, alpha}" or "{red, green, blue, alpha}"; nil otherwise.
std::shared_ptr<UIColor> colorWithString(const NSString& text);
std::shared_ptr<UIColor> randomColor();
// A CSS colour keyword's colour, or nil; answers, misses included, are kept for the process.
// Any thread.
std::shared_ptr<UIColor> colorWithName(const NSString& name);

} // namespace UIColor_Extras
