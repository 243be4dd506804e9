#pragma once
// Synchronous notifications: postNotification calls every matching observer on the posting
// thread before it returns. Observers registered by member are held weakly, so a destroyed
// observer is skipped and pruned instead of called; block observers are kept by their token
// until it is removed. An observer removed while a notification is being posted is not
// called afterwards in that post; one added during a post first hears the next post.

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSNotification.h"

#include <functional>
#include <vector>

class NSOperationQueue;

class NSNotificationCenter : public NSObject {
    NS_OBJECT(NSNotificationCenter, NSObject)
public:
    using Callback = std::function<void(const std::shared_ptr<NSNotification>&)>;

    static const std::shared_ptr<NSNotificationCenter>& defaultCenter();

    // The callback is the observer's member bound without keeping the observer alive; it runs
    // only while the observer exists. A nil name observes every name, a nil object every sender.
    void addObserver(const id& observer, Callback callback, const NSString& name, const id& object);
    template <class T>
    void addObserver(const std::shared_ptr<T>& observer, void (T::*selector)(const std::shared_ptr<NSNotification>&),
        const NSString& name, const id& object)
    {
        std::weak_ptr<T> weakObserver = observer;
        addObserver(observer, [weakObserver, selector](const std::shared_ptr<NSNotification>& notification) {
            if (auto strongObserver = weakObserver.lock())
                ((*strongObserver).*selector)(notification);
        }, name, object);
    }
    template <class T>
    void addObserver(const std::shared_ptr<T>& observer, void (T::*selector)(), const NSString& name, const id& object)
    {
        std::weak_ptr<T> weakObserver = observer;
        addObserver(observer, [weakObserver, selector](const std::shared_ptr<NSNotification>&) {
            if (auto strongObserver = weakObserver.lock())
                ((*strongObserver).*selector)();
        }, name, object);
    }

    // Answers the token that removeObserver takes; the registration lives until then. With a
    // queue other than the posting thread's current one the block is handed to that queue;
    // otherwise it runs on the posting thread before postNotification returns.
    id addObserverForName(const NSString& name, const id& object, const std::shared_ptr<NSOperationQueue>& queue,
        Callback block);

    // Raw pointers so that a destructor, where no shared_ptr to the object exists any more,
    // can remove its own registrations.
    void removeObserver(const NSObject* observer);
    void removeObserver(const id& observer) { removeObserver(observer.get()); }
    // A nil name or object matches every name or object of the observer's registrations.
    void removeObserver(const NSObject* observer, const NSString& name, const id& object);
    void removeObserver(const id& observer, const NSString& name, const id& object)
    {
        removeObserver(observer.get(), name, object);
    }

    void postNotification(const std::shared_ptr<NSNotification>& notification);
    void postNotificationName(const NSString& name, const id& object, const std::shared_ptr<NSDictionary>& userInfo = nullptr);

    // Live registrations, for tests of pruning.
    NSUInteger observationCount() const;

private:
    struct Registration;
    using Registrations = std::vector<std::shared_ptr<Registration>>;
    void addRegistration(std::shared_ptr<Registration> registration);
    static Registrations pruneExpired(Registrations& registrations);

    // Never held while an observer runs or a registration is released.
    Guarded<Registrations> m_registrations;
};
