#include "app/stores/StoreConnection.h"

#include "library/sqlite/SQDatabase.h"
#include "library/sqlite/SQDatabaseQueue.h"
#include "platform/foundation/NSNull.h"
#include "library/sqlite/SQResultSet.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSPathUtilities.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <sqlite3.h>
#include <string>
#include <sys/stat.h>

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

bool readable(const NSString& path, const char* probe)
{
    struct stat info {};
    if (::stat(path.UTF8String().c_str(), &info) != 0)
        return errno == ENOENT;
    if (!S_ISREG(info.st_mode))
        return false;
    if (info.st_size == 0)
        return true;
    auto db = SQDatabase::databaseWithPath(path);
    db->setLogsErrors(false);
    if (!db->openWithFlags(SQLITE_OPEN_READONLY))
        return false;
    bool sound = false;
    if (auto check = db->executeQuery("pragma quick_check"); check && check->next()) {
        sound = check->stringForColumnIndex(0) == NSString("ok");
        check->close();
    }
    if (sound) {
        auto answer = db->executeQuery(probe);
        sound = answer != nullptr;
        if (answer)
            answer->close();
    }
    db->close();
    return sound;
}

} // namespace

bool StoreConnection::setAsideIfUnreadable(const NSString& path, const char* probe)
{
    if (readable(path, probe))
        return false;
    const std::string from = path.UTF8String();
    const std::string to = from + ".damaged-" + std::to_string(std::time(nullptr));
    if (std::rename(from.c_str(), to.c_str()) != 0)
        return false;
    NSLog("set aside the unreadable store %s as %s", from.c_str(), to.c_str());
    return true;
}

std::shared_ptr<NSDictionary> StoreConnection::named(std::initializer_list<std::pair<const char*, NSString>> values)
{
    auto dictionary = NSMutableDictionary::dictionary();
    for (const auto& [key, value] : values)
        dictionary->setObject(value.isNil() ? id(NSNull::null()) : id(value), key);
    return dictionary;
}
