#pragma once
// Encoding entry points that turn unsupported objects into expressible ones through a block.

#include "library/json/JSONCodecSerializing.h"

namespace JSONCodecSerializingBlockAdditions {

NSString JSONStringWithOptions(const std::shared_ptr<NSArray>& array, JCSerializeOptionFlags serializeOptions,
    const JCSerializer::UnsupportedClassBlock& block, NSErrorPointer error = nullptr);
std::shared_ptr<NSData> JSONDataWithOptions(const std::shared_ptr<NSArray>& array, JCSerializeOptionFlags serializeOptions,
    const JCSerializer::UnsupportedClassBlock& block, NSErrorPointer error = nullptr);
NSString JSONStringWithOptions(const std::shared_ptr<NSDictionary>& dictionary, JCSerializeOptionFlags serializeOptions,
    const JCSerializer::UnsupportedClassBlock& block, NSErrorPointer error = nullptr);
std::shared_ptr<NSData> JSONDataWithOptions(const std::shared_ptr<NSDictionary>& dictionary, JCSerializeOptionFlags serializeOptions,
    const JCSerializer::UnsupportedClassBlock& block, NSErrorPointer error = nullptr);

} // namespace JSONCodecSerializingBlockAdditions
