#pragma once
// The one watcher of the kernel's link, address and route events in the process. It runs a
// thread of its own from the first target on, and tells every live target to look again after
// each burst of events, or when a test changes the simulated state.

#include "platform/foundation/Mutex.h"
#include "platform/sysconfig/SCNetworkReachability.h"

#include <optional>
#include <thread>

namespace sysconfig {

class NetworkChangeMonitor {
public:
    static NetworkChangeMonitor& shared();
    ~NetworkChangeMonitor();
    NetworkChangeMonitor(const NetworkChangeMonitor&) = delete;
    NetworkChangeMonitor& operator=(const NetworkChangeMonitor&) = delete;

    void add(const SCNetworkReachabilityRef& target);
    void remove(const SCNetworkReachability* target);

    std::optional<SCNetworkReachabilityFlags> simulatedFlags() const;
    void setSimulatedFlags(std::optional<SCNetworkReachabilityFlags> flags);

private:
    NetworkChangeMonitor() = default;
    void startLocked() REQUIRES(m_mutex);
    void run();
    void notifyTargets();

    struct Entry {
        const SCNetworkReachability* key;
        std::weak_ptr<SCNetworkReachability> target;
    };

    mutable Mutex m_mutex;
    std::vector<Entry> m_targets GUARDED_BY(m_mutex);
    std::optional<SCNetworkReachabilityFlags> m_simulated GUARDED_BY(m_mutex);
    std::thread m_thread;
    int m_netlinkFd { -1 };
    int m_wakeFd { -1 };
    bool m_started GUARDED_BY(m_mutex) { false };
};

} // namespace sysconfig
