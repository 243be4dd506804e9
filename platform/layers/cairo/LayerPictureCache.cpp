#include "platform/layers/cairo/LayerPictureCache.h"

#include <algorithm>
#include <vector>

std::size_t LayerPicture::bytes() const
{
    const std::size_t edges = (below.size() + over.size()) * sizeof(std::uint32_t);
    if (!surface)
        return edges;
    return edges + std::size_t(cairo_image_surface_get_stride(surface.get())) * std::size_t(cairo_image_surface_get_height(surface.get()));
}

LayerPictureCache::Entry& LayerPictureCache::entry(const CALayer& layer)
{
    Entry& found = m_entries[&layer];
    // A layer made where a departed one lived finds nothing of the departed one's.
    const std::shared_ptr<NSObject> owner = found.layer.lock();
    if (owner.get() != static_cast<const NSObject*>(&layer)) {
        found = Entry {};
        found.layer = std::const_pointer_cast<NSObject>(layer.shared_from_this());
    }
    return found;
}

LayerPictureCache::Picture& LayerPictureCache::picture(const CALayer& layer, Part part)
{
    return entry(layer).pictures[std::size_t(part)];
}

std::uint64_t LayerPictureCache::exchangeSeenRevision(const CALayer& layer, std::uint64_t revision)
{
    return std::exchange(entry(layer).seenRevision, revision);
}

std::size_t LayerPictureCache::bytes() const
{
    std::size_t total = 0;
    for (const auto& [layer, entry] : m_entries)
        for (const Picture& picture : entry.pictures)
            total += picture.bytes();
    return total;
}

std::size_t LayerPictureCache::pictureCount() const
{
    std::size_t count = 0;
    for (const auto& [layer, entry] : m_entries)
        count += std::size_t(std::count_if(entry.pictures.begin(), entry.pictures.end(), [](const Picture& p) { return p.drawn; }));
    return count;
}

void LayerPictureCache::endFrame(bool wholeScreen)
{
    std::size_t total = 0;
    std::vector<Picture*> kept;
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->second.layer.expired()) {
            it = m_entries.erase(it);
            continue;
        }
        for (Picture& picture : it->second.pictures) {
            if (wholeScreen && picture.drawn && picture.lastUse != m_frame)
                picture = Picture {};
            if (picture.surface) {
                total += picture.bytes();
                kept.push_back(&picture);
            }
        }
        ++it;
    }
    if (total <= m_budget)
        return;
    std::sort(kept.begin(), kept.end(), [](const Picture* a, const Picture* b) { return a->lastUse < b->lastUse; });
    for (Picture* picture : kept) {
        if (total <= m_budget)
            break;
        total -= picture->bytes();
        *picture = Picture {};
    }
}
