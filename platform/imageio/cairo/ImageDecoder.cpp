#include "platform/imageio/cairo/ImageDecoder.h"

#include "platform/imageio/cairo/GIFImageDecoder.h"
#include "platform/imageio/cairo/JPEGImageDecoder.h"
#include "platform/imageio/cairo/PNGImageDecoder.h"

#include <algorithm>
#include <cstring>

ImageDecoder::Type ImageDecoder::typeOf(std::span<const std::uint8_t> bytes)
{
    static constexpr std::uint8_t png[] = { 0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A };
    const auto startsWith = [&](std::span<const std::uint8_t> prefix) {
        return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
    };
    if (startsWith(png))
        return Type::PNG;
    if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF)
        return Type::JPEG;
    if (bytes.size() >= 6 && std::memcmp(bytes.data(), "GIF8", 4) == 0 && (bytes[4] == '7' || bytes[4] == '9') && bytes[5] == 'a')
        return Type::GIF;
    return Type::Unknown;
}

std::unique_ptr<ImageDecoder> ImageDecoder::decoderFor(Type type)
{
    switch (type) {
    case Type::PNG: return std::make_unique<PNGImageDecoder>();
    case Type::JPEG: return std::make_unique<JPEGImageDecoder>();
    case Type::GIF: return std::make_unique<GIFImageDecoder>();
    case Type::Unknown: break;
    }
    return nullptr;
}

bool ImageDecoder::sizeIsAcceptable(std::size_t width, std::size_t height)
{
    return width > 0 && height > 0 && width <= kMaximumSide && height <= kMaximumSide && width * height <= kMaximumPixels;
}

CairoSurface ImageDecoder::surfaceFromPixels(const std::vector<std::uint32_t>& pixels, std::size_t width, std::size_t rows)
{
    if (rows == 0 || width == 0 || pixels.size() < width * rows)
        return nullptr;
    CairoSurface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width), static_cast<int>(rows)));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    cairo_surface_flush(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (std::size_t y = 0; y < rows; ++y)
        std::memcpy(data + y * stride, pixels.data() + y * width, width * 4);
    cairo_surface_mark_dirty(surface.get());
    return surface;
}
