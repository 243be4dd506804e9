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
// YES only while canBecomeFirstResponder asks the view, so that a view can tell that question
// from others.
bool isAskingCanBecomeFirstResponder(const UIView& view);
// Fields of an alert, which keep themselves above the keyboard.
bool isAlertViewTextField(const UIView& view);
// The superview's subviews that can take the keyboard, in subview order.
std::vector<UIViewRef> responderSiblings(const UIView& view);
// Every view inside that can take the keyboard, depth first, each level from the top.
std::vector<UIViewRef> deepResponderViews(const UIView& view);
NSUInteger depth(const UIView& view);
// The view's transform with all its superviews' seen from the other view (nil: the window).
CGAffineTransform convertTransformToView(const UIView& view, const UIView* toView);

// For reading in a debugger: the view's class and frame (content size, transform where they
// matter); the tree below it, one line per view indented by depth; the chain above it.
NSString debugHierarchy(const UIView& view);
NSString subHierarchy(const UIView& view);
NSString superHierarchy(const UIView& view);

std::vector<UIViewRef> sortedArrayByTag(std::vector<UIViewRef> views);
// Top to bottom, left to right on one line.
std::vector<UIViewRef> sortedArrayByPosition(std::vector<UIViewRef> views);

// The window's root controller or the last it presents.
std::shared_ptr<UIViewController> topMostController(const UIWindow& window);
// The top controller, down through navigation controllers to the screen they show.
std::shared_ptr<UIViewController> currentViewController(const UIWindow& window);

} // namespace KM_UIView_Hierarchy

// Frame shorthands. Moving a near edge keeps the far one; no width or height goes below 0.
namespace KM_UIView_Frame {

inline CGFloat KM_x(const UIView& view) { return view.frame().origin.x; }
inline CGFloat KM_y(const UIView& view) { return view.frame().origin.y; }
inline CGFloat KM_width(const UIView& view) { return view.frame().size.width; }
inline CGFloat KM_height(const UIView& view) { return view.frame().size.height; }
inline CGFloat KM_left(const UIView& view) { return CGRectGetMinX(view.frame()); }
inline CGFloat KM_top(const UIView& view) { return CGRectGetMinY(view.frame()); }
inline CGFloat KM_right(const UIView& view) { return CGRectGetMaxX(view.frame()); }
inline CGFloat KM_bottom(const UIView& view) { return CGRectGetMaxY(view.frame()); }
inline CGPoint KM_origin(const UIView& view) { return view.frame().origin; }
inline CGSize KM_size(const UIView& view) { return view.frame().size; }
inline CGFloat KM_centerX(const UIView& view) { return view.center().x; }
inline CGFloat KM_centerY(const UIView& view) { return view.center().y; }
inline CGPoint KM_boundsCenter(const UIView& view) { return CGPointMake(CGRectGetMidX(view.bounds()), CGRectGetMidY(view.bounds())); }
void setKM_origin(UIView& view, CGPoint origin);
void setKM_size(UIView& view, CGSize size);
void setKM_centerX(UIView& view, CGFloat centerX);
void setKM_centerY(UIView& view, CGFloat centerY);
void setKM_x(UIView& view, CGFloat x);
void setKM_y(UIView& view, CGFloat y);
void setKM_width(UIView& view, CGFloat width);
void setKM_height(UIView& view, CGFloat height);
void setKM_left(UIView& view, CGFloat left);
void setKM_top(UIView& view, CGFloat top);
void setKM_right(UIView& view, CGFloat right);
void setKM_bottom(UIView& view, CGFloat bottom);

} // namespace KM_UIView_Frame

namespace KM_Logging {

// "<ClassName 0x...>", short enough for a log line.
NSString KMDescription(const NSObject& object);

} // namespace KM_Logging
