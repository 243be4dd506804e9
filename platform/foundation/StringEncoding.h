#pragma once
// Conversion between UTF-16 text and the byte encodings the platform names, through ICU.

#include "platform/foundation/NSString.h"

namespace ns {

// The ICU converter name of an encoding, or nullptr when the layer does not know it.
const char* converterNameForEncoding(NSStringEncoding encoding);
// The encoding an IANA charset name ("utf-8", "GBK", "ISO-8859-1") stands for; 0 when unknown.
NSStringEncoding encodingForIANACharsetName(const NSString& name);
// The IANA name of an encoding ("utf-8" for UTF-8), or nil when unknown.
NSString IANACharsetNameForEncoding(NSStringEncoding encoding);

// Strict: false when the bytes are not valid in the encoding.
bool decodeText(std::string_view bytes, NSStringEncoding encoding, std::u16string& out);
// False when a character cannot be written in the encoding and lossy conversion is not allowed.
bool encodeText(std::u16string_view text, NSStringEncoding encoding, bool allowLossy, std::string& out);

} // namespace ns
