#pragma once
// Finds links in running text: addresses with a scheme (http, https, ftp), web addresses without
// one ("www.x.gov.cn", "example.com/path") and mail addresses. An address ends at the first
// character that cannot stand in a URL, so Chinese text right next to it stays out of the link.
// Other checking types are accepted and find nothing.

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
};
