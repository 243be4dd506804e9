#pragma once
// The arguments of stringWithFormat: typed and counted, so a format can never read past them
// or read one type as another. A conversion with no argument left, or of a kind its argument
// cannot give, writes nothing rather than reading garbage.

#include <cstdint>
#include <span>
#include <type_traits>
#include <variant>

namespace ns {

struct FormatArgument {
    std::variant<std::monostate, std::int64_t, std::uint64_t, double, const char*, const char16_t*, NSString, id, const void*> value;

    FormatArgument(bool v) : value(static_cast<std::int64_t>(v)) { }
    FormatArgument(char v) : value(static_cast<std::int64_t>(v)) { }
    FormatArgument(char16_t v) : value(static_cast<std::uint64_t>(v)) { }
    template <class T>
        requires(std::is_integral_v<T> && std::is_signed_v<T>)
    FormatArgument(T v) : value(static_cast<std::int64_t>(v)) { }
    template <class T>
        requires(std::is_integral_v<T> && std::is_unsigned_v<T>)
    FormatArgument(T v) : value(static_cast<std::uint64_t>(v)) { }
    template <class T>
        requires std::is_enum_v<T>
    FormatArgument(T v) : value(static_cast<std::int64_t>(v)) { }
    FormatArgument(float v) : value(static_cast<double>(v)) { }
    FormatArgument(double v) : value(v) { }
    FormatArgument(long double v) : value(static_cast<double>(v)) { }
    FormatArgument(const char* v) : value(v) { }
    FormatArgument(char* v) : value(static_cast<const char*>(v)) { }
    FormatArgument(const char16_t* v) : value(v) { }
    FormatArgument(const std::string& v) : value(NSString(v)) { }
    FormatArgument(const NSString& v) : value(v) { }
    FormatArgument(std::nullptr_t) : value(id {}) { }
    template <class T>
        requires std::is_base_of_v<NSObject, T>
    FormatArgument(const std::shared_ptr<T>& v) : value(std::static_pointer_cast<NSObject>(std::const_pointer_cast<std::remove_const_t<T>>(v))) { }
    template <class T>
        requires(!std::is_same_v<std::remove_cv_t<T>, char>)
    FormatArgument(T* v) : value(static_cast<const void*>(v)) { }
};

std::u16string format(const char* format, std::span<const FormatArgument> arguments);

} // namespace ns

template <class... Args>
NSString NSString::stringWithFormat(const char* format, const Args&... args)
{
    const ns::FormatArgument arguments[] = { ns::FormatArgument(args)..., ns::FormatArgument(nullptr) };
    return NSString(ns::format(format, std::span(arguments, sizeof...(Args))));
}

template <class... Args>
NSString NSString::stringByAppendingFormat(const char* format, const Args&... args) const
{
    return stringByAppendingString(stringWithFormat(format, args...));
}

template <class... Args>
void NSMutableString::appendFormat(const char* format, const Args&... args)
{
    appendString(NSString::stringWithFormat(format, args...));
}
