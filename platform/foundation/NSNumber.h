#pragma once
// Boxed numbers that keep the type they were made with (objCType), so a JSON integer stays an
// integer and a boolean stays one of the two shared boolean objects.

#include "platform/foundation/NSString.h"

class NSNumber : public NSObject {
    NS_OBJECT(NSNumber, NSObject)
public:
    enum class Kind : std::uint8_t { Bool, Char, UnsignedChar, Short, UnsignedShort, Int, UnsignedInt, Long, UnsignedLong, LongLong, UnsignedLongLong, Float, Double };

    // The two shared boolean objects.
    static std::shared_ptr<NSNumber> numberWithBool(bool value);
    static std::shared_ptr<NSNumber> numberWithChar(char value);
    static std::shared_ptr<NSNumber> numberWithUnsignedChar(unsigned char value);
    static std::shared_ptr<NSNumber> numberWithShort(short value);
    static std::shared_ptr<NSNumber> numberWithUnsignedShort(unsigned short value);
    static std::shared_ptr<NSNumber> numberWithInt(int value);
    static std::shared_ptr<NSNumber> numberWithUnsignedInt(unsigned int value);
    static std::shared_ptr<NSNumber> numberWithLong(long value);
    static std::shared_ptr<NSNumber> numberWithUnsignedLong(unsigned long value);
    static std::shared_ptr<NSNumber> numberWithLongLong(long long value);
    static std::shared_ptr<NSNumber> numberWithUnsignedLongLong(unsigned long long value);
    static std::shared_ptr<NSNumber> numberWithInteger(NSInteger value);
    static std::shared_ptr<NSNumber> numberWithUnsignedInteger(NSUInteger value);
    static std::shared_ptr<NSNumber> numberWithFloat(float value);
    static std::shared_ptr<NSNumber> numberWithDouble(double value);

    // The platform's type encoding: "c" (also for booleans), "C", "s", "S", "i", "I", "q", "Q", "f", "d".
    virtual const char* objCType() const;
    Kind kind() const { return m_kind; }
    bool isBoolean() const { return m_kind == Kind::Bool; }
    bool isFloatingPoint() const { return m_kind == Kind::Float || m_kind == Kind::Double; }

    virtual bool boolValue() const;
    virtual char charValue() const { return static_cast<char>(longLongValue()); }
    virtual short shortValue() const { return static_cast<short>(longLongValue()); }
    virtual int intValue() const { return static_cast<int>(longLongValue()); }
    virtual unsigned int unsignedIntValue() const { return static_cast<unsigned int>(unsignedLongLongValue()); }
    virtual long longValue() const { return static_cast<long>(longLongValue()); }
    virtual NSInteger integerValue() const { return longLongValue(); }
    virtual NSUInteger unsignedIntegerValue() const { return unsignedLongLongValue(); }
    virtual long long longLongValue() const;
    virtual unsigned long long unsignedLongLongValue() const;
    virtual float floatValue() const { return static_cast<float>(doubleValue()); }
    virtual double doubleValue() const;
    // "1", "0" for booleans, integers in decimal, reals with up to 17 significant digits.
    virtual NSString stringValue() const;

    virtual NSComparisonResult compare(const std::shared_ptr<NSNumber>& other) const;
    bool isEqualToNumber(const std::shared_ptr<NSNumber>& other) const;

    NSString description() const override { return stringValue(); }
    bool isEqual(const id& other) const override;
    NSUInteger hash() const override;
    id copy() const override;

protected:
    void init(Kind kind, std::int64_t value);
    void init(Kind kind, std::uint64_t value);
    void init(Kind kind, double value);

    union {
        std::int64_t m_signed { 0 };
        std::uint64_t m_unsigned;
        double m_double;
    };
    Kind m_kind { Kind::Int };
};
