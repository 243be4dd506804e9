#include "library/network/request/RQHTTPClient.h"

#include "library/json/JSONCodecSerializing.h"
#include "library/network/request/RQQueryStringPair.h"
#include "library/network/request/RQStreamingMultipartFormData.h"
#include "library/network/request/RQImageRequestOperation.h"
#include "library/network/request/RQJSONRequestOperation.h"
#include "library/network/request/RQPropertyListRequestOperation.h"
#include "library/network/request/RQXMLRequestOperation.h"
#include "platform/dispatch/dispatch.h"
#include "platform/foundation/ICUBridge.h"
#include "platform/foundation/NSBlockOperation.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSLocale.h"
#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/foundation/StringEncoding.h"
#include "platform/foundation/TypedValues.h"
#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UIScreen.h"

#include <unicode/translit.h>

#include <map>

namespace {

const bool registeredForCoding = NSCoder::registerClass<RQHTTPClient>();

struct OperationClassTable {
    Mutex mutex;
    std::map<std::string, RQHTTPClient::OperationClass> classes GUARDED_BY(mutex);
};

OperationClassTable& operationClassTable()
{
    static NeverDestroyed<OperationClassTable> table;
    return table.get();
}

std::optional<RQHTTPClient::OperationClass> operationClassNamed(const NSString& name)
{
    auto& table = operationClassTable();
    MutexLocker lock(table.mutex);
    auto found = table.classes.find(name.UTF8String());
    if (found == table.classes.end())
        return std::nullopt;
    return found->second;
}

template <class Operation>
void registerBuiltInOperationClass()
{
    RQHTTPClient::registerOperationClass(Operation::staticClassName(),
        { [](const std::shared_ptr<NSURLRequest>& request) { return Operation::canProcessRequest(request); },
            [](const std::shared_ptr<NSURLRequest>& request) -> std::shared_ptr<RQHTTPRequestOperation> { return Operation::create(request); } });
}

// The library's own operation classes are known by name from the start, so the names in a
// restored client's list find them as they would on the platform.
const bool registeredBuiltInOperationClasses = [] {
    registerBuiltInOperationClass<RQHTTPRequestOperation>();
    registerBuiltInOperationClass<RQImageRequestOperation>();
    registerBuiltInOperationClass<RQPropertyListRequestOperation>();
    registerBuiltInOperationClass<RQJSONRequestOperation>();
    registerBuiltInOperationClass<RQXMLRequestOperation>();
    return true;
}();

} // namespace

NSString RQAcceptLanguageHeaderValue(const std::shared_ptr<NSArray>& languages)
{
    NSString header = NSString::string();
    NSUInteger index = 0;
    for (NSUInteger position = 0; languages && position < languages->count(); ++position) {
        const float quality = 1.0f - static_cast<float>(index++) * 0.1f;
        if (header.length() > 0)
            header = header + ", ";
        header = header + NSString::stringWithFormat("%@;q=%0.1g", ns::textOf(languages->objectAtIndex(position)), static_cast<double>(quality));
        if (quality <= 0.5f)
            break;
    }
    return header;
}

namespace {

NSString userAgentHeader()
{
    auto bundle = NSBundle::mainBundle();
    NSString executable = NSString::fromId(bundle->objectForInfoDictionaryKey("CFBundleExecutable"));
    if (executable.isNil())
        executable = bundle->bundleIdentifier();
    const NSString version = NSString::fromId(bundle->objectForInfoDictionaryKey("CFBundleVersion"));
    const auto device = UIDevice::currentDevice();
    const double scale = UIScreen::mainScreen()->scale();
    NSString agent = NSString::stringWithFormat("%@/%@ (%@; iOS %@; Scale/%0.2f)", ns::textOf(executable), ns::textOf(version), device->model(),
        device->systemVersion(), scale > 0 ? scale : 1.0);
    if (agent.canBeConvertedToEncoding(NSASCIIStringEncoding))
        return agent;
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> latin(icu::Transliterator::createInstance("Any-Latin; Latin-ASCII", UTRANS_FORWARD, status));
    if (U_FAILURE(status) || !latin)
        return agent;
    icu::UnicodeString text = ns::unicodeString(agent);
    latin->transliterate(text);
    return ns::stringFromUnicode(text);
}

bool carriesParametersInQuery(const NSString& method)
{
    return method == "GET" || method == "HEAD" || method == "DELETE";
}

} // namespace

