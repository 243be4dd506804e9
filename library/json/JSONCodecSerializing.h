#pragma once
// Encoding entry points on strings, arrays and dictionaries. JSONString of a dictionary is what
// the screens send as the `param` field: compact, in the dictionary's own order.

#include "library/json/JCSerializer.h"
#include "platform/foundation/NSData.h"
#include "platform/foundation/NSDictionary.h"

namespace JSONCodecSerializing {

// A string is written as one JSON string, with or without its quotes.
NSString JSONString(const NSString& string);
NSString JSONStringWithOptions(const NSString& string, JCSerializeOptionFlags serializeOptions, bool includeQuotes, NSErrorPointer error = nullptr);
std::shared_ptr<NSData> JSONData(const NSString& string);
std::shared_ptr<NSData> JSONDataWithOptions(const NSString& string, JCSerializeOptionFlags serializeOptions, bool includeQuotes, NSErrorPointer error = nullptr);

NSString JSONString(const std::shared_ptr<NSArray>& array);
NSString JSONStringWithOptions(const std::shared_ptr<NSArray>& array, JCSerializeOptionFlags serializeOptions, NSErrorPointer error = nullptr);
NSString JSONStringWithOptions(const std::shared_ptr<NSArray>& array, JCSerializeOptionFlags serializeOptions, const id& delegate,
    const JCSerializer::DelegateSelector& selector, NSErrorPointer error = nullptr);
std::shared_ptr<NSData> JSONData(const std::shared_ptr<NSArray>& array);
std::shared_ptr<NSData> JSONDataWithOptions(const std::shared_ptr<NSArray>& array, JCSerializeOptionFlags serializeOptions, NSErrorPointer error = nullptr);
std::shared_ptr<NSData> JSONDataWithOptions(const std::shared_ptr<NSArray>& array, JCSerializeOptionFlags serializeOptions, const id& delegate,
    const JCSerializer::DelegateSelector& selector, NSErrorPointer error = nullptr);

NSString JSONString(const std::shared_ptr<NSDictionary>& dictionary);
NSString JSONStringWithOptions(const std::shared_ptr<NSDictionary>& dictionary, JCSerializeOptionFlags serializeOptions, NSErrorPointer error = nullptr);
NSString JSONStringWithOptions(const std::shared_ptr<NSDictionary>& dictionary, JCSerializeOptionFlags serializeOptions, const id& delegate,
    const JCSerializer::DelegateSelector& selector, NSErrorPointer error = nullptr);
std::shared_ptr<NSData> JSONData(const std::shared_ptr<NSDictionary>& dictionary);
std::shared_ptr<NSData> JSONDataWithOptions(const std::shared_ptr<NSDictionary>& dictionary, JCSerializeOptionFlags serializeOptions, NSErrorPointer error = nullptr);
std::shared_ptr<NSData> JSONDataWithOptions(const std::shared_ptr<NSDictionary>& dictionary, JCSerializeOptionFlags serializeOptions, const id& delegate,
    const JCSerializer::DelegateSelector& selector, NSErrorPointer error = nullptr);

} // namespace JSONCodecSerializing
