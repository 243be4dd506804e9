#include "platform/foundation/NSDecimal.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace {

using u128 = unsigned __int128;
using u64 = std::uint64_t;
using u32 = std::uint32_t;

constexpr int maximumExponent = 127;
constexpr int minimumExponent = -128;
constexpr int quotientDigits = 38;
constexpr u128 u128Max = ~u128 { 0 };
// The mantissa's 16-bit parts are stored least significant first, which is a little-endian u128.
static_assert(std::endian::native == std::endian::little);

constexpr std::array<u128, 39> makePowersOfTen()
{
    std::array<u128, 39> powers {};
    u128 power = 1;
    for (auto& entry : powers) {
        entry = power;
        power *= 10;
    }
    return powers;
}
constexpr std::array<u128, 39> powersOfTen = makePowersOfTen();

int digitCount(u128 value)
{
    int digits = 1;
    while (digits < 39 && value >= powersOfTen[digits])
        ++digits;
    return digits;
}

// An unsigned integer wide enough for every intermediate result: an aligned sum (up to 119 digits
// before the far operand turns into a sticky digit), a product (78) or a scaled dividend (79).
class WideInteger {
public:
    static constexpr int capacity = 14;

    WideInteger() = default;
    explicit WideInteger(u128 value)
    {
        while (value) {
            m_limbs[m_size++] = static_cast<u32>(value);
            value >>= 32;
        }
    }

    bool isZero() const { return m_size == 0; }
    bool fitsIn128() const { return m_size <= 4; }
    u128 toU128() const
    {
        u128 value = 0;
        for (int i = m_size - 1; i >= 0; --i)
            value = (value << 32) | m_limbs[i];
        return value;
    }
    int bitLength() const { return m_size ? (m_size - 1) * 32 + (32 - __builtin_clz(m_limbs[m_size - 1])) : 0; }