void RQHTTPClient::registerOperationClass(const NSString& className, OperationClass operationClass)
{
    auto& table = operationClassTable();
    MutexLocker lock(table.mutex);
    table.classes[className.UTF8String()] = std::move(operationClass);
}

void RQHTTPClient::init()
{
    NSException::raise(NSInternalInconsistencyException, "%s Failed to call designated initializer. Invoke `initWithBaseURL:` instead.",
        className());
}

bool RQHTTPClient::init(const std::shared_ptr<NSURL>& URL)
{
    (void)registeredForCoding;
    (void)registeredBuiltInOperationClasses;
    if (!URL)
        return false;
    m_baseURL = URL;
    // Relative paths must resolve beneath the base's last component, not beside it.
    if (URL->path().length() > 0 && !URL->absoluteString().hasSuffix("/"))
        m_baseURL = URL->URLByAppendingPathComponent("");
    if (!m_baseURL)
        return false;
    m_defaultHeaders = NSMutableDictionary::dictionary();
    m_defaultHeaders->setObject(RQAcceptLanguageHeaderValue(NSLocale::preferredLanguages()), "Accept-Language");
    m_defaultHeaders->setObject(userAgentHeader(), "User-Agent");
    m_operationQueue = NSOperationQueue::create();
    return true;
}

bool RQHTTPClient::init(NSCoder& coder)
{
    auto URL = coder.decodeObjectOfClass<NSURL>("baseURL");
    if (!init(URL))
        return false;
    m_stringEncoding = static_cast<NSStringEncoding>(coder.decodeInt64ForKey("stringEncoding"));
    const auto encoding = coder.decodeInt64ForKey("parameterEncoding");
    if (encoding < RQFormURLParameterEncoding || encoding > RQPropertyListParameterEncoding)
        return false;
    m_parameterEncoding = static_cast<RQHTTPClientParameterEncoding>(encoding);
    if (auto names = coder.decodeObjectOfClass<NSArray>("registeredHTTPOperationClassNames")) {
        for (NSUInteger index = 0; index < names->count(); ++index) {
            NSString name = NSString::fromId(names->objectAtIndex(index));
            if (!name.isNil())
                m_registeredHTTPOperationClassNames.push_back(name);
        }
    }
    if (auto headers = coder.decodeObjectOfClass<NSDictionary>("defaultHeaders"))
        m_defaultHeaders = headers->mutableCopyDictionary();
    return true;
}

void RQHTTPClient::encodeWithCoder(NSCoder& coder) const
{
    coder.encodeObject(m_baseURL, "baseURL");
    coder.encodeInt64(static_cast<std::int64_t>(m_stringEncoding), "stringEncoding");
    coder.encodeInt64(m_parameterEncoding, "parameterEncoding");
    auto names = NSMutableArray::array();
    for (const auto& name : m_registeredHTTPOperationClassNames)
        names->addObject(name);
    coder.encodeObject(names, "registeredHTTPOperationClassNames");
    coder.encodeObject(m_defaultHeaders, "defaultHeaders");
}

id RQHTTPClient::copy() const
{
    auto client = makeClient(m_baseURL);
    if (!client)
        return nullptr;
    client->m_stringEncoding = m_stringEncoding;
    client->m_parameterEncoding = m_parameterEncoding;
    client->m_registeredHTTPOperationClassNames = m_registeredHTTPOperationClassNames;
    client->m_defaultHeaders = m_defaultHeaders->mutableCopyDictionary();
    return client;
}

