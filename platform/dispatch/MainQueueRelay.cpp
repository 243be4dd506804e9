#include "platform/dispatch/MainQueueRelay.h"

#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NeverDestroyed.h"

#include <algorithm>
#include <utility>

thread_local bool MainQueueRelay::t_holdsWakeUps = false;

const std::shared_ptr<MainQueueRelay>& MainQueueRelay::shared()
{
    static const NeverDestroyed<std::shared_ptr<MainQueueRelay>> relay(std::make_shared<MainQueueRelay>());
    return relay.get();
}

void MainQueueRelay::runCurrentRunLoop(const NSRunLoopMode& mode)
{
    auto runLoop = NSRunLoop::currentRunLoop();
    t_holdsWakeUps = true;
    runLoop->addPassObserver([relay = shared_from_this()] { relay->endOfPass(); });
    while (true) {
        runLoop->runInMode(mode, longestWait(), true);
        endOfPass();
    }
}

void MainQueueRelay::post(std::function<void()> block, bool mayWait)
{
    bool schedule = false;
    {
        MutexLocker lock(m_mutex);
        m_blocks.push_back(std::move(block));
        if (m_scheduled)
            return;
        if (t_holdsWakeUps) {
            if (m_held == Held::nothing)
                m_heldSince = Clock::now();
            if (!mayWait || m_held == Held::urgent)
                m_held = Held::urgent;
            else
                m_held = Held::startNotices;
            return;
        }
        schedule = startDrainLocked();
    }
    if (schedule)
        scheduleDrain();
}

void MainQueueRelay::endOfPass()
{
    bool schedule = false;
    {
        MutexLocker lock(m_mutex);
        if (m_held == Held::nothing || m_scheduled)
            return;
        if (m_held == Held::startNotices && Clock::now() - m_heldSince < startNoticeGrace)
            return;
        schedule = startDrainLocked();
    }
    if (schedule)
        scheduleDrain();
}

void MainQueueRelay::flush()
{
    bool schedule = false;
    {
        MutexLocker lock(m_mutex);
        if (m_held == Held::nothing || m_scheduled)
            return;
        schedule = startDrainLocked();
    }
    if (schedule)
        scheduleDrain();
}

double MainQueueRelay::longestWait() const
{
    MutexLocker lock(m_mutex);
    if (m_held != Held::startNotices || m_scheduled)
        return 1e10;
    const auto left = startNoticeGrace - (Clock::now() - m_heldSince);
    return std::max(std::chrono::duration<double>(left).count(), 0.0);
}

bool MainQueueRelay::startDrainLocked()
{
    m_held = Held::nothing;
    return !std::exchange(m_scheduled, true);
}

void MainQueueRelay::scheduleDrain()
{
    dispatch_async(dispatch_get_main_queue(), [relay = shared_from_this()] { relay->drain(); });
}

void MainQueueRelay::drain()
{
    std::vector<std::function<void()>> blocks;
    {
        MutexLocker lock(m_mutex);
        blocks.swap(m_blocks);
        m_scheduled = false;
        m_held = Held::nothing;
    }
    for (auto& block : blocks)
        block();
}
