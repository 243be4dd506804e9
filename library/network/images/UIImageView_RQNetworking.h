#pragma once
// A remote image into an image view through an image request operation, with one in-memory
// cache shared by every image view.

#include "library/network/images/RQImageCache.h"
#include "library/network/request/RQImageRequestOperation.h"
#include "platform/foundation/NSOperationQueue.h"
#include "platform/uikit/UIImageView.h"

namespace UIImageView_RQNetworking {
using SuccessBlock = std::function<void(const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&, const UIImageRef&)>;
using FailureBlock = std::function<void(const std::shared_ptr<NSURLRequest>&, const std::shared_ptr<NSHTTPURLResponse>&,
    const std::shared_ptr<NSError>&)>;

void setImageWithURL(const std::shared_ptr<UIImageView>& view, const std::shared_ptr<NSURL>& url, const UIImageRef& placeholder = nullptr);
void setImageWithURLRequest(const std::shared_ptr<UIImageView>& view, const std::shared_ptr<NSURLRequest>& request, const UIImageRef& placeholder,
    SuccessBlock success, FailureBlock failure);
void cancelImageRequestOperation(UIImageView& view);
std::shared_ptr<RQImageRequestOperation> rq_imageRequestOperation(const UIImageView& view);
const std::shared_ptr<RQImageCache>& rq_sharedImageCache();
const std::shared_ptr<NSOperationQueue>& rq_sharedImageRequestOperationQueue();
}
