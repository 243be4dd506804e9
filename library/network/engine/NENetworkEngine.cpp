#include "library/network/engine/NENetworkEngine.h"

#include "library/network/shared/CacheFileSeal.h"
#include "library/network/engine/NSDate_RFC1123.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSPathUtilities.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/uikit/UIApplication.h"

namespace {

constexpr const char* frozenExtension = "neenginefrozenoperation";

void postOperationCount()
{
    dispatch_async(dispatch_get_main_queue(), [] {
        const NSUInteger count = NENetworkEngine::sharedNetworkQueue()->operationCount();
        NSNotificationCenter::defaultCenter()->postNotificationName(kNENetworkEngineOperationCountChanged,
            NSNumber::numberWithUnsignedLongLong(count));
        UIApplication::sharedApplication()->setNetworkActivityIndicatorVisible(count > 0);
    });
}

// A GET for an image, cached even over HTTPS.
std::shared_ptr<NENetworkOperation> imageOperation(NENetworkEngine& engine, const std::shared_ptr<NSURL>& url)
{
    auto operation = url ? engine.operationWithURLString(url->absoluteString()) : nullptr;
    if (operation)
        operation->setShouldCacheResponseEvenIfProtocolIsHTTPS(true);
    return operation;
}

bool writeAtomically(const std::shared_ptr<NSData>& data, const NSString& path)
{
    if (!data)
        return false;
    NSFileManager::defaultManager()->removeItemAtPath(path);
    return data->writeToFile(path, true);
}

} // namespace

const std::shared_ptr<NSOperationQueue>& NENetworkEngine::sharedNetworkQueue()
{
    static const NeverDestroyed<std::shared_ptr<NSOperationQueue>> queue([] {
        auto shared = NSOperationQueue::create();
        shared->setMaxConcurrentOperationCount(6);
        return shared;
    }());
    return queue.get();
}

NSString NENetworkEngine::cacheDirectoryName()
{
    static const NeverDestroyed<NSString> directory([] {
        auto paths = NSSearchPathForDirectoriesInDomains(NSCachesDirectory, NSUserDomainMask, true);
        return NSString::fromId(paths ? paths->firstObject() : nullptr).stringByAppendingPathComponent("NEEngineCache");
    }());
    return directory.get();
}

NSString NENetworkEngine::indexFilePath()
{
    return cacheDirectoryName().stringByAppendingPathExtension("plist");
}

NSString NENetworkEngine::frozenFilePath(const NSString& key)
{
    return cacheDirectoryName().stringByAppendingPathComponent(key).stringByAppendingPathExtension(frozenExtension);
}

void NENetworkEngine::init(const NSString& hostName, std::int32_t port, const NSString& apiPath, const std::shared_ptr<NSDictionary>& headers)
{
    sharedNetworkQueue();
    m_portNumber = port;
    m_apiPath = apiPath;
    m_backgroundCacheQueue = dispatch_queue_create("com.tarvellic.cachequeue", nullptr);
    m_operationQueue = dispatch_queue_create("com.tarvellic.operationqueue", nullptr);
    m_cacheInvalidationParams = NSMutableDictionary::dictionary();
    if (!hostName.isNil()) {
        NSNotificationCenter::defaultCenter()->addObserver(self(), &NENetworkEngine::reachabilityChanged, kReachabilityChangedNotification,
            nullptr);
        m_hostName = hostName;
        m_reachability = Reachability::reachabilityWithHostname(hostName);
        if (auto monitor = m_reachability) {
            // A running notifier keeps its monitor alive: started after the engine has gone, it
            // would never be stopped.
            auto notifier = m_notifier;
            dispatch_async(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_DEFAULT, 0), [monitor, notifier] {
                MutexLocker lock(notifier->mutex);
                if (!notifier->stopped)
                    monitor->startNotifier();
            });
        }
    }
    if (headers) {
        auto fields = headers->mutableCopyDictionary();
        if (!headers->objectForKey("User-Agent")) {
            auto info = NSBundle::mainBundle()->infoDictionary();
            fields->setObject(NSString::stringWithFormat("%@/%@", NSString::fromId(info ? info->objectForKey("CFBundleName") : nullptr),
                                  NSString::fromId(info ? info->objectForKey("CFBundleVersion") : nullptr)),
                "User-Agent");
        }
        m_customHeaders = fields->copyDictionary();
    }
    m_operationFactory = [](const NSString& urlString, const std::shared_ptr<NSDictionary>& params, const NSString& method) {
        return NENetworkOperation::create(urlString, params, method);
    };
    m_shouldSendAcceptLanguageHeader = true;
}

