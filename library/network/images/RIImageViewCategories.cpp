#include "library/network/images/RIImageViewCategories.h"

#include "platform/foundation/NSThread.h"

#include <map>

namespace {

// The loads a view keeps by key; they are cancelled when the view goes.
class OperationTable final : public NSObject {
    NS_OBJECT(OperationTable, NSObject)
public:
    ~OperationTable() override
    {
        for (auto& [key, operations] : entries)
            for (auto& operation : operations)
                if (operation)
                    operation->cancel();
    }
    std::map<std::string, std::vector<std::shared_ptr<RIImageOperation>>> entries;
};

// A button's URLs by control state.
class URLStorage final : public NSObject {
    NS_OBJECT(URLStorage, NSObject)
public:
    std::map<UIControlState, std::shared_ptr<NSURL>> URLs;
};

const char kOperationTableKey = 0;
const char kImageURLKey = 0;
const char kURLStorageKey = 0;

OperationTable& table(UIView& view)
{
    auto found = std::static_pointer_cast<OperationTable>(view.associatedObject(&kOperationTableKey));
    if (!found) {
        found = OperationTable::create();
        view.setAssociatedObject(&kOperationTableKey, found);
    }
    return *found;
}

void onMainAsync(std::function<void()> block)
{
    if (NSThread::isMainThread())
        block();
    else
        dispatch_async(dispatch_get_main_queue(), std::move(block));
}

void onMainSync(const std::function<void()>& block)
{
    if (NSThread::isMainThread())
        block();
    else
        dispatch_sync(dispatch_get_main_queue(), block);
}

NSString stateKey(const char* prefix, UIControlState state) { return NSString(std::string(prefix) + std::to_string(state)); }

constexpr const char* kImageViewImageLoad = "UIImageViewImageLoad";
constexpr const char* kImageViewAnimationImages = "UIImageViewAnimationImages";
constexpr const char* kHighlightedImage = "highlightedImage";
constexpr const char* kAnnotationViewImage = "MKAnnotationViewImage";

// Loads through the shared manager into `apply`, which runs on the main thread while the view
// lives; the completion hears only the final result.
template <class View>
std::shared_ptr<RIImageOperation> load(const std::shared_ptr<View>& view, const std::shared_ptr<NSURL>& url, NSUInteger options,
    RIImageDownloaderProgressBlock progress, RIImageViewCompletionBlock completed, std::function<void(View&, const UIImageRef&)> apply)
{
    std::weak_ptr<View> weakView = view;
    return RIImageManager::sharedManager()->downloadImageWithURL(url, options, std::move(progress),
        [weakView, url, completed, apply](const UIImageRef& image, const std::shared_ptr<NSError>& error, RIImageCacheType cacheType, bool finished,
            const std::shared_ptr<NSURL>&) {
            if (weakView.expired())
                return;
            onMainSync([&] {
                auto strong = weakView.lock();
                if (!strong)
                    return;
                apply(*strong, image);
                if (completed && finished)
                    completed(image, error, cacheType, url);
            });
        });
}

void answerNilURL(const RIImageViewCompletionBlock& completed)
{
    if (completed)
        onMainAsync([completed] { completed(nullptr, RINilURLError(), RIImageCacheSourceNone, nullptr); });
}

} // namespace

std::shared_ptr<NSError> RINilURLError() { return NSError::errorWithDomain(RIImageErrorDomain, RIImageErrorNilURL, "Trying to load a nil url"); }

void UIView_RemoteImageOperation::ri_setImageLoadOperation(UIView& view, const std::vector<std::shared_ptr<RIImageOperation>>& operations,
    const NSString& key)
{
    ri_cancelImageLoadOperationWithKey(view, key);
    table(view).entries[key.UTF8String()] = operations;
}

void UIView_RemoteImageOperation::ri_setImageLoadOperation(UIView& view, const std::shared_ptr<RIImageOperation>& operation, const NSString& key)
{
    ri_setImageLoadOperation(view, std::vector<std::shared_ptr<RIImageOperation>> { operation }, key);
}

void UIView_RemoteImageOperation::ri_cancelImageLoadOperationWithKey(UIView& view, const NSString& key)
{
    auto& entries = table(view).entries;
    auto found = entries.find(key.UTF8String());
    if (found == entries.end())
        return;
    auto operations = std::move(found->second);
    entries.erase(found);
    for (auto& operation : operations)
        if (operation)
            operation->cancel();
}

void UIView_RemoteImageOperation::ri_removeImageLoadOperationWithKey(UIView& view, const NSString& key)
{
    table(view).entries.erase(key.UTF8String());
}

std::size_t UIView_RemoteImageOperation::ri_imageLoadOperationCount(const UIView& view, const NSString& key)
{
    auto found = std::static_pointer_cast<OperationTable>(view.associatedObject(&kOperationTableKey));
    if (!found)
        return 0;
    auto entry = found->entries.find(key.UTF8String());
    return entry == found->entries.end() ? 0 : entry->second.size();
}

