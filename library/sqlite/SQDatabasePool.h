#pragma once
// Lends open connections to one database file, so that several threads can work on it at once,
// each with a connection of its own. The lists are changed only on the pool's lock queue.

#include "library/sqlite/SQDatabase.h"
#include "library/sqlite/SQDatabasePoolDelegate.h"
#include "platform/dispatch/dispatch.h"

class SQDatabasePool : public NSObject {
    NS_OBJECT(SQDatabasePool, NSObject)
public:
    using DatabaseBlock = std::function<void(const std::shared_ptr<SQDatabase>& db)>;
    using TransactionBlock = std::function<void(const std::shared_ptr<SQDatabase>& db, bool* rollback)>;

    static std::shared_ptr<SQDatabasePool> databasePoolWithPath(const NSString& path) { return create(path); }
    static std::shared_ptr<SQDatabasePool> databasePoolWithPath(const NSString& path, int openFlags) { return create(path, openFlags); }
    ~SQDatabasePool() override;

    const NSString& path() const { return _path; }
    void setPath(const NSString& path) { _path = path; }
    std::shared_ptr<SQDatabasePoolDelegate> delegate() const { return _delegate.lock(); }
    void setDelegate(const std::shared_ptr<SQDatabasePoolDelegate>& delegate) { _delegate = delegate; }
    // The most connections lent and waiting together; 0 is no limit.
    NSUInteger maximumNumberOfDatabasesToCreate() const { return _maximumNumberOfDatabasesToCreate; }
    void setMaximumNumberOfDatabasesToCreate(NSUInteger maximum) { _maximumNumberOfDatabasesToCreate = maximum; }
    int openFlags() const { return _openFlags; }

    // Borrows a connection: a waiting one, else a new one; nil (logged) at the limit, when the
    // file cannot be opened or when the delegate refuses it.
    std::shared_ptr<SQDatabase> db();
    // Gives a connection back; giving one back twice throws.
    void pushDatabaseBackInPool(const std::shared_ptr<SQDatabase>& db);

    void inDatabase(const DatabaseBlock& block);
    // The block does not run when the transaction cannot begin.
    void inTransaction(const TransactionBlock& block) { beginTransaction(false, block); }
    void inDeferredTransaction(const TransactionBlock& block) { beginTransaction(true, block); }
    void beginTransaction(bool useDeferred, const TransactionBlock& block);
    std::shared_ptr<NSError> inSavePoint(const TransactionBlock& block);

    NSUInteger countOfCheckedInDatabases();
    NSUInteger countOfCheckedOutDatabases();
    NSUInteger countOfOpenDatabases();
    // Forgets every connection; each closes as it goes.
    void releaseAllDatabases();
    void executeLocked(const std::function<void()>& block);

protected:
    void init(const NSString& path, int openFlags);
    void init(const NSString& path) { init(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE); }
    void init() { init(NSString()); }

private:
    NSString _path;
    dispatch_queue_t _lockQueue {};
    std::vector<std::shared_ptr<SQDatabase>> _databaseInPool;
    std::vector<std::shared_ptr<SQDatabase>> _databaseOutPool;
    std::weak_ptr<SQDatabasePoolDelegate> _delegate;
    NSUInteger _maximumNumberOfDatabasesToCreate { 0 };
    int _openFlags { 0 };
};
