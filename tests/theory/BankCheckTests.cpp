#include "tests/theory/QuestionBankFixture.h"
#include "tests/support/OtherProcess.h"

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>

// Run as a process of its own: an answer write large enough to reach the file before its
// commit, and the process gone before the commit, leaving a hot journal behind.
TEST(BankCheckChild, DISABLED_diesInTheMiddleOfAWrite)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QuestionManager::getDBPath().UTF8String().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                  "pragma cache_size=10; begin; update tb_question set issave=0, type=0, answermany=null, answeryn=null; "
                  "with recursive n(i) as (select 1 union all select i+1 from n where i<3000) "
                  "insert into tb_question(quid,itemcontent) select 'x'||i, hex(randomblob(300)) from n;",
                  nullptr, nullptr, nullptr),
        SQLITE_OK);
    std::_Exit(0);
}

class BankCheckTest : public QuestionBankFixture {
protected:
    void SetUp() override
    {
        QuestionBankFixture::SetUp();
        install({ { .quid = "q1", .qunum = 1 }, { .quid = "q2", .qutype = "1", .qunum = 2 }, { .quid = "q3", .qutype = "2", .qunum = 3 } });
        store->insertAnswered("q3", true, "N", false);
        store->insertFavorite("q2");
    }

    void expectMarksKept()
    {
        EXPECT_EQ(column("q3", "type"), "2");
        EXPECT_EQ(column("q3", "answeryn"), "N");
        EXPECT_EQ(column("q2", "issave"), "1");
        EXPECT_EQ(column("x1", "quid"), "<none>") << "the unfinished write is rolled back";
    }
};

TEST_F(BankCheckTest, anAnswerLeftHalfWrittenByAKilledClientKeepsEveryMark)
{
    passesInAnotherProcess("BankCheckChild.DISABLED_diesInTheMiddleOfAWrite");
    ASSERT_TRUE(std::filesystem::exists(QuestionManager::getDBPath().UTF8String() + "-journal"));
    EXPECT_TRUE(store->prepareBank());
    expectMarksKept();
}

TEST_F(BankCheckTest, aBankAnotherClientHoldsLockedIsLeftAsItIs)
{
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(QuestionManager::getDBPath().UTF8String().c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "begin exclusive; update tb_question set issave=0;", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_FALSE(store->prepareBank());
    sqlite3_exec(holder, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    expectMarksKept();
    EXPECT_TRUE(store->prepareBank());
}
