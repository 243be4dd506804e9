#include "platform/uikit/UIView.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/layers/CATransaction.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>
#include <cstdio>

UIView::~UIView() = default;

void UIView::init(CGRect frame)
{
    m_layer = makeLayer();
    m_layer->setContentsScale(UIGraphicsGetMainScreenScale());
    m_layer->setDelegate(self());
    m_layer->setFrame(frame);
}

CALayerRef UIView::makeLayer() const { return CALayer::create(); }

// MARK: Geometry

void UIView::setFrame(CGRect frame)
{
    NSAssertMainThread();
    const CGSize oldSize = bounds().size;
    m_layer->setFrame(frame);
    if (bounds().size != oldSize)
        boundsSizeDidChange(oldSize);
}

void UIView::setBounds(CGRect bounds)
{
    NSAssertMainThread();
    const CGSize oldSize = this->bounds().size;
    m_layer->setBounds(bounds);
    if (bounds.size != oldSize)
        boundsSizeDidChange(oldSize);
}

void UIView::setCenter(CGPoint center)
{
    NSAssertMainThread();
    m_layer->setPosition(center);
}

void UIView::setTransform(CGAffineTransform transform)
{
    NSAssertMainThread();
    m_layer->setAffineTransform(transform);
}

void UIView::boundsSizeDidChange(CGSize oldSize)
{
    if (m_autoresizesSubviews) {
        const auto subviews = m_subviews;
        for (const auto& subview : subviews)
            subview->resizeWithOldSuperviewSize(oldSize);
    }
    setNeedsLayout();
    if (m_contentMode == UIViewContentMode::Redraw)
        setNeedsDisplay();
}

namespace {

// Shares a change of the superview's extent among the flexible parts of one axis (leading
// margin, size, trailing margin) in proportion to their current extents, equally when all are
// zero, as the platform's autoresizing does.
void distribute(CGFloat delta, bool flexibleLead, bool flexibleSize, bool flexibleTrail, CGFloat& lead,
    CGFloat& size, CGFloat trail)
{
    const int count = int(flexibleLead) + int(flexibleSize) + int(flexibleTrail);
    if (count == 0 || delta == 0)
        return;
    const CGFloat total = (flexibleLead ? std::max(lead, 0.0) : 0) + (flexibleSize ? std::max(size, 0.0) : 0)
        + (flexibleTrail ? std::max(trail, 0.0) : 0);
    auto share = [&](bool flexible, CGFloat extent) -> CGFloat {
        if (!flexible)
            return 0;
        return total > 0 ? delta * std::max(extent, 0.0) / total : delta / count;
    };
    const CGFloat leadShare = share(flexibleLead, lead);
    const CGFloat sizeShare = share(flexibleSize, size);
    lead += leadShare;
    size += sizeShare;
}

} // namespace

void UIView::resizeWithOldSuperviewSize(CGSize oldSize)
{
    auto super = superview();
    if (!super || m_autoresizingMask == UIViewAutoresizingNone)
        return;
    const CGSize newSize = super->bounds().size;
    CGRect frame = this->frame();
    const auto mask = m_autoresizingMask;
    distribute(newSize.width - oldSize.width, mask & UIViewAutoresizingFlexibleLeftMargin,
        mask & UIViewAutoresizingFlexibleWidth, mask & UIViewAutoresizingFlexibleRightMargin, frame.origin.x,
        frame.size.width, oldSize.width - CGRectGetMaxX(frame));
    distribute(newSize.height - oldSize.height, mask & UIViewAutoresizingFlexibleTopMargin,
        mask & UIViewAutoresizingFlexibleHeight, mask & UIViewAutoresizingFlexibleBottomMargin, frame.origin.y,
        frame.size.height, oldSize.height - CGRectGetMaxY(frame));
    setFrame(frame);
}

// MARK: The tree

