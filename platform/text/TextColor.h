#pragma once
// Colour attributes hold a CGColor or a higher layer's colour object (UIKit's), which offers
// its CGColor through this interface; the text layer needs nothing else of it.

#include "platform/graphics/CGColor.h"

#include <array>
#include <optional>

class CGColorProviding {
public:
    virtual ~CGColorProviding() = default;
    virtual CGColorRef CGColor() const = 0;
};

namespace TextColor {
// Straight red, green, blue and alpha of a colour attribute's value; nothing when the value is
// no colour.
std::optional<std::array<CGFloat, 4>> rgbaOfColorValue(const id& value);
} // namespace TextColor
