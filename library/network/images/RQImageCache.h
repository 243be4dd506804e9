#pragma once
// The in-memory cache of images fetched for image views, keyed by their request's URL.

#include "platform/foundation/NSCache.h"
#include "platform/net/NSURLRequest.h"
#include "platform/uikit/UIImage.h"

class RQImageCache : public NSCache {
    NS_OBJECT(RQImageCache, NSCache)
public:
    // Nil for requests that ignore local cache data.
    UIImageRef cachedImageForRequest(const std::shared_ptr<NSURLRequest>& request) const;
    void cacheImage(const UIImageRef& image, const std::shared_ptr<NSURLRequest>& request);
};
