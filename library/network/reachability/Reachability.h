#pragma once
// Watches whether a host, an address, the internet in general or the local Wi-Fi link can be
// reached. Queries read the flags afresh at each call; once the notifier runs, every change
// runs one of the two blocks on the monitor's own serial queue and posts
// kReachabilityChangedNotification on the main queue with the monitor as object.

#include "platform/dispatch/dispatch.h"
#include "platform/foundation/Mutex.h"
#include "platform/sysconfig/SCNetworkReachability.h"

#include <netinet/in.h>

inline constexpr const char* kReachabilityChangedNotification = "kReachabilityChangedNotification";

enum NetworkStatus : std::int64_t {
    NotReachable = 0,
    ReachableViaWWAN = 1,
    ReachableViaWiFi = 2,
};

class Reachability : public NSObject {
    NS_OBJECT(Reachability, NSObject)
public:
    using NetworkReachable = std::function<void(Reachability& reachability)>;
    using NetworkUnreachable = std::function<void(Reachability& reachability)>;

    static std::shared_ptr<Reachability> reachabilityWithHostname(const NSString& hostname);
    static std::shared_ptr<Reachability> reachabilityWithHostName(const NSString& hostname) { return reachabilityWithHostname(hostname); }
    static std::shared_ptr<Reachability> reachabilityWithAddress(const sockaddr_in* hostAddress);
    static std::shared_ptr<Reachability> reachabilityForInternetConnection();
    static std::shared_ptr<Reachability> reachabilityForLocalWiFi();

    ~Reachability() override;

    bool startNotifier();
    void stopNotifier();

    bool isReachableWithFlags(SCNetworkReachabilityFlags flags) const;
    bool isReachable() const;
    bool isReachableViaWWAN() const;
    bool isReachableViaWiFi() const;
    bool isConnectionRequired() const { return connectionRequired(); }
    bool connectionRequired() const;
    bool isConnectionOnDemand() const;
    bool isInterventionRequired() const;
    NetworkStatus currentReachabilityStatus() const;
    SCNetworkReachabilityFlags reachabilityFlags() const;
    NSString currentReachabilityString() const;
    NSString currentReachabilityFlags() const;
    void reachabilityChanged(SCNetworkReachabilityFlags flags);
    NSString description() const override;

    NetworkReachable reachableBlock() const;
    void setReachableBlock(NetworkReachable block);
    NetworkUnreachable unreachableBlock() const;
    void setUnreachableBlock(NetworkUnreachable block);
    bool reachableOnWWAN() const { return m_reachableOnWWAN; }
    void setReachableOnWWAN(bool reachable) { m_reachableOnWWAN = reachable; }
    const SCNetworkReachabilityRef& reachabilityRef() const { return m_reachabilityRef; }
    dispatch_queue_t reachabilitySerialQueue() const;
    id reachabilityObject() const;

protected:
    // initWithReachabilityRef:
    void init(SCNetworkReachabilityRef reference);

private:
    std::optional<SCNetworkReachabilityFlags> flags() const;

    mutable Mutex m_mutex;
    NetworkReachable m_reachableBlock GUARDED_BY(m_mutex);
    NetworkUnreachable m_unreachableBlock GUARDED_BY(m_mutex);
    std::atomic<bool> m_reachableOnWWAN { true };
    // Set by init, before the monitor is shared.
    SCNetworkReachabilityRef m_reachabilityRef;
    dispatch_queue_t m_reachabilitySerialQueue GUARDED_BY(m_mutex);
    // A running notifier keeps its monitor alive, even when its creator lets go of it.
    id m_reachabilityObject GUARDED_BY(m_mutex);
};
