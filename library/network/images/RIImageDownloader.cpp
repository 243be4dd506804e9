#include "library/network/images/RIImageDownloader.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/net/NSURLCache.h"

namespace {

std::string keyOf(const std::shared_ptr<NSURL>& url) { return url->absoluteString().UTF8String(); }

} // namespace

class RIImageDownloader::Handle final : public NSObject, public RIImageOperation {
    NS_OBJECT(Handle, NSObject)
public:
    void cancel() override
    {
        if (m_cancelled.exchange(true))
            return;
        if (auto downloader = m_downloader.lock())
            downloader->cancelCaller(m_key, m_token);
    }

protected:
    void init(const std::weak_ptr<RIImageDownloader>& downloader, const NSString& key, NSUInteger token)
    {
        m_downloader = downloader;
        m_key = key;
        m_token = token;
    }

private:
    std::weak_ptr<RIImageDownloader> m_downloader;
    NSString m_key;
    NSUInteger m_token { 0 };
    std::atomic<bool> m_cancelled { false };
};

std::shared_ptr<RIImageDownloader> RIImageDownloader::sharedDownloader()
{
    static const NeverDestroyed<std::shared_ptr<RIImageDownloader>> instance(RIImageDownloader::create());
    return instance.get();
}

void RIImageDownloader::init()
{
    m_downloadQueue = NSOperationQueue::create();
    m_downloadQueue->setMaxConcurrentOperationCount(6);
    m_downloadQueue->setName("com.lornavest.RIImageDownloader");
    MutexLocker lock(m_mutex);
    m_HTTPHeaders["Accept"] = "image/webp,image/*;q=0.8";
}

RIImageDownloader::~RIImageDownloader() { m_downloadQueue->cancelAllOperations(); }

void RIImageDownloader::setValueForHTTPHeaderField(const NSString& value, const NSString& field)
{
    MutexLocker lock(m_mutex);
    if (value.isNil())
        m_HTTPHeaders.erase(field.UTF8String());
    else
        m_HTTPHeaders[field.UTF8String()] = value.UTF8String();
}

NSString RIImageDownloader::valueForHTTPHeaderField(const NSString& field) const
{
    MutexLocker lock(m_mutex);
    auto found = m_HTTPHeaders.find(field.UTF8String());
    return found == m_HTTPHeaders.end() ? NSString() : NSString(found->second);
}

void RIImageDownloader::setUsername(const NSString& username)
{
    MutexLocker lock(m_mutex);
    m_username = username;
}

void RIImageDownloader::setPassword(const NSString& password)
{
    MutexLocker lock(m_mutex);
    m_password = password;
}

void RIImageDownloader::setHeadersFilter(RIImageDownloaderHeadersFilterBlock filter)
{
    MutexLocker lock(m_mutex);
    m_headersFilter = std::move(filter);
}

void RIImageDownloader::setCacheKeyProvider(RIImageCacheKeyProvider provider)
{
    MutexLocker lock(m_mutex);
    m_keyProvider = std::move(provider);
}

std::size_t RIImageDownloader::pendingURLCount() const
{
    MutexLocker lock(m_mutex);
    return m_URLCallbacks.size();
}

std::vector<RIImageDownloader::Caller> RIImageDownloader::callersOf(const NSString& key, NSUInteger serial, bool remove)
{
    MutexLocker lock(m_mutex);
    auto found = m_URLCallbacks.find(key.UTF8String());
    if (found == m_URLCallbacks.end() || found->second.serial != serial)
        return {};
    auto callers = found->second.callers;
    if (remove)
        m_URLCallbacks.erase(found);
    return callers;
}

void RIImageDownloader::cancelCaller(const NSString& key, NSUInteger token)
{
    std::shared_ptr<RIImageDownloaderOperation> operation;
    {
        MutexLocker lock(m_mutex);
        auto found = m_URLCallbacks.find(key.UTF8String());
        if (found == m_URLCallbacks.end())
            return;
        auto& callers = found->second.callers;
        std::erase_if(callers, [token](const Caller& caller) { return caller.token == token; });
        if (!callers.empty())
            return;
        // The last caller went: the URL is forgotten at once, so a caller who comes next starts
        // a download of its own instead of joining the one being cancelled.
        operation = found->second.operation;
        m_URLCallbacks.erase(found);
    }
    if (operation)
        operation->cancel();
}

