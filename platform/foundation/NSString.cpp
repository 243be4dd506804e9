#include "platform/foundation/HexDigits.h"
#include "platform/foundation/NSString.h"
#include "platform/foundation/NumberText.h"

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSCharacterSet.h"
#include "platform/foundation/NSData.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/foundation/StringEncoding.h"
#include "platform/foundation/TrailingBytes.h"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <sys/random.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <chrono>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <ostream>
#include <stdexcept>

namespace {

const std::shared_ptr<NSStringObject>& emptyStringObject()
{
    static const NeverDestroyed<std::shared_ptr<NSStringObject>> empty(NSStringObject::withUnits({}));
    return empty.get();
}

std::shared_ptr<NSStringObject> makeObject(std::u16string_view characters)
{
    if (characters.empty())
        return emptyStringObject();
    return NSStringObject::withUnits(characters);
}

[[noreturn]] void raiseRange(const char* operation, NSUInteger index, NSUInteger length)
{
    NSException::raise(NSRangeException, "-[NSString %s]: Range or index out of bounds (%lu, length %lu)",
        operation, index, length);
}

char16_t foldUnit(char16_t unit)
{
    if (unit < 128)
        return (unit >= 'A' && unit <= 'Z') ? unit + 32 : unit;
    if (U16_IS_SURROGATE(unit))
        return unit;
    return char16_t(u_foldCase(unit, U_FOLD_CASE_DEFAULT));
}

bool unitsEqual(char16_t a, char16_t b, bool caseInsensitive)
{
    return a == b || (caseInsensitive && foldUnit(a) == foldUnit(b));
}

bool isDigit(char16_t c) { return c >= '0' && c <= '9'; }
bool isSpace(char16_t c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == 0xA0 || c == 0x3000 || c == 0xFEFF; }

NSComparisonResult compareUnits(std::u16string_view a, std::u16string_view b, NSStringCompareOptions options)
{
    const bool caseInsensitive = options & NSCaseInsensitiveSearch;
    const bool numeric = options & NSNumericSearch;
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (numeric && isDigit(a[i]) && isDigit(b[j])) {
            size_t ei = i, ej = j;
            while (ei < a.size() && isDigit(a[ei])) ++ei;
            while (ej < b.size() && isDigit(b[ej])) ++ej;
            size_t si = i, sj = j;
            while (si + 1 < ei && a[si] == '0') ++si;
            while (sj + 1 < ej && b[sj] == '0') ++sj;
            if (ei - si != ej - sj)
                return ei - si < ej - sj ? NSOrderedAscending : NSOrderedDescending;
            for (; si < ei; ++si, ++sj) {
                if (a[si] != b[sj])
                    return a[si] < b[sj] ? NSOrderedAscending : NSOrderedDescending;
            }
            i = ei;
            j = ej;
            continue;
        }
        char16_t x = caseInsensitive ? foldUnit(a[i]) : a[i];
        char16_t y = caseInsensitive ? foldUnit(b[j]) : b[j];
        if (x != y)
            return x < y ? NSOrderedAscending : NSOrderedDescending;
        ++i;
        ++j;
    }
    if (i < a.size())
        return NSOrderedDescending;
    if (j < b.size())
        return NSOrderedAscending;
    return NSOrderedSame;
}

// The leading integer after white space and a sign; clamped to the type's range on overflow.
template <class T>
T leadingInteger(std::u16string_view text)
{
    size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    using Wide = unsigned __int128;
    Wide value = 0;
    const Wide limit = negative ? Wide(std::numeric_limits<T>::max()) + 1 : Wide(std::numeric_limits<T>::max());
    bool overflow = false;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit) {
            overflow = true;
            value = limit;
        }
    }
    (void)overflow;
    if (negative)
        return value == limit ? std::numeric_limits<T>::min() : -T(value);
    return T(value);
}

double leadingDouble(std::u16string_view text)
{
    size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    return ns::readDouble(text, i).value_or(0.0);
}

} // namespace

// MARK: - UTF conversion

namespace {

// Decodes UTF-8; a malformed sequence becomes U+FFFD, or, when strict, stops the decoding with false.
bool decodeUTF8(std::string_view utf8, std::u16string& out, bool strict)
{
    out.clear();
    out.reserve(utf8.size());
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    while (p < end) {
        unsigned char c = *p;
        if (c < 0x80) {
            out.push_back(c);
            ++p;
            continue;
        }
        char32_t cp = 0;
        int extra = 0;
        char32_t minimum = 0;
        if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; extra = 1; minimum = 0x80; }
        else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; extra = 2; minimum = 0x800; }
        else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; extra = 3; minimum = 0x10000; }
        bool valid = extra > 0 && end - p > extra;
        for (int k = 1; valid && k <= extra; ++k) {
            valid = (p[k] & 0xC0) == 0x80;
            cp = (cp << 6) | (p[k] & 0x3F);
        }
        if (!valid || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            if (strict)
                return false;
            out.push_back(0xFFFD);
            ++p;
            continue;
        }
        p += extra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
    }
    return true;
}

} // namespace

std::u16string ns::utf16FromUTF8(std::string_view utf8)
{
    std::u16string out;
    decodeUTF8(utf8, out, false);
    return out;
}

