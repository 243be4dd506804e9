#pragma once
// The Cartesian theme registered as "Dark Gradients".

#include "framework/Source/PEShadedXYTheme.h"

class PEDarkGradientTheme : public PEShadedXYTheme {
    NS_OBJECT(PEDarkGradientTheme, PEShadedXYTheme)
public:
    static NSString name() { return "Dark Gradients"; }
    NSString themeName() const override { return name(); }

protected:
    bool isDark() const override { return true; }
};
