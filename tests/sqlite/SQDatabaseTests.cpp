#include "SQLiteTestSupport.h"

#include "platform/foundation/NSData.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/TypedValues.h"
#include "platform/foundation/NSNull.h"

#include <fstream>
#include <thread>

using sqtest::databasePath;
using sqtest::openedDatabase;

namespace {

std::shared_ptr<SQDatabase> databaseWithTable()
{
    auto db = openedDatabase();
    EXPECT_TRUE(db->executeUpdate("create table t (a, b)"));
    return db;
}

int rowCount(const std::shared_ptr<SQDatabase>& db)
{
    const auto rs = db->executeQuery("select count(*) from t");
    if (!rs || !rs->next())
        return -1;
    const int count = rs->intForColumnIndex(0);
    rs->close();
    return count;
}

} // namespace

TEST(SQDatabase, opensInMemoryTemporaryAndFileDatabasesAndClosesIdempotently)
{
    for (const NSString& path : { NSString(), NSString(""), databasePath() }) {
        auto db = SQDatabase::databaseWithPath(path);
        EXPECT_EQ(db->sqliteHandle(), nullptr);
        EXPECT_TRUE(db->open());
        sqlite3* handle = db->sqliteHandle();
        EXPECT_TRUE(db->open());
        EXPECT_EQ(db->sqliteHandle(), handle) << "a second open must not reopen";
        EXPECT_TRUE(db->goodConnection());
        EXPECT_TRUE(db->close());
        EXPECT_TRUE(db->close());
        EXPECT_FALSE(db->goodConnection());
    }
    EXPECT_EQ(SQDatabase::databaseWithPath(NSString())->sqlitePath(), ":memory:");
}

TEST(SQDatabase, aClosedConnectionRefusesStatementsAndCanBeReopened)
{
    const NSString path = databasePath();
    auto db = openedDatabase(path);
    ASSERT_TRUE(db->executeUpdate("create table t (a)"));
    db->close();
    EXPECT_FALSE(db->executeUpdate("insert into t values (1)"));
    EXPECT_EQ(db->executeQuery("select * from t"), nullptr);
    EXPECT_FALSE(db->executeStatements("delete from t"));
    EXPECT_EQ(db->changes(), 0);
    EXPECT_EQ(db->lastInsertRowId(), 0);
    ASSERT_TRUE(db->open());
    EXPECT_TRUE(db->executeUpdate("insert into t values (1)"));
}

TEST(SQDatabase, openFailsCleanlyWhenTheDirectoryDoesNotExist)
{
    auto db = SQDatabase::databaseWithPath("/nonexistent-dir/sub/x.db");
    EXPECT_FALSE(db->open());
    EXPECT_EQ(db->sqliteHandle(), nullptr);
    EXPECT_FALSE(db->openWithFlags(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE));
}

// MARK: - Binding

TEST(SQDatabaseBinding, bindsEveryValueTypeAndReadsItBack)
{
    auto db = openedDatabase();
    ASSERT_TRUE(db->executeUpdate("create table v (x)"));
    const auto blob = NSData::dataWithBytes(std::vector<std::uint8_t> { 0, 1, 2, 255 });
    const auto date = NSDate::dateWithTimeIntervalSince1970(1433147400.5);
    ASSERT_TRUE(db->executeUpdate("insert into v values (?), (?), (?), (?), (?), (?), (?), (?), (?), (?), (?), (?)",
        nullptr, NSNull::null(), NSString("科目一"), "plain", 42, -7LL, 2.5, true, blob, date, NSData::data(), NSString()));

    const auto rs = db->executeQuery("select x, typeof(x) from v order by rowid");
    ASSERT_NE(rs, nullptr);
    std::vector<std::string> types;
    std::vector<id> values;
    while (rs->next()) {
        types.push_back(rs->stringForColumnIndex(1).UTF8String());
        values.push_back(rs->objectForColumnIndex(0));
    }
    EXPECT_EQ(types, (std::vector<std::string> { "null", "null", "text", "text", "integer", "integer", "real", "integer", "blob", "real", "blob", "null" }));
    EXPECT_EQ(NSString::fromId(values[2]), "科目一");
    EXPECT_EQ(ns::cast<NSNumber>(values[4])->intValue(), 42);
    EXPECT_EQ(ns::cast<NSNumber>(values[5])->longLongValue(), -7);
    EXPECT_DOUBLE_EQ(ns::cast<NSNumber>(values[6])->doubleValue(), 2.5);
    EXPECT_EQ(ns::cast<NSNumber>(values[7])->intValue(), 1);
    EXPECT_TRUE(ns::cast<NSData>(values[8])->isEqualToData(blob));
    EXPECT_DOUBLE_EQ(ns::cast<NSNumber>(values[9])->doubleValue(), 1433147400.5);
    EXPECT_EQ(ns::cast<NSData>(values[10])->length(), 0u) << "empty data is a zero-length blob, not NULL";
    EXPECT_TRUE(ns::cast<NSNull>(values[11])) << "a nil string binds NULL";
}

