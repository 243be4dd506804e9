#pragma once
// Controls: views that turn touches into control events and send them to their targets. A
// control tracks the first touch that lands on it; while tracked it is highlighted as long as
// the touch stays within its bounds grown by 70 points on every side, and lifting the finger
// there is a touch-up-inside, elsewhere a touch-up-outside. A disabled control passes its
// touches up the responder chain.

#include "platform/uikit/UIView.h"

#include <functional>
#include <vector>

using UIControlEvents = NSUInteger;
enum : UIControlEvents {
    UIControlEventTouchDown = 1 << 0,
    UIControlEventTouchDownRepeat = 1 << 1,
    UIControlEventTouchDragInside = 1 << 2,
    UIControlEventTouchDragOutside = 1 << 3,
    UIControlEventTouchDragEnter = 1 << 4,
    UIControlEventTouchDragExit = 1 << 5,
    UIControlEventTouchUpInside = 1 << 6,
    UIControlEventTouchUpOutside = 1 << 7,
    UIControlEventTouchCancel = 1 << 8,
    UIControlEventValueChanged = 1 << 12,
    UIControlEventEditingDidBegin = 1 << 16,
    UIControlEventEditingChanged = 1 << 17,
    UIControlEventEditingDidEnd = 1 << 18,
    UIControlEventEditingDidEndOnExit = 1 << 19,
    UIControlEventAllTouchEvents = 0x00000FFF,
    UIControlEventAllEditingEvents = 0x000F0000,
    UIControlEventApplicationReserved = 0x0F000000,
    UIControlEventSystemReserved = 0xF0000000,
    UIControlEventAllEvents = 0xFFFFFFFF,
};

using UIControlState = NSUInteger;
enum : UIControlState {
    UIControlStateNormal = 0,
    UIControlStateHighlighted = 1 << 0,
    UIControlStateDisabled = 1 << 1,
    UIControlStateSelected = 1 << 2,
    UIControlStateApplication = 0x00FF0000,
    UIControlStateReserved = 0xFF000000,
};

enum UIControlContentHorizontalAlignment : NSInteger {
    UIControlContentHorizontalAlignmentCenter = 0,
    UIControlContentHorizontalAlignmentLeft = 1,
    UIControlContentHorizontalAlignmentRight = 2,
    UIControlContentHorizontalAlignmentFill = 3,
};

enum UIControlContentVerticalAlignment : NSInteger {
    UIControlContentVerticalAlignmentCenter = 0,
    UIControlContentVerticalAlignmentTop = 1,
    UIControlContentVerticalAlignmentBottom = 2,
    UIControlContentVerticalAlignmentFill = 3,
};

class UIControl : public UIView {
    NS_OBJECT(UIControl, UIView)
public:
    using Action = std::function<void(UIControl& sender, const UIEventRef& event)>;

    // How far outside its bounds a tracked touch still counts as inside.
    static constexpr CGFloat kTrackingSlop = 70;

    // Target-action: the target is held weakly and its action runs only while it lives. Actions
    // run in the order they were added; one added twice for the same events runs once.
    template <class T, class S>
    void addTarget(const std::shared_ptr<T>& target, void (T::*action)(S&), UIControlEvents events)
    {
        std::weak_ptr<T> weakTarget = target;
        addTarget(target, Action([weakTarget, action](UIControl& sender, const UIEventRef&) {
            auto strongTarget = weakTarget.lock();
            auto* typed = dynamic_cast<S*>(&sender);
            if (strongTarget && typed)
                ((*strongTarget).*action)(*typed);
        }), events, reinterpret_cast<const void*>(&action), sizeof action);
    }
    template <class T, class S>
    void addTarget(const std::shared_ptr<T>& target, void (T::*action)(S&, const UIEventRef&), UIControlEvents events)
    {
        std::weak_ptr<T> weakTarget = target;
        addTarget(target, Action([weakTarget, action](UIControl& sender, const UIEventRef& event) {
            auto strongTarget = weakTarget.lock();
            auto* typed = dynamic_cast<S*>(&sender);
            if (strongTarget && typed)
                ((*strongTarget).*action)(*typed, event);
        }), events, reinterpret_cast<const void*>(&action), sizeof action);
    }
    template <class T>
    void addTarget(const std::shared_ptr<T>& target, void (T::*action)(), UIControlEvents events)
    {
        std::weak_ptr<T> weakTarget = target;
        addTarget(target, Action([weakTarget, action](UIControl&, const UIEventRef&) {
            if (auto strongTarget = weakTarget.lock())
                ((*strongTarget).*action)();
        }), events, reinterpret_cast<const void*>(&action), sizeof action);
    }
    // A block; a nil target keeps it for the control's lifetime.
    void addTarget(const std::shared_ptr<NSObject>& target, Action action, UIControlEvents events);
    // Takes the target's actions off the events (every action of the events for a nil target).
    void removeTarget(const std::shared_ptr<NSObject>& target, UIControlEvents events);
    // The live targets with an action for some event; nil stands for block actions.
    std::vector<std::shared_ptr<NSObject>> allTargets() const;
    UIControlEvents allControlEvents() const;

