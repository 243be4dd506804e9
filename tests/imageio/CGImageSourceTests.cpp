#include "ImageFixtures.h"
#include "platform/foundation/NSNumber.h"
#include "platform/graphics/CGBitmapContext.h"
#include "platform/imageio/CGImageSource.h"
#include "tests/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>
#include <random>

namespace {

std::uint32_t translucentRed(int, int) { return 0xFF000080; }

std::uint32_t noise(int x, int y)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u;
    h = h * 2654435761u;
    return (h & 0xFFFFFF00u) | 0xFF;
}

std::uint32_t pixelOf(const CGImageRef& image, int x, int y)
{
    return imageWordAt(image, x, y);
}

double number(const std::shared_ptr<NSDictionary>& dictionary, const char* key)
{
    const auto value = ns::cast<NSNumber>(dictionary ? dictionary->objectForKey(key) : nullptr);
    return value ? value->doubleValue() : -1;
}

} // namespace

TEST(CGImageSource, typeComesFromTheSignature)
{
    EXPECT_EQ(CGImageSourceGetType(CGImageSourceCreateWithData(ImageFixtures::png(1, 1, translucentRed))), NSString("public.png"));
    EXPECT_EQ(CGImageSourceGetType(CGImageSourceCreateWithData(ImageFixtures::jpeg(8, 8))), NSString("public.jpeg"));
    EXPECT_EQ(CGImageSourceGetType(CGImageSourceCreateWithData(ImageFixtures::gif({ { 0, 0 } }))), NSString("com.compuserve.gif"));
    EXPECT_TRUE(CGImageSourceGetType(CGImageSourceCreateWithData(std::vector<std::uint8_t> { 'R', 'I', 'F', 'F' })).isNil());
}

TEST(CGImageSource, pngDecodesToPremultipliedPixels)
{
    auto source = CGImageSourceCreateWithData(ImageFixtures::png(3, 2, translucentRed));
    ASSERT_EQ(CGImageSourceGetCount(source), 1u);
    EXPECT_EQ(CGImageSourceGetStatus(source), kCGImageStatusComplete);
    auto image = CGImageSourceCreateImageAtIndex(source, 0);
    ASSERT_TRUE(image);
    EXPECT_EQ(CGImageGetWidth(image), 3u);
    EXPECT_EQ(CGImageGetAlphaInfo(image), kCGImageAlphaPremultipliedFirst);
    EXPECT_EQ(pixelOf(image, 2, 1), 0x80800000u);
    auto properties = CGImageSourceCopyPropertiesAtIndex(source, 0);
    EXPECT_EQ(number(properties, kCGImagePropertyPixelWidth), 3);
    EXPECT_EQ(number(properties, kCGImagePropertyPixelHeight), 2);
    EXPECT_FALSE(properties->objectForKey(kCGImagePropertyOrientation)) << "absent unless the file says";
    EXPECT_FALSE(CGImageSourceCopyPropertiesAtIndex(source, 1));
    EXPECT_FALSE(CGImageSourceCreateImageAtIndex(source, 1));

    auto provided = CGImageCreateWithPNGDataProvider(CGDataProviderCreateWithCFData(ImageFixtures::png(3, 2, translucentRed)), nullptr, true, kCGRenderingIntentDefault);
    EXPECT_TRUE(provided);
    EXPECT_FALSE(CGImageCreateWithJPEGDataProvider(CGDataProviderCreateWithCFData(ImageFixtures::png(3, 2, translucentRed)), nullptr, true, kCGRenderingIntentDefault));
}

TEST(CGImageSource, truncatedPngDecodesIncrementallyToAPartialImage)
{
    const auto file = ImageFixtures::png(32, 64, noise);
    auto source = CGImageSourceCreateIncremental();
    EXPECT_EQ(CGImageSourceGetStatus(source), kCGImageStatusReadingHeader);
    CGImageSourceUpdateData(source, std::span(file).first(file.size() / 2), false);
    EXPECT_EQ(CGImageSourceGetStatus(source), kCGImageStatusIncomplete);
    ASSERT_EQ(CGImageSourceGetCount(source), 1u);
    EXPECT_EQ(number(CGImageSourceCopyPropertiesAtIndex(source, 0), kCGImagePropertyPixelHeight), 64);
    auto partial = CGImageSourceCreateImageAtIndex(source, 0);
    ASSERT_TRUE(partial);
    EXPECT_EQ(CGImageGetWidth(partial), 32u);
    EXPECT_GT(CGImageGetHeight(partial), 10u);
    EXPECT_LT(CGImageGetHeight(partial), 64u);
    EXPECT_EQ(pixelOf(partial, 5, 3), 0xFF000000u | (noise(5, 3) >> 8));

    CGImageSourceUpdateData(source, file, true);
    EXPECT_EQ(CGImageSourceGetStatus(source), kCGImageStatusComplete);
    EXPECT_EQ(CGImageGetHeight(CGImageSourceCreateImageAtIndex(source, 0)), 64u);

    // A whole-file source over the same cut bytes answers the same partial image.
    auto cut = CGImageSourceCreateWithData(std::span(file).first(file.size() / 2));
    EXPECT_EQ(CGImageGetHeight(CGImageSourceCreateImageAtIndex(cut, 0)), CGImageGetHeight(partial));
    EXPECT_EQ(CGImageSourceGetStatus(cut), kCGImageStatusUnexpectedEOF);
}

