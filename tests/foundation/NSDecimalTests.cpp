#include "platform/foundation/NSDecimalNumberHandler.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

namespace {

NSDecimal dec(const char* text)
{
    return NSDecimalNumber::decimalNumberWithString(text)->decimalValue();
}

std::string str(const NSDecimal& decimal)
{
    return NSDecimalString(&decimal).UTF8String();
}

std::shared_ptr<NSDecimalNumber> num(const char* text)
{
    return NSDecimalNumber::decimalNumberWithString(text);
}

std::string rounded(const char* text, NSInteger scale, NSRoundingMode mode)
{
    const NSDecimal value = dec(text);
    NSDecimal result;
    NSDecimalRound(&result, &value, scale, mode);
    return str(result);
}

struct Outcome {
    std::string text;
    NSCalculationError error;
};

Outcome apply(NSCalculationError (*operation)(NSDecimal*, const NSDecimal*, const NSDecimal*, NSRoundingMode),
    const char* left, const char* right, NSRoundingMode mode = NSRoundPlain)
{
    const NSDecimal a = dec(left);
    const NSDecimal b = dec(right);
    NSDecimal result;
    const NSCalculationError error = operation(&result, &a, &b, mode);
    return { str(result), error };
}

const std::string thirtyEightThrees = "0." + std::string(38, '3');

} // namespace

TEST(NSDecimal, keepsThePlatformsLayoutAndNotANumberEncoding)
{
    const NSDecimal nan = NSDecimalNumber::notANumber()->decimalValue();
    EXPECT_EQ(nan._length, 0u);
    EXPECT_EQ(nan._isNegative, 1u);
    EXPECT_TRUE(NSDecimalIsNotANumber(&nan));

    const NSDecimal zero = dec("-0.000");
    EXPECT_FALSE(NSDecimalIsNotANumber(&zero));
    EXPECT_EQ(zero._isNegative, 0u) << "zero is never negative: negative zero would read as NaN";

    const NSDecimal oneHalf = dec("0.5");
    EXPECT_EQ(oneHalf._exponent, -1);
    EXPECT_EQ(oneHalf._length, 1u);
    EXPECT_EQ(oneHalf._mantissa[0], 5);
    EXPECT_EQ(oneHalf._isCompact, 1u);
}

TEST(NSDecimal, dividesToThirtyEightSignificantDigits)
{
    EXPECT_EQ(apply(NSDecimalDivide, "1", "3").text, thirtyEightThrees);
    EXPECT_EQ(apply(NSDecimalDivide, "1", "3").error, NSCalculationLossOfPrecision);
    EXPECT_EQ(apply(NSDecimalDivide, "2", "3").text, "0." + std::string(37, '6') + "7");
    EXPECT_EQ(apply(NSDecimalDivide, "2", "3", NSRoundDown).text, "0." + std::string(38, '6'));
    EXPECT_EQ(apply(NSDecimalDivide, "-2", "3", NSRoundDown).text, "-0." + std::string(37, '6') + "7");
    EXPECT_EQ(apply(NSDecimalDivide, "1000", "3").text, "333." + std::string(35, '3'));
    // A divisor wider than 64 bits takes the long-division path.
    EXPECT_EQ(apply(NSDecimalDivide, "1", "300000000000000000000001").text,
        "0.0000000000000000000000033333333333333333333333222222222222222");
    EXPECT_EQ(apply(NSDecimalDivide, "12345678901234567890123456789012345678", "98765432109876543210987654321").text,
        "124999998.86093750001423828124994702147");

    const Outcome exact = apply(NSDecimalDivide, "1", "4");
    EXPECT_EQ(exact.text, "0.25");
    EXPECT_EQ(exact.error, NSCalculationNoError);
    EXPECT_EQ(apply(NSDecimalDivide, "7.5", "-2.5").text, "-3");
}

TEST(NSDecimal, divisionByZeroAnswersNotANumber)
{
    const Outcome outcome = apply(NSDecimalDivide, "5", "0");
    EXPECT_EQ(outcome.text, "NaN");
    EXPECT_EQ(outcome.error, NSCalculationDivideByZero);
}

