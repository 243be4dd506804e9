#pragma once
// Runs one URL request as a concurrent operation. Every connection of every such operation runs
// on the one network thread "RQNetworking"; the body goes into the output stream (memory unless
// set), progress and the start and finish notifications go to the main queue. States: ready,
// executing, finished, and paused; a pause cancels the connection and keeps what was received.

#include "platform/dispatch/dispatch.h"
#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSCoder.h"
#include "platform/foundation/NSOperation.h"
#include "platform/foundation/NSSet.h"
#include "platform/foundation/NSThread.h"
#include "platform/net/NSCachedURLResponse.h"
#include "platform/net/NSOutputStream.h"
#include "platform/net/NSInputStream.h"
#include "platform/net/NSURLConnection.h"
#include "platform/net/NSURLResponse.h"

inline constexpr const char* RQNetworkingOperationDidStartNotification = "com.pembrocat.networking.operation.start";
inline constexpr const char* RQNetworkingOperationDidFinishNotification = "com.pembrocat.networking.operation.finish";

enum RQURLConnectionOperationSSLPinningMode : std::int32_t {
    RQSSLPinningModeNone = 0,
    RQSSLPinningModePublicKey = 1,
    RQSSLPinningModeCertificate = 2,
};

enum RQOperationState : std::int16_t {
    RQOperationPausedState = -1,
    RQOperationReadyState = 1,
    RQOperationExecutingState = 2,
    RQOperationFinishedState = 3,
};

class RQURLConnectionOperation : public NSOperation, public NSURLConnectionDelegate, public NSCoding {
    NS_OBJECT(RQURLConnectionOperation, NSOperation)
public:
    using ProgressBlock = std::function<void(NSUInteger bytes, long long totalBytes, long long totalBytesExpected)>;
    using AuthenticationChallengeBlock = std::function<void(NSURLConnection*, const std::shared_ptr<NSURLAuthenticationChallenge>&)>;
    using CacheResponseBlock = std::function<std::shared_ptr<NSCachedURLResponse>(NSURLConnection*, const std::shared_ptr<NSCachedURLResponse>&)>;
    using RedirectResponseBlock = std::function<std::shared_ptr<NSURLRequest>(NSURLConnection*, const std::shared_ptr<NSURLRequest>&,
        const std::shared_ptr<NSURLResponse>&)>;

    ~RQURLConnectionOperation() override;

    std::shared_ptr<NSSet> runLoopModes() const;
    void setRunLoopModes(const std::shared_ptr<NSSet>& modes);
    std::shared_ptr<NSURLRequest> request() const;
    std::shared_ptr<NSURLResponse> response() const;
    virtual std::shared_ptr<NSError> error() const;
    bool allowsInvalidSSLCertificate() const { return m_allowsInvalidSSLCertificate; }
    void setAllowsInvalidSSLCertificate(bool allows) { m_allowsInvalidSSLCertificate = allows; }
    std::shared_ptr<NSData> responseData() const;
    NSString responseString() const;
    virtual NSStringEncoding responseStringEncoding() const;
    bool shouldUseCredentialStorage() const { return m_shouldUseCredentialStorage; }
    void setShouldUseCredentialStorage(bool use) { m_shouldUseCredentialStorage = use; }
    std::shared_ptr<NSURLCredential> credential() const;
    void setCredential(const std::shared_ptr<NSURLCredential>& credential);
    RQURLConnectionOperationSSLPinningMode SSLPinningMode() const { return m_SSLPinningMode; }
    void setSSLPinningMode(RQURLConnectionOperationSSLPinningMode mode) { m_SSLPinningMode = mode; }
    std::shared_ptr<NSInputStream> inputStream() const;
    void setInputStream(const std::shared_ptr<NSInputStream>& stream);
    std::shared_ptr<NSOutputStream> outputStream() const;
    void setOutputStream(const std::shared_ptr<NSOutputStream>& stream);
    std::shared_ptr<NSDictionary> userInfo() const;
    void setUserInfo(const std::shared_ptr<NSDictionary>& userInfo);
    RQOperationState state() const;
    // Counted on the main queue.
    long long totalBytesRead() const { return m_totalBytesRead; }

    void setUploadProgressBlock(ProgressBlock block);
    void setDownloadProgressBlock(ProgressBlock block);
    void setWillSendRequestForAuthenticationChallengeBlock(AuthenticationChallengeBlock block);
    void setCacheResponseBlock(CacheResponseBlock block);
    void setRedirectResponseBlock(RedirectResponseBlock block);
    // Keeps the exchange alive while the application is in the background, through one
    // background task; when its time runs out the handler runs, then the operation is cancelled.
    // Does nothing while a task is open.
    void setShouldExecuteAsBackgroundTaskWithExpirationHandler(std::function<void()> handler);
    // Runs once when the operation finishes, on the thread that finishes it; holds the operation
    // weakly and lets itself go after the run.
    void setCompletionBlock(std::function<void()> block) override;

    virtual void pause();
    bool isPaused() const;
    virtual void resume();

    void start() override;
    void cancel() override;
    bool isReady() const override;
    bool isExecuting() const override;
    bool isFinished() const override;
    bool isConcurrent() const override { return true; }
    bool startsWithoutBlocking() const override { return true; }

    NSString description() const override;
    // A new ready operation with the same request, callbacks and certificate setting.
    id copy() const override;
    // Pauses the operation first, so that what is stored can be started again from ready.
    void encodeWithCoder(NSCoder& coder) const override;

    static std::shared_ptr<NSThread> networkRequestThread();
    // The "cer" resources of the main bundle, and their keys.
    static std::vector<std::shared_ptr<NSData>> pinnedCertificates();
    static std::vector<SecKeyRef> pinnedPublicKeys();

