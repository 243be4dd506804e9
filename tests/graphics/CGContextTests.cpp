#include "GraphicsTestSupport.h"
#include "platform/graphics/UIGraphics.h"

#include <gtest/gtest.h>

TEST(CGContext, onePointLineOnPixelCentresCoversExactlyTwoDeviceRowsAtScale2)
{
    auto context = CGBitmapContext::createImageContext({ 10, 10 }, false, 2);
    ASSERT_TRUE(context);
    CGContextRef c = context;
    CGContextSetLineWidth(c, 1);
    CGContextMoveToPoint(c, 0, 5);
    CGContextAddLineToPoint(c, 10, 5);
    CGContextStrokePath(c);
    for (int x : { 0, 7, 19 }) {
        EXPECT_EQ(alphaAt(c, x, 8), 0);
        EXPECT_EQ(alphaAt(c, x, 9), 255);
        EXPECT_EQ(alphaAt(c, x, 10), 255);
        EXPECT_EQ(alphaAt(c, x, 11), 0);
    }
    EXPECT_TRUE(CGContextIsPathEmpty(c)) << "painting consumes the path";
}

TEST(CGContext, bitmapOriginIsBottomLeftAndImageContextsTopLeft)
{
    auto bitmap = makeRGBAContext(20, 20);
    CGContextFillRect(bitmap, CGRectMake(0, 0, 5, 5));
    EXPECT_EQ(alphaAt(bitmap, 2, 17), 255);
    EXPECT_EQ(alphaAt(bitmap, 2, 2), 0);

    CGContextRef image = CGBitmapContext::createImageContext({ 10, 10 }, false, 2);
    CGContextFillRect(image, CGRectMake(0, 0, 5, 5));
    EXPECT_EQ(alphaAt(image, 2, 2), 255);
    EXPECT_EQ(alphaAt(image, 2, 17), 0);
    EXPECT_EQ(CGContextGetCTM(image), CGAffineTransformMake(2, 0, 0, -2, 0, 20));
    // Device space is the platform's: pixels, y up from the bottom.
    EXPECT_EQ(CGContextConvertPointToDeviceSpace(image, { 1, 1 }), CGPointMake(2, 18));
    EXPECT_EQ(CGContextConvertRectToDeviceSpace(image, CGRectMake(0, 0, 5, 5)), CGRectMake(0, 10, 10, 10));
    EXPECT_EQ(CGContextConvertPointToUserSpace(image, { 2, 18 }), CGPointMake(1, 1));
}

TEST(CGContext, evenOddClipLeavesTheRingsHoleUnpainted)
{
    auto c = makeRGBAContext(100, 100);
    CGContextAddEllipseInRect(c, CGRectMake(0, 0, 100, 100));
    CGContextAddEllipseInRect(c, CGRectMake(25, 25, 50, 50));
    CGContextEOClip(c);
    CGContextSetRGBFillColor(c, 1, 0, 0, 1);
    CGContextFillRect(c, CGRectMake(0, 0, 100, 100));
    EXPECT_EQ(alphaAt(c, 50, 50), 0) << "hole";
    EXPECT_EQ(pixelAt(c, 10, 50).r, 255) << "ring";
    EXPECT_EQ(alphaAt(c, 2, 2), 0) << "outside";
    EXPECT_EQ(CGContextGetClipBoundingBox(c), CGRectMake(0, 0, 100, 100));
}

TEST(CGContext, shadowBlurSpreadsByItsRadius)
{
    auto c = makeRGBAContext(200, 100);
    CGContextSetShadowWithColor(c, CGSizeZero, 10, CGColorCreateGenericRGB(0, 0, 0, 1));
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    CGContextFillRect(c, CGRectMake(50, 20, 100, 60));
    // Row 50 from the top crosses the rectangle; its left edge is at x = 50.
    EXPECT_EQ(pixelAt(c, 60, 50).r, 255) << "the shape itself";
    const int near = alphaAt(c, 47, 50);
    const int half = alphaAt(c, 45, 50);
    const int far = alphaAt(c, 35, 50);
    EXPECT_GT(near, 60);
    EXPECT_GT(half, 20);
    EXPECT_GT(near, half);
    EXPECT_LT(far, 4) << "little beyond one and a half radii";
    EXPECT_EQ(alphaAt(c, 20, 50), 0);
}

