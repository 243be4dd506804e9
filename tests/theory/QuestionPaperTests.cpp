#include "app/theory/QuestionPaper.h"
#include "tests/theory/QuestionBankFixture.h"

#include "platform/foundation/TypedValues.h"

#include <algorithm>
#include <set>

using Ids = std::vector<std::string>;

namespace {

// p questions of kind "0" (q0..), s of kind "2" (s0..) in chapter 01 of subject 1.
std::vector<FixtureQuestion> rowBank(int p, int s, int videos = 0)
{
    std::vector<FixtureQuestion> bank;
    for (int i = 0; i < p; ++i)
        bank.push_back({ .quid = "q" + std::to_string(i), .qncontype = i < videos ? "2" : "1", .qunum = i });
    for (int i = 0; i < s; ++i)
        bank.push_back({ .quid = "s" + std::to_string(i), .qutype = "2", .qunum = 100 + i });
    return bank;
}

} // namespace

class QuestionPaperTest : public QuestionBankFixture {};

TEST_F(QuestionPaperTest, aShortRowIsToppedUpWithTheOtherKindsOfItsChapter)
{
    install(rowBank(3, 10));
    drawInTurn({ 4, 4, 2, 9, 0, 7, 1, 5, 6 });
    EXPECT_EQ(quids(store->testQuestons("T1", "1", "01", 10, "0")), (Ids { "q0", "q1", "q2", "s4", "s2", "s9", "s0", "s7", "s1", "s5" }));

    install(rowBank(3, 2));
    EXPECT_EQ(quids(store->testQuestons("T1", "1", "01", 10, "0")), (Ids { "q0", "q1", "q2", "s0", "s1" }));
    EXPECT_EQ(quids(store->testQuestons("T1", "1", "01", 3, "0")), (Ids { "q0", "q1", "q2" })) << "p = n takes no secondary";
    EXPECT_EQ(quids(store->testQuestons("T1", "1", "01", 2, "2")), (Ids { "s0", "s1" }));
    EXPECT_EQ(store->testQuestons("T1", "1", "01", 0, "0")->count(), 0u);
    EXPECT_EQ(store->testQuestons("T1", "1", "09", 5, "0")->count(), 0u);
}

TEST_F(QuestionPaperTest, aLongRowPicksDistinctQuestionsInTheOrderDrawnAndKeepsAVideo)
{
    install(rowBank(25, 0, 3));
    // Repeats are drawn again; picks 3..22 never reach the three videos q0..q2.
    std::vector<std::uint32_t> draws;
    for (int i = 3; i < 25; ++i)
        draws.push_back(i);
    draws.insert(draws.begin() + 1, 3);
    draws.push_back(1);
    drawInTurn(draws);
    auto row = quids(store->testQuestons("T1", "1", "01", 20, "0"));
    ASSERT_EQ(row.size(), 20u);
    EXPECT_EQ(row.front(), "q3");
    EXPECT_EQ(row[1], "q4");
    EXPECT_EQ(std::set<std::string>(row.begin(), row.end()).size(), 20u);
    EXPECT_EQ(row.back(), "q2") << "the last pick gives way to a video question (draw 23 mod 3)";

    install(rowBank(25, 0, 0));
    drawInTurn(draws);
    row = quids(store->randomQuestions("T1", "1", "01", 20, "0", true));
    EXPECT_EQ(row.back(), "q22") << "no video to swap in";
}

TEST_F(QuestionPaperTest, aPaperRecordReadsLikeTheSameQuestionInAList)
{
    auto bank = rowBank(2, 0);
    bank[0].answermany = "A";
    bank[0].issaveNull = true;
    bank[0].picNull = false;
    install(bank);
    auto listed = ns::dictionaryValue(store->sequenceQuestions("T1", "1", true)->objectAtIndex(0));
    auto onPaper = ns::dictionaryValue(store->testQuestons("T1", "1", "01", 2, "0")->objectAtIndex(0));
    EXPECT_TRUE(listed->isEqualToDictionary(onPaper));
    EXPECT_EQ(onPaper->count(), 15u);
}

