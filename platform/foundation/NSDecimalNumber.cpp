#include "platform/foundation/NSDecimalNumber.h"

#include "platform/foundation/NSCharacterSet.h"
#include "platform/foundation/NSDecimalNumberHandler.h"
#include "platform/foundation/NeverDestroyed.h"

namespace {

NSDecimal decimalOf(const std::shared_ptr<NSDecimalNumber>& number)
{
    return number ? number->decimalValue() : ns::decimalNotANumber();
}

const NSDecimalNumber::Behavior& behaviorOrDefault(const NSDecimalNumber::Behavior& behavior)
{
    static const NeverDestroyed<NSDecimalNumber::Behavior> defaultBehavior(NSDecimalNumberHandler::defaultDecimalNumberHandler());
    return behavior ? behavior : defaultBehavior.get();
}

} // namespace

void NSDecimalNumber::init(const NSDecimal& decimal)
{
    m_decimal = decimal;
    // The base keeps the nearest double, so code that reads the plain number fields agrees.
    NSNumber::init(Kind::Double, ns::decimalDoubleValue(decimal));
}

std::shared_ptr<NSDecimalNumber> NSDecimalNumber::decimalNumberWithString(const NSString& numberValue)
{
    const std::u16string_view text = numberValue.view();
    const auto whitespace = NSCharacterSet::whitespaceAndNewlineCharacterSet();
    std::size_t position = 0;
    while (position < text.size() && whitespace->characterIsMember(text[position]))
        ++position;
    NSDecimal decimal;
    if (!ns::scanDecimal(text, position, decimal))
        return notANumber();
    return create(decimal);
}

std::shared_ptr<NSDecimalNumber> NSDecimalNumber::decimalNumberWithMantissa(unsigned long long mantissa, short exponent, bool isNegative)
{
    return create(ns::decimalWithMantissa(mantissa, exponent, isNegative));
}

std::shared_ptr<NSDecimalNumber> NSDecimalNumber::decimalNumberWithDecimal(const NSDecimal& decimal)
{
    return create(decimal);
}

std::shared_ptr<NSDecimalNumber> NSDecimalNumber::zero()
{
    static const NeverDestroyed<std::shared_ptr<NSDecimalNumber>> number(create(ns::decimalWithLongLong(0)));
    return number.get();
}

std::shared_ptr<NSDecimalNumber> NSDecimalNumber::one()
{
    static const NeverDestroyed<std::shared_ptr<NSDecimalNumber>> number(create(ns::decimalWithLongLong(1)));
    return number.get();
}

std::shared_ptr<NSDecimalNumber> NSDecimalNumber::notANumber()
{
    static const NeverDestroyed<std::shared_ptr<NSDecimalNumber>> number(create(ns::decimalNotANumber()));
    return number.get();
}

namespace {

NSDecimal extremeDecimal(bool negative)
{
    NSDecimal decimal;
    decimal._exponent = 127;
    decimal._length = NSDecimalMaxSize;
    decimal._isNegative = negative;
    decimal._isCompact = 1;
    for (auto& part : decimal._mantissa)
        part = 0xffff;
    return decimal;
}

} // namespace

std::shared_ptr<NSDecimalNumber> NSDecimalNumber::minimumDecimalNumber()
{
    static const NeverDestroyed<std::shared_ptr<NSDecimalNumber>> number(create(extremeDecimal(true)));
    return number.get();
}

std::shared_ptr<NSDecimalNumber> NSDecimalNumber::maximumDecimalNumber()
{
    static const NeverDestroyed<std::shared_ptr<NSDecimalNumber>> number(create(extremeDecimal(false)));
    return number.get();
}

std::shared_ptr<NSDecimalNumber> NSDecimalNumber::finishOperation(const char* operation, NSCalculationError error,
    NSDecimal result, const std::shared_ptr<NSDecimalNumber>& rightOperand, const Behavior& behavior) const
{
    const Behavior& effective = behaviorOrDefault(behavior);
    if (error != NSCalculationNoError) {
        auto leftOperand = std::const_pointer_cast<NSDecimalNumber>(self());
        if (auto replacement = effective->exceptionDuringOperation(operation, error, leftOperand, rightOperand))
            return replacement;
        if (error != NSCalculationLossOfPrecision)
            return notANumber();
    }
    const short scale = effective->scale();
    if (scale != NSDecimalNoScale)
        NSDecimalRound(&result, &result, scale, effective->roundingMode());
    return create(result);
}

std::shared_ptr<NSDecimalNumber> NSDecimalNumber::perform(const char* operation, Operation function,
    const std::shared_ptr<NSDecimalNumber>& rightOperand, const Behavior& behavior) const
{
    const NSDecimal right = decimalOf(rightOperand);
    NSDecimal result;
    const NSCalculationError error = function(&result, &m_decimal, &right, behaviorOrDefault(behavior)->roundingMode());
    return finishOperation(operation, error, result, rightOperand, behavior);
}

