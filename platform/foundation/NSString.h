#pragma once
// Text: NSString is a small nil-able handle over a UTF-16 string object, so lengths, indices and
// ranges count UTF-16 units as the platform's do ("科目一" has length 3, an emoji 2). It converts
// implicitly from UTF-8 literals and std::string, and explicitly to UTF-8 at the edges.
//
// A handle aliases its object as the platform's object pointer does. Text made from characters
// (literals, std::string, UTF-16, decoded data) and every handle that an operation of this class
// answers never change. A handle made from an NSMutableString (directly, or through fromId on an
// `id` holding one) is that very object: it sees the string's later changes. Whoever must keep
// the text as it is now, a `copy` property above all, stores copy(), which is the same object
// for unchanging text and a snapshot of a mutable one.

#include "platform/foundation/NSObject.h"
#include "platform/foundation/PassKey.h"

#include <compare>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class NSArray;
class NSCharacterSet;
class NSData;
class NSError;
class NSMutableString;
class NSStringObject;

using NSStringEncoding = NSUInteger;
enum : NSStringEncoding {
    NSASCIIStringEncoding = 1,
    NSNEXTSTEPStringEncoding = 2,
    NSJapaneseEUCStringEncoding = 3,
    NSUTF8StringEncoding = 4,
    NSISOLatin1StringEncoding = 5,
    NSNonLossyASCIIStringEncoding = 7,
    NSShiftJISStringEncoding = 8,
    NSISOLatin2StringEncoding = 9,
    NSUnicodeStringEncoding = 10,
    NSWindowsCP1251StringEncoding = 11,
    NSWindowsCP1252StringEncoding = 12,
    NSWindowsCP1253StringEncoding = 13,
    NSWindowsCP1254StringEncoding = 14,
    NSWindowsCP1250StringEncoding = 15,
    NSISO2022JPStringEncoding = 21,
    NSUTF16StringEncoding = NSUnicodeStringEncoding,
    NSUTF16BigEndianStringEncoding = 0x90000100,
    NSUTF16LittleEndianStringEncoding = 0x94000100,
    NSUTF32StringEncoding = 0x8c000100,
    NSUTF32BigEndianStringEncoding = 0x98000100,
    NSUTF32LittleEndianStringEncoding = 0x9c000100,
    // The platform's numbers for the Chinese encodings, as converted from their CF values.
    NSGB18030StringEncoding = 0x80000632,
    NSGBKStringEncoding = 0x80000631,
    NSGB2312StringEncoding = 0x80000930,
    NSBig5StringEncoding = 0x80000a03,
};

using NSStringCompareOptions = NSUInteger;
enum : NSStringCompareOptions {
    NSCaseInsensitiveSearch = 1,
    NSLiteralSearch = 2,
    NSBackwardsSearch = 4,
    NSAnchoredSearch = 8,
    NSNumericSearch = 64,
    NSDiacriticInsensitiveSearch = 128,
    NSWidthInsensitiveSearch = 256,
    NSForcedOrderingSearch = 512,
    NSRegularExpressionSearch = 1024,
};

class NSString {
public:
    NSString() = default;
    NSString(std::nullptr_t) { }
    NSString(const char* utf8);
    NSString(const std::string& utf8);
    NSString(std::string_view utf8);
    NSString(const char16_t* utf16);
    NSString(std::u16string utf16);
    NSString(std::shared_ptr<NSStringObject> object) : m_object(std::move(object)) { }
    NSString(std::shared_ptr<NSMutableString> object);

    // The text an `id` holds, or nil when it holds none.
    static NSString fromId(const id& object);
    static NSString string() { return NSString(u""); }
    // Nil when the bytes are not valid UTF-8, as the platform's UTF-8 initialisers answer.
    static NSString stringWithUTF8String(const char* utf8);
    static NSString stringWithCharacters(const unichar* characters, NSUInteger length);
    static NSString stringWithContentsOfFile(const NSString& path, NSStringEncoding encoding,
        NSErrorPointer error = nullptr);
    // Nil when the data is not valid in the encoding.
    static NSString initWithData(const std::shared_ptr<NSData>& data, NSStringEncoding encoding);
    static NSString initWithBytes(const void* bytes, NSUInteger length, NSStringEncoding encoding);

    // printf conversions plus %@ (the object's description, "(null)" for nil); see NSStringFormat.h.
    template <class... Args>
    static NSString stringWithFormat(const char* format, const Args&... args);

