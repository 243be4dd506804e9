#include "app/stores/StoreConnection.h"

#include "library/sqlite/SQDatabase.h"
#include "library/sqlite/SQDatabaseQueue.h"
#include "platform/foundation/NSNull.h"
#include "library/sqlite/SQResultSet.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSPathUtilities.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <ctime>
#include <sqlite3.h>
#include <string>
#include <sys/stat.h>
#include <vector>

StoreConnection::StoreConnection(const NSString& path) : m_database(SQDatabase::databaseWithPath(path))
{
    if (!m_database->open())
        m_database = nullptr;
}

StoreConnection::~StoreConnection()
{
    if (m_database)
        m_database->close();
}

NSString StoreConnection::documentsPath(const char* fileName)
{
    auto folders = NSSearchPathForDirectoriesInDomains(NSDocumentDirectory, NSUserDomainMask, true);
    return NSString::fromId(folders->lastObject()).stringByAppendingPathComponent(fileName);
}

void StoreConnection::createTables(const NSString& path, std::initializer_list<const char*> statements)
{
    auto queue = SQDatabaseQueue::databaseQueueWithPath(path);
    if (!queue)
        return;
    queue->inDatabase([&](const std::shared_ptr<SQDatabase>& db) {
        for (const char* statement : statements)
            db->executeUpdate(statement);
    });
}

namespace {

constexpr const char* kSetAsideMark = ".damaged-";

// Where a statement's failure leaves the file: locked by another connection is no damage, nor is
// a failure of the machine (full disk, no memory, no permission); a file that is no database, is
// corrupt or lacks what the probe reads is.
StoreConnection::Health healthAfterFailure(int code)
{
    switch (code & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_ERROR:
    case SQLITE_SCHEMA:
    case SQLITE_FORMAT:
        return StoreConnection::Health::Damaged;
    default:
        return StoreConnection::Health::Busy;
    }
}

// Runs the query to its first row: Sound with its first column in `answer`, else what the
// failure says.
StoreConnection::Health ask(SQDatabase& db, const char* query, NSString* answer = nullptr)
{
    auto results = db.executeQuery(query);
    if (!results)
        return healthAfterFailure(db.lastErrorCode());
    const bool row = results->next();
    const int code = db.lastErrorCode();
    if (row && answer)
        *answer = results->stringForColumnIndex(0);
    results->close();
    if (!row && code != SQLITE_OK && code != SQLITE_DONE)
        return healthAfterFailure(code);
    return StoreConnection::Health::Sound;
}

std::vector<std::filesystem::path> setAsideCopies(const NSString& path)
{
    const std::filesystem::path store(path.UTF8String());
    const std::string prefix = store.filename().string() + kSetAsideMark;
    std::vector<std::filesystem::path> copies;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(store.parent_path(), error), end; !error && entry != end; entry.increment(error)) {
        if (entry->path().filename().string().starts_with(prefix))
            copies.push_back(entry->path());
    }
    return copies;
}

} // namespace

StoreConnection::Health StoreConnection::checkStore(const NSString& path, const char* probe)
{
    struct stat info {};
    if (::stat(path.UTF8String().c_str(), &info) != 0)
        return errno == ENOENT ? Health::Missing : Health::Busy;
    if (!S_ISREG(info.st_mode))
        return Health::Damaged;
    // An empty file is what an interrupted creation leaves: it holds nothing to keep.
    if (info.st_size == 0)
        return Health::Missing;
    auto db = SQDatabase::databaseWithPath(path);
    db->setLogsErrors(false);
    if (!db->openWithFlags(SQLITE_OPEN_READWRITE))
        return Health::Busy;
    NSString verdict;
    Health health = ask(*db, "pragma quick_check", &verdict);
    if (health == Health::Sound && verdict != NSString("ok"))
        health = Health::Damaged;
    if (health == Health::Sound)
        health = ask(*db, probe);
    db->close();
    return health;
}

bool StoreConnection::setAsideIfUnreadable(const NSString& path, const char* probe)
{
    const Health health = checkStore(path, probe);
    if (health != Health::Damaged)
        return false;
    removeSetAside(path);
    const std::string from = path.UTF8String();
    const std::string to = from + kSetAsideMark + std::to_string(std::time(nullptr));
    if (std::rename(from.c_str(), to.c_str()) != 0)
        return false;
    // A journal left beside the damaged file belongs to it, not to the store made anew.
    for (const char* suffix : { "-journal", "-wal", "-shm" })
        std::rename((from + suffix).c_str(), (to + suffix).c_str());
    NSLog("set aside the unreadable store %s as %s", from.c_str(), to.c_str());
    return true;
}

void StoreConnection::removeSetAside(const NSString& path)
{
    std::error_code ignored;
    for (const auto& copy : setAsideCopies(path))
        std::filesystem::remove_all(copy, ignored);
}

std::shared_ptr<NSDictionary> StoreConnection::named(std::initializer_list<std::pair<const char*, NSString>> values)
{
    auto dictionary = NSMutableDictionary::dictionary();
    for (const auto& [key, value] : values)
        dictionary->setObject(value.isNil() ? id(NSNull::null()) : id(value), key);
    return dictionary;
}
