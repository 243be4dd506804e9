#pragma once
// An HTTP request operation whose body is handed out as an XML parser, made once.

#include "library/network/request/RQTypedOperationClass.h"
#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSXMLParser.h"

class RQXMLRequestOperation : public RQHTTPRequestOperation {
    NS_OBJECT(RQXMLRequestOperation, RQHTTPRequestOperation)
public:
    using XMLSuccessBlock = std::function<void(const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&,
        const std::shared_ptr<NSXMLParser>&)>;
    using XMLFailureBlock = std::function<void(const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&,
        const std::shared_ptr<NSError>&, const std::shared_ptr<NSXMLParser>&)>;

    static std::shared_ptr<RQXMLRequestOperation> XMLParserRequestOperationWithRequest(const std::shared_ptr<NSURLRequest>& request,
        XMLSuccessBlock success, XMLFailureBlock failure);

    // A parser over the body, made once; running it is the caller's part, so the body's
    // errors reach the parser's delegate, not the operation.
    std::shared_ptr<NSXMLParser> responseXMLParser();
    std::shared_ptr<NSError> XMLError() const;
    std::shared_ptr<NSError> error() const override;
    // Also leaves the parser without a delegate.
    void cancel() override;

    void setCompletionBlockWithSuccess(SuccessBlock success, FailureBlock failure) override;

    static std::shared_ptr<NSSet> defaultContentTypes();
    static bool acceptsPathExtension(const NSString& extension) { return extension == "xml"; }
    static std::shared_ptr<NSSet> acceptableContentTypes() { return RQTypedOperationClass<RQXMLRequestOperation>::acceptableContentTypes(); }
    static void addAcceptableContentTypes(const std::shared_ptr<NSSet>& types) { RQTypedOperationClass<RQXMLRequestOperation>::addAcceptableContentTypes(types); }
    static std::shared_ptr<const RQStatusCodeSet> acceptableStatusCodes() { return RQTypedOperationClass<RQXMLRequestOperation>::acceptableStatusCodes(); }
    static void addAcceptableStatusCodes(const std::shared_ptr<const RQStatusCodeSet>& codes) { RQTypedOperationClass<RQXMLRequestOperation>::addAcceptableStatusCodes(codes); }
    static bool canProcessRequest(const std::shared_ptr<NSURLRequest>& request) { return RQTypedOperationClass<RQXMLRequestOperation>::canProcessRequest(request); }
    static dispatch_queue_t processingQueue();

protected:
    void init(const std::shared_ptr<NSURLRequest>& request);
    std::vector<std::string> acceptedSetsChain() const override { return RQTypedOperationClass<RQXMLRequestOperation>::chain(); }
    id responseObject() override { return responseXMLParser(); }
    std::shared_ptr<RQURLConnectionOperation> makeCopy(const std::shared_ptr<NSURLRequest>& request) const override { return create(request); }

private:
    mutable Mutex m_parserMutex;
    std::shared_ptr<NSXMLParser> m_responseXMLParser GUARDED_BY(m_parserMutex);
    std::shared_ptr<NSError> m_XMLError GUARDED_BY(m_parserMutex);
};
