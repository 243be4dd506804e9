#pragma once
// Reads the decoder's input one token at a time: white space (and, when asked, comments) with
// line counting, the structural characters and literals, strings unescaped with their UTF-8
// checked byte by byte, and numbers classified and converted. Each string and number value gets
// the hash by which the decoder's object cache finds it again.

#include "library/json/JCParseState.h"

inline constexpr NSErrorDomain JCErrorDomain = "JCErrorDomain";
inline constexpr const char* JCAtIndexKey = "JCAtIndexKey";
inline constexpr const char* JCLineNumberKey = "JCLineNumberKey";

enum JCUTF8ConversionResult {
    JCUTF8ConversionOK = 0,
    JCUTF8ConversionTruncated = 1,
    JCUTF8ConversionInvalid = 2,
};

inline constexpr std::uint32_t JCReplacementCharacter = 0xFFFD;
inline constexpr NSUInteger JCStringHashSeed = 1402737925;

bool JCParseNextToken(JCParseState& parseState);
// The string token that begins right at the current index, its quote already seen there: what
// JCParseNextToken reads then, without looking for white space or another kind of token.
bool JCParseStringToken(JCParseState& parseState);
bool JCParseNumber(JCParseState& parseState);
// Skips the white space (and comments and line breaks) at the current index.
void JCParseSkipWhitespace(JCParseState& parseState);

// Checks and decodes the UTF-8 sequence at `bytes`; `next` receives the position after the bytes
// consumed and `codePoint` the character, U+FFFD when the answer is not OK.
JCUTF8ConversionResult JCConvertSingleCodePointInUTF8(const std::uint8_t* bytes, const std::uint8_t* end,
    const std::uint8_t** next, std::uint32_t* codePoint);
// U+0000, the surrogates, U+FDD0 to U+FDEF and the code points ending in FFFE or FFFF are refused.
constexpr bool JCIsValidCodePoint(std::uint32_t codePoint)
{
    return codePoint != 0 && codePoint <= 0x10FFFF && !(codePoint >= 0xD800 && codePoint <= 0xDFFF)
        && !(codePoint >= 0xFDD0 && codePoint <= 0xFDEF) && (codePoint & 0xFFFE) != 0xFFFE;
}

// Records the first error of a parse, positioned at the current index and line; later errors of
// the same parse are dropped.
void JCParseError(JCParseState& parseState, const NSString& message);
template <class... Args>
void JCParseError(JCParseState& parseState, const char* format, const Args&... args)
{
    if (!parseState.error)
        JCParseError(parseState, NSString::stringWithFormat(format, args...));
}

extern const char* const JCUnexpectedTokenMessage;
