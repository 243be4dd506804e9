#pragma once
// Layers: a tree of rectangles with geometry, appearance and cached contents, which the
// compositor draws. Geometry follows the platform: the layer's anchor point (a fraction of its
// bounds) sits at its position in the superlayer's coordinates, the 3-D transform turns the
// layer about that point, and the frame is derived from all of them. Sublayers are drawn in
// the order of their zPosition, then of the list.
//
// Changing an animatable property of a layer that has been through a transaction commit runs
// the action for its key (an implicit animation by default) unless the transaction disables
// actions or the delegate answers NSNull. Animations never change the model values: they show in
// the presentation copy, which the compositor draws.
//
// A layer has contents when its delegate sets them (displayLayer) or when it draws
// (drawInContext, or the delegate's drawLayer). Drawing happens only in display(), which the
// compositor runs for layers marked with setNeedsDisplay; the drawing is kept in a backing
// store at the contentsScale until the next mark.

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSString.h"
#include "platform/foundation/PassKey.h"
#include "platform/graphics/CGColor.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/CGImage.h"
#include "platform/graphics/CGPath.h"
#include "platform/layers/CAAnimation.h"
#include "platform/layers/CALayerDelegate.h"
#include "platform/layers/CATransform3D.h"

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

class CAAnimationScheduler;
class LayerRenderer;
class LayerTreeHost;
class NSDictionary;
class NSMutableDictionary;

inline constexpr const char* kCAGravityCenter = "center";
inline constexpr const char* kCAGravityTop = "top";
inline constexpr const char* kCAGravityBottom = "bottom";
inline constexpr const char* kCAGravityLeft = "left";
inline constexpr const char* kCAGravityRight = "right";
inline constexpr const char* kCAGravityTopLeft = "topLeft";
inline constexpr const char* kCAGravityTopRight = "topRight";
inline constexpr const char* kCAGravityBottomLeft = "bottomLeft";
inline constexpr const char* kCAGravityBottomRight = "bottomRight";
inline constexpr const char* kCAGravityResize = "resize";
inline constexpr const char* kCAGravityResizeAspect = "resizeAspect";
inline constexpr const char* kCAGravityResizeAspectFill = "resizeAspectFill";

class CALayer : public NSObject {
    NS_OBJECT(CALayer, NSObject)
public:
    ~CALayer() override;

    static std::shared_ptr<CALayer> layer() { return create(); }

    // Geometry.
    CGRect bounds() const { return m_properties.bounds; }
    void setBounds(CGRect bounds);
    CGPoint position() const { return m_properties.position; }
    void setPosition(CGPoint position);
    CGFloat zPosition() const { return m_properties.zPosition; }
    void setZPosition(CGFloat zPosition);
    CGPoint anchorPoint() const { return m_properties.anchorPoint; }
    void setAnchorPoint(CGPoint anchorPoint);
    CGFloat anchorPointZ() const { return m_properties.anchorPointZ; }
    void setAnchorPointZ(CGFloat anchorPointZ);
    const CATransform3D& transform() const { return m_properties.transform; }
    void setTransform(const CATransform3D& transform);
    CGAffineTransform affineTransform() const { return CATransform3DGetAffineTransform(m_properties.transform); }
    void setAffineTransform(CGAffineTransform transform) { setTransform(CATransform3DMakeAffineTransform(transform)); }
    // Applied to the sublayers about the centre of the bounds.
    const CATransform3D& sublayerTransform() const { return m_properties.sublayerTransform; }
    void setSublayerTransform(const CATransform3D& transform);
    // The box of the transformed bounds in the superlayer. Setting it under a transform picks
    // bounds and position whose transformed box is the frame, where one exists.
    CGRect frame() const;
    void setFrame(CGRect frame);

