#pragma once
// The decoder's parse state: the input, the positions, the current token, the object stack and
// the cache of recently built strings and numbers. The tokenizer and the decoder share it.

#include "library/json/JCManagedBuffer.h"
#include "platform/foundation/NSError.h"

#include <array>
#include <string>
#include <vector>

class JCArray;
class JCDictionary;
class NSNumber;

using JCParseOptionFlags = NSUInteger;
enum : JCParseOptionFlags {
    JCParseOptionsNone = 0,
    JCParseStrict = 0,
    JCParseAllowComments = 1 << 0,
    JCParseUnicodeLineBreaks = 1 << 1,
    JCParseReplaceBadUnicode = 1 << 2,
    JCParseAllowTrailingText = 1 << 3,
    JCParseOptionsValidFlags = JCParseAllowComments | JCParseUnicodeLineBreaks | JCParseReplaceBadUnicode | JCParseAllowTrailingText,
};

enum JCTokenType : NSUInteger {
    JCTokenTypeInvalid = 0,
    JCTokenTypeNumber = 1,
    JCTokenTypeString = 2,
    JCTokenTypeObjectBegin = 3,
    JCTokenTypeObjectEnd = 4,
    JCTokenTypeArrayBegin = 5,
    JCTokenTypeArrayEnd = 6,
    JCTokenTypeSeparator = 7,
    JCTokenTypeComma = 8,
    JCTokenTypeTrue = 9,
    JCTokenTypeFalse = 10,
    JCTokenTypeNull = 11,
};

enum JCValueType : std::uint32_t {
    JCValueTypeNone = 0,
    JCValueTypeString = 5,
    JCValueTypeLongLong = 7,
    JCValueTypeUnsignedLongLong = 11,
    JCValueTypeDouble = 13,
};

struct JCConstBuffer {
    JCConstPtrRange bytes;
};

// Longer strings are not cached: they rarely come again in one reply.
inline constexpr NSUInteger JCLongestCachedValue = 24;

// One cache line each, the bytes inline: a probe touches one line and a fill allocates nothing.
struct alignas(64) JCTokenCacheItem {
    // Owned, or only pointing at a value of the tree being read (see `borrowed`).
    id object;
    NSUInteger hash { 0 };
    // Computed the first time the object is a key of a dictionary large enough to be hashed.
    NSUInteger keyHash { 0 };
    JCValueType type { JCValueTypeNone };
    std::uint16_t size { 0 };
    // Read as a dictionary key: kept for the thread's next decoder.
    bool isKey { false };
    // A value made by the current parse: `object` holds no count of its own, the tree does (and
    // after the parse the decoder's hold on that tree). Owning it would cost two atomic updates of
    // its count, and most such values are let go with their reply.
    bool borrowed { false };
    std::array<std::uint8_t, JCLongestCachedValue> bytes {};
};
static_assert(sizeof(JCTokenCacheItem) == 64);

struct JCTokenValue {
    JCConstPtrRange ptrRange;
    JCValueType type { JCValueTypeNone };
    // Of a string read without escapes: its length in UTF-16 units, which tells the string maker
    // whether the bytes are ASCII; NSNotFound when the tokenizer did not count.
    NSUInteger utf16Length { NSNotFound };
    NSUInteger hash { 0 };
    union {
        std::int64_t longLongValue;
        std::uint64_t unsignedLongLongValue;
        double doubleValue { 0 };
    } number;
    JCTokenCacheItem* cacheItem { nullptr };
};

struct JCParseToken {
    JCConstPtrRange tokenPtrRange;
    JCTokenType type { JCTokenTypeInvalid };
    JCTokenValue value;
    JCManagedBuffer tokenBuffer;
};

// Where a key came from: its cache item (null for none), where its hash is kept once computed,
// and the tokenizer's hash of its text (equal texts, equal hashes).
struct JCKeyOrigin {
    JCTokenCacheItem* item;
    NSUInteger tokenHash;
};

// Members of the collections being read, with the keys of dictionary entries and their origins.
struct JCObjectStack {
    std::vector<id> objects;
    std::vector<id> keys;
    std::vector<JCKeyOrigin> keyOrigins;
    NSUInteger index { 0 };
    NSUInteger roundSizeUpToMultipleOf { 2048 };
    NSUInteger flags { 0 };

    NSUInteger count() const { return objects.size(); }
};

inline constexpr NSUInteger JCTokenCacheCount = 1024;

struct JCTokenCache {
    std::vector<JCTokenCacheItem> items;
    NSUInteger count { 0 };
    std::uint32_t prng_lfsr { 1 };
    std::array<std::uint8_t, JCTokenCacheCount> age {};
    // The items filled since the cache was last emptied, so emptying it touches only those.
    std::vector<std::uint16_t> filled;
};

// What the start-up step records: the factories through which the parser builds collections
// and the numbers above the signed range.
struct JCObjCImpCache {
    std::shared_ptr<JCArray> (*makeArray)(id* objects, NSUInteger count, bool mutableCollections) { nullptr };
    // Distinct string keys, at most JCDictionaryFlatLimit of them; the dictionary is immutable.
    std::shared_ptr<JCDictionary> (*makeFlatDictionary)(id* keys, id* objects, NSUInteger count) { nullptr };
    // An equal key met later replaces the earlier entry, whose key and object go to `replaced`.
    std::shared_ptr<JCDictionary> (*makeDictionary)(id* keys, id* objects, const NSUInteger* hashes, NSUInteger count, bool mutableCollections,
        std::vector<id>& replaced) { nullptr };
    std::shared_ptr<NSNumber> (*numberWithUnsignedLongLong)(unsigned long long value) { nullptr };
};

struct JCParseState {
    JCParseOptionFlags parseOptionFlags { 0 };
    JCConstBuffer stringBuffer;
    NSUInteger atIndex { 0 };
    NSUInteger lineNumber { 1 };
    NSUInteger lineStartIndex { 0 };
    JCParseToken token;
    JCObjectStack objectStack;
    JCTokenCache cache;
    JCObjCImpCache objCImpCache;
    std::shared_ptr<NSError> error;
    bool mutableCollections { false };
    // How many arrays and objects enclose the one being read.
    NSUInteger depth { 0 };
    // The keys of the last flat dictionary found to have distinct keys: the rows of a list
    // repeat the very same key objects, which then need no comparing. Not owned: nothing the
    // parse made dies before it ends (see `heldTree`), so no other key can take an address.
    std::vector<const NSObject*> distinctKeys;
    // What keeps the cache's borrowed values alive: the last tree returned and whatever its
    // dictionaries let go of while being made (a repeated key's earlier entry), until the next
    // parse, clearCache() or the decoder's end.
    std::vector<id> heldTree;
    // The key hashes of the dictionary being made, when it is hashed.
    std::vector<NSUInteger> keyHashes;
};
