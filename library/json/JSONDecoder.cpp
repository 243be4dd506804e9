#include "library/json/JSONDecoder.h"

#include "library/json/JCArray.h"
#include "library/json/JCDictionary.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/foundation/UnsharedRelease.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <mutex>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define JC_SHUFFLED_CONVERSION 1
#endif

namespace {

constexpr const char* kSourceName = "library/json/JSONDecoder.cpp";
constexpr NSUInteger kInitialStackCount = 1024;
constexpr NSUInteger kTokenBufferBytes = 2048;

JCObjCImpCache& recordedFactories()
{
    static NeverDestroyed<JCObjCImpCache> factories;
    return factories.get();
}

std::shared_ptr<NSNumber> numberWithUnsignedLongLong(unsigned long long value)
{
    return NSNumber::numberWithUnsignedLongLong(value);
}

const id& sharedEmptyString()
{
    static const id empty = static_cast<id>(NSString(u""));
    return empty;
}

// --- Strings from validated UTF-8 ------------------------------------------------------------

// Counts the UTF-16 units of checked UTF-8: every byte but the continuation bytes, and one more
// for each four-byte lead. The counts are kept per byte lane (at most 127 words between sums, so
// no lane overflows) and summed with a multiplication, which is cheaper than a population count
// the machine may lack.
NSUInteger utf16LengthOf(const std::uint8_t* bytes, NSUInteger length)
{
    const std::uint8_t* const end = bytes + length;
    constexpr std::uint64_t highs = 0x8080808080808080ull;
    NSUInteger continuations = 0, fourByteLeads = 0;
    const std::uint8_t* p = bytes;
    while (p + 8 <= end) {
        std::uint64_t continuationLanes = 0, fourByteLanes = 0;
        for (int words = 0; words < 127 && p + 8 <= end; ++words, p += 8) {
            std::uint64_t w;
            std::memcpy(&w, p, 8);
            continuationLanes += (w & ~(w << 1) & highs) >> 7;
            fourByteLanes += (w & (w << 1) & (w << 2) & (w << 3) & highs) >> 7;
        }
        auto laneSum = [](std::uint64_t lanes) {
            lanes = (lanes & 0x00FF00FF00FF00FFull) + ((lanes >> 8) & 0x00FF00FF00FF00FFull);
            return NSUInteger((lanes * 0x0001000100010001ull) >> 48);
        };
        continuations += laneSum(continuationLanes);
        fourByteLeads += laneSum(fourByteLanes);
    }
    for (; p < end; ++p) {
        continuations += (*p & 0xC0) == 0x80;
        fourByteLeads += *p >= 0xF0;
    }
    return length - continuations + fourByteLeads;
}

#if defined(JC_SHUFFLED_CONVERSION)
// Five three-byte sequences (Chinese text) to five units per step while sixteen bytes remain to
// read and eight units to write, then a last run shorter than that; answers where it stopped.
// Byte shuffles are not in the baseline instruction set: the caller asks the processor first.
__attribute__((target("ssse3"))) const std::uint8_t* widenThreeByteRuns(const std::uint8_t* begin, const std::uint8_t* p, const std::uint8_t* end,
    char16_t*& out, const char16_t* outEnd)
{
    // Per unit k: its second and third bytes as high and low byte, and its lead alone.
    const __m128i tails = _mm_setr_epi8(2, 1, 5, 4, 8, 7, 11, 10, 14, 13, -1, -1, -1, -1, -1, -1);
    const __m128i leads = _mm_setr_epi8(0, -1, 3, -1, 6, -1, 9, -1, 12, -1, -1, -1, -1, -1, -1, -1);
    while (end - p >= 16 && outEnd - out >= 8) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i leadBytes = _mm_and_si128(bytes, _mm_set1_epi8(char(0xF0)));
        if ((_mm_movemask_epi8(_mm_cmpeq_epi8(leadBytes, _mm_set1_epi8(char(0xE0)))) & 0x1249) != 0x1249)
            break;
        const __m128i tail = _mm_shuffle_epi8(bytes, tails);
        const __m128i lead = _mm_shuffle_epi8(bytes, leads);
        const __m128i units = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(lead, _mm_set1_epi16(0x0F)), 12),
            _mm_or_si128(_mm_srli_epi16(_mm_and_si128(tail, _mm_set1_epi16(0x3F00)), 2), _mm_and_si128(tail, _mm_set1_epi16(0x3F))));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), units);
        out += 5;
        p += 15;
    }
    // The last run of a text, shorter than the sixteen bytes a step reads: the step is taken on
    // the fifteen bytes that end the text instead, read from one byte earlier, when those are five
    // three-byte sequences (their leads say so: a continuation byte is never a lead). Those
    // before `p` are written again as they were. Only the five units are stored.
    const std::ptrdiff_t rest = end - p;
    if (rest >= 3 && rest <= 15 && rest % 3 == 0 && p - begin >= 16 - rest && outEnd - out == rest / 3) {
        const std::uint8_t* const from = end - 16;
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const __m128i leadBytes = _mm_and_si128(bytes, _mm_set1_epi8(char(0xF0)));
        if ((_mm_movemask_epi8(_mm_cmpeq_epi8(leadBytes, _mm_set1_epi8(char(0xE0)))) & 0x2492) == 0x2492) {
            const __m128i lastTails = _mm_setr_epi8(3, 2, 6, 5, 9, 8, 12, 11, 15, 14, -1, -1, -1, -1, -1, -1);
            const __m128i lastLeads = _mm_setr_epi8(1, -1, 4, -1, 7, -1, 10, -1, 13, -1, -1, -1, -1, -1, -1, -1);
            const __m128i tail = _mm_shuffle_epi8(bytes, lastTails);
            const __m128i lead = _mm_shuffle_epi8(bytes, lastLeads);
            const __m128i units = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(lead, _mm_set1_epi16(0x0F)), 12),
                _mm_or_si128(_mm_srli_epi16(_mm_and_si128(tail, _mm_set1_epi16(0x3F00)), 2), _mm_and_si128(tail, _mm_set1_epi16(0x3F))));
            char16_t* const at = out - (5 - rest / 3);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(at), units);
            const auto fifth = char16_t(_mm_extract_epi16(units, 4));
            std::memcpy(at + 4, &fifth, sizeof fifth);
            out = at + 5;
            return end;
        }
    }
    return p;
}

