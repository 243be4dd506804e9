#include "platform/foundation/NSNumber.h"

#include "platform/foundation/NSDecimalNumber.h"
#include "platform/foundation/NeverDestroyed.h"

#include <charconv>
#include <cmath>

using Kind = NSNumber::Kind;

namespace {

bool isUnsignedKind(Kind kind)
{
    return kind == Kind::UnsignedChar || kind == Kind::UnsignedShort || kind == Kind::UnsignedInt
        || kind == Kind::UnsignedLong || kind == Kind::UnsignedLongLong;
}

} // namespace

void NSNumber::init(Kind kind, std::int64_t value)
{
    m_kind = kind;
    m_signed = value;
}

void NSNumber::init(Kind kind, std::uint64_t value)
{
    m_kind = kind;
    m_unsigned = value;
}

void NSNumber::init(Kind kind, double value)
{
    m_kind = kind;
    m_double = value;
}

std::shared_ptr<NSNumber> NSNumber::numberWithBool(bool value)
{
    static const NeverDestroyed<std::shared_ptr<NSNumber>> yes(create(Kind::Bool, std::int64_t(1)));
    static const NeverDestroyed<std::shared_ptr<NSNumber>> no(create(Kind::Bool, std::int64_t(0)));
    return value ? yes.get() : no.get();
}

std::shared_ptr<NSNumber> NSNumber::numberWithChar(char value) { return create(Kind::Char, std::int64_t(value)); }
std::shared_ptr<NSNumber> NSNumber::numberWithUnsignedChar(unsigned char value) { return create(Kind::UnsignedChar, std::uint64_t(value)); }
std::shared_ptr<NSNumber> NSNumber::numberWithShort(short value) { return create(Kind::Short, std::int64_t(value)); }
std::shared_ptr<NSNumber> NSNumber::numberWithUnsignedShort(unsigned short value) { return create(Kind::UnsignedShort, std::uint64_t(value)); }
std::shared_ptr<NSNumber> NSNumber::numberWithInt(int value) { return create(Kind::Int, std::int64_t(value)); }
std::shared_ptr<NSNumber> NSNumber::numberWithUnsignedInt(unsigned int value) { return create(Kind::UnsignedInt, std::uint64_t(value)); }
std::shared_ptr<NSNumber> NSNumber::numberWithLong(long value) { return create(Kind::Long, std::int64_t(value)); }
std::shared_ptr<NSNumber> NSNumber::numberWithUnsignedLong(unsigned long value) { return create(Kind::UnsignedLong, std::uint64_t(value)); }
std::shared_ptr<NSNumber> NSNumber::numberWithLongLong(long long value) { return create(Kind::LongLong, std::int64_t(value)); }
std::shared_ptr<NSNumber> NSNumber::numberWithUnsignedLongLong(unsigned long long value) { return create(Kind::UnsignedLongLong, std::uint64_t(value)); }
std::shared_ptr<NSNumber> NSNumber::numberWithInteger(NSInteger value) { return create(Kind::Long, std::int64_t(value)); }
std::shared_ptr<NSNumber> NSNumber::numberWithUnsignedInteger(NSUInteger value) { return create(Kind::UnsignedLong, std::uint64_t(value)); }
std::shared_ptr<NSNumber> NSNumber::numberWithFloat(float value) { return create(Kind::Float, double(value)); }
std::shared_ptr<NSNumber> NSNumber::numberWithDouble(double value) { return create(Kind::Double, value); }

const char* NSNumber::objCType() const
{
    switch (m_kind) {
    case Kind::Bool:
    case Kind::Char: return "c";
    case Kind::UnsignedChar: return "C";
    case Kind::Short: return "s";
    case Kind::UnsignedShort: return "S";
    case Kind::Int: return "i";
    case Kind::UnsignedInt: return "I";
    case Kind::Long:
    case Kind::LongLong: return "q";
    case Kind::UnsignedLong:
    case Kind::UnsignedLongLong: return "Q";
    case Kind::Float: return "f";
    case Kind::Double: return "d";
    }
    return "i";
}

