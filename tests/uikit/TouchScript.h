#pragma once
// Fingers on a window, by hand: each step sends the window one event holding every finger still
// down, with the time read from the manual clock, which advance() moves through the run loop.

#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/SystemClock.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>
#include <vector>

class TouchScript {
public:
    explicit TouchScript(UIWindowRef window) : m_window(std::move(window)) { }

    UITouchRef down(CGPoint point, NSUInteger tapCount = 1)
    {
        auto touch = UITouch::create(point, SystemClock::monotonicNow());
        touch->setWindow(m_window);
        touch->setView(m_window->hitTest(point, nullptr));
        touch->setTapCount(tapCount);
        touch->setPhase(UITouchPhase::Began);
        m_fingers.push_back(touch);
        send();
        return touch;
    }
    void move(const UITouchRef& touch, CGPoint point)
    {
        touch->moveTo(point);
        touch->setPhase(UITouchPhase::Moved);
        send();
    }
    void up(const UITouchRef& touch) { finish(touch, UITouchPhase::Ended); }
    void cancel(const UITouchRef& touch) { finish(touch, UITouchPhase::Cancelled); }
    void tap(CGPoint point) { up(down(point)); }
    // A straight drag in steps, spread over the duration.
    UITouchRef drag(CGPoint from, CGPoint to, NSTimeInterval duration, int steps = 5, bool lift = true)
    {
        auto touch = down(from);
        for (int step = 1; step <= steps; ++step) {
            advance(duration / steps);
            const CGFloat t = CGFloat(step) / steps;
            move(touch, CGPointMake(from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t));
        }
        if (lift)
            up(touch);
        return touch;
    }
    static void advance(NSTimeInterval seconds) { NSRunLoop::mainRunLoop()->advanceClock(seconds); }

private:
    void finish(const UITouchRef& touch, UITouchPhase phase)
    {
        touch->setPhase(phase);
        send();
        std::erase(m_fingers, touch);
    }
    void send()
    {
        const NSTimeInterval now = SystemClock::monotonicNow();
        for (const auto& finger : m_fingers)
            finger->setTimestamp(now);
        auto event = UIEvent::create();
        event->setTimestamp(now);
        event->setTouches(UITouchSet(m_fingers));
        m_window->sendEvent(event);
        // Fingers not in this step stay where they are.
        for (const auto& finger : m_fingers) {
            if (finger->phase() == UITouchPhase::Began || finger->phase() == UITouchPhase::Moved)
                finger->setPhase(UITouchPhase::Stationary);
        }
    }

    UIWindowRef m_window;
    std::vector<UITouchRef> m_fingers;
};
