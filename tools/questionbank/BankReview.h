#pragma once
// What the bank's builder asks of the bank as a whole, beyond each question being well formed:
// that no item stands twice, not even with its options reordered or one word changed, that the
// bank holds enough distinct items for every row of the papers, that no sentence has faulty words,
// that the members of a family (a question, the statements made from it, everything about the
// same picture or clip) stand far apart, and that no id of a removed question is given again.

#include "tools/questionbank/BankQuestion.h"

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

class BankReview {
public:
    // Items at least this similar count as one: the same text with a number or a word changed.
    static constexpr double kSameItem = 0.85;
    // A question and a statement of its family stand at least this many places apart in a chapter.
    static constexpr std::size_t kLeastApart = 10;

    // The same question whatever the order of its options: subject, kind, text, options sorted, media.
    static std::string sameQuestionKey(const BankQuestion& question);
    // 2 × longest common subsequence ÷ total length, over characters; 1 for two empty texts.
    static double similarity(const std::u32string& a, const std::u32string& b);
    // The text compared for near-duplicates: the question and its options in sorted order.
    static std::u32string comparableText(const BankQuestion& question);
    // The group of each question: questions similar at kSameItem or more, directly or through
    // others, share one. Groups are numbered from 0.
    static std::vector<std::size_t> itemGroups(const std::vector<BankQuestion>& questions);

    // Empty for a sound sentence, else the faulty words: a doubled word ("身体应当身体"), a doubled
    // or contradicted modal ("应当…应当", "应当只有", "应当不必"), a modal before the clause's subject
    // ("应当车辆"), a duty turned into a leave ("应当不看", "应当一直使用、不必更换"), a time clause
    // run into "after" ("前进时后再"), a verb used twice ("慎用使用") or a colon within a colon's
    // words ("表示：虚实线：").
    static std::string faultyWords(const std::string& sentence);

    // For every question the index of the first question of its family: a fill-in question and the
    // statements filling its blank with one of its options, and all questions about one picture or
    // clip. A question alone is its own family.
    static std::vector<std::size_t> families(const std::vector<BankQuestion>& questions);
    // The study order: chapter by chapter as given, within a chapter first one question of each
    // family with several there, then the questions alone there, then the second of each family,
    // the third, and so on, each family's later members taken in an order of its own so that true
    // and false answers do not alternate.
    static std::vector<std::size_t> studyOrder(const std::vector<BankQuestion>& questions);
    // The least distance in `order` between two members of one family within a subject (its
    // sequence practice); SIZE_MAX when no subject holds two of one family. `pair`, when given,
    // receives the two questions' indexes.
    static std::size_t closestFamilyMembers(const std::vector<BankQuestion>& questions, const std::vector<std::size_t>& order,
        std::pair<std::size_t, std::size_t>* pair = nullptr);

    // The ids given out so far: the last one of each chapter ("1-05" → "1050150") and the retired
    // ones, whose questions were removed. A learner's marks follow an id from one bank to the next,
    // so an id is never given to another question.
    struct IdLedger {
        std::map<std::string, std::string> lastIssued;
        std::set<std::string> retired;
    };
    // One message for each question holding a retired id or one beyond its chapter's last, and for
    // each id up to the last that is neither in the bank nor retired (a removed question's).
    static std::vector<std::string> idProblems(const std::vector<BankQuestion>& questions, const IdLedger& ledger);

    // Everything above over the bank in its study order, one message a fault; empty for a bank fit
    // to be built. The rows of the papers must each find three papers' worth of distinct items.
    static std::vector<std::string> review(const std::vector<BankQuestion>& questions, const std::vector<std::size_t>& order, const IdLedger& ledger,
        std::size_t* distinctItems = nullptr);
    // The least number of distinct items in the bank.
    static constexpr std::size_t kLeastDistinctItems = 1500;
    static constexpr int kPapersPerRow = 3;

    static std::u32string decode(const std::string& utf8);
};
