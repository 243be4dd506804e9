#pragma once
// Turns JSON text in UTF-8 into a tree of objects: JCDictionary, JCArray, strings, numbers, the
// shared booleans and the shared null. A decoder serves one parse at a time and keeps a cache of
// the strings and numbers it built, so the repeated keys of a reply become one object each. The
// cache only points at the values of the tree it last returned, and the decoder holds that tree
// until its next parse, clearCache() or its end.
// Errors are JCErrorDomain values positioned by byte index and line number.

#include "library/json/JCParseState.h"
#include "library/json/JCTokenizer.h"
#include "platform/foundation/NSData.h"

// Arrays and objects nested deeper than this fail the parse like any syntax error, so a hostile
// reply cannot exhaust the stack.
inline constexpr NSUInteger JCMaximumNestingDepth = 512;

// Records the codec's collection factories; the parser builds through what it records. Called by
// every decoder, and safe to call any number of times from any thread.
void JCCollectionClassesInit();

class JSONDecoder : public NSObject {
    NS_OBJECT(JSONDecoder, NSObject)
public:
    ~JSONDecoder() override;

    static std::shared_ptr<JSONDecoder> decoder() { return create(); }
    // Raises NSInvalidArgumentException for flags outside JCParseOptionsValidFlags.
    static std::shared_ptr<JSONDecoder> decoderWithParseOptions(JCParseOptionFlags parseOptionFlags) { return create(parseOptionFlags); }

    id objectWithUTF8String(const char* string, NSUInteger length, NSErrorPointer error = nullptr);
    id mutableObjectWithUTF8String(const char* string, NSUInteger length, NSErrorPointer error = nullptr);
    id objectWithData(const std::shared_ptr<NSData>& jsonData, NSErrorPointer error = nullptr);
    id mutableObjectWithData(const std::shared_ptr<NSData>& jsonData, NSErrorPointer error = nullptr);
    // Older names of the immutable forms.
    id parseUTF8String(const char* string, NSUInteger length, NSErrorPointer error = nullptr) { return objectWithUTF8String(string, length, error); }
    id parseJSONData(const std::shared_ptr<NSData>& jsonData, NSErrorPointer error = nullptr) { return objectWithData(jsonData, error); }

    void clearCache();
    JCParseOptionFlags parseOptionFlags() const { return m_parseState ? m_parseState->parseOptionFlags : 0; }

protected:
    void init() { init(JCParseOptionsNone); }
    void init(JCParseOptionFlags parseOptionFlags);

private:
    friend void JCCollectionClassesInit();
    static std::shared_ptr<JCArray> makeArray(id* objects, NSUInteger count, bool mutableCollections);
    static std::shared_ptr<JCDictionary> makeDictionary(id* keys, id* objects, const NSUInteger* hashes, NSUInteger count, bool mutableCollections,
        std::vector<id>& replaced);
    static std::shared_ptr<JCDictionary> makeFlatDictionary(id* keys, id* objects, NSUInteger count);

    id parse(const char* string, NSUInteger length, bool mutableCollections, NSErrorPointer error);

    std::unique_ptr<JCParseState> m_parseState;
};
