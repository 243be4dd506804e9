#include "platform/foundation/NSString.h"

#include <clocale>
#include <cstdio>
#include <locale.h>

namespace {

// Number formatting never follows the process's C locale: the decimal point is always '.'.
class CLocaleScope {
public:
    CLocaleScope()
    {
        static locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
        if (cLocale)
            m_previous = uselocale(cLocale);
    }
    ~CLocaleScope()
    {
        if (m_previous)
            uselocale(m_previous);
    }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t m_previous { nullptr };
};

struct Conversion {
    std::string flags;
    int width { -1 };
    int precision { -1 };
    bool widthFromArgument { false };
    bool precisionFromArgument { false };
    int lengthBits { 32 };
    char conversion { 0 };
};

template <class... T>
struct Overloaded : T... {
    using T::operator()...;
};
// Clang 14 does not deduce an aggregate's arguments by itself.
template <class... T>
Overloaded(T...) -> Overloaded<T...>;

std::int64_t asSigned(const ns::FormatArgument& argument)
{
    return std::visit(Overloaded {
                          [](std::int64_t v) { return v; },
                          [](std::uint64_t v) { return std::int64_t(v); },
                          [](double v) { return std::int64_t(v); },
                          [](const auto&) { return std::int64_t(0); },
                      },
        argument.value);
}

double asDouble(const ns::FormatArgument& argument)
{
    return std::visit(Overloaded {
                          [](std::int64_t v) { return double(v); },
                          [](std::uint64_t v) { return double(v); },
                          [](double v) { return v; },
                          [](const auto&) { return 0.0; },
                      },
        argument.value);
}

std::u16string describeArgument(const ns::FormatArgument& argument)
{
    return std::visit(Overloaded {
                          [](std::monostate) { return std::u16string(u"(null)"); },
                          [](std::int64_t v) { return ns::utf16FromUTF8(std::to_string(v)); },
                          [](std::uint64_t v) { return ns::utf16FromUTF8(std::to_string(v)); },
                          [](double v) { return NSString::stringWithFormat("%g", v).characters(); },
                          [](const char* v) { return v ? ns::utf16FromUTF8(v) : std::u16string(u"(null)"); },
                          [](const char16_t* v) { return v ? std::u16string(v) : std::u16string(u"(null)"); },
                          [](const NSString& v) { return v.isNil() ? std::u16string(u"(null)") : v.characters(); },
                          [](const id& v) { return v ? v->description().characters() : std::u16string(u"(null)"); },
                          [](const void* v) { return NSString::stringWithFormat("%p", v).characters(); },
                      },
        argument.value);
}

std::string printfString(const std::string& pattern, auto value)
{
    CLocaleScope scope;
    char small[128];
    int needed = std::snprintf(small, sizeof small, pattern.c_str(), value);
    if (needed < 0)
        return {};
    if (size_t(needed) < sizeof small)
        return std::string(small, size_t(needed));
    std::string large(size_t(needed) + 1, '\0');
    std::snprintf(large.data(), large.size(), pattern.c_str(), value);
    large.resize(size_t(needed));
    return large;
}

std::u16string pad(std::u16string text, const Conversion& conversion)
{
    if (conversion.width > 0 && text.size() < size_t(conversion.width)) {
        std::u16string padding(size_t(conversion.width) - text.size(), u' ');
        return conversion.flags.find('-') != std::string::npos ? text + padding : padding + text;
    }
    return text;
}

} // namespace

