#include "library/json/JCTokenizer.h"

#include "platform/foundation/NSNumber.h"
#include "platform/foundation/StringEncoding.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

const char* const JCUnexpectedTokenMessage
    = "Unexpected token, wanted '{', '}', '[', ']', ',', ':', 'true', 'false', 'null', '\"STRING\"', 'NUMBER'.";

namespace {

constexpr const char* kSourceName = "library/json/JCTokenizer.cpp";

// Enough free bytes in the token buffer for one step of the string machine (a code point or an
// escape never needs more than 4).
constexpr NSUInteger kTokenBufferSlack = 16;

// Spreads a word over all bits, the low ones above all: the cache indexes by them. For numbers.
inline std::uint64_t mixHash(std::uint64_t word)
{
    word ^= word >> 31;
    word *= 0x7FB5D329728EA185ull;
    word ^= word >> 27;
    word *= 0x81DADEF4BC2DD44Dull;
    return word ^ (word >> 33);
}

inline std::uint64_t loadWord(const std::uint8_t* bytes)
{
    std::uint64_t word;
    std::memcpy(&word, bytes, 8);
    return word;
}

// The value cache's hash of a string's bytes; only strings short enough to be cached need one, so
// longer ones (a question, an address) get none. Equal bytes hash alike, whichever words overlap.
inline NSUInteger stringHash(const std::uint8_t* bytes, NSUInteger length)
{
    if (length > JCLongestCachedValue)
        return 0;
    std::uint64_t first = 0, second = 0, third = 0;
    if (length >= 8) {
        first = loadWord(bytes);
        second = loadWord(bytes + length - 8);
        if (length > 16)
            third = loadWord(bytes + 8);
    } else if (length >= 4) {
        std::uint32_t low, high;
        std::memcpy(&low, bytes, 4);
        std::memcpy(&high, bytes + length - 4, 4);
        first = low | std::uint64_t(high) << 32;
    } else if (length > 0) {
        first = bytes[0] | std::uint64_t(bytes[length / 2]) << 8 | std::uint64_t(bytes[length - 1]) << 16;
    }
    // One multiplication: the cache indexes by the low bits, which the folded high half reaches.
    const std::uint64_t product = (first ^ (std::rotl(second, 29) + length) ^ (third * 0x9E3779B97F4A7C15ull) ^ JCStringHashSeed) * 0xBF58476D1CE4E5B9ull;
    return NSUInteger(product ^ (product >> 29));
}

bool isLineBreakAt(const JCParseState& state, NSUInteger index, NSUInteger& length)
{
    const std::uint8_t* p = state.stringBuffer.bytes.ptr;
    const NSUInteger end = state.stringBuffer.bytes.length;
    const std::uint8_t c = p[index];
    if (c == '\n') {
        length = 1;
        return true;
    }
    if (c == '\r') {
        length = index + 1 < end && p[index + 1] == '\n' ? 2 : 1;
        return true;
    }
    if (state.parseOptionFlags & JCParseUnicodeLineBreaks) {
        if (c == 0xC2 && index + 1 < end && p[index + 1] == 0x85) {
            length = 2;
            return true;
        }
        if (c == 0xE2 && index + 2 < end && p[index + 1] == 0x80 && (p[index + 2] == 0xA8 || p[index + 2] == 0xA9)) {
            length = 3;
            return true;
        }
    }
    return false;
}

// --- Strings ---------------------------------------------------------------------------------

enum class StringState {
    Parsing,
    Escape,
    EscapedUnicode1,
    EscapedUnicode2,
    EscapedUnicode3,
    EscapedUnicode4,
    NeedBackslash,
    NeedU,
    EscapedUnicodeSurrogate1,
    EscapedUnicodeSurrogate2,
    EscapedUnicodeSurrogate3,
    EscapedUnicodeSurrogate4,
};

int hexValue(std::uint8_t c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

NSUInteger encodeUTF8(std::uint32_t codePoint, std::uint8_t* out)
{
    if (!JCIsValidCodePoint(codePoint))
        codePoint = JCReplacementCharacter;
    return ns::encodeUTF8(codePoint, out);
}

void reportControlCharacter(JCParseState& state, std::uint8_t byte)
{
    JCParseError(state, "Invalid character < 0x20 found in string: 0x%2.2x.", unsigned(byte));
}

// The slow scan: escapes and bad UTF-8, building the value in the token buffer.
bool parseStringSlow(JCParseState& state, NSUInteger valueStart, NSUInteger switchAt)
{
    const std::uint8_t* p = state.stringBuffer.bytes.ptr;
    const NSUInteger end = state.stringBuffer.bytes.length;
    const std::uint8_t* const endPtr = p + end;
    const bool replaceBad = state.parseOptionFlags & JCParseReplaceBadUnicode;
    JCManagedBuffer& buffer = state.token.tokenBuffer;

    NSUInteger used = switchAt - valueStart;
    // Keeps at least the slack free. Growth doubles, so a long string with escapes is copied a
    // bounded number of times in all rather than once per kilobyte.
    auto reserve = [&]() -> bool {
        if (buffer.length() >= used + kTokenBufferSlack)
            return true;
        const NSUInteger doubled = buffer.length() > NSUIntegerMax / 2 ? NSUIntegerMax / 2 : buffer.length() * 2;
        if (!buffer.resize(std::max<NSUInteger>(used + 1024, doubled))) {
            JCParseError(state, "Internal error: Unable to resize temporary buffer. %@ line #%ld", kSourceName, long(__LINE__));
            return false;
        }
        return true;
    };
    if (!reserve())
        return false;
    if (used)
        std::memcpy(buffer.bytes(), p + valueStart, used);

    auto storeCodePoint = [&](std::uint32_t codePoint) -> bool {
        if (buffer.length() < used + 4) {
            JCParseError(state, "Internal error: Unable to add UTF8 sequence to internal string buffer. %@ line #%ld", kSourceName, long(__LINE__));
            return false;
        }
        used += encodeUTF8(codePoint, buffer.bytes() + used);
        return true;
    };
    // After a complete \u escape (or pair): refuse or replace an invalid code point, then store.
    auto finishEscape = [&](std::uint32_t codePoint) -> bool {
        if (!JCIsValidCodePoint(codePoint)) {
            if (!replaceBad) {
                JCParseError(state, "Illegal \\u Unicode escape sequence.");
                return false;
            }
            codePoint = JCReplacementCharacter;
        }
        return storeCodePoint(codePoint);
    };

    StringState stringState = StringState::Parsing;
    std::uint16_t escapedUnicode1 = 0;
    std::uint16_t escapedUnicode2 = 0;
    NSUInteger secondEscapeStart = 0;
    NSUInteger i = switchAt;
    // A high surrogate with no second \u escape after it: refuse, or store the replacement.
    auto loneHighSurrogate = [&]() -> bool {
        if (!replaceBad) {
            state.atIndex = i;
            JCParseError(state, "Required a second \\u Unicode escape sequence following a surrogate \\u Unicode escape sequence.");
            return false;
        }
        return storeCodePoint(JCReplacementCharacter);
    };
    while (i < end) {
        if (!reserve())
            return false;
        const std::uint8_t c = p[i];
        switch (stringState) {
        case StringState::Parsing:
            if (c < 0x20) {
                state.atIndex = i;
                reportControlCharacter(state, c);
                return false;
            }
            if (c == '"') {
                state.token.value.ptrRange = { buffer.bytes(), used };
                state.token.value.type = JCValueTypeString;
                state.token.value.utf16Length = NSNotFound;
                state.token.value.hash = stringHash(buffer.bytes(), used);
                state.atIndex = i + 1;
                return true;
            }
            if (c == '\\') {
                stringState = StringState::Escape;
                ++i;
                break;
            }
            if (c >= 0x80) {
                const std::uint8_t* next = nullptr;
                std::uint32_t codePoint = 0;
                switch (JCConvertSingleCodePointInUTF8(p + i, endPtr, &next, &codePoint)) {
                case JCUTF8ConversionOK:
                    std::memcpy(buffer.bytes() + used, p + i, NSUInteger(next - (p + i)));
                    used += NSUInteger(next - (p + i));
                    break;
                case JCUTF8ConversionTruncated:
                    state.atIndex = i;
                    JCParseError(state, "End of buffer reached while parsing UTF8 in \"\" string.");
                    return false;
                case JCUTF8ConversionInvalid:
                    if (!replaceBad) {
                        state.atIndex = i;
                        JCParseError(state, "Illegal UTF8 sequence found in \"\" string.");
                        return false;
                    }
                    if (!storeCodePoint(JCReplacementCharacter))
                        return false;
                    break;
                }
                i = NSUInteger(next - p);
                break;
            }
            buffer.bytes()[used++] = c;
            ++i;
            break;

        case StringState::Escape: {
            std::uint8_t unescaped = 0;
            switch (c) {
            case '"': case '\\': case '/': unescaped = c; break;
            case 'b': unescaped = 0x08; break;
            case 'f': unescaped = 0x0C; break;
            case 'n': unescaped = 0x0A; break;
            case 'r': unescaped = 0x0D; break;
            case 't': unescaped = 0x09; break;
            case 'u':
                escapedUnicode1 = 0;
                escapedUnicode2 = 0;
                stringState = StringState::EscapedUnicode1;
                ++i;
                continue;
            default:
                state.atIndex = i;
                JCParseError(state, "Invalid escape sequence found in \"\" string.");
                return false;
            }
            buffer.bytes()[used++] = unescaped;
            stringState = StringState::Parsing;
            ++i;
            break;
        }

        case StringState::EscapedUnicode1:
        case StringState::EscapedUnicode2:
        case StringState::EscapedUnicode3:
        case StringState::EscapedUnicode4:
        case StringState::EscapedUnicodeSurrogate1:
        case StringState::EscapedUnicodeSurrogate2:
        case StringState::EscapedUnicodeSurrogate3:
        case StringState::EscapedUnicodeSurrogate4: {
            const int digit = hexValue(c);
            if (digit < 0) {
                state.atIndex = i;
                JCParseError(state, "Unexpected character found in \\u Unicode escape sequence.  Found '%c', expected [0-9a-fA-F].", char(c));
                return false;
            }
            const bool second = stringState >= StringState::EscapedUnicodeSurrogate1;
            std::uint16_t& accumulator = second ? escapedUnicode2 : escapedUnicode1;
            accumulator = std::uint16_t((accumulator << 4) | digit);
            ++i;
            if (stringState == StringState::EscapedUnicode4) {
                const std::uint16_t u = escapedUnicode1;
                if (u >= 0xD800 && u <= 0xDBFF) {
                    stringState = StringState::NeedBackslash;
                    break;
                }
                std::uint32_t codePoint = u;
                if (u >= 0xDC00 && u <= 0xDFFF) {
                    if (!replaceBad) {
                        state.atIndex = i;
                        JCParseError(state, "Illegal \\u Unicode escape sequence.");
                        return false;
                    }
                    codePoint = JCReplacementCharacter;
                }
                state.atIndex = i;
                if (!finishEscape(codePoint))
                    return false;
                stringState = StringState::Parsing;
            } else if (stringState == StringState::EscapedUnicodeSurrogate4) {
                const std::uint16_t v = escapedUnicode2;
                std::uint32_t codePoint = JCReplacementCharacter;
                if (v >= 0xDC00 && v <= 0xDFFF) {
                    codePoint = (std::uint32_t(escapedUnicode1) - 0xD800) * 0x400 + (v - 0xDC00) + 0x10000;
                } else if (!replaceBad) {
                    state.atIndex = i;
                    JCParseError(state, "Illegal \\u Unicode escape sequence.");
                    return false;
                }
                state.atIndex = i;
                if (!finishEscape(codePoint))
                    return false;
                stringState = StringState::Parsing;
            } else {
                stringState = StringState(int(stringState) + 1);
            }
            break;
        }

        case StringState::NeedBackslash:
            if (c == '\\') {
                secondEscapeStart = i;
                stringState = StringState::NeedU;
                ++i;
                break;
            }
            // The byte is read again as ordinary text.
            if (!loneHighSurrogate())
                return false;
            stringState = StringState::Parsing;
            break;

        case StringState::NeedU:
            if (c == 'u') {
                stringState = StringState::EscapedUnicodeSurrogate1;
                ++i;
                break;
            }
            // The backslash starts an ordinary escape after all.
            if (!loneHighSurrogate())
                return false;
            stringState = StringState::Parsing;
            i = secondEscapeStart;
            break;
        }
    }
    state.atIndex = end;
    JCParseError(state, "Invalid string.");
    return false;
}

// The word as read from memory with its first byte lowest, whatever the machine's order.
inline std::uint64_t wordFromLittleEndian(std::uint64_t word)
{
    if constexpr (std::endian::native == std::endian::big)
        return __builtin_bswap64(word);
    return word;
}

// The high bit of each byte of a word (first byte lowest) that needs the careful path: a quote, a
// backslash, a control character or a byte of 0x80 or more. A borrow may mark bytes after the
// first marked one, never before it, so the lowest mark is exact.
inline std::uint64_t bytesNeedingAttention(std::uint64_t word)
{
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    constexpr std::uint64_t highs = 0x8080808080808080ull;
    const std::uint64_t quote = word ^ (ones * '"');
    const std::uint64_t backslash = word ^ (ones * '\\');
    const std::uint64_t hasQuote = (quote - ones) & ~quote;
    const std::uint64_t hasBackslash = (backslash - ones) & ~backslash;
    const std::uint64_t hasControl = (word - ones * 0x20) & ~word;
    return (hasQuote | hasBackslash | hasControl | word) & highs;
}

#if defined(__SSE2__)
// Bit k set for each of the sixteen bytes at `p` that needs the careful path (as above).
inline unsigned bytesNeedingAttention16(const std::uint8_t* p)
{
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i quote = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('"'));
    const __m128i backslash = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\'));
    // Signed: the bytes of 0x80 or more are below a space too.
    const __m128i belowSpace = _mm_cmplt_epi8(bytes, _mm_set1_epi8(0x20));
    return unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(quote, backslash), belowSpace)));
}