std::shared_ptr<UIWindow> UIView::window() const
{
    const UIView* view = this;
    std::shared_ptr<UIView> keep;
    while (auto super = view->m_superview.lock()) {
        keep = std::move(super);
        view = keep.get();
    }
    if (auto window = dynamic_cast<const UIWindow*>(view))
        return std::const_pointer_cast<UIWindow>(window->self());
    return nullptr;
}

bool UIView::isDescendantOfView(const std::shared_ptr<const UIView>& view) const
{
    if (!view)
        return false;
    for (auto current = self(); current; current = current->superview()) {
        if (current == view)
            return true;
    }
    return false;
}

void UIView::addSubview(const std::shared_ptr<UIView>& view)
{
    attachSubview(view, m_subviews.size());
}

void UIView::insertSubview(const std::shared_ptr<UIView>& view, NSInteger index)
{
    attachSubview(view, index < 0 ? 0 : static_cast<std::size_t>(index));
}

void UIView::insertSubviewBelowSubview(const std::shared_ptr<UIView>& view, const std::shared_ptr<UIView>& sibling)
{
    auto position = std::find(m_subviews.begin(), m_subviews.end(), sibling);
    attachSubview(view, position == m_subviews.end() ? 0 : position - m_subviews.begin());
}

void UIView::insertSubviewAboveSubview(const std::shared_ptr<UIView>& view, const std::shared_ptr<UIView>& sibling)
{
    auto position = std::find(m_subviews.begin(), m_subviews.end(), sibling);
    attachSubview(view, position == m_subviews.end() ? m_subviews.size() : position - m_subviews.begin() + 1);
}

void UIView::bringSubviewToFront(const std::shared_ptr<UIView>& view)
{
    if (view && view->superview().get() == this)
        attachSubview(view, m_subviews.size());
}

void UIView::sendSubviewToBack(const std::shared_ptr<UIView>& view)
{
    if (view && view->superview().get() == this)
        attachSubview(view, 0);
}

void UIView::exchangeSubviewAtIndex(NSInteger index1, NSInteger index2)
{
    NSAssertMainThread();
    const auto count = static_cast<NSInteger>(m_subviews.size());
    if (index1 < 0 || index2 < 0 || index1 >= count || index2 >= count || index1 == index2)
        return;
    std::swap(m_subviews[index1], m_subviews[index2]);
    for (const auto& subview : m_subviews)
        m_layer->addSublayer(subview->layer());
}

namespace {

void notifyWillMoveToWindow(UIView& view, const std::shared_ptr<UIWindow>& window)
{
    view.willMoveToWindow(window);
    const auto subviews = view.subviews();
    for (const auto& subview : subviews)
        notifyWillMoveToWindow(*subview, window);
}

void notifyDidMoveToWindow(UIView& view)
{
    view.didMoveToWindow();
    const auto subviews = view.subviews();
    for (const auto& subview : subviews)
        notifyDidMoveToWindow(*subview);
}

// A view leaving its window takes its first responder with it.
void resignFirstResponderWithin(UIView& view, const std::shared_ptr<UIWindow>& window)
{
    if (!window)
        return;
    auto responder = std::dynamic_pointer_cast<UIView>(window->firstResponder());
    if (responder && responder->isDescendantOfView(view.self()))
        window->dropFirstResponder();
}

} // namespace

