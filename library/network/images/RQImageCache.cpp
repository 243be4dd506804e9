#include "library/network/images/RQImageCache.h"

UIImageRef RQImageCache::cachedImageForRequest(const std::shared_ptr<NSURLRequest>& request) const
{
    if (!request || !request->URL())
        return nullptr;
    const auto policy = request->cachePolicy();
    if (policy == NSURLRequestReloadIgnoringLocalCacheData || policy == NSURLRequestReloadIgnoringLocalAndRemoteCacheData)
        return nullptr;
    return std::static_pointer_cast<UIImage>(objectForKey(request->URL()->absoluteString()));
}

void RQImageCache::cacheImage(const UIImageRef& image, const std::shared_ptr<NSURLRequest>& request)
{
    if (image && request && request->URL())
        setObject(image, request->URL()->absoluteString());
}
