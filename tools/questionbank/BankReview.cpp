#include "tools/questionbank/BankReview.h"

#include "app/theory/PaperBlueprints.h"
#include "app/theory/QuestionFamily.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <map>
#include <numeric>
#include <set>
#include <unordered_map>

namespace {

std::string encode(const std::u32string& text)
{
    std::string out;
    for (char32_t c : text) {
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Longest common subsequence by bit-parallel rows (64 characters of `a` a word): the bank is
// compared pair by pair at every build.
std::size_t longestCommonSubsequence(const std::u32string& a, const std::u32string& b)
{
    if (a.empty() || b.empty())
        return 0;
    const std::size_t words = (a.size() + 63) / 64;
    std::unordered_map<char32_t, std::vector<std::uint64_t>> masks;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto& mask = masks[a[i]];
        mask.resize(words, 0);
        mask[i / 64] |= std::uint64_t(1) << (i % 64);
    }
    std::vector<std::uint64_t> row(words, ~std::uint64_t(0));
    for (char32_t c : b) {
        const auto found = masks.find(c);
        if (found == masks.end())
            continue;
        const auto& mask = found->second;
        std::uint64_t carry = 0;
        for (std::size_t w = 0; w < words; ++w) {
            const std::uint64_t matched = row[w] & mask[w];
            const std::uint64_t partial = row[w] + matched;
            const std::uint64_t sum = partial + carry;
            carry = (partial < row[w] || sum < partial) ? 1 : 0;
            row[w] = sum | (row[w] - matched);
        }
    }
    std::size_t zeros = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        zeros += (row[i / 64] >> (i % 64) & 1) ? 0 : 1;
    return zeros;
}

bool isChoice(const BankQuestion& question)
{
    return question.qutype == "0" || question.qutype == "1";
}

std::vector<std::string> optionList(const BankQuestion& question)
{
    return { question.options, question.options + 4 };
}

std::string chapterOf(const BankQuestion& question)
{
    return question.subject + "-" + question.chapter;
}

// A stable mix of an id: the order of a family's statements must not change between builds.
std::uint32_t mix(const std::string& text)
{
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : text)
        hash = (hash ^ c) * 16777619u;
    return hash;
}

std::size_t find(std::vector<std::size_t>& parent, std::size_t x)
{
    while (parent[x] != x)
        x = parent[x] = parent[parent[x]];
    return x;
}

} // namespace

std::u32string BankReview::decode(const std::string& utf8)
{
    std::u32string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length && i + std::size_t(k) < utf8.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + std::size_t(k)]) & 0x3F);
        out += c;
        i += std::size_t(length);
    }
    return out;
}

std::string BankReview::sameQuestionKey(const BankQuestion& question)
{
    std::vector<std::string> options = optionList(question);
    std::sort(options.begin(), options.end());
    std::string key = question.subject + "\t" + question.qutype + "\t" + question.text;
    for (const auto& option : options)
        key += "\t" + option;
    return key + "\t" + question.media;
}

double BankReview::similarity(const std::u32string& a, const std::u32string& b)
{
    if (a.empty() && b.empty())
        return 1;
    return 2.0 * double(longestCommonSubsequence(a, b)) / double(a.size() + b.size());
}

std::u32string BankReview::comparableText(const BankQuestion& question)
{
    std::vector<std::string> options = optionList(question);
    std::sort(options.begin(), options.end());
    std::string text = question.text;
    for (const auto& option : options)
        text += option;
    return decode(text);
}

