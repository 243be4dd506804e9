#include "library/network/engine/NENetworkOperation.h"

#include "library/json/JSONCodecDeserializing.h"
#include "library/network/engine/NSDate_RFC1123.h"
#include "library/network/engine/NSData_NEBase64.h"
#include "library/network/engine/NSDictionary_RequestEncoding.h"
#include "library/network/engine/NSString_NEEngineAdditions.h"
#include "library/network/shared/NSJSONReadingOptions.h"
#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSLocale.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/net/NSURLError.h"
#include "platform/security/SecImportExport.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UILocalNotification.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

const bool registeredForCoding = NSCoder::registerClass<NENetworkOperation>();

// Methods the platform names but whose constants live with the authentication work.
constexpr const char* authenticationMethodNTLM = "NSURLAuthenticationMethodNTLM";
constexpr const char* authenticationMethodClientCertificate = "NSURLAuthenticationMethodClientCertificate";

bool isPresent(const NSString& text)
{
    return !text.isNil() && text.length() > 0;
}

// The first identity of a PKCS#12 bundle and the trust of its chain; a missing file arrives as
// no bytes and ends in errSecParam.
OSStatus NEImportPKCS12Identity(const std::shared_ptr<NSData>& bundle, const NSString& passphrase, SecIdentityRef* identity,
    SecTrustRef* trust)
{
    auto options = NSMutableDictionary::dictionary();
    if (!passphrase.isNil())
        options->setObject(passphrase, kSecImportExportPassphrase);
    std::shared_ptr<NSArray> items;
    const OSStatus status = SecPKCS12Import(bundle, options, &items);
    if (status != errSecSuccess)
        return status;
    if (!items || items->count() == 0)
        return errSecDecode;
    auto item = ns::cast<NSDictionary>(items->objectAtIndex(0));
    *identity = item ? ns::cast<SecIdentity>(item->objectForKey(NSString(kSecImportItemIdentity))) : nullptr;
    *trust = item ? ns::cast<SecTrust>(item->objectForKey(NSString(kSecImportItemTrust))) : nullptr;
    return *identity ? errSecSuccess : errSecDecode;
}

} // namespace

void NENetworkOperation::Callbacks::append(const Callbacks& other)
{
    response.insert(response.end(), other.response.begin(), other.response.end());
    error.insert(error.end(), other.error.begin(), other.error.end());
    errorType2.insert(errorType2.end(), other.errorType2.begin(), other.errorType2.end());
    notModified.insert(notModified.end(), other.notModified.begin(), other.notModified.end());
    uploadProgress.insert(uploadProgress.end(), other.uploadProgress.begin(), other.uploadProgress.end());
    downloadProgress.insert(downloadProgress.end(), other.downloadProgress.begin(), other.downloadProgress.end());
}

void NENetworkOperation::init()
{
    {
        auto shared = m_shared.lock();
        shared->fieldsToBePosted = NSMutableDictionary::dictionary();
        shared->filesToBePosted = NSMutableArray::array();
        shared->dataToBePosted = NSMutableArray::array();
    }
    m_credentialPersistence = NSURLCredentialPersistenceForSession;
}

bool NENetworkOperation::init(const NSString& urlString, const std::shared_ptr<NSDictionary>& params, const NSString& method)
{
    init();
    const NSString httpMethod = method.isNil() ? NSString("GET") : method;
    NSString text = urlString;
    if ((httpMethod == "GET" || httpMethod == "DELETE") && params && params->count())
        text = NSString::stringWithFormat("%@?%@", urlString, NSDictionary_RequestEncoding::urlEncodedKeyValueString(params));
    auto URL = text.isNil() ? nullptr : NSURL::URLWithString(text);
    {
        auto shared = m_shared.lock();
        if (params)
            shared->fieldsToBePosted = params->mutableCopyDictionary();
        shared->stringEncoding = NSUTF8StringEncoding;
        if (httpMethod == "GET")
            shared->cacheHeaders = NSMutableDictionary::dictionary();
        if (!URL)
            return false;
        shared->request = NSMutableURLRequest::requestWithURL(URL, NSURLRequestReloadIgnoringLocalCacheData, 30);
        shared->request->setHTTPMethod(httpMethod);
    }
    if ((httpMethod == "POST" || httpMethod == "PUT") && params && params->count())
        setPostDataEncoding(NEPostDataEncodingTypeURL);
    setState(NENetworkOperationStateReady);
    return true;
}

NENetworkOperation::~NENetworkOperation()
{
    std::shared_ptr<NSURLConnection> connection;
    std::vector<std::shared_ptr<NSOutputStream>> streams;
    NSUInteger task;
    {
        auto shared = m_shared.lock();
        connection = shared->connection;
        streams = shared->downloadStreams;
        task = shared->backgroundTaskId;
    }
    if (connection)
        connection->cancel();
    for (const auto& stream : streams)
        stream->close();
    if (task != UIBackgroundTaskInvalid)
        UIApplication::sharedApplication()->endBackgroundTask(task);
    removeBodyFile();
}

// Request set-up.

void NENetworkOperation::addParams(const std::shared_ptr<NSDictionary>& params)
{
    auto shared = m_shared.lock();
    if (params)
        shared->fieldsToBePosted->addEntriesFromDictionary(params);
}

void NENetworkOperation::addHeaders(const std::shared_ptr<NSDictionary>& headers)
{
    if (!headers)
        return;
    auto shared = m_shared.lock();
    for (const auto& entry : *headers)
        shared->request->addValue(NSString::fromId(entry.object), NSString::fromId(entry.key));
}

void NENetworkOperation::addHeader(const NSString& name, const NSString& value)
{
    auto shared = m_shared.lock();
    shared->request->addValue(value, name);
}

void NENetworkOperation::setHeader(const NSString& name, const NSString& value)
{
    auto shared = m_shared.lock();
    shared->request->setValue(value, name);
}

