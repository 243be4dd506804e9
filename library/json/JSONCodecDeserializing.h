#pragma once
// Decoding entry points on strings and data: each call makes a decoder of its own, so they may
// run on any thread at once. objectFromJSONString is what every service reply goes through.

#include "library/json/JSONDecoder.h"

namespace JSONCodecDeserializing {

id objectFromJSONString(const NSString& string);
id objectFromJSONStringWithParseOptions(const NSString& string, JCParseOptionFlags parseOptionFlags, NSErrorPointer error = nullptr);
id mutableObjectFromJSONString(const NSString& string);
id mutableObjectFromJSONStringWithParseOptions(const NSString& string, JCParseOptionFlags parseOptionFlags, NSErrorPointer error = nullptr);

id objectFromJSONData(const std::shared_ptr<NSData>& data);
id objectFromJSONDataWithParseOptions(const std::shared_ptr<NSData>& data, JCParseOptionFlags parseOptionFlags, NSErrorPointer error = nullptr);
id mutableObjectFromJSONData(const std::shared_ptr<NSData>& data);
id mutableObjectFromJSONDataWithParseOptions(const std::shared_ptr<NSData>& data, JCParseOptionFlags parseOptionFlags, NSErrorPointer error = nullptr);

} // namespace JSONCodecDeserializing
