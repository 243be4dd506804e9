#include "framework/Source/PENumericData.h"

#include "framework/Source/PEExceptions.h"
#include "framework/Source/PEMutableNumericData.h"
#include "framework/Source/PEUtilities.h"
#include "platform/foundation/NSAssertionHandler.h"
#include "platform/foundation/NSDecimalNumber.h"
#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSNumber.h"

#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <type_traits>

namespace {

[[maybe_unused]] const bool numericDataClassesRegistered = NSCoder::registerClass<PENumericData>() && NSCoder::registerClass<PEMutableNumericData>();

// ---- Sample types and the conversion rules between them ----

enum class SampleKind { None, I1, I2, I4, I8, U1, U2, U4, U8, F4, F8, C8, C16, D20 };

SampleKind sampleKindOf(const _PENumericDataType& type)
{
    switch (type.dataTypeFormat) {
    case PEIntegerDataType:
        switch (type.sampleBytes) {
        case 1: return SampleKind::I1;
        case 2: return SampleKind::I2;
        case 4: return SampleKind::I4;
        case 8: return SampleKind::I8;
        }
        break;
    case PEUnsignedIntegerDataType:
        switch (type.sampleBytes) {
        case 1: return SampleKind::U1;
        case 2: return SampleKind::U2;
        case 4: return SampleKind::U4;
        case 8: return SampleKind::U8;
        }
        break;
    case PEFloatingPointDataType:
        if (type.sampleBytes == 4)
            return SampleKind::F4;
        if (type.sampleBytes == 8)
            return SampleKind::F8;
        break;
    case PEComplexFloatingPointDataType:
        if (type.sampleBytes == 8)
            return SampleKind::C8;
        if (type.sampleBytes == 16)
            return SampleKind::C16;
        break;
    case PEDecimalDataType:
        if (type.sampleBytes == sizeof(NSDecimal))
            return SampleKind::D20;
        break;
    case PEUndefinedDataType:
        break;
    }
    return SampleKind::None;
}

template <class F>
bool withSampleType(SampleKind kind, F&& f)
{
    switch (kind) {
    case SampleKind::I1: f(std::type_identity<std::int8_t> {}); return true;
    case SampleKind::I2: f(std::type_identity<std::int16_t> {}); return true;
    case SampleKind::I4: f(std::type_identity<std::int32_t> {}); return true;
    case SampleKind::I8: f(std::type_identity<std::int64_t> {}); return true;
    case SampleKind::U1: f(std::type_identity<std::uint8_t> {}); return true;
    case SampleKind::U2: f(std::type_identity<std::uint16_t> {}); return true;
    case SampleKind::U4: f(std::type_identity<std::uint32_t> {}); return true;
    case SampleKind::U8: f(std::type_identity<std::uint64_t> {}); return true;
    case SampleKind::F4: f(std::type_identity<float> {}); return true;
    case SampleKind::F8: f(std::type_identity<double> {}); return true;
    case SampleKind::C8: f(std::type_identity<std::complex<float>> {}); return true;
    case SampleKind::C16: f(std::type_identity<std::complex<double>> {}); return true;
    case SampleKind::D20: f(std::type_identity<NSDecimal> {}); return true;
    case SampleKind::None: break;
    }
    return false;
}

template <class T>
struct IsComplex : std::false_type { };
template <class T>
struct IsComplex<std::complex<T>> : std::true_type { };

// Truncation toward zero with saturation, as the phone's processor converts; NaN gives 0.
// Targets of one and two bytes go through a signed 32-bit integer and keep its low bits.
template <class D>
D floatingToInteger(double value)
{
    if (std::isnan(value))
        return 0;
    const double whole = std::trunc(value);
    auto saturate = [whole]<class T>(std::type_identity<T>) -> T {
        const double limit = std::is_signed_v<T> ? std::ldexp(1.0, int(sizeof(T) * 8 - 1)) : std::ldexp(1.0, int(sizeof(T) * 8));
        if (whole >= limit)
            return std::numeric_limits<T>::max();
        if (whole < (std::is_signed_v<T> ? -limit : 0.0))
            return std::numeric_limits<T>::min();
        return static_cast<T>(whole);
    };
    if constexpr (sizeof(D) <= 2)
        return static_cast<D>(saturate(std::type_identity<std::int32_t> {}));
    else
        return saturate(std::type_identity<D> {});
}

template <class S>
NSDecimal integerToDecimal(S value)
{
    if constexpr (std::is_same_v<S, std::int8_t>)
        return PEDecimalWithChar(value);
    else if constexpr (std::is_same_v<S, std::int16_t>)
        return PEDecimalWithShort(value);
    else if constexpr (std::is_same_v<S, std::int32_t>)
        return PEDecimalWithInt(value);
    else if constexpr (std::is_same_v<S, std::int64_t>)
        return PEDecimalWithLongLong(value);
    else if constexpr (std::is_same_v<S, std::uint8_t>)
        return PEDecimalWithUnsignedChar(value);
    else if constexpr (std::is_same_v<S, std::uint16_t>)
        return PEDecimalWithUnsignedShort(value);
    else if constexpr (std::is_same_v<S, std::uint32_t>)
        return PEDecimalWithUnsignedInt(value);
    else
        return PEDecimalWithUnsignedLongLong(value);
}

template <class D>
D decimalToInteger(const NSDecimal& value)
{
    if constexpr (std::is_same_v<D, std::int8_t>)
        return PEDecimalAsChar(value);
    else if constexpr (std::is_same_v<D, std::int16_t>)
        return PEDecimalAsShort(value);
    else if constexpr (std::is_same_v<D, std::int32_t>)
        return static_cast<D>(PEDecimalAsLong(value));
    else if constexpr (std::is_same_v<D, std::int64_t>)
        return PEDecimalAsLongLong(value);
    else if constexpr (std::is_same_v<D, std::uint8_t>)
        return PEDecimalAsUnsignedChar(value);
    else if constexpr (std::is_same_v<D, std::uint16_t>)
        return PEDecimalAsUnsignedShort(value);
    else if constexpr (std::is_same_v<D, std::uint32_t>)
        return static_cast<D>(PEDecimalAsUnsignedLong(value));
    else
        return PEDecimalAsUnsignedLongLong(value);
}

template <class D, class S>
D convertSample(const S& value)
{
    if constexpr (IsComplex<S>::value) {
        if constexpr (IsComplex<D>::value)
            return D(static_cast<typename D::value_type>(value.real()), static_cast<typename D::value_type>(value.imag()));
        else
            return convertSample<D>(value.real());
    } else if constexpr (IsComplex<D>::value) {
        return D(convertSample<typename D::value_type>(value), 0);
    } else if constexpr (std::is_same_v<S, NSDecimal>) {
        if constexpr (std::is_same_v<D, NSDecimal>)
            return value;
        else if constexpr (std::is_same_v<D, float>)
            return PEDecimalAsFloat(value);
        else if constexpr (std::is_same_v<D, double>)
            return PEDecimalAsDouble(value);
        else
            return decimalToInteger<D>(value);
    } else if constexpr (std::is_same_v<D, NSDecimal>) {
        if constexpr (std::is_same_v<S, float>)
            return PEDecimalWithFloat(value);
        else if constexpr (std::is_same_v<S, double>)
            return PEDecimalWithDouble(value);
        else
            return integerToDecimal(value);
    } else if constexpr (std::is_floating_point_v<S> && std::is_integral_v<D>) {
        return floatingToInteger<D>(static_cast<double>(value));
    } else {
        return static_cast<D>(value);
    }
}

// One loop per pair of types. Reading each sample before writing its result lets the
// destination be the source when its samples are not larger: sample i is written at or before
// where it was read, never over a sample not read yet.
template <class S, class D>
void convertSamples(const std::uint8_t* source, std::uint8_t* destination, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        S value;
        std::memcpy(&value, source + i * sizeof(S), sizeof(S));
        const D result = convertSample<D>(value);
        std::memcpy(destination + i * sizeof(D), &result, sizeof(D));
    }
}