bool canShuffleBytes()
{
    static const bool supported = __builtin_cpu_supports("ssse3");
    return supported;
}
#endif

// The tokenizer has checked the bytes, so they are decoded without checks of their own. It has
// also counted the units of text read without escapes: as many units as bytes means ASCII, the
// common case, which is widened without looking at the bytes.
id makeString(const std::uint8_t* bytes, NSUInteger length, NSUInteger units)
{
    if (units == NSNotFound)
        units = utf16LengthOf(bytes, length);
    char16_t* out;
    auto text = NSStringObject::withLength(units, out);
    if (units == length) {
#if defined(JC_SHUFFLED_CONVERSION)
        // Eight bytes to eight units at a time, the last step overlapping the one before; four for
        // shorter texts. Nothing is read beyond the text.
        const __m128i zero = _mm_setzero_si128();
        if (length >= 8) {
            for (NSUInteger i = 0; i + 8 < length; i += 8)
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(bytes + i)), zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + length - 8),
                _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(bytes + length - 8)), zero));
            return text;
        }
        if (length >= 4) {
            auto widenFour = [&](NSUInteger at) {
                std::uint32_t four;
                std::memcpy(&four, bytes + at, 4);
                _mm_storel_epi64(reinterpret_cast<__m128i*>(out + at), _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(four)), zero));
            };
            widenFour(0);
            widenFour(length - 4);
            return text;
        }
#endif
        for (NSUInteger i = 0; i < length; ++i)
            out[i] = bytes[i];
        return text;
    }
    const std::uint8_t* const end = bytes + length;
    const std::uint8_t* p = bytes;
#if defined(JC_SHUFFLED_CONVERSION)
    const char16_t* const outEnd = out + units;
    const bool shuffle = length >= 16 && canShuffleBytes();