bool ns::utf16FromUTF8Strict(std::string_view utf8, std::u16string& out)
{
    return decodeUTF8(utf8, out, true);
}

std::string ns::utf8FromUTF16(std::u16string_view utf16)
{
    std::string out;
    out.reserve(utf16.size() + utf16.size() / 2);
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        ns::appendUTF8(out, cp);
    }
    return out;
}

std::string ns::describe(const id& object)
{
    return object ? object->description().UTF8String() : std::string("(null)");
}

std::ostream& operator<<(std::ostream& stream, const NSString& text)
{
    return stream << (text.isNil() ? std::string("(null)") : text.UTF8String());
}

// MARK: - Construction

NSString::NSString(const char* utf8)
{
    if (utf8)
        m_object = makeObject(ns::utf16FromUTF8(utf8));
}

NSString::NSString(const std::string& utf8) : m_object(makeObject(ns::utf16FromUTF8(utf8))) { }
NSString::NSString(std::string_view utf8) : m_object(makeObject(ns::utf16FromUTF8(utf8))) { }

NSString::NSString(const char16_t* utf16)
{
    if (utf16)
        m_object = makeObject(std::u16string(utf16));
}

NSString::NSString(std::u16string utf16) : m_object(makeObject(utf16)) { }

NSString NSString::fromId(const id& object)
{
    return NSString(std::dynamic_pointer_cast<NSStringObject>(object));
}

NSString NSString::stringWithUTF8String(const char* utf8)
{
    if (!utf8)
        return {};
    std::u16string units;
    if (!ns::utf16FromUTF8Strict(utf8, units))
        return {};
    return NSString(std::move(units));
}

NSString NSString::stringWithCharacters(const unichar* characters, NSUInteger length)
{
    return NSString(makeObject(std::u16string_view(characters, length)));
}

NSString NSString::stringWithContentsOfFile(const NSString& path, NSStringEncoding encoding, NSErrorPointer error)
{
    auto data = NSData::dataWithContentsOfFile(path, 0, error);
    if (!data)
        return {};
    NSString text = initWithData(data, encoding);
    if (text.isNil()) {
        NSSetError(error, NSError::errorWithDomain(NSCocoaErrorDomain, NSFileReadInapplicableStringEncodingError,
            ns::dictionary({ { NSFilePathErrorKey, path } })));
    }
    return text;
}

NSString NSString::initWithData(const std::shared_ptr<NSData>& data, NSStringEncoding encoding)
{
    if (!data)
        return {};
    return initWithBytes(data->bytes(), data->length(), encoding);
}

NSString NSString::initWithBytes(const void* bytes, NSUInteger length, NSStringEncoding encoding)
{
    std::u16string units;
    if (!ns::decodeText(std::string_view(static_cast<const char*>(bytes), length), encoding, units))
        return {};
    return NSString(std::move(units));
}

NSString::operator id() const
{
    return m_object;
}

// MARK: - Access

NSUInteger NSString::length() const
{
    return view().size();
}

unichar NSString::characterAtIndex(NSUInteger index) const
{
    if (index >= length())
        raiseRange("characterAtIndex:", index, length());
    return m_object->characters()[index];
}

std::u16string_view NSString::view() const
{
    return m_object ? m_object->characters() : std::u16string_view();
}

std::string NSString::UTF8String() const
{
    return ns::utf8FromUTF16(view());
}

NSUInteger NSString::lengthOfBytesUsingEncoding(NSStringEncoding encoding) const
{
    auto data = dataUsingEncoding(encoding);
    return data ? data->length() : 0;
}

std::shared_ptr<NSData> NSString::dataUsingEncoding(NSStringEncoding encoding, bool allowLossyConversion) const
{
    if (isNil())
        return nullptr;
    std::string bytes;
    if (!ns::encodeText(view(), encoding, allowLossyConversion, bytes))
        return nullptr;
    return NSData::dataWithBytes(bytes.data(), bytes.size());
}

bool NSString::canBeConvertedToEncoding(NSStringEncoding encoding) const
{
    std::string bytes;
    return ns::encodeText(view(), encoding, false, bytes);
}

// MARK: - Substrings

NSString NSString::substringFromIndex(NSUInteger from) const
{
    if (from > length())
        raiseRange("substringFromIndex:", from, length());
    return NSString(std::u16string(view().substr(from)));
}

NSString NSString::substringToIndex(NSUInteger to) const
{
    if (to > length())
        raiseRange("substringToIndex:", to, length());
    return NSString(std::u16string(view().substr(0, to)));
}

NSString NSString::substringWithRange(NSRange range) const
{
    if (range.location > length() || range.length > length() - range.location)
        raiseRange("substringWithRange:", range.location, length());
    return NSString(std::u16string(view().substr(range.location, range.length)));
}

