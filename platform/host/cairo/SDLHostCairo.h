#pragma once
// The Cairo half of the window host: pictures read for the window manager.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace SDLHostCairo {

// Straight (not premultiplied) ARGB words, row after row.
struct StraightPicture {
    int width { 0 };
    int height { 0 };
    std::vector<std::uint32_t> pixels;
};

// Nothing when the file cannot be read as a PNG with alpha.
std::optional<StraightPicture> readPNG(const std::string& path);

} // namespace SDLHostCairo
