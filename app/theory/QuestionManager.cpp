#include "app/theory/QuestionManager.h"

#include "app/stores/StoreConnection.h"

#include "library/sqlite/SQDatabase.h"
#include "library/sqlite/SQResultSet.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSPathUtilities.h"
#include "platform/foundation/TypedValues.h"

#include <sqlite3.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <random>
#include <unistd.h>
#include <vector>

namespace {

// "family" names the first question of the question's family (see QuestionFamily): a bank
// without it is one of an earlier build and is replaced, keeping the learner's marks.
constexpr const char* kColumns = "quid,trsubject,examprojt,qutype,qncontype,itemcontent,chiocea,chioceb,chiocec,chioced,picurl,videourl,"
                                 "answer,vehicletype,describe,suggest,questate,netpicurl,netvideourl,answermany,answeryn,issave,type,family";
constexpr const char* kColumnNames[] = { "quid", "trsubject", "examprojt", "qutype", "qncontype", "itemcontent", "chiocea", "chioceb",
    "chiocec", "chioced", "picurl", "videourl", "answer", "vehicletype", "describe", "suggest", "questate", "netpicurl", "netvideourl",
    "answermany", "answeryn", "issave", "type", "family" };
constexpr int kIssave = 21;
constexpr int kType = 22;
constexpr int kFamily = 23;

std::string select(const std::string& where)
{
    return std::string("SELECT ") + kColumns + " FROM tb_question where " + where;
}

std::shared_ptr<NSDictionary> named(std::initializer_list<std::pair<const char*, id>> values)
{
    auto dictionary = NSMutableDictionary::dictionary();
    for (const auto& [key, value] : values)
        dictionary->setObject(value ? value : id(NSNull::null()), key);
    return dictionary;
}

id text(const NSString& value)
{
    return value.isNil() ? id(NSNull::null()) : id(value);
}

// Opens an existing file only: a bank that is not there must not be created empty. Probes of a
// bank that may be damaged keep quiet; the operations' statements log their failures.
std::shared_ptr<SQDatabase> openExisting(const NSString& path, int flags, bool logsErrors = false)
{
    auto database = SQDatabase::databaseWithPath(path);
    database->setLogsErrors(logsErrors);
    if (!NSFileManager::defaultManager()->fileExistsAtPath(path) || !database->openWithFlags(flags))
        return nullptr;
    return database;
}

struct Mark {
    NSString quid;
    int type { 0 };
    NSString answermany;
    NSString answeryn;
    int issave { 0 };
};

// The learner's marks that can still be read; a file damaged part way gives those before the damage.
std::vector<Mark> readableMarks(const NSString& path)
{
    std::vector<Mark> marks;
    // Only a connection that may write rolls back what a killed writer left half done.
    auto database = openExisting(path, SQLITE_OPEN_READWRITE);
    if (!database)
        return marks;
    auto rows = database->executeQuery("select quid,type,answermany,answeryn,issave from tb_question "
                                       "where type<>0 or issave<>0 or answermany is not null or answeryn is not null");
    while (rows && rows->next()) {
        NSString quid = rows->stringForColumnIndex(0);
        if (quid.isNil())
            continue;
        marks.push_back({ quid, rows->intForColumnIndex(1), rows->stringForColumnIndex(2), rows->stringForColumnIndex(3), rows->intForColumnIndex(4) });
    }
    database->close();
    return marks;
}

void syncFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Copies the delivered bank under a temporary name, carries the marks over and renames it into
// place, so the bank path never holds a partial file.
bool installBank(const NSString& source, const NSString& path)
{
    auto files = NSFileManager::defaultManager();
    if (source.isNil() || !files->fileExistsAtPath(source)) {
        NSLog("拷贝brenlow_data.db到Documents目录失败：%@", NSString("the delivered question bank is missing"));
        return false;
    }
    const std::vector<Mark> marks = readableMarks(path);
    const NSString temporary = path + NSString(".copying");
    files->removeItemAtPath(temporary);
    std::shared_ptr<NSError> error;
    if (!files->copyItemAtPath(source, temporary, &error)) {
        NSLog("拷贝brenlow_data.db到Documents目录失败：%@", error ? error->description() : NSString("copy failed"));
        files->removeItemAtPath(temporary);
        return false;
    }
    if (!marks.empty()) {
        if (auto database = openExisting(temporary, SQLITE_OPEN_READWRITE)) {
            database->beginTransaction();
            for (const Mark& mark : marks) {
                database->executeUpdate("update tb_question set type=:type,answermany=:answermany,answeryn=:answeryn,isSave=:issave where quid=:quid",
                    named({ { "type", ns::number(mark.type) }, { "answermany", text(mark.answermany) }, { "answeryn", text(mark.answeryn) },
                        { "issave", ns::number(mark.issave) }, { "quid", mark.quid } }));
            }
            database->commit();
            database->close();
        }
    }
    const std::string from = temporary.UTF8String();
    const std::string to = path.UTF8String();
    syncFile(from);
    // A journal left by the damaged file would be played back into the new one.
    std::error_code ignored;
    for (const char* suffix : { "-journal", "-wal", "-shm" })
        std::filesystem::remove(to + suffix, ignored);
    std::error_code renameError;
    std::filesystem::rename(from, to, renameError);
    if (renameError) {
        NSLog("拷贝brenlow_data.db到Documents目录失败：%@", NSString(renameError.message().c_str()));
        files->removeItemAtPath(temporary);
        return false;
    }
    return true;
}

} // namespace

