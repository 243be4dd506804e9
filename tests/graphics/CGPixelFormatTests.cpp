#include "platform/graphics/CGPixelFormat.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

// A native pixel: premultiplied ARGB in a host-order word.
std::uint32_t native(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) { return a << 24 | r << 16 | g << 8 | b; }

std::vector<std::uint8_t> pack(const CGPixelFormat& format, const std::vector<std::uint32_t>& pixels)
{
    std::vector<std::uint8_t> bytes(pixels.size() * format.bytesPerPixel(), 0xEE);
    format.packRow(reinterpret_cast<const std::uint8_t*>(pixels.data()), bytes.data(), pixels.size());
    return bytes;
}

std::vector<std::uint32_t> unpack(const CGPixelFormat& format, const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::uint32_t> pixels(bytes.size() / format.bytesPerPixel());
    format.unpackRow(bytes.data(), reinterpret_cast<std::uint8_t*>(pixels.data()), pixels.size());
    return pixels;
}

CGPixelFormat rgb32(CGBitmapInfo info)
{
    auto format = CGPixelFormat::make(8, 32, kCGColorSpaceModelRGB, info);
    EXPECT_TRUE(format) << info;
    return format.value_or(CGPixelFormat {});
}

} // namespace

TEST(CGPixelFormat, everyThirtyTwoBitLayoutPutsEachChannelInItsByte)
{
    // An opaque pixel with four distinct bytes, so a swapped channel cannot go unseen.
    const std::uint32_t pixel = native(0xFF, 0x11, 0x22, 0x33);
    struct Case {
        CGBitmapInfo info;
        std::array<std::uint8_t, 4> bytes;
    };
    const Case cases[] = {
        { kCGImageAlphaPremultipliedLast, { 0x11, 0x22, 0x33, 0xFF } },
        { CGBitmapInfo(kCGImageAlphaPremultipliedLast) | kCGBitmapByteOrder32Big, { 0x11, 0x22, 0x33, 0xFF } },
        { CGBitmapInfo(kCGImageAlphaPremultipliedLast) | kCGBitmapByteOrder32Little, { 0xFF, 0x33, 0x22, 0x11 } },
        { kCGImageAlphaPremultipliedFirst, { 0xFF, 0x11, 0x22, 0x33 } },
        { CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little, { 0x33, 0x22, 0x11, 0xFF } },
        { kCGImageAlphaLast, { 0x11, 0x22, 0x33, 0xFF } },
        { CGBitmapInfo(kCGImageAlphaFirst) | kCGBitmapByteOrder32Little, { 0x33, 0x22, 0x11, 0xFF } },
        { kCGImageAlphaNoneSkipLast, { 0x11, 0x22, 0x33, 0xFF } },
        { kCGImageAlphaNoneSkipFirst, { 0xFF, 0x11, 0x22, 0x33 } },
        { CGBitmapInfo(kCGImageAlphaNoneSkipFirst) | kCGBitmapByteOrder32Little, { 0x33, 0x22, 0x11, 0xFF } },
        { CGBitmapInfo(kCGImageAlphaNoneSkipLast) | kCGBitmapByteOrder32Little, { 0xFF, 0x33, 0x22, 0x11 } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.info);
        const auto format = rgb32(c.info);
        EXPECT_EQ(format.bytesPerPixel(), 4u);
        const auto bytes = pack(format, { pixel });
        EXPECT_EQ(bytes, std::vector<std::uint8_t>(c.bytes.begin(), c.bytes.end()));
        EXPECT_EQ(unpack(format, bytes), std::vector<std::uint32_t> { pixel });
    }
}

TEST(CGPixelFormat, straightAlphaIsPremultipliedOnTheWayInAndUndoneOnTheWayOut)
{
    const auto straight = rgb32(kCGImageAlphaLast);
    // Half-transparent pure red, and a fully transparent pixel whose colour must not leak through.
    const std::vector<std::uint8_t> bytes { 255, 0, 0, 128, 200, 100, 50, 0 };
    const auto pixels = unpack(straight, bytes);
    EXPECT_EQ(pixels[0], native(128, 128, 0, 0));
    EXPECT_EQ(pixels[1], native(0, 0, 0, 0));
    EXPECT_EQ(pack(straight, pixels), (std::vector<std::uint8_t> { 255, 0, 0, 128, 0, 0, 0, 0 }));

    // Un-premultiplying a low alpha must not overflow a channel past 255.
    EXPECT_EQ(pack(straight, { native(3, 3, 2, 1) }), (std::vector<std::uint8_t> { 255, 170, 85, 3 }));
    EXPECT_EQ(pack(straight, { native(64, 255, 64, 0) }), (std::vector<std::uint8_t> { 255, 255, 0, 64 }))
        << "a native pixel brighter than its alpha clamps";

    // Premultiplied bytes pass through as they are; a channel above its alpha is clamped to it.
    const auto premultiplied = rgb32(kCGImageAlphaPremultipliedLast);
    EXPECT_EQ(unpack(premultiplied, { 100, 200, 30, 120 }), std::vector<std::uint32_t> { native(120, 100, 120, 30) });
    EXPECT_EQ(pack(premultiplied, { native(128, 64, 32, 16) }), (std::vector<std::uint8_t> { 64, 32, 16, 128 }));
}

TEST(CGPixelFormat, skippedAlphaReadsOpaqueAndWritesOpaque)
{
    const auto skip = rgb32(kCGImageAlphaNoneSkipLast);
    EXPECT_TRUE(skip.isOpaque());
    EXPECT_EQ(unpack(skip, { 10, 20, 30, 0 }), std::vector<std::uint32_t> { native(255, 10, 20, 30) })
        << "the skipped byte is not alpha";
    const auto rgb24 = CGPixelFormat::make(8, 24, kCGColorSpaceModelRGB, kCGImageAlphaNone);
    ASSERT_TRUE(rgb24);
    EXPECT_EQ(rgb24->bytesPerPixel(), 3u);
    EXPECT_TRUE(rgb24->isOpaque());
    const std::vector<std::uint8_t> two { 1, 2, 3, 250, 251, 252 };
    EXPECT_EQ(pack(*rgb24, unpack(*rgb24, two)), two);
}

