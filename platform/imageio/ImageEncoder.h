#pragma once
// Writes images as PNG (straight alpha, 8 bits per channel) or baseline JPEG (no alpha: what is
// transparent comes out black). Answers nothing for an image without pixels or when the encoder
// fails; never a partial file.

#include "platform/graphics/CGImage.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace ImageEncoder {

std::optional<std::vector<std::uint8_t>> png(const CGImageRef& image);
// quality from 0 (smallest) to 1 (best), clamped.
std::optional<std::vector<std::uint8_t>> jpeg(const CGImageRef& image, double quality);

} // namespace ImageEncoder