TEST(SQDatabaseBinding, numbersBindByTheirOwnType)
{
    auto db = openedDatabase();
    const auto rs = db->executeQuery("select ?, ?, ?, ?, ?, typeof(?)",
        NSNumber::numberWithUnsignedLongLong(0xFFFFFFFFFFFFFFFFull), NSNumber::numberWithUnsignedInt(4000000000u),
        NSNumber::numberWithFloat(0.5f), NSNumber::numberWithChar('A'), NSNumber::numberWithBool(true), NSNumber::numberWithShort(-3));
    ASSERT_TRUE(rs && rs->next());
    EXPECT_EQ(rs->longLongIntForColumnIndex(0), -1) << "unsigned 64 bits are stored as the signed value with the same bits";
    EXPECT_EQ(rs->unsignedLongLongIntForColumnIndex(0), 0xFFFFFFFFFFFFFFFFull);
    EXPECT_EQ(rs->longLongIntForColumnIndex(1), 4000000000LL) << "unsigned int widens without sign";
    EXPECT_DOUBLE_EQ(rs->doubleForColumnIndex(2), 0.5);
    EXPECT_EQ(rs->intForColumnIndex(3), 65);
    EXPECT_EQ(rs->intForColumnIndex(4), 1);
    EXPECT_EQ(rs->stringForColumnIndex(5), "integer");
    rs->close();
}

TEST(SQDatabaseBinding, datesBindAsSecondsUntilADateFormatterIsSet)
{
    auto db = openedDatabase();
    const auto date = NSDate::dateWithTimeIntervalSince1970(86400);
    auto rs = db->executeQuery("select ?, typeof(?)", date, date);
    ASSERT_TRUE(rs && rs->next());
    EXPECT_EQ(rs->stringForColumnIndex(1), "real");
    EXPECT_TRUE(rs->dateForColumnIndex(0)->isEqualToDate(date));
    rs->close();

    db->setDateFormat(SQDatabase::storeableDateFormat("yyyy-MM-dd HH:mm:ss"));
    rs = db->executeQuery("select ?", date);
    ASSERT_TRUE(rs && rs->next());
    EXPECT_EQ(rs->stringForColumnIndex(0), "1970-01-02 00:00:00");
    EXPECT_TRUE(rs->dateForColumnIndex(0)->isEqualToDate(date));
    rs->close();
    rs = db->executeQuery("select 'not a date'");
    ASSERT_TRUE(rs && rs->next());
    EXPECT_EQ(rs->dateForColumnIndex(0), nullptr);
    rs->close();
}

TEST(SQDatabaseBinding, aShortArgumentListFailsTheBindCountAndExtraValuesAreIgnored)
{
    auto db = databaseWithTable();
    EXPECT_FALSE(db->executeUpdate("insert into t values (?, ?)", 1));
    EXPECT_EQ(db->executeQuery("select ?, ?", 1), nullptr);
    EXPECT_FALSE(db->executeUpdate("insert into t values (?, ?)", ns::array({ ns::number(1) })));
    EXPECT_TRUE(db->executeUpdate("insert into t values (?, ?)", ns::array({ ns::number(1), ns::number(2), ns::number(3) })));
    EXPECT_TRUE(db->executeUpdate("insert into t values (?, ?)", 1, 2, 3));
    EXPECT_EQ(rowCount(db), 2);
    // The connection stays usable after every refusal.
    EXPECT_TRUE(db->executeUpdate("insert into t values (?, ?)", 5, 6));
}

