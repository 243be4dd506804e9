#include "library/network/RQImageViewNetworking.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/uikit/UIApplication.h"

namespace {

const char kOperationKey = 0;

// The view's current operation, kept on the view.
class OperationSlot final : public NSObject {
    NS_OBJECT(OperationSlot, NSObject)
public:
    std::shared_ptr<RQImageRequestOperation> operation;
};

std::shared_ptr<OperationSlot> slot(const UIImageView& view) { return std::static_pointer_cast<OperationSlot>(view.associatedObject(&kOperationKey)); }

void setOperation(UIImageView& view, const std::shared_ptr<RQImageRequestOperation>& operation)
{
    auto current = slot(view);
    if (!current) {
        current = OperationSlot::create();
        view.setAssociatedObject(&kOperationKey, current);
    }
    current->operation = operation;
}

bool sameRequest(const std::shared_ptr<NSURLRequest>& a, const std::shared_ptr<NSURLRequest>& b)
{
    return a && b && (a == b || a->isEqual(b));
}

} // namespace

UIImageRef RQImageCache::cachedImageForRequest(const std::shared_ptr<NSURLRequest>& request) const
{
    if (!request || !request->URL())
        return nullptr;
    const auto policy = request->cachePolicy();
    if (policy == NSURLRequestReloadIgnoringLocalCacheData || policy == NSURLRequestReloadIgnoringLocalAndRemoteCacheData)
        return nullptr;
    return std::static_pointer_cast<UIImage>(objectForKey(request->URL()->absoluteString()));
}

void RQImageCache::cacheImage(const UIImageRef& image, const std::shared_ptr<NSURLRequest>& request)
{
    if (image && request && request->URL())
        setObject(image, request->URL()->absoluteString());
}

const std::shared_ptr<RQImageCache>& UIImageView_RQNetworking::af_sharedImageCache()
{
    // Never removed: the cache lives as long as the process.
    static NeverDestroyed<id> registration;
    static const NeverDestroyed<std::shared_ptr<RQImageCache>> cache([] {
        auto made = RQImageCache::create();
        std::weak_ptr<RQImageCache> weakCache = made;
        registration.get() = NSNotificationCenter::defaultCenter()->addObserverForName(UIApplicationDidReceiveMemoryWarningNotification, nullptr,
            NSOperationQueue::mainQueue(), [weakCache](const std::shared_ptr<NSNotification>&) {
                if (auto strong = weakCache.lock())
                    strong->removeAllObjects();
            });
        return made;
    }());
    return cache.get();
}

const std::shared_ptr<NSOperationQueue>& UIImageView_RQNetworking::af_sharedImageRequestOperationQueue()
{
    static const NeverDestroyed<std::shared_ptr<NSOperationQueue>> queue(NSOperationQueue::create());
    return queue.get();
}

std::shared_ptr<RQImageRequestOperation> UIImageView_RQNetworking::af_imageRequestOperation(const UIImageView& view)
{
    auto current = slot(view);
    return current ? current->operation : nullptr;
}

void UIImageView_RQNetworking::cancelImageRequestOperation(UIImageView& view)
{
    if (auto operation = af_imageRequestOperation(view))
        operation->cancel();
    setOperation(view, nullptr);
}

void UIImageView_RQNetworking::setImageWithURL(const std::shared_ptr<UIImageView>& view, const std::shared_ptr<NSURL>& url,
    const UIImageRef& placeholder)
{
    auto request = NSMutableURLRequest::requestWithURL(url);
    request->setValue("image/*", "Accept");
    setImageWithURLRequest(view, request, placeholder, nullptr, nullptr);
}

void UIImageView_RQNetworking::setImageWithURLRequest(const std::shared_ptr<UIImageView>& view, const std::shared_ptr<NSURLRequest>& request,
    const UIImageRef& placeholder, SuccessBlock success, FailureBlock failure)
{
    if (!view)
        return;
    cancelImageRequestOperation(*view);
    if (auto cached = af_sharedImageCache()->cachedImageForRequest(request)) {
        setOperation(*view, nullptr);
        if (success)
            success(nullptr, nullptr, cached);
        else
            view->setImage(cached);
        return;
    }
    if (placeholder)
        view->setImage(placeholder);
    auto operation = RQImageRequestOperation::create(request);
    if (!operation)
        return;
    std::weak_ptr<UIImageView> weakView = view;
    std::weak_ptr<RQImageRequestOperation> weakOperation = operation;
    operation->setCompletionBlockWithSuccess(
        [weakView, weakOperation, request, success](const std::shared_ptr<RQHTTPRequestOperation>& finished, const id& object) {
            auto image = std::static_pointer_cast<UIImage>(object);
            if (auto strong = weakView.lock()) {
                auto current = af_imageRequestOperation(*strong);
                if (current && sameRequest(request, current->request())) {
                    if (current == weakOperation.lock())
                        setOperation(*strong, nullptr);
                    if (success)
                        success(finished->request(), finished->response(), image);
                    else if (image)
                        strong->setImage(image);
                }
            }
            // Kept for later requests even when the view has moved on.
            af_sharedImageCache()->cacheImage(image, request);
        },
        [weakView, weakOperation, request, failure](const std::shared_ptr<RQHTTPRequestOperation>& finished, const std::shared_ptr<NSError>& error) {
            auto strong = weakView.lock();
            if (!strong)
                return;
            auto current = af_imageRequestOperation(*strong);
            if (!current || !sameRequest(request, current->request()))
                return;
            if (current == weakOperation.lock())
                setOperation(*strong, nullptr);
            if (failure)
                failure(finished->request(), finished->response(), error);
        });
    setOperation(*view, operation);
    af_sharedImageRequestOperationQueue()->addOperation(operation);
}

