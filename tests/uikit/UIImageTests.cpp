#include "WidgetTestSupport.h"

#include "platform/foundation/NSFileManager.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

constexpr RGBA red = 0xFF0000FF, green = 0x00FF00FF, blue = 0x0000FFFF, white = 0xFFFFFFFF, black = 0x000000FF;

void writeFile(const std::filesystem::path& path, const std::shared_ptr<NSData>& data)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data->bytes()), std::streamsize(data->length()));
}

class UIImageBundle : public testing::Test {
protected:
    void SetUp() override
    {
        m_folder = std::filesystem::path(std::getenv("CORVANE_HOME")) / ("bundle-" + std::to_string(++s_count));
        writeFile(m_folder / "icon@2x.png", UIImagePNGRepresentation(solidImage(8, 6, red)));
        writeFile(m_folder / "icon.png", UIImagePNGRepresentation(solidImage(4, 3, blue)));
        writeFile(m_folder / "plain.png", UIImagePNGRepresentation(solidImage(5, 5, green)));
        writeFile(m_folder / "photo.jpg", UIImageJPEGRepresentation(solidImage(16, 8, white), 0.9));
        writeFile(m_folder / "tabs" / "home@2x.png", UIImagePNGRepresentation(solidImage(2, 2, black)));
        std::ofstream(m_folder / "broken.png") << "not an image";
        m_bundle = NSBundle::bundleWithPath(NSString(m_folder.string()));
    }

    std::filesystem::path m_folder;
    std::shared_ptr<NSBundle> m_bundle;
    static inline int s_count = 0;
};

} // namespace

TEST_F(UIImageBundle, namedImagesPreferTheDoubleScaleFileAndMeasureInPoints)
{
    auto icon = UIImage::imageNamed("icon", m_bundle);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->scale(), 2);
    EXPECT_EQ(icon->size(), CGSizeMake(4, 3));
    EXPECT_EQ(pixelOf(icon->CGImage(), 0, 0), red);
    // An extension in the name finds the same file; a name that already says @2x is taken as is.
    EXPECT_EQ(UIImage::imageNamed("icon.png", m_bundle)->scale(), 2);
    EXPECT_EQ(UIImage::imageNamed("icon@2x", m_bundle)->size(), CGSizeMake(4, 3));

    auto plain = UIImage::imageNamed("plain", m_bundle);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->scale(), 1);
    EXPECT_EQ(plain->size(), CGSizeMake(5, 5));

    EXPECT_EQ(UIImage::imageNamed("photo.jpg", m_bundle)->size(), CGSizeMake(16, 8));
    EXPECT_EQ(UIImage::imageNamed("tabs/home", m_bundle)->size(), CGSizeMake(1, 1));
}

TEST_F(UIImageBundle, namedImagesAreSharedWhileSomeoneHoldsThem)
{
    auto first = UIImage::imageNamed("plain", m_bundle);
    EXPECT_EQ(UIImage::imageNamed("plain", m_bundle), first);
    std::filesystem::remove(m_folder / "plain.png");
    EXPECT_EQ(UIImage::imageNamed("plain", m_bundle), first);
    first.reset();
    EXPECT_FALSE(UIImage::imageNamed("plain", m_bundle));
}

TEST_F(UIImageBundle, missingOrUnreadableImagesAreNil)
{
    EXPECT_FALSE(UIImage::imageNamed("absent", m_bundle));
    EXPECT_FALSE(UIImage::imageNamed("broken", m_bundle));
    EXPECT_FALSE(UIImage::imageNamed("../bundle-1/icon", m_bundle));
    EXPECT_FALSE(UIImage::imageNamed(NSString(), m_bundle));
    EXPECT_FALSE(UIImage::imageNamed(""));
    EXPECT_FALSE(UIImage::imageWithContentsOfFile(NSString((m_folder / "nothing.png").string())));
    EXPECT_FALSE(UIImage::imageWithContentsOfFile(NSString()));
    EXPECT_FALSE(UIImage::imageWithData(nullptr));
    EXPECT_FALSE(UIImage::imageWithData(NSData::data()));
    EXPECT_FALSE(UIImage::imageWithData(NSData::dataWithBytes("\x89PNG\r\n\x1a\n garbage", 16)));
    EXPECT_FALSE(UIImage::imageWithCGImage(nullptr));
    EXPECT_FALSE(UIImage::animatedImageWithImages({ nullptr }, 1));
}

