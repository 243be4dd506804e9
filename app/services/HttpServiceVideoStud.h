#pragma once
// The client of the video-learning service. Requests carry one field, `param`, whose JSON text
// holds the session id; a top-level code of -3 or -4 posts "Corvane_restart" instead of
// reaching the success callback.

#include "app/services/ServiceRoad.h"

class HttpServiceVideoStud : public NSObject {
    NS_OBJECT(HttpServiceVideoStud, NSObject)
public:
    void httpRequestDict(HttpServiceSuccess success, HttpServiceFailure failure, const NSString& requestAction,
        const std::shared_ptr<NSDictionary>& requestHeader, const std::shared_ptr<NSMutableDictionary>& requestParams);
    void httpRequestArray(HttpServiceSuccess success, HttpServiceFailure failure, const NSString& requestAction,
        const std::shared_ptr<NSDictionary>& requestHeader, const std::shared_ptr<NSMutableDictionary>& requestParams);
};
