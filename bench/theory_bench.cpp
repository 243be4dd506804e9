// Opening a 100-question exam from the delivered bank (paper assembly row by row through the
// store, one connection per row, each row parsed into records) and moving to the next question's
// record, each beside plain SQLite reading the same rows with prepared statements on one connection.
#include "app/theory/QuestionPaper.h"

#include "platform/foundation/NSBundle.h"
#include "platform/foundation/TypedValues.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr const char* kRow = "SELECT quid,trsubject,examprojt,qutype,qncontype,itemcontent,chiocea,chioceb,chiocec,chioced,picurl,videourl,"
                             "answer,vehicletype,describe,suggest,questate,netpicurl,netvideourl,answermany,answeryn,issave,type FROM tb_question "
                             "where VEHICLETYPE=?1 and qutype=?2 and EXAMPROJT=?3 and trsubject=?4 order by qunum";

std::shared_ptr<QuestionManager> preparedStore()
{
    static const auto store = [] {
        auto shared = QuestionManager::shareInstance();
        shared->prepareBank();
        return shared;
    }();
    return store;
}

void BM_OpenExamThroughTheStore(benchmark::State& state)
{
    auto store = preparedStore();
    auto blueprint = QuestionPaper::examBlueprint(1);
    for (auto _ : state) {
        auto paper = QuestionPaper::assemble(store, blueprint, "C1", QuestionPaper::RowQuery::test, 100);
        benchmark::DoNotOptimize(paper->count());
    }
}
BENCHMARK(BM_OpenExamThroughTheStore)->Unit(benchmark::kMillisecond);

struct PlainQuestion {
    std::vector<std::string> columns;
};

// The same rows by hand: one connection, one prepared statement, every column copied out, the
// same distinct random picks when a row has more questions than it asks for.
void BM_OpenExamPlainSQLite(benchmark::State& state)
{
    const std::string path = QuestionManager::getDBPath().UTF8String();
    preparedStore();
    std::mt19937 random(1);
    for (auto _ : state) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, kRow, -1, &statement, nullptr);
        std::vector<PlainQuestion> paper;
        auto blueprint = QuestionPaper::examBlueprint(1);
        int left = 100;
        for (NSUInteger i = 0; i < blueprint->count() && left > 0; ++i) {
            auto row = ns::arrayValue(blueprint->objectAtIndex(i));
            const int count = std::min(left, ns::intValue(row->objectAtIndex(2)));
            sqlite3_bind_text(statement, 1, "C1", -1, SQLITE_STATIC);
            sqlite3_bind_text(statement, 2, ns::stringValue(row->objectAtIndex(3)).UTF8String().c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(statement, 3, ns::stringValue(row->objectAtIndex(1)).UTF8String().c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(statement, 4, "1", -1, SQLITE_STATIC);
            std::vector<PlainQuestion> primary;
            while (sqlite3_step(statement) == SQLITE_ROW) {
                PlainQuestion question;
                for (int c = 0; c < 23; ++c) {
                    const auto* text = sqlite3_column_text(statement, c);
                    question.columns.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
                }
                primary.push_back(std::move(question));
            }
            sqlite3_reset(statement);
            std::vector<bool> taken(primary.size(), false);
            for (int picked = 0; picked < count && picked < int(primary.size());) {
                const std::size_t index = random() % primary.size();
                if (taken[index])
                    continue;
                taken[index] = true;
                paper.push_back(primary[index]);
                ++picked;
            }
            left -= count;
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
        benchmark::DoNotOptimize(paper.size());
    }
}
BENCHMARK(BM_OpenExamPlainSQLite)->Unit(benchmark::kMillisecond);

// Moving on: the card reads the next record's texts and marks.
void BM_NextQuestionRecord(benchmark::State& state)
{
    auto paper = QuestionPaper::assemble(preparedStore(), QuestionPaper::examBlueprint(1), "C1", QuestionPaper::RowQuery::test, 100);
    NSUInteger index = 0;
    for (auto _ : state) {
        index = (index + 1) % paper->count();
        auto record = ns::dictionaryValue(paper->objectAtIndex(index));
        std::size_t length = 0;
        for (const char* key : { "quid", "itemcontent", "chiocea", "chioceb", "chiocec", "chioced", "picurl", "videourl", "answer", "describe", "answermany", "answeryn" })
            length += ns::stringForKey(record, key).length();
        length += std::size_t(ns::intForKey(record, "type") + ns::intForKey(record, "issave"));
        benchmark::DoNotOptimize(length);
    }
}
BENCHMARK(BM_NextQuestionRecord);

// The same next question read from SQLite by its id, the statement prepared once.
void BM_NextQuestionPlainSQLite(benchmark::State& state)
{
    auto paper = QuestionPaper::assemble(preparedStore(), QuestionPaper::examBlueprint(1), "C1", QuestionPaper::RowQuery::test, 100);
    std::vector<std::string> ids;
    for (NSUInteger i = 0; i < paper->count(); ++i)
        ids.push_back(ns::stringForKey(ns::dictionaryValue(paper->objectAtIndex(i)), "quid").UTF8String());
    sqlite3* db = nullptr;
    sqlite3_open_v2(QuestionManager::getDBPath().UTF8String().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT quid,itemcontent,chiocea,chioceb,chiocec,chioced,picurl,videourl,answer,describe,answermany,answeryn,type,issave "
                           "FROM tb_question where quid=?1", -1, &statement, nullptr);
    std::size_t index = 0;
    for (auto _ : state) {
        index = (index + 1) % ids.size();
        sqlite3_bind_text(statement, 1, ids[index].c_str(), -1, SQLITE_STATIC);
        std::size_t length = 0;
        if (sqlite3_step(statement) == SQLITE_ROW) {
            for (int c = 0; c < 12; ++c)
                length += std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement, c) ? sqlite3_column_text(statement, c) : (const unsigned char*)"")).size();
            length += std::size_t(sqlite3_column_int(statement, 12) + sqlite3_column_int(statement, 13));
        }
        sqlite3_reset(statement);
        benchmark::DoNotOptimize(length);
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
}
BENCHMARK(BM_NextQuestionPlainSQLite);

} // namespace

int main(int argc, char** argv)
{
    // The documents copy of the bank goes to a home of the benchmark's own.
    std::string home;
    if (!std::getenv("CORVANE_HOME")) {
        std::string pattern = (std::filesystem::temp_directory_path() / "theory-bench-XXXXXX").string();
        if (mkdtemp(pattern.data())) {
            setenv("CORVANE_HOME", pattern.c_str(), 1);
            home = pattern;
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!home.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(home, ignored);
    }
    return 0;
}