// Whether the fifteen bytes at `p` are five three-byte sequences with leads E1 to EC (code points
// U+1000 to U+CFFF, all valid: Chinese text), read sixteen bytes at a time.
inline bool fiveThreeByteSequences(const std::uint8_t* p)
{
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i continuation = _mm_cmpeq_epi8(_mm_and_si128(bytes, _mm_set1_epi8(char(0xC0))), _mm_set1_epi8(char(0x80)));
    const __m128i lead = _mm_and_si128(_mm_cmpeq_epi8(_mm_max_epu8(bytes, _mm_set1_epi8(char(0xE1))), bytes),
        _mm_cmpeq_epi8(_mm_min_epu8(bytes, _mm_set1_epi8(char(0xEC))), bytes));
    constexpr unsigned leads = 0x1249, continuations = 0x6DB6;
    return (unsigned(_mm_movemask_epi8(lead)) & 0x7FFF) == leads && (unsigned(_mm_movemask_epi8(continuation)) & 0x7FFF) == continuations;
}
#endif

[[gnu::always_inline]] inline bool parseString(JCParseState& state)
{
    const std::uint8_t* p = state.stringBuffer.bytes.ptr;
    const NSUInteger end = state.stringBuffer.bytes.length;
    const std::uint8_t* const endPtr = p + end;
    const NSUInteger valueStart = state.atIndex + 1;
    NSUInteger i = valueStart;
    // Bytes beyond one per UTF-16 unit, so the string is made without counting again.
    NSUInteger surplus = 0;
    for (;;) {
#if defined(__SSE2__)
        bool marked = false;
        while (i + 16 <= end) {
            if (const unsigned marks = bytesNeedingAttention16(p + i)) {
                i += NSUInteger(std::countr_zero(marks));
                marked = true;
                break;
            }
            i += 16;
        }
        while (!marked && i + 8 <= end) {
#else
        while (i + 8 <= end) {
#endif
            std::uint64_t word;
            std::memcpy(&word, p + i, 8);
            if (const std::uint64_t marks = bytesNeedingAttention(wordFromLittleEndian(word))) {
                i += NSUInteger(std::countr_zero(marks)) / 8;
                break;
            }
            i += 8;
        }
        if (i >= end)
            break;
        const std::uint8_t c = p[i];
        if (c == '"') {
            state.token.value.ptrRange = { p + valueStart, i - valueStart };
            state.token.value.type = JCValueTypeString;
            state.token.value.utf16Length = i - valueStart - surplus;
            state.token.value.hash = stringHash(p + valueStart, i - valueStart);
            state.atIndex = i + 1;
            return true;
        }
        if (c < 0x20) {
            state.atIndex = i;
            reportControlCharacter(state, c);
            return false;
        }
        if (c == '\\')
            return parseStringSlow(state, valueStart, i);
        if (c >= 0x80) {
            // Three-byte sequences (Chinese text) are checked inline; everything else by the check.
            if (c >= 0xE1 && c <= 0xEC && i + 2 < end && (p[i + 1] & 0xC0) == 0x80 && (p[i + 2] & 0xC0) == 0x80) {
                const NSUInteger runStart = i;
                i += 3;
#if defined(__SSE2__)
                while (i + 16 <= end && fiveThreeByteSequences(p + i))
                    i += 15;
#endif
                // Two sequences per step while eight bytes remain: the four continuation bytes at once.
                constexpr std::uint64_t continuationMask = 0x0000C0C000C0C000ull, continuationBits = 0x0000808000808000ull;
                while (i + 8 <= end) {
                    std::uint64_t word;
                    std::memcpy(&word, p + i, 8);
                    if (std::uint8_t(p[i] - 0xE1) >= 12 || std::uint8_t(p[i + 3] - 0xE1) >= 12
                        || (wordFromLittleEndian(word) & continuationMask) != continuationBits)
                        break;
                    i += 6;
                }
                while (i + 2 < end && p[i] >= 0xE1 && p[i] <= 0xEC && (p[i + 1] & 0xC0) == 0x80 && (p[i + 2] & 0xC0) == 0x80)
                    i += 3;
                // Three bytes make one unit.
                surplus += (i - runStart) / 3 * 2;
                continue;
            }
            const std::uint8_t* next = nullptr;
            std::uint32_t codePoint = 0;
            if (JCConvertSingleCodePointInUTF8(p + i, endPtr, &next, &codePoint) != JCUTF8ConversionOK)
                return parseStringSlow(state, valueStart, i);
            surplus += NSUInteger(next - (p + i)) - (codePoint >= 0x10000 ? 2 : 1);
            i = NSUInteger(next - p);
            continue;
        }
        ++i;
    }
    state.atIndex = end;
    JCParseError(state, "Invalid string.");
    return false;
}

// --- Numbers ---------------------------------------------------------------------------------

locale_t cLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return locale;
}

