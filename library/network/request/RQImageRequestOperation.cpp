#include "library/network/request/RQImageRequestOperation.h"

#include "library/network/shared/RIImageDecoding.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/imageio/CGImageSource.h"
#include "platform/uikit/UIScreen.h"

namespace {
using Typed = RQTypedOperationClass<RQImageRequestOperation>;
}

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
    return Typed::setOf({ "image/tiff", "image/jpeg", "image/gif", "image/png", "image/ico", "image/x-icon", "image/bmp", "image/x-bmp",
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
    static const NeverDestroyed<dispatch_queue_t> queue(Typed::processingQueueNamed("com.pembrocat.networking.image-request.processing"));
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
    setCompletionBlock(Typed::typedCompletion(std::weak_ptr(self()), processingQueue(), false, failure,
        [success, failure](const std::shared_ptr<RQImageRequestOperation>& operation) {
            if (auto error = operation->error())
                Typed::answer(operation, error, nullptr, success, failure);
            else if (success)
                Typed::answer(operation, nullptr, operation->responseImage(), success, failure);
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
                Typed::callOn(op->successCallbackQueue(), [op, success, processed] { success(op->request(), op->response(), processed); });
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
