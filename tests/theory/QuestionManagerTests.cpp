#include "tests/theory/QuestionBankFixture.h"

#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/TypedValues.h"

#include <filesystem>
#include <fstream>

#include <sqlite3.h>

using Ids = std::vector<std::string>;

namespace {

std::vector<FixtureQuestion> smallBank()
{
    std::vector<FixtureQuestion> bank;
    bank.push_back({ .quid = "q3", .qutype = "2", .qunum = 3 });
    bank.push_back({ .quid = "q1", .qunum = 1, .type = 2, .answermany = "A", .issaveNull = true, .picNull = false });
    bank.push_back({ .quid = "q2", .qutype = "1", .qncontype = "0", .qunum = 2, .type = 1 });
    bank.push_back({ .quid = "q4", .subject = "3", .qncontype = "2", .qunum = 4 });
    bank.push_back({ .quid = "c2", .subject = "2", .qunum = 5, .carType = "T2" });
    return bank;
}

} // namespace

class QuestionManagerTest : public QuestionBankFixture {};

TEST_F(QuestionManagerTest, everyWayOfMakingTheStoreYieldsTheSharedOne)
{
    EXPECT_EQ(QuestionManager::create(), store);
    EXPECT_EQ(store->copy(), store);
    EXPECT_TRUE(QuestionManager::getDBPath().hasSuffix("/Documents/brenlow_data.db"));
}

TEST_F(QuestionManagerTest, listsSelectByKindContentAndMarkInTheBanksOrder)
{
    install(smallBank());
    EXPECT_EQ(quids(store->sequenceQuestions("T1", "1", true)), (Ids { "q1", "q2", "q3" }));
    EXPECT_EQ(quids(store->singleChoiseQuestions("T1", "1", true)), (Ids { "q1" }));
    EXPECT_EQ(quids(store->mutilChoiseQuestions("T1", "1", true)), (Ids { "q2" }));
    EXPECT_EQ(quids(store->judgeQuestions("T1", "1", true)), (Ids { "q3" }));
    EXPECT_EQ(quids(store->photoQuestions("T1", "1", true)), (Ids { "q2" }));
    EXPECT_EQ(quids(store->wordQuestions("T1", "1", true)), (Ids { "q1", "q3" }));
    EXPECT_EQ(quids(store->videoQuestions("T1", "3", true)), (Ids { "q4" }));
    EXPECT_EQ(quids(store->arrearQuestions("T1", "1", true)), (Ids { "q3" }));
    EXPECT_EQ(quids(store->queryAnserError("T1", "1", true)), (Ids { "q1" }));
    EXPECT_EQ(quids(store->queryAnsered("T1", "1", true)), (Ids { "q2" }));
    EXPECT_EQ(store->questionTotal("T1", "1"), 3);
    EXPECT_EQ(store->questionTotal("nobody", "1"), 0);
    EXPECT_EQ(store->sequenceQuestions("nobody", "1", true)->count(), 0u);
    EXPECT_EQ(store->sequenceQuestions(nullptr, nullptr, true)->count(), 0u);

    auto subjects = store->subjectForQuestions("T1");
    ASSERT_EQ(subjects->count(), 2u);
    EXPECT_EQ(store->subjectForQuestions("nobody")->count(), 0u);
}

TEST_F(QuestionManagerTest, aLoadedQuestionStartsUnansweredButKeepsItsStoredAnswer)
{
    install(smallBank());
    auto wrong = ns::dictionaryValue(store->queryAnserError("T1", "1", true)->objectAtIndex(0));
    EXPECT_EQ(ns::intForKey(wrong, "type"), 0);
    EXPECT_EQ(ns::stringForKey(wrong, "answermany").UTF8String(), "A");
    EXPECT_EQ(ns::intForKey(wrong, "issave"), 0);
    EXPECT_TRUE(wrong->objectForKey("issave"));
    EXPECT_EQ(ns::stringForKey(wrong, "picurl").UTF8String(), "tiku/q1.png");
    EXPECT_EQ(wrong->count(), 15u) << "the eight NULL text columns are absent";

    auto stored = ns::dictionaryValue(store->queryAnserError("T1", "1", false)->objectAtIndex(0));
    EXPECT_EQ(ns::intForKey(stored, "type"), 2);
    auto judge = ns::dictionaryValue(store->judgeQuestions("T1", "1", true)->objectAtIndex(0));
    EXPECT_FALSE(judge->objectForKey("picurl"));
    EXPECT_FALSE(judge->objectForKey("answermany"));
}