std::vector<std::size_t> BankReview::itemGroups(const std::vector<BankQuestion>& questions)
{
    std::vector<std::u32string> texts;
    std::vector<std::map<char32_t, std::size_t>> counts;
    for (const auto& question : questions) {
        texts.push_back(comparableText(question));
        auto& count = counts.emplace_back();
        for (char32_t c : texts.back())
            ++count[c];
    }
    std::vector<std::size_t> parent(questions.size());
    std::iota(parent.begin(), parent.end(), 0);
    for (std::size_t i = 0; i < questions.size(); ++i) {
        for (std::size_t j = i + 1; j < questions.size(); ++j) {
            const double total = double(texts[i].size() + texts[j].size());
            // Cheap bounds first: the common subsequence is no longer than the shorter text, nor
            // than the characters both texts share.
            if (2.0 * double(std::min(texts[i].size(), texts[j].size())) < kSameItem * total)
                continue;
            std::size_t shared = 0;
            for (const auto& [c, n] : counts[i]) {
                const auto other = counts[j].find(c);
                shared += other == counts[j].end() ? 0 : std::min(n, other->second);
            }
            if (2.0 * double(shared) < kSameItem * total || similarity(texts[i], texts[j]) < kSameItem)
                continue;
            parent[find(parent, i)] = find(parent, j);
        }
    }
    std::map<std::size_t, std::size_t> numbers;
    std::vector<std::size_t> groups;
    for (std::size_t i = 0; i < questions.size(); ++i)
        groups.push_back(numbers.emplace(find(parent, i), numbers.size()).first->second);
    return groups;
}

std::string BankReview::faultyWords(const std::string& sentence)
{
    static const std::u32string breaks = U"，。；：！？,.;:!?“”\"";
    static const std::array<std::u32string, 7> modals { U"应当", U"应该", U"必须", U"只能", U"不得", U"不要", U"不能" };
    // What cannot follow a modal closely: another modal, its own negation.
    static const std::array<std::u32string, 11> nextToModal { U"应当", U"应该", U"必须", U"只能", U"只有", U"不要", U"不得", U"不必", U"无需",
        U"无须", U"不用" };
    // The subject of a clause stands before its modal, never right after it.
    static const std::array<std::u32string, 4> subjects { U"车辆", U"机动车", U"驾驶人", U"行人" };
    // "…时" is a moment and "…后" a sequel: "前进时后再" joins both.
    static const std::array<std::u32string, 3> momentThenSequel { U"时后再", U"时后才", U"时后方可" };
    // A verb ending in 用 right before another one: "慎用使用", "少用使用".
    static const std::array<std::u32string, 5> useVerbs { U"使用", U"利用", U"采用", U"运用", U"占用" };
    // A duty's modal says what to do: "应当不看" and "应当…、不必…" say what one may leave undone.
    static const std::array<std::u32string, 3> duties { U"应当", U"应该", U"必须" };
    static const std::array<std::u32string, 4> needless { U"不必", U"无需", U"无须", U"不用" };
    // What a duty may be followed by with 不: a bound ("应当不少于") or "without pause" ("应当不断").
    static const std::array<std::u32string, 9> boundsAndPauses { U"不少于", U"不多于", U"不低于", U"不高于", U"不大于", U"不小于", U"不超过",
        U"不断", U"不时" };
    // The word stands at `at`: "不必要的" is an adjective there, not a release from a duty.
    const auto wordAt = [](const std::u32string& clause, std::size_t at, const std::u32string& word) {
        return clause.compare(at, word.size(), word) == 0 && clause.compare(at, 3, U"不必要") != 0;
    };
    const std::u32string text = decode(sentence);
    // A colon introduces what follows it once: "表示：虚实线：…" nests a second in the first.
    for (std::size_t colon = text.find(U'：'); colon != std::u32string::npos;) {
        const std::size_t next = text.find_first_of(U"：。；！？", colon + 1);
        if (next == std::u32string::npos)
            break;
        if (text[next] == U'：')
            return encode(text.substr(colon, next + 1 - colon));
        colon = text.find(U'：', next);
    }
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of(breaks, start);
        if (end == std::u32string::npos)
            end = text.size();
        const std::u32string clause = text.substr(start, end - start);
        start = end + 1;
        for (const auto& modal : modals) {
            for (std::size_t at = clause.find(modal); at != std::u32string::npos; at = clause.find(modal, at + 1)) {
                const std::size_t after = at + modal.size();
                if (clause.find(modal, after) != std::u32string::npos)
                    return encode(modal + U"…" + modal);
                for (std::size_t gap = 0; gap <= 2 && after + gap < clause.size(); ++gap) {
                    for (const auto& next : nextToModal)
                        if (wordAt(clause, after + gap, next))
                            return encode(clause.substr(at, after + gap + next.size() - at));
                }
                for (const auto& subject : subjects)
                    if (clause.compare(after, subject.size(), subject) == 0)
                        return encode(modal + subject);
                if (std::find(duties.begin(), duties.end(), modal) != duties.end()) {
                    const bool bound = std::any_of(boundsAndPauses.begin(), boundsAndPauses.end(),
                        [&](const std::u32string& words) { return clause.compare(after, words.size(), words) == 0; });
                    if (after + 1 < clause.size() && clause[after] == U'不' && !bound)
                        return encode(clause.substr(at, modal.size() + 2));
                    for (const auto& word : needless) {
                        for (std::size_t found = clause.find(word, after); found != std::u32string::npos; found = clause.find(word, found + 1))
                            if (wordAt(clause, found, word))
                                return encode(clause.substr(at, found + word.size() - at));
                    }
                }
                if (at >= 2 && clause.compare(after, 2, clause, at - 2, 2) == 0)
                    return encode(clause.substr(at - 2, modal.size() + 4));
            }
        }
        for (const auto& shape : momentThenSequel)
            if (const std::size_t at = clause.find(shape); at != std::u32string::npos)
                return encode(clause.substr(at >= 2 ? at - 2 : 0, shape.size() + std::min<std::size_t>(at, 2)));
        for (const auto& verb : useVerbs)
            if (const std::size_t at = clause.find(verb); at != std::u32string::npos && at >= 2 && clause[at - 1] == U'用')
                return encode(clause.substr(at - 2, 2 + verb.size()));
        for (std::size_t i = 0; i + 4 <= clause.size(); ++i)
            if (clause[i] != clause[i + 1] && clause.compare(i, 2, clause, i + 2, 2) == 0)
                return encode(clause.substr(i, 4));
    }
    return {};
}

