#include "app/session/User.h"

#include "app/services/ServiceReply.h"
#include "app/services/ServiceRoad.h"
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