    void sendActionsForControlEvents(UIControlEvents events) { sendActionsForControlEvents(events, nullptr); }
    void sendActionsForControlEvents(UIControlEvents events, const UIEventRef& event);

    // State.
    UIControlState state() const;
    bool isEnabled() const { return m_enabled; }
    virtual void setEnabled(bool enabled);
    bool isSelected() const { return m_selected; }
    virtual void setSelected(bool selected);
    bool isHighlighted() const { return m_highlighted; }
    virtual void setHighlighted(bool highlighted);
    UIControlContentHorizontalAlignment contentHorizontalAlignment() const { return m_contentHorizontalAlignment; }
    void setContentHorizontalAlignment(UIControlContentHorizontalAlignment alignment);
    UIControlContentVerticalAlignment contentVerticalAlignment() const { return m_contentVerticalAlignment; }
    void setContentVerticalAlignment(UIControlContentVerticalAlignment alignment);

    // Tracking, for subclasses: returning false from begin or continue stops tracking.
    bool isTracking() const { return m_tracking; }
    bool isTouchInside() const { return m_touchInside; }
    virtual bool beginTrackingWithTouch(UITouch& touch, const UIEventRef& event);
    virtual bool continueTrackingWithTouch(UITouch& touch, const UIEventRef& event);
    virtual void endTrackingWithTouch(UITouch* touch, const UIEventRef& event);
    virtual void cancelTrackingWithEvent(const UIEventRef& event);

    void touchesBegan(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesMoved(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesEnded(const UITouchSet& touches, const UIEventRef& event) override;
    void touchesCancelled(const UITouchSet& touches, const UIEventRef& event) override;

protected:
    // Called after enabled, selected or highlighted changed, for subclasses that show the state.
    virtual void stateDidChange() { }

private:
    struct Target {
        std::weak_ptr<NSObject> target;
        const NSObject* identity { nullptr };
        bool hasTarget { false };
        // The member function the action calls, to recognise the same one added again.
        std::vector<unsigned char> selector;
        Action action;
        UIControlEvents events { 0 };
    };

    void addTarget(const std::shared_ptr<NSObject>& target, Action action, UIControlEvents events, const void* selector,
        std::size_t selectorSize);
    bool isWithinSlop(const UITouch& touch) const;
    // Ends tracking of the touch (when it is the tracked one), whatever the outcome.
    void finishTracking();

    std::vector<Target> m_targets;
    bool m_enabled { true };
    bool m_selected { false };
    bool m_highlighted { false };
    bool m_tracking { false };
    bool m_touchInside { false };
    std::weak_ptr<UITouch> m_trackedTouch;
    UIControlContentHorizontalAlignment m_contentHorizontalAlignment { UIControlContentHorizontalAlignmentCenter };
    UIControlContentVerticalAlignment m_contentVerticalAlignment { UIControlContentVerticalAlignmentCenter };
};

using UIControlRef = std::shared_ptr<UIControl>;
