#include "framework/Source/PEExceptions.h"
#include "framework/Source/PEMutableNumericData.h"
#include "framework/Source/PENumericData.h"
#include "platform/foundation/Foundation.h"
#include "platform/foundation/NSArchiver.h"
#include "platform/foundation/NSDecimalNumber.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/foundation/NSUnarchiver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

const _PENumericDataType doubles = PEDataTypeMake(PEFloatingPointDataType, 8, CFByteOrderLittleEndian);

std::shared_ptr<NSArray> shape(std::initializer_list<NSUInteger> sizes)
{
    std::vector<id> entries;
    for (NSUInteger size : sizes)
        entries.push_back(NSNumber::numberWithUnsignedInteger(size));
    return NSArray::create(std::move(entries));
}

std::shared_ptr<NSData> bytesOf(const std::vector<double>& values)
{
    return NSData::dataWithBytes(values.data(), values.size() * sizeof(double));
}

template <class T>
std::vector<T> samplesOf(const PENumericData& data)
{
    std::vector<T> values(data.length() / sizeof(T));
    std::memcpy(values.data(), data.bytes(), values.size() * sizeof(T));
    return values;
}

NSString reasonOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const NSException& exception) {
        return exception.name() + NSString(": ") + exception.reason();
    }
    return "no exception";
}

} // namespace

TEST(NumericDataType, parsesAndFormatsTypeStrings)
{
    auto parsed = PEDataTypeFromString("<f8");
    EXPECT_TRUE(PEDataTypeIsEqual(parsed, doubles));
    EXPECT_TRUE(PEDataTypeIsEqual(PEDataTypeFromString("=i4"), PEDataTypeMake(PEIntegerDataType, 4, CFByteOrderLittleEndian)));
    EXPECT_TRUE(PEDataTypeIsEqual(PEDataTypeFromString(">U2"), PEDataTypeMake(PEUnsignedIntegerDataType, 2, CFByteOrderBigEndian)));
    EXPECT_EQ(reasonOf([] { PEDataTypeFromString("<x4"); }), NSString("NSGenericException: Unknown type in dataTypeString"));
    EXPECT_EQ(reasonOf([] { PEDataTypeFromString("?f4"); }), NSString("NSGenericException: Unknown byte order in dataTypeString"));
    EXPECT_EQ(reasonOf([] { PEDataTypeFromString("<f"); }), NSString("NSInternalInconsistencyException: dataTypeString is too short"));
    EXPECT_EQ(reasonOf([] { PEDataTypeFromString("<f0"); }), NSString("NSInternalInconsistencyException: sample bytes is negative."));
    EXPECT_EQ(reasonOf([] { PEDataTypeFromString("<f-8"); }), NSString("NSInternalInconsistencyException: sample bytes is negative."));

    EXPECT_EQ(PEDataTypeToString(PEDataTypeMake(PEIntegerDataType, 4, CFByteOrderLittleEndian)), NSString("<i4"));
    EXPECT_EQ(PEDataTypeToString(PEDataTypeMake(PEDecimalDataType, 20, CFByteOrderLittleEndian)), NSString("<d20"));
    // An unknown order is written as the host's, so the text parses back.
    EXPECT_EQ(PEDataTypeToString(PEDataTypeMake(PEFloatingPointDataType, 8, CFByteOrderUnknown)), NSString("=f8"));
    EXPECT_EQ(reasonOf([] { PEDataTypeToString(_PENumericDataType {}); }), NSString("NSGenericException: Unsupported data type"));
}

