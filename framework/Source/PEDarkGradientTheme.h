#pragma once
// The Cartesian theme registered as "Dark Gradients".

#include "framework/Source/PEXYTheme.h"

class PEDarkGradientTheme : public PEXYTheme {
    NS_OBJECT(PEDarkGradientTheme, PEXYTheme)
public:
    static NSString name() { return "Dark Gradients"; }
    NSString themeName() const override { return name(); }

    void applyThemeToBackground(const std::shared_ptr<PEGraph>& graph) override;
    void applyThemeToPlotArea(const std::shared_ptr<PEPlotAreaFrame>& frame) override;
    void applyThemeToAxisSet(const std::shared_ptr<PEAxisSet>& axisSet) override;
};
