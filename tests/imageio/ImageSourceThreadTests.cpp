// An image source is fed on one thread while others ask it for images: every answer is one of a
// version of the data, and the end is the whole file's.
#include "ImageFixtures.h"
#include "platform/imageio/CGImageSource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

std::uint32_t noise(int x, int y)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 2246822519u ^ static_cast<std::uint32_t>(y) * 3266489917u;
    return (h & 0xFFFFFF00u) | 0xFF;
}

std::vector<std::uint8_t> pixelsOf(const CGImageRef& image)
{
    return image ? CGDataProviderCopyData(CGImageGetDataProvider(image)) : std::vector<std::uint8_t> {};
}

struct Reading {
    std::size_t answers { 0 };
    std::size_t countWentBack { 0 };
    std::size_t wrongSize { 0 };
    std::size_t damaged { 0 };
};

// Asks for everything the source offers until told to stop.
Reading readWhileFed(const CGImageSourceRef& source, std::size_t width, std::size_t height, const std::atomic<bool>& fed)
{
    Reading reading;
    std::size_t lastCount = 0;
    // At least one pass after the feeding ended, so every reader sees the finished source.
    for (bool last = false; !last;) {
        last = fed.load();
        const CGImageSourceStatus status = CGImageSourceGetStatus(source);
        reading.damaged += status == kCGImageStatusInvalidData || status == kCGImageStatusUnknownType;
        const std::size_t count = CGImageSourceGetCount(source);
        reading.countWentBack += count < lastCount;
        lastCount = count;
        for (std::size_t index = 0; index < count; ++index) {
            (void)CGImageSourceGetStatusAtIndex(source, index);
            (void)CGImageSourceCopyPropertiesAtIndex(source, index);
            if (auto image = CGImageSourceCreateImageAtIndex(source, index)) {
                reading.wrongSize += CGImageGetWidth(image) != width || CGImageGetHeight(image) > height;
                ++reading.answers;
            }
        }
        (void)CGImageSourceCopyProperties(source);
    }
    return reading;
}

} // namespace

TEST(ImageSourceThreads, readersOnOtherThreadsSeeTheArrivingFileGrowIntoTheWholeOne)
{
    struct Case {
        std::vector<std::uint8_t> file;
        std::size_t width;
        std::size_t height;
    };
    const std::vector<Case> cases { { ImageFixtures::animatedGif(40, 30, 10), 40, 30 }, { ImageFixtures::png(48, 64, noise), 48, 64 },
        { ImageFixtures::jpeg(64, 96, std::nullopt, true), 64, 96 } };
    for (const Case& example : cases) {
        SCOPED_TRACE(&example - cases.data());
        auto whole = CGImageSourceCreateWithData(example.file);
        ASSERT_EQ(CGImageSourceGetStatus(whole), kCGImageStatusComplete);

        auto source = CGImageSourceCreateIncremental();
        std::atomic<bool> fed { false };
        std::vector<Reading> readings(3);
        std::vector<std::thread> readers;
        for (Reading& reading : readings)
            readers.emplace_back([&] { reading = readWhileFed(source, example.width, example.height, fed); });
        constexpr std::size_t pieces = 60;
        for (std::size_t piece = 1; piece <= pieces; ++piece) {
            CGImageSourceUpdateData(source, std::span(example.file).first(example.file.size() * piece / pieces), piece == pieces);
            (void)CGImageSourceCreateImageAtIndex(source, 0);
        }
        fed = true;
        for (auto& reader : readers)
            reader.join();

        for (const Reading& reading : readings) {
            EXPECT_GT(reading.answers, 0u);
            EXPECT_EQ(reading.countWentBack, 0u) << "the file only grew";
            EXPECT_EQ(reading.wrongSize, 0u);
            EXPECT_EQ(reading.damaged, 0u);
        }
        EXPECT_EQ(CGImageSourceGetStatus(source), kCGImageStatusComplete);
        ASSERT_EQ(CGImageSourceGetCount(source), CGImageSourceGetCount(whole));
        for (std::size_t index = 0; index < CGImageSourceGetCount(whole); ++index) {
            EXPECT_EQ(pixelsOf(CGImageSourceCreateImageAtIndex(source, index)), pixelsOf(CGImageSourceCreateImageAtIndex(whole, index)))
                << "frame " << index;
        }
    }
}