TEST(NSDecimal, roundsByEachModeLikeThePlatformsTable)
{
    // value: plain, down, up, bankers at scale 1.
    const struct {
        const char* value;
        const char* plain;
        const char* down;
        const char* up;
        const char* bankers;
    } table[] = {
        { "1.2", "1.2", "1.2", "1.2", "1.2" },
        { "1.21", "1.2", "1.2", "1.3", "1.2" },
        { "1.25", "1.3", "1.2", "1.3", "1.2" },
        { "1.35", "1.4", "1.3", "1.4", "1.4" },
        { "1.27", "1.3", "1.2", "1.3", "1.3" },
        { "-1.25", "-1.3", "-1.3", "-1.2", "-1.2" },
    };
    for (const auto& row : table) {
        EXPECT_EQ(rounded(row.value, 1, NSRoundPlain), row.plain) << row.value;
        EXPECT_EQ(rounded(row.value, 1, NSRoundDown), row.down) << row.value;
        EXPECT_EQ(rounded(row.value, 1, NSRoundUp), row.up) << row.value;
        EXPECT_EQ(rounded(row.value, 1, NSRoundBankers), row.bankers) << row.value;
    }
}

TEST(NSDecimal, bankersRoundingGoesToTheEvenNeighbour)
{
    EXPECT_EQ(rounded("2.5", 0, NSRoundBankers), "2");
    EXPECT_EQ(rounded("3.5", 0, NSRoundBankers), "4");
    EXPECT_EQ(rounded("-2.5", 0, NSRoundBankers), "-2");
    EXPECT_EQ(rounded("2.5000001", 0, NSRoundBankers), "3");
}

TEST(NSDecimal, roundsToNegativeScalesAndAcrossEveryDigit)
{
    EXPECT_EQ(rounded("123.456", 2, NSRoundPlain), "123.46");
    EXPECT_EQ(rounded("123.456", -2, NSRoundPlain), "100");
    EXPECT_EQ(rounded("123.456", -4, NSRoundPlain), "0");
    EXPECT_EQ(rounded("0.0000001", 2, NSRoundUp), "0.01");
    EXPECT_EQ(rounded("-0.0000001", 2, NSRoundUp), "0");
    EXPECT_EQ(rounded("9.99", 1, NSRoundPlain), "10");
    EXPECT_EQ(rounded("1.23", NSDecimalNoScale, NSRoundPlain), "1.23");
}

TEST(NSDecimal, reportsOverflowAndUnderflowWithNotANumber)
{
    // 10^38 itself is an ordinary value; its fifth power is beyond the exponent range.
    const NSDecimal tenToThe38 = dec("1e38");
    EXPECT_EQ(str(tenToThe38), "1" + std::string(38, '0'));
    NSDecimal result;
    EXPECT_EQ(NSDecimalPower(&result, &tenToThe38, 5, NSRoundPlain), NSCalculationOverflow);
    EXPECT_TRUE(NSDecimalIsNotANumber(&result));

    const NSDecimal maximum = NSDecimalNumber::maximumDecimalNumber()->decimalValue();
    EXPECT_EQ(NSDecimalAdd(&result, &maximum, &maximum, NSRoundPlain), NSCalculationOverflow);
    EXPECT_TRUE(NSDecimalIsNotANumber(&result));
    EXPECT_EQ(NSDecimalMultiplyByPowerOf10(&result, &tenToThe38, 127, NSRoundPlain), NSCalculationNoError);
    EXPECT_EQ(NSDecimalMultiplyByPowerOf10(&result, &tenToThe38, 128, NSRoundPlain), NSCalculationOverflow);

    // Shifting the mantissa keeps representable values: 1e128 is 10e127.
    const NSDecimal one = dec("1");
    EXPECT_EQ(NSDecimalMultiplyByPowerOf10(&result, &one, 128, NSRoundPlain), NSCalculationNoError);
    EXPECT_EQ(str(result), "1" + std::string(128, '0'));

    const NSDecimal smallest = dec("1e-128");
    EXPECT_EQ(NSDecimalMultiply(&result, &smallest, &smallest, NSRoundPlain), NSCalculationUnderflow);
    EXPECT_TRUE(NSDecimalIsNotANumber(&result));
}

