#pragma once
// Message digests over raw bytes; embedded NUL bytes are part of the input like any other.

#include <cstddef>
#include <cstdint>

inline constexpr std::size_t CC_MD5_DIGEST_LENGTH = 16;
inline constexpr std::size_t CC_SHA1_DIGEST_LENGTH = 20;

using CC_LONG = std::uint32_t;

// Each writes its digest into `digest` (which must hold the digest's length) and answers it.
unsigned char* CC_MD5(const void* data, CC_LONG length, unsigned char* digest);
unsigned char* CC_SHA1(const void* data, CC_LONG length, unsigned char* digest);
