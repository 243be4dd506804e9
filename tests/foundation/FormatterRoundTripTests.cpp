#include "DateTestSupport.h"

#include "platform/foundation/NSCalendar.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/NSDecimalNumber.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSNumberFormatter.h"
#include "platform/foundation/TypedValues.h"

#include <cmath>

namespace {

std::shared_ptr<NSNumberFormatter> numbers(NSNumberFormatterStyle style, const char* locale)
{
    auto result = NSNumberFormatter::create();
    result->setNumberStyle(style);
    result->setLocale(NSLocale::localeWithLocaleIdentifier(locale));
    return result;
}

std::shared_ptr<NSDateFormatter> dates(const char* pattern, const char* locale, const char* zone = "Asia/Shanghai")
{
    auto result = NSDateFormatter::create();
    result->setDateFormat(pattern);
    result->setLocale(NSLocale::localeWithLocaleIdentifier(locale));
    result->setTimeZone(NSTimeZone::timeZoneWithName(zone));
    return result;
}

NSString write(const std::shared_ptr<NSNumberFormatter>& format, double value)
{
    return format->stringFromNumber(NSNumber::numberWithDouble(value));
}

} // namespace

using FormatterRoundTripTest = DeviceSettingsTest;

TEST_F(FormatterRoundTripTest, numbersRoundTripInChineseAndPOSIXConventions)
{
    for (const char* locale : { "zh_CN", "en_US_POSIX" }) {
        for (NSNumberFormatterStyle style : { NSNumberFormatterDecimalStyle, NSNumberFormatterCurrencyStyle, NSNumberFormatterPercentStyle }) {
            auto format = numbers(style, locale);
            for (double value : { 0.0, 1234567.25, -1234.5, 0.75 }) {
                NSString text = write(format, value);
                auto back = format->numberFromString(text);
                ASSERT_TRUE(back) << locale << " " << style << " " << text.UTF8String();
                EXPECT_DOUBLE_EQ(back->doubleValue(), value) << locale << " " << text.UTF8String();
            }
        }
    }
    EXPECT_EQ(write(numbers(NSNumberFormatterDecimalStyle, "zh_CN"), 1234567.891), "1,234,567.891");
    EXPECT_EQ(write(numbers(NSNumberFormatterCurrencyStyle, "zh_CN"), 3.5), "¥3.50");
    EXPECT_EQ(write(numbers(NSNumberFormatterDecimalStyle, "en_US_POSIX"), -1234567.5), "-1234567.5");
    EXPECT_EQ(write(numbers(NSNumberFormatterOrdinalStyle, "en_US"), 22), "22nd");
}

TEST_F(FormatterRoundTripTest, numbersRefuseMalformedText)
{
    auto format = numbers(NSNumberFormatterDecimalStyle, "zh_CN");
    for (const char* bad : { "1.2.3", "--1", " 12", "12 ", "1e", "abc", "12%", "¥12" })
        EXPECT_FALSE(format->numberFromString(bad)) << bad;
    id value;
    NSString why;
    EXPECT_FALSE(format->getObjectValue(&value, "x1", &why));
    EXPECT_EQ(value, nullptr);
    EXPECT_FALSE(why.isNil());
    EXPECT_TRUE(format->getObjectValue(&value, "-7", nullptr));
    EXPECT_EQ(ns::numberValue(value)->integerValue(), -7);
    EXPECT_FALSE(format->getObjectValue(nullptr, "", nullptr));
    // Beyond 64 bits the value survives as a double; the largest 64-bit integer stays exact.
    EXPECT_EQ(format->numberFromString("9223372036854775807")->longLongValue(), INT64_MAX);
    EXPECT_DOUBLE_EQ(format->numberFromString("99999999999999999999")->doubleValue(), 1e20);
    EXPECT_TRUE(format->numberFromString("-0.5")->isFloatingPoint());
}

