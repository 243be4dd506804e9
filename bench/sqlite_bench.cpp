// The question bank's list query (licence class and subject, ordered by qunum) over a 5,000-row
// table shaped like tb_question, read row by row with typed getters: through the wrapper and
// through the raw sqlite3 calls side by side, so the wrapper's own cost is the difference.

#include "library/sqlite/SQDatabase.h"
#include "platform/foundation/TypedValues.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr int kRows = 5000;
constexpr const char* kClasses[] = { "C1", "A1" };
constexpr const char* kSubjects[] = { "1", "2", "3" };

constexpr const char* kListQuery = "SELECT quid,trsubject,examprojt,qutype,qncontype,itemcontent,chiocea,chioceb,chiocec,chioced,"
                                   "picurl,videourl,answer,vehicletype,describe,suggest,questate,netpicurl,netvideourl,"
                                   "answermany,answeryn,issave,type FROM tb_question "
                                   "where VEHICLETYPE=:vehicletype and trsubject=:subject order by qunum";
constexpr int kTextColumns = 21;

std::string questionBankPath()
{
    static const std::string path = [] {
        const std::string file = (std::filesystem::temp_directory_path() / ("sqlite_bench_" + std::to_string(getpid()) + ".db")).string();
        std::filesystem::remove(file);
        auto db = SQDatabase::databaseWithPath(file);
        db->open();
        db->executeUpdate("CREATE TABLE tb_question (quid text, trsubject text, examprojt text, qutype text, qncontype text, "
                          "itemcontent text, chiocea text, chioceb text, chiocec text, chioced text, picurl text, videourl text, "
                          "answer text, vehicletype text, describe text, suggest text, questate text, netpicurl text, "
                          "netvideourl text, answermany text, answeryn text, issave integer, type integer, qunum integer)");
        db->executeUpdate("CREATE INDEX byClassAndSubject ON tb_question (vehicletype, trsubject, qunum)");
        db->setShouldCacheStatements(true);
        db->beginTransaction();
        for (int i = 0; i < kRows; ++i) {
            const NSString text = NSString::stringWithFormat("第%d题：驾驶机动车在道路上行驶时，遇到前方路口信号灯变化应当如何处理？", i);
            const NSString explanation = NSString::stringWithFormat("解析%d：根据道路交通安全法实施条例的规定，机动车通过有交通信号灯控制的交叉路口，应当按照所需行进的方向驶入导向车道。", i);
            const std::array<id, 24> values {
                NSString::stringWithFormat("%06d", i), NSString(kSubjects[i % 3]), NSString::stringWithFormat("0%d", 1 + i % 6),
                NSString::stringWithFormat("%d", i % 3), NSString::stringWithFormat("%d", i % 3 == 0 ? 1 : 0), text,
                NSString("A、靠右侧停车"), NSString("B、加速通过"), NSString("C、减速慢行"), NSString("D、停车等待"),
                i % 4 == 0 ? static_cast<id>(NSString::stringWithFormat("pic/%d.png", i)) : nullptr, nullptr, NSString("A"),
                NSString(kClasses[(i / 3) % 2]), explanation, NSString(""), NSString("1"), nullptr, nullptr,
                i % 5 == 0 ? static_cast<id>(NSString("B")) : nullptr, nullptr, ns::number(i % 7 == 0 ? 1 : 0), ns::number(i % 3), ns::number(i)
            };
            db->executeUpdate("INSERT INTO tb_question VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)", std::span<const id>(values));
        }
        db->commit();
        db->close();
        return file;
    }();
    // Registered once the path is made, so that the file goes before the path does.
    static const bool removedAtExit = std::atexit([] { std::remove(questionBankPath().c_str()); }) == 0;
    (void)removedAtExit;
    return path;
}

// What the store does with one row: text columns as strings (nil for NULL), the two marks as ints.
template <class TextColumn, class IntColumn>
std::size_t readRow(TextColumn textColumn, IntColumn intColumn)
{
    std::size_t units = 0;
    for (int column = 0; column < kTextColumns; ++column) {
        const NSString text = textColumn(column);
        units += text.length();
    }
    units += static_cast<std::size_t>(intColumn(21) + intColumn(22));
    return units;
}

struct RawDatabase {
    sqlite3* db { nullptr };
    RawDatabase() { sqlite3_open(questionBankPath().c_str(), &db); }
    ~RawDatabase() { sqlite3_close(db); }
};

void bindRaw(sqlite3_stmt* statement, const char* vehicleType, const char* subject)
{
    sqlite3_bind_text(statement, sqlite3_bind_parameter_index(statement, ":vehicletype"), vehicleType, -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(statement, sqlite3_bind_parameter_index(statement, ":subject"), subject, -1, SQLITE_TRANSIENT);
}

NSString rawText(sqlite3_stmt* statement, int column)
{
    if (sqlite3_column_type(statement, column) == SQLITE_NULL)
        return NSString();
    return NSString::stringWithUTF8String(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)));
}

std::shared_ptr<NSDictionary> parameters(int iteration)
{
    return ns::dictionary({ { "vehicletype", NSString(kClasses[iteration % 2]) }, { "subject", NSString(kSubjects[iteration % 3]) } });
}

