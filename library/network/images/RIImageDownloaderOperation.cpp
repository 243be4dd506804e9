#include "library/network/images/RIImageDownloaderOperation.h"

#include "library/network/shared/RIImageDecoding.h"
#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSMachPort.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/foundation/TypedValues.h"
#include "platform/graphics/CGBitmapContext.h"
#include "platform/graphics/CGContext.h"
#include "platform/net/NSHTTPURLResponse.h"
#include "platform/net/NSURLAuthenticationChallenge.h"
#include "platform/net/NSURLCache.h"
#include "platform/net/NSURLError.h"
#include "platform/net/NSURLProtectionSpace.h"
#include "platform/security/SecTrust.h"
#include "platform/uikit/UIApplication.h"

namespace {

void onMainSync(const std::function<void()>& block)
{
    if (NSThread::isMainThread())
        block();
    else
        dispatch_sync(dispatch_get_main_queue(), block);
}

void postOnMain(const char* name, const id& object)
{
    dispatch_async(dispatch_get_main_queue(), [name, object] { NSNotificationCenter::defaultCenter()->postNotificationName(name, object); });
}

} // namespace

void RIImageDownloaderOperation::init(const std::shared_ptr<NSURLRequest>& request, NSUInteger options,
    RIImageDownloaderProgressBlock progress, RIImageDownloaderCompletedBlock completed, std::function<void()> cancelled)
{
    m_request = request;
    m_options = options;
    m_progressBlock = std::move(progress);
    m_completedBlock = std::move(completed);
    m_cancelBlock = std::move(cancelled);
}

RIImageDownloaderOperation::~RIImageDownloaderOperation() = default;

std::shared_ptr<NSURLCredential> RIImageDownloaderOperation::credential() const
{
    std::lock_guard lock(m_lock);
    return m_credential;
}

void RIImageDownloaderOperation::setCredential(const std::shared_ptr<NSURLCredential>& credential)
{
    std::lock_guard lock(m_lock);
    m_credential = credential;
}

void RIImageDownloaderOperation::setCacheKeyProvider(RIImageCacheKeyProvider provider)
{
    std::lock_guard lock(m_lock);
    m_keyProvider = std::move(provider);
}

NSString RIImageDownloaderOperation::cacheKey() const
{
    std::lock_guard lock(m_lock);
    auto url = m_request ? m_request->URL() : nullptr;
    if (!url)
        return NSString();
    return m_keyProvider ? m_keyProvider(url) : url->absoluteString();
}

bool RIImageDownloaderOperation::isExecuting() const
{
    std::lock_guard lock(m_lock);
    return m_executing;
}

bool RIImageDownloaderOperation::isFinished() const
{
    std::lock_guard lock(m_lock);
    return m_finished;
}

void RIImageDownloaderOperation::setExecuting(bool executing)
{
    willChangeValueForKey("isExecuting");
    {
        std::lock_guard lock(m_lock);
        m_executing = executing;
    }
    didChangeValueForKey("isExecuting");
}

void RIImageDownloaderOperation::setFinished(bool finished)
{
    willChangeValueForKey("isFinished");
    {
        std::lock_guard lock(m_lock);
        m_finished = finished;
    }
    didChangeValueForKey("isFinished");
}

UIImageOrientation RIImageDownloaderOperation::orientationFromPropertyValue(NSInteger value)
{
    // The same table as the decoder's; values outside 32 bits are no orientation.
    if (value < 1 || value > 8)
        return UIImageOrientationUp;
    return UIImage_MultiFormat::ri_exifOrientationToiOSOrientation(std::int32_t(value));
}

UIImageRef RIImageDownloaderOperation::scaledImageForKey(const NSString& key, const UIImageRef& image) const
{
    return RIScaledImageForKey(key, image);
}

