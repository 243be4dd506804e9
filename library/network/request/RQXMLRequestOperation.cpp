#include "library/network/request/RQXMLRequestOperation.h"

#include "platform/foundation/NeverDestroyed.h"

namespace {
using Typed = RQTypedOperationClass<RQXMLRequestOperation>;
}

void RQXMLRequestOperation::init(const std::shared_ptr<NSURLRequest>& request)
{
    RQTypedOperationClass<RQXMLRequestOperation>::seed();
    RQHTTPRequestOperation::init(request);
}

std::shared_ptr<NSSet> RQXMLRequestOperation::defaultContentTypes() { return Typed::setOf({ "application/xml", "text/xml" }); }

dispatch_queue_t RQXMLRequestOperation::processingQueue()
{
    static const NeverDestroyed<dispatch_queue_t> queue(Typed::processingQueueNamed("com.pembrocat.networking.xml-request.processing"));
    return queue.get();
}

std::shared_ptr<NSXMLParser> RQXMLRequestOperation::responseXMLParser()
{
    auto data = responseData();
    MutexLocker lock(m_parserMutex);
    if (!m_responseXMLParser && data && data->length() > 0 && isFinished())
        m_responseXMLParser = NSXMLParser::create(data);
    return m_responseXMLParser;
}

std::shared_ptr<NSError> RQXMLRequestOperation::XMLError() const
{
    MutexLocker lock(m_parserMutex);
    return m_XMLError;
}

std::shared_ptr<NSError> RQXMLRequestOperation::error() const
{
    if (auto own = XMLError())
        return own;
    return RQHTTPRequestOperation::error();
}

void RQXMLRequestOperation::cancel()
{
    RQHTTPRequestOperation::cancel();
    MutexLocker lock(m_parserMutex);
    if (m_responseXMLParser)
        m_responseXMLParser->setDelegate({});
}

void RQXMLRequestOperation::setCompletionBlockWithSuccess(SuccessBlock success, FailureBlock failure)
{
    // The parser is made on the processing queue before the error is looked at.
    setCompletionBlock(Typed::typedCompletion(std::weak_ptr(self()), processingQueue(), false, failure,
        [success, failure](const std::shared_ptr<RQXMLRequestOperation>& operation) {
            id parser = operation->responseXMLParser();
            Typed::answer(operation, operation->error(), parser, success, failure);
        }));
}

std::shared_ptr<RQXMLRequestOperation> RQXMLRequestOperation::XMLParserRequestOperationWithRequest(const std::shared_ptr<NSURLRequest>& request,
    XMLSuccessBlock success, XMLFailureBlock failure)
{
    auto operation = create(request);
    if (!operation)
        return nullptr;
    SuccessBlock onSuccess;
    if (success) {
        onSuccess = [success](const std::shared_ptr<RQHTTPRequestOperation>& op, const id& parser) {
            success(op->request(), op->response(), std::static_pointer_cast<NSXMLParser>(parser));
        };
    }
    FailureBlock onFailure;
    if (failure) {
        onFailure = [failure](const std::shared_ptr<RQHTTPRequestOperation>& op, const std::shared_ptr<NSError>& error) {
            failure(op->request(), op->response(), error, std::static_pointer_cast<RQXMLRequestOperation>(op)->responseXMLParser());
        };
    }
    operation->setCompletionBlockWithSuccess(onSuccess, onFailure);
    return operation;
}
