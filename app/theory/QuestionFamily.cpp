#include "app/theory/QuestionFamily.h"

namespace QuestionFamily {

Stem::Stem(std::string_view question)
{
    const std::size_t at = question.find(kBlank);
    if (at == std::string_view::npos || question.find(kBlank, at + kBlank.size()) != std::string_view::npos)
        return;
    before = question.substr(0, at);
    after = question.substr(at + kBlank.size());
    isStem = true;
}

bool Stem::filledBy(std::string_view statement, const std::vector<std::string>& options) const
{
    if (!isStem || statement.size() <= before.size() + after.size() || !statement.starts_with(before) || !statement.ends_with(after))
        return false;
    const std::string_view filled = statement.substr(before.size(), statement.size() - before.size() - after.size());
    for (const auto& option : options)
        if (!option.empty() && option == filled)
            return true;
    return false;
}

bool isStatementOf(std::string_view statement, std::string_view question, const std::vector<std::string>& options)
{
    return Stem(question).filledBy(statement, options);
}

} // namespace QuestionFamily