TEST(SQDatabaseBinding, namedParametersBindFromDictionaryKeysWithoutTheColon)
{
    auto db = databaseWithTable();
    EXPECT_TRUE(db->executeUpdate("insert into t values (:nid, :name)",
        ns::dictionary({ { "nid", ns::number(7) }, { "name", NSString("王") }, { "extra", NSString("ignored") } })));
    const auto rs = db->executeQuery("select b from t where a = :nid", ns::dictionary({ { "nid", ns::number(7) } }));
    ASSERT_TRUE(rs && rs->next());
    EXPECT_EQ(rs->stringForColumnIndex(0), "王");
    rs->close();

    testing::internal::CaptureStderr();
    EXPECT_EQ(db->executeQuery("select b from t where a = :nid", ns::dictionary({ { ":nid", ns::number(7) } })), nullptr);
    EXPECT_FALSE(db->executeUpdate("insert into t values (:nid, :name)", ns::dictionary({ { "nid", ns::number(1) } })));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("Could not find index for :nid"), std::string::npos);
    EXPECT_NE(log.find("bind count"), std::string::npos);
    EXPECT_EQ(rowCount(db), 1);
}

TEST(SQDatabaseBinding, valuesNeverBecomeStatementText)
{
    auto db = databaseWithTable();
    const NSString hostile = "x'); drop table t; --";
    EXPECT_TRUE(db->executeUpdate("insert into t values (?, ?)", hostile, hostile));
    EXPECT_TRUE(db->executeUpdateWithFormat("insert into t values (%@, %s)", hostile, "'; drop table t; --"));
    EXPECT_EQ(rowCount(db), 2);
    const auto rs = db->executeQuery("select a from t where b = ?", hostile);
    ASSERT_TRUE(rs && rs->next());
    EXPECT_EQ(rs->stringForColumnIndex(0), hostile);
    rs->close();
}

// MARK: - Format queries

TEST(SQDatabaseFormat, conversionsBecomeParametersAndNilObjectsBecomeNull)
{
    std::u16string sql;
    std::vector<id> values;
    const ns::FormatArgument arguments[] = { id {}, 5, NSString("a"), 3.5, 4000000000LL, 7u };
    SQDatabase::extractSQL("insert into t values (%@, %d, %@, %f, %lld, %u)", arguments, sql, values);
    EXPECT_EQ(NSString(sql), "insert into t values (NULL, ?, ?, ?, ?, ?)");
    ASSERT_EQ(values.size(), 5u);
    EXPECT_EQ(ns::cast<NSNumber>(values[0])->intValue(), 5);
    EXPECT_EQ(NSString::fromId(values[1]), "a");
    EXPECT_EQ(ns::cast<NSNumber>(values[3])->longLongValue(), 4000000000LL);
}

TEST(SQDatabaseFormat, aDoublePercentWritesOnePercentAndTakesNoArgument)
{
    std::u16string sql;
    std::vector<id> values;
    const ns::FormatArgument arguments[] = { NSString("dog") };
    SQDatabase::extractSQL("select * from t where b like '%%dog%%' and a = %@ and c = '100%%'", arguments, sql, values);
    EXPECT_EQ(NSString(sql), "select * from t where b like '%dog%' and a = ? and c = '100%'");
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(NSString::fromId(values[0]), "dog");

    auto db = databaseWithTable();
    ASSERT_TRUE(db->executeUpdate("insert into t values ('hotdog', 1)"));
    const auto rs = db->executeQueryWithFormat("select b from t where a like '%%dog' and b = %d", 1);
    ASSERT_TRUE(rs && rs->next());
    EXPECT_EQ(rs->intForColumnIndex(0), 1);
    rs->close();
}

TEST(SQDatabaseFormat, aMissingArgumentFailsTheStatementInsteadOfReadingPastTheList)
{
    auto db = databaseWithTable();
    EXPECT_FALSE(db->executeUpdateWithFormat("insert into t values (%d, %d)", 1));
    EXPECT_FALSE(db->executeUpdateWithFormat("insert into t values (%@, %d)", NSString("a")));
    EXPECT_EQ(rowCount(db), 0);
}

// MARK: - Updates, batches and errors

