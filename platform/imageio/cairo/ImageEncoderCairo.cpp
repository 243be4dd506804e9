#include "platform/imageio/cairo/ImageEncoderCairo.h"

#include "platform/graphics/cairo/CairoBackend.h"

namespace ImageEncoderCairo {

std::optional<Pixels> pixelsOf(const CGImageRef& image)
{
    if (!image)
        return std::nullopt;
    cairo_surface_t* surface = CGImageGetCairoSurface(*image);
    if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE)
        return std::nullopt;
    cairo_surface_flush(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const cairo_format_t format = cairo_image_surface_get_format(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    if (width <= 0 || height <= 0 || !data)
        return std::nullopt;
    Pixels pixels { std::size_t(width), std::size_t(height), {} };
    pixels.argb.resize(pixels.width * pixels.height);
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = data + std::size_t(y) * stride;
        std::uint32_t* out = pixels.argb.data() + std::size_t(y) * width;
        for (int x = 0; x < width; ++x) {
            switch (format) {
            case CAIRO_FORMAT_A8:
                out[x] = std::uint32_t(row[x]) << 24;
                break;
            case CAIRO_FORMAT_RGB24:
                out[x] = reinterpret_cast<const std::uint32_t*>(row)[x] | 0xFF000000u;
                break;
            default:
                out[x] = reinterpret_cast<const std::uint32_t*>(row)[x];
                break;
            }
        }
    }
    return pixels;
}

} // namespace ImageEncoderCairo
