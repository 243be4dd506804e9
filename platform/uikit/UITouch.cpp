#include "platform/uikit/UITouch.h"

#include "platform/uikit/UIEvent.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>

void UITouch::init(CGPoint locationInWindow, NSTimeInterval timestamp)
{
    m_location = locationInWindow;
    m_previousLocation = locationInWindow;
    m_timestamp = timestamp;
}

void UITouch::moveTo(CGPoint locationInWindow)
{
    m_previousLocation = m_location;
    m_location = locationInWindow;
}

namespace {

CGPoint fromWindow(CGPoint point, const std::shared_ptr<UIWindow>& window, const std::shared_ptr<const UIView>& view)
{
    if (!view)
        return point;
    return view->convertPointFromView(point, window);
}

} // namespace

CGPoint UITouch::locationInView(const std::shared_ptr<const UIView>& view) const
{
    return fromWindow(m_location, window(), view);
}

CGPoint UITouch::previousLocationInView(const std::shared_ptr<const UIView>& view) const
{
    return fromWindow(m_previousLocation, window(), view);
}

bool UITouchSet::containsObject(const UITouchRef& touch) const
{
    return std::find(m_touches.begin(), m_touches.end(), touch) != m_touches.end();
}

void UITouchSet::addObject(const UITouchRef& touch)
{
    if (touch && !containsObject(touch))
        m_touches.push_back(touch);
}

void UITouchSet::removeObject(const UITouchRef& touch)
{
    std::erase(m_touches, touch);
}

UITouchSet UIEvent::touchesForView(const std::shared_ptr<UIView>& view) const
{
    UITouchSet touches;
    for (const auto& touch : m_touches)
        if (touch->view() == view)
            touches.addObject(touch);
    return touches;
}

UITouchSet UIEvent::touchesForWindow(const std::shared_ptr<UIWindow>& window) const
{
    UITouchSet touches;
    for (const auto& touch : m_touches)
        if (touch->window() == window)
            touches.addObject(touch);
    return touches;
}

UITouchSet UIEvent::touchesForGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer) const
{
    UITouchSet touches;
    for (const auto& touch : m_touches) {
        const auto& recognizers = touch->gestureRecognizers();
        if (std::find(recognizers.begin(), recognizers.end(), recognizer) != recognizers.end())
            touches.addObject(touch);
    }
    return touches;
}
