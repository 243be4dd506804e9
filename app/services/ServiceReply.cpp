#include "app/services/ServiceReply.h"

#include "platform/foundation/HexDigits.h"
#include "platform/foundation/NSData.h"
#include "platform/foundation/TypedValues.h"

#include <string>

namespace ServiceReply {

NSString percentDecode(const NSString& text)
{
    if (text.isNil())
        return text;
    const std::string source = text.UTF8String();
    if (source.find('%') == std::string::npos)
        return text;
    std::string bytes;
    bytes.reserve(source.size());
    for (std::size_t i = 0; i < source.size(); ++i) {
        if (source[i] == '%' && i + 2 < source.size()) {
            const int high = ns::hexDigitValue(source[i + 1]);
            const int low = ns::hexDigitValue(source[i + 2]);
            if (high >= 0 && low >= 0) {
                bytes.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        bytes.push_back(source[i]);
    }
    NSString decoded = NSString::initWithBytes(bytes.data(), bytes.size(), NSUTF8StringEncoding);
    return decoded.isNil() ? text : decoded;
}

NSString formDecode(const NSString& text)
{
    if (text.isNil())
        return text;
    return percentDecode(text.stringByReplacingOccurrencesOfString("+", " "));
}

std::optional<std::int32_t> mainServiceCode(const id& reply)
{
    auto head = ns::dictionaryForKey(ns::dictionaryForKey(ns::dictionaryValue(reply), "output"), "head");
    if (!head)
        return std::nullopt;
    return static_cast<std::int32_t>(ns::integerForKey(head, "retCode"));
}

std::optional<std::int32_t> topLevelCode(const id& reply)
{
    auto object = ns::dictionaryValue(reply);
    if (!object)
        return std::nullopt;
    return static_cast<std::int32_t>(ns::integerForKey(object, "code"));
}

std::shared_ptr<NSArray> rows(const id& reply, const NSString& arrayName)
{
    auto body = ns::dictionaryForKey(ns::dictionaryForKey(ns::dictionaryValue(reply), "output"), "body");
    auto rowSet = ns::dictionaryForKey(ns::dictionaryForKey(body, arrayName), "rowSet");
    auto found = ns::arrayForKey(rowSet, "row");
    return found ? found : NSArray::array();
}

} // namespace ServiceReply
