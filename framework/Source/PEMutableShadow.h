#pragma once
// A shadow whose offset, blur radius and colour can be set.

#include "framework/Source/PEShadow.h"

class PEMutableShadow : public PEShadow {
    NS_OBJECT(PEMutableShadow, PEShadow)
public:
    static std::shared_ptr<PEMutableShadow> shadow() { return create(); }

    using PEShadow::setShadowBlurRadius;
    using PEShadow::setShadowColor;
    using PEShadow::setShadowOffset;

};
