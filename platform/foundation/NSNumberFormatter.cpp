#include "platform/foundation/NSNumberFormatter.h"

#include "platform/foundation/ICUBridge.h"
#include "platform/foundation/NSDecimalNumber.h"
#include "platform/foundation/NSLocale.h"
#include "platform/foundation/NSNumber.h"

#include <unicode/decimfmt.h>
#include <unicode/fmtable.h>
#include <unicode/rbnf.h>

#include <cmath>
#include <utility>

namespace {

[[maybe_unused]] const bool registeredForCoding = NSCoder::registerClass<NSNumberFormatter>();

// Far beyond any number a double or decimal holds; larger counts come only from damaged archives.
constexpr std::int64_t maximumDigits = 400;

using Symbol = icu::DecimalFormatSymbols::ENumberFormatSymbol;

std::unique_ptr<icu::NumberFormat> makeStyleFormat(NSNumberFormatterStyle style, const icu::Locale& locale)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::NumberFormat> format;
    switch (style) {
    case NSNumberFormatterNoStyle: {
        // Plain integers in the locale's digits: no grouping, no fraction.
        auto symbols = std::make_unique<icu::DecimalFormatSymbols>(locale, status);
        format = std::make_unique<icu::DecimalFormat>(icu::UnicodeString(u"#"), symbols.release(), status);
        format->setMinimumIntegerDigits(1);
        format->setMaximumFractionDigits(0);
        format->setGroupingUsed(false);
        break;
    }
    case NSNumberFormatterSpellOutStyle:
        format = std::make_unique<icu::RuleBasedNumberFormat>(icu::URBNF_SPELLOUT, locale, status);
        break;
    case NSNumberFormatterOrdinalStyle:
        format = std::make_unique<icu::RuleBasedNumberFormat>(icu::URBNF_ORDINAL, locale, status);
        break;
    default: {
        UNumberFormatStyle icuStyle = UNUM_DECIMAL;
        switch (style) {
        case NSNumberFormatterCurrencyStyle: icuStyle = UNUM_CURRENCY; break;
        case NSNumberFormatterPercentStyle: icuStyle = UNUM_PERCENT; break;
        case NSNumberFormatterScientificStyle: icuStyle = UNUM_SCIENTIFIC; break;
        case NSNumberFormatterCurrencyISOCodeStyle: icuStyle = UNUM_CURRENCY_ISO; break;
        case NSNumberFormatterCurrencyPluralStyle: icuStyle = UNUM_CURRENCY_PLURAL; break;
        case NSNumberFormatterCurrencyAccountingStyle: icuStyle = UNUM_CURRENCY_ACCOUNTING; break;
        default: break;
        }
        format.reset(icu::NumberFormat::createInstance(locale, icuStyle, status));
        break;
    }
    }
    if (U_FAILURE(status) || !format) {
        status = U_ZERO_ERROR;
        format.reset(icu::NumberFormat::createInstance(locale, status));
    }
    return format;
}

NSString symbolOf(const icu::NumberFormat& format, Symbol symbol)
{
    const auto* decimal = dynamic_cast<const icu::DecimalFormat*>(&format);
    return decimal ? ns::stringFromUnicode(decimal->getDecimalFormatSymbols()->getSymbol(symbol)) : NSString();
}

// One half of a pattern: the positive part, or the negative part when the pattern has one.
NSString patternPart(const icu::NumberFormat& format, bool negative)
{
    const auto* decimal = dynamic_cast<const icu::DecimalFormat*>(&format);
    if (!decimal)
        return nullptr;
    icu::UnicodeString pattern;
    decimal->toPattern(pattern);
    const int32_t separator = pattern.indexOf(u';');
    if (!negative)
        return ns::stringFromUnicode(separator < 0 ? pattern : icu::UnicodeString(pattern, 0, separator));
    if (separator < 0)
        return ns::stringFromUnicode(icu::UnicodeString(u"-") + pattern);
    return ns::stringFromUnicode(icu::UnicodeString(pattern, separator + 1));
}

} // namespace

NSString NSNumberFormatter::localizedStringFromNumber(const std::shared_ptr<NSNumber>& number, NSNumberFormatterStyle style)
{
    auto formatter = create();
    formatter->setNumberStyle(style);
    return formatter->stringFromNumber(number);
}

