#include "platform/uikit/UIResponder.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIWindow.h"

bool UIResponder::isFirstResponder() const
{
    auto window = responderWindow();
    return window && window->firstResponder().get() == this;
}

bool UIResponder::becomeFirstResponder()
{
    NSAssertMainThread();
    auto window = responderWindow();
    if (!window)
        return false;
    auto previous = window->firstResponder();
    if (previous.get() == this)
        return true;
    if (!canBecomeFirstResponder())
        return false;
    if (previous) {
        if (!previous->canResignFirstResponder())
            return false;
        window->setTransferringFirstResponder(true);
        const bool resigned = previous->resignFirstResponder();
        window->setTransferringFirstResponder(false);
        if (!resigned)
            return false;
    }
    window->setFirstResponder(self());
    didBecomeFirstResponder();
    // What the responder did on becoming first (a delegate moving focus on) has reported itself.
    if (window->firstResponder().get() == this)
        UIApplication::sharedApplication()->firstResponderDidChange(previous, self());
    return true;
}

bool UIResponder::resignFirstResponder()
{
    NSAssertMainThread();
    auto window = responderWindow();
    if (!window || window->firstResponder().get() != this)
        return true;
    window->setFirstResponder(nullptr);
    didResignFirstResponder();
    // While another responder takes over, it reports the change itself, once.
    if (!window->isTransferringFirstResponder() && !window->firstResponder())
        UIApplication::sharedApplication()->firstResponderDidChange(self(), nullptr);
    return true;
}

void UIResponder::touchesBegan(const UITouchSet& touches, const UIEventRef& event)
{
    if (auto next = nextResponder())
        next->touchesBegan(touches, event);
}

void UIResponder::touchesMoved(const UITouchSet& touches, const UIEventRef& event)
{
    if (auto next = nextResponder())
        next->touchesMoved(touches, event);
}

void UIResponder::touchesEnded(const UITouchSet& touches, const UIEventRef& event)
{
    if (auto next = nextResponder())
        next->touchesEnded(touches, event);
}

void UIResponder::touchesCancelled(const UITouchSet& touches, const UIEventRef& event)
{
    if (auto next = nextResponder())
        next->touchesCancelled(touches, event);
}

bool UIResponder::pressKey(UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    auto next = nextResponder();
    return next && next->pressKey(key, modifiers);
}

bool UIResponder::performEditingAction(UIEditingAction action)
{
    auto next = nextResponder();
    return next && next->performEditingAction(action);
}

bool UIResponder::scrollWheel(CGPoint delta)
{
    auto next = nextResponder();
    return next && next->scrollWheel(delta);
}

bool UIResponder::scrollWheelNotches(CGPoint notches)
{
    auto next = nextResponder();
    return next && next->scrollWheelNotches(notches);
}
