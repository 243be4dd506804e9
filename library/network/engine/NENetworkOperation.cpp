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
    m_fieldsToBePosted = NSMutableDictionary::dictionary();
    m_filesToBePosted = NSMutableArray::array();
    m_dataToBePosted = NSMutableArray::array();
    m_credentialPersistence = NSURLCredentialPersistenceForSession;
}

bool NENetworkOperation::init(const NSString& urlString, const std::shared_ptr<NSDictionary>& params, const NSString& method)
{
    init();
    if (params)
        m_fieldsToBePosted = params->mutableCopyDictionary();
    m_stringEncoding = NSUTF8StringEncoding;
    const NSString httpMethod = method.isNil() ? NSString("GET") : method;
    if (httpMethod == "GET")
        m_cacheHeaders = NSMutableDictionary::dictionary();
    NSString text = urlString;
    if ((httpMethod == "GET" || httpMethod == "DELETE") && params && params->count())
        text = NSString::stringWithFormat("%@?%@", urlString, NSDictionary_RequestEncoding::urlEncodedKeyValueString(params));
    auto URL = text.isNil() ? nullptr : NSURL::URLWithString(text);
    if (!URL)
        return false;
    m_request = NSMutableURLRequest::requestWithURL(URL, NSURLRequestReloadIgnoringLocalCacheData, 30);
    m_request->setHTTPMethod(httpMethod);
    if ((httpMethod == "POST" || httpMethod == "PUT") && params && params->count())
        setPostDataEncoding(NEPostDataEncodingTypeURL);
    setState(NENetworkOperationStateReady);
    return true;
}

NENetworkOperation::~NENetworkOperation()
{
    if (m_connection)
        m_connection->cancel();
    for (const auto& stream : m_downloadStreams)
        stream->close();
    if (m_backgroundTaskId != UIBackgroundTaskInvalid)
        UIApplication::sharedApplication()->endBackgroundTask(m_backgroundTaskId);
    removeBodyFile();
}

// Request set-up.

void NENetworkOperation::addParams(const std::shared_ptr<NSDictionary>& params)
{
    std::lock_guard lock(m_lock);
    if (params)
        m_fieldsToBePosted->addEntriesFromDictionary(params);
}

void NENetworkOperation::addHeaders(const std::shared_ptr<NSDictionary>& headers)
{
    if (!headers)
        return;
    std::lock_guard lock(m_lock);
    for (const auto& entry : *headers)
        m_request->addValue(NSString::fromId(entry.object), NSString::fromId(entry.key));
}

void NENetworkOperation::addHeader(const NSString& name, const NSString& value)
{
    std::lock_guard lock(m_lock);
    m_request->addValue(value, name);
}

void NENetworkOperation::setHeader(const NSString& name, const NSString& value)
{
    std::lock_guard lock(m_lock);
    m_request->setValue(value, name);
}

void NENetworkOperation::setAuthorizationHeaderValue(const NSString& value, const NSString& authType)
{
    setHeader("Authorization", NSString::stringWithFormat("%@ %@", authType, value));
}

void NENetworkOperation::setUsername(const NSString& username, const NSString& password)
{
    std::lock_guard lock(m_lock);
    m_username = username;
    m_password = password;
}

void NENetworkOperation::setUsername(const NSString& username, const NSString& password, bool)
{
    setUsername(username, password);
    auto pair = NSString::stringWithFormat("%@:%@", username, password).dataUsingEncoding(NSUTF8StringEncoding);
    setAuthorizationHeaderValue(NSData_NEBase64::base64EncodedString(pair), "Basic");
}

void NENetworkOperation::setUploadStream(const std::shared_ptr<NSInputStream>& stream)
{
    std::lock_guard lock(m_lock);
    m_request->setHTTPBodyStream(stream);
}