void convertBytes(const std::uint8_t* source, SampleKind sourceKind, std::uint8_t* destination,
    SampleKind destinationKind, std::size_t count)
{
    // An empty buffer may have no bytes at all to point at.
    if (count == 0)
        return;
    withSampleType(sourceKind, [&]<class S>(std::type_identity<S>) {
        withSampleType(destinationKind, [&]<class D>(std::type_identity<D>) {
            if constexpr (std::is_same_v<S, D>)
                std::memmove(destination, source, count * sizeof(S));
            else
                convertSamples<S, D>(source, destination, count);
        });
    });
}

bool isHostOrder(CFByteOrder order) { return order == CFByteOrderGetCurrent(); }

// ---- Values read from objects, as the objects answer ----

template <class T>
T integerFromObject(const id& object)
{
    if (auto number = ns::cast<NSNumber>(object)) {
        if constexpr (std::is_same_v<T, std::int8_t>)
            return static_cast<T>(number->charValue());
        else if constexpr (std::is_same_v<T, std::int16_t>)
            return number->shortValue();
        else if constexpr (std::is_same_v<T, std::int32_t>)
            return static_cast<T>(number->longValue());
        else if constexpr (std::is_same_v<T, std::int64_t>)
            return number->longLongValue();
        else if constexpr (std::is_same_v<T, std::uint8_t>)
            return static_cast<T>(number->unsignedLongLongValue());
        else if constexpr (std::is_same_v<T, std::uint16_t>)
            return static_cast<T>(number->unsignedLongLongValue());
        else if constexpr (std::is_same_v<T, std::uint32_t>)
            return static_cast<T>(number->unsignedLongLongValue());
        else
            return number->unsignedLongLongValue();
    }
    // Text answers only some of the value operations: of these, the 8-byte signed one.
    if constexpr (std::is_same_v<T, std::int64_t>) {
        if (NSString text = NSString::fromId(object); !text.isNil())
            return text.longLongValue();
    }
    return 0;
}

