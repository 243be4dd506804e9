#pragma once
// Safe typed readings of `id` values that come from outside (decoded replies, rows, user info):
// a missing value or one of the wrong type gives the zero value, never a crash. Numbers read from
// text follow NSString's rules, so a reply that sends "0" or 0 for retCode reads the same.

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSNumber.h"

namespace ns {

// Text for a string, the stringValue of a number, nil otherwise (NSNull included).
NSString stringValue(const id& value);
// Text for any value, as written into a request: a string as it is, else its description; the
// empty string for nil.
NSString textOf(const id& value);
int intValue(const id& value);
NSInteger integerValue(const id& value);
long long longLongValue(const id& value);
double doubleValue(const id& value);
float floatValue(const id& value);
bool boolValue(const id& value);
std::shared_ptr<NSDictionary> dictionaryValue(const id& value);
std::shared_ptr<NSArray> arrayValue(const id& value);
std::shared_ptr<NSNumber> numberValue(const id& value);
// True for nil and for NSNull.
bool isNilOrNull(const id& value);

// The same readings of a dictionary's member; a nil dictionary reads as empty.
NSString stringForKey(const std::shared_ptr<NSDictionary>& dictionary, const NSString& key);
int intForKey(const std::shared_ptr<NSDictionary>& dictionary, const NSString& key);
NSInteger integerForKey(const std::shared_ptr<NSDictionary>& dictionary, const NSString& key);
double doubleForKey(const std::shared_ptr<NSDictionary>& dictionary, const NSString& key);
bool boolForKey(const std::shared_ptr<NSDictionary>& dictionary, const NSString& key);
std::shared_ptr<NSDictionary> dictionaryForKey(const std::shared_ptr<NSDictionary>& dictionary, const NSString& key);
std::shared_ptr<NSArray> arrayForKey(const std::shared_ptr<NSDictionary>& dictionary, const NSString& key);

// Boxing shorthands.
std::shared_ptr<NSNumber> number(int value);
std::shared_ptr<NSNumber> number(NSInteger value);
std::shared_ptr<NSNumber> number(double value);
std::shared_ptr<NSNumber> boolean(bool value);

} // namespace ns