TEST_F(QuestionPaperTest, unansweredAndWrongFirstRowsPutThoseQuestionsBeforeTheRest)
{
    auto bank = rowBank(6, 0);
    bank[1].type = 2;
    bank[3].type = 1;
    bank[4].type = 2;
    install(bank);
    EXPECT_EQ(quids(store->testErrorQuestons("T1", "1", "01", 6, "0")), (Ids { "q1", "q4", "q0", "q2", "q5", "q3" }));
    EXPECT_EQ(quids(store->testUnAnswerQuestons("T1", "1", "01", 6, "0")), (Ids { "q0", "q2", "q5", "q1", "q3", "q4" }));
    drawInTurn({ 0, 1, 2 });
    EXPECT_EQ(quids(store->testUnAnswerQuestons("T1", "1", "01", 4, "0")), (Ids { "q0", "q2", "q5", "q1" }));
    auto records = store->testErrorQuestons("T1", "1", "01", 2, "0");
    EXPECT_EQ(ns::intForKey(ns::dictionaryValue(records->objectAtIndex(0)), "type"), 0) << "exam rows load unanswered";
}

TEST_F(QuestionPaperTest, aPaperHoldsTheAnnouncedCountWithRowsInOrderAndNoQuestionTwice)
{
    install(rowBank(8, 8));
    auto blueprint = NSMutableArray::array();
    blueprint->addObject(NSArray::arrayWithObjects({ NSString("1"), NSString("01"), ns::number(8), NSString("2") }));
    blueprint->addObject(NSArray::arrayWithObjects({ NSString("1"), NSString("01"), ns::number(10), NSString("0") }));
    blueprint->addObject(NSString("not a row"));
    blueprint->addObject(NSArray::arrayWithObjects({ NSString("1"), NSString("01"), ns::number(10), NSString("2") }));
    auto paper = quids(QuestionPaper::assemble(store, blueprint, "T1", QuestionPaper::RowQuery::test, 14));
    ASSERT_EQ(paper.size(), 14u);
    EXPECT_EQ(std::set<std::string>(paper.begin(), paper.end()).size(), 14u);
    EXPECT_EQ((Ids(paper.begin(), paper.begin() + 8)), (Ids { "s0", "s1", "s2", "s3", "s4", "s5", "s6", "s7" }));
    for (auto id = paper.begin() + 8; id != paper.end(); ++id)
        EXPECT_EQ(id->front(), 'q') << "the second row is cut to the six questions left";

    // Without an announced count the blueprint's sum is the limit; the bank holds only 16.
    EXPECT_EQ(QuestionPaper::assemble(store, blueprint, "T1", QuestionPaper::RowQuery::random)->count(), 16u);
    EXPECT_EQ(QuestionPaper::assemble(store, blueprint, "nobody", QuestionPaper::RowQuery::testError, 10)->count(), 0u);
    EXPECT_EQ(QuestionPaper::assemble(nullptr, blueprint, "T1", QuestionPaper::RowQuery::test, 10)->count(), 0u);
}

