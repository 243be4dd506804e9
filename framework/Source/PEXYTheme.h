#pragma once
// The base of the Cartesian themes: makes a 200 by 200 XY graph with paddings of 60, ranges
// from -1 to 0, and applies the theme to it.

#include "framework/Source/PETheme.h"

class PELineStyle;
class PETextStyle;
class PEXYAxis;

class PEXYTheme : public PETheme {
    NS_OBJECT(PEXYTheme, PETheme)
public:
    std::shared_ptr<PEGraph> newGraph() override;

protected:
    void init();
    // The axis settings every Cartesian theme shares.
    static void applyThemeToAxis(PEXYAxis& axis, const std::shared_ptr<PELineStyle>& majorLineStyle,
        const std::shared_ptr<PELineStyle>& minorLineStyle, const std::shared_ptr<PETextStyle>& textStyle,
        const std::shared_ptr<PETextStyle>& minorTickTextStyle);
};