void hashNumber(JCTokenValue& value, NSUInteger seed)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value.number, 8);
    value.hash = NSUInteger(mixHash(bits ^ mixHash(seed)));
}

bool convertNumber(JCParseState& state, const std::uint8_t* text, NSUInteger length, bool isNegative, bool isFloatingPoint)
{
    JCTokenValue& value = state.token.value;
    const bool minusZero = length == 2 && text[0] == '-' && text[1] == '0';
    if (isFloatingPoint || minusZero) {
        value.type = JCValueTypeDouble;
        double result = 0;
        const auto* first = reinterpret_cast<const char*>(text);
        auto [ptr, error] = std::from_chars(first, first + length, result);
        if (error == std::errc::result_out_of_range) {
            // The conversion's own answer decides between the two words, as the C library's does.
            char scratch[512];
            std::string heapScratch;
            char* copy = scratch;
            if (length >= sizeof scratch) {
                heapScratch.assign(first, length);
                copy = heapScratch.data();
            } else {
                std::memcpy(scratch, first, length);
                scratch[length] = 0;
            }
            errno = 0;
            const double clamped = strtod_l(copy, nullptr, cLocale());
            JCParseError(state, "The value '%s' could not be represented as a 'double' due to %s.", static_cast<const char*>(copy),
                clamped == 0.0 ? "underflow" : "overflow");
            return false;
        }
        if (error != std::errc() || ptr != first + length) {
            JCParseError(state, "The conversion function did not consume all of the number tokens characters.");
            return false;
        }
        value.number.doubleValue = result;
        hashNumber(value, JCStringHashSeed + JCValueTypeDouble);
        return true;
    }
    // Integers: decimal digits with an overflow check, faster than the C library and locale-free.
    const std::uint8_t* digit = text + (isNegative ? 1 : 0);
    const std::uint8_t* const end = text + length;
    std::uint64_t magnitude = 0;
    bool overflow = false;
    for (; digit < end; ++digit) {
        const std::uint64_t d = *digit - '0';
        if (magnitude > (UINT64_MAX - d) / 10) {
            overflow = true;
            break;
        }
        magnitude = magnitude * 10 + d;
    }
    const auto textCopy = [&] { return std::string(reinterpret_cast<const char*>(text), length); };
    if (isNegative) {
        value.type = JCValueTypeLongLong;
        if (overflow || magnitude > std::uint64_t(INT64_MAX) + 1) {
            JCParseError(state, "The value '%s' exceeded the minimum value that could be represented: %lld.", textCopy().c_str(),
                static_cast<long long>(INT64_MIN));
            return false;
        }
        value.number.longLongValue = static_cast<std::int64_t>(0 - magnitude);
        hashNumber(value, JCStringHashSeed + JCValueTypeLongLong + static_cast<NSUInteger>(value.number.longLongValue));
        return true;
    }
    value.type = JCValueTypeUnsignedLongLong;
    if (overflow) {
        JCParseError(state, "The value '%s' exceeded the maximum value that could be represented: %llu.", textCopy().c_str(),
            static_cast<unsigned long long>(UINT64_MAX));
        return false;
    }
    value.number.unsignedLongLongValue = magnitude;
    hashNumber(value, JCStringHashSeed + JCValueTypeUnsignedLongLong + magnitude);
    return true;
}

} // namespace

