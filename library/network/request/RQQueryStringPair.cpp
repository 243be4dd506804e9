#include "library/network/request/RQQueryStringPair.h"

#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSSet.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/foundation/TypedValues.h"
#include "platform/foundation/StringEncoding.h"

#include <algorithm>

namespace {

constexpr std::string_view kUnreserved = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~";

NSString percentEscape(const NSString& text, std::string_view keep, NSStringEncoding encoding)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    auto escapeBytes = [&](std::string_view bytes) {
        for (unsigned char byte : bytes) {
            out.push_back('%');
            out.push_back(hex[byte >> 4]);
            out.push_back(hex[byte & 15]);
        }
    };
    auto units = text.view();
    for (size_t i = 0; i < units.size(); ++i) {
        char16_t unit = units[i];
        if (unit < 128 && keep.find(char(unit)) != std::string_view::npos) {
            out.push_back(char(unit));
            continue;
        }
        const size_t width = (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size()) ? 2 : 1;
        std::string bytes;
        if (!ns::encodeText(units.substr(i, width), encoding, true, bytes))
            bytes = ns::utf8FromUTF16(units.substr(i, width));
        escapeBytes(bytes);
        i += width - 1;
    }
    return NSString(out);
}

NSString textForm(const id& object)
{
    return object ? object->description() : NSString("");
}

// Keys folded to lower case and compared by code point: "A10" before "A2", "_x" before letters.
bool keyOrder(const std::pair<NSString, id>& a, const std::pair<NSString, id>& b)
{
    return a.first.view() < b.first.view();
}

void appendPairs(const id& key, const id& value, std::vector<std::shared_ptr<RQQueryStringPair>>& pairs)
{
    if (auto dictionary = ns::cast<NSDictionary>(value)) {
        std::vector<std::pair<NSString, id>> keys;
        keys.reserve(dictionary->count());
        for (const auto& entry : *dictionary)
            keys.emplace_back(textForm(entry.key).lowercaseString(), entry.key);
        std::stable_sort(keys.begin(), keys.end(), keyOrder);
        for (const auto& [folded, nestedKey] : keys) {
            id childKey = key ? id(NSString::stringWithFormat("%@[%@]", key, nestedKey)) : nestedKey;
            appendPairs(childKey, dictionary->objectForKey(nestedKey), pairs);
        }
    } else if (auto array = ns::cast<NSArray>(value)) {
        const id memberKey = NSString::stringWithFormat("%@[]", key);
        for (const auto& member : *array)
            appendPairs(memberKey, member, pairs);
    } else if (auto set = ns::cast<NSSet>(value)) {
        for (const auto& member : *set)
            appendPairs(key, member, pairs);
    } else {
        pairs.push_back(RQQueryStringPair::create(key, value));
    }
}

NSString percentEscapedValue(const NSString& value, NSStringEncoding encoding)
{
    return percentEscape(value, kUnreserved, encoding);
}

} // namespace

NSString RQPercentEscapedQueryStringKey(const NSString& key, NSStringEncoding encoding)
{
    static const NeverDestroyed<std::string> keep(std::string(kUnreserved) + "[]");
    return percentEscape(key, keep.get(), encoding);
}

NSString RQQueryStringPair::URLEncodedStringValueWithEncoding(NSStringEncoding encoding) const
{
    NSString key = RQPercentEscapedQueryStringKey(textForm(m_field), encoding);
    if (ns::isNilOrNull(m_value))
        return key;
    return key + "=" + percentEscapedValue(textForm(m_value), encoding);
}

std::vector<std::shared_ptr<RQQueryStringPair>> RQQueryStringPairsFromValue(const id& key, const id& value)
{
    std::vector<std::shared_ptr<RQQueryStringPair>> pairs;
    appendPairs(key, value, pairs);
    return pairs;
}

NSString RQQueryStringFromParameters(const std::shared_ptr<NSDictionary>& parameters, NSStringEncoding encoding)
{
    auto body = NSMutableString::create();
    bool first = true;
    for (const auto& pair : RQQueryStringPairsFromValue(nullptr, parameters)) {
        if (!first)
            body->appendString("&");
        body->appendString(pair->URLEncodedStringValueWithEncoding(encoding));
        first = false;
    }
    return NSString(std::u16string(body->characters()));
}

NSString RQFormURLEncodedContentType(NSStringEncoding encoding)
{
    return NSString::stringWithFormat(RQFormURLEncodedContentTypeFormat, ns::IANACharsetNameForEncoding(encoding));
}
