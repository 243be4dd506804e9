// The delivered bank read as a learner would: no question twice, no faulty words, enough
// distinct items, no answer given away by a member of its family next to the question or on the
// same paper, the points each offence scores, a dashboard lamp explained by its own advice, and no
// retired id.
#include "app/theory/QuestionFamily.h"
#include "app/theory/QuestionPaper.h"
#include "tools/questionbank/BankReview.h"

#include "platform/foundation/NSBundle.h"
#include "platform/foundation/TypedValues.h"
#include "platform/graphics/CGBitmapContext.h"
#include "platform/graphics/CGContext.h"
#include "platform/uikit/UIImage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>

namespace {

// A question as the store hands it to a screen, in the form the bank's review reads.
BankQuestion learned(const std::shared_ptr<NSDictionary>& record)
{
    const auto text = [&](const char* key) { return std::string(ns::stringForKey(record, key).UTF8String()); };
    BankQuestion q;
    q.id = text("quid");
    q.subject = text("trsubject");
    q.chapter = text("examprojt");
    q.qutype = text("qutype");
    q.text = text("itemcontent");
    q.media = text("picurl") + text("videourl");
    q.answer = text("answer");
    q.describe = text("describe");
    const char* keys[] = { "chiocea", "chioceb", "chiocec", "chioced" };
    for (std::size_t i = 0; i < 4; ++i)
        q.options[i] = text(keys[i]);
    return q;
}

std::vector<BankQuestion> learnedList(const std::shared_ptr<NSArray>& records)
{
    std::vector<BankQuestion> list;
    for (NSUInteger i = 0; records && i < records->count(); ++i)
        list.push_back(learned(ns::dictionaryValue(records->objectAtIndex(i))));
    return list;
}

// Seeing one gives the other's answer away: a statement made from a fill-in question, or two
// questions about one picture or clip.
bool sameFamily(const BankQuestion& a, const BankQuestion& b)
{
    const auto madeFrom = [](const BankQuestion& statement, const BankQuestion& question) {
        return statement.qutype == "2" && question.qutype != "2"
            && QuestionFamily::isStatementOf(statement.text, question.text, { question.options, question.options + 4 });
    };
    return madeFrom(a, b) || madeFrom(b, a) || (!a.media.empty() && a.media == b.media);
}

// The points an offence scores under the rules in force (the 12, 9, 6, 3 and 1 point lists).
const std::map<std::string, int> kPoints {
    { "饮酒后驾驶机动车", 12 },
    { "造成致人轻伤以上或者死亡的交通事故后逃逸，尚不构成犯罪", 12 },
    { "使用伪造、变造的机动车号牌、行驶证、驾驶证", 12 },
    { "驾驶机动车在高速公路或者城市快速路上倒车、逆行、穿越中央分隔带掉头", 12 },
    { "驾驶与准驾车型不符的机动车", 9 },
    { "驾驶机动车在高速公路或者城市快速路上违法停车", 9 },
    { "驾驶未悬挂机动车号牌或者故意遮挡、污损机动车号牌的机动车上道路行驶", 9 },
    { "驾驶机动车违反道路交通信号灯通行（闯红灯）", 6 },
    { "驾驶机动车在高速公路或者城市快速路上违法占用应急车道行驶", 6 },
    { "驾驶机动车不按规定避让校车", 3 },
    { "驾驶机动车行驶中以手持方式使用电话", 3 },
    { "驾驶机动车在高速公路、城市快速路以外的道路上逆向行驶", 3 },
    { "驾驶机动车遇行人正在通过人行横道时不按规定停车让行", 3 },
    { "驾驶机动车在高速公路或者城市快速路上不按规定车道行驶", 3 },
    { "驾驶机动车不按规定超车、让行", 3 },
    { "驾驶机动车在高速公路上行驶低于规定最低时速", 3 },
    { "驾驶机动车不按规定使用灯光", 1 },
    { "驾驶机动车违反禁令标志指示", 1 },
    { "驾驶机动车违反禁止标线指示", 1 },
    { "驾驶机动车在道路上行驶时，驾驶人未按规定系安全带", 1 },
};

// Offences as the explanations of case questions name them, before "…记N分".
const std::map<std::string, int> kPointsInExplanations {
    { "高速公路倒车", 12 }, { "占用应急车道", 6 }, { "污损号牌", 9 }, { "手持电话", 3 }, { "人行横道时应停车让行", 3 },
};

// What the bank teaches an offence scores: a true statement "…的，一次记N分。", a fill-in
// question's right option, or the right option of "…哪种违法行为一次记N分？".
std::vector<std::pair<std::string, std::string>> taughtPoints(const BankQuestion& q)
{
    static const std::string once = "的，一次记";
    const auto digits = [](const std::string& text) { return text.substr(0, text.find_first_not_of("0123456789")); };
    std::vector<std::pair<std::string, std::string>> taught;
    const auto right = [&](char letter) { return q.answer.size() == 1 && q.answer[0] == letter; };
    if (q.qutype == "2" && q.answer == "Y" && q.text.find(once) != std::string::npos)
        taught.emplace_back(q.text.substr(0, q.text.find(once)), digits(q.text.substr(q.text.find(once) + once.size())));
    for (char letter = 'A'; letter <= 'D' && q.qutype == "0"; ++letter) {
        if (!right(letter))
            continue;
        const std::string& option = q.options[letter - 'A'];
        if (q.text.find(once + "（　　）") != std::string::npos)
            taught.emplace_back(q.text.substr(0, q.text.find(once)), digits(option));
        if (const auto at = q.text.find("违法行为一次记"); at != std::string::npos)
            taught.emplace_back(option, digits(q.text.substr(at + std::string("违法行为一次记").size())));
    }
    return taught;
}

// A delivered drawing's pixels, read at the drawing's own 220 × 140 points.
class Drawing {
public:
    explicit Drawing(const char* name)
    {
        const auto image = UIImage::imageNamed(name);
        if (!image)
            return;
        const auto bitmap = image->CGImage();
        m_width = CGImageGetWidth(bitmap);
        m_height = CGImageGetHeight(bitmap);
        m_context = CGBitmapContextCreate(nullptr, m_width, m_height, 8, m_width * 4, CGColorSpaceCreateDeviceRGB(),
            CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little);
        CGContextDrawImage(m_context, CGRect { { 0, 0 }, { CGFloat(m_width), CGFloat(m_height) } }, bitmap);
    }
    explicit operator bool() const { return m_context != nullptr; }
    // Blue, green, red at a point.
    const std::uint8_t* at(double x, double y) const
    {
        const auto column = std::min(m_width - 1, std::size_t(x * double(m_width) / 220));
        const auto row = std::min(m_height - 1, std::size_t(y * double(m_height) / 140));
        return static_cast<const std::uint8_t*>(CGBitmapContextGetData(m_context)) + row * CGBitmapContextGetBytesPerRow(m_context) + column * 4;
    }
    bool isRed(double x, double y) const { return at(x, y)[2] > 160 && at(x, y)[1] < 100; }

private:
    CGContextRef m_context {};
    std::size_t m_width { 0 };
    std::size_t m_height { 0 };
};

class DeliveredBankReview : public testing::Test {
protected:
    void SetUp() override
    {
        store = QuestionManager::shareInstance();
        std::filesystem::remove(QuestionManager::getDBPath().UTF8String());
        ASSERT_TRUE(store->prepareBank());
        for (const char* subject : { "1", "2", "3" })
            sequences.push_back(learnedList(store->sequenceQuestions("C1", subject, true)));
    }
    std::shared_ptr<QuestionManager> store;
    std::vector<std::vector<BankQuestion>> sequences;
};

} // namespace

