#include "framework/Source/PEMutableNumericData.h"

#include "platform/foundation/NSAssertionHandler.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSNumber.h"

std::shared_ptr<PEMutableNumericData> PEMutableNumericData::numericDataWithData(const std::shared_ptr<NSData>& data,
    const _PENumericDataType& dataType, const std::shared_ptr<NSArray>& shape, PEDataOrder dataOrder)
{
    return create(data, dataType, shape, dataOrder);
}

std::shared_ptr<PEMutableNumericData> PEMutableNumericData::numericDataWithData(const std::shared_ptr<NSData>& data,
    const NSString& dataTypeString, const std::shared_ptr<NSArray>& shape, PEDataOrder dataOrder)
{
    return create(data, dataTypeString, shape, dataOrder);
}

std::shared_ptr<PEMutableNumericData> PEMutableNumericData::numericDataWithArray(const std::shared_ptr<NSArray>& newData,
    const _PENumericDataType& dataType, const std::shared_ptr<NSArray>& shape, PEDataOrder dataOrder)
{
    return create(newData, dataType, shape, dataOrder);
}

std::shared_ptr<PEMutableNumericData> PEMutableNumericData::numericDataWithArray(const std::shared_ptr<NSArray>& newData,
    const NSString& dataTypeString, const std::shared_ptr<NSArray>& shape, PEDataOrder dataOrder)
{
    return create(newData, dataTypeString, shape, dataOrder);
}

id PEMutableNumericData::copy() const
{
    return create(m_data, m_dataType, m_shape, m_dataOrder);
}

void PEMutableNumericData::setShape(const std::shared_ptr<NSArray>& newShape)
{
    if (newShape == m_shape)
        return;
    std::optional<NSUInteger> product = productOfShape(newShape);
    NSUInteger length = 0;
    if (!product || __builtin_mul_overflow(*product, m_dataType.sampleBytes, &length))
        NSException::raise(NSInvalidArgumentException, "a shape of more samples than a buffer can hold");
    m_shape = newShape ? NSArray::create(newShape->objects()) : NSArray::array();
    mutableData()->setLength(length);
}

void PEMutableNumericData::setDataType(const _PENumericDataType& newDataType)
{
    const _PENumericDataType myDataType = m_dataType;
    if (PEDataTypeIsEqual(myDataType, newDataType))
        return;
    NSParameterAssert(myDataType.dataTypeFormat != PEUndefinedDataType);
    NSParameterAssert(myDataType.byteOrder != CFByteOrderUnknown);
    NSParameterAssert(PEDataTypeIsSupported(newDataType));
    NSParameterAssert(newDataType.dataTypeFormat != PEUndefinedDataType);
    NSParameterAssert(newDataType.byteOrder != CFByteOrderUnknown);

    m_dataType = newDataType;
    if (myDataType.sampleBytes == 1 && newDataType.sampleBytes == 1)
        return;

    auto data = mutableData();
    if (myDataType.byteOrder != CFByteOrderGetCurrent())
        swapByteOrderForData(data, myDataType.sampleBytes);

    _PENumericDataType hostSource = myDataType;
    hostSource.byteOrder = CFByteOrderGetCurrent();
    _PENumericDataType hostDestination = newDataType;
    hostDestination.byteOrder = CFByteOrderGetCurrent();
    const NSUInteger count = data->length() / myDataType.sampleBytes;
    if (newDataType.sampleBytes <= myDataType.sampleBytes) {
        convertData(data, hostSource, data, hostDestination);
        data->setLength(count * newDataType.sampleBytes);
    } else {
        auto converted = NSMutableData::dataWithLength(count * newDataType.sampleBytes);
        convertData(data, hostSource, converted, hostDestination);
        m_data = converted;
    }
    if (newDataType.byteOrder != CFByteOrderGetCurrent())
        swapByteOrderForData(mutableData(), newDataType.sampleBytes);
}

void PEMutableNumericData::convertToType(PEDataTypeFormat newDataType, std::size_t newSampleBytes,
    CFByteOrder newByteOrder)
{
    setDataType(PEDataTypeMake(newDataType, newSampleBytes, newByteOrder));
}

void PEMutableNumericData::setDataTypeFormat(PEDataTypeFormat format)
{
    if (format == m_dataType.dataTypeFormat)
        return;
    _PENumericDataType type = m_dataType;
    type.dataTypeFormat = format;
    setDataType(type);
}

void PEMutableNumericData::setSampleBytes(std::size_t sampleBytes)
{
    if (sampleBytes == m_dataType.sampleBytes)
        return;
    _PENumericDataType type = m_dataType;
    type.sampleBytes = sampleBytes;
    setDataType(type);
}

void PEMutableNumericData::setByteOrder(CFByteOrder byteOrder)
{
    if (byteOrder == m_dataType.byteOrder)
        return;
    _PENumericDataType type = m_dataType;
    type.byteOrder = byteOrder;
    setDataType(type);
}