TEST(NumericDataType, supportsOnlyTheListedSizesAndOrders)
{
    EXPECT_TRUE(PEDataTypeIsSupported(PEDataTypeMake(PEComplexFloatingPointDataType, 16, CFByteOrderLittleEndian)));
    EXPECT_FALSE(PEDataTypeIsSupported(PEDataTypeMake(PEComplexFloatingPointDataType, 16, CFByteOrderBigEndian)));
    EXPECT_TRUE(PEDataTypeIsSupported(PEDataTypeMake(PEDecimalDataType, 20, CFByteOrderLittleEndian)));
    EXPECT_FALSE(PEDataTypeIsSupported(PEDataTypeMake(PEDecimalDataType, 20, CFByteOrderBigEndian)));
    EXPECT_FALSE(PEDataTypeIsSupported(PEDataTypeMake(PEIntegerDataType, 3, CFByteOrderLittleEndian)));
    EXPECT_FALSE(PEDataTypeIsSupported(PEDataTypeMake(PEFloatingPointDataType, 8, 3)));
    EXPECT_TRUE(PEDataTypeIsSupported(PEDataTypeMake(PEUndefinedDataType, 7, CFByteOrderBigEndian)));
}

TEST(NumericData, takesItsShapeFromTheDataOrRaisesOnAMismatch)
{
    auto data = PENumericData::numericDataWithData(bytesOf({ 1, 2, 3 }), doubles, nullptr);
    EXPECT_EQ(data->numberOfSamples(), 3u);
    EXPECT_TRUE(ns::isEqual(data->shape(), shape({ 3 })));
    EXPECT_EQ(reasonOf([] { PENumericData::numericDataWithData(bytesOf({ 1, 2, 3 }), doubles, shape({ 2, 2 })); }),
        NSString("PENumericDataException: Shape product (4) does not match data size (3)"));
    EXPECT_EQ(reasonOf([] { PENumericData::numericDataWithData(bytesOf({ 1 }), PEDataTypeMake(PEIntegerDataType, 3, 1), nullptr); }),
        NSString("NSInternalInconsistencyException: Invalid parameter not satisfying: PEDataTypeIsSupported(newDataType)"));

    // Only whole samples count.
    auto ragged = PENumericData::numericDataWithData(NSData::dataWithBytes("abcdefghijk", 11), "<i4", nullptr);
    EXPECT_EQ(ragged->numberOfSamples(), 2u);
}

TEST(NumericData, findsSamplesByIndexInBothOrders)
{
    std::vector<double> values { 0, 1, 2, 3, 4, 5 };
    auto rows = PENumericData::numericDataWithData(bytesOf(values), doubles, shape({ 2, 3 }));
    EXPECT_EQ(rows->sampleIndex(1, 2), 5u);
    EXPECT_EQ(rows->sampleIndex(1, 0), 3u);
    EXPECT_EQ(rows->sampleIndex(2, 0), NSNotFound);
    EXPECT_EQ(rows->samplePointerAtIndex(2, 0), nullptr);
    EXPECT_EQ(rows->sampleValueAtIndex(0, 3), nullptr);
    EXPECT_DOUBLE_EQ(ns::cast<NSNumber>(rows->sampleValueAtIndex(1, 1))->doubleValue(), 4);

    auto columns = PENumericData::numericDataWithData(bytesOf(values), doubles, shape({ 2, 3 }), PEDataOrderColumnsFirst);
    EXPECT_EQ(columns->sampleIndex(1, 2), 5u);
    EXPECT_EQ(columns->sampleIndex(0, 1), 2u);
    EXPECT_EQ(columns->sampleValue(6), nullptr);
    EXPECT_EQ(columns->samplePointer(6), nullptr);
}

