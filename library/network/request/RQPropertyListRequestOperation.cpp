#include "library/network/request/RQPropertyListRequestOperation.h"

#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/NeverDestroyed.h"

namespace {
using Typed = RQTypedOperationClass<RQPropertyListRequestOperation>;
}

void RQPropertyListRequestOperation::init(const std::shared_ptr<NSURLRequest>& request)
{
    RQTypedOperationClass<RQPropertyListRequestOperation>::seed();
    RQHTTPRequestOperation::init(request);
    MutexLocker lock(m_plistMutex);
    m_readOptions = 0;
}

std::shared_ptr<NSSet> RQPropertyListRequestOperation::defaultContentTypes() { return Typed::setOf({ "application/x-plist" }); }

dispatch_queue_t RQPropertyListRequestOperation::processingQueue()
{
    static const NeverDestroyed<dispatch_queue_t> queue(Typed::processingQueueNamed("com.pembrocat.networking.property-list-request.processing"));
    return queue.get();
}

id RQPropertyListRequestOperation::responsePropertyList()
{
    auto data = responseData();
    MutexLocker lock(m_plistMutex);
    if (m_parsed || !data || data->length() == 0 || !isFinished())
        return m_responsePropertyList;
    NSPropertyListFormat format {};
    std::shared_ptr<NSError> error;
    m_responsePropertyList = NSPropertyListSerialization::propertyListWithData(data, m_readOptions, &format, &error);
    m_format = format;
    m_propertyListError = error;
    m_parsed = true;
    return m_responsePropertyList;
}

NSUInteger RQPropertyListRequestOperation::propertyListFormat() const
{
    MutexLocker lock(m_plistMutex);
    return m_format;
}

std::shared_ptr<NSError> RQPropertyListRequestOperation::propertyListError() const
{
    MutexLocker lock(m_plistMutex);
    return m_propertyListError;
}

std::shared_ptr<NSError> RQPropertyListRequestOperation::error() const
{
    if (auto own = propertyListError())
        return own;
    return RQHTTPRequestOperation::error();
}

void RQPropertyListRequestOperation::setCompletionBlockWithSuccess(SuccessBlock success, FailureBlock failure)
{
    setCompletionBlock(Typed::typedCompletion(std::weak_ptr(self()), processingQueue(), true, failure,
        [success, failure](const std::shared_ptr<RQPropertyListRequestOperation>& operation) {
            id plist = operation->responsePropertyList();
            Typed::answer(operation, operation->propertyListError(), plist, success, failure);
        }));
}

std::shared_ptr<RQPropertyListRequestOperation> RQPropertyListRequestOperation::propertyListRequestOperationWithRequest(
    const std::shared_ptr<NSURLRequest>& request, PlistSuccessBlock success, PlistFailureBlock failure)
{
    auto operation = create(request);
    if (!operation)
        return nullptr;
    SuccessBlock onSuccess;
    if (success)
        onSuccess = [success](const std::shared_ptr<RQHTTPRequestOperation>& op, const id& plist) { success(op->request(), op->response(), plist); };
    FailureBlock onFailure;
    if (failure) {
        onFailure = [failure](const std::shared_ptr<RQHTTPRequestOperation>& op, const std::shared_ptr<NSError>& error) {
            auto typed = std::static_pointer_cast<RQPropertyListRequestOperation>(op);
            failure(op->request(), op->response(), error, typed->responsePropertyList());
        };
    }
    operation->setCompletionBlockWithSuccess(onSuccess, onFailure);
    return operation;
}
