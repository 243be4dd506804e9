#pragma once
// What the kernel's routing answers about a destination, as reachability flags. No packet is
// sent: a datagram socket connected to the destination makes the kernel choose the route and
// the local address, which tells whether the destination is reachable, local, on a directly
// attached network, or behind a mobile-broadband interface.

#include "platform/sysconfig/SCNetworkReachability.h"

#include <string>

namespace sysconfig {

// The zero address stands for the internet in general: reachable when a default route exists.
SCNetworkReachabilityFlags flagsForAddress(const sockaddr* address);
// The flags of the first resolved address that is reachable; 0 when the name does not resolve.
SCNetworkReachabilityFlags flagsForHostName(const std::string& hostName);
socklen_t addressLength(const sockaddr* address);

} // namespace sysconfig