template <class Change>
void NSNumberFormatter::update(Change change)
{
    MutexLocker lock(m_mutex);
    change(m_settings);
    m_format.reset();
}

icu::NumberFormat& NSNumberFormatter::format() const
{
    if (m_format)
        return *m_format;
    const Settings& settings = m_settings;
    const auto locale = settings.locale ? settings.locale : NSLocale::currentLocale();
    std::shared_ptr<icu::NumberFormat> format = makeStyleFormat(settings.style, locale->icuLocale());
    UErrorCode status = U_ZERO_ERROR;
    if (auto* decimal = dynamic_cast<icu::DecimalFormat*>(format.get())) {
        if (settings.positiveFormat || settings.negativeFormat) {
            icu::UnicodeString pattern = ns::unicodeString(settings.positiveFormat ? settings.positiveFormat : patternPart(*decimal, false));
            if (settings.negativeFormat)
                pattern += u';' + ns::unicodeString(settings.negativeFormat);
            decimal->applyPattern(pattern, status);
            status = U_ZERO_ERROR;
        }
        icu::DecimalFormatSymbols symbols(*decimal->getDecimalFormatSymbols());
        auto setSymbol = [&](Symbol symbol, const NSString& value) {
            if (value)
                symbols.setSymbol(symbol, ns::unicodeString(value));
        };
        setSymbol(icu::DecimalFormatSymbols::kGroupingSeparatorSymbol, settings.groupingSeparator);
        setSymbol(icu::DecimalFormatSymbols::kMonetaryGroupingSeparatorSymbol, settings.groupingSeparator);
        setSymbol(icu::DecimalFormatSymbols::kDecimalSeparatorSymbol, settings.decimalSeparator);
        setSymbol(icu::DecimalFormatSymbols::kMonetarySeparatorSymbol, settings.decimalSeparator);
        setSymbol(icu::DecimalFormatSymbols::kCurrencySymbol, settings.currencySymbol);
        setSymbol(icu::DecimalFormatSymbols::kPercentSymbol, settings.percentSymbol);
        setSymbol(icu::DecimalFormatSymbols::kNaNSymbol, settings.notANumberSymbol);
        decimal->setDecimalFormatSymbols(symbols);
        if (settings.currencyCode)
            decimal->setCurrency(ns::unicodeString(settings.currencyCode).getTerminatedBuffer(), status);
        if (settings.usesGroupingSeparator)
            decimal->setGroupingUsed(*settings.usesGroupingSeparator);
        if (settings.groupingSize)
            decimal->setGroupingSize(static_cast<int32_t>(*settings.groupingSize));
        if (settings.roundingMode)
            decimal->setRoundingMode(static_cast<icu::DecimalFormat::ERoundingMode>(*settings.roundingMode));
        if (settings.multiplier)
            decimal->setMultiplier(settings.multiplier->intValue());
        if (settings.positivePrefix)
            decimal->setPositivePrefix(ns::unicodeString(settings.positivePrefix));
        if (settings.positiveSuffix)
            decimal->setPositiveSuffix(ns::unicodeString(settings.positiveSuffix));
        if (settings.negativePrefix)
            decimal->setNegativePrefix(ns::unicodeString(settings.negativePrefix));
        if (settings.negativeSuffix)
            decimal->setNegativeSuffix(ns::unicodeString(settings.negativeSuffix));
    }
    // The larger bound goes first so that ICU does not pull the other one along.
    if (settings.maximumIntegerDigits)
        format->setMaximumIntegerDigits(static_cast<int32_t>(*settings.maximumIntegerDigits));
    if (settings.minimumIntegerDigits)
        format->setMinimumIntegerDigits(static_cast<int32_t>(*settings.minimumIntegerDigits));
    if (settings.maximumFractionDigits)
        format->setMaximumFractionDigits(static_cast<int32_t>(*settings.maximumFractionDigits));
    if (settings.minimumFractionDigits)
        format->setMinimumFractionDigits(static_cast<int32_t>(*settings.minimumFractionDigits));
    format->setLenient(settings.lenient);
    m_format = std::move(format);
    return *m_format;
}

NSNumberFormatterStyle NSNumberFormatter::numberStyle() const
{
    MutexLocker lock(m_mutex);
    return m_settings.style;
}

