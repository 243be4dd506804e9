#pragma once
// The observers of an object's keys, safe to add to, remove from and announce on any thread.
// Observers run outside the list's lock, on the announcing thread, so one may read its object
// or stop observing; one removed is let go outside the lock too.

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSString.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class KeyObserverList {
public:
    using KeyObserver = std::function<void(const NSString& keyPath)>;

    // 0 for a nil key path or an empty observer.
    NSUInteger add(const NSString& keyPath, KeyObserver observer);
    void remove(NSUInteger token);
    void announce(const NSString& keyPath) const;

private:
    struct Entry {
        NSUInteger token { 0 };
        std::string keyPath;
        std::shared_ptr<KeyObserver> observer;
    };
    struct State {
        NSUInteger nextToken { 1 };
        std::vector<Entry> entries;
    };
    Guarded<State> m_state;
};
