#pragma once
// Views: rectangles in a tree, each backed by a layer whose delegate it is. The layer holds the
// geometry (frame, bounds, centre, transform), the appearance (colour, alpha, hidden, clipping)
// and the drawing; the view adds the responder chain, touches, gesture recognisers, layout with
// autoresizing, drawing with drawRect, and the block animations.
//
// Drawing: a view draws only when marked with setNeedsDisplay (or on a size change under
// UIViewContentModeRedraw); drawRect then runs with the current context flipped as UIKit's,
// origin at the top left of the bounds. The base drawRect draws nothing and tells the layer to
// keep no picture, so an override should not call it.
//
// Animations: inside an animation block, every animatable change of a view's layer becomes an
// animation from the value on screen to the new value, which the model takes at once. The
// completion runs when all of them have stopped, told whether they all reached their end; a
// block that animated nothing completes on the next turn of the run loop.

#include "platform/layers/CALayer.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIGeometry.h"
#include "platform/uikit/UIResponder.h"

#include <functional>
#include <map>
#include <vector>

class UIGestureRecognizer;
class UIViewController;
class UIWindow;

enum UIViewAutoresizing : NSUInteger {
    UIViewAutoresizingNone = 0,
    UIViewAutoresizingFlexibleLeftMargin = 1 << 0,
    UIViewAutoresizingFlexibleWidth = 1 << 1,
    UIViewAutoresizingFlexibleRightMargin = 1 << 2,
    UIViewAutoresizingFlexibleTopMargin = 1 << 3,
    UIViewAutoresizingFlexibleHeight = 1 << 4,
    UIViewAutoresizingFlexibleBottomMargin = 1 << 5,
};

enum class UIViewContentMode : NSInteger {
    ScaleToFill = 0,
    ScaleAspectFit = 1,
    ScaleAspectFill = 2,
    Redraw = 3,
    Center = 4,
    Top = 5,
    Bottom = 6,
    Left = 7,
    Right = 8,
    TopLeft = 9,
    TopRight = 10,
    BottomLeft = 11,
    BottomRight = 12,
};

// Dimmed: the tint is shown greyed, as behind a modal alert. Automatic takes the superview's.
enum class UIViewTintAdjustmentMode : NSInteger {
    Automatic = 0,
    Normal = 1,
    Dimmed = 2,
};

enum UIViewAnimationOptions : NSUInteger {
    UIViewAnimationOptionNone = 0,
    UIViewAnimationOptionLayoutSubviews = 1 << 0,
    UIViewAnimationOptionAllowUserInteraction = 1 << 1,
    UIViewAnimationOptionBeginFromCurrentState = 1 << 2,
    UIViewAnimationOptionRepeat = 1 << 3,
    UIViewAnimationOptionAutoreverse = 1 << 4,
    UIViewAnimationOptionOverrideInheritedDuration = 1 << 5,
    UIViewAnimationOptionOverrideInheritedCurve = 1 << 6,
    UIViewAnimationOptionAllowAnimatedContent = 1 << 7,
    UIViewAnimationOptionShowHideTransitionViews = 1 << 8,
    UIViewAnimationOptionOverrideInheritedOptions = 1 << 9,
    UIViewAnimationOptionCurveEaseInOut = 0 << 16,
    UIViewAnimationOptionCurveEaseIn = 1 << 16,
    UIViewAnimationOptionCurveEaseOut = 2 << 16,
    UIViewAnimationOptionCurveLinear = 3 << 16,
    UIViewAnimationOptionTransitionNone = 0 << 20,
    UIViewAnimationOptionTransitionFlipFromLeft = 1 << 20,
    UIViewAnimationOptionTransitionFlipFromRight = 2 << 20,
    UIViewAnimationOptionTransitionCurlUp = 3 << 20,
    UIViewAnimationOptionTransitionCurlDown = 4 << 20,
    UIViewAnimationOptionTransitionCrossDissolve = 5 << 20,
    UIViewAnimationOptionTransitionFlipFromTop = 6 << 20,
    UIViewAnimationOptionTransitionFlipFromBottom = 7 << 20,
};

constexpr UIViewAnimationOptions operator|(UIViewAnimationOptions a, UIViewAnimationOptions b)
{
    return static_cast<UIViewAnimationOptions>(static_cast<NSUInteger>(a) | static_cast<NSUInteger>(b));
}

