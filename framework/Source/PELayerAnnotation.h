#pragma once
// Places its content at a rectangle anchor of another layer's bounds (a corner, an edge's middle
// or the centre), converted into the host: the x and y constraints of the anchor place the point
// between the bounds' edges. The anchor layer is a weak link; the content follows its bounds at
// once.

#include "framework/Source/PEAnnotation.h"
#include "framework/Source/PEDefinitions.h"

class PEConstraints;
class PELayer;

class PELayerAnnotation : public PEAnnotation {
    NS_OBJECT(PELayerAnnotation, PEAnnotation)
public:
    ~PELayerAnnotation() override;

    std::shared_ptr<PELayer> anchorLayer() const { return m_anchorLayer.lock(); }
    PERectAnchor rectAnchor() const { return m_rectAnchor; }
    // Rebuilds both constraints from the anchor and re-positions at once.
    void setRectAnchor(PERectAnchor anchor);
    const std::shared_ptr<PEConstraints>& xConstraints() const { return m_xConstraints; }
    void setXConstraints(const std::shared_ptr<PEConstraints>& constraints) { m_xConstraints = constraints; }
    const std::shared_ptr<PEConstraints>& yConstraints() const { return m_yConstraints; }
    void setYConstraints(const std::shared_ptr<PEConstraints>& constraints) { m_yConstraints = constraints; }

    void positionContentLayer() override;
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    // initWithAnchorLayer: refuses nil with the parameter assertion.
    void init(const std::shared_ptr<PELayer>& anchorLayer);
    void init();
    // Decoded annotations follow their anchor as made ones do.
    bool init(NSCoder& coder);

private:
    void setConstraints();
    void observeAnchor(const std::shared_ptr<PELayer>& anchor);

    std::weak_ptr<PELayer> m_anchorLayer;
    PERectAnchor m_rectAnchor { PERectAnchorTop };
    std::shared_ptr<PEConstraints> m_xConstraints;
    std::shared_ptr<PEConstraints> m_yConstraints;
};

using PELayerAnnotationRef = std::shared_ptr<PELayerAnnotation>;
