#include "tests/services/ServiceFixture.h"

#include "app/services/HttpService.h"
#include "app/services/HttpServiceVideoStud.h"
#include "app/services/HttpServiceWithHost.h"
#include "app/services/ServiceReply.h"
#include "app/session/User.h"
#include "app/session/VideoStUser.h"
#include "app/stores/UserManager.h"
#include "library/json/JSONCodecSerializing.h"
#include "platform/foundation/TypedValues.h"
#include "platform/sysconfig/SCNetworkReachabilityTesting.h"
#include "tools/service-standin/ServiceStandIn.h"

#include <httplib.h>

namespace {

constexpr const char* kDistribute = "sysbl/ctop/dt/interface/distri/distribute";
constexpr const char* kRegions = "sysbl/ctop/dt/interface/regional/getregional";
constexpr const char* kLearner = "510104199203154321";
constexpr const char* kFixedFields = "_app_id_=TSAPP&_format_=json&_license_key_=A7C19D04E2B85F63C0D9174BE6A2F58D";

std::shared_ptr<NSMutableDictionary> loginFields(const char* usercode, const char* password)
{
    auto fields = NSMutableDictionary::dictionary();
    fields->setObject(NSString("510000"), "PROVINCE");
    fields->setObject(NSString("510100"), "DEPCODE");
    fields->setObject(NSString("0"), "ROLETYPE");
    fields->setObject(NSString("loginMethod"), "METHOD");
    fields->setObject(NSString(usercode), "USERCODE");
    fields->setObject(NSString(password), "PASSWRD");
    fields->setObject(NSString("1"), "PHONETYPE");
    return fields;
}

class HttpServiceTest : public ServiceFixture {
protected:
    void SetUp() override
    {
        ServiceFixture::SetUp();
        ASSERT_TRUE(standIn.start()) << standIn.lastError();
        ServerUrlManger::sharedInstance()->setHttpUrl(NSString(standIn.mainBaseURL()));
    }

    ServiceReplyRecord login(const char* password = "123456")
    {
        ServiceReplyRecord record;
        HttpService::create()->httpLogin(recordSuccess(record), recordFailure(record), kDistribute, nullptr, loginFields(kLearner, password));
        EXPECT_TRUE(waitFor(record));
        // As the login screen does: the record of the user, which stores the session id.
        user = User::userFromLoginReply(record.object, password);
        return record;
    }

    ServiceReplyRecord changePassword(const char* oldPassword, const char* newPassword)
    {
        auto fields = NSMutableDictionary::dictionary();
        fields->setObject(NSString("updatePwdMethod"), "METHOD");
        fields->setObject(NSString(oldPassword), "OLDPASSWRD");
        fields->setObject(NSString(newPassword), "NEWPASSWRD");
        ServiceReplyRecord record;
        HttpService::create()->httpRequestDict(recordSuccess(record), recordFailure(record), kDistribute, nullptr, fields);
        return record;
    }

    standin::ServiceStandIn standIn { standin::Options { .keepAlive = false } };
    std::shared_ptr<User> user;
};

} // namespace

