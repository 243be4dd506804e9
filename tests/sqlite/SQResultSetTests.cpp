#include "SQLiteTestSupport.h"

#include "platform/foundation/NSData.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSNull.h"
#include "platform/foundation/TypedValues.h"

using sqtest::openedDatabase;

namespace {

std::shared_ptr<SQDatabase> databaseWithRows()
{
    auto db = openedDatabase();
    EXPECT_TRUE(db->executeStatements("create table q (quid text, Subject integer, score real, pic blob, note text);"
                                      "insert into q values ('a1', 1, 0.0, x'00ff', null);"
                                      "insert into q values ('a2', -1, 2.5, null, 'n');"));
    return db;
}

} // namespace

TEST(SQResultSet, aLoopOfNextClosesTheSetAtItsEnd)
{
    auto db = databaseWithRows();
    auto rs = db->executeQuery("select quid from q order by quid");
    ASSERT_NE(rs, nullptr);
    EXPECT_TRUE(db->hasOpenResultSets());
    std::vector<NSString> ids;
    while (rs->next())
        ids.push_back(rs->stringForColumnIndex(0));
    EXPECT_EQ(ids, (std::vector<NSString> { "a1", "a2" }));
    EXPECT_FALSE(db->hasOpenResultSets());
    EXPECT_EQ(rs->statement(), nullptr);
    EXPECT_FALSE(rs->next()) << "a closed set stays closed";
    EXPECT_EQ(rs->intForColumnIndex(0), 0);
}

TEST(SQResultSet, aQueryWithoutRowsEndsAtOnce)
{
    auto db = databaseWithRows();
    auto rs = db->executeQuery("select quid from q where quid = ?", "none");
    ASSERT_NE(rs, nullptr);
    EXPECT_FALSE(rs->next());
    EXPECT_FALSE(db->hasOpenResultSets());
}

TEST(SQResultSet, anAbandonedSetIsClosedWhenItGoes)
{
    auto db = databaseWithRows();
    {
        auto rs = db->executeQuery("select quid from q");
        ASSERT_TRUE(rs && rs->next());
    }
    EXPECT_FALSE(db->hasOpenResultSets());
    // The statement was reset, so the table is free for writing.
    EXPECT_TRUE(db->executeUpdate("delete from q"));
}

TEST(SQResultSet, typedGettersFollowSQLiteConversionsAndNulls)
{
    auto db = databaseWithRows();
    auto rs = db->executeQuery("select quid, Subject, score, pic, note from q order by quid");
    ASSERT_TRUE(rs && rs->next());
    EXPECT_EQ(rs->columnCount(), 5);
    EXPECT_EQ(rs->stringForColumnIndex(4), nullptr);
    EXPECT_TRUE(ns::cast<NSNull>(rs->objectForColumnIndex(4)));
    EXPECT_EQ(rs->intForColumnIndex(4), 0);
    EXPECT_TRUE(rs->columnIndexIsNull(4));
    EXPECT_EQ(rs->UTF8StringForColumnIndex(4), nullptr);
    EXPECT_EQ(rs->dataForColumnIndex(4), nullptr);
    EXPECT_EQ(rs->stringForColumnIndex(-1), nullptr);
    EXPECT_TRUE(rs->dateForColumnIndex(2)->isEqualToDate(NSDate::dateWithTimeIntervalSince1970(0)));
    EXPECT_EQ(rs->stringForColumnIndex(1), "1") << "numbers read as text";
    const auto blob = rs->dataForColumnIndex(3);
    ASSERT_NE(blob, nullptr);
    EXPECT_EQ(blob->vector(), (std::vector<std::uint8_t> { 0x00, 0xff }));
    const auto noCopy = rs->dataNoCopyForColumnIndex(3);
    ASSERT_TRUE(noCopy.has_value());
    EXPECT_EQ(noCopy->size(), 2u);
    EXPECT_TRUE(ns::cast<NSData>(rs->objectForColumnIndex(3)));
    EXPECT_EQ(ns::cast<NSNumber>(rs->objectAtIndexedSubscript(1))->longLongValue(), 1);

    ASSERT_TRUE(rs->next());
    EXPECT_EQ(rs->unsignedLongLongIntForColumnIndex(1), 0xFFFFFFFFFFFFFFFFull);
    EXPECT_TRUE(rs->boolForColumnIndex(1));
    EXPECT_FALSE(rs->boolForColumnIndex(3)) << "NULL reads as NO";
    EXPECT_DOUBLE_EQ(ns::cast<NSNumber>(rs->objectForColumnIndex(2))->doubleValue(), 2.5);
    EXPECT_STREQ(rs->UTF8StringForColumnIndex(4), "n");
    rs->close();
}

TEST(SQResultSet, columnsAreFoundByNameWithoutRegardToCase)
{
    auto db = databaseWithRows();
    auto rs = db->executeQuery("select quid, Subject, note as NOTE, quid as QUID from q order by quid");
    ASSERT_TRUE(rs && rs->next());
    EXPECT_EQ(rs->columnIndexForName("SUBJECT"), 1);
    EXPECT_EQ(rs->intForColumn("subject"), 1);
    EXPECT_EQ(rs->columnIndexForName("quid"), 3) << "the later of two equal lower-case names wins";
    EXPECT_EQ(rs->columnNameForIndex(2), "NOTE");
    testing::internal::CaptureStderr();
    EXPECT_EQ(rs->columnIndexForName("missing"), -1);
    EXPECT_EQ(rs->stringForColumn("missing"), nullptr);
    EXPECT_EQ(rs->intForColumn("missing"), 0);
    EXPECT_TRUE(ns::cast<NSNull>(rs->objectForColumnName("missing")));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("could not find the column named 'missing'"), std::string::npos);
    const auto map = rs->columnNameToIndexMap();
    EXPECT_EQ(map->count(), 3u);
    EXPECT_EQ(ns::intValue(map->objectForKey("note")), 2);
    rs->close();
}

TEST(SQResultSet, wholeRowsAsDictionaries)
{
    auto db = databaseWithRows();
    auto rs = db->executeQuery("select quid, Subject, note from q order by quid");
    ASSERT_TRUE(rs && rs->next());
    const auto row = rs->resultDictionary();
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(NSString::fromId(row->objectForKey("quid")), "a1");
    EXPECT_EQ(ns::intValue(row->objectForKey("Subject")), 1);
    EXPECT_TRUE(ns::cast<NSNull>(row->objectForKey("note")));
    const auto older = rs->resultDict();
    ASSERT_NE(older, nullptr);
    EXPECT_EQ(ns::intValue(older->objectForKey("subject")), 1);
    EXPECT_EQ(older->objectForKey("Subject"), nullptr);

    const auto record = NSMutableDictionary::dictionary();
    record->setObject(NSString("kept"), "note");
    rs->kvcMagic(record);
    EXPECT_EQ(NSString::fromId(record->objectForKey("quid")), "a1");
    EXPECT_EQ(NSString::fromId(record->objectForKey("note")), "kept") << "NULL columns leave the value alone";
    rs->close();

    rs = db->executeQuery("select quid from q where 0");
    ASSERT_NE(rs, nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(rs->resultDictionary(), nullptr);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("no columns"), std::string::npos);
    rs->close();
}