    void multiplyAdd(u32 factor, u32 addend = 0)
    {
        u64 carry = addend;
        for (int i = 0; i < m_size; ++i) {
            const u64 product = u64 { m_limbs[i] } * factor + carry;
            m_limbs[i] = static_cast<u32>(product);
            carry = product >> 32;
        }
        if (carry)
            m_limbs[m_size++] = static_cast<u32>(carry);
    }
    void multiplyByPowerOfTen(int exponent)
    {
        for (; exponent >= 9; exponent -= 9)
            multiplyAdd(1'000'000'000);
        if (exponent > 0)
            multiplyAdd(static_cast<u32>(powersOfTen[exponent]));
    }
    // Returns the remainder.
    u32 divideBy(u32 divisor)
    {
        u32 remainder = 0;
        for (int i = m_size - 1; i >= 0; --i)
            m_limbs[i] = divideStep(remainder, m_limbs[i], divisor, remainder);
        trim();
        return remainder;
    }

    static WideInteger multiply(const WideInteger& a, const WideInteger& b)
    {
        WideInteger product;
        if (a.isZero() || b.isZero())
            return product;
        for (int i = 0; i < a.m_size; ++i) {
            u64 carry = 0;
            for (int j = 0; j < b.m_size; ++j) {
                const u64 sum = u64 { a.m_limbs[i] } * b.m_limbs[j] + product.m_limbs[i + j] + carry;
                product.m_limbs[i + j] = static_cast<u32>(sum);
                carry = sum >> 32;
            }
            product.m_limbs[i + b.m_size] = static_cast<u32>(carry);
        }
        product.m_size = a.m_size + b.m_size;
        product.trim();
        return product;
    }
    static int compare(const WideInteger& a, const WideInteger& b)
    {
        if (a.m_size != b.m_size)
            return a.m_size < b.m_size ? -1 : 1;
        for (int i = a.m_size - 1; i >= 0; --i) {
            if (a.m_limbs[i] != b.m_limbs[i])
                return a.m_limbs[i] < b.m_limbs[i] ? -1 : 1;
        }
        return 0;
    }
    void add(const WideInteger& other)
    {
        u64 carry = 0;
        const int size = std::max(m_size, other.m_size);
        for (int i = 0; i < size; ++i) {
            const u64 sum = u64 { m_limbs[i] } + other.m_limbs[i] + carry;
            m_limbs[i] = static_cast<u32>(sum);
            carry = sum >> 32;
        }
        m_size = size;
        if (carry)
            m_limbs[m_size++] = static_cast<u32>(carry);
    }
    // Requires *this >= other.
    void subtract(const WideInteger& other)
    {
        std::int64_t borrow = 0;
        for (int i = 0; i < m_size; ++i) {
            std::int64_t difference = std::int64_t { m_limbs[i] } - (i < other.m_size ? other.m_limbs[i] : 0) - borrow;
            borrow = difference < 0;
            if (borrow)
                difference += std::int64_t { 1 } << 32;
            m_limbs[i] = static_cast<u32>(difference);
        }
        trim();
    }

    // Long division (Knuth's algorithm D): *this becomes the quotient, the remainder is returned.
    WideInteger divideBy(const WideInteger& divisor)
    {
        if (divisor.m_size == 1) {
            const u32 remainder = divideBy(divisor.m_limbs[0]);
            return WideInteger(remainder);
        }
        if (compare(*this, divisor) < 0) {
            WideInteger remainder = *this;
            *this = WideInteger();
            return remainder;
        }
        const int shift = __builtin_clz(divisor.m_limbs[divisor.m_size - 1]);
        const int n = divisor.m_size;
        const int m = m_size - n;
        std::array<u32, capacity + 1> u {};
        std::array<u32, capacity> v {};
        for (int i = n - 1; i > 0; --i)
            v[i] = (divisor.m_limbs[i] << shift) | (shift ? static_cast<u32>(u64 { divisor.m_limbs[i - 1] } >> (32 - shift)) : 0);
        v[0] = divisor.m_limbs[0] << shift;
        u[m_size] = shift ? static_cast<u32>(u64 { m_limbs[m_size - 1] } >> (32 - shift)) : 0;
        for (int i = m_size - 1; i > 0; --i)
            u[i] = (m_limbs[i] << shift) | (shift ? static_cast<u32>(u64 { m_limbs[i - 1] } >> (32 - shift)) : 0);
        u[0] = m_limbs[0] << shift;

        WideInteger quotient;
        constexpr u64 base = u64 { 1 } << 32;
        for (int j = m; j >= 0; --j) {
            const u64 numerator = (u64 { u[j + n] } << 32) | u[j + n - 1];
            u64 estimate = numerator / v[n - 1];
            u64 remainder = numerator % v[n - 1];
            while (estimate >= base || estimate * v[n - 2] > ((remainder << 32) | u[j + n - 2])) {
                --estimate;
                remainder += v[n - 1];
                if (remainder >= base)
                    break;
            }
            std::int64_t borrow = 0;
            u64 carry = 0;
            for (int i = 0; i < n; ++i) {
                const u64 product = estimate * v[i] + carry;
                carry = product >> 32;
                const std::int64_t difference = std::int64_t { u[i + j] } - static_cast<std::int64_t>(product & 0xffffffffu) - borrow;
                u[i + j] = static_cast<u32>(difference);
                borrow = difference < 0;
            }
            const std::int64_t top = std::int64_t { u[j + n] } - static_cast<std::int64_t>(carry) - borrow;
            u[j + n] = static_cast<u32>(top);
            if (top < 0) {
                --estimate;
                u64 sum = 0;
                for (int i = 0; i < n; ++i) {
                    sum = u64 { u[i + j] } + v[i] + (sum >> 32);
                    u[i + j] = static_cast<u32>(sum);
                }
                u[j + n] = static_cast<u32>(u[j + n] + (sum >> 32));
            }
            quotient.m_limbs[j] = static_cast<u32>(estimate);
        }
        quotient.m_size = m + 1;
        quotient.trim();

        WideInteger remainder;
        for (int i = 0; i < n; ++i)
            remainder.m_limbs[i] = (u[i] >> shift) | (shift ? static_cast<u32>(u64 { u[i + 1] } << (32 - shift)) : 0);
        remainder.m_size = n;
        remainder.trim();
        *this = quotient;
        return remainder;
    }

private:
    // (high:low) / divisor where high < divisor, so the quotient fits 32 bits.
    static u32 divideStep(u32 high, u32 low, u32 divisor, u32& remainder)
    {
#if defined(__x86_64__)
        // The 64-by-32 division is several times faster than the 128-by-64 one C++ would emit.
        u32 quotient;
        asm("divl %[divisor]" : "=a"(quotient), "=d"(remainder) : "a"(low), "d"(high), [divisor] "rm"(divisor) : "cc");
        return quotient;
#else
        const u64 current = (u64 { high } << 32) | low;
        remainder = static_cast<u32>(current % divisor);
        return static_cast<u32>(current / divisor);
#endif
    }

    void trim()
    {
        while (m_size > 0 && m_limbs[m_size - 1] == 0)
            --m_size;
    }

    std::array<u32, capacity> m_limbs {};
    int m_size { 0 };
};

constexpr int widestDigitCount = 120;

// Powers of ten up to the widest intermediate value, made once.
const WideInteger& wideTenToThe(int exponent)
{
    static const auto powers = [] {
        std::array<WideInteger, widestDigitCount + 1> table;
        WideInteger power(1);
        for (auto& entry : table) {
            entry = power;
            power.multiplyAdd(10);
        }
        return table;
    }();
    return powers[static_cast<std::size_t>(std::clamp(exponent, 0, widestDigitCount))];
}

int wideDigitCount(const WideInteger& value)
{
    // log10(2) from below gives the count or one less.
    const int estimate = std::min(widestDigitCount, std::max(1, value.bitLength() * 30103 / 100000));
    return WideInteger::compare(value, wideTenToThe(estimate)) >= 0 ? estimate + 1 : estimate;
}

// A decimal taken apart for computing: the mantissa as one 128-bit integer.
struct Unpacked {
    u128 mantissa { 0 };
    int exponent { 0 };
    bool negative { false };
    bool isNaN { false };
};

Unpacked unpack(const NSDecimal& decimal)
{
    Unpacked value;
    if (decimal._length == 0) {
        value.isNaN = decimal._isNegative;
        return value;
    }
    // Parts beyond _length may hold anything; they do not count.
    std::memcpy(&value.mantissa, decimal._mantissa, sizeof value.mantissa);
    const unsigned length = std::min<unsigned>(decimal._length, NSDecimalMaxSize);
    if (length < NSDecimalMaxSize)
        value.mantissa &= (u128 { 1 } << (16 * length)) - 1;
    value.exponent = decimal._exponent;
    value.negative = decimal._isNegative;
    return value;
}

// The magnitude truncated towards zero, saturating at the largest 128-bit value.
u128 integerMagnitude(const Unpacked& value)
{
    if (value.mantissa == 0)
        return 0;
    u128 magnitude = value.mantissa;
    if (value.exponent < 0)
        magnitude = value.exponent < -38 ? 0 : magnitude / powersOfTen[-value.exponent];
    else if (value.exponent > 0 && (value.exponent > 38 || __builtin_mul_overflow(magnitude, powersOfTen[value.exponent], &magnitude)))
        magnitude = u128Max;
    return magnitude;
}

NSDecimal makeNaN()
{
    NSDecimal decimal;
    decimal._isNegative = 1;
    return decimal;
}

// Whether dropping a remainder of `comparedToHalf` (-1 below half, 0 exactly half, 1 above) from
// a truncated magnitude whose last kept digit is `odd` moves the magnitude up by one unit.
bool roundsAway(NSRoundingMode mode, bool negative, bool hasRemainder, int comparedToHalf, bool odd)
{
    if (!hasRemainder)
        return false;
    switch (mode) {
    case NSRoundDown:
        return negative;
    case NSRoundUp:
        return !negative;
    case NSRoundBankers:
        return comparedToHalf > 0 || (comparedToHalf == 0 && odd);
    case NSRoundPlain:
    default:
        return comparedToHalf >= 0;
    }
}

// value / 10^digits, rounded; `sticky` tells that something non-zero lies below `value` already.
WideInteger dropDigits(WideInteger value, int digits, bool sticky, bool negative, NSRoundingMode mode, bool& inexact)
{
    if (digits <= 0) {
        inexact = inexact || sticky;
        if (sticky && roundsAway(mode, negative, true, -1, value.toU128() & 1))
            value.add(WideInteger(1));
        return value;
    }
    const WideInteger& divisor = wideTenToThe(digits);
    WideInteger remainder = value.divideBy(divisor);
    const bool hasRemainder = sticky || !remainder.isZero();
    int comparedToHalf = -1;
    if (hasRemainder) {
        WideInteger doubled = remainder;
        doubled.multiplyAdd(2);
        comparedToHalf = WideInteger::compare(doubled, divisor);
        if (comparedToHalf == 0 && sticky)
            comparedToHalf = 1;
    }
    inexact = inexact || hasRemainder;
    const bool odd = !value.isZero() && (value.toU128() & 1);
    if (roundsAway(mode, negative, hasRemainder, comparedToHalf, odd))
        value.add(WideInteger(1));
    return value;
}

// Rounds a wide value times 10^exponent to a mantissa that fits 128 bits, or `maximumDigits`
// digits when fewer. Callers with a sticky part keep at least one guard digit above it.
Unpacked narrow(const WideInteger& value, int exponent, bool negative, bool sticky, NSRoundingMode mode, bool& inexact, int maximumDigits = 39)
{
    auto fits = [&](const WideInteger& candidate) {
        return candidate.fitsIn128() && (maximumDigits >= 39 || candidate.toU128() < powersOfTen[maximumDigits]);
    };
    // Rounding up may carry into one more digit, and a 39-digit value may still exceed 128 bits:
    // then one more digit goes.
    int drop = fits(value) ? 0 : std::max(0, wideDigitCount(value) - maximumDigits);
    for (;; ++drop) {
        bool dropInexact = false;
        const WideInteger rounded = dropDigits(value, drop, sticky, negative, mode, dropInexact);
        if (fits(rounded)) {
            inexact = inexact || dropInexact;
            return Unpacked { rounded.toU128(), exponent + drop, negative, false };
        }
    }
}

int trailingDecimalZeros(u64 value, int limit)
{
    int zeros = 0;
    while (zeros < limit && value % 10 == 0) {
        value /= 10;
        ++zeros;
    }
    return zeros;
}

void storeMantissa(u128 mantissa, NSDecimal& decimal)
{
    std::memcpy(decimal._mantissa, &mantissa, sizeof mantissa);
    const u64 high = static_cast<u64>(mantissa >> 64);
    const u64 low = static_cast<u64>(mantissa);
    const int bits = high ? 128 - __builtin_clzll(high) : (low ? 64 - __builtin_clzll(low) : 0);
    decimal._length = static_cast<unsigned>((bits + 15) / 16);
}

// Strips trailing zeros so equal values have one form, as far as the exponent allows.
void compactUnpacked(Unpacked& value)
{
    if (value.mantissa == 0) {
        value.exponent = 0;
        value.negative = false;
        return;
    }
    // 128-bit divisions are slow, so a wide mantissa sheds up to 19 zeros per division: a multiple
    // of 10^k is a multiple of 2^k, and the remainder's own trailing zeros are the mantissa's.
    while ((value.mantissa >> 64) != 0 && value.exponent < maximumExponent) {
        const u64 low = static_cast<u64>(value.mantissa);
        const int chunk = std::min({ 19, low ? __builtin_ctzll(low) : 64, maximumExponent - value.exponent });
        if (chunk == 0)
            return;
        const u64 divisor = static_cast<u64>(powersOfTen[chunk]);
        const u64 remainder = static_cast<u64>(value.mantissa % divisor);
        if (remainder != 0) {
            const int zeros = trailingDecimalZeros(remainder, chunk);
            value.mantissa /= powersOfTen[zeros];
            value.exponent += zeros;
            return;
        }
        value.mantissa /= divisor;
        value.exponent += chunk;
    }
    if ((value.mantissa >> 64) == 0) {
        u64 small = static_cast<u64>(value.mantissa);
        const int zeros = trailingDecimalZeros(small, maximumExponent - value.exponent);
        value.mantissa = small / static_cast<u64>(powersOfTen[zeros]);
        value.exponent += zeros;
    }
}

// Brings the exponent into range, then stores. Overflow and underflow answer NaN.
NSCalculationError pack(Unpacked value, NSDecimal& result, NSRoundingMode mode, bool inexact)
{
    if (value.isNaN) {
        result = makeNaN();
        return NSCalculationNoError;
    }
    if (value.mantissa == 0) {
        result = NSDecimal {};
        result._isCompact = 1;
        return inexact ? NSCalculationLossOfPrecision : NSCalculationNoError;
    }
    while (value.exponent > maximumExponent && value.mantissa <= u128Max / 10) {
        value.mantissa *= 10;
        --value.exponent;
    }
    if (value.exponent > maximumExponent) {
        result = makeNaN();
        return NSCalculationOverflow;
    }
    if (value.exponent < minimumExponent) {
        const int drop = minimumExponent - value.exponent;
        if (drop > 39) {
            result = makeNaN();
            return NSCalculationUnderflow;
        }
        const WideInteger rounded = dropDigits(WideInteger(value.mantissa), drop, false, value.negative, mode, inexact);
        if (rounded.isZero() || !rounded.fitsIn128()) {
            result = makeNaN();
            return NSCalculationUnderflow;
        }
        value.mantissa = rounded.toU128();
        value.exponent = minimumExponent;
    }
    compactUnpacked(value);
    result = NSDecimal {};
    result._exponent = static_cast<signed char>(value.exponent);
    result._isNegative = value.negative;
    result._isCompact = 1;
    storeMantissa(value.mantissa, result);
    return inexact ? NSCalculationLossOfPrecision : NSCalculationNoError;
}

// Stores without compacting, for NSDecimalNormalize whose callers rely on the shared exponent.
void storeExactly(const Unpacked& value, NSDecimal& result)
{
    result = NSDecimal {};
    if (value.isNaN) {
        result = makeNaN();
        return;
    }
    if (value.mantissa == 0) {
        result._exponent = static_cast<signed char>(value.exponent);
        return;
    }
    result._exponent = static_cast<signed char>(value.exponent);
    result._isNegative = value.negative;
    storeMantissa(value.mantissa, result);
}

Unpacked addUnpacked(Unpacked a, Unpacked b, NSRoundingMode mode, bool& inexact)
{
    if (a.mantissa == 0)
        return b;
    if (b.mantissa == 0)
        return a;
    if (a.exponent < b.exponent)
        std::swap(a, b);
    const int shift = a.exponent - b.exponent;

    // The common case: both fit one 128-bit word once aligned.
    if (shift < 39) {
        u128 scaled;
        if (!__builtin_mul_overflow(a.mantissa, powersOfTen[shift], &scaled)) {
            if (a.negative == b.negative) {
                u128 sum;
                if (!__builtin_add_overflow(scaled, b.mantissa, &sum))
                    return Unpacked { sum, b.exponent, a.negative, false };
            } else {
                const bool aLarger = scaled >= b.mantissa;
                return Unpacked { aLarger ? scaled - b.mantissa : b.mantissa - scaled, b.exponent, aLarger ? a.negative : b.negative, false };
            }
        }
    }

    WideInteger larger(a.mantissa);
    WideInteger smaller(b.mantissa);
    int exponent = b.exponent;
    bool sticky = false;
    // Far below the larger operand's last kept digit, the smaller one only decides the rounding.
    constexpr int guardDigits = 41;
    if (shift >= guardDigits + digitCount(b.mantissa)) {
        larger.multiplyByPowerOfTen(guardDigits);
        exponent = a.exponent - guardDigits;
        smaller = WideInteger(a.negative == b.negative ? 0 : 1);
        sticky = true;
    } else {
        larger.multiplyByPowerOfTen(shift);
    }
    bool negative = a.negative;
    if (a.negative == b.negative) {
        larger.add(smaller);
    } else if (WideInteger::compare(larger, smaller) >= 0) {
        larger.subtract(smaller);
    } else {
        smaller.subtract(larger);
        larger = smaller;
        negative = b.negative;
    }
    return narrow(larger, exponent, negative, sticky, mode, inexact);
}

} // namespace