void NENetworkOperation::setAuthorizationHeaderValue(const NSString& value, const NSString& authType)
{
    setHeader("Authorization", NSString::stringWithFormat("%@ %@", authType, value));
}

void NENetworkOperation::setUsername(const NSString& username, const NSString& password)
{
    auto shared = m_shared.lock();
    shared->username = username;
    shared->password = password;
}

void NENetworkOperation::setUsername(const NSString& username, const NSString& password, bool)
{
    setUsername(username, password);
    auto pair = NSString::stringWithFormat("%@:%@", username, password).dataUsingEncoding(NSUTF8StringEncoding);
    setAuthorizationHeaderValue(NSData_NEBase64::base64EncodedString(pair), "Basic");
}

void NENetworkOperation::setUploadStream(const std::shared_ptr<NSInputStream>& stream)
{
    auto shared = m_shared.lock();
    shared->request->setHTTPBodyStream(stream);
}

void NENetworkOperation::addDownloadStream(const std::shared_ptr<NSOutputStream>& stream)
{
    if (!stream)
        return;
    stream->scheduleInRunLoop(NSRunLoop::currentRunLoop(), NSRunLoopCommonModes);
    auto shared = m_shared.lock();
    shared->downloadStreams.push_back(stream);
}

void NENetworkOperation::setFreezable(bool freezable)
{
    auto shared = m_shared.lock();
    if (shared->request->HTTPMethod() == "GET" && freezable)
        return;
    shared->freezable = freezable;
    if (freezable && !isPresent(shared->uniqueId))
        shared->uniqueId = NSString_NEEngineAdditions::uniqueString();
}

bool NENetworkOperation::freezable() const
{
    auto shared = m_shared.lock();
    return shared->freezable;
}

// Callbacks.

void NENetworkOperation::onCompletion(ResponseBlock response, ErrorBlock error)
{
    auto shared = m_shared.lock();
    if (response)
        shared->callbacks.response.push_back(std::move(response));
    if (error)
        shared->callbacks.error.push_back(std::move(error));
}

void NENetworkOperation::addCompletionHandler(ResponseBlock response, OperationErrorBlock error)
{
    auto shared = m_shared.lock();
    if (response)
        shared->callbacks.response.push_back(std::move(response));
    if (error)
        shared->callbacks.errorType2.push_back(std::move(error));
}

void NENetworkOperation::onNotModified(NotModifiedBlock handler)
{
    auto shared = m_shared.lock();
    if (handler)
        shared->callbacks.notModified.push_back(std::move(handler));
}

void NENetworkOperation::onUploadProgressChanged(ProgressBlock handler)
{
    auto shared = m_shared.lock();
    if (handler)
        shared->callbacks.uploadProgress.push_back(std::move(handler));
}

void NENetworkOperation::onDownloadProgressChanged(ProgressBlock handler)
{
    auto shared = m_shared.lock();
    if (handler)
        shared->callbacks.downloadProgress.push_back(std::move(handler));
}

void NENetworkOperation::setCacheHandler(CacheBlock handler)
{
    auto shared = m_shared.lock();
    shared->cacheHandlingBlock = std::move(handler);
}

void NENetworkOperation::updateHandlersFromOperation(NENetworkOperation& operation)
{
    if (&operation == this)
        return;
    Callbacks theirs;
    std::vector<std::shared_ptr<NSOutputStream>> streams;
    {
        auto other = operation.m_shared.lock();
        theirs = other->callbacks;
        streams = other->downloadStreams;
    }
    auto shared = m_shared.lock();
    shared->callbacks.append(theirs);
    shared->downloadStreams.insert(shared->downloadStreams.end(), streams.begin(), streams.end());
}

void NENetworkOperation::setAuthHandler(AuthBlock handler)
{
    auto shared = m_shared.lock();
    shared->authHandler = std::move(handler);
}

void NENetworkOperation::setOperationStateChangedHandler(StateBlock handler)
{
    auto shared = m_shared.lock();
    shared->operationStateChangedHandler = std::move(handler);
}

NENetworkOperation::Callbacks NENetworkOperation::callbacks() const
{
    auto shared = m_shared.lock();
    return shared->callbacks;
}

// The engine's response cache.

bool NENetworkOperation::carriesCredentials() const
{
    auto shared = m_shared.lock();
    return isPresent(shared->username) || isPresent(shared->password) || isPresent(shared->clientCertificate) || isPresent(shared->clientCertificatePassword)
        || !shared->request->valueForHTTPHeaderField("Authorization").isNil();
}

bool NENetworkOperation::isCacheable() const
{
    if (m_shouldNotCacheResponse || responseForbidsStorage() || carriesCredentials())
        return false;
    auto shared = m_shared.lock();
    if (shared->request->HTTPMethod() != "GET")
        return false;
    if (shared->request->URL()->scheme().lowercaseString() == "https")
        return m_shouldCacheResponseEvenIfProtocolIsHTTPS;
    return shared->downloadStreams.empty();
}

NSString NENetworkOperation::uniqueIdentifier() const
{
    auto shared = m_shared.lock();
    auto text = NSMutableString::string();
    text->appendFormat("%@ %@", shared->request->HTTPMethod(), shared->request->URL()->absoluteString());
    if (!shared->username.isNil() || !shared->password.isNil())
        text->appendFormat(" [%@:%@]", shared->username.isNil() ? NSString::string() : shared->username,
            shared->password.isNil() ? NSString::string() : shared->password);
    if (shared->freezable && !shared->uniqueId.isNil())
        text->appendString(shared->uniqueId);
    return NSString_NEEngineAdditions::md5(NSString(text));
}

bool NENetworkOperation::isEqual(const id& other) const
{
    if (other.get() == this)
        return true;
    auto operation = ns::cast<NENetworkOperation>(other);
    if (!operation)
        return false;
    const NSString method = HTTPMethod();
    return (method == "GET" || method == "HEAD") && uniqueIdentifier() == operation->uniqueIdentifier();
}

