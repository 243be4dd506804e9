#include "library/network/engine/UIImageView_NEEngineAdditions.h"

#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NeverDestroyed.h"

#include <map>

namespace UIImageView_NEEngineAdditions {

namespace {

// The views' fetch operations, as associated objects would hold them: an entry lives as long as
// its view, and is dropped the next time the table is touched after the view has gone.
struct FetchTable {
    Mutex mutex;
    std::map<std::weak_ptr<const NSObject>, std::shared_ptr<NENetworkOperation>, std::owner_less<std::weak_ptr<const NSObject>>> entries
        GUARDED_BY(mutex);
    std::shared_ptr<NENetworkEngine> defaultEngine GUARDED_BY(mutex);

    void purge() REQUIRES(mutex)
    {
        std::erase_if(entries, [](const auto& entry) { return entry.first.expired(); });
    }
};

FetchTable& table()
{
    static NeverDestroyed<FetchTable> shared;
    return shared.get();
}

} // namespace

std::shared_ptr<NENetworkOperation> imageFetchOperation(const UIImageView& view)
{
    auto& fetches = table();
    MutexLocker lock(fetches.mutex);
    auto found = fetches.entries.find(view.weak_from_this());
    return found == fetches.entries.end() ? nullptr : found->second;
}

void setImageFetchOperation(UIImageView& view, const std::shared_ptr<NENetworkOperation>& operation)
{
    auto& fetches = table();
    MutexLocker lock(fetches.mutex);
    fetches.purge();
    if (operation)
        fetches.entries[view.weak_from_this()] = operation;
    else
        fetches.entries.erase(view.weak_from_this());
}

void setDefaultEngine(const std::shared_ptr<NENetworkEngine>& engine)
{
    auto& fetches = table();
    MutexLocker lock(fetches.mutex);
    fetches.defaultEngine = engine;
}

std::shared_ptr<NENetworkOperation> setImageFromURL(UIImageView& view, const std::shared_ptr<NSURL>& url)
{
    return setImageFromURL(view, url, nullptr);
}

std::shared_ptr<NENetworkOperation> setImageFromURL(UIImageView& view, const std::shared_ptr<NSURL>& url,
    const std::shared_ptr<UIImage>& placeholder)
{
    return setImageFromURL(view, url, placeholder, nullptr, true);
}

std::shared_ptr<NENetworkOperation> setImageFromURL(UIImageView& view, const std::shared_ptr<NSURL>& url,
    const std::shared_ptr<UIImage>& placeholder, bool animation)
{
    return setImageFromURL(view, url, placeholder, nullptr, animation);
}

std::shared_ptr<NENetworkOperation> setImageFromURL(UIImageView& view, const std::shared_ptr<NSURL>& url,
    const std::shared_ptr<UIImage>& placeholder, const std::shared_ptr<NENetworkEngine>& engine, bool animation)
{
    NSAssertMainThread();
    if (placeholder)
        view.setImage(placeholder);
    auto previous = imageFetchOperation(view);
    if (previous)
        previous->cancel();
    auto chosen = engine;
    if (!chosen) {
        auto& fetches = table();
        MutexLocker lock(fetches.mutex);
        chosen = fetches.defaultEngine;
    }
    if (!chosen || !url)
        return previous;
    std::weak_ptr<UIImageView> weakView = view.self();
    auto operation = chosen->imageAtURL(url, view.frame().size,
        [weakView, animation](const std::shared_ptr<UIImage>& image, const std::shared_ptr<NSURL>&, bool isInCache) {
            auto imageView = weakView.lock();
            if (!imageView)
                return;
            if (!animation) {
                imageView->setImage(image);
                return;
            }
            auto superview = imageView->superview();
            UIView::transitionWithView(superview ? superview : imageView, isInCache ? 0.1 : 0.35,
                UIViewAnimationOptionTransitionCrossDissolve | UIViewAnimationOptionAllowUserInteraction,
                [imageView, image] { imageView->setImage(image); }, nullptr);
        },
        nullptr);
    setImageFetchOperation(view, operation);
    return operation;
}

} // namespace UIImageView_NEEngineAdditions
