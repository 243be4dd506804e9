#pragma once
// Exact decimal numbers: a 128-bit mantissa (38 significant digits guaranteed), a power-of-ten
// exponent in -128...127, a sign and a not-a-number value. The layout is the platform's, 20 bytes,
// because typed buffers of decimals are sized and copied by byte count.
//
// Results of the arithmetic are compact (no trailing zeros in the mantissa) and never negative
// zero. A failed operation (overflow, underflow, division by zero) answers not-a-number together
// with its error; loss of precision rounds by the given mode and is reported, not fatal.
// Text is always read and written with '.' and ASCII digits, whatever the process's locale.

#include "platform/foundation/NSString.h"

#include <cstddef>
#include <string_view>
#include <type_traits>

inline constexpr int NSDecimalMaxSize = 8;
// The scale that asks for no rounding.
inline constexpr short NSDecimalNoScale = 0x7fff;

struct NSDecimal {
    signed char _exponent { 0 };
    unsigned int _length : 4 { 0 };
    unsigned int _isNegative : 1 { 0 };
    unsigned int _isCompact : 1 { 0 };
    unsigned int _reserved : 18 { 0 };
    // Least significant 16 bits first; _length of them are in use.
    unsigned short _mantissa[NSDecimalMaxSize] {};
};

static_assert(sizeof(NSDecimal) == 20, "typed decimal buffers rely on the platform's 20-byte layout");
static_assert(offsetof(NSDecimal, _mantissa) == 4);
static_assert(std::is_trivially_copyable_v<NSDecimal>);

enum NSRoundingMode : NSUInteger {
    NSRoundPlain = 0, // half away from zero
    NSRoundDown = 1, // towards negative infinity
    NSRoundUp = 2, // towards positive infinity
    NSRoundBankers = 3, // half to even
};

enum NSCalculationError : NSUInteger {
    NSCalculationNoError = 0,
    NSCalculationLossOfPrecision = 1,
    NSCalculationUnderflow = 2,
    NSCalculationOverflow = 3,
    NSCalculationDivideByZero = 4,
};

void NSDecimalCopy(NSDecimal* destination, const NSDecimal* source);
void NSDecimalCompact(NSDecimal* number);
// NaN sorts before every number and equals itself, so sorting and searching stay consistent.
NSComparisonResult NSDecimalCompare(const NSDecimal* leftOperand, const NSDecimal* rightOperand);
// Rounds to `scale` digits after the point (a negative scale rounds to tens, hundreds...).
void NSDecimalRound(NSDecimal* result, const NSDecimal* number, NSInteger scale, NSRoundingMode roundingMode);
// Brings both numbers to one exponent, rounding the one with more digits when they cannot all be kept.
NSCalculationError NSDecimalNormalize(NSDecimal* number1, NSDecimal* number2, NSRoundingMode roundingMode);

NSCalculationError NSDecimalAdd(NSDecimal* result, const NSDecimal* leftOperand, const NSDecimal* rightOperand, NSRoundingMode roundingMode);
NSCalculationError NSDecimalSubtract(NSDecimal* result, const NSDecimal* leftOperand, const NSDecimal* rightOperand, NSRoundingMode roundingMode);
NSCalculationError NSDecimalMultiply(NSDecimal* result, const NSDecimal* leftOperand, const NSDecimal* rightOperand, NSRoundingMode roundingMode);
// Inexact quotients carry 38 significant digits.
NSCalculationError NSDecimalDivide(NSDecimal* result, const NSDecimal* leftOperand, const NSDecimal* rightOperand, NSRoundingMode roundingMode);
NSCalculationError NSDecimalPower(NSDecimal* result, const NSDecimal* number, NSUInteger power, NSRoundingMode roundingMode);
NSCalculationError NSDecimalMultiplyByPowerOf10(NSDecimal* result, const NSDecimal* number, short power, NSRoundingMode roundingMode);

bool NSDecimalIsNotANumber(const NSDecimal* decimal);
// Plain notation without an exponent ("-0.000001", "1000"), "NaN" for not-a-number. The locale is
// accepted for the platform's signature; the text always uses '.'.
NSString NSDecimalString(const NSDecimal* decimal, const id& locale = nullptr);

namespace ns {

NSDecimal decimalNotANumber();
NSDecimal decimalWithMantissa(unsigned long long mantissa, short exponent, bool isNegative);
NSDecimal decimalWithLongLong(long long value);
NSDecimal decimalWithUnsignedLongLong(unsigned long long value);
// The shortest decimal text that reads back as the same double (at most 17 significant digits);
// NaN for infinities, NaN and magnitudes outside the decimal range.
NSDecimal decimalWithDouble(double value);
// Likewise from a float's own shortest text, which is shorter than its double's: 0.1f reads 0.1.
NSDecimal decimalWithFloat(float value);
double decimalDoubleValue(const NSDecimal& decimal);
// Truncates towards zero and saturates at the type's limits; NaN gives 0.
long long decimalLongLongValue(const NSDecimal& decimal);
unsigned long long decimalUnsignedLongLongValue(const NSDecimal& decimal);

// Reads a decimal at `position` as the platform's scanner does: an optional sign, digits with an
// optional '.', an optional exponent ("e-5"). Digits beyond the mantissa's precision are rounded
// away. On success `position` moves past the text read; on failure it stays and false is answered.
// A number that does not fit the exponent range reads as NaN.
bool scanDecimal(std::u16string_view text, std::size_t& position, NSDecimal& result);

} // namespace ns
