#pragma once
// A locale identifier with the conventions ICU knows for it. The device's locale is zh_CN; tests
// may set another. Wire formats use en_US_POSIX whatever the device's locale.

#include "platform/foundation/NSString.h"

#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class Locale;
U_NAMESPACE_END

class NSArray;

using NSLocaleKey = const char*;
inline constexpr NSLocaleKey NSLocaleIdentifier = "locale";
inline constexpr NSLocaleKey NSLocaleLanguageCode = "languageCode";
inline constexpr NSLocaleKey NSLocaleCountryCode = "countryCode";
inline constexpr NSLocaleKey NSLocaleScriptCode = "scriptCode";
inline constexpr NSLocaleKey NSLocaleVariantCode = "variantCode";
inline constexpr NSLocaleKey NSLocaleCalendar = "calendar";
inline constexpr NSLocaleKey NSLocaleDecimalSeparator = "decimal";
inline constexpr NSLocaleKey NSLocaleGroupingSeparator = "grouping";
inline constexpr NSLocaleKey NSLocaleCurrencySymbol = "currencySymbol";
inline constexpr NSLocaleKey NSLocaleCurrencyCode = "currency";
inline constexpr NSLocaleKey NSLocaleUsesMetricSystem = "measurement";

class NSLocale : public NSObject {
    NS_OBJECT(NSLocale, NSObject)
public:
    static std::shared_ptr<NSLocale> localeWithLocaleIdentifier(const NSString& identifier) { return create(identifier); }
    // The device's locale: zh_CN unless set.
    static std::shared_ptr<NSLocale> currentLocale();
    static std::shared_ptr<NSLocale> autoupdatingCurrentLocale() { return currentLocale(); }
    // Changes the device's locale, as a user would in the settings; nil puts zh_CN back.
    static void setCurrentLocale(const std::shared_ptr<NSLocale>& locale);
    // The neutral root locale (identifier ""), as the platform's system locale is.
    static std::shared_ptr<NSLocale> systemLocale();
    // Language tags of the device's language ("zh-Hans" for zh_CN), most preferred first.
    static std::shared_ptr<NSArray> preferredLanguages();

    const NSString& localeIdentifier() const { return m_identifier; }
    // Text for the code and separator keys, a number for NSLocaleUsesMetricSystem, the
    // locale's calendar for NSLocaleCalendar; nil for other keys and absent parts.
    id objectForKey(const NSString& key) const;

    NSString languageCode() const;
    NSString countryCode() const;
    NSString scriptCode() const;
    NSString calendarIdentifier() const;
    NSString decimalSeparator() const;
    NSString groupingSeparator() const;
    NSString currencySymbol() const;
    NSString currencyCode() const;
    bool usesMetricSystem() const;

    const icu::Locale& icuLocale() const { return *m_locale; }

    NSString description() const override { return m_identifier; }
    bool isEqual(const id& other) const override;
    NSUInteger hash() const override { return m_identifier.hash(); }
    id copy() const override;

protected:
    void init(const NSString& identifier);

private:
    NSString m_identifier;
    std::shared_ptr<const icu::Locale> m_locale;
};
