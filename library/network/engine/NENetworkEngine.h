#pragma once
// The front of the second HTTP engine: bound to one host (name, port, API path, fixed header
// fields), it makes network operations, runs them on one operation queue shared by every engine
// of the process, answers GET requests from its response cache in memory and on disk (expiry from
// the HTTP cache headers, revalidation with the saved validators), widens or narrows the shared
// queue with the network type, and freezes freezable operations to disk while the host cannot be
// reached, sending them again once it can.
//
// Every read and write of the cache's tables happens on the engine's cache queue.

#include "library/network/engine/NENetworkOperation.h"
#include "library/network/reachability/Reachability.h"
#include "platform/dispatch/dispatch.h"
#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSNotification.h"
#include "platform/foundation/NSOperationQueue.h"

#include <map>

inline constexpr const char* kNENetworkEngineOperationCountChanged = "kNENetworkEngineOperationCountChanged";

class NENetworkEngine : public NSObject {
    NS_OBJECT(NENetworkEngine, NSObject)
public:
    using ReachabilityBlock = std::function<void(NetworkStatus)>;
    using OperationFactory = std::function<std::shared_ptr<NENetworkOperation>(const NSString& urlString,
        const std::shared_ptr<NSDictionary>& params, const NSString& method)>;
    using ImageBlock = std::function<void(const std::shared_ptr<UIImage>&, const std::shared_ptr<NSURL>&, bool isInCache)>;
    using ImageErrorBlock = NENetworkOperation::OperationErrorBlock;

    ~NENetworkEngine() override;

    NSString readonlyHostName() const { return m_hostName; }
    NSString hostName() const { return m_hostName; }
    std::int32_t portNumber() const { return m_portNumber; }
    bool wifiOnlyMode() const { return m_wifiOnlyMode; }
    void setWifiOnlyMode(bool wifiOnly) { m_wifiOnlyMode = wifiOnly; }
    NSString apiPath() const { return m_apiPath; }
    void setReachabilityChangedHandler(ReachabilityBlock handler);
    bool shouldSendAcceptLanguageHeader() const { return m_shouldSendAcceptLanguageHeader; }
    void setShouldSendAcceptLanguageHeader(bool send) { m_shouldSendAcceptLanguageHeader = send; }
    std::shared_ptr<NSDictionary> customHeaders() const { return m_customHeaders; }
    const std::shared_ptr<Reachability>& reachability() const { return m_reachability; }

    // The class of the operations made: T derives from NENetworkOperation.
    template <class T>
    void registerOperationSubclass()
    {
        m_operationFactory = [](const NSString& urlString, const std::shared_ptr<NSDictionary>& params, const NSString& method)
            -> std::shared_ptr<NENetworkOperation> { return T::create(urlString, params, method); };
    }

    // Nil when the engine has no host name.
    std::shared_ptr<NENetworkOperation> operationWithPath(const NSString& path);
    std::shared_ptr<NENetworkOperation> operationWithPath(const NSString& path, const std::shared_ptr<NSDictionary>& params);
    std::shared_ptr<NENetworkOperation> operationWithPath(const NSString& path, const std::shared_ptr<NSDictionary>& params,
        const NSString& method);
    std::shared_ptr<NENetworkOperation> operationWithPath(const NSString& path, const std::shared_ptr<NSDictionary>& params,
        const NSString& method, bool ssl);
    std::shared_ptr<NENetworkOperation> operationWithURLString(const NSString& urlString);
    std::shared_ptr<NENetworkOperation> operationWithURLString(const NSString& urlString, const std::shared_ptr<NSDictionary>& params);
    std::shared_ptr<NENetworkOperation> operationWithURLString(const NSString& urlString, const std::shared_ptr<NSDictionary>& params,
        const NSString& method);
    void prepareHeaders(NENetworkOperation& operation) const;

    void enqueueOperation(const std::shared_ptr<NENetworkOperation>& operation) { enqueueOperation(operation, false); }
    void enqueueOperation(const std::shared_ptr<NENetworkOperation>& operation, bool forceReload);

    static void cancelOperationsMatchingBlock(const std::function<bool(NENetworkOperation&)>& block);
    static void cancelOperationsContainingURLString(const NSString& text);
    void cancelAllOperations();

    bool isReachable() const;
    void reachabilityChanged(const std::shared_ptr<NSNotification>& notification);
    void freezeOperations();
    void checkAndRestoreFrozenOperations();