NSUInteger NENetworkOperation::hash() const
{
    return uniqueIdentifier().hash();
}

bool NENetworkOperation::isCachedResponse() const
{
    auto shared = m_shared.lock();
    return shared->cachedResponse != nullptr;
}

void NENetworkOperation::notifyCache()
{
    CacheBlock handler;
    {
        auto shared = m_shared.lock();
        handler = shared->cacheHandlingBlock;
    }
    const NSInteger status = HTTPStatusCode();
    // A reply that forbids storing is told to the cache too, so it can drop an older body.
    if (handler && (isCacheable() || responseForbidsStorage()) && status >= 200 && status < 300 && !isCancelled())
        handler(self());
}

void NENetworkOperation::setCachedData(const std::shared_ptr<NSData>& data)
{
    {
        auto shared = m_shared.lock();
        shared->cachedResponse = data;
    }
    operationSucceeded();
}

void NENetworkOperation::updateOperationBasedOnPreviousHeaders(const std::shared_ptr<NSDictionary>& headers)
{
    if (!headers)
        return;
    const NSString lastModified = NSString::fromId(headers->objectForKey("Last-Modified"));
    const NSString eTag = NSString::fromId(headers->objectForKey("ETag"));
    auto shared = m_shared.lock();
    if (!lastModified.isNil())
        shared->request->setValue(lastModified, "IF-MODIFIED-SINCE");
    if (!eTag.isNil())
        shared->request->setValue(eTag, "IF-NONE-MATCH");
}

std::shared_ptr<NSDictionary> NENetworkOperation::cacheHeaders() const
{
    auto shared = m_shared.lock();
    return shared->cacheHeaders ? shared->cacheHeaders->copyDictionary() : nullptr;
}

bool NENetworkOperation::responseForbidsStorage() const
{
    auto shared = m_shared.lock();
    return shared->responseForbidsStorage;
}

void NENetworkOperation::computeCacheHeaders(const NSHTTPURLResponse& response)
{
    const NSString lastModified = response.valueForHTTPHeaderField("Last-Modified");
    const NSString eTag = response.valueForHTTPHeaderField("ETag");
    const NSString expires = response.valueForHTTPHeaderField("Expires");
    const NSString contentType = response.valueForHTTPHeaderField("Content-Type");
    const NSTimeInterval now = NSDate::date()->timeIntervalSince1970();
    std::optional<NSTimeInterval> expiry;
    if (contentType.isNil() || contentType.containsString("image"))
        expiry = now + (!eTag.isNil() || !lastModified.isNil() ? 86400 : 604800);
    bool revalidate = false;
    bool noStore = false;
    const NSString cacheControl = response.valueForHTTPHeaderField("Cache-Control");
    for (const NSString& part : cacheControl.isNil() ? std::vector<NSString>() : cacheControl.components(",")) {
        const NSString directive = part.lowercaseString();
        if (directive.containsString("no-store")) {
            noStore = true;
        } else if (directive.containsString("max-age")) {
            const NSRange equals = directive.rangeOfString("=");
            const long long seconds = equals.location == NSNotFound ? 0 : directive.substringFromIndex(equals.location + 1).longLongValue();
            expiry = now + static_cast<NSTimeInterval>(std::max(0LL, seconds));
        } else if (directive.containsString("no-cache")) {
            revalidate = true;
        }
    }
    // "no-cache" allows keeping the body but never answering from it unasked, whatever else the
    // field says; an expiry of now makes the engine revalidate every time.
    if (revalidate)
        expiry = now;
    auto shared = m_shared.lock();
    shared->responseForbidsStorage = noStore;
    if (!shared->cacheHeaders)
        return;
    const NSString kept = expiry ? NSDate_RFC1123::rfc1123String(*NSDate::dateWithTimeIntervalSince1970(std::floor(*expiry))) : expires;
    if (!kept.isNil())
        shared->cacheHeaders->setObject(kept, "Expires");
    if (!lastModified.isNil())
        shared->cacheHeaders->setObject(lastModified, "Last-Modified");
    if (!eTag.isNil())
        shared->cacheHeaders->setObject(eTag, "ETag");
}

// Reply.

std::shared_ptr<NSData> NENetworkOperation::responseData() const
{
    auto shared = m_shared.lock();
    // A 304 brings no body: the body is the one the cache gave.
    if (isFinished() && !(shared->response && shared->response->statusCode() == 304))
        return shared->mutableData;
    return shared->cachedResponse;
}

NSString NENetworkOperation::responseString() const
{
    return responseStringWithEncoding(stringEncoding());
}

NSString NENetworkOperation::responseStringWithEncoding(NSStringEncoding encoding) const
{
    auto data = responseData();
    return data ? NSString::initWithData(data, encoding) : NSString();
}

std::shared_ptr<UIImage> NENetworkOperation::responseImage() const
{
    auto data = responseData();
    return data ? UIImage::imageWithData(data) : nullptr;
}

void NENetworkOperation::decompressedResponseImageOfSize(CGSize, ImageBlock handler) const
{
    if (!handler)
        return;
    auto data = responseData();
    dispatch_async(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_HIGH, 0), [data, handler] {
        auto image = data ? UIImage::imageWithData(data) : nullptr;
        dispatch_async(dispatch_get_main_queue(), [image, handler] { handler(image); });
    });
}

id NENetworkOperation::responseJSON() const
{
    auto data = responseData();
    return data && data->length() ? JSONCodecDeserializing::objectFromJSONData(data) : nullptr;
}