NSString RQHTTPClient::description() const
{
    auto names = NSMutableArray::array();
    for (const auto& name : m_registeredHTTPOperationClassNames)
        names->addObject(name);
    return NSString::stringWithFormat("<%s: %p, baseURL: %@, defaultHeaders: %@, registeredOperationClasses: %@, operationQueue: %@>",
        className(), static_cast<const void*>(this), m_baseURL->absoluteString(), static_cast<id>(m_defaultHeaders), static_cast<id>(names),
        static_cast<id>(m_operationQueue));
}

bool RQHTTPClient::registerHTTPOperationClassNamed(const NSString& className)
{
    if (className.isNil() || !operationClassNamed(className))
        return false;
    unregisterHTTPOperationClassNamed(className);
    m_registeredHTTPOperationClassNames.insert(m_registeredHTTPOperationClassNames.begin(), className);
    return true;
}

void RQHTTPClient::unregisterHTTPOperationClassNamed(const NSString& className)
{
    std::erase(m_registeredHTTPOperationClassNames, className);
}

NSString RQHTTPClient::defaultValueForHeader(const NSString& header) const
{
    return NSString::fromId(m_defaultHeaders->objectForKey(header));
}

void RQHTTPClient::setDefaultHeader(const NSString& header, const NSString& value)
{
    if (header.isNil())
        return;
    if (value.isNil())
        m_defaultHeaders->removeObjectForKey(header);
    else
        m_defaultHeaders->setObject(value, header);
}

NSString RQBasicAuthorizationHeaderValue(const NSString& username, const NSString& password)
{
    const std::string credentials = ns::textOf(username).UTF8String() + ":" + ns::textOf(password).UTF8String();
    return NSString("Basic ") + NSData::dataWithBytes(credentials.data(), credentials.size())->base64EncodedStringWithOptions(0);
}

void RQHTTPClient::setAuthorizationHeaderWithUsername(const NSString& username, const NSString& password)
{
    setDefaultHeader("Authorization", RQBasicAuthorizationHeaderValue(username, password));
}

void RQHTTPClient::setAuthorizationHeaderWithToken(const NSString& token)
{
    setDefaultHeader("Authorization", NSString::stringWithFormat("Token token=\"%@\"", ns::textOf(token)));
}

void RQHTTPClient::clearAuthorizationHeader()
{
    m_defaultHeaders->removeObjectForKey(NSString("Authorization"));
}

std::shared_ptr<NSMutableURLRequest> RQHTTPClient::requestWithMethod(const NSString& method, const NSString& path,
    const std::shared_ptr<NSDictionary>& parameters)
{
    const NSString relative = path.isNil() ? NSString::string() : path;
    auto request = NSMutableURLRequest::requestWithURL(NSURL::URLWithString(relative, m_baseURL));
    request->setHTTPMethod(method);
    request->setAllHTTPHeaderFields(m_defaultHeaders);
    if (!parameters)
        return request;

    const NSString charset = ns::IANACharsetNameForEncoding(m_stringEncoding);
    if (carriesParametersInQuery(method)) {
        if (request->URL()) {
            const NSString separator = relative.containsString("?") ? "&" : "?";
            request->setURL(NSURL::URLWithString(request->URL()->absoluteString() + separator
                + RQQueryStringFromParameters(parameters, m_stringEncoding)));
        }
        return request;
    }
    std::shared_ptr<NSError> error;
    switch (m_parameterEncoding) {
    case RQFormURLParameterEncoding:
        request->setValue(NSString::stringWithFormat("application/x-www-form-urlencoded; charset=%@", charset), "Content-Type");
        request->setHTTPBody(RQQueryStringFromParameters(parameters, m_stringEncoding).dataUsingEncoding(m_stringEncoding, true));
        break;
    case RQJSONParameterEncoding:
        request->setValue(NSString::stringWithFormat("application/json; charset=%@", charset), "Content-Type");
        request->setHTTPBody(JSONCodecSerializing::JSONDataWithOptions(parameters, JCSerializeOptionNone, &error));
        break;
    case RQPropertyListParameterEncoding:
        request->setValue(NSString::stringWithFormat("application/x-plist; charset=%@", charset), "Content-Type");
        request->setHTTPBody(NSPropertyListSerialization::dataWithPropertyList(parameters, NSPropertyListXMLFormat_v1_0, 0, &error));
        break;
    }
    if (error)
        NSLog("%s %s: %@", className(), "requestWithMethod", static_cast<id>(error));
    return request;
}