void NSDecimalCopy(NSDecimal* destination, const NSDecimal* source)
{
    if (destination && source)
        std::memcpy(static_cast<void*>(destination), source, sizeof(NSDecimal));
}

void NSDecimalCompact(NSDecimal* number)
{
    if (!number)
        return;
    const Unpacked value = unpack(*number);
    if (value.isNaN)
        return;
    pack(value, *number, NSRoundPlain, false);
}

bool NSDecimalIsNotANumber(const NSDecimal* decimal)
{
    return decimal && decimal->_length == 0 && decimal->_isNegative;
}

NSComparisonResult NSDecimalCompare(const NSDecimal* leftOperand, const NSDecimal* rightOperand)
{
    const Unpacked a = unpack(*leftOperand);
    const Unpacked b = unpack(*rightOperand);
    if (a.isNaN || b.isNaN) {
        if (a.isNaN && b.isNaN)
            return NSOrderedSame;
        return a.isNaN ? NSOrderedAscending : NSOrderedDescending;
    }
    const int signA = a.mantissa == 0 ? 0 : (a.negative ? -1 : 1);
    const int signB = b.mantissa == 0 ? 0 : (b.negative ? -1 : 1);
    if (signA != signB)
        return signA < signB ? NSOrderedAscending : NSOrderedDescending;
    if (signA == 0)
        return NSOrderedSame;

    int magnitudeOrder = 0;
    const int magnitudeA = digitCount(a.mantissa) + a.exponent;
    const int magnitudeB = digitCount(b.mantissa) + b.exponent;
    if (magnitudeA != magnitudeB) {
        magnitudeOrder = magnitudeA < magnitudeB ? -1 : 1;
    } else {
        // Same number of integer digits, so the exponents differ by less than 39.
        WideInteger left(a.mantissa);
        WideInteger right(b.mantissa);
        if (a.exponent > b.exponent)
            left.multiplyByPowerOfTen(a.exponent - b.exponent);
        else
            right.multiplyByPowerOfTen(b.exponent - a.exponent);
        magnitudeOrder = WideInteger::compare(left, right);
    }
    if (signA < 0)
        magnitudeOrder = -magnitudeOrder;
    return magnitudeOrder < 0 ? NSOrderedAscending : (magnitudeOrder > 0 ? NSOrderedDescending : NSOrderedSame);
}