enum class UIViewAnimationCurve : NSInteger {
    EaseInOut = 0,
    EaseIn = 1,
    EaseOut = 2,
    Linear = 3,
};

enum class UIViewAnimationTransition : NSInteger {
    None = 0,
    FlipFromLeft = 1,
    FlipFromRight = 2,
    CurlUp = 3,
    CurlDown = 4,
};

class UIView : public UIResponder, public CALayerDelegate {
    NS_OBJECT(UIView, UIResponder)
public:
    ~UIView() override;

    const CALayerRef& layer() const { return m_layer; }

    // Geometry, kept by the layer.
    CGRect frame() const { return m_layer->frame(); }
    virtual void setFrame(CGRect frame);
    CGRect bounds() const { return m_layer->bounds(); }
    virtual void setBounds(CGRect bounds);
    CGPoint center() const { return m_layer->position(); }
    void setCenter(CGPoint center);
    CGAffineTransform transform() const { return m_layer->affineTransform(); }
    void setTransform(CGAffineTransform transform);

    // The tree. Adding a view takes it from its previous superview; an index past the end
    // appends; a sibling that is not a subview puts the view at the end (below: at the start).
    std::shared_ptr<UIView> superview() const { return m_superview.lock(); }
    const std::vector<std::shared_ptr<UIView>>& subviews() const { return m_subviews; }
    std::shared_ptr<UIWindow> window() const;
    void addSubview(const std::shared_ptr<UIView>& view);
    void insertSubview(const std::shared_ptr<UIView>& view, NSInteger index);
    void insertSubviewBelowSubview(const std::shared_ptr<UIView>& view, const std::shared_ptr<UIView>& sibling);
    void insertSubviewAboveSubview(const std::shared_ptr<UIView>& view, const std::shared_ptr<UIView>& sibling);
    void exchangeSubviewAtIndex(NSInteger index1, NSInteger withSubviewAtIndex);
    void bringSubviewToFront(const std::shared_ptr<UIView>& view);
    void sendSubviewToBack(const std::shared_ptr<UIView>& view);
    void removeFromSuperview();
    bool isDescendantOfView(const std::shared_ptr<const UIView>& view) const;
    // This view or the first descendant, depth first, with the tag; nil when none.
    std::shared_ptr<UIView> viewWithTag(NSInteger tag);

    // Told around changes of the tree; empty by default.
    virtual void didAddSubview(const std::shared_ptr<UIView>&) { }
    virtual void willRemoveSubview(const std::shared_ptr<UIView>&) { }
    virtual void willMoveToSuperview(const std::shared_ptr<UIView>&) { }
    virtual void didMoveToSuperview() { }
    virtual void willMoveToWindow(const std::shared_ptr<UIWindow>&) { }
    virtual void didMoveToWindow() { }

    // Layout.
    UIViewAutoresizing autoresizingMask() const { return m_autoresizingMask; }
    void setAutoresizingMask(NSUInteger mask) { m_autoresizingMask = static_cast<UIViewAutoresizing>(mask); }
    bool autoresizesSubviews() const { return m_autoresizesSubviews; }
    void setAutoresizesSubviews(bool autoresizes) { m_autoresizesSubviews = autoresizes; }
    void setNeedsLayout();
    void layoutIfNeeded();
    virtual void layoutSubviews() { }
    virtual CGSize sizeThatFits(CGSize size) const { (void)size; return bounds().size; }
    void sizeToFit();
    // No intrinsic metric: -1 each way.
    virtual CGSize intrinsicContentSize() const { return { -1, -1 }; }
    void invalidateIntrinsicContentSize() { }

    // Drawing.
    void setNeedsDisplay();
    void setNeedsDisplayInRect(CGRect rect);
    virtual void drawRect(CGRect rect);

