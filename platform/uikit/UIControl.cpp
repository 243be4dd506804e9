#include "platform/uikit/UIControl.h"

#include "platform/foundation/NSAssertMainThread.h"

#include <algorithm>
#include <cstring>

void UIControl::addTarget(const std::shared_ptr<NSObject>& target, Action action, UIControlEvents events)
{
    addTarget(target, std::move(action), events, nullptr, 0);
}

void UIControl::addTarget(const std::shared_ptr<NSObject>& target, Action action, UIControlEvents events,
    const void* selector, std::size_t selectorSize)
{
    NSAssertMainThread();
    if (!action || events == 0)
        return;
    std::erase_if(m_targets, [](const Target& entry) { return entry.hasTarget && entry.target.expired(); });
    std::vector<unsigned char> bytes;
    if (selector)
        bytes.assign(static_cast<const unsigned char*>(selector), static_cast<const unsigned char*>(selector) + selectorSize);
    if (!bytes.empty()) {
        for (Target& entry : m_targets) {
            if (entry.identity == target.get() && entry.selector == bytes) {
                entry.events |= events;
                return;
            }
        }
    }
    m_targets.push_back({ target, target.get(), target != nullptr, std::move(bytes), std::move(action), events });
}

void UIControl::removeTarget(const std::shared_ptr<NSObject>& target, UIControlEvents events)
{
    NSAssertMainThread();
    for (Target& entry : m_targets) {
        if (!target || entry.identity == target.get())
            entry.events &= ~events;
    }
    std::erase_if(m_targets, [](const Target& entry) { return entry.events == 0; });
}

std::vector<std::shared_ptr<NSObject>> UIControl::allTargets() const
{
    std::vector<std::shared_ptr<NSObject>> targets;
    for (const Target& entry : m_targets) {
        auto target = entry.target.lock();
        if (entry.hasTarget && !target)
            continue;
        if (std::find(targets.begin(), targets.end(), target) == targets.end())
            targets.push_back(target);
    }
    return targets;
}

UIControlEvents UIControl::allControlEvents() const
{
    UIControlEvents events = 0;
    for (const Target& entry : m_targets) {
        if (!entry.hasTarget || !entry.target.expired())
            events |= entry.events;
    }
    return events;
}

void UIControl::sendActionsForControlEvents(UIControlEvents events, const UIEventRef& event)
{
    // An action may remove the control, or change the targets, while they are being served.
    auto protectedSelf = self();
    const auto targets = m_targets;
    for (const Target& entry : targets) {
        if (!(entry.events & events))
            continue;
        auto keepTarget = entry.target.lock();
        if (entry.hasTarget && !keepTarget)
            continue;
        entry.action(*this, event);
    }
}

UIControlState UIControl::state() const
{
    UIControlState state = UIControlStateNormal;
    if (m_highlighted)
        state |= UIControlStateHighlighted;
    if (!m_enabled)
        state |= UIControlStateDisabled;
    if (m_selected)
        state |= UIControlStateSelected;
    return state;
}

void UIControl::setEnabled(bool enabled)
{
    NSAssertMainThread();
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    stateDidChange();
}

void UIControl::setSelected(bool selected)
{
    NSAssertMainThread();
    if (m_selected == selected)
        return;
    m_selected = selected;
    stateDidChange();
}

void UIControl::setHighlighted(bool highlighted)
{
    NSAssertMainThread();
    if (m_highlighted == highlighted)
        return;
    m_highlighted = highlighted;
    stateDidChange();
}

void UIControl::setContentHorizontalAlignment(UIControlContentHorizontalAlignment alignment)
{
    NSAssertMainThread();
    if (m_contentHorizontalAlignment == alignment)
        return;
    m_contentHorizontalAlignment = alignment;
    setNeedsLayout();
}

void UIControl::setContentVerticalAlignment(UIControlContentVerticalAlignment alignment)
{
    NSAssertMainThread();
    if (m_contentVerticalAlignment == alignment)
        return;
    m_contentVerticalAlignment = alignment;
    setNeedsLayout();
}

bool UIControl::beginTrackingWithTouch(UITouch&, const UIEventRef&) { return true; }
bool UIControl::continueTrackingWithTouch(UITouch&, const UIEventRef&) { return true; }
void UIControl::endTrackingWithTouch(UITouch*, const UIEventRef&) { }
void UIControl::cancelTrackingWithEvent(const UIEventRef&) { }

bool UIControl::isWithinSlop(const UITouch& touch) const
{
    const CGPoint point = touch.locationInView(self());
    return CGRectContainsPoint(CGRectInset(bounds(), -kTrackingSlop, -kTrackingSlop), point);
}

void UIControl::finishTracking()
{
    m_tracking = false;
    m_trackedTouch.reset();
}

void UIControl::touchesBegan(const UITouchSet& touches, const UIEventRef& event)
{
    if (!m_enabled) {
        super::touchesBegan(touches, event);
        return;
    }
    const UITouchRef touch = touches.anyObject();
    if (!touch || m_trackedTouch.lock())
        return;
    auto protectedSelf = self();
    m_trackedTouch = touch;
    m_touchInside = true;
    m_tracking = beginTrackingWithTouch(*touch, event);
    setHighlighted(true);
    sendActionsForControlEvents(touch->tapCount() > 1 ? UIControlEventTouchDown | UIControlEventTouchDownRepeat : UIControlEventTouchDown, event);
}

void UIControl::touchesMoved(const UITouchSet& touches, const UIEventRef& event)
{
    const UITouchRef touch = m_trackedTouch.lock();
    if (!touch || !touches.containsObject(touch)) {
        if (!m_enabled)
            super::touchesMoved(touches, event);
        return;
    }
    auto protectedSelf = self();
    const bool wasInside = m_touchInside;
    m_touchInside = isWithinSlop(*touch);
    if (m_tracking)
        m_tracking = continueTrackingWithTouch(*touch, event);
    if (!m_tracking)
        return;
    setHighlighted(m_touchInside);
    UIControlEvents events = m_touchInside ? UIControlEventTouchDragInside : UIControlEventTouchDragOutside;
    if (m_touchInside != wasInside)
        events |= m_touchInside ? UIControlEventTouchDragEnter : UIControlEventTouchDragExit;
    sendActionsForControlEvents(events, event);
}

void UIControl::touchesEnded(const UITouchSet& touches, const UIEventRef& event)
{
    const UITouchRef touch = m_trackedTouch.lock();
    if (!touch || !touches.containsObject(touch)) {
        if (!m_enabled)
            super::touchesEnded(touches, event);
        return;
    }
    auto protectedSelf = self();
    m_touchInside = isWithinSlop(*touch);
    if (m_tracking)
        endTrackingWithTouch(touch.get(), event);
    finishTracking();
    setHighlighted(false);
    sendActionsForControlEvents(m_touchInside ? UIControlEventTouchUpInside : UIControlEventTouchUpOutside, event);
}

void UIControl::touchesCancelled(const UITouchSet& touches, const UIEventRef& event)
{
    const UITouchRef touch = m_trackedTouch.lock();
    if (!touch || !touches.containsObject(touch)) {
        if (!m_enabled)
            super::touchesCancelled(touches, event);
        return;
    }
    auto protectedSelf = self();
    if (m_tracking)
        cancelTrackingWithEvent(event);
    finishTracking();
    setHighlighted(false);
    sendActionsForControlEvents(UIControlEventTouchCancel, event);
}
