#pragma once
// A client for one web service: a base URL that request paths resolve against, default headers
// copied into every request, a parameter encoding for bodies, and the request-operation classes
// it may pick from. Operations run on the client's own queue; a batch reports each finished
// operation and then completes once. The client's settings are not guarded: set them up before
// making requests.

#include "library/network/request/RQHTTPRequestOperation.h"
#include "library/network/request/RQMultipartFormData.h"
#include "platform/foundation/NSOperationQueue.h"
#include "platform/net/NSURLCredential.h"
#include "platform/net/NSURLRequest.h"

#include <type_traits>

enum RQHTTPClientParameterEncoding : std::int32_t {
    RQFormURLParameterEncoding = 0,
    RQJSONParameterEncoding = 1,
    RQPropertyListParameterEncoding = 2,
};

class RQHTTPClient : public NSObject, public NSCoding {
    NS_OBJECT(RQHTTPClient, NSObject)
public:
    using SuccessBlock = RQHTTPRequestOperation::SuccessBlock;
    using FailureBlock = RQHTTPRequestOperation::FailureBlock;
    using ProgressBlock = std::function<void(NSUInteger numberOfFinishedOperations, NSUInteger totalNumberOfOperations)>;
    using CompletionBlock = std::function<void(const std::vector<std::shared_ptr<RQHTTPRequestOperation>>& operations)>;
    using ConstructingBodyBlock = std::function<void(RQMultipartFormData& formData)>;

    static std::shared_ptr<RQHTTPClient> clientWithBaseURL(const std::shared_ptr<NSURL>& URL) { return create(URL); }

    const std::shared_ptr<NSURL>& baseURL() const { return m_baseURL; }
    NSStringEncoding stringEncoding() const { return m_stringEncoding; }
    void setStringEncoding(NSStringEncoding encoding) { m_stringEncoding = encoding; }
    RQHTTPClientParameterEncoding parameterEncoding() const { return m_parameterEncoding; }
    void setParameterEncoding(RQHTTPClientParameterEncoding encoding) { m_parameterEncoding = encoding; }
    // Most recently registered first.
    const std::vector<NSString>& registeredHTTPOperationClassNames() const { return m_registeredHTTPOperationClassNames; }
    const std::shared_ptr<NSMutableDictionary>& defaultHeaders() const { return m_defaultHeaders; }
    const std::shared_ptr<NSURLCredential>& defaultCredential() const { return m_defaultCredential; }
    void setDefaultCredential(const std::shared_ptr<NSURLCredential>& credential) { m_defaultCredential = credential; }
    const std::shared_ptr<NSOperationQueue>& operationQueue() const { return m_operationQueue; }
    RQURLConnectionOperationSSLPinningMode defaultSSLPinningMode() const { return m_defaultSSLPinningMode; }
    void setDefaultSSLPinningMode(RQURLConnectionOperationSSLPinningMode mode) { m_defaultSSLPinningMode = mode; }
    bool allowsInvalidSSLCertificate() const { return m_allowsInvalidSSLCertificate; }
    void setAllowsInvalidSSLCertificate(bool allows) { m_allowsInvalidSSLCertificate = allows; }

    // False, and nothing changes, unless the class is RQHTTPRequestOperation or derives from it.
    template <class Operation>
    bool registerHTTPOperationClass();
    template <class Operation>
    void unregisterHTTPOperationClass() { unregisterHTTPOperationClassNamed(Operation::staticClassName()); }
    // By the name of a class made known through registerHTTPOperationClass before.
    bool registerHTTPOperationClassNamed(const NSString& className);
    void unregisterHTTPOperationClassNamed(const NSString& className);

    NSString defaultValueForHeader(const NSString& header) const;
    // A nil value removes the header.
    void setDefaultHeader(const NSString& header, const NSString& value);
    void setAuthorizationHeaderWithUsername(const NSString& username, const NSString& password);
    void setAuthorizationHeaderWithToken(const NSString& token);
    void clearAuthorizationHeader();

    // GET, HEAD and DELETE carry the parameters in the query; other methods in the body, encoded
    // as parameterEncoding says.
    std::shared_ptr<NSMutableURLRequest> requestWithMethod(const NSString& method, const NSString& path,
        const std::shared_ptr<NSDictionary>& parameters);
    std::shared_ptr<NSMutableURLRequest> multipartFormRequestWithMethod(const NSString& method, const NSString& path,
        const std::shared_ptr<NSDictionary>& parameters, const ConstructingBodyBlock& block);
    // The first registered class that can process the request, else RQHTTPRequestOperation;
    // not started.
    std::shared_ptr<RQHTTPRequestOperation> HTTPRequestOperationWithRequest(const std::shared_ptr<NSURLRequest>& request,
        SuccessBlock success, FailureBlock failure);