    // NSURLConnectionDelegate
    std::optional<std::shared_ptr<NSURLRequest>> willSendRequest(NSURLConnection& connection, const std::shared_ptr<NSURLRequest>& request,
        const std::shared_ptr<NSURLResponse>& redirectResponse) override;
    bool willSendRequestForAuthenticationChallenge(NSURLConnection& connection,
        const std::shared_ptr<NSURLAuthenticationChallenge>& challenge) override;
    std::optional<bool> connectionShouldUseCredentialStorage(NSURLConnection&) override { return m_shouldUseCredentialStorage; }
    void didReceiveResponse(NSURLConnection& connection, const std::shared_ptr<NSURLResponse>& response) override;
    void didReceiveData(NSURLConnection& connection, const std::shared_ptr<NSData>& data) override;
    void didSendBodyData(NSURLConnection& connection, NSInteger bytesWritten, NSInteger totalBytesWritten,
        NSInteger totalBytesExpectedToWrite) override;
    std::optional<std::shared_ptr<NSCachedURLResponse>> willCacheResponse(NSURLConnection& connection,
        const std::shared_ptr<NSCachedURLResponse>& cachedResponse) override;
    void connectionDidFinishLoading(NSURLConnection& connection) override;
    void didFailWithError(NSURLConnection& connection, const std::shared_ptr<NSError>& error) override;

protected:
    // initWithRequest:
    void init(const std::shared_ptr<NSURLRequest>& request);
    // initWithCoder: nil for an archive without a request or with values of the wrong kind.
    bool init(NSCoder& coder);

    void setState(RQOperationState state);
    void setRequest(const std::shared_ptr<NSURLRequest>& request);
    // Whether a reply continues the bytes already in the output stream (after a pause); when it
    // does not, they are dropped first so no reply follows the start of another.
    virtual bool continuesReceivedBytes(const std::shared_ptr<NSURLResponse>&) const { return false; }
    // A fresh operation of the receiver's own class, for copy().
    virtual std::shared_ptr<RQURLConnectionOperation> makeCopy(const std::shared_ptr<NSURLRequest>& request) const;
    void copyCallbacksTo(RQURLConnectionOperation& other) const;
    // The request an archive stores, read after the pause that archiving makes.
    virtual std::shared_ptr<NSURLRequest> requestForArchiving() const { return request(); }

    // Runs the block on the main queue after everything the operations handed there before it.
    static void performOnMainQueue(std::function<void()> block);

    // Recursive: a state change tells its observers under it, and they (the queue, the
    // completion block) read the state again; the HTTP subclass holds it across the base's pause
    // so that no chunk lands between the offset it takes and the pause.
    class CAPABILITY("mutex") StateLock {
    public:
        void lock() ACQUIRE() { m_mutex.lock(); }
        void unlock() RELEASE() { m_mutex.unlock(); }

    private:
        std::recursive_mutex m_mutex;
    };
    class SCOPED_CAPABILITY StateLocker {
    public:
        explicit StateLocker(StateLock& lock) ACQUIRE(lock) : m_lock(lock) { m_lock.lock(); }
        ~StateLocker() RELEASE() { m_lock.unlock(); }
        StateLocker(const StateLocker&) = delete;
        StateLocker& operator=(const StateLocker&) = delete;

    private:
        StateLock& m_lock;
    };
    mutable StateLock m_lock;

private:
    void operationDidStart();
    void finish(bool announce);
    void cancelConnection();
    void failWithStreamError(NSURLConnection& connection, const std::shared_ptr<NSOutputStream>& stream);
    void performOnNetworkThread(std::function<void()> block);
    bool answerServerTrust(const std::shared_ptr<NSURLAuthenticationChallenge>& challenge);
    std::vector<NSRunLoopMode> modeList() const;
    std::shared_ptr<NSOutputStream> outputStreamLocked() const REQUIRES(m_lock);

    struct State {
        std::vector<NSString> runLoopModes { NSString(NSRunLoopCommonModes) };
        std::shared_ptr<NSURLRequest> request;
        std::shared_ptr<NSURLResponse> response;
        std::shared_ptr<NSError> error;
        std::shared_ptr<NSData> responseData;
        // Made on first read.
        NSString responseString;
        NSStringEncoding responseStringEncoding { 0 };
        std::shared_ptr<NSOutputStream> outputStream;
        std::shared_ptr<NSURLCredential> credential;
        std::shared_ptr<NSDictionary> userInfo;
        RQOperationState state { static_cast<RQOperationState>(0) };
        std::shared_ptr<NSURLConnection> connection;
        bool restarted { false };
        // The start notification went out and no finish has answered it yet.
        bool startAnnounced { false };
        NSUInteger backgroundTaskIdentifier { 0 };
    };
    mutable State m_state GUARDED_BY(m_lock);

    // Read on the network thread and the main queue, set from anywhere; nothing is called under
    // their lock.
    struct Callbacks {
        ProgressBlock uploadProgress;
        ProgressBlock downloadProgress;
        AuthenticationChallengeBlock authenticationChallenge;
        CacheResponseBlock cacheResponse;
        RedirectResponseBlock redirectResponse;
    };
    Guarded<Callbacks> m_callbacks;

    std::atomic<bool> m_allowsInvalidSSLCertificate { false };
    std::atomic<bool> m_shouldUseCredentialStorage { true };
    std::atomic<RQURLConnectionOperationSSLPinningMode> m_SSLPinningMode { RQSSLPinningModeNone };
    std::atomic<long long> m_totalBytesRead { 0 };
};
