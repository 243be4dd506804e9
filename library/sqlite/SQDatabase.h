#pragma once
// A connection to one SQLite database file. Every value from outside goes in as a bound
// parameter: the argument lists are typed and counted, and the format forms turn their
// conversions into parameters too. Failures are answered by nil or NO and a console line.

#include "library/sqlite/SQArguments.h"
#include "library/sqlite/SQResultSet.h"
#include "platform/foundation/NSError.h"

#include <atomic>
#include <functional>
#include <span>
#include <unordered_map>
#include <vector>

class NSData;
class NSDate;
class NSDateFormatter;

class SQDatabase : public NSObject {
    NS_OBJECT(SQDatabase, NSObject)
public:
    // Receives each row of a batch as column name to text (NSNull for NULL); non-zero stops the batch.
    using ExecuteStatementsCallbackBlock = std::function<int(const std::shared_ptr<NSDictionary>& resultsDictionary)>;
    using SavePointBlock = std::function<void(bool* rollback)>;
    using FunctionBlock = std::function<void(sqlite3_context* context, int argc, sqlite3_value** argv)>;

    // A nil path is an in-memory database, an empty one a private temporary database.
    static std::shared_ptr<SQDatabase> databaseWithPath(const NSString& path) { return create(path); }
    ~SQDatabase() override;

    bool open();
    bool openWithFlags(int flags);
    // Finishes open result sets and statements; always YES.
    bool close();
    bool goodConnection();
    bool databaseExists() const;
    std::string sqlitePath() const;

    bool logsErrors() const { return _logsErrors; }
    void setLogsErrors(bool logsErrors) { _logsErrors = logsErrors; }
    bool crashOnErrors() const { return _crashOnErrors; }
    void setCrashOnErrors(bool crashOnErrors) { _crashOnErrors = crashOnErrors; }
    bool traceExecution() const { return _traceExecution; }
    void setTraceExecution(bool traceExecution) { _traceExecution = traceExecution; }
    bool checkedOut() const { return _checkedOut; }
    void setCheckedOut(bool checkedOut) { _checkedOut = checkedOut; }
    bool shouldCacheStatements() const { return _shouldCacheStatements; }
    void setShouldCacheStatements(bool shouldCacheStatements);
    // SQL text to the set of its cached statements; nil while caching is off.
    std::shared_ptr<NSDictionary> cachedStatements() const;
    NSTimeInterval maxBusyRetryTimeInterval() const { return _maxBusyRetryTimeInterval; }
    void setMaxBusyRetryTimeInterval(NSTimeInterval timeout);
    bool inTransaction() const { return _inTransaction; }
    const NSString& databasePath() const { return _databasePath; }
    sqlite3* sqliteHandle() const { return _db; }

    // Queries: a result set before its first row, or nil. Values bind to "?" in order; a
    // dictionary binds each key to the parameter ":key".
    template <sq::BindableArgument... Args>
    std::shared_ptr<SQResultSet> executeQuery(const NSString& sql, const Args&... args)
    {
        const std::vector<id> values = sq::arguments(args...);
        return executeQuery(sql, nullptr, nullptr, std::span<const id>(values));
    }
    std::shared_ptr<SQResultSet> executeQuery(const NSString& sql, const std::shared_ptr<NSArray>& arguments)
    {
        return executeQuery(sql, arguments, nullptr, {});
    }
    std::shared_ptr<SQResultSet> executeQuery(const NSString& sql, const std::shared_ptr<NSDictionary>& arguments)
    {
        return executeQuery(sql, nullptr, arguments, {});
    }
    std::shared_ptr<SQResultSet> executeQuery(const NSString& sql, std::span<const id> arguments)
    {
        return executeQuery(sql, nullptr, nullptr, arguments);
    }
    template <class... Args>
    std::shared_ptr<SQResultSet> executeQueryWithFormat(const char* format, const Args&... args);
    std::shared_ptr<SQResultSet> executeQuery(const NSString& sql, const std::shared_ptr<NSArray>& arrayArgs,
        const std::shared_ptr<NSDictionary>& dictionaryArgs, std::span<const id> listArgs);

