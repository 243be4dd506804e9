#pragma once
// Tells animations' delegates when they start and stop, and removes finished animations, at
// the media times these fall due: one run-loop timer (in the common modes) set for the earliest
// pending event of any layer of the thread.

#include "platform/layers/CABase.h"

#include <memory>
#include <vector>

class CALayer;
class NSTimer;

class CAAnimationScheduler {
public:
    static CAAnimationScheduler& current();
    ~CAAnimationScheduler();

    void layerDidAddAnimation(const std::shared_ptr<CALayer>& layer);

private:
    void fire();
    void schedule(CFTimeInterval time);

    std::vector<std::weak_ptr<CALayer>> m_layers;
    std::shared_ptr<NSTimer> m_timer;
    CFTimeInterval m_timerTime { 0 };
    bool m_firing { false };
    bool m_addedWhileFiring { false };
};
