#pragma once
// Text entry: what a responder that takes typed text offers. The host hands committed text
// (an input method's result arrives whole) to the first responder's insertText; the return key
// arrives as "\n", as on the platform, and backspace as deleteBackward.

#include "platform/foundation/NSString.h"

class UIKeyInput {
public:
    virtual ~UIKeyInput() = default;
    virtual bool hasText() const = 0;
    virtual void insertText(const NSString& text) = 0;
    virtual void deleteBackward() = 0;
};

// Keys other than text, as a hardware keyboard sends them (the simulated keyboard's arrows).
enum class UIKeyboardKey {
    Return,
    Backspace,
    Tab,
    Escape,
    LeftArrow,
    RightArrow,
    UpArrow,
    DownArrow,
    Home,
    End,
    ForwardDelete,
};

enum UIKeyModifierFlags : NSInteger {
    UIKeyModifierNone = 0,
    UIKeyModifierAlphaShift = 1 << 16,
    UIKeyModifierShift = 1 << 17,
    UIKeyModifierControl = 1 << 18,
    UIKeyModifierAlternate = 1 << 19,
    UIKeyModifierCommand = 1 << 20,
};
