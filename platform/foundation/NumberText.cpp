#include "platform/foundation/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace ns {

namespace {

bool appendDigits(std::u16string_view text, std::size_t& cursor, std::string& out)
{
    const std::size_t start = cursor;
    for (; cursor < text.size() && text[cursor] >= u'0' && text[cursor] <= u'9'; ++cursor)
        out.push_back(static_cast<char>(text[cursor]));
    return cursor > start;
}

// Whether an out-of-range number is too large rather than too small: the decimal magnitude of the
// mantissa's first significant digit plus the exponent decides.
bool overflows(std::string_view mantissa, std::string_view exponent)
{
    long long magnitude = 0;
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_not_of("0.");
    if (first == std::string_view::npos)
        return false;
    magnitude = first < point ? static_cast<long long>(point - first) : -static_cast<long long>(first - point - 1);
    long long shift = 0;
    const bool negative = exponent.size() > 1 && exponent[1] == '-';
    for (const char c : exponent)
        if (c >= '0' && c <= '9')
            shift = std::min<long long>(shift * 10 + (c - '0'), 1'000'000'000);
    return magnitude + (negative ? -shift : shift) > 0;
}

} // namespace

std::optional<double> readDouble(std::u16string_view text, std::size_t& position)
{
    std::size_t cursor = position;
    bool negative = false;
    if (cursor < text.size() && (text[cursor] == u'-' || text[cursor] == u'+'))
        negative = text[cursor++] == u'-';
    std::string number;
    bool digits = appendDigits(text, cursor, number);
    if (cursor < text.size() && text[cursor] == u'.') {
        number.push_back('.');
        ++cursor;
        digits = appendDigits(text, cursor, number) || digits;
    }
    if (!digits)
        return std::nullopt;
    const std::size_t mantissaLength = number.size();
    if (cursor < text.size() && (text[cursor] == u'e' || text[cursor] == u'E')) {
        std::size_t exponent = cursor + 1;
        std::string suffix = "e";
        if (exponent < text.size() && (text[exponent] == u'-' || text[exponent] == u'+'))
            suffix.push_back(static_cast<char>(text[exponent++]));
        if (appendDigits(text, exponent, suffix)) {
            number += suffix;
            cursor = exponent;
        }
    }
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range)
        value = overflows(std::string_view(number).substr(0, mantissaLength), std::string_view(number).substr(mantissaLength)) ? HUGE_VAL : 0.0;
    else if (error != std::errc())
        return std::nullopt;
    position = cursor;
    return negative ? -value : value;
}

} // namespace ns
