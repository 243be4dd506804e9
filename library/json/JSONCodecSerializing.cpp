#include "library/json/JSONCodecSerializing.h"

#include "library/json/JSONCodecSerializingBlockAdditions.h"

namespace {

constexpr JCEncodeOptionType kCollectionAsString = JCEncodeAsString | JCEncodeRequireCollection;
constexpr JCEncodeOptionType kCollectionAsData = JCEncodeAsData | JCEncodeRequireCollection;

NSString asString(const id& result) { return NSString::fromId(result); }
std::shared_ptr<NSData> asData(const id& result) { return ns::cast<NSData>(result); }

id serialize(const id& object, JCSerializeOptionFlags options, JCEncodeOptionType encodeOption, const JCSerializer::UnsupportedClassBlock& block,
    const id& delegate, const JCSerializer::DelegateSelector& selector, NSErrorPointer error)
{
    return JCSerializer::serializeObject(object, options, encodeOption, block, delegate, selector, error);
}

JCEncodeOptionType stringOption(JCEncodeOptionType kind, bool includeQuotes)
{
    return kind | JCEncodeRequireString | (includeQuotes ? JCEncodeOptionType(0) : JCEncodeOptionType(JCEncodeOmitQuotes));
}

} // namespace

namespace JSONCodecSerializing {

NSString JSONString(const NSString& string) { return JSONStringWithOptions(string, JCSerializeOptionNone, true, nullptr); }

NSString JSONStringWithOptions(const NSString& string, JCSerializeOptionFlags serializeOptions, bool includeQuotes, NSErrorPointer error)
{
    return asString(serialize(string, serializeOptions, stringOption(JCEncodeAsString, includeQuotes), nullptr, nullptr, nullptr, error));
}

std::shared_ptr<NSData> JSONData(const NSString& string) { return JSONDataWithOptions(string, JCSerializeOptionNone, true, nullptr); }

std::shared_ptr<NSData> JSONDataWithOptions(const NSString& string, JCSerializeOptionFlags serializeOptions, bool includeQuotes, NSErrorPointer error)
{
    return asData(serialize(string, serializeOptions, stringOption(JCEncodeAsData, includeQuotes), nullptr, nullptr, nullptr, error));
}

NSString JSONString(const std::shared_ptr<NSArray>& array) { return JSONStringWithOptions(array, JCSerializeOptionNone, nullptr); }

NSString JSONStringWithOptions(const std::shared_ptr<NSArray>& array, JCSerializeOptionFlags serializeOptions, NSErrorPointer error)
{
    return asString(serialize(array, serializeOptions, kCollectionAsString, nullptr, nullptr, nullptr, error));
}

NSString JSONStringWithOptions(const std::shared_ptr<NSArray>& array, JCSerializeOptionFlags serializeOptions, const id& delegate,
    const JCSerializer::DelegateSelector& selector, NSErrorPointer error)
{
    return asString(serialize(array, serializeOptions, kCollectionAsString, nullptr, delegate, selector, error));
}

std::shared_ptr<NSData> JSONData(const std::shared_ptr<NSArray>& array) { return JSONDataWithOptions(array, JCSerializeOptionNone, nullptr); }

std::shared_ptr<NSData> JSONDataWithOptions(const std::shared_ptr<NSArray>& array, JCSerializeOptionFlags serializeOptions, NSErrorPointer error)
{
    return asData(serialize(array, serializeOptions, kCollectionAsData, nullptr, nullptr, nullptr, error));
}

std::shared_ptr<NSData> JSONDataWithOptions(const std::shared_ptr<NSArray>& array, JCSerializeOptionFlags serializeOptions, const id& delegate,
    const JCSerializer::DelegateSelector& selector, NSErrorPointer error)
{
    return asData(serialize(array, serializeOptions, kCollectionAsData, nullptr, delegate, selector, error));
}

NSString JSONString(const std::shared_ptr<NSDictionary>& dictionary) { return JSONStringWithOptions(dictionary, JCSerializeOptionNone, nullptr); }

NSString JSONStringWithOptions(const std::shared_ptr<NSDictionary>& dictionary, JCSerializeOptionFlags serializeOptions, NSErrorPointer error)
{
    return asString(serialize(dictionary, serializeOptions, kCollectionAsString, nullptr, nullptr, nullptr, error));
}

NSString JSONStringWithOptions(const std::shared_ptr<NSDictionary>& dictionary, JCSerializeOptionFlags serializeOptions, const id& delegate,
    const JCSerializer::DelegateSelector& selector, NSErrorPointer error)
{
    return asString(serialize(dictionary, serializeOptions, kCollectionAsString, nullptr, delegate, selector, error));
}

std::shared_ptr<NSData> JSONData(const std::shared_ptr<NSDictionary>& dictionary) { return JSONDataWithOptions(dictionary, JCSerializeOptionNone, nullptr); }

std::shared_ptr<NSData> JSONDataWithOptions(const std::shared_ptr<NSDictionary>& dictionary, JCSerializeOptionFlags serializeOptions, NSErrorPointer error)
{
    return asData(serialize(dictionary, serializeOptions, kCollectionAsData, nullptr, nullptr, nullptr, error));
}

std::shared_ptr<NSData> JSONDataWithOptions(const std::shared_ptr<NSDictionary>& dictionary, JCSerializeOptionFlags serializeOptions, const id& delegate,
    const JCSerializer::DelegateSelector& selector, NSErrorPointer error)
{
    return asData(serialize(dictionary, serializeOptions, kCollectionAsData, nullptr, delegate, selector, error));
}

} // namespace JSONCodecSerializing

namespace JSONCodecSerializingBlockAdditions {

NSString JSONStringWithOptions(const std::shared_ptr<NSArray>& array, JCSerializeOptionFlags serializeOptions,
    const JCSerializer::UnsupportedClassBlock& block, NSErrorPointer error)
{
    return asString(serialize(array, serializeOptions, kCollectionAsString, block, nullptr, nullptr, error));
}

std::shared_ptr<NSData> JSONDataWithOptions(const std::shared_ptr<NSArray>& array, JCSerializeOptionFlags serializeOptions,
    const JCSerializer::UnsupportedClassBlock& block, NSErrorPointer error)
{
    return asData(serialize(array, serializeOptions, kCollectionAsData, block, nullptr, nullptr, error));
}

NSString JSONStringWithOptions(const std::shared_ptr<NSDictionary>& dictionary, JCSerializeOptionFlags serializeOptions,
    const JCSerializer::UnsupportedClassBlock& block, NSErrorPointer error)
{
    return asString(serialize(dictionary, serializeOptions, kCollectionAsString, block, nullptr, nullptr, error));
}

std::shared_ptr<NSData> JSONDataWithOptions(const std::shared_ptr<NSDictionary>& dictionary, JCSerializeOptionFlags serializeOptions,
    const JCSerializer::UnsupportedClassBlock& block, NSErrorPointer error)
{
    return asData(serialize(dictionary, serializeOptions, kCollectionAsData, block, nullptr, nullptr, error));
}

} // namespace JSONCodecSerializingBlockAdditions
