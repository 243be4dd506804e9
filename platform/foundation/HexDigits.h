#pragma once

#include <cstddef>
#include <string>

namespace ns {

// The value of one hexadecimal digit in either case, or -1 for anything else (a byte or a
// UTF-16 unit alike).
constexpr int hexDigitValue(char32_t c)
{
    if (c >= U'0' && c <= U'9')
        return static_cast<int>(c - U'0');
    if (c >= U'a' && c <= U'f')
        return static_cast<int>(c - U'a') + 10;
    if (c >= U'A' && c <= U'F')
        return static_cast<int>(c - U'A') + 10;
    return -1;
}

// Lower-case hexadecimal text of the bytes, two digits each, as digests are written.
inline std::string lowercaseHex(const unsigned char* bytes, std::size_t length)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(length * 2);
    for (std::size_t i = 0; i < length; ++i) {
        text.push_back(digits[bytes[i] >> 4]);
        text.push_back(digits[bytes[i] & 15]);
    }
    return text;
}

} // namespace ns
