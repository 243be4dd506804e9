#pragma once
// Image files made on the fly with the real encoders, so tests need no binary fixtures.

#include <cstdint>
#include <optional>
#include <vector>

namespace ImageFixtures {

// width x height, pixel (x, y) coloured by the callback as straight RGBA.
std::vector<std::uint8_t> png(int width, int height, std::uint32_t (*rgba)(int x, int y));
// A JPEG of a flat colour with noise, and an EXIF orientation when given; baseline unless asked.
std::vector<std::uint8_t> jpeg(int width, int height, std::optional<int> orientation = std::nullopt, bool progressive = false);
// Frames of a 4 x 4 GIF, each frame a solid palette index with the given delay in centiseconds;
// index 3 is transparent.
std::vector<std::uint8_t> gif(const std::vector<std::pair<int, int>>& framesOfIndexAndDelay);

} // namespace ImageFixtures
