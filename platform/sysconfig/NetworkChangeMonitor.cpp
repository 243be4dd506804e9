#include "platform/sysconfig/NetworkChangeMonitor.h"

#include "platform/foundation/NSLog.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace sysconfig {

NetworkChangeMonitor& NetworkChangeMonitor::shared()
{
    static NetworkChangeMonitor monitor;
    return monitor;
}

NetworkChangeMonitor::~NetworkChangeMonitor()
{
    if (m_thread.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] auto written = ::write(m_wakeFd, &one, sizeof one);
        m_thread.join();
    }
    if (m_netlinkFd >= 0)
        ::close(m_netlinkFd);
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

void NetworkChangeMonitor::add(const SCNetworkReachabilityRef& target)
{
    MutexLocker lock(m_mutex);
    std::erase_if(m_targets, [](const Entry& entry) { return entry.target.expired(); });
    if (std::none_of(m_targets.begin(), m_targets.end(), [&](const Entry& entry) { return entry.key == target.get(); }))
        m_targets.push_back({ target.get(), target });
    startLocked();
}

void NetworkChangeMonitor::remove(const SCNetworkReachability* target)
{
    MutexLocker lock(m_mutex);
    std::erase_if(m_targets, [&](const Entry& entry) { return entry.key == target; });
}

std::optional<SCNetworkReachabilityFlags> NetworkChangeMonitor::simulatedFlags() const
{
    MutexLocker lock(m_mutex);
    return m_simulated;
}

void NetworkChangeMonitor::setSimulatedFlags(std::optional<SCNetworkReachabilityFlags> flags)
{
    {
        MutexLocker lock(m_mutex);
        m_simulated = flags;
    }
    notifyTargets();
}

void NetworkChangeMonitor::startLocked()
{
    if (m_started)
        return;
    m_started = true;
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_netlinkFd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
    if (m_netlinkFd >= 0) {
        sockaddr_nl address {};
        address.nl_family = AF_NETLINK;
        address.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR | RTMGRP_IPV4_ROUTE | RTMGRP_IPV6_ROUTE;
        if (::bind(m_netlinkFd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            ::close(m_netlinkFd);
            m_netlinkFd = -1;
        }
    }
    // Without the kernel's events (a sandbox may refuse the socket) only simulated changes are
    // seen; the flags read on demand stay right.
    if (m_netlinkFd < 0)
        NSLog("reachability: no route events from the kernel, changes are not reported");
    if (m_wakeFd >= 0)
        m_thread = std::thread([this] { run(); });
}

void NetworkChangeMonitor::run()
{
    pollfd descriptors[2] = { { m_wakeFd, POLLIN, 0 }, { m_netlinkFd, POLLIN, 0 } };
    const nfds_t count = m_netlinkFd >= 0 ? 2 : 1;
    char buffer[8192];
    for (;;) {
        if (::poll(descriptors, count, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (descriptors[0].revents)
            return;
        if (count > 1 && descriptors[1].revents) {
            // One change comes as a burst of messages: drain them all, then look once.
            while (::recv(m_netlinkFd, buffer, sizeof buffer, MSG_DONTWAIT) > 0) { }
            notifyTargets();
        }
    }
}

void NetworkChangeMonitor::notifyTargets()
{
    std::vector<SCNetworkReachabilityRef> live;
    {
        MutexLocker lock(m_mutex);
        for (const auto& entry : m_targets) {
            if (auto target = entry.target.lock())
                live.push_back(std::move(target));
        }
    }
    for (const auto& target : live)
        target->networkMayHaveChanged();
}

} // namespace sysconfig
