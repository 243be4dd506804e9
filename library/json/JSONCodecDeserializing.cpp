#include "library/json/JSONCodecDeserializing.h"

namespace {

// UTF-8 of the string with "?" for an unpaired surrogate, which UTF-8 cannot carry.
std::string utf8WithQuestionMarks(std::u16string_view units)
{
    std::string out;
    out.reserve(units.size() * 3);
    for (std::size_t i = 0; i < units.size(); ++i) {
        std::uint32_t c = units[i];
        if (c < 0x80) {
            out.push_back(char(c));
            continue;
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00u);
                ++i;
            } else {
                out.push_back('?');
                continue;
            }
        }
        if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (c >> 18)));
            out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

id objectFromJSONString(const NSString& string, JCParseOptionFlags parseOptionFlags, bool mutableCollections, NSErrorPointer error)
{
    if (string.isNil())
        return nullptr;
    const std::string utf8 = utf8WithQuestionMarks(string.view());
    auto decoder = JSONDecoder::decoderWithParseOptions(parseOptionFlags);
    return mutableCollections ? decoder->mutableObjectWithUTF8String(utf8.data(), utf8.size(), error)
                              : decoder->objectWithUTF8String(utf8.data(), utf8.size(), error);
}

id objectFromJSONData(const std::shared_ptr<NSData>& data, JCParseOptionFlags parseOptionFlags, bool mutableCollections, NSErrorPointer error)
{
    if (!data)
        return nullptr;
    auto decoder = JSONDecoder::decoderWithParseOptions(parseOptionFlags);
    return mutableCollections ? decoder->mutableObjectWithData(data, error) : decoder->objectWithData(data, error);
}

} // namespace

id JSONCodecDeserializing::objectFromJSONString(const NSString& string)
{
    return ::objectFromJSONString(string, JCParseOptionsNone, false, nullptr);
}

id JSONCodecDeserializing::objectFromJSONStringWithParseOptions(const NSString& string, JCParseOptionFlags parseOptionFlags, NSErrorPointer error)
{
    return ::objectFromJSONString(string, parseOptionFlags, false, error);
}

id JSONCodecDeserializing::mutableObjectFromJSONString(const NSString& string)
{
    return ::objectFromJSONString(string, JCParseOptionsNone, true, nullptr);
}

id JSONCodecDeserializing::mutableObjectFromJSONStringWithParseOptions(const NSString& string, JCParseOptionFlags parseOptionFlags, NSErrorPointer error)
{
    return ::objectFromJSONString(string, parseOptionFlags, true, error);
}

id JSONCodecDeserializing::objectFromJSONData(const std::shared_ptr<NSData>& data)
{
    return ::objectFromJSONData(data, JCParseOptionsNone, false, nullptr);
}

id JSONCodecDeserializing::objectFromJSONDataWithParseOptions(const std::shared_ptr<NSData>& data, JCParseOptionFlags parseOptionFlags, NSErrorPointer error)
{
    return ::objectFromJSONData(data, parseOptionFlags, false, error);
}

id JSONCodecDeserializing::mutableObjectFromJSONData(const std::shared_ptr<NSData>& data)
{
    return ::objectFromJSONData(data, JCParseOptionsNone, true, nullptr);
}

id JSONCodecDeserializing::mutableObjectFromJSONDataWithParseOptions(const std::shared_ptr<NSData>& data, JCParseOptionFlags parseOptionFlags, NSErrorPointer error)
{
    return ::objectFromJSONData(data, parseOptionFlags, true, error);
}
