#include "SQLiteTestSupport.h"

#include "library/sqlite/SQDatabaseAdditions.h"
#include "library/sqlite/SQDatabasePool.h"
#include "library/sqlite/SQDatabaseQueue.h"
#include "platform/foundation/NSException.h"

#include <cctype>
#include <thread>

using sqtest::databasePath;

namespace {

std::shared_ptr<SQDatabaseQueue> queueWithTable()
{
    auto queue = SQDatabaseQueue::databaseQueueWithPath(databasePath());
    EXPECT_NE(queue, nullptr);
    queue->inDatabase([](const std::shared_ptr<SQDatabase>& db) { EXPECT_TRUE(db->executeUpdate("create table t (a)")); });
    return queue;
}

int rowCount(const std::shared_ptr<SQDatabaseQueue>& queue)
{
    int count = -1;
    queue->inDatabase([&](const std::shared_ptr<SQDatabase>& db) { count = SQDatabaseAdditions::intForQuery(db, "select count(*) from t"); });
    return count;
}

} // namespace

TEST(SQDatabaseQueue, aQueueOnAnUnreachablePathIsNotMade)
{
    EXPECT_EQ(SQDatabaseQueue::databaseQueueWithPath("/nonexistent-dir/sub/login.sqlite"), nullptr);
}