void NSDecimalRound(NSDecimal* result, const NSDecimal* number, NSInteger scale, NSRoundingMode roundingMode)
{
    const Unpacked value = unpack(*number);
    if (scale == NSDecimalNoScale) {
        NSDecimalCopy(result, number);
        return;
    }
    // Beyond these scales every mantissa rounds to nothing or overflows; clamping keeps -scale in int.
    scale = std::clamp<NSInteger>(scale, -400, 400);
    if (value.isNaN || value.mantissa == 0 || value.exponent >= -scale) {
        NSDecimalCopy(result, number);
        if (!value.isNaN)
            NSDecimalCompact(result);
        return;
    }
    const NSInteger drop = -scale - value.exponent;
    bool inexact = false;
    Unpacked rounded;
    rounded.negative = value.negative;
    if (drop > 39) {
        // Every digit goes: what is left is zero or a single unit, as the mode decides.
        const bool away = roundsAway(roundingMode, value.negative, true, -1, false);
        rounded.mantissa = away ? 1 : 0;
    } else {
        const WideInteger kept = dropDigits(WideInteger(value.mantissa), static_cast<int>(drop), false, value.negative, roundingMode, inexact);
        rounded.mantissa = kept.fitsIn128() ? kept.toU128() : u128Max;
    }
    rounded.exponent = static_cast<int>(-scale);
    pack(rounded, *result, roundingMode, false);
}

