#include "library/network/images/RIImagePrefetcher.h"

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NeverDestroyed.h"

std::shared_ptr<RIImagePrefetcher> RIImagePrefetcher::sharedImagePrefetcher()
{
    static const NeverDestroyed<std::shared_ptr<RIImagePrefetcher>> instance(RIImagePrefetcher::create());
    return instance.get();
}

void RIImagePrefetcher::init(const std::shared_ptr<RIImageManager>& manager)
{
    m_manager = manager ? manager : RIImageManager::create();
    m_prefetcherQueue = dispatch_get_main_queue();
    setMaxConcurrentDownloads(3);
}

void RIImagePrefetcher::cancelPrefetching()
{
    ++m_generation;
    m_prefetchURLs.clear();
    m_skippedCount = 0;
    m_requestedCount = 0;
    m_finishedCount = 0;
    m_manager->cancelAll();
}

void RIImagePrefetcher::prefetchURLs(const std::vector<std::shared_ptr<NSURL>>& urls, ProgressBlock progress, CompletionBlock completed)
{
    cancelPrefetching();
    m_startedTime = NSDate::timeIntervalSinceReferenceDateNow();
    m_prefetchURLs = urls;
    m_completionBlock = std::move(completed);
    m_progressBlock = std::move(progress);
    if (urls.empty()) {
        if (m_completionBlock)
            m_completionBlock(0, 0);
        return;
    }
    const NSUInteger generation = m_generation;
    const NSInteger limit = maxConcurrentDownloads();
    for (NSUInteger index = 0; (limit < 0 || NSInteger(index) < limit) && m_requestedCount < m_prefetchURLs.size(); ++index)
        startPrefetchingAtIndex(index, generation);
}

void RIImagePrefetcher::startPrefetchingAtIndex(NSUInteger index, NSUInteger generation)
{
    if (generation != m_generation || index >= m_prefetchURLs.size())
        return;
    ++m_requestedCount;
    std::weak_ptr<RIImagePrefetcher> weakSelf = std::static_pointer_cast<RIImagePrefetcher>(self());
    auto url = m_prefetchURLs[index];
    m_manager->downloadImageWithURL(url, m_options, nullptr,
        [weakSelf, url, generation](const UIImageRef& image, const std::shared_ptr<NSError>&, RIImageCacheType, bool finished, const std::shared_ptr<NSURL>&) {
            auto prefetcher = weakSelf.lock();
            // Results of a cancelled or replaced run change nothing.
            if (!prefetcher || !finished || generation != prefetcher->m_generation)
                return;
            ++prefetcher->m_finishedCount;
            const NSUInteger total = prefetcher->m_prefetchURLs.size();
            if (prefetcher->m_progressBlock)
                prefetcher->m_progressBlock(prefetcher->m_finishedCount, total);
            if (!image)
                ++prefetcher->m_skippedCount;
            if (auto delegate = prefetcher->delegate())
                delegate->imagePrefetcherDidPrefetchURL(*prefetcher, url, prefetcher->m_finishedCount, total);
            if (total > prefetcher->m_requestedCount) {
                dispatch_async(prefetcher->m_prefetcherQueue, [weakSelf, generation] {
                    if (auto strong = weakSelf.lock())
                        strong->startPrefetchingAtIndex(strong->m_requestedCount, generation);
                });
            } else if (prefetcher->m_finishedCount == prefetcher->m_requestedCount) {
                prefetcher->reportStatus();
                auto completion = std::move(prefetcher->m_completionBlock);
                prefetcher->m_completionBlock = nullptr;
                if (completion)
                    completion(prefetcher->m_finishedCount, prefetcher->m_skippedCount);
            }
        });
}

void RIImagePrefetcher::reportStatus()
{
    if (auto delegate = this->delegate())
        delegate->imagePrefetcherDidFinish(*this, m_prefetchURLs.size() - m_skippedCount, m_skippedCount);
}