bool NSNumber::boolValue() const
{
    if (isFloatingPoint())
        return m_double != 0;
    return m_signed != 0;
}

long long NSNumber::longLongValue() const
{
    if (isFloatingPoint()) {
        // Out-of-range and NaN conversions are undefined in C++; clamp as a careful reader would.
        if (std::isnan(m_double))
            return 0;
        if (m_double >= 9.2233720368547758e18)
            return std::numeric_limits<long long>::max();
        if (m_double <= -9.2233720368547758e18)
            return std::numeric_limits<long long>::min();
        return static_cast<long long>(m_double);
    }
    return static_cast<long long>(m_signed);
}

unsigned long long NSNumber::unsignedLongLongValue() const
{
    if (isFloatingPoint()) {
        if (std::isnan(m_double) || m_double <= -9.2233720368547758e18)
            return 0;
        if (m_double < 0)
            return static_cast<unsigned long long>(static_cast<long long>(m_double));
        if (m_double >= 1.8446744073709552e19)
            return std::numeric_limits<unsigned long long>::max();
        return static_cast<unsigned long long>(m_double);
    }
    return m_unsigned;
}

double NSNumber::doubleValue() const
{
    if (isFloatingPoint())
        return m_double;
    return isUnsignedKind(m_kind) ? double(m_unsigned) : double(m_signed);
}

NSString NSNumber::stringValue() const
{
    if (m_kind == Kind::Float || m_kind == Kind::Double) {
        double value = m_double;
        if (std::isnan(value))
            return "nan";
        if (std::isinf(value))
            return value > 0 ? "inf" : "-inf";
        // Floats print with the float's own precision, so 0.1f reads "0.1".
        const int digits = m_kind == Kind::Float ? 9 : 17;
        char buffer[64];
        for (int precision = m_kind == Kind::Float ? 6 : 15; precision <= digits; ++precision) {
            auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
            double back = 0;
            std::from_chars(buffer, end, back);
            bool same = m_kind == Kind::Float ? float(back) == float(value) : back == value;
            if (same || precision == digits)
                return NSString(std::string_view(buffer, size_t(end - buffer)));
        }
    }
    if (isUnsignedKind(m_kind))
        return NSString(std::to_string(m_unsigned));
    return NSString(std::to_string(m_signed));
}

NSComparisonResult NSNumber::compare(const std::shared_ptr<NSNumber>& other) const
{
    if (!other)
        return NSOrderedDescending;
    // A decimal number compares exactly; let it decide and turn its answer round.
    if (ns::cast<NSDecimalNumber>(std::static_pointer_cast<NSObject>(other)))
        return NSComparisonResult(-other->compare(std::const_pointer_cast<NSNumber>(self())));
    if (isFloatingPoint() || other->isFloatingPoint())
        return NSCompare(doubleValue(), other->doubleValue());
    const bool mineUnsigned = isUnsignedKind(m_kind) && m_unsigned > std::uint64_t(NSIntegerMax);
    const bool theirsUnsigned = isUnsignedKind(other->m_kind) && other->m_unsigned > std::uint64_t(NSIntegerMax);
    if (mineUnsigned || theirsUnsigned) {
        if (mineUnsigned && theirsUnsigned)
            return NSCompare(m_unsigned, other->m_unsigned);
        return mineUnsigned ? NSOrderedDescending : NSOrderedAscending;
    }
    return NSCompare(m_signed, other->m_signed);
}

bool NSNumber::isEqualToNumber(const std::shared_ptr<NSNumber>& other) const
{
    return other && compare(other) == NSOrderedSame;
}

bool NSNumber::isEqual(const id& other) const
{
    return isEqualToNumber(ns::cast<NSNumber>(other));
}

NSUInteger NSNumber::hash() const
{
    double value = doubleValue();
    if (value == std::floor(value) && std::abs(value) < 9e18)
        return NSUInteger(static_cast<long long>(value));
    return std::hash<double> {}(value);
}

id NSNumber::copy() const
{
    return std::const_pointer_cast<NSNumber>(self());
}
