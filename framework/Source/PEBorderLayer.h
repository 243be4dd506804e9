#pragma once
// Stands in a bordered layer's place in the tree while it masks to its border: holds it as its
// only content, keeps it sized to its own bounds (grown by the shadow margin) and draws its
// border above the clipped content.

#include "framework/Source/PELayer.h"

class PEBorderedLayer;

class PEBorderLayer : public PELayer {
    NS_OBJECT(PEBorderLayer, PELayer)
public:
    const std::shared_ptr<PEBorderedLayer>& maskedLayer() const { return m_maskedLayer; }
    void setMaskedLayer(const std::shared_ptr<PEBorderedLayer>& layer);

    void renderAsVectorInContext(const CGContextRef& context) override;
    void layoutSublayers() override;
    std::optional<LayerSet> sublayersExcludedFromAutomaticLayout() const override;
    void setBounds(CGRect bounds);

    void encodeWithCoder(NSCoder& coder) const override;

protected:
    // initWithLayer: the presentation copy takes over the fields of the layer it copies.
    void init(const CALayer& layer);
    std::shared_ptr<CALayer> copyForPresentation() const override { return create(static_cast<const CALayer&>(*this)); }
    void init(CGRect frame);
    bool init(NSCoder& coder);

private:
    std::shared_ptr<PEBorderedLayer> m_maskedLayer;
};
