#include "app/services/ServiceRoad.h"
#include "app/session/Constant.h"
#include "app/session/User.h"
#include "app/session/VideoStUser.h"

#include "library/json/JSONCodecDeserializing.h"
#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSUserDefaults.h"

#include <gtest/gtest.h>

namespace {

id json(const char* text)
{
    return JSONCodecDeserializing::objectFromJSONString(NSString(text));
}

} // namespace

TEST(Constant, tablesReadTextAndNumbersAlikeAndOnlyExactStatusCodes)
{
    EXPECT_EQ(Constant::getSubjectName(NSString("2")).UTF8String(), "科目二");
    EXPECT_EQ(Constant::getSubjectName(NSNumber::numberWithInt(2)).UTF8String(), "科目二");
    EXPECT_EQ(Constant::getSubjectName(NSNumber::numberWithInt(1)).UTF8String(), "科目一");
    EXPECT_EQ(Constant::getSubjectName(NSString("3")).UTF8String(), "科目三");
    EXPECT_EQ(Constant::getSubjectName(NSString("4")).UTF8String(), "");
    EXPECT_EQ(Constant::getSubjectName(nullptr).UTF8String(), "");

    EXPECT_EQ(Constant::getTypeName(nullptr).UTF8String(), "理论");
    EXPECT_EQ(Constant::getTypeName(NSString("1")).UTF8String(), "模拟");
    EXPECT_EQ(Constant::getTypeName(NSNumber::numberWithInt(2)).UTF8String(), "实操");
    EXPECT_EQ(Constant::getTypeName(NSString("9")).UTF8String(), "");

    EXPECT_EQ(Constant::getGovStatus("01").UTF8String(), "已报名");
    EXPECT_EQ(Constant::getGovStatus("06").UTF8String(), "科二审批不通过");
    EXPECT_EQ(Constant::getGovStatus("12").UTF8String(), "退学");
    EXPECT_EQ(Constant::getGovStatus("1").UTF8String(), "");
    EXPECT_EQ(Constant::getGovStatus(nullptr).UTF8String(), "");
}

TEST(User, fillsFromTheLoginReplyInTheRowsOrder)
{
    NSUserDefaults::standardUserDefaults()->setObject(NSString("OLD"), kSessionIdKey);
    auto user = User::userFromLoginReply(json(R"({"output":{"head":{"retCode":0},"body":{
        "array0":{"rowSet":{"row":[{"PARAMNAME":"ISFORCE","PARAMVALUE":"1"},{"PARAMNAME":"VERSION","PARAMVALUE":"1.0"},
            {"PARAMNAME":"OTHER","PARAMVALUE":"x"},{"PARAMNAME":"VERSION","PARAMVALUE":"1.1"},{"PARAMVALUE":"orphan"}]}},
        "array1":{"rowSet":{"row":[{"USERCODE":"u1","NAME":"王芳","DISTANCE_EDUCATION":"1","SUBJECT":3,"SESSIONID":"S-1"},
            {"USERCODE":"second"}]}}}}})"),
        "typed");
    ASSERT_TRUE(user);
    EXPECT_EQ(user->isForce().UTF8String(), "1");
    EXPECT_EQ(user->version().UTF8String(), "1.1");
    EXPECT_TRUE(user->updateContent().isNil());
    EXPECT_EQ(user->userCode().UTF8String(), "u1");
    EXPECT_EQ(user->name().UTF8String(), "王芳");
    EXPECT_EQ(user->distanceEduation(), 1);
    EXPECT_EQ(user->subject().UTF8String(), "3");
    EXPECT_EQ(user->password().UTF8String(), "typed");
    EXPECT_TRUE(user->phone().isNil());
    EXPECT_EQ(NSUserDefaults::standardUserDefaults()->stringForKey(kSessionIdKey).UTF8String(), "S-1");
}

TEST(User, replyWithoutPersonKeepsOnlyTheUpdateFieldsAndTheOldSession)
{
    NSUserDefaults::standardUserDefaults()->setObject(NSString("OLD"), kSessionIdKey);
    auto user = User::userFromLoginReply(json(R"({"output":{"head":{"retCode":"0"},"body":{
        "array0":{"rowSet":{"row":[{"PARAMNAME":"DOWNLOAD_URL","PARAMVALUE":"http://d"}]}},"array1":{"rowSet":{"row":[]}}}}})"),
        "p");
    ASSERT_TRUE(user);
    EXPECT_EQ(user->downLoadUrl().UTF8String(), "http://d");
    EXPECT_TRUE(user->userCode().isNil());
    EXPECT_TRUE(user->password().isNil());
    EXPECT_EQ(NSUserDefaults::standardUserDefaults()->stringForKey(kSessionIdKey).UTF8String(), "OLD");

    EXPECT_FALSE(User::userFromLoginReply(json(R"({"output":{"head":{"retCode":"1"}}})"), "p"));
    EXPECT_FALSE(User::userFromLoginReply(json(R"({"output":{}})"), "p"));
    EXPECT_FALSE(User::userFromLoginReply(nullptr, "p"));
}

TEST(VideoStUser, fillsFromTheLoginCheckDataWithLowerCaseTimesAsIntegers)
{
    auto account = VideoStUser::videoStUserFromLoginCheckReply(json(R"({"code":"0","data":{"THEORYHOURS":"12","VALUE2":"10",
        "sub1time":"3600","sub2time":120,"SUB1TIME":99,"ISPOWER":"1","SUB3ALLTIME":"36000","DISTANCE_EDUCATION":"1","IS_OPEN_ORBIPAY":"1"}})"));
    ASSERT_TRUE(account);
    EXPECT_EQ(account->theoryHours().UTF8String(), "12");
    EXPECT_EQ(account->value2().UTF8String(), "10");
    EXPECT_EQ(account->sub1time(), 3600);
    EXPECT_EQ(account->sub2time(), 120);
    EXPECT_EQ(account->sub3time(), 0);
    EXPECT_EQ(account->isPower().UTF8String(), "1");
    EXPECT_EQ(account->sub3AllTime().UTF8String(), "36000");
    EXPECT_EQ(account->distanceEduation().UTF8String(), "1");
    EXPECT_EQ(account->isOpenOrbipay().UTF8String(), "1");

    EXPECT_FALSE(VideoStUser::videoStUserFromLoginCheckReply(json(R"({"code":1,"data":{}})")));
    EXPECT_FALSE(VideoStUser::videoStUserFromLoginCheckReply(json(R"({"code":0})")));
    EXPECT_FALSE(VideoStUser::videoStUserFromLoginCheckReply(json(R"({"code":0,"data":[1]})")));
    EXPECT_FALSE(VideoStUser::videoStUserFromLoginCheckReply(json(R"([0])")));
}