NENetworkEngine::~NENetworkEngine()
{
    NSNotificationCenter::defaultCenter()->removeObserver(this);
    MutexLocker lock(m_notifier->mutex);
    m_notifier->stopped = true;
    if (m_reachability)
        m_reachability->stopNotifier();
}

void NENetworkEngine::setReachabilityChangedHandler(ReachabilityBlock handler)
{
    MutexLocker lock(m_handlerMutex);
    m_reachabilityChangedHandler = std::move(handler);
}

// Operations.

std::shared_ptr<NENetworkOperation> NENetworkEngine::operationWithPath(const NSString& path)
{
    return operationWithPath(path, nullptr, "GET", false);
}

std::shared_ptr<NENetworkOperation> NENetworkEngine::operationWithPath(const NSString& path, const std::shared_ptr<NSDictionary>& params)
{
    return operationWithPath(path, params, "GET", false);
}

std::shared_ptr<NENetworkOperation> NENetworkEngine::operationWithPath(const NSString& path, const std::shared_ptr<NSDictionary>& params,
    const NSString& method)
{
    return operationWithPath(path, params, method, false);
}

std::shared_ptr<NENetworkOperation> NENetworkEngine::operationWithPath(const NSString& path, const std::shared_ptr<NSDictionary>& params,
    const NSString& method, bool ssl)
{
    if (m_hostName.isNil())
        return nullptr;
    auto text = NSMutableString::string();
    text->appendFormat("%s://%@", ssl ? "https" : "http", m_hostName);
    if (m_portNumber != 0)
        text->appendFormat(":%d", m_portNumber);
    if (!m_apiPath.isNil())
        text->appendFormat("/%@", m_apiPath);
    if (!path.isNil() && path != "/") {
        if (path.hasPrefix("/"))
            text->appendString(path);
        else
            text->appendFormat("/%@", path);
    }
    return operationWithURLString(NSString(text), params, method);
}

std::shared_ptr<NENetworkOperation> NENetworkEngine::operationWithURLString(const NSString& urlString)
{
    return operationWithURLString(urlString, nullptr, "GET");
}

std::shared_ptr<NENetworkOperation> NENetworkEngine::operationWithURLString(const NSString& urlString,
    const std::shared_ptr<NSDictionary>& params)
{
    return operationWithURLString(urlString, params, "GET");
}

std::shared_ptr<NENetworkOperation> NENetworkEngine::operationWithURLString(const NSString& urlString,
    const std::shared_ptr<NSDictionary>& params, const NSString& method)
{
    auto operation = m_operationFactory(urlString, params, method);
    if (!operation)
        return nullptr;
    operation->setShouldSendAcceptLanguageHeader(m_shouldSendAcceptLanguageHeader);
    prepareHeaders(*operation);
    return operation;
}

void NENetworkEngine::prepareHeaders(NENetworkOperation& operation) const
{
    operation.addHeaders(m_customHeaders);
}

// Enqueueing.

void NENetworkEngine::enqueueOperation(const std::shared_ptr<NENetworkOperation>& operation, bool forceReload)
{
    if (!operation)
        return;
    // The engine must live until the decision is made, or the operation would be dropped unheard.
    auto protectedSelf = self();
    dispatch_async(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_DEFAULT, 0),
        [protectedSelf, operation, forceReload] { protectedSelf->decideEnqueue(operation, forceReload); });
}

void NENetworkEngine::decideEnqueue(const std::shared_ptr<NENetworkOperation>& operation, bool forceReload)
{
    std::weak_ptr<NENetworkEngine> weakSelf = self();
    operation->setCacheHandler([weakSelf](const std::shared_ptr<NENetworkOperation>& finished) {
        if (auto engine = weakSelf.lock())
            engine->storeReply(*finished);
    });
    dispatch_sync(m_operationQueue, [&] {
        // With the host away, a freezable operation goes to disk at once: put in the queue first,
        // it could start and reach the server before the freeze, and then again after it.
        if (m_reachability && !isReachable() && freezeOperation(operation))
            return;
        if (!operation->isCacheable()) {
            addToSharedQueue(operation);
            return;
        }
        NSTimeInterval expiry = 0;
        if (auto cached = cachedDataForOperation(*operation)) {
            dispatch_async(dispatch_get_main_queue(), [operation, cached] { operation->setCachedData(cached); });
            if (!forceReload) {
                if (auto headers = savedCacheHeaders(operation->uniqueIdentifier())) {
                    auto expires = NSDate_RFC1123::dateFromRFC1123(NSString::fromId(headers->objectForKey("Expires")));
                    expiry = expires ? expires->timeIntervalSinceNow() : 0;
                    operation->updateOperationBasedOnPreviousHeaders(headers);
                }
            }
        }
        std::shared_ptr<NENetworkOperation> running;
        for (const auto& queued : sharedNetworkQueue()->operations()) {
            auto candidate = std::dynamic_pointer_cast<NENetworkOperation>(queued);
            if (candidate && candidate != operation && operation->isEqual(candidate)) {
                running = candidate;
                break;
            }
        }
        // An operation whose callbacks the running one took is not sent again: one request, and
        // each callback called once.
        if (running && running->adoptHandlersIfPending(*operation))
            return;
        if (expiry <= 0 || forceReload || (running && running->isFinished()))
            addToSharedQueue(operation);
    });
    if (m_reachability && !isReachable())
        freezeOperations();
}

