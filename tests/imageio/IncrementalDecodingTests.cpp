#include "ImageFixtures.h"
#include "platform/imageio/CGImageSource.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::uint32_t noise(int x, int y)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u;
    return (h * 2654435761u & 0xFFFFFF00u) | 0xFF;
}

bool samePixels(const CGImageRef& a, const CGImageRef& b)
{
    if (!a || !b || CGImageGetWidth(a) != CGImageGetWidth(b) || CGImageGetHeight(a) != CGImageGetHeight(b))
        return false;
    return CGImageGetBitmapInfo(a) == CGImageGetBitmapInfo(b) && CGImageGetBytesPerRow(a) == CGImageGetBytesPerRow(b)
        && CGDataProviderCopyData(CGImageGetDataProvider(a)) == CGDataProviderCopyData(CGImageGetDataProvider(b));
}

// Feeds the file in `pieces` updates, asking for the image after each; answers the heights seen.
std::vector<std::size_t> feed(const CGImageSourceRef& source, const std::vector<std::uint8_t>& file, std::size_t pieces)
{
    std::vector<std::size_t> heights;
    for (std::size_t piece = 1; piece <= pieces; ++piece) {
        CGImageSourceUpdateData(source, std::span(file).first(file.size() * piece / pieces), piece == pieces);
        auto image = CGImageSourceCreateImageAtIndex(source, 0);
        heights.push_back(image ? CGImageGetHeight(image) : 0);
    }
    return heights;
}

} // namespace

TEST(IncrementalDecoding, piecesEndInTheSamePicturesAsTheWholeFile)
{
    const std::vector<std::vector<std::uint8_t>> files { ImageFixtures::png(48, 96, noise), ImageFixtures::jpeg(64, 128, 6),
        ImageFixtures::jpeg(64, 128, std::nullopt, true) };
    for (const auto& file : files) {
        SCOPED_TRACE(&file - files.data());
        auto whole = CGImageSourceCreateWithData(file);
        ASSERT_EQ(CGImageSourceGetStatus(whole), kCGImageStatusComplete);
        auto source = CGImageSourceCreateIncremental();
        const auto heights = feed(source, file, 40);
        EXPECT_EQ(CGImageSourceGetStatus(source), kCGImageStatusComplete);
        EXPECT_TRUE(samePixels(CGImageSourceCreateImageAtIndex(source, 0), CGImageSourceCreateImageAtIndex(whole, 0)));
        EXPECT_EQ(CGImageSourceCopyPropertiesAtIndex(source, 0)->isEqual(CGImageSourceCopyPropertiesAtIndex(whole, 0)), true);
        // The picture grows as the data does, and never shrinks.
        EXPECT_TRUE(std::is_sorted(heights.begin(), heights.end()));
        EXPECT_GT(std::count_if(heights.begin(), heights.end(), [&](std::size_t h) { return h > 0 && h < heights.back(); })
                + std::count(heights.begin(), heights.end(), heights.back()),
            10);
    }
}

TEST(IncrementalDecoding, aProgressiveJpegShowsWholePicturesBeforeItEnds)
{
    const auto file = ImageFixtures::jpeg(64, 128, std::nullopt, true);
    auto source = CGImageSourceCreateIncremental();
    CGImageSourceUpdateData(source, std::span(file).first(file.size() * 3 / 4), false);
    EXPECT_EQ(CGImageSourceGetStatus(source), kCGImageStatusIncomplete);
    auto early = CGImageSourceCreateImageAtIndex(source, 0);
    ASSERT_TRUE(early) << "the scans that arrived";
    EXPECT_EQ(CGImageGetHeight(early), 128u);
    // A byte more finishes no scan: the same picture, not a new copy of it.
    CGImageSourceUpdateData(source, std::span(file).first(file.size() * 3 / 4 + 1), false);
    EXPECT_EQ(CGImageSourceCreateImageAtIndex(source, 0), early);

    // Cut short for good, it keeps what it showed.
    CGImageSourceUpdateData(source, std::span(file).first(file.size() * 3 / 4), true);
    EXPECT_EQ(CGImageSourceGetStatus(source), kCGImageStatusUnexpectedEOF);
    EXPECT_TRUE(CGImageSourceCreateImageAtIndex(source, 0));
}

