#pragma once
// A typed, shaped block of numbers: packed samples in one buffer, the type of every sample
// (PENumericDataType.h), the size of each dimension (outermost first) and the order the
// dimensions are laid out in. Immutable; PEMutableNumericData has a writable buffer, a settable
// shape and a settable type that converts the samples in place.
//
// Creation raises "PENumericDataException" when the shape's product is not the number of whole
// samples, and fails the parameter assertion for an unsupported type. Out-of-range indices never
// fail: pointers are null, values nil, flat indices NSNotFound.

#include "framework/Source/PENumericDataType.h"
#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSCoder.h"
#include "platform/foundation/NSData.h"

#include <initializer_list>
#include <optional>
#include <span>
#include <vector>

class PEMutableNumericData;

class PENumericData : public NSObject, public NSCoding {
    NS_OBJECT(PENumericData, NSObject)
public:
    // A nil shape means one dimension holding every sample.
    static std::shared_ptr<PENumericData> numericDataWithData(const std::shared_ptr<NSData>& data,
        const _PENumericDataType& dataType, const std::shared_ptr<NSArray>& shape,
        PEDataOrder dataOrder = PEDataOrderRowsFirst);
    static std::shared_ptr<PENumericData> numericDataWithData(const std::shared_ptr<NSData>& data,
        const NSString& dataTypeString, const std::shared_ptr<NSArray>& shape,
        PEDataOrder dataOrder = PEDataOrderRowsFirst);
    static std::shared_ptr<PENumericData> numericDataWithArray(const std::shared_ptr<NSArray>& newData,
        const _PENumericDataType& dataType, const std::shared_ptr<NSArray>& shape,
        PEDataOrder dataOrder = PEDataOrderRowsFirst);
    static std::shared_ptr<PENumericData> numericDataWithArray(const std::shared_ptr<NSArray>& newData,
        const NSString& dataTypeString, const std::shared_ptr<NSArray>& shape,
        PEDataOrder dataOrder = PEDataOrderRowsFirst);

    // The elements converted to the type, NSNull and other objects without a value as 0 (NaN for
    // floating point and decimals). Undefined and complex types fail the parameter assertion.
    static std::shared_ptr<NSMutableData> dataFromArray(const std::shared_ptr<NSArray>& newData,
        const _PENumericDataType& dataType);

    const std::shared_ptr<NSData>& data() const { return m_data; }
    const std::uint8_t* bytes() const { return m_data->bytes(); }
    NSUInteger length() const { return m_data->length(); }
    const _PENumericDataType& dataType() const { return m_dataType; }
    PEDataTypeFormat dataTypeFormat() const { return m_dataType.dataTypeFormat; }
    std::size_t sampleBytes() const { return m_dataType.sampleBytes; }
    CFByteOrder byteOrder() const { return m_dataType.byteOrder; }
    const std::shared_ptr<NSArray>& shape() const { return m_shape; }
    PEDataOrder dataOrder() const { return m_dataOrder; }
    NSUInteger numberOfDimensions() const { return m_shape->count(); }
    NSUInteger numberOfSamples() const;

    // The address of a sample by flat index, null past the end.
    const void* samplePointer(NSUInteger sample) const;
    // The sample as a number (decimals as NSDecimalNumber, complex samples by their real part),
    // read in the buffer's byte order; nil past the end. An undefined type raises
    // NSInvalidArgumentException.
    id sampleValue(NSUInteger sample) const;
    // The flat index of a multi-dimensional index; NSNotFound when an index is out of its
    // dimension. With fewer than two dimensions the first index is the flat index.
    NSUInteger sampleIndex(std::span<const NSUInteger> indices) const;
    template <class... Rest>
    NSUInteger sampleIndex(NSUInteger first, Rest... rest) const
    {
        const NSUInteger indices[] = { first, static_cast<NSUInteger>(rest)... };
        return sampleIndex(std::span<const NSUInteger>(indices));
    }
    template <class... Rest>
    const void* samplePointerAtIndex(NSUInteger first, Rest... rest) const
    {
        return samplePointer(numberOfDimensions() > 1 ? sampleIndex(first, rest...) : first);
    }
    template <class... Rest>
    id sampleValueAtIndex(NSUInteger first, Rest... rest) const
    {
        return sampleValue(numberOfDimensions() > 1 ? sampleIndex(first, rest...) : first);
    }
    std::shared_ptr<NSArray> sampleArray() const;

    NSString description() const override;
    // A copy of the receiver's own class with its own bytes; mutableCopy is always mutable.
    id copy() const override;
    id mutableCopy() const override;

    void encodeWithCoder(NSCoder& coder) const override;

    // Conversion to another sample type and byte order. The receiver's type must be defined and
    // of known order, and the new type supported, defined and of known order (parameter
    // assertions). The shape and data order are kept.
    std::shared_ptr<PENumericData> dataByConvertingToType(PEDataTypeFormat newDataType, std::size_t newSampleBytes,
        CFByteOrder newByteOrder) const;
    std::shared_ptr<PENumericData> dataByConvertingToDataType(const _PENumericDataType& newDataType) const;
    // Converts every whole source sample into the destination, both in host order; the
    // destination must hold as many samples. Pairs of types outside the supported sizes do nothing.
    static void convertData(const std::shared_ptr<NSData>& sourceData, const _PENumericDataType& sourceDataType,
        const std::shared_ptr<NSMutableData>& destinationData, const _PENumericDataType& destinationDataType);
    // Reverses the bytes of every whole sample of 2, 4 or 8 bytes; other sizes are left alone.
    static void swapByteOrderForData(const std::shared_ptr<NSMutableData>& data, std::size_t sampleSize);

protected:
    bool init(const std::shared_ptr<NSData>& data, const _PENumericDataType& dataType,
        const std::shared_ptr<NSArray>& shape, PEDataOrder dataOrder = PEDataOrderRowsFirst);
    bool init(const std::shared_ptr<NSData>& data, const NSString& dataTypeString,
        const std::shared_ptr<NSArray>& shape, PEDataOrder dataOrder = PEDataOrderRowsFirst);
    bool init(const std::shared_ptr<NSArray>& newData, const _PENumericDataType& dataType,
        const std::shared_ptr<NSArray>& shape, PEDataOrder dataOrder = PEDataOrderRowsFirst);
    bool init(const std::shared_ptr<NSArray>& newData, const NSString& dataTypeString,
        const std::shared_ptr<NSArray>& shape, PEDataOrder dataOrder = PEDataOrderRowsFirst);
    // Archives come from outside: a damaged one is refused (nil), never raised on.
    bool init(NSCoder& coder);

    void commonInitWithData(const std::shared_ptr<NSData>& newData, const _PENumericDataType& newDataType,
        const std::shared_ptr<NSArray>& shapeArray, PEDataOrder order);
    // The mutable subclass keeps a buffer of its own that it may write.
    virtual bool keepsMutableData() const { return false; }
    // The shape's entries; nullopt when their product overflows.
    static std::optional<NSUInteger> productOfShape(const std::shared_ptr<NSArray>& shape);

    std::shared_ptr<NSData> m_data { NSData::data() };
    _PENumericDataType m_dataType;
    std::shared_ptr<NSArray> m_shape { NSArray::array() };
    PEDataOrder m_dataOrder { PEDataOrderRowsFirst };
};