namespace {

// One character break iterator per thread: making one loads ICU's rules, which costs far more
// than the lookup it serves. Pointing it at a string is cheap.
icu::BreakIterator* characterBreaks(std::u16string_view units)
{
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> made(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        return U_SUCCESS(status) ? std::move(made) : nullptr;
    }();
    if (!iterator)
        return nullptr;
    UErrorCode status = U_ZERO_ERROR;
    UText text = UTEXT_INITIALIZER;
    utext_openUChars(&text, units.data(), static_cast<int64_t>(units.size()), &status);
    // The iterator takes its own shallow copy of the text, so the local one may go.
    iterator->setText(&text, status);
    utext_close(&text);
    return U_SUCCESS(status) ? iterator.get() : nullptr;
}

// Code points below U+0300 neither extend nor prepend to their neighbours, except the CR LF pair.
bool standsAlone(std::u16string_view units, NSUInteger index)
{
    auto plain = [&](NSUInteger at) { return at >= units.size() || (units[at] < 0x300 && units[at] != u'\r' && units[at] != u'\n'); };
    return units[index] >= 0x20 && units[index] < 0x300 && plain(index + 1) && (index == 0 || plain(index - 1));
}

} // namespace

// Extended grapheme clusters: a letter with its marks, a surrogate pair, an emoji sequence joined
// by zero-width joiners, a flag's two regional indicators, a Hangul syllable of jamo, CR LF.
NSRange NSString::rangeOfComposedCharacterSequenceAtIndex(NSUInteger index) const
{
    if (index >= length())
        raiseRange("rangeOfComposedCharacterSequenceAtIndex:", index, length());
    auto units = view();
    if (standsAlone(units, index))
        return NSMakeRange(index, 1);
    auto* breaks = characterBreaks(units);
    if (!breaks) {
        // Without ICU's rules a surrogate pair still stays whole.
        NSUInteger start = index > 0 && U16_IS_TRAIL(units[index]) && U16_IS_LEAD(units[index - 1]) ? index - 1 : index;
        NSUInteger end = start + (U16_IS_LEAD(units[start]) && start + 1 < units.size() && U16_IS_TRAIL(units[start + 1]) ? 2 : 1);
        return NSMakeRange(start, end - start);
    }
    // ICU moves an index inside a surrogate pair to the pair's start; asking from there keeps the
    // answer about the character that holds the index.
    if (index > 0 && U16_IS_TRAIL(units[index]) && U16_IS_LEAD(units[index - 1]))
        --index;
    auto position = static_cast<int32_t>(index);
    int32_t start = breaks->isBoundary(position) ? position : breaks->preceding(position);
    int32_t end = breaks->following(position);
    if (start == icu::BreakIterator::DONE)
        start = 0;
    if (end == icu::BreakIterator::DONE)
        end = static_cast<int32_t>(units.size());
    return NSMakeRange(static_cast<NSUInteger>(start), static_cast<NSUInteger>(end - start));
}

NSRange NSString::rangeOfComposedCharacterSequencesForRange(NSRange range) const
{
    if (range.location > length() || range.length > length() - range.location)
        raiseRange("rangeOfComposedCharacterSequencesForRange:", range.location, length());
    if (length() == 0)
        return range;
    NSUInteger start = range.location < length() ? rangeOfComposedCharacterSequenceAtIndex(range.location).location : length();
    NSUInteger end = range.end();
    if (range.length > 0)
        end = rangeOfComposedCharacterSequenceAtIndex(range.end() - 1).end();
    else if (range.location < length() && start < range.location)
        end = rangeOfComposedCharacterSequenceAtIndex(range.location).end();
    return NSMakeRange(start, end - start);
}

// MARK: - Searching

NSRange NSString::rangeOfString(const NSString& search, NSStringCompareOptions options) const
{
    return rangeOfString(search, options, NSMakeRange(0, length()));
}

NSRange NSString::rangeOfString(const NSString& search, NSStringCompareOptions options, NSRange range) const
{
    auto haystack = view();
    auto needle = search.view();
    if (range.location > haystack.size() || range.length > haystack.size() - range.location)
        raiseRange("rangeOfString:options:range:", range.location, haystack.size());
    if (needle.empty() || needle.size() > range.length)
        return NSMakeRange(NSNotFound, 0);
    const bool caseInsensitive = options & NSCaseInsensitiveSearch;
    const bool backwards = options & NSBackwardsSearch;
    const bool anchored = options & NSAnchoredSearch;
    auto matchesAt = [&](size_t at) {
        for (size_t k = 0; k < needle.size(); ++k) {
            if (!unitsEqual(haystack[at + k], needle[k], caseInsensitive))
                return false;
        }
        return true;
    };
    const size_t first = range.location;
    const size_t last = range.location + range.length - needle.size();
    if (anchored) {
        size_t at = backwards ? last : first;
        return matchesAt(at) ? NSMakeRange(at, needle.size()) : NSMakeRange(NSNotFound, 0);
    }
    if (backwards) {
        for (size_t at = last + 1; at-- > first;) {
            if (matchesAt(at))
                return NSMakeRange(at, needle.size());
        }
        return NSMakeRange(NSNotFound, 0);
    }
    if (!caseInsensitive) {
        size_t found = haystack.substr(0, range.location + range.length).find(needle, first);
        return found == std::u16string_view::npos ? NSMakeRange(NSNotFound, 0) : NSMakeRange(found, needle.size());
    }
    for (size_t at = first; at <= last; ++at) {
        if (matchesAt(at))
            return NSMakeRange(at, needle.size());
    }
    return NSMakeRange(NSNotFound, 0);
}

NSRange NSString::rangeOfCharacterFromSet(const NSCharacterSet& set, NSStringCompareOptions options) const
{
    return rangeOfCharacterFromSet(set, options, NSMakeRange(0, length()));
}

