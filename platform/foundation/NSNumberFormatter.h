#pragma once
// Numbers to text and back in a locale's conventions (the device's unless set), in the platform's
// styles. Choosing a style resets the digit, grouping and pattern settings to the style's own;
// settings made afterwards override it. Reading text is strict: the whole text must be a number.
// Safe to share between threads. Archives keep the settings made, not what the style implies.

#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSCoder.h"
#include "platform/foundation/NSFormatter.h"

#include <unicode/uversion.h>

#include <optional>
#include <utility>
#include <vector>

U_NAMESPACE_BEGIN
class NumberFormat;
U_NAMESPACE_END

class NSLocale;
class NSNumber;

enum NSNumberFormatterStyle : NSUInteger {
    NSNumberFormatterNoStyle = 0,
    NSNumberFormatterDecimalStyle = 1,
    NSNumberFormatterCurrencyStyle = 2,
    NSNumberFormatterPercentStyle = 3,
    NSNumberFormatterScientificStyle = 4,
    NSNumberFormatterSpellOutStyle = 5,
    NSNumberFormatterOrdinalStyle = 6,
    NSNumberFormatterCurrencyISOCodeStyle = 8,
    NSNumberFormatterCurrencyPluralStyle = 9,
    NSNumberFormatterCurrencyAccountingStyle = 10,
};

enum NSNumberFormatterRoundingMode : NSUInteger {
    NSNumberFormatterRoundCeiling = 0,
    NSNumberFormatterRoundFloor = 1,
    NSNumberFormatterRoundDown = 2,
    NSNumberFormatterRoundUp = 3,
    NSNumberFormatterRoundHalfEven = 4,
    NSNumberFormatterRoundHalfDown = 5,
    NSNumberFormatterRoundHalfUp = 6,
};

class NSNumberFormatter : public NSFormatter, public NSCoding {
    NS_OBJECT(NSNumberFormatter, NSFormatter)
public:
    static NSString localizedStringFromNumber(const std::shared_ptr<NSNumber>& number, NSNumberFormatterStyle style);

    NSNumberFormatterStyle numberStyle() const;
    void setNumberStyle(NSNumberFormatterStyle style);
    std::shared_ptr<NSLocale> locale() const;
    void setLocale(const std::shared_ptr<NSLocale>& locale);

    NSUInteger minimumIntegerDigits() const;
    void setMinimumIntegerDigits(NSUInteger digits);
    NSUInteger maximumIntegerDigits() const;
    void setMaximumIntegerDigits(NSUInteger digits);
    NSUInteger minimumFractionDigits() const;
    void setMinimumFractionDigits(NSUInteger digits);
    NSUInteger maximumFractionDigits() const;
    void setMaximumFractionDigits(NSUInteger digits);
    bool usesGroupingSeparator() const;
    void setUsesGroupingSeparator(bool uses);
    NSUInteger groupingSize() const;
    void setGroupingSize(NSUInteger size);
    NSString groupingSeparator() const;
    void setGroupingSeparator(const NSString& separator);
    NSString decimalSeparator() const;
    void setDecimalSeparator(const NSString& separator);
    NSString currencySymbol() const;
    void setCurrencySymbol(const NSString& symbol);
    NSString currencyCode() const;
    void setCurrencyCode(const NSString& code);
    NSString percentSymbol() const;
    void setPercentSymbol(const NSString& symbol);
    // Patterns in the platform's (and ICU's) number pattern language: "#,##0.00".
    NSString positiveFormat() const;
    void setPositiveFormat(const NSString& format);
    NSString negativeFormat() const;
    void setNegativeFormat(const NSString& format);
    NSString positivePrefix() const;
    void setPositivePrefix(const NSString& prefix);
    NSString positiveSuffix() const;
    void setPositiveSuffix(const NSString& suffix);
    NSString negativePrefix() const;
    void setNegativePrefix(const NSString& prefix);
    NSString negativeSuffix() const;
    void setNegativeSuffix(const NSString& suffix);
    NSNumberFormatterRoundingMode roundingMode() const;
    void setRoundingMode(NSNumberFormatterRoundingMode mode);
    std::shared_ptr<NSNumber> multiplier() const;
    void setMultiplier(const std::shared_ptr<NSNumber>& multiplier);
    // Written for zero, nil and not-a-number when set.
    NSString zeroSymbol() const;
    void setZeroSymbol(const NSString& symbol);
    NSString nilSymbol() const;
    void setNilSymbol(const NSString& symbol);
    NSString notANumberSymbol() const;
    void setNotANumberSymbol(const NSString& symbol);
    bool generatesDecimalNumbers() const;
    void setGeneratesDecimalNumbers(bool generates);
    bool isLenient() const;
    void setLenient(bool lenient);

    // Nil for a nil number. Decimal numbers are written from their exact digits.
    NSString stringFromNumber(const std::shared_ptr<NSNumber>& number) const;
    // Nil unless the whole text reads as a number.
    std::shared_ptr<NSNumber> numberFromString(const NSString& string) const;

    NSString stringForObjectValue(const id& value) const override;
    bool getObjectValue(id* object, const NSString& string, NSString* errorDescription) const override;
    id copy() const override;
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    // Copies the settings into a formatter of a subclass.
    void copySettingsTo(NSNumberFormatter& other) const;
    // False for settings no formatter could have.
    bool init(NSCoder& coder);

private:
    struct Settings {
        NSNumberFormatterStyle style { NSNumberFormatterNoStyle };
        std::shared_ptr<NSLocale> locale;
        std::optional<NSUInteger> minimumIntegerDigits;
        std::optional<NSUInteger> maximumIntegerDigits;
        std::optional<NSUInteger> minimumFractionDigits;
        std::optional<NSUInteger> maximumFractionDigits;
        std::optional<bool> usesGroupingSeparator;
        std::optional<NSUInteger> groupingSize;
        NSString groupingSeparator;
        NSString decimalSeparator;
        NSString currencySymbol;
        NSString currencyCode;
        NSString percentSymbol;
        NSString positiveFormat;
        NSString negativeFormat;
        NSString positivePrefix;
        NSString positiveSuffix;
        NSString negativePrefix;
        NSString negativeSuffix;
        std::optional<NSNumberFormatterRoundingMode> roundingMode;
        std::shared_ptr<NSNumber> multiplier;
        NSString zeroSymbol;
        NSString nilSymbol;
        NSString notANumberSymbol;
        bool generatesDecimalNumbers { false };
        bool lenient { false };
    };

    // The settings an archive holds under a key each.
    static const std::vector<std::pair<const char*, NSString Settings::*>>& textSettings();
    static const std::vector<std::pair<const char*, std::optional<NSUInteger> Settings::*>>& countSettings();
    template <class Change>
    void update(Change change);
    // The ICU formatter for the current settings, made on first use after a change.
    icu::NumberFormat& format() const REQUIRES(m_mutex);

    mutable Mutex m_mutex;
    Settings m_settings GUARDED_BY(m_mutex);
    mutable std::shared_ptr<icu::NumberFormat> m_format GUARDED_BY(m_mutex);
};
