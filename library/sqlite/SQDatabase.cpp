#include "library/sqlite/SQDatabase.h"

#include "library/sqlite/SQLog.h"
#include "platform/foundation/NSData.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/NSLocale.h"
#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSSet.h"
#include "platform/foundation/NSTimeZone.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <optional>

namespace {

std::atomic<long> savePointCounter { 0 };

constexpr const char* kNoStatementMessage = "the SQL text holds no statement";

// The busy wait measures real time: the process clock may be a manual one that tests drive,
// while SQLite's sleeps are real.
double monotonicSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

NSString escapedSavePointName(const NSString& name)
{
    return name.stringByReplacingOccurrencesOfString("'", "''");
}

bool executeSavePointStatement(SQDatabase& db, const NSString& sql, NSErrorPointer outErr)
{
    if (!db.executeUpdate(sql)) {
        NSSetError(outErr, db.lastError());
        return false;
    }
    return true;
}

// Clears the re-entrance guard however the statement ends.
class ExecutingScope {
public:
    explicit ExecutingScope(std::atomic<bool>& flag) : m_flag(flag) { }
    ~ExecutingScope() { m_flag.store(false, std::memory_order_release); }
    ExecutingScope(const ExecutingScope&) = delete;
    ExecutingScope& operator=(const ExecutingScope&) = delete;

private:
    std::atomic<bool>& m_flag;
};

} // namespace

// MARK: - Creation, opening and closing

void SQDatabase::init(const NSString& path)
{
    if (!sqlite3_threadsafe()) {
        SQLog("Assertion failed: sqlite3_threadsafe()");
        std::abort();
    }
    _databasePath = path.copy();
}

SQDatabase::~SQDatabase()
{
    close();
}

std::string SQDatabase::sqlitePath() const
{
    if (_databasePath.isNil())
        return ":memory:";
    return _databasePath.UTF8String();
}

bool SQDatabase::open()
{
    // What sqlite3_open itself does.
    return openWithFlags(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
}

bool SQDatabase::openWithFlags(int flags)
{
    if (_db)
        return true;
    const int err = sqlite3_open_v2(sqlitePath().c_str(), &_db, flags, nullptr);
    if (err != SQLITE_OK) {
        SQLog("error opening!: %d", err);
        // SQLite may hand back a handle even when the open failed; nothing can use it.
        sqlite3_close(_db);
        _db = nullptr;
        return false;
    }
    clearOwnError();
    if (_maxBusyRetryTimeInterval > 0)
        installBusyHandler();
    return true;
}

bool SQDatabase::close()
{
    // Closing a result set may let go of the last owner of this connection.
    const auto protectedSelf = weak_from_this().lock();
    clearCachedStatements();
    closeOpenResultSets();
    if (!_db)
        return true;

    for (const auto& weakStatement : _liveStatements) {
        if (const auto statement = weakStatement.lock())
            statement->close();
    }
    _liveStatements.clear();

    bool triedFinalizingOpenStatements = false;
    bool retry = false;
    do {
        retry = false;
        const int rc = sqlite3_close(_db);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
            if (!triedFinalizingOpenStatements) {
                triedFinalizingOpenStatements = true;
                while (sqlite3_stmt* statement = sqlite3_next_stmt(_db, nullptr)) {
                    SQLog("Closing leaked statement");
                    sqlite3_finalize(statement);
                    retry = true;
                }
            }
        } else if (rc != SQLITE_OK) {
            SQLog("error closing!: %d", rc);
        }
    } while (retry);

    _db = nullptr;
    clearOwnError();
    // SQLite rolled back whatever was open.
    _inTransaction = false;
    return true;
}

bool SQDatabase::goodConnection()
{
    if (!_db)
        return false;
    const auto rs = executeQuery("select name from sqlite_master where type='table'");
    if (!rs)
        return false;
    rs->close();
    return true;
}

bool SQDatabase::databaseExists() const
{
    if (!_db) {
        SQLog("The SQDatabase %@ is not open.", description());
        return false;
    }
    return true;
}

bool SQDatabase::beginExecuting()
{
    if (_isExecutingStatement.exchange(true, std::memory_order_acq_rel)) {
        SQLog("The SQDatabase %@ is currently in use.", description());
        return false;
    }
    return true;
}

// MARK: - Properties

void SQDatabase::setShouldCacheStatements(bool shouldCacheStatements)
{
    if (shouldCacheStatements == _shouldCacheStatements)
        return;
    _shouldCacheStatements = shouldCacheStatements;
    if (!shouldCacheStatements)
        clearCachedStatements();
}

