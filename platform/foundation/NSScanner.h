#pragma once
// Reads numbers and pieces of text from a string, left to right. Each scan first skips the
// characters to be skipped (white space and newlines by default); a scan that finds nothing
// answers false and leaves the position where it was.

#include "platform/foundation/NSDecimal.h"
#include "platform/foundation/NSString.h"

class NSCharacterSet;

class NSScanner : public NSObject {
    NS_OBJECT(NSScanner, NSObject)
public:
    static std::shared_ptr<NSScanner> scannerWithString(const NSString& string) { return create(string); }

    const NSString& string() const { return m_string; }
    NSUInteger scanLocation() const { return m_location; }
    void setScanLocation(NSUInteger location);
    const std::shared_ptr<NSCharacterSet>& charactersToBeSkipped() const { return m_charactersToBeSkipped; }
    void setCharactersToBeSkipped(const std::shared_ptr<NSCharacterSet>& characters) { m_charactersToBeSkipped = characters; }
    bool caseSensitive() const { return m_caseSensitive; }
    void setCaseSensitive(bool caseSensitive) { m_caseSensitive = caseSensitive; }
    // Only characters to be skipped remain.
    bool isAtEnd() const;

    // Decimal integers with an optional sign; values beyond the type give its limit and still succeed.
    bool scanInt(int* result);
    bool scanInteger(NSInteger* result);
    bool scanLongLong(long long* result);
    bool scanUnsignedLongLong(unsigned long long* result);
    // Hexadecimal digits, after an optional "0x" or "0X"; values beyond the type give its maximum.
    bool scanHexInt(unsigned* result);
    bool scanHexLongLong(unsigned long long* result);
    // A sign, digits with an optional '.', an optional exponent; never the C locale's separator.
    bool scanFloat(float* result);
    bool scanDouble(double* result);
    bool scanDecimal(NSDecimal* result);

    bool scanString(const NSString& string, NSString* intoString);
    // Everything before the first occurrence of the text (or to the end); false when that is nothing.
    bool scanUpToString(const NSString& string, NSString* intoString);
    bool scanCharactersFromSet(const NSCharacterSet& set, NSString* intoString);
    bool scanUpToCharactersFromSet(const NSCharacterSet& set, NSString* intoString);

    id copy() const override;

protected:
    void init(const NSString& string);

private:
    // The position after the characters to be skipped.
    std::size_t skipped() const;
    // Reads the text of a floating-point number at `position`; empty when there is none.
    bool scanSignedDecimal(long long minimum, long long maximum, long long* result);
    // Reads the characters that are (or, with `members` false, are not) in the set.
    bool scanWhileMembership(const NSCharacterSet& set, bool members, NSString* intoString);
    // Hands out the text from `position` to `end` and moves past it; false when that is nothing.
    bool take(std::size_t position, std::size_t end, NSString* intoString);

    NSString m_string;
    NSUInteger m_location { 0 };
    std::shared_ptr<NSCharacterSet> m_charactersToBeSkipped;
    bool m_caseSensitive { false };
};
