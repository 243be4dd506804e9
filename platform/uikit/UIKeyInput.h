#pragma once
// Text entry: what a responder that takes typed text offers. The host hands committed text
// (an input method's result arrives whole) to the first responder's insertText; the return key
// arrives as "\n", as on the platform, and backspace as deleteBackward. While an input method
// composes, its composition is marked text: shown at the caret, not yet part of the text, and
// replaced by what the input method commits.

#include "platform/foundation/NSString.h"

class UIKeyInput {
public:
    virtual ~UIKeyInput() = default;
    virtual bool hasText() const = 0;
    virtual void insertText(const NSString& text) = 0;
    virtual void deleteBackward() = 0;

    // The composition so far, with the input method's cursor (or selection) within it; empty
    // text ends the composition without committing anything.
    virtual void setMarkedText(const NSString& text, NSRange selectedRange)
    {
        (void)text;
        (void)selectedRange;
    }
    virtual NSString markedText() const { return NSString(); }
};

// The standard editing commands of the desktop's shortcuts (Ctrl+X, C, V, A) and the edit menu.
enum class UIEditingAction {
    Cut,
    Copy,
    Paste,
    SelectAll,
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