TEST(CGContext, shadowOffsetIsInBaseSpaceAndMovesDown)
{
    CGContextRef c = CGBitmapContext::createImageContext({ 40, 40 }, false, 2);
    CGContextScaleCTM(c, 3, 3); // the CTM must not scale the offset
    CGContextSetShadowWithColor(c, CGSizeMake(2, 4), 0, CGColorCreateGenericRGB(0, 0, 1, 1));
    CGContextSetRGBFillColor(c, 1, 0, 0, 1);
    CGContextFillRect(c, CGRectMake(0, 0, 5, 5)); // 30 x 30 pixels at the top left
    // The shadow covers pixels 4...34 across and 8...38 down.
    EXPECT_EQ(pixelAt(c, 33, 37).b, 255);
    EXPECT_EQ(pixelAt(c, 33, 38).a, 0) << "offset of 4 points is 8 pixels";
    EXPECT_EQ(pixelAt(c, 34, 37).a, 0) << "offset of 2 points is 4 pixels";
    EXPECT_EQ(pixelAt(c, 3, 35).a, 0);
    EXPECT_EQ(pixelAt(c, 10, 10).r, 255) << "the shape covers its shadow";
}

TEST(CGContext, gradientAt45DegreesHasExpectedCornerColours)
{
    auto c = makeRGBAContext(101, 101);
    const CGFloat components[] = { 1, 0, 0, 1, 0, 0, 1, 1 };
    const CGFloat locations[] = { 0, 1 };
    auto gradient = CGGradientCreateWithColorComponents(CGColorSpaceCreateDeviceRGB(), components, locations, 2);
    CGContextDrawLinearGradient(c, gradient, { 0, 0 }, { 101, 101 }, kCGGradientDrawsBeforeStartLocation | kCGGradientDrawsAfterEndLocation);
    const Pixel start = pixelAt(c, 0, 100); // user (0, 0) is the bottom left
    const Pixel end = pixelAt(c, 100, 0);
    const Pixel side = pixelAt(c, 100, 100);
    EXPECT_GT(start.r, 245);
    EXPECT_LT(start.b, 10);
    EXPECT_GT(end.b, 245);
    EXPECT_LT(end.r, 10);
    EXPECT_NEAR(side.r, 128, 4);
    EXPECT_NEAR(side.b, 128, 4);
    EXPECT_EQ(side.a, 255);
}

TEST(CGContext, gradientExtendsOnlyWhereAsked)
{
    auto c = makeRGBAContext(100, 10);
    const CGFloat components[] = { 1, 0, 0, 1, 0, 0, 1, 1 };
    auto gradient = CGGradientCreateWithColorComponents(CGColorSpaceCreateDeviceRGB(), components, nullptr, 2);
    CGContextDrawLinearGradient(c, gradient, { 40, 0 }, { 60, 0 }, kCGGradientDrawsAfterEndLocation);
    EXPECT_EQ(alphaAt(c, 20, 5), 0) << "nothing before the start";
    EXPECT_EQ(pixelAt(c, 90, 5).b, 255) << "the end colour continues";

    auto radial = makeRGBAContext(100, 100);
    CGContextDrawRadialGradient(radial, gradient, { 50, 50 }, 10, { 50, 50 }, 30, kCGGradientDrawsAfterEndLocation);
    EXPECT_EQ(alphaAt(radial, 50, 50), 0);
    EXPECT_EQ(pixelAt(radial, 95, 50).b, 255);
    EXPECT_GT(pixelAt(radial, 71, 50).r, 100);
}

TEST(CGContext, drawImagePutsTheTopRowAtMaxY)
{
    auto source = makeRGBAContext(2, 2);
    CGContextSetRGBFillColor(source, 1, 0, 0, 1);
    CGContextFillRect(source, CGRectMake(0, 1, 2, 1)); // upper row in a bottom-left context
    auto image = CGBitmapContextCreateImage(source);
    ASSERT_TRUE(image);

    auto bitmap = makeRGBAContext(2, 2);
    CGContextDrawImage(bitmap, CGRectMake(0, 0, 2, 2), image);
    EXPECT_EQ(pixelAt(bitmap, 0, 0).r, 255);
    EXPECT_EQ(alphaAt(bitmap, 0, 1), 0);

    // In a flipped context the same call shows the picture upside down, as on the platform.
    CGContextRef flipped = CGBitmapContext::createImageContext({ 2, 2 }, false, 1);
    CGContextDrawImage(flipped, CGRectMake(0, 0, 2, 2), image);
    EXPECT_EQ(alphaAt(flipped, 0, 0), 0);
    EXPECT_EQ(pixelAt(flipped, 0, 1).r, 255);
}

TEST(CGContext, transparencyLayerCompositesOnceWithTheOuterAlpha)
{
    auto c = makeRGBAContext(30, 10);
    CGContextSetAlpha(c, 0.5);
    CGContextBeginTransparencyLayer(c, nullptr);
    CGContextFillRect(c, CGRectMake(0, 0, 20, 10));
    CGContextFillRect(c, CGRectMake(10, 0, 20, 10));
    CGContextEndTransparencyLayer(c);
    EXPECT_NEAR(alphaAt(c, 5, 5), 128, 1);
    EXPECT_NEAR(alphaAt(c, 15, 5), 128, 1) << "the overlap is not darker";

    // Without a layer each fill blends on its own.
    auto plain = makeRGBAContext(30, 10);
    CGContextSetAlpha(plain, 0.5);
    CGContextFillRect(plain, CGRectMake(0, 0, 20, 10));
    CGContextFillRect(plain, CGRectMake(10, 0, 20, 10));
    EXPECT_NEAR(alphaAt(plain, 15, 5), 191, 1);
}