TEST(SQDatabaseUpdate, anUpdateThatYieldsARowIsNotASuccess)
{
    auto db = databaseWithTable();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(db->executeUpdate("select 1"));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Unknown error calling sqlite3_step (100"), std::string::npos);
}

TEST(SQDatabaseUpdate, textWithoutAStatementRunsNothingAndSaysSo)
{
    auto db = databaseWithTable();
    std::shared_ptr<NSError> error;
    EXPECT_FALSE(db->executeUpdate("", &error));
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->code(), SQLITE_MISUSE);
    EXPECT_FALSE(error->localizedDescription().containsString("not an error"));
    // The connection says so too, until it runs SQL again.
    EXPECT_TRUE(db->hadError());
    EXPECT_EQ(db->lastErrorCode(), SQLITE_MISUSE);
    EXPECT_TRUE(db->lastErrorMessage().isEqualToString(error->localizedDescription()));
    EXPECT_EQ(db->lastError()->code(), SQLITE_MISUSE);
    EXPECT_TRUE(db->executeUpdate("insert into t values (1, 2)"));
    EXPECT_FALSE(db->hadError());
    EXPECT_EQ(db->lastErrorCode(), SQLITE_OK);
    auto rows = db->executeQuery("select * from t");
    EXPECT_FALSE(db->executeUpdate("   "));
    EXPECT_EQ(db->lastErrorCode(), SQLITE_MISUSE);
    ASSERT_TRUE(rows->next());
    EXPECT_EQ(db->lastErrorCode(), SQLITE_ROW) << "a set open before still steps for the connection";
    rows->close();
    // SQLite prepares no statement from a comment: a set with no row, done at its first step.
    for (const char* nothing : { "-- nothing", "  " }) {
        auto rs = db->executeQuery(nothing, ns::dictionary({ { "id", NSString("1") } }));
        ASSERT_TRUE(rs) << nothing;
        EXPECT_TRUE(db->hasOpenResultSets());
        EXPECT_EQ(rs->columnCount(), 0);
        EXPECT_TRUE(rs->columnNameForIndex(0).isNil());
        EXPECT_FALSE(rs->next());
        EXPECT_FALSE(db->hasOpenResultSets());
    }
    db->setShouldCacheStatements(true);
    EXPECT_FALSE(db->executeQuery("")->next());
    EXPECT_FALSE(db->executeQuery("")->next());
    EXPECT_TRUE(db->executeQuery("select 1 -- trailing")->next());
}

TEST(SQDatabaseUpdate, prepareFailuresFillTheErrorAndLeaveTheConnectionUsable)
{
    auto db = databaseWithTable();
    std::shared_ptr<NSError> error;
    EXPECT_FALSE(db->executeUpdate("insert into nowhere values (?)", &error, 1));
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->domain(), "SQDatabase");
    EXPECT_EQ(error->code(), SQLITE_ERROR);
    EXPECT_TRUE(error->localizedDescription().containsString("nowhere"));
    EXPECT_TRUE(db->hadError());
    EXPECT_TRUE(db->executeUpdate("insert into t values (?, ?)", 1, 2));
    EXPECT_FALSE(db->hadError());
    EXPECT_EQ(db->changes(), 1);
    EXPECT_EQ(db->lastInsertRowId(), 1);
}

TEST(SQDatabaseUpdate, constraintFailuresAreErrors)
{
    auto db = openedDatabase();
    ASSERT_TRUE(db->executeUpdate("create table u (k primary key)"));
    ASSERT_TRUE(db->executeUpdate("insert into u values (1)"));
    EXPECT_FALSE(db->executeUpdate("insert into u values (1)"));
    EXPECT_EQ(db->lastErrorCode(), SQLITE_CONSTRAINT);
    EXPECT_TRUE(db->hadError());
}

TEST(SQDatabaseUpdate, batchesRunEveryStatementAndReportRowsAsText)
{
    auto db = openedDatabase();
    EXPECT_TRUE(db->executeStatements("create table b (x, y); insert into b values (1, 'a'); insert into b values (2, null);"));
    std::vector<std::shared_ptr<NSDictionary>> rows;
    EXPECT_TRUE(db->executeStatements("select x, y from b order by x", [&](const std::shared_ptr<NSDictionary>& row) {
        rows.push_back(row);
        return 0;
    }));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(NSString::fromId(rows[0]->objectForKey("x")), "1");
    EXPECT_TRUE(ns::cast<NSNull>(rows[1]->objectForKey("y")));
    // A non-zero answer stops the batch, which SQLite reports as an abort.
    int seen = 0;
    EXPECT_FALSE(db->executeStatements("select x from b", [&](const std::shared_ptr<NSDictionary>&) { return ++seen; }));
    EXPECT_EQ(seen, 1);
    EXPECT_FALSE(db->executeStatements("insert into b values (1, 2, 3)"));
}

