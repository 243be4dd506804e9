#include "library/sqlite/SQDatabaseQueue.h"

#include "library/sqlite/SQLog.h"
#include "platform/foundation/NSException.h"

#include <atomic>

namespace {

std::atomic<long> queueSavePointCounter { 0 };

// Its address is the key under which each queue tags its dispatch queue with itself.
const char queueSpecificKey = 0;

} // namespace

SQDatabaseQueue::DatabaseClass SQDatabaseQueue::databaseClass() const
{
    return [](const NSString& path) { return SQDatabase::databaseWithPath(path); };
}

bool SQDatabaseQueue::init(const NSString& path, int openFlags)
{
    auto db = databaseClass()(path);
    if (!db->openWithFlags(openFlags)) {
        SQLog("Could not create database queue for path %@", path);
        return false;
    }
    _db = std::move(db);
    _path = path;
    _queue = dispatch_queue_create(NSString::stringWithFormat("sqlite.%@", description()).UTF8String().c_str(), DISPATCH_QUEUE_SERIAL);
    dispatch_queue_set_specific(_queue, &queueSpecificKey, this, nullptr);
    _openFlags = openFlags;
    return true;
}

SQDatabaseQueue::~SQDatabaseQueue()
{
    // The connection closes as it goes; nothing may run on the queue after this.
    _db.reset();
}

void SQDatabaseQueue::assertNotOnQueue() const
{
    if (dispatch_get_specific(&queueSpecificKey) == this)
        NSException::raise(NSInternalInconsistencyException, "inDatabase: was called reentrantly on the same queue, which would lead to a deadlock");
}

std::shared_ptr<SQDatabase> SQDatabaseQueue::database()
{
    if (!_db) {
        auto db = databaseClass()(_path);
        if (!db->openWithFlags(_openFlags)) {
            SQLog("SQDatabaseQueue could not reopen database for path %@", _path);
            return nullptr;
        }
        _db = std::move(db);
    }
    return _db;
}

void SQDatabaseQueue::close()
{
    dispatch_sync(_queue, [this] {
        if (_db)
            _db->close();
        _db.reset();
    });
}

void SQDatabaseQueue::inDatabase(const DatabaseBlock& block)
{
    assertNotOnQueue();
    dispatch_sync(_queue, [this, &block] {
        const auto db = database();
        block(db);
        if (db && db->hasOpenResultSets())
            SQLog("Warning: there is at least one open result set around after performing [SQDatabaseQueue inDatabase:]");
    });
}

void SQDatabaseQueue::beginTransaction(bool useDeferred, const TransactionBlock& block)
{
    assertNotOnQueue();
    dispatch_sync(_queue, [this, useDeferred, &block] {
        const auto db = database();
        if (!db)
            return;
        const bool began = useDeferred ? db->beginDeferredTransaction() : db->beginTransaction();
        // Work meant for a transaction must not run, and be committed, outside one.
        if (!began)
            return;
        bool shouldRollback = false;
        block(db, &shouldRollback);
        if (shouldRollback)
            db->rollback();
        else
            db->commit();
    });
}

std::shared_ptr<NSError> SQDatabaseQueue::inSavePoint(const TransactionBlock& block)
{
    assertNotOnQueue();
    std::shared_ptr<NSError> err;
    dispatch_sync(_queue, [this, &block, &err] {
        const auto db = database();
        if (!db)
            return;
        const NSString name = NSString::stringWithFormat("savePoint%ld", queueSavePointCounter.fetch_add(1));
        err = db->inSavePointNamed(name, [&db, &block](bool* rollback) { block(db, rollback); });
    });
    return err;
}
