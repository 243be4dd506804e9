#pragma once
// One HTTP exchange of the network engine: a request built from a URL text, parameters and a
// method; its connection, run on the main run loop so that every callback comes on the main
// thread; the reply collected in memory or written to download streams; the cache headers the
// engine's response cache keeps; the answers to authentication challenges. Every exchange that
// is not cancelled ends in exactly one outcome: completion, not-modified or error.
//
// It can be archived ("frozen") and restored; an archive holds the request and what builds its
// body, never a live transfer, and always comes back ready.

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSCoder.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSOperation.h"
#include "platform/foundation/StringEncoding.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/net/NSHTTPURLResponse.h"
#include "platform/net/NSInputStream.h"
#include "platform/net/NSOutputStream.h"
#include "platform/net/NSURLConnection.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

class SecTrust;
class UIImage;
class UILocalNotification;

enum NEPostDataEncoding : std::int32_t {
    NEPostDataEncodingTypeURL = 0,
    NEPostDataEncodingTypeJSON = 1,
    NEPostDataEncodingTypePlist = 2,
    NEPostDataEncodingTypeCustom = 3,
};

enum NENetworkOperationState : std::int32_t {
    NENetworkOperationStateReady = 1,
    NENetworkOperationStateExecuting = 2,
    NENetworkOperationStateFinished = 3,
};

class NENetworkOperation : public NSOperation, public NSURLConnectionDelegate, public NSCoding {
    NS_OBJECT(NENetworkOperation, NSOperation)
public:
    using ResponseBlock = std::function<void(const std::shared_ptr<NENetworkOperation>&)>;
    using ErrorBlock = std::function<void(const std::shared_ptr<NSError>&)>;
    using OperationErrorBlock = std::function<void(const std::shared_ptr<NENetworkOperation>&, const std::shared_ptr<NSError>&)>;
    using NotModifiedBlock = std::function<void()>;
    using ProgressBlock = std::function<void(double)>;
    using AuthBlock = std::function<void(const std::shared_ptr<NSURLAuthenticationChallenge>&)>;
    using StateBlock = std::function<void(NENetworkOperationState)>;
    using CacheBlock = std::function<void(const std::shared_ptr<NENetworkOperation>&)>;
    using EncodingBlock = std::function<NSString(const std::shared_ptr<NSDictionary>&)>;
    using ImageBlock = std::function<void(const std::shared_ptr<UIImage>&)>;
    using JSONBlock = std::function<void(const id&)>;

    ~NENetworkOperation() override;

    // Request set-up.
    void addParams(const std::shared_ptr<NSDictionary>& params);
    void addHeaders(const std::shared_ptr<NSDictionary>& headers);
    void addHeader(const NSString& name, const NSString& value);
    void setHeader(const NSString& name, const NSString& value);
    void setAuthorizationHeaderValue(const NSString& value, const NSString& authType);
    void setUsername(const NSString& username, const NSString& password);
    // Sends the pair at once as a Basic Authorization field, whatever the flag says.
    void setUsername(const NSString& username, const NSString& password, bool basicAuth);
    void setUploadStream(const std::shared_ptr<NSInputStream>& stream);
    void addDownloadStream(const std::shared_ptr<NSOutputStream>& stream);
    // A GET is never frozen; a freezable operation of any other method gets a uniqueId of its own.
    void setFreezable(bool freezable);
    bool freezable() const;

    // Bodies (see NENetworkOperationBodies.cpp).
    NEPostDataEncoding postDataEncoding() const;
    void setPostDataEncoding(NEPostDataEncoding encoding);
    void setCustomPostDataEncodingHandler(EncodingBlock handler, const NSString& contentType);
    NSString encodedPostDataString() const;
    void addData(const std::shared_ptr<NSData>& data, const NSString& key);
    void addData(const std::shared_ptr<NSData>& data, const NSString& key, const NSString& mimeType, const NSString& fileName);
    void addFile(const NSString& filePath, const NSString& key);
    void addFile(const NSString& filePath, const NSString& key, const NSString& mimeType);
    // The whole body in memory, files read in; sets the content fields of a multipart body.
    // Nil, with the error, when an attached file cannot be read.
    std::shared_ptr<NSData> bodyData(NSErrorPointer error = nullptr);
    NSString curlCommandLineString() const;
    NSString description() const override;

