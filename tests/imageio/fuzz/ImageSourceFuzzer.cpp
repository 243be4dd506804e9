// Image files read whole and as they arrive in pieces, through every query of an image source.
#include "platform/imageio/CGImageSource.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

void readEverything(const CGImageSourceRef& source)
{
    (void)CGImageSourceGetType(source);
    const CGImageSourceStatus status = CGImageSourceGetStatus(source);
    const std::size_t count = CGImageSourceGetCount(source);
    (void)CGImageSourceCopyProperties(source);
    for (std::size_t index = 0; index < std::min<std::size_t>(count + 1, 8); ++index) {
        (void)CGImageSourceGetStatusAtIndex(source, index);
        (void)CGImageSourceCopyPropertiesAtIndex(source, index);
        if (auto image = CGImageSourceCreateImageAtIndex(source, index)) {
            if (CGImageGetWidth(image) == 0 || CGImageGetHeight(image) == 0) {
                std::fprintf(stderr, "an image must have pixels\n");
                std::abort();
            }
        } else if (index < count && status == kCGImageStatusComplete) {
            std::fprintf(stderr, "a complete source must give each of its images\n");
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // First byte: 0 reads the file whole; otherwise it arrives in that many pieces (up to 6).
    const unsigned pieces = data[0] % 7;
    const std::span<const std::uint8_t> file(data + 1, size - 1);
    if (pieces == 0) {
        readEverything(CGImageSourceCreateWithData(file));
        auto provider = CGDataProviderCreateWithCFData(std::vector<std::uint8_t>(file.begin(), file.end()));
        (void)CGImageCreateWithPNGDataProvider(provider, nullptr, true, kCGRenderingIntentDefault);
        (void)CGImageCreateWithJPEGDataProvider(provider, nullptr, true, kCGRenderingIntentDefault);
        return 0;
    }
    auto source = CGImageSourceCreateIncremental();
    for (unsigned piece = 1; piece <= pieces; ++piece) {
        CGImageSourceUpdateData(source, file.first(file.size() * piece / pieces), piece == pieces);
        readEverything(source);
    }
    return 0;
}
