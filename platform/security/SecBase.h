#pragma once
// Status codes of the security interface.

#include <cstdint>

using OSStatus = std::int32_t;

inline constexpr OSStatus errSecSuccess = 0;
inline constexpr OSStatus errSecParam = -50;
inline constexpr OSStatus errSecAllocate = -108;
inline constexpr OSStatus errSecDecode = -26275;
inline constexpr OSStatus errSecAuthFailed = -25293;