void NENetworkEngine::addToSharedQueue(const std::shared_ptr<NENetworkOperation>& operation)
{
    operation->addObserverForKeyPath("isFinished", [](const NSString&) { postOperationCount(); });
    sharedNetworkQueue()->addOperation(operation);
    postOperationCount();
}

// Cancelling.

void NENetworkEngine::cancelOperationsMatchingBlock(const std::function<bool(NENetworkOperation&)>& block)
{
    for (const auto& queued : sharedNetworkQueue()->operations()) {
        auto operation = std::dynamic_pointer_cast<NENetworkOperation>(queued);
        if (operation && block(*operation))
            operation->cancel();
    }
}

void NENetworkEngine::cancelOperationsContainingURLString(const NSString& text)
{
    cancelOperationsMatchingBlock([&](NENetworkOperation& operation) { return operation.url().containsString(text); });
}

void NENetworkEngine::cancelAllOperations()
{
    if (!m_hostName.isNil())
        cancelOperationsContainingURLString(m_hostName);
}

// Reachability and freezing.

bool NENetworkEngine::isReachable() const
{
    return m_reachability && m_reachability->currentReachabilityStatus() != NotReachable;
}

void NENetworkEngine::reachabilityChanged(const std::shared_ptr<NSNotification>&)
{
    if (!m_reachability)
        return;
    const NetworkStatus status = m_reachability->currentReachabilityStatus();
    if (status == ReachableViaWiFi) {
        sharedNetworkQueue()->setMaxConcurrentOperationCount(6);
        checkAndRestoreFrozenOperations();
    } else if (status == ReachableViaWWAN) {
        if (m_wifiOnlyMode) {
            sharedNetworkQueue()->setMaxConcurrentOperationCount(0);
        } else {
            sharedNetworkQueue()->setMaxConcurrentOperationCount(2);
            checkAndRestoreFrozenOperations();
        }
    } else {
        freezeOperations();
    }
    ReachabilityBlock handler;
    {
        MutexLocker lock(m_handlerMutex);
        handler = m_reachabilityChangedHandler;
    }
    if (handler)
        handler(status);
}

bool NENetworkEngine::belongsToHost(NENetworkOperation& operation) const
{
    return !m_hostName.isNil() && operation.url().containsString(m_hostName);
}

bool NENetworkEngine::freezeOperation(const std::shared_ptr<NENetworkOperation>& operation)
{
    // Credentials never go to disk in clear: such an operation stays in the queue instead.
    if (!isCacheEnabled() || !operation->freezable() || operation->carriesCredentials() || !belongsToHost(*operation)
        || operation->isFinished() || operation->isCancelled())
        return false;
    const NSString key = operation->uniqueIdentifier();
    MutexLocker lock(m_frozenMutex);
    if (!NSKeyedArchiver::archiveRootObject(operation, frozenFilePath(key)))
        return false;
    m_frozenOperations[key] = operation;
    operation->stopForFreezing();
    return true;
}

void NENetworkEngine::freezeOperations()
{
    if (!isCacheEnabled() || m_hostName.isNil())
        return;
    for (const auto& queued : sharedNetworkQueue()->operations()) {
        if (auto operation = std::dynamic_pointer_cast<NENetworkOperation>(queued))
            freezeOperation(operation);
    }
}

