#pragma once
// Byte orders of stored numbers and the swaps between them. Samples read from a buffer of
// another order are swapped to the host's before any arithmetic.

#include <bit>
#include <cstdint>
#include <cstring>

using CFByteOrder = long;
enum : CFByteOrder {
    CFByteOrderUnknown = 0,
    CFByteOrderLittleEndian = 1,
    CFByteOrderBigEndian = 2,
};

constexpr CFByteOrder CFByteOrderGetCurrent()
{
    if constexpr (std::endian::native == std::endian::little)
        return CFByteOrderLittleEndian;
    else if constexpr (std::endian::native == std::endian::big)
        return CFByteOrderBigEndian;
    else
        return CFByteOrderUnknown;
}

constexpr std::uint16_t CFSwapInt16(std::uint16_t value) { return static_cast<std::uint16_t>((value << 8) | (value >> 8)); }
constexpr std::uint32_t CFSwapInt32(std::uint32_t value)
{
    return ((value & 0x000000ffu) << 24) | ((value & 0x0000ff00u) << 8) | ((value & 0x00ff0000u) >> 8)
        | ((value & 0xff000000u) >> 24);
}
constexpr std::uint64_t CFSwapInt64(std::uint64_t value)
{
    return (static_cast<std::uint64_t>(CFSwapInt32(static_cast<std::uint32_t>(value))) << 32)
        | CFSwapInt32(static_cast<std::uint32_t>(value >> 32));
}

constexpr std::uint16_t CFSwapInt16BigToHost(std::uint16_t value)
{
    return std::endian::native == std::endian::big ? value : CFSwapInt16(value);
}
constexpr std::uint32_t CFSwapInt32BigToHost(std::uint32_t value)
{
    return std::endian::native == std::endian::big ? value : CFSwapInt32(value);
}
constexpr std::uint64_t CFSwapInt64BigToHost(std::uint64_t value)
{
    return std::endian::native == std::endian::big ? value : CFSwapInt64(value);
}
constexpr std::uint16_t CFSwapInt16HostToBig(std::uint16_t value) { return CFSwapInt16BigToHost(value); }
constexpr std::uint32_t CFSwapInt32HostToBig(std::uint32_t value) { return CFSwapInt32BigToHost(value); }
constexpr std::uint64_t CFSwapInt64HostToBig(std::uint64_t value) { return CFSwapInt64BigToHost(value); }
constexpr std::uint16_t CFSwapInt16LittleToHost(std::uint16_t value)
{
    return std::endian::native == std::endian::little ? value : CFSwapInt16(value);
}
constexpr std::uint32_t CFSwapInt32LittleToHost(std::uint32_t value)
{
    return std::endian::native == std::endian::little ? value : CFSwapInt32(value);
}
constexpr std::uint64_t CFSwapInt64LittleToHost(std::uint64_t value)
{
    return std::endian::native == std::endian::little ? value : CFSwapInt64(value);
}
constexpr std::uint16_t CFSwapInt16HostToLittle(std::uint16_t value) { return CFSwapInt16LittleToHost(value); }
constexpr std::uint32_t CFSwapInt32HostToLittle(std::uint32_t value) { return CFSwapInt32LittleToHost(value); }
constexpr std::uint64_t CFSwapInt64HostToLittle(std::uint64_t value) { return CFSwapInt64LittleToHost(value); }

namespace ns {

// Reverses the bytes of every whole sample of 2, 4 or 8 bytes in place; other sizes and a
// trailing partial sample are left as they are. The buffer need not be aligned.
inline void swapSamplesInPlace(void* bytes, std::size_t length, std::size_t sampleSize)
{
    auto* cursor = static_cast<unsigned char*>(bytes);
    const std::size_t count = sampleSize ? length / sampleSize : 0;
    switch (sampleSize) {
    case 2:
        for (std::size_t i = 0; i < count; ++i, cursor += 2) {
            std::uint16_t word;
            std::memcpy(&word, cursor, 2);
            word = CFSwapInt16(word);
            std::memcpy(cursor, &word, 2);
        }
        break;
    case 4:
        for (std::size_t i = 0; i < count; ++i, cursor += 4) {
            std::uint32_t word;
            std::memcpy(&word, cursor, 4);
            word = CFSwapInt32(word);
            std::memcpy(cursor, &word, 4);
        }
        break;
    case 8:
        for (std::size_t i = 0; i < count; ++i, cursor += 8) {
            std::uint64_t word;
            std::memcpy(&word, cursor, 8);
            word = CFSwapInt64(word);
            std::memcpy(cursor, &word, 8);
        }
        break;
    default:
        break;
    }
}

} // namespace ns