TEST_F(UIImageBundle, aFileNamedAtDoubleScaleReadsAtThatScale)
{
    auto icon = UIImage::imageWithContentsOfFile(NSString((m_folder / "icon@2x.png").string()));
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->scale(), 2);
    EXPECT_EQ(UIImage::imageWithContentsOfFile(NSString((m_folder / "icon.png").string()))->scale(), 1);
}

TEST(UIImage, nilImagesAreHarmlessEverywhere)
{
    EXPECT_FALSE(UIImagePNGRepresentation(nullptr));
    EXPECT_FALSE(UIImageJPEGRepresentation(nullptr, 1));
    EXPECT_FALSE(UIGraphicsGetImageFromCurrentImageContext());
    // Drawing with no context does nothing.
    solidImage(2, 2, red)->drawInRect(CGRectMake(0, 0, 10, 10));
    solidImage(2, 2, red)->drawAsPatternInRect(CGRectMake(0, 0, 10, 10));
}

TEST(UIImage, scaleAndQuarterTurnsDecideTheSizeInPoints)
{
    auto image = solidImage(40, 20, red, 2);
    EXPECT_EQ(image->size(), CGSizeMake(20, 10));
    auto turned = UIImage::imageWithCGImage(image->CGImage(), 2, UIImageOrientationLeft);
    EXPECT_EQ(turned->size(), CGSizeMake(10, 20));
    EXPECT_EQ(turned->imageOrientation(), UIImageOrientationLeft);
    EXPECT_EQ(UIImage::imageWithCGImage(image->CGImage(), 0)->scale(), 1);
    EXPECT_EQ(UIImage::imageWithCGImage(image->CGImage(), 1, UIImageOrientation(42))->imageOrientation(), UIImageOrientationUp);
}

TEST(UIImage, drawsUprightInEveryOrientation)
{
    // Stored 2 x 1: red then blue.
    const auto halves = [](int x, int) { return x == 0 ? red : blue; };
    const auto drawn = [&](UIImageOrientation orientation, int x, int y) {
        auto image = paintedImage(2, 1, 1, halves, orientation);
        auto picture = drawnPicture(image->size(), [&] { image->drawAtPoint(CGPointZero); });
        return pixelOf(picture, x, y);
    };
    EXPECT_EQ(drawn(UIImageOrientationUp, 0, 0), red);
    EXPECT_EQ(drawn(UIImageOrientationDown, 0, 0), blue);
    EXPECT_EQ(drawn(UIImageOrientationUpMirrored, 0, 0), blue);
    EXPECT_EQ(drawn(UIImageOrientationDownMirrored, 0, 0), red);
    // A quarter turn anticlockwise brings the stored top row to the left side, its start at the bottom.
    EXPECT_EQ(drawn(UIImageOrientationLeft, 0, 1), red);
    EXPECT_EQ(drawn(UIImageOrientationLeft, 0, 0), blue);
    EXPECT_EQ(drawn(UIImageOrientationRight, 0, 0), red);
    EXPECT_EQ(drawn(UIImageOrientationRight, 0, 1), blue);
    EXPECT_EQ(drawn(UIImageOrientationLeftMirrored, 0, 0), red);
    EXPECT_EQ(drawn(UIImageOrientationRightMirrored, 0, 1), red);
}

