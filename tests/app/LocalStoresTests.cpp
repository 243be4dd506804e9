#include "app/stores/NoticeManager.h"
#include "app/stores/UserManager.h"

#include "platform/foundation/NSNull.h"
#include "platform/foundation/TypedValues.h"

#include <gtest/gtest.h>

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