void UIView::attachSubview(const std::shared_ptr<UIView>& view, std::size_t index)
{
    NSAssertMainThread();
    // A view cannot hold itself or one of its ancestors.
    if (!view || view.get() == this || isDescendantOfView(view))
        return;
    if (view->superview().get() == this) {
        auto position = std::find(m_subviews.begin(), m_subviews.end(), view);
        const auto from = static_cast<std::size_t>(position - m_subviews.begin());
        m_subviews.erase(position);
        if (index > from)
            --index;
        index = std::min(index, m_subviews.size());
        m_subviews.insert(m_subviews.begin() + index, view);
    } else {
        const auto oldWindow = view->window();
        const auto newWindow = window();
        view->willMoveToSuperview(self());
        if (oldWindow != newWindow) {
            resignFirstResponderWithin(*view, oldWindow);
            notifyWillMoveToWindow(*view, newWindow);
        }
        view->detachFromSuperview(true);
        index = std::min(index, m_subviews.size());
        m_subviews.insert(m_subviews.begin() + index, view);
        view->m_superview = self();
        if (index + 1 < m_subviews.size())
            m_layer->insertSublayerBelow(view->layer(), m_subviews[index + 1]->layer());
        else
            m_layer->addSublayer(view->layer());
        didAddSubview(view);
        view->didMoveToSuperview();
        if (oldWindow != newWindow)
            notifyDidMoveToWindow(*view);
        setNeedsLayout();
        return;
    }
    if (index + 1 < m_subviews.size())
        m_layer->insertSublayerBelow(view->layer(), m_subviews[index + 1]->layer());
    else
        m_layer->addSublayer(view->layer());
}

void UIView::detachFromSuperview(bool notify)
{
    auto super = superview();
    if (!super)
        return;
    if (notify)
        super->willRemoveSubview(self());
    std::erase(super->m_subviews, self());
    m_superview.reset();
    m_layer->removeFromSuperlayer();
}

void UIView::removeFromSuperview()
{
    NSAssertMainThread();
    auto super = superview();
    if (!super)
        return;
    auto protectedSelf = self();
    const auto oldWindow = window();
    willMoveToSuperview(nullptr);
    if (oldWindow) {
        resignFirstResponderWithin(*this, oldWindow);
        notifyWillMoveToWindow(*this, nullptr);
    }
    detachFromSuperview(true);
    didMoveToSuperview();
    if (oldWindow)
        notifyDidMoveToWindow(*this);
}

void UIView::moveToWindow(const std::shared_ptr<UIWindow>& window)
{
    notifyWillMoveToWindow(*this, window);
    notifyDidMoveToWindow(*this);
}

std::shared_ptr<UIView> UIView::viewWithTag(NSInteger tag)
{
    if (m_tag == tag)
        return self();
    for (const auto& subview : m_subviews) {
        if (auto found = subview->viewWithTag(tag))
            return found;
    }
    return nullptr;
}

// MARK: Layout and drawing

void UIView::setNeedsLayout()
{
    NSAssertMainThread();
    m_layer->setNeedsLayout();
}

void UIView::layoutIfNeeded()
{
    NSAssertMainThread();
    m_layer->layoutIfNeeded();
}

void UIView::sizeToFit()
{
    CGRect frame = this->frame();
    frame.size = sizeThatFits(bounds().size);
    setFrame(frame);
}

void UIView::setNeedsDisplay()
{
    NSAssertMainThread();
    m_layer->setNeedsDisplay();
}

void UIView::setNeedsDisplayInRect(CGRect rect)
{
    NSAssertMainThread();
    m_layer->setNeedsDisplayInRect(rect);
}

void UIView::drawRect(CGRect) { m_drewNothing = true; }

bool UIView::displayLayer(CALayer&) { return false; }

void UIView::drawLayer(CALayer& layer, const CGContextRef& context)
{
    if (&layer != m_layer.get())
        return;
    m_drewNothing = false;
    UIGraphicsPushContext(context);
    drawRect(bounds());
    UIGraphicsPopContext();
}

bool UIView::didDrawLayer(CALayer&) { return !m_drewNothing; }

void UIView::layoutSublayersOfLayer(CALayer& layer)
{
    if (&layer != m_layer.get())
        return;
    auto controller = viewController();
    if (controller && controller->viewIfLoaded().get() != this)
        controller = nullptr;
    if (controller)
        controller->viewWillLayoutSubviews();
    layoutSubviews();
    if (controller)
        controller->viewDidLayoutSubviews();
}

