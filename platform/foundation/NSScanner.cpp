#include "platform/foundation/HexDigits.h"
#include "platform/foundation/NSScanner.h"
#include "platform/foundation/NumberText.h"

#include "platform/foundation/NSCharacterSet.h"

#include <charconv>
#include <climits>
#include <cmath>

namespace {

bool isDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

char16_t folded(char16_t unit) { return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 32) : unit; }

} // namespace

void NSScanner::init(const NSString& string)
{
    m_string = string.isNil() ? NSString("") : string;
    m_charactersToBeSkipped = NSCharacterSet::whitespaceAndNewlineCharacterSet();
}

void NSScanner::setScanLocation(NSUInteger location) { m_location = std::min<NSUInteger>(location, m_string.length()); }

std::size_t NSScanner::skipped() const
{
    const std::u16string_view text = m_string.view();
    std::size_t position = m_location;
    if (!m_charactersToBeSkipped)
        return position;
    while (position < text.size() && m_charactersToBeSkipped->characterIsMember(text[position]))
        ++position;
    return position;
}

bool NSScanner::isAtEnd() const { return skipped() >= m_string.length(); }

bool NSScanner::scanSignedDecimal(long long minimum, long long maximum, long long* result)
{
    const std::u16string_view text = m_string.view();
    std::size_t position = skipped();
    bool negative = false;
    if (position < text.size() && (text[position] == u'-' || text[position] == u'+'))
        negative = text[position++] == u'-';
    if (position >= text.size() || !isDigit(text[position]))
        return false;
    // Accumulated as a negative number, whose range includes the most negative value.
    long long value = 0;
    bool overflow = false;
    for (; position < text.size() && isDigit(text[position]); ++position) {
        const int digit = text[position] - u'0';
        if (!overflow && (value < (LLONG_MIN + digit) / 10))
            overflow = true;
        if (!overflow)
            value = value * 10 - digit;
    }
    if (!negative) {
        if (overflow || value == LLONG_MIN)
            value = maximum;
        else
            value = std::min(-value, maximum);
    } else {
        value = overflow ? minimum : std::max(value, minimum);
    }
    if (result)
        *result = value;
    m_location = position;
    return true;
}

bool NSScanner::scanInt(int* result)
{
    long long value = 0;
    if (!scanSignedDecimal(INT_MIN, INT_MAX, &value))
        return false;
    if (result)
        *result = static_cast<int>(value);
    return true;
}

bool NSScanner::scanInteger(NSInteger* result)
{
    long long value = 0;
    if (!scanSignedDecimal(LLONG_MIN, LLONG_MAX, &value))
        return false;
    if (result)
        *result = value;
    return true;
}

bool NSScanner::scanLongLong(long long* result) { return scanSignedDecimal(LLONG_MIN, LLONG_MAX, result); }

bool NSScanner::scanUnsignedLongLong(unsigned long long* result)
{
    const std::u16string_view text = m_string.view();
    std::size_t position = skipped();
    if (position < text.size() && text[position] == u'+')
        ++position;
    if (position >= text.size() || !isDigit(text[position]))
        return false;
    unsigned long long value = 0;
    for (; position < text.size() && isDigit(text[position]); ++position) {
        const unsigned digit = text[position] - u'0';
        value = value > (ULLONG_MAX - digit) / 10 ? ULLONG_MAX : value * 10 + digit;
    }
    if (result)
        *result = value;
    m_location = position;
    return true;
}

bool NSScanner::scanHexLongLong(unsigned long long* result)
{
    const std::u16string_view text = m_string.view();
    std::size_t position = skipped();
    // "0x" counts as a prefix only when a hexadecimal digit follows it.
    if (position + 2 < text.size() && text[position] == u'0' && (text[position + 1] == u'x' || text[position + 1] == u'X')
        && ns::hexDigitValue(text[position + 2]) >= 0)
        position += 2;
    if (position >= text.size() || ns::hexDigitValue(text[position]) < 0)
        return false;
    unsigned long long value = 0;
    for (; position < text.size() && ns::hexDigitValue(text[position]) >= 0; ++position)
        value = value > (ULLONG_MAX >> 4) ? ULLONG_MAX : (value << 4) | static_cast<unsigned>(ns::hexDigitValue(text[position]));
    if (result)
        *result = value;
    m_location = position;
    return true;
}

