#include "app/services/ServiceLog.h"
#include "app/services/ServiceReply.h"
#include "app/services/ServiceRoad.h"

#include "library/json/JSONCodecDeserializing.h"
#include "library/json/JSONCodecSerializing.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/foundation/TypedValues.h"
#include "platform/net/NSHTTPCookieStorage.h"

#include <gtest/gtest.h>

namespace {

id json(const char* text)
{
    return JSONCodecDeserializing::objectFromJSONString(NSString(text));
}

} // namespace

TEST(ServiceReply, plusBecomesABlankBeforeEscapesAreDecodedAndBadEscapesStay)
{
    EXPECT_EQ(ServiceReply::formDecode("%2B86+138%20x").UTF8String(), "+86 138 x");
    EXPECT_EQ(ServiceReply::percentDecode("%2B86+138").UTF8String(), "+86+138");
    EXPECT_EQ(ServiceReply::formDecode("100%+%E6%88%90%zz%4").UTF8String(), "100% 成%zz%4");
    // Escapes that make no UTF-8 text leave the whole text as it came.
    EXPECT_EQ(ServiceReply::percentDecode("a%FF%FEb").UTF8String(), "a%FF%FEb");
    EXPECT_TRUE(ServiceReply::formDecode(nullptr).isNil());
    EXPECT_EQ(ServiceReply::percentDecode("plain").UTF8String(), "plain");
}

TEST(ServiceReply, codesReadFromTextNumbersAndAnythingElseAsZero)
{
    EXPECT_EQ(ServiceReply::mainServiceCode(json(R"({"output":{"head":{"retCode":"-3"}}})")), -3);
    EXPECT_EQ(ServiceReply::mainServiceCode(json(R"({"output":{"head":{"retCode":-4}}})")), -4);
    EXPECT_EQ(ServiceReply::mainServiceCode(json(R"({"output":{"head":{"retCode":null}}})")), 0);
    EXPECT_EQ(ServiceReply::mainServiceCode(json(R"({"output":{"head":{"retCode":{"a":1}}}})")), 0);
    EXPECT_EQ(ServiceReply::mainServiceCode(json(R"({"output":{"head":[]}})")), std::nullopt);
    EXPECT_EQ(ServiceReply::mainServiceCode(json(R"({"output":[1]})")), std::nullopt);
    EXPECT_EQ(ServiceReply::mainServiceCode(json("[1]")), std::nullopt);
    EXPECT_EQ(ServiceReply::topLevelCode(json(R"({"code":"-4"})")), -4);
    EXPECT_EQ(ServiceReply::topLevelCode(json(R"({"message":"x"})")), 0);
    EXPECT_EQ(ServiceReply::topLevelCode(json("[]")), std::nullopt);
    EXPECT_TRUE(ServiceReply::isSessionLost(-3));
    EXPECT_TRUE(ServiceReply::isSessionLost(-4));
    EXPECT_FALSE(ServiceReply::isSessionLost(-5));
    EXPECT_FALSE(ServiceReply::isSessionLost(-2));
    EXPECT_FALSE(ServiceReply::isSessionLost(4));
    EXPECT_EQ(ServiceReply::rows(json(R"({"output":{"body":{"array0":{"rowSet":{"row":{"a":1}}}}}})"), "array0")->count(), 0u);
}

TEST(ServiceLog, secretsAreMaskedWhereverTheyOccur)
{
    auto fields = NSMutableDictionary::dictionary();
    fields->setObject(NSString("secret1"), "PASSWRD");
    fields->setObject(NSString("secret2"), "OLDPASSWRD");
    fields->setObject(NSString("secret3"), "NEWPASSWRD");
    fields->setObject(NSString("S-9"), "TALKID");
    fields->setObject(NSString(R"({"USERCODE":"u","TALKID":"S-9"})"), "param");
    fields->setObject(NSString("u"), "USERCODE");
    const std::string line = ServiceLog::masked(fields)->description().UTF8String()
        + ServiceLog::masked(json(R"({"output":{"body":{"array1":{"rowSet":{"row":[{"SESSIONID":"S-9","NAME":"n"}]}}}}})"))->description().UTF8String();
    for (const char* secret : { "secret1", "secret2", "secret3", "S-9" })
        EXPECT_EQ(line.find(secret), std::string::npos) << secret;
    EXPECT_NE(line.find("USERCODE"), std::string::npos);
    EXPECT_NE(line.find(ServiceLog::kMask), std::string::npos);
    EXPECT_FALSE(ServiceLog::masked(nullptr));

    auto cookie = NSHTTPCookie::cookieWithSetCookieLine("TSSESSION=S-9; Path=/", NSURL::URLWithString("http://127.0.0.1/"));
    ASSERT_TRUE(cookie);
    EXPECT_EQ(ServiceLog::cookieDescription(cookie).UTF8String().find("S-9"), std::string::npos);
    EXPECT_NE(ServiceLog::cookieDescription(cookie).UTF8String().find("TSSESSION"), std::string::npos);
}

