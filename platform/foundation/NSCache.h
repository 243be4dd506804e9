#pragma once
// A thread-safe memory cache of objects by key, each with a cost. Past the total cost limit or
// the count limit (0 = none) the least recently used entries go first.

#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

#include <list>
#include <mutex>
#include <unordered_map>

class NSCache : public NSObject {
    NS_OBJECT(NSCache, NSObject)
public:
    id objectForKey(const id& key) const;
    void setObject(const id& object, const id& key, NSUInteger cost = 0);
    void removeObjectForKey(const id& key);
    void removeAllObjects();

    NSUInteger totalCostLimit() const;
    void setTotalCostLimit(NSUInteger limit);
    NSUInteger countLimit() const;
    void setCountLimit(NSUInteger limit);
    NSString name() const;
    void setName(const NSString& name);

private:
    struct KeyHash {
        std::size_t operator()(const id& key) const { return key ? key->hash() : 0; }
    };
    struct KeyEqual {
        bool operator()(const id& a, const id& b) const { return a == b || (a && b && a->isEqual(b)); }
    };
    struct Entry {
        id key;
        id object;
        NSUInteger cost { 0 };
    };
    using Order = std::list<Entry>;

    void evictLocked();

    mutable std::mutex m_mutex;
    mutable Order m_order; // most recently used first
    std::unordered_map<id, Order::iterator, KeyHash, KeyEqual> m_entries;
    NSUInteger m_totalCost { 0 };
    NSUInteger m_totalCostLimit { 0 };
    NSUInteger m_countLimit { 0 };
    NSString m_name;
};