void NENetworkOperation::responseJSONWithOptions(NSUInteger options, JSONBlock handler) const
{
    if (!handler)
        return;
    auto data = responseData();
    if (!data) {
        handler(nullptr);
        return;
    }
    // Both answers come on the main queue: a caller must not meet its handler on a thread it
    // does not expect just because the reply was no JSON.
    dispatch_async(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_HIGH, 0), [data, options, handler] {
        const bool mutableContainers = options & NSJSONReadingMutableContainers;
        auto parse = [mutableContainers](const std::shared_ptr<NSData>& bytes) {
            return mutableContainers ? JSONCodecDeserializing::mutableObjectFromJSONData(bytes) : JSONCodecDeserializing::objectFromJSONData(bytes);
        };
        id object = data->length() ? parse(data) : nullptr;
        if (!object && data->length() && (options & NSJSONReadingAllowFragments)) {
            // The decoder reads collections only: a lone value is read as an array's one element.
            std::vector<std::uint8_t> wrapped { '[' };
            wrapped.insert(wrapped.end(), data->bytes(), data->bytes() + data->length());
            wrapped.push_back(']');
            if (auto array = ns::cast<NSArray>(parse(NSData::dataWithBytes(std::move(wrapped)))); array && array->count() == 1)
                object = array->objectAtIndex(0);
        }
        dispatch_async(dispatch_get_main_queue(), [object, handler] { handler(object); });
    });
}

std::shared_ptr<SecTrust> NENetworkOperation::serverTrust() const
{
    auto shared = m_shared.lock();
    return shared->serverTrust.lock();
}

// Read-only views.

NSString NENetworkOperation::url() const
{
    auto shared = m_shared.lock();
    return shared->request->URL()->absoluteString();
}

std::shared_ptr<NSURLRequest> NENetworkOperation::readonlyRequest() const
{
    auto shared = m_shared.lock();
    return shared->request->copyRequest();
}

std::shared_ptr<NSHTTPURLResponse> NENetworkOperation::readonlyResponse() const
{
    auto shared = m_shared.lock();
    return shared->response;
}

std::shared_ptr<NSDictionary> NENetworkOperation::readonlyPostDictionary() const
{
    auto shared = m_shared.lock();
    return shared->fieldsToBePosted->copyDictionary();
}

NSString NENetworkOperation::HTTPMethod() const
{
    auto shared = m_shared.lock();
    return shared->request->HTTPMethod();
}

NSInteger NENetworkOperation::HTTPStatusCode() const
{
    auto shared = m_shared.lock();
    return shared->response ? shared->response->statusCode() : 0;
}

std::shared_ptr<NSError> NENetworkOperation::error() const
{
    auto shared = m_shared.lock();
    return shared->error;
}

NENetworkOperationState NENetworkOperation::state() const
{
    return m_state;
}

NSString NENetworkOperation::uniqueId() const
{
    auto shared = m_shared.lock();
    return shared->uniqueId;
}

NSString NENetworkOperation::username() const
{
    auto shared = m_shared.lock();
    return shared->username;
}

NSString NENetworkOperation::password() const
{
    auto shared = m_shared.lock();
    return shared->password;
}

std::shared_ptr<NSArray> NENetworkOperation::filesToBePosted() const
{
    auto shared = m_shared.lock();
    return shared->filesToBePosted->copyArray();
}

std::shared_ptr<NSArray> NENetworkOperation::dataToBePosted() const
{
    auto shared = m_shared.lock();
    return shared->dataToBePosted->copyArray();
}

NSStringEncoding NENetworkOperation::stringEncoding() const
{
    auto shared = m_shared.lock();
    return shared->stringEncoding;
}

void NENetworkOperation::setStringEncoding(NSStringEncoding encoding)
{
    auto shared = m_shared.lock();
    shared->stringEncoding = encoding;
}

NSString NENetworkOperation::clientCertificate() const
{
    auto shared = m_shared.lock();
    return shared->clientCertificate;
}

void NENetworkOperation::setClientCertificate(const NSString& path)
{
    auto shared = m_shared.lock();
    shared->clientCertificate = path;
}

NSString NENetworkOperation::clientCertificatePassword() const
{
    auto shared = m_shared.lock();
    return shared->clientCertificatePassword;
}

void NENetworkOperation::setClientCertificatePassword(const NSString& password)
{
    auto shared = m_shared.lock();
    shared->clientCertificatePassword = password;
}

NSString NENetworkOperation::languagesFromLocale()
{
    auto languages = NSLocale::preferredLanguages();
    return NSString::stringWithFormat("%@, en-us", languages ? languages->componentsJoinedByString(", ") : NSString::string());
}

// Life cycle.

void NENetworkOperation::setState(NENetworkOperationState state)
{
    // The operation whose change this thread is announcing. An observer told of a change that
    // changes the state again (cancelling it as it starts, say) has its change made once the
    // announcement ends, instead of taking the lock this thread holds.
    static thread_local const NENetworkOperation* t_announcing = nullptr;
    if (t_announcing == this) {
        m_deferredState = state;
        return;
    }
    StateBlock handler;
    {
        // One change at a time, and finished is final: a late "executing" from a slow thread can
        // never hide a finish that came first.
        MutexLocker lock(m_stateMutex);
        const NENetworkOperationState old = m_state;
        if (old == state || old == NENetworkOperationStateFinished)
            return;
        std::vector<const char*> keys;
        switch (state) {
        case NENetworkOperationStateFinished: keys = { "isExecuting", "isFinished" }; break;
        case NENetworkOperationStateExecuting: keys = { "isReady", "isExecuting" }; break;
        case NENetworkOperationStateReady: keys = { "isReady" }; break;
        }
        const NENetworkOperation* outer = std::exchange(t_announcing, this);
        for (const char* key : keys)
            willChangeValueForKey(key);
        m_state = state;
        for (auto key = keys.rbegin(); key != keys.rend(); ++key)
            didChangeValueForKey(*key);
        t_announcing = outer;
        handler = m_shared.lock()->operationStateChangedHandler;
    }
    if (handler)
        handler(state);
    if (const auto deferred = m_deferredState.exchange(static_cast<NENetworkOperationState>(0)))
        setState(deferred);
}

