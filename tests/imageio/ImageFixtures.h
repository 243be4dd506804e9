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
// An animation of `frames` noisy frames on a width x height canvas with a 256-colour palette: frames
// cover shrinking rectangles, cycle through the disposals, some interlaced, and index 0 is clear.
std::vector<std::uint8_t> animatedGif(int width, int height, int frames);

} // namespace ImageFixtures