// --- image views

void UIImageView_RemoteImage::ri_setImageWithURL(const std::shared_ptr<UIImageView>& view, const std::shared_ptr<NSURL>& url,
    const UIImageRef& placeholder, NSUInteger options, RIImageDownloaderProgressBlock progress, RIImageViewCompletionBlock completed)
{
    if (!view)
        return;
    ri_cancelCurrentImageLoad(*view);
    view->setAssociatedObject(&kImageURLKey, url);
    if (!(options & RIImageLoadDelayPlaceholder)) {
        std::weak_ptr<UIImageView> weakView = view;
        onMainAsync([weakView, placeholder] {
            if (auto strong = weakView.lock())
                strong->setImage(placeholder);
        });
    }
    if (!url) {
        answerNilURL(completed);
        return;
    }
    auto operation = load<UIImageView>(view, url, options, std::move(progress), std::move(completed),
        [options, placeholder](UIImageView& target, const UIImageRef& image) {
            if (image) {
                target.setImage(image);
                target.setNeedsLayout();
            } else if (options & RIImageLoadDelayPlaceholder) {
                target.setImage(placeholder);
                target.setNeedsLayout();
            }
        });
    UIView_RemoteImageOperation::ri_setImageLoadOperation(*view, operation, kImageViewImageLoad);
}

std::shared_ptr<NSURL> UIImageView_RemoteImage::ri_imageURL(const UIImageView& view)
{
    return std::static_pointer_cast<NSURL>(view.associatedObject(&kImageURLKey));
}

void UIImageView_RemoteImage::ri_setImageWithPreviousCachedImageWithURL(const std::shared_ptr<UIImageView>& view,
    const std::shared_ptr<NSURL>& url, const UIImageRef& placeholder, NSUInteger options, RIImageDownloaderProgressBlock progress,
    RIImageViewCompletionBlock completed)
{
    auto manager = RIImageManager::sharedManager();
    auto cached = url ? manager->imageCache()->imageFromDiskCacheForKey(manager->cacheKeyForURL(url)) : nullptr;
    ri_setImageWithURL(view, url, cached ? cached : placeholder, options, std::move(progress), std::move(completed));
}

void UIImageView_RemoteImage::ri_setAnimationImagesWithURLs(const std::shared_ptr<UIImageView>& view, const std::vector<std::shared_ptr<NSURL>>& urls)
{
    if (!view)
        return;
    ri_cancelCurrentAnimationImagesLoad(*view);
    std::vector<std::shared_ptr<RIImageOperation>> operations;
    for (const auto& url : urls) {
        operations.push_back(load<UIImageView>(view, url, 0, nullptr, nullptr, [](UIImageView& target, const UIImageRef& image) {
            target.stopAnimating();
            if (image) {
                auto images = target.animationImages();
                images.push_back(image);
                target.setAnimationImages(std::move(images));
                target.setNeedsLayout();
            }
            target.startAnimating();
        }));
    }
    UIView_RemoteImageOperation::ri_setImageLoadOperation(*view, operations, kImageViewAnimationImages);
}

void UIImageView_RemoteImage::ri_cancelCurrentImageLoad(UIImageView& view)
{
    UIView_RemoteImageOperation::ri_cancelImageLoadOperationWithKey(view, kImageViewImageLoad);
}

void UIImageView_RemoteImage::ri_cancelCurrentAnimationImagesLoad(UIImageView& view)
{
    UIView_RemoteImageOperation::ri_cancelImageLoadOperationWithKey(view, kImageViewAnimationImages);
}

void UIImageView_HighlightedRemoteImage::ri_setHighlightedImageWithURL(const std::shared_ptr<UIImageView>& view,
    const std::shared_ptr<NSURL>& url, NSUInteger options, RIImageDownloaderProgressBlock progress, RIImageViewCompletionBlock completed)
{
    if (!view)
        return;
    ri_cancelCurrentHighlightedImageLoad(*view);
    if (!url) {
        answerNilURL(completed);
        return;
    }
    auto operation = load<UIImageView>(view, url, options, std::move(progress), std::move(completed), [](UIImageView& target, const UIImageRef& image) {
        if (image) {
            target.setHighlightedImage(image);
            target.setNeedsLayout();
        }
    });
    UIView_RemoteImageOperation::ri_setImageLoadOperation(*view, operation, kHighlightedImage);
}

void UIImageView_HighlightedRemoteImage::ri_cancelCurrentHighlightedImageLoad(UIImageView& view)
{
    UIView_RemoteImageOperation::ri_cancelImageLoadOperationWithKey(view, kHighlightedImage);
}

// --- annotation views

