#include "platform/foundation/NSCharacterSet.h"

#include "platform/foundation/ICUBridge.h"
#include "platform/foundation/NeverDestroyed.h"

#include <unicode/uniset.h>
#include <unicode/ustring.h>

namespace {

// The code points of a range, cut at the last one Unicode has; false when none remain.
bool codePointRange(NSRange range, UChar32& first, UChar32& last)
{
    constexpr NSUInteger lastCodePoint = 0x10FFFF;
    if (range.length == 0 || range.location > lastCodePoint)
        return false;
    first = UChar32(range.location);
    last = UChar32(range.length - 1 > lastCodePoint - range.location ? lastCodePoint : range.location + range.length - 1);
    return true;
}

} // namespace

struct NSCharacterSet::Storage {
    icu::UnicodeSet set;
};

void NSCharacterSet::init()
{
    m_storage = std::make_shared<Storage>();
}

void NSCharacterSet::init(const NSCharacterSet& other)
{
    m_storage = std::make_shared<Storage>(*other.m_storage);
    rebuildASCIICache();
}

void NSCharacterSet::rebuildASCIICache()
{
    m_ascii[0] = m_ascii[1] = 0;
    for (UChar32 c = 0; c < 128; ++c) {
        if (m_storage->set.contains(c))
            m_ascii[c >> 6] |= std::uint64_t(1) << (c & 63);
    }
}

bool NSCharacterSet::characterIsMember(unichar character) const
{
    if (character < 128)
        return (m_ascii[character >> 6] >> (character & 63)) & 1;
    return m_storage->set.contains(UChar32(character));
}

bool NSCharacterSet::longCharacterIsMember(char32_t codePoint) const
{
    if (codePoint < 128)
        return (m_ascii[codePoint >> 6] >> (codePoint & 63)) & 1;
    return m_storage->set.contains(UChar32(codePoint));
}

std::shared_ptr<NSCharacterSet> NSCharacterSet::invertedSet() const
{
    auto inverted = NSMutableCharacterSet::create(*this);
    inverted->invert();
    return inverted;
}

std::shared_ptr<NSMutableCharacterSet> NSCharacterSet::mutableCopyOfSet() const
{
    return NSMutableCharacterSet::create(*this);
}

bool NSCharacterSet::isEqual(const id& other) const
{
    auto set = ns::cast<NSCharacterSet>(other);
    return set && set->m_storage->set == m_storage->set;
}

NSUInteger NSCharacterSet::hash() const
{
    return NSUInteger(m_storage->set.hashCode());
}

namespace {

std::shared_ptr<NSCharacterSet> makeSet(const char16_t* pattern)
{
    auto set = NSMutableCharacterSet::create();
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeSet parsed(icu::UnicodeString(pattern), status);
    if (U_SUCCESS(status)) {
        for (int32_t i = 0; i < parsed.getRangeCount(); ++i) {
            UChar32 start = parsed.getRangeStart(i);
            UChar32 end = parsed.getRangeEnd(i);
            set->addCharactersInRange(NSMakeRange(NSUInteger(start), NSUInteger(end - start + 1)));
        }
    }
    return set;
}

} // namespace

#define NS_CHARACTER_SET(name, pattern)                                  \
    std::shared_ptr<NSCharacterSet> NSCharacterSet::name()               \
    {                                                                    \
        static const NeverDestroyed<std::shared_ptr<NSCharacterSet>> set(makeSet(pattern)); \
        return set.get();                                                \
    }

