#include "platform/foundation/NSCache.h"

id NSCache::objectForKey(const id& key) const
{
    if (!key)
        return nullptr;
    std::lock_guard lock(m_mutex);
    auto found = m_entries.find(key);
    if (found == m_entries.end())
        return nullptr;
    m_order.splice(m_order.begin(), m_order, found->second);
    return found->second->object;
}

void NSCache::setObject(const id& object, const id& key, NSUInteger cost)
{
    if (!key)
        return;
    if (!object) {
        removeObjectForKey(key);
        return;
    }
    std::lock_guard lock(m_mutex);
    if (auto found = m_entries.find(key); found != m_entries.end()) {
        m_totalCost -= found->second->cost;
        m_order.erase(found->second);
        m_entries.erase(found);
    }
    m_order.push_front(Entry { key, object, cost });
    m_entries.emplace(key, m_order.begin());
    m_totalCost += cost;
    evictLocked();
}

void NSCache::removeObjectForKey(const id& key)
{
    if (!key)
        return;
    std::lock_guard lock(m_mutex);
    if (auto found = m_entries.find(key); found != m_entries.end()) {
        m_totalCost -= found->second->cost;
        m_order.erase(found->second);
        m_entries.erase(found);
    }
}

void NSCache::removeAllObjects()
{
    Order released;
    {
        std::lock_guard lock(m_mutex);
        m_entries.clear();
        released.swap(m_order);
        m_totalCost = 0;
    }
    // The objects go outside the lock: their destruction may come back to the cache.
}

void NSCache::evictLocked()
{
    while (!m_order.empty() && ((m_totalCostLimit > 0 && m_totalCost > m_totalCostLimit) || (m_countLimit > 0 && m_entries.size() > m_countLimit))) {
        auto& oldest = m_order.back();
        m_totalCost -= oldest.cost;
        m_entries.erase(oldest.key);
        m_order.pop_back();
    }
}

NSUInteger NSCache::totalCostLimit() const
{
    std::lock_guard lock(m_mutex);
    return m_totalCostLimit;
}

void NSCache::setTotalCostLimit(NSUInteger limit)
{
    std::lock_guard lock(m_mutex);
    m_totalCostLimit = limit;
    evictLocked();
}

NSUInteger NSCache::countLimit() const
{
    std::lock_guard lock(m_mutex);
    return m_countLimit;
}

void NSCache::setCountLimit(NSUInteger limit)
{
    std::lock_guard lock(m_mutex);
    m_countLimit = limit;
    evictLocked();
}

NSString NSCache::name() const
{
    std::lock_guard lock(m_mutex);
    return m_name;
}

void NSCache::setName(const NSString& name)
{
    std::lock_guard lock(m_mutex);
    m_name = name;
}
