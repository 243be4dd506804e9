#pragma once
// Shows a layer tree in a picture of the screen: a bitmap of the given size in points at the
// screen's scale. The window's host asks whether a frame is needed (something
// in the tree changed, or an animation runs) and has one rendered.
//
// A frame lays out what is marked, then lets each layer marked for display draw into its
// backing store, then composites the tree with the presentation values of running animations.
// Layers not marked keep their stores, so a frame where one layer changed draws that layer
// alone, and when nothing but such drawing changed, only the pixels under those layers are
// composited again. Layers' finished pictures (shadows, rounded backgrounds, shapes, gradients,
// unchanged subtrees over an opaque background) are kept between frames and copied, within a
// budget of twice the screen's bytes; layers taken out of the tree give theirs back at the next
// frame, with their contents resampled for the screen. When the scroll position of one opaque
// layer (its bounds' origin or its sublayer transform's translation) moved by whole device pixels,
// the last frame's pixels under it are shifted and only the newly exposed strips are composited,
// with where the few other layers that changed (rows coming in, a scroll indicator moving, a label
// drawn again) were and are now. A request made while a frame draws is kept for the next frame.

#include "platform/layers/CALayer.h"
#include "platform/layers/LayerTreeHost.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class LayerPictureCache;

class LayerCompositor : public NSObject, public LayerTreeHost {
    NS_OBJECT(LayerCompositor, NSObject)
public:
    const CALayerRef& rootLayer() const { return m_rootLayer; }
    void setRootLayer(const CALayerRef& layer);
    // What shows where no layer draws; opaque black by default, as the screen is.
    const CGColorRef& backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const CGColorRef& color);

    bool needsFrame() const;
    void renderFrame();
    NSUInteger frameCount() const { return m_frameCount; }

    CGSize size() const { return m_size; }
    CGFloat scale() const { return m_scale; }
    // The last frame: a copy, or the bitmap context it is drawn in, for reading its pixels in
    // place (CGBitmapContextGetData: premultiplied ARGB, 32-bit little-endian words). A frame
    // that scrolls may move the picture within its memory: ask again after each frame.
    CGImageRef image() const;
    const CGContextRef& bitmapContext() const { return m_context; }
    bool writePNG(const NSString& path) const;

    // Finished pictures of layers kept between frames (a memory warning drops them): how many,
    // and their bytes.
    std::size_t keptPictureCount() const;
    std::size_t keptPictureBytes() const;
    void dropKeptPictures();

    void layerTreeDidChange() override
    {
        NSAssertMainThread();
        m_needsFrame = true;
        m_fullFrame = true;
        ++m_treeChanges;
    }
    void layerNeedsDisplay(CALayer& layer) override;
    void layerNeedsLayout(CALayer&) override
    {
        m_needsFrame = true;
        m_fullFrame = true;
    }
    void layerWillChange(CALayer& layer, const char* key) override;
    void layerDidJoinTree(CALayer& layer) override;
    void layerWillLeaveTree(CALayer& layer) override;
    void layerDidLeaveTree(CALayer& layer) override;

    // Frames that shifted the last frame's pixels for a scroll, of all frames drawn.
    NSUInteger shiftedFrameCount() const { return m_shiftedFrameCount; }

protected:
    // A screen of size points at scale pixels per point; nil when that is no picture.
    bool init(CGSize size, CGFloat scale);

private:
    static void display(CALayer& layer);
    // The device pixels a layer's drawing reaches, with the shadows of its ancestors.
    CGRect damageOf(const CALayer& layer) const;
    // Whether the root's own opaque background covers every pixel of the area, so that what
    // lies below it need not be painted first.
    bool rootHides(const CALayer& root, CGRect pixels) const;
    // The layers from the root down to the last one whose own opaque background covers every
    // pixel of the area (none when no layer does): what they paint before it does not show.
    std::vector<const CALayer*> coveringLayers(CGRect pixels) const;
    // When the change since the last frame that reaches furthest scrolled one layer by whole
    // device pixels: shifts the pixels under it and answers the device rectangles left to
    // composite, the exposed strips and where the other changes were and are.
    std::optional<std::vector<CGRect>> scrollByShifting(bool animating);
    // Moves the picture's device pixels inside the rectangle by (dx, dy); what moves out is lost.
    // Whole rows moving up or down slide the picture in its memory, and only the rows outside
    // the rectangle are copied back in place.
    // Out of memory to slide into, the picture is copied to the far end of it.
    void shiftPixels(int x0, int y0, int width, int height, int dx, int dy);
    // The picture at a row of the memory kept for it.
    void placePicture(std::size_t row);
    // Replaces what the clip leaves of the picture with the background colour.
    void paintBackground();
    // Device pixels where the layer shows within its ancestors' clips: with its sublayers and its
    // shadow, or its own drawing only; null when it is not in the tree, infinite when unknown.
    CGRect shownExtent(const CALayer& layer, bool withSublayers) const;
    // Notes where a layer shows before it changes, or that it will show somewhere (before: null).
    void noteChangedLayer(CALayer& layer, bool withSublayers, bool measureBefore, bool scrollOnly);
    void forgetChanges();
    // Pictures kept of layers that left the tree since the last frame, and are still out, go.
    void releaseDeparted();

    void didReceiveMemoryWarning() { dropKeptPictures(); }

    CGSize m_size;
    CGFloat m_scale { 2 };
    std::shared_ptr<LayerPictureCache> m_pictures;
    CGContextRef m_context;
    // The picture's memory: its rows, with spare rows above and below to slide it into.
    std::unique_ptr<std::uint8_t[]> m_pictureMemory;
    std::size_t m_pictureRows { 0 };
    std::size_t m_spareRows { 0 };
    std::size_t m_pictureRow { 0 };
    CALayerRef m_rootLayer;
    CGColorRef m_backgroundColor { CGColorCreateGenericRGB(0, 0, 0, 1) };
    bool m_needsFrame { true };
    // Only the drawing of these layers changed since the last frame, unless a full frame is due.
    bool m_fullFrame { true };
    std::vector<std::weak_ptr<CALayer>> m_dirtyLayers;
    std::vector<std::weak_ptr<CALayer>> m_departed;
    // Layers whose scroll position changed since the last frame, with their values at that
    // frame, and how many changes of any kind, and of the scroll position, were reported.
    struct Scrolled {
        std::weak_ptr<CALayer> layer;
        CGRect bounds;
        CATransform3D sublayerTransform;
    };
    std::vector<Scrolled> m_scrolled;
    // Layers that changed, were drawn again, came into the tree or left it since the last frame,
    // with where they showed before, when a scroll's shifted frame can repair them; a few only.
    struct Changed {
        std::weak_ptr<CALayer> layer;
        CGRect before;
        bool withSublayers;
        // Only its scroll position changed: the shift itself shows that.
        bool scrollOnly;
        // Noted before any scroll position changed: inside the scrolled layer, it showed where
        // the shift moves its pixels.
        bool beforeScroll;
    };
    std::vector<Changed> m_changed;
    bool m_tooManyChanges { false };
    std::size_t m_treeChanges { 0 };
    std::size_t m_propertyChanges { 0 };
    // Whether the picture holds the whole tree as the last frame left it.
    bool m_pictureIsCurrent { false };
    bool m_rendering { false };
    NSUInteger m_frameCount { 0 };
    NSUInteger m_shiftedFrameCount { 0 };
};