// --- Errors ----------------------------------------------------------------------------------

void JCParseError(JCParseState& parseState, const NSString& message)
{
    if (parseState.error)
        return;
    auto userInfo = ns::dictionary({
        { NSLocalizedDescriptionKey, message },
        { JCAtIndexKey, NSNumber::numberWithUnsignedLong(parseState.atIndex) },
        { JCLineNumberKey, NSNumber::numberWithUnsignedLong(parseState.lineNumber) },
    });
    parseState.error = NSError::errorWithDomain(JCErrorDomain, -1, userInfo);
}

// --- UTF-8 -----------------------------------------------------------------------------------

JCUTF8ConversionResult JCConvertSingleCodePointInUTF8(const std::uint8_t* bytes, const std::uint8_t* end,
    const std::uint8_t** next, std::uint32_t* codePoint)
{
    const std::uint8_t first = bytes[0];
    if (first < 0x80) {
        *next = bytes + 1;
        *codePoint = first;
        return first ? JCUTF8ConversionOK : JCUTF8ConversionInvalid;
    }
    NSUInteger announced;
    if ((first & 0xC0) == 0x80)
        announced = 1;
    else if ((first & 0xE0) == 0xC0)
        announced = 2;
    else if ((first & 0xF0) == 0xE0)
        announced = 3;
    else if ((first & 0xF8) == 0xF0)
        announced = 4;
    else
        announced = NSUInteger(std::countl_one(first));

    const NSUInteger available = NSUInteger(end - bytes);
    bool wellFormed = announced >= 2 && announced <= 4 && announced <= available && first >= 0xC2 && first <= 0xF4;
    if (wellFormed) {
        for (NSUInteger k = 1; k < announced; ++k) {
            if ((bytes[k] & 0xC0) != 0x80) {
                wellFormed = false;
                break;
            }
        }
    }
    if (wellFormed) {
        const std::uint8_t second = bytes[1];
        if ((first == 0xE0 && second < 0xA0) || (first == 0xED && second > 0x9F) || (first == 0xF0 && second < 0x90)
            || (first == 0xF4 && second > 0x8F))
            wellFormed = false;
    }
    if (wellFormed) {
        std::uint32_t cp = first & (0x7F >> announced);
        for (NSUInteger k = 1; k < announced; ++k)
            cp = (cp << 6) | (bytes[k] & 0x3F);
        *next = bytes + announced;
        if (!JCIsValidCodePoint(cp)) {
            *codePoint = JCReplacementCharacter;
            return JCUTF8ConversionInvalid;
        }
        *codePoint = cp;
        return JCUTF8ConversionOK;
    }
    *codePoint = JCReplacementCharacter;
    const std::uint8_t* p = bytes + 1;
    for (NSUInteger k = 1; k < announced; ++k, ++p) {
        if (p >= end) {
            *next = p;
            return JCUTF8ConversionTruncated;
        }
        if ((*p & 0xC0) != 0x80) {
            *next = p;
            return JCUTF8ConversionInvalid;
        }
    }
    *next = p;
    return JCUTF8ConversionInvalid;
}