template <class T>
T floatingFromObject(const id& object)
{
    if (auto number = ns::cast<NSNumber>(object))
        return std::is_same_v<T, float> ? number->floatValue() : number->doubleValue();
    if (NSString text = NSString::fromId(object); !text.isNil())
        return std::is_same_v<T, float> ? text.floatValue() : text.doubleValue();
    return std::numeric_limits<T>::quiet_NaN();
}

NSDecimal decimalFromObject(const id& object)
{
    if (auto number = ns::cast<NSNumber>(object))
        return ns::decimalValue(*number);
    return PEDecimalNotANumber();
}

} // namespace

// ---- Creation ----

std::shared_ptr<PENumericData> PENumericData::numericDataWithData(const std::shared_ptr<NSData>& data,
    const _PENumericDataType& dataType, const std::shared_ptr<NSArray>& shape, PEDataOrder dataOrder)
{
    return create(data, dataType, shape, dataOrder);
}

std::shared_ptr<PENumericData> PENumericData::numericDataWithData(const std::shared_ptr<NSData>& data,
    const NSString& dataTypeString, const std::shared_ptr<NSArray>& shape, PEDataOrder dataOrder)
{
    return create(data, dataTypeString, shape, dataOrder);
}

std::shared_ptr<PENumericData> PENumericData::numericDataWithArray(const std::shared_ptr<NSArray>& newData,
    const _PENumericDataType& dataType, const std::shared_ptr<NSArray>& shape, PEDataOrder dataOrder)
{
    return create(newData, dataType, shape, dataOrder);
}

std::shared_ptr<PENumericData> PENumericData::numericDataWithArray(const std::shared_ptr<NSArray>& newData,
    const NSString& dataTypeString, const std::shared_ptr<NSArray>& shape, PEDataOrder dataOrder)
{
    return create(newData, dataTypeString, shape, dataOrder);
}

bool PENumericData::init(const std::shared_ptr<NSData>& data, const _PENumericDataType& dataType,
    const std::shared_ptr<NSArray>& shape, PEDataOrder dataOrder)
{
    commonInitWithData(data, dataType, shape, dataOrder);
    return true;
}

bool PENumericData::init(const std::shared_ptr<NSData>& data, const NSString& dataTypeString,
    const std::shared_ptr<NSArray>& shape, PEDataOrder dataOrder)
{
    commonInitWithData(data, PEDataTypeFromString(dataTypeString), shape, dataOrder);
    return true;
}