void NENetworkOperation::addDownloadStream(const std::shared_ptr<NSOutputStream>& stream)
{
    if (!stream)
        return;
    stream->scheduleInRunLoop(NSRunLoop::currentRunLoop(), NSRunLoopCommonModes);
    std::lock_guard lock(m_lock);
    m_downloadStreams.push_back(stream);
}

void NENetworkOperation::setFreezable(bool freezable)
{
    std::lock_guard lock(m_lock);
    if (m_request->HTTPMethod() == "GET" && freezable)
        return;
    m_freezable = freezable;
    if (freezable && !isPresent(m_uniqueId))
        m_uniqueId = NSString_NEEngineAdditions::uniqueString();
}

bool NENetworkOperation::freezable() const
{
    std::lock_guard lock(m_lock);
    return m_freezable;
}

// Callbacks.

void NENetworkOperation::onCompletion(ResponseBlock response, ErrorBlock error)
{
    std::lock_guard lock(m_lock);
    if (response)
        m_callbacks.response.push_back(std::move(response));
    if (error)
        m_callbacks.error.push_back(std::move(error));
}

void NENetworkOperation::addCompletionHandler(ResponseBlock response, OperationErrorBlock error)
{
    std::lock_guard lock(m_lock);
    if (response)
        m_callbacks.response.push_back(std::move(response));
    if (error)
        m_callbacks.errorType2.push_back(std::move(error));
}

void NENetworkOperation::onNotModified(NotModifiedBlock handler)
{
    std::lock_guard lock(m_lock);
    if (handler)
        m_callbacks.notModified.push_back(std::move(handler));
}

void NENetworkOperation::onUploadProgressChanged(ProgressBlock handler)
{
    std::lock_guard lock(m_lock);
    if (handler)
        m_callbacks.uploadProgress.push_back(std::move(handler));
}

void NENetworkOperation::onDownloadProgressChanged(ProgressBlock handler)
{
    std::lock_guard lock(m_lock);
    if (handler)
        m_callbacks.downloadProgress.push_back(std::move(handler));
}

void NENetworkOperation::setCacheHandler(CacheBlock handler)
{
    std::lock_guard lock(m_lock);
    m_cacheHandlingBlock = std::move(handler);
}

void NENetworkOperation::updateHandlersFromOperation(NENetworkOperation& operation)
{
    if (&operation == this)
        return;
    Callbacks theirs;
    std::vector<std::shared_ptr<NSOutputStream>> streams;
    {
        std::lock_guard lock(operation.m_lock);
        theirs = operation.m_callbacks;
        streams = operation.m_downloadStreams;
    }
    std::lock_guard lock(m_lock);
    m_callbacks.append(theirs);
    m_downloadStreams.insert(m_downloadStreams.end(), streams.begin(), streams.end());
}

void NENetworkOperation::setAuthHandler(AuthBlock handler)
{
    std::lock_guard lock(m_lock);
    m_authHandler = std::move(handler);
}

void NENetworkOperation::setOperationStateChangedHandler(StateBlock handler)
{
    std::lock_guard lock(m_lock);
    m_operationStateChangedHandler = std::move(handler);
}

NENetworkOperation::Callbacks NENetworkOperation::callbacks() const
{
    std::lock_guard lock(m_lock);
    return m_callbacks;
}

// The engine's response cache.

bool NENetworkOperation::carriesCredentials() const
{
    std::lock_guard lock(m_lock);
    return isPresent(m_username) || isPresent(m_password) || isPresent(m_clientCertificate) || isPresent(m_clientCertificatePassword)
        || !m_request->valueForHTTPHeaderField("Authorization").isNil();
}

bool NENetworkOperation::isCacheable() const
{
    if (m_shouldNotCacheResponse || responseForbidsStorage() || carriesCredentials())
        return false;
    std::lock_guard lock(m_lock);
    if (m_request->HTTPMethod() != "GET")
        return false;
    if (m_request->URL()->scheme().lowercaseString() == "https")
        return m_shouldCacheResponseEvenIfProtocolIsHTTPS;
    return m_downloadStreams.empty();
}