TEST(CGContext, clipToMaskUsesGrayAsCoverage)
{
    auto maskContext = CGBitmapContextCreate(nullptr, 2, 1, 8, 0, CGColorSpaceCreateDeviceGray(), kCGImageAlphaNone);
    ASSERT_TRUE(maskContext);
    CGContextSetGrayFillColor(maskContext, 1, 1);
    CGContextFillRect(maskContext, CGRectMake(0, 0, 1, 1));
    auto mask = CGBitmapContextCreateImage(maskContext);
    ASSERT_TRUE(mask);
    EXPECT_EQ(CGImageGetBitsPerPixel(mask), 8u);
    EXPECT_EQ(CGDataProviderCopyData(CGImageGetDataProvider(mask))[0], 255);

    auto c = makeRGBAContext(20, 10);
    CGContextClipToMask(c, CGRectMake(0, 0, 20, 10), mask);
    CGContextFillRect(c, CGRectMake(0, 0, 20, 10));
    EXPECT_EQ(alphaAt(c, 2, 5), 255);
    EXPECT_EQ(alphaAt(c, 18, 5), 0);
    CGContextSaveGState(c);
    CGContextRestoreGState(c);
}

TEST(CGContext, stateStackRestoresColoursAndTransform)
{
    auto c = makeRGBAContext(10, 10);
    CGContextSaveGState(c);
    CGContextSetRGBFillColor(c, 0, 1, 0, 1);
    CGContextTranslateCTM(c, 5, 0);
    CGContextRestoreGState(c);
    CGContextRestoreGState(c); // unbalanced: ignored
    EXPECT_EQ(CGContextGetCTM(c), CGAffineTransformIdentity);
    CGContextFillRect(c, CGRectMake(0, 0, 1, 1));
    const Pixel p = pixelAt(c, 0, 9);
    EXPECT_EQ(p.a, 255);
    EXPECT_EQ(p.g, 0);
}

TEST(CGContext, pathQueriesWorkInUserSpace)
{
    CGContextRef c = CGBitmapContext::createImageContext({ 50, 50 }, false, 2);
    CGContextTranslateCTM(c, 10, 10);
    CGContextAddRect(c, CGRectMake(0, 0, 10, 10));
    EXPECT_EQ(CGContextGetPathBoundingBox(c), CGRectMake(0, 0, 10, 10));
    EXPECT_TRUE(CGContextPathContainsPoint(c, { 5, 5 }, kCGPathFill));
    EXPECT_FALSE(CGContextPathContainsPoint(c, { 15, 5 }, kCGPathFill));
    CGContextSetLineWidth(c, 4);
    CGContextReplacePathWithStrokedPath(c);
    EXPECT_TRUE(CGContextPathContainsPoint(c, { 11, 5 }, kCGPathFill));
    EXPECT_FALSE(CGContextPathContainsPoint(c, { 5, 5 }, kCGPathFill));

    CGContextBeginPath(c);
    CGContextMoveToPoint(c, 0, 0);
    CGContextAddArc(c, 0, 0, 10, 0, M_PI / 2, 0);
    const CGPoint end = CGContextGetPathCurrentPoint(c);
    EXPECT_NEAR(end.x, 0, 1e-9);
    EXPECT_NEAR(end.y, 10, 1e-9);
}

TEST(CGContext, nilArgumentsAreHarmless)
{
    CGContextRef none;
    CGContextFillRect(none, CGRectMake(0, 0, 1, 1));
    CGContextDrawImage(makeRGBAContext(2, 2), CGRectMake(0, 0, 1, 1), nullptr);
    EXPECT_FALSE(CGBitmapContextCreateImage(none));
    auto c = makeRGBAContext(4, 4);
    const CGFloat bad[] = { -1, 2 };
    CGContextSetLineDash(c, 0, bad, 2);
    CGContextSaveGState(c);
    CGContextScaleCTM(c, 0, 0);
    CGContextFillRect(c, CGRectMake(0, 0, 4, 4));
    CGContextRestoreGState(c);
    EXPECT_EQ(alphaAt(c, 1, 1), 0);
    // None of it left the context unable to draw.
    CGContextFillRect(c, CGRectMake(0, 0, 4, 4));
    EXPECT_EQ(alphaAt(c, 1, 1), 255);
}