TEST_F(FormatterRoundTripTest, roundingModesAndDigitBounds)
{
    auto format = numbers(NSNumberFormatterDecimalStyle, "en_US_POSIX");
    format->setMaximumFractionDigits(0);
    const std::pair<NSNumberFormatterRoundingMode, const char*> expected[] = {
        { NSNumberFormatterRoundCeiling, "3 -2" }, { NSNumberFormatterRoundFloor, "2 -3" },
        { NSNumberFormatterRoundDown, "2 -2" }, { NSNumberFormatterRoundUp, "3 -3" },
        { NSNumberFormatterRoundHalfEven, "2 -2" }, { NSNumberFormatterRoundHalfDown, "2 -2" },
        { NSNumberFormatterRoundHalfUp, "3 -3" },
    };
    for (const auto& [mode, text] : expected) {
        format->setRoundingMode(mode);
        EXPECT_EQ(NSString::stringWithFormat("%@ %@", write(format, 2.5), write(format, -2.5)), text) << mode;
    }
    EXPECT_EQ(format->roundingMode(), NSNumberFormatterRoundHalfUp);

    format->setMinimumIntegerDigits(3);
    format->setMinimumFractionDigits(2);
    format->setMaximumFractionDigits(2);
    EXPECT_EQ(write(format, 7.005), "007.01");
    format->setMaximumIntegerDigits(2);
    format->setMinimumIntegerDigits(1);
    EXPECT_EQ(write(format, 1234), "34.00");
    EXPECT_EQ(format->maximumIntegerDigits(), 2u);
    // Choosing a style again drops the digit settings.
    format->setNumberStyle(NSNumberFormatterDecimalStyle);
    EXPECT_EQ(write(format, 1234), "1234");
    // The POSIX locale's own pattern shows up to six fraction digits.
    EXPECT_EQ(format->maximumFractionDigits(), 6u);
}

TEST_F(FormatterRoundTripTest, numberSymbolsAffixesAndMultipliers)
{
    auto format = numbers(NSNumberFormatterDecimalStyle, "zh_CN");
    format->setPositiveFormat("#,##0.00");
    format->setNegativeFormat("(#,##0.00)");
    EXPECT_EQ(write(format, -1234.5), "(1,234.50)");
    EXPECT_EQ(format->numberFromString("(1,234.50)")->doubleValue(), -1234.5);
    format->setGroupingSize(4);
    EXPECT_EQ(write(format, 12345678), "1234,5678.00");
    format->setUsesGroupingSeparator(false);
    EXPECT_EQ(write(format, 12345678), "12345678.00");
    EXPECT_FALSE(format->usesGroupingSeparator());

    auto scores = numbers(NSNumberFormatterNoStyle, "zh_CN");
    scores->setMultiplier(NSNumber::numberWithInt(100));
    scores->setPositivePrefix("得分 ");
    scores->setPositiveSuffix(" 分");
    scores->setNegativePrefix("扣 ");
    scores->setNegativeSuffix(" 分");
    EXPECT_EQ(write(scores, 0.92), "得分 92 分");
    EXPECT_EQ(write(scores, -0.05), "扣 5 分");
    EXPECT_DOUBLE_EQ(scores->numberFromString("得分 92 分")->doubleValue(), 0.92);
    EXPECT_EQ(scores->multiplier()->intValue(), 100);

    auto money = numbers(NSNumberFormatterCurrencyStyle, "zh_CN");
    money->setCurrencyCode("USD");
    money->setCurrencySymbol("US$");
    EXPECT_EQ(write(money, 2), "US$2.00");
    auto percent = numbers(NSNumberFormatterPercentStyle, "zh_CN");
    percent->setPercentSymbol("‰");
    EXPECT_EQ(write(percent, 0.5), "50‰");
}

TEST_F(FormatterRoundTripTest, numberPlaceholdersForZeroNilAndNotANumber)
{
    auto format = numbers(NSNumberFormatterDecimalStyle, "zh_CN");
    format->setNotANumberSymbol("无效");
    EXPECT_EQ(write(format, std::nan("")), "无效");
    EXPECT_EQ(format->stringFromNumber(NSDecimalNumber::notANumber()), "无效");
    EXPECT_EQ(format->stringFromNumber(NSDecimalNumber::decimalNumberWithString("0.10")), "0.1");
    EXPECT_EQ(format->stringFromNumber(nullptr), nullptr);
    format->setNilSymbol("—");
    EXPECT_EQ(format->stringFromNumber(nullptr), "—");
    format->setZeroSymbol("零");
    EXPECT_EQ(format->numberFromString("零")->intValue(), 0);
    EXPECT_EQ(write(format, -0.0), "零");
    auto copy = ns::cast<NSNumberFormatter>(format->copy());
    format->setZeroSymbol(nullptr);
    EXPECT_EQ(copy->stringFromNumber(NSNumber::numberWithInt(0)), "零");
    EXPECT_EQ(format->stringFromNumber(NSNumber::numberWithInt(0)), "0");
}

