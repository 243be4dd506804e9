#pragma once
// Reading pixels back from contexts, by row from the top of the picture as stored in memory.

#include "platform/graphics/CGBitmapContext.h"

#include <cstdint>

struct Pixel {
    int a { 0 }, r { 0 }, g { 0 }, b { 0 };
};

// For bitmap contexts of premultiplied 32-bit little-endian ARGB, or alpha only.
inline Pixel pixelAt(const CGContextRef& context, int x, int y)
{
    const auto* row = static_cast<const std::uint8_t*>(CGBitmapContextGetData(context))
        + y * CGBitmapContextGetBytesPerRow(context);
    if (CGBitmapContextGetBitsPerPixel(context) == 8)
        return { row[x], 0, 0, 0 };
    const std::uint32_t p = reinterpret_cast<const std::uint32_t*>(row)[x];
    return { int(p >> 24), int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF) };
}

// The pixel of an image laid out as premultiplied (or skipped) alpha first, 32-bit little-endian,
// as one ARGB word.
inline std::uint32_t imageWordAt(const CGImageRef& image, int x, int y)
{
    const auto bytes = CGImageGetDataProvider(image)->bytes();
    const auto* row = bytes.data() + static_cast<std::size_t>(y) * CGImageGetBytesPerRow(image);
    return reinterpret_cast<const std::uint32_t*>(row)[x];
}

inline Pixel imagePixelAt(const CGImageRef& image, int x, int y)
{
    const std::uint32_t p = imageWordAt(image, x, y);
    return { int(p >> 24), int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF) };
}

// A pixel of any image as the drawing back end holds it (premultiplied ARGB), read by copying the
// image into a bitmap of that layout.
inline std::uint32_t nativeWordAt(const CGImageRef& image, int x, int y)
{
    auto copy = CGBitmapContextCreate(nullptr, CGImageGetWidth(image), CGImageGetHeight(image), 8, 0,
        CGColorSpaceCreateDeviceRGB(), CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little);
    CGContextSetBlendMode(copy, kCGBlendModeCopy);
    CGContextDrawImage(copy, CGRectMake(0, 0, CGFloat(CGImageGetWidth(image)), CGFloat(CGImageGetHeight(image))), image);
    const auto* row = static_cast<const std::uint8_t*>(CGBitmapContextGetData(copy)) + std::size_t(y) * CGBitmapContextGetBytesPerRow(copy);
    return reinterpret_cast<const std::uint32_t*>(row)[x];
}

inline int alphaAt(const CGContextRef& context, int x, int y) { return pixelAt(context, x, y).a; }

inline CGContextRef makeRGBAContext(std::size_t width, std::size_t height)
{
    return CGBitmapContextCreate(nullptr, width, height, 8, 0, CGColorSpaceCreateDeviceRGB(),
        CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little);
}
