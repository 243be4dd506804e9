#pragma once
// Reading pixels back from contexts, by row from the top of the picture as stored in memory.

#include "platform/graphics/CGBitmapContext.h"

#include <cstdint>

struct Pixel {
    int a { 0 }, r { 0 }, g { 0 }, b { 0 };
};

inline Pixel pixelAt(const CGContextRef& context, int x, int y)
{
    cairo_surface_t* surface = context->cairoSurface();
    cairo_surface_flush(surface);
    const auto* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    if (cairo_image_surface_get_format(surface) == CAIRO_FORMAT_A8)
        return { row[x], 0, 0, 0 };
    const std::uint32_t p = reinterpret_cast<const std::uint32_t*>(row)[x];
    return { int(p >> 24), int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF) };
}

inline int alphaAt(const CGContextRef& context, int x, int y) { return pixelAt(context, x, y).a; }

inline CGContextRef makeRGBAContext(std::size_t width, std::size_t height)
{
    return CGBitmapContextCreate(nullptr, width, height, 8, 0, CGColorSpaceCreateDeviceRGB(),
        CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little);
}
