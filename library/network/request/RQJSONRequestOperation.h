#pragma once
// An HTTP request operation whose body becomes JSON objects, parsed once with the reading
// options set, on the class's processing queue.

#include "library/network/request/RQTypedOperationClass.h"
#include "library/network/shared/NSJSONReadingOptions.h"

class RQJSONRequestOperation : public RQHTTPRequestOperation {
    NS_OBJECT(RQJSONRequestOperation, RQHTTPRequestOperation)
public:
    using JSONSuccessBlock = std::function<void(const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&, const id&)>;
    using JSONFailureBlock = std::function<void(const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&,
        const std::shared_ptr<NSError>&, const id&)>;

    static std::shared_ptr<RQJSONRequestOperation> JSONRequestOperationWithRequest(const std::shared_ptr<NSURLRequest>& request,
        JSONSuccessBlock success, JSONFailureBlock failure);

    // Parsed once, on first read after the operation finished. A body of one blank gives no
    // object and no error; a body that is not text in its declared encoding is an error.
    id responseJSON();
    NSUInteger JSONReadingOptions() const;
    void setJSONReadingOptions(NSUInteger options);
    std::shared_ptr<NSError> JSONError() const;
    std::shared_ptr<NSError> error() const override;

    void setCompletionBlockWithSuccess(SuccessBlock success, FailureBlock failure) override;

    static std::shared_ptr<NSSet> defaultContentTypes();
    static bool acceptsPathExtension(const NSString& extension) { return extension == "json"; }
    static std::shared_ptr<NSSet> acceptableContentTypes() { return RQTypedOperationClass<RQJSONRequestOperation>::acceptableContentTypes(); }
    static void addAcceptableContentTypes(const std::shared_ptr<NSSet>& types) { RQTypedOperationClass<RQJSONRequestOperation>::addAcceptableContentTypes(types); }
    static std::shared_ptr<const RQStatusCodeSet> acceptableStatusCodes() { return RQTypedOperationClass<RQJSONRequestOperation>::acceptableStatusCodes(); }
    static void addAcceptableStatusCodes(const std::shared_ptr<const RQStatusCodeSet>& codes) { RQTypedOperationClass<RQJSONRequestOperation>::addAcceptableStatusCodes(codes); }
    static bool canProcessRequest(const std::shared_ptr<NSURLRequest>& request) { return RQTypedOperationClass<RQJSONRequestOperation>::canProcessRequest(request); }
    static dispatch_queue_t processingQueue();

protected:
    void init(const std::shared_ptr<NSURLRequest>& request);
    std::vector<std::string> acceptedSetsChain() const override { return RQTypedOperationClass<RQJSONRequestOperation>::chain(); }
    id responseObject() override { return responseJSON(); }
    std::shared_ptr<RQURLConnectionOperation> makeCopy(const std::shared_ptr<NSURLRequest>& request) const override { return create(request); }

private:
    // Parsed under this lock alone: the operation's own lock is never taken while it is held.
    struct JSONState {
        bool parsed { false };
        id responseJSON;
        NSUInteger readingOptions { 0 };
        std::shared_ptr<NSError> JSONError;
    };
    Guarded<JSONState> m_JSON;
};