TEST(SQDatabaseUpdate, aCustomFunctionIsCalledWithItsArguments)
{
    auto db = openedDatabase();
    db->makeFunctionNamed("twice", 1, [](sqlite3_context* context, int argc, sqlite3_value** argv) {
        sqlite3_result_int(context, argc == 1 ? 2 * sqlite3_value_int(argv[0]) : -1);
    });
    const auto rs = db->executeQuery("select twice(?)", 21);
    ASSERT_TRUE(rs && rs->next());
    EXPECT_EQ(rs->intForColumnIndex(0), 42);
    rs->close();
}

TEST(SQDatabaseUpdate, aStatementStartedInsideAnotherIsRefused)
{
    auto db = openedDatabase();
    // Not owning: the connection keeps the function alive.
    SQDatabase* inner = db.get();
    bool innerResult = true;
    db->makeFunctionNamed("reenter", 0, [&](sqlite3_context* context, int, sqlite3_value**) {
        innerResult = inner->executeUpdate("create table never (x)");
        sqlite3_result_int(context, 0);
    });
    ASSERT_TRUE(db->executeUpdate("create table t (x)"));
    EXPECT_TRUE(db->executeUpdate("insert into t values (reenter())"));
    EXPECT_FALSE(innerResult);
    const auto rs = db->executeQuery("select count(*) from sqlite_master where name = 'never'");
    ASSERT_TRUE(rs && rs->next());
    EXPECT_EQ(rs->intForColumnIndex(0), 0);
    rs->close();
}

// MARK: - Transactions and savepoints

TEST(SQDatabaseTransaction, aNestedBeginIsRefusedAndTheOuterTransactionStillCommits)
{
    auto db = databaseWithTable();
    EXPECT_TRUE(db->beginTransaction());
    EXPECT_TRUE(db->inTransaction());
    EXPECT_FALSE(db->beginTransaction());
    EXPECT_FALSE(db->beginDeferredTransaction());
    EXPECT_TRUE(db->inTransaction());
    EXPECT_TRUE(db->executeUpdate("insert into t values (1, 2)"));
    EXPECT_TRUE(db->commit());
    EXPECT_FALSE(db->inTransaction());
    EXPECT_FALSE(db->commit()) << "nothing left to commit";
    EXPECT_FALSE(db->rollback());
    EXPECT_EQ(rowCount(db), 1);
}

TEST(SQDatabaseTransaction, rollbackUndoesTheTransaction)
{
    auto db = databaseWithTable();
    EXPECT_TRUE(db->beginDeferredTransaction());
    EXPECT_TRUE(db->executeUpdate("insert into t values (1, 2)"));
    EXPECT_TRUE(db->rollback());
    EXPECT_FALSE(db->inTransaction());
    EXPECT_EQ(rowCount(db), 0);
}

TEST(SQDatabaseTransaction, closingEndsTheTransaction)
{
    const NSString path = databasePath();
    auto db = openedDatabase(path);
    ASSERT_TRUE(db->executeUpdate("create table t (a)"));
    ASSERT_TRUE(db->beginTransaction());
    ASSERT_TRUE(db->executeUpdate("insert into t values (1)"));
    db->close();
    EXPECT_FALSE(db->inTransaction());
    ASSERT_TRUE(db->open());
    EXPECT_EQ(rowCount(db), 0);
}

TEST(SQDatabaseSavePoint, aRolledBackSavePointUndoesOnlyItsOwnWork)
{
    auto db = databaseWithTable();
    ASSERT_TRUE(db->executeUpdate("insert into t values (1, 1)"));
    auto error = db->inSavePoint([&](bool* rollback) {
        db->executeUpdate("insert into t values (2, 2)");
        const auto inner = db->inSavePoint([&](bool* innerRollback) {
            db->executeUpdate("insert into t values (3, 3)");
            *innerRollback = true;
        });
        EXPECT_EQ(inner, nullptr);
        EXPECT_EQ(rowCount(db), 2);
        *rollback = false;
    });
    EXPECT_EQ(error, nullptr);
    EXPECT_EQ(rowCount(db), 2);

    error = db->inSavePoint([&](bool* rollback) {
        db->executeUpdate("delete from t");
        *rollback = true;
    });
    EXPECT_EQ(error, nullptr);
    EXPECT_EQ(rowCount(db), 2);
}

