#include "app/stores/NoticeManager.h"
#include "app/stores/StoreConnection.h"
#include "app/stores/UserManager.h"
#include "library/sqlite/SQDatabase.h"

#include "platform/foundation/NSNull.h"
#include "platform/foundation/TypedValues.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

TEST(UserManager, keepsTheLastLoginInAFileOnlyItsOwnerCanRead)
{
    auto store = UserManager::shareInstance();
    EXPECT_EQ(UserManager::create(), store);
    EXPECT_EQ(store->copy(), store);
    EXPECT_FALSE(store->queryLoginInfo());

    store->cacheLoginInfo("510100", "0", "510104199203154321", "12'34\"56");
    auto login = store->queryLoginInfo();
    ASSERT_TRUE(login);
    EXPECT_EQ(ns::stringForKey(login, "area_code").UTF8String(), "510100");
    EXPECT_EQ(ns::stringForKey(login, "role_code").UTF8String(), "0");
    EXPECT_EQ(ns::stringForKey(login, "account").UTF8String(), "510104199203154321");
    EXPECT_EQ(ns::stringForKey(login, "password").UTF8String(), "12'34\"56");

    EXPECT_TRUE(store->updatePassword("it's new"));
    EXPECT_EQ(ns::stringForKey(store->queryLoginInfo(), "password").UTF8String(), "it's new");

    struct stat info {};
    ASSERT_EQ(::stat(UserManager::getDBPath().UTF8String().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_TRUE(UserManager::getDBPath().hasSuffix("/Documents/login.sqlite"));

    EXPECT_TRUE(store->deleteLoginInfo());
    EXPECT_FALSE(store->queryLoginInfo());
}

TEST(UserManager, cachesTheRegionListRowByRow)
{
    auto store = UserManager::shareInstance();
    auto rows = NSMutableArray::array();
    rows->addObject(NSDictionary::dictionaryWithObjectsAndKeys({ { NSString("510000"), NSString("PROVINCE") },
        { NSString("四川省"), NSString("PROVINCE_NAME") }, { NSString("510100"), NSString("DEPCODE") }, { NSString("成都市"), NSString("DEPNAME") } }));
    rows->addObject(NSDictionary::dictionaryWithObjectsAndKeys({ { NSString("500000"), NSString("PROVINCE") },
        { NSNull::null(), NSString("PROVINCE_NAME") }, { NSString("500100"), NSString("DEPCODE") }, { NSString("重庆主城区"), NSString("DEPNAME") } }));
    rows->addObject(NSString("not a row"));
    store->cacheProvanceInfo(rows);
    auto cached = store->querProvanceInfo();
    ASSERT_EQ(cached->count(), 3u);
    auto first = ns::dictionaryValue(cached->objectAtIndex(0));
    EXPECT_EQ(ns::stringForKey(first, "PROVINCE_NAME").UTF8String(), "四川省");
    EXPECT_EQ(ns::stringForKey(first, "DEPNAME").UTF8String(), "成都市");
    auto second = ns::dictionaryValue(cached->objectAtIndex(1));
    EXPECT_EQ(ns::stringForKey(second, "PROVINCE_NAME").UTF8String(), "");
    EXPECT_EQ(ns::stringForKey(second, "DEPCODE").UTF8String(), "500100");

    EXPECT_TRUE(store->deleteProvanceInfo());
    EXPECT_EQ(store->querProvanceInfo()->count(), 0u);
    store->cacheProvanceInfo(nullptr);
    EXPECT_EQ(store->querProvanceInfo()->count(), 0u);
}

TEST(NoticeManager, remembersEachOpenedNoticeOnce)
{
    auto store = NoticeManager::shareInstance();
    EXPECT_EQ(NoticeManager::create(), store);
    EXPECT_FALSE(store->existsNoticeId("GG0001"));
    EXPECT_TRUE(store->insertNoticeId("GG0001"));
    EXPECT_TRUE(store->insertNoticeId("GG0001"));
    EXPECT_TRUE(store->existsNoticeId("GG0001"));
    EXPECT_FALSE(store->existsNoticeId("GG0002"));
    EXPECT_TRUE(store->insertNoticeId("x' or '1'='1"));
    EXPECT_FALSE(store->existsNoticeId("GG0003"));
    store->deleteAll();
    EXPECT_FALSE(store->existsNoticeId("GG0001"));
    EXPECT_TRUE(NoticeManager::getDBPath().hasSuffix("/Documents/notice.sqlite"));
}

TEST(UserManager, aFailedWriteKeepsTheRememberedLogin)
{
    auto store = UserManager::shareInstance();
    store->cacheLoginInfo("510100", "0", "old", "p1");
    store->cacheLoginInfo("510100", "0", "new", "p2");
    EXPECT_EQ(ns::stringForKey(store->queryLoginInfo(), "account").UTF8String(), "new");

    // Stands in for a full disk: every insert into the table fails.
    {
        StoreConnection db(UserManager::getDBPath());
        ASSERT_TRUE(db);
        ASSERT_TRUE(db->executeStatements("create trigger full_disk before insert on login_info begin select raise(abort,'disk full'); end;"));
    }
    store->cacheLoginInfo("510100", "0", "lost", "p3");
    {
        StoreConnection db(UserManager::getDBPath());
        db->executeStatements("drop trigger full_disk");
    }
    auto login = store->queryLoginInfo();
    ASSERT_TRUE(login);
    EXPECT_EQ(ns::stringForKey(login, "account").UTF8String(), "new");
    EXPECT_EQ(ns::stringForKey(login, "password").UTF8String(), "p2");
    EXPECT_TRUE(store->deleteLoginInfo());
}

TEST(StoreConnection, setsAsideAStoreItCannotReadAndLeavesSoundOnesAlone)
{
    const char* probe = "select area_code,role_code,account,password from login_info limit 1";
    auto placed = [](const char* name) {
        const NSString path = StoreConnection::documentsPath(name);
        std::filesystem::remove_all(path.UTF8String());
        return path;
    };
    auto setAside = [&](const NSString& path) {
        const bool moved = StoreConnection::setAsideIfUnreadable(path, probe);
        EXPECT_FALSE(std::filesystem::exists(path.UTF8String())) << path.UTF8String();
        return moved;
    };

    const NSString header = placed("bad-header.sqlite");
    std::ofstream(header.UTF8String()) << "this is no database at all, only text that fills a page or so";
    EXPECT_TRUE(setAside(header));

    const NSString sound = placed("sound.sqlite");
    StoreConnection::createTables(sound, { "create table login_info(myid INTEGER PRIMARY KEY AUTOINCREMENT,area_code NTEXT,role_code NTEXT,account NTEXT,password NTEXT);" });
    StoreConnection::createTables(sound, { "with recursive n(i) as (select 1 union all select i+1 from n where i<200) "
                                           "insert into login_info(account) select hex(randomblob(200)) from n;" });
    EXPECT_FALSE(StoreConnection::setAsideIfUnreadable(sound, probe));
    EXPECT_FALSE(StoreConnection::setAsideIfUnreadable(placed("absent.sqlite"), probe));

    const NSString truncated = placed("truncated.sqlite");
    std::filesystem::copy_file(sound.UTF8String(), truncated.UTF8String());
    std::filesystem::resize_file(truncated.UTF8String(), std::filesystem::file_size(truncated.UTF8String()) / 3);
    EXPECT_TRUE(setAside(truncated));

    const NSString folder = placed("folder.sqlite");
    std::filesystem::create_directory(folder.UTF8String());
    EXPECT_TRUE(setAside(folder));

    const NSString other = placed("other.sqlite");
    StoreConnection::createTables(other, { "create table login_info(id INTEGER, name TEXT);" });
    EXPECT_TRUE(setAside(other));
}
