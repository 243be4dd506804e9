#include "library/network/device/NSString_MD5Addition.h"

#include "platform/crypto/CommonDigest.h"
#include "platform/foundation/HexDigits.h"
#include "platform/foundation/NSCharacterSet.h"
#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSRegularExpression.h"
#include "platform/foundation/StringEncoding.h"

namespace {

NSString hexOf(const unsigned char* bytes, std::size_t length)
{
    return NSString(ns::lowercaseHex(bytes, length));
}

// The whole text must match, as a predicate's MATCHES requires.
bool matchesWhole(const NSString& text, const char* pattern)
{
    if (text.isNil())
        return false;
    auto expression = NSRegularExpression::regularExpressionWithPattern(pattern, 0, nullptr);
    if (!expression)
        return false;
    NSRange match = expression->rangeOfFirstMatchInString(text, NSMatchingAnchored, NSMakeRange(0, text.length()));
    return match.location == 0 && match.length == text.length();
}

NSString removingEveryMatch(NSString text, const char* pattern, NSRegularExpressionOptions options)
{
    auto expression = NSRegularExpression::regularExpressionWithPattern(pattern, options, nullptr);
    if (!expression || text.isNil())
        return text;
    while (true) {
        NSRange match = expression->rangeOfFirstMatchInString(text, 0, NSMakeRange(0, text.length()));
        if (match.location == NSNotFound)
            return text;
        text = text.stringByReplacingCharactersInRange(match, "");
    }
}

} // namespace

namespace NSString_MD5Addition {

NSString stringFromMD5(const NSString& text)
{
    if (text.isNil() || text.length() == 0)
        return nullptr;
    return md5(text, text);
}

bool isValidEmail(const NSString& text)
{
    return matchesWhole(text, "[A-Z0-9a-z._%+-]+@[A-Za-z0-9.-]+\\.[A-Za-z]{2,4}");
}

bool isValidQQ(const NSString& text)
{
    return matchesWhole(text, "^[1-9]\\d{4,9}");
}

bool isValidPhone(const NSString& text)
{
    return matchesWhole(text, "^1\\d{10}");
}

bool isValidatIP(const NSString& text)
{
    return matchesWhole(text, "^([01]?\\d\\d?|2[0-4]\\d|25[0-5])\\.([01]?\\d\\d?|2[0-4]\\d|25[0-5])\\.([01]?\\d\\d?|2[0-4]\\d|25[0-5])\\.([01]?\\d\\d?|2[0-4]\\d|25[0-5])$");
}

bool isValidatIPPort(const NSString& text)
{
    return matchesWhole(text, "^\\d{1,5}$");
}

NSString stringToHex(const NSString& text)
{
    if (text.isNil())
        return nullptr;
    std::string hex;
    char buffer[8];
    for (char16_t unit : text.view()) {
        std::snprintf(buffer, sizeof buffer, "%02x", static_cast<unsigned>(unit));
        hex += buffer;
    }
    return NSString(hex);
}

NSString hexToString(const NSString& text)
{
    if (text.isNil() || text.length() % 2)
        return NSString::string();
    std::u16string out;
    auto view = text.view();
    for (std::size_t i = 0; i < view.size(); i += 2) {
        int high = ns::hexDigitValue(view[i]);
        int low = ns::hexDigitValue(view[i + 1]);
        if (high < 0 || low < 0)
            break;
        out.push_back(static_cast<char16_t>(high * 16 + low));
    }
    return NSString(out);
}

NSString urlEncode(const NSString& text)
{
    return urlEncodeUsingEncoding(text, NSUTF8StringEncoding);
}

NSString urlEncodeUsingEncoding(const NSString& text, NSStringEncoding encoding)
{
    std::string bytes;
    if (text.isNil() || !ns::encodeText(text.view(), encoding, true, bytes))
        return nullptr;
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(digits[c >> 4]);
            out.push_back(digits[c & 15]);
        }
    }
    return NSString(out);
}

NSString urlDecode(const NSString& text)
{
    return urlDecodeUsingEncoding(text, NSUTF8StringEncoding);
}

NSString urlDecodeUsingEncoding(const NSString& text, NSStringEncoding encoding)
{
    if (text.isNil())
        return nullptr;
    std::u16string out;
    auto view = text.view();
    std::string run;
    for (std::size_t i = 0; i <= view.size(); ++i) {
        if (i < view.size() && view[i] == u'%') {
            if (i + 2 >= view.size())
                return nullptr;
            int high = ns::hexDigitValue(view[i + 1]);
            int low = ns::hexDigitValue(view[i + 2]);
            if (high < 0 || low < 0)
                return nullptr;
            run.push_back(static_cast<char>(high * 16 + low));
            i += 2;
            continue;
        }
        if (!run.empty()) {
            std::u16string decoded;
            if (!ns::decodeText(run, encoding, decoded))
                return nullptr;
            out += decoded;
            run.clear();
        }
        if (i < view.size())
            out.push_back(view[i]);
    }
    return NSString(out);
}

NSString stringByStrippingHTML(const NSString& text)
{
    NSString stripped = removingEveryMatch(text, "<script>.*</script>", NSRegularExpressionCaseInsensitive);
    stripped = removingEveryMatch(stripped, "<!--.*-->", 0);
    return removingEveryMatch(stripped, "<([a-zA-Z]+)(?:[^>]*[^/]*)?>|</[a-zA-Z]+>", 0);
}

NSString md5(const NSString&, const NSString& text)
{
    if (text.isNil())
        return nullptr;
    // The whole UTF-8 text: texts that differ after a U+0000 must not share a digest.
    std::string bytes = text.UTF8String();
    unsigned char digest[CC_MD5_DIGEST_LENGTH];
    CC_MD5(bytes.data(), static_cast<CC_LONG>(bytes.size()), digest);
    return hexOf(digest, sizeof digest);
}

NSString sha1(const NSString&, const NSString& text)
{
    if (text.isNil())
        return nullptr;
    std::string bytes = text.UTF8String();
    unsigned char digest[CC_SHA1_DIGEST_LENGTH];
    CC_SHA1(bytes.data(), static_cast<CC_LONG>(bytes.size()), digest);
    return hexOf(digest, sizeof digest);
}

bool isEmpty(const id& object)
{
    if (!object || ns::cast<NSNull>(object))
        return true;
    NSString text = NSString::fromId(object);
    if (text.isNil())
        return false;
    return text.stringByTrimmingCharactersInSet(*NSCharacterSet::whitespaceAndNewlineCharacterSet()).length() == 0;
}

NSString replaceRegexAll(const NSString& source, const NSString& pattern, const NSString& replacement)
{
    auto expression = NSRegularExpression::regularExpressionWithPattern(pattern, NSRegularExpressionCaseInsensitive, nullptr);
    if (!expression || source.isNil())
        return nullptr;
    return expression->stringByReplacingMatchesInString(source, 0, NSMakeRange(0, source.length()), replacement);
}

} // namespace NSString_MD5Addition