std::shared_ptr<NSMutableURLRequest> RQHTTPClient::multipartFormRequestWithMethod(const NSString& method, const NSString& path,
    const std::shared_ptr<NSDictionary>& parameters, const ConstructingBodyBlock& block)
{
    auto form = RQStreamingMultipartFormData::create(requestWithMethod(method, path, nullptr), m_stringEncoding);
    if (parameters) {
        for (const auto& pair : RQQueryStringPairsFromValue(nullptr, parameters)) {
            std::shared_ptr<NSData> data;
            if (auto value = ns::cast<NSData>(pair->value()))
                data = value;
            else if (!pair->value() || ns::cast<NSNull>(pair->value()))
                data = NSData::data();
            else
                data = ns::textOf(pair->value()).dataUsingEncoding(m_stringEncoding, true);
            if (data)
                form->appendPartWithFormData(data, ns::textOf(pair->field()));
        }
    }
    if (block)
        block(*form);
    return form->requestByFinalizingMultipartFormData();
}

std::shared_ptr<RQHTTPRequestOperation> RQHTTPClient::HTTPRequestOperationWithRequest(const std::shared_ptr<NSURLRequest>& request,
    SuccessBlock success, FailureBlock failure)
{
    std::shared_ptr<RQHTTPRequestOperation> operation;
    for (const auto& name : m_registeredHTTPOperationClassNames) {
        auto operationClass = operationClassNamed(name);
        if (operationClass && operationClass->canProcessRequest(request)) {
            operation = operationClass->make(request);
            if (operation)
                break;
        }
    }
    if (!operation)
        operation = RQHTTPRequestOperation::create(request);
    operation->setCompletionBlockWithSuccess(std::move(success), std::move(failure));
    operation->setCredential(m_defaultCredential);
    operation->setSSLPinningMode(m_defaultSSLPinningMode);
    operation->setAllowsInvalidSSLCertificate(m_allowsInvalidSSLCertificate);
    return operation;
}

void RQHTTPClient::enqueueHTTPRequestOperation(const std::shared_ptr<RQHTTPRequestOperation>& operation)
{
    if (operation)
        m_operationQueue->addOperation(operation);
}

void RQHTTPClient::cancelAllHTTPOperationsWithMethod(const NSString& method, const NSString& path)
{
    auto URL = requestWithMethod(method.isNil() ? NSString("GET") : method, path, nullptr)->URL();
    const NSString pathToMatch = URL ? URL->path() : NSString();
    for (const auto& queued : m_operationQueue->operations()) {
        auto operation = std::dynamic_pointer_cast<RQHTTPRequestOperation>(queued);
        if (!operation)
            continue;
        auto request = operation->request();
        const bool methodMatches = method.isNil() || (request && request->HTTPMethod() == method);
        if (methodMatches && request && request->URL() && request->URL()->path() == pathToMatch)
            operation->cancel();
    }
}

