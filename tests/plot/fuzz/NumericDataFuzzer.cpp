// Numeric buffers described from outside: a type string, a shape and sample bytes, and archived
// buffers in both coding forms. Misuse may raise; nothing may crash or read out of bounds.
//
// Input: the type string up to the first newline, the shape (sizes separated by commas, empty
// for none) up to the second, then the sample bytes.
#include "framework/Source/PEMutableNumericData.h"
#include "framework/Source/PENumericData.h"
#include "platform/foundation/Foundation.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/foundation/NSUnarchiver.h"

#include <cstring>
#include <string>
#include <string_view>

namespace {

const _PENumericDataType targets[] = {
    { PEIntegerDataType, 1, CFByteOrderLittleEndian },
    { PEIntegerDataType, 4, CFByteOrderBigEndian },
    { PEUnsignedIntegerDataType, 8, CFByteOrderLittleEndian },
    { PEUnsignedIntegerDataType, 2, CFByteOrderBigEndian },
    { PEFloatingPointDataType, 4, CFByteOrderLittleEndian },
    { PEFloatingPointDataType, 8, CFByteOrderBigEndian },
    { PEComplexFloatingPointDataType, 16, CFByteOrderLittleEndian },
    { PEDecimalDataType, 20, CFByteOrderLittleEndian },
};

void exercise(const std::shared_ptr<PENumericData>& data)
{
    if (!data)
        return;
    (void)data->description();
    (void)data->sampleValueAtIndex(1, 1, 1);
    (void)data->samplePointerAtIndex(0, 2);
    for (const auto& target : targets) {
        try {
            auto converted = data->dataByConvertingToDataType(target);
            (void)converted->sampleArray();
        } catch (const NSException&) {
        }
    }
    auto mutableData = ns::cast<PEMutableNumericData>(data->mutableCopy());
    for (const auto& target : targets) {
        try {
            mutableData->setDataType(target);
        } catch (const NSException&) {
        }
    }
    try {
        mutableData->setShape(ns::array({ NSNumber::numberWithInt(3), NSNumber::numberWithInt(2) }));
        (void)mutableData->sampleValueAtIndex(2, 1);
    } catch (const NSException&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    auto whole = NSData::dataWithBytes(bytes, size);
    // The same bytes as archives of either form.
    try {
        exercise(ns::cast<PENumericData>(NSKeyedUnarchiver::unarchiveObjectWithData(whole)));
        exercise(ns::cast<PENumericData>(NSUnarchiver::unarchiveObjectWithData(whole)));
    } catch (const NSException&) {
    }

    std::string_view input(reinterpret_cast<const char*>(bytes), size);
    const std::size_t typeEnd = input.find('\n');
    if (typeEnd == std::string_view::npos)
        return 0;
    const std::size_t shapeEnd = input.find('\n', typeEnd + 1);
    if (shapeEnd == std::string_view::npos)
        return 0;
    const std::string typeText(input.substr(0, typeEnd));
    std::shared_ptr<NSArray> shape;
    if (shapeEnd > typeEnd + 1) {
        std::vector<id> sizes;
        std::string_view rest = input.substr(typeEnd + 1, shapeEnd - typeEnd - 1);
        while (!rest.empty() && sizes.size() < 8) {
            const std::size_t comma = rest.find(',');
            sizes.push_back(NSNumber::numberWithUnsignedLongLong(std::strtoull(std::string(rest.substr(0, comma)).c_str(), nullptr, 10)));
            rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        }
        shape = NSArray::create(std::move(sizes));
    }
    auto samples = NSData::dataWithBytes(bytes + shapeEnd + 1, size - shapeEnd - 1);
    try {
        const _PENumericDataType type = PEDataTypeFromString(NSString(typeText));
        (void)PEDataTypeToString(type);
        exercise(PENumericData::numericDataWithData(samples, type, shape));
        exercise(PENumericData::numericDataWithArray(ns::array({ NSNumber::numberWithDouble(1.5), NSNull::null(), NSString("7") }), type, nullptr));
    } catch (const NSException&) {
    }
    return 0;
}