void RIImageDownloaderOperation::start()
{
    std::shared_ptr<NSURLConnection> connection;
    {
        std::lock_guard lock(m_lock);
        if (NSOperation::isCancelled() || m_finished) {
            if (!m_finished)
                setFinished(true);
            reset();
            return;
        }
        if (shouldContinueWhenAppEntersBackground()) {
            if (auto application = UIApplication::sharedApplication()) {
                std::weak_ptr<RIImageDownloaderOperation> weakSelf = std::static_pointer_cast<RIImageDownloaderOperation>(self());
                m_backgroundTaskId = application->beginBackgroundTaskWithExpirationHandler([weakSelf] {
                    auto operation = weakSelf.lock();
                    if (!operation)
                        return;
                    operation->cancel();
                    NSUInteger task = 0;
                    {
                        std::lock_guard inner(operation->m_lock);
                        task = std::exchange(operation->m_backgroundTaskId, UIBackgroundTaskInvalid);
                    }
                    if (task != UIBackgroundTaskInvalid)
                        UIApplication::sharedApplication()->endBackgroundTask(task);
                });
            }
        }
        setExecuting(true);
        connection = NSURLConnection::create(m_request, std::static_pointer_cast<RIImageDownloaderOperation>(self()), false);
        m_connection = connection;
        m_runLoop = NSRunLoop::currentRunLoop();
    }
    if (connection) {
        auto runLoop = NSRunLoop::currentRunLoop();
        connection->scheduleInRunLoop(runLoop, NSDefaultRunLoopMode);
        connection->start();
        RIImageDownloaderProgressBlock progress;
        {
            std::lock_guard lock(m_lock);
            progress = m_progressBlock;
        }
        if (progress)
            progress(0, -1);
        postOnMain(RIImageDownloadStartNotification, self());
        // A port keeps the loop waiting while the transfer has nothing registered yet.
        auto port = NSMachPort::port();
        runLoop->addPort(port, NSDefaultRunLoopMode);
        for (;;) {
            {
                std::lock_guard lock(m_lock);
                if (m_stopped || m_finished)
                    break;
            }
            runLoop->runMode(NSDefaultRunLoopMode, NSDate::dateWithTimeIntervalSinceNow(1));
        }
        runLoop->removePort(port, NSDefaultRunLoopMode);
        if (!isFinished()) {
            connection->cancel();
            auto userInfo = NSMutableDictionary::dictionary();
            if (m_request && m_request->URL())
                userInfo->setObject(m_request->URL(), NSURLErrorFailingURLErrorKey);
            didFailWithError(*connection, NSError::errorWithDomain(NSURLErrorDomain, NSURLErrorTimedOut, userInfo));
        }
    } else {
        RIImageDownloaderCompletedBlock completed;
        {
            std::lock_guard lock(m_lock);
            completed = m_completedBlock;
        }
        if (completed)
            completed(nullptr, nullptr, NSError::errorWithDomain(NSURLErrorDomain, 0, "Connection can't be initialized"), true);
        done();
    }
    NSUInteger task = 0;
    {
        std::lock_guard lock(m_lock);
        task = std::exchange(m_backgroundTaskId, UIBackgroundTaskInvalid);
    }
    if (task != UIBackgroundTaskInvalid)
        if (auto application = UIApplication::sharedApplication())
            application->endBackgroundTask(task);
}

void RIImageDownloaderOperation::stopRunLoop()
{
    std::shared_ptr<NSRunLoop> runLoop;
    {
        std::lock_guard lock(m_lock);
        m_stopped = true;
        runLoop = m_runLoop;
    }
    if (runLoop)
        runLoop->wakeUp();
}

void RIImageDownloaderOperation::cancel()
{
    std::shared_ptr<NSRunLoop> runLoop;
    {
        std::lock_guard lock(m_lock);
        if (m_finished)
            return;
        runLoop = m_runLoop;
    }
    if (runLoop) {
        auto self = std::static_pointer_cast<RIImageDownloaderOperation>(NSObject::self());
        runLoop->performBlock([self] { self->cancelInternalAndStop(); });
        runLoop->wakeUp();
    } else {
        cancelInternal();
    }
}

void RIImageDownloaderOperation::cancelInternalAndStop()
{
    if (isFinished())
        return;
    cancelInternal();
    stopRunLoop();
}

void RIImageDownloaderOperation::cancelInternal()
{
    std::function<void()> cancelled;
    std::shared_ptr<NSURLConnection> connection;
    {
        std::lock_guard lock(m_lock);
        if (m_finished)
            return;
        cancelled = m_cancelBlock;
        connection = m_connection;
    }
    NSOperation::cancel();
    if (cancelled)
        cancelled();
    if (connection) {
        connection->cancel();
        postStop(true);
        if (isExecuting())
            setExecuting(false);
        if (!isFinished())
            setFinished(true);
    }
    reset();
}

void RIImageDownloaderOperation::postStop(bool withObject) { postOnMain(RIImageDownloadStopNotification, withObject ? self() : nullptr); }

void RIImageDownloaderOperation::done()
{
    setFinished(true);
    setExecuting(false);
    reset();
}

void RIImageDownloaderOperation::reset()
{
    RIImageDownloaderProgressBlock progress;
    RIImageDownloaderCompletedBlock completed;
    std::function<void()> cancelled;
    std::shared_ptr<NSURLConnection> connection;
    {
        std::lock_guard lock(m_lock);
        // Let go outside the lock: the blocks may hold the last reference to their owners.
        progress.swap(m_progressBlock);
        completed.swap(m_completedBlock);
        cancelled.swap(m_cancelBlock);
        connection.swap(m_connection);
        m_imageData.clear();
        m_imageData.shrink_to_fit();
        m_partialSource = nullptr;
        m_runLoop = nullptr;
    }
}

