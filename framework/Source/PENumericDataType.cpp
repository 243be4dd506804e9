#include "framework/Source/PENumericDataType.h"

#include "platform/foundation/NSAssertionHandler.h"
#include "platform/foundation/NSDecimal.h"
#include "platform/foundation/NSException.h"

#include <charconv>
#include <limits>
#include <string>

_PENumericDataType PEDataTypeMake(PEDataTypeFormat format, std::size_t sampleBytes, CFByteOrder byteOrder)
{
    return _PENumericDataType { format, sampleBytes, byteOrder };
}

namespace {

PEDataTypeFormat DataTypeForDataTypeString(const std::string& text)
{
    NSCAssert(text.size() >= 3, "dataTypeString is too short");
    switch (text[1]) {
    case 'i':
    case 'I':
        return PEIntegerDataType;
    case 'u':
    case 'U':
        return PEUnsignedIntegerDataType;
    case 'f':
    case 'F':
        return PEFloatingPointDataType;
    case 'c':
    case 'C':
        return PEComplexFloatingPointDataType;
    case 'd':
    case 'D':
        return PEDecimalDataType;
    default:
        NSException::raise(NSGenericException, "Unknown type in dataTypeString");
    }
}

std::size_t SampleBytesForDataTypeString(const std::string& text)
{
    NSCAssert(text.size() >= 3, "dataTypeString is too short");
    // As the platform reads an integer from text: leading blanks, a sign, digits; anything
    // else ends it, and no digits read as 0. Huge values saturate rather than wrap.
    std::size_t position = 2;
    while (position < text.size() && (text[position] == ' ' || text[position] == '\t'))
        ++position;
    bool negative = false;
    if (position < text.size() && (text[position] == '+' || text[position] == '-'))
        negative = text[position++] == '-';
    long long value = 0;
    auto [end, error] = std::from_chars(text.data() + position, text.data() + text.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range)
        value = std::numeric_limits<long long>::max();
    if (negative)
        value = -value;
    NSCAssert(value >= 1, "sample bytes is negative.");
    return static_cast<std::size_t>(value);
}

CFByteOrder ByteOrderForDataTypeString(const std::string& text)
{
    NSCAssert(text.size() >= 3, "dataTypeString is too short");
    switch (text[0]) {
    case '<':
        return CFByteOrderLittleEndian;
    case '=':
        return CFByteOrderGetCurrent();
    case '>':
        return CFByteOrderBigEndian;
    default:
        NSException::raise(NSGenericException, "Unknown byte order in dataTypeString");
    }
}

} // namespace

_PENumericDataType PEDataTypeFromString(const NSString& dataTypeString)
{
    const std::string text = dataTypeString.isNil() ? std::string() : std::string(dataTypeString.UTF8String());
    _PENumericDataType type;
    type.dataTypeFormat = DataTypeForDataTypeString(text);
    type.sampleBytes = SampleBytesForDataTypeString(text);
    type.byteOrder = ByteOrderForDataTypeString(text);
    return type;
}

NSString PEDataTypeToString(const _PENumericDataType& dataType)
{
    // An unknown order is the host's: "=" reads back, where no letter at all would not.
    const char* order = dataType.byteOrder == CFByteOrderLittleEndian ? "<"
        : dataType.byteOrder == CFByteOrderBigEndian                   ? ">"
                                                                       : "=";
    const char* kind = nullptr;
    switch (dataType.dataTypeFormat) {
    case PEUndefinedDataType:
        NSException::raise(NSGenericException, "Unsupported data type");
    case PEIntegerDataType:
        kind = "i";
        break;
    case PEUnsignedIntegerDataType:
        kind = "u";
        break;
    case PEFloatingPointDataType:
        kind = "f";
        break;
    case PEComplexFloatingPointDataType:
        kind = "c";
        break;
    case PEDecimalDataType:
        kind = "d";
        break;
    }
    return NSString::stringWithFormat("%s%s%lu", order, kind ? kind : "(null)",
        static_cast<unsigned long>(dataType.sampleBytes));
}

bool PEDataTypeIsSupported(const _PENumericDataType& dataType)
{
    const CFByteOrder order = dataType.byteOrder;
    if (order != CFByteOrderUnknown && order != CFByteOrderLittleEndian && order != CFByteOrderBigEndian)
        return false;
    const std::size_t size = dataType.sampleBytes;
    switch (dataType.dataTypeFormat) {
    case PEUndefinedDataType:
        return true;
    case PEIntegerDataType:
    case PEUnsignedIntegerDataType:
        return size == 1 || size == 2 || size == 4 || size == 8;
    case PEFloatingPointDataType:
        return size == 4 || size == 8;
    case PEComplexFloatingPointDataType:
        return (size == 8 || size == 16) && order == CFByteOrderLittleEndian;
    case PEDecimalDataType:
        return size == sizeof(NSDecimal) && order == CFByteOrderLittleEndian;
    }
    return false;
}

bool PEDataTypeIsEqual(const _PENumericDataType& dataType1, const _PENumericDataType& dataType2)
{
    return dataType1.dataTypeFormat == dataType2.dataTypeFormat && dataType1.sampleBytes == dataType2.sampleBytes
        && dataType1.byteOrder == dataType2.byteOrder;
}
