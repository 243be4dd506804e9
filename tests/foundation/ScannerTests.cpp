#include "platform/foundation/NSCharacterSet.h"
#include "platform/foundation/NSScanner.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

TEST(Scanner, readsHexadecimalWithOrWithoutPrefix)
{
    unsigned value = 0;
    EXPECT_TRUE(NSScanner::scannerWithString(" 0x1A2b3C")->scanHexInt(&value));
    EXPECT_EQ(value, 0x1A2B3Cu);
    EXPECT_TRUE(NSScanner::scannerWithString("ff")->scanHexInt(&value));
    EXPECT_EQ(value, 0xFFu);
    // A pair without hexadecimal digits reads nothing and leaves the value alone.
    value = 7;
    EXPECT_FALSE(NSScanner::scannerWithString("zz")->scanHexInt(&value));
    EXPECT_EQ(value, 7u);
    // "0x" with nothing after it is the digit 0.
    auto bare = NSScanner::scannerWithString("0xg");
    EXPECT_TRUE(bare->scanHexInt(&value));
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(bare->scanLocation(), 1u);
    EXPECT_TRUE(NSScanner::scannerWithString("123456789abcdef")->scanHexInt(&value));
    EXPECT_EQ(value, UINT_MAX);
}

TEST(Scanner, readsIntegersAndSaturates)
{
    auto scanner = NSScanner::scannerWithString("  -42abc 9000 99999999999");
    int value = 0;
    EXPECT_TRUE(scanner->scanInt(&value));
    EXPECT_EQ(value, -42);
    EXPECT_FALSE(scanner->scanInt(&value));
    EXPECT_EQ(scanner->scanLocation(), 5u);
    EXPECT_TRUE(scanner->scanString("ABC", nullptr)); // not case-sensitive by default
    NSInteger integer = 0;
    EXPECT_TRUE(scanner->scanInteger(&integer));
    EXPECT_EQ(integer, 9000);
    EXPECT_TRUE(scanner->scanInt(&value));
    EXPECT_EQ(value, INT_MAX);
    EXPECT_TRUE(scanner->isAtEnd());

    long long big = 0;
    EXPECT_TRUE(NSScanner::scannerWithString("-9223372036854775808")->scanLongLong(&big));
    EXPECT_EQ(big, LLONG_MIN);
    EXPECT_TRUE(NSScanner::scannerWithString("99999999999999999999")->scanLongLong(&big));
    EXPECT_EQ(big, LLONG_MAX);
    EXPECT_FALSE(NSScanner::scannerWithString("-")->scanLongLong(&big));
}

TEST(Scanner, readsColourComponentsAsFloats)
{
    auto scanner = NSScanner::scannerWithString("{0.5, 1, .25,1e-1}");
    float values[4] {};
    ASSERT_TRUE(scanner->scanString("{", nullptr));
    for (int index = 0; index < 4; ++index) {
        ASSERT_TRUE(scanner->scanFloat(&values[index]));
        if (index < 3) {
            ASSERT_TRUE(scanner->scanString(",", nullptr));
        }
    }
    EXPECT_TRUE(scanner->scanString("}", nullptr));
    EXPECT_TRUE(scanner->isAtEnd());
    EXPECT_FLOAT_EQ(values[0], 0.5f);
    EXPECT_FLOAT_EQ(values[2], 0.25f);
    EXPECT_FLOAT_EQ(values[3], 0.1f);
    double number = 0;
    auto exponentless = NSScanner::scannerWithString("3e");
    EXPECT_TRUE(exponentless->scanDouble(&number));
    EXPECT_EQ(number, 3);
    EXPECT_EQ(exponentless->scanLocation(), 1u);
    EXPECT_FALSE(NSScanner::scannerWithString(".")->scanDouble(&number));
}