    // Updates: YES when the statement ran to completion.
    template <sq::BindableArgument... Args>
    bool executeUpdate(const NSString& sql, const Args&... args)
    {
        const std::vector<id> values = sq::arguments(args...);
        return executeUpdate(sql, nullptr, nullptr, nullptr, std::span<const id>(values));
    }
    bool executeUpdate(const NSString& sql, const std::shared_ptr<NSArray>& arguments)
    {
        return executeUpdate(sql, nullptr, arguments, nullptr, {});
    }
    bool executeUpdate(const NSString& sql, const std::shared_ptr<NSDictionary>& arguments)
    {
        return executeUpdate(sql, nullptr, nullptr, arguments, {});
    }
    bool executeUpdate(const NSString& sql, std::span<const id> arguments)
    {
        return executeUpdate(sql, nullptr, nullptr, nullptr, arguments);
    }
    template <class... Args>
    bool executeUpdateWithFormat(const char* format, const Args&... args);
    template <sq::BindableArgument... Args>
    bool executeUpdate(const NSString& sql, NSErrorPointer outErr, const Args&... args)
    {
        const std::vector<id> values = sq::arguments(args...);
        return executeUpdate(sql, outErr, nullptr, nullptr, std::span<const id>(values));
    }
    template <sq::BindableArgument... Args>
    bool update(const NSString& sql, NSErrorPointer outErr, const Args&... args) { return executeUpdate(sql, outErr, args...); }
    bool executeUpdate(const NSString& sql, NSErrorPointer outErr, const std::shared_ptr<NSArray>& arrayArgs,
        const std::shared_ptr<NSDictionary>& dictionaryArgs, std::span<const id> listArgs);

    // Runs every statement of the text in one batch; YES when SQLite reports no error.
    bool executeStatements(const NSString& sql) { return executeStatements(sql, nullptr); }
    bool executeStatements(const NSString& sql, const ExecuteStatementsCallbackBlock& block);

    bool beginTransaction();
    bool beginDeferredTransaction();
    bool commit();
    bool rollback();

    bool startSavePointWithName(const NSString& name, NSErrorPointer outErr = nullptr);
    bool releaseSavePointWithName(const NSString& name, NSErrorPointer outErr = nullptr);
    bool rollbackToSavePointWithName(const NSString& name, NSErrorPointer outErr = nullptr);
    // Runs the block inside a fresh savepoint, rolled back when the block sets its flag.
    std::shared_ptr<NSError> inSavePoint(const SavePointBlock& block);
    // The same around a savepoint of the given name: the queue and the pool count their own.
    std::shared_ptr<NSError> inSavePointNamed(const NSString& name, const SavePointBlock& block);

    NSString lastErrorMessage() const;
    int lastErrorCode() const;
    bool hadError() const;
    std::shared_ptr<NSError> lastError() const;
    std::shared_ptr<NSError> errorWithMessage(const NSString& message) const;
    std::int64_t lastInsertRowId();
    int changes();

    bool hasOpenResultSets() const { return !_openResultSets.empty(); }
    void closeOpenResultSets();
    void resultSetDidClose(const SQResultSet* resultSet);

    std::shared_ptr<SQStatement> cachedStatementForQuery(const NSString& query) const;
    void setCachedStatement(const std::shared_ptr<SQStatement>& statement, const NSString& query);
    void clearCachedStatements();

    // A formatter that writes dates as text in the format, in GMT and the "en_US" locale.
    static std::shared_ptr<NSDateFormatter> storeableDateFormat(const NSString& format);
    void setDateFormat(const std::shared_ptr<NSDateFormatter>& format) { _dateFormat = format; }
    bool hasDateFormatter() const { return _dateFormat != nullptr; }
    std::shared_ptr<NSDate> dateFromString(const NSString& text) const;
    NSString stringFromDate(const std::shared_ptr<NSDate>& date) const;

    // Obsolete: use maxBusyRetryTimeInterval.
    int busyRetryTimeout() const;
    void setBusyRetryTimeout(int timeout);

    void makeFunctionNamed(const NSString& name, int maximumArguments, const FunctionBlock& block);

    // Encryption is not built in: these answer NO.
    bool setKey(const NSString& key);
    bool rekey(const NSString& key);
    bool setKeyWithData(const std::shared_ptr<NSData>& keyData);
    bool rekeyWithData(const std::shared_ptr<NSData>& keyData);

    static NSString SQDBUserVersion();
    static int SQDBVersion();
    static NSString sqliteLibVersion();
    static bool isSQLiteThreadSafe();