bool NENetworkOperation::isReady() const
{
    return m_state == NENetworkOperationStateReady && NSOperation::isReady();
}

bool NENetworkOperation::isExecuting() const
{
    return m_state == NENetworkOperationStateExecuting;
}

bool NENetworkOperation::isFinished() const
{
    return m_state == NENetworkOperationStateFinished;
}

void NENetworkOperation::endBackgroundTask()
{
    NSUInteger task;
    {
        auto shared = m_shared.lock();
        task = std::exchange(shared->backgroundTaskId, UIBackgroundTaskInvalid);
    }
    if (task != UIBackgroundTaskInvalid)
        UIApplication::sharedApplication()->endBackgroundTask(task);
}

void NENetworkOperation::start()
{
    std::weak_ptr<NENetworkOperation> weakSelf = self();
    const auto task = UIApplication::sharedApplication()->beginBackgroundTaskWithExpirationHandler([weakSelf] {
        if (auto operation = weakSelf.lock()) {
            operation->endBackgroundTask();
            operation->cancel();
        }
    });
    const NSUInteger previous = std::exchange(m_shared.lock()->backgroundTaskId, task);
    if (previous != UIBackgroundTaskInvalid)
        UIApplication::sharedApplication()->endBackgroundTask(previous);
    if (isCancelled() || m_stopped) {
        setState(NENetworkOperationStateFinished);
        endBackgroundTask();
        return;
    }
    if (m_state != NENetworkOperationStateReady)
        return;
    std::shared_ptr<NSError> error;
    if (!prepareBody(&error)) {
        setState(NENetworkOperationStateFinished);
        auto protectedSelf = self();
        dispatch_async(dispatch_get_main_queue(), [protectedSelf, error] {
            if (protectedSelf->claimOutcome())
                protectedSelf->operationFailedWithError(error);
        });
        endBackgroundTask();
        return;
    }
    // Executing before the connection is handed over: a failure on the main thread that comes
    // first then finishes an executing operation instead of being overwritten by this change.
    setState(NENetworkOperationStateExecuting);
    auto protectedSelf = self();
    dispatch_async(dispatch_get_main_queue(), [protectedSelf] { protectedSelf->startConnection(); });
}

void NENetworkOperation::startConnection()
{
    std::shared_ptr<NSURLConnection> connection;
    {
        auto shared = m_shared.lock();
        if (m_stopped || isCancelled() || m_state != NENetworkOperationStateExecuting || shared->connection)
            return;
        shared->connection = NSURLConnection::create(shared->request->copyRequest(), self(), false);
        shared->connection->scheduleInRunLoop(NSRunLoop::mainRunLoop(), NSRunLoopCommonModes);
        connection = shared->connection;
    }
    connection->start();
}

bool NENetworkOperation::claimOutcome()
{
    // Under the lock, so that callbacks adopted from another operation are either in before the
    // outcome is claimed, and called, or refused.
    auto shared = m_shared.lock();
    if (m_stopped || isCancelled())
        return false;
    return !m_outcomeDelivered.exchange(true);
}

bool NENetworkOperation::adoptHandlersIfPending(NENetworkOperation& operation)
{
    if (&operation == this)
        return true;
    Callbacks theirs;
    std::vector<std::shared_ptr<NSOutputStream>> streams;
    {
        auto other = operation.m_shared.lock();
        theirs = other->callbacks;
        streams = other->downloadStreams;
    }
    auto shared = m_shared.lock();
    if (m_outcomeDelivered || m_stopped || isCancelled() || isFinished())
        return false;
    shared->callbacks.append(theirs);
    shared->downloadStreams.insert(shared->downloadStreams.end(), streams.begin(), streams.end());
    return true;
}

void NENetworkOperation::closeDownloadStreams()
{
    std::vector<std::shared_ptr<NSOutputStream>> streams;
    {
        auto shared = m_shared.lock();
        streams = shared->downloadStreams;
    }
    for (const auto& stream : streams)
        stream->close();
}

void NENetworkOperation::stopExchange(bool dropCallbacks)
{
    if (isFinished())
        return;
    m_stopped = true;
    std::shared_ptr<NSURLConnection> connection;
    std::vector<std::shared_ptr<NSOutputStream>> streams;
    {
        auto shared = m_shared.lock();
        connection = std::move(shared->connection);
        if (dropCallbacks) {
            shared->callbacks.clear();
            streams = std::move(shared->downloadStreams);
            shared->downloadStreams.clear();
            shared->authHandler = nullptr;
            shared->cacheHandlingBlock = nullptr;
        }
        shared->mutableData.reset();
        shared->downloadedDataSize = 0;
    }
    if (connection)
        connection->cancel();
    for (const auto& stream : streams)
        stream->close();
    // Any started operation finishes here, or it holds its queue's slot for ever; one not yet
    // started is finished by its own start, which the queue runs once it sees the cancel.
    if (m_state == NENetworkOperationStateExecuting)
        setState(NENetworkOperationStateFinished);
    removeBodyFile();
    endBackgroundTask();
    NSOperation::cancel();
}

void NENetworkOperation::cancel()
{
    stopExchange(true);
}

void NENetworkOperation::stopForFreezing()
{
    stopExchange(false);
}

// Completion.

void NENetworkOperation::operationSucceeded()
{
    auto protectedSelf = self();
    for (const auto& block : callbacks().response)
        block(protectedSelf);
}

void NENetworkOperation::operationFailedWithError(const std::shared_ptr<NSError>& error)
{
    {
        auto shared = m_shared.lock();
        shared->error = error;
    }
    const auto blocks = callbacks();
    for (const auto& block : blocks.error)
        block(error);
    auto protectedSelf = self();
    for (const auto& block : blocks.errorType2)
        block(protectedSelf, error);
    if (UIApplication::sharedApplication()->applicationState() == UIApplicationState::Background)
        showLocalNotification();
}

