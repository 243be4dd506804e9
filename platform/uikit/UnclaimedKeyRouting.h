#pragma once
// Where a desktop's keys go when no first responder takes them. The key window's views are
// asked front first, so that the panel on top (a menu, a sheet, a full-screen film) closes on
// Escape before anything below hears it, and the front picker or list moves on the arrows.
// Escape then closes the keyboard of the field being edited. Last, Escape and Alt+Left go back
// a screen: the controllers shown are asked from the innermost out.

#include "platform/uikit/UIKeyInput.h"

#include <memory>

class UIResponder;
class UIWindow;

class UnclaimedKeyRouting {
public:
    // True when something took the key.
    static bool route(UIWindow& window, const std::shared_ptr<UIResponder>& firstResponder, UIKeyboardKey key,
        UIKeyModifierFlags modifiers);
    // Escape alone, or Alt+Left: what leaves a panel or a screen.
    static bool isBackKey(UIKeyboardKey key, UIKeyModifierFlags modifiers);
    // An arrow with no modifier.
    static bool isPlainArrow(UIKeyboardKey key, UIKeyModifierFlags modifiers);
};