#endif
    while (p < end) {
        const std::uint8_t c = *p;
        if (c < 0x80) {
            *out++ = c;
            ++p;
        } else if (c < 0xE0) {
            *out++ = char16_t(((c & 0x1F) << 6) | (p[1] & 0x3F));
            p += 2;
        } else if (c < 0xF0) {
            // Chinese text comes in runs of three-byte sequences.
#if defined(JC_SHUFFLED_CONVERSION)
            if (shuffle) {
                p = widenThreeByteRuns(bytes, p, end, out, outEnd);
                if (p == end || (*p & 0xF0) != 0xE0)
                    continue;
            }
#endif
            do {
                *out++ = char16_t(((*p & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
                p += 3;
            } while (p < end && (*p & 0xF0) == 0xE0);
        } else {
            const std::uint32_t codePoint = ((c & 0x07u) << 18) | ((p[1] & 0x3Fu) << 12) | ((p[2] & 0x3Fu) << 6) | (p[3] & 0x3Fu);
            *out++ = char16_t(0xD800 + ((codePoint - 0x10000) >> 10));
            *out++ = char16_t(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
            p += 4;
        }
    }
    return text;
}

// --- The object cache ------------------------------------------------------------------------

id makeValueObject(const JCParseState& state, const JCTokenValue& value)
{
    switch (value.type) {
    case JCValueTypeString:
        return makeString(value.ptrRange.ptr, value.ptrRange.length, value.utf16Length);
    case JCValueTypeLongLong:
        return NSNumber::numberWithLongLong(value.number.longLongValue);
    case JCValueTypeUnsignedLongLong:
        if (value.number.unsignedLongLongValue <= std::uint64_t(INT64_MAX))
            return NSNumber::numberWithLongLong(static_cast<long long>(value.number.unsignedLongLongValue));
        return state.objCImpCache.numberWithUnsignedLongLong(value.number.unsignedLongLongValue);
    case JCValueTypeDouble:
        return NSNumber::numberWithDouble(value.number.doubleValue);
    case JCValueTypeNone:
        break;
    }
    return nullptr;
}

void stepAgeing(JCTokenCache& cache)
{
    const std::uint32_t shiftedOut = cache.prng_lfsr & 1u;
    cache.prng_lfsr = (cache.prng_lfsr >> 1) ^ (shiftedOut ? 0x80200003u : 0u);
    cache.age[cache.prng_lfsr & (cache.count - 1)] >>= 1;
}

// Whether a cached value's bytes are the token's, `length` being at most JCLongestCachedValue: a
// few overlapping words rather than a call, reading nothing beyond either's `length` bytes.
[[gnu::always_inline]] inline bool sameShortBytes(const std::uint8_t* cached, const std::uint8_t* token, NSUInteger length)
{
    auto word = [](const std::uint8_t* bytes) {
        std::uint64_t value;
        std::memcpy(&value, bytes, 8);
        return value;
    };
    if (length >= 8) {
        if (word(cached) != word(token) || word(cached + length - 8) != word(token + length - 8))
            return false;
        return length <= 16 || word(cached + 8) == word(token + 8);
    }
    if (length >= 4) {
        std::uint32_t a, b, c, d;
        std::memcpy(&a, cached, 4);
        std::memcpy(&b, token, 4);
        std::memcpy(&c, cached + length - 4, 4);
        std::memcpy(&d, token + length - 4, 4);
        return a == b && c == d;
    }
    for (NSUInteger i = 0; i < length; ++i) {
        if (cached[i] != token[i])
            return false;
    }
    return true;
}

// Copies `length` bytes, at most JCLongestCachedValue, as sameShortBytes reads them: no call, and
// nothing read beyond the token's bytes.
void copyShortBytes(std::uint8_t* cached, const std::uint8_t* token, NSUInteger length)
{
    if (length >= 8) {
        std::memcpy(cached, token, 8);
        if (length > 16)
            std::memcpy(cached + 8, token + 8, 8);
        std::memcpy(cached + length - 8, token + length - 8, 8);
    } else if (length >= 4) {
        std::memcpy(cached, token, 4);
        std::memcpy(cached + length - 4, token + length - 4, 4);
    } else {
        for (NSUInteger i = 0; i < length; ++i)
            cached[i] = token[i];
    }
}

id cachedObject(JCParseState& state, bool isKey)
{
    JCTokenValue& value = state.token.value;
    value.cacheItem = nullptr;
    if (value.type == JCValueTypeString && value.ptrRange.length == 0)
        return sharedEmptyString();
    // Long texts (a question, an address) rarely come again in one reply: caching them would
    // copy their bytes and push out the short values that do repeat.
    if (value.type == JCValueTypeString && value.ptrRange.length > JCLongestCachedValue)
        return makeValueObject(state, value);

    JCTokenCache& cache = state.cache;
    const NSUInteger mask = cache.count - 1;
    const NSUInteger step = value.ptrRange.length + value.type + 3;
    JCTokenCacheItem* place = nullptr;
    NSUInteger placeIndex = 0;
    for (NSUInteger probe = 0; probe < 4; ++probe) {
        const NSUInteger index = (value.hash + probe * step) & mask;
        JCTokenCacheItem& item = cache.items[index];
        if (!item.object) {
            // An empty item is taken before one that would be evicted, a key the last decoder
            // left above all.
            place = &item;
            placeIndex = index;
            break;
        }
        if (item.hash == value.hash && item.size == value.ptrRange.length && item.type == value.type
            && sameShortBytes(item.bytes.data(), value.ptrRange.ptr, value.ptrRange.length)) {
            cache.age[index] = std::uint8_t((cache.age[index] << 1) | 1);
            item.isKey |= isKey;
            value.cacheItem = &item;
            // A borrowed value is alive: the tree being read holds it.
            return item.borrowed ? item.object->self() : item.object;
        }
        if (!place) {
            if (cache.age[index] == 0) {
                place = &item;
                placeIndex = index;
            } else {
                cache.age[index] >>= 1;
                stepAgeing(cache);
                stepAgeing(cache);
            }
        }
    }

    id object = makeValueObject(state, value);
    if (!object || !place)
        return object;
    copyShortBytes(place->bytes.data(), value.ptrRange.ptr, value.ptrRange.length);
    if (!place->object)
        cache.filled.push_back(std::uint16_t(placeIndex));
    // The tree takes the value over; the item only points at it (an evicted owned value is let go).
    place->object = id(id(), object.get());
    place->borrowed = true;
    place->hash = value.hash;
    place->keyHash = 0;
    place->size = std::uint16_t(value.ptrRange.length);
    place->type = value.type;
    place->isKey = isKey;
    value.cacheItem = place;
    cache.age[placeIndex] = 0;
    return object;
}

// A key or value found at its first probe, as most keys of a reply and the repeated values of a
// list's rows are, without the call; the rest as any other value.
template <bool isKey>
inline id cachedAtFirstProbe(JCParseState& state)
{
    JCTokenValue& value = state.token.value;
    const NSUInteger length = value.ptrRange.length;
    if (length - 1 < JCLongestCachedValue) {
        const NSUInteger index = value.hash & (state.cache.count - 1);
        JCTokenCacheItem& item = state.cache.items[index];
        const auto type = isKey ? JCValueTypeString : value.type;
        if (item.object && item.hash == value.hash && item.size == length && item.type == type
            && sameShortBytes(item.bytes.data(), value.ptrRange.ptr, length)) {
            state.cache.age[index] = std::uint8_t((state.cache.age[index] << 1) | 1);
            if constexpr (isKey)
                item.isKey = true;
            value.cacheItem = &item;
            return item.borrowed ? item.object->self() : item.object;
        }
    }
    return cachedObject(state, isKey);
}

inline id cachedKey(JCParseState& state)
{
    return cachedAtFirstProbe<true>(state);
}

inline id cachedValue(JCParseState& state)
{
    return cachedAtFirstProbe<false>(state);
}

// --- Collections -----------------------------------------------------------------------------

enum : int {
    JCAcceptValue = 1,
    JCAcceptComma = 2,
    JCAcceptEnd = 4,
    JCAcceptValueOrEnd = JCAcceptValue | JCAcceptEnd,
    JCAcceptCommaOrEnd = JCAcceptComma | JCAcceptEnd,
};

bool isValueToken(JCTokenType type)
{
    switch (type) {
    case JCTokenTypeNumber:
    case JCTokenTypeString:
    case JCTokenTypeObjectBegin:
    case JCTokenTypeArrayBegin:
    case JCTokenTypeTrue:
    case JCTokenTypeFalse:
    case JCTokenTypeNull:
        return true;
    default:
        return false;
    }
}

void parseExpectedError(JCParseState& state, int accept, const char* valueItem, const char* endItem)
{
    const char* items[3];
    int count = 0;
    if (accept & JCAcceptValue)
        items[count++] = valueItem;
    if (accept & JCAcceptComma)
        items[count++] = "a comma";
    if (accept & JCAcceptEnd)
        items[count++] = endItem;
    const int tokenLength = int(state.token.tokenPtrRange.length);
    const std::string tokenText(reinterpret_cast<const char*>(state.token.tokenPtrRange.ptr), state.token.tokenPtrRange.length);
    if (count == 1)
        JCParseError(state, "Expected %@, not '%*.*s'", items[0], tokenLength, tokenLength, tokenText.c_str());
    else if (count >= 2)
        JCParseError(state, "Expected %@ or %@, not '%*.*s'", items[0], items[1], tokenLength, tokenLength, tokenText.c_str());
}

// Makes room for at least four more entries on the object stack; called only when the stack
// is that full, so the common push pays one comparison.
bool growObjectStack(JCParseState& state, const char* what)
{
    JCObjectStack& stack = state.objectStack;
    const NSUInteger granule = stack.roundSizeUpToMultipleOf;
    const NSUInteger wanted = (stack.count() + 128 + granule - 1) / granule * granule;
    try {
        stack.objects.resize(wanted);
        stack.keys.resize(wanted);
        stack.keyOrigins.resize(wanted);
    } catch (const std::bad_alloc&) {
        JCParseError(state, "Internal error: [%s] objectsIndex > %lu, resize failed? %@ line #%ld", what,
            static_cast<unsigned long>(stack.count() - 4), kSourceName, long(__LINE__));
        return false;
    }
    stack.flags = JCManagedBufferOnHeap | JCManagedBufferMustFree;
    return true;
}

// Releases what a failed collection had pushed.
void unwindObjectStack(JCParseState& state, NSUInteger startIndex)
{
    JCObjectStack& stack = state.objectStack;
    for (NSUInteger i = startIndex; i < stack.index; ++i) {
        stack.objects[i].reset();
        stack.keys[i].reset();
    }
    stack.index = startIndex;
}

id parseArray(JCParseState& state);
id parseDictionary(JCParseState& state);

// True when no two of the keys are equal. Keys are the decoder's strings; only those whose token
// hashes agree are compared.
bool keysAreDistinct(JCParseState& state, const id* keys, const JCKeyOrigin* origins, NSUInteger count)
{
    // A few keys are compared sooner than remembered.
    constexpr NSUInteger kFewestRemembered = 5;
    std::vector<const NSObject*>& known = state.distinctKeys;
    if (count >= kFewestRemembered && known.size() == count
        && std::equal(keys, keys + count, known.begin(), [](const id& key, const NSObject* knownKey) { return key.get() == knownKey; }))
        return true;
    // A key is compared with the earlier ones only when a bit its hash picks is already taken.
    // Two words, not an array: clearing an array took a string instruction.
    std::uint64_t takenLow = 0, takenHigh = 0;
    for (NSUInteger i = 0; i < count; ++i) {
        const NSUInteger bit = (origins[i].tokenHash >> 16) & 127;
        const std::uint64_t mask = std::uint64_t(1) << (bit & 63);
        std::uint64_t& taken = bit >= 64 ? takenHigh : takenLow;
        if (taken & mask) {
            for (NSUInteger j = 0; j < i; ++j) {
                if (origins[j].tokenHash == origins[i].tokenHash
                    && (keys[j] == keys[i]
                        || static_cast<const NSStringObject&>(*keys[j]).characters() == static_cast<const NSStringObject&>(*keys[i]).characters()))
                    return false;
            }
        }
        taken |= mask;
    }
    if (count >= kFewestRemembered) {
        known.resize(count);
        for (NSUInteger i = 0; i < count; ++i)
            known[i] = keys[i].get();
    }
    return true;
}

// The dictionary of the entries pushed since `startIndex`, taking them over; null when there are
// too many. Small immutable ones are flat and need no key hashes; the hash of a key that came from
// the cache is kept in its item, so the keys of a list's large rows are hashed once.
id finishDictionary(JCParseState& state, NSUInteger startIndex)
{
    JCObjectStack& stack = state.objectStack;
    id* const keys = stack.keys.data() + startIndex;
    id* const objects = stack.objects.data() + startIndex;
    const NSUInteger count = stack.index - startIndex;
    const JCKeyOrigin* const origins = stack.keyOrigins.data() + startIndex;
    if (!state.mutableCollections && count <= JCDictionaryFlatLimit && keysAreDistinct(state, keys, origins, count))
        return state.objCImpCache.makeFlatDictionary(keys, objects, count);
    std::vector<NSUInteger>& hashes = state.keyHashes;
    hashes.resize(count);
    for (NSUInteger i = 0; i < count; ++i) {
        JCTokenCacheItem* const item = origins[i].item;
        // The item may hold another value by now; the key on the stack keeps its object alive, so
        // the same pointer is the same key.
        if (item && item->object == keys[i]) {
            if (item->keyHash == 0)
                item->keyHash = keys[i]->hash();
            hashes[i] = item->keyHash;
        } else {
            hashes[i] = keys[i]->hash();
        }
    }
    return state.objCImpCache.makeDictionary(keys, objects, hashes.data(), count, state.mutableCollections, state.heldTree);
}

// The token of each byte that is a whole token by itself, JCTokenTypeInvalid for the others.
constexpr auto kOneByteTokens = [] {
    std::array<std::uint8_t, 256> types {};
    types[':'] = JCTokenTypeSeparator;
    types[','] = JCTokenTypeComma;
    types['{'] = JCTokenTypeObjectBegin;
    types['}'] = JCTokenTypeObjectEnd;
    types['['] = JCTokenTypeArrayBegin;
    types[']'] = JCTokenTypeArrayEnd;
    return types;
}();

// Separators, commas and brackets, more than half the tokens of compact text, and strings are
// taken here without the whole step.
inline bool nextToken(JCParseState& state)
{
    const NSUInteger at = state.atIndex;
    if (at < state.stringBuffer.bytes.length) {
        const std::uint8_t* const byte = state.stringBuffer.bytes.ptr + at;
        if (const auto type = JCTokenType(kOneByteTokens[*byte]); type != JCTokenTypeInvalid) {
            state.token.type = type;
            state.token.tokenPtrRange = { byte, 1 };
            state.atIndex = at + 1;
            return true;
        }
        // Compact text's keys and most of its values.
        if (*byte == '"')
            return JCParseStringToken(state);
    }
    return JCParseNextToken(state);
}

id objectForToken(JCParseState& state)
{
    switch (state.token.type) {
    case JCTokenTypeString:
    case JCTokenTypeNumber:
        return cachedValue(state);
    case JCTokenTypeObjectBegin:
        return parseDictionary(state);
    case JCTokenTypeArrayBegin:
        return parseArray(state);
    case JCTokenTypeTrue:
        return NSNumber::numberWithBool(true);
    case JCTokenTypeFalse:
        return NSNumber::numberWithBool(false);
    case JCTokenTypeNull:
        return NSNull::null();
    default:
        return nullptr;
    }
}

// Counts one more level of nesting, failing past the limit.
class NestingScope {
public:
    explicit NestingScope(JCParseState& state) : m_state(state)
    {
        if (++m_state.depth > JCMaximumNestingDepth)
            JCParseError(m_state, "Nesting too deep: arrays and objects may nest at most %lu levels.", static_cast<unsigned long>(JCMaximumNestingDepth));
    }
    ~NestingScope() { --m_state.depth; }
    bool allowed() const { return m_state.depth <= JCMaximumNestingDepth; }

private:
    JCParseState& m_state;
};

id parseArray(JCParseState& state)
{
    NestingScope nesting(state);
    if (!nesting.allowed())
        return nullptr;
    JCObjectStack& stack = state.objectStack;
    const NSUInteger startIndex = stack.index;
    int accept = JCAcceptValueOrEnd;
    const NSUInteger length = state.stringBuffer.bytes.length;
    while (state.atIndex < length) {
        if (!nextToken(state))
            break;
        const JCTokenType type = state.token.type;
        if (isValueToken(type)) {
            if (!(accept & JCAcceptValue)) {
                JCParseError(state, "Unexpected value.");
                break;
            }
            id object = objectForToken(state);
            if (!object) {
                JCParseError(state, "Internal error: Object == NULL");
                break;
            }
            if (stack.index + 4 > stack.count() && !growObjectStack(state, "array"))
                break;
            stack.objects[stack.index++] = std::move(object);
            accept = JCAcceptCommaOrEnd;
        } else if (type == JCTokenTypeArrayEnd) {
            if (!(accept & JCAcceptEnd)) {
                JCParseError(state, "Unexpected ']'.");
                break;
            }
            auto array = state.objCImpCache.makeArray(stack.objects.data() + startIndex, stack.index - startIndex, state.mutableCollections);
            // The array took the members over.
            stack.index = startIndex;
            return array;
        } else if (type == JCTokenTypeComma) {
            if (!(accept & JCAcceptComma)) {
                JCParseError(state, "Unexpected ','.");
                break;
            }
            accept = JCAcceptValue;
        } else {
            parseExpectedError(state, accept, "a value", "a ']'");
            break;
        }
    }
    unwindObjectStack(state, startIndex);
    return nullptr;
}

id parseDictionary(JCParseState& state)
{
    NestingScope nesting(state);
    if (!nesting.allowed())
        return nullptr;
    JCObjectStack& stack = state.objectStack;
    const NSUInteger startIndex = stack.index;
    int accept = JCAcceptValueOrEnd;
    const NSUInteger length = state.stringBuffer.bytes.length;
    while (state.atIndex < length) {
        if (!nextToken(state))
            break;
        const JCTokenType type = state.token.type;
        if (type == JCTokenTypeObjectEnd) {
            if (!(accept & JCAcceptEnd)) {
                JCParseError(state, "Unexpected '}'.");
                break;
            }
            auto dictionary = finishDictionary(state, startIndex);
            if (!dictionary) {
                JCParseError(state, "Internal error: a dictionary of %lu entries is too large.", static_cast<unsigned long>(stack.index - startIndex));
                break;
            }
            // The dictionary took the keys and objects over.
            stack.index = startIndex;
            return dictionary;
        }
        if (type == JCTokenTypeComma) {
            if (!(accept & JCAcceptComma)) {
                JCParseError(state, "Unexpected ','.");
                break;
            }
            accept = JCAcceptValue;
            continue;
        }
        if (type != JCTokenTypeString) {
            parseExpectedError(state, accept, "a \"STRING\"", "a '}'");
            break;
        }
        if (!(accept & JCAcceptValue)) {
            JCParseError(state, "Unexpected string.");
            break;
        }
        id key = cachedKey(state);
        if (!key) {
            JCParseError(state, "Internal error: Key == NULL.");
            break;
        }
        const JCKeyOrigin keyOrigin { state.token.value.cacheItem, state.token.value.hash };
        // The separator, nearly always right after the key, is stepped over without becoming the
        // token: the value's token replaces it before anything reads it.
        if (state.atIndex < length && state.stringBuffer.bytes.ptr[state.atIndex] == ':') {
            ++state.atIndex;
        } else {
            if (!nextToken(state))
                break;
            if (state.token.type != JCTokenTypeSeparator) {
                JCParseError(state, "Expected ':'.");
                break;
            }
        }
        if (!nextToken(state))
            break;
        if (!isValueToken(state.token.type)) {
            parseExpectedError(state, JCAcceptValueOrEnd, "a value", "a '}'");
            break;
        }
        id object = objectForToken(state);
        if (!object) {
            JCParseError(state, "Internal error: Object == NULL.");
            break;
        }
        if (stack.index + 4 > stack.count() && !growObjectStack(state, "dictionary"))
            break;
        stack.keys[stack.index] = std::move(key);
        stack.keyOrigins[stack.index] = keyOrigin;
        stack.objects[stack.index] = std::move(object);
        ++stack.index;
        accept = JCAcceptCommaOrEnd;
    }
    unwindObjectStack(state, startIndex);
    return nullptr;
}

} // namespace

// --- Start-up --------------------------------------------------------------------------------

void JCCollectionClassesInit()
{
    static std::once_flag once;
    std::call_once(once, [] {
        JCObjCImpCache& factories = recordedFactories();
        factories.makeArray = &JSONDecoder::makeArray;
        factories.makeDictionary = &JSONDecoder::makeDictionary;
        factories.makeFlatDictionary = &JSONDecoder::makeFlatDictionary;
        factories.numberWithUnsignedLongLong = &numberWithUnsignedLongLong;
    });
}

std::shared_ptr<JCArray> JSONDecoder::makeArray(id* objects, NSUInteger count, bool mutableCollections)
{
    std::vector<id> members(std::make_move_iterator(objects), std::make_move_iterator(objects + count));
    return JCArray::create(PassKey<JSONDecoder> {}, std::move(members), mutableCollections);
}

std::shared_ptr<JCDictionary> JSONDecoder::makeDictionary(id* keys, id* objects, const NSUInteger* hashes, NSUInteger count, bool mutableCollections,
    std::vector<id>& replaced)
{
    return JCDictionary::create(PassKey<JSONDecoder> {}, keys, objects, hashes, count, mutableCollections, replaced);
}

std::shared_ptr<JCDictionary> JSONDecoder::makeFlatDictionary(id* keys, id* objects, NSUInteger count)
{
    return JCDictionary::flatDictionary(PassKey<JSONDecoder> {}, keys, objects, count);
}

// --- JSONDecoder -----------------------------------------------------------------------------

namespace {

// A reply is decoded by a decoder of its own, and its tables (the cache items, the object stack)
// are some hundred kilobytes: each thread keeps the last decoder's state for the next one instead
// of going back to the allocator every time. The state keeps the cached keys, so the replies of a
// service, which share their keys, find them made; values are let go with their decoder.
thread_local std::unique_ptr<JCParseState> t_spareParseState;

// By then the tree is usually the decoder's alone, its members each held by it alone.
void releaseHeldTree(std::vector<id>& held)
{
    for (auto& object : held)
        ns::releaseUnshared(object);
    held.clear();
}

// A borrowed value is only forgotten, never touched: its tree may be gone.
void emptyItem(JCTokenCacheItem& item)
{
    item.object.reset();
    item.hash = item.keyHash = 0;
    item.size = 0;
    item.type = JCValueTypeNone;
    item.isKey = false;
    item.borrowed = false;
}

// Makes the borrowed values the cache's own; the tree holding them must still be alive.
void adoptBorrowed(JCTokenCache& cache)
{
    for (const std::uint16_t index : cache.filled) {
        JCTokenCacheItem& item = cache.items[index];
        if (item.borrowed) {
            item.object = item.object->self();
            item.borrowed = false;
        }
    }
}

// After a failed parse, whose values are gone with its partial tree.
void forgetBorrowed(JCTokenCache& cache)
{
    NSUInteger kept = 0;
    for (const std::uint16_t index : cache.filled) {
        JCTokenCacheItem& item = cache.items[index];
        if (item.borrowed) {
            emptyItem(item);
            continue;
        }
        cache.filled[kept++] = index;
    }
    cache.filled.resize(kept);
}

} // namespace

void JSONDecoder::init(JCParseOptionFlags parseOptionFlags)
{
    if (parseOptionFlags & ~JCParseOptionsValidFlags)
        NSException::raise(NSInvalidArgumentException, "Invalid parse options.");
    JCCollectionClassesInit();
    m_parseState = t_spareParseState ? std::move(t_spareParseState) : std::make_unique<JCParseState>();
    JCParseState& state = *m_parseState;
    state.parseOptionFlags = parseOptionFlags;
    state.token.tokenBuffer.setRoundSizeUpToMultipleOf(4096);
    state.objectStack.roundSizeUpToMultipleOf = 2048;
    state.objCImpCache = recordedFactories();
    state.cache.prng_lfsr = 1;
    state.cache.count = JCTokenCacheCount;
    state.cache.items.resize(JCTokenCacheCount);
}

JSONDecoder::~JSONDecoder()
{
    if (!m_parseState || t_spareParseState) {
        clearCache();
        return;
    }
    JCTokenCache& cache = m_parseState->cache;
    NSUInteger kept = 0;
    for (const std::uint16_t index : cache.filled) {
        JCTokenCacheItem& item = cache.items[index];
        if (!item.isKey) {
            emptyItem(item);
            continue;
        }
        // A key this decoder made is still held by its last tree.
        if (item.borrowed) {
            item.object = item.object->self();
            item.borrowed = false;
        }
        // The next decoder may run under another string hash key (tests change it).
        item.keyHash = 0;
        cache.filled[kept++] = index;
    }
    // The next decoder's start empties the ages.
    cache.filled.resize(kept);
    releaseHeldTree(m_parseState->heldTree);
    t_spareParseState = std::move(m_parseState);
}

void JSONDecoder::clearCache()
{
    if (!m_parseState)
        return;
    JCTokenCache& cache = m_parseState->cache;
    for (const std::uint16_t index : cache.filled)
        emptyItem(cache.items[index]);
    cache.filled.clear();
    cache.age.fill(0);
    releaseHeldTree(m_parseState->heldTree);
}

id JSONDecoder::objectWithUTF8String(const char* string, NSUInteger length, NSErrorPointer error)
{
    return parse(string, length, false, error);
}

id JSONDecoder::mutableObjectWithUTF8String(const char* string, NSUInteger length, NSErrorPointer error)
{
    return parse(string, length, true, error);
}

id JSONDecoder::objectWithData(const std::shared_ptr<NSData>& jsonData, NSErrorPointer error)
{
    if (!jsonData)
        NSException::raise(NSInvalidArgumentException, "The jsonData argument is NULL.");
    return parse(reinterpret_cast<const char*>(jsonData->bytes()), jsonData->length(), false, error);
}

id JSONDecoder::mutableObjectWithData(const std::shared_ptr<NSData>& jsonData, NSErrorPointer error)
{
    if (!jsonData)
        NSException::raise(NSInvalidArgumentException, "The jsonData argument is NULL.");
    return parse(reinterpret_cast<const char*>(jsonData->bytes()), jsonData->length(), true, error);
}

id JSONDecoder::parse(const char* string, NSUInteger length, bool mutableCollections, NSErrorPointer error)
{
    if (!m_parseState)
        NSException::raise(NSInternalInconsistencyException, "parseState is NULL.");
    // An empty data object may have no bytes at all; only a missing text with a length is misuse.
    static const char emptyText[1] = { 0 };
    if (!string) {
        if (length)
            NSException::raise(NSInvalidArgumentException, "The string argument is NULL.");
        string = emptyText;
    }
    JCParseState& state = *m_parseState;
    if (!state.heldTree.empty()) {
        // The decoder reads again: the values of its last tree stay shared with this one's.
        adoptBorrowed(state.cache);
        releaseHeldTree(state.heldTree);
    }
    state.stringBuffer.bytes = { reinterpret_cast<const std::uint8_t*>(string), length };
    state.atIndex = 0;
    state.lineNumber = 1;
    state.lineStartIndex = 0;
    state.error.reset();
    state.mutableCollections = mutableCollections;
    state.depth = 0;
    // A short reply has few values to share: a part of the cache in proportion to the text keeps
    // its probes within a few cache lines. Items outside the part stay valid for later parses.
    state.cache.count = std::clamp<NSUInteger>(std::bit_ceil(length / 8), 64, JCTokenCacheCount);
    // Ages only order evictions: each parse starts its part afresh, a line at a time (a string
    // instruction's start-up costs more than a short reply's part).
    for (NSUInteger line = 0; line < state.cache.count; line += 64)
        std::memset(state.cache.age.data() + line, 0, 64);

    std::uint8_t tokenBytes[kTokenBufferBytes];
    state.token.tokenBuffer.borrow(tokenBytes, sizeof tokenBytes, 4096);
    JCObjectStack& stack = state.objectStack;
    if (stack.count() < kInitialStackCount) {
        stack.objects.resize(kInitialStackCount);
        stack.keys.resize(kInitialStackCount);
        stack.keyOrigins.resize(kInitialStackCount);
    }
    stack.index = 0;
    // Should the parse throw (the allocator failing), its partial tree goes, and with it what the
    // cache borrowed.
    struct ThrownParse {
        JCParseState& state;
        bool armed { true };
        ~ThrownParse()
        {
            if (!armed)
                return;
            unwindObjectStack(state, 0);
            forgetBorrowed(state.cache);
            releaseHeldTree(state.heldTree);
            state.distinctKeys.clear();
        }
    } thrownParse { state };

    id root;
    bool failed = false;
    if (length == 0 || !JCParseNextToken(state)) {
        failed = true;
    } else if (state.token.type != JCTokenTypeArrayBegin && state.token.type != JCTokenTypeObjectBegin) {
        JCParseError(state, "Expected either '[' or '{'.");
        failed = true;
    } else {
        root = state.token.type == JCTokenTypeArrayBegin ? parseArray(state) : parseDictionary(state);
        failed = !root;
    }
    if (failed) {
        if (state.atIndex >= length)
            JCParseError(state, "Reached the end of the buffer.");
        JCParseError(state, "Unable to parse JSON.");
    } else if (!(state.parseOptionFlags & JCParseAllowTrailingText)) {
        JCParseSkipWhitespace(state);
        if (state.atIndex < length) {
            JCParseError(state, "A valid JSON object was parsed but there were additional non-white-space characters remaining.");
            root.reset();
        }
    }
    if (state.error)
        NSSetError(error, state.error);

    // Tear down: nothing of this parse stays but the cache's entries and, for its borrowed values,
    // a hold on the tree.
    thrownParse.armed = false;
    state.token.tokenBuffer.release();
    unwindObjectStack(state, 0);
    state.distinctKeys.clear();
    if (!root) {
        forgetBorrowed(state.cache);
        releaseHeldTree(state.heldTree);
    } else if (mutableCollections) {
        // The caller may change the tree at once and let values go.
        adoptBorrowed(state.cache);
        releaseHeldTree(state.heldTree);
    } else {
        state.heldTree.push_back(root);
    }
    state.stringBuffer.bytes = {};
    state.atIndex = 0;
    state.lineNumber = 1;
    state.lineStartIndex = 0;
    state.token.tokenPtrRange = {};
    state.token.value = {};
    state.error.reset();
    state.mutableCollections = false;
    return root;
}