TEST_F(HttpServiceTest, mainServiceRequestCarriesTheFixedFieldsInTheEncodersOrderAndTalkIdOnlyAfterLogin)
{
    auto fields = NSMutableDictionary::dictionary();
    ServiceReplyRecord regions;
    HttpService::create()->httpRequestDict(recordSuccess(regions), recordFailure(regions), kRegions, nullptr, fields);
    ASSERT_TRUE(waitFor(regions));
    EXPECT_TRUE(regions.succeeded);
    EXPECT_TRUE(regions.onMainThread);
    // The caller sees the fixed fields in its own dictionary.
    EXPECT_EQ(ns::stringForKey(fields, "_app_id_").UTF8String(), "TSAPP");

    auto sent = standIn.requests();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].method, "POST");
    EXPECT_EQ(sent[0].path, std::string("/Tessalane/resource/") + kRegions);
    EXPECT_EQ(sent[0].body, kFixedFields);
    EXPECT_EQ(sent[0].header("User-Agent"), "iOS");
    EXPECT_EQ(sent[0].header("Content-Type"), "application/x-www-form-urlencoded; charset=utf-8");
    EXPECT_EQ(sent[0].headers.count("Content-Type"), 1u);

    ASSERT_TRUE(login().succeeded);
    // "_" sorts before the letters in the encoder's case-insensitive order.
    EXPECT_EQ(standIn.requests()[1].body,
        std::string(kFixedFields) + "&DEPCODE=510100&METHOD=loginMethod&PASSWRD=123456&PHONETYPE=1&PROVINCE=510000&ROLETYPE=0&USERCODE="
            + kLearner);

    auto change = changePassword("123456", "abc 123+");
    ASSERT_TRUE(waitFor(change));
    const NSString sessionId = NSUserDefaults::standardUserDefaults()->stringForKey(kSessionIdKey);
    ASSERT_EQ(sessionId.length(), 32u);
    EXPECT_EQ(standIn.requests()[2].body,
        std::string(kFixedFields) + "&METHOD=updatePwdMethod&NEWPASSWRD=abc%20123%2B&OLDPASSWRD=123456&TALKID=" + sessionId.UTF8String());
    EXPECT_EQ(ServiceReply::mainServiceCode(change.object), 0);
}

TEST_F(HttpServiceTest, loginRepliesFillTheUserAndStoreTheSession)
{
    auto reply = login();
    ASSERT_TRUE(reply.succeeded);
    ASSERT_TRUE(user);
    EXPECT_EQ(user->userCode().UTF8String(), kLearner);
    EXPECT_EQ(user->name().UTF8String(), "陈小雨");
    EXPECT_EQ(user->version().UTF8String(), "1.2.0");
    // The space of the update text came as "+" and is a blank again.
    EXPECT_EQ(user->updateContent().UTF8String(), "1. 优化视频学习体验；2. 修复已知问题。");
    EXPECT_EQ(user->distanceEduation(), 1);
    EXPECT_EQ(user->govStatus().UTF8String(), "04");
    EXPECT_EQ(user->password().UTF8String(), "123456");
    EXPECT_FALSE(NSUserDefaults::standardUserDefaults()->stringForKey(kSessionIdKey).isNil());

    auto refused = login("wrong");
    ASSERT_TRUE(refused.succeeded);
    EXPECT_EQ(ServiceReply::mainServiceCode(refused.object), 1);
    EXPECT_FALSE(User::userFromLoginReply(refused.object, "wrong"));
}

TEST_F(HttpServiceTest, loginCookiesGoBackOnLaterRequestsAndAfterARestart)
{
    ASSERT_TRUE(login().succeeded);
    const std::string sessionId = NSUserDefaults::standardUserDefaults()->stringForKey(kSessionIdKey).UTF8String();
    ASSERT_TRUE(NSUserDefaults::standardUserDefaults()->dataForKey(kSessionCookiesKey));

    auto next = changePassword("123456", "654321");
    ASSERT_TRUE(waitFor(next));
    EXPECT_EQ(standIn.requests().back().header("Cookie"), "TSSESSION=" + sessionId);
    EXPECT_EQ(standIn.requests().back().headers.count("Cookie"), 1u);

    // A restart: the cookie jar starts empty and the defaults are read again from their file.
    NSUserDefaults::resetStandardUserDefaults();
    NSHTTPCookieStorage::resetSharedHTTPCookieStorage();
    auto afterRestart = changePassword("654321", "123456");
    ASSERT_TRUE(waitFor(afterRestart));
    EXPECT_EQ(standIn.requests().back().header("Cookie"), "TSSESSION=" + sessionId);
    EXPECT_EQ(ServiceReply::mainServiceCode(afterRestart.object), 0);
}

TEST_F(HttpServiceTest, expiredSessionPostsRestartWithMinusThreeAndNoCallback)
{
    ASSERT_TRUE(login().succeeded);
    standIn.expireSessions();
    auto change = changePassword("123456", "654321");
    ASSERT_TRUE(waitForRestart(change));
    EXPECT_EQ(restartCodes, std::vector<int> { -3 });
}

