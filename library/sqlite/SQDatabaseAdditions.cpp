#include "library/sqlite/SQDatabaseAdditions.h"

#include "platform/foundation/NSData.h"
#include "platform/foundation/NSDate.h"

namespace SQDatabaseAdditions {

namespace {

template <class Result, class Getter>
Result firstColumnOfFirstRow(const std::shared_ptr<SQDatabase>& db, const NSString& sql, std::span<const id> arguments, Getter getter)
{
    if (!db)
        return Result {};
    const auto rs = db->executeQuery(sql, arguments);
    if (!rs)
        return Result {};
    Result result {};
    if (rs->next())
        result = getter(*rs);
    rs->close();
    return result;
}

std::uint32_t headerInteger(const std::shared_ptr<SQDatabase>& db, const NSString& sql)
{
    return firstColumnOfFirstRow<std::uint32_t>(db, sql, {}, [](SQResultSet& rs) {
        return static_cast<std::uint32_t>(rs.longLongIntForColumnIndex(0));
    });
}

void runPragma(const std::shared_ptr<SQDatabase>& db, const NSString& sql)
{
    if (!db)
        return;
    if (const auto rs = db->executeQuery(sql)) {
        rs->next();
        rs->close();
    }
}

} // namespace

NSString stringForQuery(const std::shared_ptr<SQDatabase>& db, const NSString& sql, std::span<const id> arguments)
{
    return firstColumnOfFirstRow<NSString>(db, sql, arguments, [](SQResultSet& rs) { return rs.stringForColumnIndex(0); });
}

int intForQuery(const std::shared_ptr<SQDatabase>& db, const NSString& sql, std::span<const id> arguments)
{
    return firstColumnOfFirstRow<int>(db, sql, arguments, [](SQResultSet& rs) { return rs.intForColumnIndex(0); });
}

std::int64_t longForQuery(const std::shared_ptr<SQDatabase>& db, const NSString& sql, std::span<const id> arguments)
{
    return firstColumnOfFirstRow<std::int64_t>(db, sql, arguments, [](SQResultSet& rs) { return rs.longForColumnIndex(0); });
}

bool boolForQuery(const std::shared_ptr<SQDatabase>& db, const NSString& sql, std::span<const id> arguments)
{
    return firstColumnOfFirstRow<bool>(db, sql, arguments, [](SQResultSet& rs) { return rs.boolForColumnIndex(0); });
}

double doubleForQuery(const std::shared_ptr<SQDatabase>& db, const NSString& sql, std::span<const id> arguments)
{
    return firstColumnOfFirstRow<double>(db, sql, arguments, [](SQResultSet& rs) { return rs.doubleForColumnIndex(0); });
}

std::shared_ptr<NSData> dataForQuery(const std::shared_ptr<SQDatabase>& db, const NSString& sql, std::span<const id> arguments)
{
    return firstColumnOfFirstRow<std::shared_ptr<NSData>>(db, sql, arguments, [](SQResultSet& rs) { return rs.dataForColumnIndex(0); });
}

std::shared_ptr<NSDate> dateForQuery(const std::shared_ptr<SQDatabase>& db, const NSString& sql, std::span<const id> arguments)
{
    return firstColumnOfFirstRow<std::shared_ptr<NSDate>>(db, sql, arguments, [](SQResultSet& rs) { return rs.dateForColumnIndex(0); });
}

bool tableExists(const std::shared_ptr<SQDatabase>& db, const NSString& tableName)
{
    if (!db)
        return false;
    const auto rs = db->executeQuery("select [sql] from sqlite_master where [type] = 'table' and lower(name) = ?", tableName.lowercaseString());
    if (!rs)
        return false;
    const bool exists = rs->next();
    rs->close();
    return exists;
}

std::shared_ptr<SQResultSet> getSchema(const std::shared_ptr<SQDatabase>& db)
{
    if (!db)
        return nullptr;
    return db->executeQuery("SELECT type, name, tbl_name, rootpage, sql FROM (SELECT * FROM sqlite_master UNION ALL SELECT * FROM sqlite_temp_master) "
                            "WHERE type != 'meta' AND name NOT LIKE 'sqlite_%' ORDER BY tbl_name, type DESC, name");
}

std::shared_ptr<SQResultSet> getTableSchema(const std::shared_ptr<SQDatabase>& db, const NSString& tableName)
{
    if (!db)
        return nullptr;
    // The table-valued form takes the name as a bound value, so no name can change the statement.
    return db->executeQuery("SELECT * FROM pragma_table_info(?)", tableName);
}

bool columnExists(const std::shared_ptr<SQDatabase>& db, const NSString& columnName, const NSString& tableName)
{
    const NSString column = columnName.lowercaseString();
    const auto rs = getTableSchema(db, tableName.lowercaseString());
    if (!rs)
        return false;
    while (rs->next()) {
        if (rs->stringForColumn("name").lowercaseString() == column) {
            rs->close();
            return true;
        }
    }
    rs->close();
    return false;
}

bool columnExistsColumnName(const std::shared_ptr<SQDatabase>& db, const NSString& tableName, const NSString& columnName)
{
    return columnExists(db, columnName, tableName);
}

std::uint32_t applicationID(const std::shared_ptr<SQDatabase>& db)
{
    return headerInteger(db, "pragma application_id");
}

void setApplicationID(const std::shared_ptr<SQDatabase>& db, std::uint32_t appID)
{
    // A pragma takes no parameters; the value is an integer of ours, written in decimal.
    runPragma(db, NSString::stringWithFormat("pragma application_id=%d", static_cast<int>(static_cast<std::int32_t>(appID))));
}

std::uint32_t userVersion(const std::shared_ptr<SQDatabase>& db)
{
    return headerInteger(db, "pragma user_version");
}

void setUserVersion(const std::shared_ptr<SQDatabase>& db, std::uint32_t version)
{
    runPragma(db, NSString::stringWithFormat("pragma user_version = %d", static_cast<int>(static_cast<std::int32_t>(version))));
}

bool validateSQL(const std::shared_ptr<SQDatabase>& db, const NSString& sql, NSErrorPointer error)
{
    if (!db || !db->sqliteHandle()) {
        NSSetError(error, NSError::errorWithDomain(NSCocoaErrorDomain, SQLITE_MISUSE, NSString("The database is not open.")));
        return false;
    }
    sqlite3_stmt* statement = nullptr;
    const std::string text = sql.UTF8String();
    const int rc = sqlite3_prepare_v2(db->sqliteHandle(), text.c_str(), -1, &statement, nullptr);
    const bool valid = rc == SQLITE_OK;
    if (!valid)
        NSSetError(error, NSError::errorWithDomain(NSCocoaErrorDomain, db->lastErrorCode(), db->lastErrorMessage()));
    sqlite3_finalize(statement);
    return valid;
}

} // namespace SQDatabaseAdditions
