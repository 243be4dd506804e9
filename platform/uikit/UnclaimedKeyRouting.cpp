#include "platform/uikit/UnclaimedKeyRouting.h"

#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIWindow.h"

#include <vector>

namespace {

constexpr NSInteger kModifiers = UIKeyModifierShift | UIKeyModifierControl | UIKeyModifierAlternate | UIKeyModifierCommand;

bool takesTouches(const UIView& view)
{
    return !view.isHidden() && view.alpha() >= 0.01 && view.isUserInteractionEnabled();
}

// Depth first, the front subview before those behind it and a view after what it holds. What a
// click could not reach is left out: a view that cannot be touched with all it holds, and what
// lies behind a touchable view covering its whole superview (a menu's or a sheet's backdrop).
bool offerToViews(UIView& view, UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    if (!takesTouches(view))
        return false;
    const auto subviews = view.subviews();
    for (auto child = subviews.rbegin(); child != subviews.rend(); ++child) {
        if (offerToViews(**child, key, modifiers))
            return true;
        if (takesTouches(**child) && CGAffineTransformIsIdentity((*child)->transform())
            && CGRectContainsRect((*child)->frame(), view.bounds()))
            break;
    }
    return view.takeUnclaimedKey(key, modifiers);
}

// A container's child shown last of those on screen (a drawer's centre while its drawers are
// closed and out of the window).
std::shared_ptr<UIViewController> shownChild(const UIViewController& container)
{
    const auto& children = container.childViewControllers();
    for (auto child = children.rbegin(); child != children.rend(); ++child) {
        auto view = (*child)->viewIfLoaded();
        if (view && view->window() && !view->isHidden())
            return *child;
    }
    return nullptr;
}

// The controllers on screen from the root in: what each presents, a stack's top, a container's
// shown child.
std::vector<std::shared_ptr<UIViewController>> shownControllers(const std::shared_ptr<UIViewController>& root)
{
    std::vector<std::shared_ptr<UIViewController>> shown;
    for (auto controller = root; controller && shown.size() < 64;) {
        shown.push_back(controller);
        if (auto presented = controller->presentedViewController())
            controller = presented;
        else if (auto navigation = std::dynamic_pointer_cast<UINavigationController>(controller))
            controller = navigation->topViewController();
        else
            controller = shownChild(*controller);
    }
    return shown;
}

} // namespace

bool UnclaimedKeyRouting::isBackKey(UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    const NSInteger held = modifiers & kModifiers;
    return (key == UIKeyboardKey::Escape && held == 0) || (key == UIKeyboardKey::LeftArrow && held == UIKeyModifierAlternate);
}

bool UnclaimedKeyRouting::isPlainArrow(UIKeyboardKey key, UIKeyModifierFlags modifiers)
{
    const bool arrow = key == UIKeyboardKey::UpArrow || key == UIKeyboardKey::DownArrow || key == UIKeyboardKey::LeftArrow
        || key == UIKeyboardKey::RightArrow;
    return arrow && (modifiers & kModifiers) == 0;
}

bool UnclaimedKeyRouting::route(UIWindow& window, const std::shared_ptr<UIResponder>& firstResponder, UIKeyboardKey key,
    UIKeyModifierFlags modifiers)
{
    if (offerToViews(window, key, modifiers))
        return true;
    if (!isBackKey(key, modifiers))
        return false;
    // Escape in a field puts the keyboard away; the screen stays.
    if (key == UIKeyboardKey::Escape && std::dynamic_pointer_cast<UIKeyInput>(firstResponder)) {
        firstResponder->resignFirstResponder();
        return true;
    }
    const auto shown = shownControllers(window.rootViewController());
    for (auto controller = shown.rbegin(); controller != shown.rend(); ++controller) {
        if ((*controller)->takeUnclaimedKey(key, modifiers))
            return true;
    }
    return false;
}
