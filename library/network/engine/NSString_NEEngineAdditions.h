#pragma once
// Text helpers of the network engine: digests for cache keys, unique texts for frozen
// operations, and the strict URL escaping of its form bodies and query strings.

#include "platform/foundation/NSString.h"

namespace NSString_NEEngineAdditions {

// 32 lower-case hexadecimal digits of the MD5 of the UTF-8 bytes, up to a first zero byte.
NSString md5(const NSString& text);
// A new random UUID, upper case.
NSString uniqueString();
// Everything but letters, digits and "-._~" as %XX of its UTF-8 bytes; a blank is %20.
NSString ne_urlEncodedString(const NSString& text);
// Escapes decoded as UTF-8, then "+" as a blank; the empty text when the bytes are no UTF-8.
// A "%" not followed by two hexadecimal digits stays as it is.
NSString urlDecodedString(const NSString& text);

} // namespace NSString_NEEngineAdditions
