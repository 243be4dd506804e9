#pragma once
// The one reader of decimal floating-point text that the string and the scanner share, so that
// "1e-400" means the same to both: an optional sign, digits with an optional point (at least one
// digit), and an exponent only when digits follow it. Out-of-range values saturate: overflow to
// ±HUGE_VAL, underflow to a zero of the number's sign.

#include <cstddef>
#include <optional>
#include <string_view>

namespace ns {

// Reads at `position` (no white space skipped); on success moves `position` past the number.
std::optional<double> readDouble(std::u16string_view text, std::size_t& position);

} // namespace ns
