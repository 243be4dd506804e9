#include "library/network/reachability/Reachability.h"

#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSNotificationCenter.h"

#include <arpa/inet.h>

namespace {

std::shared_ptr<Reachability> monitorFor(SCNetworkReachabilityRef reference)
{
    if (!reference)
        return nullptr;
    return Reachability::create(std::move(reference));
}

std::shared_ptr<Reachability> monitorForIPv4(const char* address)
{
    sockaddr_in socketAddress {};
    socketAddress.sin_family = AF_INET;
    ::inet_pton(AF_INET, address, &socketAddress.sin_addr);
    return Reachability::reachabilityWithAddress(&socketAddress);
}

} // namespace

std::shared_ptr<Reachability> Reachability::reachabilityWithHostname(const NSString& hostname)
{
    return monitorFor(SCNetworkReachabilityCreateWithName(hostname.UTF8String().c_str()));
}

std::shared_ptr<Reachability> Reachability::reachabilityWithAddress(const sockaddr_in* hostAddress)
{
    return monitorFor(SCNetworkReachabilityCreateWithAddress(reinterpret_cast<const sockaddr*>(hostAddress)));
}

std::shared_ptr<Reachability> Reachability::reachabilityForInternetConnection()
{
    return monitorForIPv4("0.0.0.0");
}

std::shared_ptr<Reachability> Reachability::reachabilityForLocalWiFi()
{
    return monitorForIPv4("169.254.0.0");
}

void Reachability::init(SCNetworkReachabilityRef reference)
{
    m_reachabilityRef = std::move(reference);
    m_reachableOnWWAN = true;
}

Reachability::~Reachability()
{
    // A running notifier holds the monitor, so only a stopped one is ever destroyed; the
    // reference is detached all the same, since it may outlive the monitor in a callback.
    SCNetworkReachabilitySetCallback(m_reachabilityRef, {});
    SCNetworkReachabilitySetDispatchQueue(m_reachabilityRef, nullptr);
}

bool Reachability::startNotifier()
{
    MutexLocker lock(m_mutex);
    m_reachabilityObject = self();
    m_reachabilitySerialQueue = dispatch_queue_create("org.corvane.reachability", DISPATCH_QUEUE_SERIAL);
    if (m_reachabilitySerialQueue) {
        // The callback holds the monitor weakly: a change already queued when the monitor goes
        // finds nothing to call instead of a destroyed object.
        std::weak_ptr<Reachability> weakSelf = self();
        const bool registered = SCNetworkReachabilitySetCallback(m_reachabilityRef,
            [weakSelf](const SCNetworkReachabilityRef&, SCNetworkReachabilityFlags flags) {
                if (auto monitor = weakSelf.lock())
                    monitor->reachabilityChanged(flags);
            });
        if (registered) {
            if (SCNetworkReachabilitySetDispatchQueue(m_reachabilityRef, m_reachabilitySerialQueue))
                return true;
            SCNetworkReachabilitySetCallback(m_reachabilityRef, {});
        }
    }
    m_reachabilitySerialQueue = nullptr;
    m_reachabilityObject = nullptr;
    return false;
}

void Reachability::stopNotifier()
{
    id keepAlive;
    {
        MutexLocker lock(m_mutex);
        SCNetworkReachabilitySetCallback(m_reachabilityRef, {});
        SCNetworkReachabilitySetDispatchQueue(m_reachabilityRef, nullptr);
        m_reachabilitySerialQueue = nullptr;
        // Let go outside the lock: this may be the last reference.
        keepAlive = std::move(m_reachabilityObject);
    }
}

bool Reachability::isReachableWithFlags(SCNetworkReachabilityFlags flags) const
{
    if (!(flags & kSCNetworkReachabilityFlagsReachable))
        return false;
    const SCNetworkReachabilityFlags transientAndRequired = kSCNetworkReachabilityFlagsConnectionRequired
        | kSCNetworkReachabilityFlagsTransientConnection;
    if ((flags & transientAndRequired) == transientAndRequired)
        return false;
    if ((flags & kSCNetworkReachabilityFlagsIsWWAN) && !m_reachableOnWWAN)
        return false;
    return true;
}

std::optional<SCNetworkReachabilityFlags> Reachability::flags() const
{
    SCNetworkReachabilityFlags flags = 0;
    if (!SCNetworkReachabilityGetFlags(m_reachabilityRef, &flags))
        return std::nullopt;
    return flags;
}

bool Reachability::isReachable() const
{
    auto current = flags();
    return current && isReachableWithFlags(*current);
}