TEST_F(DeliveredBankReview, noQuestionRepeatsAnotherNoSentenceHasFaultyWordsAndFifteenHundredItemsAreDistinct)
{
    std::vector<BankQuestion> bank;
    for (const auto& sequence : sequences)
        bank.insert(bank.end(), sequence.begin(), sequence.end());
    ASSERT_GT(bank.size(), 1500u);
    std::set<std::string> keys;
    for (const auto& question : bank) {
        EXPECT_TRUE(keys.insert(BankReview::sameQuestionKey(question)).second) << question.id;
        for (const std::string* sentence : { &question.text, &question.options[0], &question.options[1], &question.options[2], &question.options[3] })
            EXPECT_EQ(BankReview::faultyWords(*sentence), "") << question.id << " " << *sentence;
    }
    const auto groups = BankReview::itemGroups(bank);
    EXPECT_GE(std::set<std::size_t>(groups.begin(), groups.end()).size(), 1500u);
}

TEST_F(DeliveredBankReview, everyPenaltyTaughtIsTheOneInForceAndNoRetiredIdIsUsed)
{
    std::size_t checked = 0;
    std::set<std::string> ids;
    for (const auto& sequence : sequences) {
        for (const auto& question : sequence) {
            ids.insert(question.id.substr(question.id.find('_') + 1));
            for (const auto& [offence, points] : taughtPoints(question)) {
                const auto known = kPoints.find(offence);
                ASSERT_NE(known, kPoints.end()) << question.id << " teaches the points of an offence not in the list: " << offence;
                EXPECT_EQ(points, std::to_string(known->second)) << question.id << " " << offence;
                EXPECT_EQ(question.describe.find(offence + "的，一次记"), question.describe.find(offence + "的，一次记" + std::to_string(known->second) + "分"))
                    << question.id << " explains another figure";
                ++checked;
            }
        }
    }
    EXPECT_GE(checked, 50u);
    std::size_t explained = 0;
    static const std::regex figure("记([0-9]+)分");
    for (const auto& sequence : sequences) {
        for (const auto& question : sequence) {
            std::smatch match;
            if (!std::regex_search(question.describe, match, figure))
                continue;
            for (const auto& [offence, points] : kPointsInExplanations) {
                if (question.describe.find(offence) == std::string::npos)
                    continue;
                EXPECT_EQ(match[1].str(), std::to_string(points)) << question.id << " " << question.describe;
                ++explained;
            }
        }
    }
    EXPECT_GE(explained, 20u);

    std::ifstream retired(CORVANE_QUESTIONBANK_SOURCE "/retired.tsv");
    std::string line;
    ASSERT_TRUE(std::getline(retired, line));
    std::size_t count = 0;
    while (std::getline(retired, line)) {
        const std::string id = line.substr(0, line.find('\t'));
        EXPECT_FALSE(ids.contains(id)) << id << " is retired";
        ++count;
    }
    EXPECT_GE(count, 6u);
    for (const char* reused : { "1030241", "1050137" })
        EXPECT_FALSE(ids.contains(reused)) << reused;
}

