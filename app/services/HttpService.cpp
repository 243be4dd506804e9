#include "app/services/HttpService.h"

#include "app/services/ServerUrlManger.h"

// The header fields argument is accepted and ignored by every operation, as every caller passes nil.

namespace {

using Decoding = ServiceRoute::Decoding;
using SessionTest = ServiceRoute::SessionTest;

constexpr ServiceRoute kLoginRoute { .decoding = Decoding::Form, .sessionTest = SessionTest::None, .savesCookies = true };
constexpr ServiceRoute kMainDictRoute { .decoding = Decoding::Form, .sessionTest = SessionTest::MainEnvelope, .addsTalkId = true };
constexpr ServiceRoute kMainArrayRoute {
    .decoding = Decoding::PercentOnly, .sessionTest = SessionTest::MainEnvelope, .addsTalkId = true, .logsURL = false };

} // namespace

void HttpService::httpLogin(HttpServiceSuccess success, HttpServiceFailure failure, const NSString& requestAction,
    const std::shared_ptr<NSDictionary>&, const std::shared_ptr<NSMutableDictionary>& requestParams)
{
    ServiceRoad::send(ServerUrlManger::sharedInstance()->getHttpUrl(), requestAction, requestParams, kLoginRoute,
        std::move(success), std::move(failure));
}
void HttpService::httpRequestDict(HttpServiceSuccess success, HttpServiceFailure failure, const NSString& requestAction,
    const std::shared_ptr<NSDictionary>&, const std::shared_ptr<NSMutableDictionary>& requestParams)
{
    ServiceRoad::send(ServerUrlManger::sharedInstance()->getHttpUrl(), requestAction, requestParams, kMainDictRoute,
        std::move(success), std::move(failure));
}
void HttpService::httpRequestArray(HttpServiceSuccess success, HttpServiceFailure failure, const NSString& requestAction,
    const std::shared_ptr<NSDictionary>&, const std::shared_ptr<NSMutableDictionary>& requestParams)
{
    ServiceRoad::send(ServerUrlManger::sharedInstance()->getHttpUrl(), requestAction, requestParams, kMainArrayRoute,
        std::move(success), std::move(failure));
}