void NENetworkOperation::showLocalNotification()
{
    std::shared_ptr<UILocalNotification> notification;
    std::shared_ptr<NSError> error;
    {
        auto shared = m_shared.lock();
        notification = shared->localNotification;
        error = shared->error;
    }
    if (!notification) {
        if (!m_shouldShowLocalNotificationOnError)
            return;
        notification = UILocalNotification::create();
        notification->setAlertBody(error ? error->localizedDescription() : NSString::string());
        notification->setAlertAction(NSBundle::mainBundle()->localizedStringForKey("Dismiss", NSString(), NSString()));
    }
    UIApplication::sharedApplication()->presentLocalNotificationNow(notification);
}

std::shared_ptr<UILocalNotification> NENetworkOperation::localNotification() const
{
    auto shared = m_shared.lock();
    return shared->localNotification;
}

void NENetworkOperation::setLocalNotification(const std::shared_ptr<UILocalNotification>& notification)
{
    auto shared = m_shared.lock();
    shared->localNotification = notification;
}

void NENetworkOperation::deliverNotModified()
{
    const auto blocks = callbacks();
    bool answered;
    {
        auto shared = m_shared.lock();
        answered = shared->cachedResponse || !blocks.notModified.empty();
    }
    if (!claimOutcome())
        return;
    if (answered) {
        for (const auto& block : blocks.notModified)
            block();
        return;
    }
    // A 304 to a request that had nothing cached gives the caller no body at all.
    auto headers = readonlyResponse()->allHeaderFields();
    operationFailedWithError(NSError::errorWithDomain(NSURLErrorDomain, 304, headers));
}

// Connection.

std::optional<std::shared_ptr<NSURLRequest>> NENetworkOperation::willSendRequest(NSURLConnection&,
    const std::shared_ptr<NSURLRequest>& request, const std::shared_ptr<NSURLResponse>& redirectResponse)
{
    auto shared = m_shared.lock();
    auto copy = shared->request->mutableCopyRequest();
    if (redirectResponse) {
        copy->setURL(request->URL());
    } else if (m_shouldSendAcceptLanguageHeader) {
        copy->setValue(languagesFromLocale(), "Accept-Language");
    } else {
        copy->setValue(NSString(), "Accept-Language");
    }
    return std::shared_ptr<NSURLRequest>(copy);
}

bool NENetworkOperation::willSendRequestForAuthenticationChallenge(NSURLConnection&,
    const std::shared_ptr<NSURLAuthenticationChallenge>& challenge)
{
    auto sender = challenge->sender();
    if (!sender)
        return true;
    if (challenge->previousFailureCount() != 0) {
        sender->continueWithoutCredentialForAuthenticationChallenge(challenge);
        return true;
    }
    NSString user, password, certificate, passphrase;
    AuthBlock handler;
    {
        auto shared = m_shared.lock();
        user = shared->username;
        password = shared->password;
        certificate = shared->clientCertificate;
        passphrase = shared->clientCertificatePassword;
        handler = shared->authHandler;
    }
    const auto space = challenge->protectionSpace();
    const NSString method = space->authenticationMethod();
    const bool passwordMethod = method == NSURLAuthenticationMethodDefault || method == NSURLAuthenticationMethodHTTPBasic
        || method == NSURLAuthenticationMethodHTTPDigest || method == authenticationMethodNTLM;
    if (passwordMethod && !user.isNil() && !password.isNil()) {
        sender->useCredential(NSURLCredential::credentialWithUser(user, password, m_credentialPersistence), challenge);
        return true;
    }
    if (method == authenticationMethodClientCertificate && !certificate.isNil()) {
        SecIdentityRef identity;
        SecTrustRef trust;
        const OSStatus status = NEImportPKCS12Identity(NSData::dataWithContentsOfFile(certificate), passphrase, &identity, &trust);
        SecCertificateRef leaf;
        if (status != errSecSuccess || SecIdentityCopyCertificate(identity, &leaf) != errSecSuccess) {
            // Going on without the identity would only meet the server's refusal later.
            sender->cancelAuthenticationChallenge(challenge);
            return true;
        }
        sender->useCredential(NSURLCredential::credentialWithIdentity(identity, { leaf }, NSURLCredentialPersistencePermanent), challenge);
        return true;
    }
    if (method == NSURLAuthenticationMethodServerTrust) {
        const auto& trust = space->serverTrust();
        {
            auto shared = m_shared.lock();
            shared->serverTrust = trust;
        }
        SecTrustResultType result = kSecTrustResultInvalid;
        const bool trusted = SecTrustEvaluate(trust, &result) == errSecSuccess
            && (result == kSecTrustResultProceed || result == kSecTrustResultUnspecified);
        if (trusted || m_shouldContinueWithInvalidCertificate)
            sender->useCredential(NSURLCredential::credentialForTrust(trust), challenge);
        else
            sender->continueWithoutCredentialForAuthenticationChallenge(challenge);
        return true;
    }
    if (handler)
        handler(challenge);
    else
        sender->continueWithoutCredentialForAuthenticationChallenge(challenge);
    return true;
}

void NENetworkOperation::didReceiveResponse(NSURLConnection& connection, const std::shared_ptr<NSURLResponse>& response)
{
    auto http = std::dynamic_pointer_cast<NSHTTPURLResponse>(response);
    std::vector<std::shared_ptr<NSOutputStream>> streams;
    bool computeHeaders;
    {
        auto shared = m_shared.lock();
        if (&connection != shared->connection.get())
            return;
        shared->response = http;
        streams = shared->downloadStreams;
        shared->mutableData = streams.empty() ? NSMutableData::data() : nullptr;
        computeHeaders = http && shared->request->HTTPMethod() == "GET" && streams.empty();
    }
    for (const auto& stream : streams)
        stream->open();
    if (computeHeaders)
        computeCacheHeaders(*http);
}

