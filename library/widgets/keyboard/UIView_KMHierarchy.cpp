#include "library/widgets/keyboard/UIView_KMHierarchy.h"

#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UISearchBar.h"

#include <algorithm>

namespace KM_UIView_Hierarchy {

std::shared_ptr<UIViewController> viewController(const UIView& view)
{
    for (auto responder = view.nextResponder(); responder; responder = responder->nextResponder())
        if (auto controller = std::dynamic_pointer_cast<UIViewController>(responder))
            return controller;
    return nullptr;
}

std::shared_ptr<UIViewController> topMostController(const UIWindow& window)
{
    auto controller = window.rootViewController();
    while (controller && controller->presentedViewController())
        controller = controller->presentedViewController();
    return controller;
}

std::shared_ptr<UIViewController> topMostController(const UIView& view)
{
    auto window = view.window();
    if (!window || !window->rootViewController())
        return nullptr;
    std::vector<std::shared_ptr<UIViewController>> chain;
    for (auto controller = window->rootViewController(); controller; controller = controller->presentedViewController())
        chain.push_back(controller);
    auto controller = viewController(view);
    while (controller && std::find(chain.begin(), chain.end(), controller) == chain.end()) {
        std::shared_ptr<UIViewController> next;
        for (auto responder = controller->nextResponder(); responder && !next; responder = responder->nextResponder())
            next = std::dynamic_pointer_cast<UIViewController>(responder);
        controller = next;
    }
    return controller;
}

std::shared_ptr<UITableView> superTableView(const UIView& view)
{
    for (auto ancestor = view.superview(); ancestor; ancestor = ancestor->superview())
        if (auto table = std::dynamic_pointer_cast<UITableView>(ancestor))
            return table;
    return nullptr;
}

std::shared_ptr<UIScrollView> superScrollView(const UIView& view)
{
    for (auto ancestor = view.superview(); ancestor; ancestor = ancestor->superview())
        if (auto scroll = std::dynamic_pointer_cast<UIScrollView>(ancestor))
            return scroll;
    return nullptr;
}

bool isAlertViewTextField(const UIView& view)
{
    for (auto ancestor = view.superview(); ancestor; ancestor = ancestor->superview())
        if (std::dynamic_pointer_cast<UIAlertView>(ancestor))
            return true;
    auto window = view.window();
    return window && window->windowLevel() >= UIWindowLevelAlert;
}

bool canBecomeFirstResponder(const UIView& view)
{
    if (!view.canBecomeFirstResponder() || !view.isUserInteractionEnabled() || isAlertViewTextField(view))
        return false;
    for (auto ancestor = view.superview(); ancestor; ancestor = ancestor->superview())
        if (std::dynamic_pointer_cast<UISearchBar>(ancestor))
            return false;
    return true;
}

std::vector<UIViewRef> responderSiblings(const UIView& view)
{
    std::vector<UIViewRef> siblings;
    if (auto parent = view.superview())
        for (const auto& sibling : parent->subviews())
            if (canBecomeFirstResponder(*sibling))
                siblings.push_back(sibling);
    return siblings;
}

std::vector<UIViewRef> deepResponderViews(const UIView& view)
{
    auto subviews = view.subviews();
    std::stable_sort(subviews.begin(), subviews.end(), [](const UIViewRef& a, const UIViewRef& b) {
        return a->frame().origin.y < b->frame().origin.y;
    });
    std::vector<UIViewRef> result;
    for (const auto& subview : subviews) {
        if (canBecomeFirstResponder(*subview)) {
            result.push_back(subview);
        } else if (!subview->subviews().empty()) {
            auto inner = deepResponderViews(*subview);
            result.insert(result.end(), inner.begin(), inner.end());
        }
    }
    return result;
}

NSUInteger depth(const UIView& view)
{
    NSUInteger levels = 0;
    for (auto ancestor = view.superview(); ancestor; ancestor = ancestor->superview())
        ++levels;
    return levels;
}

// Stable sorts on a strict order, so equal keys keep the subview order.
std::vector<UIViewRef> sortedArrayByTag(std::vector<UIViewRef> views)
{
    std::stable_sort(views.begin(), views.end(), [](const UIViewRef& a, const UIViewRef& b) { return a->tag() < b->tag(); });
    return views;
}

std::vector<UIViewRef> sortedArrayByPosition(std::vector<UIViewRef> views)
{
    std::stable_sort(views.begin(), views.end(), [](const UIViewRef& a, const UIViewRef& b) {
        const CGPoint p = a->frame().origin, q = b->frame().origin;
        return p.y != q.y ? p.y < q.y : p.x < q.x;
    });
    return views;
}

} // namespace KM_UIView_Hierarchy