void NENetworkEngine::checkAndRestoreFrozenOperations()
{
    if (!isCacheEnabled())
        return;
    std::vector<std::shared_ptr<NENetworkOperation>> restored;
    {
        MutexLocker lock(m_frozenMutex);
        auto names = NSFileManager::defaultManager()->contentsOfDirectoryAtPath(cacheDirectoryName());
        for (const auto& object : names ? *names : *NSArray::array()) {
            const NSString name = NSString::fromId(object);
            if (!name.containsString(frozenExtension))
                continue;
            const NSString path = cacheDirectoryName().stringByAppendingPathComponent(name);
            auto operation = ns::cast<NENetworkOperation>(NSKeyedUnarchiver::unarchiveObjectWithFile(path));
            // Deleted before it runs, so a second change of the network cannot send it twice.
            NSFileManager::defaultManager()->removeItemAtPath(path);
            if (!operation)
                continue;
            const auto original = m_frozenOperations.find(name.stringByDeletingPathExtension());
            if (original != m_frozenOperations.end()) {
                operation->updateHandlersFromOperation(*original->second);
                m_frozenOperations.erase(original);
            }
            restored.push_back(operation);
        }
    }
    for (const auto& operation : restored)
        enqueueOperation(operation);
}

// The response cache.

void NENetworkEngine::useCache()
{
    dispatch_sync(m_backgroundCacheQueue, [this] {
        m_memoryCache.clear();
        m_memoryCacheKeys.clear();
        m_memoryCacheKeys.reserve(cacheMemoryCost());
        m_cacheInvalidationParams = NSMutableDictionary::dictionary();
        bool isDirectory = false;
        if (!NSFileManager::defaultManager()->fileExistsAtPath(cacheDirectoryName(), &isDirectory) || !isDirectory)
            NSFileManager::defaultManager()->createDirectoryAtPath(cacheDirectoryName(), true, nullptr);
        CacheFileSeal::removeStaleCopies(cacheDirectoryName());
        if (auto data = NSData::dataWithContentsOfFile(indexFilePath())) {
            if (auto index = ns::cast<NSDictionary>(NSPropertyListSerialization::propertyListWithData(data, 0, nullptr)))
                m_cacheInvalidationParams = index->mutableCopyDictionary();
        }
    });
    auto center = NSNotificationCenter::defaultCenter();
    for (const char* name : { UIApplicationDidReceiveMemoryWarningNotification, UIApplicationDidEnterBackgroundNotification,
             UIApplicationWillTerminateNotification })
        center->addObserver(self(), &NENetworkEngine::saveCache, name, nullptr);
}

bool NENetworkEngine::isCacheEnabled() const
{
    return NSFileManager::defaultManager()->fileExistsAtPath(cacheDirectoryName());
}

std::shared_ptr<NSData> NENetworkEngine::cachedDataForOperation(const NENetworkOperation& operation)
{
    const NSString key = operation.uniqueIdentifier();
    std::shared_ptr<NSData> found;
    dispatch_sync(m_backgroundCacheQueue, [&] {
        if (auto memory = m_memoryCache.find(key); memory != m_memoryCache.end()) {
            found = memory->second;
            return;
        }
        const NSString path = cacheDirectoryName().stringByAppendingPathComponent(key);
        auto state = CacheFileSeal::State::Missing;
        auto stored = CacheFileSeal::read(path, &state);
        const bool damaged = state == CacheFileSeal::State::Damaged || state == CacheFileSeal::State::Unsealed
            || (state == CacheFileSeal::State::Unverifiable && stored && stored->length() == 0);
        if (damaged) {
            // Served, it would answer the request with whatever the file now holds.
            NSLog("Damaged engine cache entry removed: %@", path);
            NSFileManager::defaultManager()->removeItemAtPath(path);
            m_cacheInvalidationParams->removeObjectForKey(key);
            return;
        }
        found = stored;
        if (found)
            saveCacheDataOnCacheQueue(found, key);
    });
    return found;
}

void NENetworkEngine::saveCacheData(const std::shared_ptr<NSData>& data, const NSString& key)
{
    if (!data || key.isNil())
        return;
    std::weak_ptr<NENetworkEngine> weakSelf = self();
    dispatch_async(m_backgroundCacheQueue, [weakSelf, data, key] {
        if (auto engine = weakSelf.lock())
            engine->saveCacheDataOnCacheQueue(data, key);
    });
}

void NENetworkEngine::saveCacheDataOnCacheQueue(const std::shared_ptr<NSData>& data, const NSString& key)
{
    m_memoryCache[key] = data;
    std::erase(m_memoryCacheKeys, key);
    m_memoryCacheKeys.insert(m_memoryCacheKeys.begin(), key);
    if (m_memoryCacheKeys.size() >= cacheMemoryCost()) {
        const NSString last = m_memoryCacheKeys.back();
        CacheFileSeal::write(cacheDirectoryName().stringByAppendingPathComponent(last), m_memoryCache[last]);
        m_memoryCacheKeys.pop_back();
        m_memoryCache.erase(last);
    }
}

