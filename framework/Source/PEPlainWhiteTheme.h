#pragma once
// The Cartesian theme registered as "Plain White".

#include "framework/Source/PEXYTheme.h"

class PEPlainWhiteTheme : public PEXYTheme {
    NS_OBJECT(PEPlainWhiteTheme, PEXYTheme)
public:
    static NSString name() { return "Plain White"; }
    NSString themeName() const override { return name(); }

    void applyThemeToBackground(const std::shared_ptr<PEGraph>& graph) override;
    void applyThemeToPlotArea(const std::shared_ptr<PEPlotAreaFrame>& frame) override;
    void applyThemeToAxisSet(const std::shared_ptr<PEAxisSet>& axisSet) override;
};
