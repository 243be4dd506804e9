#pragma once
// Warms the image caches for a list of URLs ahead of need, a few at a time at low priority,
// through a manager of its own; progress after each URL, one report at the end. A new run or a
// cancel makes every block of the earlier run stale: they change nothing any more.

#include "library/network/images/RIImageManager.h"

class RIImagePrefetcher;

class RIImagePrefetcherDelegate {
public:
    virtual ~RIImagePrefetcherDelegate() = default;
    virtual void imagePrefetcherDidPrefetchURL(RIImagePrefetcher&, const std::shared_ptr<NSURL>&, NSUInteger /*finishedCount*/, NSUInteger /*totalCount*/) { }
    virtual void imagePrefetcherDidFinish(RIImagePrefetcher&, NSUInteger /*totalCount*/, NSUInteger /*skippedCount*/) { }
};

class RIImagePrefetcher : public NSObject {
    NS_OBJECT(RIImagePrefetcher, NSObject)
public:
    using ProgressBlock = std::function<void(NSUInteger finishedCount, NSUInteger totalCount)>;
    using CompletionBlock = std::function<void(NSUInteger finishedCount, NSUInteger skippedCount)>;

    static std::shared_ptr<RIImagePrefetcher> sharedImagePrefetcher();

    void prefetchURLs(const std::vector<std::shared_ptr<NSURL>>& urls) { prefetchURLs(urls, nullptr, nullptr); }
    void prefetchURLs(const std::vector<std::shared_ptr<NSURL>>& urls, ProgressBlock progress, CompletionBlock completed);
    void cancelPrefetching();

    const std::shared_ptr<RIImageManager>& manager() const { return m_manager; }
    NSUInteger options() const { return m_options; }
    void setOptions(NSUInteger options) { m_options = options; }
    NSInteger maxConcurrentDownloads() const { return m_manager->imageDownloader()->maxConcurrentDownloads(); }
    void setMaxConcurrentDownloads(NSInteger count) { m_manager->imageDownloader()->setMaxConcurrentDownloads(count); }
    const dispatch_queue_t& prefetcherQueue() const { return m_prefetcherQueue; }
    void setPrefetcherQueue(const dispatch_queue_t& queue) { m_prefetcherQueue = queue; }
    std::shared_ptr<RIImagePrefetcherDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<RIImagePrefetcherDelegate>& delegate) { m_delegate = delegate; }

    NSUInteger requestedCount() const { return m_requestedCount; }
    NSUInteger finishedCount() const { return m_finishedCount; }
    NSUInteger skippedCount() const { return m_skippedCount; }

protected:
    // The given manager instead of a new one on the shared cache and downloader (tests).
    // Without arguments: a manager of its own.
    void init() { init(std::shared_ptr<RIImageManager>()); }
    void init(const std::shared_ptr<RIImageManager>& manager);

private:
    void startPrefetchingAtIndex(NSUInteger index, NSUInteger generation);
    void reportStatus();

    std::shared_ptr<RIImageManager> m_manager;
    NSUInteger m_options { RIImageLoadLowPriority };
    dispatch_queue_t m_prefetcherQueue;
    std::weak_ptr<RIImagePrefetcherDelegate> m_delegate;
    std::vector<std::shared_ptr<NSURL>> m_prefetchURLs;
    NSUInteger m_requestedCount { 0 };
    NSUInteger m_skippedCount { 0 };
    NSUInteger m_finishedCount { 0 };
    NSTimeInterval m_startedTime { 0 };
    CompletionBlock m_completionBlock;
    ProgressBlock m_progressBlock;
    NSUInteger m_generation { 0 };
};
