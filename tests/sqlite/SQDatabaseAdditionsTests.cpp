#include "SQLiteTestSupport.h"

#include "library/sqlite/SQDatabaseAdditions.h"
#include "platform/foundation/NSData.h"
#include "platform/foundation/NSDate.h"

using namespace SQDatabaseAdditions;
using sqtest::openedDatabase;

namespace {

std::shared_ptr<SQDatabase> databaseWithTable()
{
    auto db = openedDatabase();
    EXPECT_TRUE(db->executeStatements("create table Questions (Quid text, score real, pic blob, n integer);"
                                      "insert into Questions values ('q1', 1.5, x'0102', null);"));
    return db;
}

} // namespace

TEST(SQDatabaseAdditions, singleValueQueriesReadTheFirstColumnOfTheFirstRow)
{
    auto db = databaseWithTable();
    EXPECT_EQ(stringForQuery(db, "select Quid from Questions where score > ?", 1), "q1");
    EXPECT_EQ(intForQuery(db, "select count(*) from Questions"), 1);
    EXPECT_EQ(longForQuery(db, "select ? * 2", 3000000000LL), 6000000000LL);
    EXPECT_TRUE(boolForQuery(db, "select 1"));
    EXPECT_DOUBLE_EQ(doubleForQuery(db, "select score from Questions"), 1.5);
    EXPECT_EQ(dataForQuery(db, "select pic from Questions")->length(), 2u);
    EXPECT_TRUE(dateForQuery(db, "select 60.0")->isEqualToDate(NSDate::dateWithTimeIntervalSince1970(60)));
    EXPECT_FALSE(db->hasOpenResultSets());
}

TEST(SQDatabaseAdditions, singleValueQueriesGiveTheEmptyValueWithoutARow)
{
    auto db = databaseWithTable();
    EXPECT_EQ(intForQuery(db, "select n from Questions where 0"), 0);
    EXPECT_EQ(intForQuery(db, "select n from Questions"), 0);
    EXPECT_EQ(stringForQuery(db, "select n from Questions where 0"), nullptr);
    EXPECT_EQ(stringForQuery(db, "select n from Questions"), nullptr);
    EXPECT_EQ(dataForQuery(db, "select n from Questions"), nullptr);
    EXPECT_EQ(dateForQuery(db, "select n from Questions"), nullptr);
    EXPECT_EQ(intForQuery(db, "select broken from"), 0);
    EXPECT_EQ(intForQuery(nullptr, "select 1"), 0);
    EXPECT_FALSE(db->hasOpenResultSets());
}

TEST(SQDatabaseAdditions, tablesAndColumnsAreFoundWithoutRegardToCase)
{
    auto db = databaseWithTable();
    EXPECT_TRUE(tableExists(db, "questions"));
    EXPECT_TRUE(tableExists(db, "QUESTIONS"));
    EXPECT_FALSE(tableExists(db, "answers"));
    EXPECT_TRUE(columnExists(db, "quid", "Questions"));
    EXPECT_TRUE(columnExists(db, "SCORE", "questions"));
    EXPECT_FALSE(columnExists(db, "missing", "Questions"));
    EXPECT_FALSE(columnExists(db, "quid", "answers"));
    EXPECT_TRUE(columnExistsColumnName(db, "Questions", "Quid"));
    EXPECT_FALSE(db->hasOpenResultSets());
}

TEST(SQDatabaseAdditions, aTableNameCannotChangeTheSchemaStatement)
{
    auto db = databaseWithTable();
    ASSERT_TRUE(db->executeUpdate("create table \"it's\" (x)"));
    auto rs = getTableSchema(db, "it's");
    ASSERT_TRUE(rs && rs->next());
    EXPECT_EQ(rs->stringForColumn("name"), "x");
    rs->close();
    rs = getTableSchema(db, "Questions'); drop table Questions; --");
    ASSERT_NE(rs, nullptr);
    EXPECT_FALSE(rs->next());
    EXPECT_TRUE(tableExists(db, "Questions"));
}

TEST(SQDatabaseAdditions, schemaListsTablesAndIndexes)
{
    auto db = databaseWithTable();
    ASSERT_TRUE(db->executeUpdate("create index byQuid on Questions (Quid)"));
    auto rs = getSchema(db);
    ASSERT_NE(rs, nullptr);
    std::vector<std::string> names;
    while (rs->next())
        names.push_back(rs->stringForColumn("name").UTF8String());
    EXPECT_EQ(names, (std::vector<std::string> { "Questions", "byQuid" }));
}

TEST(SQDatabaseAdditions, headerIntegersRoundTripAllThirtyTwoBits)
{
    auto db = openedDatabase();
    setUserVersion(db, 7);
    EXPECT_EQ(userVersion(db), 7u);
    setUserVersion(db, 3000000000u);
    EXPECT_EQ(userVersion(db), 3000000000u);
    setApplicationID(db, 0xCAFEBABE);
    EXPECT_EQ(applicationID(db), 0xCAFEBABEu);
    EXPECT_FALSE(db->hasOpenResultSets());
}

TEST(SQDatabaseAdditions, validationCompilesWithoutRunning)
{
    auto db = databaseWithTable();
    std::shared_ptr<NSError> error;
    EXPECT_TRUE(validateSQL(db, "delete from Questions", &error));
    EXPECT_EQ(error, nullptr);
    EXPECT_EQ(intForQuery(db, "select count(*) from Questions"), 1);
    EXPECT_FALSE(validateSQL(db, "delete frm Questions", &error));
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->domain(), NSCocoaErrorDomain);
    EXPECT_EQ(error->code(), SQLITE_ERROR);

    db->close();
    error = nullptr;
    EXPECT_FALSE(validateSQL(db, "select 1", &error)) << "a closed connection validates nothing";
    EXPECT_NE(error, nullptr);
}
