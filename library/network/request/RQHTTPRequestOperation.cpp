#include "library/network/request/RQHTTPRequestOperation.h"

#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSCharacterSet.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/net/NSHTTPURLResponse.h"

#include <map>
#include <mutex>

namespace {

const bool registeredForCoding = NSCoder::registerClass<RQHTTPRequestOperation>();

struct AcceptedSets {
    Mutex mutex;
    std::map<std::string, std::shared_ptr<const RQStatusCodeSet>> statusCodes GUARDED_BY(mutex);
    std::map<std::string, std::shared_ptr<NSSet>> contentTypes GUARDED_BY(mutex);
};

AcceptedSets& acceptedSets()
{
    static NeverDestroyed<AcceptedSets> sets;
    return sets.get();
}

std::shared_ptr<const RQStatusCodeSet> defaultStatusCodes()
{
    static const NeverDestroyed<std::shared_ptr<const RQStatusCodeSet>> codes([] {
        auto set = std::make_shared<RQStatusCodeSet>();
        for (NSUInteger code = 200; code < 300; ++code)
            set->insert(code);
        return std::shared_ptr<const RQStatusCodeSet>(set);
    }());
    return codes.get();
}

// Runs of consecutive codes as "200-299,304".
NSString textOfStatusCodes(const std::shared_ptr<const RQStatusCodeSet>& codes)
{
    std::string text;
    if (!codes)
        return NSString(text);
    for (auto it = codes->begin(); it != codes->end();) {
        NSUInteger first = *it;
        NSUInteger last = first;
        ++it;
        while (it != codes->end() && *it == last + 1)
            last = *it++;
        if (!text.empty())
            text += ",";
        text += first == last ? std::to_string(first) : std::to_string(first) + "-" + std::to_string(last);
    }
    return NSString(text);
}

NSString localized(const char* key)
{
    return NSBundle::mainBundle()->localizedStringForKey(key, NSString(), "RQNetworking");
}

} // namespace

std::shared_ptr<const RQStatusCodeSet> RQHTTPRequestOperation::acceptableStatusCodesFor(const std::string& className,
    const std::vector<std::string>& chain)
{
    auto& sets = acceptedSets();
    MutexLocker lock(sets.mutex);
    if (auto found = sets.statusCodes.find(className); found != sets.statusCodes.end())
        return found->second;
    for (const auto& base : chain) {
        if (auto found = sets.statusCodes.find(base); found != sets.statusCodes.end())
            return found->second;
    }
    return defaultStatusCodes();
}

void RQHTTPRequestOperation::addAcceptableStatusCodesFor(const std::string& className, const std::shared_ptr<const RQStatusCodeSet>& codes,
    const std::vector<std::string>& chain)
{
    auto merged = std::make_shared<RQStatusCodeSet>(*acceptableStatusCodesFor(className, chain));
    if (codes)
        merged->insert(codes->begin(), codes->end());
    auto& sets = acceptedSets();
    MutexLocker lock(sets.mutex);
    sets.statusCodes[className] = merged;
}

std::shared_ptr<NSSet> RQHTTPRequestOperation::acceptableContentTypesFor(const std::string& className, const std::vector<std::string>& chain)
{
    auto& sets = acceptedSets();
    MutexLocker lock(sets.mutex);
    if (auto found = sets.contentTypes.find(className); found != sets.contentTypes.end())
        return found->second;
    for (const auto& base : chain) {
        if (auto found = sets.contentTypes.find(base); found != sets.contentTypes.end())
            return found->second;
    }
    return nullptr;
}

void RQHTTPRequestOperation::addAcceptableContentTypesFor(const std::string& className, const std::shared_ptr<NSSet>& types,
    const std::vector<std::string>& chain)
{
    auto current = acceptableContentTypesFor(className, chain);
    auto merged = NSMutableSet::set();
    if (current)
        merged->unionSet(current);
    if (types)
        merged->unionSet(types);
    auto& sets = acceptedSets();
    MutexLocker lock(sets.mutex);
    sets.contentTypes[className] = merged;
}

std::shared_ptr<NSHTTPURLResponse> RQHTTPRequestOperation::response() const
{
    return std::dynamic_pointer_cast<NSHTTPURLResponse>(RQURLConnectionOperation::response());
}

