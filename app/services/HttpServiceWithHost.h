#pragma once
// The client of a service whose base URL the caller passes: the training-hour and appeal
// service and the payment service. A top-level code of -3 or -4 posts "Corvane_restart"
// instead of reaching the success callback.

#include "app/services/ServiceRoad.h"

class HttpServiceWithHost : public NSObject {
    NS_OBJECT(HttpServiceWithHost, NSObject)
public:
    void httpRequestDict(HttpServiceSuccess success, HttpServiceFailure failure, const NSString& requestUrl,
        const NSString& requestAction, const std::shared_ptr<NSDictionary>& requestHeader,
        const std::shared_ptr<NSMutableDictionary>& requestParams);
    // The reply text is decoded as it came, so the signed payment text reaches the caller unaltered.
    void httpRequestOrbipayInfo(HttpServiceSuccess success, HttpServiceFailure failure, const NSString& requestUrl,
        const NSString& requestAction, const std::shared_ptr<NSDictionary>& requestHeader,
        const std::shared_ptr<NSMutableDictionary>& requestParams);
    void httpRequestArray(HttpServiceSuccess success, HttpServiceFailure failure, const NSString& requestUrl,
        const NSString& requestAction, const std::shared_ptr<NSDictionary>& requestHeader,
        const std::shared_ptr<NSMutableDictionary>& requestParams);
};