TEST_F(FormatterRoundTripTest, datesRoundTripInChineseAndPOSIXAcrossYearEnds)
{
    auto chinese = dates("yyyy年M月d日 EEEE HH:mm", "zh_CN");
    auto newYearsEve = zonedDate(8, 2015, 12, 31, 23, 59);
    EXPECT_EQ(chinese->stringFromDate(newYearsEve), "2015年12月31日 星期四 23:59");
    EXPECT_TRUE(chinese->dateFromString("2015年12月31日 星期四 23:59")->isEqualToDate(newYearsEve));
    auto posix = dates("yyyy-MM-dd'T'HH:mm:ssZZZZZ", "en_US_POSIX");
    EXPECT_EQ(posix->stringFromDate(newYearsEve), "2015-12-31T23:59:00+08:00");
    // An offset in the text overrides the formatter's zone.
    EXPECT_TRUE(posix->dateFromString("2015-12-31T15:59:00Z")->isEqualToDate(newYearsEve));
    EXPECT_TRUE(posix->dateFromString("2016-02-29T00:00:00+08:00")->isEqualToDate(zonedDate(8, 2016, 2, 29)));
    for (const char* bad : { "2015-02-29T00:00:00+08:00", "2015-12-31T24:00:00+08:00", "2015-12-31T23:59:00",
             "2015-12-31 23:59:00+08:00", "2015-12-31T23:59:00+0800x" })
        EXPECT_FALSE(posix->dateFromString(bad)) << bad;
    id value;
    NSString why;
    EXPECT_FALSE(posix->getObjectValue(&value, "soon", &why));
    EXPECT_FALSE(why.isNil());
    EXPECT_TRUE(posix->getObjectValue(&value, "2016-01-01T00:00:00+08:00", nullptr));
    EXPECT_EQ(posix->stringForObjectValue(value), "2016-01-01T00:00:00+08:00");
    EXPECT_TRUE(posix->stringForObjectValue(NSString("2016")).isNil());
}

TEST_F(FormatterRoundTripTest, datesFollowTheirCalendarZoneAndLeniency)
{
    auto format = dates("yyyy-MM-dd", "en_US_POSIX", "UTC");
    format->setLenient(true);
    EXPECT_TRUE(format->dateFromString("2015-02-29")->isEqualToDate(utcDate(2015, 3, 1)));
    format->setLenient(false);
    EXPECT_FALSE(format->dateFromString("2015-02-29"));

    // Week numbers follow the formatter's calendar rules.
    auto weeks = dates("YYYY-'W'ww", "en_US_POSIX", "UTC");
    auto calendar = NSCalendar::calendarWithIdentifier(NSCalendarIdentifierGregorian);
    calendar->setFirstWeekday(2);
    calendar->setMinimumDaysInFirstWeek(4);
    weeks->setCalendar(calendar);
    EXPECT_EQ(weeks->stringFromDate(utcDate(2016, 1, 1)), "2015-W53");
    EXPECT_EQ(weeks->calendar(), calendar);
    auto copy = ns::cast<NSDateFormatter>(weeks->copy());
    EXPECT_EQ(copy->stringFromDate(utcDate(2016, 1, 1)), "2015-W53");
    weeks->setCalendar(nullptr);
    EXPECT_EQ(weeks->calendar()->calendarIdentifier(), NSCalendarIdentifierGregorian);

    auto buddhist = dates("G yyyy", "en_US_POSIX", "UTC");
    buddhist->setCalendar(NSCalendar::calendarWithIdentifier(NSCalendarIdentifierBuddhist));
    EXPECT_EQ(buddhist->stringFromDate(utcDate(2015, 6, 1)), "BE 2558");

    EXPECT_EQ(NSDateFormatter::dateFormatFromTemplate("yMMMd", 0, NSLocale::localeWithLocaleIdentifier("zh_CN")), "y年M月d日");
    auto zh = dates("a h:mm", "zh_CN");
    EXPECT_EQ(zh->AMSymbol(), "上午");
    EXPECT_EQ(zh->PMSymbol(), "下午");
    EXPECT_EQ(zh->stringFromDate(zonedDate(8, 2015, 1, 1, 13, 5)), "下午 1:05");
}