TEST_F(HttpServiceTest, sessionReplacedByANewerLoginPostsRestartWithMinusFour)
{
    ASSERT_TRUE(login().succeeded);
    // The same account logs in on another device.
    httplib::Client other("127.0.0.1", standIn.mainPort());
    auto answer = other.Post(std::string("/Tessalane/resource/") + kDistribute,
        std::string("METHOD=loginMethod&PROVINCE=510000&DEPCODE=510100&ROLETYPE=0&PHONETYPE=1&PASSWRD=123456&USERCODE=") + kLearner
            + "&" + kFixedFields,
        "application/x-www-form-urlencoded");
    ASSERT_TRUE(answer);

    auto change = changePassword("123456", "654321");
    ASSERT_TRUE(waitForRestart(change));
    EXPECT_EQ(restartCodes, std::vector<int> { -4 });

    // The video service reports the same through its top-level code.
    auto param = NSMutableDictionary::dictionary();
    param->setObject(NSString(kLearner), "USERCODE");
    param->setObject(NSUserDefaults::standardUserDefaults()->stringForKey(kSessionIdKey), "TALKID");
    auto fields = NSMutableDictionary::dictionary();
    fields->setObject(JSONCodecSerializing::JSONString(std::static_pointer_cast<NSDictionary>(param)), "param");
    ServiceReplyRecord check;
    HttpServiceVideoStud::create()->httpRequestDict(recordSuccess(check), recordFailure(check), "app/loginCheck", nullptr, fields);
    restartCodes.clear();
    ASSERT_TRUE(waitForRestart(check));
    EXPECT_EQ(restartCodes, std::vector<int> { -4 });
}

TEST_F(HttpServiceTest, videoLoginCheckFillsTheVideoAccount)
{
    ASSERT_TRUE(login().succeeded);
    auto param = NSMutableDictionary::dictionary();
    param->setObject(NSString(kLearner), "USERCODE");
    param->setObject(NSString("2"), "SUBJECT");
    param->setObject(NSUserDefaults::standardUserDefaults()->stringForKey(kSessionIdKey), "TALKID");
    auto fields = NSMutableDictionary::dictionary();
    fields->setObject(JSONCodecSerializing::JSONString(std::static_pointer_cast<NSDictionary>(param)), "param");
    ServiceReplyRecord check;
    HttpServiceVideoStud::create()->httpRequestDict(recordSuccess(check), recordFailure(check), "app/loginCheck", nullptr, fields);
    ASSERT_TRUE(waitFor(check));
    ASSERT_TRUE(check.succeeded);
    EXPECT_EQ(standIn.requests().back().path, "/Tessalane/app/loginCheck");
    EXPECT_EQ(standIn.requests().back().body.find("TALKID="), std::string::npos) << "the video client adds no TALKID field";

    auto account = VideoStUser::videoStUserFromLoginCheckReply(check.object);
    ASSERT_TRUE(account);
    EXPECT_EQ(account->sub1time(), 43200);
    EXPECT_EQ(account->sub2time(), 14400);
    EXPECT_EQ(account->distanceEduation().UTF8String(), "1");
    EXPECT_EQ(account->isOpenOrbipay().UTF8String(), "0");
    EXPECT_EQ(account->value1().UTF8String(), "16");
}