    // Callbacks, called in the order they were added, on the main thread.
    void onCompletion(ResponseBlock response, ErrorBlock error);
    void addCompletionHandler(ResponseBlock response, OperationErrorBlock error);
    void onNotModified(NotModifiedBlock handler);
    void onUploadProgressChanged(ProgressBlock handler);
    void onDownloadProgressChanged(ProgressBlock handler);
    void setCacheHandler(CacheBlock handler);
    // Takes over the other operation's callbacks and download streams, after this one's.
    void updateHandlersFromOperation(NENetworkOperation& operation);
    // The same, but only while this operation has not reached its outcome; answers whether the
    // callbacks were taken, so the engine never runs a request twice for one set of callbacks.
    bool adoptHandlersIfPending(NENetworkOperation& operation);
    void setAuthHandler(AuthBlock handler);
    void setOperationStateChangedHandler(StateBlock handler);

    // The engine's response cache.
    bool isCacheable() const;
    NSString uniqueIdentifier() const;
    bool isEqual(const id& other) const override;
    NSUInteger hash() const override;
    bool isCachedResponse() const;
    void notifyCache();
    // Hands a cached body to the operation and calls its completion callbacks with it at once.
    void setCachedData(const std::shared_ptr<NSData>& data);
    void updateOperationBasedOnPreviousHeaders(const std::shared_ptr<NSDictionary>& headers);
    // "Expires", "Last-Modified" and "ETag" from the reply; nil for an operation other than GET.
    std::shared_ptr<NSDictionary> cacheHeaders() const;
    // Whether the reply forbade keeping it ("no-store").
    bool responseForbidsStorage() const;
    // User, password, client certificate or an Authorization field: never written to disk.
    bool carriesCredentials() const;

    // Reply.
    std::shared_ptr<NSData> responseData() const;
    NSString responseString() const;
    NSString responseStringWithEncoding(NSStringEncoding encoding) const;
    std::shared_ptr<UIImage> responseImage() const;
    void decompressedResponseImageOfSize(CGSize size, ImageBlock handler) const;
    id responseJSON() const;
    void responseJSONWithCompletionHandler(JSONBlock handler) const { responseJSONWithOptions(0, std::move(handler)); }
    // Parsed off the main thread with the platform's JSON reading options; the answer, nil when
    // the body is no JSON, comes on the main queue.
    void responseJSONWithOptions(NSUInteger options, JSONBlock handler) const;

    // The server trust of the last server-trust challenge; not kept alive by the operation.
    std::shared_ptr<SecTrust> serverTrust() const;

    // Read-only views.
    NSString url() const;
    std::shared_ptr<NSURLRequest> readonlyRequest() const;
    std::shared_ptr<NSHTTPURLResponse> readonlyResponse() const;
    std::shared_ptr<NSDictionary> readonlyPostDictionary() const;
    NSString HTTPMethod() const;
    NSInteger HTTPStatusCode() const;
    std::shared_ptr<NSError> error() const;
    NENetworkOperationState state() const;
    NSString uniqueId() const;
    NSString username() const;
    NSString password() const;
    std::shared_ptr<NSArray> filesToBePosted() const;
    std::shared_ptr<NSArray> dataToBePosted() const;