TEST(UIImage, pngRepresentationKeepsEveryPixelAndTheOrientationShown)
{
    const auto pattern = [](int x, int y) -> RGBA { return (x + y) % 2 ? 0x11223380 : 0xC0FFEEFF; };
    auto image = paintedImage(5, 3, 1, pattern);
    auto decoded = UIImage::imageWithData(UIImagePNGRepresentation(image));
    ASSERT_TRUE(decoded);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(pixelOf(decoded->CGImage(), x, y), pixelOf(image->CGImage(), x, y)) << x << "," << y;

    // The file holds the picture as shown, so a reader that ignores orientation sees it right.
    auto turned = paintedImage(2, 1, 2, [](int x, int) { return x == 0 ? red : blue; }, UIImageOrientationRight);
    auto upright = UIImage::imageWithData(UIImagePNGRepresentation(turned), 2);
    ASSERT_TRUE(upright);
    EXPECT_EQ(upright->size(), CGSizeMake(0.5, 1));
    EXPECT_EQ(pixelOf(upright->CGImage(), 0, 0), red);
    EXPECT_EQ(pixelOf(upright->CGImage(), 0, 1), blue);
}

TEST(UIImage, jpegRepresentationTradesSizeForQuality)
{
    auto image = paintedImage(64, 64, 1, [](int x, int y) -> RGBA { return ((x * 7 + y * 13) % 256) << 24 | 0x8040FF; });
    auto best = UIImageJPEGRepresentation(image, 1.0);
    auto small = UIImageJPEGRepresentation(image, 0.1);
    ASSERT_TRUE(best && small);
    EXPECT_LT(small->length(), best->length());
    auto decoded = UIImage::imageWithData(best);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->size(), CGSizeMake(64, 64));
    const RGBA pixel = pixelOf(decoded->CGImage(), 10, 10);
    EXPECT_NEAR(int(pixel >> 24), (10 * 7 + 10 * 13) % 256, 6);
    EXPECT_NEAR(int((pixel >> 8) & 0xFF), 0x40, 6);
    // Out-of-range qualities are clamped, not refused.
    EXPECT_TRUE(UIImageJPEGRepresentation(image, -3));
    EXPECT_TRUE(UIImageJPEGRepresentation(image, 7));
}

TEST(UIImage, jpegOrientationTagTurnsTheImage)
{
    auto jpeg = UIImageJPEGRepresentation(solidImage(16, 8, white), 0.9);
    ASSERT_TRUE(jpeg);
    // An APP1 segment with one big-endian IFD entry: orientation 6, a quarter turn clockwise.
    const std::uint8_t exif[] = { 0xFF, 0xE1, 0x00, 0x22, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8,
        0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, 6, 0, 0, 0, 0, 0, 0 };
    std::vector<std::uint8_t> bytes(jpeg->bytes(), jpeg->bytes() + 2);
    bytes.insert(bytes.end(), std::begin(exif), std::end(exif));
    bytes.insert(bytes.end(), jpeg->bytes() + 2, jpeg->bytes() + jpeg->length());
    auto image = UIImage::imageWithData(NSData::dataWithBytes(std::move(bytes)));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->imageOrientation(), UIImageOrientationRight);
    EXPECT_EQ(image->size(), CGSizeMake(8, 16));
}

TEST(UIImage, imageContextsGiveTheirPixelsAtTheirScale)
{
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(3, 2), false, 2);
    CGContextSetRGBFillColor(UIGraphicsGetCurrentContext(), 0, 1, 0, 1);
    CGContextFillRect(UIGraphicsGetCurrentContext(), CGRectMake(0, 0, 1, 1));
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->scale(), 2);
    EXPECT_EQ(image->size(), CGSizeMake(3, 2));
    EXPECT_EQ(pixelOf(image->CGImage(), 1, 1), green);
    EXPECT_EQ(pixelOf(image->CGImage(), 2, 0) & 0xFF, 0u);
}

