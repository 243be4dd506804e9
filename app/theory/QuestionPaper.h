#pragma once
// The papers of random practice and of the four exam modes, built from a blueprint: rows of
// [subject, chapter, count, kind] (strings, with the count an integer number), each filled by one
// row query of the question bank. A paper holds exactly the number of questions it announces
// when the bank has them: rows are taken in order and the last one is cut to fit; and no question
// stands twice in one paper.

#include "app/theory/QuestionManager.h"

class QuestionPaper : public NSObject {
    NS_OBJECT(QuestionPaper, NSObject)
public:
    // Which row query fills the rows: random practice, "仿真考试" and "模拟考试", "先考未做", "先考错题".
    enum class RowQuery { random, test, testUnAnswer, testError };

    // Subject 3 has its own rows; every other subject number the nine rows of subjects 1 and 2.
    static std::shared_ptr<NSMutableArray> practiceBlueprint(NSInteger subject);
    static std::shared_ptr<NSMutableArray> examBlueprint(NSInteger subject);

    // The exam rules of a subject: questions announced, minutes, wrong answers that end a "仿真考试".
    static int examQuestionCount(NSInteger subject);
    static int examTimes(NSInteger subject);
    static int examErrQuestions(NSInteger subject);
    // The sum of a blueprint's counts: the size of a random-practice paper.
    static int questionCount(const std::shared_ptr<NSArray>& blueprint);

    // The paper: at most `total` questions (the blueprint's sum when negative), rows in order, each
    // asking for what is left of the total when that is less than its count. Rows that are not
    // four elements long are skipped. Empty when the bank has nothing for the blueprint.
    static std::shared_ptr<NSMutableArray> assemble(const std::shared_ptr<QuestionManager>& store, const std::shared_ptr<NSArray>& blueprint,
        const NSString& carType, RowQuery query, int total = -1);

    // The exam score out of 100: (100 × right) ÷ n in whole numbers; 0 for an empty paper.
    static int score(NSInteger right, NSInteger count);
};
