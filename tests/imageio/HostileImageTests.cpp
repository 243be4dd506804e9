#include "ImageFixtures.h"
#include "platform/imageio/CGImageSource.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

namespace {

std::uint32_t noise(int x, int y)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u;
    return (h * 2654435761u & 0xFFFFFF00u) | 0xFF;
}

std::uint32_t readBig32(const std::uint8_t* p) { return std::uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

void writeBig32(std::uint8_t* p, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(value >> (24 - 8 * i));
}

// The file with `damage` applied to the data of its first IDAT chunk, the chunk's CRC made right
// again so that only the compressed stream is wrong.
template <class Damage>
std::vector<std::uint8_t> pngWithDamagedImageData(std::vector<std::uint8_t> file, Damage damage)
{
    for (std::size_t at = 8; at + 12 <= file.size();) {
        const std::uint32_t length = readBig32(&file[at]);
        if (std::memcmp(&file[at + 4], "IDAT", 4) == 0) {
            damage(&file[at + 8], length);
            writeBig32(&file[at + 8 + length], std::uint32_t(crc32(0, &file[at + 4], length + 4)));
            return file;
        }
        at += 12 + length;
    }
    ADD_FAILURE() << "no image data";
    return file;
}

void expectRefused(const std::vector<std::uint8_t>& file)
{
    auto source = CGImageSourceCreateWithData(file);
    EXPECT_EQ(CGImageSourceGetStatus(source), kCGImageStatusInvalidData);
    EXPECT_FALSE(CGImageSourceCreateImageAtIndex(source, 0));
    EXPECT_FALSE(CGImageCreateWithPNGDataProvider(CGDataProviderCreateWithCFData(file), nullptr, true, kCGRenderingIntentDefault));

    // Told that all has arrived, an incremental source says the same.
    auto incremental = CGImageSourceCreateIncremental();
    CGImageSourceUpdateData(incremental, std::span(file).first(file.size() / 2), false);
    CGImageSourceUpdateData(incremental, file, true);
    EXPECT_EQ(CGImageSourceGetStatus(incremental), kCGImageStatusInvalidData);
    EXPECT_FALSE(CGImageSourceCreateImageAtIndex(incremental, 0));
}

// A GIF whose canvas is `side` pixels square, with `frames` frames of one pixel each.
std::vector<std::uint8_t> gifOfOnePixelFrames(int side, int frames)
{
    std::vector<std::uint8_t> file { 'G', 'I', 'F', '8', '9', 'a', std::uint8_t(side), std::uint8_t(side >> 8), std::uint8_t(side),
        std::uint8_t(side >> 8), 0x80, 0, 0, 0, 0, 0, 255, 255, 255 };
    for (int i = 0; i < frames; ++i) {
        // One pixel of colour 0: clear code, 0, end code in 3-bit codes.
        const std::uint8_t frame[] = { 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0 };
        file.insert(file.end(), std::begin(frame), std::end(frame));
    }
    file.push_back(0x3B);
    return file;
}

} // namespace

// What the decoders hold in pixels at most for one source.
constexpr std::size_t kDecodedBytesBudget = std::size_t(256) << 20;

TEST(HostileImages, anAnimationBeyondTheMemoryBudgetIsAnErrorNotComplete)
{
    // 20 frames of a 5792 x 5792 canvas would hold 2.7 GB of pixels.
    const auto bomb = gifOfOnePixelFrames(5792, 20);
    ASSERT_LT(bomb.size(), 400u);
    auto source = CGImageSourceCreateWithData(bomb);
    EXPECT_EQ(CGImageSourceGetStatus(source), kCGImageStatusInvalidData);
    EXPECT_LE(CGImageSourceGetCount(source) * 5792 * 5792 * 4, kDecodedBytesBudget);
    EXPECT_NE(CGImageSourceGetStatusAtIndex(source, 19), kCGImageStatusComplete);
    EXPECT_FALSE(CGImageSourceCreateImageAtIndex(source, 19));

    // Within the budget, every frame is there and the file is complete.
    auto small = CGImageSourceCreateWithData(gifOfOnePixelFrames(64, 200));
    EXPECT_EQ(CGImageSourceGetStatus(small), kCGImageStatusComplete);
    EXPECT_EQ(CGImageSourceGetCount(small), 200u);
    EXPECT_TRUE(CGImageSourceCreateImageAtIndex(small, 199));
}

TEST(HostileImages, aCompletePngWithDamagedImageDataIsRefusedNotShownAsWhole)
{
    const auto file = ImageFixtures::png(32, 64, noise);
    SCOPED_TRACE("zlib checksum");
    expectRefused(pngWithDamagedImageData(file, [](std::uint8_t* data, std::uint32_t length) { data[length - 1] ^= 0x55; }));
    SCOPED_TRACE("broken compressed stream");
    expectRefused(pngWithDamagedImageData(file, [](std::uint8_t* data, std::uint32_t length) {
        std::memset(data + length / 2, 0xFF, std::min<std::uint32_t>(length / 4, 64));
    }));
}
