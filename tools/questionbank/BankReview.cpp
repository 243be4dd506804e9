#include "tools/questionbank/BankReview.h"

#include "app/theory/QuestionFamily.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <map>
#include <numeric>
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

std::string BankReview::doubledWords(const std::string& sentence)
{
    static const std::u32string breaks = U"，。；：！？,.;:!?“”\"";
    static const std::array<std::u32string, 7> modals { U"应当", U"应该", U"必须", U"只能", U"不得", U"不要", U"不能" };
    static const std::array<std::u32string, 7> nextToModal { U"应当", U"应该", U"必须", U"只能", U"只有", U"不要", U"不得" };
    const std::u32string text = decode(sentence);
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
                        if (clause.compare(after + gap, next.size(), next) == 0)
                            return encode(clause.substr(at, after + gap + next.size() - at));
                }
                if (at >= 2 && clause.compare(after, 2, clause, at - 2, 2) == 0)
                    return encode(clause.substr(at - 2, modal.size() + 4));
            }
        }
        for (std::size_t i = 0; i + 4 <= clause.size(); ++i)
            if (clause[i] != clause[i + 1] && clause.compare(i, 2, clause, i + 2, 2) == 0)
                return encode(clause.substr(i, 4));
    }
    return {};
}

std::vector<std::size_t> BankReview::families(const std::vector<BankQuestion>& questions)
{
    std::vector<std::size_t> family(questions.size());
    std::iota(family.begin(), family.end(), 0);
    for (std::size_t q = 0; q < questions.size(); ++q) {
        const QuestionFamily::Stem stem(questions[q].text);
        if (!isChoice(questions[q]) || !stem.isStem)
            continue;
        const auto options = optionList(questions[q]);
        for (std::size_t s = 0; s < questions.size(); ++s) {
            if (questions[s].qutype == "2" && family[s] == s && chapterOf(questions[s]) == chapterOf(questions[q])
                && stem.filledBy(questions[s].text, options))
                family[s] = q;
        }
    }
    return family;
}

std::vector<std::size_t> BankReview::studyOrder(const std::vector<BankQuestion>& questions)
{
    const auto family = families(questions);
    std::vector<std::string> chapters;
    for (const auto& question : questions)
        if (std::find(chapters.begin(), chapters.end(), chapterOf(question)) == chapters.end())
            chapters.push_back(chapterOf(question));
    std::vector<std::size_t> order;
    for (const auto& chapter : chapters) {
        std::map<std::size_t, std::vector<std::size_t>> statements;
        std::vector<std::size_t> heads;
        for (std::size_t i = 0; i < questions.size(); ++i) {
            if (chapterOf(questions[i]) != chapter)
                continue;
            if (family[i] == i) {
                order.push_back(i);
                heads.push_back(i);
            } else {
                statements[family[i]].push_back(i);
            }
        }
        for (std::size_t round = 0;; ++round) {
            bool any = false;
            for (std::size_t head : heads) {
                const auto found = statements.find(head);
                if (found == statements.end() || round >= found->second.size())
                    continue;
                const auto& members = found->second;
                order.push_back(members[(round + mix(questions[head].id)) % members.size()]);
                any = true;
            }
            if (!any)
                break;
        }
    }
    return order;
}

std::size_t BankReview::closestFamilyMembers(const std::vector<BankQuestion>& questions, const std::vector<std::size_t>& order)
{
    const auto family = families(questions);
    std::map<std::size_t, std::vector<std::size_t>> places;
    for (std::size_t place = 0; place < order.size(); ++place)
        places[family[order[place]]].push_back(place);
    std::size_t closest = std::numeric_limits<std::size_t>::max();
    for (auto& [head, members] : places) {
        std::sort(members.begin(), members.end());
        for (std::size_t k = 1; k < members.size(); ++k)
            closest = std::min(closest, members[k] - members[k - 1]);
    }
    return closest;
}
