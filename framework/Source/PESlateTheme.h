#pragma once
// The Cartesian theme registered as "Slate".

#include "framework/Source/PEXYTheme.h"

class PESlateTheme : public PEXYTheme {
    NS_OBJECT(PESlateTheme, PEXYTheme)
public:
    static NSString name() { return "Slate"; }
    NSString themeName() const override { return name(); }

    void applyThemeToBackground(const std::shared_ptr<PEGraph>& graph) override;
    void applyThemeToPlotArea(const std::shared_ptr<PEPlotAreaFrame>& frame) override;
    void applyThemeToAxisSet(const std::shared_ptr<PEAxisSet>& axisSet) override;
};