TEST(CGImageSource, jpegCarriesItsExifOrientation)
{
    auto rotated = CGImageSourceCreateWithData(ImageFixtures::jpeg(16, 8, 6));
    auto properties = CGImageSourceCopyPropertiesAtIndex(rotated, 0);
    EXPECT_EQ(number(properties, kCGImagePropertyOrientation), 6);
    EXPECT_EQ(number(properties, kCGImagePropertyPixelWidth), 16);
    auto image = CGImageSourceCreateImageAtIndex(rotated, 0);
    ASSERT_TRUE(image);
    EXPECT_EQ(CGImageGetAlphaInfo(image), kCGImageAlphaNoneSkipFirst);
    EXPECT_EQ(pixelOf(image, 3, 3) >> 24, 0xFFu);
    EXPECT_NEAR(int((pixelOf(image, 3, 3) >> 8) & 0xFF), 40, 12);

    EXPECT_EQ(number(CGImageSourceCopyPropertiesAtIndex(CGImageSourceCreateWithData(ImageFixtures::jpeg(8, 8, 9)), 0), kCGImagePropertyOrientation), 9)
        << "the stored value, for the caller to judge";
    EXPECT_EQ(number(CGImageSourceCopyPropertiesAtIndex(CGImageSourceCreateWithData(ImageFixtures::jpeg(8, 8)), 0), kCGImagePropertyOrientation), -1);
}

TEST(CGImageSource, truncatedJpegKeepsTheRowsThatArrived)
{
    const auto file = ImageFixtures::jpeg(64, 128);
    auto source = CGImageSourceCreateWithData(std::span(file).first(file.size() * 6 / 10));
    auto image = CGImageSourceCreateImageAtIndex(source, 0);
    ASSERT_TRUE(image);
    EXPECT_GT(CGImageGetHeight(image), 16u);
    EXPECT_LT(CGImageGetHeight(image), 128u);
    EXPECT_EQ(CGImageSourceGetStatus(source), kCGImageStatusUnexpectedEOF);
}

TEST(CGImageSource, gifYieldsEveryFrameWithItsDelay)
{
    auto source = CGImageSourceCreateWithData(ImageFixtures::gif({ { 0, 0 }, { 3, 1 }, { 2, 7 } }));
    ASSERT_EQ(CGImageSourceGetCount(source), 3u);
    const auto delays = [&](std::size_t i) {
        const auto gif = ns::cast<NSDictionary>(CGImageSourceCopyPropertiesAtIndex(source, i)->objectForKey(kCGImagePropertyGIFDictionary));
        return std::pair { number(gif, kCGImagePropertyGIFUnclampedDelayTime), number(gif, kCGImagePropertyGIFDelayTime) };
    };
    EXPECT_EQ(delays(0), std::pair(0.0, 0.1));
    EXPECT_EQ(delays(1), std::pair(0.01, 0.1));
    EXPECT_EQ(delays(2), std::pair(0.07, 0.07));

    EXPECT_EQ(pixelOf(CGImageSourceCreateImageAtIndex(source, 0), 1, 1), 0xFFFF0000u);
    // A transparent frame over an undisposed one shows the one below.
    EXPECT_EQ(pixelOf(CGImageSourceCreateImageAtIndex(source, 1), 1, 1), 0xFFFF0000u);
    EXPECT_EQ(pixelOf(CGImageSourceCreateImageAtIndex(source, 2), 1, 1), 0xFF0000FFu);

    auto still = CGImageSourceCreateWithData(ImageFixtures::gif({ { 1, 5 } }));
    EXPECT_EQ(CGImageSourceGetCount(still), 1u);
}

