#include "platform/sysconfig/SCNetworkReachability.h"

#include "platform/sysconfig/NetworkChangeMonitor.h"
#include "platform/sysconfig/RoutingState.h"
#include "platform/sysconfig/SCNetworkReachabilityTesting.h"

#include <arpa/inet.h>
#include <cstring>

SCNetworkReachability::~SCNetworkReachability()
{
    sysconfig::NetworkChangeMonitor::shared().remove(this);
}

bool SCNetworkReachability::init(std::string hostName)
{
    if (hostName.empty())
        return false;
    m_hostName = std::move(hostName);
    m_byName = true;
    return true;
}

bool SCNetworkReachability::init(const sockaddr* address)
{
    const socklen_t length = sysconfig::addressLength(address);
    if (length == 0)
        return false;
    std::memcpy(&m_address, address, length);
    return true;
}

std::optional<SCNetworkReachabilityFlags> SCNetworkReachability::currentFlags() const
{
    if (auto simulated = sysconfig::NetworkChangeMonitor::shared().simulatedFlags())
        return simulated;
    if (m_byName)
        return sysconfig::flagsForHostName(m_hostName);
    return sysconfig::flagsForAddress(reinterpret_cast<const sockaddr*>(&m_address));
}

NSString SCNetworkReachability::description() const
{
    if (m_byName)
        return NSString::stringWithFormat("<SCNetworkReachability %p> {name = %s}", this, m_hostName.c_str());
    char text[INET6_ADDRSTRLEN] = {};
    const void* bytes = m_address.ss_family == AF_INET
        ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in&>(m_address).sin_addr)
        : static_cast<const void*>(&reinterpret_cast<const sockaddr_in6&>(m_address).sin6_addr);
    ::inet_ntop(m_address.ss_family, bytes, text, sizeof text);
    return NSString::stringWithFormat("<SCNetworkReachability %p> {address = %s}", this, text);
}

bool SCNetworkReachability::setCallback(SCNetworkReachabilityCallBack callout)
{
    MutexLocker lock(m_mutex);
    m_callout = std::move(callout);
    return true;
}

bool SCNetworkReachability::scheduleWithRunLoop(const std::shared_ptr<NSRunLoop>& runLoop, const NSRunLoopMode& mode)
{
    if (!runLoop || mode.length() == 0)
        return false;
    const auto baseline = currentFlags();
    {
        MutexLocker lock(m_mutex);
        for (const auto& schedule : m_runLoops) {
            if (schedule.runLoop.lock() == runLoop && schedule.mode.isEqualToString(mode))
                return true;
        }
        m_runLoops.push_back({ runLoop, mode });
        if (m_runLoops.size() == 1 && !m_queue)
            m_lastFlags = baseline;
        ++m_generation;
        updateRegistrationLocked();
    }
    return true;
}

bool SCNetworkReachability::unscheduleFromRunLoop(const std::shared_ptr<NSRunLoop>& runLoop, const NSRunLoopMode& mode)
{
    MutexLocker lock(m_mutex);
    const auto before = m_runLoops.size();
    std::erase_if(m_runLoops, [&](const RunLoopSchedule& schedule) {
        auto scheduled = schedule.runLoop.lock();
        return !scheduled || (scheduled == runLoop && schedule.mode.isEqualToString(mode));
    });
    ++m_generation;
    return m_runLoops.size() != before;
}

bool SCNetworkReachability::setDispatchQueue(const dispatch_queue_t& queue)
{
    const auto baseline = queue ? currentFlags() : std::nullopt;
    MutexLocker lock(m_mutex);
    if (queue && m_runLoops.empty())
        m_lastFlags = baseline;
    m_queue = queue;
    ++m_generation;
    updateRegistrationLocked();
    return true;
}

void SCNetworkReachability::updateRegistrationLocked()
{
    if (m_registered || (m_runLoops.empty() && !m_queue))
        return;
    m_registered = true;
    sysconfig::NetworkChangeMonitor::shared().add(self());
}

void SCNetworkReachability::networkMayHaveChanged()
{
    std::vector<RunLoopSchedule> runLoops;
    dispatch_queue_t queue;
    std::uint64_t generation;
    {
        MutexLocker lock(m_mutex);
        runLoops = m_runLoops;
        queue = m_queue;
        generation = m_generation;
    }
    std::weak_ptr<SCNetworkReachability> weakSelf = self();
    auto evaluation = [weakSelf, generation] {
        if (auto target = weakSelf.lock())
            target->evaluate(generation);
    };
    for (const auto& schedule : runLoops) {
        if (auto runLoop = schedule.runLoop.lock())
            runLoop->performInModes({ schedule.mode }, evaluation);
    }
    if (queue)
        dispatch_async(queue, evaluation);
}

void SCNetworkReachability::evaluate(std::uint64_t generation)
{
    const auto flags = currentFlags();
    SCNetworkReachabilityCallBack callout;
    {
        MutexLocker lock(m_mutex);
        // A schedule changed since the look was asked for, or nothing changed: stay quiet.
        if (generation != m_generation || flags == m_lastFlags)
            return;
        m_lastFlags = flags;
        callout = m_callout;
    }
    if (callout)
        callout(self(), flags.value_or(0));
}

SCNetworkReachabilityRef SCNetworkReachabilityCreateWithName(const char* nodename)
{
    if (!nodename)
        return nullptr;
    return SCNetworkReachability::create(std::string(nodename));
}

SCNetworkReachabilityRef SCNetworkReachabilityCreateWithAddress(const sockaddr* address)
{
    return SCNetworkReachability::create(address);
}

bool SCNetworkReachabilityGetFlags(const SCNetworkReachabilityRef& target, SCNetworkReachabilityFlags* flags)
{
    const auto current = target ? target->currentFlags() : std::nullopt;
    if (flags)
        *flags = current.value_or(0);
    return current.has_value();
}

bool SCNetworkReachabilitySetCallback(const SCNetworkReachabilityRef& target, SCNetworkReachabilityCallBack callout)
{
    return target && target->setCallback(std::move(callout));
}

bool SCNetworkReachabilityScheduleWithRunLoop(const SCNetworkReachabilityRef& target, const std::shared_ptr<NSRunLoop>& runLoop,
    const NSRunLoopMode& mode)
{
    return target && target->scheduleWithRunLoop(runLoop, mode);
}

bool SCNetworkReachabilityUnscheduleFromRunLoop(const SCNetworkReachabilityRef& target, const std::shared_ptr<NSRunLoop>& runLoop,
    const NSRunLoopMode& mode)
{
    return target && target->unscheduleFromRunLoop(runLoop, mode);
}

bool SCNetworkReachabilitySetDispatchQueue(const SCNetworkReachabilityRef& target, const dispatch_queue_t& queue)
{
    return target && target->setDispatchQueue(queue);
}

void SCNetworkReachabilitySimulateFlags(SCNetworkReachabilityFlags flags)
{
    sysconfig::NetworkChangeMonitor::shared().setSimulatedFlags(flags);
}

void SCNetworkReachabilityEndSimulation()
{
    sysconfig::NetworkChangeMonitor::shared().setSimulatedFlags(std::nullopt);
}
