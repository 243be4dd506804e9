#pragma once
// What the bank's builder asks of the bank as a whole, beyond each question being well formed:
// that no item stands twice, not even with its options reordered or one word changed, that the
// bank holds enough distinct items for every row of the papers, that no sentence doubles a verb
// or a modal, and that a fill-in question and the statements made from it stand far apart.

#include "tools/questionbank/BankQuestion.h"

#include <cstddef>
#include <string>
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

    // Empty for a sound sentence, else what is doubled ("应当…应当", "应当只有", "身体应当身体").
    static std::string doubledWords(const std::string& sentence);

    // For every question the index of the fill-in question whose blank it fills, or its own index.
    static std::vector<std::size_t> families(const std::vector<BankQuestion>& questions);
    // The study order: chapter by chapter as given, within a chapter first every question that is
    // not made from another, then one statement of each family, then the next, each family's
    // statements taken in an order of its own so that true and false answers do not alternate.
    static std::vector<std::size_t> studyOrder(const std::vector<BankQuestion>& questions);
    // The least distance in `order` between two members of one family within a chapter; SIZE_MAX
    // when no chapter holds a family.
    static std::size_t closestFamilyMembers(const std::vector<BankQuestion>& questions, const std::vector<std::size_t>& order);

    static std::u32string decode(const std::string& utf8);
};
