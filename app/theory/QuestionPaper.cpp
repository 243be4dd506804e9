#include "app/theory/QuestionPaper.h"

#include "app/theory/PaperBlueprints.h"
#include "platform/foundation/TypedValues.h"

#include <algorithm>

namespace {

using PaperBlueprints::Row;
using PaperBlueprints::kExamSubjectThree;
using PaperBlueprints::kPracticeSubjectThree;
using PaperBlueprints::kSubjectsOneAndTwo;

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
    // On the paper, their families, and questions left out for giving the answer of one on it.
    QuestionManager::QuestionIds excluded;
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
        // A question refused for its family leaves the row short: ask again without it.
        int wanted = count;
        bool refused = true;
        while (wanted > 0 && refused) {
            std::shared_ptr<NSMutableArray> found;
            switch (query) {
            case RowQuery::random: found = store->randomQuestions(carType, subject, chapter, wanted, kind, true, excluded); break;
            case RowQuery::test: found = store->testQuestons(carType, subject, chapter, wanted, kind, excluded); break;
            case RowQuery::testUnAnswer: found = store->testUnAnswerQuestons(carType, subject, chapter, wanted, kind, excluded); break;
            case RowQuery::testError: found = store->testErrorQuestons(carType, subject, chapter, wanted, kind, excluded); break;
            }
            refused = false;
            for (NSUInteger j = 0; found && j < found->count(); ++j) {
                const id record = found->objectAtIndex(j);
                const auto dictionary = ns::dictionaryValue(record);
                excluded.insert(ns::stringForKey(dictionary, "quid").UTF8String());
                // A question and the statements made from it, or the questions about one picture or
                // clip, give each other's answers away: the bank's builder names their family.
                const std::string family = ns::stringForKey(dictionary, "family").UTF8String();
                if (!family.empty() && !excluded.insert(QuestionManager::familyMark(family)).second) {
                    refused = true;
                    continue;
                }
                paper->addObject(record);
                --wanted;
            }
        }
        left -= count - wanted;
    }
    return paper;
}

int QuestionPaper::score(NSInteger right, NSInteger count)
{
    if (count <= 0 || right <= 0)
        return 0;
    return static_cast<int>((100 * std::min(right, count)) / count);
}
