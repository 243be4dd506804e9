#pragma once
// HTTP request operations that turn a finished body into a typed object, parsed lazily and
// once on a concurrent queue of each class, delivered through the success and failure blocks.
// Each class has its own accepted content types and status codes: changing them for one class
// changes neither its base nor its siblings.

#include "library/network/RQHTTPRequestOperation.h"
#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSXMLParser.h"
#include "platform/uikit/UIImage.h"

// The JSON reading options, as the platform numbers them. Leaves are always immutable text.
enum : NSUInteger {
    NSJSONReadingMutableContainers = 1 << 0,
    NSJSONReadingMutableLeaves = 1 << 1,
    NSJSONReadingAllowFragments = 1 << 2,
};

// The accepted sets and the request test of one typed class, answered for that class alone.
template <class Operation>
struct RQTypedOperationClass {
    static std::vector<std::string> chain() { return { Operation::staticClassName(), RQHTTPRequestOperation::staticClassName() }; }
    static void seed()
    {
        static std::once_flag once;
        std::call_once(once, [] { RQHTTPRequestOperation::addAcceptableContentTypesFor(Operation::staticClassName(), Operation::defaultContentTypes(), {}); });
    }
    static std::shared_ptr<NSSet> acceptableContentTypes()
    {
        seed();
        return RQHTTPRequestOperation::acceptableContentTypesFor(Operation::staticClassName(), {});
    }
    static void addAcceptableContentTypes(const std::shared_ptr<NSSet>& types)
    {
        seed();
        RQHTTPRequestOperation::addAcceptableContentTypesFor(Operation::staticClassName(), types, {});
    }
    static std::shared_ptr<const RQStatusCodeSet> acceptableStatusCodes()
    {
        return RQHTTPRequestOperation::acceptableStatusCodesFor(Operation::staticClassName(), { RQHTTPRequestOperation::staticClassName() });
    }
    static void addAcceptableStatusCodes(const std::shared_ptr<const RQStatusCodeSet>& codes)
    {
        RQHTTPRequestOperation::addAcceptableStatusCodesFor(Operation::staticClassName(), codes, { RQHTTPRequestOperation::staticClassName() });
    }
    // The URL's path extension (exact), else an Accept field naming one of the class's types.
    static bool canProcessRequest(const std::shared_ptr<NSURLRequest>& request)
    {
        if (!request || !request->URL())
            return false;
        if (Operation::acceptsPathExtension(request->URL()->pathExtension()))
            return true;
        auto accepted = RQContentTypesFromHTTPHeader(request->valueForHTTPHeaderField("Accept"));
        auto types = acceptableContentTypes();
        return accepted && types && accepted->intersectsSet(types);
    }
};

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
    bool m_parsed { false };
    id m_responseJSON;
    NSUInteger m_readingOptions { 0 };
    std::shared_ptr<NSError> m_JSONError;
};

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