// --- activity indicator

std::shared_ptr<RQNetworkActivityIndicatorManager> RQNetworkActivityIndicatorManager::sharedManager()
{
    static const NeverDestroyed<std::shared_ptr<RQNetworkActivityIndicatorManager>> instance(RQNetworkActivityIndicatorManager::create());
    return instance.get();
}

void RQNetworkActivityIndicatorManager::init()
{
    auto center = NSNotificationCenter::defaultCenter();
    auto self = std::static_pointer_cast<RQNetworkActivityIndicatorManager>(NSObject::self());
    center->addObserver(self, &RQNetworkActivityIndicatorManager::networkingOperationDidStart, RQNetworkingOperationDidStartNotification, nullptr);
    center->addObserver(self, &RQNetworkActivityIndicatorManager::networkingOperationDidFinish, RQNetworkingOperationDidFinishNotification, nullptr);
}

RQNetworkActivityIndicatorManager::~RQNetworkActivityIndicatorManager()
{
    if (m_activityIndicatorVisibilityTimer)
        m_activityIndicatorVisibilityTimer->invalidate();
}

NSInteger RQNetworkActivityIndicatorManager::activityCount() const
{
    MutexLocker lock(m_mutex);
    return m_activityCount;
}

void RQNetworkActivityIndicatorManager::setActivityCount(NSInteger count)
{
    changeActivityCount([count](NSInteger) { return count; });
}

void RQNetworkActivityIndicatorManager::incrementActivityCount()
{
    changeActivityCount([](NSInteger count) { return count + 1; });
}

void RQNetworkActivityIndicatorManager::decrementActivityCount()
{
    changeActivityCount([](NSInteger count) { return std::max<NSInteger>(count - 1, 0); });
}

void RQNetworkActivityIndicatorManager::changeActivityCount(const std::function<NSInteger(NSInteger)>& change)
{
    {
        // Read and written under one hold: operations finish on several threads at once.
        MutexLocker lock(m_mutex);
        m_activityCount = change(m_activityCount);
    }
    std::weak_ptr<RQNetworkActivityIndicatorManager> weakSelf = std::static_pointer_cast<RQNetworkActivityIndicatorManager>(self());
    dispatch_async(dispatch_get_main_queue(), [weakSelf] {
        if (auto strong = weakSelf.lock())
            strong->updateNetworkActivityIndicatorVisibilityDelayed();
    });
}

void RQNetworkActivityIndicatorManager::updateNetworkActivityIndicatorVisibilityDelayed()
{
    if (!m_enabled)
        return;
    if (isNetworkActivityIndicatorVisible()) {
        updateNetworkActivityIndicatorVisibility();
        return;
    }
    if (m_activityIndicatorVisibilityTimer)
        m_activityIndicatorVisibilityTimer->invalidate();
    std::weak_ptr<RQNetworkActivityIndicatorManager> weakSelf = std::static_pointer_cast<RQNetworkActivityIndicatorManager>(self());
    m_activityIndicatorVisibilityTimer = NSTimer::timerWithTimeInterval(0.17, [weakSelf](const std::shared_ptr<NSTimer>&) {
        if (auto strong = weakSelf.lock())
            strong->updateNetworkActivityIndicatorVisibility();
    }, false);
    NSRunLoop::mainRunLoop()->addTimer(m_activityIndicatorVisibilityTimer, NSRunLoopCommonModes);
}

void RQNetworkActivityIndicatorManager::updateNetworkActivityIndicatorVisibility()
{
    if (auto application = UIApplication::sharedApplication())
        application->setNetworkActivityIndicatorVisible(isNetworkActivityIndicatorVisible());
}

void RQNetworkActivityIndicatorManager::networkingOperationDidStart(const std::shared_ptr<NSNotification>& notification)
{
    auto operation = std::dynamic_pointer_cast<RQURLConnectionOperation>(notification->object());
    if (operation && operation->request() && operation->request()->URL())
        incrementActivityCount();
}

void RQNetworkActivityIndicatorManager::networkingOperationDidFinish(const std::shared_ptr<NSNotification>& notification)
{
    auto operation = std::dynamic_pointer_cast<RQURLConnectionOperation>(notification->object());
    if (operation && operation->request() && operation->request()->URL())
        decrementActivityCount();
}
