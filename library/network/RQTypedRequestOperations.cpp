#include "library/network/RQTypedRequestOperations.h"

#include "library/json/JCArray.h"
#include "library/json/JSONDecoder.h"
#include "library/network/RIImageDecoding.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/imageio/CGImageSource.h"
#include "platform/uikit/UIScreen.h"

namespace {

dispatch_queue_t processingQueueNamed(const char* label)
{
    return dispatch_queue_create(label, DISPATCH_QUEUE_CONCURRENT);
}

std::shared_ptr<NSSet> setOf(std::initializer_list<const char*> texts)
{
    auto set = NSMutableSet::set();
    for (const char* text : texts)
        set->addObject(NSString(text));
    return set;
}

template <class Block, class... Args>
void callOn(const dispatch_queue_t& queue, Block block, Args... args)
{
    dispatch_async(queue ? queue : dispatch_get_main_queue(), [block, args...] { block(args...); });
}

// The failure block with the error, else the success block with the response, each on its queue.
void answer(const std::shared_ptr<RQHTTPRequestOperation>& operation, const std::shared_ptr<NSError>& error, const id& response,
    const RQHTTPRequestOperation::SuccessBlock& success, const RQHTTPRequestOperation::FailureBlock& failure)
{
    if (error) {
        if (failure)
            callOn(operation->failureCallbackQueue(), failure, operation, error);
    } else if (success) {
        callOn(operation->successCallbackQueue(), success, operation, response);
    }
}

// A typed operation's completion: once the operation has finished (and still lives), `process`
// runs on the class's processing queue. With `failFirst`, an error the reply already has goes to
// the failure block from the finishing thread instead, and nothing is processed; the classes
// differ in this on purpose.
template <class Operation, class Process>
std::function<void()> typedCompletion(std::weak_ptr<Operation> weakSelf, dispatch_queue_t queue, bool failFirst,
    RQHTTPRequestOperation::FailureBlock failure, Process process)
{
    return [weakSelf, queue, failFirst, failure, process] {
        auto operation = weakSelf.lock();
        if (!operation)
            return;
        if (failFirst) {
            if (auto error = operation->error()) {
                answer(operation, error, nullptr, nullptr, failure);
                return;
            }
        }
        dispatch_async(queue, [operation, process] { process(operation); });
    };
}

} // namespace

// --- image

void RQImageRequestOperation::init(const std::shared_ptr<NSURLRequest>& request)
{
    RQTypedOperationClass<RQImageRequestOperation>::seed();
    RQHTTPRequestOperation::init(request);
    const CGFloat scale = UIScreen::mainScreen()->scale();
    {
        MutexLocker lock(m_imageMutex);
        m_imageScale = scale;
    }
    m_inflates = true;
}

std::shared_ptr<NSSet> RQImageRequestOperation::defaultContentTypes()
{
    return setOf({ "image/tiff", "image/jpeg", "image/gif", "image/png", "image/ico", "image/x-icon", "image/bmp", "image/x-bmp",
        "image/x-xbitmap", "image/x-win-bitmap" });
}

bool RQImageRequestOperation::acceptsPathExtension(const NSString& extension)
{
    static const NeverDestroyed<std::set<std::string>> extensions(
        std::initializer_list<std::string> { "tif", "tiff", "jpg", "jpeg", "gif", "png", "ico", "bmp", "cur" });
    return !extension.isNil() && extensions.get().contains(extension.UTF8String());
}

dispatch_queue_t RQImageRequestOperation::processingQueue()
{
    static const NeverDestroyed<dispatch_queue_t> queue(processingQueueNamed("com.pembrocat.networking.image-request.processing"));
    return queue.get();
}

CGFloat RQImageRequestOperation::imageScale() const
{
    MutexLocker lock(m_imageMutex);
    return m_imageScale;
}

void RQImageRequestOperation::setImageScale(CGFloat scale)
{
    MutexLocker lock(m_imageMutex);
    if (scale == m_imageScale)
        return;
    m_imageScale = scale;
    m_responseImage = nullptr;
}

