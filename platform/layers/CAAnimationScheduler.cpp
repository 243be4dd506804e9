#include "platform/layers/CAAnimationScheduler.h"

#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSTimer.h"
#include "platform/layers/CALayer.h"

#include <algorithm>
#include <cmath>
#include <limits>

CAAnimationScheduler& CAAnimationScheduler::current()
{
    thread_local CAAnimationScheduler scheduler;
    return scheduler;
}

CAAnimationScheduler::~CAAnimationScheduler()
{
    if (m_timer)
        m_timer->invalidate();
}

void CAAnimationScheduler::layerDidAddAnimation(const std::shared_ptr<CALayer>& layer)
{
    const bool known = std::any_of(m_layers.begin(), m_layers.end(), [&](const auto& weak) { return weak.lock() == layer; });
    if (!known)
        m_layers.push_back(layer);
    if (m_firing)
        m_addedWhileFiring = true;
    else
        schedule(CACurrentMediaTime());
}

void CAAnimationScheduler::schedule(CFTimeInterval time)
{
    if (m_timer && m_timer->isValid() && m_timerTime <= time)
        return;
    if (m_timer)
        m_timer->invalidate();
    m_timer = nullptr;
    if (!std::isfinite(time))
        return;
    m_timerTime = time;
    m_timer = NSTimer::timerWithTimeInterval(std::max(0.0, time - CACurrentMediaTime()), [this](const auto&) { fire(); }, false);
    NSRunLoop::currentRunLoop()->addTimer(m_timer, NSRunLoopCommonModes);
}

void CAAnimationScheduler::fire()
{
    m_timer = nullptr;
    m_firing = true;
    m_addedWhileFiring = false;
    CFTimeInterval next = std::numeric_limits<CFTimeInterval>::infinity();
    // Delegates may add animations meanwhile: a new layer joins the end of the list and is seen
    // by this loop; one already passed is looked at again on the loop's next pass.
    for (std::size_t i = 0; i < m_layers.size(); ++i) {
        if (auto layer = m_layers[i].lock())
            next = std::min(next, layer->updateAnimations(CACurrentMediaTime(), {}));
    }
    std::erase_if(m_layers, [](const auto& weak) {
        auto layer = weak.lock();
        return !layer || !layer->hasAnimations();
    });
    m_firing = false;
    if (m_addedWhileFiring)
        next = std::min(next, CACurrentMediaTime());
    schedule(next);
}
