#include "platform/net/NSURLCache.h"

#include "platform/foundation/NeverDestroyed.h"

#include <algorithm>

namespace {

std::mutex sharedMutex;
std::shared_ptr<NSURLCache>& sharedCache()
{
    static NeverDestroyed<std::shared_ptr<NSURLCache>> cache;
    return cache.get();
}

std::string keyFor(const std::shared_ptr<NSURLRequest>& request)
{
    return request && request->URL() ? request->URL()->absoluteString().UTF8String() : std::string();
}

} // namespace

std::shared_ptr<NSURLCache> NSURLCache::sharedURLCache()
{
    std::lock_guard lock(sharedMutex);
    if (!sharedCache())
        sharedCache() = create();
    return sharedCache();
}

void NSURLCache::setSharedURLCache(const std::shared_ptr<NSURLCache>& cache)
{
    std::lock_guard lock(sharedMutex);
    sharedCache() = cache;
}

std::shared_ptr<NSCachedURLResponse> NSURLCache::cachedResponseForRequest(const std::shared_ptr<NSURLRequest>& request) const
{
    const std::string key = keyFor(request);
    std::lock_guard lock(m_mutex);
    for (const auto& entry : m_entries) {
        if (entry.key == key)
            return entry.response;
    }
    return nullptr;
}

void NSURLCache::storeCachedResponse(const std::shared_ptr<NSCachedURLResponse>& response, const std::shared_ptr<NSURLRequest>& request)
{
    const std::string key = keyFor(request);
    if (!response || key.empty() || response->storagePolicy() == NSURLCacheStorageNotAllowed)
        return;
    std::lock_guard lock(m_mutex);
    std::erase_if(m_entries, [&](const Entry& entry) {
        if (entry.key == key)
            m_usage -= entry.size;
        return entry.key == key;
    });
    NSUInteger size = response->data() ? response->data()->length() : 0;
    m_entries.push_back({ key, response, size });
    m_usage += size;
    trimLocked();
}

void NSURLCache::removeCachedResponseForRequest(const std::shared_ptr<NSURLRequest>& request)
{
    const std::string key = keyFor(request);
    std::lock_guard lock(m_mutex);
    std::erase_if(m_entries, [&](const Entry& entry) {
        if (entry.key == key)
            m_usage -= entry.size;
        return entry.key == key;
    });
}

void NSURLCache::removeAllCachedResponses()
{
    std::lock_guard lock(m_mutex);
    m_entries.clear();
    m_usage = 0;
}

NSUInteger NSURLCache::memoryCapacity() const
{
    std::lock_guard lock(m_mutex);
    return m_memoryCapacity;
}

void NSURLCache::setMemoryCapacity(NSUInteger capacity)
{
    std::lock_guard lock(m_mutex);
    m_memoryCapacity = capacity;
    trimLocked();
}

NSUInteger NSURLCache::currentMemoryUsage() const
{
    std::lock_guard lock(m_mutex);
    return m_usage;
}

void NSURLCache::trimLocked()
{
    while (!m_entries.empty() && m_usage > m_memoryCapacity) {
        m_usage -= m_entries.front().size;
        m_entries.pop_front();
    }
}