TEST(DeliveredBankJoins, everyPenaltyJoinIsDescribedAsAnOffenceInForceScoringItsPoints)
{
    std::ifstream joins(CORVANE_QUESTIONBANK_SOURCE "/families.tsv");
    std::string line;
    ASSERT_TRUE(std::getline(joins, line));
    static const std::regex penalty("(.+)一次记([0-9]+)分");
    // The description's words stand in that order in the offence's words: "闯红灯" in "…通行（闯红灯）".
    const auto within = [](const std::string& words, const std::string& offence) {
        const std::u32string wanted = BankReview::decode(words);
        const std::u32string in = BankReview::decode(offence);
        std::size_t at = 0;
        for (char32_t c : wanted) {
            at = in.find(c, at);
            if (at == std::u32string::npos)
                return false;
            ++at;
        }
        return true;
    };
    std::size_t checked = 0;
    while (std::getline(joins, line)) {
        std::smatch match;
        const std::string described = line.substr(line.rfind('\t') + 1);
        if (!std::regex_match(described, match, penalty))
            continue;
        EXPECT_TRUE(std::any_of(kPoints.begin(), kPoints.end(),
            [&](const auto& offence) { return std::to_string(offence.second) == match[2].str() && within(match[1].str(), offence.first); }))
            << described;
        ++checked;
    }
    EXPECT_GE(checked, 15u);
}

TEST_F(DeliveredBankReview, everyDashboardLampIsExplainedByItsOwnAdviceAndNoDeviceSwitchedOnIsSentForRepair)
{
    // The explanation of a lamp's drawing names what the lamp shows ("…表示燃油不足。") and then
    // tells what to do about it: one advice for every lamp of a colour teaches nothing of the lamp.
    static const std::string shows = "表示";
    static const std::string stop = "。";
    std::map<std::string, std::set<std::string>> drawingsOfAdvice;
    std::size_t checked = 0;
    for (const auto& sequence : sequences) {
        for (const auto& question : sequence) {
            const auto end = question.describe.find(stop);
            const auto at = question.describe.find(shows);
            if (question.media.empty() || question.text.find("指示灯") == std::string::npos || end == std::string::npos || at > end)
                continue;
            const std::string shown = question.describe.substr(at + shows.size(), end - at - shows.size());
            const std::string advice = question.describe.substr(end + stop.size());
            EXPECT_FALSE(advice.empty()) << question.id;
            drawingsOfAdvice[advice].insert(question.media);
            // A device switched on is no fault to be checked or repaired.
            if (shown.ends_with("已开启")) {
                for (const char* repair : { "检查", "维修" })
                    EXPECT_EQ(advice.find(repair), std::string::npos) << question.id << " sends a device switched on for repair: " << advice;
            }
            ++checked;
        }
    }
    EXPECT_GE(checked, 30u);
    for (const auto& [advice, drawings] : drawingsOfAdvice)
        EXPECT_EQ(drawings.size(), 1u) << *drawings.begin() << " and " << *drawings.rbegin() << " share the advice " << advice;
}