    // Appearance.
    bool clipsToBounds() const { return m_layer->masksToBounds(); }
    void setClipsToBounds(bool clips);
    CGFloat alpha() const { return m_layer->opacity(); }
    void setAlpha(CGFloat alpha);
    bool isHidden() const { return m_layer->isHidden(); }
    virtual void setHidden(bool hidden);
    bool isOpaque() const { return m_layer->isOpaque(); }
    void setOpaque(bool opaque);
    const UIColorRef& backgroundColor() const { return m_backgroundColor; }
    virtual void setBackgroundColor(const UIColorRef& color);
    // The tint of the nearest view up the tree that has one; blue at the window.
    UIColorRef tintColor() const;
    void setTintColor(const UIColorRef& color);
    virtual void tintColorDidChange() { }
    // Never Automatic: the nearest view up the tree that has a mode decides, Normal at the top.
    UIViewTintAdjustmentMode tintAdjustmentMode() const;
    void setTintAdjustmentMode(UIViewTintAdjustmentMode mode);
    UIViewContentMode contentMode() const { return m_contentMode; }
    void setContentMode(UIViewContentMode mode);

    NSInteger tag() const { return m_tag; }
    void setTag(NSInteger tag) { m_tag = tag; }

    // Touches.
    bool isUserInteractionEnabled() const { return m_userInteractionEnabled; }
    void setUserInteractionEnabled(bool enabled) { m_userInteractionEnabled = enabled; }
    bool isMultipleTouchEnabled() const { return m_multipleTouchEnabled; }
    void setMultipleTouchEnabled(bool enabled) { m_multipleTouchEnabled = enabled; }
    bool isExclusiveTouch() const { return m_exclusiveTouch; }
    void setExclusiveTouch(bool exclusive) { m_exclusiveTouch = exclusive; }
    // The deepest view under the point (in this view's coordinates) that takes touches: not
    // hidden, interaction enabled, alpha at least 0.01, and the point inside every view on the way.
    virtual std::shared_ptr<UIView> hitTest(CGPoint point, const UIEventRef& event);
    virtual bool pointInside(CGPoint point, const UIEventRef& event) const;

    // Conversion; a nil view stands for the window.
    CGPoint convertPointToView(CGPoint point, const std::shared_ptr<const UIView>& view) const;
    CGPoint convertPointFromView(CGPoint point, const std::shared_ptr<const UIView>& view) const;
    CGRect convertRectToView(CGRect rect, const std::shared_ptr<const UIView>& view) const;
    CGRect convertRectFromView(CGRect rect, const std::shared_ptr<const UIView>& view) const;