void NENetworkOperation::didReceiveData(NSURLConnection& connection, const std::shared_ptr<NSData>& data)
{
    std::vector<std::shared_ptr<NSOutputStream>> streams;
    double progress = -1;
    {
        auto shared = m_shared.lock();
        if (&connection != shared->connection.get())
            return;
        if (shared->downloadedDataSize == 0) {
            const NSString range = shared->request->valueForHTTPHeaderField("Range");
            if (!range.isNil() && range.hasPrefix("bytes=") && range.hasSuffix("-") && range.length() > 7) {
                shared->startPosition = range.substringWithRange(NSMakeRange(6, range.length() - 7)).longLongValue();
                shared->downloadedDataSize = static_cast<std::uint64_t>(std::max<std::int64_t>(0, shared->startPosition));
            }
        }
        if (shared->mutableData)
            shared->mutableData->appendData(data);
        streams = shared->downloadStreams;
    }
    for (const auto& stream : streams) {
        // The whole chunk goes into every stream, or the exchange fails: a saved file must never
        // be short while the operation reports success.
        NSUInteger written = 0;
        while (written < data->length()) {
            const NSInteger count = stream->hasSpaceAvailable() ? stream->write(data->bytes() + written, data->length() - written) : -1;
            if (count <= 0) {
                auto error = stream->streamError();
                if (!error)
                    error = NSURLErrorWithCode(NSURLErrorCannotWriteToFile, readonlyRequest()->URL());
                connection.cancel();
                didFailWithError(connection, error);
                return;
            }
            written += static_cast<NSUInteger>(count);
        }
    }
    {
        auto shared = m_shared.lock();
        shared->downloadedDataSize += data->length();
        const long long expected = shared->response ? shared->response->expectedContentLength() : -1;
        if (expected >= 1)
            progress = static_cast<double>(shared->downloadedDataSize) / static_cast<double>(expected + shared->startPosition);
    }
    if (progress >= 0) {
        for (const auto& block : callbacks().downloadProgress)
            block(progress);
    }
}

void NENetworkOperation::didSendBodyData(NSURLConnection&, NSInteger, NSInteger totalBytesWritten, NSInteger totalBytesExpectedToWrite)
{
    if (totalBytesExpectedToWrite < 1)
        return;
    const double progress = static_cast<double>(totalBytesWritten) / static_cast<double>(totalBytesExpectedToWrite);
    for (const auto& block : callbacks().uploadProgress)
        block(progress);
}

void NENetworkOperation::connectionDidFinishLoading(NSURLConnection& connection)
{
    {
        auto shared = m_shared.lock();
        if (&connection != shared->connection.get())
            return;
        shared->connection.reset();
    }
    if (isCancelled() || m_stopped)
        return;
    setState(NENetworkOperationStateFinished);
    closeDownloadStreams();
    removeBodyFile();
    const NSInteger status = HTTPStatusCode();
    if (status >= 200 && status < 300) {
        {
            auto shared = m_shared.lock();
            shared->cachedResponse.reset();
        }
        notifyCache();
        if (claimOutcome())
            operationSucceeded();
    } else if (status == 304) {
        deliverNotModified();
    } else if (claimOutcome()) {
        // Every other status ends in the error callbacks, so no caller waits for ever: a redirect
        // that was not followed, an informational or out-of-range status included.
        auto response = readonlyResponse();
        operationFailedWithError(response ? NSError::errorWithDomain(NSURLErrorDomain, status, response->allHeaderFields())
                                          : NSURLErrorWithCode(NSURLErrorBadServerResponse, readonlyRequest()->URL()));
    }
    endBackgroundTask();
}

void NENetworkOperation::didFailWithError(NSURLConnection& connection, const std::shared_ptr<NSError>& error)
{
    {
        auto shared = m_shared.lock();
        if (&connection != shared->connection.get())
            return;
        shared->connection.reset();
        shared->mutableData.reset();
        shared->downloadedDataSize = 0;
    }
    if (isCancelled() || m_stopped)
        return;
    setState(NENetworkOperationStateFinished);
    closeDownloadStreams();
    removeBodyFile();
    if (claimOutcome())
        operationFailedWithError(error);
    endBackgroundTask();
}

// Archiving and copies.

void NENetworkOperation::encodeWithCoder(NSCoder& coder) const
{
    auto shared = m_shared.lock();
    coder.encodeInt64(static_cast<std::int64_t>(shared->stringEncoding), "stringEncoding");
    coder.encodeInt64(shared->postDataEncoding, "postDataEncoding");
    coder.encodeObject(shared->uniqueId, "uniqueId");
    coder.encodeObject(shared->request->copyRequest(), "request");
    coder.encodeObject(shared->response, "response");
    coder.encodeObject(shared->fieldsToBePosted, "fieldsToBePosted");
    coder.encodeObject(shared->filesToBePosted, "filesToBePosted");
    coder.encodeObject(shared->dataToBePosted, "dataToBePosted");
    coder.encodeObject(shared->username, "username");
    coder.encodeObject(shared->password, "password");
    coder.encodeObject(shared->clientCertificate, "clientCertificate");
    coder.encodeObject(shared->clientCertificatePassword, "clientCertificatePassword");
    coder.encodeBool(m_shouldContinueWithInvalidCertificate, "shouldContinueWithInvalidCertificate");
    coder.encodeObject(shared->localNotification, "localNotification");
    // Only the archive says ready: the live operation keeps its state, so one that is running
    // still finishes and gives its queue's slot back.
    coder.encodeInt64(NENetworkOperationStateReady, "state");
    coder.encodeBool(isCancelled(), "isCancelled");
    coder.encodeObject(shared->mutableData, "mutableData");
    coder.encodeInt64(static_cast<std::int64_t>(shared->downloadedDataSize), "downloadedDataSize");
    coder.encodeInt64(shared->startPosition, "startPosition");
    coder.encodeInt64(static_cast<std::int64_t>(m_credentialPersistence.load()), "credentialPersistence");
    // Restored, a freezable operation can be frozen again.
    coder.encodeBool(shared->freezable, "freezable");
}