TEST(UIImage, stretchedCapsStayTheirSizeAndTheMiddleScales)
{
    // 3 x 3: a red frame one pixel wide around a blue centre.
    auto framed = paintedImage(3, 3, 1, [](int x, int y) { return x == 1 && y == 1 ? blue : red; });
    auto stretched = framed->resizableImageWithCapInsets(UIEdgeInsetsMake(1, 1, 1, 1), UIImageResizingModeStretch);
    EXPECT_EQ(stretched->resizingMode(), UIImageResizingModeStretch);
    EXPECT_EQ(stretched->capInsets(), UIEdgeInsetsMake(1, 1, 1, 1));
    EXPECT_EQ(stretched->size(), CGSizeMake(3, 3));
    auto picture = drawnPicture(CGSizeMake(20, 10), [&] { stretched->drawInRect(CGRectMake(0, 0, 20, 10)); });
    EXPECT_EQ(pixelOf(picture, 0, 0), red);
    EXPECT_EQ(pixelOf(picture, 19, 9), red);
    EXPECT_EQ(pixelOf(picture, 0, 5), red);
    EXPECT_EQ(pixelOf(picture, 10, 0), red);
    EXPECT_EQ(pixelOf(picture, 1, 1), blue);
    EXPECT_EQ(pixelOf(picture, 10, 5), blue);
    EXPECT_EQ(pixelOf(picture, 18, 8), blue);

    // No caps: the whole image scales.
    auto whole = framed->resizableImageWithCapInsets(UIEdgeInsetsZero, UIImageResizingModeStretch);
    auto scaled = drawnPicture(CGSizeMake(30, 30), [&] { whole->drawInRect(CGRectMake(0, 0, 30, 30)); });
    EXPECT_EQ(pixelOf(scaled, 3, 3), red);
    // Filtering blends the neighbours a little.
    EXPECT_GT(int((pixelOf(scaled, 15, 15) >> 8) & 0xFF), 0xD0);
    EXPECT_LT(int(pixelOf(scaled, 15, 15) >> 24), 0x30);
}

TEST(UIImage, tiledMiddlesRepeatInsteadOfScaling)
{
    // 4 x 1: red cap, green and blue middle, red cap.
    auto strip = paintedImage(4, 1, 1, [](int x, int) { return x == 1 ? green : x == 2 ? blue : red; });
    auto tiled = strip->resizableImageWithCapInsets(UIEdgeInsetsMake(0, 1, 0, 1));
    EXPECT_EQ(tiled->resizingMode(), UIImageResizingModeTile);
    auto picture = drawnPicture(CGSizeMake(8, 1), [&] { tiled->drawInRect(CGRectMake(0, 0, 8, 1)); });
    const RGBA expected[8] = { red, green, blue, green, blue, green, blue, red };
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(pixelOf(picture, x, 0), expected[x]) << x;

    // Without caps the whole image repeats from the top left of the rectangle.
    auto pattern = strip->resizableImageWithCapInsets(UIEdgeInsetsZero);
    auto repeated = drawnPicture(CGSizeMake(10, 2), [&] { pattern->drawInRect(CGRectMake(2, 0, 8, 2)); });
    EXPECT_EQ(pixelOf(repeated, 1, 0) & 0xFF, 0u);
    EXPECT_EQ(pixelOf(repeated, 2, 1), red);
    EXPECT_EQ(pixelOf(repeated, 3, 1), green);
    EXPECT_EQ(pixelOf(repeated, 7, 0), green);
}

TEST(UIImage, stretchableImagesStretchTheOnePointAfterTheCap)
{
    auto strip = paintedImage(5, 1, 1, [](int x, int) { return x == 2 ? blue : red; });
    auto stretchable = strip->stretchableImageWithLeftCapWidth(2, 0);
    EXPECT_EQ(stretchable->leftCapWidth(), 2);
    EXPECT_EQ(stretchable->topCapHeight(), 0);
    EXPECT_EQ(stretchable->capInsets(), UIEdgeInsetsMake(0, 2, 0, 2));
    auto picture = drawnPicture(CGSizeMake(12, 1), [&] { stretchable->drawInRect(CGRectMake(0, 0, 12, 1)); });
    EXPECT_EQ(pixelOf(picture, 1, 0), red);
    EXPECT_EQ(pixelOf(picture, 3, 0), blue);
    EXPECT_EQ(pixelOf(picture, 8, 0), blue);
    EXPECT_EQ(pixelOf(picture, 10, 0), red);
}

