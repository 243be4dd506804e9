#include "app/stores/NoticeManager.h"

#include "app/stores/StoreConnection.h"
#include "library/sqlite/SQDatabase.h"
#include "library/sqlite/SQResultSet.h"

#include <mutex>

std::shared_ptr<NoticeManager> NoticeManager::shareInstance()
{
    static std::once_flag once;
    static std::shared_ptr<NoticeManager> shared;
    std::call_once(once, [] {
        shared = ns::construct<NoticeManager>();
        StoreConnection::createTables(getDBPath(), { "create table if not exists notice(myid INTEGER PRIMARY KEY AUTOINCREMENT,nid NTEXT);" });
    });
    return shared;
}

NSString NoticeManager::getDBPath()
{
    return StoreConnection::documentsPath("notice.sqlite");
}

bool NoticeManager::existsNoticeId(const NSString& nid)
{
    StoreConnection db(getDBPath());
    if (!db)
        return false;
    auto results = db->executeQuery("select nid from notice where nid=:nid", StoreConnection::named({ { "nid", nid } }));
    const bool found = results && results->next();
    if (results)
        results->close();
    return found;
}

bool NoticeManager::insertNoticeId(const NSString& nid)
{
    if (existsNoticeId(nid))
        return true;
    StoreConnection db(getDBPath());
    return db && db->executeUpdate("insert into notice(nid)values(:nid)", StoreConnection::named({ { "nid", nid } }));
}

void NoticeManager::deleteAll()
{
    StoreConnection db(getDBPath());
    if (db)
        db->executeStatements("delete from notice");
}
