#pragma once
// A fill-in question and the true/false statements made from it by filling its blank with one of
// its options: seeing one of them gives the others' answers away, so the bank orders them far
// apart and a paper holds at most one of them. Plain text, so that the bank's builder asks the
// same question as the papers do.

#include <string>
#include <vector>

namespace QuestionFamily {

// The blank of a fill-in question, as the bank writes it.
inline constexpr const char* kBlank = "（　　）";

// YES when `statement` is `question` with its one blank filled by one of `options` (empty options
// do not count).
bool isStatementOf(const std::string& statement, const std::string& question, const std::vector<std::string>& options);

} // namespace QuestionFamily
