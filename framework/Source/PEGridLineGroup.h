#pragma once
// The plot area's shared layer for the minor or major grid lines of every axis that does not
// keep its own grid-line layers.

#include "framework/Source/PELayer.h"

class PEPlotArea;

class PEGridLineGroup : public PELayer {
    NS_OBJECT(PEGridLineGroup, PELayer)
public:
    std::shared_ptr<PEPlotArea> plotArea() const { return m_plotArea.lock(); }
    void setPlotArea(const std::shared_ptr<PEPlotArea>& plotArea);
    bool isMajor() const { return m_major; }
    void setMajor(bool major);

    void renderAsVectorInContext(const CGContextRef& context) override;
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    // initWithLayer: the presentation copy takes over the fields of the layer it copies.
    void init(const CALayer& layer);
    std::shared_ptr<CALayer> copyForPresentation() const override { return create(static_cast<const CALayer&>(*this)); }
    void init(CGRect frame);
    bool init(NSCoder& coder);

private:
    std::weak_ptr<PEPlotArea> m_plotArea;
    bool m_major { false };
};