TEST(NSDecimal, lossOfPrecisionRoundsTheSumByTheMode)
{
    const Outcome up = apply(NSDecimalAdd, "1", "1e-60", NSRoundUp);
    EXPECT_EQ(up.text, "1." + std::string(37, '0') + "1");
    EXPECT_EQ(up.error, NSCalculationLossOfPrecision);
    EXPECT_EQ(apply(NSDecimalAdd, "1", "1e-60", NSRoundPlain).text, "1");
    EXPECT_EQ(apply(NSDecimalSubtract, "1", "1e-60", NSRoundDown).text, "0." + std::string(38, '9'));
    EXPECT_EQ(apply(NSDecimalSubtract, "1", "1e-60", NSRoundPlain).text, "1");
    EXPECT_EQ(apply(NSDecimalAdd, "1e30", "0.5").text, "1000000000000000000000000000000.5");
    EXPECT_EQ(apply(NSDecimalAdd, "1e50", "12345678901234567890").text, "100000000000000000000000000000012345679" + std::string(12, '0'));
}

TEST(NSDecimal, addsSubtractsAndMultipliesExactly)
{
    EXPECT_EQ(apply(NSDecimalAdd, "0.1", "0.2").text, "0.3");
    EXPECT_EQ(apply(NSDecimalSubtract, "1", "3").text, "-2");
    EXPECT_EQ(apply(NSDecimalSubtract, "1.5", "1.5").text, "0");
    EXPECT_EQ(apply(NSDecimalAdd, "1.5", "1.5").text, "3");
    EXPECT_EQ(apply(NSDecimalMultiply, "-1.5", "0.2").text, "-0.3");
    EXPECT_EQ(apply(NSDecimalMultiply, "18446744073709551615", "18446744073709551615").text,
        "340282366920938463426481119284349108225");
    // 2^128 is one more than the mantissa holds, so it keeps 38 digits.
    const Outcome wide = apply(NSDecimalMultiply, "18446744073709551616", "18446744073709551616");
    EXPECT_EQ(wide.text, "340282366920938463463374607431768211460");
    EXPECT_EQ(wide.error, NSCalculationLossOfPrecision);
    EXPECT_EQ(apply(NSDecimalMultiply, "123456789012345678901234567890", "987654321098765432109876543210").text,
        "121932631137021795226185032733622923332" + std::string(21, '0'));
}

TEST(NSDecimal, raisesToPowers)
{
    NSDecimal result;
    const NSDecimal two = dec("2");
    EXPECT_EQ(NSDecimalPower(&result, &two, 10, NSRoundPlain), NSCalculationNoError);
    EXPECT_EQ(str(result), "1024");
    const NSDecimal elevenTenths = dec("-1.1");
    NSDecimalPower(&result, &elevenTenths, 3, NSRoundPlain);
    EXPECT_EQ(str(result), "-1.331");
    NSDecimalPower(&result, &elevenTenths, 0, NSRoundPlain);
    EXPECT_EQ(str(result), "1");
}

// The platform orders NaN before every number and equal to itself, so that sorting does not
// break on it; the plotting engine's decimal comparisons inherit this.
TEST(NSDecimal, comparesNotANumberBeforeEverything)
{
    const NSDecimal nan = ns::decimalNotANumber();
    const NSDecimal minimum = NSDecimalNumber::minimumDecimalNumber()->decimalValue();
    const NSDecimal zero = dec("0");
    EXPECT_EQ(NSDecimalCompare(&nan, &nan), NSOrderedSame);
    EXPECT_EQ(NSDecimalCompare(&nan, &minimum), NSOrderedAscending);
    EXPECT_EQ(NSDecimalCompare(&zero, &nan), NSOrderedDescending);

    EXPECT_EQ(NSDecimalNumber::notANumber()->compare(NSDecimalNumber::zero()), NSOrderedAscending);
    EXPECT_EQ(NSDecimalNumber::one()->compare(NSDecimalNumber::notANumber()), NSOrderedDescending);
    EXPECT_TRUE(NSDecimalNumber::notANumber()->isEqual(num("abc")));
}