// --- White space and tokens ------------------------------------------------------------------

void JCParseSkipWhitespace(JCParseState& state)
{
    const std::uint8_t* p = state.stringBuffer.bytes.ptr;
    const NSUInteger end = state.stringBuffer.bytes.length;
    NSUInteger i = state.atIndex;
    while (i < end) {
        const std::uint8_t c = p[i];
        if (c == ' ' || c == '\t') {
            ++i;
            continue;
        }
        NSUInteger breakLength = 0;
        if ((c == '\n' || c == '\r' || c >= 0x80) && isLineBreakAt(state, i, breakLength)) {
            i += breakLength;
            ++state.lineNumber;
            state.lineStartIndex = i;
            continue;
        }
        if (c == '/' && (state.parseOptionFlags & JCParseAllowComments) && i + 1 < end) {
            if (p[i + 1] == '/') {
                i += 2;
                while (i < end) {
                    if (isLineBreakAt(state, i, breakLength)) {
                        i += breakLength;
                        ++state.lineNumber;
                        state.lineStartIndex = i;
                        break;
                    }
                    ++i;
                }
                continue;
            }
            if (p[i + 1] == '*') {
                // The closing star may be the opening one: "/*/" is a whole comment.
                i += 1;
                while (i < end) {
                    if (p[i] == '*' && i + 1 < end && p[i + 1] == '/') {
                        i += 2;
                        break;
                    }
                    if (isLineBreakAt(state, i, breakLength)) {
                        i += breakLength;
                        ++state.lineNumber;
                        state.lineStartIndex = i;
                        continue;
                    }
                    ++i;
                }
                continue;
            }
        }
        break;
    }
    state.atIndex = i;
}