void NSNumberFormatter::setNumberStyle(NSNumberFormatterStyle style)
{
    update([&](Settings& settings) {
        Settings fresh;
        fresh.style = style;
        fresh.locale = settings.locale;
        fresh.zeroSymbol = settings.zeroSymbol;
        fresh.nilSymbol = settings.nilSymbol;
        fresh.generatesDecimalNumbers = settings.generatesDecimalNumbers;
        fresh.lenient = settings.lenient;
        settings = std::move(fresh);
    });
}

std::shared_ptr<NSLocale> NSNumberFormatter::locale() const
{
    MutexLocker lock(m_mutex);
    return m_settings.locale ? m_settings.locale : NSLocale::currentLocale();
}

void NSNumberFormatter::setLocale(const std::shared_ptr<NSLocale>& locale)
{
    update([&](Settings& settings) { settings.locale = locale; });
}

#define NUMBER_FORMATTER_INTEGER_PROPERTY(getter, setter, field, icuGetter)                         \
    NSUInteger NSNumberFormatter::getter() const                                                     \
    {                                                                                                \
        MutexLocker lock(m_mutex);                                                                   \
        return m_settings.field ? *m_settings.field : static_cast<NSUInteger>(format().icuGetter()); \
    }                                                                                                \
    void NSNumberFormatter::setter(NSUInteger value)                                                 \
    {                                                                                                \
        update([&](Settings& settings) { settings.field = value; });                                \
    }

NUMBER_FORMATTER_INTEGER_PROPERTY(minimumIntegerDigits, setMinimumIntegerDigits, minimumIntegerDigits, getMinimumIntegerDigits)
NUMBER_FORMATTER_INTEGER_PROPERTY(maximumIntegerDigits, setMaximumIntegerDigits, maximumIntegerDigits, getMaximumIntegerDigits)
NUMBER_FORMATTER_INTEGER_PROPERTY(minimumFractionDigits, setMinimumFractionDigits, minimumFractionDigits, getMinimumFractionDigits)
NUMBER_FORMATTER_INTEGER_PROPERTY(maximumFractionDigits, setMaximumFractionDigits, maximumFractionDigits, getMaximumFractionDigits)

bool NSNumberFormatter::usesGroupingSeparator() const
{
    MutexLocker lock(m_mutex);
    return m_settings.usesGroupingSeparator ? *m_settings.usesGroupingSeparator : format().isGroupingUsed();
}

void NSNumberFormatter::setUsesGroupingSeparator(bool uses)
{
    update([&](Settings& settings) { settings.usesGroupingSeparator = uses; });
}

NSUInteger NSNumberFormatter::groupingSize() const
{
    MutexLocker lock(m_mutex);
    if (m_settings.groupingSize)
        return *m_settings.groupingSize;
    const auto* decimal = dynamic_cast<const icu::DecimalFormat*>(&format());
    return decimal ? static_cast<NSUInteger>(decimal->getGroupingSize()) : 0;
}

void NSNumberFormatter::setGroupingSize(NSUInteger size)
{
    update([&](Settings& settings) { settings.groupingSize = size; });
}

#define NUMBER_FORMATTER_TEXT_PROPERTY(getter, setter, field, fallback) \
    NSString NSNumberFormatter::getter() const                        \
    {                                                                 \
        MutexLocker lock(m_mutex);                                    \
        return m_settings.field ? m_settings.field : (fallback);      \
    }                                                                 \
    void NSNumberFormatter::setter(const NSString& value)             \
    {                                                                 \
        update([&](Settings& settings) { settings.field = value; });  \
    }

NUMBER_FORMATTER_TEXT_PROPERTY(groupingSeparator, setGroupingSeparator, groupingSeparator,
    symbolOf(format(), icu::DecimalFormatSymbols::kGroupingSeparatorSymbol))
NUMBER_FORMATTER_TEXT_PROPERTY(decimalSeparator, setDecimalSeparator, decimalSeparator,
    symbolOf(format(), icu::DecimalFormatSymbols::kDecimalSeparatorSymbol))
NUMBER_FORMATTER_TEXT_PROPERTY(currencySymbol, setCurrencySymbol, currencySymbol,
    symbolOf(format(), icu::DecimalFormatSymbols::kCurrencySymbol))