std::shared_ptr<NSDictionary> SQDatabase::cachedStatements() const
{
    if (!_shouldCacheStatements)
        return nullptr;
    const auto dictionary = NSMutableDictionary::dictionary();
    for (const auto& [query, statements] : _cachedStatements) {
        std::vector<id> members(statements.begin(), statements.end());
        dictionary->setObject(NSSet::create(members), query);
    }
    return dictionary;
}

void SQDatabase::setMaxBusyRetryTimeInterval(NSTimeInterval timeout)
{
    _maxBusyRetryTimeInterval = timeout;
    if (!_db)
        return;
    if (timeout > 0)
        installBusyHandler();
    else
        sqlite3_busy_handler(_db, nullptr, nullptr);
}

void SQDatabase::installBusyHandler()
{
    sqlite3_busy_handler(_db, [](void* context, int count) { return static_cast<SQDatabase*>(context)->busyHandlerRetry(count) ? 1 : 0; }, this);
}

bool SQDatabase::busyHandlerRetry(int count)
{
    if (count == 0) {
        _startBusyRetryTime = monotonicSeconds();
        return true;
    }
    if (monotonicSeconds() - _startBusyRetryTime >= _maxBusyRetryTimeInterval)
        return false;
    sqlite3_sleep(50);
    return true;
}

int SQDatabase::busyRetryTimeout() const
{
    SQLog("%s:%d", __func__, __LINE__);
    SQLog("SQDB: busyRetryTimeout no longer works, please use maxBusyRetryTimeInterval");
    return -1;
}

void SQDatabase::setBusyRetryTimeout(int)
{
    SQLog("%s:%d", __func__, __LINE__);
    SQLog("SQDB: setBusyRetryTimeout does nothing, please use setMaxBusyRetryTimeInterval:");
}

// MARK: - Binding