NS_CHARACTER_SET(whitespaceCharacterSet, u"[\\t\\p{Zs}]")
NS_CHARACTER_SET(whitespaceAndNewlineCharacterSet, u"[\\t\\n\\u000B\\f\\r\\p{Z}\\u0085]")
NS_CHARACTER_SET(newlineCharacterSet, u"[\\n\\u000B\\f\\r\\u0085\\u2028\\u2029]")
NS_CHARACTER_SET(decimalDigitCharacterSet, u"[\\p{Nd}]")
NS_CHARACTER_SET(letterCharacterSet, u"[\\p{L}\\p{M}]")
NS_CHARACTER_SET(alphanumericCharacterSet, u"[\\p{L}\\p{M}\\p{N}]")
NS_CHARACTER_SET(punctuationCharacterSet, u"[\\p{P}]")
NS_CHARACTER_SET(uppercaseLetterCharacterSet, u"[\\p{Lu}\\p{Lt}]")
NS_CHARACTER_SET(lowercaseLetterCharacterSet, u"[\\p{Ll}]")
NS_CHARACTER_SET(controlCharacterSet, u"[\\p{Cc}\\p{Cf}]")
#undef NS_CHARACTER_SET

// RFC 3986 unreserved characters plus the delimiters each URL part may carry as they are. Built
// from plain character lists: the pattern syntax gives '$', '&' and the quote meanings of their own.
#define NS_URL_CHARACTER_SET(name, extra)                                                 \
    std::shared_ptr<NSCharacterSet> NSCharacterSet::name()                                \
    {                                                                                     \
        static const NeverDestroyed<std::shared_ptr<NSCharacterSet>> set(characterSetWithCharactersInString( \
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~" extra)); \
        return set.get();                                                                 \
    }

NS_URL_CHARACTER_SET(URLQueryAllowedCharacterSet, "!$&'()*+,;=:@/?")
NS_URL_CHARACTER_SET(URLPathAllowedCharacterSet, "!$&'()*+,;=:@/")
NS_URL_CHARACTER_SET(URLHostAllowedCharacterSet, "!$&'()*+,;=:[]")
NS_URL_CHARACTER_SET(URLFragmentAllowedCharacterSet, "!$&'()*+,;=:@/?")
NS_URL_CHARACTER_SET(URLUserAllowedCharacterSet, "!$&'()*+,;=")
NS_URL_CHARACTER_SET(URLPasswordAllowedCharacterSet, "!$&'()*+,;=")

#undef NS_URL_CHARACTER_SET

std::shared_ptr<NSCharacterSet> NSCharacterSet::characterSetWithCharactersInString(const NSString& characters)
{
    auto set = NSMutableCharacterSet::create();
    set->addCharactersInString(characters);
    return set;
}

std::shared_ptr<NSCharacterSet> NSCharacterSet::characterSetWithRange(NSRange range)
{
    auto set = NSMutableCharacterSet::create();
    set->addCharactersInRange(range);
    return set;
}

void NSMutableCharacterSet::addCharactersInString(const NSString& characters)
{
    m_storage->set.addAll(ns::unicodeString(characters));
    rebuildASCIICache();
}

void NSMutableCharacterSet::addCharactersInRange(NSRange range)
{
    UChar32 first = 0;
    UChar32 last = 0;
    if (!codePointRange(range, first, last))
        return;
    m_storage->set.add(first, last);
    rebuildASCIICache();
}

void NSMutableCharacterSet::removeCharactersInString(const NSString& characters)
{
    m_storage->set.removeAll(ns::unicodeString(characters));
    rebuildASCIICache();
}

void NSMutableCharacterSet::removeCharactersInRange(NSRange range)
{
    UChar32 first = 0;
    UChar32 last = 0;
    if (!codePointRange(range, first, last))
        return;
    m_storage->set.remove(first, last);
    rebuildASCIICache();
}

void NSMutableCharacterSet::formUnionWithCharacterSet(const NSCharacterSet& other)
{
    m_storage->set.addAll(other.m_storage->set);
    rebuildASCIICache();
}

void NSMutableCharacterSet::formIntersectionWithCharacterSet(const NSCharacterSet& other)
{
    m_storage->set.retainAll(other.m_storage->set);
    rebuildASCIICache();
}

void NSMutableCharacterSet::invert()
{
    m_storage->set.complement();
    rebuildASCIICache();
}