bool NENetworkOperation::init(NSCoder& coder)
{
    init();
    auto request = coder.decodeObjectOfClass<NSURLRequest>("request");
    if (!request || !request->URL())
        return false;
    {
        auto shared = m_shared.lock();
        shared->request = request->mutableCopyRequest();
        const auto encoding = static_cast<NSStringEncoding>(coder.decodeInt64ForKey("stringEncoding"));
        shared->stringEncoding = encoding ? encoding : NSUTF8StringEncoding;
        const auto postDataEncoding = coder.decodeInt64ForKey("postDataEncoding");
        shared->postDataEncoding = postDataEncoding >= 0 && postDataEncoding <= NEPostDataEncodingTypeCustom
            ? static_cast<NEPostDataEncoding>(postDataEncoding)
            : NEPostDataEncodingTypeURL;
        shared->uniqueId = NSString::fromId(coder.decodeObjectForKey("uniqueId"));
        shared->response = coder.decodeObjectOfClass<NSHTTPURLResponse>("response");
        if (auto fields = coder.decodeObjectOfClass<NSDictionary>("fieldsToBePosted"))
            shared->fieldsToBePosted = fields->mutableCopyDictionary();
        if (auto files = coder.decodeObjectOfClass<NSArray>("filesToBePosted"))
            shared->filesToBePosted = files->mutableCopyArray();
        if (auto data = coder.decodeObjectOfClass<NSArray>("dataToBePosted"))
            shared->dataToBePosted = data->mutableCopyArray();
        shared->username = NSString::fromId(coder.decodeObjectForKey("username"));
        shared->password = NSString::fromId(coder.decodeObjectForKey("password"));
        shared->clientCertificate = NSString::fromId(coder.decodeObjectForKey("clientCertificate"));
        shared->clientCertificatePassword = NSString::fromId(coder.decodeObjectForKey("clientCertificatePassword"));
        m_shouldContinueWithInvalidCertificate = coder.decodeBoolForKey("shouldContinueWithInvalidCertificate");
        shared->localNotification = coder.decodeObjectOfClass<UILocalNotification>("localNotification");
        if (auto data = coder.decodeObjectOfClass<NSData>("mutableData"))
            shared->mutableData = NSMutableData::dataWithData(data);
        shared->downloadedDataSize = static_cast<std::uint64_t>(std::max<std::int64_t>(0, coder.decodeInt64ForKey("downloadedDataSize")));
        shared->startPosition = coder.decodeInt64ForKey("startPosition");
        const auto persistence = coder.decodeInt64ForKey("credentialPersistence");
        m_credentialPersistence = persistence >= 0 && persistence <= static_cast<std::int64_t>(NSURLCredentialPersistencePermanent)
            ? static_cast<NSURLCredentialPersistence>(persistence)
            : NSURLCredentialPersistenceForSession;
        shared->freezable = coder.decodeBoolForKey("freezable");
        if (shared->request->HTTPMethod() == "GET")
            shared->cacheHeaders = NSMutableDictionary::dictionary();
    }
    setState(NENetworkOperationStateReady);
    if (coder.decodeBoolForKey("isCancelled")) {
        m_stopped = true;
        NSOperation::cancel();
    }
    return true;
}

void NENetworkOperation::copyFieldsTo(NENetworkOperation& other, bool retry) const
{
    auto shared = m_shared.lock();
    auto theirs = other.m_shared.lock();
    theirs->postDataEncoding = shared->postDataEncoding;
    theirs->stringEncoding = shared->stringEncoding;
    theirs->uniqueId = shared->uniqueId;
    theirs->request = shared->request->mutableCopyRequest();
    // A multipart body stream of ours has been read: the copy builds its own when it starts.
    if (shared->bodyStreamIsOwn)
        theirs->request->setHTTPBodyStream(nullptr);
    theirs->fieldsToBePosted = shared->fieldsToBePosted->mutableCopyDictionary();
    theirs->filesToBePosted = shared->filesToBePosted->mutableCopyArray();
    theirs->dataToBePosted = shared->dataToBePosted->mutableCopyArray();
    theirs->username = shared->username;
    theirs->password = shared->password;
    theirs->clientCertificate = shared->clientCertificate;
    theirs->clientCertificatePassword = shared->clientCertificatePassword;
    theirs->callbacks = shared->callbacks;
    theirs->postDataEncodingHandler = shared->postDataEncodingHandler;
    theirs->downloadStreams = shared->downloadStreams;
    theirs->cachedResponse = shared->cachedResponse;
    theirs->cacheHandlingBlock = shared->cacheHandlingBlock;
    other.m_credentialPersistence = m_credentialPersistence.load();
    if (shared->request->HTTPMethod() == "GET")
        theirs->cacheHeaders = NSMutableDictionary::dictionary();
    if (!retry) {
        theirs->response = shared->response;
        theirs->mutableData = shared->mutableData ? NSMutableData::dataWithData(shared->mutableData) : nullptr;
        theirs->downloadedDataSize = shared->downloadedDataSize;
        theirs->startPosition = shared->startPosition;
    }
}

id NENetworkOperation::copy() const
{
    auto operation = NENetworkOperation::create();
    copyFieldsTo(*operation, false);
    // A copy has no connection of its own: only a finished exchange can be carried over as it is.
    operation->setState(isFinished() ? NENetworkOperationStateFinished : NENetworkOperationStateReady);
    if (isCancelled()) {
        operation->m_stopped = true;
        operation->NSOperation::cancel();
    }
    return operation;
}

std::shared_ptr<NENetworkOperation> NENetworkOperation::copyForRetry() const
{
    auto operation = NENetworkOperation::create();
    copyFieldsTo(*operation, true);
    operation->setState(NENetworkOperationStateReady);
    return operation;
}
