#pragma once
// Pictures for the widget tests: images painted pixel by pixel, and pixels read back from what
// an image or a drawing block made.

#include "platform/graphics/CGBitmapContext.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/uikit/UIImage.h"

#include <cstdint>
#include <functional>

// 0xRRGGBBAA, straight alpha, so expectations read like colour codes.
using RGBA = std::uint32_t;

inline RGBA rgbaOfPixel(std::uint32_t argb)
{
    const std::uint32_t a = argb >> 24;
    const auto straight = [a](std::uint32_t channel) { return a == 0 ? 0u : std::min(255u, (channel * 255 + a / 2) / a); };
    return straight((argb >> 16) & 0xFF) << 24 | straight((argb >> 8) & 0xFF) << 16 | straight(argb & 0xFF) << 8 | a;
}

// A pixel of an image as stored, from the top-left: copied into a bitmap of premultiplied ARGB
// words and read there.
inline RGBA pixelOf(const CGImageRef& image, int x, int y)
{
    auto copy = CGBitmapContextCreate(nullptr, CGImageGetWidth(image), CGImageGetHeight(image), 8, 0,
        CGColorSpaceCreateDeviceRGB(), CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little);
    CGContextSetBlendMode(copy, kCGBlendModeCopy);
    CGContextDrawImage(copy, CGRectMake(0, 0, CGFloat(CGImageGetWidth(image)), CGFloat(CGImageGetHeight(image))), image);
    const auto* row = static_cast<const std::uint8_t*>(CGBitmapContextGetData(copy)) + std::size_t(y) * CGBitmapContextGetBytesPerRow(copy);
    return rgbaOfPixel(reinterpret_cast<const std::uint32_t*>(row)[x]);
}

// An image of width by height pixels at a scale, coloured by the callback.
inline UIImageRef paintedImage(int width, int height, CGFloat scale, const std::function<RGBA(int x, int y)>& colour,
    UIImageOrientation orientation = UIImageOrientationUp)
{
    auto context = CGBitmapContextCreate(nullptr, std::size_t(width), std::size_t(height), 8, 0,
        CGColorSpaceCreateDeviceRGB(), CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little);
    auto* data = static_cast<std::uint8_t*>(CGBitmapContextGetData(context));
    const auto stride = CGBitmapContextGetBytesPerRow(context);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const RGBA p = colour(x, y);
            const std::uint32_t r = p >> 24, g = (p >> 16) & 0xFF, b = (p >> 8) & 0xFF, a = p & 0xFF;
            reinterpret_cast<std::uint32_t*>(data + y * stride)[x]
                = a << 24 | ((r * a + 127) / 255) << 16 | ((g * a + 127) / 255) << 8 | ((b * a + 127) / 255);
        }
    }
    return UIImage::imageWithCGImage(CGBitmapContextCreateImage(context), scale, orientation);
}

inline UIImageRef solidImage(int width, int height, RGBA colour, CGFloat scale = 1)
{
    return paintedImage(width, height, scale, [colour](int, int) { return colour; });
}

// What a drawing block paints in a transparent UIKit image context of the size at scale 1.
inline CGImageRef drawnPicture(CGSize size, const std::function<void()>& draw)
{
    UIGraphicsBeginImageContextWithOptions(size, false, 1);
    draw();
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image ? image->CGImage() : nullptr;
}