NSCalculationError NSDecimalNormalize(NSDecimal* number1, NSDecimal* number2, NSRoundingMode roundingMode)
{
    Unpacked a = unpack(*number1);
    Unpacked b = unpack(*number2);
    if (a.isNaN || b.isNaN || a.exponent == b.exponent)
        return NSCalculationNoError;
    Unpacked* high = a.exponent > b.exponent ? &a : &b;
    Unpacked* low = high == &a ? &b : &a;
    while (high->exponent > low->exponent && high->mantissa <= u128Max / 10) {
        high->mantissa *= 10;
        --high->exponent;
    }
    bool inexact = false;
    if (high->exponent > low->exponent) {
        const int drop = high->exponent - low->exponent;
        if (drop > 39) {
            inexact = low->mantissa != 0;
            low->mantissa = roundsAway(roundingMode, low->negative, inexact, -1, false) ? 1 : 0;
        } else {
            const WideInteger kept = dropDigits(WideInteger(low->mantissa), drop, false, low->negative, roundingMode, inexact);
            low->mantissa = kept.toU128();
        }
        low->exponent = high->exponent;
    }
    storeExactly(a, *number1);
    storeExactly(b, *number2);
    return inexact ? NSCalculationLossOfPrecision : NSCalculationNoError;
}

