#pragma once
// Places its content at a rectangle anchor of another layer's bounds (a corner, an edge's middle
// or the centre), converted into the host. The anchor layer is a weak link; the content follows
// its bounds at once.

#include "framework/Source/PEAnnotation.h"
#include "framework/Source/PEDefinitions.h"

class PELayer;

class PELayerAnnotation : public PEAnnotation {
    NS_OBJECT(PELayerAnnotation, PEAnnotation)
public:
    ~PELayerAnnotation() override;

    std::shared_ptr<PELayer> anchorLayer() const { return m_anchorLayer.lock(); }
    PERectAnchor rectAnchor() const { return m_rectAnchor; }
    void setRectAnchor(PERectAnchor anchor);

    // The reference point of the anchor for bounds: x and y each at the lower bound, the upper
    // bound or half-way; (0, 0) for a value outside the nine anchors.
    static CGPoint referencePointForAnchor(PERectAnchor anchor, CGRect bounds);
    void positionContentLayer() override;

protected:
    // initWithAnchorLayer: refuses nil with the parameter assertion.
    void init(const std::shared_ptr<PELayer>& anchorLayer);
    void init();

private:
    std::weak_ptr<PELayer> m_anchorLayer;
    PERectAnchor m_rectAnchor { PERectAnchorTop };
};

using PELayerAnnotationRef = std::shared_ptr<PELayerAnnotation>;
