#include "platform/sysconfig/RoutingState.h"

#include <arpa/inet.h>
#include <cstring>
#include <ifaddrs.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

namespace sysconfig {

namespace {

// Documentation addresses: routed like any outside host, never answered by anyone.
constexpr const char* kOutsideIPv4 = "192.0.2.1";
constexpr const char* kOutsideIPv6 = "2001:db8::1";
constexpr in_port_t kProbePort = 9;

class Socket {
public:
    explicit Socket(int family) : m_fd(::socket(family, SOCK_DGRAM | SOCK_CLOEXEC, 0)) { }
    ~Socket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

class InterfaceList {
public:
    InterfaceList()
    {
        if (::getifaddrs(&m_list) != 0)
            m_list = nullptr;
    }
    ~InterfaceList()
    {
        if (m_list)
            ::freeifaddrs(m_list);
    }
    InterfaceList(const InterfaceList&) = delete;
    InterfaceList& operator=(const InterfaceList&) = delete;
    const ifaddrs* first() const { return m_list; }

private:
    ifaddrs* m_list { nullptr };
};

bool isZeroAddress(const sockaddr* address)
{
    if (address->sa_family == AF_INET)
        return reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr == htonl(INADDR_ANY);
    const auto& bytes = reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr;
    return IN6_IS_ADDR_UNSPECIFIED(&bytes);
}

bool isLoopback(const sockaddr* address)
{
    if (address->sa_family == AF_INET)
        return (ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr) >> 24) == 127;
    const auto& bytes = reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr;
    return IN6_IS_ADDR_LOOPBACK(&bytes);
}

// The address bytes alone (no port), for comparisons.
std::string addressBytes(const sockaddr* address)
{
    if (!address)
        return {};
    if (address->sa_family == AF_INET) {
        const auto& in = reinterpret_cast<const sockaddr_in*>(address)->sin_addr;
        return std::string(reinterpret_cast<const char*>(&in), sizeof in);
    }
    if (address->sa_family == AF_INET6) {
        const auto& in = reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr;
        return std::string(reinterpret_cast<const char*>(&in), sizeof in);
    }
    return {};
}

bool sameNetwork(const std::string& a, const std::string& b, const std::string& mask)
{
    if (a.size() != b.size() || a.size() != mask.size() || a.empty())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if ((a[i] & mask[i]) != (b[i] & mask[i]))
            return false;
    }
    return true;
}

bool isMobileBroadband(const char* interfaceName)
{
    return std::strncmp(interfaceName, "ww", 2) == 0 || std::strncmp(interfaceName, "rmnet", 5) == 0;
}

} // namespace

socklen_t addressLength(const sockaddr* address)
{
    if (!address)
        return 0;
    if (address->sa_family == AF_INET)
        return sizeof(sockaddr_in);
    if (address->sa_family == AF_INET6)
        return sizeof(sockaddr_in6);
    return 0;
}

SCNetworkReachabilityFlags flagsForAddress(const sockaddr* address)
{
    const socklen_t length = addressLength(address);
    if (length == 0)
        return 0;
    sockaddr_storage destination {};
    std::memcpy(&destination, address, length);
    const bool general = isZeroAddress(address);
    if (destination.ss_family == AF_INET) {
        auto& in = reinterpret_cast<sockaddr_in&>(destination);
        if (general)
            ::inet_pton(AF_INET, kOutsideIPv4, &in.sin_addr);
        if (in.sin_port == 0)
            in.sin_port = htons(kProbePort);
    } else {
        auto& in = reinterpret_cast<sockaddr_in6&>(destination);
        if (general)
            ::inet_pton(AF_INET6, kOutsideIPv6, &in.sin6_addr);
        if (in.sin6_port == 0)
            in.sin6_port = htons(kProbePort);
    }

    Socket probe(destination.ss_family);
    if (probe.fd() < 0 || ::connect(probe.fd(), reinterpret_cast<const sockaddr*>(&destination), length) != 0)
        return 0;
    sockaddr_storage local {};
    socklen_t localLength = sizeof local;
    if (::getsockname(probe.fd(), reinterpret_cast<sockaddr*>(&local), &localLength) != 0)
        return 0;

    SCNetworkReachabilityFlags flags = kSCNetworkReachabilityFlagsReachable;
    const auto destinationBytes = addressBytes(reinterpret_cast<const sockaddr*>(&destination));
    const auto localBytes = addressBytes(reinterpret_cast<const sockaddr*>(&local));
    bool isLocal = !general && isLoopback(reinterpret_cast<const sockaddr*>(&destination));
    InterfaceList interfaces;
    for (auto* entry = interfaces.first(); entry; entry = entry->ifa_next) {
        const auto bytes = addressBytes(entry->ifa_addr);
        if (bytes.empty())
            continue;
        if (!general && bytes == destinationBytes)
            isLocal = true;
        if (bytes != localBytes)
            continue;
        if (isMobileBroadband(entry->ifa_name))
            flags |= kSCNetworkReachabilityFlagsIsWWAN;
        if (!general && sameNetwork(bytes, destinationBytes, addressBytes(entry->ifa_netmask)))
            flags |= kSCNetworkReachabilityFlagsIsDirect;
    }
    if (isLocal)
        flags |= kSCNetworkReachabilityFlagsIsLocalAddress | kSCNetworkReachabilityFlagsIsDirect;
    return flags;
}

SCNetworkReachabilityFlags flagsForHostName(const std::string& hostName)
{
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* results = nullptr;
    if (::getaddrinfo(hostName.c_str(), nullptr, &hints, &results) != 0 || !results)
        return 0;
    SCNetworkReachabilityFlags found = 0;
    for (auto* entry = results; entry; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET && entry->ai_family != AF_INET6)
            continue;
        found = flagsForAddress(entry->ai_addr);
        if (found & kSCNetworkReachabilityFlagsReachable)
            break;
    }
    ::freeaddrinfo(results);
    return found;
}

} // namespace sysconfig