NSString NENetworkOperation::uniqueIdentifier() const
{
    std::lock_guard lock(m_lock);
    auto text = NSMutableString::string();
    text->appendFormat("%@ %@", m_request->HTTPMethod(), m_request->URL()->absoluteString());
    if (!m_username.isNil() || !m_password.isNil())
        text->appendFormat(" [%@:%@]", m_username.isNil() ? NSString::string() : m_username,
            m_password.isNil() ? NSString::string() : m_password);
    if (m_freezable && !m_uniqueId.isNil())
        text->appendString(m_uniqueId);
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
    std::lock_guard lock(m_lock);
    return m_cachedResponse != nullptr;
}

void NENetworkOperation::notifyCache()
{
    CacheBlock handler;
    {
        std::lock_guard lock(m_lock);
        handler = m_cacheHandlingBlock;
    }
    const NSInteger status = HTTPStatusCode();
    // A reply that forbids storing is told to the cache too, so it can drop an older body.
    if (handler && (isCacheable() || responseForbidsStorage()) && status >= 200 && status < 300 && !isCancelled())
        handler(self());
}

void NENetworkOperation::setCachedData(const std::shared_ptr<NSData>& data)
{
    {
        std::lock_guard lock(m_lock);
        m_cachedResponse = data;
    }
    operationSucceeded();
}

void NENetworkOperation::updateOperationBasedOnPreviousHeaders(const std::shared_ptr<NSDictionary>& headers)
{
    if (!headers)
        return;
    const NSString lastModified = NSString::fromId(headers->objectForKey("Last-Modified"));
    const NSString eTag = NSString::fromId(headers->objectForKey("ETag"));
    std::lock_guard lock(m_lock);
    if (!lastModified.isNil())
        m_request->setValue(lastModified, "IF-MODIFIED-SINCE");
    if (!eTag.isNil())
        m_request->setValue(eTag, "IF-NONE-MATCH");
}

std::shared_ptr<NSDictionary> NENetworkOperation::cacheHeaders() const
{
    std::lock_guard lock(m_lock);
    return m_cacheHeaders ? m_cacheHeaders->copyDictionary() : nullptr;
}

bool NENetworkOperation::responseForbidsStorage() const
{
    std::lock_guard lock(m_lock);
    return m_responseForbidsStorage;
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
    std::lock_guard lock(m_lock);
    m_responseForbidsStorage = noStore;
    if (!m_cacheHeaders)
        return;
    const NSString kept = expiry ? NSDate_RFC1123::rfc1123String(*NSDate::dateWithTimeIntervalSince1970(std::floor(*expiry))) : expires;
    if (!kept.isNil())
        m_cacheHeaders->setObject(kept, "Expires");
    if (!lastModified.isNil())
        m_cacheHeaders->setObject(lastModified, "Last-Modified");
    if (!eTag.isNil())
        m_cacheHeaders->setObject(eTag, "ETag");
}

// Reply.

std::shared_ptr<NSData> NENetworkOperation::responseData() const
{
    std::lock_guard lock(m_lock);
    // A 304 brings no body: the body is the one the cache gave.
    if (isFinished() && !(m_response && m_response->statusCode() == 304))
        return m_mutableData;
    return m_cachedResponse;
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
    std::lock_guard lock(m_lock);
    return m_serverTrust.lock();
}

// Read-only views.

NSString NENetworkOperation::url() const
{
    std::lock_guard lock(m_lock);
    return m_request->URL()->absoluteString();
}

std::shared_ptr<NSURLRequest> NENetworkOperation::readonlyRequest() const
{
    std::lock_guard lock(m_lock);
    return m_request->copyRequest();
}

std::shared_ptr<NSHTTPURLResponse> NENetworkOperation::readonlyResponse() const
{
    std::lock_guard lock(m_lock);
    return m_response;
}