// MARK: Appearance

void UIView::setClipsToBounds(bool clips)
{
    NSAssertMainThread();
    m_layer->setMasksToBounds(clips);
}

void UIView::setAlpha(CGFloat alpha)
{
    NSAssertMainThread();
    m_layer->setOpacity(static_cast<float>(std::clamp(alpha, 0.0, 1.0)));
}

void UIView::setHidden(bool hidden)
{
    NSAssertMainThread();
    m_layer->setHidden(hidden);
}

void UIView::setOpaque(bool opaque)
{
    NSAssertMainThread();
    m_layer->setOpaque(opaque);
}

void UIView::setBackgroundColor(const UIColorRef& color)
{
    NSAssertMainThread();
    m_backgroundColor = color;
    m_layer->setBackgroundColor(color ? color->CGColor() : nullptr);
}

UIColorRef UIView::tintColor() const
{
    for (auto view = std::const_pointer_cast<UIView>(self()); view; view = view->superview()) {
        if (view->m_tintColor)
            return view->m_tintColor;
    }
    static const auto systemTint = UIColor::colorWithRed(0, 122.0 / 255, 1, 1);
    return systemTint;
}

namespace {

void tellTintChanged(UIView& view)
{
    view.tintColorDidChange();
    for (const auto& subview : view.subviews())
        tellTintChanged(*subview);
}

} // namespace

void UIView::setTintColor(const UIColorRef& color)
{
    NSAssertMainThread();
    if (ns::isEqual(m_tintColor, color))
        return;
    m_tintColor = color;
    tellTintChanged(*this);
}

UIViewTintAdjustmentMode UIView::tintAdjustmentMode() const
{
    for (auto view = std::const_pointer_cast<UIView>(self()); view; view = view->superview()) {
        if (view->m_tintAdjustmentMode != UIViewTintAdjustmentMode::Automatic)
            return view->m_tintAdjustmentMode;
    }
    return UIViewTintAdjustmentMode::Normal;
}

void UIView::setTintAdjustmentMode(UIViewTintAdjustmentMode mode)
{
    NSAssertMainThread();
    if (m_tintAdjustmentMode == mode)
        return;
    const UIViewTintAdjustmentMode before = tintAdjustmentMode();
    m_tintAdjustmentMode = mode;
    if (tintAdjustmentMode() != before)
        tellTintChanged(*this);
}

void UIView::setContentMode(UIViewContentMode mode)
{
    NSAssertMainThread();
    if (m_contentMode == mode)
        return;
    m_contentMode = mode;
    static constexpr const char* gravities[] = { kCAGravityResize, kCAGravityResizeAspect, kCAGravityResizeAspectFill,
        kCAGravityResize, kCAGravityCenter, kCAGravityTop, kCAGravityBottom, kCAGravityLeft, kCAGravityRight,
        kCAGravityTopLeft, kCAGravityTopRight, kCAGravityBottomLeft, kCAGravityBottomRight };
    const auto index = static_cast<std::size_t>(mode);
    if (index < std::size(gravities))
        m_layer->setContentsGravity(gravities[index]);
}

// MARK: Touches and conversion

std::shared_ptr<UIView> UIView::hitTest(CGPoint point, const UIEventRef& event)
{
    if (isHidden() || !m_userInteractionEnabled || m_layer->opacity() < 0.01f || !pointInside(point, event))
        return nullptr;
    if (m_layer->hasAnimations() && isAnimatingWithoutInteraction())
        return nullptr;
    for (auto subview = m_subviews.rbegin(); subview != m_subviews.rend(); ++subview) {
        const auto& view = *subview;
        CGPoint local;
        const CALayer& layer = *view->m_layer;
        if (CATransform3DIsIdentity(layer.transform()) && CATransform3DIsIdentity(m_layer->sublayerTransform())) {
            // The common case without a matrix: undo the position, anchor and bounds origin.
            const CGRect bounds = layer.bounds();
            local = { point.x - layer.position().x + layer.anchorPoint().x * bounds.size.width + bounds.origin.x,
                point.y - layer.position().y + layer.anchorPoint().y * bounds.size.height + bounds.origin.y };
        } else {
            local = view->convertPointFromView(point, self());
        }
        if (auto hit = view->hitTest(local, event))
            return hit;
    }
    return self();
}

