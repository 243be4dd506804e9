#pragma once
// Typed, counted statement arguments. Each C++ value is boxed into the object the binding rules
// know (text, number of the value's own type, data, date, NSNull or nil), so a statement can never
// read past its arguments: a short list leaves parameters unbound and fails the bind-count check.

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSSet.h"

#include <string>
#include <string_view>
#include <type_traits>

namespace sq {

template <class T>
struct IsObjectPointer : std::false_type { };
template <class T>
struct IsObjectPointer<std::shared_ptr<T>> : std::bool_constant<std::is_base_of_v<NSObject, T>> { };

// Collections are never statement values; keeping them out also keeps a lone array or dictionary
// argument on the overloads that read it as the list of values.
template <class T>
struct IsCollectionPointer : std::false_type { };
template <class T>
struct IsCollectionPointer<std::shared_ptr<T>>
    : std::bool_constant<std::is_base_of_v<NSArray, T> || std::is_base_of_v<NSDictionary, T> || std::is_base_of_v<NSSet, T>> { };

template <class T>
concept Bindable = std::is_same_v<T, std::nullptr_t> || std::is_same_v<T, NSString> || std::is_arithmetic_v<T>
    || std::is_same_v<T, const char*> || std::is_same_v<T, char*> || std::is_same_v<T, std::string> || std::is_same_v<T, std::string_view>
    || (IsObjectPointer<T>::value && !IsCollectionPointer<T>::value);

template <class T>
concept BindableArgument = Bindable<std::decay_t<T>>;

template <class T>
id argument(const T& value)
{
    using U = std::decay_t<T>;
    if constexpr (std::is_same_v<U, std::nullptr_t>) {
        return nullptr;
    } else if constexpr (std::is_same_v<U, NSString>) {
        return value.isNil() ? id {} : static_cast<id>(value);
    } else if constexpr (std::is_same_v<U, const char*> || std::is_same_v<U, char*>) {
        const char* text = value;
        return text ? static_cast<id>(NSString(text)) : id {};
    } else if constexpr (std::is_same_v<U, std::string> || std::is_same_v<U, std::string_view>) {
        return static_cast<id>(NSString(value));
    } else if constexpr (std::is_same_v<U, bool>) {
        return NSNumber::numberWithBool(value);
    } else if constexpr (std::is_same_v<U, char> || std::is_same_v<U, signed char>) {
        return NSNumber::numberWithChar(static_cast<char>(value));
    } else if constexpr (std::is_same_v<U, unsigned char>) {
        return NSNumber::numberWithUnsignedChar(value);
    } else if constexpr (std::is_same_v<U, short>) {
        return NSNumber::numberWithShort(value);
    } else if constexpr (std::is_same_v<U, unsigned short>) {
        return NSNumber::numberWithUnsignedShort(value);
    } else if constexpr (std::is_same_v<U, int>) {
        return NSNumber::numberWithInt(value);
    } else if constexpr (std::is_same_v<U, unsigned int>) {
        return NSNumber::numberWithUnsignedInt(value);
    } else if constexpr (std::is_same_v<U, long>) {
        return NSNumber::numberWithLong(value);
    } else if constexpr (std::is_same_v<U, unsigned long>) {
        return NSNumber::numberWithUnsignedLong(value);
    } else if constexpr (std::is_same_v<U, long long>) {
        return NSNumber::numberWithLongLong(value);
    } else if constexpr (std::is_same_v<U, unsigned long long>) {
        return NSNumber::numberWithUnsignedLongLong(value);
    } else if constexpr (std::is_same_v<U, float>) {
        return NSNumber::numberWithFloat(value);
    } else if constexpr (std::is_floating_point_v<U>) {
        return NSNumber::numberWithDouble(static_cast<double>(value));
    } else if constexpr (std::is_integral_v<U> && std::is_signed_v<U>) {
        return NSNumber::numberWithLongLong(value);
    } else if constexpr (std::is_integral_v<U>) {
        return NSNumber::numberWithUnsignedLongLong(value);
    } else {
        return std::static_pointer_cast<NSObject>(value);
    }
}

template <class... Args>
std::vector<id> arguments(const Args&... values)
{
    return std::vector<id> { argument(values)... };
}

} // namespace sq