TEST(ServiceRoad, requestFormAndDamagedCookieArchive)
{
    NSUserDefaults::standardUserDefaults()->setObject(NSData::dataWithBytes("junk", 4), kSessionCookiesKey);
    NSUserDefaults::standardUserDefaults()->setObject(NSString("S-1"), kSessionIdKey);
    auto fields = NSMutableDictionary::dictionary();
    auto request = ServiceRoad::makeRequest("http://127.0.0.1:9/base", "action", fields, ServiceRoute { .addsTalkId = false });
    EXPECT_EQ(request->URL()->absoluteString().UTF8String(), "http://127.0.0.1:9/baseaction");
    EXPECT_EQ(request->HTTPMethod().UTF8String(), "Post");
    EXPECT_EQ(request->timeoutInterval(), 30);
    EXPECT_FALSE(request->valueForHTTPHeaderField("Cookie"));
    EXPECT_FALSE(fields->objectForKey("TALKID"));
    EXPECT_EQ(NSHTTPCookieStorage::sharedHTTPCookieStorage()->cookies()->count(), 0u);

    auto none = ServiceRoad::makeRequest(nullptr, nullptr, nullptr, ServiceRoute {});
    EXPECT_FALSE(none->HTTPBody());
    EXPECT_EQ(none->valueForHTTPHeaderField("Content-Type").UTF8String(), "application/x-www-form-urlencoded; charset=utf-8");
}

TEST(ServiceRoad, lostSessionIsPostedInsteadOfAnsweredAndOtherRepliesPassUnchanged)
{
    std::vector<int> codes;
    auto token = NSNotificationCenter::defaultCenter()->addObserverForName(kCorvaneRestartNotification, nullptr, nullptr,
        [&](const std::shared_ptr<NSNotification>& notification) { codes.push_back(ns::intValue(notification->object())); });
    bool lost = false;
    const ServiceRoute main { .sessionTest = ServiceRoute::SessionTest::MainEnvelope };
    EXPECT_FALSE(ServiceRoad::readReply("%7B%22output%22%3A%7B%22head%22%3A%7B%22retCode%22%3A-4%7D%7D%7D", main, lost));
    EXPECT_TRUE(lost);
    auto passed = ServiceRoad::readReply("%7B%22output%22%3A%7B%7D%7D", main, lost);
    EXPECT_FALSE(lost);
    EXPECT_TRUE(ns::dictionaryValue(passed));
    EXPECT_FALSE(ServiceRoad::readReply(nullptr, main, lost));
    EXPECT_FALSE(lost);
    const ServiceRoute raw { .decoding = ServiceRoute::Decoding::Raw, .sessionTest = ServiceRoute::SessionTest::TopLevelCode, .logsRawText = true };
    EXPECT_FALSE(ServiceRoad::readReply(R"({"code":-3})", raw, lost));
    EXPECT_TRUE(lost);
    EXPECT_FALSE(ServiceRoad::readReply("not json", raw, lost));
    EXPECT_FALSE(lost);
    EXPECT_EQ(codes, (std::vector<int> { -4, -3 }));
    NSNotificationCenter::defaultCenter()->removeObserver(token);
}

TEST(ServiceLog, theLearnersPhoneAndCardNumbersStayOutOfTheLoginReplyLine)
{
    const std::string line = ServiceLog::masked(json(R"({"output":{"body":{"array1":{"rowSet":{"row":[
        {"PHONE":"13800138000","CARDNO":"510104199203154321","NAME":"张三"}]}}}}})"))->description().UTF8String();
    EXPECT_EQ(line.find("13800138000"), std::string::npos);
    EXPECT_EQ(line.find("510104199203154321"), std::string::npos);
    EXPECT_NE(line.find("PHONE"), std::string::npos);
}