TEST(NumericData, buildsSamplesFromArraysWithNullAsZeroOrNotANumber)
{
    auto items = ns::array({ NSNumber::numberWithInt(1), NSNull::null(), NSNumber::numberWithInt(3) });
    auto shorts = PENumericData::numericDataWithArray(items, "<i2", nullptr);
    EXPECT_EQ(samplesOf<std::int16_t>(*shorts), (std::vector<std::int16_t> { 1, 0, 3 }));
    auto reals = PENumericData::numericDataWithArray(items, doubles, nullptr);
    auto values = samplesOf<double>(*reals);
    EXPECT_EQ(values[0], 1);
    EXPECT_TRUE(std::isnan(values[1]));
    EXPECT_EQ(values[2], 3);
    auto decimals = PENumericData::numericDataWithArray(items, "<d20", nullptr);
    EXPECT_TRUE(ns::cast<NSDecimalNumber>(decimals->sampleValue(1))->isNotANumber());
    EXPECT_EQ(ns::cast<NSDecimalNumber>(decimals->sampleValue(2))->doubleValue(), 3);

    auto big = PENumericData::numericDataWithArray(ns::array({ NSNumber::numberWithInt(1) }), ">i4", nullptr);
    ASSERT_EQ(big->length(), 4u);
    EXPECT_EQ(std::vector<std::uint8_t>(big->bytes(), big->bytes() + 4), (std::vector<std::uint8_t> { 0, 0, 0, 1 }));
    // Samples read in their buffer's byte order.
    EXPECT_EQ(ns::cast<NSNumber>(big->sampleValue(0))->intValue(), 1);

    EXPECT_EQ(reasonOf([&] { PENumericData::dataFromArray(items, PEDataTypeMake(PEComplexFloatingPointDataType, 8, 1)); }),
        NSString("NSInternalInconsistencyException: Invalid parameter not satisfying: newDataType.dataTypeFormat != PEComplexFloatingPointDataType"));
}

TEST(NumericData, describesItsSamplesTypeShapeAndOrder)
{
    auto data = PENumericData::numericDataWithData(bytesOf({ 1.5, 2 }), doubles, nullptr);
    NSString text = data->description();
    EXPECT_TRUE(text.hasSuffix(" [ 1.5, 2 ] {<f8, (\n    2\n), by rows}>")) << text.UTF8String();
    EXPECT_TRUE(text.hasPrefix("<<PENumericData: ")) << text.UTF8String();
}

TEST(NumericData, copiesKeepMutabilityAndOwnTheirBytes)
{
    auto mutableData = PEMutableNumericData::numericDataWithData(bytesOf({ 1 }), doubles, nullptr);
    auto copy = ns::cast<PEMutableNumericData>(mutableData->copy());
    ASSERT_TRUE(copy);
    copy->mutableBytes()[0] ^= 0xff;
    EXPECT_EQ(samplesOf<double>(*mutableData)[0], 1);

    auto immutable = PENumericData::numericDataWithData(bytesOf({ 1 }), doubles, nullptr);
    EXPECT_FALSE(ns::cast<PEMutableNumericData>(immutable->copy()));
    EXPECT_TRUE(ns::cast<PEMutableNumericData>(immutable->mutableCopy()));

    mutableData->setShape(shape({ 5 }));
    EXPECT_EQ(mutableData->length(), 40u);
    EXPECT_EQ(samplesOf<double>(*mutableData), (std::vector<double> { 1, 0, 0, 0, 0 }));
    mutableData->setShape(shape({ 2 }));
    EXPECT_EQ(mutableData->length(), 16u);
    EXPECT_THROW(mutableData->setShape(shape({ NSUIntegerMax, 2 })), NSException);
}

TEST(NumericDataConversion, convertsFloatingPointToIntegersWithTheProcessorsSaturation)
{
    auto source = PENumericData::numericDataWithData(bytesOf({ 1.9, -1.9, 300.7, NAN, 1e20, -1e20 }), doubles, nullptr);
    auto bytes = source->dataByConvertingToType(PEIntegerDataType, 1, CFByteOrderLittleEndian);
    // 300 keeps its low byte; 1e20 saturates to the largest 32-bit integer first (low byte 0xff).
    EXPECT_EQ(samplesOf<std::int8_t>(*bytes), (std::vector<std::int8_t> { 1, -1, 44, 0, -1, 0 }));
    auto words = source->dataByConvertingToType(PEIntegerDataType, 4, CFByteOrderLittleEndian);
    EXPECT_EQ(samplesOf<std::int32_t>(*words), (std::vector<std::int32_t> { 1, -1, 300, 0, INT32_MAX, INT32_MIN }));
    auto unsignedWords = source->dataByConvertingToType(PEUnsignedIntegerDataType, 8, CFByteOrderLittleEndian);
    EXPECT_EQ(samplesOf<std::uint64_t>(*unsignedWords), (std::vector<std::uint64_t> { 1, 0, 300, 0, UINT64_MAX, 0 }));
    EXPECT_EQ(bytes->shape(), bytes->shape());
    EXPECT_TRUE(ns::isEqual(bytes->shape(), source->shape()));
}

