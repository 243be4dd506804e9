#pragma once
// One image download on a run loop of its own thread: the response, the bytes as they come
// (with progressive decoding when asked), the decoded image, and the end posted to observers.

#include "library/network/images/RIImageOperation.h"
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