UIImageRef RQImageRequestOperation::responseImage()
{
    auto data = responseData();
    CGFloat scale = 1;
    {
        MutexLocker lock(m_imageMutex);
        if (m_responseImage || !data || data->length() == 0 || !isFinished())
            return m_responseImage;
        scale = m_imageScale;
    }
    UIImageRef image;
    auto decoded = UIImage::imageWithData(data, scale);
    if (decoded && !m_inflates) {
        image = UIImage::imageWithCGImage(decoded->CGImage(), scale, decoded->imageOrientation());
    } else if (decoded) {
        image = decoded;
        if (decoded->images().empty()) {
            // The type the server named picks the decoder; the redraw leaves decoded pixels.
            CGImageRef bitmap;
            const NSString type = response() ? response()->MIMEType() : NSString();
            auto provider = CGDataProviderCreateWithCFData(std::span<const std::uint8_t>(data->bytes(), data->length()));
            if (type == "image/png")
                bitmap = CGImageCreateWithPNGDataProvider(provider, nullptr, true, kCGRenderingIntentDefault);
            else if (type == "image/jpeg")
                bitmap = CGImageCreateWithJPEGDataProvider(provider, nullptr, true, kCGRenderingIntentDefault);
            if (!bitmap)
                bitmap = decoded->CGImage();
            if (bitmap)
                image = UIImage_ForceDecode::decodedImageWithImage(UIImage::imageWithCGImage(bitmap, scale, decoded->imageOrientation()));
        }
    }
    MutexLocker lock(m_imageMutex);
    if (!m_responseImage && scale == m_imageScale)
        m_responseImage = image;
    return image;
}

void RQImageRequestOperation::setCompletionBlockWithSuccess(SuccessBlock success, FailureBlock failure)
{
    // The error is looked at on the processing queue, and the image made only for a success block.
    setCompletionBlock(typedCompletion(std::weak_ptr(self()), processingQueue(), false, failure,
        [success, failure](const std::shared_ptr<RQImageRequestOperation>& operation) {
            if (auto error = operation->error())
                answer(operation, error, nullptr, success, failure);
            else if (success)
                answer(operation, nullptr, operation->responseImage(), success, failure);
        }));
}

std::shared_ptr<RQImageRequestOperation> RQImageRequestOperation::imageRequestOperationWithRequest(const std::shared_ptr<NSURLRequest>& request,
    ProcessingBlock processing, ImageSuccessBlock success, ImageFailureBlock failure)
{
    auto operation = create(request);
    if (!operation)
        return nullptr;
    SuccessBlock onSuccess;
    if (success) {
        onSuccess = [processing, success](const std::shared_ptr<RQHTTPRequestOperation>& op, const id& object) {
            auto image = std::static_pointer_cast<UIImage>(object);
            if (!processing) {
                success(op->request(), op->response(), image);
                return;
            }
            dispatch_async(processingQueue(), [op, processing, success, image] {
                auto processed = processing(image);
                callOn(op->successCallbackQueue(), [op, success, processed] { success(op->request(), op->response(), processed); });
            });
        };
    }
    FailureBlock onFailure;
    if (failure) {
        onFailure = [failure](const std::shared_ptr<RQHTTPRequestOperation>& op, const std::shared_ptr<NSError>& error) {
            failure(op->request(), op->response(), error);
        };
    }
    operation->setCompletionBlockWithSuccess(onSuccess, onFailure);
    return operation;
}

std::shared_ptr<RQImageRequestOperation> RQImageRequestOperation::imageRequestOperationWithRequest(const std::shared_ptr<NSURLRequest>& request,
    std::function<void(const UIImageRef&)> success)
{
    ImageSuccessBlock onSuccess;
    if (success)
        onSuccess = [success](const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&, const UIImageRef& image) { success(image); };
    return imageRequestOperationWithRequest(request, nullptr, onSuccess, nullptr);
}

// --- property list

void RQPropertyListRequestOperation::init(const std::shared_ptr<NSURLRequest>& request)
{
    RQTypedOperationClass<RQPropertyListRequestOperation>::seed();
    RQHTTPRequestOperation::init(request);
    MutexLocker lock(m_plistMutex);
    m_readOptions = 0;
}

std::shared_ptr<NSSet> RQPropertyListRequestOperation::defaultContentTypes() { return setOf({ "application/x-plist" }); }