// An operation's own connection to the bank, closed when the operation ends.
class QuestionManager::Connection {
public:
    explicit Connection(QuestionManager& store) : m_store(store), m_database(openExisting(getDBPath(), SQLITE_OPEN_READWRITE, true))
    {
        if (!m_database)
            m_store.repairAfterFailure(SQLITE_CANTOPEN);
    }
    ~Connection()
    {
        if (m_database)
            m_database->close();
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    explicit operator bool() const { return m_database != nullptr; }

    std::shared_ptr<SQResultSet> query(const std::string& sql, const std::shared_ptr<NSDictionary>& parameters)
    {
        auto results = m_database->executeQuery(NSString(sql.c_str()), parameters);
        if (!results)
            noteFailure();
        return results;
    }
    // Steps through every row; a row that fails part way counts as a failed statement.
    void forEach(const std::shared_ptr<SQResultSet>& results, const std::function<void(const std::shared_ptr<SQResultSet>&)>& body)
    {
        if (!results)
            return;
        while (results->next())
            body(results);
        const int code = m_database->lastErrorCode();
        if (code != SQLITE_OK && code != SQLITE_DONE && code != SQLITE_ROW)
            noteFailure();
    }
    bool update(const std::string& sql, const std::shared_ptr<NSDictionary>& parameters)
    {
        const bool done = m_database->executeUpdate(NSString(sql.c_str()), parameters);
        if (!done)
            noteFailure();
        return done;
    }

private:
    void noteFailure()
    {
        const int code = m_database->lastErrorCode();
        m_database->close();
        m_database = nullptr;
        m_store.repairAfterFailure(code);
    }

    QuestionManager& m_store;
    std::shared_ptr<SQDatabase> m_database;
};

struct QuestionManager::RowStatements {
    std::string primary;
    std::string secondary;
};

std::shared_ptr<QuestionManager> QuestionManager::shareInstance()
{
    static std::once_flag once;
    static std::shared_ptr<QuestionManager> shared;
    std::call_once(once, [] {
        shared = ns::construct<QuestionManager>();
        shared->prepareBank();
    });
    return shared;
}

namespace {

// One seed per process, from the system's entropy, so papers differ between runs.
QuestionManager::RandomSource entropySource()
{
    static const std::uint32_t seed = std::random_device {}();
    auto engine = std::make_shared<std::mt19937>(seed);
    return [engine] { return static_cast<std::uint32_t>((*engine)()); };
}

} // namespace

void QuestionManager::init()
{
    setRandomSource(nullptr);
}

NSString QuestionManager::getDBPath()
{
    auto folders = NSSearchPathForDirectoriesInDomains(NSDocumentDirectory, NSUserDomainMask, true);
    return NSString::fromId(folders->firstObject()).stringByAppendingPathComponent("brenlow_data.db");
}

NSString QuestionManager::bundledDBPath() const
{
    MutexLocker lock(m_mutex);
    if (!m_bundledDBPath.isNil())
        return m_bundledDBPath;
    return NSBundle::mainBundle()->pathForResource("brenlow_data", "db");
}

void QuestionManager::setBundledDBPath(const NSString& path)
{
    MutexLocker lock(m_mutex);
    m_bundledDBPath = path;
}

void QuestionManager::setRandomSource(RandomSource source)
{
    MutexLocker lock(m_mutex);
    m_random = source ? std::move(source) : entropySource();
}

std::uint32_t QuestionManager::nextRandom()
{
    MutexLocker lock(m_mutex);
    return m_random();
}

bool QuestionManager::prepareBank()
{
    const NSString path = getDBPath();
    // A usable bank is a sound SQLite file whose question table has every column the store reads.
    switch (StoreConnection::checkStore(path, select("qunum is not null limit 1").c_str())) {
    case StoreConnection::Health::Sound:
        return true;
    case StoreConnection::Health::Busy:
        // Another connection holds it: the learner's marks are in it, the next operation tries again.
        return false;
    case StoreConnection::Health::Missing:
    case StoreConnection::Health::Damaged:
        break;
    }
    return installBank(bundledDBPath(), path);
}

void QuestionManager::repairAfterFailure(int errorCode)
{
    // A busy or locked file is no damage: the next operation simply tries again.
    if (errorCode == SQLITE_BUSY || errorCode == SQLITE_LOCKED)
        return;
    prepareBank();
}

std::shared_ptr<QuestionRecord> QuestionManager::questionParse(const std::shared_ptr<SQResultSet>& resultSet, bool init) const
{
    auto record = QuestionRecord::dictionary();
    if (!resultSet)
        return record;
    for (int column = 0; column < kIssave; ++column) {
        NSString value = resultSet->stringForColumnIndex(column);
        if (!value.isNil())
            record->setObject(value, kColumnNames[column]);
    }
    record->setObject(ns::number(resultSet->intForColumnIndex(kIssave)), kColumnNames[kIssave]);
    record->setObject(ns::number(init ? 0 : resultSet->intForColumnIndex(kType)), kColumnNames[kType]);
    if (const NSString family = resultSet->stringForColumnIndex(kFamily); !family.isNil())
        record->setObject(family, kColumnNames[kFamily]);
    return record;
}

std::shared_ptr<NSMutableArray> QuestionManager::subjectForQuestions(const NSString& carType)
{
    auto subjects = NSMutableArray::array();
    Connection db(*this);
    if (!db)
        return subjects;
    db.forEach(db.query("SELECT distinct trsubject FROM tb_question where VEHICLETYPE=:vehicletype", named({ { "vehicletype", text(carType) } })),
        [&](const auto& row) {
            NSString subject = row->stringForColumnIndex(0);
            if (!subject.isNil())
                subjects->addObject(subject);
        });
    return subjects;
}

std::shared_ptr<NSMutableArray> QuestionManager::list(const char* condition, const NSString& carType, const NSString& subject, bool init)
{
    auto questions = NSMutableArray::array();
    Connection db(*this);
    if (!db)
        return questions;
    std::string where = "VEHICLETYPE=:vehicletype and ";
    if (condition)
        where += std::string(condition) + " and ";
    where += "trsubject=:subject order by qunum";
    db.forEach(db.query(select(where), named({ { "vehicletype", text(carType) }, { "subject", text(subject) } })),
        [&](const auto& row) { questions->addObject(questionParse(row, init)); });
    return questions;
}

std::shared_ptr<NSMutableArray> QuestionManager::sequenceQuestions(const NSString& carType, const NSString& subject, bool init)
{
    return list(nullptr, carType, subject, init);
}

std::shared_ptr<NSMutableArray> QuestionManager::singleChoiseQuestions(const NSString& carType, const NSString& subject, bool init)
{
    return list("qutype=0", carType, subject, init);
}

std::shared_ptr<NSMutableArray> QuestionManager::mutilChoiseQuestions(const NSString& carType, const NSString& subject, bool init)
{
    return list("qutype=1", carType, subject, init);
}

std::shared_ptr<NSMutableArray> QuestionManager::judgeQuestions(const NSString& carType, const NSString& subject, bool init)
{
    return list("qutype=2", carType, subject, init);
}

std::shared_ptr<NSMutableArray> QuestionManager::wordQuestions(const NSString& carType, const NSString& subject, bool init)
{
    return list("qncontype=1", carType, subject, init);
}

std::shared_ptr<NSMutableArray> QuestionManager::photoQuestions(const NSString& carType, const NSString& subject, bool init)
{
    return list("qncontype=0", carType, subject, init);
}

std::shared_ptr<NSMutableArray> QuestionManager::videoQuestions(const NSString& carType, const NSString& subject, bool init)
{
    return list("qncontype=2", carType, subject, init);
}

std::shared_ptr<NSMutableArray> QuestionManager::arrearQuestions(const NSString& carType, const NSString& subject, bool init)
{
    return list("type=0", carType, subject, init);
}

std::shared_ptr<NSMutableArray> QuestionManager::queryAnserError(const NSString& carType, const NSString& subject, bool init)
{
    return list("type=2", carType, subject, init);
}

std::shared_ptr<NSMutableArray> QuestionManager::queryFavorite(const NSString& carType, const NSString& subject, bool init)
{
    return list("isSave=1", carType, subject, init);
}

std::shared_ptr<NSMutableArray> QuestionManager::queryAnsered(const NSString& carType, const NSString& subject, bool init)
{
    return list("type=1", carType, subject, init);
}

namespace {

std::string rowStatement(const char* kind, const char* progress, const char* order)
{
    std::string where = std::string("VEHICLETYPE=:vehicletype and ") + kind + " and EXAMPROJT=:examprojt and trsubject=:subject";
    if (progress)
        where += std::string(" and ") + progress;
    if (order)
        where += std::string(" ") + order;
    return select(where);
}

} // namespace

std::shared_ptr<NSMutableArray> QuestionManager::randomQuestions(const NSString& carType, const NSString& subject, const NSString& examp,
    int total, const NSString& quType, bool init, const QuestionIds& exclude)
{
    static const RowStatements statements { rowStatement("qutype=:qutype", nullptr, nullptr), rowStatement("qutype<>:qutype", nullptr, nullptr) };
    return paperRow(statements, carType, subject, examp, total, quType, init, exclude);
}

std::shared_ptr<NSMutableArray> QuestionManager::testQuestons(const NSString& carType, const NSString& subject, const NSString& examp,
    int total, const NSString& quType, const QuestionIds& exclude)
{
    static const RowStatements statements { rowStatement("qutype=:qutype", nullptr, "order by qunum"),
        rowStatement("qutype<>:qutype", nullptr, "order by qutype") };
    return paperRow(statements, carType, subject, examp, total, quType, true, exclude);
}

std::shared_ptr<NSMutableArray> QuestionManager::testUnAnswerQuestons(const NSString& carType, const NSString& subject, const NSString& examp,
    int total, const NSString& quType, const QuestionIds& exclude)
{
    static const RowStatements statements { rowStatement("qutype=:qutype", "type=0", "order by qunum"),
        rowStatement("qutype=:qutype", "type<>0", "order by qunum") };
    return paperRow(statements, carType, subject, examp, total, quType, true, exclude);
}

std::shared_ptr<NSMutableArray> QuestionManager::testErrorQuestons(const NSString& carType, const NSString& subject, const NSString& examp,
    int total, const NSString& quType, const QuestionIds& exclude)
{
    static const RowStatements statements { rowStatement("qutype=:qutype", "type=2", "order by qunum"),
        rowStatement("qutype=:qutype", "type<>2", "order by type") };
    return paperRow(statements, carType, subject, examp, total, quType, true, exclude);
}

namespace {

// A row as SQLite gave it: a paper row reads many more questions than it keeps, and only the
// kept ones become records.
struct RawQuestion {
    std::optional<std::string> text[kFamily + 1];
    int issave { 0 };
    int type { 0 };