TEST_F(QuestionPaperTest, aPaperHoldsOneQuestionOfEachFamilyTheBankRecordsAndStillFillsItsRows)
{
    // q0..q2 and s0, s1 are about one picture: seeing one gives the others' answers away.
    auto bank = rowBank(6, 6);
    const std::set<std::string> family { "q0", "q1", "q2", "s0", "s1" };
    for (auto& question : bank)
        if (family.contains(question.quid))
            question.family = "q0";
    install(bank);
    auto blueprint = NSMutableArray::array();
    blueprint->addObject(NSArray::arrayWithObjects({ NSString("1"), NSString("01"), ns::number(3), NSString("0") }));
    blueprint->addObject(NSArray::arrayWithObjects({ NSString("1"), NSString("01"), ns::number(3), NSString("2") }));
    for (int round = 0; round < 30; ++round) {
        for (auto query : { QuestionPaper::RowQuery::random, QuestionPaper::RowQuery::test }) {
            const auto paper = quids(QuestionPaper::assemble(store, blueprint, "T1", query, 6));
            ASSERT_EQ(paper.size(), 6u);
            EXPECT_EQ(std::set<std::string>(paper.begin(), paper.end()).size(), 6u);
            EXPECT_LE(std::count_if(paper.begin(), paper.end(), [&](const std::string& quid) { return family.contains(quid); }), 1);
        }
    }
    // A row query leaves out a family the paper already holds.
    const auto row = quids(store->testQuestons("T1", "1", "01", 6, "0", { QuestionManager::familyMark("q0") }));
    ASSERT_EQ(row.size(), 6u);
    EXPECT_EQ((Ids(row.begin(), row.begin() + 3)), (Ids { "q3", "q4", "q5" }));
    EXPECT_TRUE(std::none_of(row.begin(), row.end(), [&](const std::string& quid) { return family.contains(quid); }));
}

TEST(QuestionPaper, blueprintsAndRulesFollowTheSubject)
{
    EXPECT_EQ(QuestionPaper::questionCount(QuestionPaper::practiceBlueprint(1)), 110);
    EXPECT_EQ(QuestionPaper::questionCount(QuestionPaper::practiceBlueprint(3)), 100);
    EXPECT_EQ(QuestionPaper::questionCount(QuestionPaper::examBlueprint(2)), 110);
    EXPECT_EQ(QuestionPaper::questionCount(QuestionPaper::examBlueprint(3)), 50);
    EXPECT_EQ(QuestionPaper::practiceBlueprint(3)->count(), 13u);
    EXPECT_EQ(QuestionPaper::examBlueprint(3)->count(), 11u);
    auto row = ns::arrayValue(QuestionPaper::examBlueprint(7)->objectAtIndex(8));
    EXPECT_EQ(ns::stringValue(row->objectAtIndex(0)).UTF8String(), "7");
    EXPECT_EQ(ns::stringValue(row->objectAtIndex(1)).UTF8String(), "05");
    EXPECT_EQ(ns::intValue(row->objectAtIndex(2)), 10);
    EXPECT_EQ(ns::stringValue(row->objectAtIndex(3)).UTF8String(), "2");
    EXPECT_EQ(QuestionPaper::examQuestionCount(2), 100);
    EXPECT_EQ(QuestionPaper::examTimes(1), 45);
    EXPECT_EQ(QuestionPaper::examErrQuestions(1), 11);
    EXPECT_EQ(QuestionPaper::examQuestionCount(3), 50);
    EXPECT_EQ(QuestionPaper::examTimes(3), 30);
    EXPECT_EQ(QuestionPaper::examErrQuestions(0), 6);
}

TEST(QuestionPaper, theScoreIsOutOfAHundredForAnyPaperSize)
{
    EXPECT_EQ(QuestionPaper::score(100, 100), 100);
    EXPECT_EQ(QuestionPaper::score(90, 100), 90);
    EXPECT_EQ(QuestionPaper::score(50, 50), 100);
    EXPECT_EQ(QuestionPaper::score(45, 50), 90);
    EXPECT_EQ(QuestionPaper::score(44, 50), 88);
    EXPECT_EQ(QuestionPaper::score(98, 98), 100);
    EXPECT_EQ(QuestionPaper::score(89, 98), 90);
    EXPECT_EQ(QuestionPaper::score(88, 98), 89);
    EXPECT_EQ(QuestionPaper::score(110, 110), 100);
    EXPECT_EQ(QuestionPaper::score(99, 110), 90);
    EXPECT_EQ(QuestionPaper::score(98, 110), 89);
    EXPECT_EQ(QuestionPaper::score(0, 100), 0);
    EXPECT_EQ(QuestionPaper::score(3, 0), 0);
    EXPECT_EQ(QuestionPaper::score(-1, 10), 0);
}