void RIImageDownloaderOperation::didReceiveResponse(NSURLConnection&, const std::shared_ptr<NSURLResponse>& response)
{
    auto HTTP = std::dynamic_pointer_cast<NSHTTPURLResponse>(response);
    const NSInteger status = HTTP ? HTTP->statusCode() : 200;
    if (!HTTP || (status < 400 && status != 304)) {
        RIImageDownloaderProgressBlock progress;
        long long expected = 0;
        {
            std::lock_guard lock(m_lock);
            expected = response->expectedContentLength() > 0 ? response->expectedContentLength() : 0;
            m_expectedSize = expected;
            m_imageData.clear();
            m_imageData.reserve(std::size_t(std::min<long long>(expected, 64 << 20)));
            progress = m_progressBlock;
        }
        if (progress)
            progress(0, NSInteger(expected));
        return;
    }
    // A 304 has no body to show and nothing here keeps the earlier one, so like any refused
    // reply it ends in one completion with the status as the error.
    std::shared_ptr<NSURLConnection> connection;
    RIImageDownloaderCompletedBlock completed;
    {
        std::lock_guard lock(m_lock);
        connection = m_connection;
        completed = m_completedBlock;
    }
    if (connection)
        connection->cancel();
    postStop(false);
    if (completed)
        completed(nullptr, nullptr, NSError::errorWithDomain(NSURLErrorDomain, status, std::shared_ptr<NSDictionary>()), true);
    stopRunLoop();
    done();
}

void RIImageDownloaderOperation::didReceiveData(NSURLConnection&, const std::shared_ptr<NSData>& data)
{
    RIImageDownloaderProgressBlock progress;
    long long expected = 0;
    std::size_t received = 0;
    bool partial = false;
    {
        std::lock_guard lock(m_lock);
        if (data)
            m_imageData.insert(m_imageData.end(), data->bytes(), data->bytes() + data->length());
        expected = m_expectedSize;
        received = m_imageData.size();
        progress = m_progressBlock;
        partial = (m_options & RIImageFetchProgressive) && m_expectedSize > 0 && m_completedBlock;
    }
    if (partial)
        deliverPartialImage();
    if (progress)
        progress(NSInteger(received), NSInteger(expected));
}

void RIImageDownloaderOperation::deliverPartialImage()
{
    CGImageRef image;
    std::size_t width = 0;
    std::size_t height = 0;
    UIImageOrientation orientation = UIImageOrientationUp;
    {
        std::lock_guard lock(m_lock);
        if (!m_partialSource)
            m_partialSource = CGImageSourceCreateIncremental();
        CGImageSourceUpdateData(m_partialSource, std::span<const std::uint8_t>(m_imageData), false);
        if (m_width + m_height == 0) {
            if (auto properties = CGImageSourceCopyPropertiesAtIndex(m_partialSource, 0)) {
                m_height = std::size_t(std::max<long long>(0, ns::longLongValue(properties->objectForKey(kCGImagePropertyPixelHeight))));
                m_width = std::size_t(std::max<long long>(0, ns::longLongValue(properties->objectForKey(kCGImagePropertyPixelWidth))));
                auto value = properties->objectForKey(kCGImagePropertyOrientation);
                m_orientation = orientationFromPropertyValue(value ? ns::integerValue(value) : 1);
            }
        }
        if (m_width + m_height == 0 || (long long)m_imageData.size() >= m_expectedSize)
            return;
        image = CGImageSourceCreateImageAtIndex(m_partialSource, 0);
        width = m_width;
        height = m_height;
        orientation = m_orientation;
    }
    if (!image || width == 0 || height == 0)
        return;
    auto context = CGBitmapContextCreate(nullptr, width, height, 8, width * 4, CGColorSpaceCreateDeviceRGB(),
        CGBitmapInfo(kCGImageAlphaPremultipliedFirst) | kCGBitmapByteOrder32Little);
    if (!context)
        return;
    // The rows decoded so far sit at the top of the picture, the rest stays clear.
    const CGFloat rows = CGFloat(CGImageGetHeight(image));
    CGContextDrawImage(context, CGRect { { 0, CGFloat(height) - rows }, { CGFloat(width), rows } }, image);
    auto bitmap = CGBitmapContextCreateImage(context);
    if (!bitmap)
        return;
    auto partialImage = scaledImageForKey(cacheKey(), UIImage::imageWithCGImage(bitmap, 1, orientation));
    if (m_shouldDecompressImages)
        partialImage = UIImage_ForceDecode::decodedImageWithImage(partialImage);
    auto self = std::static_pointer_cast<RIImageDownloaderOperation>(NSObject::self());
    onMainSync([self, partialImage] {
        RIImageDownloaderCompletedBlock completed;
        {
            std::lock_guard lock(self->m_lock);
            completed = self->m_completedBlock;
        }
        if (completed)
            completed(partialImage, nullptr, nullptr, false);
    });
}

