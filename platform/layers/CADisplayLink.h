#pragma once
// A timer in step with the screen's refresh: 60 frames a second (every frameInterval-th of
// them), on the run loop and modes it is added to, under the same clock as every timer. A
// valid link retains its target; invalidate() releases it and takes the link off every loop.

#include "platform/layers/CABase.h"
#include "platform/foundation/NSString.h"

#include <functional>
#include <vector>

class NSRunLoop;
class NSTimer;

class CADisplayLink : public NSObject {
    NS_OBJECT(CADisplayLink, NSObject)
public:
    using Action = std::function<void(const std::shared_ptr<CADisplayLink>& link)>;

    static std::shared_ptr<CADisplayLink> displayLinkWithTarget(const id& target, Action selector);

    void addToRunLoop(const std::shared_ptr<NSRunLoop>& runLoop, const NSString& mode);
    void removeFromRunLoop(const std::shared_ptr<NSRunLoop>& runLoop, const NSString& mode);
    void invalidate();

    bool isPaused() const { return m_paused; }
    void setPaused(bool paused) { m_paused = paused; }
    NSInteger frameInterval() const { return m_frameInterval; }
    // Values below 1 are ignored, as on the platform.
    void setFrameInterval(NSInteger interval);
    // The media time of the frame last shown, and the time between frames.
    CFTimeInterval timestamp() const { return m_timestamp; }
    CFTimeInterval duration() const { return 1.0 / 60; }

protected:
    void init(const id& target, Action action);

private:
    struct Registration {
        std::weak_ptr<NSRunLoop> runLoop;
        NSString mode;
        std::shared_ptr<NSTimer> timer;
    };
    void schedule(Registration& registration);
    void fire();

    id m_target;
    Action m_action;
    bool m_paused { false };
    bool m_valid { true };
    NSInteger m_frameInterval { 1 };
    CFTimeInterval m_timestamp { 0 };
    std::vector<Registration> m_registrations;
};
