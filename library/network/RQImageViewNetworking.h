#pragma once
// A remote image into an image view through an image request operation, with one in-memory
// cache shared by every image view; and a count of running request operations that shows the
// status bar's network activity indicator (off unless enabled).

#include "library/network/request/RQImageRequestOperation.h"
#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSCache.h"
#include "platform/foundation/NSNotification.h"
#include "platform/foundation/NSOperationQueue.h"
#include "platform/foundation/NSTimer.h"
#include "platform/uikit/UIImageView.h"

class RQImageCache : public NSCache {
    NS_OBJECT(RQImageCache, NSCache)
public:
    // Nil for requests that ignore local cache data.
    UIImageRef cachedImageForRequest(const std::shared_ptr<NSURLRequest>& request) const;
    void cacheImage(const UIImageRef& image, const std::shared_ptr<NSURLRequest>& request);
};

namespace UIImageView_RQNetworking {
using SuccessBlock = std::function<void(const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&, const UIImageRef&)>;
using FailureBlock = std::function<void(const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&,
    const std::shared_ptr<NSError>&)>;

void setImageWithURL(const std::shared_ptr<UIImageView>& view, const std::shared_ptr<NSURL>& url, const UIImageRef& placeholder = nullptr);
void setImageWithURLRequest(const std::shared_ptr<UIImageView>& view, const std::shared_ptr<NSURLRequest>& request, const UIImageRef& placeholder,
    SuccessBlock success, FailureBlock failure);
void cancelImageRequestOperation(UIImageView& view);
std::shared_ptr<RQImageRequestOperation> af_imageRequestOperation(const UIImageView& view);
const std::shared_ptr<RQImageCache>& af_sharedImageCache();
const std::shared_ptr<NSOperationQueue>& af_sharedImageRequestOperationQueue();
}

class RQNetworkActivityIndicatorManager : public NSObject {
    NS_OBJECT(RQNetworkActivityIndicatorManager, NSObject)
public:
    static std::shared_ptr<RQNetworkActivityIndicatorManager> sharedManager();
    ~RQNetworkActivityIndicatorManager() override;

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    NSInteger activityCount() const;
    bool isNetworkActivityIndicatorVisible() const { return activityCount() > 0; }
    void incrementActivityCount();
    void decrementActivityCount();
    void setActivityCount(NSInteger count);

protected:
    void init();

private:
    void changeActivityCount(const std::function<NSInteger(NSInteger)>& change);
    void updateNetworkActivityIndicatorVisibilityDelayed();
    void updateNetworkActivityIndicatorVisibility();
    void networkingOperationDidStart(const std::shared_ptr<NSNotification>& notification);
    void networkingOperationDidFinish(const std::shared_ptr<NSNotification>& notification);

    mutable Mutex m_mutex;
    std::atomic<bool> m_enabled { false };
    NSInteger m_activityCount GUARDED_BY(m_mutex) { 0 };
    std::shared_ptr<NSTimer> m_activityIndicatorVisibilityTimer;
};