void NENetworkEngine::storeReply(NENetworkOperation& operation)
{
    const NSString key = operation.uniqueIdentifier();
    if (operation.responseForbidsStorage()) {
        // "no-store": what an earlier reply left must not answer for this one either.
        std::weak_ptr<NENetworkEngine> weakSelf = self();
        dispatch_async(m_backgroundCacheQueue, [weakSelf, key] {
            auto engine = weakSelf.lock();
            if (!engine)
                return;
            engine->m_memoryCache.erase(key);
            std::erase(engine->m_memoryCacheKeys, key);
            engine->m_cacheInvalidationParams->removeObjectForKey(key);
            NSFileManager::defaultManager()->removeItemAtPath(cacheDirectoryName().stringByAppendingPathComponent(key));
        });
        return;
    }
    auto data = operation.responseData();
    auto headers = operation.cacheHeaders();
    if (!data || !headers)
        return;
    std::weak_ptr<NENetworkEngine> weakSelf = self();
    dispatch_async(m_backgroundCacheQueue, [weakSelf, data, headers, key] {
        auto engine = weakSelf.lock();
        if (!engine)
            return;
        engine->saveCacheDataOnCacheQueue(data, key);
        engine->m_cacheInvalidationParams->setObject(headers, key);
    });
}

std::shared_ptr<NSDictionary> NENetworkEngine::savedCacheHeaders(const NSString& key)
{
    std::shared_ptr<NSDictionary> headers;
    dispatch_sync(m_backgroundCacheQueue, [&] { headers = ns::cast<NSDictionary>(m_cacheInvalidationParams->objectForKey(key)); });
    return headers;
}

NSUInteger NENetworkEngine::memoryCacheCount()
{
    NSUInteger count = 0;
    dispatch_sync(m_backgroundCacheQueue, [&] { count = m_memoryCache.size(); });
    return count;
}

void NENetworkEngine::flushOnCacheQueue()
{
    for (const auto& [key, data] : m_memoryCache)
        CacheFileSeal::write(cacheDirectoryName().stringByAppendingPathComponent(key), data);
    m_memoryCache.clear();
    m_memoryCacheKeys.clear();
    writeAtomically(NSPropertyListSerialization::dataWithPropertyList(m_cacheInvalidationParams, NSPropertyListXMLFormat_v1_0, 0),
        indexFilePath());
}

void NENetworkEngine::saveCache()
{
    dispatch_sync(m_backgroundCacheQueue, [this] { flushOnCacheQueue(); });
}

void NENetworkEngine::emptyCache()
{
    dispatch_sync(m_backgroundCacheQueue, [this] {
        flushOnCacheQueue();
        auto manager = NSFileManager::defaultManager();
        auto names = manager->contentsOfDirectoryAtPath(cacheDirectoryName());
        for (const auto& name : names ? *names : *NSArray::array())
            manager->removeItemAtPath(cacheDirectoryName().stringByAppendingPathComponent(NSString::fromId(name)));
        manager->removeItemAtPath(indexFilePath());
        m_cacheInvalidationParams = NSMutableDictionary::dictionary();
    });
}

// Images.

std::shared_ptr<NENetworkOperation> NENetworkEngine::imageAtURL(const std::shared_ptr<NSURL>& url, ImageBlock completion, ImageErrorBlock error)
{
    auto operation = imageOperation(*this, url);
    if (!operation)
        return nullptr;
    operation->addCompletionHandler(
        [completion, url](const std::shared_ptr<NENetworkOperation>& finished) {
            if (completion)
                completion(finished->responseImage(), url, finished->isCachedResponse());
        },
        [error](const std::shared_ptr<NENetworkOperation>& failed, const std::shared_ptr<NSError>& failure) {
            if (error)
                error(failed, failure);
        });
    enqueueOperation(operation);
    return operation;
}

std::shared_ptr<NENetworkOperation> NENetworkEngine::imageAtURL(const std::shared_ptr<NSURL>& url, CGSize size, ImageBlock completion,
    ImageErrorBlock error)
{
    auto operation = imageOperation(*this, url);
    if (!operation)
        return nullptr;
    operation->addCompletionHandler(
        [completion, url, size](const std::shared_ptr<NENetworkOperation>& finished) {
            const bool cached = finished->isCachedResponse();
            finished->decompressedResponseImageOfSize(size, [completion, url, cached](const std::shared_ptr<UIImage>& image) {
                if (completion)
                    completion(image, url, cached);
            });
        },
        [error](const std::shared_ptr<NENetworkOperation>& failed, const std::shared_ptr<NSError>& failure) {
            if (error)
                error(failed, failure);
        });
    enqueueOperation(operation);
    return operation;
}
