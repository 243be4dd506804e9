#include "tests/theory/QuestionBankFixture.h"

#include "platform/foundation/TypedValues.h"

#include <sqlite3.h>

#include <filesystem>

namespace {

void exec(sqlite3* db, const std::string& sql)
{
    char* error = nullptr;
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
}

std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

} // namespace

void QuestionBankFixture::SetUp()
{
    store = QuestionManager::shareInstance();
    sourcePath = (std::filesystem::path(QuestionManager::getDBPath().UTF8String()).parent_path() / "fixture-bank.db").string();
}

void QuestionBankFixture::TearDown()
{
    store->setBundledDBPath(nullptr);
    store->setRandomSource(nullptr);
}

void QuestionBankFixture::install(const std::vector<FixtureQuestion>& questions)
{
    std::filesystem::remove(sourcePath);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(sourcePath.c_str(), &db), SQLITE_OK);
    exec(db, "create table tb_question(quid text primary key, trsubject text, examprojt text, qutype text, qncontype text, itemcontent text, "
             "chiocea text, chioceb text, chiocec text, chioced text, picurl text, videourl text, answer text, vehicletype text, describe text, "
             "suggest text, questate text, netpicurl text, netvideourl text, answermany text, answeryn text, issave integer, type integer, qunum integer, "
             "family text)");
    for (const auto& q : questions) {
        exec(db, "insert into tb_question(quid,trsubject,examprojt,qutype,qncontype,itemcontent,chiocea,chioceb,picurl,answer,vehicletype,describe,"
                 "answermany,issave,type,qunum,family) values("
                + quoted(q.quid) + "," + quoted(q.subject) + "," + quoted(q.chapter) + "," + quoted(q.qutype) + "," + quoted(q.qncontype) + ","
                + quoted("题目" + q.quid) + ",'甲','乙'," + (q.picNull ? "NULL" : quoted("tiku/" + q.quid + ".png")) + ",'A',"
                + quoted(q.carType) + ",'要点'," + (q.answermany.empty() ? "NULL" : quoted(q.answermany)) + ","
                + (q.issaveNull ? "NULL" : "0") + "," + std::to_string(q.type) + "," + std::to_string(q.qunum) + ","
                + (q.family.empty() ? "NULL" : quoted(q.family)) + ")");
    }
    sqlite3_close(db);
    store->setBundledDBPath(NSString(sourcePath.c_str()));
    std::filesystem::remove(QuestionManager::getDBPath().UTF8String());
    ASSERT_TRUE(store->prepareBank());
}

void QuestionBankFixture::drawInTurn(std::vector<std::uint32_t> values)
{
    auto next = std::make_shared<std::size_t>(0);
    store->setRandomSource([values = std::move(values), next] { return values[(*next)++ % values.size()]; });
}

std::string QuestionBankFixture::column(const std::string& quid, const std::string& name) const
{
    sqlite3* db = nullptr;
    std::string value = "<none>";
    if (sqlite3_open_v2(QuestionManager::getDBPath().UTF8String().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        const std::string sql = "select " + name + " from tb_question where quid=?";
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
            sqlite3_bind_text(statement, 1, quid.c_str(), -1, SQLITE_TRANSIENT);
            if (sqlite3_step(statement) == SQLITE_ROW)
                value = sqlite3_column_type(statement, 0) == SQLITE_NULL ? "NULL" : reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return value;
}

std::vector<std::string> QuestionBankFixture::quids(const std::shared_ptr<NSArray>& records)
{
    std::vector<std::string> ids;
    for (NSUInteger i = 0; records && i < records->count(); ++i)
        ids.push_back(ns::stringForKey(ns::dictionaryValue(records->objectAtIndex(i)), "quid").UTF8String());
    return ids;
}
