#pragma once
// Loads the picture at a URL into one answer on the main thread: memory, then disk, then one
// shared download, stored into both cache levels. URLs that failed for good (a bad URL, a 404,
// bytes that are no image) are refused afterwards; failures that may pass (time-outs, lost
// connections, 5xx replies, truncated bodies) are not remembered.

#include "library/network/images/RIImageCache.h"
#include "library/network/images/RIImageCombinedOperation.h"
#include "library/network/images/RIImageDownloader.h"
#include "library/network/images/RIImageOperation.h"
#include "platform/foundation/Mutex.h"

#include <vector>

enum RIImageLoadOptions : NSUInteger {
    RIImageLoadRetryFailed = 1 << 0,
    RIImageLoadLowPriority = 1 << 1,
    RIImageLoadMemoryCacheOnly = 1 << 2,
    RIImageLoadProgressive = 1 << 3,
    RIImageLoadRefreshCached = 1 << 4,
    RIImageLoadContinueInBackground = 1 << 5,
    RIImageLoadHandleCookies = 1 << 6,
    RIImageLoadAllowInvalidCertificates = 1 << 7,
    RIImageLoadHighPriority = 1 << 8,
    RIImageLoadDelayPlaceholder = 1 << 9,
    RIImageLoadTransformAnimated = 1 << 10,
};

using RIImageLoadCompletionBlock = std::function<void(const UIImageRef& image, const std::shared_ptr<NSError>& error,
    RIImageCacheType cacheType, bool finished, const std::shared_ptr<NSURL>& imageURL)>;
using RIImageCacheKeyFilterBlock = std::function<NSString(const std::shared_ptr<NSURL>& url)>;

class RIImageManager;

class RIImageManagerDelegate {
public:
    virtual ~RIImageManagerDelegate() = default;
    virtual std::optional<bool> imageManagerShouldDownloadImageForURL(RIImageManager&, const std::shared_ptr<NSURL>&) { return std::nullopt; }
    virtual std::optional<UIImageRef> imageManagerTransformDownloadedImage(RIImageManager&, const UIImageRef&, const std::shared_ptr<NSURL>&)
    {
        return std::nullopt;
    }
};

class RIImageManager : public NSObject {
    NS_OBJECT(RIImageManager, NSObject)
public:
    static std::shared_ptr<RIImageManager> sharedManager();

    std::shared_ptr<RIImageManagerDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<RIImageManagerDelegate>& delegate) { m_delegate = delegate; }
    const std::shared_ptr<RIImageCache>& imageCache() const { return m_imageCache; }
    const std::shared_ptr<RIImageDownloader>& imageDownloader() const { return m_imageDownloader; }
    void setCacheKeyFilter(RIImageCacheKeyFilterBlock filter);

    NSString cacheKeyForURL(const std::shared_ptr<NSURL>& url) const;
    bool cachedImageExistsForURL(const std::shared_ptr<NSURL>& url) const;
    bool diskImageExistsForURL(const std::shared_ptr<NSURL>& url) const;
    void cachedImageExistsForURL(const std::shared_ptr<NSURL>& url, std::function<void(bool)> completion) const;
    void diskImageExistsForURL(const std::shared_ptr<NSURL>& url, std::function<void(bool)> completion) const;

    // The URL as a URL or as text; anything else (nil, a null, a number) loads as no URL.
    std::shared_ptr<RIImageCombinedOperation> downloadImageWithURL(const id& url, NSUInteger options,
        RIImageDownloaderProgressBlock progress, RIImageLoadCompletionBlock completed);
    void saveImageToCache(const UIImageRef& image, const std::shared_ptr<NSURL>& url);
    void cancelAll();
    bool isRunning() const;

    std::vector<std::shared_ptr<NSURL>> failedURLs() const;
    std::size_t runningOperationCount() const;
    // Whether a failure of a download is one that another try would meet again.
    static bool isPermanentFailure(const std::shared_ptr<NSError>& error);

protected:
    // The shared cache and downloader unless others are given (tests use their own).
    // Without arguments: the shared cache and downloader.
    void init() { init(nullptr, nullptr); }
    void init(const std::shared_ptr<RIImageCache>& cache, const std::shared_ptr<RIImageDownloader>& downloader);

private:
    void removeRunning(const RIImageCombinedOperation* operation);

    std::weak_ptr<RIImageManagerDelegate> m_delegate;
    // Set by init, before the manager is shared.
    std::shared_ptr<RIImageCache> m_imageCache;
    std::shared_ptr<RIImageDownloader> m_imageDownloader;
    mutable Mutex m_filterMutex;
    RIImageCacheKeyFilterBlock m_cacheKeyFilter GUARDED_BY(m_filterMutex);
    mutable Mutex m_failedMutex;
    std::vector<std::shared_ptr<NSURL>> m_failedURLs GUARDED_BY(m_failedMutex);
    mutable Mutex m_runningMutex;
    std::vector<std::shared_ptr<RIImageCombinedOperation>> m_runningOperations GUARDED_BY(m_runningMutex);
};