std::vector<std::size_t> BankReview::families(const std::vector<BankQuestion>& questions)
{
    std::vector<std::size_t> parent(questions.size());
    std::iota(parent.begin(), parent.end(), 0);
    // The smaller index becomes the root, so a family is named after its first question.
    const auto join = [&](std::size_t a, std::size_t b) {
        a = find(parent, a);
        b = find(parent, b);
        parent[std::max(a, b)] = std::min(a, b);
    };
    std::map<std::string, std::size_t> firstWithMedia;
    for (std::size_t q = 0; q < questions.size(); ++q) {
        if (questions[q].qncontype == "1" || questions[q].media.empty())
            continue;
        const auto [first, added] = firstWithMedia.emplace(questions[q].qncontype + "\t" + questions[q].media, q);
        if (!added)
            join(first->second, q);
    }
    for (std::size_t q = 0; q < questions.size(); ++q) {
        const QuestionFamily::Stem stem(questions[q].text);
        if (!isChoice(questions[q]) || !stem.isStem)
            continue;
        const auto options = optionList(questions[q]);
        for (std::size_t s = 0; s < questions.size(); ++s) {
            if (questions[s].qutype == "2" && stem.filledBy(questions[s].text, options))
                join(q, s);
        }
    }
    std::vector<std::size_t> family(questions.size());
    for (std::size_t q = 0; q < questions.size(); ++q)
        family[q] = find(parent, q);
    return family;
}

