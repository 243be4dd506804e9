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

class LayerRenderer {
public:
    struct Options {
        bool presentationValues { false };
        bool backingStores { false };
        CFTimeInterval time { 0 };
    };

    LayerRenderer(CGContextRef context, Options options);

    // Draws the layer in its own coordinates at the context's current CTM.
    void renderLayerInOwnSpace(CALayer& layer);
    // Draws the layer where its geometry places it in the context's current user space.
    void renderLayerPlaced(CALayer& layer);

    static void renderInContext(CALayer& layer, const CGContextRef& context);
    // Whether the layer paints nothing of its own but its background colour (no contents, no
    // drawing, no vector content), so that its sublayers may move over it.
    static bool paintsOnlyBackground(const CALayer& layer);
    // The area the layer and its sublayers can paint, shadows included, in the coordinates of
    // its superlayer; infinite when that is not known.
    static CGRect paintedExtentInSuperlayer(const CALayer& layer);
    // A picture of the layer (model values, backing stores) over its bounds at the scale.
    static CGImageRef snapshot(CALayer& layer, CGFloat scale);

private:
    void renderLayer(CALayer& model, const CATransform3D& toBase);
    void renderAffine(CALayer& model, const CALayer& source, const CATransform3D& toBase);
    void renderProjected(CALayer& model, const CALayer& source, const CATransform3D& toBase);
    void drawBody(CALayer& model, const CALayer& source, const CATransform3D& toBase);
    void drawContents(CALayer& model, const CALayer& source);
    void drawSublayers(CALayer& model, const CALayer& source, const CATransform3D& toBase);
    void drawBorder(const CALayer& source);
    void applyMask(CALayer& model, const CALayer& source);
    void drawShadowPath(const CALayer& source);
    bool shadowFollowsBackground(const CALayer& model, const CALayer& source) const;
    std::shared_ptr<CALayer> sourceFor(CALayer& model) const;

    CGContextRef m_context;
    Options m_options;
    CGAffineTransform m_baseCTM;
    // The clip's box in the base user space, for leaving out what it hides.
    CGRect m_clip;
};
