#pragma once
// Pictures compared with reference pictures kept beside the tests. A missing reference is made
// from the picture when CORVANE_RECORD_PICTURES is set, and fails the test otherwise.

#include "platform/graphics/CGBitmapContext.h"
#include "platform/uikit/UIImage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace testing_support {

struct Pixels {
    std::size_t width { 0 };
    std::size_t height { 0 };
    std::vector<std::uint8_t> bytes; // premultiplied ARGB words, little-endian
};

inline Pixels pixelsOf(const CGImageRef& image)
{
    Pixels pixels;
    if (!image)
        return pixels;
    pixels.width = CGImageGetWidth(image);
    pixels.height = CGImageGetHeight(image);
    auto copy = CGBitmapContextCreate(nullptr, pixels.width, pixels.height, 8, pixels.width * 4, CGColorSpaceCreateDeviceRGB(),
        CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little);
    CGContextSetBlendMode(copy, kCGBlendModeCopy);
    CGContextDrawImage(copy, CGRectMake(0, 0, CGFloat(pixels.width), CGFloat(pixels.height)), image);
    const auto* data = static_cast<const std::uint8_t*>(CGBitmapContextGetData(copy));
    pixels.bytes.assign(data, data + pixels.width * pixels.height * 4);
    return pixels;
}

inline Pixels pixelsOfFile(const std::filesystem::path& path)
{
    auto image = UIImage::imageWithContentsOfFile(NSString(path.string()));
    return image ? pixelsOf(image->CGImage()) : Pixels {};
}

// The share of pixels differing by more than a few levels in some channel.
inline double differingShare(const Pixels& a, const Pixels& b)
{
    if (a.width != b.width || a.height != b.height || a.bytes.empty())
        return 1;
    std::size_t differing = 0;
    for (std::size_t i = 0; i < a.bytes.size(); i += 4) {
        for (std::size_t c = 0; c < 4; ++c) {
            if (std::abs(int(a.bytes[i + c]) - int(b.bytes[i + c])) > 24) {
                ++differing;
                break;
            }
        }
    }
    return double(differing) / double(a.width * a.height);
}

// The written picture matches the reference: at most the share of pixels differ (font
// rendering may move an edge).
inline void expectMatchesReferencePicture(const std::filesystem::path& written, const std::filesystem::path& reference, double share = 0.01)
{
    if (!std::filesystem::exists(reference)) {
        if (std::getenv("CORVANE_RECORD_PICTURES")) {
            std::filesystem::copy_file(written, reference);
            return;
        }
        ADD_FAILURE() << "no reference picture " << reference;
        return;
    }
    EXPECT_LE(differingShare(pixelsOfFile(written), pixelsOfFile(reference)), share) << written << " against " << reference;
}

} // namespace testing_support