bool UIView::isAnimatingWithoutInteraction() const
{
    for (const auto& key : m_layer->animationKeys()) {
        auto animation = m_layer->animationForKey(key);
        if (animation && animation->valueForKey(UIViewAnimationBlocksInteractionKey))
            return true;
    }
    return false;
}

bool UIView::pointInside(CGPoint point, const UIEventRef&) const
{
    return CGRectContainsPoint(bounds(), point);
}

CALayerRef UIView::rootLayerForConversion() const
{
    if (auto window = this->window())
        return window->layer();
    return nullptr;
}

CGPoint UIView::convertPointToView(CGPoint point, const std::shared_ptr<const UIView>& view) const
{
    return m_layer->convertPointToLayer(point, view ? view->layer() : rootLayerForConversion());
}

CGPoint UIView::convertPointFromView(CGPoint point, const std::shared_ptr<const UIView>& view) const
{
    return m_layer->convertPointFromLayer(point, view ? view->layer() : rootLayerForConversion());
}

CGRect UIView::convertRectToView(CGRect rect, const std::shared_ptr<const UIView>& view) const
{
    return m_layer->convertRectToLayer(rect, view ? view->layer() : rootLayerForConversion());
}

CGRect UIView::convertRectFromView(CGRect rect, const std::shared_ptr<const UIView>& view) const
{
    return m_layer->convertRectFromLayer(rect, view ? view->layer() : rootLayerForConversion());
}

void UIView::addGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer)
{
    NSAssertMainThread();
    if (!recognizer || std::find(m_gestureRecognizers.begin(), m_gestureRecognizers.end(), recognizer) != m_gestureRecognizers.end())
        return;
    if (auto previous = recognizer->view())
        previous->removeGestureRecognizer(recognizer);
    m_gestureRecognizers.push_back(recognizer);
    recognizer->setView(self());
}

void UIView::removeGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer)
{
    NSAssertMainThread();
    auto position = std::find(m_gestureRecognizers.begin(), m_gestureRecognizers.end(), recognizer);
    if (position == m_gestureRecognizers.end())
        return;
    m_gestureRecognizers.erase(position);
    recognizer->setView(nullptr);
}

bool UIView::endEditing(bool force)
{
    NSAssertMainThread();
    auto window = this->window();
    if (!window)
        return true;
    auto responder = window->firstResponder();
    auto view = std::dynamic_pointer_cast<UIView>(responder);
    if (!view) {
        // A controller may be first responder: it belongs to the view holding its view.
        if (auto controller = std::dynamic_pointer_cast<UIViewController>(responder))
            view = controller->viewIfLoaded();
    }
    if (!view || !view->isDescendantOfView(self()))
        return true;
    if (responder->resignFirstResponder() && !responder->isFirstResponder())
        return true;
    if (!force)
        return false;
    window->dropFirstResponder();
    return true;
}

std::shared_ptr<UIResponder> UIView::nextResponder() const
{
    if (auto controller = viewController(); controller && controller->viewIfLoaded().get() == this)
        return controller;
    return superview();
}

NSString UIView::description() const
{
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<const void*>(this));
    std::string text = std::string("<") + className() + ": " + address + "; frame = " + NSStringFromCGRect(frame()).UTF8String();
    if (isHidden())
        text += "; hidden = YES";
    if (m_tag)
        text += "; tag = " + std::to_string(m_tag);
    return NSString(text + ">");
}