TEST(NumericDataConversion, extendsSignsOrZerosBetweenIntegers)
{
    auto minusOne = PENumericData::numericDataWithData(NSData::dataWithBytes("\xff", 1), "<i1", nullptr);
    auto asByte = minusOne->dataByConvertingToType(PEUnsignedIntegerDataType, 1, CFByteOrderLittleEndian);
    EXPECT_EQ(asByte->bytes()[0], 0xff);
    auto asWord = minusOne->dataByConvertingToType(PEUnsignedIntegerDataType, 2, CFByteOrderLittleEndian);
    EXPECT_EQ(samplesOf<std::uint16_t>(*asWord)[0], 0xffff);
    auto fromUnsigned = PENumericData::numericDataWithData(NSData::dataWithBytes("\xff", 1), "<u1", nullptr)
                            ->dataByConvertingToType(PEIntegerDataType, 2, CFByteOrderLittleEndian);
    EXPECT_EQ(samplesOf<std::int16_t>(*fromUnsigned)[0], 255);
}

TEST(NumericDataConversion, goesThroughComplexAndDecimalSamples)
{
    auto source = PENumericData::numericDataWithData(bytesOf({ 2.5, -0.0000004 }), doubles, nullptr);
    auto complex = source->dataByConvertingToType(PEComplexFloatingPointDataType, 8, CFByteOrderLittleEndian);
    EXPECT_EQ(samplesOf<float>(*complex), (std::vector<float> { 2.5f, 0, -0.0000004f, 0 }));
    auto decimals = complex->dataByConvertingToType(PEDecimalDataType, 20, CFByteOrderLittleEndian);
    EXPECT_EQ(ns::cast<NSDecimalNumber>(decimals->sampleValue(0))->stringValue(), NSString("2.5"));
    // Six decimals survive the text conversion.
    EXPECT_EQ(ns::cast<NSDecimalNumber>(decimals->sampleValue(1))->doubleValue(), 0);
    auto integers = decimals->dataByConvertingToType(PEIntegerDataType, 4, CFByteOrderLittleEndian);
    EXPECT_EQ(samplesOf<std::int32_t>(*integers), (std::vector<std::int32_t> { 2, 0 }));
    auto back = decimals->dataByConvertingToType(PEFloatingPointDataType, 8, CFByteOrderLittleEndian);
    EXPECT_EQ(samplesOf<double>(*back), (std::vector<double> { 2.5, 0 }));
}

TEST(NumericDataConversion, keepsTheOrderOfDimensions)
{
    auto columns = PENumericData::numericDataWithData(bytesOf({ 0, 1, 2, 3, 4, 5 }), doubles, shape({ 2, 3 }), PEDataOrderColumnsFirst);
    auto converted = columns->dataByConvertingToType(PEIntegerDataType, 2, CFByteOrderBigEndian);
    EXPECT_EQ(converted->dataOrder(), PEDataOrderColumnsFirst);
    EXPECT_EQ(ns::cast<NSNumber>(converted->sampleValueAtIndex(1, 2))->intValue(), 5);
}

