#include "app/services/HttpServiceWithHost.h"

// The header fields argument is accepted and ignored by every operation, as every caller passes nil.

namespace {

using Decoding = ServiceRoute::Decoding;
using SessionTest = ServiceRoute::SessionTest;

constexpr ServiceRoute kHostDictRoute { .decoding = Decoding::Form, .sessionTest = SessionTest::TopLevelCode, .logsRawText = true };
constexpr ServiceRoute kHostPaymentInfoRoute { .decoding = Decoding::Raw, .sessionTest = SessionTest::TopLevelCode };
constexpr ServiceRoute kHostArrayRoute { .decoding = Decoding::PercentOnly, .sessionTest = SessionTest::TopLevelCode, .logsURL = false };

} // namespace

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