TEST_F(DeliveredBankReview, inSequencePracticeNoQuestionStandsNearAnotherOfItsFamily)
{
    for (const char* subject : { "1", "2", "3" }) {
        const auto records = store->sequenceQuestions("C1", subject, true);
        const auto sequence = learnedList(records);
        // Within a chapter a family stands as far apart as the chapter's length allows.
        std::map<std::string, std::size_t> chapterLength;
        std::map<std::string, std::size_t> inChapter;
        std::vector<std::string> familyInChapter;
        for (std::size_t place = 0; place < sequence.size(); ++place) {
            ++chapterLength[sequence[place].chapter];
            familyInChapter.push_back(ns::stringForKey(ns::dictionaryValue(records->objectAtIndex(place)), "family").UTF8String() + std::string(" ")
                + sequence[place].chapter);
            ++inChapter[familyInChapter.back()];
        }
        for (std::size_t i = 0; i < sequence.size(); ++i) {
            const std::size_t wanted = BankReview::wantedApart(BankReview::kLeastApart, chapterLength[sequence[i].chapter], inChapter[familyInChapter[i]]);
            for (std::size_t j = i + 1; j < sequence.size() && j < i + BankReview::kLeastApart; ++j) {
                if (!sameFamily(sequence[i], sequence[j]))
                    continue;
                EXPECT_GE(j - i, sequence[j].chapter == sequence[i].chapter ? wanted : BankReview::kLeastApart) << sequence[i].id << " and " << sequence[j].id;
            }
        }
    }
}

TEST_F(DeliveredBankReview, sequencePracticeGoesThroughEachSubjectChapterByChapterInTheirOrder)
{
    for (const auto& sequence : sequences) {
        ASSERT_FALSE(sequence.empty());
        std::vector<std::string> runs;
        for (const auto& question : sequence)
            if (runs.empty() || runs.back() != question.chapter)
                runs.push_back(question.chapter);
        std::vector<std::string> chapters = runs;
        std::sort(chapters.begin(), chapters.end());
        chapters.erase(std::unique(chapters.begin(), chapters.end()), chapters.end());
        EXPECT_EQ(runs, chapters) << "subject " << sequence.front().subject;
        EXPECT_GE(runs.size(), 5u);
    }
}

TEST_F(DeliveredBankReview, inEveryPracticeListNoQuestionStandsNearAnotherOfItsFamilyOrOneGivingItsAnswerAway)
{
    using List = std::shared_ptr<NSMutableArray> (QuestionManager::*)(const NSString&, const NSString&, bool);
    const List lists[] = { &QuestionManager::sequenceQuestions, &QuestionManager::singleChoiseQuestions, &QuestionManager::mutilChoiseQuestions,
        &QuestionManager::judgeQuestions, &QuestionManager::wordQuestions, &QuestionManager::photoQuestions, &QuestionManager::videoQuestions };
    std::size_t giveAways = 0;
    for (const char* subject : { "1", "2", "3" }) {
        for (std::size_t kind = 0; kind < std::size(lists); ++kind) {
            const auto records = ((*store).*lists[kind])("C1", subject, true);
            const auto list = learnedList(records);
            SCOPED_TRACE(std::string("subject ") + subject + ", list " + std::to_string(kind));
            // Two of one chapter are held to what the chapter's part of the list allows.
            std::map<std::string, std::size_t> chapterLength;
            std::map<std::string, std::vector<std::size_t>> families;
            std::map<std::string, std::size_t> inChapter;
            for (std::size_t place = 0; place < list.size(); ++place) {
                const std::string family = ns::stringForKey(ns::dictionaryValue(records->objectAtIndex(place)), "family").UTF8String();
                families[family].push_back(place);
                ++chapterLength[list[place].chapter];
                ++inChapter[family + " " + list[place].chapter];
            }
            for (const auto& [family, places] : families) {
                for (std::size_t k = 1; k < places.size(); ++k) {
                    const std::string& chapter = list[places[k]].chapter;
                    const std::size_t wanted = chapter == list[places[k - 1]].chapter
                        ? BankReview::wantedApart(BankReview::kLeastApart, chapterLength[chapter], inChapter[family + " " + chapter])
                        : BankReview::wantedApart(BankReview::kLeastApart, list.size(), places.size());
                    EXPECT_GE(places[k] - places[k - 1], wanted) << list[places[k - 1]].id << " and " << list[places[k]].id;
                }
            }
            // A pair that others give away both of stands apart like a family of as many.
            const auto pairs = BankReview::giveAways(list);
            std::map<std::size_t, std::set<std::size_t>> partners;
            for (const auto& [a, b] : pairs) {
                partners[a].insert(b);
                partners[b].insert(a);
            }
            for (const auto& [a, b] : pairs) {
                std::size_t wanted = BankReview::wantedApart(BankReview::kGiveAwayApart, list.size(), 2);
                if (list[a].chapter == list[b].chapter) {
                    const auto& ofB = partners[b];
                    const std::string& chapter = list[a].chapter;
                    const auto both = std::count_if(partners[a].begin(), partners[a].end(),
                        [&](std::size_t other) { return ofB.contains(other) && list[other].chapter == chapter; });
                    wanted = BankReview::wantedApart(BankReview::kGiveAwayApart, chapterLength[list[a].chapter], 2 + std::size_t(both));
                }
                EXPECT_GE(b - a, wanted) << list[a].id << " gives " << list[b].id << " away";
                ++giveAways;
            }
        }
    }
    EXPECT_GT(giveAways, 5000u);
}