TEST(NSDecimal, comparesAcrossExponentsAndSigns)
{
    const auto order = [](const char* a, const char* b) {
        const NSDecimal x = dec(a);
        const NSDecimal y = dec(b);
        return NSDecimalCompare(&x, &y);
    };
    EXPECT_EQ(order("1.50", "1.5"), NSOrderedSame);
    EXPECT_EQ(order("0.1", "0.09"), NSOrderedDescending);
    EXPECT_EQ(order("-0.1", "-0.09"), NSOrderedAscending);
    EXPECT_EQ(order("-5", "0"), NSOrderedAscending);
    EXPECT_EQ(order("1e30", "999999999999999999999999999999"), NSOrderedDescending);
    EXPECT_EQ(order("123456789012345678901234567890123456789", "123456789012345678901234567890123456788"), NSOrderedDescending);
}

TEST(NSDecimal, normalisesToOneExponentAndCompacts)
{
    NSDecimal a = dec("1.5");
    NSDecimal b = dec("100");
    EXPECT_EQ(NSDecimalNormalize(&a, &b, NSRoundPlain), NSCalculationNoError);
    EXPECT_EQ(a._exponent, b._exponent);
    EXPECT_EQ(str(b), "100.0");
    NSDecimalCompact(&b);
    EXPECT_EQ(b._exponent, 2);
    EXPECT_EQ(str(b), "100");

    NSDecimal large = dec("340282366920938463463374607431768211455");
    NSDecimal tiny = dec("0.5");
    EXPECT_EQ(NSDecimalNormalize(&large, &tiny, NSRoundPlain), NSCalculationLossOfPrecision);
    EXPECT_EQ(str(tiny), "1");
}

TEST(NSDecimal, readsTextAsThePlatformsScanner)
{
    EXPECT_EQ(str(dec("-0.000001")), "-0.000001");
    EXPECT_EQ(num("-0.000001")->stringValue(), "-0.000001");
    EXPECT_TRUE(num("abc")->isNotANumber());
    EXPECT_TRUE(num("")->isNotANumber());
    EXPECT_TRUE(num("-")->isNotANumber());
    EXPECT_TRUE(num(".")->isNotANumber());
    EXPECT_TRUE(NSDecimalNumber::decimalNumberWithString(NSString())->isNotANumber());
    EXPECT_EQ(str(dec(" \t\n 12.50abc")), "12.5");
    EXPECT_EQ(str(dec("\u3000+7")), "7");
    EXPECT_EQ(str(dec(".5")), "0.5");
    EXPECT_EQ(str(dec("5.")), "5");
    EXPECT_EQ(str(dec("1.5e3")), "1500");
    EXPECT_EQ(str(dec("15E-3")), "0.015");
    EXPECT_EQ(str(dec("2e")), "2");
    EXPECT_EQ(str(dec("000123")), "123");
    // Digits beyond the mantissa are rounded away, integer digits still count.
    EXPECT_EQ(str(dec("1234567890123456789012345678901234567890123")), "1234567890123456789012345678901234567890000");
    EXPECT_EQ(str(dec("0.12345678901234567890123456789012345678951")), "0.12345678901234567890123456789012345679");
    EXPECT_TRUE(num("1e300")->isNotANumber());
    EXPECT_TRUE(num("1e-99999999999999999999")->isNotANumber());
    EXPECT_EQ(str(dec("0e99999")), "0");
}

TEST(NSDecimal, textDoesNotFollowTheProcessLocale)
{
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no comma-decimal locale installed";
    EXPECT_EQ(num("2.5")->stringValue(), "2.5");
    EXPECT_EQ(num("2.5")->doubleValue(), 2.5);
    EXPECT_EQ(str(ns::decimalWithDouble(0.25)), "0.25");
    std::setlocale(LC_NUMERIC, previous.c_str());
}