TEST(IncrementalDecoding, dataThatDoesNotContinueStartsAgain)
{
    const auto first = ImageFixtures::png(16, 16, noise);
    const auto second = ImageFixtures::jpeg(24, 8);
    auto source = CGImageSourceCreateIncremental();
    CGImageSourceUpdateData(source, std::span(first).first(first.size() / 2), false);
    EXPECT_EQ(CGImageSourceGetType(source), NSString("public.png"));
    CGImageSourceUpdateData(source, second, true);
    EXPECT_EQ(CGImageSourceGetType(source), NSString("public.jpeg"));
    EXPECT_EQ(CGImageSourceGetStatus(source), kCGImageStatusComplete);
    EXPECT_EQ(CGImageGetWidth(CGImageSourceCreateImageAtIndex(source, 0)), 24u);
    // After the final update nothing changes any more.
    CGImageSourceUpdateData(source, first, true);
    EXPECT_EQ(CGImageSourceGetType(source), NSString("public.jpeg"));

    // A baseline JPEG that stops arriving shows its rows; told it has all arrived, it says so.
    const auto jpeg = ImageFixtures::jpeg(64, 128);
    auto cut = CGImageSourceCreateIncremental();
    CGImageSourceUpdateData(cut, std::span(jpeg).first(jpeg.size() / 2), false);
    const std::size_t rows = CGImageGetHeight(CGImageSourceCreateImageAtIndex(cut, 0));
    EXPECT_GT(rows, 8u);
    EXPECT_LT(rows, 128u);
    EXPECT_EQ(CGImageSourceGetStatus(cut), kCGImageStatusIncomplete);
    CGImageSourceUpdateData(cut, std::span(jpeg).first(jpeg.size() / 2), true);
    EXPECT_EQ(CGImageSourceGetStatus(cut), kCGImageStatusUnexpectedEOF);
    EXPECT_GE(CGImageGetHeight(CGImageSourceCreateImageAtIndex(cut, 0)), rows);
}

namespace {

// Every frame of a source, with what its status and properties say of it.
struct Frames {
    std::vector<CGImageRef> images;
    std::vector<CGImageSourceStatus> statuses;
    std::vector<std::shared_ptr<NSDictionary>> properties;
};

Frames framesOf(const CGImageSourceRef& source)
{
    Frames frames;
    for (std::size_t index = 0; index < CGImageSourceGetCount(source); ++index) {
        frames.images.push_back(CGImageSourceCreateImageAtIndex(source, index));
        frames.statuses.push_back(CGImageSourceGetStatusAtIndex(source, index));
        frames.properties.push_back(CGImageSourceCopyPropertiesAtIndex(source, index));
    }
    return frames;
}

void expectSameFrames(const Frames& seen, const Frames& expected)
{
    ASSERT_EQ(seen.images.size(), expected.images.size());
    for (std::size_t index = 0; index < seen.images.size(); ++index) {
        SCOPED_TRACE(index);
        EXPECT_TRUE(samePixels(seen.images[index], expected.images[index]));
        // A cut file read whole has ended early; one arriving is still incomplete.
        EXPECT_EQ(seen.statuses[index] == kCGImageStatusComplete, expected.statuses[index] == kCGImageStatusComplete);
        ASSERT_TRUE(seen.properties[index] && expected.properties[index]);
        EXPECT_TRUE(seen.properties[index]->isEqual(expected.properties[index]));
    }
}

} // namespace