TEST_F(DeliveredBankReview, noPaperHoldsTwoQuestionsOfOneFamily)
{
    using Query = QuestionPaper::RowQuery;
    for (int round = 0; round < 10; ++round) {
        for (int subject = 1; subject <= 3; ++subject) {
            for (Query query : { Query::random, Query::test }) {
                const bool practice = query == Query::random;
                auto blueprint = practice ? QuestionPaper::practiceBlueprint(subject) : QuestionPaper::examBlueprint(subject);
                const auto paper = learnedList(QuestionPaper::assemble(store, blueprint, "C1", query,
                    practice ? -1 : QuestionPaper::examQuestionCount(subject)));
                EXPECT_EQ(paper.size(), std::size_t(practice ? QuestionPaper::questionCount(blueprint) : QuestionPaper::examQuestionCount(subject)));
                for (std::size_t i = 0; i < paper.size(); ++i)
                    for (std::size_t j = i + 1; j < paper.size(); ++j)
                        EXPECT_FALSE(sameFamily(paper[i], paper[j])) << paper[i].id << " and " << paper[j].id;
            }
        }
    }
}

TEST(DeliveredBankDrawings, theAirbagAndSeatBeltLampsDifferAndTheUphillSignsTextStaysOffItsBorder)
{
    const Drawing airbag("dash_airbag.jpg");
    const Drawing seatBelt("dash_seatbelt.jpg");
    ASSERT_TRUE(airbag && seatBelt);
    // The airbag lamp shows the inflated bag, a red disc as wide as the figure is tall; the
    // seat-belt lamp has nothing so round.
    const auto hasDisc = [](const Drawing& drawing) {
        constexpr int radius = 18;
        for (int cy = 10 + radius; cy <= 130 - radius; cy += 2) {
            for (int cx = 40 + radius; cx <= 180 - radius; cx += 2) {
                bool filled = true;
                for (int dy = -radius; dy <= radius && filled; dy += 2)
                    for (int dx = -radius; dx <= radius && filled; dx += 2)
                        filled = dx * dx + dy * dy > radius * radius || drawing.isRed(cx + dx, cy + dy);
                if (filled)
                    return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(hasDisc(airbag));
    EXPECT_FALSE(hasDisc(seatBelt));

    // Just inside the triangle's sides nothing but the yellow field: on the left from the top down to
    // the slope's foot, on the right down to where the slope meets it.
    const Drawing uphill("sign_uphill.jpg");
    ASSERT_TRUE(uphill);
    for (double y = 30; y <= 110; y += 2) {
        const double inside = 110 - (y - 10) * 68.0 / 118.0 + 3.5 + 3;
        std::vector<double> xs { inside, inside + 2 };
        if (y < 76)
            xs.insert(xs.end(), { 220 - inside, 218 - inside });
        for (double x : xs) {
            const auto* pixel = uphill.at(x, y);
            EXPECT_TRUE(pixel[2] > 180 && pixel[1] > 140 && pixel[0] < 100) << x << ", " << y;
        }
    }
}