    explicit RawQuestion(const std::shared_ptr<SQResultSet>& row)
    {
        for (int column = 0; column <= kFamily; ++column) {
            // By the byte count, as the result set reads text: a U+0000 must not end it early.
            if (column == kIssave || column == kType || !row->UTF8StringForColumnIndex(column))
                continue;
            const auto bytes = row->dataNoCopyForColumnIndex(column);
            text[column] = bytes ? std::string(reinterpret_cast<const char*>(bytes->data()), bytes->size()) : std::string();
        }
        issave = row->intForColumnIndex(kIssave);
        type = row->intForColumnIndex(kType);
    }

    bool isVideo() const { return text[4] && *text[4] == "2"; }

    std::shared_ptr<QuestionRecord> record(bool init) const
    {
        auto record = QuestionRecord::dictionaryWithCapacity(kFamily + 1);
        for (int column = 0; column <= kFamily; ++column) {
            if (!text[column])
                continue;
            // Text that is not UTF-8 reads as absent, as the result set answers it.
            const NSString value = NSString::initWithBytes(text[column]->data(), text[column]->size(), NSUTF8StringEncoding);
            if (!value.isNil())
                record->setObject(value, kColumnNames[column]);
        }
        record->setObject(ns::number(issave), kColumnNames[kIssave]);
        record->setObject(ns::number(init ? 0 : type), kColumnNames[kType]);
        return record;
    }
};

} // namespace

std::shared_ptr<NSMutableArray> QuestionManager::paperRow(const RowStatements& statements, const NSString& carType, const NSString& subject,
    const NSString& examp, int total, const NSString& quType, bool init, const QuestionIds& exclude)
{
    auto result = NSMutableArray::array();
    if (total <= 0)
        return result;
    const std::size_t n = static_cast<std::size_t>(total);
    const auto parameters = named({ { "vehicletype", text(carType) }, { "subject", text(subject) }, { "examprojt", text(examp) }, { "qutype", text(quType) } });
    std::vector<RawQuestion> primary;
    std::vector<RawQuestion> secondary;
    const auto collect = [&](std::vector<RawQuestion>& into) {
        return [&](const std::shared_ptr<SQResultSet>& row) {
            const char* quid = row->UTF8StringForColumnIndex(0);
            const char* family = row->UTF8StringForColumnIndex(kFamily);
            if (!exclude.contains(quid ? quid : "") && !(family && exclude.contains(familyMark(family))))
                into.emplace_back(row);
        };
    };
    {
        Connection db(*this);
        if (!db)
            return result;
        db.forEach(db.query(statements.primary, parameters), collect(primary));
        if (primary.size() <= n && db)
            db.forEach(db.query(statements.secondary, parameters), collect(secondary));
    }

    // Distinct indexes in the order drawn; a repeat is drawn again. A generator stuck on taken
    // indexes would never end the row, so after many repeats in a row the next free one is taken.
    const auto pick = [&](std::size_t from, std::size_t count) {
        std::vector<std::size_t> drawn;
        std::vector<bool> taken(from, false);
        std::size_t repeats = 0;
        while (drawn.size() < count) {
            std::size_t index = nextRandom() % from;
            if (taken[index] && ++repeats < 16 * from)
                continue;
            while (taken[index])
                index = (index + 1) % from;
            repeats = 0;
            taken[index] = true;
            drawn.push_back(index);
        }
        return drawn;
    };

    if (primary.size() <= n) {
        for (const auto& question : primary)
            result->addObject(question.record(init));
        if (primary.size() + secondary.size() <= n) {
            for (const auto& question : secondary)
                result->addObject(question.record(init));
        } else {
            for (std::size_t index : pick(secondary.size(), n - primary.size()))
                result->addObject(secondary[index].record(init));
        }
        return result;
    }

    std::vector<std::size_t> chosen = pick(primary.size(), n);
    std::vector<std::size_t> videos;
    for (std::size_t index = 0; index < primary.size(); ++index) {
        if (primary[index].isVideo())
            videos.push_back(index);
    }
    if (!videos.empty() && std::none_of(chosen.begin(), chosen.end(), [&](std::size_t index) { return primary[index].isVideo(); }))
        chosen.back() = videos[nextRandom() % videos.size()];
    for (std::size_t index : chosen)
        result->addObject(primary[index].record(init));
    return result;
}

bool QuestionManager::update(const char* sql, const std::shared_ptr<NSDictionary>& parameters)
{
    Connection db(*this);
    return db && db.update(sql, parameters);
}

bool QuestionManager::insertAnswered(const NSString& quid, bool isJudge, const NSString& answer, bool result)
{
    const char* sql = isJudge ? "update tb_question set type=:type,answeryn=:answer where quid=:quid"
                              : "update tb_question set type=:type,answermany=:answer where quid=:quid";
    return update(sql, named({ { "type", ns::number(result ? 1 : 2) }, { "answer", text(answer) }, { "quid", text(quid) } }));
}

bool QuestionManager::insertFavorite(const NSString& quid)
{
    return update("update tb_question set isSave=1 where quid=:quid", named({ { "quid", text(quid) } }));
}

bool QuestionManager::deleteFavorite(const NSString& quid)
{
    return update("update tb_question set isSave=0 where quid=:quid", named({ { "quid", text(quid) } }));
}

bool QuestionManager::insertAnswerError(const NSString& quid, const NSString&)
{
    return update("update tb_question set type=2 where quid=:quid", named({ { "quid", text(quid) } }));
}

int QuestionManager::questionTotal(const NSString& carType, const NSString& subject)
{
    Connection db(*this);
    if (!db)
        return 0;
    int total = 0;
    bool first = true;
    db.forEach(db.query("select count(*) from tb_question where VEHICLETYPE=:vehicletype and trsubject=:subject",
                   named({ { "vehicletype", text(carType) }, { "subject", text(subject) } })),
        [&](const auto& row) {
            if (first)
                total = row->intForColumnIndex(0);
            first = false;
        });
    return total;
}

bool QuestionManager::exists(const char* sql, const NSString& quid)
{
    Connection db(*this);
    if (!db)
        return false;
    bool found = false;
    db.forEach(db.query(sql, named({ { "quid", text(quid) } })), [&](const auto&) { found = true; });
    return found;
}

bool QuestionManager::existsError(const NSString& quid)
{
    return exists("select quid from tb_question where quid=:quid and type=2", quid);
}

bool QuestionManager::existsAnswered(const NSString& quid)
{
    return exists("select quid from tb_question where quid=:quid and type=1", quid);
}

bool QuestionManager::existsFavorite(const NSString& quid)
{
    // The favourite mark lives in the question table; there is no second table to keep in step.
    return exists("select quid from tb_question where quid=:quid and isSave=1", quid);
}