bool NSScanner::scanHexInt(unsigned* result)
{
    unsigned long long value = 0;
    if (!scanHexLongLong(&value))
        return false;
    if (result)
        *result = value > UINT_MAX ? UINT_MAX : static_cast<unsigned>(value);
    return true;
}

bool NSScanner::scanDouble(double* result)
{
    std::size_t position = skipped();
    const auto value = ns::readDouble(m_string.view(), position);
    if (!value)
        return false;
    if (result)
        *result = *value;
    m_location = position;
    return true;
}

bool NSScanner::scanFloat(float* result)
{
    double value = 0;
    if (!scanDouble(&value))
        return false;
    if (result)
        *result = static_cast<float>(value);
    return true;
}

bool NSScanner::scanDecimal(NSDecimal* result)
{
    std::size_t position = skipped();
    NSDecimal value {};
    if (!ns::scanDecimal(m_string.view(), position, value))
        return false;
    if (result)
        *result = value;
    m_location = position;
    return true;
}

bool NSScanner::scanString(const NSString& string, NSString* intoString)
{
    const std::u16string_view text = m_string.view();
    const std::u16string_view wanted = string.view();
    const std::size_t position = skipped();
    if (wanted.empty() || text.size() - position < wanted.size())
        return false;
    for (std::size_t index = 0; index < wanted.size(); ++index) {
        const char16_t found = text[position + index];
        if (m_caseSensitive ? found != wanted[index] : folded(found) != folded(wanted[index]))
            return false;
    }
    if (intoString)
        *intoString = NSString(std::u16string(text.substr(position, wanted.size())));
    m_location = position + wanted.size();
    return true;
}

bool NSScanner::scanUpToString(const NSString& string, NSString* intoString)
{
    const std::u16string_view text = m_string.view();
    const std::size_t position = skipped();
    if (position >= text.size())
        return false;
    NSUInteger end = text.size();
    if (string.length() > 0) {
        const NSRange found = m_string.rangeOfString(string, m_caseSensitive ? NSStringCompareOptions { 0 } : NSStringCompareOptions { NSCaseInsensitiveSearch },
            NSMakeRange(position, text.size() - position));
        if (found.location != NSNotFound)
            end = found.location;
    }
    return take(position, end, intoString);
}

bool NSScanner::scanCharactersFromSet(const NSCharacterSet& set, NSString* intoString)
{
    return scanWhileMembership(set, true, intoString);
}

bool NSScanner::scanUpToCharactersFromSet(const NSCharacterSet& set, NSString* intoString)
{
    return scanWhileMembership(set, false, intoString);
}

bool NSScanner::scanWhileMembership(const NSCharacterSet& set, bool members, NSString* intoString)
{
    const std::u16string_view text = m_string.view();
    const std::size_t position = skipped();
    std::size_t end = position;
    while (end < text.size() && set.characterIsMember(text[end]) == members)
        ++end;
    return take(position, end, intoString);
}

bool NSScanner::take(std::size_t position, std::size_t end, NSString* intoString)
{
    if (end == position)
        return false;
    if (intoString)
        *intoString = NSString(std::u16string(m_string.view().substr(position, end - position)));
    m_location = end;
    return true;
}

id NSScanner::copy() const
{
    auto scanner = create(m_string);
    scanner->m_location = m_location;
    scanner->m_charactersToBeSkipped = m_charactersToBeSkipped;
    scanner->m_caseSensitive = m_caseSensitive;
    return scanner;
}