dispatch_queue_t RQPropertyListRequestOperation::processingQueue()
{
    static const NeverDestroyed<dispatch_queue_t> queue(processingQueueNamed("com.pembrocat.networking.property-list-request.processing"));
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
    setCompletionBlock(typedCompletion(std::weak_ptr(self()), processingQueue(), true, failure,
        [success, failure](const std::shared_ptr<RQPropertyListRequestOperation>& operation) {
            id plist = operation->responsePropertyList();
            answer(operation, operation->propertyListError(), plist, success, failure);
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

// --- JSON

void RQJSONRequestOperation::init(const std::shared_ptr<NSURLRequest>& request)
{
    RQTypedOperationClass<RQJSONRequestOperation>::seed();
    RQHTTPRequestOperation::init(request);
}

std::shared_ptr<NSSet> RQJSONRequestOperation::defaultContentTypes() { return setOf({ "application/json", "text/json", "text/javascript" }); }

dispatch_queue_t RQJSONRequestOperation::processingQueue()
{
    static const NeverDestroyed<dispatch_queue_t> queue(processingQueueNamed("com.pembrocat.networking.json-request.processing"));
    return queue.get();
}

NSUInteger RQJSONRequestOperation::JSONReadingOptions() const
{
    std::lock_guard lock(*m_lock);
    return m_readingOptions;
}

void RQJSONRequestOperation::setJSONReadingOptions(NSUInteger options)
{
    std::lock_guard lock(*m_lock);
    m_readingOptions = options;
}

std::shared_ptr<NSError> RQJSONRequestOperation::JSONError() const
{
    std::lock_guard lock(*m_lock);
    return m_JSONError;
}

std::shared_ptr<NSError> RQJSONRequestOperation::error() const
{
    if (auto own = JSONError())
        return own;
    return RQHTTPRequestOperation::error();
}

id RQJSONRequestOperation::responseJSON()
{
    std::lock_guard lock(*m_lock);
    auto data = responseData();
    if (m_parsed || !data || data->length() == 0 || !isFinished())
        return m_responseJSON;
    m_parsed = true;
    const NSString text = responseString();
    if (text.isNil()) {
        // Bytes that are not text in the reply's encoding are not an empty reply.
        auto userInfo = NSMutableDictionary::dictionary();
        userInfo->setObject(static_cast<id>(NSString("Operation responseData failed decoding as a UTF-8 string")), static_cast<id>(NSString(NSLocalizedDescriptionKey)));
        userInfo->setObject(static_cast<id>(NSString::stringWithFormat("Could not decode string: %@", text)),
            static_cast<id>(NSString(NSLocalizedFailureReasonErrorKey)));
        m_JSONError = NSError::errorWithDomain(RQNetworkingErrorDomain, -1016, userInfo);
        return nullptr;
    }
    if (text == " ")
        return nullptr;
    // The reply's text has no byte-order mark left: decoding drops it.
    const std::string bytes = text.UTF8String();
    auto decoder = JSONDecoder::decoder();
    const bool mutableContainers = m_readingOptions & NSJSONReadingMutableContainers;
    auto parse = [&](const std::string& json, NSErrorPointer error) {
        return mutableContainers ? decoder->mutableObjectWithUTF8String(json.data(), json.size(), error)
                                 : decoder->objectWithUTF8String(json.data(), json.size(), error);
    };
    std::shared_ptr<NSError> error;
    m_responseJSON = parse(bytes, &error);
    if (!m_responseJSON && (m_readingOptions & NSJSONReadingAllowFragments)) {
        // The decoder reads collections only: a lone value is read as an array's one element.
        std::shared_ptr<NSError> ignored;
        auto array = std::dynamic_pointer_cast<NSArray>(parse("[" + bytes + "]", &ignored));
        if (array && array->count() == 1) {
            m_responseJSON = array->objectAtIndex(0);
            error = nullptr;
        }
    }
    m_JSONError = m_responseJSON ? nullptr : error;
    return m_responseJSON;
}

void RQJSONRequestOperation::setCompletionBlockWithSuccess(SuccessBlock success, FailureBlock failure)
{
    // Parsed on the processing queue, never on the thread that finished the request or on main.
    setCompletionBlock(typedCompletion(std::weak_ptr(self()), processingQueue(), true, failure,
        [success, failure](const std::shared_ptr<RQJSONRequestOperation>& operation) {
            id JSON = operation->responseJSON();
            answer(operation, operation->error(), JSON, success, failure);
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
            id JSON;
            {
                std::lock_guard lock(*typed->m_lock);
                JSON = typed->m_responseJSON;
            }
            failure(op->request(), op->response(), error, JSON);
        };
    }
    operation->setCompletionBlockWithSuccess(onSuccess, onFailure);
    return operation;
}

// --- XML

void RQXMLRequestOperation::init(const std::shared_ptr<NSURLRequest>& request)
{
    RQTypedOperationClass<RQXMLRequestOperation>::seed();
    RQHTTPRequestOperation::init(request);
}

std::shared_ptr<NSSet> RQXMLRequestOperation::defaultContentTypes() { return setOf({ "application/xml", "text/xml" }); }

dispatch_queue_t RQXMLRequestOperation::processingQueue()
{
    static const NeverDestroyed<dispatch_queue_t> queue(processingQueueNamed("com.pembrocat.networking.xml-request.processing"));
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
    setCompletionBlock(typedCompletion(std::weak_ptr(self()), processingQueue(), false, failure,
        [success, failure](const std::shared_ptr<RQXMLRequestOperation>& operation) {
            id parser = operation->responseXMLParser();
            answer(operation, operation->error(), parser, success, failure);
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
