#include "SQLiteTestSupport.h"

#include "library/sqlite/SQLog.h"
#include "library/sqlite/SQResultSet.h"
#include "platform/foundation/NSDictionary.h"

using sqtest::openedDatabase;

TEST(SQHostileInput, textHoldingUPlus0000ComesBackWhole)
{
    auto db = openedDatabase();
    ASSERT_TRUE(db->executeUpdate("create table t (v text)"));
    const NSString stored(std::u16string(u"ab\0cd", 5));
    ASSERT_EQ(stored.length(), 5u);
    ASSERT_TRUE(db->executeUpdate("insert into t values (?)", stored));
    auto rs = db->executeQuery("select v, length(cast(v as blob)) from t");
    ASSERT_TRUE(rs && rs->next());
    EXPECT_EQ(rs->intForColumnIndex(1), 5) << "stored as five bytes";
    EXPECT_EQ(rs->stringForColumnIndex(0), stored);
    EXPECT_TRUE(rs->objectForColumnIndex(0)->isEqual(static_cast<id>(stored)));
    EXPECT_TRUE(rs->resultDictionary()->objectForKey("v")->isEqual(static_cast<id>(stored)));
    rs->close();

    // Text that is no UTF-8 still reads as nil, as before.
    ASSERT_TRUE(db->executeStatements("insert into t values (cast(x'ff00' as text))"));
    rs = db->executeQuery("select v from t where length(cast(v as blob)) = 2");
    ASSERT_TRUE(rs && rs->next());
    EXPECT_TRUE(rs->stringForColumnIndex(0).isNil());
}

TEST(SQHostileInput, aHugeFailingStatementIsLoggedInShort)
{
    auto db = openedDatabase();
    std::string sql = "select " + std::string(200000, 'x') + " from nowhere";
    testing::internal::CaptureStderr();
    EXPECT_FALSE(db->executeUpdate(NSString(sql)));
    EXPECT_FALSE(db->executeQuery(NSString(sql)));
    const std::string logged = testing::internal::GetCapturedStderr();
    EXPECT_LT(logged.size(), 8000u);
    EXPECT_NE(logged.find("DB Query: select xxx"), std::string::npos) << logged.substr(0, 300);
    EXPECT_NE(logged.find("(200020 characters)"), std::string::npos);

    // A cut never splits a surrogate pair.
    const NSString emoji(std::string(999, 'a') + "😀" + std::string(10, 'b'));
    const NSString excerpt = SQLogExcerpt(emoji);
    EXPECT_EQ(excerpt.UTF8String().substr(0, 1002), std::string(999, 'a') + "…");
    EXPECT_EQ(SQLogExcerpt("select 1"), NSString("select 1"));
}
