#include "app/ServiceRoad.h"
#include "app/ServiceReply.h"
#include "app/User.h"
#include "app/VideoStUser.h"

#include "platform/foundation/NSUserDefaults.h"
#include "platform/foundation/TypedValues.h"

std::shared_ptr<User> User::userFromLoginReply(const id& reply, const NSString& password)
{
    auto code = ServiceReply::mainServiceCode(reply);
    if (!code || *code != 0)
        return nullptr;
    auto user = User::create();
    auto settings = ServiceReply::rows(reply, "array0");
    for (NSUInteger i = 0; i < settings->count(); ++i) {
        auto row = ns::dictionaryValue(settings->objectAtIndex(i));
        const NSString name = ns::stringForKey(row, "PARAMNAME");
        const NSString value = ns::stringForKey(row, "PARAMVALUE");
        if (name == NSString("VERSION"))
            user->setVersion(value);
        else if (name == NSString("UPDATE_CONTENT"))
            user->setUpdateContent(value);
        else if (name == NSString("DOWNLOAD_URL"))
            user->setDownLoadUrl(value);
        else if (name == NSString("ISFORCE"))
            user->setIsForce(value);
    }
    auto people = ServiceReply::rows(reply, "array1");
    if (people->count() == 0)
        return user;
    auto row = ns::dictionaryValue(people->objectAtIndex(0));
    user->setUserCode(ns::stringForKey(row, "USERCODE"));
    user->setPhone(ns::stringForKey(row, "PHONE"));
    user->setPassword(password);
    user->setCardNo(ns::stringForKey(row, "CARDNO"));
    user->setName(ns::stringForKey(row, "NAME"));
    user->setUid(ns::stringForKey(row, "STUID"));
    user->setCarType(ns::stringForKey(row, "PERDRITYPE"));
    user->setAdmissionDate(ns::stringForKey(row, "ADMISSIONDATE"));
    user->setGovStatus(ns::stringForKey(row, "GOVSTATUS"));
    user->setEpName(ns::stringForKey(row, "EPNAME"));
    user->setUrlImg(ns::stringForKey(row, "URLIMG"));
    user->setSubject(ns::stringForKey(row, "SUBJECT"));
    user->setDistanceEduation(ns::integerForKey(row, "DISTANCE_EDUCATION"));
    user->setJxImgUrl(ns::stringForKey(row, "JXIMGURL"));
    user->setStuapplicationId(ns::stringForKey(row, "STUAPPLICATIONID"));
    auto defaults = NSUserDefaults::standardUserDefaults();
    defaults->setObject(ns::stringForKey(row, "SESSIONID"), kSessionIdKey);
    defaults->synchronize();
    return user;
}

std::shared_ptr<VideoStUser> VideoStUser::videoStUserFromLoginCheckReply(const id& reply)
{
    auto object = ns::dictionaryValue(reply);
    auto data = ns::dictionaryForKey(object, "data");
    if (!object || ns::integerForKey(object, "code") != 0 || !data)
        return nullptr;
    auto user = VideoStUser::create();
    user->setTheoryHours(ns::stringForKey(data, "THEORYHOURS"));
    user->setTheoryHours2(ns::stringForKey(data, "THEORYHOURS2"));
    user->setTheoryHours3(ns::stringForKey(data, "THEORYHOURS3"));
    user->setValue0(ns::stringForKey(data, "VALUE0"));
    user->setValue1(ns::stringForKey(data, "VALUE1"));
    user->setValue2(ns::stringForKey(data, "VALUE2"));
    user->setSub1time(ns::integerForKey(data, "sub1time"));
    user->setSub2time(ns::integerForKey(data, "sub2time"));
    user->setSub3time(ns::integerForKey(data, "sub3time"));
    user->setIsPower(ns::stringForKey(data, "ISPOWER"));
    user->setSub1AllTime(ns::stringForKey(data, "SUB1ALLTIME"));
    user->setSub2AllTime(ns::stringForKey(data, "SUB2ALLTIME"));
    user->setSub3AllTime(ns::stringForKey(data, "SUB3ALLTIME"));
    user->setDistanceEduation(ns::stringForKey(data, "DISTANCE_EDUCATION"));
    user->setIsOpenOrbipay(ns::stringForKey(data, "IS_OPEN_ORBIPAY"));
    return user;
}
