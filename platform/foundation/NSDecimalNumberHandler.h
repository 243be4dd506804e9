#pragma once
// The ready-made decimal behaviour: a rounding mode, a scale, and which errors raise. An error
// that does not raise lets the operation return its own result.

#include "platform/foundation/NSDecimalNumber.h"

class NSDecimalNumberHandler : public NSObject, public NSDecimalNumberBehaviors {
    NS_OBJECT(NSDecimalNumberHandler, NSObject)
public:
    // Plain rounding, no scale; raises on overflow, underflow and division by zero, not on
    // loss of precision.
    static std::shared_ptr<NSDecimalNumberHandler> defaultDecimalNumberHandler();
    static std::shared_ptr<NSDecimalNumberHandler> decimalNumberHandlerWithRoundingMode(NSRoundingMode roundingMode,
        short scale, bool raiseOnExactness, bool raiseOnOverflow, bool raiseOnUnderflow, bool raiseOnDivideByZero);

    NSRoundingMode roundingMode() const override { return m_roundingMode; }
    short scale() const override { return m_scale; }
    // Raises NSDecimalNumberExactnessException, ...OverflowException, ...UnderflowException or
    // ...DivideByZeroException when asked to; answers nil otherwise.
    std::shared_ptr<NSDecimalNumber> exceptionDuringOperation(const char* operation, NSCalculationError error,
        const std::shared_ptr<NSDecimalNumber>& leftOperand, const std::shared_ptr<NSDecimalNumber>& rightOperand) override;

protected:
    void init(NSRoundingMode roundingMode, short scale, bool raiseOnExactness, bool raiseOnOverflow,
        bool raiseOnUnderflow, bool raiseOnDivideByZero);

private:
    NSRoundingMode m_roundingMode { NSRoundPlain };
    short m_scale { NSDecimalNoScale };
    bool m_raiseOnExactness { false };
    bool m_raiseOnOverflow { true };
    bool m_raiseOnUnderflow { true };
    bool m_raiseOnDivideByZero { true };
};
