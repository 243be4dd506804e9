#include "platform/foundation/NSDecimalNumberHandler.h"

#include "platform/foundation/NeverDestroyed.h"

std::shared_ptr<NSDecimalNumberHandler> NSDecimalNumberHandler::defaultDecimalNumberHandler()
{
    static const NeverDestroyed<std::shared_ptr<NSDecimalNumberHandler>> handler(
        create(NSRoundPlain, NSDecimalNoScale, false, true, true, true));
    return handler.get();
}

std::shared_ptr<NSDecimalNumberHandler> NSDecimalNumberHandler::decimalNumberHandlerWithRoundingMode(NSRoundingMode roundingMode,
    short scale, bool raiseOnExactness, bool raiseOnOverflow, bool raiseOnUnderflow, bool raiseOnDivideByZero)
{
    return create(roundingMode, scale, raiseOnExactness, raiseOnOverflow, raiseOnUnderflow, raiseOnDivideByZero);
}

void NSDecimalNumberHandler::init(NSRoundingMode roundingMode, short scale, bool raiseOnExactness, bool raiseOnOverflow,
    bool raiseOnUnderflow, bool raiseOnDivideByZero)
{
    m_roundingMode = roundingMode;
    m_scale = scale;
    m_raiseOnExactness = raiseOnExactness;
    m_raiseOnOverflow = raiseOnOverflow;
    m_raiseOnUnderflow = raiseOnUnderflow;
    m_raiseOnDivideByZero = raiseOnDivideByZero;
}

std::shared_ptr<NSDecimalNumber> NSDecimalNumberHandler::exceptionDuringOperation(const char*, NSCalculationError error,
    const std::shared_ptr<NSDecimalNumber>&, const std::shared_ptr<NSDecimalNumber>&)
{
    switch (error) {
    case NSCalculationNoError:
        break;
    case NSCalculationLossOfPrecision:
        if (m_raiseOnExactness)
            throw NSException(NSDecimalNumberExactnessException, "NSDecimalNumber exactness exception");
        break;
    case NSCalculationUnderflow:
        if (m_raiseOnUnderflow)
            throw NSException(NSDecimalNumberUnderflowException, "NSDecimalNumber underflow exception");
        break;
    case NSCalculationOverflow:
        if (m_raiseOnOverflow)
            throw NSException(NSDecimalNumberOverflowException, "NSDecimalNumber overflow exception");
        break;
    case NSCalculationDivideByZero:
        if (m_raiseOnDivideByZero)
            throw NSException(NSDecimalNumberDivideByZeroException, "NSDecimalNumber divide by zero exception");
        break;
    }
    return nullptr;
}
