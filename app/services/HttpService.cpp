#include "app/HttpService.h"
#include "app/HttpServiceVideoStud.h"
#include "app/HttpServiceWithHost.h"

#include "app/ServerUrlManger.h"

// The header fields argument is accepted and ignored by every operation, as every caller passes nil.

namespace {

using Decoding = ServiceRoute::Decoding;
using SessionTest = ServiceRoute::SessionTest;

constexpr ServiceRoute kLoginRoute { .decoding = Decoding::Form, .sessionTest = SessionTest::None, .savesCookies = true };
constexpr ServiceRoute kMainDictRoute { .decoding = Decoding::Form, .sessionTest = SessionTest::MainEnvelope, .addsTalkId = true };
constexpr ServiceRoute kMainArrayRoute {
    .decoding = Decoding::PercentOnly, .sessionTest = SessionTest::MainEnvelope, .addsTalkId = true, .logsURL = false };
constexpr ServiceRoute kHostDictRoute { .decoding = Decoding::Form, .sessionTest = SessionTest::TopLevelCode, .logsRawText = true };
constexpr ServiceRoute kHostPaymentInfoRoute { .decoding = Decoding::Raw, .sessionTest = SessionTest::TopLevelCode };
constexpr ServiceRoute kHostArrayRoute { .decoding = Decoding::PercentOnly, .sessionTest = SessionTest::TopLevelCode, .logsURL = false };
constexpr ServiceRoute kVideoDictRoute { .decoding = Decoding::Form, .sessionTest = SessionTest::TopLevelCode };
constexpr ServiceRoute kVideoArrayRoute { .decoding = Decoding::PercentOnly, .sessionTest = SessionTest::TopLevelCode, .logsURL = false };

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

void HttpServiceWithHost::httpRequestDict(HttpServiceSuccess success, HttpServiceFailure failure, const NSString& requestUrl,
    const NSString& requestAction, const std::shared_ptr<NSDictionary>&, const std::shared_ptr<NSMutableDictionary>& requestParams)
{
    ServiceRoad::send(requestUrl, requestAction, requestParams, kHostDictRoute, std::move(success), std::move(failure));
}

void HttpServiceWithHost::httpRequestOrbipayInfo(HttpServiceSuccess success, HttpServiceFailure failure, const NSString& requestUrl,
    const NSString& requestAction, const std::shared_ptr<NSDictionary>&, const std::shared_ptr<NSMutableDictionary>& requestParams)
{
    ServiceRoad::send(requestUrl, requestAction, requestParams, kHostPaymentInfoRoute, std::move(success), std::move(failure));
}

void HttpServiceWithHost::httpRequestArray(HttpServiceSuccess success, HttpServiceFailure failure, const NSString& requestUrl,
    const NSString& requestAction, const std::shared_ptr<NSDictionary>&, const std::shared_ptr<NSMutableDictionary>& requestParams)
{
    ServiceRoad::send(requestUrl, requestAction, requestParams, kHostArrayRoute, std::move(success), std::move(failure));
}

void HttpServiceVideoStud::httpRequestDict(HttpServiceSuccess success, HttpServiceFailure failure, const NSString& requestAction,
    const std::shared_ptr<NSDictionary>&, const std::shared_ptr<NSMutableDictionary>& requestParams)
{
    ServiceRoad::send(ServerUrlManger::sharedInstance()->getHttpUrlForVideoStud(), requestAction, requestParams, kVideoDictRoute,
        std::move(success), std::move(failure));
}

void HttpServiceVideoStud::httpRequestArray(HttpServiceSuccess success, HttpServiceFailure failure, const NSString& requestAction,
    const std::shared_ptr<NSDictionary>&, const std::shared_ptr<NSMutableDictionary>& requestParams)
{
    ServiceRoad::send(ServerUrlManger::sharedInstance()->getHttpUrlForVideoStud(), requestAction, requestParams, kVideoArrayRoute,
        std::move(success), std::move(failure));
}