void RIImageDownloader::setOperationFactory(OperationFactory factory)
{
    MutexLocker lock(m_mutex);
    m_operationFactory = std::move(factory);
}

std::shared_ptr<RIImageDownloaderOperation> RIImageDownloader::makeOperation(const std::shared_ptr<NSURL>& url, NSUInteger options,
    NSUInteger serial, const Settings& settings)
{
    const NSTimeInterval timeout = m_downloadTimeout.load() == 0 ? 15.0 : m_downloadTimeout.load();
    auto request = NSMutableURLRequest::requestWithURL(url,
        (options & RIImageFetchUseURLCache) ? NSURLRequestUseProtocolCachePolicy : NSURLRequestReloadIgnoringLocalCacheData, timeout);
    request->setHTTPShouldHandleCookies(options & RIImageFetchHandleCookies);
    auto headers = NSMutableDictionary::dictionary();
    for (const auto& [name, value] : settings.headers)
        headers->setObject(NSString(value), NSString(name));
    request->setAllHTTPHeaderFields(settings.filter ? settings.filter(url, headers) : headers);

    std::weak_ptr<RIImageDownloader> weakSelf = std::static_pointer_cast<RIImageDownloader>(self());
    const NSString key = url->absoluteString();
    auto progress = [weakSelf, key, serial](NSInteger received, NSInteger expected) {
        auto downloader = weakSelf.lock();
        if (!downloader)
            return;
        for (const auto& caller : downloader->callersOf(key, serial, false))
            if (caller.progress)
                caller.progress(received, expected);
    };
    auto completed = [weakSelf, key, serial](const UIImageRef& image, const std::shared_ptr<NSData>& data, const std::shared_ptr<NSError>& error,
                         bool finished) {
        auto downloader = weakSelf.lock();
        if (!downloader)
            return;
        for (const auto& caller : downloader->callersOf(key, serial, finished))
            if (caller.completed)
                caller.completed(image, data, error, finished);
    };
    auto cancelled = [weakSelf, key, serial] {
        if (auto downloader = weakSelf.lock())
            downloader->callersOf(key, serial, true);
    };
    // Called with m_mutex held, which also guards the factory.
    std::shared_ptr<RIImageDownloaderOperation> operation;
    if (m_operationFactory)
        operation = m_operationFactory(request, options, progress, completed, cancelled);
    if (!operation)
        operation = RIImageDownloaderOperation::create(request, options, progress, completed, cancelled);
    operation->setShouldDecompressImages(m_shouldDecompressImages);
    operation->setCacheKeyProvider(settings.keyProvider);
    if (!settings.username.isNil() && !settings.password.isNil())
        operation->setCredential(NSURLCredential::credentialWithUser(settings.username, settings.password, NSURLCredentialPersistenceForSession));
    if (options & RIImageFetchHighPriority)
        operation->setQueuePriority(NSOperationQueuePriorityHigh);
    else if (options & RIImageFetchLowPriority)
        operation->setQueuePriority(NSOperationQueuePriorityLow);
    return operation;
}

std::shared_ptr<RIImageOperation> RIImageDownloader::downloadImageWithURL(const std::shared_ptr<NSURL>& url, NSUInteger options,
    RIImageDownloaderProgressBlock progress, RIImageDownloaderCompletedBlock completed)
{
    if (!url) {
        if (completed)
            completed(nullptr, nullptr, nullptr, false);
        return nullptr;
    }
    const NSString key = url->absoluteString();
    std::shared_ptr<RIImageDownloaderOperation> created;
    NSUInteger token = 0;
    {
        MutexLocker lock(m_mutex);
        token = m_nextToken++;
        auto& download = m_URLCallbacks[keyOf(url)];
        download.callers.push_back(Caller { token, std::move(progress), std::move(completed) });
        if (!download.operation) {
            download.serial = token;
            created = makeOperation(url, options, token, Settings { m_HTTPHeaders, m_headersFilter, m_keyProvider, m_username, m_password });
            download.operation = created;
        }
    }
    if (created) {
        std::shared_ptr<NSOperation> previous;
        if (m_executionOrder == RIImageFetchOrderLIFO) {
            MutexLocker lock(m_mutex);
            previous = m_lastAddedOperation.lock();
            m_lastAddedOperation = created;
        }
        if (previous)
            previous->addDependency(created);
        m_downloadQueue->addOperation(created);
    }
    return Handle::create(std::static_pointer_cast<RIImageDownloader>(self()), key, token);
}