std::vector<std::size_t> BankReview::studyOrder(const std::vector<BankQuestion>& questions)
{
    const auto family = families(questions);
    std::map<std::size_t, std::size_t> familySize;
    for (std::size_t head : family)
        ++familySize[head];
    std::vector<std::string> chapters;
    for (const auto& question : questions)
        if (std::find(chapters.begin(), chapters.end(), chapterOf(question)) == chapters.end())
            chapters.push_back(chapterOf(question));
    std::vector<std::size_t> order;
    for (const auto& chapter : chapters) {
        // Each family's members in this chapter, the families in the order of their first member.
        std::vector<std::size_t> firsts;
        std::map<std::size_t, std::vector<std::size_t>> later;
        std::set<std::size_t> seen;
        for (std::size_t i = 0; i < questions.size(); ++i) {
            if (chapterOf(questions[i]) != chapter)
                continue;
            if (seen.insert(family[i]).second)
                firsts.push_back(i);
            else
                later[family[i]].push_back(i);
        }
        // Families with later members lead, the largest first, so that each round of later members
        // holds the families that go on into the next at its front: a family then meets its next
        // member after every family of its round. The questions alone fill in before the rounds
        // where few families are left, so that no round comes too soon after the one before.
        const auto laterCount = [&](std::size_t first) {
            const auto found = later.find(family[first]);
            return found == later.end() ? std::size_t(0) : found->second.size();
        };
        std::stable_sort(firsts.begin(), firsts.end(), [&](std::size_t a, std::size_t b) { return laterCount(a) > laterCount(b); });
        const auto firstAlone = std::find_if(firsts.begin(), firsts.end(), [&](std::size_t first) { return laterCount(first) == 0; });
        const std::vector<std::size_t> leading(firsts.begin(), firstAlone);
        // A question alone here whose family has members in other chapters stands mid-chapter,
        // away from the chapters before and after.
        std::vector<std::size_t> alone;
        std::vector<std::size_t> related;
        for (auto first = firstAlone; first != firsts.end(); ++first)
            (familySize[family[*first]] > 1 ? related : alone).push_back(*first);
        alone.insert(alone.begin() + std::ptrdiff_t(alone.size() / 2), related.begin(), related.end());
        const std::size_t rounds = leading.empty() ? 0 : laterCount(leading.front());
        // Between a family's member in one round and the next stand the families of that round
        // (the leading ones before round 0) and the questions alone given to the next round.
        std::vector<std::size_t> gap(rounds, 0);
        for (std::size_t round = 0; round < rounds; ++round)
            gap[round] = std::size_t(std::count_if(leading.begin(), leading.end(), [&](std::size_t first) { return laterCount(first) >= round; }));
        std::vector<std::size_t> filler(rounds, 0);
        for (std::size_t n = 0; n < alone.size() && rounds > 0; ++n) {
            const auto least = std::size_t(std::min_element(gap.begin(), gap.end()) - gap.begin());
            ++filler[least];
            ++gap[least];
        }
        order.insert(order.end(), leading.begin(), leading.end());
        auto nextAlone = alone.begin();
        for (std::size_t round = 0; round < rounds; ++round) {
            order.insert(order.end(), nextAlone, nextAlone + std::ptrdiff_t(filler[round]));
            nextAlone += std::ptrdiff_t(filler[round]);
            for (std::size_t first : leading) {
                const auto found = later.find(family[first]);
                if (found == later.end() || round >= found->second.size())
                    continue;
                const auto& members = found->second;
                order.push_back(members[(round + mix(questions[first].id)) % members.size()]);
            }
        }
        order.insert(order.end(), nextAlone, alone.end());
    }
    return order;
}

std::size_t BankReview::closestFamilyMembers(const std::vector<BankQuestion>& questions, const std::vector<std::size_t>& order,
    std::pair<std::size_t, std::size_t>* pair)
{
    const auto family = families(questions);
    // Each family's places in its subject's sequence, with the question at each.
    std::map<std::pair<std::string, std::size_t>, std::vector<std::pair<std::size_t, std::size_t>>> places;
    std::map<std::string, std::size_t> sequenceLength;
    for (std::size_t index : order) {
        const std::string& subject = questions[index].subject;
        places[{ subject, family[index] }].emplace_back(sequenceLength[subject]++, index);
    }
    std::size_t closest = std::numeric_limits<std::size_t>::max();
    for (const auto& [key, members] : places) {
        for (std::size_t k = 1; k < members.size(); ++k) {
            if (members[k].first - members[k - 1].first >= closest)
                continue;
            closest = members[k].first - members[k - 1].first;
            if (pair)
                *pair = { members[k - 1].second, members[k].second };
        }
    }
    return closest;
}

