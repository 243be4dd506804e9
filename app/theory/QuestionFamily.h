#pragma once
// A fill-in question and the true/false statements made from it by filling its blank with one of
// its options: seeing one of them gives the others' answers away, so the bank's builder joins them
// in one family, orders them far apart and records the family for papers to hold at most one of
// them. Plain text, kept with the theory code whose papers depend on it.

#include <string>
#include <string_view>
#include <vector>

namespace QuestionFamily {

// The blank of a fill-in question, as the bank writes it.
inline constexpr std::string_view kBlank = "（　　）";

// A fill-in question's text around its one blank; not a stem when the text has no blank or several.
struct Stem {
    std::string before;
    std::string after;
    bool isStem { false };

    explicit Stem(std::string_view question);
    // YES when `statement` is this stem with its blank filled by one of `options` (empty ones do not count).
    bool filledBy(std::string_view statement, const std::vector<std::string>& options) const;
};

bool isStatementOf(std::string_view statement, std::string_view question, const std::vector<std::string>& options);

} // namespace QuestionFamily