TEST_F(FormatterRoundTripTest, numberSettingsReadTheLocalesConventionsUntilSet)
{
    auto yuan = numbers(NSNumberFormatterCurrencyStyle, "zh_CN");
    EXPECT_EQ(yuan->currencyCode(), "CNY");
    EXPECT_EQ(yuan->currencySymbol(), "¥");
    EXPECT_EQ(yuan->positivePrefix(), "¥");
    EXPECT_EQ(yuan->negativePrefix(), "-¥");
    EXPECT_EQ(yuan->positiveSuffix(), "");
    EXPECT_EQ(yuan->negativeFormat(), "-¤#,##0.00");
    EXPECT_EQ(yuan->groupingSize(), 3u);
    yuan->setNumberStyle(NSNumberFormatterCurrencyAccountingStyle);
    EXPECT_EQ(yuan->numberStyle(), NSNumberFormatterCurrencyAccountingStyle);
    EXPECT_EQ(yuan->locale()->localeIdentifier(), "zh_CN");

    auto accounting = numbers(NSNumberFormatterCurrencyAccountingStyle, "en_US");
    EXPECT_EQ(write(accounting, -3.5), "($3.50)");
    EXPECT_DOUBLE_EQ(accounting->numberFromString("($3.50)")->doubleValue(), -3.5);
    auto iso = numbers(NSNumberFormatterCurrencyISOCodeStyle, "en_US");
    EXPECT_TRUE(write(iso, 3.5).hasPrefix("USD"));
    auto plural = numbers(NSNumberFormatterCurrencyPluralStyle, "en_US");
    EXPECT_TRUE(write(plural, 2).hasSuffix("US dollars"));

    auto german = numbers(NSNumberFormatterDecimalStyle, "de_DE");
    EXPECT_EQ(german->decimalSeparator(), ",");
    EXPECT_EQ(german->groupingSeparator(), ".");
    EXPECT_DOUBLE_EQ(german->numberFromString("1.234,5")->doubleValue(), 1234.5);
    EXPECT_EQ(numbers(NSNumberFormatterPercentStyle, "zh_CN")->multiplier()->intValue(), 100);
    EXPECT_EQ(numbers(NSNumberFormatterSpellOutStyle, "zh_CN")->positivePrefix(), "");
    EXPECT_EQ(numbers(NSNumberFormatterSpellOutStyle, "zh_CN")->groupingSize(), 0u);

    auto lenient = numbers(NSNumberFormatterDecimalStyle, "en_US");
    EXPECT_FALSE(lenient->isLenient());
    lenient->setLenient(true);
    EXPECT_TRUE(lenient->isLenient());
    lenient->setGeneratesDecimalNumbers(true);
    auto exact = std::dynamic_pointer_cast<NSDecimalNumber>(lenient->numberFromString("1,234.10"));
    ASSERT_TRUE(exact);
    EXPECT_EQ(exact->stringValue(), "1234.1");
}

TEST_F(FormatterRoundTripTest, chineseStylesAndNamesRoundTrip)
{
    auto format = NSDateFormatter::create();
    format->setLocale(NSLocale::localeWithLocaleIdentifier("zh_CN"));
    format->setTimeZone(NSTimeZone::timeZoneWithName("Asia/Shanghai"));
    auto eve = zonedDate(8, 2015, 12, 31, 21, 5);
    // No styles give no text, and no text reads as no date.
    EXPECT_EQ(format->stringFromDate(eve), "");
    EXPECT_FALSE(format->dateFromString(""));
    for (NSDateFormatterStyle style : { NSDateFormatterShortStyle, NSDateFormatterLongStyle }) {
        format->setDateStyle(style);
        format->setTimeStyle(NSDateFormatterShortStyle);
        NSString text = format->stringFromDate(eve);
        EXPECT_TRUE(text.containsString("2015")) << text.UTF8String();
        auto back = format->dateFromString(text);
        ASSERT_TRUE(back) << text.UTF8String();
        EXPECT_TRUE(back->isEqualToDate(eve)) << text.UTF8String();
    }
    EXPECT_TRUE(format->locale()->isEqual(NSLocale::localeWithLocaleIdentifier("zh_CN")));
    EXPECT_EQ(format->calendar()->calendarIdentifier(), NSCalendarIdentifierGregorian);
    EXPECT_EQ(NSString::fromId(format->standaloneWeekdaySymbols()->firstObject()), "星期日");
    EXPECT_EQ(format->standaloneMonthSymbols()->count(), 12u);
    EXPECT_EQ(format->eraSymbols()->count(), 2u);
    for (const auto& names : { format->shortStandaloneWeekdaySymbols(), format->veryShortStandaloneWeekdaySymbols(),
             format->veryShortMonthSymbols(), format->shortStandaloneMonthSymbols(), format->veryShortStandaloneMonthSymbols() })
        EXPECT_GE(names->count(), 7u);
}
