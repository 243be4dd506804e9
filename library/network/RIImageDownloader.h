#pragma once
// Fetches image files over HTTP: at most maxConcurrentDownloads at a time (6), first in first
// out or newest first, one download per URL shared by every caller who asks while it runs.
// Each caller gets a handle of its own: cancelling it drops only that caller's callbacks, and
// the download stops when its last caller goes. Decoding happens on the download's thread.

#include "library/network/RIImageOperation.h"
#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSOperation.h"
#include "platform/foundation/NSOperationQueue.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/imageio/CGImageSource.h"
#include "platform/net/NSURL.h"
#include "platform/net/NSURLConnection.h"
#include "platform/net/NSURLConnectionDelegate.h"
#include "platform/net/NSURLCredential.h"
#include "platform/net/NSURLRequest.h"
#include "platform/uikit/UIImage.h"

#include <map>
#include <mutex>

inline constexpr const char* RIImageDownloadStartNotification = "RIImageDownloadStartNotification";
inline constexpr const char* RIImageDownloadStopNotification = "RIImageDownloadStopNotification";

enum RIImageDownloaderOptions : NSUInteger {
    RIImageFetchLowPriority = 1 << 0,
    RIImageFetchProgressive = 1 << 1,
    RIImageFetchUseURLCache = 1 << 2,
    RIImageFetchIgnoreCachedResponse = 1 << 3,
    RIImageFetchContinueInBackground = 1 << 4,
    RIImageFetchHandleCookies = 1 << 5,
    RIImageFetchAllowInvalidCertificates = 1 << 6,
    RIImageFetchHighPriority = 1 << 7,
};

enum RIImageDownloaderExecutionOrder : NSInteger {
    RIImageFetchOrderFIFO = 0,
    RIImageFetchOrderLIFO = 1,
};

using RIImageDownloaderProgressBlock = std::function<void(NSInteger receivedSize, NSInteger expectedSize)>;
using RIImageDownloaderCompletedBlock = std::function<void(const UIImageRef& image, const std::shared_ptr<NSData>& data,
    const std::shared_ptr<NSError>& error, bool finished)>;
using RIImageDownloaderHeadersFilterBlock = std::function<std::shared_ptr<NSDictionary>(const std::shared_ptr<NSURL>& url,
    const std::shared_ptr<NSDictionary>& headers)>;
// The cache key of a URL, which names the scale of what is decoded ("@2x.").
using RIImageCacheKeyProvider = std::function<NSString(const std::shared_ptr<NSURL>& url)>;

class RIImageDownloaderOperation : public NSOperation, public NSURLConnectionDelegate, public RIImageOperation {
    NS_OBJECT(RIImageDownloaderOperation, NSOperation)
public:
    ~RIImageDownloaderOperation() override;

    void start() override;
    void cancel() override;
    bool isConcurrent() const override { return true; }
    bool isExecuting() const override;
    bool isFinished() const override;

    const std::shared_ptr<NSURLRequest>& request() const { return m_request; }
    NSUInteger options() const { return m_options; }
    bool shouldDecompressImages() const { return m_shouldDecompressImages; }
    void setShouldDecompressImages(bool decompress) { m_shouldDecompressImages = decompress; }
    bool shouldUseCredentialStorage() const { return m_shouldUseCredentialStorage; }
    void setShouldUseCredentialStorage(bool use) { m_shouldUseCredentialStorage = use; }
    std::shared_ptr<NSURLCredential> credential() const;
    void setCredential(const std::shared_ptr<NSURLCredential>& credential);
    void setCacheKeyProvider(RIImageCacheKeyProvider provider);
    bool shouldContinueWhenAppEntersBackground() const { return m_options & RIImageFetchContinueInBackground; }

    static UIImageOrientation orientationFromPropertyValue(NSInteger value);
    UIImageRef scaledImageForKey(const NSString& key, const UIImageRef& image) const;

    // NSURLConnectionDelegate
    bool willSendRequestForAuthenticationChallenge(NSURLConnection& connection,
        const std::shared_ptr<NSURLAuthenticationChallenge>& challenge) override;
    std::optional<bool> connectionShouldUseCredentialStorage(NSURLConnection&) override { return m_shouldUseCredentialStorage.load(); }
    void didReceiveResponse(NSURLConnection& connection, const std::shared_ptr<NSURLResponse>& response) override;
    void didReceiveData(NSURLConnection& connection, const std::shared_ptr<NSData>& data) override;
    std::optional<std::shared_ptr<NSCachedURLResponse>> willCacheResponse(NSURLConnection& connection,
        const std::shared_ptr<NSCachedURLResponse>& cachedResponse) override;
    void connectionDidFinishLoading(NSURLConnection& connection) override;
    void didFailWithError(NSURLConnection& connection, const std::shared_ptr<NSError>& error) override;

protected:
    void init(const std::shared_ptr<NSURLRequest>& request, NSUInteger options, RIImageDownloaderProgressBlock progress,
        RIImageDownloaderCompletedBlock completed, std::function<void()> cancelled);

private:
    void done();
    void reset();
    void cancelInternal();
    void cancelInternalAndStop();
    void stopRunLoop();
    void setExecuting(bool executing);
    void setFinished(bool finished);
    void postStop(bool withObject);
    NSString cacheKey() const;
    void deliverPartialImage();

    // Recursive: start() holds it while it marks the operation executing or finished, and those
    // setters, and the observers they tell (which ask isFinished()), take it again.
    mutable std::recursive_mutex m_lock;
    std::shared_ptr<NSURLRequest> m_request;
    NSUInteger m_options { 0 };
    std::atomic<bool> m_shouldDecompressImages { true };
    std::atomic<bool> m_shouldUseCredentialStorage { true };
    std::shared_ptr<NSURLCredential> m_credential;
    RIImageCacheKeyProvider m_keyProvider;
    RIImageDownloaderProgressBlock m_progressBlock;
    RIImageDownloaderCompletedBlock m_completedBlock;
    std::function<void()> m_cancelBlock;
    std::size_t m_width { 0 };
    std::size_t m_height { 0 };
    UIImageOrientation m_orientation { UIImageOrientationUp };
    bool m_responseFromCached { true };
    bool m_executing { false };
    bool m_finished { false };
    bool m_stopped { false };
    long long m_expectedSize { 0 };
    std::vector<std::uint8_t> m_imageData;
    CGImageSourceRef m_partialSource;
    std::shared_ptr<NSURLConnection> m_connection;
    std::shared_ptr<NSRunLoop> m_runLoop;
    NSUInteger m_backgroundTaskId { 0 };
};

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
