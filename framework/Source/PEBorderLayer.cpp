#include "framework/Source/PEBorderLayer.h"

#include "framework/Source/PEBorderedLayer.h"

void PEBorderLayer::init(CGRect frame)
{
    PELayer::init(frame);
    setNeedsDisplayOnBoundsChange(true);
}

void PEBorderLayer::setMaskedLayer(const std::shared_ptr<PEBorderedLayer>& layer)
{
    if (layer == m_maskedLayer)
        return;
    m_maskedLayer = layer;
    setNeedsDisplay();
}

void PEBorderLayer::renderAsVectorInContext(const CGContextRef& context)
{
    if (isHidden() || !m_maskedLayer)
        return;
    PELayer::renderAsVectorInContext(context);
    m_maskedLayer->renderBorderedLayerAsVectorInContext(context);
}

void PEBorderLayer::layoutSublayers()
{
    PELayer::layoutSublayers();
    if (!m_maskedLayer)
        return;
    CGRect frame = bounds();
    CGSize margin = shadowMargin();
    frame = CGRectInset(frame, -margin.width, -margin.height);
    m_maskedLayer->setInLayout(true);
    m_maskedLayer->setFrame(frame);
    m_maskedLayer->setInLayout(false);
}

std::optional<PELayer::LayerSet> PEBorderLayer::sublayersExcludedFromAutomaticLayout() const
{
    auto excluded = PELayer::sublayersExcludedFromAutomaticLayout();
    if (!m_maskedLayer)
        return excluded;
    LayerSet result = excluded ? *excluded : LayerSet {};
    result.insert(m_maskedLayer);
    return result;
}

void PEBorderLayer::setBounds(CGRect newBounds)
{
    if (CGRectEqualToRect(newBounds, bounds()))
        return;
    PELayer::setBounds(newBounds);
    setNeedsLayout();
}

void PEBorderLayer::encodeWithCoder(NSCoder& coder) const
{
    PELayer::encodeWithCoder(coder);
    coder.encodeObject(m_maskedLayer, "PEBorderLayer.maskedLayer");
}

bool PEBorderLayer::init(NSCoder& coder)
{
    if (!PELayer::init(coder))
        return false;
    m_maskedLayer = coder.decodeObjectOfClass<PEBorderedLayer>("PEBorderLayer.maskedLayer");
    setNeedsDisplayOnBoundsChange(true);
    return true;
}

void PEBorderLayer::init(const CALayer& layer)
{
    PELayer::init(layer);
    auto model = dynamic_cast<const PEBorderLayer*>(&layer);
    if (!model)
        return;
    m_maskedLayer = model->m_maskedLayer;
}
