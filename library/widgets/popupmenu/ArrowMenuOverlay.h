#pragma once
// The transparent layer over the whole host that closes an open arrow menu on a tap outside it,
// while the menu's item buttons keep their own taps.

#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIView.h"
#include "platform/uikit/UITapGestureRecognizer.h"

class ArrowMenuOverlay : public UIView, public UIGestureRecognizerDelegate {
    NS_OBJECT(ArrowMenuOverlay, UIView)
public:
    void singleTap(UITapGestureRecognizer& recognizer);
    std::optional<bool> shouldReceiveTouch(UIGestureRecognizer& recognizer, UITouch& touch) override;
    // Escape or Alt+Left closes the open menu, as a tap outside it does.
    bool takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers) override;

protected:
    void init(CGRect frame) override;
};
