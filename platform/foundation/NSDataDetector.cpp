#include "platform/foundation/NSDataDetector.h"

#include "platform/foundation/NSCalendar.h"
#include "platform/foundation/NSDateComponents.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSTimeZone.h"

#include <unicode/regex.h>

#include <string>

namespace {

constexpr NSTextCheckingTypes detectorTypes = NSTextCheckingTypeDate | NSTextCheckingTypeAddress | NSTextCheckingTypeLink
    | NSTextCheckingTypePhoneNumber | NSTextCheckingTypeTransitInformation;

// ASCII classes throughout: Unicode letters would pull neighbouring Chinese text into the link.
#define URL_CHARACTERS "[A-Za-z0-9\\-._~:/?#\\[\\]@!$&'()*+,;=%]"
#define HOST_LABEL "[A-Za-z0-9](?:[A-Za-z0-9\\-]*[A-Za-z0-9])?"
#define PORT_AND_PATH "(?::[0-9]{1,5})?(?:[/?#]" URL_CHARACTERS "*)?"

constexpr const char* linkPattern =
    "(?<![A-Za-z0-9.@_%+\\-/])(?:"
    "(?:https?|ftp)://" URL_CHARACTERS "+"
    "|www\\." HOST_LABEL "(?:\\." HOST_LABEL ")+" PORT_AND_PATH
    "|[A-Za-z0-9._%+\\-]+@" HOST_LABEL "(?:\\." HOST_LABEL ")*\\.[A-Za-z]{2,}(?![A-Za-z0-9\\-])"
    "|(?:" HOST_LABEL "\\.)+(?:com|net|org|edu|gov|mil|int|info|biz|name|mobi|io|me|cc|tv|cn|hk|tw|mo|jp|kr|uk|us|de|fr)"
    "(?![A-Za-z0-9\\-])" PORT_AND_PATH
    ")";

// Mobile numbers (with an optional country code), numbers with an area code and an optional
// extension, and service numbers; never part of a longer run of digits.
constexpr const char* phonePattern =
    "(?<![0-9\\-+])(?:"
    "(?:\\+?86[ \\-]?)?1[3-9][0-9][ \\-]?[0-9]{4}[ \\-]?[0-9]{4}"
    "|(?:\\(0[0-9]{2,3}\\)|0[0-9]{2,3})[ \\-]?[0-9]{7,8}(?:-[0-9]{1,4})?"
    "|[48]00[ \\-]?[0-9]{3}[ \\-]?[0-9]{4}"
    ")(?![0-9])";

constexpr const char* datePattern =
    "(?<![0-9.\\-/])(?:"
    "[0-9]{4}(?:\\-[0-9]{1,2}\\-[0-9]{1,2}|/[0-9]{1,2}/[0-9]{1,2}|\\.[0-9]{1,2}\\.[0-9]{1,2})"
    "|(?:[0-9]{4} ?年 ?)?[0-9]{1,2} ?月 ?[0-9]{1,2} ?[日号]"
    ")(?:[ T]?[0-9]{1,2}[:：][0-9]{2})?(?![0-9.\\-/])";

// The place names before the street hold no word that leads up to a place ("在", "到"), so the
// sentence around an address stays out of it.
#define PLACE "[\\p{Han}&&[^在于到至从往去是的]]"
constexpr const char* addressPattern =
    "(?:" PLACE "{2,7}?(?:省|自治区))?(?:" PLACE "{2,7}?市)?" PLACE "{1,7}?(?:区|县)\\p{Han}{1,12}?(?:路|街|大道|巷)[0-9]{1,5}号";

constexpr const char* transitPattern =
    "(?-i:(?<![A-Za-z0-9])(?:CA|MU|CZ|HU|3U|ZH|MF|SC|FM|KN|8L|HO|GS|JD|PN|EU|G5|TV|KY|BK|QW|NS|DR|9C|DZ|GJ|UQ|GX|OQ) ?[0-9]{3,4}(?![A-Za-z0-9]))";

std::vector<int> numbersIn(std::u16string_view text)
{
    std::vector<int> numbers;
    int value = -1;
    for (char16_t unit : text) {
        if (unit >= u'0' && unit <= u'9') {
            value = (value < 0 ? 0 : value) * 10 + (unit - u'0');
            if (value > 100000)
                value = 100000;
        } else if (value >= 0) {
            numbers.push_back(value);
            value = -1;
        }
    }
    if (value >= 0)
        numbers.push_back(value);
    return numbers;
}

// Nil for a day that does not exist ("2015-02-30") or a time past the day.
std::shared_ptr<NSDate> dateOf(std::u16string_view text)
{
    std::vector<int> numbers = numbersIn(text);
    auto calendar = NSCalendar::calendarWithIdentifier(NSCalendarIdentifierGregorian);
    if (!calendar || numbers.size() < 2)
        return nullptr;
    const bool hasYear = text.size() >= 4 && text[0] >= u'0' && text[0] <= u'9' && numbers.front() >= 1000;
    if (!hasYear)
        numbers.insert(numbers.begin(), static_cast<int>(calendar->component(NSCalendarUnitYear, NSDate::date())));
    if (numbers.size() != 3 && numbers.size() != 5)
        return nullptr;
    const int year = numbers[0], month = numbers[1], day = numbers[2];
    const int hour = numbers.size() == 5 ? numbers[3] : 0, minute = numbers.size() == 5 ? numbers[4] : 0;
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59)
        return nullptr;
    auto components = NSDateComponents::create();
    components->setYear(year);
    components->setMonth(month);
    components->setDay(day);
    components->setHour(hour);
    components->setMinute(minute);
    auto date = calendar->dateFromComponents(components);
    // A day past the month's end carries into the next month: not this date.
    if (!date || calendar->component(NSCalendarUnitDay, date) != day)
        return nullptr;
    return date;
}