bool JCParseNumber(JCParseState& state)
{
    enum class S { Start, Minus, Zero, Whole, FractionStart, Fraction, ExponentStart, ExponentSign, Exponent };
    const std::uint8_t* p = state.stringBuffer.bytes.ptr;
    const NSUInteger end = state.stringBuffer.bytes.length;
    const NSUInteger start = state.atIndex;
    NSUInteger i = start;
    S s = S::Start;
    bool isNegative = false;
    bool isFloatingPoint = false;
    bool finished = false;
    bool failed = false;
    auto isDigit = [](std::uint8_t c) { return c >= '0' && c <= '9'; };
    while (i < end && !finished && !failed) {
        const std::uint8_t c = p[i];
        switch (s) {
        case S::Start:
            if (c == '-') {
                isNegative = true;
                s = S::Minus;
                ++i;
                break;
            }
            [[fallthrough]];
        case S::Minus:
            if (c == '0')
                s = S::Zero;
            else if (c >= '1' && c <= '9')
                s = S::Whole;
            else
                failed = true;
            ++i;
            break;
        case S::Zero:
        case S::Whole:
            if (c == '.') {
                isFloatingPoint = true;
                s = S::FractionStart;
                ++i;
            } else if (c == 'e' || c == 'E') {
                isFloatingPoint = true;
                s = S::ExponentStart;
                ++i;
            } else if (s == S::Whole && isDigit(c)) {
                ++i;
                while (i < end && isDigit(p[i]))
                    ++i;
            } else {
                finished = true;
            }
            break;
        case S::FractionStart:
            if (!isDigit(c)) {
                failed = true;
                break;
            }
            s = S::Fraction;
            ++i;
            break;
        case S::Fraction:
            if (isDigit(c))
                ++i;
            else if (c == 'e' || c == 'E') {
                s = S::ExponentStart;
                ++i;
            } else
                finished = true;
            break;
        case S::ExponentStart:
            if (c == '+' || c == '-') {
                s = S::ExponentSign;
                ++i;
                break;
            }
            [[fallthrough]];
        case S::ExponentSign:
            if (!isDigit(c)) {
                failed = true;
                break;
            }
            s = S::Exponent;
            ++i;
            break;
        case S::Exponent:
            if (isDigit(c))
                ++i;
            else
                finished = true;
            break;
        }
    }
    state.atIndex = i;
    state.token.tokenPtrRange = { p + start, i - start };
    if (failed || !finished) {
        JCParseError(state, "Invalid number.");
        return false;
    }
    if (!convertNumber(state, p + start, i - start, isNegative, isFloatingPoint)) {
        JCParseError(state, "Invalid number.");
        return false;
    }
    state.token.value.ptrRange = { reinterpret_cast<const std::uint8_t*>(&state.token.value.number), 8 };
    return true;
}