    // Gesture recognisers see the touches of this view and its subviews before the views do.
    void addGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer);
    void removeGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer);
    const std::vector<std::shared_ptr<UIGestureRecognizer>>& gestureRecognizers() const { return m_gestureRecognizers; }
    // Asked before one of the view's or its ancestors' recognisers begins; true by default.
    virtual bool gestureRecognizerShouldBegin(UIGestureRecognizer& recognizer) { (void)recognizer; return true; }

    // Makes the first responder within the view resign; with force, whether it wants to or not.
    bool endEditing(bool force);

    // Text the view shows, for the host's view tree and for tests; nil for none.
    virtual NSString visibleText() const { return nullptr; }

    // The controller whose view this is, if any.
    std::shared_ptr<UIViewController> viewController() const { return m_viewController.lock(); }
    void setViewController(const std::shared_ptr<UIViewController>& controller) { m_viewController = controller; }

    std::shared_ptr<UIResponder> nextResponder() const override;

    // Block animations.
    static void animateWithDuration(NSTimeInterval duration, const std::function<void()>& animations);
    static void animateWithDuration(NSTimeInterval duration, const std::function<void()>& animations,
        std::function<void(bool finished)> completion);
    static void animateWithDuration(NSTimeInterval duration, NSTimeInterval delay, NSUInteger options,
        const std::function<void()>& animations, std::function<void(bool finished)> completion);
    // A spring: damping 1 settles without overshoot, lower values oscillate; velocity is in
    // distances per second, the distance being the whole change.
    static void animateWithDuration(NSTimeInterval duration, NSTimeInterval delay, CGFloat usingSpringWithDamping,
        CGFloat initialSpringVelocity, NSUInteger options, const std::function<void()>& animations,
        std::function<void(bool finished)> completion);
    // Runs the changes without animation and shows the change of the view's contents as a
    // transition (cross-dissolve, flip, curl) of the given duration.
    static void transitionWithView(const std::shared_ptr<UIView>& view, NSTimeInterval duration, NSUInteger options,
        const std::function<void()>& animations, std::function<void(bool finished)> completion);
    // Replaces fromView by toView in its superview (or hides and shows them with
    // ShowHideTransitionViews), with the transition.
    static void transitionFromView(const std::shared_ptr<UIView>& fromView, const std::shared_ptr<UIView>& toView,
        NSTimeInterval duration, NSUInteger options, std::function<void(bool finished)> completion);
    static void performWithoutAnimation(const std::function<void()>& actions);

    // The older form: settings between begin and commit apply to the changes made there. The
    // stop block hears the identifier, whether the animations finished, and the context; it is
    // not called once the delegate set with it has gone.
    static void beginAnimations(const NSString& animationID, const id& context);
    static void commitAnimations();
    static void setAnimationDuration(NSTimeInterval duration);
    static void setAnimationDelay(NSTimeInterval delay);
    static void setAnimationCurve(UIViewAnimationCurve curve);
    static void setAnimationRepeatCount(float count);
    static void setAnimationRepeatAutoreverses(bool autoreverses);
    static void setAnimationBeginsFromCurrentState(bool fromCurrentState);
    static void setAnimationDelegate(const id& delegate);
    static void setAnimationDidStopSelector(std::function<void(const NSString& animationID, bool finished, const id& context)> block);
    static void setAnimationTransition(UIViewAnimationTransition transition, const std::shared_ptr<UIView>& view, bool cache);
    static void setAnimationsEnabled(bool enabled);
    static bool areAnimationsEnabled();
    static bool isInAnimationBlock();

    // Layer delegate.
    bool displayLayer(CALayer& layer) override;
    void drawLayer(CALayer& layer, const CGContextRef& context) override;
    bool didDrawLayer(CALayer& layer) override;
    void layoutSublayersOfLayer(CALayer& layer) override;
    id actionForLayer(CALayer& layer, const NSString& key) override;

    NSString description() const override;

    // Values kept on the view by a key of their owner's (the platform's associated objects);
    // they live as long as the view. Main thread only.
    id associatedObject(const void* key) const
    {
        auto found = m_associatedObjects.find(key);
        return found == m_associatedObjects.end() ? nullptr : found->second;
    }
    void setAssociatedObject(const void* key, const id& value)
    {
        if (value)
            m_associatedObjects[key] = value;
        else
            m_associatedObjects.erase(key);
    }

protected:
    void init() { init(CGRectZero); }
    virtual void init(CGRect frame);
    // The class of the backing layer (the platform's layerClass).
    virtual CALayerRef makeLayer() const;
    std::shared_ptr<UIWindow> responderWindow() const override { return window(); }
    // Hook for the window: the view it sits in changed window.
    void moveToWindow(const std::shared_ptr<UIWindow>& window);

private:
    void attachSubview(const std::shared_ptr<UIView>& view, std::size_t index);
    void detachFromSuperview(bool notify);
    void boundsSizeDidChange(CGSize oldSize);
    void resizeWithOldSuperviewSize(CGSize oldSize);
    CALayerRef rootLayerForConversion() const;
    // A block animation without AllowUserInteraction runs on the view: it takes no touches.
    bool isAnimatingWithoutInteraction() const;

    CALayerRef m_layer;
    std::weak_ptr<UIView> m_superview;
    std::vector<std::shared_ptr<UIView>> m_subviews;
    std::weak_ptr<UIViewController> m_viewController;
    std::vector<std::shared_ptr<UIGestureRecognizer>> m_gestureRecognizers;
    UIColorRef m_backgroundColor;
    UIColorRef m_tintColor;
    UIViewTintAdjustmentMode m_tintAdjustmentMode { UIViewTintAdjustmentMode::Automatic };
    UIViewAutoresizing m_autoresizingMask { UIViewAutoresizingNone };
    bool m_autoresizesSubviews { true };
    UIViewContentMode m_contentMode { UIViewContentMode::ScaleToFill };
    NSInteger m_tag { 0 };
    bool m_userInteractionEnabled { true };
    bool m_multipleTouchEnabled { false };
    bool m_exclusiveTouch { false };
    // Set by the base drawRect: the view has nothing of its own to draw.
    bool m_drewNothing { false };
    std::map<const void*, id> m_associatedObjects;
};

using UIViewRef = std::shared_ptr<UIView>;

// The value under which a block animation says that its view takes no touches meanwhile.
extern const char* const UIViewAnimationBlocksInteractionKey;
