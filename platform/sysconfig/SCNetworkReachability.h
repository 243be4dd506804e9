#pragma once
// Network reachability of a host name or an address: whether a packet sent to it now would
// leave the device, and how (flags with the platform's bit values). A target reads its flags on
// demand and, once scheduled on a run loop or a dispatch queue, calls back there whenever its
// flags change. Changes are noticed through the kernel's route and address events; tests drive
// the state by hand with SCNetworkReachabilitySimulateFlags (SCNetworkReachabilityTesting.h).

#include "platform/foundation/Mutex.h"
#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSRunLoop.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <sys/socket.h>

using SCNetworkReachabilityFlags = std::uint32_t;

enum : SCNetworkReachabilityFlags {
    kSCNetworkReachabilityFlagsTransientConnection = 1u << 0,
    kSCNetworkReachabilityFlagsReachable = 1u << 1,
    kSCNetworkReachabilityFlagsConnectionRequired = 1u << 2,
    kSCNetworkReachabilityFlagsConnectionOnTraffic = 1u << 3,
    kSCNetworkReachabilityFlagsInterventionRequired = 1u << 4,
    kSCNetworkReachabilityFlagsConnectionOnDemand = 1u << 5,
    kSCNetworkReachabilityFlagsIsLocalAddress = 1u << 16,
    kSCNetworkReachabilityFlagsIsDirect = 1u << 17,
    kSCNetworkReachabilityFlagsIsWWAN = 1u << 18,
};

class SCNetworkReachability;
using SCNetworkReachabilityRef = std::shared_ptr<SCNetworkReachability>;
// The platform's callout with its context pointer; here the block captures what it needs.
using SCNetworkReachabilityCallBack = std::function<void(const SCNetworkReachabilityRef& target, SCNetworkReachabilityFlags flags)>;

class SCNetworkReachability final : public NSObject {
    NS_OBJECT(SCNetworkReachability, NSObject)
public:
    ~SCNetworkReachability() override;

    // The flags as the system answers now (a host name is resolved first).
    std::optional<SCNetworkReachabilityFlags> currentFlags() const;
    NSString description() const override;

    bool setCallback(SCNetworkReachabilityCallBack callout);
    bool scheduleWithRunLoop(const std::shared_ptr<NSRunLoop>& runLoop, const NSRunLoopMode& mode);
    bool unscheduleFromRunLoop(const std::shared_ptr<NSRunLoop>& runLoop, const NSRunLoopMode& mode);
    bool setDispatchQueue(const dispatch_queue_t& queue);

    // From the change monitor: the network may have changed, look again where scheduled.
    void networkMayHaveChanged();

protected:
    bool init(std::string hostName);
    bool init(const sockaddr* address);

private:
    struct RunLoopSchedule {
        std::weak_ptr<NSRunLoop> runLoop;
        NSString mode;
    };

    void evaluate(std::uint64_t generation);
    void updateRegistrationLocked() REQUIRES(m_mutex);

    std::string m_hostName;
    sockaddr_storage m_address {};
    bool m_byName { false };

    mutable Mutex m_mutex;
    SCNetworkReachabilityCallBack m_callout GUARDED_BY(m_mutex);
    std::vector<RunLoopSchedule> m_runLoops GUARDED_BY(m_mutex);
    dispatch_queue_t m_queue GUARDED_BY(m_mutex);
    // The flags last reported (or seen when scheduling began); a callback fires when they change.
    std::optional<SCNetworkReachabilityFlags> m_lastFlags GUARDED_BY(m_mutex);
    // Bumped by every change of the scheduling, so evaluations queued before it do nothing.
    std::uint64_t m_generation GUARDED_BY(m_mutex) { 0 };
    bool m_registered GUARDED_BY(m_mutex) { false };
};

// The platform's C interface. A target that cannot be made (an empty name, an address of an
// unknown family) is nil.
SCNetworkReachabilityRef SCNetworkReachabilityCreateWithName(const char* nodename);
SCNetworkReachabilityRef SCNetworkReachabilityCreateWithAddress(const sockaddr* address);
// False, with the flags 0, when the state cannot be read.
bool SCNetworkReachabilityGetFlags(const SCNetworkReachabilityRef& target, SCNetworkReachabilityFlags* flags);
// An empty callout removes the callback.
bool SCNetworkReachabilitySetCallback(const SCNetworkReachabilityRef& target, SCNetworkReachabilityCallBack callout);
bool SCNetworkReachabilityScheduleWithRunLoop(const SCNetworkReachabilityRef& target, const std::shared_ptr<NSRunLoop>& runLoop,
    const NSRunLoopMode& mode);
bool SCNetworkReachabilityUnscheduleFromRunLoop(const SCNetworkReachabilityRef& target, const std::shared_ptr<NSRunLoop>& runLoop,
    const NSRunLoopMode& mode);
// A nil queue detaches the target from the queue it was given.
bool SCNetworkReachabilitySetDispatchQueue(const SCNetworkReachabilityRef& target, const dispatch_queue_t& queue);
