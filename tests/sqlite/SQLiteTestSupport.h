#pragma once
// Database files for the wrapper's tests, in the test process's own sandbox.

#include "library/sqlite/SQDatabase.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace sqtest {

// A fresh file path named after the running test, so tests run in one process never share a file.
inline NSString databasePath(const std::string& suffix = "db")
{
    const char* home = std::getenv("CORVANE_HOME");
    std::filesystem::path directory = home ? home : std::filesystem::temp_directory_path();
    directory /= "sqlite-tests";
    std::filesystem::create_directories(directory);
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    const std::filesystem::path file = directory / (std::string(info->test_suite_name()) + "." + info->name() + "." + suffix);
    std::filesystem::remove(file);
    std::filesystem::remove(file.string() + "-journal");
    return NSString(file.string());
}

inline std::shared_ptr<SQDatabase> openedDatabase(const NSString& path = NSString())
{
    auto db = SQDatabase::databaseWithPath(path);
    EXPECT_TRUE(db->open());
    return db;
}

} // namespace sqtest
