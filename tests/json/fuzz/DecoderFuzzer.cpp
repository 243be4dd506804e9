// Feeds arbitrary bytes to the decoder under every option, then checks that whatever it accepted
// encodes and decodes back to an equal tree.
#include "library/json/JSONCodecDeserializing.h"
#include "library/json/JSONCodecSerializing.h"
#include "library/json/JSONDecoder.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the options and the kind of collections.
    const JCParseOptionFlags options = data[0] & JCParseOptionsValidFlags;
    const bool mutableCollections = data[0] & 0x10;
    const char* text = reinterpret_cast<const char*>(data + 1);
    const std::size_t length = size - 1;

    auto decoder = JSONDecoder::decoderWithParseOptions(options);
    std::shared_ptr<NSError> error;
    id tree = mutableCollections ? decoder->mutableObjectWithUTF8String(text, length, &error)
                                 : decoder->objectWithUTF8String(text, length, &error);
    if (!tree == !error) {
        std::fprintf(stderr, "a parse must answer either a tree or an error\n");
        std::abort();
    }

    // Decoders that live across inputs, one per option set: their caches carry values from one
    // input's tree to the next, and the last tree is let go of before or after the next parse.
    static std::shared_ptr<JSONDecoder> longLived[JCParseOptionsValidFlags + 1];
    static id lastTree;
    auto& reused = longLived[options];
    if (!reused)
        reused = JSONDecoder::decoderWithParseOptions(options);
    if (data[0] & 0x20)
        lastTree.reset();
    id reread = mutableCollections ? reused->mutableObjectWithUTF8String(text, length) : reused->objectWithUTF8String(text, length);
    if (!reread != !tree || (tree && !tree->isEqual(reread))) {
        std::fprintf(stderr, "a decoder that read before must read the same tree\n");
        std::abort();
    }
    lastTree = reread;
    if (!tree)
        return 0;

    std::shared_ptr<NSError> encodeError;
    auto encoded = JCSerializer::serializeObject(tree, JCSerializeOptionNone, JCEncodeAsData | JCEncodeRequireCollection, nullptr, nullptr,
        nullptr, &encodeError);
    auto data2 = ns::cast<NSData>(encoded);
    if (!data2) {
        std::fprintf(stderr, "a decoded tree must encode: %s\n", encodeError ? encodeError->localizedDescription().UTF8String().c_str() : "");
        std::abort();
    }
    id again = JSONCodecDeserializing::objectFromJSONData(data2);
    if (!again || !tree->isEqual(again)) {
        std::fprintf(stderr, "the encoded text must decode to an equal tree\n");
        std::abort();
    }
    return 0;
}
