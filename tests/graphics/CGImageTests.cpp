#include "GraphicsTestSupport.h"
#include "platform/graphics/CGLayer.h"
#include "platform/graphics/CGPDFContext.h"
#include "platform/graphics/UIGraphics.h"

#include <gtest/gtest.h>

TEST(CGImage, createValidatesTheLayoutAgainstTheBytes)
{
    auto rgb = CGColorSpaceCreateDeviceRGB();
    auto enough = CGDataProviderCreateWithCFData(std::vector<std::uint8_t>(2 * 8 + 8, 0x80));
    EXPECT_TRUE(CGImageCreate(2, 3, 8, 32, 8, rgb, kCGImageAlphaPremultipliedLast, enough, nullptr, true, kCGRenderingIntentDefault));
    auto tooShort = CGDataProviderCreateWithCFData(std::vector<std::uint8_t>(2 * 8 + 7, 0x80));
    EXPECT_FALSE(CGImageCreate(2, 3, 8, 32, 8, rgb, kCGImageAlphaPremultipliedLast, tooShort, nullptr, true, kCGRenderingIntentDefault));
    EXPECT_FALSE(CGImageCreate(2, 3, 8, 32, 7, rgb, kCGImageAlphaPremultipliedLast, enough, nullptr, true, kCGRenderingIntentDefault))
        << "rows shorter than the pixels";
    EXPECT_FALSE(CGImageCreate(2, 3, 16, 64, 16, rgb, kCGImageAlphaPremultipliedLast, enough, nullptr, true, kCGRenderingIntentDefault));
    EXPECT_FALSE(CGImageCreate(0, 3, 8, 32, 8, rgb, kCGImageAlphaPremultipliedLast, enough, nullptr, true, kCGRenderingIntentDefault));
    EXPECT_FALSE(CGImageCreate(1u << 20, 1u << 20, 8, 32, 4u << 20, rgb, kCGImageAlphaLast, enough, nullptr, true, kCGRenderingIntentDefault));
}

TEST(CGImage, aRowStrideThatWrapsTheSizeIsRefused)
{
    // 2^62 * 4 wraps to 0, so the rows would seem to fit in 8 bytes.
    auto eight = CGDataProviderCreateWithCFData(std::vector<std::uint8_t>(40, 0x80));
    EXPECT_FALSE(CGImageCreate(2, 5, 8, 32, std::size_t(1) << 62, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaPremultipliedLast,
        eight, nullptr, true, kCGRenderingIntentDefault));
}

TEST(CGImage, bytesRoundTripThroughDrawing)
{
    // Straight alpha, big-endian RGBA: one half-transparent red pixel, one opaque blue.
    const std::vector<std::uint8_t> bytes { 255, 0, 0, 128, 0, 0, 255, 255 };
    auto image = CGImageCreate(2, 1, 8, 32, 8, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaLast,
        CGDataProviderCreateWithCFData(bytes), nullptr, false, kCGRenderingIntentDefault);
    ASSERT_TRUE(image);
    EXPECT_EQ(CGImageGetAlphaInfo(image), kCGImageAlphaLast);
    EXPECT_EQ(CGDataProviderCopyData(CGImageGetDataProvider(image)), bytes);

    auto c = makeRGBAContext(2, 1);
    CGContextDrawImage(c, CGRectMake(0, 0, 2, 1), image);
    const Pixel red = pixelAt(c, 0, 0);
    EXPECT_EQ(red.a, 128);
    EXPECT_EQ(red.r, 128) << "stored premultiplied";
    EXPECT_EQ(pixelAt(c, 1, 0).b, 255);

    // A context in the same layout hands the bytes back unpremultiplied.
    std::vector<std::uint8_t> out(8, 0);
    auto rgba = CGBitmapContextCreate(out.data(), 2, 1, 8, 8, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaPremultipliedLast);
    ASSERT_TRUE(rgba);
    CGContextDrawImage(rgba, CGRectMake(0, 0, 2, 1), image);
    EXPECT_EQ(out, (std::vector<std::uint8_t> { 128, 0, 0, 128, 0, 0, 255, 255 }));
}

TEST(CGImage, bitmapContextsRefuseLayoutsThePlatformRefuses)
{
    auto rgb = CGColorSpaceCreateDeviceRGB();
    EXPECT_FALSE(CGBitmapContextCreate(nullptr, 4, 4, 8, 0, rgb, kCGImageAlphaNone));
    EXPECT_FALSE(CGBitmapContextCreate(nullptr, 4, 4, 8, 0, rgb, kCGImageAlphaLast));
    EXPECT_FALSE(CGBitmapContextCreate(nullptr, 4, 4, 8, 8, rgb, kCGImageAlphaPremultipliedFirst)) << "rows too short";
    auto skip = CGBitmapContextCreate(nullptr, 4, 4, 8, 0, rgb, kCGImageAlphaNoneSkipFirst);
    ASSERT_TRUE(skip);
    EXPECT_EQ(CGBitmapContextGetBytesPerRow(skip), 16u);
    auto image = CGBitmapContextCreateImage(skip);
    EXPECT_EQ(CGImageGetAlphaInfo(image), kCGImageAlphaNoneSkipFirst);
    // Default byte order is big-endian: X R G B with the skipped byte first.
    CGContextSetRGBFillColor(skip, 0, 0, 1, 1);
    CGContextFillRect(skip, CGRectMake(0, 0, 4, 4));
    const auto* data = static_cast<const std::uint8_t*>(CGBitmapContextGetData(skip));
    EXPECT_EQ(data[3], 255);
    EXPECT_EQ(data[1], 0);
}