void RQHTTPClient::enqueueBatchOfHTTPRequestOperationsWithRequests(const std::vector<std::shared_ptr<NSURLRequest>>& requests,
    ProgressBlock progressBlock, CompletionBlock completionBlock)
{
    std::vector<std::shared_ptr<RQHTTPRequestOperation>> operations;
    for (const auto& request : requests)
        operations.push_back(HTTPRequestOperationWithRequest(request, nullptr, nullptr));
    enqueueBatchOfHTTPRequestOperations(operations, std::move(progressBlock), std::move(completionBlock));
}

void RQHTTPClient::enqueueBatchOfHTTPRequestOperations(const std::vector<std::shared_ptr<RQHTTPRequestOperation>>& operations,
    ProgressBlock progressBlock, CompletionBlock completionBlock)
{
    auto group = dispatch_group_create();
    auto batchedOperation = NSBlockOperation::blockOperationWithBlock([group, operations, completionBlock] {
        dispatch_group_notify(group, dispatch_get_main_queue(), [operations, completionBlock] {
            if (completionBlock)
                completionBlock(operations);
        });
    });

    // The operations' own blocks hold their batch weakly: an operation must not keep the others.
    std::vector<std::weak_ptr<RQHTTPRequestOperation>> batch(operations.begin(), operations.end());
    const NSUInteger total = operations.size();
    for (const auto& operation : operations) {
        auto originalCompletionBlock = operation->completionBlock();
        std::weak_ptr<RQHTTPRequestOperation> weakOperation = operation;
        operation->setCompletionBlock([weakOperation, originalCompletionBlock, group, batch, total, progressBlock] {
            auto finishedOperation = weakOperation.lock();
            auto queue = finishedOperation ? finishedOperation->successCallbackQueue() : nullptr;
            dispatch_group_async(group, queue ? queue : dispatch_get_main_queue(), [originalCompletionBlock, group, batch, total, progressBlock] {
                if (originalCompletionBlock)
                    originalCompletionBlock();
                NSUInteger finished = 0;
                for (const auto& member : batch) {
                    auto operation = member.lock();
                    if (operation && operation->isFinished())
                        ++finished;
                }
                if (progressBlock)
                    progressBlock(finished, total);
                dispatch_group_leave(group);
            });
        });
        dispatch_group_enter(group);
        batchedOperation->addDependency(operation);
    }
    std::vector<std::shared_ptr<NSOperation>> queued(operations.begin(), operations.end());
    m_operationQueue->addOperations(queued, false);
    m_operationQueue->addOperation(batchedOperation);
}

void RQHTTPClient::enqueue(const NSString& method, const NSString& path, const std::shared_ptr<NSDictionary>& parameters,
    SuccessBlock success, FailureBlock failure)
{
    enqueueHTTPRequestOperation(HTTPRequestOperationWithRequest(requestWithMethod(method, path, parameters), std::move(success), std::move(failure)));
}

void RQHTTPClient::getPath(const NSString& path, const std::shared_ptr<NSDictionary>& parameters, SuccessBlock success, FailureBlock failure)
{
    enqueue("GET", path, parameters, std::move(success), std::move(failure));
}

void RQHTTPClient::postPath(const NSString& path, const std::shared_ptr<NSDictionary>& parameters, SuccessBlock success, FailureBlock failure)
{
    enqueue("POST", path, parameters, std::move(success), std::move(failure));
}

void RQHTTPClient::putPath(const NSString& path, const std::shared_ptr<NSDictionary>& parameters, SuccessBlock success, FailureBlock failure)
{
    enqueue("PUT", path, parameters, std::move(success), std::move(failure));
}

void RQHTTPClient::deletePath(const NSString& path, const std::shared_ptr<NSDictionary>& parameters, SuccessBlock success, FailureBlock failure)
{
    enqueue("DELETE", path, parameters, std::move(success), std::move(failure));
}

void RQHTTPClient::patchPath(const NSString& path, const std::shared_ptr<NSDictionary>& parameters, SuccessBlock success, FailureBlock failure)
{
    enqueue("PATCH", path, parameters, std::move(success), std::move(failure));
}