bool RQHTTPRequestOperation::hasAcceptableStatusCode() const
{
    auto received = RQURLConnectionOperation::response();
    if (!received)
        return false;
    auto HTTP = std::dynamic_pointer_cast<NSHTTPURLResponse>(received);
    const NSUInteger status = HTTP ? static_cast<NSUInteger>(HTTP->statusCode()) : 200;
    const auto chain = acceptedSetsChain();
    auto codes = acceptableStatusCodesFor(chain.front(), std::vector<std::string>(chain.begin() + 1, chain.end()));
    return !codes || codes->contains(status);
}

bool RQHTTPRequestOperation::hasAcceptableContentType() const
{
    auto received = RQURLConnectionOperation::response();
    if (!received)
        return false;
    NSString type = received->MIMEType().isNil() ? NSString("application/octet-stream") : received->MIMEType();
    const auto chain = acceptedSetsChain();
    auto types = acceptableContentTypesFor(chain.front(), std::vector<std::string>(chain.begin() + 1, chain.end()));
    return !types || types->containsObject(type);
}

std::shared_ptr<NSError> RQHTTPRequestOperation::error() const
{
    {
        // Under the operation's lock, so the error is made from one reply and its body, once.
        StateLocker lock(m_lock);
        auto received = RQURLConnectionOperation::response();
        if (!HTTPError() && received) {
            const bool statusAcceptable = hasAcceptableStatusCode();
            const bool typeAcceptable = hasAcceptableContentType();
            if (!statusAcceptable || !typeAcceptable) {
                auto userInfo = NSMutableDictionary::dictionary();
                if (NSString body = responseString(); !body.isNil())
                    userInfo->setObject(body, NSLocalizedRecoverySuggestionErrorKey);
                auto failingRequest = request();
                if (failingRequest && failingRequest->URL())
                    userInfo->setObject(failingRequest->URL(), NSURLErrorFailingURLErrorKey);
                if (failingRequest)
                    userInfo->setObject(failingRequest, RQNetworkingOperationFailingURLRequestErrorKey);
                userInfo->setObject(received, RQNetworkingOperationFailingURLResponseErrorKey);
                const auto chain = acceptedSetsChain();
                const std::vector<std::string> bases(chain.begin() + 1, chain.end());
                auto self = const_cast<RQHTTPRequestOperation*>(this);
                if (!statusAcceptable) {
                    auto HTTP = std::dynamic_pointer_cast<NSHTTPURLResponse>(received);
                    userInfo->setObject(NSString::stringWithFormat(localized("Expected status code in (%@), got %ld").UTF8String().c_str(),
                                            textOfStatusCodes(acceptableStatusCodesFor(chain.front(), bases)),
                                            HTTP ? HTTP->statusCode() : NSInteger(200)),
                        NSLocalizedDescriptionKey);
                    self->setHTTPError(NSError::errorWithDomain(RQNetworkingErrorDomain, NSURLErrorBadServerResponse, userInfo));
                } else if (responseData() && responseData()->length() > 0) {
                    auto types = acceptableContentTypesFor(chain.front(), bases);
                    userInfo->setObject(NSString::stringWithFormat(localized("Expected content type %@, got %@").UTF8String().c_str(),
                                            types, received->MIMEType()),
                        NSLocalizedDescriptionKey);
                    self->setHTTPError(NSError::errorWithDomain(RQNetworkingErrorDomain, NSURLErrorCannotDecodeContentData, userInfo));
                }
            }
        }
    }
    if (auto built = HTTPError())
        return built;
    return RQURLConnectionOperation::error();
}

NSStringEncoding RQHTTPRequestOperation::responseStringEncoding() const
{
    {
        StateLocker lock(m_lock);
        auto received = response();
        if (received && received->textEncodingName().isNil() && responseData() && received->allHeaderFields()
            && received->allHeaderFields()->count()) {
            NSString contentType = received->valueForHTTPHeaderField("Content-Type");
            if (!contentType.isNil()) {
                NSString type = contentType.stringByTrimmingCharactersInSet(*NSCharacterSet::whitespaceAndNewlineCharacterSet());
                NSRange slash = type.rangeOfString("/");
                if (slash.location != NSNotFound && type.substringToIndex(slash.location) == "text")
                    return NSISOLatin1StringEncoding;
            }
        }
    }
    return RQURLConnectionOperation::responseStringEncoding();
}