TEST_F(HttpServiceTest, regionListIsCachedAndTheLastLoginReadBackAfterARestart)
{
    ServiceReplyRecord regions;
    HttpService::create()->httpRequestDict(recordSuccess(regions), recordFailure(regions), kRegions, nullptr, NSMutableDictionary::dictionary());
    ASSERT_TRUE(waitFor(regions));
    auto rows = ServiceReply::rows(regions.object, "array0");
    ASSERT_EQ(rows->count(), 7u);

    auto store = UserManager::shareInstance();
    store->deleteProvanceInfo();
    store->cacheProvanceInfo(rows);
    store->deleteLoginInfo();
    store->cacheLoginInfo("510100", "0", kLearner, "123456");

    NSUserDefaults::resetStandardUserDefaults();
    auto cached = UserManager::create()->querProvanceInfo();
    ASSERT_EQ(cached->count(), 7u);
    for (NSUInteger i = 0; i < rows->count(); ++i) {
        auto sent = ns::dictionaryValue(rows->objectAtIndex(i));
        auto kept = ns::dictionaryValue(cached->objectAtIndex(i));
        EXPECT_TRUE(ns::stringForKey(kept, "DEPCODE").isEqualToString(ns::stringForKey(sent, "DEPCODE")));
        EXPECT_TRUE(ns::stringForKey(kept, "DEPNAME").isEqualToString(ns::stringForKey(sent, "DEPNAME")));
    }
    // The region without a province name is kept with an empty one.
    for (NSUInteger i = 0; i < cached->count(); ++i) {
        auto kept = ns::dictionaryValue(cached->objectAtIndex(i));
        if (ns::stringForKey(kept, "DEPCODE").isEqualToString("500100")) {
            EXPECT_EQ(ns::stringForKey(kept, "PROVINCE_NAME").UTF8String(), "");
        }
    }
    auto lastLogin = store->queryLoginInfo();
    ASSERT_TRUE(lastLogin);
    EXPECT_EQ(ns::stringForKey(lastLogin, "account").UTF8String(), kLearner);
    EXPECT_EQ(ns::stringForKey(lastLogin, "area_code").UTF8String(), "510100");
}

TEST_F(HttpServiceTest, guardRefusesWithItsAlertAndSendsNothingWhileTheNetworkIsGone)
{
    auto monitor = Reachability::reachabilityWithHostname("127.0.0.1");
    auto manager = ServerUrlManger::sharedInstance();
    std::vector<std::string> alerts;
    manager->setReachabilitySource([monitor] { return monitor; });
    manager->setNetworkUnavailableAlert([&](const NSString& title, const NSString& message, const NSString& cancel) {
        alerts.push_back(title.UTF8String() + "|" + message.UTF8String() + "|" + cancel.UTF8String());
    });

    SCNetworkReachabilitySimulateFlags(0);
    // A screen asks first and sends nothing on NO; every ask shows a new alert.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (ServerUrlManger::networkIsValid())
            HttpService::create()->httpRequestDict(nullptr, nullptr, kRegions, nullptr, NSMutableDictionary::dictionary());
    }
    testing_support::runLoopUntil([] { return false; }, 0.1);
    EXPECT_EQ(standIn.requestCount(), 0u);
    EXPECT_EQ(alerts, (std::vector<std::string> { "|当前网络不可用，请检查网络连接|确定", "|当前网络不可用，请检查网络连接|确定" }));

    SCNetworkReachabilitySimulateFlags(kSCNetworkReachabilityFlagsReachable);
    EXPECT_TRUE(ServerUrlManger::networkIsValid());
    SCNetworkReachabilityEndSimulation();
    EXPECT_TRUE(ServerUrlManger::networkIsValid());
    EXPECT_EQ(alerts.size(), 2u);
    manager->setReachabilitySource(nullptr);
    manager->setNetworkUnavailableAlert(nullptr);
}

TEST_F(HttpServiceTest, transportFailureReachesTheFailureCallbackOnTheMainThread)
{
    const int port = standIn.mainPort();
    standIn.stop();
    ServiceReplyRecord record;
    HttpService::create()->httpRequestDict(recordSuccess(record), recordFailure(record), kRegions, nullptr, NSMutableDictionary::dictionary());
    ASSERT_TRUE(waitFor(record));
    EXPECT_TRUE(record.failed);
    EXPECT_TRUE(record.onMainThread);
    ASSERT_TRUE(record.error);
    EXPECT_EQ(record.error->code(), NSURLErrorCannotConnectToHost) << "port " << port;
}

TEST_F(HttpServiceTest, nilFieldsSendABareRequestThatTheServiceRefuses)
{
    ServiceReplyRecord record;
    HttpService::create()->httpRequestDict(recordSuccess(record), recordFailure(record), kRegions, nullptr, nullptr);
    ASSERT_TRUE(waitFor(record));
    auto sent = standIn.requests();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].body, "");
    EXPECT_EQ(sent[0].headers.count("Content-Type"), 1u);
    EXPECT_EQ(ServiceReply::mainServiceCode(record.object), -1);
}
