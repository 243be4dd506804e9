#include "platform/net/NSURLCache.h"

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NeverDestroyed.h"

#include <algorithm>

namespace {

Guarded<std::shared_ptr<NSURLCache>>& sharedCache()
{
    static NeverDestroyed<Guarded<std::shared_ptr<NSURLCache>>> cache;
    return cache.get();
}

std::string keyFor(const std::shared_ptr<NSURLRequest>& request)
{
    return request && request->URL() ? request->URL()->absoluteString().UTF8String() : std::string();
}

} // namespace

std::shared_ptr<NSURLCache> NSURLCache::sharedURLCache()
{
    auto cache = sharedCache().lock();
    if (!*cache)
        *cache = create();
    return *cache;
}

void NSURLCache::setSharedURLCache(const std::shared_ptr<NSURLCache>& cache)
{
    *sharedCache().lock() = cache;
}

std::shared_ptr<NSCachedURLResponse> NSURLCache::cachedResponseForRequest(const std::shared_ptr<NSURLRequest>& request) const
{
    const std::string key = keyFor(request);
    MutexLocker lock(m_mutex);
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
    MutexLocker lock(m_mutex);
    removeLocked(key);
    NSUInteger size = response->data() ? response->data()->length() : 0;
    m_entries.push_back({ key, response, size });
    m_usage += size;
    trimLocked();
}

void NSURLCache::removeCachedResponseForRequest(const std::shared_ptr<NSURLRequest>& request)
{
    const std::string key = keyFor(request);
    MutexLocker lock(m_mutex);
    removeLocked(key);
}

void NSURLCache::removeAllCachedResponses()
{
    MutexLocker lock(m_mutex);
    m_entries.clear();
    m_usage = 0;
}

NSUInteger NSURLCache::memoryCapacity() const
{
    MutexLocker lock(m_mutex);
    return m_memoryCapacity;
}

void NSURLCache::setMemoryCapacity(NSUInteger capacity)
{
    MutexLocker lock(m_mutex);
    m_memoryCapacity = capacity;
    trimLocked();
}

NSUInteger NSURLCache::currentMemoryUsage() const
{
    MutexLocker lock(m_mutex);
    return m_usage;
}

void NSURLCache::removeLocked(const std::string& key)
{
    for (auto entry = m_entries.begin(); entry != m_entries.end();) {
        if (entry->key == key) {
            m_usage -= entry->size;
            entry = m_entries.erase(entry);
        } else {
            ++entry;
        }
    }
}

void NSURLCache::trimLocked()
{
    while (!m_entries.empty() && m_usage > m_memoryCapacity) {
        m_usage -= m_entries.front().size;
        m_entries.pop_front();
    }
}
