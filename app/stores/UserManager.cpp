#include "app/stores/UserManager.h"

#include "app/stores/StoreConnection.h"
#include "library/sqlite/SQDatabase.h"
#include "library/sqlite/SQResultSet.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/TypedValues.h"

#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A store that cannot answer this is of another making and is replaced.
constexpr const char* kLoginProbe = "select area_code,role_code,account,password from login_info limit 1";
}

std::shared_ptr<UserManager> UserManager::shareInstance()
{
    static std::once_flag once;
    static std::shared_ptr<UserManager> shared;
    std::call_once(once, [] {
        shared = ns::construct<UserManager>();
        const std::string path = getDBPath().UTF8String();
        StoreConnection::setAsideIfUnreadable(getDBPath(), kLoginProbe);
        // The remembered password lies in this file: it is made for its owner alone before
        // SQLite creates it with the usual permissions, and an older file is closed to others.
        const int fd = ::open(path.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, S_IRUSR | S_IWUSR);
        if (fd >= 0)
            ::close(fd);
        ::chmod(path.c_str(), S_IRUSR | S_IWUSR);
        StoreConnection::createTables(getDBPath(), {
            "create table if not exists login_info(myid INTEGER PRIMARY KEY AUTOINCREMENT,area_code NTEXT,role_code NTEXT,account NTEXT,password NTEXT);",
            "create table if not exists provance_info(myid INTEGER PRIMARY KEY AUTOINCREMENT,area_code NTEXT,city_code NTEXT,area_name NTEXT,city_name NTEXT);",
        });
    });
    return shared;
}

NSString UserManager::getDBPath()
{
    return StoreConnection::documentsPath("login.sqlite");
}

void UserManager::cacheLoginInfo(const NSString& areaCode, const NSString& role, const NSString& account, const NSString& pwd)
{
    StoreConnection db(getDBPath());
    if (!db)
        return;
    // The old row goes only together with the new one's arrival: a full disk keeps the last login.
    if (!db->beginTransaction())
        return;
    const bool stored = db->executeStatements("delete from login_info")
        && db->executeUpdate("insert into login_info(area_code,role_code,account,password)values(:area_code,:role_code,:account,:password)",
            StoreConnection::named({ { "area_code", areaCode }, { "role_code", role }, { "account", account }, { "password", pwd } }));
    if (!stored || !db->commit()) {
        db->rollback();
        return;
    }
    // A copy set aside keeps the old password in clear; the new store has taken its place.
    StoreConnection::removeSetAside(getDBPath());
}

std::shared_ptr<NSMutableDictionary> UserManager::queryLoginInfo()
{
    StoreConnection db(getDBPath());
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
    StoreConnection db(getDBPath());
    return db && db->executeStatements("delete from login_info");
}

bool UserManager::updatePassword(const NSString& password)
{
    StoreConnection db(getDBPath());
    return db && db->executeUpdate("update login_info set password=:password", StoreConnection::named({ { "password", password } }));
}

void UserManager::cacheProvanceInfo(const std::shared_ptr<NSArray>& rows)
{
    StoreConnection db(getDBPath());
    if (!db)
        return;
    db->beginTransaction();
    try {
        for (NSUInteger i = 0; rows && i < rows->count(); ++i) {
            auto row = ns::dictionaryValue(rows->objectAtIndex(i));
            NSString areaName = ns::stringForKey(row, "PROVINCE_NAME");
            db->executeUpdate("insert into provance_info(area_code,area_name,city_code,city_name)values(:area_code,:area_name,:city_code,:city_name)",
                StoreConnection::named({ { "area_code", ns::stringForKey(row, "PROVINCE") },
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
    StoreConnection db(getDBPath());
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
    StoreConnection db(getDBPath());
    return db && db->executeStatements("delete from provance_info");
}
