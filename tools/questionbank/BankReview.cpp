#include "tools/questionbank/BankReview.h"

#include "app/theory/PaperBlueprints.h"
#include "app/theory/QuestionFamily.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <map>
#include <numeric>
#include <iterator>
#include <random>
#include <set>
#include <tuple>
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

// A kind in words, as its practice list is named.
std::string kindInWords(const std::string& qutype)
{
    static const std::map<std::string, std::string> kinds { { "0", "single choice" }, { "1", "multiple choice" }, { "2", "true/false" } };
    const auto found = kinds.find(qutype);
    return found == kinds.end() ? "kind " + qutype : found->second;
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

// Chapter by chapter, each family's members spread over the chapter (see studyOrder).
std::vector<std::size_t> chapterOrder(const std::vector<BankQuestion>& questions, const std::vector<std::size_t>& family)
{
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

std::vector<std::size_t> BankReview::families(const std::vector<BankQuestion>& questions, const Joins& joins)
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
    std::map<std::string, std::size_t> indexOf;
    for (std::size_t q = 0; q < questions.size(); ++q)
        indexOf.emplace(questions[q].id, q);
    for (const auto& [first, second] : joins) {
        const auto a = indexOf.find(first);
        const auto b = indexOf.find(second);
        if (a != indexOf.end() && b != indexOf.end())
            join(a->second, b->second);
    }
    std::vector<std::size_t> family(questions.size());
    for (std::size_t q = 0; q < questions.size(); ++q)
        family[q] = find(parent, q);
    return family;
}

namespace {

// Punctuation does not make a statement another.
std::u32string bare(const std::u32string& text)
{
    static const std::u32string punctuation = U"，。；：、！？“”‘’\"',.;:!? 　";
    std::u32string kept;
    for (char32_t c : text)
        if (punctuation.find(c) == std::u32string::npos)
            kept += c;
    return kept;
}

bool isSaying(const BankQuestion& question)
{
    return isChoice(question) && (question.text.find("下列说法") != std::string::npos || question.text.find("以下说法") != std::string::npos);
}

// The statements an explanation names: the quoted ones and the one after "正确说法：".
std::vector<std::u32string> namedStatements(const std::string& explanation)
{
    const std::u32string text = BankReview::decode(explanation);
    std::vector<std::u32string> named;
    for (std::size_t open = text.find(U'“'); open != std::u32string::npos; open = text.find(U'“', open + 1)) {
        const std::size_t close = text.find(U'”', open + 1);
        if (close == std::u32string::npos)
            break;
        named.push_back(bare(text.substr(open + 1, close - open - 1)));
    }
    static const std::u32string rightOne = U"正确说法：";
    if (const std::size_t at = text.find(rightOne); at != std::u32string::npos) {
        const std::size_t from = at + rightOne.size();
        const std::size_t end = text.find(U'。', from);
        named.push_back(bare(text.substr(from, end == std::u32string::npos ? std::u32string::npos : end - from)));
    }
    return named;
}

// One stretch changed, short enough for a number, a word or a negation, in a statement long enough
// to be one: "实习期为12个月" and "实习期为6个月", "不得使用" and "可以使用".
bool nearlySame(const std::u32string& a, const std::u32string& b)
{
    constexpr std::size_t kChanged = 6;
    constexpr std::size_t kKept = 8;
    if (a == b)
        return !a.empty();
    const std::size_t shorter = std::min(a.size(), b.size());
    std::size_t prefix = 0;
    while (prefix < shorter && a[prefix] == b[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < shorter - prefix && a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
        ++suffix;
    return prefix + suffix >= kKept && a.size() - prefix - suffix <= kChanged && b.size() - prefix - suffix <= kChanged;
}

// The places of slack a family keeps, beyond one for each family as pressed in its list: 0, 1,
// 3, 7, … are tried in turn until an order fits, as the least moves the fewest questions from the
// chapter's own order.
constexpr long long kMostSlackKept = 31;

// The lists a question stands in: its subject's sequence, its kind's and its content's.
std::array<std::string, 3> listsOf(const BankQuestion& question)
{
    return { "sequence", "kind " + question.qutype, "content " + question.qncontype };
}

// The questions giving each question away, in order.
std::vector<std::vector<std::size_t>> partnersOf(std::size_t count, const BankReview::Pairs& giveAways)
{
    std::vector<std::vector<std::size_t>> partners(count);
    for (const auto& [a, b] : giveAways) {
        partners[a].push_back(b);
        partners[b].push_back(a);
    }
    for (auto& of : partners)
        std::sort(of.begin(), of.end());
    return partners;
}

// How many questions `inPart` takes of `a`, `b` and those giving both of them away: each of
// those wants to stand apart from both, so a list made of such groups could put `a` and `b` no
// further apart than its length ÷ the group.
template <class InPart>
std::size_t giveAwayGroup(std::size_t a, std::size_t b, const std::vector<std::vector<std::size_t>>& partners, const InPart& inPart)
{
    std::vector<std::size_t> common;
    std::set_intersection(partners[a].begin(), partners[a].end(), partners[b].begin(), partners[b].end(), std::back_inserter(common));
    return 2 + std::size_t(std::count_if(common.begin(), common.end(), inPart));
}

// One chapter's questions as they are spread, by their places in its base order: the lists each
// stands in, a family's members within one list (a slot), the questions giving each away and how
// far apart each pair is wanted in each list they share (0 for none). A slot or question with
// kin in the subject's earlier chapters holds how many places of its list stand between the last
// of them and the chapter (none without), and how far apart it wants them, as far as the whole list
// allows.
struct ChapterLists {
    struct Partner {
        std::size_t other;
        std::array<std::size_t, 3> wanted;
        std::array<std::size_t, 3> aimed;
    };
    std::vector<std::array<std::size_t, 3>> lists;
    std::vector<std::size_t> length;
    std::vector<std::array<std::size_t, 3>> slots;
    std::vector<std::size_t> slotList;
    std::vector<std::size_t> members;
    std::vector<std::size_t> wanted;
    std::vector<std::vector<Partner>> partnersOf;
    std::vector<std::size_t> behind;
    std::vector<std::size_t> wantedBehind;
    std::vector<std::array<std::size_t, 3>> partnerBehind;
    std::vector<std::size_t> partnerWantedBehind;
};

// What is wanted of one subject's lists as a whole: each list's length and each family's members there.
struct SubjectLists {
    std::map<std::string, std::size_t> length;
    std::map<std::pair<std::size_t, std::string>, std::size_t> members;
};

ChapterLists chapterLists(const std::vector<BankQuestion>& questions, const std::vector<std::size_t>& base, const std::vector<std::size_t>& family,
    const std::vector<std::vector<std::size_t>>& partners, const std::vector<std::size_t>& earlier, const SubjectLists& subject)
{
    constexpr std::size_t none = std::numeric_limits<std::size_t>::max();
    const std::size_t count = base.size();
    ChapterLists chapter;
    std::vector<std::string> listNames { "sequence" };
    std::map<std::string, std::size_t> listIds { { "sequence", 0 } };
    for (std::size_t i = 0; i < count; ++i) {
        const auto names = listsOf(questions[base[i]]);
        auto& in = chapter.lists.emplace_back();
        for (std::size_t k = 0; k < 3; ++k) {
            const auto [id, added] = listIds.emplace(names[k], listIds.size());
            if (added)
                listNames.push_back(names[k]);
            in[k] = id->second;
        }
    }
    chapter.length.assign(listIds.size(), 0);
    for (const auto& in : chapter.lists)
        for (std::size_t list : in)
            ++chapter.length[list];
    std::map<std::pair<std::size_t, std::size_t>, std::size_t> slotIds;
    std::vector<std::size_t> slotFamily;
    for (std::size_t i = 0; i < count; ++i) {
        auto& in = chapter.slots.emplace_back();
        for (std::size_t k = 0; k < 3; ++k) {
            const auto [slot, added] = slotIds.emplace(std::make_pair(family[base[i]], chapter.lists[i][k]), slotIds.size());
            if (added) {
                chapter.slotList.push_back(chapter.lists[i][k]);
                slotFamily.push_back(family[base[i]]);
                chapter.members.push_back(0);
            }
            in[k] = slot->second;
            ++chapter.members[slot->second];
        }
    }
    for (std::size_t slot = 0; slot < chapter.members.size(); ++slot)
        chapter.wanted.push_back(BankReview::wantedApart(BankReview::kLeastApart, chapter.length[chapter.slotList[slot]], chapter.members[slot]));

    std::map<std::size_t, std::size_t> local;
    for (std::size_t i = 0; i < count; ++i)
        local.emplace(base[i], i);
    std::vector<std::vector<std::size_t>> localPartners(count);
    for (std::size_t i = 0; i < count; ++i) {
        for (std::size_t other : partners[base[i]])
            if (const auto found = local.find(other); found != local.end())
                localPartners[i].push_back(found->second);
        std::sort(localPartners[i].begin(), localPartners[i].end());
    }
    chapter.partnersOf.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        for (std::size_t other : localPartners[i]) {
            ChapterLists::Partner partner { other, {}, {} };
            for (std::size_t k = 0; k < 3; ++k) {
                const std::size_t list = chapter.lists[i][k];
                if (chapter.lists[other][k] != list)
                    continue;
                const std::size_t group = giveAwayGroup(i, other, localPartners, [&](std::size_t x) { return chapter.lists[x][k] == list; });
                partner.wanted[k] = BankReview::wantedApart(BankReview::kGiveAwayApart, chapter.length[list], group);
                partner.aimed[k] = BankReview::wantedApart(BankReview::kGiveAwayApart, chapter.length[list], 2);
            }
            chapter.partnersOf[i].push_back(partner);
        }
    }

    // The earlier chapters' kin: their last places in each list, counted back from the chapter.
    std::map<std::string, std::size_t> placed;
    std::map<std::pair<std::size_t, std::string>, std::size_t> lastOfFamily;
    std::map<std::size_t, std::array<std::size_t, 3>> placeOf;
    for (std::size_t index : earlier) {
        const auto names = listsOf(questions[index]);
        auto& at = placeOf[index];
        for (std::size_t k = 0; k < 3; ++k) {
            at[k] = placed[names[k]]++;
            lastOfFamily[{ family[index], names[k] }] = at[k];
        }
    }
    for (std::size_t slot = 0; slot < chapter.members.size(); ++slot) {
        const std::string& name = listNames[chapter.slotList[slot]];
        const auto last = lastOfFamily.find({ slotFamily[slot], name });
        chapter.behind.push_back(last == lastOfFamily.end() ? none : placed[name] - last->second);
        const auto inList = subject.members.find({ slotFamily[slot], name });
        chapter.wantedBehind.push_back(
            BankReview::wantedApart(BankReview::kLeastApart, subject.length.at(name), inList == subject.members.end() ? 1 : inList->second));
    }
    for (std::size_t list = 0; list < listNames.size(); ++list)
        chapter.partnerWantedBehind.push_back(BankReview::wantedApart(BankReview::kGiveAwayApart, subject.length.at(listNames[list]), 2));
    for (std::size_t i = 0; i < count; ++i) {
        auto& closest = chapter.partnerBehind.emplace_back();
        closest.fill(none);
        const auto names = listsOf(questions[base[i]]);
        for (std::size_t other : partners[base[i]]) {
            const auto found = placeOf.find(other);
            for (std::size_t k = 0; k < 3 && found != placeOf.end(); ++k)
                if (listsOf(questions[other])[k] == names[k])
                    closest[k] = std::min(closest[k], placed[names[k]] - found->second[k]);
        }
    }
    return chapter;
}

// The chapter's questions rearranged, by their places in its base order, so that no question
// stands closer than wanted to its family or to one giving it away in the sequence or in its lists
// by kind and by content. At every place the first question of the base order that fits is taken,
// unless a family is running out of room in one of its lists; where none fits, the one falling
// least short.
std::vector<std::size_t> spreadOut(const ChapterLists& chapter, long long slackKept)
{
    constexpr std::size_t none = std::numeric_limits<std::size_t>::max();
    const std::size_t count = chapter.lists.size();
    const auto& lists = chapter.lists;
    const auto& length = chapter.length;
    const auto& slots = chapter.slots;
    const auto& slotList = chapter.slotList;
    const auto& wanted = chapter.wanted;
    std::vector<std::size_t> remaining = chapter.members;
    std::vector<std::size_t> placed(length.size(), 0);
    std::vector<std::size_t> last(remaining.size(), none);
    std::vector<std::array<std::size_t, 3>> place(count, { none, none, none });
    std::vector<std::size_t> order;
    std::vector<long long> slack(remaining.size());
    std::vector<bool> urgent(remaining.size());
    std::vector<std::vector<std::size_t>> slotsOfList(length.size());
    for (std::size_t slot = 0; slot < slotList.size(); ++slot)
        slotsOfList[slotList[slot]].push_back(slot);
    while (order.size() < count) {
        // A family's slack in a list: the places its next member may wait there before the rest
        // no longer fit. A family is urgent when fewer places are left than families as pressed.
        for (std::size_t list = 0; list < length.size(); ++list) {
            std::vector<std::size_t> bound;
            std::vector<long long> pressed;
            for (std::size_t slot : slotsOfList[list]) {
                urgent[slot] = false;
                // A question alone in the list, or a family's only member left with none placed, has no room to run out of.
                if (remaining[slot] == 0 || (remaining[slot] == 1 && last[slot] == none))
                    continue;
                const std::size_t earliest = last[slot] == none ? placed[list] : std::max(placed[list], last[slot] + wanted[slot]);
                slack[slot] = static_cast<long long>(length[list]) - 1 - static_cast<long long>(earliest + (remaining[slot] - 1) * wanted[slot]);
                bound.push_back(slot);
                pressed.push_back(slack[slot]);
            }
            std::sort(pressed.begin(), pressed.end());
            for (std::size_t slot : bound) {
                const auto asPressed = std::upper_bound(pressed.begin(), pressed.end(), slack[slot]) - pressed.begin();
                urgent[slot] = slack[slot] < asPressed + slackKept;
            }
        }
        std::size_t best = none;
        std::tuple<std::size_t, long long, std::size_t> bestKey;
        for (std::size_t i = 0; i < count; ++i) {
            if (place[i][0] != none)
                continue;
            std::size_t shortfall = 0;
            long long urgency = std::numeric_limits<long long>::max();
            for (std::size_t k = 0; k < 3; ++k) {
                const std::size_t slot = slots[i][k];
                if (last[slot] != none)
                    shortfall += wanted[slot] - std::min(wanted[slot], placed[lists[i][k]] - last[slot]);
                if (urgent[slot])
                    urgency = std::min(urgency, slack[slot]);
            }
            for (const auto& partner : chapter.partnersOf[i]) {
                for (std::size_t k = 0; k < 3 && place[partner.other][0] != none; ++k)
                    shortfall += partner.wanted[k] - std::min(partner.wanted[k], placed[lists[i][k]] - place[partner.other][k]);
            }
            const std::tuple<std::size_t, long long, std::size_t> key { shortfall, urgency, i };
            if (best == none || key < bestKey) {
                best = i;
                bestKey = key;
            }
        }
        for (std::size_t k = 0; k < 3; ++k) {
            place[best][k] = placed[lists[best][k]]++;
            last[slots[best][k]] = place[best][k];
            --remaining[slots[best][k]];
        }
        order.push_back(best);
    }
    return order;
}

// What shortfall counts with, its room kept from one call to the next: the search asks it for
// every change it tries.
struct Shortfall {
    std::vector<std::size_t> blame;
    std::vector<std::size_t> placed;
    std::vector<std::size_t> last;
    std::vector<std::size_t> at;
    std::vector<std::array<std::size_t, 3>> place;
};

// How far short of wanted the chapter's questions stand in `order` (by their places in its base
// order), over every family's neighbours and every give-away pair in every list; `counted.blame`
// receives each question's share. `aiming` counts instead how far short of kGiveAwayApart the
// give-away pairs held to less stand, so that they are spread as far as the rest allows, and
// answers SIZE_MAX for an order short of wanted.
std::size_t shortfall(const ChapterLists& chapter, const std::vector<std::size_t>& order, Shortfall& counted, bool aiming = false)
{
    constexpr std::size_t none = std::numeric_limits<std::size_t>::max();
    auto& blame = counted.blame;
    auto& placed = counted.placed;
    auto& last = counted.last;
    auto& at = counted.at;
    auto& place = counted.place;
    placed.assign(chapter.length.size(), 0);
    last.assign(chapter.members.size(), none);
    at.assign(chapter.members.size(), none);
    place.resize(order.size());
    blame.assign(order.size(), 0);
    std::size_t total = 0;
    std::size_t aimedTotal = 0;
    const auto add = [&](std::size_t a, std::size_t b, std::size_t wanted, std::size_t apart, std::size_t aimed = 0) {
        const std::size_t missing = wanted - std::min(wanted, apart);
        const std::size_t missingAimed = aimed - std::min(aimed, apart);
        blame[a] += aiming ? missingAimed : missing;
        blame[b] += aiming ? missingAimed : missing;
        total += missing;
        aimedTotal += missingAimed;
    };
    for (std::size_t i : order) {
        for (std::size_t k = 0; k < 3; ++k) {
            const std::size_t slot = chapter.slots[i][k];
            place[i][k] = placed[chapter.lists[i][k]]++;
            if (last[slot] != none)
                add(at[slot], i, chapter.wanted[slot], place[i][k] - last[slot]);
            else if (chapter.behind[slot] != none)
                add(i, i, chapter.wantedBehind[slot], chapter.behind[slot] + place[i][k]);
            if (chapter.partnerBehind[i][k] != none)
                add(i, i, chapter.partnerWantedBehind[chapter.lists[i][k]], chapter.partnerBehind[i][k] + place[i][k]);
            last[slot] = place[i][k];
            at[slot] = i;
        }
    }
    for (std::size_t i = 0; i < order.size(); ++i) {
        for (const auto& partner : chapter.partnersOf[i]) {
            const std::size_t other = partner.other;
            for (std::size_t k = 0; k < 3 && other > i; ++k)
                add(i, other, partner.wanted[k], place[i][k] > place[other][k] ? place[i][k] - place[other][k] : place[other][k] - place[i][k], partner.aimed[k]);
        }
    }
    if (aiming)
        return total > 0 ? std::numeric_limits<std::size_t>::max() : aimedTotal;
    return total;
}

// Where the spread order still falls short, questions that fall short trade places with others,
// or move, until the chapter has what is wanted: a chapter holds its questions alone, so what the
// first free place took early cannot be made up at the end. A change for the worse is taken now
// and then, less often as the search goes on, so that it does not stop where no single change
// helps; the search draws from a fixed seed, so every build settles the same way. `aiming`
// settles what shortfall counts so, never leaving what is wanted.
void settle(const ChapterLists& chapter, std::vector<std::size_t>& order, bool aiming, std::size_t changesPerQuestion, std::size_t searches)
{
    constexpr double kFirstTemperature = 2.0;
    Shortfall counted;
    Shortfall tried;
    std::size_t total = shortfall(chapter, order, counted, aiming);
    std::vector<std::size_t> best = order;
    std::size_t bestTotal = total;
    std::mt19937 draw(20260101);
    const std::size_t count = order.size();
    const std::size_t changes = changesPerQuestion * count;
    for (std::size_t step = 0; step < searches * changes && bestTotal > 0 && count > 1; ++step) {
        if (step % changes == 0 && step > 0) {
            order = best;
            total = shortfall(chapter, order, counted, aiming);
        }
        std::size_t from = draw() % count;
        for (std::size_t look = 0; look < count && counted.blame[order[from]] == 0; ++look)
            from = (from + 1) % count;
        const std::size_t to = draw() % count;
        if (to == from)
            continue;
        // A swap, or a move of one question to another place, which the same rotation undoes backwards.
        const bool swap = draw() % 2;
        const auto first = order.begin() + std::ptrdiff_t(std::min(from, to));
        const auto last = order.begin() + std::ptrdiff_t(std::max(from, to)) + 1;
        const auto change = [&](bool undo) {
            if (swap)
                std::swap(order[from], order[to]);
            else if ((from < to) != undo)
                std::rotate(first, first + 1, last);
            else
                std::rotate(first, last - 1, last);
        };
        change(false);
        const std::size_t after = shortfall(chapter, order, tried, aiming);
        const double temperature = kFirstTemperature * (1.0 - double(step % changes) / double(changes));
        const bool taken = after <= total
            || double(draw()) / double(std::mt19937::max()) < std::exp(-double(after - total) / std::max(temperature, 1e-3));
        if (!taken) {
            change(true);
            continue;
        }
        std::swap(counted, tried);
        total = after;
        if (total < bestTotal) {
            bestTotal = total;
            best = order;
        }
    }
    order = std::move(best);
}

} // namespace

BankReview::Pairs BankReview::giveAways(const std::vector<BankQuestion>& questions)
{
    struct Statements {
        std::vector<std::u32string> made;
        std::vector<std::u32string> named;
    };
    std::vector<Statements> of(questions.size());
    std::vector<std::size_t> candidates;
    for (std::size_t q = 0; q < questions.size(); ++q) {
        if (questions[q].qutype == "2") {
            of[q].made.push_back(bare(decode(questions[q].text)));
        } else if (isSaying(questions[q])) {
            for (const auto& option : questions[q].options)
                if (!option.empty())
                    of[q].made.push_back(bare(decode(option)));
            of[q].named = namedStatements(questions[q].describe);
        } else {
            continue;
        }
        candidates.push_back(q);
    }
    const auto contains = [](const std::vector<std::u32string>& statements, const std::u32string& statement) {
        return std::find(statements.begin(), statements.end(), statement) != statements.end();
    };
    Pairs pairs;
    for (std::size_t m = 0; m < candidates.size(); ++m) {
        for (std::size_t n = m + 1; n < candidates.size(); ++n) {
            const std::size_t a = candidates[m];
            const std::size_t b = candidates[n];
            const bool aJudged = questions[a].qutype == "2";
            const bool bJudged = questions[b].qutype == "2";
            if (questions[a].subject != questions[b].subject || (aJudged && bJudged))
                continue;
            bool givesAway = false;
            if (aJudged || bJudged) {
                const std::u32string& stem = of[aJudged ? a : b].made.front();
                const Statements& saying = of[aJudged ? b : a];
                givesAway = contains(saying.made, stem)
                    || std::any_of(saying.named.begin(), saying.named.end(), [&](const std::u32string& named) { return nearlySame(stem, named); });
            } else {
                for (const auto& x : of[a].made)
                    for (const auto& y : of[b].made)
                        givesAway = givesAway || (nearlySame(x, y) && (contains(of[a].named, x) || contains(of[b].named, y)));
            }
            if (givesAway)
                pairs.emplace_back(a, b);
        }
    }
    return pairs;
}

bool BankReview::nearlySameStatement(const std::string& a, const std::string& b)
{
    return nearlySame(bare(decode(a)), bare(decode(b)));
}

std::vector<BankReview::PracticeList> BankReview::practiceLists(const std::vector<BankQuestion>& questions, const std::vector<std::size_t>& order)
{
    static const std::map<std::string, std::string> contents { { "0", "picture" }, { "1", "text" }, { "2", "clip" } };
    const auto named = [](const std::map<std::string, std::string>& names, const std::string& value) {
        const auto found = names.find(value);
        return found == names.end() ? "kind " + value : found->second;
    };
    std::vector<PracticeList> lists;
    std::map<std::string, std::size_t> at;
    for (std::size_t index : order) {
        const BankQuestion& q = questions[index];
        const std::string subject = "subject " + q.subject + " ";
        for (const std::string& name : { subject + "sequence practice", subject + kindInWords(q.qutype) + " practice",
                 subject + named(contents, q.qncontype) + " practice" }) {
            const auto [list, added] = at.emplace(name, lists.size());
            if (added)
                lists.push_back({ name, {} });
            lists[list->second].questions.push_back(index);
        }
    }
    return lists;
}

std::size_t BankReview::wantedApart(std::size_t least, std::size_t length, std::size_t members)
{
    return members < 2 ? least : std::min(least, length / members);
}

std::vector<std::string> BankReview::closeInPracticeLists(const std::vector<BankQuestion>& questions, const std::vector<std::size_t>& order,
    const std::vector<std::size_t>& family, const Pairs& giveAways)
{
    constexpr std::size_t none = std::numeric_limits<std::size_t>::max();
    std::vector<std::string> problems;
    const auto partners = partnersOf(questions.size(), giveAways);
    for (const auto& list : practiceLists(questions, order)) {
        const std::size_t length = list.questions.size();
        std::vector<std::size_t> place(questions.size(), none);
        std::map<std::size_t, std::vector<std::size_t>> members;
        std::map<std::string, std::size_t> chapterLength;
        std::map<std::pair<std::size_t, std::string>, std::size_t> chapterMembers;
        for (std::size_t k = 0; k < length; ++k) {
            const std::size_t index = list.questions[k];
            place[index] = k;
            members[family[index]].push_back(k);
            ++chapterLength[chapterOf(questions[index])];
            ++chapterMembers[{ family[index], chapterOf(questions[index]) }];
        }
        // The questions are spread within their chapter: two of one chapter stand as far apart as
        // the chapter's part of the list allows, two of different chapters as the list allows.
        const auto apartWanted = [&](std::size_t least, std::size_t a, std::size_t b, std::size_t inList, std::size_t inChapter) {
            const std::string chapter = chapterOf(questions[a]);
            return chapter == chapterOf(questions[b]) ? wantedApart(least, chapterLength[chapter], inChapter) : wantedApart(least, length, inList);
        };
        for (const auto& [head, places] : members) {
            for (std::size_t k = 1; k < places.size(); ++k) {
                const std::size_t a = list.questions[places[k - 1]];
                const std::size_t wanted = apartWanted(kLeastApart, a, list.questions[places[k]], places.size(), chapterMembers[{ head, chapterOf(questions[a]) }]);
                if (places[k] - places[k - 1] >= wanted)
                    continue;
                problems.push_back(questions[list.questions[places[k - 1]]].id + " and " + questions[list.questions[places[k]]].id
                    + " are of one family (a question and a statement made from it, two about one picture or clip, or a join) and stand "
                    + std::to_string(places[k] - places[k - 1]) + " apart in " + list.name + ", at least " + std::to_string(wanted) + " wanted");
            }
        }
        for (const auto& [a, b] : giveAways) {
            if (place[a] == none || place[b] == none)
                continue;
            const std::size_t apart = place[a] > place[b] ? place[a] - place[b] : place[b] - place[a];
            const std::string chapter = chapterOf(questions[a]);
            const std::size_t group = giveAwayGroup(a, b, partners, [&](std::size_t x) { return place[x] != none && chapterOf(questions[x]) == chapter; });
            if (const std::size_t wanted = apartWanted(kGiveAwayApart, a, b, 2, group); apart < wanted) {
                problems.push_back(questions[a].id + " and " + questions[b].id + " give each other's answer away and stand " + std::to_string(apart)
                    + " apart in " + list.name + ", at least " + std::to_string(wanted) + " wanted");
            }
        }
    }
    return problems;
}

std::vector<std::string> BankReview::scatteredChapters(const std::vector<BankQuestion>& questions, const std::vector<std::size_t>& order)
{
    std::vector<std::string> problems;
    std::map<std::string, std::string> chapterNow;
    std::map<std::string, std::size_t> lastOfChapter;
    std::set<std::string> reported;
    for (std::size_t index : order) {
        const BankQuestion& q = questions[index];
        const std::string chapter = chapterOf(q);
        if (std::string& now = chapterNow[q.subject]; now != chapter) {
            const auto left = lastOfChapter.find(chapter);
            if (left != lastOfChapter.end() && reported.insert(chapter).second) {
                problems.push_back("subject " + q.subject + " sequence practice leaves chapter " + chapter + " after " + questions[left->second].id
                    + " and comes back to it at " + q.id + ": it is the learner's way through the bank chapter by chapter");
            }
            now = chapter;
        }
        lastOfChapter[chapter] = index;
    }
    return problems;
}

std::vector<std::size_t> BankReview::studyOrder(const std::vector<BankQuestion>& questions, const Joins& joins)
{
    const auto family = families(questions, joins);
    const auto partners = partnersOf(questions.size(), giveAways(questions));
    const auto chapterWise = chapterOrder(questions, family);
    std::map<std::string, SubjectLists> subjects;
    for (const auto& question : questions) {
        for (const auto& name : listsOf(question)) {
            SubjectLists& subject = subjects[question.subject];
            ++subject.length[name];
            ++subject.members[{ family[std::size_t(&question - questions.data())], name }];
        }
    }
    std::vector<std::size_t> order;
    // Sequence practice is the learner's only way through the bank by chapter: the questions are
    // spread within their chapter and never leave it.
    for (auto from = chapterWise.begin(); from != chapterWise.end();) {
        const auto to = std::find_if(from, chapterWise.end(), [&](std::size_t index) { return chapterOf(questions[index]) != chapterOf(questions[*from]); });
        const std::vector<std::size_t> own(from, to);
        from = to;
        const std::string& subject = questions[own.front()].subject;
        std::vector<std::size_t> earlier;
        std::copy_if(order.begin(), order.end(), std::back_inserter(earlier), [&](std::size_t index) { return questions[index].subject == subject; });
        const ChapterLists chapter = chapterLists(questions, own, family, partners, earlier, subjects[subject]);
        std::vector<std::size_t> spread;
        Shortfall counted;
        std::size_t least = std::numeric_limits<std::size_t>::max();
        for (long long slackKept = 0; slackKept <= kMostSlackKept && least > 0; slackKept = 2 * slackKept + 1) {
            auto tried = spreadOut(chapter, slackKept);
            if (const std::size_t missing = shortfall(chapter, tried, counted); missing < least) {
                least = missing;
                spread = std::move(tried);
            }
        }
        // What the review asks first, then the give-away pairs it holds to less as far apart as that leaves room for.
        settle(chapter, spread, false, 2000, 2);
        settle(chapter, spread, true, 200, 1);
        for (std::size_t i : spread)
            order.push_back(own[i]);
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

std::string BankReview::askedBy(const BankQuestion& question)
{
    std::string asked = question.qutype + "\t" + question.text;
    for (const auto& option : question.options)
        asked += "\t" + option;
    return asked + "\t" + question.media;
}

std::vector<std::string> BankReview::askedProblems(const std::vector<BankQuestion>& questions, const IdLedger& ledger)
{
    // The kind in words, then what is asked.
    const auto shown = [](const std::string& asked) {
        const std::size_t tab = asked.find('\t');
        std::string words = tab == std::string::npos ? std::string() : asked.substr(tab + 1);
        std::replace(words.begin(), words.end(), '\t', '|');
        return kindInWords(asked.substr(0, tab)) + " \"" + words + "\"";
    };
    std::vector<std::string> problems;
    for (const auto& q : questions) {
        if (ledger.retired.contains(q.id))
            continue;
        const std::string record = "; if it is the question that id was issued for, reworded, record that with "
                                   "\"questionbank_build --record <bank folder> "
            + q.id + "\"";
        const auto found = ledger.asked.find(q.id);
        if (found == ledger.asked.end()) {
            problems.push_back(q.origin + ": what id " + q.id + " asks is not in asked.tsv: a new question's id is recorded there when issued" + record);
        } else if (found->second != askedBy(q)) {
            problems.push_back(q.origin + ": id " + q.id + " was issued for " + shown(found->second) + " and now asks " + shown(askedBy(q))
                + ": the marks of the question it was issued for would land on another; give another question a new id" + record);
        }
    }
    return problems;
}

std::vector<std::string> BankReview::review(const std::vector<BankQuestion>& questions, const std::vector<std::size_t>& order, const IdLedger& ledger,
    const Joins& joins, std::size_t* distinctItems)
{
    std::vector<std::string> problems = idProblems(questions, ledger);
    for (auto&& problem : askedProblems(questions, ledger))
        problems.push_back(std::move(problem));
    std::set<std::string> ids;
    for (const auto& q : questions)
        ids.insert(q.id);
    for (const auto& [first, second] : joins) {
        for (const std::string* id : { &first, &second })
            if (!ids.contains(*id))
                problems.push_back("families.tsv joins id " + *id + ", which is not in the bank");
    }
    for (const auto& q : questions) {
        for (const std::string* sentence : { &q.text, &q.options[0], &q.options[1], &q.options[2], &q.options[3], &q.describe }) {
            if (const std::string faulty = faultyWords(*sentence); !faulty.empty())
                problems.push_back(q.origin + ": faulty words \"" + faulty + "\" in \"" + *sentence + "\"");
        }
    }
    for (auto&& problem : scatteredChapters(questions, order))
        problems.push_back(std::move(problem));
    for (auto&& problem : closeInPracticeLists(questions, order, families(questions, joins), giveAways(questions)))
        problems.push_back(std::move(problem));
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