TEST(SQDatabaseSavePoint, namesWithQuotesAreEscapedAndFailuresReportAnError)
{
    auto db = databaseWithTable();
    std::shared_ptr<NSError> error;
    EXPECT_TRUE(db->startSavePointWithName("it's", &error));
    EXPECT_TRUE(db->executeUpdate("insert into t values (1, 1)"));
    EXPECT_TRUE(db->rollbackToSavePointWithName("it's", &error));
    EXPECT_TRUE(db->releaseSavePointWithName("it's", &error));
    EXPECT_EQ(error, nullptr);
    EXPECT_EQ(rowCount(db), 0);

    EXPECT_FALSE(db->releaseSavePointWithName("unknown", &error));
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->domain(), "SQDatabase");
    EXPECT_TRUE(error->localizedDescription().containsString("no such savepoint"));
}

// MARK: - Busy databases

TEST(SQDatabaseBusy, aLockedDatabaseIsRetriedThenFailsCleanly)
{
    const NSString path = databasePath();
    auto writer = openedDatabase(path);
    ASSERT_TRUE(writer->executeUpdate("create table t (a)"));
    ASSERT_TRUE(writer->beginTransaction());
    ASSERT_TRUE(writer->executeUpdate("insert into t values (1)"));

    auto other = openedDatabase(path);
    other->setMaxBusyRetryTimeInterval(0.2);
    EXPECT_FALSE(other->executeUpdate("insert into t values (2)"));
    EXPECT_EQ(other->lastErrorCode(), SQLITE_BUSY);
    const auto rs = other->executeQuery("select * from t");
    if (rs) {
        testing::internal::CaptureStderr();
        EXPECT_FALSE(rs->next());
        EXPECT_NE(testing::internal::GetCapturedStderr().find("Database busy"), std::string::npos);
    }
    EXPECT_FALSE(other->hasOpenResultSets());

    ASSERT_TRUE(writer->commit());
    EXPECT_TRUE(other->executeUpdate("insert into t values (2)"));
    EXPECT_EQ(rowCount(other), 2);
}

TEST(SQDatabaseBusy, aLockReleasedWhileRetryingLetsTheStatementThrough)
{
    const NSString path = databasePath();
    auto writer = openedDatabase(path);
    ASSERT_TRUE(writer->executeUpdate("create table t (a)"));
    ASSERT_TRUE(writer->beginTransaction());

    auto other = openedDatabase(path);
    other->setMaxBusyRetryTimeInterval(30);
    std::thread releaser([writer] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        writer->commit();
    });
    EXPECT_TRUE(other->executeUpdate("insert into t values (2)"));
    releaser.join();
}

// MARK: - Damaged files

TEST(SQDatabaseDamage, aFileThatIsNotADatabaseIsReportedNotCrashedOn)
{
    const NSString path = databasePath();
    {
        std::ofstream file(path.UTF8String(), std::ios::binary);
        for (int i = 0; i < 512; ++i)
            file << "this is not a database file ";
    }
    auto db = SQDatabase::databaseWithPath(path);
    db->open();
    EXPECT_FALSE(db->goodConnection());
    EXPECT_EQ(db->executeQuery("select * from t"), nullptr);
    EXPECT_EQ(db->lastErrorCode(), SQLITE_NOTADB);
    EXPECT_FALSE(db->executeUpdate("create table t (a)"));
    EXPECT_FALSE(db->executeStatements("create table t (a)"));
    EXPECT_TRUE(db->close());
}

