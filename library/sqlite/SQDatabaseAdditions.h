#pragma once
// One-line queries over a connection: the first column of the first row as a typed value, tests
// for tables and columns, the schema, the header integers and a syntax check.

#include "library/sqlite/SQDatabase.h"

namespace SQDatabaseAdditions {

// Each reads column 0 of the first row and closes the result; the empty value without a row.
NSString stringForQuery(const std::shared_ptr<SQDatabase>& db, const NSString& sql, std::span<const id> arguments);
int intForQuery(const std::shared_ptr<SQDatabase>& db, const NSString& sql, std::span<const id> arguments);
std::int64_t longForQuery(const std::shared_ptr<SQDatabase>& db, const NSString& sql, std::span<const id> arguments);
bool boolForQuery(const std::shared_ptr<SQDatabase>& db, const NSString& sql, std::span<const id> arguments);
double doubleForQuery(const std::shared_ptr<SQDatabase>& db, const NSString& sql, std::span<const id> arguments);
std::shared_ptr<NSData> dataForQuery(const std::shared_ptr<SQDatabase>& db, const NSString& sql, std::span<const id> arguments);
std::shared_ptr<NSDate> dateForQuery(const std::shared_ptr<SQDatabase>& db, const NSString& sql, std::span<const id> arguments);

template <sq::BindableArgument... Args>
NSString stringForQuery(const std::shared_ptr<SQDatabase>& db, const NSString& sql, const Args&... args)
{
    const std::vector<id> values = sq::arguments(args...);
    return stringForQuery(db, sql, std::span<const id>(values));
}
template <sq::BindableArgument... Args>
int intForQuery(const std::shared_ptr<SQDatabase>& db, const NSString& sql, const Args&... args)
{
    const std::vector<id> values = sq::arguments(args...);
    return intForQuery(db, sql, std::span<const id>(values));
}
template <sq::BindableArgument... Args>
std::int64_t longForQuery(const std::shared_ptr<SQDatabase>& db, const NSString& sql, const Args&... args)
{
    const std::vector<id> values = sq::arguments(args...);
    return longForQuery(db, sql, std::span<const id>(values));
}
template <sq::BindableArgument... Args>
bool boolForQuery(const std::shared_ptr<SQDatabase>& db, const NSString& sql, const Args&... args)
{
    const std::vector<id> values = sq::arguments(args...);
    return boolForQuery(db, sql, std::span<const id>(values));
}
template <sq::BindableArgument... Args>
double doubleForQuery(const std::shared_ptr<SQDatabase>& db, const NSString& sql, const Args&... args)
{
    const std::vector<id> values = sq::arguments(args...);
    return doubleForQuery(db, sql, std::span<const id>(values));
}
template <sq::BindableArgument... Args>
std::shared_ptr<NSData> dataForQuery(const std::shared_ptr<SQDatabase>& db, const NSString& sql, const Args&... args)
{
    const std::vector<id> values = sq::arguments(args...);
    return dataForQuery(db, sql, std::span<const id>(values));
}
template <sq::BindableArgument... Args>
std::shared_ptr<NSDate> dateForQuery(const std::shared_ptr<SQDatabase>& db, const NSString& sql, const Args&... args)
{
    const std::vector<id> values = sq::arguments(args...);
    return dateForQuery(db, sql, std::span<const id>(values));
}

// Table names compare without regard to case.
bool tableExists(const std::shared_ptr<SQDatabase>& db, const NSString& tableName);
// Open result sets the caller walks and closes; nil when the query fails.
std::shared_ptr<SQResultSet> getSchema(const std::shared_ptr<SQDatabase>& db);
std::shared_ptr<SQResultSet> getTableSchema(const std::shared_ptr<SQDatabase>& db, const NSString& tableName);
bool columnExists(const std::shared_ptr<SQDatabase>& db, const NSString& columnName, const NSString& tableName);
// The older argument order: table first.
bool columnExistsColumnName(const std::shared_ptr<SQDatabase>& db, const NSString& tableName, const NSString& columnName);

std::uint32_t applicationID(const std::shared_ptr<SQDatabase>& db);
void setApplicationID(const std::shared_ptr<SQDatabase>& db, std::uint32_t appID);
std::uint32_t userVersion(const std::shared_ptr<SQDatabase>& db);
void setUserVersion(const std::shared_ptr<SQDatabase>& db, std::uint32_t version);

// Compiles the text without running it; NO, with an error of the general domain, when it does not compile.
bool validateSQL(const std::shared_ptr<SQDatabase>& db, const NSString& sql, NSErrorPointer error = nullptr);

} // namespace SQDatabaseAdditions