    // Binds one value at a 1-based parameter index by the value's type.
    void bindObject(const id& object, int idx, sqlite3_stmt* statement) const;
    // Turns a format's conversions into "?" parameters and their values ("%@" of nil writes NULL).
    static void extractSQL(const char* format, std::span<const ns::FormatArgument> arguments,
        std::u16string& sql, std::vector<id>& values);

protected:
    void init(const NSString& path);
    void init() { init(NSString()); }

private:
    bool busyHandlerRetry(int count);
    void installBusyHandler();
    // Claims the connection for one statement; NO (logged) when another statement holds it.
    bool beginExecuting();
    void endExecuting() { _isExecutingStatement.store(false, std::memory_order_release); }
    std::shared_ptr<SQResultSet> executeQueryWithFormatArguments(const char* format, std::span<const ns::FormatArgument> arguments);
    // Runs a transaction's begin or end; only when it succeeds does inTransaction() change.
    bool executeTransactionStatement(const NSString& sql, bool inTransactionAfter);
    bool executeUpdateWithFormatArguments(const char* format, std::span<const ns::FormatArgument> arguments);
    // Binds the values; the number bound, or -1 (logged by the caller) when the text has
    // parameters left without a value.
    int bindArguments(sqlite3_stmt* statement, const std::shared_ptr<NSArray>& arrayArgs,
        const std::shared_ptr<NSDictionary>& dictionaryArgs, std::span<const id> listArgs) const;
    // The cached statement for the text, reset and unbound, or a freshly prepared one;
    // cachedStatement is set only in the first case. False (logged) when the text does not
    // compile; text that compiles to no statement (blank, a comment) gives a null statement.
    bool prepareStatement(const NSString& sql, std::shared_ptr<SQStatement>& cachedStatement, sqlite3_stmt*& pStmt);
    // Gives up a statement that cannot run: a cached one leaves the cache, a fresh one is finalized.
    void discardStatement(sqlite3_stmt* pStmt, const std::shared_ptr<SQStatement>& cachedStatement);
    void trackStatement(const std::shared_ptr<SQStatement>& statement);
    void removeCachedStatement(const std::shared_ptr<SQStatement>& statement);
    // An error this class finds itself, which SQLite never saw; it stands until the connection
    // runs SQL again.
    void setOwnError(int code, const char* message);
    void clearOwnError() { _ownErrorCode = 0; }
    friend class SQResultSet;

    sqlite3* _db { nullptr };
    NSString _databasePath;
    bool _logsErrors { true };
    bool _crashOnErrors { false };
    bool _traceExecution { false };
    bool _checkedOut { false };
    bool _shouldCacheStatements { false };
    std::atomic<bool> _isExecutingStatement { false };
    bool _inTransaction { false };
    NSTimeInterval _maxBusyRetryTimeInterval { 2.0 };
    double _startBusyRetryTime { 0 };
    std::unordered_map<NSString, std::vector<std::shared_ptr<SQStatement>>> _cachedStatements;
    std::vector<std::pair<const SQResultSet*, std::weak_ptr<SQResultSet>>> _openResultSets;
    std::vector<std::shared_ptr<FunctionBlock>> _openFunctions;
    std::shared_ptr<NSDateFormatter> _dateFormat;
    int _ownErrorCode { 0 };
    NSString _ownErrorMessage;
    // Every statement handed to a result set or the cache, so that close() can finalize the
    // ones still held elsewhere before SQLite closes the handle they belong to.
    std::vector<std::weak_ptr<SQStatement>> _liveStatements;
};

template <class... Args>
std::shared_ptr<SQResultSet> SQDatabase::executeQueryWithFormat(const char* format, const Args&... args)
{
    const ns::FormatArgument arguments[] = { ns::FormatArgument(args)..., ns::FormatArgument(nullptr) };
    return executeQueryWithFormatArguments(format, std::span<const ns::FormatArgument>(arguments, sizeof...(Args)));
}

template <class... Args>
bool SQDatabase::executeUpdateWithFormat(const char* format, const Args&... args)
{
    const ns::FormatArgument arguments[] = { ns::FormatArgument(args)..., ns::FormatArgument(nullptr) };
    return executeUpdateWithFormatArguments(format, std::span<const ns::FormatArgument>(arguments, sizeof...(Args)));
}
