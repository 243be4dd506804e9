#include "platform/foundation/KeyObserverList.h"

NSUInteger KeyObserverList::add(const NSString& keyPath, KeyObserver observer)
{
    if (!observer || keyPath.isNil())
        return 0;
    auto entry = std::make_shared<KeyObserver>(std::move(observer));
    auto state = m_state.lock();
    const NSUInteger token = state->nextToken++;
    state->entries.push_back({ token, keyPath.UTF8String(), std::move(entry) });
    return token;
}

void KeyObserverList::remove(NSUInteger token)
{
    // Declared before the lock, so the observer is destroyed after it is released.
    std::shared_ptr<KeyObserver> removed;
    auto state = m_state.lock();
    std::erase_if(state->entries, [&](Entry& entry) {
        if (entry.token != token)
            return false;
        removed = std::move(entry.observer);
        return true;
    });
}

void KeyObserverList::announce(const NSString& keyPath) const
{
    const std::string name = keyPath.UTF8String();
    std::vector<std::shared_ptr<KeyObserver>> observers;
    {
        auto state = m_state.lock();
        for (const auto& entry : state->entries) {
            if (entry.keyPath == name)
                observers.push_back(entry.observer);
        }
    }
    for (const auto& observer : observers)
        (*observer)(keyPath);
}
