#pragma once
// A numeric buffer that can change: its bytes are writable, a new shape resizes the buffer, and
// a new sample type or byte order converts every sample in place (growing the buffer only when
// samples get larger). The shape is not checked against the buffer after direct changes to the
// data; the next setShape settles it.

#include "framework/Source/PENumericData.h"

class PEMutableNumericData : public PENumericData {
    NS_OBJECT(PEMutableNumericData, PENumericData)
public:
    static std::shared_ptr<PEMutableNumericData> numericDataWithData(const std::shared_ptr<NSData>& data,
        const _PENumericDataType& dataType, const std::shared_ptr<NSArray>& shape,
        PEDataOrder dataOrder = PEDataOrderRowsFirst);
    static std::shared_ptr<PEMutableNumericData> numericDataWithData(const std::shared_ptr<NSData>& data,
        const NSString& dataTypeString, const std::shared_ptr<NSArray>& shape,
        PEDataOrder dataOrder = PEDataOrderRowsFirst);
    static std::shared_ptr<PEMutableNumericData> numericDataWithArray(const std::shared_ptr<NSArray>& newData,
        const _PENumericDataType& dataType, const std::shared_ptr<NSArray>& shape,
        PEDataOrder dataOrder = PEDataOrderRowsFirst);
    static std::shared_ptr<PEMutableNumericData> numericDataWithArray(const std::shared_ptr<NSArray>& newData,
        const NSString& dataTypeString, const std::shared_ptr<NSArray>& shape,
        PEDataOrder dataOrder = PEDataOrderRowsFirst);

    // The buffer itself, for callers that grow or shrink it directly.
    std::shared_ptr<NSMutableData> mutableData() const { return std::static_pointer_cast<NSMutableData>(m_data); }
    std::uint8_t* mutableBytes() { return mutableData()->mutableBytes(); }

    // The same array object does nothing; otherwise the buffer becomes sampleBytes times the
    // product of the entries long (zeros appended, or the end cut off). A shape whose byte size
    // overflows raises NSInvalidArgumentException.
    void setShape(const std::shared_ptr<NSArray>& newShape);

    // Converts the samples in place, with the parameter assertions of dataByConvertingToDataType.
    void setDataType(const _PENumericDataType& newDataType);
    void convertToType(PEDataTypeFormat newDataType, std::size_t newSampleBytes, CFByteOrder newByteOrder);
    void setDataTypeFormat(PEDataTypeFormat format);
    void setSampleBytes(std::size_t sampleBytes);
    void setByteOrder(CFByteOrder byteOrder);

    id copy() const override;

protected:
    bool keepsMutableData() const override { return true; }
};
