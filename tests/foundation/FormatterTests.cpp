#include "DateTestSupport.h"

#include "platform/foundation/NSDecimalNumber.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSNumberFormatter.h"

namespace {

std::shared_ptr<NSNumberFormatter> formatter(NSNumberFormatterStyle style, const char* locale = "en_US")
{
    auto result = NSNumberFormatter::create();
    result->setNumberStyle(style);
    result->setLocale(NSLocale::localeWithLocaleIdentifier(locale));
    return result;
}

NSString text(const std::shared_ptr<NSNumberFormatter>& format, double value)
{
    return format->stringFromNumber(NSNumber::numberWithDouble(value));
}

} // namespace

using NumberFormatterTest = DeviceSettingsTest;

TEST_F(NumberFormatterTest, noStyleWritesPlainRoundedIntegers)
{
    auto format = formatter(NSNumberFormatterNoStyle);
    EXPECT_EQ(text(format, 3.7), "4");
    EXPECT_EQ(text(format, 2.5), "2");
    EXPECT_EQ(text(format, -2.5), "-2");
    EXPECT_EQ(text(format, 0), "0");
    EXPECT_EQ(format->stringFromNumber(NSNumber::numberWithLongLong(1234567)), "1234567");
    EXPECT_EQ(format->stringFromNumber(NSNumber::numberWithLongLong(INT64_MIN)), "-9223372036854775808");
    EXPECT_EQ(format->stringFromNumber(NSNumber::numberWithUnsignedLongLong(UINT64_MAX)), "18446744073709551615");
    EXPECT_FALSE(format->stringFromNumber(nullptr));
}

TEST_F(NumberFormatterTest, decimalStyleGroupsAndRounds)
{
    auto format = formatter(NSNumberFormatterDecimalStyle);
    EXPECT_EQ(text(format, 1234.5678), "1,234.568");
    EXPECT_EQ(format->maximumFractionDigits(), 3u);
    EXPECT_TRUE(format->usesGroupingSeparator());
    format->setUsesGroupingSeparator(false);
    EXPECT_EQ(text(format, 1234.5678), "1234.568");
    format->setRoundingMode(NSNumberFormatterRoundDown);
    EXPECT_EQ(text(format, 1234.5678), "1234.567");
    // A new style brings its own settings back.
    format->setNumberStyle(NSNumberFormatterDecimalStyle);
    EXPECT_EQ(text(format, 1234.5678), "1,234.568");
}

TEST_F(NumberFormatterTest, fractionDigitsBoundTheText)
{
    auto format = formatter(NSNumberFormatterNoStyle);
    format->setMinimumIntegerDigits(1);
    format->setMinimumFractionDigits(1);
    format->setMaximumFractionDigits(1);
    EXPECT_EQ(text(format, 3), "3.0");
    EXPECT_EQ(text(format, 2.25), "2.2");
    EXPECT_EQ(text(format, 0.5), "0.5");
    format->setRoundingMode(NSNumberFormatterRoundHalfUp);
    EXPECT_EQ(text(format, 2.25), "2.3");
    format->setMinimumIntegerDigits(3);
    EXPECT_EQ(text(format, 7), "007.0");
}

TEST_F(NumberFormatterTest, decimalNumbersKeepTheirExactDigits)
{
    auto format = formatter(NSNumberFormatterDecimalStyle);
    format->setMaximumFractionDigits(30);
    EXPECT_EQ(format->stringFromNumber(NSDecimalNumber::decimalNumberWithString("0.1")), "0.1");
    EXPECT_EQ(format->stringFromNumber(NSDecimalNumber::decimalNumberWithString("12345678901234567890.123456789")),
        "12,345,678,901,234,567,890.123456789");
    EXPECT_EQ(format->stringFromNumber(NSDecimalNumber::notANumber()), "NaN");
}

