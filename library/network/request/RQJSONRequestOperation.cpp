#include "library/network/request/RQJSONRequestOperation.h"

#include "library/json/JCArray.h"
#include "library/json/JSONDecoder.h"
#include "platform/foundation/NeverDestroyed.h"

namespace {
using Typed = RQTypedOperationClass<RQJSONRequestOperation>;
}

void RQJSONRequestOperation::init(const std::shared_ptr<NSURLRequest>& request)
{
    RQTypedOperationClass<RQJSONRequestOperation>::seed();
    RQHTTPRequestOperation::init(request);
}

std::shared_ptr<NSSet> RQJSONRequestOperation::defaultContentTypes() { return Typed::setOf({ "application/json", "text/json", "text/javascript" }); }

dispatch_queue_t RQJSONRequestOperation::processingQueue()
{
    static const NeverDestroyed<dispatch_queue_t> queue(Typed::processingQueueNamed("com.pembrocat.networking.json-request.processing"));
    return queue.get();
}

NSUInteger RQJSONRequestOperation::JSONReadingOptions() const
{
    return m_JSON.lock()->readingOptions;
}

void RQJSONRequestOperation::setJSONReadingOptions(NSUInteger options)
{
    m_JSON.lock()->readingOptions = options;
}

std::shared_ptr<NSError> RQJSONRequestOperation::JSONError() const
{
    return m_JSON.lock()->JSONError;
}

std::shared_ptr<NSError> RQJSONRequestOperation::error() const
{
    if (auto own = JSONError())
        return own;
    return RQHTTPRequestOperation::error();
}

id RQJSONRequestOperation::responseJSON()
{
    auto data = responseData();
    const bool ready = data && data->length() > 0 && isFinished();
    {
        auto state = m_JSON.lock();
        if (state->parsed || !ready)
            return state->responseJSON;
    }
    const NSString text = responseString();
    auto state = m_JSON.lock();
    if (state->parsed)
        return state->responseJSON;
    state->parsed = true;
    if (text.isNil()) {
        // Bytes that are not text in the reply's encoding are not an empty reply.
        auto userInfo = NSMutableDictionary::dictionary();
        userInfo->setObject(static_cast<id>(NSString("Operation responseData failed decoding as a UTF-8 string")), static_cast<id>(NSString(NSLocalizedDescriptionKey)));
        userInfo->setObject(static_cast<id>(NSString::stringWithFormat("Could not decode string: %@", text)),
            static_cast<id>(NSString(NSLocalizedFailureReasonErrorKey)));
        state->JSONError = NSError::errorWithDomain(RQNetworkingErrorDomain, -1016, userInfo);
        return nullptr;
    }
    if (text == " ")
        return nullptr;
    // The reply's text has no byte-order mark left: decoding drops it.
    const std::string bytes = text.UTF8String();
    auto decoder = JSONDecoder::decoder();
    const bool mutableContainers = state->readingOptions & NSJSONReadingMutableContainers;
    auto parse = [&](const std::string& json, NSErrorPointer error) {
        return mutableContainers ? decoder->mutableObjectWithUTF8String(json.data(), json.size(), error)
                                 : decoder->objectWithUTF8String(json.data(), json.size(), error);
    };
    std::shared_ptr<NSError> error;
    state->responseJSON = parse(bytes, &error);
    if (!state->responseJSON && (state->readingOptions & NSJSONReadingAllowFragments)) {
        // The decoder reads collections only: a lone value is read as an array's one element.
        std::shared_ptr<NSError> ignored;
        auto array = std::dynamic_pointer_cast<NSArray>(parse("[" + bytes + "]", &ignored));
        if (array && array->count() == 1) {
            state->responseJSON = array->objectAtIndex(0);
            error = nullptr;
        }
    }
    state->JSONError = state->responseJSON ? nullptr : error;
    return state->responseJSON;
}

void RQJSONRequestOperation::setCompletionBlockWithSuccess(SuccessBlock success, FailureBlock failure)
{
    // Parsed on the processing queue, never on the thread that finished the request or on main.
    setCompletionBlock(Typed::typedCompletion(std::weak_ptr(self()), processingQueue(), true, failure,
        [success, failure](const std::shared_ptr<RQJSONRequestOperation>& operation) {
            id JSON = operation->responseJSON();
            Typed::answer(operation, operation->error(), JSON, success, failure);
        }));
}

std::shared_ptr<RQJSONRequestOperation> RQJSONRequestOperation::JSONRequestOperationWithRequest(const std::shared_ptr<NSURLRequest>& request,
    JSONSuccessBlock success, JSONFailureBlock failure)
{
    auto operation = create(request);
    if (!operation)
        return nullptr;
    SuccessBlock onSuccess;
    if (success)
        onSuccess = [success](const std::shared_ptr<RQHTTPRequestOperation>& op, const id& JSON) { success(op->request(), op->response(), JSON); };
    FailureBlock onFailure;
    if (failure) {
        onFailure = [failure](const std::shared_ptr<RQHTTPRequestOperation>& op, const std::shared_ptr<NSError>& error) {
            auto typed = std::static_pointer_cast<RQJSONRequestOperation>(op);
            id JSON = typed->m_JSON.lock()->responseJSON;
            failure(op->request(), op->response(), error, JSON);
        };
    }
    operation->setCompletionBlockWithSuccess(onSuccess, onFailure);
    return operation;
}