TEST(CGImage, contextImagesAreCopiesAndCropsTakePixelsFromTheTop)
{
    auto c = makeRGBAContext(4, 4);
    CGContextSetRGBFillColor(c, 1, 0, 0, 1);
    CGContextFillRect(c, CGRectMake(0, 2, 4, 2)); // the upper half
    auto image = CGBitmapContextCreateImage(c);
    CGContextClearRect(c, CGRectMake(0, 0, 4, 4));
    EXPECT_EQ(alphaAt(c, 0, 0), 0);

    auto top = CGImageCreateWithImageInRect(image, CGRectMake(0, 0, 4, 2));
    ASSERT_TRUE(top);
    EXPECT_EQ(CGImageGetHeight(top), 2u);
    auto bottom = CGImageCreateWithImageInRect(image, CGRectMake(0.5, 2, 10, 10));
    ASSERT_TRUE(bottom);
    EXPECT_EQ(CGImageGetWidth(bottom), 4u);
    EXPECT_FALSE(CGImageCreateWithImageInRect(image, CGRectMake(5, 5, 2, 2)));

    auto check = makeRGBAContext(4, 2);
    CGContextDrawImage(check, CGRectMake(0, 0, 4, 2), top);
    EXPECT_EQ(pixelAt(check, 1, 1).r, 255);
    CGContextDrawImage(check, CGRectMake(0, 0, 4, 2), bottom);
    EXPECT_EQ(pixelAt(check, 1, 1).r, 255) << "transparent pixels leave the red";
    EXPECT_EQ(CGImageGetAlphaInfo(CGImageCreateCopy(bottom)), kCGImageAlphaPremultipliedFirst);
}

TEST(CGImage, layersStampAtTheDeviceScale)
{
    CGContextRef screen = CGBitmapContext::createImageContext({ 20, 20 }, false, 2);
    auto layer = CGLayerCreateWithContext(screen, { 5, 5 }, nullptr);
    ASSERT_TRUE(layer);
    EXPECT_EQ(CGLayerGetSize(layer), CGSizeMake(5, 5));
    auto layerContext = CGLayerGetContext(layer);
    CGContextFillRect(layerContext, CGRectMake(0, 0, 5, 2.5)); // lower half in the layer's y-up space
    // Like an image, the layer's top goes to the rect's max y: in a flipped context, the bottom.
    CGContextDrawLayerInRect(screen, CGRectMake(0, 0, 5, 5), layer);
    EXPECT_EQ(alphaAt(screen, 3, 2), 255);
    EXPECT_EQ(alphaAt(screen, 3, 8), 0);
    EXPECT_EQ(alphaAt(screen, 3, 12), 0);
}

TEST(CGImage, pdfContextWritesPages)
{
    auto bytes = std::make_shared<std::vector<std::uint8_t>>();
    const CGRect box = CGRectMake(0, 0, 200, 100);
    {
        auto pdf = CGPDFContextCreate(CGDataConsumerCreateWithCFData(bytes), &box, nullptr);
        ASSERT_TRUE(pdf);
        CGContextBeginPage(pdf, &box);
        CGContextFillRect(pdf, CGRectMake(10, 10, 50, 50));
        CGContextEndPage(pdf);
        CGPDFContextBeginPage(pdf, nullptr);
        CGPDFContextEndPage(pdf);
        CGPDFContextClose(pdf);
    }
    const std::string text(bytes->begin(), bytes->end());
    EXPECT_EQ(text.rfind("%PDF", 0), 0u);
    EXPECT_NE(text.find("/Count 2"), std::string::npos);
    EXPECT_FALSE(CGDataConsumerCreateWithFilename("/nonexistent-folder/x.pdf"));
}

TEST(UIGraphics, imageContextsStackOnTheCurrentContext)
{
    EXPECT_FALSE(UIGraphicsGetCurrentContext());
    auto outer = makeRGBAContext(1, 1);
    UIGraphicsPushContext(outer);
    UIGraphicsBeginImageContextWithOptions({ 3, 2 }, false, 0);
    auto inner = UIGraphicsGetCurrentContext();
    ASSERT_TRUE(inner);
    EXPECT_NE(inner, outer);
    CGContextFillRect(inner, CGRectMake(0, 0, 1, 1));
    CGFloat scale = 0;
    auto image = UIGraphicsGetCGImageFromCurrentImageContext(&scale);
    EXPECT_EQ(scale, 2);
    EXPECT_EQ(CGImageGetWidth(image), 6u);
    EXPECT_EQ(CGImageGetHeight(image), 4u);
    UIGraphicsEndImageContext();
    EXPECT_EQ(UIGraphicsGetCurrentContext(), outer);
    UIGraphicsEndImageContext(); // not an image context: stays
    EXPECT_EQ(UIGraphicsGetCurrentContext(), outer);
    UIGraphicsPopContext();
    EXPECT_FALSE(UIGraphicsGetCurrentContext());
}
