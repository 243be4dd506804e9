#include "platform/host/cairo/SDLHostCairo.h"

#include <cairo.h>

#include <algorithm>

namespace SDLHostCairo {

std::optional<StraightPicture> readPNG(const std::string& path)
{
    cairo_surface_t* picture = cairo_image_surface_create_from_png(path.c_str());
    std::optional<StraightPicture> read;
    if (cairo_surface_status(picture) == CAIRO_STATUS_SUCCESS && cairo_image_surface_get_format(picture) == CAIRO_FORMAT_ARGB32) {
        cairo_surface_flush(picture);
        const int width = cairo_image_surface_get_width(picture);
        const int height = cairo_image_surface_get_height(picture);
        const int stride = cairo_image_surface_get_stride(picture);
        // Cairo keeps premultiplied colour; the window manager wants it straight.
        std::vector<uint32_t> pixels(static_cast<std::size_t>(width) * height);
        const unsigned char* data = cairo_image_surface_get_data(picture);
        for (int y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
            for (int x = 0; x < width; ++x) {
                const uint32_t pixel = row[x];
                const uint32_t alpha = pixel >> 24;
                auto straight = [alpha](uint32_t component) {
                    return alpha ? std::min<uint32_t>(255, (component * 255 + alpha / 2) / alpha) : 0;
                };
                pixels[static_cast<std::size_t>(y) * width + x] = (alpha << 24) | (straight((pixel >> 16) & 0xFF) << 16)
                    | (straight((pixel >> 8) & 0xFF) << 8) | straight(pixel & 0xFF);
            }
        }
        read = StraightPicture { width, height, std::move(pixels) };
    }
    cairo_surface_destroy(picture);
    return read;
}

} // namespace SDLHostCairo
