#pragma once

#include <sqlite3.h>

#include <string>

namespace testing_support {

// One statement on a data file, read from outside the program under test: the first column of
// the first row of its answer, or "" when there is none.
inline std::string firstValue(const std::string& file, const std::string& statement)
{
    sqlite3* database = nullptr;
    std::string answer;
    if (sqlite3_open(file.c_str(), &database) == SQLITE_OK) {
        sqlite3_exec(database, statement.c_str(), [](void* out, int columns, char** values, char**) {
            if (columns > 0 && values[0] && static_cast<std::string*>(out)->empty())
                *static_cast<std::string*>(out) = values[0];
            return 0;
        }, &answer, nullptr);
    }
    sqlite3_close(database);
    return answer;
}

} // namespace testing_support
