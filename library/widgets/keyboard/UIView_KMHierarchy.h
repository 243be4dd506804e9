#pragma once
// Questions the keyboard manager asks about the view tree: the controller of a view, the scroll
// or table view around it, the fields that can take the keyboard and their order.

#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"

namespace KM_UIView_Hierarchy {

// The first controller met following the responder chain up from the view.
std::shared_ptr<UIViewController> viewController(const UIView& view);
// The root or presented controller of the view's window that holds the view; nil without one.
std::shared_ptr<UIViewController> topMostController(const UIView& view);
std::shared_ptr<UITableView> superTableView(const UIView& view);
std::shared_ptr<UIScrollView> superScrollView(const UIView& view);
bool canBecomeFirstResponder(const UIView& view);
// Fields of an alert, which keep themselves above the keyboard.
bool isAlertViewTextField(const UIView& view);
// The superview's subviews that can take the keyboard, in subview order.
std::vector<UIViewRef> responderSiblings(const UIView& view);
// Every view inside that can take the keyboard, depth first, each level from the top.
std::vector<UIViewRef> deepResponderViews(const UIView& view);
NSUInteger depth(const UIView& view);

std::vector<UIViewRef> sortedArrayByTag(std::vector<UIViewRef> views);
// Top to bottom, left to right on one line.
std::vector<UIViewRef> sortedArrayByPosition(std::vector<UIViewRef> views);

// The window's root controller or the last it presents.
std::shared_ptr<UIViewController> topMostController(const UIWindow& window);

} // namespace KM_UIView_Hierarchy
