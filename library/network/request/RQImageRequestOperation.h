#pragma once
// An HTTP request operation whose body becomes an image at the screen's scale, decoded once
// on the class's processing queue and drawn into a bitmap unless asked not to.

#include "library/network/request/RQTypedOperationClass.h"
#include "platform/foundation/Mutex.h"
#include "platform/uikit/UIImage.h"

class RQImageRequestOperation : public RQHTTPRequestOperation {
    NS_OBJECT(RQImageRequestOperation, RQHTTPRequestOperation)
public:
    using ImageSuccessBlock = std::function<void(const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&, const UIImageRef&)>;
    using ImageFailureBlock = std::function<void(const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&,
        const std::shared_ptr<NSError>&)>;
    using ProcessingBlock = std::function<UIImageRef(const UIImageRef&)>;

    static std::shared_ptr<RQImageRequestOperation> imageRequestOperationWithRequest(const std::shared_ptr<NSURLRequest>& request,
        ProcessingBlock processing, ImageSuccessBlock success, ImageFailureBlock failure);
    static std::shared_ptr<RQImageRequestOperation> imageRequestOperationWithRequest(const std::shared_ptr<NSURLRequest>& request,
        std::function<void(const UIImageRef&)> success);

    UIImageRef responseImage();
    CGFloat imageScale() const;
    // A new scale drops the image decoded at the old one.
    void setImageScale(CGFloat scale);
    bool automaticallyInflatesResponseImage() const { return m_inflates; }
    void setAutomaticallyInflatesResponseImage(bool inflates) { m_inflates = inflates; }

    // Success receives the operation and the image.
    void setCompletionBlockWithSuccess(SuccessBlock success, FailureBlock failure) override;

    static std::shared_ptr<NSSet> defaultContentTypes();
    static bool acceptsPathExtension(const NSString& extension);
    static std::shared_ptr<NSSet> acceptableContentTypes() { return RQTypedOperationClass<RQImageRequestOperation>::acceptableContentTypes(); }
    static void addAcceptableContentTypes(const std::shared_ptr<NSSet>& types) { RQTypedOperationClass<RQImageRequestOperation>::addAcceptableContentTypes(types); }
    static std::shared_ptr<const RQStatusCodeSet> acceptableStatusCodes() { return RQTypedOperationClass<RQImageRequestOperation>::acceptableStatusCodes(); }
    static void addAcceptableStatusCodes(const std::shared_ptr<const RQStatusCodeSet>& codes) { RQTypedOperationClass<RQImageRequestOperation>::addAcceptableStatusCodes(codes); }
    static bool canProcessRequest(const std::shared_ptr<NSURLRequest>& request) { return RQTypedOperationClass<RQImageRequestOperation>::canProcessRequest(request); }
    static dispatch_queue_t processingQueue();

protected:
    void init(const std::shared_ptr<NSURLRequest>& request);
    std::vector<std::string> acceptedSetsChain() const override { return RQTypedOperationClass<RQImageRequestOperation>::chain(); }
    id responseObject() override { return responseImage(); }
    std::shared_ptr<RQURLConnectionOperation> makeCopy(const std::shared_ptr<NSURLRequest>& request) const override { return create(request); }

private:
    mutable Mutex m_imageMutex;
    UIImageRef m_responseImage GUARDED_BY(m_imageMutex);
    CGFloat m_imageScale GUARDED_BY(m_imageMutex) { 1 };
    std::atomic<bool> m_inflates { true };
};