    bool isNil() const { return !m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    operator id() const;
    const std::shared_ptr<NSStringObject>& object() const { return m_object; }

    NSUInteger length() const;
    unichar characterAtIndex(NSUInteger index) const;
    // The UTF-16 units, valid while this handle's object lives and is not changed; empty for nil.
    std::u16string_view view() const;
    // A copy of the units, for callers that keep or change them; view() reads without copying.
    std::u16string characters() const { return std::u16string(view()); }
    // UTF-8 at the edges; the empty text for nil.
    std::string UTF8String() const;
    std::string utf8() const { return UTF8String(); }
    NSUInteger lengthOfBytesUsingEncoding(NSStringEncoding encoding) const;
    std::shared_ptr<NSData> dataUsingEncoding(NSStringEncoding encoding, bool allowLossyConversion = false) const;
    bool canBeConvertedToEncoding(NSStringEncoding encoding) const;

    NSString substringFromIndex(NSUInteger from) const;
    NSString substringToIndex(NSUInteger to) const;
    NSString substringWithRange(NSRange range) const;
    NSRange rangeOfComposedCharacterSequenceAtIndex(NSUInteger index) const;
    NSRange rangeOfComposedCharacterSequencesForRange(NSRange range) const;

    NSRange rangeOfString(const NSString& search, NSStringCompareOptions options = 0) const;
    NSRange rangeOfString(const NSString& search, NSStringCompareOptions options, NSRange range) const;
    NSRange rangeOfCharacterFromSet(const NSCharacterSet& set, NSStringCompareOptions options = 0) const;
    NSRange rangeOfCharacterFromSet(const NSCharacterSet& set, NSStringCompareOptions options, NSRange range) const;
    bool containsString(const NSString& other) const;

    bool isEqualToString(const NSString& other) const;
    NSComparisonResult compare(const NSString& other, NSStringCompareOptions options = 0) const;
    NSComparisonResult compare(const NSString& other, NSStringCompareOptions options, NSRange range) const;
    NSComparisonResult caseInsensitiveCompare(const NSString& other) const;
    NSComparisonResult localizedCompare(const NSString& other) const;
    NSComparisonResult localizedCaseInsensitiveCompare(const NSString& other) const;
    bool hasPrefix(const NSString& prefix) const;
    bool hasSuffix(const NSString& suffix) const;
    NSUInteger hash() const;

    std::shared_ptr<NSArray> componentsSeparatedByString(const NSString& separator) const;
    std::shared_ptr<NSArray> componentsSeparatedByCharactersInSet(const NSCharacterSet& set) const;
    // The same pieces without boxing, for code that only reads them.
    std::vector<NSString> components(const NSString& separator) const;

    NSString stringByTrimmingCharactersInSet(const NSCharacterSet& set) const;
    NSString stringByAppendingString(const NSString& other) const;
    template <class... Args>
    NSString stringByAppendingFormat(const char* format, const Args&... args) const;
    NSString stringByPaddingToLength(NSUInteger newLength, const NSString& pad, NSUInteger startingAt) const;
    NSString stringByReplacingOccurrencesOfString(const NSString& target, const NSString& replacement) const;
    NSString stringByReplacingOccurrencesOfString(const NSString& target, const NSString& replacement,
        NSStringCompareOptions options, NSRange range) const;
    NSString stringByReplacingCharactersInRange(NSRange range, const NSString& replacement) const;

    NSString uppercaseString() const;
    NSString lowercaseString() const;
    NSString capitalizedString() const;

    // The platform's numeric readings: leading white space, a sign, the leading digits; 0 when
    // there are none; never dependent on the process's C locale.
    int intValue() const;
    NSInteger integerValue() const;
    long long longLongValue() const;
    float floatValue() const;
    double doubleValue() const;
    bool boolValue() const;

    // Percent escapes. The allowed set leaves its characters as they are; every other UTF-8
    // byte becomes %XX with upper-case hexadecimal digits.
    NSString stringByAddingPercentEncodingWithAllowedCharacters(const NSCharacterSet& allowed) const;
    // Nil when an escape is malformed or the bytes are not UTF-8.
    NSString stringByRemovingPercentEncoding() const;
    NSString stringByAddingPercentEscapesUsingEncoding(NSStringEncoding encoding) const;
    NSString stringByReplacingPercentEscapesUsingEncoding(NSStringEncoding encoding) const;

    // Paths, '/'-separated.
    std::shared_ptr<NSArray> pathComponents() const;
    NSString lastPathComponent() const;
    NSString pathExtension() const;
    NSString stringByAppendingPathComponent(const NSString& component) const;
    NSString stringByAppendingPathExtension(const NSString& extension) const;
    NSString stringByDeletingLastPathComponent() const;
    NSString stringByDeletingPathExtension() const;
    bool isAbsolutePath() const { return hasPrefix("/"); }
    NSString stringByExpandingTildeInPath() const;
    NSString stringByStandardizingPath() const;

    // Writes the text; creates nothing but the file itself.
    bool writeToFile(const NSString& path, bool atomically, NSStringEncoding encoding,
        NSErrorPointer error = nullptr) const;

    NSString description() const { return *this; }
    NSString copy() const;
    std::shared_ptr<NSMutableString> mutableCopy() const;

    friend bool operator==(const NSString& a, const NSString& b) { return a.isEqualToString(b) || (a.isNil() && b.isNil()); }
    friend bool operator==(const NSString& a, const char* b) { return a == NSString(b); }
    friend bool operator==(const NSString& a, std::nullptr_t) { return a.isNil(); }
    friend std::strong_ordering operator<=>(const NSString& a, const NSString& b) { return a.view() <=> b.view(); }
    friend NSString operator+(const NSString& a, const NSString& b) { return a.stringByAppendingString(b); }

private:
    std::shared_ptr<NSStringObject> m_object;
};

// The string object that NSString handles share; also what an `id` holds for text. Unchanging
// text is one allocation: the units follow the object (withUnits). A mutable string keeps them in
// a buffer of its own.
class NSStringObject : public NSObject {
    NS_OBJECT(NSStringObject, NSObject)
public:
    std::u16string_view characters() const;