TEST_F(NumberFormatterTest, otherStyles)
{
    EXPECT_EQ(text(formatter(NSNumberFormatterPercentStyle), 0.256), "26%");
    EXPECT_EQ(text(formatter(NSNumberFormatterCurrencyStyle), 3.5), "$3.50");
    EXPECT_EQ(text(formatter(NSNumberFormatterSpellOutStyle), 42), "forty-two");
    EXPECT_EQ(text(formatter(NSNumberFormatterSpellOutStyle, "zh_CN"), 42), "四十二");
    EXPECT_EQ(text(formatter(NSNumberFormatterScientificStyle), 12345), "1.2345E4");
}

TEST_F(NumberFormatterTest, patternsSeparatorsAndAffixes)
{
    auto format = formatter(NSNumberFormatterDecimalStyle);
    EXPECT_EQ(format->positiveFormat(), "#,##0.###");
    format->setPositiveFormat("#,##0.00");
    EXPECT_EQ(text(format, 1234.5), "1,234.50");
    format->setGroupingSeparator(" ");
    format->setDecimalSeparator(",");
    EXPECT_EQ(text(format, 1234.5), "1 234,50");
    format->setPositiveSuffix(" 分");
    EXPECT_EQ(text(format, 12), "12,00 分");
    format->setZeroSymbol("无");
    EXPECT_EQ(text(format, 0), "无");
}

TEST_F(NumberFormatterTest, readsOnlyWholeNumbers)
{
    auto format = formatter(NSNumberFormatterDecimalStyle);
    auto number = format->numberFromString("1,234.5");
    ASSERT_TRUE(number);
    EXPECT_DOUBLE_EQ(number->doubleValue(), 1234.5);
    auto whole = format->numberFromString("42");
    ASSERT_TRUE(whole);
    EXPECT_FALSE(whole->isFloatingPoint());
    EXPECT_EQ(whole->integerValue(), 42);
    EXPECT_FALSE(format->numberFromString("12abc"));
    EXPECT_FALSE(format->numberFromString(""));
    EXPECT_FALSE(format->numberFromString(nullptr));
    EXPECT_DOUBLE_EQ(formatter(NSNumberFormatterPercentStyle)->numberFromString("50%")->doubleValue(), 0.5);
    format->setGeneratesDecimalNumbers(true);
    auto decimal = std::dynamic_pointer_cast<NSDecimalNumber>(format->numberFromString("0.1"));
    ASSERT_TRUE(decimal);
    EXPECT_EQ(decimal->stringValue(), "0.1");
}

TEST_F(NumberFormatterTest, wireNumbersStayASCIIUnderAnArabicLocale)
{
    NSLocale::setCurrentLocale(NSLocale::localeWithLocaleIdentifier("ar_SA"));
    auto device = NSNumberFormatter::create();
    device->setNumberStyle(NSNumberFormatterDecimalStyle);
    EXPECT_NE(device->stringFromNumber(NSNumber::numberWithInt(2015)), "2,015");
    auto wire = formatter(NSNumberFormatterDecimalStyle, "en_US_POSIX");
    EXPECT_EQ(text(wire, 1234.5), "1234.5");
}

TEST_F(NumberFormatterTest, formatsOnlyNumbersAsObjects)
{
    auto format = formatter(NSNumberFormatterDecimalStyle);
    EXPECT_EQ(format->stringForObjectValue(NSNumber::numberWithInt(5)), "5");
    EXPECT_FALSE(format->stringForObjectValue(NSString("5")));
    EXPECT_FALSE(format->stringForObjectValue(nullptr));
    EXPECT_FALSE(format->attributedStringForObjectValue(NSNumber::numberWithInt(5), nullptr));
    auto copy = ns::cast<NSNumberFormatter>(format->copy());
    copy->setMaximumFractionDigits(0);
    EXPECT_EQ(format->maximumFractionDigits(), 3u);
    EXPECT_EQ(NSNumberFormatter::localizedStringFromNumber(NSNumber::numberWithInt(1), NSNumberFormatterPercentStyle), "100%");
}