    // Appearance.
    bool isHidden() const { return m_properties.hidden; }
    void setHidden(bool hidden);
    float opacity() const { return m_properties.opacity; }
    void setOpacity(float opacity);
    bool masksToBounds() const { return m_properties.masksToBounds; }
    void setMasksToBounds(bool masks);
    // The mask's alpha clips the layer; its superlayer is the layer it masks.
    const std::shared_ptr<CALayer>& mask() const { return m_properties.mask; }
    void setMask(const std::shared_ptr<CALayer>& mask);
    CGFloat cornerRadius() const { return m_properties.cornerRadius; }
    void setCornerRadius(CGFloat radius);
    CGFloat borderWidth() const { return m_properties.borderWidth; }
    void setBorderWidth(CGFloat width);
    const CGColorRef& borderColor() const { return m_properties.borderColor; }
    void setBorderColor(const CGColorRef& color);
    const CGColorRef& backgroundColor() const { return m_properties.backgroundColor; }
    void setBackgroundColor(const CGColorRef& color);
    const CGColorRef& shadowColor() const { return m_properties.shadowColor; }
    void setShadowColor(const CGColorRef& color);
    float shadowOpacity() const { return m_properties.shadowOpacity; }
    void setShadowOpacity(float opacity);
    CGSize shadowOffset() const { return m_properties.shadowOffset; }
    void setShadowOffset(CGSize offset);
    CGFloat shadowRadius() const { return m_properties.shadowRadius; }
    void setShadowRadius(CGFloat radius);
    const CGPathRef& shadowPath() const { return m_properties.shadowPath; }
    void setShadowPath(const CGPathRef& path);
    bool isOpaque() const { return m_properties.opaque; }
    void setOpaque(bool opaque);
    bool isDoubleSided() const { return m_properties.doubleSided; }
    void setDoubleSided(bool doubleSided);
    bool shouldRasterize() const { return m_properties.shouldRasterize; }
    void setShouldRasterize(bool rasterize)
    {
        NSAssertMainThread();
        m_properties.shouldRasterize = rasterize;
    }
    CGFloat rasterizationScale() const { return m_properties.rasterizationScale; }
    void setRasterizationScale(CGFloat scale)
    {
        NSAssertMainThread();
        m_properties.rasterizationScale = scale;
    }

    // Contents: an image shown in the bounds by the gravity; contentsRect picks the part of the
    // image (unit coordinates), contentsScale says how many pixels make a point.
    const CGImageRef& contents() const { return m_properties.contents; }
    void setContents(const CGImageRef& contents);
    const NSString& contentsGravity() const { return m_properties.contentsGravity; }
    void setContentsGravity(const NSString& gravity);
    CGRect contentsRect() const { return m_properties.contentsRect; }
    void setContentsRect(CGRect rect);
    CGFloat contentsScale() const { return m_properties.contentsScale; }
    void setContentsScale(CGFloat scale);
    bool needsDisplayOnBoundsChange() const { return m_properties.needsDisplayOnBoundsChange; }
    void setNeedsDisplayOnBoundsChange(bool needs)
    {
        NSAssertMainThread();
        m_properties.needsDisplayOnBoundsChange = needs;
    }

    const NSString& name() const { return m_properties.name; }
    void setName(const NSString& name)
    {
        NSAssertMainThread();
        m_properties.name = name;
    }
    std::shared_ptr<CALayerDelegate> delegate() const { return m_properties.delegate.lock(); }
    void setDelegate(const std::shared_ptr<CALayerDelegate>& delegate)
    {
        NSAssertMainThread();
        m_properties.delegate = delegate;
    }
    // Actions by key (NSNull: none), consulted after the delegate.
    const std::shared_ptr<NSDictionary>& actions() const { return m_properties.actions; }
    void setActions(std::shared_ptr<NSDictionary> actions)
    {
        NSAssertMainThread();
        m_properties.actions = std::move(actions);
    }

