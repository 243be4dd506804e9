#pragma once
// What one sample of a numeric buffer is: its kind, its size in bytes and the byte order it is
// stored in; its text form ("<f8": little-endian, floating point, 8 bytes); and which
// combinations the engine supports.

#include "platform/foundation/CFByteOrder.h"
#include "platform/foundation/NSString.h"

#include <cstddef>
#include <cstdint>

enum PEDataTypeFormat : int {
    PEUndefinedDataType = 0,
    PEIntegerDataType = 1,
    PEUnsignedIntegerDataType = 2,
    PEFloatingPointDataType = 3,
    // The real part first, then the imaginary part, in host order only.
    PEComplexFloatingPointDataType = 4,
    // One NSDecimal of 20 bytes, in host order only.
    PEDecimalDataType = 5,
};

// How the dimensions of a multi-dimensional buffer are laid out.
enum PEDataOrder : int {
    PEDataOrderRowsFirst = 0, // the last index varies fastest
    PEDataOrderColumnsFirst = 1, // the first index varies fastest
};

struct _PENumericDataType {
    PEDataTypeFormat dataTypeFormat { PEUndefinedDataType };
    std::size_t sampleBytes { 0 };
    CFByteOrder byteOrder { CFByteOrderUnknown };
};

_PENumericDataType PEDataTypeMake(PEDataTypeFormat format, std::size_t sampleBytes, CFByteOrder byteOrder);

// Parses a type string: order letter ("<" little-endian, ">" big-endian, "=" the host's), kind
// letter (i, u, f, c, d in either case), then the size in decimal. A string shorter than three
// characters or a size below 1 fails an assertion; an unknown letter raises NSGenericException.
// Support is not checked here.
_PENumericDataType PEDataTypeFromString(const NSString& dataTypeString);
// The text form; an order other than little- or big-endian is written "=". An undefined format
// raises NSGenericException.
NSString PEDataTypeToString(const _PENumericDataType& dataType);

bool PEDataTypeIsSupported(const _PENumericDataType& dataType);
bool PEDataTypeIsEqual(const _PENumericDataType& dataType1, const _PENumericDataType& dataType2);
