#include "library/network/images/UIImageView_RQNetworking.h"

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

const std::shared_ptr<RQImageCache>& UIImageView_RQNetworking::rq_sharedImageCache()
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

const std::shared_ptr<NSOperationQueue>& UIImageView_RQNetworking::rq_sharedImageRequestOperationQueue()
{
    static const NeverDestroyed<std::shared_ptr<NSOperationQueue>> queue(NSOperationQueue::create());
    return queue.get();
}

std::shared_ptr<RQImageRequestOperation> UIImageView_RQNetworking::rq_imageRequestOperation(const UIImageView& view)
{
    auto current = slot(view);
    return current ? current->operation : nullptr;
}

void UIImageView_RQNetworking::cancelImageRequestOperation(UIImageView& view)
{
    if (auto operation = rq_imageRequestOperation(view))
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
    if (auto cached = rq_sharedImageCache()->cachedImageForRequest(request)) {
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
                auto current = rq_imageRequestOperation(*strong);
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
            rq_sharedImageCache()->cacheImage(image, request);
        },
        [weakView, weakOperation, request, failure](const std::shared_ptr<RQHTTPRequestOperation>& finished, const std::shared_ptr<NSError>& error) {
            auto strong = weakView.lock();
            if (!strong)
                return;
            auto current = rq_imageRequestOperation(*strong);
            if (!current || !sameRequest(request, current->request()))
                return;
            if (current == weakOperation.lock())
                setOperation(*strong, nullptr);
            if (failure)
                failure(finished->request(), finished->response(), error);
        });
    setOperation(*view, operation);
    rq_sharedImageRequestOperationQueue()->addOperation(operation);
}