NUMBER_FORMATTER_TEXT_PROPERTY(currencyCode, setCurrencyCode, currencyCode,
    ns::stringFromUnicode(icu::UnicodeString(format().getCurrency())))
NUMBER_FORMATTER_TEXT_PROPERTY(percentSymbol, setPercentSymbol, percentSymbol,
    symbolOf(format(), icu::DecimalFormatSymbols::kPercentSymbol))
NUMBER_FORMATTER_TEXT_PROPERTY(positiveFormat, setPositiveFormat, positiveFormat, patternPart(format(), false))
NUMBER_FORMATTER_TEXT_PROPERTY(negativeFormat, setNegativeFormat, negativeFormat, patternPart(format(), true))
NUMBER_FORMATTER_TEXT_PROPERTY(zeroSymbol, setZeroSymbol, zeroSymbol, NSString())
NUMBER_FORMATTER_TEXT_PROPERTY(nilSymbol, setNilSymbol, nilSymbol, NSString(""))
NUMBER_FORMATTER_TEXT_PROPERTY(notANumberSymbol, setNotANumberSymbol, notANumberSymbol,
    symbolOf(format(), icu::DecimalFormatSymbols::kNaNSymbol))

namespace {

NSString affix(const icu::NumberFormat& format, bool negative, bool prefix)
{
    const auto* decimal = dynamic_cast<const icu::DecimalFormat*>(&format);
    if (!decimal)
        return "";
    icu::UnicodeString text;
    if (negative)
        prefix ? decimal->getNegativePrefix(text) : decimal->getNegativeSuffix(text);
    else
        prefix ? decimal->getPositivePrefix(text) : decimal->getPositiveSuffix(text);
    return ns::stringFromUnicode(text);
}

} // namespace

NUMBER_FORMATTER_TEXT_PROPERTY(positivePrefix, setPositivePrefix, positivePrefix, affix(format(), false, true))
NUMBER_FORMATTER_TEXT_PROPERTY(positiveSuffix, setPositiveSuffix, positiveSuffix, affix(format(), false, false))
NUMBER_FORMATTER_TEXT_PROPERTY(negativePrefix, setNegativePrefix, negativePrefix, affix(format(), true, true))
NUMBER_FORMATTER_TEXT_PROPERTY(negativeSuffix, setNegativeSuffix, negativeSuffix, affix(format(), true, false))

NSNumberFormatterRoundingMode NSNumberFormatter::roundingMode() const
{
    MutexLocker lock(m_mutex);
    return m_settings.roundingMode.value_or(NSNumberFormatterRoundHalfEven);
}

void NSNumberFormatter::setRoundingMode(NSNumberFormatterRoundingMode mode)
{
    update([&](Settings& settings) { settings.roundingMode = mode; });
}

std::shared_ptr<NSNumber> NSNumberFormatter::multiplier() const
{
    MutexLocker lock(m_mutex);
    if (m_settings.multiplier)
        return m_settings.multiplier;
    const auto* decimal = dynamic_cast<const icu::DecimalFormat*>(&format());
    return NSNumber::numberWithInt(decimal ? decimal->getMultiplier() : 1);
}

void NSNumberFormatter::setMultiplier(const std::shared_ptr<NSNumber>& multiplier)
{
    update([&](Settings& settings) { settings.multiplier = multiplier; });
}

bool NSNumberFormatter::generatesDecimalNumbers() const
{
    MutexLocker lock(m_mutex);
    return m_settings.generatesDecimalNumbers;
}

void NSNumberFormatter::setGeneratesDecimalNumbers(bool generates)
{
    update([&](Settings& settings) { settings.generatesDecimalNumbers = generates; });
}

bool NSNumberFormatter::isLenient() const
{
    MutexLocker lock(m_mutex);
    return m_settings.lenient;
}

void NSNumberFormatter::setLenient(bool lenient)
{
    update([&](Settings& settings) { settings.lenient = lenient; });
}

