#include "platform/graphics/CGPixelFormat.h"

#include <algorithm>
#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "pixel conversion assumes a little-endian host");

std::optional<CGPixelFormat> CGPixelFormat::make(std::size_t bitsPerComponent, std::size_t bitsPerPixel,
    CGColorSpaceModel model, CGBitmapInfo info)
{
    if (bitsPerComponent != 8 || (info & kCGBitmapFloatComponents))
        return std::nullopt;
    const CGImageAlphaInfo alpha = static_cast<CGImageAlphaInfo>(info & kCGBitmapAlphaInfoMask);
    const CGBitmapInfo order = info & kCGBitmapByteOrderMask;
    CGPixelFormat format;
    format.m_info = info;
    format.m_premultiplied = alpha == kCGImageAlphaPremultipliedFirst || alpha == kCGImageAlphaPremultipliedLast;
    const bool alphaFirst = alpha == kCGImageAlphaPremultipliedFirst || alpha == kCGImageAlphaFirst
        || alpha == kCGImageAlphaNoneSkipFirst;
    const bool hasAlpha = alpha != kCGImageAlphaNone && alpha != kCGImageAlphaNoneSkipFirst
        && alpha != kCGImageAlphaNoneSkipLast;
    if (alpha == kCGImageAlphaOnly) {
        if (bitsPerPixel != 8)
            return std::nullopt;
        format.m_bytesPerPixel = 1;
        format.m_alphaOnly = true;
        format.m_alpha = 0;
        return format;
    }
    if (alpha > kCGImageAlphaOnly)
        return std::nullopt;
    if (model == kCGColorSpaceModelRGB) {
        if (bitsPerPixel == 24 && alpha == kCGImageAlphaNone) {
            format.m_bytesPerPixel = 3;
            format.m_red = 0, format.m_green = 1, format.m_blue = 2;
            return format;
        }
        if (bitsPerPixel != 32 || alpha == kCGImageAlphaNone)
            return std::nullopt;
        // Byte positions of R, G, B and A in the pixel read as a big-endian word.
        int logical[4];
        if (alphaFirst)
            logical[0] = 1, logical[1] = 2, logical[2] = 3, logical[3] = 0;
        else
            logical[0] = 0, logical[1] = 1, logical[2] = 2, logical[3] = 3;
        const bool little = order == kCGBitmapByteOrder32Little;
        if (order != kCGBitmapByteOrderDefault && order != kCGBitmapByteOrder32Big && !little)
            return std::nullopt;
        const auto place = [&](int position) { return little ? 3 - position : position; };
        format.m_bytesPerPixel = 4;
        format.m_red = place(logical[0]);
        format.m_green = place(logical[1]);
        format.m_blue = place(logical[2]);
        format.m_alpha = hasAlpha ? place(logical[3]) : -1;
        return format;
    }
    if (model == kCGColorSpaceModelMonochrome) {
        format.m_gray = true;
        if (bitsPerPixel == 8 && alpha == kCGImageAlphaNone) {
            format.m_bytesPerPixel = 1;
            format.m_red = format.m_green = format.m_blue = 0;
            return format;
        }
        if (bitsPerPixel != 16 || alpha == kCGImageAlphaNone)
            return std::nullopt;
        const bool little = order == kCGBitmapByteOrder16Little;
        int grayPosition = alphaFirst ? 1 : 0;
        int alphaPosition = alphaFirst ? 0 : 1;
        if (little)
            grayPosition = 1 - grayPosition, alphaPosition = 1 - alphaPosition;
        format.m_bytesPerPixel = 2;
        format.m_red = format.m_green = format.m_blue = grayPosition;
        format.m_alpha = hasAlpha ? alphaPosition : -1;
        return format;
    }
    return std::nullopt;
}

bool CGPixelFormat::isNative() const
{
    if (m_alphaOnly)
        return true;
    // Native 32-bit pixels are B, G, R, A in memory on a little-endian host.
    return !m_gray && m_bytesPerPixel == 4 && m_blue == 0 && m_green == 1 && m_red == 2
        && (m_alpha == 3 ? m_premultiplied : m_alpha < 0);
}

void CGPixelFormat::unpackRow(const std::uint8_t* source, std::uint8_t* nativeRow, std::size_t width) const
{
    if (m_alphaOnly) {
        std::memcpy(nativeRow, source, width);
        return;
    }
    auto* out = reinterpret_cast<std::uint32_t*>(nativeRow);
    for (std::size_t x = 0; x < width; ++x) {
        const std::uint8_t* p = source + x * m_bytesPerPixel;
        std::uint32_t a = m_alpha >= 0 ? p[m_alpha] : 255;
        std::uint32_t r = p[m_red], g = p[m_green], b = p[m_blue];
        if (m_premultiplied) {
            r = std::min(r, a), g = std::min(g, a), b = std::min(b, a);
        } else if (a != 255) {
            r = (r * a + 127) / 255, g = (g * a + 127) / 255, b = (b * a + 127) / 255;
        }
        out[x] = (a << 24) | (r << 16) | (g << 8) | b;
    }
}

void CGPixelFormat::packRow(const std::uint8_t* nativeRow, std::uint8_t* destination, std::size_t width) const
{
    if (m_alphaOnly) {
        std::memcpy(destination, nativeRow, width);
        return;
    }
    const auto* in = reinterpret_cast<const std::uint32_t*>(nativeRow);
    const bool opaqueSource = m_alpha < 0;
    for (std::size_t x = 0; x < width; ++x) {
        const std::uint32_t pixel = in[x];
        std::uint32_t a = opaqueSource ? 255 : pixel >> 24;
        std::uint32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
        if (!m_premultiplied && m_alpha >= 0 && a != 255) {
            if (a == 0)
                r = g = b = 0;
            else
                r = std::min(255u, (r * 255 + a / 2) / a), g = std::min(255u, (g * 255 + a / 2) / a),
                b = std::min(255u, (b * 255 + a / 2) / a);
        }
        std::uint8_t* p = destination + x * m_bytesPerPixel;
        if (m_gray) {
            p[m_red] = static_cast<std::uint8_t>((r * 54 + g * 183 + b * 19 + 128) >> 8);
        } else {
            p[m_red] = static_cast<std::uint8_t>(r);
            p[m_green] = static_cast<std::uint8_t>(g);
            p[m_blue] = static_cast<std::uint8_t>(b);
        }
        if (m_alpha >= 0)
            p[m_alpha] = static_cast<std::uint8_t>(a);
        else if (m_bytesPerPixel == 4)
            p[6 - m_red - m_green - m_blue] = 0xFF;
    }
}