NSCalculationError NSDecimalAdd(NSDecimal* result, const NSDecimal* leftOperand, const NSDecimal* rightOperand, NSRoundingMode roundingMode)
{
    const Unpacked a = unpack(*leftOperand);
    const Unpacked b = unpack(*rightOperand);
    if (a.isNaN || b.isNaN) {
        *result = makeNaN();
        return NSCalculationNoError;
    }
    bool inexact = false;
    const Unpacked sum = addUnpacked(a, b, roundingMode, inexact);
    return pack(sum, *result, roundingMode, inexact);
}

NSCalculationError NSDecimalSubtract(NSDecimal* result, const NSDecimal* leftOperand, const NSDecimal* rightOperand, NSRoundingMode roundingMode)
{
    NSDecimal negated = *rightOperand;
    if (negated._length != 0)
        negated._isNegative = !negated._isNegative;
    return NSDecimalAdd(result, leftOperand, &negated, roundingMode);
}

NSCalculationError NSDecimalMultiply(NSDecimal* result, const NSDecimal* leftOperand, const NSDecimal* rightOperand, NSRoundingMode roundingMode)
{
    const Unpacked a = unpack(*leftOperand);
    const Unpacked b = unpack(*rightOperand);
    if (a.isNaN || b.isNaN) {
        *result = makeNaN();
        return NSCalculationNoError;
    }
    if (a.mantissa == 0 || b.mantissa == 0)
        return pack(Unpacked {}, *result, roundingMode, false);
    const bool negative = a.negative != b.negative;
    const int exponent = a.exponent + b.exponent;
    u128 product;
    if (!__builtin_mul_overflow(a.mantissa, b.mantissa, &product))
        return pack(Unpacked { product, exponent, negative, false }, *result, roundingMode, false);
    bool inexact = false;
    const WideInteger wide = WideInteger::multiply(WideInteger(a.mantissa), WideInteger(b.mantissa));
    const Unpacked rounded = narrow(wide, exponent, negative, false, roundingMode, inexact);
    return pack(rounded, *result, roundingMode, inexact);
}

NSCalculationError NSDecimalDivide(NSDecimal* result, const NSDecimal* leftOperand, const NSDecimal* rightOperand, NSRoundingMode roundingMode)
{
    const Unpacked a = unpack(*leftOperand);
    const Unpacked b = unpack(*rightOperand);
    if (a.isNaN || b.isNaN) {
        *result = makeNaN();
        return NSCalculationNoError;
    }
    if (b.mantissa == 0) {
        *result = makeNaN();
        return NSCalculationDivideByZero;
    }
    if (a.mantissa == 0)
        return pack(Unpacked {}, *result, roundingMode, false);
    const bool negative = a.negative != b.negative;

    // Scale the dividend so the quotient has one digit more than is kept, then round it with the
    // remainder as the sticky part.
    const int scale = std::max(0, quotientDigits + 1 + digitCount(b.mantissa) - digitCount(a.mantissa));
    const int exponent = a.exponent - b.exponent - scale;
    u128 narrowDividend;
    if (scale < 39 && !__builtin_mul_overflow(a.mantissa, powersOfTen[scale], &narrowDividend)) {
        const bool sticky = narrowDividend % b.mantissa != 0;
        bool inexact = false;
        const Unpacked quotient = narrow(WideInteger(narrowDividend / b.mantissa), exponent, negative, sticky, roundingMode, inexact, quotientDigits);
        return pack(quotient, *result, roundingMode, inexact);
    }
    WideInteger dividend(a.mantissa);
    dividend.multiplyByPowerOfTen(scale);
    const WideInteger remainder = dividend.divideBy(WideInteger(b.mantissa));
    bool inexact = false;
    const Unpacked quotient = narrow(dividend, exponent, negative, !remainder.isZero(), roundingMode, inexact, quotientDigits);
    return pack(quotient, *result, roundingMode, inexact);
}

