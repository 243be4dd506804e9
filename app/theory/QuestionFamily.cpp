#include "app/theory/QuestionFamily.h"

namespace QuestionFamily {

bool isStatementOf(const std::string& statement, const std::string& question, const std::vector<std::string>& options)
{
    const std::string blank(kBlank);
    const std::size_t at = question.find(blank);
    if (at == std::string::npos || question.find(blank, at + blank.size()) != std::string::npos)
        return false;
    const std::string before = question.substr(0, at);
    const std::string after = question.substr(at + blank.size());
    if (statement.size() <= before.size() + after.size() || statement.compare(0, before.size(), before) != 0
        || statement.compare(statement.size() - after.size(), after.size(), after) != 0)
        return false;
    const std::string filled = statement.substr(before.size(), statement.size() - before.size() - after.size());
    for (const auto& option : options)
        if (!option.empty() && option == filled)
            return true;
    return false;
}

} // namespace QuestionFamily