TEST_F(QuestionManagerTest, answersAndFavouritesAreWrittenIntoTheDocumentsCopy)
{
    install(smallBank());
    EXPECT_TRUE(store->insertAnswered("q3", true, "N", false));
    EXPECT_EQ(column("q3", "type"), "2");
    EXPECT_EQ(column("q3", "answeryn"), "N");
    EXPECT_EQ(column("q3", "answermany"), "NULL");
    EXPECT_TRUE(store->existsError("q3"));
    EXPECT_TRUE(store->insertAnswered("q3", true, "Y", true));
    EXPECT_EQ(column("q3", "type"), "1");
    EXPECT_TRUE(store->existsAnswered("q3"));
    EXPECT_FALSE(store->existsError("q3"));

    EXPECT_TRUE(store->insertAnswered("q2", false, "A,C", false));
    EXPECT_EQ(column("q2", "answermany"), "A,C");
    EXPECT_EQ(column("q2", "answeryn"), "NULL");

    EXPECT_TRUE(store->insertFavorite("q1"));
    EXPECT_TRUE(store->existsFavorite("q1"));
    EXPECT_EQ(quids(store->queryFavorite("T1", "1", true)), (Ids { "q1" }));
    EXPECT_TRUE(store->deleteFavorite("q1"));
    EXPECT_FALSE(store->existsFavorite("q1"));
    EXPECT_EQ(store->queryFavorite("T1", "1", true)->count(), 0u);

    EXPECT_TRUE(store->insertAnswerError("q2", "B"));
    EXPECT_EQ(column("q2", "type"), "2");
    EXPECT_EQ(column("q2", "answermany"), "A,C") << "the answer of this write is not stored";
    EXPECT_TRUE(store->insertAnswered("no such question", false, "A", true));
    EXPECT_TRUE(store->insertAnswered("q1", false, "x'); drop table tb_question; --", false));
    EXPECT_EQ(store->sequenceQuestions("T1", "1", true)->count(), 3u);
}

TEST_F(QuestionManagerTest, anExistingBankIsUsedAsItIsAndNeverOverwritten)
{
    install(smallBank());
    store->insertFavorite("q1");
    // A newer delivered bank does not replace the learner's copy.
    auto newer = smallBank();
    newer.push_back({ .quid = "q9", .qunum = 9 });
    const std::string documents = QuestionManager::getDBPath().UTF8String();
    std::filesystem::copy_file(documents, documents + ".keep");
    install(newer);
    std::filesystem::rename(documents + ".keep", documents);
    EXPECT_TRUE(store->prepareBank());
    EXPECT_EQ(column("q1", "issave"), "1");
    EXPECT_EQ(column("q9", "quid"), "<none>");
}

TEST_F(QuestionManagerTest, aMissingBankEndsTheOperationEmptyAndIsRestoredForTheNext)
{
    install(smallBank());
    std::filesystem::remove(QuestionManager::getDBPath().UTF8String());
    EXPECT_EQ(store->sequenceQuestions("T1", "1", true)->count(), 0u);
    EXPECT_EQ(store->sequenceQuestions("T1", "1", true)->count(), 3u);
    std::filesystem::remove(QuestionManager::getDBPath().UTF8String());
    EXPECT_FALSE(store->insertFavorite("q1")) << "a write to a missing bank is no success";
    EXPECT_TRUE(std::filesystem::exists(QuestionManager::getDBPath().UTF8String()));
}

