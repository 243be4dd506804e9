#pragma once
// Conversion between UTF-16 text and the byte encodings the platform names, through ICU.

#include "platform/foundation/NSString.h"

#include <string>

namespace ns {

// The ICU converter name of an encoding, or nullptr when the layer does not know it.
const char* converterNameForEncoding(NSStringEncoding encoding);
// The encoding an IANA charset name ("utf-8", "GBK", "ISO-8859-1") stands for; 0 when unknown.
NSStringEncoding encodingForIANACharsetName(const NSString& name);
// The IANA name of an encoding ("utf-8" for UTF-8), or nil when unknown.
NSString IANACharsetNameForEncoding(NSStringEncoding encoding);

// Writes a code point (at most 0x10FFFF) as one to four bytes of UTF-8 at `out`; answers how many.
inline std::size_t encodeUTF8(char32_t codePoint, unsigned char* out)
{
    if (codePoint < 0x80) {
        out[0] = static_cast<unsigned char>(codePoint);
        return 1;
    }
    if (codePoint < 0x800) {
        out[0] = static_cast<unsigned char>(0xC0 | (codePoint >> 6));
        out[1] = static_cast<unsigned char>(0x80 | (codePoint & 0x3F));
        return 2;
    }
    if (codePoint < 0x10000) {
        out[0] = static_cast<unsigned char>(0xE0 | (codePoint >> 12));
        out[1] = static_cast<unsigned char>(0x80 | ((codePoint >> 6) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | (codePoint & 0x3F));
        return 3;
    }
    out[0] = static_cast<unsigned char>(0xF0 | (codePoint >> 18));
    out[1] = static_cast<unsigned char>(0x80 | ((codePoint >> 12) & 0x3F));
    out[2] = static_cast<unsigned char>(0x80 | ((codePoint >> 6) & 0x3F));
    out[3] = static_cast<unsigned char>(0x80 | (codePoint & 0x3F));
    return 4;
}

inline void appendUTF8(std::string& out, char32_t codePoint)
{
    unsigned char bytes[4];
    out.append(reinterpret_cast<const char*>(bytes), encodeUTF8(codePoint, bytes));
}

// Strict: false when the bytes are not valid in the encoding.
bool decodeText(std::string_view bytes, NSStringEncoding encoding, std::u16string& out);
// False when a character cannot be written in the encoding and lossy conversion is not allowed.
bool encodeText(std::u16string_view text, NSStringEncoding encoding, bool allowLossy, std::string& out);

} // namespace ns
