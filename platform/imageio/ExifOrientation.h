#pragma once
// The orientation tag of a JPEG's EXIF block, read without decoding the picture.

#include <cstdint>
#include <optional>
#include <span>

namespace ExifOrientation {

// The stored value (normally 1...8), or nothing when the file holds no orientation.
std::optional<int> fromJPEG(std::span<const std::uint8_t> bytes);

} // namespace ExifOrientation