NSRange NSString::rangeOfCharacterFromSet(const NSCharacterSet& set, NSStringCompareOptions options, NSRange range) const
{
    auto units = view();
    if (range.location > units.size() || range.length > units.size() - range.location)
        raiseRange("rangeOfCharacterFromSet:options:range:", range.location, units.size());
    const bool backwards = options & NSBackwardsSearch;
    const bool anchored = options & NSAnchoredSearch;
    auto memberAt = [&](size_t at) -> NSUInteger {
        char16_t unit = units[at];
        if (U16_IS_LEAD(unit) && at + 1 < range.end() && U16_IS_TRAIL(units[at + 1]))
            return set.longCharacterIsMember(U16_GET_SUPPLEMENTARY(unit, units[at + 1])) ? 2 : 0;
        return set.characterIsMember(unit) ? 1 : 0;
    };
    if (!backwards) {
        for (size_t at = range.location; at < range.end(); ++at) {
            if (NSUInteger width = memberAt(at))
                return NSMakeRange(at, width);
            if (anchored)
                break;
        }
    } else {
        for (size_t at = range.end(); at-- > range.location;) {
            size_t start = at;
            if (U16_IS_TRAIL(units[at]) && at > range.location && U16_IS_LEAD(units[at - 1]))
                start = at - 1;
            if (NSUInteger width = memberAt(start))
                return NSMakeRange(start, width);
            at = start;
            if (anchored)
                break;
        }
    }
    return NSMakeRange(NSNotFound, 0);
}

bool NSString::containsString(const NSString& other) const
{
    return rangeOfString(other).location != NSNotFound;
}

// MARK: - Comparing

bool NSString::isEqualToString(const NSString& other) const
{
    if (isNil() || other.isNil())
        return false;
    return m_object == other.m_object || view() == other.view();
}

NSComparisonResult NSString::compare(const NSString& other, NSStringCompareOptions options) const
{
    return compareUnits(view(), other.view(), options);
}

NSComparisonResult NSString::compare(const NSString& other, NSStringCompareOptions options, NSRange range) const
{
    return compareUnits(substringWithRange(range).view(), other.view(), options);
}

NSComparisonResult NSString::caseInsensitiveCompare(const NSString& other) const
{
    auto a = view();
    auto b = other.view();
    UErrorCode status = U_ZERO_ERROR;
    int result = u_strCaseCompare(reinterpret_cast<const UChar*>(a.data()), int32_t(a.size()),
        reinterpret_cast<const UChar*>(b.data()), int32_t(b.size()), U_FOLD_CASE_DEFAULT | U_COMPARE_CODE_POINT_ORDER, &status);
    if (U_FAILURE(status))
        return compareUnits(a, b, NSCaseInsensitiveSearch);
    return NSComparisonResult(sign(result));
}

NSComparisonResult NSString::localizedCompare(const NSString& other) const
{
    return compare(other);
}

NSComparisonResult NSString::localizedCaseInsensitiveCompare(const NSString& other) const
{
    return caseInsensitiveCompare(other);
}

bool NSString::hasPrefix(const NSString& prefix) const
{
    auto p = prefix.view();
    return !p.empty() && view().substr(0, p.size()) == p;
}

bool NSString::hasSuffix(const NSString& suffix) const
{
    auto s = suffix.view();
    auto units = view();
    return !s.empty() && units.size() >= s.size() && units.substr(units.size() - s.size()) == s;
}

NSUInteger NSString::hash() const
{
    return ns::hashUnits(view());
}

namespace {

// Keys of texts from the network must not be choosable to collide in hashed collections, so the
// hash is a keyed one (SipHash-1-3) under a key drawn once per process.
struct StringHashKey {
    std::uint64_t k0;
    std::uint64_t k1;
};

StringHashKey randomStringHashKey()
{
    StringHashKey key {};
    auto* bytes = reinterpret_cast<unsigned char*>(&key);
    std::size_t filled = 0;
    while (filled < sizeof key) {
        const ssize_t got = getrandom(bytes + filled, sizeof key - filled, 0);
        if (got > 0) {
            filled += std::size_t(got);
        } else if (got < 0 && errno != EINTR) {
            // No entropy source: still differ between processes and runs.
            key.k0 ^= std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()) * 0x9E3779B97F4A7C15ull;
            key.k1 ^= std::uint64_t(getpid()) * 0xC2B2AE3D27D4EB4Full + reinterpret_cast<std::uintptr_t>(&key);
            break;
        }
    }
    return key;
}

StringHashKey& stringHashKey()
{
    static StringHashKey key = randomStringHashKey();
    return key;
}

inline void sipRound(std::uint64_t& v0, std::uint64_t& v1, std::uint64_t& v2, std::uint64_t& v3)
{
    v0 += v1;
    v1 = std::rotl(v1, 13);
    v1 ^= v0;
    v0 = std::rotl(v0, 32);
    v2 += v3;
    v3 = std::rotl(v3, 16);
    v3 ^= v2;
    v0 += v3;
    v3 = std::rotl(v3, 21);
    v3 ^= v0;
    v2 += v1;
    v1 = std::rotl(v1, 17);
    v1 ^= v2;
    v2 = std::rotl(v2, 32);
}

} // namespace

