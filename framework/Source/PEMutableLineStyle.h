#pragma once
// A line style whose fields can be set; styles are copied where they are used, so changing one
// after handing it over changes nothing already drawn with it.

#include "framework/Source/PELineStyle.h"

class PEMutableLineStyle : public PELineStyle {
    NS_OBJECT(PEMutableLineStyle, PELineStyle)
public:
    static std::shared_ptr<PEMutableLineStyle> lineStyle() { return create(); }

    using PELineStyle::setDashPattern;
    using PELineStyle::setLineCap;
    using PELineStyle::setLineColor;
    using PELineStyle::setLineFill;
    using PELineStyle::setLineGradient;
    using PELineStyle::setLineJoin;
    using PELineStyle::setLineWidth;
    using PELineStyle::setMiterLimit;
    using PELineStyle::setPatternPhase;

};

using PEMutableLineStyleRef = std::shared_ptr<PEMutableLineStyle>;
