#pragma once
// An image view that loads its picture through a network engine: the placeholder at once, the
// picture when it comes (cross-dissolved when asked), the previous load cancelled.

#include "library/network/engine/NENetworkEngine.h"
#include "platform/uikit/UIImageView.h"

namespace UIImageView_NEEngineAdditions {

std::shared_ptr<NENetworkOperation> imageFetchOperation(const UIImageView& view);
void setImageFetchOperation(UIImageView& view, const std::shared_ptr<NENetworkOperation>& operation);
// The engine used when none is given; held for the life of the process.
void setDefaultEngine(const std::shared_ptr<NENetworkEngine>& engine);

std::shared_ptr<NENetworkOperation> setImageFromURL(UIImageView& view, const std::shared_ptr<NSURL>& url);
std::shared_ptr<NENetworkOperation> setImageFromURL(UIImageView& view, const std::shared_ptr<NSURL>& url,
    const std::shared_ptr<UIImage>& placeholder);
std::shared_ptr<NENetworkOperation> setImageFromURL(UIImageView& view, const std::shared_ptr<NSURL>& url,
    const std::shared_ptr<UIImage>& placeholder, bool animation);
// Without an engine (given or default) nothing is fetched, and the cancelled previous operation
// is returned.
std::shared_ptr<NENetworkOperation> setImageFromURL(UIImageView& view, const std::shared_ptr<NSURL>& url,
    const std::shared_ptr<UIImage>& placeholder, const std::shared_ptr<NENetworkEngine>& engine, bool animation);

} // namespace UIImageView_NEEngineAdditions