TEST_F(QuestionManagerTest, aDamagedBankIsReplacedFromTheBundleAndNoTemporaryFileStays)
{
    install(smallBank());
    const std::string documents = QuestionManager::getDBPath().UTF8String();
    std::ofstream(documents, std::ios::trunc) << "this is no database at all";
    std::ofstream(documents + "-journal") << "left over";
    EXPECT_EQ(store->judgeQuestions("T1", "1", true)->count(), 0u);
    EXPECT_EQ(quids(store->judgeQuestions("T1", "1", true)), (Ids { "q3" }));
    EXPECT_FALSE(std::filesystem::exists(documents + ".copying"));
    EXPECT_FALSE(std::filesystem::exists(documents + "-journal"));

    // An empty file, as an interrupted copy leaves it, is no bank either.
    std::ofstream(documents, std::ios::trunc).flush();
    EXPECT_TRUE(store->prepareBank());
    EXPECT_EQ(store->questionTotal("T1", "1"), 3);
}

TEST_F(QuestionManagerTest, aBankWithoutTheQuestionTableIsCopiedAgainKeepingTheMarksItCanRead)
{
    install(smallBank());
    store->insertAnswered("q3", true, "N", false);
    store->insertFavorite("q2");
    // The old file still has the learner's marks but has lost a column the store reads.
    const std::string documents = QuestionManager::getDBPath().UTF8String();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(documents.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "alter table tb_question drop column describe", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    EXPECT_EQ(store->sequenceQuestions("T1", "1", true)->count(), 0u);
    EXPECT_EQ(store->sequenceQuestions("T1", "1", true)->count(), 3u);
    EXPECT_EQ(column("q3", "type"), "2");
    EXPECT_EQ(column("q3", "answeryn"), "N");
    EXPECT_EQ(column("q2", "issave"), "1");
    EXPECT_EQ(column("q1", "answermany"), "A");

    // A file without the table at all is replaced too.
    ASSERT_EQ(sqlite3_open(documents.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "drop table tb_question", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    EXPECT_TRUE(store->prepareBank());
    EXPECT_EQ(store->questionTotal("T1", "1"), 3);
}

TEST_F(QuestionManagerTest, aBankOfAnEarlierBuildWithoutFamiliesIsReplacedAtStartKeepingTheMarks)
{
    auto bank = smallBank();
    bank[0].family = "q1";
    install(bank);
    store->insertAnswered("q3", true, "N", false);
    store->insertFavorite("q2");
    // The learner's copy as an earlier build left it: the same questions and marks, no families.
    const std::string documents = QuestionManager::getDBPath().UTF8String();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(documents.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "alter table tb_question drop column family", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    EXPECT_TRUE(store->prepareBank());
    EXPECT_EQ(column("q3", "family"), "q1");
    EXPECT_EQ(column("q3", "answeryn"), "N");
    EXPECT_EQ(column("q2", "issave"), "1");
    const auto record = ns::dictionaryValue(store->judgeQuestions("T1", "1", false)->objectAtIndex(0));
    EXPECT_EQ(ns::stringForKey(record, "family").UTF8String(), "q1");
    EXPECT_EQ(ns::intForKey(record, "type"), 2);
}

TEST_F(QuestionManagerTest, withoutADeliveredBankNothingIsCreatedAndNothingCrashes)
{
    install(smallBank());
    store->setBundledDBPath(NSString((sourcePath + ".missing").c_str()));
    std::filesystem::remove(QuestionManager::getDBPath().UTF8String());
    EXPECT_FALSE(store->prepareBank());
    EXPECT_FALSE(std::filesystem::exists(QuestionManager::getDBPath().UTF8String()));
    EXPECT_EQ(store->sequenceQuestions("T1", "1", true)->count(), 0u);
    EXPECT_FALSE(store->insertFavorite("q1"));
    EXPECT_FALSE(std::filesystem::exists(QuestionManager::getDBPath().UTF8String())) << "no empty bank is left at the path";
}
