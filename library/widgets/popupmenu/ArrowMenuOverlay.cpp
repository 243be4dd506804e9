#include "library/widgets/popupmenu/ArrowMenuOverlay.h"

#include "library/widgets/popupmenu/ArrowMenuView.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UITouch.h"
#include "platform/uikit/UnclaimedKeyRouting.h"

void ArrowMenuOverlay::init(CGRect frame)
{
    UIView::init(frame);
    setBackgroundColor(UIColor::clearColor());
    setOpaque(false);
    auto tap = UITapGestureRecognizer::create(self(), &ArrowMenuOverlay::singleTap);
    tap->setDelegate(self());
    addGestureRecognizer(tap);
}

void ArrowMenuOverlay::singleTap(UITapGestureRecognizer&)
{
    // A copy: dismissing removes the menu from the list being walked.
    const auto views = subviews();
    for (const auto& view : views)
        if (auto menu = std::dynamic_pointer_cast<ArrowMenuView>(view))
            menu->dismissMenu(true);
}

bool ArrowMenuOverlay::takeUnclaimedKey(UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    if (!UnclaimedKeyRouting::isBackKey(key, modifiers))
        return false;
    const auto views = subviews();
    bool closed = false;
    for (const auto& view : views) {
        if (auto menu = std::dynamic_pointer_cast<ArrowMenuView>(view)) {
            menu->dismissMenu(true);
            closed = true;
        }
    }
    return closed;
}

std::optional<bool> ArrowMenuOverlay::shouldReceiveTouch(UIGestureRecognizer&, UITouch& touch)
{
    return !std::dynamic_pointer_cast<UIButton>(touch.view());
}
