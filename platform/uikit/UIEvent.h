#pragma once
// The touches of one moment: every finger down, each in its phase.

#include "platform/uikit/UITouch.h"

enum class UIEventType : NSInteger {
    Touches = 0,
    Motion = 1,
    RemoteControl = 2,
};

class UIEvent : public NSObject {
    NS_OBJECT(UIEvent, NSObject)
public:
    UIEventType type() const { return UIEventType::Touches; }
    NSTimeInterval timestamp() const { return m_timestamp; }
    const UITouchSet& allTouches() const { return m_touches; }
    UITouchSet touchesForView(const std::shared_ptr<UIView>& view) const;
    UITouchSet touchesForWindow(const std::shared_ptr<UIWindow>& window) const;
    UITouchSet touchesForGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer) const;

    // For the event source.
    void setTimestamp(NSTimeInterval timestamp) { m_timestamp = timestamp; }
    void setTouches(UITouchSet touches) { m_touches = std::move(touches); }

private:
    NSTimeInterval m_timestamp { 0 };
    UITouchSet m_touches;
};

using UIEventRef = std::shared_ptr<UIEvent>;
