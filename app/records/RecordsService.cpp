#include "app/records/RecordsService.h"

#include "app/screens/settings/SettingsLayout.h"
#include "app/services/HttpService.h"
#include "app/services/HttpServiceWithHost.h"
#include "app/services/ServerUrlManger.h"
#include "app/services/ServiceReply.h"
#include "library/widgets/hud/STProgressHUD.h"
#include "app/session/User.h"
#include "library/json/JSONCodecSerializing.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/foundation/TypedValues.h"

#include <atomic>
#include <chrono>

namespace RecordsService {

void sendMain(const std::shared_ptr<NSMutableDictionary>& fields, std::function<void(const id&)> done)
{
    auto service = HttpService::create();
    auto shared = std::make_shared<std::function<void(const id&)>>(std::move(done));
    service->httpRequestDict([service, shared](const id& reply) { (*shared)(reply); },
        [service, shared](const std::shared_ptr<RQHTTPRequestOperation>&, const std::shared_ptr<NSError>&) { (*shared)(nullptr); },
        kDistribute, nullptr, fields);
}

std::shared_ptr<NSMutableDictionary> appealParam(const NSString& queryType, const std::shared_ptr<NSDictionary>& param)
{
    RequestFields fields;
    auto user = SettingsLayout::currentUser();
    fields.ifPresent("TALKID", NSUserDefaults::standardUserDefaults()->stringForKey("SESSIONID"))
        .ifPresent("USERCODE", user ? id(user->userCode()) : nullptr)
        .set("QUERY_TYPE", queryType);
    auto inner = fields.dictionary();
    if (param)
        for (const auto& key : param->allKeys()->objects())
            inner->setObject(param->objectForKey(key), ns::textOf(key));
    return inner;
}

void sendAppeal(const NSString& queryType, const std::shared_ptr<NSDictionary>& param, std::function<void(const id&)> done)
{
    static std::atomic<long long> sequence { 0 };
    const long long stamp = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    auto fields = NSMutableDictionary::dictionary();
    fields->setObject(JSONCodecSerializing::JSONString(std::static_pointer_cast<NSDictionary>(appealParam(queryType, param))), NSString("param"));
    fields->setObject(SettingsLayout::shortVersion(), NSString("v"));
    fields->setObject(NSString(std::to_string(stamp * 1000 + (sequence++ % 1000))), NSString("sequenceNo"));
    fields->setObject(NSString("1"), NSString("type"));
    auto service = HttpServiceWithHost::create();
    auto shared = std::make_shared<std::function<void(const id&)>>(std::move(done));
    service->httpRequestDict([service, shared](const id& reply) { (*shared)(reply); },
        [service, shared](const std::shared_ptr<RQHTTPRequestOperation>&, const std::shared_ptr<NSError>&) { (*shared)(nullptr); },
        ServerUrlManger::sharedInstance()->getHttpUrlForAppeal(), kAppealAction, nullptr, fields);
}

bool mainSucceeded(const id& reply)
{
    const auto code = ServiceReply::mainServiceCode(reply);
    return code && *code == 0;
}

bool appealSucceeded(const id& reply)
{
    const auto code = ServiceReply::topLevelCode(reply);
    return code && *code == 0;
}

NSString failureText(const id& reply, const NSString& fallback)
{
    auto envelope = ns::dictionaryValue(reply);
    NSString text = ns::stringForKey(envelope, "message");
    if (text.isNil() || text.length() == 0)
        text = ns::stringForKey(ns::dictionaryForKey(ns::dictionaryForKey(envelope, "output"), "head"), "retDesc");
    return text.isNil() || text.length() == 0 ? fallback : text;
}

std::shared_ptr<NSArray> appealRows(const id& reply)
{
    auto rows = NSMutableArray::array();
    auto data = ns::arrayValue(ns::dictionaryValue(reply) ? ns::dictionaryValue(reply)->objectForKey(NSString("data")) : nullptr);
    for (NSUInteger i = 0; data && i < data->count(); ++i)
        if (auto row = ns::dictionaryValue(data->objectAtIndex(i)))
            rows->addObject(row);
    return rows;
}

RequestFields requiredFields(const std::shared_ptr<NSDictionary>& row, std::initializer_list<const char*> keys)
{
    RequestFields fields;
    for (const char* key : keys)
        fields.required(key, row ? row->objectForKey(NSString(key)) : nullptr);
    return fields;
}

bool rowUsable(const std::shared_ptr<NSDictionary>& row, std::initializer_list<const char*> keys)
{
    return requiredFields(row, keys).complete();
}

NSString minutesText(const std::shared_ptr<NSDictionary>& record)
{
    const NSString minutes = ns::stringForKey(record, "EFFECTTIME");
    return NSString::stringWithFormat("%@分钟", minutes.isNil() ? NSString("0") : minutes);
}

void showUnusable(const std::shared_ptr<UIView>& view)
{
    STProgressHUD::showInView(view);
    STProgressHUD::dismissWithError("服务器忙，请稍候再试！", 1.0);
}

} // namespace RecordsService
