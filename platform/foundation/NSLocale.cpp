#include "platform/foundation/NSLocale.h"

#include "platform/foundation/Guarded.h"
#include "platform/foundation/ICUBridge.h"
#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSCalendar.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NeverDestroyed.h"

#include <unicode/calendar.h>
#include <unicode/dcfmtsym.h>
#include <unicode/locid.h>
#include <unicode/ulocdata.h>


namespace {

constexpr const char* deviceLocaleIdentifier = "zh_CN";

// Nil until first asked for or set.
Guarded<std::shared_ptr<NSLocale>>& currentLocaleStore()
{
    static NeverDestroyed<Guarded<std::shared_ptr<NSLocale>>> shared;
    return shared.get();
}

NSString nonEmpty(const char* text) { return text && *text ? NSString(text) : NSString(); }

} // namespace

void NSLocale::init(const NSString& identifier)
{
    m_identifier = identifier.isNil() ? NSString("") : identifier;
    // Identifiers come as "zh_CN", "zh-Hans_CN" or "en_US_POSIX"; ICU reads all of them.
    m_locale = std::make_shared<const icu::Locale>(icu::Locale::createCanonical(m_identifier.UTF8String().c_str()));
}

std::shared_ptr<NSLocale> NSLocale::currentLocale()
{
    auto locale = currentLocaleStore().lock();
    if (!*locale)
        *locale = create(NSString(deviceLocaleIdentifier));
    return *locale;
}

void NSLocale::setCurrentLocale(const std::shared_ptr<NSLocale>& locale)
{
    // The locale it replaces goes after the lock.
    auto replaced = locale;
    std::swap(*currentLocaleStore().lock(), replaced);
}

std::shared_ptr<NSLocale> NSLocale::systemLocale()
{
    static const NeverDestroyed<std::shared_ptr<NSLocale>> system(create(NSString("")));
    return system.get();
}

std::shared_ptr<NSArray> NSLocale::preferredLanguages()
{
    const auto locale = currentLocale();
    NSString language = locale->languageCode();
    if (language == "zh") {
        NSString script = locale->scriptCode();
        if (script.isNil()) {
            NSString country = locale->countryCode();
            script = (country == "TW" || country == "HK" || country == "MO") ? "Hant" : "Hans";
        }
        language = language + "-" + script;
    }
    return NSArray::arrayWithObject(language.isNil() ? NSString("en") : language);
}

id NSLocale::objectForKey(const NSString& key) const
{
    if (key == NSLocaleIdentifier)
        return m_identifier;
    if (key == NSLocaleLanguageCode)
        return languageCode();
    if (key == NSLocaleCountryCode)
        return countryCode();
    if (key == NSLocaleScriptCode)
        return scriptCode();
    if (key == NSLocaleVariantCode)
        return nonEmpty(m_locale->getVariant());
    if (key == NSLocaleCalendar) {
        auto calendar = NSCalendar::calendarWithIdentifier(calendarIdentifier());
        if (calendar)
            calendar->setLocale(std::const_pointer_cast<NSLocale>(self()));
        return calendar;
    }
    if (key == NSLocaleDecimalSeparator)
        return decimalSeparator();
    if (key == NSLocaleGroupingSeparator)
        return groupingSeparator();
    if (key == NSLocaleCurrencySymbol)
        return currencySymbol();
    if (key == NSLocaleCurrencyCode)
        return currencyCode();
    if (key == NSLocaleUsesMetricSystem)
        return NSNumber::numberWithBool(usesMetricSystem());
    return nullptr;
}

NSString NSLocale::languageCode() const { return nonEmpty(m_locale->getLanguage()); }
NSString NSLocale::countryCode() const { return nonEmpty(m_locale->getCountry()); }
NSString NSLocale::scriptCode() const { return nonEmpty(m_locale->getScript()); }

NSString NSLocale::calendarIdentifier() const
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(*m_locale, status));
    return U_SUCCESS(status) ? NSString(calendar->getType()) : NSString(NSCalendarIdentifierGregorian);
}

namespace {

NSString symbol(const icu::Locale& locale, icu::DecimalFormatSymbols::ENumberFormatSymbol which)
{
    UErrorCode status = U_ZERO_ERROR;
    icu::DecimalFormatSymbols symbols(locale, status);
    return U_SUCCESS(status) ? ns::stringFromUnicode(symbols.getSymbol(which)) : NSString();
}

} // namespace

NSString NSLocale::decimalSeparator() const { return symbol(*m_locale, icu::DecimalFormatSymbols::kDecimalSeparatorSymbol); }
NSString NSLocale::groupingSeparator() const { return symbol(*m_locale, icu::DecimalFormatSymbols::kGroupingSeparatorSymbol); }
NSString NSLocale::currencySymbol() const { return symbol(*m_locale, icu::DecimalFormatSymbols::kCurrencySymbol); }

NSString NSLocale::currencyCode() const
{
    // Only a locale with a region has a currency.
    if (countryCode().isNil())
        return nullptr;
    return symbol(*m_locale, icu::DecimalFormatSymbols::kIntlCurrencySymbol);
}

bool NSLocale::usesMetricSystem() const
{
    UErrorCode status = U_ZERO_ERROR;
    const UMeasurementSystem system = ulocdata_getMeasurementSystem(m_locale->getName(), &status);
    return U_FAILURE(status) || system == UMS_SI;
}

bool NSLocale::isEqual(const id& other) const
{
    auto locale = ns::cast<NSLocale>(other);
    return locale && locale->m_identifier == m_identifier;
}

id NSLocale::copy() const { return std::const_pointer_cast<NSLocale>(self()); }
