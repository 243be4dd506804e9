#include "app/session/VideoStUser.h"

#include "platform/foundation/TypedValues.h"

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