std::shared_ptr<NSDecimalNumber> NSDecimalNumber::decimalNumberByAdding(const std::shared_ptr<NSDecimalNumber>& decimalNumber, const Behavior& behavior) const
{
    return perform("decimalNumberByAdding", NSDecimalAdd, decimalNumber, behavior);
}

std::shared_ptr<NSDecimalNumber> NSDecimalNumber::decimalNumberBySubtracting(const std::shared_ptr<NSDecimalNumber>& decimalNumber, const Behavior& behavior) const
{
    return perform("decimalNumberBySubtracting", NSDecimalSubtract, decimalNumber, behavior);
}

std::shared_ptr<NSDecimalNumber> NSDecimalNumber::decimalNumberByMultiplyingBy(const std::shared_ptr<NSDecimalNumber>& decimalNumber, const Behavior& behavior) const
{
    return perform("decimalNumberByMultiplyingBy", NSDecimalMultiply, decimalNumber, behavior);
}

std::shared_ptr<NSDecimalNumber> NSDecimalNumber::decimalNumberByDividingBy(const std::shared_ptr<NSDecimalNumber>& decimalNumber, const Behavior& behavior) const
{
    return perform("decimalNumberByDividingBy", NSDecimalDivide, decimalNumber, behavior);
}

std::shared_ptr<NSDecimalNumber> NSDecimalNumber::decimalNumberByRaisingToPower(NSUInteger power, const Behavior& behavior) const
{
    NSDecimal result;
    const NSCalculationError error = NSDecimalPower(&result, &m_decimal, power, behaviorOrDefault(behavior)->roundingMode());
    return finishOperation("decimalNumberByRaisingToPower", error, result, nullptr, behavior);
}

std::shared_ptr<NSDecimalNumber> NSDecimalNumber::decimalNumberByMultiplyingByPowerOf10(short power, const Behavior& behavior) const
{
    NSDecimal result;
    const NSCalculationError error = NSDecimalMultiplyByPowerOf10(&result, &m_decimal, power, behaviorOrDefault(behavior)->roundingMode());
    return finishOperation("decimalNumberByMultiplyingByPowerOf10", error, result, nullptr, behavior);
}

std::shared_ptr<NSDecimalNumber> NSDecimalNumber::decimalNumberByRoundingAccordingToBehavior(const Behavior& behavior) const
{
    const Behavior& effective = behaviorOrDefault(behavior);
    NSDecimal result;
    NSDecimalRound(&result, &m_decimal, effective->scale(), effective->roundingMode());
    return create(result);
}

bool NSDecimalNumber::boolValue() const
{
    return m_decimal._length != 0;
}

long long NSDecimalNumber::longLongValue() const
{
    return ns::decimalLongLongValue(m_decimal);
}

unsigned long long NSDecimalNumber::unsignedLongLongValue() const
{
    return ns::decimalUnsignedLongLongValue(m_decimal);
}

double NSDecimalNumber::doubleValue() const
{
    return ns::decimalDoubleValue(m_decimal);
}

NSString NSDecimalNumber::descriptionWithLocale(const id& locale) const
{
    return NSDecimalString(&m_decimal, locale);
}

NSComparisonResult NSDecimalNumber::compare(const std::shared_ptr<NSNumber>& decimalNumber) const
{
    if (!decimalNumber)
        return NSOrderedDescending;
    const NSDecimal other = ns::decimalValue(*decimalNumber);
    return NSDecimalCompare(&m_decimal, &other);
}

bool NSDecimalNumber::isEqual(const id& other) const
{
    const auto number = ns::cast<NSNumber>(other);
    return number && compare(number) == NSOrderedSame;
}

namespace ns {

NSDecimal decimalValue(const NSNumber& number)
{
    if (const auto* decimalNumber = dynamic_cast<const NSDecimalNumber*>(&number))
        return decimalNumber->decimalValue();
    switch (number.kind()) {
    case NSNumber::Kind::Float:
        return decimalWithFloat(number.floatValue());
    case NSNumber::Kind::Double:
        return decimalWithDouble(number.doubleValue());
    case NSNumber::Kind::UnsignedChar:
    case NSNumber::Kind::UnsignedShort:
    case NSNumber::Kind::UnsignedInt:
    case NSNumber::Kind::UnsignedLong:
    case NSNumber::Kind::UnsignedLongLong:
        return decimalWithUnsignedLongLong(number.unsignedLongLongValue());
    default:
        return decimalWithLongLong(number.longLongValue());
    }
}

} // namespace ns
