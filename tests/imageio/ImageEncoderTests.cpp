#include "platform/graphics/CGBitmapContext.h"
#include "platform/imageio/CGImageSource.h"
#include "platform/imageio/ImageEncoder.h"
#include "tests/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

namespace {

// The top-left pixel of a decoded file, premultiplied ARGB.
std::uint32_t firstPixel(const std::vector<std::uint8_t>& bytes)
{
    auto image = CGImageSourceCreateImageAtIndex(CGImageSourceCreateWithData(bytes), 0);
    if (!image)
        return 0xDEADBEEF;
    return nativeWordAt(image, 0, 0);
}

CGImageRef filledImage(CGBitmapInfo info, const CGColorSpaceRef& space, const CGFloat* rgba)
{
    auto context = CGBitmapContextCreate(nullptr, 3, 2, 8, 0, space, info);
    CGContextSetRGBFillColor(context, rgba[0], rgba[1], rgba[2], rgba[3]);
    CGContextFillRect(context, CGRectMake(0, 0, 3, 2));
    return CGBitmapContextCreateImage(context);
}

} // namespace

TEST(ImageEncoder, writesEveryLayoutThatContextsMake)
{
    const CGFloat half[] = { 1, 0, 0, 0.5 };
    auto premultiplied = filledImage(CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little,
        CGColorSpaceCreateDeviceRGB(), half);
    auto png = ImageEncoder::png(premultiplied);
    ASSERT_TRUE(png);
    EXPECT_NEAR(int(firstPixel(*png) >> 24), 128, 1);
    EXPECT_NEAR(int((firstPixel(*png) >> 16) & 0xFF), 128, 1);

    const CGFloat opaque[] = { 0, 0, 1, 1 };
    auto skipped = filledImage(CGBitmapInfo(kCGImageAlphaNoneSkipFirst) | kCGBitmapByteOrder32Little,
        CGColorSpaceCreateDeviceRGB(), opaque);
    png = ImageEncoder::png(skipped);
    ASSERT_TRUE(png);
    EXPECT_EQ(firstPixel(*png), 0xFF0000FFu);

    const CGFloat coverage[] = { 0, 0, 0, 0.25 };
    auto mask = filledImage(CGBitmapInfo(kCGImageAlphaOnly), nullptr, coverage);
    png = ImageEncoder::png(mask);
    ASSERT_TRUE(png);
    EXPECT_NEAR(int(firstPixel(*png) >> 24), 64, 1);

    // JPEG has no alpha: what is translucent is blended onto black.
    auto jpeg = ImageEncoder::jpeg(premultiplied, 1);
    ASSERT_TRUE(jpeg);
    EXPECT_NEAR(int((firstPixel(*jpeg) >> 16) & 0xFF), 128, 4);
    EXPECT_EQ(firstPixel(*jpeg) >> 24, 0xFFu);
}

TEST(ImageEncoder, nothingToWriteGivesNothing)
{
    EXPECT_FALSE(ImageEncoder::png(nullptr));
    EXPECT_FALSE(ImageEncoder::jpeg(nullptr, 0.5));
}