    // The response cache; off until useCache() (or until its folder exists from an earlier run).
    void useCache();
    bool isCacheEnabled() const;
    static NSString cacheDirectoryName();
    static constexpr NSUInteger cacheMemoryCost() { return 10; }
    std::shared_ptr<NSData> cachedDataForOperation(const NENetworkOperation& operation);
    void saveCacheData(const std::shared_ptr<NSData>& data, const NSString& key);
    void saveCache();
    void emptyCache();
    // How many bodies the memory level holds now.
    NSUInteger memoryCacheCount();

    std::shared_ptr<NENetworkOperation> imageAtURL(const std::shared_ptr<NSURL>& url, ImageBlock completion, ImageErrorBlock error);
    std::shared_ptr<NENetworkOperation> imageAtURL(const std::shared_ptr<NSURL>& url, CGSize size, ImageBlock completion,
        ImageErrorBlock error);
    std::shared_ptr<NENetworkOperation> imageAtURL(const std::shared_ptr<NSURL>& url, ImageBlock completion)
    {
        return imageAtURL(url, std::move(completion), nullptr);
    }
    std::shared_ptr<NENetworkOperation> imageAtURL(const std::shared_ptr<NSURL>& url, CGSize size, ImageBlock completion)
    {
        return imageAtURL(url, size, std::move(completion), nullptr);
    }

    // The one queue every engine's operations run on.
    static const std::shared_ptr<NSOperationQueue>& sharedNetworkQueue();

protected:
    void init() { init(NSString(), 0, NSString(), nullptr); }
    void init(const NSString& hostName) { init(hostName, 0, NSString(), nullptr); }
    void init(const NSString& hostName, const std::shared_ptr<NSDictionary>& headers) { init(hostName, 0, NSString(), headers); }
    void init(const NSString& hostName, const NSString& apiPath, const std::shared_ptr<NSDictionary>& headers)
    {
        init(hostName, 0, apiPath, headers);
    }
    // initWithHostName:portNumber:apiPath:customHeaderFields:
    void init(const NSString& hostName, std::int32_t port, const NSString& apiPath, const std::shared_ptr<NSDictionary>& headers);

private:
    void decideEnqueue(const std::shared_ptr<NENetworkOperation>& operation, bool forceReload);
    void addToSharedQueue(const std::shared_ptr<NENetworkOperation>& operation);
    bool belongsToHost(NENetworkOperation& operation) const;
    bool freezeOperation(const std::shared_ptr<NENetworkOperation>& operation);
    void storeReply(NENetworkOperation& operation);
    std::shared_ptr<NSDictionary> savedCacheHeaders(const NSString& key);
    // On the cache queue only.
    void saveCacheDataOnCacheQueue(const std::shared_ptr<NSData>& data, const NSString& key);
    void flushOnCacheQueue();
    static NSString indexFilePath();
    static NSString frozenFilePath(const NSString& key);

    Mutex m_handlerMutex;
    NSString m_hostName;
    std::int32_t m_portNumber { 0 };
    std::atomic<bool> m_wifiOnlyMode { false };
    NSString m_apiPath;
    ReachabilityBlock m_reachabilityChangedHandler GUARDED_BY(m_handlerMutex);
    std::atomic<bool> m_shouldSendAcceptLanguageHeader { true };
    std::shared_ptr<Reachability> m_reachability;
    struct NotifierState {
        Mutex mutex;
        bool stopped GUARDED_BY(mutex) { false };
    };
    const std::shared_ptr<NotifierState> m_notifier { std::make_shared<NotifierState>() };
    std::shared_ptr<NSDictionary> m_customHeaders;
    OperationFactory m_operationFactory;

    // The cache's tables, touched on m_backgroundCacheQueue alone.
    std::map<NSString, std::shared_ptr<NSData>> m_memoryCache;
    std::vector<NSString> m_memoryCacheKeys;
    std::shared_ptr<NSMutableDictionary> m_cacheInvalidationParams;
    dispatch_queue_t m_backgroundCacheQueue;
    // Where the expiry check and the decision to run an operation are made, one at a time.
    dispatch_queue_t m_operationQueue;

    // Frozen operations of this process by file key, so the restored ones take over their callers.
    Mutex m_frozenMutex;
    std::map<NSString, std::shared_ptr<NENetworkOperation>> m_frozenOperations GUARDED_BY(m_frozenMutex);
};
