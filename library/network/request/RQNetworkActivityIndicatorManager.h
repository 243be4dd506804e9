#pragma once
// A count of running request operations that shows the status bar's network activity indicator
// (off unless enabled).

#include "platform/foundation/KeyObserverList.h"
#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSNotification.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSTimer.h"

#include <atomic>
#include <functional>

class RQNetworkActivityIndicatorManager : public NSObject {
    NS_OBJECT(RQNetworkActivityIndicatorManager, NSObject)
public:
    static std::shared_ptr<RQNetworkActivityIndicatorManager> sharedManager();
    ~RQNetworkActivityIndicatorManager() override;

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    NSInteger activityCount() const;
    bool isNetworkActivityIndicatorVisible() const { return activityCount() > 0; }
    void incrementActivityCount();
    void decrementActivityCount();
    void setActivityCount(NSInteger count);

    // Hears every change of "activityCount", and of "isNetworkActivityIndicatorVisible", which
    // follows it, on the thread that made the change, once the count holds its new value.
    using KeyObserver = KeyObserverList::KeyObserver;
    NSUInteger addObserverForKeyPath(const NSString& keyPath, KeyObserver observer);
    void removeObserverForKeyPath(NSUInteger token);

protected:
    void init();

private:
    void changeActivityCount(const std::function<NSInteger(NSInteger)>& change);
    void updateNetworkActivityIndicatorVisibilityDelayed();
    void updateNetworkActivityIndicatorVisibility();
    void networkingOperationDidStart(const std::shared_ptr<NSNotification>& notification);
    void networkingOperationDidFinish(const std::shared_ptr<NSNotification>& notification);


    mutable Mutex m_mutex;
    std::atomic<bool> m_enabled { false };
    NSInteger m_activityCount GUARDED_BY(m_mutex) { 0 };
    KeyObserverList m_keyObservers;
    std::shared_ptr<NSTimer> m_activityIndicatorVisibilityTimer;
};