    // The tree. Adding a layer removes it from its previous superlayer first; an index beyond
    // the end appends; a sibling that is not a sublayer puts the layer at the end.
    std::shared_ptr<CALayer> superlayer() const { return m_superlayer.lock(); }
    // A snapshot: changing the tree while walking it is safe.
    std::vector<std::shared_ptr<CALayer>> sublayers() const { return m_sublayers; }
    void setSublayers(const std::vector<std::shared_ptr<CALayer>>& sublayers);
    void addSublayer(const std::shared_ptr<CALayer>& layer);
    void insertSublayer(const std::shared_ptr<CALayer>& layer, unsigned index);
    void insertSublayerBelow(const std::shared_ptr<CALayer>& layer, const std::shared_ptr<CALayer>& sibling);
    void insertSublayerAbove(const std::shared_ptr<CALayer>& layer, const std::shared_ptr<CALayer>& sibling);
    void replaceSublayer(const std::shared_ptr<CALayer>& oldLayer, const std::shared_ptr<CALayer>& newLayer);
    void removeFromSuperlayer();

    // Display.
    void setNeedsDisplay();
    void setNeedsDisplayInRect(CGRect rect);
    bool needsDisplay() const { return m_needsDisplay; }
    void displayIfNeeded();
    // Asks the delegate to set the contents, or draws into a new backing store.
    virtual void display();
    // Draws the contents in the layer's bounds, in a context flipped as UIKit's; by default the
    // delegate's drawLayer.
    virtual void drawInContext(const CGContextRef& context);
    // Draws the layer and its sublayers into the context in the layer's own coordinates, running
    // the drawing again rather than using the backing stores, with the model values.
    void renderInContext(const CGContextRef& context);

    // Layout.
    void setNeedsLayout();
    bool needsLayout() const { return m_needsLayout; }
    // Lays out this layer if marked, then its sublayers.
    void layoutIfNeeded();
    virtual void layoutSublayers();

    // Hit testing and conversion. The point of hitTest is in the superlayer's coordinates; the
    // answer is the deepest visible layer under it, nil outside this layer's bounds.
    virtual std::shared_ptr<CALayer> hitTest(CGPoint point);
    virtual bool containsPoint(CGPoint point) const;
    // Where content drawn as vectors (a shape's path) reaches beyond the bounds; null when nowhere.
    virtual CGRect vectorContentBounds() const { return CGRectNull; }
    // A nil layer stands for the coordinates of the root of the tree.
    CGPoint convertPointFromLayer(CGPoint point, const std::shared_ptr<const CALayer>& layer) const;
    CGPoint convertPointToLayer(CGPoint point, const std::shared_ptr<const CALayer>& layer) const;
    CGRect convertRectFromLayer(CGRect rect, const std::shared_ptr<const CALayer>& layer) const;
    CGRect convertRectToLayer(CGRect rect, const std::shared_ptr<const CALayer>& layer) const;

    // Animations. A copy is added, replacing any animation under the same key; a nil key makes
    // one up that nobody else uses.
    void addAnimation(const CAAnimationRef& animation, const NSString& key);
    void removeAnimationForKey(const NSString& key);
    void removeAllAnimations();
    CAAnimationRef animationForKey(const NSString& key) const;
    std::vector<NSString> animationKeys() const;
    bool hasAnimations() const { return !m_animations.empty(); }

    // A copy with the running animations applied at the current media time; the model layer of
    // a presentation copy is the layer it was made from. Copies have no sublayers.
    std::shared_ptr<CALayer> presentationLayer() const;
    std::shared_ptr<CALayer> modelLayer() const;
    bool isPresentationLayer() const { return m_isPresentation; }

    // Actions: delegate, then the actions dictionary, then defaultActionForKey; nil for none.
    virtual id actionForKey(const NSString& key);
    // A basic animation with the transaction's duration and timing for animatable keys.
    virtual id defaultActionForKey(const NSString& key) const;
    // Keys whose change (or animation) needs the layer drawn again.
    virtual bool needsDisplayForKey(const NSString& key) const;

    // Key-value access to properties by name; keys the layer does not know keep their values
    // in the layer. Key paths reach into points, sizes, rectangles and transforms
    // ("position.x", "bounds.size.width", "transform.scale.y", "transform.rotation.z").
    virtual id valueForKey(const NSString& key) const;
    virtual void setValue(const id& value, const NSString& key);
    id valueForKeyPath(const NSString& keyPath) const;
    void setValueForKeyPath(const id& value, const NSString& keyPath);

