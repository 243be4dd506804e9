#pragma once
// Pictures of views compared with the reference pictures kept beside the tests. Each picture is
// also written into the build folder for people to look at. A missing reference is made from the
// picture when CORVANE_RECORD_PICTURES is set, and fails the test otherwise.

#include "platform/graphics/CGBitmapContext.h"
#include "platform/host/HeadlessHost.h"
#include "platform/uikit/UIImage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace charts_testing {

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

inline std::filesystem::path writtenPicture(HeadlessHost& host, const UIViewRef& view, const std::string& name)
{
    const std::filesystem::path folder = CORVANE_SCREENS_DIR;
    std::filesystem::create_directories(folder);
    const auto path = folder / ("charts-" + name + ".png");
    EXPECT_TRUE(host.writePNG(view, NSString(path.string()))) << name;
    return path;
}

// The view's picture matches the reference of the name: at most a small share of pixels differ
// (font rendering may move an edge).
inline void expectMatchesReference(HeadlessHost& host, const UIViewRef& view, const std::string& name)
{
    const auto written = writtenPicture(host, view, name);
    const std::filesystem::path reference = std::filesystem::path(CORVANE_CHARTS_REFERENCES) / (name + ".png");
    if (!std::filesystem::exists(reference)) {
        if (std::getenv("CORVANE_RECORD_PICTURES")) {
            std::filesystem::copy_file(written, reference);
            return;
        }
        ADD_FAILURE() << "no reference picture " << reference;
        return;
    }
    const auto share = differingShare(pixelsOfFile(written), pixelsOfFile(reference));
    EXPECT_LE(share, 0.01) << name << ": " << written << " against " << reference;
}

} // namespace charts_testing
