#pragma once
// Finds, in running text, what the checking types ask for:
// - links: addresses with a scheme (http, https, ftp), web addresses without one
//   ("www.x.gov.cn", "example.com/path") and mail addresses. An address ends at the first
//   character that cannot stand in a URL, so Chinese text right next to it stays out of the link;
// - phone numbers: mobile numbers, numbers with an area code, 400/800 service numbers;
// - dates: "2015-04-15", "2015/4/15", "2015年4月15日", "4月15日" (this year), each with an optional
//   time "14:30", in the default time zone; impossible dates are no dates;
// - addresses: a street address ending in a house number ("成都市武侯区科华北路65号"), with its
//   state, city and street as components;
// - transit information: flight numbers of the common carriers ("CA4103"), airline and flight.

#include "platform/foundation/NSRegularExpression.h"

class NSDataDetector : public NSRegularExpression {
    NS_OBJECT(NSDataDetector, NSRegularExpression)
public:
    // Nil, with an error, for types that are not data-detector types.
    static std::shared_ptr<NSDataDetector> dataDetectorWithTypes(NSTextCheckingTypes checkingTypes, NSErrorPointer error = nullptr);

    NSTextCheckingTypes checkingTypes() const { return m_checkingTypes; }

protected:
    bool init(NSTextCheckingTypes checkingTypes, NSErrorPointer error);
    std::shared_ptr<NSTextCheckingResult> resultForMatch(const icu::RegexMatcher& matcher, const NSString& string) const override;

private:
    NSTextCheckingTypes m_checkingTypes { 0 };
    // The capture group of each enabled type in the combined pattern.
    std::vector<std::pair<NSTextCheckingType, int32_t>> m_groups;
};
