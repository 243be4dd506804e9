#include "library/network/shared/RIImageDecoding.h"
#include "tests/imageio/ImageFixtures.h"

#include "platform/graphics/CGBitmapContext.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIGraphics.h"

#include <gtest/gtest.h>
#include <webp/encode.h>

namespace {

std::shared_ptr<NSData> dataOf(const std::vector<std::uint8_t>& bytes) { return NSData::dataWithBytes(bytes); }
std::shared_ptr<NSData> dataOf(const std::string& text) { return NSData::dataWithBytes(text.data(), text.size()); }

std::uint32_t opaqueRed(int, int) { return 0xFF0000FF; }
std::uint32_t halfTransparent(int, int) { return 0x00FF0080; }

// The premultiplied ARGB pixel at (x, y) from the top of the image's bitmap.
std::uint32_t pixelAt(const UIImageRef& image, int x, int y)
{
    const auto bitmap = image->CGImage();
    const std::size_t width = CGImageGetWidth(bitmap);
    const std::size_t height = CGImageGetHeight(bitmap);
    auto context = CGBitmapContextCreate(nullptr, width, height, 8, width * 4, CGColorSpaceCreateDeviceRGB(),
        CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little);
    CGContextDrawImage(context, CGRect { { 0, 0 }, { CGFloat(width), CGFloat(height) } }, bitmap);
    const auto* bytes = static_cast<const std::uint8_t*>(CGBitmapContextGetData(context));
    const std::uint8_t* pixel = bytes + std::size_t(y) * CGBitmapContextGetBytesPerRow(context) + std::size_t(x) * 4;
    return std::uint32_t(pixel[3]) << 24 | std::uint32_t(pixel[2]) << 16 | std::uint32_t(pixel[1]) << 8 | pixel[0];
}

TEST(ImageDecoding, ContentTypeIsToldByTheFirstBytesAndWebPByItsTwelve)
{
    using NSData_ImageContentType::ri_contentTypeForImageData;
    EXPECT_EQ(ri_contentTypeForImageData(dataOf(std::string("\xFF\xD8"))), "image/jpeg");
    EXPECT_EQ(ri_contentTypeForImageData(dataOf(std::string("\x89PNG"))), "image/png");
    EXPECT_EQ(ri_contentTypeForImageData(dataOf(std::string("GIF89a"))), "image/gif");
    EXPECT_EQ(ri_contentTypeForImageData(dataOf(std::string("II*"))), "image/tiff");
    EXPECT_EQ(ri_contentTypeForImageData(dataOf(std::string("MM"))), "image/tiff");
    EXPECT_EQ(ri_contentTypeForImageData(dataOf(std::string("RIFF\x10\0\0\0WEBP", 12))), "image/webp");
    EXPECT_TRUE(ri_contentTypeForImageData(dataOf(std::string("RIFF\x10\0\0\0WAVE", 12))).isNil());
    EXPECT_TRUE(ri_contentTypeForImageData(dataOf(std::string("RIFF\x10\0\0\0WEB", 11))).isNil());
    EXPECT_TRUE(ri_contentTypeForImageData(dataOf(std::string("<html>"))).isNil());
    EXPECT_TRUE(ri_contentTypeForImageData(NSData::data()).isNil());
    EXPECT_TRUE(ri_contentTypeForImageData(nullptr).isNil());
}

TEST(ImageDecoding, OrientationComesFromTheFileAndUnknownValuesStayUp)
{
    auto rotated = UIImage_MultiFormat::ri_imageWithData(dataOf(ImageFixtures::jpeg(8, 4, 6)));
    ASSERT_TRUE(rotated);
    EXPECT_EQ(rotated->imageOrientation(), UIImageOrientationRight);
    EXPECT_EQ(UIImage_MultiFormat::ri_imageOrientationFromImageData(dataOf(ImageFixtures::jpeg(8, 4, 9))), UIImageOrientationUp);
    EXPECT_EQ(UIImage_MultiFormat::ri_imageOrientationFromImageData(dataOf(std::string("nothing"))), UIImageOrientationUp);
    const std::pair<int, UIImageOrientation> table[] = { { 1, UIImageOrientationUp }, { 2, UIImageOrientationUpMirrored },
        { 3, UIImageOrientationDown }, { 4, UIImageOrientationDownMirrored }, { 5, UIImageOrientationLeftMirrored },
        { 6, UIImageOrientationRight }, { 7, UIImageOrientationRightMirrored }, { 8, UIImageOrientationLeft }, { 0, UIImageOrientationUp },
        { 9, UIImageOrientationUp } };
    for (const auto& [exif, orientation] : table)
        EXPECT_EQ(UIImage_MultiFormat::ri_exifOrientationToiOSOrientation(exif), orientation) << exif;
}

TEST(ImageDecoding, AnimatedGIFsGiveTheirFramesAndDelays)
{
    auto twoWithoutDelay = UIImage_MultiFormat::ri_imageWithData(dataOf(ImageFixtures::gif({ { 0, 0 }, { 1, 0 } })));
    ASSERT_TRUE(twoWithoutDelay);
    ASSERT_EQ(twoWithoutDelay->images().size(), 2u);
    EXPECT_NEAR(twoWithoutDelay->duration(), 0.2, 1e-6);

    // One centisecond is below the floor and becomes 0.1 s; two stay.
    auto mixed = UIImage_GIF::ri_animatedGIFWithData(dataOf(ImageFixtures::gif({ { 0, 1 }, { 1, 2 }, { 2, 50 } })));
    ASSERT_TRUE(mixed);
    EXPECT_EQ(mixed->images().size(), 3u);
    EXPECT_NEAR(mixed->duration(), 0.1 + 0.02 + 0.5, 1e-5);

    auto single = UIImage_GIF::ri_animatedGIFWithData(dataOf(ImageFixtures::gif({ { 0, 10 } })));
    ASSERT_TRUE(single);
    EXPECT_TRUE(single->images().empty());
    EXPECT_FALSE(UIImage_GIF::ri_animatedGIFWithData(nullptr));
    EXPECT_FALSE(UIImage_GIF::ri_animatedGIFWithData(dataOf(std::string("GIF89a broken"))));
}

TEST(ImageDecoding, ScaleIsReadFromTheKeysDensityMarker)
{
    auto image = UIImage::imageWithData(dataOf(ImageFixtures::png(4, 4, opaqueRed)));
    ASSERT_TRUE(image);
    const std::pair<const char*, CGFloat> table[] = { { "http://h/a@2x.png", 2 }, { "http://h/a@2x.jpeg", 2 }, { "http://h/a@2x.jp", 1 },
        { "http://h/a@2x.jpeg2", 1 }, { "http://h/a@2x", 1 }, { "@2x.png", 1 }, { "http://h/a@3x.png", 1 }, { "http://h/a.png", 1 } };
    for (const auto& [key, scale] : table)
        EXPECT_EQ(RIScaledImageForKey(key, image)->scale(), scale) << key;
    EXPECT_FALSE(RIScaledImageForKey("a@2x.png", nullptr));
    auto animated = UIImage::animatedImageWithImages({ image, image }, 1.0);
    auto scaled = RIScaledImageForKey("http://h/a@2x.gif", animated);
    ASSERT_EQ(scaled->images().size(), 2u);
    EXPECT_EQ(scaled->images()[1]->scale(), 2);
    EXPECT_EQ(scaled->duration(), 1.0);
}

TEST(ImageDecoding, TheDensityMarkerIsLookedForInCharactersNotBytes)
{
    auto image = UIImage::imageWithData(dataOf(ImageFixtures::png(4, 4, opaqueRed)));
    ASSERT_TRUE(image);
    // Three characters after the marker, nine bytes: the marker lies in the window.
    EXPECT_EQ(RIScaledImageForKey("http://h/a@2x.图片档", image)->scale(), 2);
    // Two characters after it, four bytes: it does not.
    EXPECT_EQ(RIScaledImageForKey("http://h/照片@2x.图a", image)->scale(), 1);
    EXPECT_EQ(RIScaledImageForKey("照片@2x.png", image)->scale(), 2);
}

TEST(ImageDecoding, ForcedDecompressionKeepsPixelsScaleAndOrientationAndLeavesAnimationsAlone)
{
    auto opaque = UIImage::imageWithCGImage(UIImage::imageWithData(dataOf(ImageFixtures::jpeg(6, 6)))->CGImage(), 2, UIImageOrientationLeft);
    auto decoded = UIImage_ForceDecode::decodedImageWithImage(opaque);
    ASSERT_TRUE(decoded);
    EXPECT_NE(decoded, opaque);
    EXPECT_EQ(decoded->scale(), 2);
    EXPECT_EQ(decoded->imageOrientation(), UIImageOrientationLeft);
    EXPECT_EQ(CGImageGetAlphaInfo(decoded->CGImage()), kCGImageAlphaNoneSkipFirst);

    auto translucent = UIImage::imageWithData(dataOf(ImageFixtures::png(3, 3, halfTransparent)));
    auto decodedTranslucent = UIImage_ForceDecode::decodedImageWithImage(translucent);
    EXPECT_EQ(CGImageGetAlphaInfo(decodedTranslucent->CGImage()), kCGImageAlphaPremultipliedFirst);
    EXPECT_EQ(pixelAt(decodedTranslucent, 1, 1), pixelAt(translucent, 1, 1));

    auto animated = UIImage::animatedImageWithImages({ translucent, translucent }, 0.5);
    EXPECT_EQ(UIImage_ForceDecode::decodedImageWithImage(animated), animated);
    EXPECT_FALSE(UIImage_ForceDecode::decodedImageWithImage(nullptr));
}

TEST(ImageDecoding, WebPDecodesToPremultipliedPixelsAndDamagedWebPToNothing)
{
    std::vector<std::uint8_t> rgba(5 * 3 * 4);
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        rgba[i] = 0xFF;
        rgba[i + 3] = 0x80;
    }
    std::uint8_t* encoded = nullptr;
    const std::size_t size = WebPEncodeLosslessRGBA(rgba.data(), 5, 3, 5 * 4, &encoded);
    ASSERT_GT(size, 12u);
    std::vector<std::uint8_t> bytes(encoded, encoded + size);
    WebPFree(encoded);

