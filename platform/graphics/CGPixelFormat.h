#pragma once
// The memory layout of one pixel as a bitmap's fields describe it, and conversion of rows to and
// from the drawing back end's native pixels: premultiplied 32-bit ARGB in a host-order word (or
// 8-bit alpha for alpha-only bitmaps).

#include "platform/graphics/CGColorSpace.h"

#include <cstdint>
#include <optional>

using CGBitmapInfo = std::uint32_t;
enum CGImageAlphaInfo : std::uint32_t {
    kCGImageAlphaNone = 0,
    kCGImageAlphaPremultipliedLast = 1,
    kCGImageAlphaPremultipliedFirst = 2,
    kCGImageAlphaLast = 3,
    kCGImageAlphaFirst = 4,
    kCGImageAlphaNoneSkipLast = 5,
    kCGImageAlphaNoneSkipFirst = 6,
    kCGImageAlphaOnly = 7,
};
enum : CGBitmapInfo {
    kCGBitmapAlphaInfoMask = 0x1F,
    kCGBitmapFloatComponents = 1 << 8,
    kCGBitmapByteOrderMask = 0x7000,
    kCGBitmapByteOrderDefault = 0 << 12,
    kCGBitmapByteOrder16Little = 1 << 12,
    kCGBitmapByteOrder32Little = 2 << 12,
    kCGBitmapByteOrder16Big = 3 << 12,
    kCGBitmapByteOrder32Big = 4 << 12,
};

class CGPixelFormat {
public:
    // Nil for layouts the layer cannot read: anything but 8 bits per component, floats, and
    // colour models other than RGB, gray and alpha-only.
    static std::optional<CGPixelFormat> make(std::size_t bitsPerComponent, std::size_t bitsPerPixel,
        CGColorSpaceModel model, CGBitmapInfo info);

    std::size_t bytesPerPixel() const { return m_bytesPerPixel; }
    bool isAlphaOnly() const { return m_alphaOnly; }
    // Whether the layout leaves alpha out (every pixel opaque).
    bool isOpaque() const { return !m_alphaOnly && m_alpha < 0; }
    // True when the bytes in memory are exactly the native pixels, so drawing can go to them in place.
    bool isNative() const;

    void unpackRow(const std::uint8_t* source, std::uint8_t* nativeRow, std::size_t width) const;
    void packRow(const std::uint8_t* nativeRow, std::uint8_t* destination, std::size_t width) const;

private:
    std::size_t m_bytesPerPixel { 4 };
    int m_red { -1 };
    int m_green { -1 };
    int m_blue { -1 };
    int m_alpha { -1 };
    bool m_gray { false };
    bool m_alphaOnly { false };
    bool m_premultiplied { false };
    CGBitmapInfo m_info { 0 };
};