// The scanner and the string read numbers alike, out-of-range values included.
TEST(Scanner, readsNumbersAsTheStringDoes)
{
    const char* samples[] = { "1e-400", "-1e-400", "1e400", "-1e400", "0.0001e-330", "100000e-312",
        "1e-310", "12.5e-2", "+7", "-.5", "0e99999", "00012", "123456789012345678901234567890e-360" };
    for (const char* text : samples) {
        double scanned = -1;
        ASSERT_TRUE(NSScanner::scannerWithString(text)->scanDouble(&scanned)) << text;
        EXPECT_EQ(scanned, NSString(text).doubleValue()) << text;
    }
    double value = -1;
    NSScanner::scannerWithString("1e-400")->scanDouble(&value);
    EXPECT_EQ(value, 0.0);
    EXPECT_TRUE(std::signbit(NSString("-1e-400").doubleValue()));
    EXPECT_EQ(NSString("1e400").doubleValue(), HUGE_VAL);
    EXPECT_EQ(NSString("-1e400").doubleValue(), -HUGE_VAL);
    EXPECT_EQ(NSString("123456789012345678901234567890e-360").doubleValue(), 0.0);
    EXPECT_EQ(NSString("0.0000000001e-300").doubleValue(), 1e-310);
    EXPECT_EQ(NSString("1000e306").doubleValue(), HUGE_VAL);
    EXPECT_EQ(NSString("0.00001e313").doubleValue(), 1e308);
}

TEST(Scanner, readsDecimalsExactly)
{
    NSDecimal decimal {};
    auto scanner = NSScanner::scannerWithString(" -0.000001x");
    ASSERT_TRUE(scanner->scanDecimal(&decimal));
    EXPECT_EQ(NSDecimalString(&decimal), "-0.000001");
    EXPECT_EQ(scanner->scanLocation(), 10u);
}

TEST(Scanner, readsTextUpToMarkers)
{
    auto scanner = NSScanner::scannerWithString("text/html; charset=GBK");
    NSString type;
    EXPECT_TRUE(scanner->scanUpToString(";", &type));
    EXPECT_EQ(type, "text/html");
    EXPECT_TRUE(scanner->scanString(";", nullptr));
    NSString key;
    EXPECT_TRUE(scanner->scanUpToString("=", &key));
    EXPECT_EQ(key, "charset");
    EXPECT_FALSE(scanner->scanUpToString("=", &key));
    scanner->setScanLocation(scanner->scanLocation() + 1);
    NSString rest;
    EXPECT_TRUE(scanner->scanUpToString("never", &rest));
    EXPECT_EQ(rest, "GBK");
    EXPECT_FALSE(scanner->scanUpToString("x", &rest));

    auto caseSensitive = NSScanner::scannerWithString("Text");
    caseSensitive->setCaseSensitive(true);
    EXPECT_FALSE(caseSensitive->scanString("text", nullptr));
}

TEST(Scanner, readsCharacterSetsAndHonoursTheSkipSet)
{
    auto scanner = NSScanner::scannerWithString("科目一 123 四");
    NSString letters;
    EXPECT_TRUE(scanner->scanUpToCharactersFromSet(*NSCharacterSet::decimalDigitCharacterSet(), &letters));
    EXPECT_EQ(letters, "科目一 ");
    NSString digits;
    EXPECT_TRUE(scanner->scanCharactersFromSet(*NSCharacterSet::decimalDigitCharacterSet(), &digits));
    EXPECT_EQ(digits, "123");
    EXPECT_FALSE(scanner->scanCharactersFromSet(*NSCharacterSet::decimalDigitCharacterSet(), &digits));

    auto unskipped = NSScanner::scannerWithString(" 5");
    unskipped->setCharactersToBeSkipped(nullptr);
    int value = 0;
    EXPECT_FALSE(unskipped->scanInt(&value));
    EXPECT_FALSE(unskipped->isAtEnd());
    EXPECT_TRUE(NSScanner::scannerWithString(" \n\t")->isAtEnd());
}
