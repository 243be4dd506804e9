// The bank the application delivers: every question consistent, every picture and clip present,
// enough questions for every blueprint row three times over for every sample learner's class, and
// papers of the announced size from it.
#include "app/theory/QuestionPaper.h"

#include "platform/foundation/NSBundle.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UIImage.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

using Row = std::vector<std::string>;

std::vector<Row> query(const std::string& path, const std::string& sql)
{
    std::vector<Row> rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return rows;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            Row row;
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                const auto* text = sqlite3_column_text(statement, i);
                row.push_back(text ? reinterpret_cast<const char*>(text) : "");
            }
            rows.push_back(std::move(row));
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

std::string bankPath()
{
    return NSBundle::mainBundle()->pathForResource("brenlow_data", "db").UTF8String();
}

// The licence classes of the stand-in's sample learners.
std::set<std::string> learnerClasses()
{
    std::ifstream in(CORVANE_STANDIN_SEED);
    std::stringstream seed;
    seed << in.rdbuf();
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    sqlite3_exec(db, seed.str().c_str(), nullptr, nullptr, nullptr);
    std::set<std::string> classes;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "select distinct perdritype from account where roletype='0'", -1, &statement, nullptr) == SQLITE_OK)
        while (sqlite3_step(statement) == SQLITE_ROW)
            classes.insert(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return classes;
}

std::string lastComponent(const std::string& reference)
{
    const auto slash = reference.rfind('/');
    return slash == std::string::npos ? reference : reference.substr(slash + 1);
}

} // namespace

TEST(DeliveredBank, everyQuestionIsConsistentAndItsPictureOrClipIsThere)
{
    const auto rows = query(bankPath(), "select quid,trsubject,examprojt,qutype,qncontype,itemcontent,chiocea,chioceb,chiocec,chioced,"
                                        "picurl,videourl,answer,describe,type,issave from tb_question");
    ASSERT_GT(rows.size(), 0u) << bankPath();
    std::set<std::string> distinct;
    std::set<std::string> pictures, clips;
    for (const auto& r : rows) {
        SCOPED_TRACE(r[0]);
        distinct.insert(r[0].substr(r[0].find('_') + 1));
        EXPECT_FALSE(r[5].empty());
        EXPECT_FALSE(r[13].empty()) << "every question explains its answer";
        EXPECT_EQ(r[14], "0");
        EXPECT_EQ(r[15], "0");
        EXPECT_TRUE(r[1] == "1" || r[1] == "2" || r[1] == "3");
        EXPECT_TRUE(r[2] >= "01" && r[2] <= (r[1] == "3" ? "06" : "05"));
        const std::string options[] = { r[6], r[7], r[8], r[9] };
        if (r[3] == "2") {
            EXPECT_TRUE(r[12] == "Y" || r[12] == "N");
            EXPECT_TRUE(r[6].empty() && r[7].empty());
        } else {
            ASSERT_TRUE(r[3] == "0" || r[3] == "1");
            std::string letters = r[12];
            if (r[3] == "0") {
                EXPECT_EQ(letters.size(), 1u);
            } else {
                EXPECT_GE(letters.size(), 3u);
            }
            for (std::size_t i = 0; i < letters.size(); i += 2) {
                const int index = letters[i] - 'A';
                ASSERT_TRUE(index >= 0 && index < 4);
                EXPECT_FALSE(options[index].empty()) << "the answer " << letters << " names a missing option";
                if (i + 1 < letters.size()) {
                    EXPECT_EQ(letters[i + 1], ',');
                }
            }
        }
        if (r[4] == "0") {
            EXPECT_FALSE(r[10].empty());
            pictures.insert(lastComponent(r[10]));
        } else if (r[4] == "2") {
            EXPECT_FALSE(r[11].empty());
            clips.insert(lastComponent(r[11]));
        } else {
            EXPECT_EQ(r[4], "1");
            EXPECT_TRUE(r[10].empty() && r[11].empty());
        }
    }
    EXPECT_GE(distinct.size(), 1500u);
    EXPECT_GE(pictures.size(), 60u);
    EXPECT_GE(clips.size(), 8u);
    // The card turns "name.png" into the picture "name.jpg"; the clip is named as it stands.
    for (std::string picture : pictures) {
        picture.replace(picture.size() - 4, 4, ".jpg");
        auto image = UIImage::imageNamed(NSString(picture.c_str()));
        ASSERT_TRUE(image) << picture;
        EXPECT_EQ(image->size().width, 220);
        EXPECT_EQ(image->size().height, 140);
    }
    for (const auto& clip : clips) {
        const NSString path = NSBundle::mainBundle()->pathForResource(NSString(clip.c_str()), nullptr);
        ASSERT_FALSE(path.isNil()) << clip;
        EXPECT_GT(std::filesystem::file_size(path.UTF8String()), 4000u);
    }
}

