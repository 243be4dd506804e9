#pragma once
// An axis's own grid-line layer, for axes that keep their grid lines in separate layers.

#include "framework/Source/PELayer.h"

class PEAxis;

class PEGridLines : public PELayer {
    NS_OBJECT(PEGridLines, PELayer)
public:
    std::shared_ptr<PEAxis> axis() const { return m_axis.lock(); }
    void setAxis(const std::shared_ptr<PEAxis>& axis);
    bool isMajor() const { return m_major; }
    void setMajor(bool major) { m_major = major; }

    void renderAsVectorInContext(const CGContextRef& context) override;
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    // initWithLayer: the presentation copy takes over the fields of the layer it copies.
    void init(const CALayer& layer);
    std::shared_ptr<CALayer> copyForPresentation() const override { return create(static_cast<const CALayer&>(*this)); }
    void init(CGRect frame);
    bool init(NSCoder& coder);

private:
    std::weak_ptr<PEAxis> m_axis;
    bool m_major { false };
};