TEST(NumericDataConversion, convertsInPlaceGrowingAndShrinkingTheBuffer)
{
    auto data = PEMutableNumericData::numericDataWithData(bytesOf({ 1.25, -2, 3 }), doubles, nullptr);
    EXPECT_THROW(data->setDataTypeFormat(PEDecimalDataType), NSException); // decimals are 20 bytes
    EXPECT_EQ(data->length(), 24u);
    data->convertToType(PEDecimalDataType, 20, CFByteOrderLittleEndian);
    EXPECT_EQ(data->length(), 60u);
    EXPECT_EQ(ns::cast<NSNumber>(data->sampleValue(0))->doubleValue(), 1.25);
    data->convertToType(PEFloatingPointDataType, 8, CFByteOrderLittleEndian);
    EXPECT_EQ(data->length(), 24u);
    EXPECT_EQ(samplesOf<double>(*data), (std::vector<double> { 1.25, -2, 3 }));

    auto words = PEMutableNumericData::numericDataWithData(NSData::dataWithBytes("\x01\x02\x03\x04\x05\x06\x07\x08", 8), "<i4", nullptr);
    words->setByteOrder(CFByteOrderBigEndian);
    EXPECT_EQ(words->length(), 8u);
    EXPECT_EQ(std::vector<std::uint8_t>(words->bytes(), words->bytes() + 8), (std::vector<std::uint8_t> { 4, 3, 2, 1, 8, 7, 6, 5 }));
    words->setSampleBytes(2);
    EXPECT_EQ(ns::cast<NSNumber>(words->sampleValue(0))->intValue(), 0x0201);
    EXPECT_EQ(ns::cast<NSNumber>(words->sampleValue(1))->intValue(), 0x0605);
    EXPECT_EQ(words->bytes()[0], 0x02);
}

TEST(NumericDataCoding, roundTripsKeyedAndUnkeyedAndRefusesMismatchedArchives)
{
    auto source = PEMutableNumericData::numericDataWithData(bytesOf({ 0, 1, 2, 3, 4, 5 }), doubles, shape({ 3, 2 }), PEDataOrderColumnsFirst);
    for (bool keyed : { true, false }) {
        auto archive = keyed ? NSKeyedArchiver::archivedDataWithRootObject(source) : NSArchiver::archivedDataWithRootObject(source);
        auto back = ns::cast<PEMutableNumericData>(keyed ? NSKeyedUnarchiver::unarchiveObjectWithData(archive) : NSUnarchiver::unarchiveObjectWithData(archive));
        ASSERT_TRUE(back) << keyed;
        EXPECT_TRUE(PEDataTypeIsEqual(back->dataType(), doubles));
        EXPECT_TRUE(ns::isEqual(back->shape(), source->shape()));
        EXPECT_EQ(back->dataOrder(), PEDataOrderColumnsFirst);
        EXPECT_EQ(samplesOf<double>(*back), samplesOf<double>(*source));
    }

    auto archiver = NSKeyedArchiver::create();
    archiver->encodeObject(NSData::dataWithBytes("12345678", 8), "PENumericData.data");
    archiver->encodeInt(PEFloatingPointDataType, "PENumericData.dataType.dataTypeFormat");
    archiver->encodeInt64(8, "PENumericData.dataType.sampleBytes");
    archiver->encodeInt64(1, "PENumericData.dataType.byteOrder");
    archiver->encodeObject(shape({ 2 }), "PENumericData.shape");
    auto unarchiver = NSKeyedUnarchiver::create(archiver->encodedData());
    EXPECT_EQ(PENumericData::create(*unarchiver), nullptr); // one sample, a shape of two
}

TEST(NumericDataConversion, convertsEmptyBuffers)
{
    auto empty = PENumericData::numericDataWithData(NSData::data(), doubles, nullptr);
    auto converted = empty->dataByConvertingToType(PEIntegerDataType, 2, CFByteOrderBigEndian);
    EXPECT_EQ(converted->length(), 0u);
    auto mutableEmpty = PEMutableNumericData::numericDataWithData(NSData::data(), "<i2", nullptr);
    mutableEmpty->convertToType(PEDecimalDataType, 20, CFByteOrderLittleEndian);
    mutableEmpty->convertToType(PEFloatingPointDataType, 4, CFByteOrderLittleEndian);
    EXPECT_EQ(mutableEmpty->numberOfSamples(), 0u);
}