void SQDatabase::bindObject(const id& object, int idx, sqlite3_stmt* statement) const
{
    if (!object || ns::cast<NSNull>(object)) {
        sqlite3_bind_null(statement, idx);
        return;
    }
    if (const auto data = ns::cast<NSData>(object)) {
        // An empty buffer, not a null pointer: SQLite would bind NULL for that.
        static const std::uint8_t empty = 0;
        const void* bytes = data->length() ? static_cast<const void*>(data->bytes()) : &empty;
        sqlite3_bind_blob64(statement, idx, bytes, data->length(), SQLITE_TRANSIENT);
        return;
    }
    if (const auto date = ns::cast<NSDate>(object)) {
        if (hasDateFormatter()) {
            const std::string text = stringFromDate(date).UTF8String();
            sqlite3_bind_text64(statement, idx, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        } else {
            sqlite3_bind_double(statement, idx, date->timeIntervalSince1970());
        }
        return;
    }
    if (const auto number = ns::cast<NSNumber>(object)) {
        switch (number->kind()) {
        case NSNumber::Kind::Bool:
            sqlite3_bind_int(statement, idx, number->boolValue() ? 1 : 0);
            return;
        case NSNumber::Kind::Char:
        case NSNumber::Kind::UnsignedChar:
        case NSNumber::Kind::Short:
        case NSNumber::Kind::UnsignedShort:
        case NSNumber::Kind::Int:
            sqlite3_bind_int(statement, idx, number->intValue());
            return;
        case NSNumber::Kind::UnsignedInt:
        case NSNumber::Kind::Long:
        case NSNumber::Kind::LongLong:
            sqlite3_bind_int64(statement, idx, number->longLongValue());
            return;
        case NSNumber::Kind::UnsignedLong:
        case NSNumber::Kind::UnsignedLongLong:
            // The same 64 bits, read back by unsignedLongLongIntForColumn.
            sqlite3_bind_int64(statement, idx, static_cast<sqlite3_int64>(number->unsignedLongLongValue()));
            return;
        case NSNumber::Kind::Float:
        case NSNumber::Kind::Double:
            sqlite3_bind_double(statement, idx, number->doubleValue());
            return;
        }
    }
    // Text, and anything else by its description. The whole text is bound, an embedded NUL included.
    const std::string text = object->description().UTF8String();
    sqlite3_bind_text64(statement, idx, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

int SQDatabase::bindArguments(sqlite3_stmt* statement, const std::shared_ptr<NSArray>& arrayArgs,
    const std::shared_ptr<NSDictionary>& dictionaryArgs, std::span<const id> listArgs) const
{
    const int queryCount = sqlite3_bind_parameter_count(statement);
    int idx = 0;
    if (dictionaryArgs) {
        for (const auto& entry : *dictionaryArgs) {
            const NSString key = entry.key ? entry.key->description() : NSString();
            const NSString parameterName = NSString(":") + key;
            if (_traceExecution)
                SQLog("%@ = %@", parameterName, entry.object);
            const int namedIdx = sqlite3_bind_parameter_index(statement, parameterName.UTF8String().c_str());
            if (namedIdx > 0) {
                bindObject(entry.object, namedIdx, statement);
                ++idx;
            } else {
                SQLog("Could not find index for %@", key);
            }
        }
        return idx;
    }
    const NSUInteger arrayCount = arrayArgs ? arrayArgs->count() : 0;
    while (idx < queryCount) {
        id object;
        if (arrayArgs && static_cast<NSUInteger>(idx) < arrayCount)
            object = arrayArgs->objectAtIndex(static_cast<NSUInteger>(idx));
        else if (static_cast<std::size_t>(idx) < listArgs.size())
            object = listArgs[static_cast<std::size_t>(idx)];
        else
            break;
        if (_traceExecution) {
            if (const auto data = ns::cast<NSData>(object))
                SQLog("data: %ld bytes", static_cast<long>(data->length()));
            else
                SQLog("obj: %@", object);
        }
        ++idx;
        bindObject(object, idx, statement);
    }
    return idx;
}

// MARK: - Statement bookkeeping

void SQDatabase::trackStatement(const std::shared_ptr<SQStatement>& statement)
{
    if (_liveStatements.size() >= 16 && _liveStatements.size() == _liveStatements.capacity()) {
        std::erase_if(_liveStatements, [](const std::weak_ptr<SQStatement>& weak) { return weak.expired(); });
    }
    _liveStatements.push_back(statement);
}

std::shared_ptr<SQStatement> SQDatabase::cachedStatementForQuery(const NSString& query) const
{
    const auto found = _cachedStatements.find(query);
    if (found == _cachedStatements.end())
        return nullptr;
    for (const auto& statement : found->second) {
        if (!statement->inUse())
            return statement;
    }
    return nullptr;
}

void SQDatabase::setCachedStatement(const std::shared_ptr<SQStatement>& statement, const NSString& query)
{
    if (!statement || query.isNil())
        return;
    statement->setQuery(query.copy());
    auto& statements = _cachedStatements[query];
    if (std::find(statements.begin(), statements.end(), statement) == statements.end())
        statements.push_back(statement);
}

void SQDatabase::removeCachedStatement(const std::shared_ptr<SQStatement>& statement)
{
    for (auto it = _cachedStatements.begin(); it != _cachedStatements.end(); ++it) {
        auto& statements = it->second;
        const auto found = std::find(statements.begin(), statements.end(), statement);
        if (found == statements.end())
            continue;
        statements.erase(found);
        if (statements.empty())
            _cachedStatements.erase(it);
        return;
    }
}

void SQDatabase::clearCachedStatements()
{
    for (const auto& [query, statements] : _cachedStatements) {
        for (const auto& statement : statements)
            statement->close();
    }
    _cachedStatements.clear();
}

void SQDatabase::closeOpenResultSets()
{
    const auto protectedSelf = weak_from_this().lock();
    const auto openResultSets = std::move(_openResultSets);
    _openResultSets.clear();
    for (const auto& [pointer, weakResultSet] : openResultSets) {
        if (const auto resultSet = weakResultSet.lock()) {
            // Cleared first, so the set does not report back into the list being emptied.
            resultSet->setParentDB(nullptr);
            resultSet->close();
        }
    }
}

void SQDatabase::resultSetDidClose(const SQResultSet* resultSet)
{
    const auto found = std::find_if(_openResultSets.begin(), _openResultSets.end(),
        [resultSet](const auto& entry) { return entry.first == resultSet; });
    if (found != _openResultSets.end())
        _openResultSets.erase(found);
}

// MARK: - Queries and updates

bool SQDatabase::prepareStatement(const NSString& sql, std::shared_ptr<SQStatement>& cachedStatement, sqlite3_stmt*& pStmt)
{
    clearOwnError();
    if (_shouldCacheStatements) {
        cachedStatement = cachedStatementForQuery(sql);
        if (cachedStatement) {
            pStmt = cachedStatement->statement();
            cachedStatement->reset();
            sqlite3_clear_bindings(pStmt);
            return true;
        }
    }
    pStmt = nullptr;
    const std::string text = sql.UTF8String();
    const int rc = sqlite3_prepare_v2(_db, text.c_str(), -1, &pStmt, nullptr);
    if (rc != SQLITE_OK) {
        if (_logsErrors) {
            SQLog("DB Error: %d \"%@\"", lastErrorCode(), lastErrorMessage());
            SQLog("DB Query: %@", SQLogExcerpt(sql));
            SQLog("DB Path: %@", _databasePath);
        }
        if (_crashOnErrors)
            std::abort();
        sqlite3_finalize(pStmt);
        pStmt = nullptr;
        return false;
    }
    return true;
}

void SQDatabase::discardStatement(sqlite3_stmt* pStmt, const std::shared_ptr<SQStatement>& cachedStatement)
{
    if (cachedStatement) {
        removeCachedStatement(cachedStatement);
        cachedStatement->close();
    } else {
        sqlite3_finalize(pStmt);
    }
}

std::shared_ptr<SQResultSet> SQDatabase::executeQuery(const NSString& sql, const std::shared_ptr<NSArray>& arrayArgs,
    const std::shared_ptr<NSDictionary>& dictionaryArgs, std::span<const id> listArgs)
{
    if (!databaseExists())
        return nullptr;
    if (!beginExecuting())
        return nullptr;
    ExecutingScope executing(_isExecutingStatement);

    if (_traceExecution && !sql.isNil())
        SQLog("%@ executeQuery: %@", self(), SQLogExcerpt(sql));

    std::shared_ptr<SQStatement> statement;
    sqlite3_stmt* pStmt = nullptr;
    if (!prepareStatement(sql, statement, pStmt))
        return nullptr;

    // No statement has no parameters, and SQLite looks no name up in one.
    const int idx = pStmt ? bindArguments(pStmt, arrayArgs, dictionaryArgs, listArgs) : 0;
    if (idx != sqlite3_bind_parameter_count(pStmt)) {
        SQLog("Error: the bind count is not correct for the # of variables (executeQuery)");
        discardStatement(pStmt, statement);
        return nullptr;
    }

    if (!statement) {
        statement = SQStatement::create();
        statement->setStatement(pStmt);
        trackStatement(statement);
        if (_shouldCacheStatements && !sql.isNil() && pStmt)
            setCachedStatement(statement, sql);
    }

    const auto rs = SQResultSet::resultSetWithStatement(statement, self());
    rs->setQuery(sql);
    _openResultSets.emplace_back(rs.get(), rs);
    statement->setUseCount(statement->useCount() + 1);
    return rs;
}

bool SQDatabase::executeUpdate(const NSString& sql, NSErrorPointer outErr, const std::shared_ptr<NSArray>& arrayArgs,
    const std::shared_ptr<NSDictionary>& dictionaryArgs, std::span<const id> listArgs)
{
    if (!databaseExists())
        return false;
    if (!beginExecuting())
        return false;
    ExecutingScope executing(_isExecutingStatement);

    if (_traceExecution && !sql.isNil())
        SQLog("%@ executeUpdate: %@", self(), SQLogExcerpt(sql));

    std::shared_ptr<SQStatement> cachedStatement;
    sqlite3_stmt* pStmt = nullptr;
    if (!prepareStatement(sql, cachedStatement, pStmt)) {
        NSSetError(outErr, lastError());
        return false;
    }
    if (!pStmt) {
        // Nothing to run is a misuse, not the success SQLite's "not an error" would suggest.
        if (_logsErrors) {
            SQLog("Error calling sqlite3_step (%d: %s) SQLITE_MISUSE", SQLITE_MISUSE, kNoStatementMessage);
            SQLog("DB Query: %@", SQLogExcerpt(sql));
        }
        setOwnError(SQLITE_MISUSE, kNoStatementMessage);
        NSSetError(outErr, lastError());
        return false;
    }

    const int idx = bindArguments(pStmt, arrayArgs, dictionaryArgs, listArgs);
    const int queryCount = sqlite3_bind_parameter_count(pStmt);
    if (idx != queryCount) {
        SQLog("Error: the bind count (%d) is not correct for the # of variables in the query (%d) (%@) (executeUpdate)", idx, queryCount, SQLogExcerpt(sql));
        discardStatement(pStmt, cachedStatement);
        return false;
    }

    const int rc = sqlite3_step(pStmt);
    if (rc != SQLITE_DONE && _logsErrors) {
        if (rc == SQLITE_ERROR)
            SQLog("Error calling sqlite3_step (%d: %s) SQLITE_ERROR", rc, sqlite3_errmsg(_db));
        else if (rc == SQLITE_MISUSE)
            SQLog("Error calling sqlite3_step (%d: %s) SQLITE_MISUSE", rc, sqlite3_errmsg(_db));
        else
            SQLog("Unknown error calling sqlite3_step (%d: %s) eu", rc, sqlite3_errmsg(_db));
        SQLog("DB Query: %@", SQLogExcerpt(sql));
    }

    if (_shouldCacheStatements && !cachedStatement && !sql.isNil()) {
        cachedStatement = SQStatement::create();
        cachedStatement->setStatement(pStmt);
        trackStatement(cachedStatement);
        setCachedStatement(cachedStatement, sql);
    }
    int closeErrorCode;
    if (cachedStatement) {
        cachedStatement->setUseCount(cachedStatement->useCount() + 1);
        closeErrorCode = sqlite3_reset(pStmt);
    } else {
        closeErrorCode = sqlite3_finalize(pStmt);
    }
    if (closeErrorCode != SQLITE_OK && _logsErrors) {
        SQLog("Unknown error finalizing or resetting statement (%d: %s)", closeErrorCode, sqlite3_errmsg(_db));
        SQLog("DB Query: %@", SQLogExcerpt(sql));
    }
    return rc == SQLITE_DONE || rc == SQLITE_OK;
}

std::shared_ptr<SQResultSet> SQDatabase::executeQueryWithFormatArguments(const char* format, std::span<const ns::FormatArgument> arguments)
{
    std::u16string sql;
    std::vector<id> values;
    extractSQL(format, arguments, sql, values);
    return executeQuery(NSString(std::move(sql)), nullptr, nullptr, std::span<const id>(values));
}

bool SQDatabase::executeUpdateWithFormatArguments(const char* format, std::span<const ns::FormatArgument> arguments)
{
    std::u16string sql;
    std::vector<id> values;
    extractSQL(format, arguments, sql, values);
    return executeUpdate(NSString(std::move(sql)), nullptr, nullptr, nullptr, std::span<const id>(values));
}

// MARK: - Batches

namespace {

struct BatchContext {
    const SQDatabase::ExecuteStatementsCallbackBlock* block;
};

int batchRowCallback(void* context, int columns, char** values, char** names)
{
    const auto& block = *static_cast<BatchContext*>(context)->block;
    const auto dictionary = NSMutableDictionary::dictionaryWithCapacity(static_cast<NSUInteger>(columns));
    for (int i = 0; i < columns; ++i) {
        const NSString name = NSString::stringWithUTF8String(names[i] ? names[i] : "");
        id value = values[i] ? static_cast<id>(NSString(values[i])) : static_cast<id>(NSNull::null());
        dictionary->setObject(value, name.isNil() ? NSString("") : name);
    }
    return block(dictionary);
}

} // namespace

bool SQDatabase::executeStatements(const NSString& sql, const ExecuteStatementsCallbackBlock& block)
{
    if (!databaseExists())
        return false;
    clearOwnError();
    char* errmsg = nullptr;
    BatchContext context { &block };
    const std::string text = sql.UTF8String();
    const int rc = sqlite3_exec(_db, text.c_str(), block ? batchRowCallback : nullptr, block ? &context : nullptr, &errmsg);
    if (errmsg) {
        if (_logsErrors)
            SQLog("Error inserting batch: %s", errmsg);
        sqlite3_free(errmsg);
    }
    return rc == SQLITE_OK;
}

// MARK: - Transactions and savepoints

bool SQDatabase::executeTransactionStatement(const NSString& sql, bool inTransactionAfter)
{
    const bool b = executeUpdate(sql);
    if (b)
        _inTransaction = inTransactionAfter;
    return b;
}

bool SQDatabase::beginTransaction()
{
    return executeTransactionStatement("begin exclusive transaction", true);
}

bool SQDatabase::beginDeferredTransaction()
{
    return executeTransactionStatement("begin deferred transaction", true);
}

bool SQDatabase::commit()
{
    return executeTransactionStatement("commit transaction", false);
}

bool SQDatabase::rollback()
{
    return executeTransactionStatement("rollback transaction", false);
}

bool SQDatabase::startSavePointWithName(const NSString& name, NSErrorPointer outErr)
{
    return executeSavePointStatement(*this, NSString::stringWithFormat("savepoint '%@';", escapedSavePointName(name)), outErr);
}

bool SQDatabase::releaseSavePointWithName(const NSString& name, NSErrorPointer outErr)
{
    return executeSavePointStatement(*this, NSString::stringWithFormat("release savepoint '%@';", escapedSavePointName(name)), outErr);
}

bool SQDatabase::rollbackToSavePointWithName(const NSString& name, NSErrorPointer outErr)
{
    return executeSavePointStatement(*this, NSString::stringWithFormat("rollback transaction to savepoint '%@';", escapedSavePointName(name)), outErr);
}

std::shared_ptr<NSError> SQDatabase::inSavePoint(const SavePointBlock& block)
{
    return inSavePointNamed(NSString::stringWithFormat("dbSavePoint%ld", savePointCounter.fetch_add(1)), block);
}

std::shared_ptr<NSError> SQDatabase::inSavePointNamed(const NSString& name, const SavePointBlock& block)
{
    bool shouldRollback = false;
    std::shared_ptr<NSError> err;
    if (!startSavePointWithName(name, &err))
        return err;
    if (block)
        block(&shouldRollback);
    if (shouldRollback)
        rollbackToSavePointWithName(name, &err);
    releaseSavePointWithName(name, &err);
    return err;
}

// MARK: - Errors and status

void SQDatabase::setOwnError(int code, const char* message)
{
    _ownErrorCode = code;
    _ownErrorMessage = NSString(message);
}

NSString SQDatabase::lastErrorMessage() const
{
    if (_ownErrorCode != SQLITE_OK)
        return _ownErrorMessage;
    return NSString::stringWithUTF8String(sqlite3_errmsg(_db));
}

int SQDatabase::lastErrorCode() const
{
    if (_ownErrorCode != SQLITE_OK)
        return _ownErrorCode;
    return sqlite3_errcode(_db);
}

bool SQDatabase::hadError() const
{
    const int code = lastErrorCode();
    return code > SQLITE_OK && code < SQLITE_ROW;
}

std::shared_ptr<NSError> SQDatabase::lastError() const
{
    return errorWithMessage(lastErrorMessage());
}

std::shared_ptr<NSError> SQDatabase::errorWithMessage(const NSString& message) const
{
    return NSError::errorWithDomain("SQDatabase", lastErrorCode(), message);
}

std::int64_t SQDatabase::lastInsertRowId()
{
    if (_isExecutingStatement.load(std::memory_order_acquire)) {
        SQLog("The SQDatabase %@ is currently in use.", description());
        return 0;
    }
    return _db ? sqlite3_last_insert_rowid(_db) : 0;
}

int SQDatabase::changes()
{
    if (_isExecutingStatement.load(std::memory_order_acquire)) {
        SQLog("The SQDatabase %@ is currently in use.", description());
        return 0;
    }
    return _db ? sqlite3_changes(_db) : 0;
}

// MARK: - Dates

std::shared_ptr<NSDateFormatter> SQDatabase::storeableDateFormat(const NSString& format)
{
    const auto formatter = NSDateFormatter::create();
    formatter->setDateFormat(format);
    formatter->setTimeZone(NSTimeZone::timeZoneForSecondsFromGMT(0));
    formatter->setLocale(NSLocale::localeWithLocaleIdentifier("en_US"));
    return formatter;
}

std::shared_ptr<NSDate> SQDatabase::dateFromString(const NSString& text) const
{
    return _dateFormat ? _dateFormat->dateFromString(text) : nullptr;
}

NSString SQDatabase::stringFromDate(const std::shared_ptr<NSDate>& date) const
{
    return _dateFormat ? _dateFormat->stringFromDate(date) : NSString();
}

// MARK: - Custom functions and keys

namespace {

void forwardFunction(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    const auto* block = static_cast<const SQDatabase::FunctionBlock*>(sqlite3_user_data(context));
    (*block)(context, argc, argv);
}

} // namespace

void SQDatabase::makeFunctionNamed(const NSString& name, int maximumArguments, const FunctionBlock& block)
{
    if (!databaseExists() || !block)
        return;
    auto callback = std::make_shared<FunctionBlock>(block);
    _openFunctions.push_back(callback);
    sqlite3_create_function(_db, name.UTF8String().c_str(), maximumArguments, SQLITE_UTF8, callback.get(), forwardFunction, nullptr, nullptr);
}

bool SQDatabase::setKey(const NSString& key)
{
    const std::string bytes = key.UTF8String();
    return setKeyWithData(NSData::dataWithBytes(bytes.data(), bytes.size()));
}

bool SQDatabase::rekey(const NSString& key)
{
    const std::string bytes = key.UTF8String();
    return rekeyWithData(NSData::dataWithBytes(bytes.data(), bytes.size()));
}

bool SQDatabase::setKeyWithData(const std::shared_ptr<NSData>&)
{
    return false;
}

bool SQDatabase::rekeyWithData(const std::shared_ptr<NSData>&)
{
    return false;
}

// MARK: - Class information

NSString SQDatabase::SQDBUserVersion()
{
    return "2.3";
}

int SQDatabase::SQDBVersion()
{
    static const int version = [] {
        NSString text = SQDBUserVersion();
        if (text.components(".").size() < 3)
            text = text + ".0";
        text = text.stringByReplacingOccurrencesOfString(".", "");
        return static_cast<int>(std::strtol(text.UTF8String().c_str(), nullptr, 16));
    }();
    return version;
}

NSString SQDatabase::sqliteLibVersion()
{
    return NSString::stringWithUTF8String(sqlite3_libversion());
}

bool SQDatabase::isSQLiteThreadSafe()
{
    return sqlite3_threadsafe() != 0;
}

// MARK: - Format extraction

namespace {

// What a format conversion reads from its argument; nullopt when the argument cannot give it
// (or is missing), which leaves the parameter unbound so the bind-count check refuses the statement.
struct FormatValueReader {
    const ns::FormatArgument* argument;

    std::optional<id> object() const
    {
        if (!argument)
            return std::nullopt;
        const auto& value = argument->value;
        if (const auto* object = std::get_if<id>(&value))
            return *object;
        if (const auto* text = std::get_if<NSString>(&value))
            return text->isNil() ? id {} : static_cast<id>(*text);
        if (const auto* text = std::get_if<const char*>(&value))
            return *text ? static_cast<id>(NSString(*text)) : id {};
        if (const auto* text = std::get_if<const char16_t*>(&value))
            return *text ? static_cast<id>(NSString(*text)) : id {};
        if (const auto* number = std::get_if<std::int64_t>(&value))
            return static_cast<id>(NSNumber::numberWithLongLong(*number));
        if (const auto* number = std::get_if<std::uint64_t>(&value))
            return static_cast<id>(NSNumber::numberWithUnsignedLongLong(*number));
        if (const auto* number = std::get_if<double>(&value))
            return static_cast<id>(NSNumber::numberWithDouble(*number));
        return std::nullopt;
    }

    std::optional<std::int64_t> integer() const
    {
        if (!argument)
            return std::nullopt;
        const auto& value = argument->value;
        if (const auto* number = std::get_if<std::int64_t>(&value))
            return *number;
        if (const auto* number = std::get_if<std::uint64_t>(&value))
            return static_cast<std::int64_t>(*number);
        if (const auto* number = std::get_if<double>(&value))
            return static_cast<std::int64_t>(*number);
        if (const auto* object = std::get_if<id>(&value)) {
            if (const auto number = ns::cast<NSNumber>(*object))
                return number->longLongValue();
        }
        return std::nullopt;
    }

    std::optional<double> real() const
    {
        if (!argument)
            return std::nullopt;
        const auto& value = argument->value;
        if (const auto* number = std::get_if<double>(&value))
            return *number;
        if (const auto* number = std::get_if<std::int64_t>(&value))
            return static_cast<double>(*number);
        if (const auto* number = std::get_if<std::uint64_t>(&value))
            return static_cast<double>(*number);
        if (const auto* object = std::get_if<id>(&value)) {
            if (const auto number = ns::cast<NSNumber>(*object))
                return number->doubleValue();
        }
        return std::nullopt;
    }

    std::optional<NSString> text() const
    {
        if (!argument)
            return std::nullopt;
        const auto& value = argument->value;
        if (const auto* text = std::get_if<const char*>(&value))
            return *text ? NSString(*text) : NSString();
        if (const auto* text = std::get_if<NSString>(&value))
            return *text;
        if (const auto* object = std::get_if<id>(&value))
            return NSString::fromId(*object);
        return std::nullopt;
    }
};

} // namespace

void SQDatabase::extractSQL(const char* format, std::span<const ns::FormatArgument> arguments, std::u16string& sql, std::vector<id>& values)
{
    const std::u16string pattern = ns::utf16FromUTF8(format ? format : "");
    sql.clear();
    sql.reserve(pattern.size());
    std::size_t nextArgument = 0;
    auto takeArgument = [&]() {
        FormatValueReader reader { nextArgument < arguments.size() ? &arguments[nextArgument] : nullptr };
        ++nextArgument;
        return reader;
    };
    auto boxInteger = [](std::optional<std::int64_t> value, auto convert) -> std::optional<id> {
        if (!value)
            return std::nullopt;
        return convert(*value);
    };

    bool afterPercent = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char16_t current = pattern[i];
        if (!afterPercent) {
            if (current == u'%')
                afterPercent = true;
            else
                sql.push_back(current);
            continue;
        }
        afterPercent = false;
        const char16_t next = i + 1 < pattern.size() ? pattern[i + 1] : 0;
        const char16_t afterNext = i + 2 < pattern.size() ? pattern[i + 2] : 0;
        bool converted = true;
        std::optional<id> value;
        switch (current) {
        case u'@': {
            value = takeArgument().object();
            if (value && !*value) {
                sql += u"NULL";
                continue;
            }
            break;
        }
        case u'c':
            value = boxInteger(takeArgument().integer(), [](std::int64_t v) -> id {
                return NSString::stringWithFormat("%c", static_cast<int>(v));
            });
            break;
        case u's':
            if (const auto text = takeArgument().text())
                value = text->isNil() ? id {} : static_cast<id>(*text);
            break;
        case u'd':
        case u'D':
        case u'i':
            value = boxInteger(takeArgument().integer(), [](std::int64_t v) -> id { return NSNumber::numberWithInt(static_cast<int>(v)); });
            break;
        case u'u':
        case u'U':
            value = boxInteger(takeArgument().integer(), [](std::int64_t v) -> id { return NSNumber::numberWithUnsignedInt(static_cast<unsigned int>(v)); });
            break;
        case u'h':
            if (next == u'i') {
                ++i;
                value = boxInteger(takeArgument().integer(), [](std::int64_t v) -> id { return NSNumber::numberWithShort(static_cast<short>(v)); });
            } else if (next == u'u') {
                ++i;
                value = boxInteger(takeArgument().integer(), [](std::int64_t v) -> id { return NSNumber::numberWithUnsignedShort(static_cast<unsigned short>(v)); });
            } else {
                converted = false;
            }
            break;
        case u'q':
            if (next == u'i') {
                ++i;
                value = boxInteger(takeArgument().integer(), [](std::int64_t v) -> id { return NSNumber::numberWithLongLong(v); });
            } else if (next == u'u') {
                ++i;
                value = boxInteger(takeArgument().integer(), [](std::int64_t v) -> id { return NSNumber::numberWithUnsignedLongLong(static_cast<std::uint64_t>(v)); });
            } else {
                converted = false;
            }
            break;
        case u'f':
            if (const auto real = takeArgument().real())
                value = NSNumber::numberWithDouble(*real);
            break;
        case u'g':
            if (const auto real = takeArgument().real())
                value = NSNumber::numberWithFloat(static_cast<float>(*real));
            break;
        case u'l':
            if (next == u'd' || next == u'u') {
                ++i;
                const bool isUnsigned = next == u'u';
                value = boxInteger(takeArgument().integer(), [isUnsigned](std::int64_t v) -> id {
                    return isUnsigned ? NSNumber::numberWithUnsignedLong(static_cast<unsigned long>(v)) : NSNumber::numberWithLong(static_cast<long>(v));
                });
            } else if (next == u'l' && (afterNext == u'd' || afterNext == u'u')) {
                i += 2;
                const bool isUnsigned = afterNext == u'u';
                value = boxInteger(takeArgument().integer(), [isUnsigned](std::int64_t v) -> id {
                    return isUnsigned ? NSNumber::numberWithUnsignedLongLong(static_cast<unsigned long long>(v)) : NSNumber::numberWithLongLong(v);
                });
            } else {
                if (next == u'l')
                    ++i;
                converted = false;
            }
            break;
        default:
            // "%%" and every character that names no conversion stand for themselves.
            converted = false;
            break;
        }
        if (!converted) {
            sql.push_back(current);
            continue;
        }
        sql.push_back(u'?');
        if (value)
            values.push_back(*value);
    }
}
