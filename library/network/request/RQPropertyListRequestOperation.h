#pragma once
// An HTTP request operation whose body becomes a property list, parsed once with the read
// options set, on the class's processing queue.

#include "library/network/request/RQTypedOperationClass.h"
#include "platform/foundation/Mutex.h"

class RQPropertyListRequestOperation : public RQHTTPRequestOperation {
    NS_OBJECT(RQPropertyListRequestOperation, RQHTTPRequestOperation)
public:
    using PlistSuccessBlock = std::function<void(const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&, const id&)>;
    using PlistFailureBlock = std::function<void(const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&,
        const std::shared_ptr<NSError>&, const id&)>;

    static std::shared_ptr<RQPropertyListRequestOperation> propertyListRequestOperationWithRequest(const std::shared_ptr<NSURLRequest>& request,
        PlistSuccessBlock success, PlistFailureBlock failure);

    id responsePropertyList();
    NSUInteger propertyListReadOptions() const
    {
        MutexLocker lock(m_plistMutex);
        return m_readOptions;
    }
    void setPropertyListReadOptions(NSUInteger options)
    {
        MutexLocker lock(m_plistMutex);
        m_readOptions = options;
    }
    NSUInteger propertyListFormat() const;
    std::shared_ptr<NSError> propertyListError() const;
    std::shared_ptr<NSError> error() const override;

    void setCompletionBlockWithSuccess(SuccessBlock success, FailureBlock failure) override;

    static std::shared_ptr<NSSet> defaultContentTypes();
    static bool acceptsPathExtension(const NSString& extension) { return extension == "plist"; }
    static std::shared_ptr<NSSet> acceptableContentTypes() { return RQTypedOperationClass<RQPropertyListRequestOperation>::acceptableContentTypes(); }
    static void addAcceptableContentTypes(const std::shared_ptr<NSSet>& types) { RQTypedOperationClass<RQPropertyListRequestOperation>::addAcceptableContentTypes(types); }
    static std::shared_ptr<const RQStatusCodeSet> acceptableStatusCodes() { return RQTypedOperationClass<RQPropertyListRequestOperation>::acceptableStatusCodes(); }
    static void addAcceptableStatusCodes(const std::shared_ptr<const RQStatusCodeSet>& codes) { RQTypedOperationClass<RQPropertyListRequestOperation>::addAcceptableStatusCodes(codes); }
    static bool canProcessRequest(const std::shared_ptr<NSURLRequest>& request) { return RQTypedOperationClass<RQPropertyListRequestOperation>::canProcessRequest(request); }
    static dispatch_queue_t processingQueue();

protected:
    void init(const std::shared_ptr<NSURLRequest>& request);
    std::vector<std::string> acceptedSetsChain() const override { return RQTypedOperationClass<RQPropertyListRequestOperation>::chain(); }
    id responseObject() override { return responsePropertyList(); }
    std::shared_ptr<RQURLConnectionOperation> makeCopy(const std::shared_ptr<NSURLRequest>& request) const override { return create(request); }

private:
    mutable Mutex m_plistMutex;
    bool m_parsed GUARDED_BY(m_plistMutex) { false };
    id m_responsePropertyList GUARDED_BY(m_plistMutex);
    NSUInteger m_readOptions GUARDED_BY(m_plistMutex) { 0 };
    NSUInteger m_format GUARDED_BY(m_plistMutex) { 0 };
    std::shared_ptr<NSError> m_propertyListError GUARDED_BY(m_plistMutex);
};