    // Hooks the layer to whoever shows its tree; set on the root.
    void setTreeHost(const std::shared_ptr<LayerTreeHost>& host)
    {
        NSAssertMainThread();
        m_treeHost = host;
    }

    // The map from this layer's coordinates into its superlayer's (after the superlayer's
    // sublayer transform), flattened to the superlayer's plane.
    CATransform3D transformToSuperlayer() const;
    // The map from this layer's coordinates into the root's.
    CATransform3D transformToRoot() const;

    // The map into the coordinates of the given superlayer (nil: no sublayer transform).
    CATransform3D placementIn(const CALayer* superlayer) const;
    // Whether the layer's own background hides everything beneath it in the rectangle (layer
    // coordinates): opaque colour, full opacity, the rectangle inside the rounded bounds.
    bool coversOpaquely(CGRect rect) const;
    bool hasRunningAnimations(CFTimeInterval now) const;
    // Counts the changes that can alter how the layer looks (its own, and for the subtree count
    // those of every layer below it too), for pictures kept of it to tell when they are stale.
    std::uint64_t revision() const { return m_revision; }
    std::uint64_t subtreeRevision() const { return m_subtreeRevision; }
    // The presentation copy at a media time.
    std::shared_ptr<CALayer> presentationAt(CFTimeInterval time) const;
    // Sublayers in drawing order: by zPosition, stable within one.
    std::vector<std::shared_ptr<CALayer>> sublayersInDrawingOrder() const;

    // For the renderer alone: the pixels display() drew and the renderer's resampled contents
    // (a type of the back end; null until the layer has drawn or been drawn), the animations,
    // and the vector content.
    struct BackingStore;
    BackingStore* backingStore(PassKey<LayerRenderer>) const { return m_backingStore.get(); }
    BackingStore& makeBackingStore(PassKey<LayerRenderer>) { return ensureBackingStore(); }
    void renderVectorContent(const CGContextRef& context, PassKey<LayerRenderer>) const { drawVectorContent(context); }
    // The vector content in steps that each paint once over what lies below (a shape's fill,
    // then its stroke), so that the renderer may keep a picture of each; -1 draws all of it.
    int vectorContentSteps(PassKey<LayerRenderer>) const { return vectorContentStepCount(); }
    void renderVectorContentStep(const CGContextRef& context, int step, PassKey<LayerRenderer>) const
    {
        drawVectorContentStep(context, step);
    }
    // What the renderer last worked out of the subtree, and at which subtree revision.
    struct SubtreeMemo {
        bool known { false };
        std::uint64_t revision { 0 };
        CGRect extent;
    };
    SubtreeMemo& subtreeMemo(PassKey<LayerRenderer>) const { return m_subtreeMemo; }

private:
    struct AnimationEntry {
        NSString key;
        CAAnimationRef animation;
    };

public:
    const std::vector<AnimationEntry>& animationEntries(PassKey<LayerRenderer>) const { return m_animations; }
    // For the animation scheduler alone: start and stop callbacks due by now; answers when the
    // next one falls due.
    CFTimeInterval updateAnimations(CFTimeInterval now, PassKey<CAAnimationScheduler>) { return updateAnimations(now); }

protected:
    // initWithLayer: the presentation copy's initialiser. Subclasses copy their own fields and
    // override copyForPresentation to make a copy of their class.
    void init();
    void init(const CALayer& layer);
    virtual std::shared_ptr<CALayer> copyForPresentation() const;

    // Content that the renderer draws as vectors at the target's resolution on top of the
    // contents (shape and gradient layers).
    virtual void drawVectorContent(const CGContextRef& context) const;
    // Classes whose vector content paints more than once per pixel split it in steps: no step
    // by default (the renderer then draws the whole content each time).
    virtual int vectorContentStepCount() const { return 0; }
    virtual void drawVectorContentStep(const CGContextRef& context, int) const { drawVectorContent(context); }

