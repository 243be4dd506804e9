#pragma once
// One finger on the screen, from touch-down to lift-off: the same object through every phase.
// It keeps the view it first landed on (hit testing happens once, at touch-down), even if that
// view leaves the window meanwhile.

#include "platform/foundation/NSObject.h"
#include "platform/graphics/CGGeometry.h"

#include <vector>

class UIGestureRecognizer;
class UIView;
class UIWindow;

enum class UITouchPhase : NSInteger {
    Began = 0,
    Moved = 1,
    Stationary = 2,
    Ended = 3,
    Cancelled = 4,
};

class UITouch : public NSObject {
    NS_OBJECT(UITouch, NSObject)
public:
    UITouchPhase phase() const { return m_phase; }
    NSTimeInterval timestamp() const { return m_timestamp; }
    NSUInteger tapCount() const { return m_tapCount; }
    std::shared_ptr<UIView> view() const { return m_view; }
    std::shared_ptr<UIWindow> window() const { return m_window.lock(); }
    // In the view's coordinates; a nil view stands for the touch's window.
    CGPoint locationInView(const std::shared_ptr<const UIView>& view) const;
    CGPoint previousLocationInView(const std::shared_ptr<const UIView>& view) const;
    // The recognisers that see this touch, chosen at touch-down.
    const std::vector<std::shared_ptr<UIGestureRecognizer>>& gestureRecognizers() const { return m_recognizers; }

    // For the event source (the window and the host).
    void setPhase(UITouchPhase phase) { m_phase = phase; }
    void setTimestamp(NSTimeInterval timestamp) { m_timestamp = timestamp; }
    void setTapCount(NSUInteger count) { m_tapCount = count; }
    void setView(std::shared_ptr<UIView> view) { m_view = std::move(view); }
    void setWindow(const std::shared_ptr<UIWindow>& window) { m_window = window; }
    // In the window's coordinates; the previous location becomes the one before.
    void moveTo(CGPoint locationInWindow);
    CGPoint locationInWindow() const { return m_location; }
    void setGestureRecognizers(std::vector<std::shared_ptr<UIGestureRecognizer>> recognizers)
    {
        m_recognizers = std::move(recognizers);
    }
    // Whether the view still gets this touch (a recogniser may have taken it).
    bool isDeliveredToView() const { return m_deliveredToView; }
    void setDeliveredToView(bool delivered) { m_deliveredToView = delivered; }
    bool viewReceivedBegan() const { return m_viewReceivedBegan; }
    void setViewReceivedBegan(bool received) { m_viewReceivedBegan = received; }
    // The view's ended or cancelled delivery is held while a recogniser that delays it is undecided.
    bool isEndHeld() const { return m_endHeld; }
    void setEndHeld(bool held) { m_endHeld = held; }
    // So is its began, while a recogniser that delays touch-down is undecided.
    bool isBeganHeld() const { return m_beganHeld; }
    void setBeganHeld(bool held) { m_beganHeld = held; }

protected:
    void init(CGPoint locationInWindow, NSTimeInterval timestamp);

private:
    UITouchPhase m_phase { UITouchPhase::Began };
    NSTimeInterval m_timestamp { 0 };
    NSUInteger m_tapCount { 1 };
    std::shared_ptr<UIView> m_view;
    std::weak_ptr<UIWindow> m_window;
    CGPoint m_location;
    CGPoint m_previousLocation;
    std::vector<std::shared_ptr<UIGestureRecognizer>> m_recognizers;
    bool m_deliveredToView { true };
    bool m_viewReceivedBegan { false };
    bool m_endHeld { false };
    bool m_beganHeld { false };
};

using UITouchRef = std::shared_ptr<UITouch>;

// A set of touches, in the order they began.
class UITouchSet {
public:
    UITouchSet() = default;
    UITouchSet(std::vector<UITouchRef> touches) : m_touches(std::move(touches)) { }
    UITouchSet(UITouchRef touch) : m_touches { std::move(touch) } { }

    NSUInteger count() const { return m_touches.size(); }
    bool empty() const { return m_touches.empty(); }
    // Nil when empty.
    UITouchRef anyObject() const { return m_touches.empty() ? nullptr : m_touches.front(); }
    bool containsObject(const UITouchRef& touch) const;
    void addObject(const UITouchRef& touch);
    void removeObject(const UITouchRef& touch);
    auto begin() const { return m_touches.begin(); }
    auto end() const { return m_touches.end(); }
    const std::vector<UITouchRef>& allObjects() const { return m_touches; }

private:
    std::vector<UITouchRef> m_touches;
};
