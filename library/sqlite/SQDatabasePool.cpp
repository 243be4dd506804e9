#include "library/sqlite/SQDatabasePool.h"

#include "library/sqlite/SQLog.h"
#include "platform/foundation/NSException.h"

#include <algorithm>
#include <atomic>

namespace {

std::atomic<long> poolSavePointCounter { 0 };

bool contains(const std::vector<std::shared_ptr<SQDatabase>>& list, const std::shared_ptr<SQDatabase>& db)
{
    return std::find(list.begin(), list.end(), db) != list.end();
}

void remove(std::vector<std::shared_ptr<SQDatabase>>& list, const std::shared_ptr<SQDatabase>& db)
{
    std::erase(list, db);
}

} // namespace

void SQDatabasePool::init(const NSString& path, int openFlags)
{
    _path = path.copy();
    _lockQueue = dispatch_queue_create(NSString::stringWithFormat("sqlite.%@", description()).UTF8String().c_str(), DISPATCH_QUEUE_SERIAL);
    _openFlags = openFlags;
}

SQDatabasePool::~SQDatabasePool()
{
    _delegate.reset();
    _databaseInPool.clear();
    _databaseOutPool.clear();
}

void SQDatabasePool::executeLocked(const std::function<void()>& block)
{
    dispatch_sync(_lockQueue, block);
}

std::shared_ptr<SQDatabase> SQDatabasePool::db()
{
    std::shared_ptr<SQDatabase> db;
    executeLocked([&] {
        bool isNew = false;
        if (!_databaseInPool.empty()) {
            db = _databaseInPool.back();
            _databaseOutPool.push_back(db);
            _databaseInPool.pop_back();
        } else {
            const NSUInteger currentCount = _databaseInPool.size() + _databaseOutPool.size();
            if (_maximumNumberOfDatabasesToCreate > 0 && currentCount >= _maximumNumberOfDatabasesToCreate) {
                SQLog("Maximum number of databases (%ld) has already been reached!", static_cast<long>(_maximumNumberOfDatabasesToCreate));
                return;
            }
            db = SQDatabase::databaseWithPath(_path);
            isNew = true;
        }

        if (!db->openWithFlags(_openFlags)) {
            SQLog("Could not open up the database at path %@", _path);
            remove(_databaseOutPool, db);
            db = nullptr;
            return;
        }
        const auto delegate = _delegate.lock();
        if (delegate && !delegate->shouldAddDatabaseToPool(*this, db).value_or(true)) {
            db->close();
            // A refused connection leaves the pool entirely, so it never counts against the limit.
            remove(_databaseOutPool, db);
            remove(_databaseInPool, db);
            db = nullptr;
            return;
        }
        if (!contains(_databaseOutPool, db)) {
            _databaseOutPool.push_back(db);
            if (isNew && delegate)
                delegate->didAddDatabase(*this, db);
        }
    });
    return db;
}

void SQDatabasePool::pushDatabaseBackInPool(const std::shared_ptr<SQDatabase>& db)
{
    if (!db)
        return;
    bool alreadyInPool = false;
    executeLocked([&] {
        if (contains(_databaseInPool, db)) {
            alreadyInPool = true;
            return;
        }
        _databaseInPool.push_back(db);
        remove(_databaseOutPool, db);
    });
    // Raised here rather than on the lock queue, so it reaches the caller.
    if (alreadyInPool)
        throw NSException("Database already in pool", "The SQDatabase being put back into the pool is already present in the pool");
}

void SQDatabasePool::inDatabase(const DatabaseBlock& block)
{
    const auto db = this->db();
    block(db);
    pushDatabaseBackInPool(db);
}

void SQDatabasePool::beginTransaction(bool useDeferred, const TransactionBlock& block)
{
    const auto db = this->db();
    if (!db)
        return;
    const bool began = useDeferred ? db->beginDeferredTransaction() : db->beginTransaction();
    if (began) {
        bool shouldRollback = false;
        block(db, &shouldRollback);
        if (shouldRollback)
            db->rollback();
        else
            db->commit();
    }
    pushDatabaseBackInPool(db);
}

std::shared_ptr<NSError> SQDatabasePool::inSavePoint(const TransactionBlock& block)
{
    const auto db = this->db();
    if (!db)
        return nullptr;
    const NSString name = NSString::stringWithFormat("savePoint%ld", poolSavePointCounter.fetch_add(1));
    const auto err = db->inSavePointNamed(name, [&db, &block](bool* rollback) { block(db, rollback); });
    pushDatabaseBackInPool(db);
    return err;
}

NSUInteger SQDatabasePool::countOfCheckedInDatabases()
{
    NSUInteger count = 0;
    executeLocked([&] { count = _databaseInPool.size(); });
    return count;
}

NSUInteger SQDatabasePool::countOfCheckedOutDatabases()
{
    NSUInteger count = 0;
    executeLocked([&] { count = _databaseOutPool.size(); });
    return count;
}

NSUInteger SQDatabasePool::countOfOpenDatabases()
{
    NSUInteger count = 0;
    executeLocked([&] { count = _databaseInPool.size() + _databaseOutPool.size(); });
    return count;
}

void SQDatabasePool::releaseAllDatabases()
{
    executeLocked([&] {
        _databaseOutPool.clear();
        _databaseInPool.clear();
    });
}
