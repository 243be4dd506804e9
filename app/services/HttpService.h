#pragma once
// The client of the main service. Every operation of the service goes to one dispatcher path
// and is chosen by the field METHOD; after login the dict and array operations carry the
// session id as TALKID. A reply whose retCode is -3 or -4 posts "Corvane_restart" (object: the
// code) instead of reaching the success callback; callbacks run on the main thread.

#include "app/services/ServiceRoad.h"

class HttpService : public NSObject {
    NS_OBJECT(HttpService, NSObject)
public:
    // Saves the cookie jar for later requests; no session test, no TALKID.
    void httpLogin(HttpServiceSuccess success, HttpServiceFailure failure, const NSString& requestAction,
        const std::shared_ptr<NSDictionary>& requestHeader, const std::shared_ptr<NSMutableDictionary>& requestParams);
    void httpRequestDict(HttpServiceSuccess success, HttpServiceFailure failure, const NSString& requestAction,
        const std::shared_ptr<NSDictionary>& requestHeader, const std::shared_ptr<NSMutableDictionary>& requestParams);
    // Keeps "+" in the reply text.
    void httpRequestArray(HttpServiceSuccess success, HttpServiceFailure failure, const NSString& requestAction,
        const std::shared_ptr<NSDictionary>& requestHeader, const std::shared_ptr<NSMutableDictionary>& requestParams);
};