NSCalculationError NSDecimalPower(NSDecimal* result, const NSDecimal* number, NSUInteger power, NSRoundingMode roundingMode)
{
    if (NSDecimalIsNotANumber(number)) {
        *result = makeNaN();
        return NSCalculationNoError;
    }
    NSDecimal base = *number;
    NSDecimal accumulated = ns::decimalWithLongLong(1);
    NSCalculationError error = NSCalculationNoError;
    auto step = [&](NSCalculationError stepError) {
        if (stepError > error)
            error = stepError;
        return stepError == NSCalculationNoError || stepError == NSCalculationLossOfPrecision;
    };
    while (power) {
        if (power & 1) {
            if (!step(NSDecimalMultiply(&accumulated, &accumulated, &base, roundingMode)))
                break;
        }
        power >>= 1;
        if (power && !step(NSDecimalMultiply(&base, &base, &base, roundingMode))) {
            accumulated = makeNaN();
            break;
        }
    }
    *result = accumulated;
    return error;
}

NSCalculationError NSDecimalMultiplyByPowerOf10(NSDecimal* result, const NSDecimal* number, short power, NSRoundingMode roundingMode)
{
    Unpacked value = unpack(*number);
    if (value.isNaN) {
        *result = makeNaN();
        return NSCalculationNoError;
    }
    if (value.mantissa != 0)
        value.exponent += power;
    return pack(value, *result, roundingMode, false);
}

NSString NSDecimalString(const NSDecimal* decimal, const id&)
{
    const Unpacked value = unpack(*decimal);
    if (value.isNaN)
        return NSString("NaN");
    if (value.mantissa == 0)
        return NSString("0");
    char buffer[40];
    char* end = buffer + sizeof buffer;
    char* begin = end;
    for (u128 rest = value.mantissa; rest; rest /= 10)
        *--begin = static_cast<char>('0' + static_cast<int>(rest % 10));
    const std::string_view digits(begin, static_cast<std::size_t>(end - begin));

    std::string text;
    text.reserve(digits.size() + 170);
    if (value.negative)
        text += '-';
    if (value.exponent >= 0) {
        text += digits;
        text.append(static_cast<std::size_t>(value.exponent), '0');
    } else {
        const std::size_t fraction = static_cast<std::size_t>(-value.exponent);
        if (digits.size() > fraction) {
            text += digits.substr(0, digits.size() - fraction);
            text += '.';
            text += digits.substr(digits.size() - fraction);
        } else {
            text += "0.";
            text.append(fraction - digits.size(), '0');
            text += digits;
        }
    }
    return NSString(text);
}

