#pragma once
// The on-screen keyboard's side of first-responder changes. The application tells the one
// installed controller of every change of the key window's first responder, once per change
// (a move from one field to another is one change), and may let it see typed text first.

#include "platform/uikit/UIResponder.h"

class UIKeyboardController {
public:
    virtual ~UIKeyboardController() = default;
    // Either may be nil: nil to a responder is a show, a responder to nil a hide.
    virtual void firstResponderDidChange(const UIResponderRef& previous, const UIResponderRef& current) = 0;
    // Typed text on its way to the responder; true when the keyboard handled it itself.
    virtual bool handleTypedText(UIResponder& responder, const NSString& text)
    {
        (void)responder;
        (void)text;
        return false;
    }
    virtual bool handleKey(UIResponder& responder, UIKeyboardKey key, UIKeyModifierFlags modifiers)
    {
        (void)responder;
        (void)key;
        (void)modifiers;
        return false;
    }
};
