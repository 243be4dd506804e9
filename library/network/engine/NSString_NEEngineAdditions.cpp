#include "library/network/engine/NSString_NEEngineAdditions.h"

#include "platform/crypto/CommonDigest.h"
#include "platform/foundation/HexDigits.h"
#include "platform/foundation/NSProcessInfo.h"
#include "platform/foundation/StringEncoding.h"

#include <cstring>

namespace NSString_NEEngineAdditions {

NSString md5(const NSString& text)
{
    const std::string bytes = text.UTF8String();
    unsigned char digest[CC_MD5_DIGEST_LENGTH];
    CC_MD5(bytes.data(), static_cast<CC_LONG>(std::strlen(bytes.c_str())), digest);
    return NSString(ns::lowercaseHex(digest, sizeof digest));
}

NSString uniqueString()
{
    return NSProcessInfo::processInfo()->globallyUniqueString();
}

NSString ne_urlEncodedString(const NSString& text)
{
    if (text.isNil())
        return NSString::string();
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string escaped;
    for (unsigned char c : text.UTF8String()) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~') {
            escaped += static_cast<char>(c);
        } else {
            escaped += '%';
            escaped += digits[c >> 4];
            escaped += digits[c & 15];
        }
    }
    return NSString(escaped);
}

NSString urlDecodedString(const NSString& text)
{
    if (text.isNil())
        return NSString::string();
    const std::string source = text.UTF8String();
    std::string bytes;
    for (std::size_t i = 0; i < source.size(); ++i) {
        if (source[i] == '%' && i + 2 < source.size() && ns::hexDigitValue(source[i + 1]) >= 0 && ns::hexDigitValue(source[i + 2]) >= 0) {
            bytes += static_cast<char>(ns::hexDigitValue(source[i + 1]) * 16 + ns::hexDigitValue(source[i + 2]));
            i += 2;
        } else {
            bytes += source[i];
        }
    }
    NSString decoded = NSString::initWithBytes(bytes.data(), bytes.size(), NSUTF8StringEncoding);
    return decoded.isNil() ? NSString::string() : decoded.stringByReplacingOccurrencesOfString("+", " ");
}

} // namespace NSString_NEEngineAdditions