TEST(SQDatabaseDamage, corruptPagesEndTheRowLoopWithAnError)
{
    const NSString path = databasePath();
    {
        auto db = openedDatabase(path);
        ASSERT_TRUE(db->executeUpdate("create table t (a, b)"));
        ASSERT_TRUE(db->beginTransaction());
        for (int i = 0; i < 2000; ++i)
            ASSERT_TRUE(db->executeUpdate("insert into t values (?, ?)", i, NSString::stringWithFormat("row %d with some padding text", i)));
        ASSERT_TRUE(db->commit());
        db->close();
    }
    {
        // Pages after the schema page are overwritten with noise; the header and schema survive.
        std::fstream file(path.UTF8String(), std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(4096 * 2);
        for (int i = 0; i < 4096 * 8; ++i)
            file.put(static_cast<char>((i * 7919) & 0xFF));
    }
    auto db = openedDatabase(path);
    const auto rs = db->executeQuery("select a, b from t");
    int rows = 0;
    if (rs) {
        while (rs->next())
            ++rows;
    }
    EXPECT_LT(rows, 2000);
    EXPECT_FALSE(db->hasOpenResultSets());
    EXPECT_EQ(db->lastErrorCode(), SQLITE_CORRUPT);
    EXPECT_TRUE(db->close());
}

// MARK: - Statement cache and closing

TEST(SQDatabaseCache, cachedStatementsAreReusedOnlyWhenNoResultSetReadsThem)
{
    auto db = databaseWithTable();
    ASSERT_TRUE(db->executeUpdate("insert into t values (1, 'a'), (2, 'b')"));
    db->setShouldCacheStatements(true);
    auto first = db->executeQuery("select b from t where a = ?", 1);
    ASSERT_TRUE(first && first->next());
    auto second = db->executeQuery("select b from t where a = ?", 2);
    ASSERT_TRUE(second && second->next());
    EXPECT_NE(first->statement(), second->statement()) << "a statement in use is not handed out again";
    EXPECT_EQ(first->stringForColumnIndex(0), "a");
    EXPECT_EQ(second->stringForColumnIndex(0), "b");
    const auto firstStatement = first->statement();
    first->close();
    second->close();
    auto third = db->executeQuery("select b from t where a = ?", 2);
    ASSERT_TRUE(third && third->next());
    EXPECT_EQ(third->stringForColumnIndex(0), "b");
    EXPECT_EQ(third->statement()->useCount(), 2);
    third->close();
    EXPECT_EQ(db->cachedStatements()->count(), 1u);

    // A cached statement whose binding fails leaves the cache.
    EXPECT_EQ(db->executeQuery("select b from t where a = ?"), nullptr);
    auto fourth = db->executeQuery("select b from t where a = ?", 1);
    ASSERT_TRUE(fourth && fourth->next());
    EXPECT_EQ(fourth->stringForColumnIndex(0), "a");
    fourth->close();

    db->setShouldCacheStatements(false);
    EXPECT_EQ(db->cachedStatements(), nullptr);
    EXPECT_EQ(firstStatement->statement(), nullptr) << "turning the cache off finalizes its statements";
}

TEST(SQDatabaseCache, cachedUpdatesRunAgainWithNewValues)
{
    auto db = databaseWithTable();
    db->setShouldCacheStatements(true);
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(db->executeUpdate("insert into t values (?, ?)", i, i * i));
    EXPECT_EQ(rowCount(db), 5);
    const auto rs = db->executeQuery("select sum(b) from t");
    ASSERT_TRUE(rs && rs->next());
    EXPECT_EQ(rs->intForColumnIndex(0), 30);
    rs->close();
}

TEST(SQDatabaseClose, closingFinishesOpenResultSetsAndStatementsHeldElsewhere)
{
    auto db = databaseWithTable();
    ASSERT_TRUE(db->executeUpdate("insert into t values (1, 2), (3, 4)"));
    auto rs = db->executeQuery("select * from t");
    ASSERT_TRUE(rs && rs->next());
    const auto statement = rs->statement();
    EXPECT_TRUE(db->hasOpenResultSets());
    EXPECT_TRUE(db->close());
    EXPECT_FALSE(db->hasOpenResultSets());
    EXPECT_EQ(rs->parentDB(), nullptr);
    EXPECT_FALSE(rs->next());
    EXPECT_EQ(statement->statement(), nullptr);
    EXPECT_EQ(rs->stringForColumnIndex(0), nullptr);
}

TEST(SQDatabaseClose, aResultSetKeepsItsConnectionAlive)
{
    std::shared_ptr<SQResultSet> rs;
    {
        auto db = databaseWithTable();
        ASSERT_TRUE(db->executeUpdate("insert into t values (1, 2)"));
        rs = db->executeQuery("select a from t");
    }
    ASSERT_NE(rs, nullptr);
    ASSERT_TRUE(rs->next());
    EXPECT_EQ(rs->intForColumnIndex(0), 1);
    // Closing through the set's own parent must not pull the connection out from under itself.
    rs->parentDB()->close();
    EXPECT_FALSE(rs->next());
}