std::shared_ptr<NSDictionary> NENetworkOperation::readonlyPostDictionary() const
{
    std::lock_guard lock(m_lock);
    return m_fieldsToBePosted->copyDictionary();
}

NSString NENetworkOperation::HTTPMethod() const
{
    std::lock_guard lock(m_lock);
    return m_request->HTTPMethod();
}

NSInteger NENetworkOperation::HTTPStatusCode() const
{
    std::lock_guard lock(m_lock);
    return m_response ? m_response->statusCode() : 0;
}

std::shared_ptr<NSError> NENetworkOperation::error() const
{
    std::lock_guard lock(m_lock);
    return m_error;
}

NENetworkOperationState NENetworkOperation::state() const
{
    return m_state;
}

NSString NENetworkOperation::uniqueId() const
{
    std::lock_guard lock(m_lock);
    return m_uniqueId;
}

NSString NENetworkOperation::username() const
{
    std::lock_guard lock(m_lock);
    return m_username;
}

NSString NENetworkOperation::password() const
{
    std::lock_guard lock(m_lock);
    return m_password;
}

std::shared_ptr<NSArray> NENetworkOperation::filesToBePosted() const
{
    std::lock_guard lock(m_lock);
    return m_filesToBePosted->copyArray();
}

std::shared_ptr<NSArray> NENetworkOperation::dataToBePosted() const
{
    std::lock_guard lock(m_lock);
    return m_dataToBePosted->copyArray();
}

NSStringEncoding NENetworkOperation::stringEncoding() const
{
    std::lock_guard lock(m_lock);
    return m_stringEncoding;
}

void NENetworkOperation::setStringEncoding(NSStringEncoding encoding)
{
    std::lock_guard lock(m_lock);
    m_stringEncoding = encoding;
}

NSString NENetworkOperation::clientCertificate() const
{
    std::lock_guard lock(m_lock);
    return m_clientCertificate;
}

void NENetworkOperation::setClientCertificate(const NSString& path)
{
    std::lock_guard lock(m_lock);
    m_clientCertificate = path;
}

NSString NENetworkOperation::clientCertificatePassword() const
{
    std::lock_guard lock(m_lock);
    return m_clientCertificatePassword;
}

void NENetworkOperation::setClientCertificatePassword(const NSString& password)
{
    std::lock_guard lock(m_lock);
    m_clientCertificatePassword = password;
}

NSString NENetworkOperation::languagesFromLocale()
{
    auto languages = NSLocale::preferredLanguages();
    return NSString::stringWithFormat("%@, en-us", languages ? languages->componentsJoinedByString(", ") : NSString::string());
}

// Life cycle.

void NENetworkOperation::setState(NENetworkOperationState state)
{
    StateBlock handler;
    {
        // One change at a time, and finished is final: a late "executing" from a slow thread can
        // never hide a finish that came first.
        std::lock_guard lock(m_stateLock);
        const NENetworkOperationState old = m_state;
        if (old == state || old == NENetworkOperationStateFinished)
            return;
        std::vector<const char*> keys;
        switch (state) {
        case NENetworkOperationStateFinished: keys = { "isExecuting", "isFinished" }; break;
        case NENetworkOperationStateExecuting: keys = { "isReady", "isExecuting" }; break;
        case NENetworkOperationStateReady: keys = { "isReady" }; break;
        }
        for (const char* key : keys)
            willChangeValueForKey(key);
        m_state = state;
        for (auto key = keys.rbegin(); key != keys.rend(); ++key)
            didChangeValueForKey(*key);
        std::lock_guard ownLock(m_lock);
        handler = m_operationStateChangedHandler;
    }
    if (handler)
        handler(state);
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
        std::lock_guard lock(m_lock);
        task = std::exchange(m_backgroundTaskId, UIBackgroundTaskInvalid);
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
    {
        std::lock_guard lock(m_lock);
        if (m_backgroundTaskId != UIBackgroundTaskInvalid)
            UIApplication::sharedApplication()->endBackgroundTask(m_backgroundTaskId);
        m_backgroundTaskId = task;
    }
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
        std::lock_guard lock(m_lock);
        if (m_stopped || isCancelled() || m_state != NENetworkOperationStateExecuting || m_connection)
            return;
        m_connection = NSURLConnection::create(m_request->copyRequest(), self(), false);
        m_connection->scheduleInRunLoop(NSRunLoop::mainRunLoop(), NSRunLoopCommonModes);
        connection = m_connection;
    }
    connection->start();
}