// Prepares, binds and steps the list query afresh on each iteration, as a caller without a
// statement cache does; readRow answers a figure per row so that the reads are not optimised away.
template <class ReadRow>
void listQueryRaw(benchmark::State& state, ReadRow readRow)
{
    RawDatabase raw;
    int iteration = 0;
    for (auto _ : state) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(raw.db, kListQuery, -1, &statement, nullptr);
        bindRaw(statement, kClasses[iteration % 2], kSubjects[iteration % 3]);
        std::size_t sum = 0;
        while (sqlite3_step(statement) == SQLITE_ROW)
            sum += readRow(statement);
        sqlite3_finalize(statement);
        benchmark::DoNotOptimize(sum);
        ++iteration;
    }
}

// The same through the wrapper, on an open connection.
template <class ReadRow>
void listQueryWrapper(benchmark::State& state, SQDatabase& db, ReadRow readRow)
{
    int iteration = 0;
    for (auto _ : state) {
        const auto rs = db.executeQuery(kListQuery, parameters(iteration));
        std::size_t sum = 0;
        while (rs->next())
            sum += readRow(*rs);
        benchmark::DoNotOptimize(sum);
        ++iteration;
    }
}

// MARK: - Rows read as strings, as the question store reads them

void BM_QuestionList_Raw(benchmark::State& state)
{
    listQueryRaw(state, [](sqlite3_stmt* statement) {
        return readRow([&](int column) { return rawText(statement, column); },
            [&](int column) { return sqlite3_column_int(statement, column); });
    });
}
BENCHMARK(BM_QuestionList_Raw)->Unit(benchmark::kMicrosecond);

void BM_QuestionList_Wrapper(benchmark::State& state)
{
    auto db = SQDatabase::databaseWithPath(questionBankPath());
    db->open();
    listQueryWrapper(state, *db, [](SQResultSet& rs) {
        return readRow([&](int column) { return rs.stringForColumnIndex(column); },
            [&](int column) { return rs.intForColumnIndex(column); });
    });
}
BENCHMARK(BM_QuestionList_Wrapper)->Unit(benchmark::kMicrosecond);

// MARK: - SQLite's own text, so only the wrapper's bookkeeping is measured

void BM_QuestionListUTF8_Raw(benchmark::State& state)
{
    listQueryRaw(state, [](sqlite3_stmt* statement) {
        std::size_t bytes = 0;
        for (int column = 0; column < kTextColumns; ++column) {
            if (sqlite3_column_type(statement, column) != SQLITE_NULL)
                bytes += reinterpret_cast<std::uintptr_t>(sqlite3_column_text(statement, column)) & 1;
        }
        return bytes + static_cast<std::size_t>(sqlite3_column_int(statement, 21) + sqlite3_column_int(statement, 22));
    });
}
BENCHMARK(BM_QuestionListUTF8_Raw)->Unit(benchmark::kMicrosecond);

void BM_QuestionListUTF8_Wrapper(benchmark::State& state)
{
    auto db = SQDatabase::databaseWithPath(questionBankPath());
    db->open();
    listQueryWrapper(state, *db, [](SQResultSet& rs) {
        std::size_t bytes = 0;
        for (int column = 0; column < kTextColumns; ++column)
            bytes += reinterpret_cast<std::uintptr_t>(rs.UTF8StringForColumnIndex(column)) & 1;
        return bytes + static_cast<std::size_t>(rs.intForColumnIndex(21) + rs.intForColumnIndex(22));
    });
}
BENCHMARK(BM_QuestionListUTF8_Wrapper)->Unit(benchmark::kMicrosecond);

// MARK: - A prepared statement kept for reuse, and columns read by name

void BM_QuestionListReused_Raw(benchmark::State& state)
{
    RawDatabase raw;
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(raw.db, kListQuery, -1, &statement, nullptr);
    int iteration = 0;
    for (auto _ : state) {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        bindRaw(statement, kClasses[iteration % 2], kSubjects[iteration % 3]);
        std::size_t units = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            units += readRow([&](int column) { return rawText(statement, column); },
                [&](int column) { return sqlite3_column_int(statement, column); });
        }
        benchmark::DoNotOptimize(units);
        ++iteration;
    }
    sqlite3_finalize(statement);
}
BENCHMARK(BM_QuestionListReused_Raw)->Unit(benchmark::kMicrosecond);

void BM_QuestionListCachedByName_Wrapper(benchmark::State& state)
{
    static const NSString names[] = { "quid", "trsubject", "examprojt", "qutype", "qncontype", "itemcontent", "chiocea", "chioceb",
        "chiocec", "chioced", "picurl", "videourl", "answer", "vehicletype", "describe", "suggest", "questate", "netpicurl",
        "netvideourl", "answermany", "answeryn", "issave", "type" };
    auto db = SQDatabase::databaseWithPath(questionBankPath());
    db->open();
    db->setShouldCacheStatements(true);
    listQueryWrapper(state, *db, [](SQResultSet& rs) {
        return readRow([&](int column) { return rs.stringForColumn(names[column]); },
            [&](int column) { return rs.intForColumn(names[column]); });
    });
}
BENCHMARK(BM_QuestionListCachedByName_Wrapper)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