TEST(NSDecimal, convertsFromAndToDoublesAndIntegers)
{
    EXPECT_EQ(str(ns::decimalWithDouble(0.1)), "0.1");
    EXPECT_EQ(str(ns::decimalWithDouble(-1234.5678)), "-1234.5678");
    EXPECT_EQ(str(ns::decimalWithDouble(1.0 / 3.0)), "0.3333333333333333");
    EXPECT_EQ(str(ns::decimalWithDouble(1e20)), "100000000000000000000");
    EXPECT_TRUE(std::isnan(NSDecimalNumber::notANumber()->doubleValue()));
    const NSDecimal infinity = ns::decimalWithDouble(INFINITY);
    EXPECT_TRUE(NSDecimalIsNotANumber(&infinity));

    EXPECT_EQ(num("0.1")->doubleValue(), 0.1);
    EXPECT_EQ(num("-1e-5")->doubleValue(), -1e-5);
    EXPECT_EQ(num("-12.9")->longLongValue(), -12);
    EXPECT_EQ(num("12.9")->intValue(), 12);
    EXPECT_EQ(num("1e30")->longLongValue(), std::numeric_limits<long long>::max());
    EXPECT_EQ(num("1e30")->unsignedLongLongValue(), std::numeric_limits<unsigned long long>::max());
    EXPECT_EQ(num("-1e30")->longLongValue(), std::numeric_limits<long long>::min());
    EXPECT_EQ(NSDecimalNumber::notANumber()->longLongValue(), 0);
    EXPECT_EQ(str(ns::decimalWithLongLong(std::numeric_limits<long long>::min())), "-9223372036854775808");
    EXPECT_EQ(str(ns::decimalWithUnsignedLongLong(std::numeric_limits<unsigned long long>::max())), "18446744073709551615");
    EXPECT_EQ(NSDecimalNumber::decimalNumberWithMantissa(15, -1, true)->stringValue(), "-1.5");
    EXPECT_FALSE(NSDecimalNumber::decimalNumberWithMantissa(0, 3, true)->isNotANumber());
}

TEST(NSDecimalNumber, hasThePlatformsConstantsAndType)
{
    EXPECT_EQ(NSDecimalNumber::zero()->stringValue(), "0");
    EXPECT_EQ(NSDecimalNumber::one()->stringValue(), "1");
    EXPECT_EQ(NSDecimalNumber::notANumber()->stringValue(), "NaN");
    EXPECT_EQ(NSDecimalNumber::maximumDecimalNumber()->stringValue(), "340282366920938463463374607431768211455" + std::string(127, '0'));
    EXPECT_EQ(NSDecimalNumber::minimumDecimalNumber()->stringValue(), "-340282366920938463463374607431768211455" + std::string(127, '0'));
    EXPECT_STREQ(NSDecimalNumber::one()->objCType(), "d");
    EXPECT_EQ(NSDecimalNumber::one()->description(), "1");
}

TEST(NSDecimalNumber, comparesWithPlainNumbersByExactValue)
{
    EXPECT_EQ(num("2.5")->compare(NSNumber::numberWithDouble(2.5)), NSOrderedSame);
    EXPECT_EQ(num("0.1")->compare(NSNumber::numberWithFloat(0.1f)), NSOrderedSame);
    EXPECT_EQ(num("18446744073709551615")->compare(NSNumber::numberWithUnsignedLongLong(18446744073709551615ull)), NSOrderedSame);
    EXPECT_EQ(num("-3")->compare(NSNumber::numberWithInt(-2)), NSOrderedAscending);
    EXPECT_EQ(num("1")->compare(nullptr), NSOrderedDescending);
    EXPECT_TRUE(num("2.50")->isEqual(NSNumber::numberWithInt(2)) == false);
    EXPECT_TRUE(num("2.0")->isEqual(NSNumber::numberWithInt(2)));
    EXPECT_EQ(num("2.0")->hash(), num("2")->hash());
}

