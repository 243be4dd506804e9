#include "app/services/HttpServiceVideoStud.h"

#include "app/services/ServerUrlManger.h"

// The header fields argument is accepted and ignored by every operation, as every caller passes nil.

namespace {

using Decoding = ServiceRoute::Decoding;
using SessionTest = ServiceRoute::SessionTest;

constexpr ServiceRoute kVideoDictRoute { .decoding = Decoding::Form, .sessionTest = SessionTest::TopLevelCode };
constexpr ServiceRoute kVideoArrayRoute { .decoding = Decoding::PercentOnly, .sessionTest = SessionTest::TopLevelCode, .logsURL = false };

} // namespace

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