namespace {

[[gnu::noinline]] bool readStringToken(JCParseState& state)
{
    const NSUInteger start = state.atIndex;
    if (!parseString(state)) {
        state.token.tokenPtrRange = {};
        state.token.type = JCTokenTypeInvalid;
        JCParseError(state, "Invalid string.");
        JCParseError(state, JCUnexpectedTokenMessage);
        return false;
    }
    state.token.type = JCTokenTypeString;
    state.token.tokenPtrRange = { state.stringBuffer.bytes.ptr + start, state.atIndex - start };
    return true;
}

} // namespace

bool JCParseStringToken(JCParseState& state)
{
#if defined(__SSE2__)
    // Most keys and short values: plain text whose closing quote comes within sixteen bytes, read
    // as the whole reader would read it, without the registers its other paths need.
    const std::uint8_t* const p = state.stringBuffer.bytes.ptr;
    const NSUInteger start = state.atIndex;
    const NSUInteger valueStart = start + 1;
    if (valueStart + 16 <= state.stringBuffer.bytes.length) {
        const unsigned marks = bytesNeedingAttention16(p + valueStart);
        const NSUInteger length = NSUInteger(std::countr_zero(marks));
        if (marks && p[valueStart + length] == '"') {
            state.token.value.ptrRange = { p + valueStart, length };
            state.token.value.type = JCValueTypeString;
            state.token.value.utf16Length = length;
            state.token.value.hash = stringHash(p + valueStart, length);
            state.atIndex = valueStart + length + 1;
            state.token.type = JCTokenTypeString;
            state.token.tokenPtrRange = { p + start, length + 2 };
            return true;
        }
    }
#endif
    return readStringToken(state);
}