bool PENumericData::init(const std::shared_ptr<NSArray>& newData, const _PENumericDataType& dataType,
    const std::shared_ptr<NSArray>& shape, PEDataOrder dataOrder)
{
    commonInitWithData(dataFromArray(newData, dataType), dataType, shape, dataOrder);
    return true;
}

bool PENumericData::init(const std::shared_ptr<NSArray>& newData, const NSString& dataTypeString,
    const std::shared_ptr<NSArray>& shape, PEDataOrder dataOrder)
{
    _PENumericDataType dataType = PEDataTypeFromString(dataTypeString);
    commonInitWithData(dataFromArray(newData, dataType), dataType, shape, dataOrder);
    return true;
}

std::optional<NSUInteger> PENumericData::productOfShape(const std::shared_ptr<NSArray>& shape)
{
    NSUInteger product = 1;
    if (!shape)
        return product;
    for (const id& entry : *shape) {
        auto number = ns::cast<NSNumber>(entry);
        NSUInteger size = number ? number->unsignedIntegerValue() : 0;
        if (__builtin_mul_overflow(product, size, &product))
            return std::nullopt;
    }
    return product;
}

void PENumericData::commonInitWithData(const std::shared_ptr<NSData>& newData, const _PENumericDataType& newDataType,
    const std::shared_ptr<NSArray>& shapeArray, PEDataOrder order)
{
    NSParameterAssert(PEDataTypeIsSupported(newDataType));

    if (keepsMutableData())
        m_data = newData ? NSMutableData::dataWithData(newData) : NSMutableData::data();
    else if (!newData)
        m_data = NSData::data();
    else
        m_data = std::dynamic_pointer_cast<NSMutableData>(newData) ? NSData::dataWithData(newData) : newData;
    m_dataType = newDataType;
    m_dataOrder = order;

    const NSUInteger samples = numberOfSamples();
    if (!shapeArray) {
        m_shape = ns::array({ NSNumber::numberWithUnsignedInteger(samples) });
        return;
    }
    std::optional<NSUInteger> product = productOfShape(shapeArray);
    if (!product || *product != samples)
        NSException::raise(PENumericDataException, "Shape product (%lu) does not match data size (%lu)",
            static_cast<unsigned long>(product.value_or(NSUIntegerMax)), static_cast<unsigned long>(samples));
    m_shape = NSArray::create(shapeArray->objects());
}

std::shared_ptr<NSMutableData> PENumericData::dataFromArray(const std::shared_ptr<NSArray>& newData,
    const _PENumericDataType& dataType)
{
    const _PENumericDataType& newDataType = dataType;
    NSParameterAssert(PEDataTypeIsSupported(newDataType));
    NSParameterAssert(newDataType.dataTypeFormat != PEUndefinedDataType);
    NSParameterAssert(newDataType.dataTypeFormat != PEComplexFloatingPointDataType);

    const NSUInteger count = newData ? newData->count() : 0;
    auto bytes = NSMutableData::dataWithLength(count * newDataType.sampleBytes);
    std::uint8_t* cursor = bytes->mutableBytes();
    withSampleType(sampleKindOf(newDataType), [&]<class T>(std::type_identity<T>) {
        if constexpr (!IsComplex<T>::value) {
            for (NSUInteger i = 0; i < count; ++i, cursor += sizeof(T)) {
                const id element = newData->objectAtIndex(i);
                T value;
                if constexpr (std::is_same_v<T, NSDecimal>)
                    value = decimalFromObject(element);
                else if constexpr (std::is_floating_point_v<T>)
                    value = floatingFromObject<T>(element);
                else
                    value = integerFromObject<T>(element);
                std::memcpy(cursor, &value, sizeof(T));
            }
        }
    });
    if (newDataType.byteOrder == CFByteOrderBigEndian && !isHostOrder(CFByteOrderBigEndian))
        swapByteOrderForData(bytes, newDataType.sampleBytes);
    return bytes;
}

