#pragma once
// Body texts of the network engine made from a parameter dictionary, in the dictionary's own order.

#include "platform/foundation/NSDictionary.h"

namespace NSDictionary_RequestEncoding {

// "k=v&k2=v2": every key and every value's text form escaped with ne_urlEncodedString, so a
// value that is not text (a number, an array) can bring no "&" or "=" of its own into the body.
NSString urlEncodedKeyValueString(const std::shared_ptr<NSDictionary>& dictionary);
// Compact JSON; nil when the dictionary holds something JSON cannot carry.
NSString jsonEncodedKeyValueString(const std::shared_ptr<NSDictionary>& dictionary);
// An XML property list; nil when the dictionary holds something a property list cannot carry.
NSString plistEncodedKeyValueString(const std::shared_ptr<NSDictionary>& dictionary);

} // namespace NSDictionary_RequestEncoding
