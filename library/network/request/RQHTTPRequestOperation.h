#pragma once
// A URL connection operation for HTTP: it judges the reply by status code and content type,
// turns an unacceptable reply into an error of its own domain, resumes a paused download with a
// ranged request, and calls back on the chosen queues (the main queue unless told otherwise).
//
// The accepted sets belong to the class: a subclass answers them through acceptedSetsKey(), and
// addAcceptableStatusCodes/addAcceptableContentTypes replace them for that class and for its
// subclasses that do not answer for themselves.

#include "library/network/request/RQURLConnectionOperation.h"
#include "platform/net/NSHTTPURLResponse.h"
#include "platform/net/NSURLError.h"

#include <set>

// The accepted status codes of a class (an index set on the platform).
using RQStatusCodeSet = std::set<NSUInteger>;

inline constexpr const char* RQNetworkingErrorDomain = "RQNetworkingErrorDomain";
inline constexpr const char* RQNetworkingOperationFailingURLRequestErrorKey = "RQNetworkingOperationFailingURLRequestErrorKey";
inline constexpr const char* RQNetworkingOperationFailingURLResponseErrorKey = "RQNetworkingOperationFailingURLResponseErrorKey";

class RQHTTPRequestOperation : public RQURLConnectionOperation {
    NS_OBJECT(RQHTTPRequestOperation, RQURLConnectionOperation)
public:
    using SuccessBlock = std::function<void(const std::shared_ptr<RQHTTPRequestOperation>& operation, const id& responseObject)>;
    using FailureBlock = std::function<void(const std::shared_ptr<RQHTTPRequestOperation>& operation, const std::shared_ptr<NSError>& error)>;

    std::shared_ptr<NSHTTPURLResponse> response() const;
    std::shared_ptr<NSError> error() const override;
    NSStringEncoding responseStringEncoding() const override;
    void pause() override;

    bool hasAcceptableStatusCode() const;
    bool hasAcceptableContentType() const;

    std::shared_ptr<NSError> HTTPError() const;
    void setHTTPError(const std::shared_ptr<NSError>& error);
    dispatch_queue_t successCallbackQueue() const;
    void setSuccessCallbackQueue(const dispatch_queue_t& queue);
    dispatch_queue_t failureCallbackQueue() const;
    void setFailureCallbackQueue(const dispatch_queue_t& queue);

    // The response object of a success is responseData here; typed subclasses hand their own,
    // parsed on their own queue, whoever installs the blocks through this class.
    virtual void setCompletionBlockWithSuccess(SuccessBlock success, FailureBlock failure);

    // Class operations of this class.
    static std::shared_ptr<const RQStatusCodeSet> acceptableStatusCodes() { return acceptableStatusCodesFor(staticClassName(), {}); }
    static void addAcceptableStatusCodes(const std::shared_ptr<const RQStatusCodeSet>& codes) { addAcceptableStatusCodesFor(staticClassName(), codes); }
    static std::shared_ptr<NSSet> acceptableContentTypes() { return acceptableContentTypesFor(staticClassName(), {}); }
    static void addAcceptableContentTypes(const std::shared_ptr<NSSet>& types) { addAcceptableContentTypesFor(staticClassName(), types); }
    static bool canProcessRequest(const std::shared_ptr<NSURLRequest>&) { return true; }

    // The class-wide sets by class name; `chain` lists the bases to fall back on, nearest first.
    static std::shared_ptr<const RQStatusCodeSet> acceptableStatusCodesFor(const std::string& className, const std::vector<std::string>& chain);
    static void addAcceptableStatusCodesFor(const std::string& className, const std::shared_ptr<const RQStatusCodeSet>& codes,
        const std::vector<std::string>& chain = {});
    static std::shared_ptr<NSSet> acceptableContentTypesFor(const std::string& className, const std::vector<std::string>& chain);
    static void addAcceptableContentTypesFor(const std::string& className, const std::shared_ptr<NSSet>& types,
        const std::vector<std::string>& chain = {});

protected:
    // The class whose accepted sets judge this operation, then its bases.
    virtual std::vector<std::string> acceptedSetsChain() const { return { staticClassName() }; }
    virtual id responseObject() { return responseData(); }
    bool continuesReceivedBytes(const std::shared_ptr<NSURLResponse>& response) const override;
    std::shared_ptr<RQURLConnectionOperation> makeCopy(const std::shared_ptr<NSURLRequest>& request) const override;
    std::shared_ptr<NSURLRequest> requestForArchiving() const override;

private:
    // Reached under no other lock than the operation's, never the other way round.
    struct HTTPState {
        std::shared_ptr<NSError> HTTPError;
        // The request as it was before a pause made it ranged. A restored operation has none of
        // the bytes received so far, so its archive must ask for the whole body again.
        std::shared_ptr<NSURLRequest> requestBeforeRange;
        std::shared_ptr<DispatchQueue> successCallbackQueue;
        std::shared_ptr<DispatchQueue> failureCallbackQueue;
    };
    Guarded<HTTPState> m_HTTPState;
};

// The media types of an Accept or Content-Type field, parameters cut off; nil for a nil field.
std::shared_ptr<NSSet> RQContentTypesFromHTTPHeader(const NSString& header);
NSString RQContentTypeTrimParameters(const NSString& item);