bool NENetworkOperation::claimOutcome()
{
    // Under the lock, so that callbacks adopted from another operation are either in before the
    // outcome is claimed, and called, or refused.
    std::lock_guard lock(m_lock);
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
        std::lock_guard lock(operation.m_lock);
        theirs = operation.m_callbacks;
        streams = operation.m_downloadStreams;
    }
    std::lock_guard lock(m_lock);
    if (m_outcomeDelivered || m_stopped || isCancelled() || isFinished())
        return false;
    m_callbacks.append(theirs);
    m_downloadStreams.insert(m_downloadStreams.end(), streams.begin(), streams.end());
    return true;
}

void NENetworkOperation::closeDownloadStreams()
{
    std::vector<std::shared_ptr<NSOutputStream>> streams;
    {
        std::lock_guard lock(m_lock);
        streams = m_downloadStreams;
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
        std::lock_guard lock(m_lock);
        connection = std::move(m_connection);
        if (dropCallbacks) {
            m_callbacks.clear();
            streams = std::move(m_downloadStreams);
            m_downloadStreams.clear();
            m_authHandler = nullptr;
            m_cacheHandlingBlock = nullptr;
        }
        m_mutableData.reset();
        m_downloadedDataSize = 0;
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
        std::lock_guard lock(m_lock);
        m_error = error;
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
        std::lock_guard lock(m_lock);
        notification = m_localNotification;
        error = m_error;
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
    std::lock_guard lock(m_lock);
    return m_localNotification;
}

void NENetworkOperation::setLocalNotification(const std::shared_ptr<UILocalNotification>& notification)
{
    std::lock_guard lock(m_lock);
    m_localNotification = notification;
}

void NENetworkOperation::deliverNotModified()
{
    const auto blocks = callbacks();
    bool answered;
    {
        std::lock_guard lock(m_lock);
        answered = m_cachedResponse || !blocks.notModified.empty();
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
    std::lock_guard lock(m_lock);
    auto copy = m_request->mutableCopyRequest();
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
        std::lock_guard lock(m_lock);
        user = m_username;
        password = m_password;
        certificate = m_clientCertificate;
        passphrase = m_clientCertificatePassword;
        handler = m_authHandler;
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
            std::lock_guard lock(m_lock);
            m_serverTrust = trust;
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
        std::lock_guard lock(m_lock);
        if (&connection != m_connection.get())
            return;
        m_response = http;
        streams = m_downloadStreams;
        m_mutableData = streams.empty() ? NSMutableData::data() : nullptr;
        computeHeaders = http && m_request->HTTPMethod() == "GET" && streams.empty();
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
        std::lock_guard lock(m_lock);
        if (&connection != m_connection.get())
            return;
        if (m_downloadedDataSize == 0) {
            const NSString range = m_request->valueForHTTPHeaderField("Range");
            if (!range.isNil() && range.hasPrefix("bytes=") && range.hasSuffix("-") && range.length() > 7) {
                m_startPosition = range.substringWithRange(NSMakeRange(6, range.length() - 7)).longLongValue();
                m_downloadedDataSize = static_cast<std::uint64_t>(std::max<std::int64_t>(0, m_startPosition));
            }
        }
        if (m_mutableData)
            m_mutableData->appendData(data);
        streams = m_downloadStreams;
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
        std::lock_guard lock(m_lock);
        m_downloadedDataSize += data->length();
        const long long expected = m_response ? m_response->expectedContentLength() : -1;
        if (expected >= 1)
            progress = static_cast<double>(m_downloadedDataSize) / static_cast<double>(expected + m_startPosition);
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
        std::lock_guard lock(m_lock);
        if (&connection != m_connection.get())
            return;
        m_connection.reset();
    }
    if (isCancelled() || m_stopped)
        return;
    setState(NENetworkOperationStateFinished);
    closeDownloadStreams();
    removeBodyFile();
    const NSInteger status = HTTPStatusCode();
    if (status >= 200 && status < 300) {
        {
            std::lock_guard lock(m_lock);
            m_cachedResponse.reset();
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
        std::lock_guard lock(m_lock);
        if (&connection != m_connection.get())
            return;
        m_connection.reset();
        m_mutableData.reset();
        m_downloadedDataSize = 0;
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
    std::lock_guard lock(m_lock);
    coder.encodeInt64(static_cast<std::int64_t>(m_stringEncoding), "stringEncoding");
    coder.encodeInt64(m_postDataEncoding, "postDataEncoding");
    coder.encodeObject(m_uniqueId, "uniqueId");
    coder.encodeObject(m_request->copyRequest(), "request");
    coder.encodeObject(m_response, "response");
    coder.encodeObject(m_fieldsToBePosted, "fieldsToBePosted");
    coder.encodeObject(m_filesToBePosted, "filesToBePosted");
    coder.encodeObject(m_dataToBePosted, "dataToBePosted");
    coder.encodeObject(m_username, "username");
    coder.encodeObject(m_password, "password");
    coder.encodeObject(m_clientCertificate, "clientCertificate");
    coder.encodeObject(m_clientCertificatePassword, "clientCertificatePassword");
    coder.encodeBool(m_shouldContinueWithInvalidCertificate, "shouldContinueWithInvalidCertificate");
    coder.encodeObject(m_localNotification, "localNotification");
    // Only the archive says ready: the live operation keeps its state, so one that is running
    // still finishes and gives its queue's slot back.
    coder.encodeInt64(NENetworkOperationStateReady, "state");
    coder.encodeBool(isCancelled(), "isCancelled");
    coder.encodeObject(m_mutableData, "mutableData");
    coder.encodeInt64(static_cast<std::int64_t>(m_downloadedDataSize), "downloadedDataSize");
    coder.encodeInt64(m_startPosition, "startPosition");
    coder.encodeInt64(static_cast<std::int64_t>(m_credentialPersistence.load()), "credentialPersistence");
    // Restored, a freezable operation can be frozen again.
    coder.encodeBool(m_freezable, "freezable");
}

bool NENetworkOperation::init(NSCoder& coder)
{
    init();
    auto request = coder.decodeObjectOfClass<NSURLRequest>("request");
    if (!request || !request->URL())
        return false;
    m_request = request->mutableCopyRequest();
    const auto encoding = static_cast<NSStringEncoding>(coder.decodeInt64ForKey("stringEncoding"));
    m_stringEncoding = encoding ? encoding : NSUTF8StringEncoding;
    const auto postDataEncoding = coder.decodeInt64ForKey("postDataEncoding");
    m_postDataEncoding = postDataEncoding >= 0 && postDataEncoding <= NEPostDataEncodingTypeCustom
        ? static_cast<NEPostDataEncoding>(postDataEncoding)
        : NEPostDataEncodingTypeURL;
    m_uniqueId = NSString::fromId(coder.decodeObjectForKey("uniqueId"));
    m_response = coder.decodeObjectOfClass<NSHTTPURLResponse>("response");
    if (auto fields = coder.decodeObjectOfClass<NSDictionary>("fieldsToBePosted"))
        m_fieldsToBePosted = fields->mutableCopyDictionary();
    if (auto files = coder.decodeObjectOfClass<NSArray>("filesToBePosted"))
        m_filesToBePosted = files->mutableCopyArray();
    if (auto data = coder.decodeObjectOfClass<NSArray>("dataToBePosted"))
        m_dataToBePosted = data->mutableCopyArray();
    m_username = NSString::fromId(coder.decodeObjectForKey("username"));
    m_password = NSString::fromId(coder.decodeObjectForKey("password"));
    m_clientCertificate = NSString::fromId(coder.decodeObjectForKey("clientCertificate"));
    m_clientCertificatePassword = NSString::fromId(coder.decodeObjectForKey("clientCertificatePassword"));
    m_shouldContinueWithInvalidCertificate = coder.decodeBoolForKey("shouldContinueWithInvalidCertificate");
    m_localNotification = coder.decodeObjectOfClass<UILocalNotification>("localNotification");
    if (auto data = coder.decodeObjectOfClass<NSData>("mutableData"))
        m_mutableData = NSMutableData::dataWithData(data);
    m_downloadedDataSize = static_cast<std::uint64_t>(std::max<std::int64_t>(0, coder.decodeInt64ForKey("downloadedDataSize")));
    m_startPosition = coder.decodeInt64ForKey("startPosition");
    const auto persistence = coder.decodeInt64ForKey("credentialPersistence");
    m_credentialPersistence = persistence >= 0 && persistence <= static_cast<std::int64_t>(NSURLCredentialPersistencePermanent)
        ? static_cast<NSURLCredentialPersistence>(persistence)
        : NSURLCredentialPersistenceForSession;
    m_freezable = coder.decodeBoolForKey("freezable");
    if (m_request->HTTPMethod() == "GET")
        m_cacheHeaders = NSMutableDictionary::dictionary();
    setState(NENetworkOperationStateReady);
    if (coder.decodeBoolForKey("isCancelled")) {
        m_stopped = true;
        NSOperation::cancel();
    }
    return true;
}

void NENetworkOperation::copyFieldsTo(NENetworkOperation& other, bool retry) const
{
    std::lock_guard lock(m_lock);
    std::lock_guard otherLock(other.m_lock);
    other.m_postDataEncoding = m_postDataEncoding;
    other.m_stringEncoding = m_stringEncoding;
    other.m_uniqueId = m_uniqueId;
    other.m_request = m_request->mutableCopyRequest();
    // A multipart body stream of ours has been read: the copy builds its own when it starts.
    if (m_bodyStreamIsOwn)
        other.m_request->setHTTPBodyStream(nullptr);
    other.m_fieldsToBePosted = m_fieldsToBePosted->mutableCopyDictionary();
    other.m_filesToBePosted = m_filesToBePosted->mutableCopyArray();
    other.m_dataToBePosted = m_dataToBePosted->mutableCopyArray();
    other.m_username = m_username;
    other.m_password = m_password;
    other.m_clientCertificate = m_clientCertificate;
    other.m_clientCertificatePassword = m_clientCertificatePassword;
    other.m_callbacks = m_callbacks;
    other.m_postDataEncodingHandler = m_postDataEncodingHandler;
    other.m_downloadStreams = m_downloadStreams;
    other.m_cachedResponse = m_cachedResponse;
    other.m_cacheHandlingBlock = m_cacheHandlingBlock;
    other.m_credentialPersistence = m_credentialPersistence.load();
    if (m_request->HTTPMethod() == "GET")
        other.m_cacheHeaders = NSMutableDictionary::dictionary();
    if (!retry) {
        other.m_response = m_response;
        other.m_mutableData = m_mutableData ? NSMutableData::dataWithData(m_mutableData) : nullptr;
        other.m_downloadedDataSize = m_downloadedDataSize;
        other.m_startPosition = m_startPosition;
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
