#pragma once
// A layer with a fill and a border line, drawn as a rounded rectangle when the corner radius is
// above 0. With masksToBorder its sublayers are clipped to the inside of the border: a mask layer
// paints that area, and a border layer takes this layer's place in the tree to draw the border
// above the clipped content. A layer that had no superlayer when the flag was set, or that is
// drawn as the root (a graph), has no border layer and draws its fill and border itself.

#include "framework/Source/PEAnnotationHostLayer.h"

class PEBorderLayer;
class PEFill;
class PELineStyle;
class PEMaskLayer;

class PEBorderedLayer : public PEAnnotationHostLayer {
    NS_OBJECT(PEBorderedLayer, PEAnnotationHostLayer)
public:
    const std::shared_ptr<PELineStyle>& borderLineStyle() const { return m_borderLineStyle; }
    virtual void setBorderLineStyle(const std::shared_ptr<PELineStyle>& style);
    const std::shared_ptr<PEFill>& fill() const { return m_fill; }
    void setFill(const std::shared_ptr<PEFill>& fill);
    bool inLayout() const { return m_inLayout; }
    void setInLayout(bool inLayout) { m_inLayout = inLayout; }
    void setMasksToBorder(bool masks) override;
    // The layer that draws the border while masksToBorder is set.
    // The tree owns it (it takes this layer's place there); this layer only points at it, so
    // the pair forms no ownership cycle.
    std::shared_ptr<PEBorderLayer> borderLayer() const { return m_borderLayer.lock(); }

    void renderAsVectorInContext(const CGContextRef& context) override;
    // Fill, then border; the border layer calls it too.
    virtual void renderBorderedLayerAsVectorInContext(const CGContextRef& context);
    CGPathRef sublayerMaskingPath() override;
    // Without a border layer this layer draws its own fill and border, which lie outside the area
    // the mask leaves to the sublayers; with one, what it draws (a legend's entries, a text
    // layer's text) is clipped like its sublayers.
    bool maskClipsOwnDrawing() const override { return borderLayer() != nullptr; }
    void sublayerMargin(CGFloat& left, CGFloat& top, CGFloat& right, CGFloat& bottom) const override;

    void encodeWithCoder(NSCoder& coder) const override;

protected:
    // initWithLayer: the presentation copy takes over the fields of the layer it copies.
    void init(const CALayer& layer);
    std::shared_ptr<CALayer> copyForPresentation() const override { return create(static_cast<const CALayer&>(*this)); }
    bool init(NSCoder& coder);

private:
    void updateOpacity();
    void wrapInBorderLayer();
    void unwrapFromBorderLayer();

    std::shared_ptr<PELineStyle> m_borderLineStyle;
    std::shared_ptr<PEFill> m_fill;
    std::weak_ptr<PEBorderLayer> m_borderLayer;
    bool m_inLayout { false };
};

using PEBorderedLayerRef = std::shared_ptr<PEBorderedLayer>;