    // Unchanging text holding a copy of the units, in one allocation with them.
    static std::shared_ptr<NSStringObject> withUnits(std::u16string_view units);
    // Unchanging text of `length` units for the caller to write at once through `units`,
    // before the object is shared.
    static std::shared_ptr<NSStringObject> withLength(NSUInteger length, char16_t*& units);

    NSString description() const override;
    bool isEqual(const id& other) const override;
    NSUInteger hash() const override;
    id copy() const override;
    id mutableCopy() const override;

    // For the allocation that places the units after the object; not for other callers.
    NSStringObject(PassKey<NSStringObject>, std::uint32_t length) : m_length(length), m_inline(true) { }

protected:
    // Of the units that follow the object, when they do; a mutable string has them in its buffer.
    std::uint32_t m_length { 0 };
    bool m_inline { true };
};

class NSMutableString final : public NSStringObject {
    NS_OBJECT(NSMutableString, NSStringObject)
public:
    static std::shared_ptr<NSMutableString> string() { return create(); }
    static std::shared_ptr<NSMutableString> stringWithString(const NSString& text);
    static std::shared_ptr<NSMutableString> stringWithCapacity(NSUInteger capacity);

    NSUInteger length() const { return m_buffer.size(); }
    void appendString(const NSString& text);
    template <class... Args>
    void appendFormat(const char* format, const Args&... args);
    void insertString(const NSString& text, NSUInteger index);
    void deleteCharactersInRange(NSRange range);
    void replaceCharactersInRange(NSRange range, const NSString& text);
    NSUInteger replaceOccurrencesOfString(const NSString& target, const NSString& replacement,
        NSStringCompareOptions options, NSRange range);
    void setString(const NSString& text);

    id copy() const override;

protected:
    void init() { m_inline = false; }
    void init(const NSString& text)
    {
        m_inline = false;
        m_buffer = text.view();
    }

private:
    friend class NSStringObject;
    void setBuffer(std::u16string buffer);

    std::u16string m_buffer;
};

inline std::u16string_view NSStringObject::characters() const
{
    if (m_inline)
        return { reinterpret_cast<const char16_t*>(this + 1), m_length };
    return static_cast<const NSMutableString*>(this)->m_buffer;
}

inline NSString::NSString(std::shared_ptr<NSMutableString> object) : m_object(std::move(object)) { }

// Writes the text as UTF-8 ("(null)" for nil), for logs and test failures.
std::ostream& operator<<(std::ostream& stream, const NSString& text);

template <>
struct std::hash<NSString> {
    std::size_t operator()(const NSString& text) const noexcept { return text.hash(); }
};

// UTF conversion used at the edges; invalid input becomes U+FFFD.
namespace ns {
std::u16string utf16FromUTF8(std::string_view utf8);
std::string utf8FromUTF16(std::u16string_view utf16);
// Strict: false when the bytes are not well-formed UTF-8.
bool utf16FromUTF8Strict(std::string_view utf8, std::u16string& out);
// The hash every string shares, whatever holds its units: keyed per process, so it differs
// between runs.
NSUInteger hashUnits(std::u16string_view units);
// Tests only, while no hashed collection is alive: a fixed key so hashes repeat from run to run;
// answers the key it replaces, to be put back.
std::pair<std::uint64_t, std::uint64_t> setStringHashKeyForTesting(std::uint64_t k0, std::uint64_t k1);
// Readable UTF-8 of any object for logs: the description, "(null)" for nil.
std::string describe(const id& object);
} // namespace ns

#include "platform/foundation/NSStringFormat.h"