std::u16string ns::format(const char* format, std::span<const FormatArgument> arguments)
{
    std::u16string out;
    if (!format)
        return out;
    size_t next = 0;
    auto take = [&]() -> const FormatArgument* { return next < arguments.size() ? &arguments[next++] : nullptr; };
    std::string_view text(format);
    size_t literalStart = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        out += utf16FromUTF8(text.substr(literalStart, i - literalStart));
        size_t k = i + 1;
        if (k < text.size() && text[k] == '%') {
            out.push_back(u'%');
            i = k;
            literalStart = k + 1;
            continue;
        }
        Conversion conversion;
        while (k < text.size() && std::string_view("-+ #0'").find(text[k]) != std::string_view::npos)
            conversion.flags += text[k++];
        if (k < text.size() && text[k] == '*') {
            conversion.widthFromArgument = true;
            ++k;
        } else {
            while (k < text.size() && text[k] >= '0' && text[k] <= '9')
                conversion.width = std::max(conversion.width, 0) * 10 + (text[k++] - '0');
        }
        if (k < text.size() && text[k] == '.') {
            ++k;
            conversion.precision = 0;
            if (k < text.size() && text[k] == '*') {
                conversion.precisionFromArgument = true;
                ++k;
            } else {
                while (k < text.size() && text[k] >= '0' && text[k] <= '9')
                    conversion.precision = conversion.precision * 10 + (text[k++] - '0');
            }
        }
        while (k < text.size() && std::string_view("hlqLzjt").find(text[k]) != std::string_view::npos) {
            switch (text[k]) {
            case 'h': conversion.lengthBits = conversion.lengthBits == 16 ? 8 : 16; break;
            case 'L': break;
            default: conversion.lengthBits = 64; break;
            }
            ++k;
        }
        if (k >= text.size()) {
            literalStart = text.size();
            break;
        }
        conversion.conversion = text[k];
        i = k;
        literalStart = k + 1;
        if (conversion.widthFromArgument) {
            auto* width = take();
            conversion.width = width ? int(asSigned(*width)) : 0;
            if (conversion.width < 0) {
                conversion.flags += '-';
                conversion.width = -conversion.width;
            }
        }
        if (conversion.precisionFromArgument) {
            auto* precision = take();
            conversion.precision = precision ? int(asSigned(*precision)) : -1;
        }
        const FormatArgument* argument = take();
        if (!argument)
            continue;
        std::string printfPattern = "%" + conversion.flags;
        if (conversion.width >= 0)
            printfPattern += std::to_string(conversion.width);
        if (conversion.precision >= 0)
            printfPattern += "." + std::to_string(conversion.precision);
        switch (conversion.conversion) {
        case '@':
            out += pad(describeArgument(*argument), conversion);
            break;
        case 'd':
        case 'i': {
            std::int64_t value = asSigned(*argument);
            if (conversion.lengthBits == 32) value = std::int32_t(value);
            else if (conversion.lengthBits == 16) value = std::int16_t(value);
            else if (conversion.lengthBits == 8) value = std::int8_t(value);
            out += utf16FromUTF8(printfString(printfPattern + "lld", static_cast<long long>(value)));
            break;
        }
        case 'u':
        case 'x':
        case 'X':
        case 'o': {
            std::uint64_t value = std::uint64_t(asSigned(*argument));
            if (auto* unsignedValue = std::get_if<std::uint64_t>(&argument->value))
                value = *unsignedValue;
            if (conversion.lengthBits == 32) value = std::uint32_t(value);
            else if (conversion.lengthBits == 16) value = std::uint16_t(value);
            else if (conversion.lengthBits == 8) value = std::uint8_t(value);
            out += utf16FromUTF8(printfString(printfPattern + "ll" + conversion.conversion, static_cast<unsigned long long>(value)));
            break;
        }
        case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': case 'a': case 'A':
            out += utf16FromUTF8(printfString(printfPattern + conversion.conversion, asDouble(*argument)));
            break;
        case 'c':
            out += pad(utf16FromUTF8(std::string(1, char(asSigned(*argument)))), conversion);
            break;
        case 'C':
            out += pad(std::u16string(1, char16_t(asSigned(*argument))), conversion);
            break;
        case 's':
        case 'S': {
            std::u16string value = describeArgument(*argument);
            if (conversion.precision >= 0 && value.size() > size_t(conversion.precision))
                value.resize(size_t(conversion.precision));
            out += pad(std::move(value), conversion);
            break;
        }
        case 'p':
            if (auto* pointer = std::get_if<const void*>(&argument->value))
                out += utf16FromUTF8(printfString("%p", *pointer));
            else if (auto* object = std::get_if<id>(&argument->value))
                out += utf16FromUTF8(printfString("%p", static_cast<const void*>(object->get())));
            break;
        default:
            break;
        }
    }
    if (literalStart < text.size())
        out += utf16FromUTF8(text.substr(literalStart));
    return out;
}
