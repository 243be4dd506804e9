#include "SQLiteTestSupport.h"

#include "library/sqlite/SQDatabaseAdditions.h"
#include "library/sqlite/SQDatabasePool.h"
#include "platform/foundation/NSException.h"

#include <thread>

using sqtest::databasePath;

namespace {

class RecordingDelegate : public SQDatabasePoolDelegate {
public:
    std::optional<bool> shouldAddDatabaseToPool(SQDatabasePool&, const std::shared_ptr<SQDatabase>&) override { return accepts; }
    void didAddDatabase(SQDatabasePool&, const std::shared_ptr<SQDatabase>&) override { ++added; }

    bool accepts { true };
    int added { 0 };
};

std::shared_ptr<SQDatabasePool> poolWithTable()
{
    auto pool = SQDatabasePool::databasePoolWithPath(databasePath());
    pool->inDatabase([](const std::shared_ptr<SQDatabase>& db) { EXPECT_TRUE(db->executeUpdate("create table t (a)")); });
    return pool;
}

} // namespace

TEST(SQDatabasePool, theLimitBoundsConnectionsLentAtOnce)
{
    auto pool = poolWithTable();
    pool->setMaximumNumberOfDatabasesToCreate(2);
    pool->inDatabase([&](const std::shared_ptr<SQDatabase>& first) {
        pool->inDatabase([&](const std::shared_ptr<SQDatabase>& second) {
            ASSERT_NE(first, nullptr);
            ASSERT_NE(second, nullptr);
            EXPECT_NE(first, second);
            EXPECT_EQ(pool->countOfCheckedOutDatabases(), 2u);
            pool->inDatabase([&](const std::shared_ptr<SQDatabase>& third) { EXPECT_EQ(third, nullptr); });
        });
    });
    EXPECT_EQ(pool->countOfCheckedInDatabases(), 2u);
    EXPECT_EQ(pool->countOfCheckedOutDatabases(), 0u);
}

TEST(SQDatabasePool, aReturnedConnectionIsLentAgainWithoutAnnouncingIt)
{
    auto pool = SQDatabasePool::databasePoolWithPath(databasePath());
    const auto delegate = std::make_shared<RecordingDelegate>();
    pool->setDelegate(delegate);
    std::shared_ptr<SQDatabase> first;
    pool->inDatabase([&](const std::shared_ptr<SQDatabase>& db) { first = db; });
    EXPECT_EQ(pool->countOfCheckedInDatabases(), 1u);
    EXPECT_EQ(pool->countOfCheckedOutDatabases(), 0u);
    pool->inDatabase([&](const std::shared_ptr<SQDatabase>& db) { EXPECT_EQ(db, first); });
    EXPECT_EQ(delegate->added, 1);
    EXPECT_EQ(pool->countOfOpenDatabases(), 1u);
}

TEST(SQDatabasePool, aRefusedConnectionLeavesThePoolEntirely)
{
    auto pool = SQDatabasePool::databasePoolWithPath(databasePath());
    pool->setMaximumNumberOfDatabasesToCreate(1);
    const auto delegate = std::make_shared<RecordingDelegate>();
    pool->setDelegate(delegate);
    pool->inDatabase([](const std::shared_ptr<SQDatabase>& db) { EXPECT_NE(db, nullptr); });

    delegate->accepts = false;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(pool->db(), nullptr);
    EXPECT_EQ(pool->countOfOpenDatabases(), 0u) << "refused connections must not count against the limit";

    delegate->accepts = true;
    const auto db = pool->db();
    EXPECT_NE(db, nullptr);
    pool->pushDatabaseBackInPool(db);
}

TEST(SQDatabasePool, givingAConnectionBackTwiceThrows)
{
    auto pool = SQDatabasePool::databasePoolWithPath(databasePath());
    const auto db = pool->db();
    pool->pushDatabaseBackInPool(db);
    try {
        pool->pushDatabaseBackInPool(db);
        FAIL() << "expected an exception";
    } catch (const NSException& exception) {
        EXPECT_EQ(exception.name(), "Database already in pool");
    }
    pool->pushDatabaseBackInPool(nullptr);
    EXPECT_EQ(pool->countOfCheckedInDatabases(), 1u);
}

TEST(SQDatabasePool, releasingForgetsEveryConnection)
{
    auto pool = poolWithTable();
    const auto lent = pool->db();
    pool->inDatabase([](const std::shared_ptr<SQDatabase>&) { });
    EXPECT_EQ(pool->countOfOpenDatabases(), 2u);
    pool->releaseAllDatabases();
    EXPECT_EQ(pool->countOfCheckedInDatabases(), 0u);
    EXPECT_EQ(pool->countOfCheckedOutDatabases(), 0u);
    EXPECT_EQ(pool->countOfOpenDatabases(), 0u);
}

TEST(SQDatabasePool, transactionsAndSavePointsRunOnABorrowedConnection)
{
    auto pool = poolWithTable();
    pool->inTransaction([](const std::shared_ptr<SQDatabase>& db, bool* rollback) {
        db->executeUpdate("insert into t values (1)");
        *rollback = true;
    });
    pool->inDeferredTransaction([](const std::shared_ptr<SQDatabase>& db, bool*) { db->executeUpdate("insert into t values (2)"); });
    EXPECT_EQ(pool->inSavePoint([](const std::shared_ptr<SQDatabase>& db, bool* rollback) {
        db->executeUpdate("insert into t values (3)");
        *rollback = true;
    }), nullptr);
    int count = -1;
    pool->inDatabase([&](const std::shared_ptr<SQDatabase>& db) { count = SQDatabaseAdditions::intForQuery(db, "select sum(a) from t"); });
    EXPECT_EQ(count, 2);
    EXPECT_EQ(pool->countOfCheckedOutDatabases(), 0u);
}

TEST(SQDatabasePool, readersOnSeveralThreadsEachGetTheirOwnConnection)
{
    auto pool = poolWithTable();
    pool->inDatabase([](const std::shared_ptr<SQDatabase>& db) { db->executeUpdate("insert into t values (1), (2), (3)"); });
    std::vector<std::thread> threads;
    std::atomic<int> total { 0 };
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20; ++i)
                pool->inDatabase([&](const std::shared_ptr<SQDatabase>& db) { total += SQDatabaseAdditions::intForQuery(db, "select sum(a) from t"); });
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(total.load(), 4 * 20 * 6);
    EXPECT_EQ(pool->countOfCheckedOutDatabases(), 0u);
    EXPECT_LE(pool->countOfCheckedInDatabases(), 4u);
}