TEST(DeliveredBank, everyBlueprintRowCanBeFilledThreeTimesOverForEverySampleLearner)
{
    auto classes = learnerClasses();
    ASSERT_FALSE(classes.empty());
    std::map<std::string, int> need;
    for (int subject = 1; subject <= 3; ++subject) {
        for (const auto& blueprint : { QuestionPaper::practiceBlueprint(subject), QuestionPaper::examBlueprint(subject) }) {
            for (NSUInteger i = 0; i < blueprint->count(); ++i) {
                auto row = ns::arrayValue(blueprint->objectAtIndex(i));
                const std::string key = std::string(ns::stringValue(row->objectAtIndex(0)).UTF8String()) + "-"
                    + ns::stringValue(row->objectAtIndex(1)).UTF8String() + "-" + ns::stringValue(row->objectAtIndex(3)).UTF8String();
                need[key] = std::max(need[key], ns::intValue(row->objectAtIndex(2)));
            }
        }
    }
    for (const auto& carType : classes) {
        for (const auto& [key, count] : need) {
            const auto found = query(bankPath(), "select count(*) from tb_question where vehicletype='" + carType + "' and trsubject='"
                    + key.substr(0, 1) + "' and examprojt='" + key.substr(2, 2) + "' and qutype='" + key.substr(5) + "'");
            ASSERT_EQ(found.size(), 1u);
            EXPECT_GE(std::stoi(found[0][0]), 3 * count) << carType << " " << key;
        }
        for (const char* content : { "0", "1", "2" }) {
            const auto found = query(bankPath(), "select count(distinct trsubject) from tb_question where vehicletype='" + carType + "' and qncontype='" + content + "'");
            EXPECT_GE(std::stoi(found[0][0]), 2) << carType << " content kind " << content;
        }
    }
}

class DeliveredBankPapers : public testing::Test {
protected:
    void SetUp() override
    {
        store = QuestionManager::shareInstance();
        std::filesystem::remove(QuestionManager::getDBPath().UTF8String());
        ASSERT_TRUE(store->prepareBank());
    }
    std::shared_ptr<QuestionManager> store;
};

TEST_F(DeliveredBankPapers, everyModeGivesThePaperItAnnouncesWithTheBlueprintsMixAndNoRepeats)
{
    using Query = QuestionPaper::RowQuery;
    for (int subject = 1; subject <= 3; ++subject) {
        auto blueprint = QuestionPaper::examBlueprint(subject);
        const int announced = QuestionPaper::examQuestionCount(subject);
        for (Query query : { Query::test, Query::testUnAnswer, Query::testError }) {
            auto paper = QuestionPaper::assemble(store, blueprint, "C1", query, announced);
            ASSERT_EQ(paper->count(), NSUInteger(announced)) << subject;
            std::set<std::string> ids;
            std::map<std::string, int> mix;
            for (NSUInteger i = 0; i < paper->count(); ++i) {
                auto record = ns::dictionaryValue(paper->objectAtIndex(i));
                ids.insert(ns::stringForKey(record, "quid").UTF8String());
                mix[std::string(ns::stringForKey(record, "examprojt").UTF8String()) + ns::stringForKey(record, "qutype").UTF8String()]++;
                EXPECT_EQ(ns::stringForKey(record, "trsubject"), NSString::stringWithFormat("%d", subject));
            }
            EXPECT_EQ(ids.size(), paper->count());
            // The rows in order, the last cut to fit: subjects 1 and 2 end before the ninth row.
            int left = announced;
            std::map<std::string, int> expected;
            for (NSUInteger i = 0; i < blueprint->count() && left > 0; ++i) {
                auto row = ns::arrayValue(blueprint->objectAtIndex(i));
                const int take = std::min(left, ns::intValue(row->objectAtIndex(2)));
                expected[std::string(ns::stringValue(row->objectAtIndex(1)).UTF8String()) + ns::stringValue(row->objectAtIndex(3)).UTF8String()] += take;
                left -= take;
            }
            EXPECT_EQ(mix, expected) << subject;
        }
        auto practice = QuestionPaper::assemble(store, QuestionPaper::practiceBlueprint(subject), "C2", Query::random);
        EXPECT_EQ(practice->count(), subject == 3 ? 100u : 110u);
        // The multiple-choice rows come last in subject 3.
        if (subject == 3) {
            EXPECT_EQ(ns::stringForKey(ns::dictionaryValue(practice->lastObject()), "qutype").UTF8String(), "1");
        }
    }
}

TEST_F(DeliveredBankPapers, papersDifferFromRunToRunButAGivenDrawRepeatsThePaper)
{
    auto blueprint = QuestionPaper::practiceBlueprint(1);
    const auto ids = [&] {
        std::vector<std::string> all;
        auto paper = QuestionPaper::assemble(store, blueprint, "C1", QuestionPaper::RowQuery::random);
        for (NSUInteger i = 0; i < paper->count(); ++i)
            all.push_back(ns::stringForKey(ns::dictionaryValue(paper->objectAtIndex(i)), "quid").UTF8String());
        return all;
    };
    EXPECT_NE(ids(), ids());
    const auto fixed = [] {
        auto state = std::make_shared<std::uint32_t>(12345);
        return [state] { return *state = *state * 1103515245u + 12345u; };
    };
    store->setRandomSource(fixed());
    const auto first = ids();
    store->setRandomSource(fixed());
    EXPECT_EQ(ids(), first);
}