    // Flags and settings.
    NSStringEncoding stringEncoding() const;
    void setStringEncoding(NSStringEncoding encoding);
    bool shouldCacheResponseEvenIfProtocolIsHTTPS() const { return m_shouldCacheResponseEvenIfProtocolIsHTTPS; }
    void setShouldCacheResponseEvenIfProtocolIsHTTPS(bool value) { m_shouldCacheResponseEvenIfProtocolIsHTTPS = value; }
    bool shouldNotCacheResponse() const { return m_shouldNotCacheResponse; }
    void setShouldNotCacheResponse(bool value) { m_shouldNotCacheResponse = value; }
    bool shouldContinueWithInvalidCertificate() const { return m_shouldContinueWithInvalidCertificate; }
    void setShouldContinueWithInvalidCertificate(bool value) { m_shouldContinueWithInvalidCertificate = value; }
    bool shouldSendAcceptLanguageHeader() const { return m_shouldSendAcceptLanguageHeader; }
    void setShouldSendAcceptLanguageHeader(bool value) { m_shouldSendAcceptLanguageHeader = value; }
    NSString clientCertificate() const;
    void setClientCertificate(const NSString& path);
    NSString clientCertificatePassword() const;
    void setClientCertificatePassword(const NSString& password);
    NSURLCredentialPersistence credentialPersistence() const { return m_credentialPersistence; }
    void setCredentialPersistence(NSURLCredentialPersistence persistence) { m_credentialPersistence = persistence; }
    // Shown instead of the error's own notice when a failure comes in the background; archived,
    // never copied.
    std::shared_ptr<UILocalNotification> localNotification() const;
    void setLocalNotification(const std::shared_ptr<UILocalNotification>& notification);
    // A failure in the background without a prepared notification tells the error's text.
    bool shouldShowLocalNotificationOnError() const { return m_shouldShowLocalNotificationOnError; }
    void setShouldShowLocalNotificationOnError(bool value) { m_shouldShowLocalNotificationOnError = value; }

    // Life cycle.
    void start() override;
    void main() override { start(); }
    void cancel() override;
    bool isConcurrent() const override { return true; }
    bool isReady() const override;
    bool isExecuting() const override;
    bool isFinished() const override;
    // For the engine's freezing: like cancel, it stops the exchange and finishes a started
    // operation, but keeps the callbacks, so the restored operation can take them over.
    void stopForFreezing();

    // Copies start without connection or reply; a retry copy is ready and has received nothing.
    id copy() const override;
    id mutableCopy() const override { return copy(); }
    std::shared_ptr<NENetworkOperation> copyForRetry() const;
    // Stores "ready" whatever the live state: archiving must leave a running operation running.
    void encodeWithCoder(NSCoder& coder) const override;

    static NSString languagesFromLocale();

    // NSURLConnectionDelegate
    std::optional<std::shared_ptr<NSURLRequest>> willSendRequest(NSURLConnection& connection, const std::shared_ptr<NSURLRequest>& request,
        const std::shared_ptr<NSURLResponse>& redirectResponse) override;
    bool willSendRequestForAuthenticationChallenge(NSURLConnection& connection,
        const std::shared_ptr<NSURLAuthenticationChallenge>& challenge) override;
    void didReceiveResponse(NSURLConnection& connection, const std::shared_ptr<NSURLResponse>& response) override;
    void didReceiveData(NSURLConnection& connection, const std::shared_ptr<NSData>& data) override;
    void didSendBodyData(NSURLConnection& connection, NSInteger bytesWritten, NSInteger totalBytesWritten,
        NSInteger totalBytesExpectedToWrite) override;
    std::optional<std::shared_ptr<NSCachedURLResponse>> willCacheResponse(NSURLConnection&,
        const std::shared_ptr<NSCachedURLResponse>&) override
    {
        // The engine keeps its own cache; the shared URL cache must not answer for it.
        return nullptr;
    }
    void connectionDidFinishLoading(NSURLConnection& connection) override;
    void didFailWithError(NSURLConnection& connection, const std::shared_ptr<NSError>& error) override;

protected:
    // initWithURLString:params:httpMethod:; refuses a text that makes no URL.
    bool init(const NSString& urlString, const std::shared_ptr<NSDictionary>& params, const NSString& method);
    // initWithCoder:; refuses an archive without a request.
    bool init(NSCoder& coder);
    // The plain initialiser copies start from.
    void init();

    void operationSucceeded();
    void operationFailedWithError(const std::shared_ptr<NSError>& error);
    void showLocalNotification();
    void endBackgroundTask();

private:
    struct Callbacks {
        std::vector<ResponseBlock> response;
        std::vector<ErrorBlock> error;
        std::vector<OperationErrorBlock> errorType2;
        std::vector<NotModifiedBlock> notModified;
        std::vector<ProgressBlock> uploadProgress;
        std::vector<ProgressBlock> downloadProgress;
        void append(const Callbacks& other);
        void clear() { *this = Callbacks(); }
    };