namespace ns {

NSDecimal decimalNotANumber()
{
    return makeNaN();
}

NSDecimal decimalWithMantissa(unsigned long long mantissa, short exponent, bool isNegative)
{
    NSDecimal decimal;
    pack(Unpacked { mantissa, mantissa ? exponent : 0, isNegative, false }, decimal, NSRoundPlain, false);
    return decimal;
}

NSDecimal decimalWithLongLong(long long value)
{
    const bool negative = value < 0;
    const unsigned long long magnitude = negative ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    return decimalWithMantissa(magnitude, 0, negative);
}

NSDecimal decimalWithUnsignedLongLong(unsigned long long value)
{
    return decimalWithMantissa(value, 0, false);
}

template <class Floating>
NSDecimal decimalWithShortestText(Floating value)
{
    if (!std::isfinite(value))
        return makeNaN();
    char buffer[64];
    const auto converted = std::to_chars(buffer, buffer + sizeof buffer, value);
    const std::u16string text(buffer, converted.ptr);
    std::size_t position = 0;
    NSDecimal decimal;
    if (!scanDecimal(text, position, decimal))
        return makeNaN();
    return decimal;
}

NSDecimal decimalWithDouble(double value) { return decimalWithShortestText(value); }

NSDecimal decimalWithFloat(float value) { return decimalWithShortestText(value); }

double decimalDoubleValue(const NSDecimal& decimal)
{
    const Unpacked value = unpack(decimal);
    if (value.isNaN)
        return std::numeric_limits<double>::quiet_NaN();
    if (value.mantissa == 0)
        return 0.0;
    char buffer[64];
    char* end = buffer + 48;
    char* begin = end;
    for (u128 rest = value.mantissa; rest; rest /= 10)
        *--begin = static_cast<char>('0' + static_cast<int>(rest % 10));
    *end++ = 'e';
    end = std::to_chars(end, buffer + sizeof buffer, value.exponent).ptr;
    double result = 0.0;
    std::from_chars(begin, end, result);
    return value.negative ? -result : result;
}

long long decimalLongLongValue(const NSDecimal& decimal)
{
    const Unpacked value = unpack(decimal);
    if (value.isNaN)
        return 0;
    const u128 magnitude = integerMagnitude(value);
    constexpr u128 largest = static_cast<u128>(std::numeric_limits<long long>::max());
    if (value.negative)
        return magnitude > largest ? std::numeric_limits<long long>::min() : -static_cast<long long>(magnitude);
    return magnitude > largest ? std::numeric_limits<long long>::max() : static_cast<long long>(magnitude);
}

unsigned long long decimalUnsignedLongLongValue(const NSDecimal& decimal)
{
    const Unpacked value = unpack(decimal);
    if (value.negative)
        return static_cast<unsigned long long>(decimalLongLongValue(decimal));
    if (value.isNaN)
        return 0;
    const u128 magnitude = integerMagnitude(value);
    constexpr u128 largest = std::numeric_limits<unsigned long long>::max();
    return magnitude > largest ? std::numeric_limits<unsigned long long>::max() : static_cast<unsigned long long>(magnitude);
}

bool scanDecimal(std::u16string_view text, std::size_t& position, NSDecimal& result)
{
    std::size_t index = position;
    bool negative = false;
    if (index < text.size() && (text[index] == u'-' || text[index] == u'+'))
        negative = text[index++] == u'-';

    u128 mantissa = 0;
    int mantissaDigits = 0;
    long long exponent = 0;
    bool sawDigit = false;
    int firstDropped = -1;
    bool droppedNonZero = false;
    auto takeDigit = [&](int digit, bool inFraction) {
        sawDigit = true;
        if (mantissa == 0 && digit == 0) {
            if (inFraction)
                --exponent;
            return;
        }
        if (mantissaDigits < 38 || (mantissaDigits == 38 && mantissa <= (u128Max - static_cast<u128>(digit)) / 10)) {
            mantissa = mantissa * 10 + static_cast<u128>(digit);
            ++mantissaDigits;
            if (inFraction)
                --exponent;
            return;
        }
        if (firstDropped < 0)
            firstDropped = digit;
        else
            droppedNonZero = droppedNonZero || digit != 0;
        if (!inFraction)
            ++exponent;
    };
    while (index < text.size() && text[index] >= u'0' && text[index] <= u'9')
        takeDigit(text[index++] - u'0', false);
    if (index < text.size() && text[index] == u'.') {
        std::size_t afterPoint = index + 1;
        const bool fractionFollows = afterPoint < text.size() && text[afterPoint] >= u'0' && text[afterPoint] <= u'9';
        if (sawDigit || fractionFollows) {
            index = afterPoint;
            while (index < text.size() && text[index] >= u'0' && text[index] <= u'9')
                takeDigit(text[index++] - u'0', true);
        }
    }
    if (!sawDigit)
        return false;

    if (index < text.size() && (text[index] == u'e' || text[index] == u'E')) {
        std::size_t exponentIndex = index + 1;
        bool exponentNegative = false;
        if (exponentIndex < text.size() && (text[exponentIndex] == u'-' || text[exponentIndex] == u'+'))
            exponentNegative = text[exponentIndex++] == u'-';
        if (exponentIndex < text.size() && text[exponentIndex] >= u'0' && text[exponentIndex] <= u'9') {
            long long written = 0;
            while (exponentIndex < text.size() && text[exponentIndex] >= u'0' && text[exponentIndex] <= u'9') {
                // Past any reachable exponent the value is decided; stop counting before overflow.
                written = std::min<long long>(written * 10 + (text[exponentIndex] - u'0'), 100000);
                ++exponentIndex;
            }
            exponent += exponentNegative ? -written : written;
            index = exponentIndex;
        }
    }
    position = index;

    bool inexact = false;
    if (firstDropped >= 0 && mantissa != 0) {
        const int comparedToHalf = firstDropped > 5 || (firstDropped == 5 && droppedNonZero) ? 1 : (firstDropped == 5 ? 0 : -1);
        const bool hasRemainder = firstDropped != 0 || droppedNonZero;
        inexact = hasRemainder;
        if (roundsAway(NSRoundPlain, negative, hasRemainder, comparedToHalf, mantissa & 1)) {
            if (mantissa == u128Max) {
                mantissa = mantissa / 10 + 1;
                ++exponent;
            } else {
                ++mantissa;
            }
        }
    }
    if (mantissa == 0) {
        result = NSDecimal {};
        result._isCompact = 1;
        return true;
    }
    const int clampedExponent = static_cast<int>(std::clamp<long long>(exponent, -1000, 1000));
    pack(Unpacked { mantissa, clampedExponent, negative, false }, result, NSRoundPlain, inexact);
    return true;
}

} // namespace ns

