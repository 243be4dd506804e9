#include "library/network/images/RIImageManager.h"

#include "platform/foundation/NSThread.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/net/NSURLError.h"

namespace {

void onMainSync(const std::function<void()>& block)
{
    if (NSThread::isMainThread())
        block();
    else
        dispatch_sync(dispatch_get_main_queue(), block);
}

NSUInteger downloadOptionsFor(NSUInteger options)
{
    NSUInteger fetch = 0;
    if (options & RIImageLoadLowPriority)
        fetch |= RIImageFetchLowPriority;
    if (options & RIImageLoadProgressive)
        fetch |= RIImageFetchProgressive;
    if (options & RIImageLoadRefreshCached)
        fetch |= RIImageFetchUseURLCache;
    if (options & RIImageLoadContinueInBackground)
        fetch |= RIImageFetchContinueInBackground;
    if (options & RIImageLoadHandleCookies)
        fetch |= RIImageFetchHandleCookies;
    if (options & RIImageLoadAllowInvalidCertificates)
        fetch |= RIImageFetchAllowInvalidCertificates;
    if (options & RIImageLoadHighPriority)
        fetch |= RIImageFetchHighPriority;
    return fetch;
}

} // namespace

std::shared_ptr<RIImageManager> RIImageManager::sharedManager()
{
    static const NeverDestroyed<std::shared_ptr<RIImageManager>> instance([] {
        auto manager = RIImageManager::create();
        // The downloader reads the scale of what it decodes from this manager's keys.
        std::weak_ptr<RIImageManager> weakManager = manager;
        manager->imageDownloader()->setCacheKeyProvider([weakManager](const std::shared_ptr<NSURL>& url) {
            auto strong = weakManager.lock();
            return strong ? strong->cacheKeyForURL(url) : (url ? url->absoluteString() : NSString());
        });
        return manager;
    }());
    return instance.get();
}

void RIImageManager::init(const std::shared_ptr<RIImageCache>& cache, const std::shared_ptr<RIImageDownloader>& downloader)
{
    m_imageCache = cache ? cache : RIImageCache::sharedImageCache();
    m_imageDownloader = downloader ? downloader : RIImageDownloader::sharedDownloader();
    if (downloader) {
        std::weak_ptr<RIImageManager> weakSelf = std::static_pointer_cast<RIImageManager>(self());
        downloader->setCacheKeyProvider([weakSelf](const std::shared_ptr<NSURL>& url) {
            auto strong = weakSelf.lock();
            return strong ? strong->cacheKeyForURL(url) : (url ? url->absoluteString() : NSString());
        });
    }
}

void RIImageManager::setCacheKeyFilter(RIImageCacheKeyFilterBlock filter)
{
    MutexLocker lock(m_filterMutex);
    m_cacheKeyFilter = std::move(filter);
}

NSString RIImageManager::cacheKeyForURL(const std::shared_ptr<NSURL>& url) const
{
    RIImageCacheKeyFilterBlock filter;
    {
        MutexLocker lock(m_filterMutex);
        filter = m_cacheKeyFilter;
    }
    if (filter)
        return filter(url);
    return url ? url->absoluteString() : NSString();
}

bool RIImageManager::cachedImageExistsForURL(const std::shared_ptr<NSURL>& url) const
{
    const NSString key = cacheKeyForURL(url);
    return m_imageCache->imageFromMemoryCacheForKey(key) || m_imageCache->diskImageExistsWithKey(key);
}

bool RIImageManager::diskImageExistsForURL(const std::shared_ptr<NSURL>& url) const
{
    return m_imageCache->diskImageExistsWithKey(cacheKeyForURL(url));
}

void RIImageManager::cachedImageExistsForURL(const std::shared_ptr<NSURL>& url, std::function<void(bool)> completion) const
{
    const NSString key = cacheKeyForURL(url);
    if (m_imageCache->imageFromMemoryCacheForKey(key)) {
        if (completion)
            dispatch_async(dispatch_get_main_queue(), [completion] { completion(true); });
        return;
    }
    m_imageCache->diskImageExistsWithKey(key, std::move(completion));
}

void RIImageManager::diskImageExistsForURL(const std::shared_ptr<NSURL>& url, std::function<void(bool)> completion) const
{
    m_imageCache->diskImageExistsWithKey(cacheKeyForURL(url), std::move(completion));
}