    auto image = UIImage_MultiFormat::ri_imageWithData(dataOf(bytes));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size().width, 5);
    EXPECT_EQ(image->size().height, 3);
    const std::uint32_t pixel = pixelAt(image, 2, 1);
    EXPECT_EQ(pixel >> 24, 0x80u);
    EXPECT_NEAR(double((pixel >> 16) & 0xFF), 0x80, 1);

    bytes.resize(20);
    EXPECT_FALSE(UIImage_MultiFormat::ri_imageWithData(dataOf(bytes)));
}

TEST(ImageDecoding, ScalingAnAnimationDrawsEachFrameOnAClearCanvas)
{
    auto red = UIImage::imageWithData(dataOf(ImageFixtures::png(4, 4, opaqueRed)));
    auto clear = UIImage::imageWithData(dataOf(ImageFixtures::png(4, 4, [](int, int) -> std::uint32_t { return 0; })));
    auto animated = UIImage::animatedImageWithImages({ red, clear }, 0.4);
    EXPECT_EQ(UIImage_GIF::ri_animatedImageByScalingAndCroppingToSize(animated, animated->size()), animated);
    EXPECT_EQ(UIImage_GIF::ri_animatedImageByScalingAndCroppingToSize(animated, CGSizeZero), animated);

    auto scaled = UIImage_GIF::ri_animatedImageByScalingAndCroppingToSize(animated, CGSize { 8, 4 });
    ASSERT_EQ(scaled->images().size(), 2u);
    EXPECT_EQ(scaled->duration(), 0.4);
    EXPECT_EQ(pixelAt(scaled->images()[0], 4, 4) >> 24, 0xFFu);
    EXPECT_EQ(pixelAt(scaled->images()[1], 4, 4), 0u);
}

} // namespace