TEST(NSDecimalNumber, defaultBehaviourRaisesOnOverflowAndDivisionByZeroOnly)
{
    const auto big = num("1e100");
    try {
        big->decimalNumberByMultiplyingBy(big);
        FAIL() << "overflow did not raise";
    } catch (const NSException& exception) {
        EXPECT_EQ(exception.name(), NSDecimalNumberOverflowException);
    }
    try {
        NSDecimalNumber::one()->decimalNumberByDividingBy(NSDecimalNumber::zero());
        FAIL() << "division by zero did not raise";
    } catch (const NSException& exception) {
        EXPECT_EQ(exception.name(), NSDecimalNumberDivideByZeroException);
    }
    EXPECT_THROW(num("1e-100")->decimalNumberByMultiplyingBy(num("1e-100")), NSException);
    EXPECT_EQ(NSDecimalNumber::one()->decimalNumberByDividingBy(num("3"))->stringValue(), thirtyEightThrees);
    // NaN operands flow through without raising, as the statistics screens' sums rely on.
    EXPECT_TRUE(NSDecimalNumber::one()->decimalNumberByAdding(NSDecimalNumber::notANumber())->isNotANumber());
    EXPECT_TRUE(NSDecimalNumber::one()->decimalNumberByAdding(nullptr)->isNotANumber());
}

TEST(NSDecimalNumber, handlerRoundsToItsScaleAndRaisesAsConfigured)
{
    // The statistics screens' percentages: bankers' rounding at scale 4, raising only on division by zero.
    const auto percent = NSDecimalNumberHandler::decimalNumberHandlerWithRoundingMode(NSRoundBankers, 4, false, false, false, true);
    EXPECT_EQ(num("1")->decimalNumberByDividingBy(num("3"), percent)->stringValue(), "0.3333");
    EXPECT_EQ(num("2")->decimalNumberByDividingBy(num("3"), percent)->stringValue(), "0.6667");
    EXPECT_EQ(num("0.00125")->decimalNumberByAdding(NSDecimalNumber::zero(), percent)->stringValue(), "0.0012");
    EXPECT_THROW(num("2")->decimalNumberByDividingBy(NSDecimalNumber::zero(), percent), NSException);
    EXPECT_TRUE(num("1e100")->decimalNumberByMultiplyingBy(num("1e100"), percent)->isNotANumber());

    const auto exact = NSDecimalNumberHandler::decimalNumberHandlerWithRoundingMode(NSRoundPlain, NSDecimalNoScale, true, true, true, true);
    try {
        num("1")->decimalNumberByDividingBy(num("3"), exact);
        FAIL() << "loss of precision did not raise";
    } catch (const NSException& exception) {
        EXPECT_EQ(exception.name(), NSDecimalNumberExactnessException);
    }
    EXPECT_EQ(num("2.5")->decimalNumberByRoundingAccordingToBehavior(
                            NSDecimalNumberHandler::decimalNumberHandlerWithRoundingMode(NSRoundBankers, 0, false, false, false, false))
                  ->stringValue(),
        "2");
    EXPECT_EQ(num("1.5")->decimalNumberByRaisingToPower(2)->stringValue(), "2.25");
    EXPECT_EQ(num("1.5")->decimalNumberByMultiplyingByPowerOf10(-3)->stringValue(), "0.0015");
    EXPECT_EQ(num("1.5")->decimalNumberBySubtracting(num("2"))->stringValue(), "-0.5");
}

TEST(NSDecimalNumber, behaviourMayReplaceTheResultOfAFailedOperation)
{
    struct ZeroOnError final : NSDecimalNumberBehaviors {
        NSRoundingMode roundingMode() const override { return NSRoundPlain; }
        short scale() const override { return NSDecimalNoScale; }
        std::shared_ptr<NSDecimalNumber> exceptionDuringOperation(const char* operation, NSCalculationError error,
            const std::shared_ptr<NSDecimalNumber>& left, const std::shared_ptr<NSDecimalNumber>& right) override
        {
            lastOperation = operation;
            lastError = error;
            EXPECT_EQ(left->stringValue(), "7");
            EXPECT_EQ(right->stringValue(), "0");
            return NSDecimalNumber::zero();
        }
        std::string lastOperation;
        NSCalculationError lastError { NSCalculationNoError };
    };
    const auto behavior = std::make_shared<ZeroOnError>();
    EXPECT_EQ(num("7")->decimalNumberByDividingBy(NSDecimalNumber::zero(), behavior), NSDecimalNumber::zero());
    EXPECT_EQ(behavior->lastOperation, "decimalNumberByDividingBy");
    EXPECT_EQ(behavior->lastError, NSCalculationDivideByZero);
}
