#include "app/services/ServiceRoad.h"

#include "app/services/ServiceLog.h"
#include "app/services/ServiceReply.h"
#include "library/json/JSONCodecDeserializing.h"
#include "library/network/request/RQQueryStringPair.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSOperationQueue.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/foundation/StringEncoding.h"
#include "platform/foundation/TypedValues.h"
#include "platform/net/NSHTTPCookieStorage.h"

namespace ServiceRoad {

void saveSessionCookies()
{
    auto storage = NSHTTPCookieStorage::sharedHTTPCookieStorage();
    auto cookies = storage->cookies();
    for (NSUInteger i = 0; i < cookies->count(); ++i)
        NSLog("Block cookie: %@", ServiceLog::cookieDescription(ns::cast<NSHTTPCookie>(cookies->objectAtIndex(i))));
    if (storage->cookieAcceptPolicy() != NSHTTPCookieAcceptPolicyAlways)
        storage->setCookieAcceptPolicy(NSHTTPCookieAcceptPolicyAlways);
    auto defaults = NSUserDefaults::standardUserDefaults();
    defaults->setObject(NSKeyedArchiver::archivedDataWithRootObject(cookies), kSessionCookiesKey);
    defaults->synchronize();
}

void restoreSessionCookies()
{
    auto archive = NSUserDefaults::standardUserDefaults()->dataForKey(kSessionCookiesKey);
    if (!archive)
        return;
    // A damaged archive restores nothing rather than stopping the request.
    auto cookies = ns::arrayValue(NSKeyedUnarchiver::unarchiveObjectWithData(archive));
    if (!cookies)
        return;
    auto storage = NSHTTPCookieStorage::sharedHTTPCookieStorage();
    for (NSUInteger i = 0; i < cookies->count(); ++i) {
        if (auto cookie = ns::cast<NSHTTPCookie>(cookies->objectAtIndex(i)))
            storage->setCookie(cookie);
    }
}

std::shared_ptr<NSMutableURLRequest> makeRequest(const NSString& baseURL, const NSString& action,
    const std::shared_ptr<NSMutableDictionary>& fields, const ServiceRoute& route)
{
    NSString URLText = NSString::stringWithFormat("%@%@", baseURL.isNil() ? NSString::string() : baseURL,
        action.isNil() ? NSString::string() : action);
    if (route.logsURL)
        NSLog("=request=%@", URLText);
    restoreSessionCookies();

    auto URL = NSURL::URLWithString(URLText);
    auto storage = NSHTTPCookieStorage::sharedHTTPCookieStorage();
    auto cookieFields = NSHTTPCookie::requestHeaderFieldsWithCookies(URL ? storage->cookiesForURL(URL) : NSArray::array());
    const NSString contentType = RQFormURLEncodedContentType(NSUTF8StringEncoding);

    auto request = NSMutableURLRequest::requestWithURL(URL);
    request->setTimeoutInterval(kServiceRequestTimeout);
    request->setHTTPMethod("Post");
    request->addValue("iOS", "User-Agent");
    request->setValue(contentType, "Content-Type");
    request->setAllHTTPHeaderFields(cookieFields);

    if (fields) {
        fields->setObject(NSString("json"), "_format_");
        fields->setObject(NSString(kServiceLicenseKey), "_license_key_");
        fields->setObject(NSString(kServiceAppId), "_app_id_");
        if (route.addsTalkId) {
            NSString sessionId = NSUserDefaults::standardUserDefaults()->stringForKey(kSessionIdKey);
            if (!sessionId.isNil())
                fields->setObject(sessionId, "TALKID");
        }
        NSLog("params=%@", ServiceLog::masked(fields));
        request->setValue(contentType, "Content-Type");
        request->setHTTPBody(RQQueryStringFromParameters(fields, NSUTF8StringEncoding).dataUsingEncoding(NSUTF8StringEncoding));
    }
    return request;
}

id readReply(const NSString& rawText, const ServiceRoute& route, bool& sessionLost)
{
    sessionLost = false;
    NSString text = rawText;
    switch (route.decoding) {
    case ServiceRoute::Decoding::Form:
        text = ServiceReply::formDecode(text);
        break;
    case ServiceRoute::Decoding::PercentOnly:
        text = ServiceReply::percentDecode(text);
        break;
    case ServiceRoute::Decoding::Raw:
        break;
    }
    id reply = text.isNil() ? nullptr : JSONCodecDeserializing::objectFromJSONString(text);
    if (route.logsRawText)
        NSLog("====json==%@", reply ? ServiceLog::masked(reply) : id(NSString::stringWithFormat("(%lu characters, no JSON)", rawText.length())));
    NSLog("====response==%@", ServiceLog::masked(reply));

    std::optional<std::int32_t> code;
    if (route.sessionTest == ServiceRoute::SessionTest::MainEnvelope)
        code = ServiceReply::mainServiceCode(reply);
    else if (route.sessionTest == ServiceRoute::SessionTest::TopLevelCode)
        code = ServiceReply::topLevelCode(reply);
    if (code && ServiceReply::isSessionLost(*code)) {
        sessionLost = true;
        NSNotificationCenter::defaultCenter()->postNotificationName(kCorvaneRestartNotification, NSNumber::numberWithInt(*code));
        return nullptr;
    }
    return reply;
}

void send(const NSString& baseURL, const NSString& action, const std::shared_ptr<NSMutableDictionary>& fields,
    const ServiceRoute& route, HttpServiceSuccess success, HttpServiceFailure failure)
{
    auto operation = RQHTTPRequestOperation::create(makeRequest(baseURL, action, fields, route));
    operation->setCompletionBlockWithSuccess(
        [route, success = std::move(success)](const std::shared_ptr<RQHTTPRequestOperation>& finished, const id&) {
            if (route.savesCookies)
                saveSessionCookies();
            bool sessionLost = false;
            id reply = readReply(finished->responseString(), route, sessionLost);
            if (!sessionLost && success)
                success(reply);
        },
        std::move(failure));
    auto queue = NSOperationQueue::create();
    queue->addOperation(operation);
}

} // namespace ServiceRoad
