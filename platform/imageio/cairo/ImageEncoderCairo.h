#pragma once
// The Cairo half of the image encoders: an image's pixels read out of its surface.

#include "platform/graphics/CGImage.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace ImageEncoderCairo {

// Premultiplied ARGB32 rows (alpha-only images as black with coverage).
struct Pixels {
    std::size_t width { 0 };
    std::size_t height { 0 };
    std::vector<std::uint32_t> argb;
};

// Nothing for an image without pixels.
std::optional<Pixels> pixelsOf(const CGImageRef& image);

} // namespace ImageEncoderCairo