NSUInteger ns::hashUnits(std::u16string_view units)
{
    const StringHashKey& key = stringHashKey();
    std::uint64_t v0 = key.k0 ^ 0x736f6d6570736575ull;
    std::uint64_t v1 = key.k1 ^ 0x646f72616e646f6dull;
    std::uint64_t v2 = key.k0 ^ 0x6c7967656e657261ull;
    std::uint64_t v3 = key.k1 ^ 0x7465646279746573ull;
    // Four units make one 64-bit word; the same value on every host whatever its byte order.
    const std::size_t count = units.size();
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const std::uint64_t m = std::uint64_t(units[i]) | std::uint64_t(units[i + 1]) << 16 | std::uint64_t(units[i + 2]) << 32
            | std::uint64_t(units[i + 3]) << 48;
        v3 ^= m;
        sipRound(v0, v1, v2, v3);
        v0 ^= m;
    }
    std::uint64_t last = std::uint64_t(count * 2) << 56;
    for (unsigned shift = 0; i < count; ++i, shift += 16)
        last |= std::uint64_t(units[i]) << shift;
    v3 ^= last;
    sipRound(v0, v1, v2, v3);
    v0 ^= last;
    v2 ^= 0xff;
    sipRound(v0, v1, v2, v3);
    sipRound(v0, v1, v2, v3);
    sipRound(v0, v1, v2, v3);
    return v0 ^ v1 ^ v2 ^ v3;
}

std::pair<std::uint64_t, std::uint64_t> ns::setStringHashKeyForTesting(std::uint64_t k0, std::uint64_t k1)
{
    const StringHashKey previous = std::exchange(stringHashKey(), StringHashKey { k0, k1 });
    return { previous.k0, previous.k1 };
}

// MARK: - Dividing and joining

std::vector<NSString> NSString::components(const NSString& separator) const
{
    std::vector<NSString> pieces;
    auto units = view();
    auto sep = separator.view();
    if (sep.empty()) {
        pieces.push_back(*this);
        return pieces;
    }
    size_t start = 0;
    while (true) {
        size_t found = units.find(sep, start);
        if (found == std::u16string_view::npos) {
            pieces.emplace_back(std::u16string(units.substr(start)));
            break;
        }
        pieces.emplace_back(std::u16string(units.substr(start, found - start)));
        start = found + sep.size();
    }
    return pieces;
}

std::shared_ptr<NSArray> NSString::componentsSeparatedByString(const NSString& separator) const
{
    std::vector<id> boxed;
    for (auto& piece : components(separator))
        boxed.push_back(piece);
    return NSArray::create(std::move(boxed));
}

std::shared_ptr<NSArray> NSString::componentsSeparatedByCharactersInSet(const NSCharacterSet& set) const
{
    std::vector<id> boxed;
    auto units = view();
    size_t start = 0;
    for (size_t at = 0; at < units.size(); ++at) {
        NSRange found = rangeOfCharacterFromSet(set, NSAnchoredSearch, NSMakeRange(at, units.size() - at));
        if (found.location == NSNotFound)
            continue;
        boxed.push_back(NSString(std::u16string(units.substr(start, at - start))));
        at += found.length - 1;
        start = at + 1;
    }
    boxed.push_back(NSString(std::u16string(units.substr(start))));
    return NSArray::create(std::move(boxed));
}

NSString NSString::stringByTrimmingCharactersInSet(const NSCharacterSet& set) const
{
    if (isNil())
        return {};
    auto units = view();
    size_t start = 0;
    size_t end = units.size();
    while (start < end) {
        NSRange r = rangeOfCharacterFromSet(set, NSAnchoredSearch, NSMakeRange(start, end - start));
        if (r.location == NSNotFound)
            break;
        start += r.length;
    }
    while (end > start) {
        NSRange r = rangeOfCharacterFromSet(set, NSAnchoredSearch | NSBackwardsSearch, NSMakeRange(start, end - start));
        if (r.location == NSNotFound)
            break;
        end = r.location;
    }
    return NSString(std::u16string(units.substr(start, end - start)));
}

NSString NSString::stringByAppendingString(const NSString& other) const
{
    std::u16string joined;
    joined.reserve(length() + other.length());
    joined.append(view());
    joined.append(other.view());
    return NSString(std::move(joined));
}

NSString NSString::stringByPaddingToLength(NSUInteger newLength, const NSString& pad, NSUInteger startingAt) const
{
    auto units = view();
    if (newLength <= units.size())
        return NSString(std::u16string(units.substr(0, newLength)));
    auto padding = pad.view();
    if (padding.empty() || startingAt >= padding.size())
        NSException::raise(NSRangeException, "-[NSString stringByPaddingToLength:withString:startingAtIndex:]: out of range padding index");
    std::u16string padded(units);
    for (size_t k = startingAt; padded.size() < newLength; k = (k + 1) % padding.size())
        padded.push_back(padding[k]);
    return NSString(std::move(padded));
}

NSString NSString::stringByReplacingOccurrencesOfString(const NSString& target, const NSString& replacement) const
{
    return stringByReplacingOccurrencesOfString(target, replacement, 0, NSMakeRange(0, length()));
}

