#pragma once
// Draws layer trees into a context: background, contents, vector content, sublayers in
// drawing order, border; opacity and shadows over the layer as a whole; masks and rounded
// clips. Layers whose transform to the context is not affine (3-D perspective) are drawn flat
// into a picture of their own and warped into place through the projection of its corners.
//
// With presentation values, running animations show; with backing stores, drawn contents come
// from the stores that display() filled. Without them (renderInContext) the drawing runs again
// straight into the context, with the model values.

#include "platform/layers/CABase.h"
#include "platform/layers/CALayer.h"

#include <functional>

class LayerPictureCache;
struct LayerPicture;

class LayerRenderer {
public:
    struct Options {
        bool presentationValues { false };
        bool backingStores { false };
        CFTimeInterval time { 0 };
        // Where finished pictures of layers are kept between frames; none: everything is drawn.
        LayerPictureCache* pictures { nullptr };
    };

    LayerRenderer(CGContextRef context, Options options);

    // Draws the layer in its own coordinates at the context's current CTM.
    void renderLayerInOwnSpace(CALayer& layer);
    // Draws the layer where its geometry places it in the context's current user space.
    void renderLayerPlaced(CALayer& layer);
    // The same, where the clip lies wholly inside the opaque background of the last of the
    // layers (the layer first, each next one a sublayer of the one before): what is painted
    // before that background, which hides it, is left out.
    void renderLayerPlacedOver(CALayer& layer, const std::vector<const CALayer*>& covering);

    static void renderInContext(CALayer& layer, const CGContextRef& context);
    // Whether the layer paints nothing of its own but its background colour (no contents, no
    // drawing, no vector content), so that its sublayers may move over it.
    static bool paintsOnlyBackground(const CALayer& layer);
    // The area the layer and its sublayers can paint, shadows included, in the coordinates of
    // its superlayer; infinite when that is not known.
    static CGRect paintedExtentInSuperlayer(const CALayer& layer);
    // A picture of the layer (model values, backing stores) over its bounds at the scale.
    static CGImageRef snapshot(CALayer& layer, CGFloat scale);
    // Lets go of the layer's contents resampled for their last place (kept for the next frame);
    // answers their bytes.
    static std::size_t releasePlacedContents(CALayer& layer);

private:
    // The clip so far in device pixels: whether it is all rectangles on whole pixels, and a
    // rectangle of pixels it leaves wholly uncovered.
    struct ClipState {
        bool aligned { true };
        CGRect inner { CGRectInfinite };
    };

    // The area the layer and its sublayers can paint, in the layer's coordinates.
    static CGRect subtreeExtent(const CALayer& layer);
    static CGRect measureSubtree(const CALayer& layer);

    void renderLayer(CALayer& model, const CATransform3D& toBase);
    void renderAffine(CALayer& model, const CALayer& source, const CATransform3D& toBase);
    void renderProjected(CALayer& model, const CALayer& source, const CATransform3D& toBase);
    void drawBody(CALayer& model, const CALayer& source, const CATransform3D& toBase, bool inPicture = false);
    void drawBackground(CALayer& model, const CALayer& source, bool castsShadow);
    void fillBackground(const CALayer& source, bool castsShadow);
    // The shadow the background casts, without the background.
    void castBackgroundShadow(const CALayer& source);
    // Fills an opaque rectangular background but where opaque sublayers will cover it; false
    // when that saves nothing.
    bool fillAroundOpaqueSublayers(CALayer& model, const CALayer& source);
    void drawVectorContent(CALayer& model, const CALayer& source);
    // Whether the layer and everything below it can be kept as one picture over its background.
    bool flattens(CALayer& model, const CALayer& source);
    // Paints one step of the layer's drawing from its kept picture, drawing that first when
    // there is none or it is stale; false when the step is to be drawn into the context instead.
    // The area (user space) holds what the step paints, margin device pixels beyond; the step
    // covers the opaque rectangles wholly with opaque colour, or, when opaqueIsCovered, what is
    // painted next covers them so that the step need not paint there.
    bool paintKept(const CALayer& model, const CALayer& source, int part, std::uint64_t revision, CGRect area, int margin,
        const std::vector<CGRect>& opaque, const std::function<void(LayerRenderer&)>& draw, bool opaqueIsCovered = false);
    // Paints the picture's translucent pixels as drawing would: again from what drawing gave last
    // time when what lies below is unchanged, else by drawing there.
    void paintEdges(LayerPicture& picture, int x, int y, const std::function<void(LayerRenderer&)>& draw);
    // Rectangles (layer space) where the layer's own background is opaque.
    static std::vector<CGRect> opaqueBackground(const CALayer& layer);
    void noteClip(CGRect rect, CGFloat radius);
    void drawContents(CALayer& model, const CALayer& source);
    // Covered: the layer is one of the covering layers above the last.
    void drawSublayers(CALayer& model, const CALayer& source, const CATransform3D& toBase, bool covered = false);
    void drawBorder(const CALayer& source);
    void applyMask(CALayer& model, const CALayer& source);
    void drawShadowPath(const CALayer& source);
    bool shadowFollowsBackground(const CALayer& model, const CALayer& source) const;
    std::shared_ptr<CALayer> sourceFor(CALayer& model) const;
    // User space to the device's pixels, top row first.
    CGAffineTransform pixelTransform() const;
    // Paints the picture over the rectangle (user space) with the context's alpha and effects.
    void drawPicture(const CGImage& picture, CGRect rect);

    // Whether the layer is one of the covering layers above the last, drawn outside a picture.
    bool coveredBy(const CALayer& model, bool inPicture) const;

    CGContextRef m_context;
    Options m_options;
    const std::vector<const CALayer*>* m_covering { nullptr };
    // How far down the covering layers the drawing is.
    std::size_t m_coveringDepth { 0 };
    CGAffineTransform m_baseCTM;
    // The clip's box in the base user space, for leaving out what it hides.
    CGRect m_clip;
    ClipState m_clipState;
};