bool Reachability::isReachableViaWWAN() const
{
    auto current = flags();
    return current && (*current & kSCNetworkReachabilityFlagsReachable) && (*current & kSCNetworkReachabilityFlagsIsWWAN);
}

bool Reachability::isReachableViaWiFi() const
{
    auto current = flags();
    return current && (*current & kSCNetworkReachabilityFlagsReachable) && !(*current & kSCNetworkReachabilityFlagsIsWWAN);
}

bool Reachability::connectionRequired() const
{
    auto current = flags();
    return current && (*current & kSCNetworkReachabilityFlagsConnectionRequired);
}

bool Reachability::isConnectionOnDemand() const
{
    auto current = flags();
    return current && (*current & kSCNetworkReachabilityFlagsConnectionRequired)
        && (*current & (kSCNetworkReachabilityFlagsConnectionOnTraffic | kSCNetworkReachabilityFlagsConnectionOnDemand));
}

bool Reachability::isInterventionRequired() const
{
    auto current = flags();
    return current && (*current & kSCNetworkReachabilityFlagsConnectionRequired)
        && (*current & kSCNetworkReachabilityFlagsInterventionRequired);
}

NetworkStatus Reachability::currentReachabilityStatus() const
{
    if (!isReachable())
        return NotReachable;
    return isReachableViaWiFi() ? ReachableViaWiFi : ReachableViaWWAN;
}

SCNetworkReachabilityFlags Reachability::reachabilityFlags() const
{
    return flags().value_or(0);
}

NSString Reachability::currentReachabilityString() const
{
    const char* key = "No Connection";
    switch (currentReachabilityStatus()) {
    case ReachableViaWWAN:
        key = "Cellular";
        break;
    case ReachableViaWiFi:
        key = "WiFi";
        break;
    case NotReachable:
        break;
    }
    return NSBundle::mainBundle()->localizedStringForKey(key, "", nullptr);
}

NSString Reachability::currentReachabilityFlags() const
{
    const auto flags = reachabilityFlags();
    auto bit = [flags](SCNetworkReachabilityFlags mask, char letter) { return (flags & mask) ? letter : '-'; };
    return NSString::stringWithFormat("%c%c %c%c%c%c%c%c%c",
        bit(kSCNetworkReachabilityFlagsIsWWAN, 'W'),
        bit(kSCNetworkReachabilityFlagsReachable, 'R'),
        bit(kSCNetworkReachabilityFlagsConnectionRequired, 'c'),
        bit(kSCNetworkReachabilityFlagsTransientConnection, 't'),
        bit(kSCNetworkReachabilityFlagsInterventionRequired, 'i'),
        bit(kSCNetworkReachabilityFlagsConnectionOnTraffic, 'C'),
        bit(kSCNetworkReachabilityFlagsConnectionOnDemand, 'D'),
        bit(kSCNetworkReachabilityFlagsIsLocalAddress, 'l'),
        bit(kSCNetworkReachabilityFlagsIsDirect, 'd'));
}

void Reachability::reachabilityChanged(SCNetworkReachabilityFlags flags)
{
    const bool reachable = isReachableWithFlags(flags);
    std::function<void(Reachability&)> block;
    {
        MutexLocker lock(m_mutex);
        block = reachable ? m_reachableBlock : m_unreachableBlock;
    }
    if (block)
        block(*this);
    std::shared_ptr<Reachability> monitor = self();
    dispatch_async(dispatch_get_main_queue(), [monitor] {
        NSNotificationCenter::defaultCenter()->postNotificationName(kReachabilityChangedNotification, monitor);
    });
}

NSString Reachability::description() const
{
    return NSString::stringWithFormat("<%s: %#x>", className(),
        static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(this) & 0xffffffffu));
}

Reachability::NetworkReachable Reachability::reachableBlock() const
{
    MutexLocker lock(m_mutex);
    return m_reachableBlock;
}

void Reachability::setReachableBlock(NetworkReachable block)
{
    MutexLocker lock(m_mutex);
    m_reachableBlock = std::move(block);
}

Reachability::NetworkUnreachable Reachability::unreachableBlock() const
{
    MutexLocker lock(m_mutex);
    return m_unreachableBlock;
}

void Reachability::setUnreachableBlock(NetworkUnreachable block)
{
    MutexLocker lock(m_mutex);
    m_unreachableBlock = std::move(block);
}

dispatch_queue_t Reachability::reachabilitySerialQueue() const
{
    MutexLocker lock(m_mutex);
    return m_reachabilitySerialQueue;
}

id Reachability::reachabilityObject() const
{
    MutexLocker lock(m_mutex);
    return m_reachabilityObject;
}