NSString NSString::stringByReplacingOccurrencesOfString(const NSString& target, const NSString& replacement,
    NSStringCompareOptions options, NSRange range) const
{
    if (isNil())
        return {};
    auto copy = NSMutableString::stringWithString(*this);
    copy->replaceOccurrencesOfString(target, replacement, options, range);
    return NSString(std::u16string(copy->characters()));
}

NSString NSString::stringByReplacingCharactersInRange(NSRange range, const NSString& replacement) const
{
    if (range.location > length() || range.length > length() - range.location)
        raiseRange("stringByReplacingCharactersInRange:withString:", range.location, length());
    std::u16string result(view());
    result.replace(range.location, range.length, replacement.view());
    return NSString(std::move(result));
}

// MARK: - Case

namespace {

using CaseMapper = int32_t (*)(UChar*, int32_t, const UChar*, int32_t, const char*, UErrorCode*);

NSString mapCase(const NSString& text, CaseMapper mapper)
{
    if (text.isNil())
        return {};
    auto units = text.view();
    std::u16string out(units.size() + 8, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = mapper(reinterpret_cast<UChar*>(out.data()), int32_t(out.size()),
        reinterpret_cast<const UChar*>(units.data()), int32_t(units.size()), "", &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        out.assign(size_t(length), u'\0');
        status = U_ZERO_ERROR;
        length = mapper(reinterpret_cast<UChar*>(out.data()), int32_t(out.size()),
            reinterpret_cast<const UChar*>(units.data()), int32_t(units.size()), "", &status);
    }
    if (U_FAILURE(status))
        return text;
    out.resize(size_t(length));
    return NSString(std::move(out));
}

} // namespace

NSString NSString::uppercaseString() const { return mapCase(*this, u_strToUpper); }
NSString NSString::lowercaseString() const { return mapCase(*this, u_strToLower); }

NSString NSString::capitalizedString() const
{
    // The platform's rule: the first letter of each run of non-blank characters upper case, the rest lower.
    std::u16string out(lowercaseString().view());
    bool atWordStart = true;
    for (auto& unit : out) {
        if (isSpace(unit)) {
            atWordStart = true;
        } else if (atWordStart) {
            if (!U16_IS_SURROGATE(unit))
                unit = char16_t(u_totitle(unit));
            atWordStart = false;
        }
    }
    return NSString(std::move(out));
}

// MARK: - Numbers

int NSString::intValue() const { return leadingInteger<int>(view()); }
NSInteger NSString::integerValue() const { return leadingInteger<NSInteger>(view()); }
long long NSString::longLongValue() const { return leadingInteger<long long>(view()); }
float NSString::floatValue() const { return float(leadingDouble(view())); }
double NSString::doubleValue() const { return leadingDouble(view()); }

bool NSString::boolValue() const
{
    // Leading white space, then any signs and zeros; true on Y, y, T, t or a digit 1 to 9.
    auto units = view();
    size_t i = 0;
    while (i < units.size() && isSpace(units[i]))
        ++i;
    while (i < units.size() && (units[i] == '+' || units[i] == '-'))
        ++i;
    while (i < units.size() && units[i] == '0')
        ++i;
    if (i == units.size())
        return false;
    char16_t c = units[i];
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

// MARK: - Percent escapes

NSString NSString::stringByAddingPercentEncodingWithAllowedCharacters(const NSCharacterSet& allowed) const
{
    if (isNil())
        return {};
    static const char hex[] = "0123456789ABCDEF";
    std::u16string out;
    auto units = view();
    out.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        char16_t unit = units[i];
        size_t width = (U16_IS_LEAD(unit) && i + 1 < units.size() && U16_IS_TRAIL(units[i + 1])) ? 2 : 1;
        bool keep = width == 2 ? allowed.longCharacterIsMember(U16_GET_SUPPLEMENTARY(unit, units[i + 1]))
                               : (!U16_IS_SURROGATE(unit) && allowed.characterIsMember(unit));
        if (keep) {
            out.append(units.substr(i, width));
        } else {
            for (unsigned char byte : ns::utf8FromUTF16(units.substr(i, width))) {
                out.push_back(u'%');
                out.push_back(char16_t(hex[byte >> 4]));
                out.push_back(char16_t(hex[byte & 15]));
            }
        }
        i += width - 1;
    }
    return NSString(std::move(out));
}

namespace {

// Decodes %XX escapes into bytes; false on a malformed escape.
bool unescapeBytes(std::u16string_view units, std::string& bytes)
{
    bytes.clear();
    for (size_t i = 0; i < units.size(); ++i) {
        if (units[i] == '%') {
            if (i + 2 >= units.size())
                return false;
            int high = ns::hexDigitValue(units[i + 1]);
            int low = ns::hexDigitValue(units[i + 2]);
            if (high < 0 || low < 0)
                return false;
            bytes.push_back(char(high * 16 + low));
            i += 2;
        } else {
            bytes += ns::utf8FromUTF16(units.substr(i, 1 + (U16_IS_LEAD(units[i]) && i + 1 < units.size() ? 1 : 0)));
            if (U16_IS_LEAD(units[i]) && i + 1 < units.size())
                ++i;
        }
    }
    return true;
}

} // namespace

NSString NSString::stringByRemovingPercentEncoding() const
{
    return stringByReplacingPercentEscapesUsingEncoding(NSUTF8StringEncoding);
}

NSString NSString::stringByAddingPercentEscapesUsingEncoding(NSStringEncoding encoding) const
{
    if (isNil())
        return {};
    // The legacy escaper leaves every printable ASCII character except these as it is.
    static const NeverDestroyed<std::shared_ptr<NSMutableCharacterSet>> allowed([] {
        auto set = NSMutableCharacterSet::create();
        set->addCharactersInRange(NSMakeRange(0x21, 0x7E - 0x21 + 1));
        set->removeCharactersInString("\"%<>[\\]^`{|}");
        return set;
    }());
    if (encoding == NSUTF8StringEncoding)
        return stringByAddingPercentEncodingWithAllowedCharacters(*allowed.get());
    std::string bytes;
    if (!ns::encodeText(view(), encoding, false, bytes))
        return {};
    static const char hex[] = "0123456789ABCDEF";
    std::u16string out;
    for (unsigned char byte : bytes) {
        if (byte < 128 && allowed.get()->characterIsMember(byte)) {
            out.push_back(byte);
        } else {
            out.push_back(u'%');
            out.push_back(char16_t(hex[byte >> 4]));
            out.push_back(char16_t(hex[byte & 15]));
        }
    }
    return NSString(std::move(out));
}

NSString NSString::stringByReplacingPercentEscapesUsingEncoding(NSStringEncoding encoding) const
{
    if (isNil())
        return {};
    std::string bytes;
    if (!unescapeBytes(view(), bytes))
        return {};
    return initWithBytes(bytes.data(), bytes.size(), encoding);
}

// MARK: - Paths

std::shared_ptr<NSArray> NSString::pathComponents() const
{
    std::vector<id> parts;
    auto units = view();
    if (units.empty())
        return NSArray::create(std::move(parts));
    if (units[0] == '/')
        parts.push_back(NSString("/"));
    size_t start = 0;
    while (start < units.size()) {
        size_t slash = units.find(u'/', start);
        if (slash == std::u16string_view::npos)
            slash = units.size();
        if (slash > start)
            parts.push_back(NSString(std::u16string(units.substr(start, slash - start))));
        start = slash + 1;
    }
    if (units.size() > 1 && units.back() == '/')
        parts.push_back(NSString("/"));
    return NSArray::create(std::move(parts));
}

NSString NSString::lastPathComponent() const
{
    auto units = view();
    while (units.size() > 1 && units.back() == '/')
        units.remove_suffix(1);
    size_t slash = units.rfind(u'/');
    if (slash == std::u16string_view::npos || units.size() == 1)
        return NSString(std::u16string(units));
    return NSString(std::u16string(units.substr(slash + 1)));
}

NSString NSString::pathExtension() const
{
    const NSString lastComponent = lastPathComponent();
    const std::u16string_view last = lastComponent.view();
    size_t dot = last.rfind(u'.');
    if (dot == std::u16string_view::npos || dot == 0)
        return NSString(u"");
    return NSString(std::u16string(last.substr(dot + 1)));
}

NSString NSString::stringByAppendingPathComponent(const NSString& component) const
{
    std::u16string path(view());
    auto addition = component.view();
    while (!path.empty() && path.back() == '/' && path.size() > 1)
        path.pop_back();
    while (!addition.empty() && addition.front() == '/')
        addition.remove_prefix(1);
    if (addition.empty())
        return NSString(std::move(path));
    if (!path.empty() && path.back() != '/')
        path.push_back(u'/');
    path.append(addition);
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return NSString(std::move(path));
}

NSString NSString::stringByAppendingPathExtension(const NSString& extension) const
{
    std::u16string path(view());
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    path.push_back(u'.');
    path.append(extension.view());
    return NSString(std::move(path));
}

NSString NSString::stringByDeletingLastPathComponent() const
{
    std::u16string path(view());
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    size_t slash = path.rfind(u'/');
    if (slash == std::u16string::npos)
        return NSString(u"");
    if (slash == 0)
        return NSString("/");
    return NSString(path.substr(0, slash));
}

NSString NSString::stringByDeletingPathExtension() const
{
    std::u16string path(view());
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    size_t slash = path.rfind(u'/');
    size_t dot = path.rfind(u'.');
    if (dot == std::u16string::npos || (slash != std::u16string::npos && dot < slash + 2) || dot == 0)
        return NSString(std::move(path));
    return NSString(path.substr(0, dot));
}

NSString NSString::stringByExpandingTildeInPath() const
{
    if (!hasPrefix("~"))
        return *this;
    const char* home = std::getenv("HOME");
    return NSString(home ? home : "/").stringByAppendingPathComponent(substringFromIndex(1));
}

NSString NSString::stringByStandardizingPath() const
{
    std::vector<std::u16string> kept;
    auto expanded = stringByExpandingTildeInPath();
    const bool absolute = expanded.hasPrefix("/");
    for (const auto& part : expanded.components("/")) {
        const std::u16string_view units = part.view();
        if (units.empty() || units == u".")
            continue;
        if (units == u".." && !kept.empty() && kept.back() != u"..") {
            kept.pop_back();
            continue;
        }
        if (units == u".." && absolute)
            continue;
        kept.emplace_back(units);
    }
    std::u16string path = absolute ? u"/" : u"";
    for (size_t k = 0; k < kept.size(); ++k) {
        if (k)
            path.push_back(u'/');
        path.append(kept[k]);
    }
    return NSString(std::move(path));
}

bool NSString::writeToFile(const NSString& path, bool atomically, NSStringEncoding encoding, NSErrorPointer error) const
{
    auto data = dataUsingEncoding(encoding);
    if (!data) {
        NSSetError(error, NSError::errorWithDomain(NSCocoaErrorDomain, NSFileWriteInapplicableStringEncodingError,
            ns::dictionary({ { NSFilePathErrorKey, path } })));
        return false;
    }
    return data->writeToFile(path, atomically, error);
}

NSString NSString::copy() const
{
    if (isNil())
        return {};
    return NSString(std::static_pointer_cast<NSStringObject>(m_object->copy()));
}

std::shared_ptr<NSMutableString> NSString::mutableCopy() const
{
    return NSMutableString::stringWithString(*this);
}

// MARK: - NSStringObject

std::shared_ptr<NSStringObject> NSStringObject::withLength(NSUInteger length, char16_t*& units)
{
    if (length > UINT32_MAX)
        throw std::length_error("NSString longer than 2^32 units");
    auto object = ns::makeSharedWithTrailingBytes<NSStringObject>(length * sizeof(char16_t), PassKey<NSStringObject>(), std::uint32_t(length));
    units = reinterpret_cast<char16_t*>(object.get() + 1);
    return object;
}

std::shared_ptr<NSStringObject> NSStringObject::withUnits(std::u16string_view units)
{
    char16_t* destination;
    auto object = withLength(units.size(), destination);
    if (!units.empty())
        std::memcpy(destination, units.data(), units.size() * sizeof(char16_t));
    return object;
}

NSString NSStringObject::description() const
{
    return NSString(std::const_pointer_cast<NSStringObject>(self()));
}

bool NSStringObject::isEqual(const id& other) const
{
    auto text = std::dynamic_pointer_cast<NSStringObject>(other);
    return text && text->characters() == characters();
}

NSUInteger NSStringObject::hash() const
{
    return ns::hashUnits(characters());
}

id NSStringObject::copy() const
{
    return std::const_pointer_cast<NSStringObject>(self());
}

id NSStringObject::mutableCopy() const
{
    return NSMutableString::stringWithString(description());
}

// MARK: - NSMutableString

std::shared_ptr<NSMutableString> NSMutableString::stringWithString(const NSString& text)
{
    return create(text);
}

std::shared_ptr<NSMutableString> NSMutableString::stringWithCapacity(NSUInteger capacity)
{
    auto text = create();
    text->m_buffer.reserve(capacity);
    return text;
}

void NSMutableString::appendString(const NSString& text)
{
    // The text may be this very string: a view of the buffer would not survive its growth.
    if (text.object().get() == this)
        m_buffer.append(std::u16string(m_buffer));
    else
        m_buffer.append(text.view());
}

void NSMutableString::insertString(const NSString& text, NSUInteger index)
{
    if (index > m_buffer.size())
        raiseRange("insertString:atIndex:", index, m_buffer.size());
    m_buffer.insert(index, std::u16string(text.view()));
}

void NSMutableString::deleteCharactersInRange(NSRange range)
{
    replaceCharactersInRange(range, NSString(u""));
}

void NSMutableString::replaceCharactersInRange(NSRange range, const NSString& text)
{
    if (range.location > m_buffer.size() || range.length > m_buffer.size() - range.location)
        raiseRange("replaceCharactersInRange:withString:", range.location, m_buffer.size());
    m_buffer.replace(range.location, range.length, std::u16string(text.view()));
}

NSUInteger NSMutableString::replaceOccurrencesOfString(const NSString& target, const NSString& replacement,
    NSStringCompareOptions options, NSRange range)
{
    if (range.location > m_buffer.size() || range.length > m_buffer.size() - range.location)
        raiseRange("replaceOccurrencesOfString:withString:options:range:", range.location, m_buffer.size());
    if (target.length() == 0)
        return 0;
    const NSString snapshot(m_buffer);
    const auto sought = options & (NSCaseInsensitiveSearch | NSAnchoredSearch | NSBackwardsSearch);
    std::u16string result(snapshot.view().substr(0, range.location));
    NSUInteger replaced = 0;
    NSUInteger cursor = range.location;
    const NSUInteger end = range.end();
    while (cursor < end) {
        NSRange found = snapshot.rangeOfString(target, sought & ~NSBackwardsSearch, NSMakeRange(cursor, end - cursor));
        if (found.location == NSNotFound)
            break;
        result.append(snapshot.view().substr(cursor, found.location - cursor));
        result.append(replacement.view());
        cursor = found.end();
        ++replaced;
        if (options & NSAnchoredSearch)
            break;
    }
    result.append(snapshot.view().substr(cursor));
    m_buffer = std::move(result);
    return replaced;
}

void NSMutableString::setString(const NSString& text)
{
    m_buffer = std::u16string(text.view());
}

id NSMutableString::copy() const
{
    return NSStringObject::withUnits(m_buffer);
}
