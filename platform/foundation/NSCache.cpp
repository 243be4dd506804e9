#include "platform/foundation/NSCache.h"

// Objects leave the cache through a list the caller releases after the lock: their destruction
// may come back to the cache.

id NSCache::objectForKey(const id& key) const
{
    if (!key)
        return nullptr;
    auto state = m_state.lock();
    auto found = state->entries.find(key);
    if (found == state->entries.end())
        return nullptr;
    state->order.splice(state->order.begin(), state->order, found->second);
    return found->second->object;
}

void NSCache::State::remove(const id& key, Order& released)
{
    if (auto found = entries.find(key); found != entries.end()) {
        totalCost -= found->second->cost;
        released.splice(released.end(), order, found->second);
        entries.erase(found);
    }
}

void NSCache::setObject(const id& object, const id& key, NSUInteger cost)
{
    if (!key)
        return;
    if (!object) {
        removeObjectForKey(key);
        return;
    }
    Order released;
    auto state = m_state.lock();
    state->remove(key, released);
    state->order.push_front(Entry { key, object, cost });
    state->entries.emplace(key, state->order.begin());
    state->totalCost += cost;
    state->evict(released);
}

void NSCache::removeObjectForKey(const id& key)
{
    if (!key)
        return;
    Order released;
    m_state.lock()->remove(key, released);
}

void NSCache::removeAllObjects()
{
    Order released;
    auto state = m_state.lock();
    state->entries.clear();
    released.swap(state->order);
    state->totalCost = 0;
}

void NSCache::State::evict(Order& released)
{
    while (!order.empty() && ((totalCostLimit > 0 && totalCost > totalCostLimit) || (countLimit > 0 && entries.size() > countLimit))) {
        auto oldest = std::prev(order.end());
        totalCost -= oldest->cost;
        entries.erase(oldest->key);
        released.splice(released.end(), order, oldest);
    }
}

NSUInteger NSCache::totalCostLimit() const
{
    return m_state.lock()->totalCostLimit;
}

void NSCache::setTotalCostLimit(NSUInteger limit)
{
    Order released;
    auto state = m_state.lock();
    state->totalCostLimit = limit;
    state->evict(released);
}

NSUInteger NSCache::countLimit() const
{
    return m_state.lock()->countLimit;
}

void NSCache::setCountLimit(NSUInteger limit)
{
    Order released;
    auto state = m_state.lock();
    state->countLimit = limit;
    state->evict(released);
}

NSString NSCache::name() const
{
    return m_state.lock()->name;
}

void NSCache::setName(const NSString& name)
{
    m_state.lock()->name = name;
}
