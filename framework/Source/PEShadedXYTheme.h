#pragma once
// The base of the two shaded Cartesian themes, which differ only in being dark or light.

#include "framework/Source/PEXYTheme.h"

class PEShadedXYTheme : public PEXYTheme {
    NS_OBJECT(PEShadedXYTheme, PEXYTheme)
public:
    void applyThemeToBackground(const std::shared_ptr<PEGraph>& graph) override;
    void applyThemeToPlotArea(const std::shared_ptr<PEPlotAreaFrame>& frame) override;
    void applyThemeToAxisSet(const std::shared_ptr<PEAxisSet>& axisSet) override;

protected:
    virtual bool isDark() const = 0;
};
