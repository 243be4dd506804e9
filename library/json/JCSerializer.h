#pragma once
// Writes a tree of dictionaries, arrays, strings, numbers, booleans and nulls as JSON text.
// Compact output keeps each dictionary's own enumeration order, writes non-ASCII text as raw
// UTF-8 and leaves "/" alone: the services receive the text exactly as written here.

#include "library/json/JCTokenizer.h"

#include <functional>

using JCSerializeOptionFlags = NSUInteger;
enum : JCSerializeOptionFlags {
    JCSerializeOptionNone = 0,
    JCSerializePrettyPrint = 1 << 0,
    JCSerializeEscapeNonASCII = 1 << 1,
    JCSerializeEscapeSlashes = 1 << 4,
};

using JCEncodeOptionType = NSUInteger;
enum : JCEncodeOptionType {
    JCEncodeAsData = 1,
    JCEncodeAsString = 2,
    JCEncodeAsMask = 7,
    JCEncodeRequireCollection = 1 << 3,
    JCEncodeRequireString = 1 << 4,
    JCEncodeOmitQuotes = 1 << 5,
};

// Deeper trees are refused with an error, like a collection that contains itself.
inline constexpr NSUInteger JCMaximumEncodeDepth = 512;

class JCSerializer : public NSObject {
    NS_OBJECT(JCSerializer, NSObject)
public:
    // Turns an object JSON cannot express into one it can (or nil).
    using UnsupportedClassBlock = std::function<id(const id& object)>;
    // The delegate's operation for the same purpose, called with the delegate and the object.
    using DelegateSelector = std::function<id(const id& delegate, const id& object)>;

    ~JCSerializer() override;

    // The text as an NSString object (JCEncodeAsString) or NSData (JCEncodeAsData), or nil.
    static id serializeObject(const id& object, JCSerializeOptionFlags options, JCEncodeOptionType encodeOption,
        const UnsupportedClassBlock& block, const id& delegate, const DelegateSelector& selector, NSErrorPointer error);
    id serialize(const id& object, JCSerializeOptionFlags options, JCEncodeOptionType encodeOption,
        const UnsupportedClassBlock& block, const id& delegate, const DelegateSelector& selector, NSErrorPointer error);

    void releaseState();

private:
    struct JCEncodeState;
    std::shared_ptr<JCEncodeState> m_encodeState;
};
