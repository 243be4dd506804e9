// The decoding entry points the client calls, on strings as well as data: a string may hold
// any UTF-16 units, unpaired surrogates included, before it is turned into UTF-8 for the decoder.
#include "library/json/JSONCodecDeserializing.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // First byte: bits 0-1 pick the entry point, bit 2 reads the rest as UTF-16 units, bits 3-4
    // give options, bit 5 asks for an error.
    const std::uint8_t control = data[0];
    const std::uint8_t* body = data + 1;
    const std::size_t length = size - 1;
    NSString text;
    if (control & 0x04) {
        std::u16string units(length / 2, u'\0');
        for (std::size_t i = 0; i < units.size(); ++i)
            units[i] = char16_t(body[2 * i] | body[2 * i + 1] << 8);
        text = NSString(std::move(units));
    } else {
        text = NSString(std::string_view(reinterpret_cast<const char*>(body), length));
    }
    const JCParseOptionFlags options = (control >> 3) & JCParseOptionsValidFlags;
    std::shared_ptr<NSError> error;
    NSErrorPointer errorPointer = (control & 0x20) ? &error : nullptr;
    auto bytes = NSData::dataWithBytes(body, length);
    id tree;
    switch (control & 0x03) {
    case 0:
        tree = (control & 0x38) ? JSONCodecDeserializing::objectFromJSONStringWithParseOptions(text, options, errorPointer)
                                 : JSONCodecDeserializing::objectFromJSONString(text);
        break;
    case 1:
        tree = JSONCodecDeserializing::mutableObjectFromJSONStringWithParseOptions(text, options, errorPointer);
        break;
    case 2:
        tree = (control & 0x38) ? JSONCodecDeserializing::objectFromJSONDataWithParseOptions(bytes, options, errorPointer)
                                 : JSONCodecDeserializing::objectFromJSONData(bytes);
        break;
    default:
        tree = JSONCodecDeserializing::mutableObjectFromJSONDataWithParseOptions(bytes, options, errorPointer);
        break;
    }
    if (errorPointer && !tree == !error) {
        std::fprintf(stderr, "a parse must answer either a tree or an error\n");
        std::abort();
    }
    if (tree)
        (void)tree->description();
    return 0;
}