std::vector<std::string> BankReview::idProblems(const std::vector<BankQuestion>& questions, const IdLedger& ledger)
{
    std::vector<std::string> problems;
    std::set<std::string> inBank;
    for (const auto& q : questions) {
        inBank.insert(q.id);
        const auto last = ledger.lastIssued.find(chapterOf(q));
        if (ledger.retired.contains(q.id))
            problems.push_back(q.origin + ": id " + q.id + " is retired; its removed question's marks would land on this one");
        else if (last == ledger.lastIssued.end() || q.id > last->second)
            problems.push_back(q.origin + ": id " + q.id + " is beyond the last id issued in " + chapterOf(q) + "; move that on when adding");
    }
    for (const auto& [chapter, last] : ledger.lastIssued) {
        if (last.size() != 7)
            continue;
        const int count = std::atoi(last.c_str() + 3);
        for (int number = 1; number <= count; ++number) {
            const std::string digits = std::to_string(number);
            const std::string id = last.substr(0, 3) + std::string(4 - std::min<std::size_t>(4, digits.size()), '0') + digits;
            if (!inBank.contains(id) && !ledger.retired.contains(id))
                problems.push_back("id " + id + " of " + chapter + " is neither in the bank nor retired: a removed question's id is retired");
        }
    }
    return problems;
}

std::vector<std::string> BankReview::review(const std::vector<BankQuestion>& questions, const std::vector<std::size_t>& order, const IdLedger& ledger,
    std::size_t* distinctItems)
{
    std::vector<std::string> problems = idProblems(questions, ledger);
    for (const auto& q : questions) {
        for (const std::string* sentence : { &q.text, &q.options[0], &q.options[1], &q.options[2], &q.options[3], &q.describe }) {
            if (const std::string faulty = faultyWords(*sentence); !faulty.empty())
                problems.push_back(q.origin + ": faulty words \"" + faulty + "\" in \"" + *sentence + "\"");
        }
    }
    std::pair<std::size_t, std::size_t> pair;
    if (const std::size_t closest = closestFamilyMembers(questions, order, &pair); closest < kLeastApart) {
        problems.push_back(questions[pair.first].id + " and " + questions[pair.second].id
            + " are of one family (a question and a statement made from it, or two about one picture or clip) and stand " + std::to_string(closest)
            + " apart in study order, at least " + std::to_string(kLeastApart) + " wanted");
    }

    const auto groups = itemGroups(questions);
    const std::size_t distinct = groups.empty() ? 0 : *std::max_element(groups.begin(), groups.end()) + 1;
    if (distinctItems)
        *distinctItems = distinct;
    if (distinct < kLeastDistinctItems)
        problems.push_back(std::to_string(distinct) + " distinct items, at least " + std::to_string(kLeastDistinctItems) + " wanted");
    std::map<std::string, std::set<std::size_t>> rowItems;
    for (std::size_t i = 0; i < questions.size(); ++i)
        rowItems[chapterOf(questions[i]) + " kind " + questions[i].qutype].insert(groups[i]);
    // The largest count any blueprint asks of a chapter and kind.
    std::map<std::string, int> wanted;
    const auto ask = [&](const std::string& subject, const auto& rows) {
        for (const auto& row : rows) {
            int& count = wanted[subject + "-" + row.chapter + " kind " + row.kind];
            count = std::max(count, row.count);
        }
    };
    std::set<std::string> subjects;
    for (const auto& q : questions)
        subjects.insert(q.subject);
    for (const auto& subject : subjects) {
        if (subject == "3") {
            ask(subject, PaperBlueprints::kPracticeSubjectThree);
            ask(subject, PaperBlueprints::kExamSubjectThree);
        } else {
            ask(subject, PaperBlueprints::kSubjectsOneAndTwo);
        }
    }
    for (const auto& [key, count] : wanted) {
        const std::size_t found = rowItems[key].size();
        if (found < std::size_t(kPapersPerRow * count)) {
            problems.push_back(key + ": " + std::to_string(found) + " distinct items for a row of " + std::to_string(count) + ", at least "
                + std::to_string(kPapersPerRow * count) + " wanted");
        }
    }
    return problems;
}
