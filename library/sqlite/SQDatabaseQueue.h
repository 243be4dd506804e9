#pragma once
// Serialises all work on one database file through one connection and one serial dispatch
// queue: callers on any thread run blocks one after another and wait for each.

#include "library/sqlite/SQDatabase.h"
#include "platform/dispatch/dispatch.h"

class SQDatabaseQueue : public NSObject {
    NS_OBJECT(SQDatabaseQueue, NSObject)
public:
    using DatabaseBlock = std::function<void(const std::shared_ptr<SQDatabase>& db)>;
    using TransactionBlock = std::function<void(const std::shared_ptr<SQDatabase>& db, bool* rollback)>;

    // Nil (logged) when the file cannot be opened read-write, created when absent.
    static std::shared_ptr<SQDatabaseQueue> databaseQueueWithPath(const NSString& path) { return create(path); }
    static std::shared_ptr<SQDatabaseQueue> databaseQueueWithPath(const NSString& path, int openFlags) { return create(path, openFlags); }
    ~SQDatabaseQueue() override;

    // Makes the queue's connections: SQDatabase's, unless a queue of a subclass makes connections
    // of a subclass of its own.
    using DatabaseClass = std::function<std::shared_ptr<SQDatabase>(const NSString& path)>;
    virtual DatabaseClass databaseClass() const;

    const NSString& path() const { return _path; }
    void setPath(const NSString& path) { _path = path; }
    int openFlags() const { return _openFlags; }

    // Runs the block on the queue with its connection (nil when it could not be reopened). Calling
    // it from a block already running on this queue would deadlock, and throws instead.
    void inDatabase(const DatabaseBlock& block);
    // The block runs inside a transaction, rolled back when it sets its flag; it does not run when
    // the transaction cannot begin.
    void inTransaction(const TransactionBlock& block) { beginTransaction(false, block); }
    void inDeferredTransaction(const TransactionBlock& block) { beginTransaction(true, block); }
    void beginTransaction(bool useDeferred, const TransactionBlock& block);
    std::shared_ptr<NSError> inSavePoint(const TransactionBlock& block);
    // Closes the connection; the next block reopens it.
    void close();

protected:
    bool init(const NSString& path, int openFlags);
    bool init(const NSString& path) { return init(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE); }
    bool init() { return init(NSString()); }

private:
    // Only on the queue.
    std::shared_ptr<SQDatabase> database();
    void assertNotOnQueue() const;

    NSString _path;
    dispatch_queue_t _queue {};
    std::shared_ptr<SQDatabase> _db;
    int _openFlags { 0 };
};