TEST(UIImage, capsSqueezeIntoASmallerRectangle)
{
    auto framed = paintedImage(10, 1, 1, [](int x, int) { return x < 4 ? red : x < 6 ? blue : green; });
    auto resizable = framed->resizableImageWithCapInsets(UIEdgeInsetsMake(0, 4, 0, 4), UIImageResizingModeStretch);
    auto picture = drawnPicture(CGSizeMake(4, 1), [&] { resizable->drawInRect(CGRectMake(0, 0, 4, 1)); });
    EXPECT_EQ(pixelOf(picture, 0, 0), red);
    EXPECT_EQ(pixelOf(picture, 3, 0), green);
    // Caps wider than the image are ignored rather than read outside it.
    auto oversized = framed->resizableImageWithCapInsets(UIEdgeInsetsMake(0, 8, 0, 8), UIImageResizingModeStretch);
    auto whole = drawnPicture(CGSizeMake(10, 1), [&] { oversized->drawInRect(CGRectMake(0, 0, 10, 1)); });
    EXPECT_EQ(pixelOf(whole, 5, 0), blue);
}

TEST(UIImage, animatedImagesKeepTheirFramesAndDuration)
{
    auto first = solidImage(4, 4, red, 2), second = solidImage(4, 4, blue, 2);
    auto animated = UIImage::animatedImageWithImages({ first, nullptr, second }, 0.5);
    ASSERT_TRUE(animated);
    ASSERT_EQ(animated->images().size(), 2u);
    EXPECT_EQ(animated->images()[1], second);
    EXPECT_EQ(animated->duration(), 0.5);
    EXPECT_EQ(animated->size(), CGSizeMake(2, 2));
    EXPECT_EQ(animated->CGImage(), first->CGImage());
    EXPECT_TRUE(solidImage(1, 1, red)->images().empty());
}

TEST(UIImage, drawingHonoursTheAlphaAsked)
{
    auto image = solidImage(2, 2, red);
    auto picture = drawnPicture(CGSizeMake(2, 2), [&] { image->drawInRect(CGRectMake(0, 0, 2, 2), kCGBlendModeNormal, 0.5); });
    EXPECT_NEAR(int(pixelOf(picture, 1, 1) & 0xFF), 128, 1);
    auto patterned = drawnPicture(CGSizeMake(6, 2), [&] { image->drawAsPatternInRect(CGRectMake(0, 0, 5, 2)); });
    EXPECT_EQ(pixelOf(patterned, 4, 1), red);
    EXPECT_EQ(pixelOf(patterned, 5, 1) & 0xFF, 0u);
}

TEST(UIImage, stretchedPiecesMeetWithoutASeamAtAnyWidth)
{
    // An orange button's picture stretched to a third of the screen: the pieces meet inside a
    // pixel, and none may let the background through.
    const RGBA orange = 0xF29E4CFF;
    auto button = solidImage(560, 88, orange);
    auto picture = UIImage::imageWithCGImage(button->CGImage(), 2)->resizableImageWithCapInsets(UIEdgeInsetsMake(10, 10, 10, 10),
        UIImageResizingModeStretch);
    for (const CGFloat width : { 320.0 / 3, 100.25, 107.5 }) {
        UIGraphicsBeginImageContextWithOptions(CGSizeMake(110, 40), false, 2);
        picture->drawInRect(CGRectMake(0, 0, width, 40));
        auto drawn = UIGraphicsGetImageFromCurrentImageContext();
        UIGraphicsEndImageContext();
        ASSERT_TRUE(drawn);
        const int last = int(std::floor(width * 2)) - 1;
        for (int x = 0; x < last; ++x)
            EXPECT_EQ(pixelOf(drawn->CGImage(), x, 40), orange) << "x " << x << " at width " << width;
    }
}
