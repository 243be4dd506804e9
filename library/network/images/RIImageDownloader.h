#pragma once
// Fetches image files over HTTP: at most maxConcurrentDownloads at a time (6), first in first
// out or newest first, one download per URL shared by every caller who asks while it runs.
// Each caller gets a handle of its own: cancelling it drops only that caller's callbacks, and
// the download stops when its last caller goes. Decoding happens on the download's thread.

#include "library/network/images/RIImageDownloaderOperation.h"
#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSOperationQueue.h"

#include <map>
#include <mutex>

class RIImageDownloader : public NSObject {
    NS_OBJECT(RIImageDownloader, NSObject)
public:
    ~RIImageDownloader() override;

    static std::shared_ptr<RIImageDownloader> sharedDownloader();

    void setValueForHTTPHeaderField(const NSString& value, const NSString& field);
    NSString valueForHTTPHeaderField(const NSString& field) const;
    void setMaxConcurrentDownloads(NSInteger count) { m_downloadQueue->setMaxConcurrentOperationCount(count); }
    NSInteger maxConcurrentDownloads() const { return m_downloadQueue->maxConcurrentOperationCount(); }
    NSUInteger currentDownloadCount() const { return m_downloadQueue->operationCount(); }
    void setSuspended(bool suspended) { m_downloadQueue->setSuspended(suspended); }

    bool shouldDecompressImages() const { return m_shouldDecompressImages; }
    void setShouldDecompressImages(bool decompress) { m_shouldDecompressImages = decompress; }
    NSTimeInterval downloadTimeout() const { return m_downloadTimeout; }
    void setDownloadTimeout(NSTimeInterval seconds) { m_downloadTimeout = seconds; }
    RIImageDownloaderExecutionOrder executionOrder() const { return m_executionOrder; }
    void setExecutionOrder(RIImageDownloaderExecutionOrder order) { m_executionOrder = order; }
    void setUsername(const NSString& username);
    void setPassword(const NSString& password);
    void setHeadersFilter(RIImageDownloaderHeadersFilterBlock filter);
    // The key the downloaded image's scale is read from; the URL's absolute string unless set.
    void setCacheKeyProvider(RIImageCacheKeyProvider provider);

    // Nil for a nil URL (the completion is told at once); otherwise this caller's handle,
    // whether the download is new or already running for another caller.
    std::shared_ptr<RIImageOperation> downloadImageWithURL(const std::shared_ptr<NSURL>& url, NSUInteger options,
        RIImageDownloaderProgressBlock progress, RIImageDownloaderCompletedBlock completed);

    // The class made for each download: RIImageDownloaderOperation or one derived from it (whose
    // initialiser takes the same arguments); nil goes back to RIImageDownloaderOperation.
    using OperationFactory = std::function<std::shared_ptr<RIImageDownloaderOperation>(const std::shared_ptr<NSURLRequest>&,
        NSUInteger options, RIImageDownloaderProgressBlock, RIImageDownloaderCompletedBlock, std::function<void()> cancelled)>;
    template <class Operation>
        requires std::is_base_of_v<RIImageDownloaderOperation, Operation>
    void setOperationClass()
    {
        setOperationFactory([](const std::shared_ptr<NSURLRequest>& request, NSUInteger options, RIImageDownloaderProgressBlock progress,
                                RIImageDownloaderCompletedBlock completed, std::function<void()> cancelled) -> std::shared_ptr<RIImageDownloaderOperation> {
            return Operation::create(request, options, std::move(progress), std::move(completed), std::move(cancelled));
        });
    }
    void setOperationClass(std::nullptr_t) { setOperationFactory(nullptr); }

    // Downloads running or waiting (for tests and the prefetcher's accounting).
    std::size_t pendingURLCount() const;

private:
    struct Caller {
        NSUInteger token { 0 };
        RIImageDownloaderProgressBlock progress;
        RIImageDownloaderCompletedBlock completed;
    };
    struct Download {
        NSUInteger serial { 0 };
        std::shared_ptr<RIImageDownloaderOperation> operation;
        std::vector<Caller> callers;
    };
    struct Settings {
        std::map<std::string, std::string> headers;
        RIImageDownloaderHeadersFilterBlock filter;
        RIImageCacheKeyProvider keyProvider;
        NSString username;
        NSString password;
    };
    class Handle;

    void init();
    void setOperationFactory(OperationFactory factory);
    std::shared_ptr<RIImageDownloaderOperation> makeOperation(const std::shared_ptr<NSURL>& url, NSUInteger options, NSUInteger serial,
        const Settings& settings) REQUIRES(m_mutex);
    void cancelCaller(const NSString& key, NSUInteger token);
    // The callers of the URL's download with that serial; none once another download has it.
    std::vector<Caller> callersOf(const NSString& key, NSUInteger serial, bool remove);

    std::atomic<bool> m_shouldDecompressImages { true };
    std::atomic<NSTimeInterval> m_downloadTimeout { 15.0 };
    std::atomic<RIImageDownloaderExecutionOrder> m_executionOrder { RIImageFetchOrderFIFO };
    // Set by init, before the downloader is shared.
    std::shared_ptr<NSOperationQueue> m_downloadQueue;
    mutable Mutex m_mutex;
    NSString m_username GUARDED_BY(m_mutex);
    NSString m_password GUARDED_BY(m_mutex);
    RIImageDownloaderHeadersFilterBlock m_headersFilter GUARDED_BY(m_mutex);
    RIImageCacheKeyProvider m_keyProvider GUARDED_BY(m_mutex);
    std::map<std::string, std::string> m_HTTPHeaders GUARDED_BY(m_mutex);
    std::weak_ptr<NSOperation> m_lastAddedOperation GUARDED_BY(m_mutex);
    OperationFactory m_operationFactory GUARDED_BY(m_mutex);
    std::map<std::string, Download> m_URLCallbacks GUARDED_BY(m_mutex);
    NSUInteger m_nextToken GUARDED_BY(m_mutex) { 1 };
};
