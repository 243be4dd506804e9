#pragma once
// A thread-safe memory cache of objects by key, each with a cost. Past the total cost limit or
// the count limit (0 = none) the least recently used entries go first.

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

#include <list>
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

    struct State {
        Order order; // most recently used first
        std::unordered_map<id, Order::iterator, KeyHash, KeyEqual> entries;
        NSUInteger totalCost { 0 };
        NSUInteger totalCostLimit { 0 };
        NSUInteger countLimit { 0 };
        NSString name;

        // Moves the entries past the limits into released, which the caller drops after the lock.
        void evict(Order& released);
        void remove(const id& key, Order& released);
    };
    // Mutable: a read moves its entry to the front.
    mutable Guarded<State> m_state;
};
