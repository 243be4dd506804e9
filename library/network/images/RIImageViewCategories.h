#pragma once
// One call shows a remote image in a view: the view's previous load of the same kind is
// cancelled, a placeholder may show at once, the shared image manager loads, and the result is
// put into the view on the main thread while the view still exists.

#include "library/network/images/RIImageManager.h"
#include "platform/mapkit/MKAnnotationView.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImageView.h"

using RIImageViewCompletionBlock = std::function<void(const UIImageRef& image, const std::shared_ptr<NSError>& error,
    RIImageCacheType cacheType, const std::shared_ptr<NSURL>& imageURL)>;

namespace UIView_RemoteImageOperation {
void ri_setImageLoadOperation(UIView& view, const std::vector<std::shared_ptr<RIImageOperation>>& operations, const NSString& key);
void ri_setImageLoadOperation(UIView& view, const std::shared_ptr<RIImageOperation>& operation, const NSString& key);
void ri_cancelImageLoadOperationWithKey(UIView& view, const NSString& key);
void ri_removeImageLoadOperationWithKey(UIView& view, const NSString& key);
// How many handles the view keeps under the key (for tests).
std::size_t ri_imageLoadOperationCount(const UIView& view, const NSString& key);
}

// The error a load without a URL ends with.
std::shared_ptr<NSError> RINilURLError();

namespace UIImageView_RemoteImage {
void ri_setImageWithURL(const std::shared_ptr<UIImageView>& view, const std::shared_ptr<NSURL>& url, const UIImageRef& placeholder = nullptr,
    NSUInteger options = 0, RIImageDownloaderProgressBlock progress = nullptr, RIImageViewCompletionBlock completed = nullptr);
std::shared_ptr<NSURL> ri_imageURL(const UIImageView& view);
void ri_setImageWithPreviousCachedImageWithURL(const std::shared_ptr<UIImageView>& view, const std::shared_ptr<NSURL>& url,
    const UIImageRef& placeholder, NSUInteger options, RIImageDownloaderProgressBlock progress, RIImageViewCompletionBlock completed);
void ri_setAnimationImagesWithURLs(const std::shared_ptr<UIImageView>& view, const std::vector<std::shared_ptr<NSURL>>& urls);
void ri_cancelCurrentImageLoad(UIImageView& view);
void ri_cancelCurrentAnimationImagesLoad(UIImageView& view);
}

namespace UIImageView_HighlightedRemoteImage {
void ri_setHighlightedImageWithURL(const std::shared_ptr<UIImageView>& view, const std::shared_ptr<NSURL>& url, NSUInteger options = 0,
    RIImageDownloaderProgressBlock progress = nullptr, RIImageViewCompletionBlock completed = nullptr);
void ri_cancelCurrentHighlightedImageLoad(UIImageView& view);
}

namespace MKAnnotationView_RemoteImage {
void ri_setImageWithURL(const std::shared_ptr<MKAnnotationView>& view, const std::shared_ptr<NSURL>& url, const UIImageRef& placeholder = nullptr,
    NSUInteger options = 0, RIImageViewCompletionBlock completed = nullptr);
std::shared_ptr<NSURL> ri_imageURL(const MKAnnotationView& view);
void ri_cancelCurrentImageLoad(MKAnnotationView& view);
}

namespace UIButton_RemoteImage {
void ri_setImageWithURL(const std::shared_ptr<UIButton>& button, const std::shared_ptr<NSURL>& url, UIControlState state,
    const UIImageRef& placeholder = nullptr, NSUInteger options = 0, RIImageViewCompletionBlock completed = nullptr);
void ri_setBackgroundImageWithURL(const std::shared_ptr<UIButton>& button, const std::shared_ptr<NSURL>& url, UIControlState state,
    const UIImageRef& placeholder = nullptr, NSUInteger options = 0, RIImageViewCompletionBlock completed = nullptr);
std::shared_ptr<NSURL> ri_imageURLForState(const UIButton& button, UIControlState state);
std::shared_ptr<NSURL> ri_currentImageURL(const UIButton& button);
void ri_setImageLoadOperation(UIButton& button, const std::shared_ptr<RIImageOperation>& operation, UIControlState state);
void ri_setBackgroundImageLoadOperation(UIButton& button, const std::shared_ptr<RIImageOperation>& operation, UIControlState state);
void ri_cancelImageLoadForState(UIButton& button, UIControlState state);
void ri_cancelBackgroundImageLoadForState(UIButton& button, UIControlState state);
}