    void enqueueHTTPRequestOperation(const std::shared_ptr<RQHTTPRequestOperation>& operation);
    // A nil method matches every method.
    void cancelAllHTTPOperationsWithMethod(const NSString& method, const NSString& path);
    void enqueueBatchOfHTTPRequestOperationsWithRequests(const std::vector<std::shared_ptr<NSURLRequest>>& requests,
        ProgressBlock progressBlock, CompletionBlock completionBlock);
    // Progress runs after each operation's own completion, on its success callback queue (the
    // main queue by default); the completion once, on the main queue, after all of them.
    void enqueueBatchOfHTTPRequestOperations(const std::vector<std::shared_ptr<RQHTTPRequestOperation>>& operations,
        ProgressBlock progressBlock, CompletionBlock completionBlock);

    void getPath(const NSString& path, const std::shared_ptr<NSDictionary>& parameters, SuccessBlock success, FailureBlock failure);
    void postPath(const NSString& path, const std::shared_ptr<NSDictionary>& parameters, SuccessBlock success, FailureBlock failure);
    void putPath(const NSString& path, const std::shared_ptr<NSDictionary>& parameters, SuccessBlock success, FailureBlock failure);
    void deletePath(const NSString& path, const std::shared_ptr<NSDictionary>& parameters, SuccessBlock success, FailureBlock failure);
    void patchPath(const NSString& path, const std::shared_ptr<NSDictionary>& parameters, SuccessBlock success, FailureBlock failure);

    NSString description() const override;
    // A client of the same class: same base URL, encodings, class names and default headers; a
    // queue and settings of its own.
    id copy() const override;
    void encodeWithCoder(NSCoder& coder) const override;

    // The operation classes any client may pick by name.
    struct OperationClass {
        std::function<bool(const std::shared_ptr<NSURLRequest>&)> canProcessRequest;
        std::function<std::shared_ptr<RQHTTPRequestOperation>(const std::shared_ptr<NSURLRequest>&)> make;
    };
    static void registerOperationClass(const NSString& className, OperationClass operationClass);

protected:
    // Plain init is refused: a client needs its base URL.
    [[noreturn]] void init();
    // initWithBaseURL:
    bool init(const std::shared_ptr<NSURL>& URL);
    // initWithCoder:
    bool init(NSCoder& coder);
    // A new client of the receiver's own class for the base URL; a subclass answers with its own
    // create(), so that a copy keeps its class.
    virtual std::shared_ptr<RQHTTPClient> makeClient(const std::shared_ptr<NSURL>& URL) const { return create(URL); }

private:
    void enqueue(const NSString& method, const NSString& path, const std::shared_ptr<NSDictionary>& parameters,
        SuccessBlock success, FailureBlock failure);

    std::shared_ptr<NSURL> m_baseURL;
    NSStringEncoding m_stringEncoding { NSUTF8StringEncoding };
    RQHTTPClientParameterEncoding m_parameterEncoding { RQFormURLParameterEncoding };
    std::vector<NSString> m_registeredHTTPOperationClassNames;
    std::shared_ptr<NSMutableDictionary> m_defaultHeaders;
    std::shared_ptr<NSURLCredential> m_defaultCredential;
    std::shared_ptr<NSOperationQueue> m_operationQueue;
    RQURLConnectionOperationSSLPinningMode m_defaultSSLPinningMode { RQSSLPinningModeNone };
    bool m_allowsInvalidSSLCertificate { false };
};

template <class Operation>
bool RQHTTPClient::registerHTTPOperationClass()
{
    if constexpr (!std::is_base_of_v<RQHTTPRequestOperation, Operation>) {
        return false;
    } else {
        registerOperationClass(Operation::staticClassName(),
            { [](const std::shared_ptr<NSURLRequest>& request) { return Operation::canProcessRequest(request); },
                [](const std::shared_ptr<NSURLRequest>& request) -> std::shared_ptr<RQHTTPRequestOperation> { return Operation::create(request); } });
        return registerHTTPOperationClassNamed(Operation::staticClassName());
    }
}

// The languages in order with falling quality, "fr;q=1, de;q=0.9, ..."; the list stops after the
// first quality of 0.5 or less, so at most six are sent.
NSString RQAcceptLanguageHeaderValue(const std::shared_ptr<NSArray>& languages);
// "Basic " and the Base64 of "username:password" in UTF-8.
NSString RQBasicAuthorizationHeaderValue(const NSString& username, const NSString& password);