bool JCParseNextToken(JCParseState& state)
{
    const NSUInteger previousIndex = state.atIndex;
    state.token.tokenPtrRange = {};
    state.token.type = JCTokenTypeInvalid;
    // The value's fields are read only for string and number tokens, which set each of them.

    const std::uint8_t* p = state.stringBuffer.bytes.ptr;
    const NSUInteger end = state.stringBuffer.bytes.length;
    // Compact text has no white space between tokens: only a byte that may begin some is looked at.
    if (previousIndex >= end || p[previousIndex] <= ' ' || p[previousIndex] == '/' || p[previousIndex] >= 0x80)
        JCParseSkipWhitespace(state);
    const NSUInteger start = state.atIndex;
    if (start >= end) {
        JCParseError(state, JCUnexpectedTokenMessage);
        return false;
    }
    auto oneByte = [&](JCTokenType type) {
        state.token.type = type;
        state.token.tokenPtrRange = { p + start, 1 };
        state.atIndex = start + 1;
        return true;
    };
    // A literal must not end the text: at least one more byte follows it.
    auto literal = [&](const char* rest, NSUInteger restLength, JCTokenType type) {
        if (start + restLength + 1 < end && std::memcmp(p + start + 1, rest, restLength) == 0) {
            state.token.type = type;
            state.token.tokenPtrRange = { p + start, restLength + 1 };
            state.atIndex = start + restLength + 1;
            return true;
        }
        JCParseError(state, JCUnexpectedTokenMessage);
        return false;
    };
    const std::uint8_t c = p[start];
    switch (c) {
    case '"':
        if (!parseString(state)) {
            JCParseError(state, "Invalid string.");
            JCParseError(state, JCUnexpectedTokenMessage);
            return false;
        }
        state.token.type = JCTokenTypeString;
        state.token.tokenPtrRange = { p + start, state.atIndex - start };
        return true;
    case ':': return oneByte(JCTokenTypeSeparator);
    case ',': return oneByte(JCTokenTypeComma);
    case '{': return oneByte(JCTokenTypeObjectBegin);
    case '}': return oneByte(JCTokenTypeObjectEnd);
    case '[': return oneByte(JCTokenTypeArrayBegin);
    case ']': return oneByte(JCTokenTypeArrayEnd);
    case 't': return literal("rue", 3, JCTokenTypeTrue);
    case 'f': return literal("alse", 4, JCTokenTypeFalse);
    case 'n': return literal("ull", 3, JCTokenTypeNull);
    default:
        if (c == '-' || (c >= '0' && c <= '9')) {
            if (!JCParseNumber(state)) {
                JCParseError(state, JCUnexpectedTokenMessage);
                return false;
            }
            state.token.type = JCTokenTypeNumber;
            return true;
        }
        JCParseError(state, JCUnexpectedTokenMessage);
        return false;
    }
}