std::optional<std::shared_ptr<NSCachedURLResponse>> RIImageDownloaderOperation::willCacheResponse(NSURLConnection&,
    const std::shared_ptr<NSCachedURLResponse>& cachedResponse)
{
    std::lock_guard lock(m_lock);
    m_responseFromCached = false;
    if (m_request && m_request->cachePolicy() == NSURLRequestReloadIgnoringLocalCacheData)
        return std::shared_ptr<NSCachedURLResponse>();
    return cachedResponse;
}

void RIImageDownloaderOperation::connectionDidFinishLoading(NSURLConnection&)
{
    RIImageDownloaderCompletedBlock completed;
    std::vector<std::uint8_t> bytes;
    bool fromCache = true;
    {
        std::lock_guard lock(m_lock);
        completed = m_completedBlock;
        bytes.swap(m_imageData);
        m_connection = nullptr;
        if (!NSURLCache::sharedURLCache()->cachedResponseForRequest(m_request))
            m_responseFromCached = false;
        fromCache = m_responseFromCached;
    }
    stopRunLoop();
    postStop(false);
    if (completed) {
        if ((m_options & RIImageFetchIgnoreCachedResponse) && fromCache) {
            completed(nullptr, nullptr, nullptr, true);
        } else {
            auto data = NSData::dataWithBytes(std::move(bytes));
            const NSString type = NSData_ImageContentType::ri_contentTypeForImageData(data);
            // Bytes that start an image but stop or break before its end are never shown half;
            // they may be whole next time, unlike bytes that are no image at all.
            bool incomplete = false;
            if (!type.isNil() && type != "image/webp") {
                auto source = CGImageSourceCreateWithData(data);
                if (source && CGImageSourceGetStatus(source) != kCGImageStatusComplete) {
                    auto properties = CGImageSourceCopyPropertiesAtIndex(source, 0);
                    incomplete = properties && properties->objectForKey(kCGImagePropertyPixelWidth);
                }
            }
            UIImageRef image = incomplete ? nullptr : UIImage_MultiFormat::ri_imageWithData(data);
            image = scaledImageForKey(cacheKey(), image);
            if (image && image->images().empty() && m_shouldDecompressImages)
                image = UIImage_ForceDecode::decodedImageWithImage(image);
            if (incomplete) {
                completed(nullptr, nullptr, NSError::errorWithDomain(RIImageErrorDomain, RIImageErrorIncompleteData, "Downloaded image is incomplete"),
                    true);
            } else if (!image || (image->size().width == 0 && image->size().height == 0)) {
                completed(nullptr, nullptr, NSError::errorWithDomain(RIImageErrorDomain, RIImageErrorNotAnImage, "Downloaded image has 0 pixels"),
                    true);
            } else {
                completed(image, data, nullptr, true);
            }
        }
    }
    done();
}

void RIImageDownloaderOperation::didFailWithError(NSURLConnection&, const std::shared_ptr<NSError>& error)
{
    RIImageDownloaderCompletedBlock completed;
    {
        std::lock_guard lock(m_lock);
        completed = m_completedBlock;
        m_connection = nullptr;
    }
    stopRunLoop();
    postStop(false);
    if (completed)
        completed(nullptr, nullptr, error, true);
    done();
}

bool RIImageDownloaderOperation::willSendRequestForAuthenticationChallenge(NSURLConnection&,
    const std::shared_ptr<NSURLAuthenticationChallenge>& challenge)
{
    auto sender = challenge->sender();
    if (!sender)
        return true;
    auto space = challenge->protectionSpace();
    if (space && space->authenticationMethod() == NSURLAuthenticationMethodServerTrust) {
        // Any certificate only when asked for; otherwise the chain must hold for the host.
        if (m_options & RIImageFetchAllowInvalidCertificates) {
            sender->useCredential(NSURLCredential::credentialForTrust(space->serverTrust()), challenge);
            return true;
        }
        SecTrustResultType result = kSecTrustResultInvalid;
        const bool trusted = space->serverTrust() && SecTrustEvaluate(space->serverTrust(), &result) == errSecSuccess
            && (result == kSecTrustResultProceed || result == kSecTrustResultUnspecified);
        if (trusted)
            sender->useCredential(NSURLCredential::credentialForTrust(space->serverTrust()), challenge);
        else
            sender->cancelAuthenticationChallenge(challenge);
        return true;
    }
    auto known = credential();
    if (challenge->previousFailureCount() == 0 && known)
        sender->useCredential(known, challenge);
    else
        sender->continueWithoutCredentialForAuthenticationChallenge(challenge);
    return true;
}