TEST(CGImageSource, badDataFailsCleanly)
{
    std::mt19937 random(42);
    std::vector<std::uint8_t> noiseBytes(4096);
    for (auto& b : noiseBytes)
        b = static_cast<std::uint8_t>(random());
    auto source = CGImageSourceCreateWithData(noiseBytes);
    EXPECT_EQ(CGImageSourceGetCount(source), 0u);
    EXPECT_FALSE(CGImageSourceCreateImageAtIndex(source, 0));
    EXPECT_FALSE(CGImageSourceCopyPropertiesAtIndex(source, 0));
    EXPECT_EQ(CGImageSourceGetStatus(source), kCGImageStatusUnknownType);
    EXPECT_FALSE(CGImageSourceCreateWithData(std::shared_ptr<NSData>()));

    // Valid signatures followed by noise, and valid files with bytes flipped, never crash.
    const std::vector<std::vector<std::uint8_t>> files { ImageFixtures::png(16, 16, noise), ImageFixtures::jpeg(16, 16, 6),
        ImageFixtures::gif({ { 0, 3 }, { 1, 3 } }) };
    int decodedRounds = 0;
    int refusedRounds = 0;
    for (const auto& file : files) {
        auto headerOnly = file;
        for (std::size_t i = 8; i < headerOnly.size(); ++i)
            headerOnly[i] = static_cast<std::uint8_t>(random());
        auto s = CGImageSourceCreateWithData(headerOnly);
        CGImageSourceCreateImageAtIndex(s, 0);
        for (int round = 0; round < 150; ++round) {
            auto damaged = file;
            for (int flips = 0; flips < 4; ++flips)
                damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
            damaged.resize(random() % damaged.size() + 1);
            auto d = CGImageSourceCreateWithData(damaged);
            bool decoded = false;
            for (std::size_t i = 0; i < CGImageSourceGetCount(d); ++i) {
                CGImageSourceCopyPropertiesAtIndex(d, i);
                // A frame that decodes at all has a real size within the file's limits.
                if (auto image = CGImageSourceCreateImageAtIndex(d, i)) {
                    decoded = true;
                    EXPECT_GT(CGImageGetWidth(image), 0u);
                    EXPECT_GT(CGImageGetHeight(image), 0u);
                    EXPECT_LE(CGImageGetWidth(image) * CGImageGetHeight(image), std::size_t(65535) * 65535);
                }
            }
            // An image source answers a status for every input, and never "complete" for one
            // that gave no frame at all.
            const auto status = CGImageSourceGetStatus(d);
            if (!decoded && CGImageSourceGetCount(d) == 0) {
                EXPECT_NE(status, kCGImageStatusComplete);
            }
            (decoded ? decodedRounds : refusedRounds)++;
        }
    }
    // The damage is varied enough to exercise both ends.
    EXPECT_GT(decodedRounds, 0);
    EXPECT_GT(refusedRounds, 0);
    // A header claiming a huge picture is refused before anything is allocated.
    auto huge = ImageFixtures::png(1, 1, translucentRed);
    huge[16] = 0x7F; // width's high byte: far beyond any limit
    EXPECT_FALSE(CGImageSourceCreateImageAtIndex(CGImageSourceCreateWithData(huge), 0));
}

TEST(CGImageSource, aWholePngIsReadWhenFirstDrawnAndDrawsAsDecodedAtOnce)
{
    const auto file = ImageFixtures::png(32, 64, noise);
    // Counted, measured and handed out from its chunks alone.
    auto lazy = CGImageSourceCreateWithData(file);
    ASSERT_EQ(CGImageSourceGetCount(lazy), 1u);
    const auto properties = CGImageSourceCopyPropertiesAtIndex(lazy, 0);
    EXPECT_EQ(number(properties, kCGImagePropertyPixelWidth), 32);
    EXPECT_EQ(number(properties, kCGImagePropertyPixelHeight), 64);
    const auto image = CGImageSourceCreateImageAtIndex(lazy, 0);
    ASSERT_TRUE(image);
    EXPECT_EQ(CGImageSourceCreateImageAtIndex(lazy, 0), image);
    EXPECT_EQ(CGImageGetAlphaInfo(image), kCGImageAlphaNoneSkipFirst);
    lazy.reset();
    // The same pixels as a source that decoded before handing out its image.
    auto eager = CGImageSourceCreateWithData(file);
    ASSERT_EQ(CGImageSourceGetStatus(eager), kCGImageStatusComplete);
    const auto decoded = CGImageSourceCreateImageAtIndex(eager, 0);
    for (const auto& [x, y] : { std::pair { 0, 0 }, std::pair { 31, 63 }, std::pair { 17, 40 } })
        EXPECT_EQ(pixelOf(image, x, y), pixelOf(decoded, x, y));
    // Translucent pixels keep their alpha.
    auto translucent = CGImageSourceCreateImageAtIndex(CGImageSourceCreateWithData(ImageFixtures::png(3, 2, translucentRed)), 0);
    EXPECT_EQ(CGImageGetAlphaInfo(translucent), kCGImageAlphaPremultipliedFirst);
    EXPECT_EQ(pixelOf(translucent, 2, 1), 0x80800000u);

    // Chunks cut short or failing their check are not read lazily: the source answers as one
    // that decoded first.
    auto cut = file;
    cut.resize(file.size() / 2);
    auto flipped = file;
    flipped[file.size() / 2] ^= 0x10;
    for (const auto& bad : { cut, flipped }) {
        auto asked = CGImageSourceCreateWithData(bad);
        auto decodedFirst = CGImageSourceCreateWithData(bad);
        CGImageSourceGetStatus(decodedFirst);
        EXPECT_EQ(CGImageSourceGetCount(asked), CGImageSourceGetCount(decodedFirst));
        const auto shown = CGImageSourceCreateImageAtIndex(asked, 0);
        const auto expected = CGImageSourceCreateImageAtIndex(decodedFirst, 0);
        EXPECT_EQ(bool(shown), bool(expected));
        EXPECT_EQ(CGImageGetHeight(shown), CGImageGetHeight(expected));
    }
}
