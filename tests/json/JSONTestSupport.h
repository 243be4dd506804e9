#pragma once

#include "library/json/JSONDecoder.h"
#include "platform/foundation/Foundation.h"

#include <gtest/gtest.h>

// One parse with its outcome, read the way the tests want it.
struct Decoded {
    id object;
    std::shared_ptr<NSError> error;

    std::string message() const { return error ? error->localizedDescription().UTF8String() : std::string(); }
    NSUInteger index() const { return numberAt(JCAtIndexKey); }
    NSUInteger line() const { return numberAt(JCLineNumberKey); }

private:
    NSUInteger numberAt(const char* key) const
    {
        auto number = error ? ns::cast<NSNumber>(error->userInfo()->objectForKey(key)) : nullptr;
        return number ? number->unsignedLongLongValue() : NSNotFound;
    }
};

inline Decoded decode(std::string_view text, JCParseOptionFlags options = JCParseOptionsNone, bool mutableCollections = false)
{
    Decoded result;
    auto decoder = JSONDecoder::decoderWithParseOptions(options);
    result.object = mutableCollections ? decoder->mutableObjectWithUTF8String(text.data(), text.size(), &result.error)
                                       : decoder->objectWithUTF8String(text.data(), text.size(), &result.error);
    return result;
}

// The only member of a one-element array.
inline id decodeMember(std::string_view text, JCParseOptionFlags options = JCParseOptionsNone)
{
    auto array = ns::cast<NSArray>(decode(text, options).object);
    return array && array->count() == 1 ? array->objectAtIndex(0) : nullptr;
}

inline std::string utf8Of(const id& object) { return NSString::fromId(object).UTF8String(); }