NSString NSNumberFormatter::stringFromNumber(const std::shared_ptr<NSNumber>& number) const
{
    MutexLocker lock(m_mutex);
    if (!number)
        return m_settings.nilSymbol;
    const double value = number->doubleValue();
    if (m_settings.zeroSymbol && value == 0)
        return m_settings.zeroSymbol;
    icu::UnicodeString text;
    UErrorCode status = U_ZERO_ERROR;
    icu::FieldPosition position;
    if (auto decimal = std::dynamic_pointer_cast<NSDecimalNumber>(number)) {
        if (decimal->isNotANumber()) {
            format().format(std::nan(""), text);
        } else {
            // Through the exact digits, so that 0.1 stays 0.1 however many digits are asked for.
            const std::string digits = decimal->stringValue().UTF8String();
            format().format(icu::Formattable(icu::StringPiece(digits), status), text, position, status);
        }
    } else if (number->isFloatingPoint()) {
        format().format(value, text);
    } else if (number->kind() == NSNumber::Kind::UnsignedLongLong || number->kind() == NSNumber::Kind::UnsignedLong) {
        const std::string digits = std::to_string(number->unsignedLongLongValue());
        format().format(icu::Formattable(icu::StringPiece(digits), status), text, position, status);
    } else {
        format().format(static_cast<int64_t>(number->longLongValue()), text);
    }
    if (U_FAILURE(status))
        return nullptr;
    return ns::stringFromUnicode(text);
}

std::shared_ptr<NSNumber> NSNumberFormatter::numberFromString(const NSString& string) const
{
    if (string.isNil())
        return nullptr;
    const icu::UnicodeString text = ns::unicodeString(string);
    MutexLocker lock(m_mutex);
    if (m_settings.zeroSymbol && string == m_settings.zeroSymbol)
        return NSNumber::numberWithInt(0);
    icu::Formattable result;
    icu::ParsePosition position(0);
    format().parse(text, result, position);
    if (position.getErrorIndex() >= 0 || position.getIndex() != text.length() || text.isEmpty())
        return nullptr;
    UErrorCode status = U_ZERO_ERROR;
    if (m_settings.generatesDecimalNumbers) {
        const icu::StringPiece digits = result.getDecimalNumber(status);
        if (U_FAILURE(status))
            return nullptr;
        return NSDecimalNumber::decimalNumberWithString(std::string(digits.data(), static_cast<std::size_t>(digits.length())));
    }
    switch (result.getType()) {
    case icu::Formattable::kLong:
    case icu::Formattable::kInt64:
        return NSNumber::numberWithLongLong(result.getInt64(status));
    default: {
        const double value = result.getDouble(status);
        if (U_FAILURE(status))
            return nullptr;
        // Whole values read as integers, as the platform's formatter answers them.
        if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 9.2e18 && !(value == 0 && std::signbit(value)))
            return NSNumber::numberWithLongLong(static_cast<long long>(value));
        return NSNumber::numberWithDouble(value);
    }
    }
}

NSString NSNumberFormatter::stringForObjectValue(const id& value) const
{
    auto number = ns::cast<NSNumber>(value);
    return number ? stringFromNumber(number) : NSString();
}

bool NSNumberFormatter::getObjectValue(id* object, const NSString& string, NSString* errorDescription) const
{
    auto number = numberFromString(string);
    if (object)
        *object = number;
    if (!number && errorDescription)
        *errorDescription = "The text is not a number.";
    return number != nullptr;
}

void NSNumberFormatter::copySettingsTo(NSNumberFormatter& other) const
{
    Settings settings;
    {
        MutexLocker lock(m_mutex);
        settings = m_settings;
    }
    other.update([&](Settings& target) { target = settings; });
}

id NSNumberFormatter::copy() const
{
    auto formatter = create();
    copySettingsTo(*formatter);
    return formatter;
}

const std::vector<std::pair<const char*, NSString NSNumberFormatter::Settings::*>>& NSNumberFormatter::textSettings()
{
    static const std::vector<std::pair<const char*, NSString Settings::*>> settings {
        { "NS.groupingSeparator", &Settings::groupingSeparator },
        { "NS.decimalSeparator", &Settings::decimalSeparator },
        { "NS.currencySymbol", &Settings::currencySymbol },
        { "NS.currencyCode", &Settings::currencyCode },
        { "NS.percentSymbol", &Settings::percentSymbol },
        { "NS.positiveFormat", &Settings::positiveFormat },
        { "NS.negativeFormat", &Settings::negativeFormat },
        { "NS.positivePrefix", &Settings::positivePrefix },
        { "NS.positiveSuffix", &Settings::positiveSuffix },
        { "NS.negativePrefix", &Settings::negativePrefix },
        { "NS.negativeSuffix", &Settings::negativeSuffix },
        { "NS.zeroSymbol", &Settings::zeroSymbol },
        { "NS.nilSymbol", &Settings::nilSymbol },
        { "NS.notANumberSymbol", &Settings::notANumberSymbol },
    };
    return settings;
}