    // Runs the action for a change of the key: call prepareChange before storing the new value
    // and finishChange after.
    struct PendingChange {
        NSString key;
        id action;
        id oldValue;
    };
    PendingChange prepareChange(const char* key);
    void finishChange(PendingChange& change);
    template <class T>
    bool changeAnimatable(T& field, const T& value, const char* key)
    {
        NSAssertMainThread();
        if (field == value)
            return false;
        PendingChange change = prepareChange(key);
        field = value;
        finishChange(change);
        return true;
    }
    // The transaction's basic animation of the key, which default actions answer.
    static id implicitAnimationForKey(const NSString& key);
    // Tells the host of the tree that another frame is needed.
    void setNeedsComposite();

private:
    void noteChange();
    struct BackingStoreDeleter {
        void operator()(BackingStore* store) const;
    };

    std::shared_ptr<LayerTreeHost> treeHost() const;
    BackingStore& ensureBackingStore();
    void dropBacking();
    void removeSublayer(CALayer* layer);
    void attachSublayer(const std::shared_ptr<CALayer>& layer, std::size_t index);
    bool isAncestorOf(const CALayer* layer) const;
    void stopAnimation(AnimationEntry entry, bool finished);
    // Start and stop callbacks due by now; answers when the next one falls due.
    CFTimeInterval updateAnimations(CFTimeInterval now);
    id presentationValueForKey(const NSString& key) const;
    void applyChangeForKey(const std::string& key, const id& value);

    // Everything a presentation copy copies: one assignment, so no property can be left out.
    struct Properties {
        CGRect bounds;
        CGPoint position;
        CGFloat zPosition { 0 };
        CGPoint anchorPoint { 0.5, 0.5 };
        CGFloat anchorPointZ { 0 };
        CATransform3D transform;
        CATransform3D sublayerTransform;
        bool hidden { false };
        float opacity { 1 };
        bool masksToBounds { false };
        std::shared_ptr<CALayer> mask;
        CGFloat cornerRadius { 0 };
        CGFloat borderWidth { 0 };
        CGColorRef borderColor;
        CGColorRef backgroundColor;
        CGColorRef shadowColor;
        float shadowOpacity { 0 };
        CGSize shadowOffset { 0, -3 };
        CGFloat shadowRadius { 3 };
        CGPathRef shadowPath;
        bool opaque { false };
        bool doubleSided { true };
        bool shouldRasterize { false };
        CGFloat rasterizationScale { 1 };
        CGImageRef contents;
        NSString contentsGravity { kCAGravityResize };
        CGRect contentsRect { { 0, 0 }, { 1, 1 } };
        CGFloat contentsScale { 1 };
        bool needsDisplayOnBoundsChange { false };
        NSString name;
        std::weak_ptr<CALayerDelegate> delegate;
        std::shared_ptr<NSDictionary> actions;
    };
    Properties m_properties;
    std::shared_ptr<NSMutableDictionary> m_values;

    std::weak_ptr<CALayer> m_superlayer;
    std::vector<std::shared_ptr<CALayer>> m_sublayers;
    std::weak_ptr<LayerTreeHost> m_treeHost;

    std::uint64_t m_revision { 0 };
    std::uint64_t m_subtreeRevision { 0 };
    bool m_needsDisplay { false };
    bool m_needsLayout { false };
    bool m_isDisplaying { false };
    // Set by the base drawInContext when nobody draws, so that display() keeps no backing.
    bool m_drewNothing { false };
    std::unique_ptr<BackingStore, BackingStoreDeleter> m_backingStore;
    mutable SubtreeMemo m_subtreeMemo;

    std::vector<AnimationEntry> m_animations;
    NSUInteger m_nextAnimationNumber { 0 };
    // Layers made in the current transaction have no implicit animations, as on the platform.
    NSUInteger m_createdInTransaction { 0 };
    bool m_isPresentation { false };
    std::weak_ptr<const CALayer> m_modelLayer;
};

using CALayerRef = std::shared_ptr<CALayer>;