std::shared_ptr<NSDictionary> addressOf(const NSString& text)
{
    auto components = NSMutableDictionary::dictionary();
    NSString rest = text;
    for (const char* end : { "自治区", "省" }) {
        const NSRange found = rest.rangeOfString(end);
        if (found.location != NSNotFound) {
            components->setObject(rest.substringToIndex(found.end()), NSString(NSTextCheckingStateKey));
            rest = rest.substringFromIndex(found.end());
            break;
        }
    }
    if (const NSRange city = rest.rangeOfString("市"); city.location != NSNotFound) {
        components->setObject(rest.substringToIndex(city.end()), NSString(NSTextCheckingCityKey));
        rest = rest.substringFromIndex(city.end());
    }
    components->setObject(rest, NSString(NSTextCheckingStreetKey));
    return components;
}

bool isTrailingPunctuation(char16_t unit) { return std::u16string_view(u".,;:!?'\"").find(unit) != std::u16string_view::npos; }

} // namespace

std::shared_ptr<NSDataDetector> NSDataDetector::dataDetectorWithTypes(NSTextCheckingTypes checkingTypes, NSErrorPointer error)
{
    return create(checkingTypes, error);
}

bool NSDataDetector::init(NSTextCheckingTypes checkingTypes, NSErrorPointer error)
{
    if (checkingTypes == 0 || (checkingTypes & ~detectorTypes)) {
        NSSetError(error, NSError::errorWithDomain(NSCocoaErrorDomain, NSFormattingError, "The checking types are not data-detector types."));
        return false;
    }
    // One pattern of the enabled kinds, each in its own group; links first, so that the digits
    // of an address's path are not taken for a phone number or a date.
    std::string combined;
    int32_t group = 0;
    for (const auto& [type, pattern] : { std::pair { NSTextCheckingTypeLink, linkPattern }, std::pair { NSTextCheckingTypeDate, datePattern },
             std::pair { NSTextCheckingTypePhoneNumber, phonePattern }, std::pair { NSTextCheckingTypeAddress, addressPattern },
             std::pair { NSTextCheckingTypeTransitInformation, transitPattern } }) {
        if (!(checkingTypes & type))
            continue;
        combined += (combined.empty() ? "(" : "|(") + std::string(pattern) + ")";
        m_groups.emplace_back(type, ++group);
    }
    if (!super::init(NSString(combined.c_str()), NSRegularExpressionCaseInsensitive, error))
        return false;
    m_checkingTypes = checkingTypes;
    return true;
}

std::shared_ptr<NSTextCheckingResult> NSDataDetector::resultForMatch(const icu::RegexMatcher& matcher, const NSString& string) const
{
    UErrorCode status = U_ZERO_ERROR;
    const auto start = static_cast<std::size_t>(matcher.start(status));
    auto end = static_cast<std::size_t>(matcher.end(status));
    if (U_FAILURE(status) || end <= start)
        return nullptr;
    const std::u16string_view text = string.view();
    NSTextCheckingType type = 0;
    for (const auto& [kind, group] : m_groups) {
        if (matcher.start(group, status) >= 0 && U_SUCCESS(status)) {
            type = kind;
            break;
        }
    }
    const NSRange range = NSMakeRange(start, end - start);
    const std::u16string_view found = text.substr(start, end - start);
    switch (type) {
    case NSTextCheckingTypePhoneNumber:
        return NSTextCheckingResult::phoneNumberCheckingResultWithRange(range, NSString(std::u16string(found)));
    case NSTextCheckingTypeDate:
        if (auto date = dateOf(found))
            return NSTextCheckingResult::dateCheckingResultWithRange(range, date);
        return nullptr;
    case NSTextCheckingTypeAddress:
        return NSTextCheckingResult::addressCheckingResultWithRange(range, addressOf(NSString(std::u16string(found))));
    case NSTextCheckingTypeTransitInformation: {
        std::u16string code;
        for (char16_t unit : found)
            if (unit != u' ')
                code += unit;
        auto components = NSMutableDictionary::dictionary();
        components->setObject(NSString(code.substr(0, 2)), NSString(NSTextCheckingAirlineKey));
        components->setObject(NSString(code.substr(2)), NSString(NSTextCheckingFlightKey));
        return NSTextCheckingResult::transitInformationCheckingResultWithRange(range, components);
    }
    case NSTextCheckingTypeLink:
        break;
    default:
        return nullptr;
    }
    // Sentence punctuation after an address, and a closing bracket that opened before it, are
    // not part of it.
    while (end > start) {
        const char16_t last = text[end - 1];
        const std::u16string_view link = text.substr(start, end - start);
        const bool unbalanced = (last == u')' && std::count(link.begin(), link.end(), u'(') < std::count(link.begin(), link.end(), u')'))
            || (last == u']' && std::count(link.begin(), link.end(), u'[') < std::count(link.begin(), link.end(), u']'));
        if (!isTrailingPunctuation(last) && !unbalanced)
            break;
        --end;
    }
    const NSString link(std::u16string(text.substr(start, end - start)));
    NSString URL = link;
    const NSString lower = link.lowercaseString();
    if (!lower.hasPrefix("http://") && !lower.hasPrefix("https://") && !lower.hasPrefix("ftp://"))
        URL = (link.containsString("@") && !link.containsString("/") ? NSString("mailto:") : NSString("http://")) + link;
    return NSTextCheckingResult::linkCheckingResultWithRange(NSMakeRange(start, end - start), URL);
}
