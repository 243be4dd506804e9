#include "platform/foundation/TypedValues.h"

#include "platform/foundation/NSNull.h"

NSString ns::textOf(const id& value)
{
    NSString text = NSString::fromId(value);
    if (text.isNil() && value)
        text = value->description();
    return text.isNil() ? NSString::string() : text;
}

NSString ns::stringValue(const id& value)
{
    if (auto text = std::dynamic_pointer_cast<NSStringObject>(value))
        return NSString(text);
    if (auto number = cast<NSNumber>(value))
        return number->stringValue();
    return {};
}

int ns::intValue(const id& value)
{
    if (auto number = cast<NSNumber>(value))
        return number->intValue();
    return NSString::fromId(value).intValue();
}

NSInteger ns::integerValue(const id& value)
{
    if (auto number = cast<NSNumber>(value))
        return number->integerValue();
    return NSString::fromId(value).integerValue();
}

long long ns::longLongValue(const id& value)
{
    if (auto number = cast<NSNumber>(value))
        return number->longLongValue();
    return NSString::fromId(value).longLongValue();
}

double ns::doubleValue(const id& value)
{
    if (auto number = cast<NSNumber>(value))
        return number->doubleValue();
    return NSString::fromId(value).doubleValue();
}

float ns::floatValue(const id& value)
{
    return float(doubleValue(value));
}

bool ns::boolValue(const id& value)
{
    if (auto number = cast<NSNumber>(value))
        return number->boolValue();
    return NSString::fromId(value).boolValue();
}

std::shared_ptr<NSDictionary> ns::dictionaryValue(const id& value)
{
    return cast<NSDictionary>(value);
}

std::shared_ptr<NSArray> ns::arrayValue(const id& value)
{
    return cast<NSArray>(value);
}

std::shared_ptr<NSNumber> ns::numberValue(const id& value)
{
    return cast<NSNumber>(value);
}

bool ns::isNilOrNull(const id& value)
{
    return !value || value == NSNull::null();
}

namespace {

id member(const std::shared_ptr<NSDictionary>& dictionary, const NSString& key)
{
    return dictionary ? dictionary->objectForKey(key) : nullptr;
}

} // namespace

NSString ns::stringForKey(const std::shared_ptr<NSDictionary>& dictionary, const NSString& key) { return stringValue(member(dictionary, key)); }
int ns::intForKey(const std::shared_ptr<NSDictionary>& dictionary, const NSString& key) { return intValue(member(dictionary, key)); }
NSInteger ns::integerForKey(const std::shared_ptr<NSDictionary>& dictionary, const NSString& key) { return integerValue(member(dictionary, key)); }
double ns::doubleForKey(const std::shared_ptr<NSDictionary>& dictionary, const NSString& key) { return doubleValue(member(dictionary, key)); }
bool ns::boolForKey(const std::shared_ptr<NSDictionary>& dictionary, const NSString& key) { return boolValue(member(dictionary, key)); }
std::shared_ptr<NSDictionary> ns::dictionaryForKey(const std::shared_ptr<NSDictionary>& dictionary, const NSString& key) { return dictionaryValue(member(dictionary, key)); }
std::shared_ptr<NSArray> ns::arrayForKey(const std::shared_ptr<NSDictionary>& dictionary, const NSString& key) { return arrayValue(member(dictionary, key)); }

std::shared_ptr<NSNumber> ns::number(int value) { return NSNumber::numberWithInt(value); }
std::shared_ptr<NSNumber> ns::number(NSInteger value) { return NSNumber::numberWithInteger(value); }
std::shared_ptr<NSNumber> ns::number(double value) { return NSNumber::numberWithDouble(value); }
std::shared_ptr<NSNumber> ns::boolean(bool value) { return NSNumber::numberWithBool(value); }
