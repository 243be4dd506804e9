#pragma once
// Installed as a bordered layer's mask: paints, opaque, exactly the area its owner lets its
// sublayers show (the owner's sublayer masking path).

#include "framework/Source/PELayer.h"

class PEMaskLayer : public PELayer {
    NS_OBJECT(PEMaskLayer, PELayer)
public:
    void renderAsVectorInContext(const CGContextRef& context) override;

protected:
    void init(CGRect frame);
};
