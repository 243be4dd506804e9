#include "library/json/JSONCodecDeserializing.h"

#include "platform/foundation/StringEncoding.h"

namespace {

// UTF-8 of the string with "?" for an unpaired surrogate, which UTF-8 cannot carry. Measured
// first, then written in place: every reply passes through here.
std::string utf8WithQuestionMarks(std::u16string_view units)
{
    const std::size_t n = units.size();
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t c = units[i];
        bytes += c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
    }
    std::string out;
    out.resize(bytes);
    auto* o = reinterpret_cast<unsigned char*>(out.data());
    for (std::size_t i = 0; i < n; ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (c <= 0xDBFF && i + 1 < n && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
                // A pair takes four bytes, as many as its two units were counted for.
                c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00u);
            } else {
                *o++ = '?';
                continue;
            }
        }
        o += ns::encodeUTF8(c, o);
    }
    out.resize(static_cast<std::size_t>(o - reinterpret_cast<unsigned char*>(out.data())));
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
