#include "library/widgets/keyboard/UIView_KMHierarchy.h"

#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UINavigationController.h"
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

std::shared_ptr<UIViewController> currentViewController(const UIWindow& window)
{
    auto controller = topMostController(window);
    while (auto navigation = std::dynamic_pointer_cast<UINavigationController>(controller)) {
        if (!navigation->topViewController())
            break;
        controller = navigation->topViewController();
    }
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

// Only the system alert's own fields: a field another alert puts in a window of alert level is
// an ordinary field.
bool isAlertViewTextField(const UIView& view)
{
    for (auto ancestor = view.superview(); ancestor; ancestor = ancestor->superview())
        if (std::dynamic_pointer_cast<UIAlertView>(ancestor))
            return true;
    return false;
}

namespace {

// The views being asked now, innermost last; main thread only, like the views.
std::vector<const UIView*>& viewsBeingAsked()
{
    static std::vector<const UIView*> views;
    return views;
}

class AskingScope {
public:
    explicit AskingScope(const UIView& view) { viewsBeingAsked().push_back(&view); }
    ~AskingScope() { viewsBeingAsked().pop_back(); }
    AskingScope(const AskingScope&) = delete;
    AskingScope& operator=(const AskingScope&) = delete;
};

CGAffineTransform accumulatedTransform(const UIView& view)
{
    CGAffineTransform transform = view.transform();
    for (auto ancestor = view.superview(); ancestor; ancestor = ancestor->superview())
        transform = CGAffineTransformConcat(transform, ancestor->transform());
    return transform;
}

NSString indentation(NSUInteger levels)
{
    std::string text;
    for (NSUInteger i = 0; i < levels; ++i)
        text += "|  ";
    return NSString(text);
}

} // namespace

bool isAskingCanBecomeFirstResponder(const UIView& view)
{
    const auto& views = viewsBeingAsked();
    return std::find(views.begin(), views.end(), &view) != views.end();
}

bool canBecomeFirstResponder(const UIView& view)
{
    const AskingScope asking(view);
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

CGAffineTransform convertTransformToView(const UIView& view, const UIView* toView)
{
    auto window = toView ? nullptr : view.window();
    const UIView* target = toView ? toView : window.get();
    const CGAffineTransform own = accumulatedTransform(view);
    return target ? CGAffineTransformConcat(own, CGAffineTransformInvert(accumulatedTransform(*target))) : own;
}

NSString debugHierarchy(const UIView& view)
{
    const CGRect frame = view.frame();
    NSString text = NSString::stringWithFormat("%s: ( %.0f, %.0f, %.0f, %.0f )", view.className(), frame.origin.x, frame.origin.y,
        frame.size.width, frame.size.height);
    if (auto scroll = dynamic_cast<const UIScrollView*>(&view))
        text = text + NSString::stringWithFormat(" %@: ( %.0f, %.0f )", NSString("contentSize"), scroll->contentSize().width,
                          scroll->contentSize().height);
    const CGAffineTransform t = view.transform();
    if (!CGAffineTransformIsIdentity(t))
        text = text + NSString::stringWithFormat(" %@: [%g, %g, %g, %g, %g, %g]", NSString("transform"), t.a, t.b, t.c, t.d, t.tx, t.ty);
    return text;
}

NSString subHierarchy(const UIView& view)
{
    NSString text = NSString("\n") + indentation(depth(view)) + debugHierarchy(view);
    for (const auto& subview : view.subviews())
        text = text + subHierarchy(*subview);
    return text;
}

NSString superHierarchy(const UIView& view)
{
    auto parent = view.superview();
    return (parent ? superHierarchy(*parent) : NSString("\n")) + indentation(depth(view)) + debugHierarchy(view) + NSString("\n");
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

namespace KM_UIView_Frame {

namespace {

void change(UIView& view, const std::function<void(CGRect&)>& edit)
{
    CGRect frame = view.frame();
    edit(frame);
    view.setFrame(frame);
}

} // namespace

void setKM_x(UIView& view, CGFloat x) { change(view, [x](CGRect& frame) { frame.origin.x = x; }); }
void setKM_y(UIView& view, CGFloat y) { change(view, [y](CGRect& frame) { frame.origin.y = y; }); }
void setKM_width(UIView& view, CGFloat width) { change(view, [width](CGRect& frame) { frame.size.width = width; }); }
void setKM_height(UIView& view, CGFloat height) { change(view, [height](CGRect& frame) { frame.size.height = height; }); }

void setKM_origin(UIView& view, CGPoint origin) { change(view, [origin](CGRect& frame) { frame.origin = origin; }); }
void setKM_size(UIView& view, CGSize size) { change(view, [size](CGRect& frame) { frame.size = size; }); }
void setKM_centerX(UIView& view, CGFloat centerX) { view.setCenter(CGPointMake(centerX, view.center().y)); }
void setKM_centerY(UIView& view, CGFloat centerY) { view.setCenter(CGPointMake(view.center().x, centerY)); }

void setKM_left(UIView& view, CGFloat left)
{
    change(view, [left](CGRect& frame) {
        frame.size.width = std::max<CGFloat>(0, CGRectGetMaxX(frame) - left);
        frame.origin.x = left;
    });
}

void setKM_top(UIView& view, CGFloat top)
{
    change(view, [top](CGRect& frame) {
        frame.size.height = std::max<CGFloat>(0, CGRectGetMaxY(frame) - top);
        frame.origin.y = top;
    });
}

void setKM_right(UIView& view, CGFloat right)
{
    change(view, [right](CGRect& frame) { frame.size.width = std::max<CGFloat>(0, right - frame.origin.x); });
}

void setKM_bottom(UIView& view, CGFloat bottom)
{
    change(view, [bottom](CGRect& frame) { frame.size.height = std::max<CGFloat>(0, bottom - frame.origin.y); });
}

} // namespace KM_UIView_Frame

namespace KM_Logging {

NSString KMDescription(const NSObject& object)
{
    return NSString::stringWithFormat("<%s %p>", object.className(), static_cast<const void*>(&object));
}

} // namespace KM_Logging
