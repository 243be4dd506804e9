#include "platform/foundation/NSNotificationCenter.h"

#include "platform/foundation/NSOperationQueue.h"
#include "platform/foundation/NeverDestroyed.h"

#include <algorithm>
#include <atomic>

struct NSNotificationCenter::Registration {
    std::weak_ptr<NSObject> observer;
    const NSObject* observerAddress { nullptr };
    // Block registrations keep their token, so they last until removed.
    id token;
    NSString name;
    std::weak_ptr<NSObject> object;
    bool anyObject { true };
    Callback callback;
    std::shared_ptr<NSOperationQueue> queue;
    std::atomic<bool> removed { false };

    bool expired() const { return observer.expired() || (!anyObject && object.expired()); }
};

namespace {

// Compares by control block, so a new object that happens to reuse a dead one's address is not
// taken for it (the control block outlives the object while weak references remain).
bool sameOwner(const std::weak_ptr<NSObject>& stored, const id& object)
{
    return object && !stored.owner_before(object) && !object.owner_before(stored);
}

bool matches(const NSString& filterName, const std::weak_ptr<NSObject>& filterObject, bool anyObject,
    const NSString& name, const id& object)
{
    if (!filterName.isNil() && !filterName.isEqualToString(name))
        return false;
    return anyObject || sameOwner(filterObject, object);
}

} // namespace

const std::shared_ptr<NSNotificationCenter>& NSNotificationCenter::defaultCenter()
{
    // Never destroyed: objects that go during static destruction (the application's windows and
    // controllers) still remove their observations in their destructors.
    static const NeverDestroyed<std::shared_ptr<NSNotificationCenter>> center(create());
    return center.get();
}

void NSNotificationCenter::addObserver(const id& observer, Callback callback, const NSString& name, const id& object)
{
    if (!observer || !callback)
        return;
    auto registration = std::make_shared<Registration>();
    registration->observer = observer;
    registration->observerAddress = observer.get();
    registration->name = name;
    registration->object = object;
    registration->anyObject = object == nullptr;
    registration->callback = std::move(callback);
    addRegistration(std::move(registration));
}

id NSNotificationCenter::addObserverForName(const NSString& name, const id& object,
    const std::shared_ptr<NSOperationQueue>& queue, Callback block)
{
    id token = NSObject::create();
    if (!block)
        return token;
    auto registration = std::make_shared<Registration>();
    registration->observer = token;
    registration->observerAddress = token.get();
    registration->token = token;
    registration->name = name;
    registration->object = object;
    registration->anyObject = object == nullptr;
    registration->callback = std::move(block);
    registration->queue = queue;
    addRegistration(std::move(registration));
    return token;
}

void NSNotificationCenter::addRegistration(std::shared_ptr<Registration> registration)
{
    Registrations expired;
    auto registrations = m_registrations.lock();
    expired = pruneExpired(*registrations);
    registrations->push_back(std::move(registration));
}

void NSNotificationCenter::removeObserver(const NSObject* observer)
{
    removeObserver(observer, NSString(), nullptr);
}

void NSNotificationCenter::removeObserver(const NSObject* observer, const NSString& name, const id& object)
{
    if (!observer)
        return;
    Registrations removed;
    {
        auto registrations = m_registrations.lock();
        std::erase_if(*registrations, [&](const std::shared_ptr<Registration>& registration) {
            if (registration->observerAddress != observer)
                return false;
            if (!name.isNil() && !registration->name.isEqualToString(name))
                return false;
            if (object && !sameOwner(registration->object, object))
                return false;
            registration->removed = true;
            // The token and callback are released outside the lock: their destruction may run
            // arbitrary code, including calls back into the center.
            removed.push_back(registration);
            return true;
        });
    }
}

void NSNotificationCenter::postNotification(const std::shared_ptr<NSNotification>& notification)
{
    if (!notification)
        return;
    Registrations matching;
    {
        auto registrations = m_registrations.lock();
        for (const auto& registration : *registrations) {
            if (matches(registration->name, registration->object, registration->anyObject, notification->name(),
                    notification->object()))
                matching.push_back(registration);
        }
    }
    bool sawExpired = false;
    for (const auto& registration : matching) {
        if (registration->removed)
            continue;
        id observer = registration->observer.lock();
        if (!observer) {
            sawExpired = true;
            continue;
        }
        // A block meant for the queue the post runs on runs at once, keeping the order of
        // observers; one meant for another queue is handed to it.
        if (registration->queue && registration->queue != NSOperationQueue::currentQueue()) {
            registration->queue->addOperationWithBlock([callback = registration->callback, notification] {
                callback(notification);
            });
            continue;
        }
        registration->callback(notification);
    }
    if (sawExpired) {
        Registrations expired;
        auto registrations = m_registrations.lock();
        expired = pruneExpired(*registrations);
    }
}

void NSNotificationCenter::postNotificationName(const NSString& name, const id& object,
    const std::shared_ptr<NSDictionary>& userInfo)
{
    postNotification(NSNotification::notificationWithName(name, object, userInfo));
}

NSUInteger NSNotificationCenter::observationCount() const
{
    auto registrations = m_registrations.lock();
    return std::count_if(registrations->begin(), registrations->end(),
        [](const std::shared_ptr<Registration>& registration) { return !registration->expired(); });
}

// Answers the pruned registrations so that the caller releases them after unlocking.
NSNotificationCenter::Registrations NSNotificationCenter::pruneExpired(Registrations& registrations)
{
    Registrations expired;
    std::erase_if(registrations, [&expired](const std::shared_ptr<Registration>& registration) {
        if (!registration->expired())
            return false;
        registration->removed = true;
        expired.push_back(registration);
        return true;
    });
    return expired;
}