// At each piece, an animation shows what the file cut there shows; at its end, what the whole
// file does, frames that were complete earlier unchanged.
TEST(IncrementalDecoding, aGifInPiecesShowsTheFramesOfTheFileCutThere)
{
    const auto file = ImageFixtures::animatedGif(40, 30, 12);
    auto whole = CGImageSourceCreateWithData(file);
    ASSERT_EQ(CGImageSourceGetStatus(whole), kCGImageStatusComplete);
    const Frames expected = framesOf(whole);
    ASSERT_EQ(expected.images.size(), 12u);

    auto source = CGImageSourceCreateIncremental();
    std::size_t partials = 0;
    std::vector<CGImageRef> kept;
    for (std::size_t piece = 1; piece <= 100; ++piece) {
        SCOPED_TRACE(piece);
        const auto bytes = std::span(file).first(file.size() * piece / 100);
        CGImageSourceUpdateData(source, bytes, piece == 100);
        const Frames seen = framesOf(source);
        expectSameFrames(seen, framesOf(CGImageSourceCreateWithData(bytes)));
        for (std::size_t index = 0; index < kept.size(); ++index)
            EXPECT_TRUE(samePixels(seen.images[index], kept[index])) << "frame " << index << " changed after it was complete";
        kept.clear();
        for (std::size_t index = 0; index < seen.images.size(); ++index)
            if (seen.statuses[index] == kCGImageStatusComplete)
                kept.push_back(seen.images[index]);
        partials += seen.images.size() > kept.size();
    }
    EXPECT_GT(partials, 20u) << "frames show their rows while they arrive";
    EXPECT_EQ(CGImageSourceGetStatus(source), kCGImageStatusComplete);
    expectSameFrames(framesOf(source), expected);
    EXPECT_TRUE(CGImageSourceCopyProperties(source)->isEqual(CGImageSourceCopyProperties(whole)));
}

TEST(IncrementalDecoding, aGifCutShortOrLeftHalfReadEndsCleanly)
{
    const auto file = ImageFixtures::animatedGif(24, 24, 4);
    // Header only, then the rest of the file but its trailer, then told that was all.
    auto source = CGImageSourceCreateIncremental();
    CGImageSourceUpdateData(source, std::span(file).first(20), false);
    EXPECT_EQ(CGImageSourceGetStatus(source), kCGImageStatusReadingHeader) << "a palette half here is not damage";
    EXPECT_EQ(CGImageSourceGetCount(source), 0u);
    CGImageSourceUpdateData(source, std::span(file).first(file.size() - 1), false);
    EXPECT_EQ(CGImageSourceGetStatus(source), kCGImageStatusIncomplete);
    EXPECT_EQ(CGImageSourceGetCount(source), 4u);
    const CGImageRef last = CGImageSourceCreateImageAtIndex(source, 3);
    EXPECT_EQ(CGImageSourceCreateImageAtIndex(source, 3), last) << "nothing new was read";
    EXPECT_NE(CGImageSourceCreateImageAtIndex(source, 2), last);
    CGImageSourceUpdateData(source, std::span(file).first(file.size() - 1), true);
    EXPECT_EQ(CGImageSourceGetStatus(source), kCGImageStatusUnexpectedEOF);
    EXPECT_EQ(CGImageSourceGetCount(source), 4u);

    // Sources dropped in the middle of a frame, or before their first piece, let their reading go.
    for (std::size_t cut : { std::size_t(0), std::size_t(15), file.size() / 2 }) {
        auto dropped = CGImageSourceCreateIncremental();
        CGImageSourceUpdateData(dropped, std::span(file).first(cut), false);
        (void)CGImageSourceGetCount(dropped);
    }
    // A file that does not continue the one arriving starts a new reading.
    auto restarted = CGImageSourceCreateIncremental();
    CGImageSourceUpdateData(restarted, std::span(file).first(file.size() / 2), false);
    (void)CGImageSourceGetCount(restarted);
    const auto other = ImageFixtures::animatedGif(8, 8, 2);
    CGImageSourceUpdateData(restarted, other, true);
    EXPECT_EQ(CGImageSourceGetStatus(restarted), kCGImageStatusComplete);
    EXPECT_EQ(CGImageSourceGetCount(restarted), 2u);
}
