#pragma once
// What the bank's builder asks of the bank as a whole, beyond each question being well formed:
// that no item stands twice, not even with its options reordered or one word changed, that the
// bank holds enough distinct items for every row of the papers, that no sentence has faulty words,
// that sequence practice goes through a subject chapter by chapter, that in every practice list
// the members of a family (a question, the statements made from it, everything about the same
// picture or clip) stand far apart and two questions of which one gives the other's answer away do
// not stand close, within their chapter as far as its length allows, that no id of a removed
// question is given again and that no id is given to another question in place of its own.

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
    // Two members of a family stand at least this many places apart in a practice list, and two
    // questions of which one gives the other away at least kGiveAwayApart, as far as the list's
    // length allows (see wantedApart).
    static constexpr std::size_t kLeastApart = 20;
    static constexpr std::size_t kGiveAwayApart = 5;
    // Questions the bank's authors join to one family by id: the same item asked in other words.
    using Joins = std::vector<std::pair<std::string, std::string>>;
    using Pairs = std::vector<std::pair<std::size_t, std::size_t>>;

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
    // statements filling its blank with one of its options, all questions about one picture or
    // clip, and the questions `joins` names together. A question alone is its own family.
    static std::vector<std::size_t> families(const std::vector<BankQuestion>& questions, const Joins& joins = {});
    // The pairs (first index lower) of one subject where one question gives the other's answer away:
    // a true/false question whose text is a statement of a "下列说法"/"以下说法" question (punctuation
    // aside), a true/false question one word or number away from a statement such a question's
    // explanation names, and two such questions with statements one word or number apart where
    // either's explanation names its own.
    static Pairs giveAways(const std::vector<BankQuestion>& questions);
    // Two statements the same but for one short stretch (a number, a word, a negation), over the
    // text without punctuation.
    static bool nearlySameStatement(const std::string& a, const std::string& b);

    // A list the client shows in the bank's order: a subject's sequence practice, and its special
    // practice lists by kind (single, multiple choice, true/false) and by content (picture, text, clip).
    struct PracticeList {
        std::string name;
        std::vector<std::size_t> questions;
    };
    static std::vector<PracticeList> practiceLists(const std::vector<BankQuestion>& questions, const std::vector<std::size_t>& order);
    // How far apart two related questions must stand in a list of `length` holding `members` of
    // their family (2 for a give-away pair): `least`, unless the list is too short for that: a list
    // made only of such families could put them no further apart than length ÷ members. Two
    // questions of one chapter are held to the chapter's part of the list.
    static std::size_t wantedApart(std::size_t least, std::size_t length, std::size_t members);
    // One message for each family's neighbours and each give-away pair closer in a practice list
    // than wantedApart asks.
    static std::vector<std::string> closeInPracticeLists(const std::vector<BankQuestion>& questions, const std::vector<std::size_t>& order,
        const std::vector<std::size_t>& family, const Pairs& giveAways);

    // One message for each chapter that its subject's sequence practice leaves and comes back to.
    static std::vector<std::string> scatteredChapters(const std::vector<BankQuestion>& questions, const std::vector<std::size_t>& order);

    // The study order, subject by subject: chapter by chapter as given, within a chapter first one
    // question of each family with several there, then the questions alone there, then the second
    // of each family, the third, and so on, each family's later members taken in an order of its
    // own so that true and false answers do not alternate. Then, within its chapter, a question
    // that would stand too close to its family or to one that gives it away, in any practice list,
    // waits for a later place, and a family running out of room in a list moves up.
    static std::vector<std::size_t> studyOrder(const std::vector<BankQuestion>& questions, const Joins& joins = {});
    // The least distance in `order` between two members of one family within a subject (its
    // sequence practice); SIZE_MAX when no subject holds two of one family. `pair`, when given,
    // receives the two questions' indexes.
    static std::size_t closestFamilyMembers(const std::vector<BankQuestion>& questions, const std::vector<std::size_t>& order,
        std::pair<std::size_t, std::size_t>* pair = nullptr);

    // The ids given out so far: the last one of each chapter ("1-05" → "1050150") and the retired
    // ones, whose questions were removed. A learner's marks follow an id from one bank to the next,
    // so an id is never given to another question.
    // `asked` holds what each issued id asks (askedBy), so that a question swapped in under an id
    // is seen.
    struct IdLedger {
        std::map<std::string, std::string> lastIssued;
        std::set<std::string> retired;
        std::map<std::string, std::string> asked {};
    };
    // One message for each question holding a retired id or one beyond its chapter's last, and for
    // each id up to the last that is neither in the bank nor retired (a removed question's).
    static std::vector<std::string> idProblems(const std::vector<BankQuestion>& questions, const IdLedger& ledger);
    // What a question asks, as the ledger records it: its kind, text, options and picture or clip,
    // tab separated. The answer and explanation may be mended under the same id.
    static std::string askedBy(const BankQuestion& question);
    // One message for each question whose id the ledger records as asking something else, or not
    // at all; the message tells how a rewording of the same question is recorded.
    static std::vector<std::string> askedProblems(const std::vector<BankQuestion>& questions, const IdLedger& ledger);

    // Everything above over the bank in its study order, one message a fault; empty for a bank fit
    // to be built. The rows of the papers must each find three papers' worth of distinct items.
    static std::vector<std::string> review(const std::vector<BankQuestion>& questions, const std::vector<std::size_t>& order, const IdLedger& ledger,
        const Joins& joins = {}, std::size_t* distinctItems = nullptr);
    // The least number of distinct items in the bank.
    static constexpr std::size_t kLeastDistinctItems = 1500;
    static constexpr int kPapersPerRow = 3;

    static std::u32string decode(const std::string& utf8);
};