    void setState(NENetworkOperationState state);
    void startConnection();
    // Ends the exchange once: the first outcome wins, and a stopped operation has none.
    bool claimOutcome();
    void deliverNotModified();
    void closeDownloadStreams();
    void stopExchange(bool dropCallbacks);
    void computeCacheHeaders(const NSHTTPURLResponse& response);
    bool prepareBody(NSErrorPointer error);
    NSString boundary() const;
    bool writeMultipartBody(const std::function<bool(const std::uint8_t*, std::size_t)>& sink, NSErrorPointer error) const;
    void setMultipartHeaders(std::uint64_t length);
    void removeBodyFile();
    Callbacks callbacks() const;
    void copyFieldsTo(NENetworkOperation& other, bool retry) const;

    // Serialises state changes with their announcements. Not recursive: a change an observer asks
    // for while one is announced waits in m_deferredState until the announcement ends.
    Mutex m_stateMutex;
    std::atomic<NENetworkOperationState> m_state { static_cast<NENetworkOperationState>(0) };
    std::atomic<NENetworkOperationState> m_deferredState { static_cast<NENetworkOperationState>(0) };
    std::atomic<bool> m_outcomeDelivered { false };
    std::atomic<bool> m_stopped { false };

    std::atomic<bool> m_shouldCacheResponseEvenIfProtocolIsHTTPS { false };
    std::atomic<bool> m_shouldNotCacheResponse { false };
    std::atomic<bool> m_shouldContinueWithInvalidCertificate { false };
    std::atomic<bool> m_shouldSendAcceptLanguageHeader { false };
    std::atomic<bool> m_shouldShowLocalNotificationOnError { false };
    std::atomic<NSURLCredentialPersistence> m_credentialPersistence { NSURLCredentialPersistenceForSession };

    // What the callers' threads, the main thread's connection callbacks and the engine share. No
    // callback runs while it is locked, so nothing takes the lock again from within.
    struct Shared {
        std::shared_ptr<NSMutableURLRequest> request;
        std::shared_ptr<NSMutableDictionary> fieldsToBePosted;
        std::shared_ptr<NSMutableArray> filesToBePosted;
        std::shared_ptr<NSMutableArray> dataToBePosted;
        NEPostDataEncoding postDataEncoding { NEPostDataEncodingTypeURL };
        EncodingBlock postDataEncodingHandler;
        NSStringEncoding stringEncoding { NSUTF8StringEncoding };
        bool freezable { false };
        NSString uniqueId;
        NSString username;
        NSString password;
        NSString clientCertificate;
        NSString clientCertificatePassword;
        std::shared_ptr<UILocalNotification> localNotification;
        Callbacks callbacks;
        AuthBlock authHandler;
        StateBlock operationStateChangedHandler;
        CacheBlock cacheHandlingBlock;
        std::shared_ptr<NSURLConnection> connection;
        std::shared_ptr<NSHTTPURLResponse> response;
        std::shared_ptr<NSError> error;
        std::shared_ptr<NSMutableData> mutableData;
        std::uint64_t downloadedDataSize { 0 };
        std::int64_t startPosition { 0 };
        std::vector<std::shared_ptr<NSOutputStream>> downloadStreams;
        std::shared_ptr<NSData> cachedResponse;
        std::shared_ptr<NSMutableDictionary> cacheHeaders;
        bool responseForbidsStorage { false };
        NSUInteger backgroundTaskId { 0 };
        // A random boundary per operation, so no attached bytes can close the body early.
        NSString boundary;
        // The multipart body of a running operation, streamed from this file.
        NSString bodyFilePath;
        bool bodyStreamIsOwn { false };
        std::weak_ptr<SecTrust> serverTrust;
    };
    // Mutable: const readers lock it too, and the boundary is made on first use.
    mutable Guarded<Shared> m_shared;
};