bool PENumericData::init(NSCoder& coder)
{
    std::shared_ptr<NSData> data;
    std::shared_ptr<NSArray> shape;
    _PENumericDataType type;
    int order = 0;
    if (coder.allowsKeyedCoding()) {
        data = coder.decodeObjectOfClass<NSData>("PENumericData.data");
        type.dataTypeFormat = static_cast<PEDataTypeFormat>(coder.decodeIntForKey("PENumericData.dataType.dataTypeFormat"));
        type.sampleBytes = static_cast<std::size_t>(coder.decodeInt64ForKey("PENumericData.dataType.sampleBytes"));
        type.byteOrder = static_cast<CFByteOrder>(coder.decodeInt64ForKey("PENumericData.dataType.byteOrder"));
        shape = coder.decodeObjectOfClass<NSArray>("PENumericData.shape");
        order = coder.decodeIntForKey("PENumericData.dataOrder");
    } else {
        data = ns::cast<NSData>(coder.decodeObject());
        int format = 0;
        unsigned long long sampleBytes = 0;
        long long byteOrder = 0;
        coder.decodeValueOfObjCType("i", &format, sizeof format);
        coder.decodeValueOfObjCType("Q", &sampleBytes, sizeof sampleBytes);
        coder.decodeValueOfObjCType("q", &byteOrder, sizeof byteOrder);
        shape = ns::cast<NSArray>(coder.decodeObject());
        coder.decodeValueOfObjCType("i", &order, sizeof order);
        type = PEDataTypeMake(static_cast<PEDataTypeFormat>(format), static_cast<std::size_t>(sampleBytes),
            static_cast<CFByteOrder>(byteOrder));
    }
    // What the initialiser would raise on is refused instead: the archive is not ours to trust.
    if (!data || !shape || !PEDataTypeIsSupported(type))
        return false;
    for (const id& entry : *shape) {
        if (!ns::cast<NSNumber>(entry))
            return false;
    }
    const NSUInteger samples = type.sampleBytes ? data->length() / type.sampleBytes : 0;
    if (productOfShape(shape) != samples)
        return false;
    commonInitWithData(data, type, shape, static_cast<PEDataOrder>(order));
    return true;
}

void PENumericData::encodeWithCoder(NSCoder& coder) const
{
    if (coder.allowsKeyedCoding()) {
        coder.encodeObject(m_data, "PENumericData.data");
        coder.encodeInt(m_dataType.dataTypeFormat, "PENumericData.dataType.dataTypeFormat");
        coder.encodeInt64(static_cast<std::int64_t>(m_dataType.sampleBytes), "PENumericData.dataType.sampleBytes");
        coder.encodeInt64(m_dataType.byteOrder, "PENumericData.dataType.byteOrder");
        coder.encodeObject(m_shape, "PENumericData.shape");
        coder.encodeInt(m_dataOrder, "PENumericData.dataOrder");
        return;
    }
    const int format = m_dataType.dataTypeFormat;
    const unsigned long long sampleBytes = m_dataType.sampleBytes;
    const long long byteOrder = m_dataType.byteOrder;
    const int order = m_dataOrder;
    coder.encodeObject(m_data);
    coder.encodeValueOfObjCType("i", &format);
    coder.encodeValueOfObjCType("Q", &sampleBytes);
    coder.encodeValueOfObjCType("q", &byteOrder);
    coder.encodeObject(m_shape);
    coder.encodeValueOfObjCType("i", &order);
}

// ---- Samples ----

NSUInteger PENumericData::numberOfSamples() const
{
    return m_dataType.sampleBytes ? m_data->length() / m_dataType.sampleBytes : 0;
}

const void* PENumericData::samplePointer(NSUInteger sample) const
{
    if (sample >= numberOfSamples())
        return nullptr;
    return m_data->bytes() + sample * m_dataType.sampleBytes;
}

