#pragma once
// An immutable number object around an NSDecimal, for exact arithmetic on boxed values. Each
// operation rounds by a behaviour (rounding mode and scale) and hands its errors to it; without
// one, the default handler is used: plain rounding, no scale, raising on overflow, underflow and
// division by zero, while loss of precision passes silently.

#include "platform/foundation/NSDecimal.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSNumber.h"

class NSDecimalNumber;

inline constexpr NSExceptionName NSDecimalNumberExactnessException = "NSDecimalNumberExactnessException";
inline constexpr NSExceptionName NSDecimalNumberOverflowException = "NSDecimalNumberOverflowException";
inline constexpr NSExceptionName NSDecimalNumberUnderflowException = "NSDecimalNumberUnderflowException";
inline constexpr NSExceptionName NSDecimalNumberDivideByZeroException = "NSDecimalNumberDivideByZeroException";

class NSDecimalNumberBehaviors {
public:
    virtual ~NSDecimalNumberBehaviors() = default;

    virtual NSRoundingMode roundingMode() const = 0;
    // Digits kept after the point; NSDecimalNoScale keeps them all.
    virtual short scale() const = 0;
    // Called when an operation fails or loses precision: raise, or answer the number the operation
    // returns instead; nil lets the operation return its own result (NaN after a failure).
    // `operation` names the operation, as in "decimalNumberByDividingBy".
    virtual std::shared_ptr<NSDecimalNumber> exceptionDuringOperation(const char* operation, NSCalculationError error,
        const std::shared_ptr<NSDecimalNumber>& leftOperand, const std::shared_ptr<NSDecimalNumber>& rightOperand)
        = 0;
};

class NSDecimalNumber : public NSNumber {
    NS_OBJECT(NSDecimalNumber, NSNumber)
public:
    using Behavior = std::shared_ptr<NSDecimalNumberBehaviors>;

    // Reads the text as the platform's scanner does: leading white space, a sign, digits with '.',
    // an exponent; what follows the number is ignored. Text without a number gives notANumber.
    static std::shared_ptr<NSDecimalNumber> decimalNumberWithString(const NSString& numberValue);
    static std::shared_ptr<NSDecimalNumber> decimalNumberWithMantissa(unsigned long long mantissa, short exponent, bool isNegative);
    static std::shared_ptr<NSDecimalNumber> decimalNumberWithDecimal(const NSDecimal& decimal);

    static std::shared_ptr<NSDecimalNumber> zero();
    static std::shared_ptr<NSDecimalNumber> one();
    static std::shared_ptr<NSDecimalNumber> notANumber();
    // The largest magnitudes: the full 128-bit mantissa at the largest exponent.
    static std::shared_ptr<NSDecimalNumber> minimumDecimalNumber();
    static std::shared_ptr<NSDecimalNumber> maximumDecimalNumber();

    // A nil behaviour means the default handler; a nil operand counts as not-a-number.
    std::shared_ptr<NSDecimalNumber> decimalNumberByAdding(const std::shared_ptr<NSDecimalNumber>& decimalNumber, const Behavior& behavior = nullptr) const;
    std::shared_ptr<NSDecimalNumber> decimalNumberBySubtracting(const std::shared_ptr<NSDecimalNumber>& decimalNumber, const Behavior& behavior = nullptr) const;
    std::shared_ptr<NSDecimalNumber> decimalNumberByMultiplyingBy(const std::shared_ptr<NSDecimalNumber>& decimalNumber, const Behavior& behavior = nullptr) const;
    std::shared_ptr<NSDecimalNumber> decimalNumberByDividingBy(const std::shared_ptr<NSDecimalNumber>& decimalNumber, const Behavior& behavior = nullptr) const;
    std::shared_ptr<NSDecimalNumber> decimalNumberByRaisingToPower(NSUInteger power, const Behavior& behavior = nullptr) const;
    std::shared_ptr<NSDecimalNumber> decimalNumberByMultiplyingByPowerOf10(short power, const Behavior& behavior = nullptr) const;
    std::shared_ptr<NSDecimalNumber> decimalNumberByRoundingAccordingToBehavior(const Behavior& behavior) const;

    NSDecimal decimalValue() const { return m_decimal; }
    bool isNotANumber() const { return NSDecimalIsNotANumber(&m_decimal); }

    // Always "d", as the platform's decimal numbers answer.
    const char* objCType() const override { return "d"; }
    bool boolValue() const override;
    long long longLongValue() const override;
    unsigned long long unsignedLongLongValue() const override;
    double doubleValue() const override;
    NSString stringValue() const override { return descriptionWithLocale(nullptr); }
    NSString descriptionWithLocale(const id& locale) const;
    NSString description() const override { return stringValue(); }

    // Compares exact values, also against other numbers; NaN sorts first (see NSDecimalCompare).
    NSComparisonResult compare(const std::shared_ptr<NSNumber>& decimalNumber) const override;
    bool isEqual(const id& other) const override;

protected:
    void init(const NSDecimal& decimal);

private:
    using Operation = NSCalculationError (*)(NSDecimal*, const NSDecimal*, const NSDecimal*, NSRoundingMode);
    std::shared_ptr<NSDecimalNumber> finishOperation(const char* operation, NSCalculationError error, NSDecimal result,
        const std::shared_ptr<NSDecimalNumber>& rightOperand, const Behavior& behavior) const;
    std::shared_ptr<NSDecimalNumber> perform(const char* operation, Operation function,
        const std::shared_ptr<NSDecimalNumber>& rightOperand, const Behavior& behavior) const;

    NSDecimal m_decimal;
};

namespace ns {
// The decimal value of any number: a decimal number's own, integers exactly, reals by their
// shortest text (0.1 gives 0.1, not the binary value's 55 digits).
NSDecimal decimalValue(const NSNumber& number);
} // namespace ns