TEST(CGPixelFormat, grayAndAlphaOnlyLayouts)
{
    const auto gray = CGPixelFormat::make(8, 8, kCGColorSpaceModelMonochrome, kCGImageAlphaNone);
    ASSERT_TRUE(gray);
    EXPECT_EQ(unpack(*gray, { 77 }), std::vector<std::uint32_t> { native(255, 77, 77, 77) });
    EXPECT_EQ(pack(*gray, { native(255, 77, 77, 77) }), std::vector<std::uint8_t> { 77 }) << "gray round-trips";
    EXPECT_EQ(pack(*gray, { native(255, 0, 255, 0) }), std::vector<std::uint8_t> { 182 }) << "green weighs most";

    const auto grayAlpha = CGPixelFormat::make(8, 16, kCGColorSpaceModelMonochrome, kCGImageAlphaLast);
    const auto alphaGray = CGPixelFormat::make(8, 16, kCGColorSpaceModelMonochrome, kCGImageAlphaPremultipliedFirst);
    const auto alphaGrayLittle
        = CGPixelFormat::make(8, 16, kCGColorSpaceModelMonochrome, CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder16Little);
    ASSERT_TRUE(grayAlpha && alphaGray && alphaGrayLittle);
    EXPECT_EQ(unpack(*grayAlpha, { 200, 128 }), std::vector<std::uint32_t> { native(128, 100, 100, 100) });
    EXPECT_EQ(pack(*grayAlpha, { native(128, 100, 100, 100) }), (std::vector<std::uint8_t> { 199, 128 }));
    EXPECT_EQ(pack(*alphaGray, { native(128, 100, 100, 100) }), (std::vector<std::uint8_t> { 128, 100 }));
    EXPECT_EQ(pack(*alphaGrayLittle, { native(128, 100, 100, 100) }), (std::vector<std::uint8_t> { 100, 128 }));
    EXPECT_EQ(unpack(*alphaGrayLittle, { 100, 128 }), std::vector<std::uint32_t> { native(128, 100, 100, 100) });

    const auto mask = CGPixelFormat::make(8, 8, kCGColorSpaceModelUnknown, kCGImageAlphaOnly);
    ASSERT_TRUE(mask);
    EXPECT_TRUE(mask->isAlphaOnly());
    EXPECT_TRUE(mask->isNative());
    EXPECT_FALSE(mask->isOpaque());
    const std::vector<std::uint8_t> alphas { 0, 17, 255 };
    std::vector<std::uint8_t> row(3), back(3);
    mask->unpackRow(alphas.data(), row.data(), 3);
    mask->packRow(row.data(), back.data(), 3);
    EXPECT_EQ(back, alphas);
}

TEST(CGPixelFormat, onlyTheBackEndsOwnLayoutIsNative)
{
    EXPECT_TRUE(rgb32(CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little).isNative());
    EXPECT_TRUE(rgb32(CGBitmapInfo(kCGImageAlphaNoneSkipFirst) | kCGBitmapByteOrder32Little).isNative());
    EXPECT_FALSE(rgb32(CGBitmapInfo(kCGImageAlphaFirst) | kCGBitmapByteOrder32Little).isNative()) << "straight alpha needs converting";
    EXPECT_FALSE(rgb32(kCGImageAlphaPremultipliedFirst).isNative());
    EXPECT_FALSE(rgb32(CGBitmapInfo(kCGImageAlphaPremultipliedLast) | kCGBitmapByteOrder32Little).isNative());
    EXPECT_FALSE(CGPixelFormat::make(8, 32, kCGColorSpaceModelMonochrome, kCGImageAlphaLast));
}

TEST(CGPixelFormat, layoutsThatCannotBeReadAreRefused)
{
    EXPECT_FALSE(CGPixelFormat::make(16, 64, kCGColorSpaceModelRGB, kCGImageAlphaPremultipliedLast));
    EXPECT_FALSE(CGPixelFormat::make(8, 32, kCGColorSpaceModelRGB, CGBitmapInfo(kCGImageAlphaPremultipliedLast) | kCGBitmapFloatComponents));
    EXPECT_FALSE(CGPixelFormat::make(8, 32, kCGColorSpaceModelRGB, kCGImageAlphaNone)) << "four bytes need an alpha or skip byte";
    EXPECT_FALSE(CGPixelFormat::make(8, 24, kCGColorSpaceModelRGB, kCGImageAlphaLast));
    EXPECT_FALSE(CGPixelFormat::make(8, 32, kCGColorSpaceModelRGB, CGBitmapInfo(kCGImageAlphaLast) | kCGBitmapByteOrder16Little));
    EXPECT_FALSE(CGPixelFormat::make(8, 32, kCGColorSpaceModelRGB, 9));
    EXPECT_FALSE(CGPixelFormat::make(8, 16, kCGColorSpaceModelUnknown, kCGImageAlphaOnly));
    EXPECT_FALSE(CGPixelFormat::make(8, 32, kCGColorSpaceModelCMYK, kCGImageAlphaNone));
    EXPECT_FALSE(CGPixelFormat::make(8, 16, kCGColorSpaceModelMonochrome, kCGImageAlphaNone));
    EXPECT_FALSE(CGPixelFormat::make(8, 24, kCGColorSpaceModelMonochrome, kCGImageAlphaLast));
}
