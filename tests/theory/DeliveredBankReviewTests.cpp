// The delivered bank read as a learner would: no question twice, no doubled words, enough
// distinct items, and no answer given away by a statement of it next to the question or on the
// same paper.
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

bool sameFamily(const BankQuestion& a, const BankQuestion& b)
{
    const auto madeFrom = [](const BankQuestion& statement, const BankQuestion& question) {
        return statement.qutype == "2" && question.qutype != "2"
            && QuestionFamily::isStatementOf(statement.text, question.text, { question.options, question.options + 4 });
    };
    return madeFrom(a, b) || madeFrom(b, a);
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

TEST_F(DeliveredBankReview, noQuestionRepeatsAnotherNoSentenceDoublesAWordAndFifteenHundredItemsAreDistinct)
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

TEST_F(DeliveredBankReview, inSequencePracticeNoStatementStandsNearTheQuestionItIsMadeFrom)
{
    for (const auto& sequence : sequences) {
        for (std::size_t i = 0; i < sequence.size(); ++i) {
            for (std::size_t j = i + 1; j < sequence.size() && j < i + BankReview::kLeastApart; ++j)
                EXPECT_FALSE(sameFamily(sequence[i], sequence[j])) << sequence[i].id << " and " << sequence[j].id;
        }
    }
}

TEST_F(DeliveredBankReview, noPaperHoldsAQuestionTogetherWithAStatementOfItsAnswer)
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