id PENumericData::sampleValue(NSUInteger sample) const
{
    if (m_dataType.dataTypeFormat == PEUndefinedDataType)
        NSException::raise(NSInvalidArgumentException, "Unsupported data type (PEUndefinedDataType)");
    const void* pointer = samplePointer(sample);
    if (!pointer)
        return nullptr;
    // Samples are read in their buffer's byte order: a big-endian sample is swapped first.
    std::uint8_t bytes[sizeof(NSDecimal)] {};
    const std::size_t size = m_dataType.sampleBytes;
    if (size > sizeof bytes)
        return nullptr;
    std::memcpy(bytes, pointer, size);
    if (m_dataType.byteOrder != CFByteOrderUnknown && !isHostOrder(m_dataType.byteOrder))
        ns::swapSamplesInPlace(bytes, size, size);

    id value;
    withSampleType(sampleKindOf(m_dataType), [&]<class T>(std::type_identity<T>) {
        T sampleValue;
        std::memcpy(&sampleValue, bytes, sizeof(T));
        if constexpr (std::is_same_v<T, NSDecimal>)
            value = NSDecimalNumber::decimalNumberWithDecimal(sampleValue);
        else if constexpr (std::is_same_v<T, std::complex<float>>)
            value = NSNumber::numberWithFloat(sampleValue.real());
        else if constexpr (std::is_same_v<T, std::complex<double>>)
            value = NSNumber::numberWithDouble(sampleValue.real());
        else if constexpr (std::is_same_v<T, float>)
            value = NSNumber::numberWithFloat(sampleValue);
        else if constexpr (std::is_same_v<T, double>)
            value = NSNumber::numberWithDouble(sampleValue);
        else if constexpr (std::is_same_v<T, std::int8_t>)
            value = NSNumber::numberWithChar(static_cast<char>(sampleValue));
        else if constexpr (std::is_same_v<T, std::int16_t>)
            value = NSNumber::numberWithShort(sampleValue);
        else if constexpr (std::is_same_v<T, std::int32_t>)
            value = NSNumber::numberWithLong(sampleValue);
        else if constexpr (std::is_same_v<T, std::int64_t>)
            value = NSNumber::numberWithLongLong(sampleValue);
        else if constexpr (std::is_same_v<T, std::uint8_t>)
            value = NSNumber::numberWithUnsignedChar(sampleValue);
        else if constexpr (std::is_same_v<T, std::uint16_t>)
            value = NSNumber::numberWithUnsignedShort(sampleValue);
        else if constexpr (std::is_same_v<T, std::uint32_t>)
            value = NSNumber::numberWithUnsignedLong(sampleValue);
        else
            value = NSNumber::numberWithUnsignedLongLong(sampleValue);
    });
    return value;
}

NSUInteger PENumericData::sampleIndex(std::span<const NSUInteger> indices) const
{
    if (indices.empty())
        return NSNotFound;
    const NSUInteger dimensions = numberOfDimensions();
    if (dimensions < 2)
        return indices[0];
    std::vector<NSUInteger> shape(dimensions);
    for (NSUInteger k = 0; k < dimensions; ++k) {
        auto size = ns::cast<NSNumber>(m_shape->objectAtIndex(k));
        shape[k] = size ? size->unsignedIntegerValue() : 0;
        // A missing index counts as 0, as an absent variable argument would not be read safely.
        const NSUInteger index = k < indices.size() ? indices[k] : 0;
        if (index >= shape[k])
            return NSNotFound;
    }
    auto index = [&](NSUInteger k) { return k < indices.size() ? indices[k] : 0; };
    NSUInteger flat = 0;
    switch (m_dataOrder) {
    case PEDataOrderRowsFirst: {
        NSUInteger stride = 1;
        for (NSUInteger k = dimensions; k-- > 0;) {
            flat += index(k) * stride;
            stride *= shape[k];
        }
        return flat;
    }
    case PEDataOrderColumnsFirst: {
        NSUInteger stride = 1;
        for (NSUInteger k = 0; k < dimensions; ++k) {
            flat += index(k) * stride;
            stride *= shape[k];
        }
        return flat;
    }
    }
    return 0;
}

std::shared_ptr<NSArray> PENumericData::sampleArray() const
{
    const NSUInteger count = numberOfSamples();
    std::vector<id> samples;
    samples.reserve(count);
    for (NSUInteger i = 0; i < count; ++i)
        samples.push_back(sampleValue(i));
    return NSArray::create(std::move(samples));
}