void RQHTTPRequestOperation::pause()
{
    {
        StateLocker lock(m_lock);
        if (isPaused() || isFinished() || isCancelled())
            return;
        unsigned long long offset = 0;
        auto stream = outputStream();
        if (auto position = ns::cast<NSNumber>(stream->propertyForKey(NSStreamFileCurrentOffsetKey)))
            offset = position->unsignedLongLongValue();
        else if (auto written = ns::cast<NSData>(stream->propertyForKey(NSStreamDataWrittenToMemoryStreamKey)))
            offset = written->length();
        {
            auto current = request();
            auto state = m_HTTPState.lock();
            if (!state->requestBeforeRange)
                state->requestBeforeRange = current;
        }
        auto ranged = request()->mutableCopyRequest();
        if (auto received = response()) {
            if (NSString tag = received->valueForHTTPHeaderField("ETag"); !tag.isNil())
                ranged->setValue(tag, "If-Range");
        }
        ranged->setValue(NSString::stringWithFormat("bytes=%llu-", offset), "Range");
        setRequest(ranged);
        // Still under the lock: no chunk may land between the offset taken and the pause.
        RQURLConnectionOperation::pause();
    }
}

bool RQHTTPRequestOperation::continuesReceivedBytes(const std::shared_ptr<NSURLResponse>& received) const
{
    // Only a partial reply continues the bytes kept at the pause; a full one replaces them.
    auto HTTP = std::dynamic_pointer_cast<NSHTTPURLResponse>(received);
    return HTTP && HTTP->statusCode() == 206;
}

std::shared_ptr<NSError> RQHTTPRequestOperation::HTTPError() const
{
    return m_HTTPState.lock()->HTTPError;
}

void RQHTTPRequestOperation::setHTTPError(const std::shared_ptr<NSError>& error)
{
    m_HTTPState.lock()->HTTPError = error;
}

dispatch_queue_t RQHTTPRequestOperation::successCallbackQueue() const
{
    return m_HTTPState.lock()->successCallbackQueue;
}

void RQHTTPRequestOperation::setSuccessCallbackQueue(const dispatch_queue_t& queue)
{
    m_HTTPState.lock()->successCallbackQueue = queue;
}

dispatch_queue_t RQHTTPRequestOperation::failureCallbackQueue() const
{
    return m_HTTPState.lock()->failureCallbackQueue;
}

void RQHTTPRequestOperation::setFailureCallbackQueue(const dispatch_queue_t& queue)
{
    m_HTTPState.lock()->failureCallbackQueue = queue;
}

void RQHTTPRequestOperation::setCompletionBlockWithSuccess(SuccessBlock success, FailureBlock failure)
{
    std::weak_ptr<RQHTTPRequestOperation> weakSelf = self();
    setCompletionBlock([weakSelf, success, failure] {
        auto operation = weakSelf.lock();
        if (!operation)
            return;
        if (auto error = operation->error()) {
            if (!failure)
                return;
            auto queue = operation->failureCallbackQueue();
            auto call = [operation, failure, error] { failure(operation, error); };
            if (!queue || queue == dispatch_get_main_queue())
                performOnMainQueue(std::move(call));
            else
                dispatch_async(queue, std::move(call));
            return;
        }
        if (!success)
            return;
        auto queue = operation->successCallbackQueue();
        auto object = operation->responseObject();
        auto call = [operation, success, object] { success(operation, object); };
        if (!queue || queue == dispatch_get_main_queue())
            performOnMainQueue(std::move(call));
        else
            dispatch_async(queue, std::move(call));
    });
}

std::shared_ptr<RQURLConnectionOperation> RQHTTPRequestOperation::makeCopy(const std::shared_ptr<NSURLRequest>& request) const
{
    return RQHTTPRequestOperation::create(request);
}

std::shared_ptr<NSURLRequest> RQHTTPRequestOperation::requestForArchiving() const
{
    if (auto beforeRange = m_HTTPState.lock()->requestBeforeRange)
        return beforeRange;
    return request();
}

NSString RQContentTypeTrimParameters(const NSString& item)
{
    NSRange semicolon = item.rangeOfString(";");
    NSString type = semicolon.location == NSNotFound ? item : item.substringToIndex(semicolon.location);
    return type.stringByTrimmingCharactersInSet(*NSCharacterSet::whitespaceAndNewlineCharacterSet());
}

std::shared_ptr<NSSet> RQContentTypesFromHTTPHeader(const NSString& header)
{
    if (header.isNil())
        return nullptr;
    auto types = NSMutableSet::set();
    for (const auto& item : header.components(",")) {
        NSString type = RQContentTypeTrimParameters(item);
        if (type.length())
            types->addObject(type);
    }
    return types;
}
