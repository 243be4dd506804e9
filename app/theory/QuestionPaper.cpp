#include "app/theory/QuestionPaper.h"

#include "platform/foundation/TypedValues.h"

#include <algorithm>

namespace {

struct Row {
    const char* chapter;
    int count;
    const char* kind;
};

constexpr Row kSubjectsOneAndTwo[] = {
    { "01", 10, "0" }, { "01", 10, "2" }, { "02", 10, "0" }, { "03", 20, "0" }, { "03", 10, "2" },
    { "04", 10, "0" }, { "04", 10, "2" }, { "05", 20, "0" }, { "05", 10, "2" },
};
constexpr Row kPracticeSubjectThree[] = {
    { "01", 5, "0" }, { "02", 20, "0" }, { "02", 20, "2" }, { "03", 5, "0" }, { "03", 5, "2" }, { "04", 10, "2" }, { "05", 10, "0" },
    { "05", 5, "2" }, { "06", 5, "0" }, { "06", 10, "2" }, { "01", 2, "1" }, { "02", 2, "1" }, { "03", 1, "1" },
};
constexpr Row kExamSubjectThree[] = {
    { "01", 5, "0" }, { "02", 10, "0" }, { "02", 5, "2" }, { "03", 5, "0" }, { "03", 5, "2" }, { "04", 5, "2" },
    { "05", 5, "0" }, { "05", 5, "2" }, { "01", 2, "1" }, { "02", 2, "1" }, { "03", 1, "1" },
};

template <std::size_t N>
std::shared_ptr<NSMutableArray> blueprint(NSInteger subject, const Row (&rows)[N])
{
    auto blueprint = NSMutableArray::array();
    const NSString code = NSString::stringWithFormat("%d", static_cast<int>(subject));
    for (const Row& row : rows)
        blueprint->addObject(NSArray::arrayWithObjects({ code, NSString(row.chapter), ns::number(row.count), NSString(row.kind) }));
    return blueprint;
}

} // namespace

std::shared_ptr<NSMutableArray> QuestionPaper::practiceBlueprint(NSInteger subject)
{
    return subject == 3 ? blueprint(subject, kPracticeSubjectThree) : blueprint(subject, kSubjectsOneAndTwo);
}

std::shared_ptr<NSMutableArray> QuestionPaper::examBlueprint(NSInteger subject)
{
    return subject == 3 ? blueprint(subject, kExamSubjectThree) : blueprint(subject, kSubjectsOneAndTwo);
}

int QuestionPaper::examQuestionCount(NSInteger subject)
{
    return subject == 1 || subject == 2 ? 100 : 50;
}

int QuestionPaper::examTimes(NSInteger subject)
{
    return subject == 1 || subject == 2 ? 45 : 30;
}

int QuestionPaper::examErrQuestions(NSInteger subject)
{
    return subject == 1 || subject == 2 ? 11 : 6;
}

int QuestionPaper::questionCount(const std::shared_ptr<NSArray>& blueprint)
{
    int sum = 0;
    for (NSUInteger i = 0; blueprint && i < blueprint->count(); ++i) {
        auto row = ns::arrayValue(blueprint->objectAtIndex(i));
        if (row && row->count() == 4)
            sum += std::max(0, ns::intValue(row->objectAtIndex(2)));
    }
    return sum;
}

std::shared_ptr<NSMutableArray> QuestionPaper::assemble(const std::shared_ptr<QuestionManager>& store, const std::shared_ptr<NSArray>& blueprint,
    const NSString& carType, RowQuery query, int total)
{
    auto paper = NSMutableArray::array();
    if (!store || !blueprint)
        return paper;
    int left = total < 0 ? questionCount(blueprint) : total;
    QuestionManager::QuestionIds onPaper;
    for (NSUInteger i = 0; i < blueprint->count() && left > 0; ++i) {
        auto row = ns::arrayValue(blueprint->objectAtIndex(i));
        if (!row || row->count() != 4)
            continue;
        const NSString subject = ns::stringValue(row->objectAtIndex(0));
        const NSString chapter = ns::stringValue(row->objectAtIndex(1));
        const int count = std::min(left, ns::intValue(row->objectAtIndex(2)));
        const NSString kind = ns::stringValue(row->objectAtIndex(3));
        if (count <= 0)
            continue;
        std::shared_ptr<NSMutableArray> found;
        switch (query) {
        case RowQuery::random: found = store->randomQuestions(carType, subject, chapter, count, kind, true, onPaper); break;
        case RowQuery::test: found = store->testQuestons(carType, subject, chapter, count, kind, onPaper); break;
        case RowQuery::testUnAnswer: found = store->testUnAnswerQuestons(carType, subject, chapter, count, kind, onPaper); break;
        case RowQuery::testError: found = store->testErrorQuestons(carType, subject, chapter, count, kind, onPaper); break;
        }
        for (NSUInteger j = 0; found && j < found->count(); ++j) {
            const id record = found->objectAtIndex(j);
            onPaper.insert(ns::stringForKey(ns::dictionaryValue(record), "quid").UTF8String());
            paper->addObject(record);
        }
        left -= static_cast<int>(found ? found->count() : 0);
    }
    return paper;
}

int QuestionPaper::score(NSInteger right, NSInteger count)
{
    if (count <= 0 || right <= 0)
        return 0;
    return static_cast<int>((100 * std::min(right, count)) / count);
}