void MKAnnotationView_RemoteImage::ri_setImageWithURL(const std::shared_ptr<MKAnnotationView>& view, const std::shared_ptr<NSURL>& url,
    const UIImageRef& placeholder, NSUInteger options, RIImageViewCompletionBlock completed)
{
    if (!view)
        return;
    ri_cancelCurrentImageLoad(*view);
    view->setAssociatedObject(&kImageURLKey, url);
    view->setImage(placeholder);
    if (!url) {
        answerNilURL(completed);
        return;
    }
    auto operation = load<MKAnnotationView>(view, url, options, nullptr, std::move(completed), [](MKAnnotationView& target, const UIImageRef& image) {
        if (image)
            target.setImage(image);
    });
    UIView_RemoteImageOperation::ri_setImageLoadOperation(*view, operation, kAnnotationViewImage);
}

std::shared_ptr<NSURL> MKAnnotationView_RemoteImage::ri_imageURL(const MKAnnotationView& view)
{
    return std::static_pointer_cast<NSURL>(view.associatedObject(&kImageURLKey));
}

void MKAnnotationView_RemoteImage::ri_cancelCurrentImageLoad(MKAnnotationView& view)
{
    UIView_RemoteImageOperation::ri_cancelImageLoadOperationWithKey(view, kAnnotationViewImage);
}

// --- buttons

namespace {

URLStorage& storage(UIButton& button)
{
    auto found = std::static_pointer_cast<URLStorage>(button.associatedObject(&kURLStorageKey));
    if (!found) {
        found = URLStorage::create();
        button.setAssociatedObject(&kURLStorageKey, found);
    }
    return *found;
}

} // namespace

void UIButton_RemoteImage::ri_setImageWithURL(const std::shared_ptr<UIButton>& button, const std::shared_ptr<NSURL>& url, UIControlState state,
    const UIImageRef& placeholder, NSUInteger options, RIImageViewCompletionBlock completed)
{
    if (!button)
        return;
    button->setImage(placeholder, state);
    ri_cancelImageLoadForState(*button, state);
    if (!url) {
        storage(*button).URLs.erase(state);
        answerNilURL(completed);
        return;
    }
    storage(*button).URLs[state] = url;
    auto operation = load<UIButton>(button, url, options, nullptr, std::move(completed), [state](UIButton& target, const UIImageRef& image) {
        if (image)
            target.setImage(image, state);
    });
    ri_setImageLoadOperation(*button, operation, state);
}

void UIButton_RemoteImage::ri_setBackgroundImageWithURL(const std::shared_ptr<UIButton>& button, const std::shared_ptr<NSURL>& url,
    UIControlState state, const UIImageRef& placeholder, NSUInteger options, RIImageViewCompletionBlock completed)
{
    if (!button)
        return;
    ri_cancelBackgroundImageLoadForState(*button, state);
    button->setBackgroundImage(placeholder, state);
    if (!url) {
        answerNilURL(completed);
        return;
    }
    auto operation = load<UIButton>(button, url, options, nullptr, std::move(completed), [state](UIButton& target, const UIImageRef& image) {
        if (image)
            target.setBackgroundImage(image, state);
    });
    ri_setBackgroundImageLoadOperation(*button, operation, state);
}

std::shared_ptr<NSURL> UIButton_RemoteImage::ri_imageURLForState(const UIButton& button, UIControlState state)
{
    auto found = std::static_pointer_cast<URLStorage>(button.associatedObject(&kURLStorageKey));
    if (!found)
        return nullptr;
    auto entry = found->URLs.find(state);
    return entry == found->URLs.end() ? nullptr : entry->second;
}

std::shared_ptr<NSURL> UIButton_RemoteImage::ri_currentImageURL(const UIButton& button)
{
    if (auto url = ri_imageURLForState(button, button.state()))
        return url;
    return ri_imageURLForState(button, UIControlStateNormal);
}

void UIButton_RemoteImage::ri_setImageLoadOperation(UIButton& button, const std::shared_ptr<RIImageOperation>& operation, UIControlState state)
{
    UIView_RemoteImageOperation::ri_setImageLoadOperation(button, operation, stateKey("UIButtonImageOperation", state));
}

void UIButton_RemoteImage::ri_setBackgroundImageLoadOperation(UIButton& button, const std::shared_ptr<RIImageOperation>& operation,
    UIControlState state)
{
    UIView_RemoteImageOperation::ri_setImageLoadOperation(button, operation, stateKey("UIButtonBackgroundImageOperation", state));
}

void UIButton_RemoteImage::ri_cancelImageLoadForState(UIButton& button, UIControlState state)
{
    UIView_RemoteImageOperation::ri_cancelImageLoadOperationWithKey(button, stateKey("UIButtonImageOperation", state));
}

void UIButton_RemoteImage::ri_cancelBackgroundImageLoadForState(UIButton& button, UIControlState state)
{
    UIView_RemoteImageOperation::ri_cancelImageLoadOperationWithKey(button, stateKey("UIButtonBackgroundImageOperation", state));
}