NSString PENumericData::description() const
{
    auto text = NSMutableString::stringWithString(NSString::stringWithFormat("<%@ [", NSObject::description()));
    const NSUInteger count = numberOfSamples();
    for (NSUInteger i = 0; i < count; ++i) {
        if (i > 0)
            text->appendString(",");
        text->appendString(NSString::stringWithFormat(" %@", sampleValue(i)));
    }
    text->appendString(NSString::stringWithFormat(" ] {%@, %@, %@}>", PEDataTypeToString(m_dataType), m_shape,
        NSString(m_dataOrder == PEDataOrderRowsFirst ? "by rows" : "by columns")));
    return NSString(text);
}

id PENumericData::copy() const
{
    return create(m_data, m_dataType, m_shape, m_dataOrder);
}

id PENumericData::mutableCopy() const
{
    return PEMutableNumericData::create(m_data, m_dataType, m_shape, m_dataOrder);
}

// ---- Conversion ----

std::shared_ptr<PENumericData> PENumericData::dataByConvertingToType(PEDataTypeFormat newDataType,
    std::size_t newSampleBytes, CFByteOrder newByteOrder) const
{
    return dataByConvertingToDataType(PEDataTypeMake(newDataType, newSampleBytes, newByteOrder));
}

std::shared_ptr<PENumericData> PENumericData::dataByConvertingToDataType(const _PENumericDataType& newDataType) const
{
    const _PENumericDataType& myDataType = m_dataType;
    NSParameterAssert(myDataType.dataTypeFormat != PEUndefinedDataType);
    NSParameterAssert(myDataType.byteOrder != CFByteOrderUnknown);
    NSParameterAssert(PEDataTypeIsSupported(newDataType));
    NSParameterAssert(newDataType.dataTypeFormat != PEUndefinedDataType);
    NSParameterAssert(newDataType.byteOrder != CFByteOrderUnknown);

    // The shape and the order of the dimensions are kept: a new sample type does not transpose
    // the data.
    if (PEDataTypeIsEqual(myDataType, newDataType))
        return PENumericData::create(m_data, newDataType, m_shape, m_dataOrder);
    if (myDataType.sampleBytes == 1 && newDataType.sampleBytes == 1)
        return PENumericData::create(m_data, newDataType, m_shape, m_dataOrder);

    const NSUInteger count = numberOfSamples();
    auto newData = NSMutableData::dataWithLength(count * newDataType.sampleBytes);
    std::shared_ptr<NSData> source = m_data;
    if (!isHostOrder(myDataType.byteOrder)) {
        auto swapped = NSMutableData::dataWithData(m_data);
        swapByteOrderForData(swapped, myDataType.sampleBytes);
        source = swapped;
    }
    _PENumericDataType hostSource = myDataType;
    hostSource.byteOrder = CFByteOrderGetCurrent();
    _PENumericDataType hostDestination = newDataType;
    hostDestination.byteOrder = CFByteOrderGetCurrent();
    convertData(source, hostSource, newData, hostDestination);
    if (!isHostOrder(newDataType.byteOrder))
        swapByteOrderForData(newData, newDataType.sampleBytes);
    return PENumericData::create(newData, newDataType, m_shape, m_dataOrder);
}

void PENumericData::convertData(const std::shared_ptr<NSData>& sourceData, const _PENumericDataType& sourceDataType,
    const std::shared_ptr<NSMutableData>& destinationData, const _PENumericDataType& destinationDataType)
{
    if (!sourceData || !destinationData || !sourceDataType.sampleBytes)
        return;
    const SampleKind sourceKind = sampleKindOf(sourceDataType);
    const SampleKind destinationKind = sampleKindOf(destinationDataType);
    if (sourceKind == SampleKind::None || destinationKind == SampleKind::None)
        return;
    // Never past the end of either buffer, whatever the caller made them.
    std::size_t count = sourceData->length() / sourceDataType.sampleBytes;
    count = std::min<std::size_t>(count, destinationData->length() / destinationDataType.sampleBytes);
    if (sourceData.get() == destinationData.get() && destinationDataType.sampleBytes > sourceDataType.sampleBytes)
        return;
    convertBytes(sourceData->bytes(), sourceKind, destinationData->mutableBytes(), destinationKind, count);
}

void PENumericData::swapByteOrderForData(const std::shared_ptr<NSMutableData>& data, std::size_t sampleSize)
{
    if (data)
        ns::swapSamplesInPlace(data->mutableBytes(), data->length(), sampleSize);
}
