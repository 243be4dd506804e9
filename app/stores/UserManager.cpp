#include "app/NoticeManager.h"
#include "app/UserManager.h"

#include "library/sqlite/SQDatabase.h"
#include "library/sqlite/SQDatabaseQueue.h"
#include "library/sqlite/SQResultSet.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSPathUtilities.h"
#include "platform/foundation/TypedValues.h"

#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

NSString documentsPath(const char* fileName)
{
    auto folders = NSSearchPathForDirectoriesInDomains(NSDocumentDirectory, NSUserDomainMask, true);
    return NSString::fromId(folders->lastObject()).stringByAppendingPathComponent(fileName);
}

void createTables(const NSString& path, std::initializer_list<const char*> statements)
{
    auto queue = SQDatabaseQueue::databaseQueueWithPath(path);
    if (!queue)
        return;
    queue->inDatabase([&](const std::shared_ptr<SQDatabase>& db) {
        for (const char* statement : statements)
            db->executeUpdate(statement);
    });
}

// An operation's own connection, closed when the operation ends; nil when it cannot open.
class Connection {
public:
    explicit Connection(const NSString& path) : m_database(SQDatabase::databaseWithPath(path))
    {
        if (!m_database->open())
            m_database = nullptr;
    }
    ~Connection()
    {
        if (m_database)
            m_database->close();
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    SQDatabase* operator->() const { return m_database.get(); }
    explicit operator bool() const { return m_database != nullptr; }

private:
    std::shared_ptr<SQDatabase> m_database;
};

std::shared_ptr<NSDictionary> named(std::initializer_list<std::pair<const char*, NSString>> values)
{
    auto dictionary = NSMutableDictionary::dictionary();
    for (const auto& [key, value] : values)
        dictionary->setObject(value.isNil() ? id(NSNull::null()) : id(value), key);
    return dictionary;
}

} // namespace

std::shared_ptr<UserManager> UserManager::shareInstance()
{
    static std::once_flag once;
    static std::shared_ptr<UserManager> shared;
    std::call_once(once, [] {
        shared = ns::construct<UserManager>();
        const std::string path = getDBPath().UTF8String();
        // The remembered password lies in this file: it is made for its owner alone before
        // SQLite creates it with the usual permissions, and an older file is closed to others.
        const int fd = ::open(path.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, S_IRUSR | S_IWUSR);
        if (fd >= 0)
            ::close(fd);
        ::chmod(path.c_str(), S_IRUSR | S_IWUSR);
        createTables(getDBPath(), {
            "create table if not exists login_info(myid INTEGER PRIMARY KEY AUTOINCREMENT,area_code NTEXT,role_code NTEXT,account NTEXT,password NTEXT);",
            "create table if not exists provance_info(myid INTEGER PRIMARY KEY AUTOINCREMENT,area_code NTEXT,city_code NTEXT,area_name NTEXT,city_name NTEXT);",
        });
    });
    return shared;
}

NSString UserManager::getDBPath()
{
    return documentsPath("login.sqlite");
}

void UserManager::cacheLoginInfo(const NSString& areaCode, const NSString& role, const NSString& account, const NSString& pwd)
{
    Connection db(getDBPath());
    if (!db)
        return;
    db->executeUpdate("insert into login_info(area_code,role_code,account,password)values(:area_code,:role_code,:account,:password)",
        named({ { "area_code", areaCode }, { "role_code", role }, { "account", account }, { "password", pwd } }));
}

std::shared_ptr<NSMutableDictionary> UserManager::queryLoginInfo()
{
    Connection db(getDBPath());
    if (!db)
        return nullptr;
    auto results = db->executeQuery("select area_code,role_code,account,password from login_info");
    if (!results || !results->next())
        return nullptr;
    auto row = NSMutableDictionary::dictionary();
    row->setValue(results->stringForColumnIndex(0), "area_code");
    row->setValue(results->stringForColumnIndex(1), "role_code");
    row->setValue(results->stringForColumnIndex(2), "account");
    row->setValue(results->stringForColumnIndex(3), "password");
    results->close();
    return row;
}

bool UserManager::deleteLoginInfo()
{
    Connection db(getDBPath());
    return db && db->executeStatements("delete from login_info");
}

bool UserManager::updatePassword(const NSString& password)
{
    Connection db(getDBPath());
    return db && db->executeUpdate("update login_info set password=:password", named({ { "password", password } }));
}

void UserManager::cacheProvanceInfo(const std::shared_ptr<NSArray>& rows)
{
    Connection db(getDBPath());
    if (!db)
        return;
    db->beginTransaction();
    try {
        for (NSUInteger i = 0; rows && i < rows->count(); ++i) {
            auto row = ns::dictionaryValue(rows->objectAtIndex(i));
            NSString areaName = ns::stringForKey(row, "PROVINCE_NAME");
            db->executeUpdate("insert into provance_info(area_code,area_name,city_code,city_name)values(:area_code,:area_name,:city_code,:city_name)",
                named({ { "area_code", ns::stringForKey(row, "PROVINCE") },
                    { "area_name", areaName.isNil() ? NSString::string() : areaName },
                    { "city_code", ns::stringForKey(row, "DEPCODE") },
                    { "city_name", ns::stringForKey(row, "DEPNAME") } }));
        }
    } catch (const NSException& exception) {
        NSLog("insert into provance_info err:%@", exception.description());
        db->rollback();
        return;
    }
    db->commit();
}

std::shared_ptr<NSArray> UserManager::querProvanceInfo()
{
    auto list = NSMutableArray::array();
    Connection db(getDBPath());
    if (!db)
        return list;
    auto results = db->executeQuery("select area_code,area_name,city_code,city_name from provance_info");
    while (results && results->next()) {
        auto row = NSMutableDictionary::dictionary();
        row->setValue(results->stringForColumnIndex(0), "PROVINCE");
        row->setValue(results->stringForColumnIndex(1), "PROVINCE_NAME");
        row->setValue(results->stringForColumnIndex(2), "DEPCODE");
        row->setValue(results->stringForColumnIndex(3), "DEPNAME");
        list->addObject(row);
    }
    return list;
}

bool UserManager::deleteProvanceInfo()
{
    Connection db(getDBPath());
    return db && db->executeStatements("delete from provance_info");
}

std::shared_ptr<NoticeManager> NoticeManager::shareInstance()
{
    static std::once_flag once;
    static std::shared_ptr<NoticeManager> shared;
    std::call_once(once, [] {
        shared = ns::construct<NoticeManager>();
        createTables(getDBPath(), { "create table if not exists notice(myid INTEGER PRIMARY KEY AUTOINCREMENT,nid NTEXT);" });
    });
    return shared;
}

NSString NoticeManager::getDBPath()
{
    return documentsPath("notice.sqlite");
}

bool NoticeManager::existsNoticeId(const NSString& nid)
{
    Connection db(getDBPath());
    if (!db)
        return false;
    auto results = db->executeQuery("select nid from notice where nid=:nid", named({ { "nid", nid } }));
    const bool found = results && results->next();
    if (results)
        results->close();
    return found;
}

bool NoticeManager::insertNoticeId(const NSString& nid)
{
    if (existsNoticeId(nid))
        return true;
    Connection db(getDBPath());
    return db && db->executeUpdate("insert into notice(nid)values(:nid)", named({ { "nid", nid } }));
}

void NoticeManager::deleteAll()
{
    Connection db(getDBPath());
    if (db)
        db->executeStatements("delete from notice");
}
