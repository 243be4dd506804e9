#include "app/stores/StoreConnection.h"
#include "app/stores/UserManager.h"
#include "library/sqlite/SQDatabase.h"
#include "library/sqlite/SQResultSet.h"
#include "tests/support/OtherProcess.h"

#include "platform/foundation/TypedValues.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

constexpr const char* kProbe = "select area_code,role_code,account,password from login_info limit 1";
constexpr const char* kStoreName = "check-login.sqlite";

// A sound login store holding one remembered login.
NSString soundStore()
{
    const NSString path = StoreConnection::documentsPath(kStoreName);
    for (const char* suffix : { "", "-journal" })
        std::filesystem::remove((path.UTF8String() + suffix));
    StoreConnection::removeSetAside(path);
    StoreConnection::createTables(path, {
        "create table login_info(myid INTEGER PRIMARY KEY AUTOINCREMENT,area_code NTEXT,role_code NTEXT,account NTEXT,password NTEXT);",
        "insert into login_info(area_code,role_code,account,password) values('510100','0','kept','p1');",
    });
    return path;
}

std::string account(const NSString& path)
{
    StoreConnection db(path);
    auto row = db ? db->executeQuery("select account from login_info") : nullptr;
    if (!row || !row->next())
        return "<none>";
    const std::string value = row->stringForColumnIndex(0).UTF8String();
    row->close();
    return value;
}

int copiesSetAside(const NSString& path)
{
    const std::filesystem::path store(path.UTF8String());
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(store.parent_path()))
        count += entry.path().filename().string().starts_with(store.filename().string() + ".damaged-") ? 1 : 0;
    return count;
}

} // namespace

// Run as a process of its own: a write large enough to reach the file before its commit, and the
// process gone before the commit, leaving a hot journal behind.
TEST(StoreCheckChild, DISABLED_diesInTheMiddleOfAWrite)
{
    StoreConnection db(StoreConnection::documentsPath(kStoreName));
    ASSERT_TRUE(db);
    ASSERT_TRUE(db->executeStatements("pragma cache_size=10; begin; delete from login_info; "
                                      "with recursive n(i) as (select 1 union all select i+1 from n where i<3000) "
                                      "insert into login_info(account) select hex(randomblob(300)) from n;"));
    std::_Exit(0);
}

TEST(StoreCheck, aWriteLeftHalfDoneByAKilledProcessIsRolledBackAndKept)
{
    const NSString path = soundStore();
    passesInAnotherProcess("StoreCheckChild.DISABLED_diesInTheMiddleOfAWrite");
    ASSERT_TRUE(std::filesystem::exists(path.UTF8String() + "-journal"));
    EXPECT_EQ(StoreConnection::checkStore(path, kProbe), StoreConnection::Health::Sound);
    EXPECT_FALSE(StoreConnection::setAsideIfUnreadable(path, kProbe));
    EXPECT_EQ(copiesSetAside(path), 0);
    EXPECT_EQ(account(path), "kept");

    // A journal that is no journal at all beside a sound store harms nothing either.
    std::ofstream(path.UTF8String() + "-journal") << "left over by something else";
    EXPECT_FALSE(StoreConnection::setAsideIfUnreadable(path, kProbe));
    EXPECT_EQ(account(path), "kept");
}

TEST(StoreCheck, aStoreAnotherConnectionHoldsLockedIsBusyNotDamaged)
{
    const NSString path = soundStore();
    StoreConnection holder(path);
    ASSERT_TRUE(holder->executeStatements("begin exclusive; delete from login_info;"));
    EXPECT_FALSE(StoreConnection::setAsideIfUnreadable(path, kProbe));
    EXPECT_EQ(copiesSetAside(path), 0);
    EXPECT_TRUE(holder->rollback());
    EXPECT_EQ(account(path), "kept");
}

TEST(StoreCheck, onlyTheLatestDamagedCopyIsKeptUntilANewLoginIsStored)
{
    const NSString path = soundStore();
    for (int round = 0; round < 3; ++round) {
        std::ofstream(path.UTF8String(), std::ios::trunc) << "no database " << round << std::string(600, '.');
        std::ofstream(path.UTF8String() + "-journal") << "its journal";
        EXPECT_TRUE(StoreConnection::setAsideIfUnreadable(path, kProbe));
        EXPECT_FALSE(std::filesystem::exists(path.UTF8String() + "-journal")) << "the journal goes with its store";
    }
    EXPECT_EQ(copiesSetAside(path), 1) << "only the latest copy";

    // The login store's own copies go once it has held a new login.
    const NSString login = UserManager::getDBPath();
    auto store = UserManager::shareInstance();
    std::ofstream(login.UTF8String() + ".damaged-1") << "old password in clear";
    EXPECT_EQ(copiesSetAside(login), 1);
    store->cacheLoginInfo("510100", "0", "510104199203154321", "123456");
    EXPECT_EQ(copiesSetAside(login), 0);
    EXPECT_TRUE(store->deleteLoginInfo());
}