bool RIImageManager::isPermanentFailure(const std::shared_ptr<NSError>& error)
{
    if (!error)
        return false;
    const NSInteger code = error->code();
    if (error->domain() == RIImageErrorDomain)
        return code == RIImageErrorNotAnImage;
    if (error->domain() != NSURLErrorDomain)
        return false;
    // HTTP statuses arrive as codes: the client errors are the server's final word, except a
    // request time-out and a rate limit; 5xx replies may pass.
    if (code >= 400 && code < 500)
        return code != 408 && code != 429;
    return code == NSURLErrorBadURL || code == NSURLErrorUnsupportedURL || code == NSURLErrorFileDoesNotExist;
}

std::vector<std::shared_ptr<NSURL>> RIImageManager::failedURLs() const
{
    MutexLocker lock(m_failedMutex);
    return m_failedURLs;
}

std::size_t RIImageManager::runningOperationCount() const
{
    MutexLocker lock(m_runningMutex);
    return m_runningOperations.size();
}

bool RIImageManager::isRunning() const { return runningOperationCount() > 0; }

void RIImageManager::removeRunning(const RIImageCombinedOperation* operation)
{
    std::shared_ptr<RIImageCombinedOperation> released;
    MutexLocker lock(m_runningMutex);
    auto found = std::find_if(m_runningOperations.begin(), m_runningOperations.end(),
        [operation](const auto& running) { return running.get() == operation; });
    if (found != m_runningOperations.end()) {
        released = *found;
        m_runningOperations.erase(found);
    }
}

void RIImageManager::saveImageToCache(const UIImageRef& image, const std::shared_ptr<NSURL>& url)
{
    if (image && url)
        m_imageCache->storeImage(image, cacheKeyForURL(url), true);
}

void RIImageManager::cancelAll()
{
    std::vector<std::shared_ptr<RIImageCombinedOperation>> copied;
    {
        MutexLocker lock(m_runningMutex);
        copied = m_runningOperations;
    }
    for (const auto& operation : copied)
        operation->cancel();
    MutexLocker lock(m_runningMutex);
    std::erase_if(m_runningOperations, [&copied](const auto& running) {
        return std::find(copied.begin(), copied.end(), running) != copied.end();
    });
}

