#include "platform/imageio/ExifOrientation.h"

#include <cstring>

namespace {

std::optional<int> fromTIFF(std::span<const std::uint8_t> tiff)
{
    if (tiff.size() < 8)
        return std::nullopt;
    bool little;
    if (tiff[0] == 'I' && tiff[1] == 'I')
        little = true;
    else if (tiff[0] == 'M' && tiff[1] == 'M')
        little = false;
    else
        return std::nullopt;
    const auto read16 = [&](std::size_t at) -> std::uint32_t {
        return little ? tiff[at] | (tiff[at + 1] << 8) : (tiff[at] << 8) | tiff[at + 1];
    };
    const auto read32 = [&](std::size_t at) -> std::uint32_t {
        return little ? read16(at) | (read16(at + 2) << 16) : (read16(at) << 16) | read16(at + 2);
    };
    if (read16(2) != 42)
        return std::nullopt;
    const std::size_t ifd = read32(4);
    if (ifd > tiff.size() || tiff.size() - ifd < 2)
        return std::nullopt;
    const std::size_t entries = read16(ifd);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = ifd + 2 + i * 12;
        if (entry > tiff.size() || tiff.size() - entry < 12)
            return std::nullopt;
        if (read16(entry) == 0x0112) {
            const std::uint32_t type = read16(entry + 2);
            if (type == 3)
                return static_cast<int>(read16(entry + 8));
            if (type == 4)
                return static_cast<int>(read32(entry + 8) & 0x7FFFFFFF);
            return std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<int> ExifOrientation::fromJPEG(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return std::nullopt;
    std::size_t at = 2;
    while (at + 4 <= bytes.size()) {
        if (bytes[at] != 0xFF)
            return std::nullopt;
        const std::uint8_t marker = bytes[at + 1];
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        // Start of scan or end of image: no more metadata follows.
        if (marker == 0xDA || marker == 0xD9)
            return std::nullopt;
        const std::size_t length = (bytes[at + 2] << 8) | bytes[at + 3];
        if (length < 2 || at + 2 + length > bytes.size())
            return std::nullopt;
        if (marker == 0xE1 && length >= 8 && std::memcmp(bytes.data() + at + 4, "Exif\0\0", 6) == 0)
            return fromTIFF(bytes.subspan(at + 10, length - 8));
        at += 2 + length;
    }
    return std::nullopt;
}
