#pragma once
// The shared store of replies that connections offer through willCacheResponse. It keeps them in
// memory, up to its memory capacity, dropping the oldest first.

#include "platform/foundation/Mutex.h"
#include "platform/net/NSCachedURLResponse.h"
#include "platform/net/NSURLRequest.h"

#include <deque>

class NSURLCache final : public NSObject {
    NS_OBJECT(NSURLCache, NSObject)
public:
    static std::shared_ptr<NSURLCache> sharedURLCache();
    static void setSharedURLCache(const std::shared_ptr<NSURLCache>& cache);

    std::shared_ptr<NSCachedURLResponse> cachedResponseForRequest(const std::shared_ptr<NSURLRequest>& request) const;
    void storeCachedResponse(const std::shared_ptr<NSCachedURLResponse>& response, const std::shared_ptr<NSURLRequest>& request);
    void removeCachedResponseForRequest(const std::shared_ptr<NSURLRequest>& request);
    void removeAllCachedResponses();

    NSUInteger memoryCapacity() const;
    void setMemoryCapacity(NSUInteger capacity);
    NSUInteger currentMemoryUsage() const;

protected:
    void init(NSUInteger memoryCapacity)
    {
        MutexLocker lock(m_mutex);
        m_memoryCapacity = memoryCapacity;
    }

private:
    struct Entry {
        std::string key;
        std::shared_ptr<NSCachedURLResponse> response;
        NSUInteger size { 0 };
    };
    void removeLocked(const std::string& key) REQUIRES(m_mutex);
    void trimLocked() REQUIRES(m_mutex);

    mutable Mutex m_mutex;
    std::deque<Entry> m_entries GUARDED_BY(m_mutex);
    NSUInteger m_memoryCapacity GUARDED_BY(m_mutex) { 4 * 1024 * 1024 };
    NSUInteger m_usage GUARDED_BY(m_mutex) { 0 };
};