const std::vector<std::pair<const char*, std::optional<NSUInteger> NSNumberFormatter::Settings::*>>& NSNumberFormatter::countSettings()
{
    static const std::vector<std::pair<const char*, std::optional<NSUInteger> Settings::*>> settings {
        { "NS.minimumIntegerDigits", &Settings::minimumIntegerDigits },
        { "NS.maximumIntegerDigits", &Settings::maximumIntegerDigits },
        { "NS.minimumFractionDigits", &Settings::minimumFractionDigits },
        { "NS.maximumFractionDigits", &Settings::maximumFractionDigits },
        { "NS.groupingSize", &Settings::groupingSize },
    };
    return settings;
}

void NSNumberFormatter::encodeWithCoder(NSCoder& coder) const
{
    Settings settings;
    {
        MutexLocker lock(m_mutex);
        settings = m_settings;
    }
    coder.encodeInteger(static_cast<NSInteger>(settings.style), "NS.numberStyle");
    if (settings.locale)
        coder.encodeObject(settings.locale->localeIdentifier(), "NS.locale");
    for (const auto& [key, field] : countSettings()) {
        if (settings.*field)
            coder.encodeInteger(static_cast<NSInteger>(*(settings.*field)), key);
    }
    if (settings.usesGroupingSeparator)
        coder.encodeBool(*settings.usesGroupingSeparator, "NS.usesGroupingSeparator");
    for (const auto& [key, field] : textSettings()) {
        if (!(settings.*field).isNil())
            coder.encodeObject(settings.*field, key);
    }
    if (settings.roundingMode)
        coder.encodeInteger(static_cast<NSInteger>(*settings.roundingMode), "NS.roundingMode");
    coder.encodeObject(settings.multiplier, "NS.multiplier");
    coder.encodeBool(settings.generatesDecimalNumbers, "NS.generatesDecimalNumbers");
    coder.encodeBool(settings.lenient, "NS.lenient");
}

bool NSNumberFormatter::init(NSCoder& coder)
{
    Settings settings;
    const NSInteger style = coder.decodeIntegerForKey("NS.numberStyle");
    if (style < 0 || style > static_cast<NSInteger>(NSNumberFormatterCurrencyAccountingStyle) || style == 7)
        return false;
    settings.style = static_cast<NSNumberFormatterStyle>(style);
    if (auto identifier = coder.decodeObjectOfClass<NSStringObject>("NS.locale"))
        settings.locale = NSLocale::localeWithLocaleIdentifier(NSString(identifier));
    for (const auto& [key, field] : countSettings()) {
        if (!coder.containsValueForKey(key))
            continue;
        const NSInteger count = coder.decodeIntegerForKey(key);
        if (count < 0 || count > maximumDigits)
            return false;
        settings.*field = static_cast<NSUInteger>(count);
    }
    if (coder.containsValueForKey("NS.usesGroupingSeparator"))
        settings.usesGroupingSeparator = coder.decodeBoolForKey("NS.usesGroupingSeparator");
    for (const auto& [key, field] : textSettings()) {
        if (auto text = coder.decodeObjectOfClass<NSStringObject>(key))
            settings.*field = NSString(text);
    }
    if (coder.containsValueForKey("NS.roundingMode")) {
        const NSInteger mode = coder.decodeIntegerForKey("NS.roundingMode");
        if (mode < 0 || mode > static_cast<NSInteger>(NSNumberFormatterRoundHalfUp))
            return false;
        settings.roundingMode = static_cast<NSNumberFormatterRoundingMode>(mode);
    }
    settings.multiplier = coder.decodeObjectOfClass<NSNumber>("NS.multiplier");
    settings.generatesDecimalNumbers = coder.decodeBoolForKey("NS.generatesDecimalNumbers");
    settings.lenient = coder.decodeBoolForKey("NS.lenient");
    update([&](Settings& target) { target = std::move(settings); });
    return true;
}
