#include "platform/layers/CADisplayLink.h"

#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSTimer.h"

std::shared_ptr<CADisplayLink> CADisplayLink::displayLinkWithTarget(const id& target, Action selector)
{
    return create(target, std::move(selector));
}

void CADisplayLink::init(const id& target, Action action)
{
    m_target = target;
    m_action = std::move(action);
}

void CADisplayLink::setFrameInterval(NSInteger interval)
{
    if (interval < 1 || interval == m_frameInterval)
        return;
    m_frameInterval = interval;
    for (auto& registration : m_registrations)
        schedule(registration);
}

void CADisplayLink::schedule(Registration& registration)
{
    if (registration.timer)
        registration.timer->invalidate();
    auto runLoop = registration.runLoop.lock();
    if (!runLoop)
        return;
    std::weak_ptr<CADisplayLink> weakSelf = self();
    registration.timer = NSTimer::timerWithTimeInterval(duration() * double(m_frameInterval), [weakSelf](const auto&) {
        if (auto link = weakSelf.lock())
            link->fire();
    }, true);
    runLoop->addTimer(registration.timer, registration.mode);
}

void CADisplayLink::addToRunLoop(const std::shared_ptr<NSRunLoop>& runLoop, const NSString& mode)
{
    if (!m_valid || !runLoop)
        return;
    for (const auto& registration : m_registrations)
        if (registration.runLoop.lock() == runLoop && registration.mode == mode)
            return;
    m_registrations.push_back({ runLoop, mode, nullptr });
    schedule(m_registrations.back());
}

void CADisplayLink::removeFromRunLoop(const std::shared_ptr<NSRunLoop>& runLoop, const NSString& mode)
{
    std::erase_if(m_registrations, [&](Registration& registration) {
        if (registration.runLoop.lock() != runLoop || registration.mode != mode)
            return false;
        if (registration.timer)
            registration.timer->invalidate();
        return true;
    });
}

void CADisplayLink::invalidate()
{
    m_valid = false;
    for (auto& registration : m_registrations)
        if (registration.timer)
            registration.timer->invalidate();
    m_registrations.clear();
    m_target = nullptr;
    m_action = nullptr;
}

void CADisplayLink::fire()
{
    if (!m_valid || m_paused || !m_action)
        return;
    m_timestamp = CACurrentMediaTime();
    // The target and action stay alive through the call even if it invalidates the link.
    const auto protectedSelf = self();
    const Action action = m_action;
    const id target = m_target;
    action(protectedSelf);
}