std::shared_ptr<RIImageCombinedOperation> RIImageManager::downloadImageWithURL(const id& urlArgument, NSUInteger options,
    RIImageDownloaderProgressBlock progress, RIImageLoadCompletionBlock completed)
{
    std::shared_ptr<NSURL> url = std::dynamic_pointer_cast<NSURL>(urlArgument);
    if (!url) {
        if (auto text = std::dynamic_pointer_cast<NSStringObject>(urlArgument))
            url = NSURL::URLWithString(NSString::fromId(text));
    }
    auto operation = RIImageCombinedOperation::create();
    std::weak_ptr<RIImageCombinedOperation> weakOperation = operation;
    auto done = [completed](const UIImageRef& image, const std::shared_ptr<NSError>& error, RIImageCacheType source, bool finished,
                    const std::shared_ptr<NSURL>& url) {
        if (completed)
            completed(image, error, source, finished, url);
    };

    bool failedBefore = false;
    if (url) {
        MutexLocker lock(m_failedMutex);
        for (const auto& failed : m_failedURLs)
            failedBefore = failedBefore || failed->isEqual(url);
    }
    if (!url || (failedBefore && !(options & RIImageLoadRetryFailed))) {
        onMainSync([&] { done(nullptr, NSError::errorWithDomain(NSURLErrorDomain, NSURLErrorFileDoesNotExist, std::shared_ptr<NSDictionary>()),
                             RIImageCacheSourceNone, true, url); });
        return operation;
    }

    std::weak_ptr<RIImageManager> weakSelf = std::static_pointer_cast<RIImageManager>(self());
    {
        MutexLocker lock(m_runningMutex);
        m_runningOperations.push_back(operation);
    }
    {
        MutexLocker lock(operation->m_mutex);
        const auto* raw = operation.get();
        operation->m_forget = [weakSelf, raw] {
            if (auto manager = weakSelf.lock())
                manager->removeRunning(raw);
        };
    }
    const NSString key = cacheKeyForURL(url);
    auto isCancelled = [weakOperation] {
        auto strong = weakOperation.lock();
        return !strong || strong->isCancelled();
    };

    auto cacheOperation = m_imageCache->queryDiskCacheForKey(key, [weakSelf, weakOperation, isCancelled, done, url, key, options, progress](
                                                                     const UIImageRef& cachedImage, RIImageCacheType source) {
        auto manager = weakSelf.lock();
        auto operation = weakOperation.lock();
        if (!manager || !operation)
            return;
        if (operation->isCancelled()) {
            manager->removeRunning(operation.get());
            return;
        }
        bool shouldDownload = !cachedImage || (options & RIImageLoadRefreshCached);
        if (shouldDownload) {
            if (auto delegate = manager->delegate())
                shouldDownload = delegate->imageManagerShouldDownloadImageForURL(*manager, url).value_or(true);
        }
        if (!shouldDownload) {
            manager->removeRunning(operation.get());
            onMainSync([&] {
                if (!isCancelled())
                    done(cachedImage, nullptr, cachedImage ? source : RIImageCacheSourceNone, true, url);
            });
            return;
        }
        NSUInteger fetchOptions = downloadOptionsFor(options);
        if (cachedImage) {
            // Shown at once; the download then asks the URL cache whether it changed.
            onMainSync([&] { done(cachedImage, nullptr, source, true, url); });
            fetchOptions &= ~NSUInteger(RIImageFetchProgressive);
            fetchOptions |= RIImageFetchIgnoreCachedResponse;
        }
        std::weak_ptr<RIImageManager> weakManager = manager;
        auto download = manager->m_imageDownloader->downloadImageWithURL(url, fetchOptions, progress,
            [weakManager, weakOperation, isCancelled, done, url, key, options, cachedImage](const UIImageRef& downloadedImage,
                const std::shared_ptr<NSData>& data, const std::shared_ptr<NSError>& error, bool finished) {
                auto manager = weakManager.lock();
                auto operation = weakOperation.lock();
                if (!manager || !operation)
                    return;
                auto delegate = manager->delegate();
                const bool transform = !error && downloadedImage
                    && (downloadedImage->images().empty() || (options & RIImageLoadTransformAnimated)) && delegate;
                // Out of the running list before the caller hears the last word, which it may take
                // as leave to find the manager idle; the local reference keeps the handle alive
                // until then. A transformed image leaves once it is delivered.
                if (finished && !transform)
                    manager->removeRunning(operation.get());
                if (operation->isCancelled()) {
                    if (finished && transform)
                        manager->removeRunning(operation.get());
                    return;
                }
                if (error) {
                    // Listed before the caller hears of it, so a retry from the completion is
                    // refused like any later one.
                    if (isPermanentFailure(error)) {
                        MutexLocker lock(manager->m_failedMutex);
                        bool listed = false;
                        for (const auto& failed : manager->m_failedURLs)
                            listed = listed || failed->isEqual(url);
                        if (!listed)
                            manager->m_failedURLs.push_back(url);
                    }
                    onMainSync([&] {
                        if (!isCancelled())
                            done(nullptr, error, RIImageCacheSourceNone, finished, url);
                    });
                } else if ((options & RIImageLoadRefreshCached) && cachedImage && !downloadedImage) {
                    // The URL cache answered: what is shown already is current.
                } else {
                    if (transform) {
                        std::weak_ptr<RIImageManagerDelegate> weakDelegate = delegate;
                        // Holds the handle: out of the running list it would otherwise go with the
                        // caller's last reference and read as cancelled.
                        dispatch_async(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_HIGH, 0),
                            [weakManager, weakDelegate, operation, done, url, key, options, downloadedImage, data, finished] {
                                auto manager = weakManager.lock();
                                auto delegate = weakDelegate.lock();
                                if (!manager)
                                    return;
                                UIImageRef result = downloadedImage;
                                if (delegate)
                                    result = delegate->imageManagerTransformDownloadedImage(*manager, downloadedImage, url).value_or(downloadedImage);
                                if (result && finished)
                                    manager->m_imageCache->storeImage(result, result != downloadedImage, data, key,
                                        !(options & RIImageLoadMemoryCacheOnly));
                                if (finished)
                                    manager->removeRunning(operation.get());
                                onMainSync([&] {
                                    if (!operation->isCancelled())
                                        done(result, nullptr, RIImageCacheSourceNone, finished, url);
                                });
                            });
                    } else {
                        if (downloadedImage && finished)
                            manager->m_imageCache->storeImage(downloadedImage, false, data, key, !(options & RIImageLoadMemoryCacheOnly));
                        onMainSync([&] {
                            if (!isCancelled())
                                done(downloadedImage, nullptr, RIImageCacheSourceNone, finished, url);
                        });
                    }
                }
            });
        std::weak_ptr<RIImageOperation> weakDownload = download;
        operation->setCancelBlock([download] {
            if (download)
                download->cancel();
        });
    });
    operation->setCacheOperation(cacheOperation);
    return operation;
}
