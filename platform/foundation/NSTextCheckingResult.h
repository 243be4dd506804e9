#pragma once
// One finding of a regular expression or a data detector: its type, its ranges (UTF-16 units of
// the searched text) and what was found there.

#include "platform/foundation/NSDate.h"

#include <vector>

class NSDictionary;
class NSRegularExpression;
class NSTimeZone;

using NSTextCheckingType = std::uint64_t;
enum : NSTextCheckingType {
    NSTextCheckingTypeOrthography = 1ull << 0,
    NSTextCheckingTypeSpelling = 1ull << 1,
    NSTextCheckingTypeGrammar = 1ull << 2,
    NSTextCheckingTypeDate = 1ull << 3,
    NSTextCheckingTypeAddress = 1ull << 4,
    NSTextCheckingTypeLink = 1ull << 5,
    NSTextCheckingTypeQuote = 1ull << 6,
    NSTextCheckingTypeDash = 1ull << 7,
    NSTextCheckingTypeReplacement = 1ull << 8,
    NSTextCheckingTypeCorrection = 1ull << 9,
    NSTextCheckingTypeRegularExpression = 1ull << 10,
    NSTextCheckingTypePhoneNumber = 1ull << 11,
    NSTextCheckingTypeTransitInformation = 1ull << 12,
};
using NSTextCheckingTypes = std::uint64_t;

// Keys of the components of an address and of transit information.
inline constexpr const char* NSTextCheckingNameKey = "Name";
inline constexpr const char* NSTextCheckingStreetKey = "Street";
inline constexpr const char* NSTextCheckingCityKey = "City";
inline constexpr const char* NSTextCheckingStateKey = "State";
inline constexpr const char* NSTextCheckingAirlineKey = "Airline";
inline constexpr const char* NSTextCheckingFlightKey = "Flight";
inline constexpr NSTextCheckingTypes NSTextCheckingAllSystemTypes = 0xffffffffull;
inline constexpr NSTextCheckingTypes NSTextCheckingAllCustomTypes = 0xffffffffull << 32;
inline constexpr NSTextCheckingTypes NSTextCheckingAllTypes = NSTextCheckingAllSystemTypes | NSTextCheckingAllCustomTypes;

class NSTextCheckingResult : public NSObject {
    NS_OBJECT(NSTextCheckingResult, NSObject)
public:
    // The first range is the whole match, the others the capture groups ({NSNotFound, 0} for a
    // group that took no part).
    static std::shared_ptr<NSTextCheckingResult> regularExpressionCheckingResultWithRanges(std::vector<NSRange> ranges,
        const std::shared_ptr<const NSRegularExpression>& regularExpression);
    // A link to a URL object (which the URL layer makes) or to a URL's text.
    static std::shared_ptr<NSTextCheckingResult> linkCheckingResultWithRange(NSRange range, const id& URL);
    static std::shared_ptr<NSTextCheckingResult> linkCheckingResultWithRange(NSRange range, const NSString& URLString);
    static std::shared_ptr<NSTextCheckingResult> addressCheckingResultWithRange(NSRange range, const std::shared_ptr<NSDictionary>& components);
    static std::shared_ptr<NSTextCheckingResult> phoneNumberCheckingResultWithRange(NSRange range, const NSString& phoneNumber);
    static std::shared_ptr<NSTextCheckingResult> dateCheckingResultWithRange(NSRange range, const std::shared_ptr<NSDate>& date);
    static std::shared_ptr<NSTextCheckingResult> dateCheckingResultWithRange(NSRange range, const std::shared_ptr<NSDate>& date,
        const std::shared_ptr<NSTimeZone>& timeZone, NSTimeInterval duration);
    static std::shared_ptr<NSTextCheckingResult> transitInformationCheckingResultWithRange(NSRange range,
        const std::shared_ptr<NSDictionary>& components);

    NSTextCheckingType resultType() const { return m_type; }
    NSRange range() const { return m_ranges.empty() ? NSRange { NSNotFound, 0 } : m_ranges.front(); }
    NSUInteger numberOfRanges() const { return m_ranges.size(); }
    // {NSNotFound, 0} past the last range.
    NSRange rangeAtIndex(NSUInteger index) const;
    std::shared_ptr<const NSRegularExpression> regularExpression() const { return m_regularExpression; }

    // The URL object a link was made with; nil for links found in text, whose URL the URL layer
    // makes from URLString().
    const id& URL() const { return m_URL; }
    // The link's address: with a scheme always ("http://www.x.gov.cn", "mailto:a@b.cn").
    NSString URLString() const;
    const std::shared_ptr<NSDictionary>& addressComponents() const { return m_components; }
    const std::shared_ptr<NSDictionary>& components() const { return m_components; }
    const NSString& phoneNumber() const { return m_phoneNumber; }
    const std::shared_ptr<NSDate>& date() const { return m_date; }
    const std::shared_ptr<NSTimeZone>& timeZone() const { return m_timeZone; }
    NSTimeInterval duration() const { return m_duration; }

    // The same finding with every found range moved by the offset.
    std::shared_ptr<NSTextCheckingResult> resultByAdjustingRangesWithOffset(NSInteger offset) const;

    NSString description() const override;
    id copy() const override { return std::const_pointer_cast<NSTextCheckingResult>(self()); }

private:
    static std::shared_ptr<NSTextCheckingResult> make(NSTextCheckingType type, NSRange range);

    NSTextCheckingType m_type { 0 };
    std::vector<NSRange> m_ranges;
    std::shared_ptr<const NSRegularExpression> m_regularExpression;
    id m_URL;
    NSString m_URLString;
    std::shared_ptr<NSDictionary> m_components;
    NSString m_phoneNumber;
    std::shared_ptr<NSDate> m_date;
    std::shared_ptr<NSTimeZone> m_timeZone;
    NSTimeInterval m_duration { 0 };
};