TEST(SQDatabaseQueue, blocksRunInTurnFromManyThreads)
{
    auto queue = queueWithTable();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([queue, t] {
            for (int i = 0; i < 25; ++i)
                queue->inDatabase([&](const std::shared_ptr<SQDatabase>& db) { db->executeUpdate("insert into t values (?)", t * 100 + i); });
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(rowCount(queue), 100);
}

TEST(SQDatabaseQueue, aNestedCallOnTheSameQueueIsDetected)
{
    auto queue = queueWithTable();
    auto other = SQDatabaseQueue::databaseQueueWithPath(NSString());
    bool detected = false;
    bool transactionDetected = false;
    bool otherQueueRan = false;
    queue->inDatabase([&](const std::shared_ptr<SQDatabase>&) {
        try {
            queue->inDatabase([](const std::shared_ptr<SQDatabase>&) { });
        } catch (const NSException& exception) {
            detected = exception.reason().containsString("reentrantly");
        }
        try {
            queue->inTransaction([](const std::shared_ptr<SQDatabase>&, bool*) { });
        } catch (const NSException&) {
            transactionDetected = true;
        }
        other->inDatabase([&](const std::shared_ptr<SQDatabase>&) { otherQueueRan = true; });
    });
    EXPECT_TRUE(detected);
    EXPECT_TRUE(transactionDetected);
    EXPECT_TRUE(otherQueueRan) << "another queue is not the same queue";
    EXPECT_EQ(rowCount(queue), 0) << "the queue still works afterwards";
}

TEST(SQDatabaseQueue, closeDropsTheConnectionAndTheNextBlockReopensIt)
{
    auto queue = queueWithTable();
    std::shared_ptr<SQDatabase> first;
    queue->inDatabase([&](const std::shared_ptr<SQDatabase>& db) {
        first = db;
        db->executeUpdate("insert into t values (1)");
    });
    queue->close();
    EXPECT_EQ(first->sqliteHandle(), nullptr);
    queue->inDatabase([&](const std::shared_ptr<SQDatabase>& db) {
        ASSERT_NE(db, nullptr);
        EXPECT_NE(db, first);
        EXPECT_EQ(SQDatabaseAdditions::intForQuery(db, "select count(*) from t"), 1);
    });
}

TEST(SQDatabaseQueue, aResultSetLeftOpenIsReportedOncePerCall)
{
    auto queue = queueWithTable();
    testing::internal::CaptureStderr();
    queue->inDatabase([](const std::shared_ptr<SQDatabase>& db) {
        const auto rs = db->executeQuery("select * from t");
        while (rs->next()) { }
    });
    std::shared_ptr<SQResultSet> kept;
    queue->inDatabase([&](const std::shared_ptr<SQDatabase>& db) { kept = db->executeQuery("select * from t"); });
    const std::string log = testing::internal::GetCapturedStderr();
    const std::string warning = "at least one open result set";
    const auto first = log.find(warning);
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(log.find(warning, first + 1), std::string::npos);
    kept->close();
}

TEST(SQDatabaseQueue, transactionsCommitOrRollBackByTheFlag)
{
    auto queue = queueWithTable();
    queue->inTransaction([](const std::shared_ptr<SQDatabase>& db, bool* rollback) {
        EXPECT_TRUE(db->inTransaction());
        db->executeUpdate("insert into t values (1)");
        *rollback = true;
    });
    EXPECT_EQ(rowCount(queue), 0);
    queue->inDeferredTransaction([](const std::shared_ptr<SQDatabase>& db, bool*) { db->executeUpdate("insert into t values (1)"); });
    EXPECT_EQ(rowCount(queue), 1);
}

TEST(SQDatabaseQueue, aTransactionThatCannotBeginSkipsItsBlock)
{
    const NSString path = databasePath();
    auto queue = SQDatabaseQueue::databaseQueueWithPath(path);
    queue->inDatabase([](const std::shared_ptr<SQDatabase>& db) {
        db->executeUpdate("create table t (a)");
        db->setMaxBusyRetryTimeInterval(0.05);
    });
    auto holder = sqtest::openedDatabase(path);
    ASSERT_TRUE(holder->beginTransaction());
    bool ran = false;
    queue->inTransaction([&](const std::shared_ptr<SQDatabase>& db, bool*) {
        ran = true;
        db->executeUpdate("insert into t values (1)");
    });
    EXPECT_FALSE(ran);
    ASSERT_TRUE(holder->commit());
    EXPECT_EQ(rowCount(queue), 0);
}

TEST(SQDatabaseQueue, savePointsRollBackTheirOwnWork)
{
    auto queue = queueWithTable();
    const auto error = queue->inSavePoint([](const std::shared_ptr<SQDatabase>& db, bool* rollback) {
        db->executeUpdate("insert into t values (1)");
        *rollback = true;
    });
    EXPECT_EQ(error, nullptr);
    EXPECT_EQ(rowCount(queue), 0);
    EXPECT_EQ(queue->inSavePoint([](const std::shared_ptr<SQDatabase>& db, bool*) { db->executeUpdate("insert into t values (1)"); }), nullptr);
    EXPECT_EQ(rowCount(queue), 1);
}

namespace {

// The numbers of the savepoints that the traced statements started, for one name prefix.
std::vector<long> startedSavePoints(const std::string& log, const std::string& prefix)
{
    std::vector<long> numbers;
    const std::string marker = "savepoint '" + prefix;
    for (auto at = log.find(marker); at != std::string::npos; at = log.find(marker, at + 1)) {
        if (at >= 8 && log.compare(at - 8, 8, "release ") == 0)
            continue;
        if (at >= 3 && log.compare(at - 3, 3, "to ") == 0)
            continue;
        const std::size_t digits = at + marker.size();
        if (digits < log.size() && std::isdigit(static_cast<unsigned char>(log[digits])))
            numbers.push_back(std::stol(log.substr(digits)));
    }
    return numbers;
}

} // namespace

// The queue and the pool name their savepoints "savePoint<n>", each counting on its own; the
// connection's own savepoints keep "dbSavePoint<n>" and their own counter.
TEST(SQDatabaseQueue, queuesAndPoolsCountTheirOwnSavePointNames)
{
    auto queue = queueWithTable();
    auto pool = SQDatabasePool::databasePoolWithPath(databasePath());
    ASSERT_TRUE(pool);
    queue->inDatabase([](const std::shared_ptr<SQDatabase>& db) { db->setTraceExecution(true); });
    auto traced = [](const std::shared_ptr<SQDatabase>& db, bool*) { db->setTraceExecution(true); };

    testing::internal::CaptureStderr();
    queue->inSavePoint([](const std::shared_ptr<SQDatabase>&, bool*) { });
    queue->inSavePoint([](const std::shared_ptr<SQDatabase>&, bool* rollback) { *rollback = true; });
    queue->inDatabase([](const std::shared_ptr<SQDatabase>& db) { db->inSavePoint([](bool*) { }); });
    pool->inDatabase([](const std::shared_ptr<SQDatabase>& db) { db->setTraceExecution(true); });
    pool->inSavePoint(traced);
    pool->inSavePoint(traced);
    queue->inSavePoint([](const std::shared_ptr<SQDatabase>&, bool*) { });
    const std::string log = testing::internal::GetCapturedStderr();

    const auto queueAndPool = startedSavePoints(log, "savePoint");
    // Three from the queue, then the pool's first (its second is traced too, as is the queue's third).
    ASSERT_EQ(queueAndPool.size(), 5u) << log;
    const long q = queueAndPool[0];
    EXPECT_EQ(queueAndPool[1], q + 1);
    EXPECT_EQ(queueAndPool[4], q + 2) << "the pool's savepoints must not advance the queue's counter";
    EXPECT_EQ(queueAndPool[3], queueAndPool[2] + 1);
    const auto own = startedSavePoints(log, "dbSavePoint");
    ASSERT_EQ(own.size(), 1u) << log;
    // The rollback went to the savepoint that was started.
    EXPECT_NE(log.find("rollback transaction to savepoint 'savePoint" + std::to_string(q + 1) + "'"), std::string::npos) << log;
}

// The connection and the pool keep a copy of the path they were made with; the queue keeps the
// very string it was given, as the platform's owning property does.
TEST(SQDatabaseQueue, connectionsAndPoolsCopyTheirPathButTheQueueKeepsItsString)
{
    const NSString original = databasePath();
    auto path = NSMutableString::stringWithString(original);
    const NSString handle(path);
    auto db = SQDatabase::databaseWithPath(handle);
    auto pool = SQDatabasePool::databasePoolWithPath(handle);
    auto queue = SQDatabaseQueue::databaseQueueWithPath(handle);
    ASSERT_TRUE(db && pool && queue);
    path->appendString(".moved");
    EXPECT_EQ(db->databasePath(), original);
    EXPECT_EQ(pool->path(), original);
    EXPECT_EQ(queue->path(), original + ".moved");
}

namespace {

// A connection kind of a queue's own, as a queue of a subclass makes them.
class TracingDatabase : public SQDatabase {
    NS_OBJECT(TracingDatabase, SQDatabase)
protected:
    void init(const NSString& path)
    {
        super::init(path);
        setTraceExecution(true);
    }
};

class TracingQueue : public SQDatabaseQueue {
    NS_OBJECT(TracingQueue, SQDatabaseQueue)
public:
    DatabaseClass databaseClass() const override
    {
        return [](const NSString& path) -> std::shared_ptr<SQDatabase> { return TracingDatabase::create(path); };
    }
};

} // namespace

TEST(SQDatabaseQueue, aQueueMakesItsConnectionsOfItsDatabaseClassAlsoWhenItReopens)
{
    auto plain = SQDatabaseQueue::databaseQueueWithPath(databasePath())->databaseClass()(databasePath());
    ASSERT_TRUE(plain);
    const SQDatabase& made = *plain;
    EXPECT_EQ(typeid(made), typeid(SQDatabase));
    auto queue = TracingQueue::create(databasePath());
    ASSERT_TRUE(queue);
    for (int round = 0; round < 2; ++round) {
        queue->inDatabase([&](const std::shared_ptr<SQDatabase>& db) {
            EXPECT_TRUE(std::dynamic_pointer_cast<TracingDatabase>(db)) << round;
            EXPECT_TRUE(db && db->traceExecution()) << round;
        });
        queue->close();
    }
}
